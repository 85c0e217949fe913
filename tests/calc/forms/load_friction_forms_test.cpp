#include "form_test_support.h"

#include "calc/calculation.h"
#include "calc/design_defaults.h"
#include "calc/forms/calc_forms.h"
#include "calc/forms/eccentric_form.h"
#include "calc/forms/friction_form.h"
#include "calc/forms/load_form.h"
#include "calc/joint_records.h"
#include "framework/math_utils.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

class LoadFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    SetUpThroughBoltedM12Joint();
    Klemmstuecke.L[1] = Klemmstuecke.L[2] = 30;  // lK = 60
  }
};

TEST_F(LoadFormTest, ShowsTheLoadsAndProposesTheEmbeddingAndTheClampLoadOverFriction) {
  Last.LoadIntroPos1 = 3;  // the bolt head
  Last.LoadIntroPos2 = 2;
  TForm_bq4last form;
  ShowAndGrab(form, "bq4last");
  EXPECT_EQ(Text(form.ComboBox_feinl->itemText(0)), "clamp.plate 1  ( l= 30.0, de= 40.0, di= 13.5 mm)");
  EXPECT_FALSE(form.Edit_n1->isVisible());  // the bolt head: no factor n1
  EXPECT_EQ(Text(form.Edit_n1->text()), "");
  EXPECT_TRUE(form.Edit_n2->isVisible());
  EXPECT_EQ(Text(form.Button_setzvdi->text()), "0.006");  // 3.29 * 5^0.34 * 0.001
  EXPECT_FALSE(form.Edit_fpre->isVisible());
  EXPECT_TRUE(form.Button_fkrmax->isEnabled());
  EXPECT_EQ(Text(form.Label_mtr->text()).rfind("m tr = ", 0), 0u);

  // A transverse load proposes the clamp load over friction.
  Reibung.muTr = 0.1L;
  form.Edit_fq->setText("1000");
  EXPECT_TRUE(form.Button_fkrfq->isVisibleTo(&form));
  EXPECT_EQ(Text(form.Button_fkrfq->text()), "10000");
  form.Button_fkrfq->click();
  EXPECT_EQ(Text(form.Edit_fkr->text()), "10000");

  Reibung.muTr = 0;
  form.Refresh();
  EXPECT_EQ(Text(form.Label_fqtext->text()), "Fatal: \u00B5 Tr = 0 !");
  EXPECT_FALSE(form.Button_fkrfq->isVisibleTo(&form));
  form.Edit_fq->setText("0");
  EXPECT_EQ(Text(form.Label_fqtext->text()), "");
}

TEST_F(LoadFormTest, ChangedInputsWaitForTheRecalculationTheChamferFollowsTheJointKindAndOkStores) {
  TForm_bq4last form;
  form.Edit_fao->setText("30000");
  EXPECT_FALSE(form.Button_fkrmax->isEnabled());
  EXPECT_EQ(Last.FAmax, 24900);  // nothing stored yet
  form.Button_calc->click();
  EXPECT_EQ(Last.FAmax, 30000);
  EXPECT_TRUE(form.Button_fkrmax->isEnabled());
  EXPECT_EQ(Text(form.Button_fkrmax->text()), ForceToText(Last.FKRo));

  // The chamfer proposal follows the joint kind.
  form.Button_faseClick();
  EXPECT_EQ(Text(form.Edit_fase->text()), "3.5");  // 2 P through-bolted
  EXPECT_NEAR(static_cast<double>(Fase), 3.5, 1e-9);
  EXPECT_TRUE(Text(form.Label_mtr->text()).find(" - 3.50 = ") != std::string::npos);
  Verbindung.JointKind = kJointTapped;
  form.Button_faseClick();
  EXPECT_EQ(Text(form.Edit_fase->text()), "5.25");

  // OK stores, Cancel keeps, and hidden presets are zero.
  Last.Fpre = 500;
  Last.n1 = 0.3L;
  platform::DialogScript script;
  script.Cancel();
  RunLoadForm();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Last.Fpre, 500);

  script.Ok({{"Edit_fao", "20000"}, {"Edit_fau", "0"}, {"ComboBox_feinl", "#2"}, {"Edit_setz", "0,008"},
             {"Edit_fkr", "5000"}});
  RunLoadForm();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Last.FAmax, 20000);
  EXPECT_EQ(Last.FAmin, 0);
  EXPECT_EQ(Last.LoadIntroPos1, 3);
  EXPECT_EQ(Last.n1, 0.3L);  // a hidden factor keeps its value
  EXPECT_NEAR(static_cast<double>(Verbindung.fZ), 0.008, 1e-12);
  EXPECT_EQ(Last.FKreq, 5000);
  EXPECT_EQ(Last.Fpre, 0);  // preset switched off
}

// An embedding proposal is taken as calculated, whatever its caption rounds
// it to: four decimals of an inch would make 0.006 mm into 0.00508 mm.
TEST_F(LoadFormTest, AnEmbeddingProposalIsTakenAsCalculatedInEitherUnitSystem) {
  for (const Word units : {0, 1}) {
    SCOPED_TRACE(units ? "imperial" : "metric");
    UnitSystem = units;
    TForm_bq4last form;
    const Extended fq = Last.FQ;
    const Extended proposals[] = {
        3.29L * SafePower("", 60.0L / 12, 0.34L) * 0.001L, EmbeddingAmount(2, 2, fq), EmbeddingAmount(1, 2, fq),
        TotalEmbedding(1, 2, kJointWithNut, fq),        TotalEmbedding(2, 2, kJointWithNut, fq),
        TotalEmbedding(3, 2, kJointWithNut, fq)};
    QPushButton* buttons[] = {form.Button_setzvdi,   form.Button_setzgeschliffen, form.Button_setzgedreht,
                              form.Button_vdi99fein, form.Button_vdi99mittel,     form.Button_vdi99grob};
    for (int k = 0; k < 6; ++k) {
      SCOPED_TRACE(k);
      buttons[k]->click();
      ASSERT_TRUE(form.StoreInput());
      EXPECT_EQ(Verbindung.fZ, proposals[k]);
    }
    // Typed over, the edit's text counts again.
    form.Edit_setz->setText(units ? "0.0004" : "0.012");
    ASSERT_TRUE(form.StoreInput());
    EXPECT_NEAR(D(Verbindung.fZ), units ? 0.01016 : 0.012, 1e-12);
  }
  UnitSystem = 0;
}

// The clamp load over friction is proposed rounded up, so that the accepted
// proposal passes the calculation's own check.
TEST_F(LoadFormTest, TheClampLoadProposalOverFrictionIsRoundedUpAndPassesItsCheck) {
  for (const Word units : {0, 1}) {
    SCOPED_TRACE(units ? "imperial" : "metric");
    UnitSystem = units;
    TForm_bq4last form;
    // FQ/µTr = 500/0.15 = 3333.33 N (749.35 lbf).
    Reibung.muTr = 0.15L;
    form.Edit_fq->setText(QString::fromStdString(ForceToText(500)));
    EXPECT_EQ(Text(form.Button_fkrfq->text()), units ? "750" : "3334");
    form.Button_fkrfq->click();
    form.Button_okClick();
    CalculateJoint();
    EXPECT_GE(Last.FKreq, 500 / 0.15L);
    EXPECT_FALSE(HasMessage("Error  : FK < FKerf (shear.force) !")) << ::testing::PrintToString(MessageTexts());
  }
  UnitSystem = 0;
}

// Friction form ----------------------------------------------------------------

using FrictionFormTest = FormTest;

// With the tolerances on (the default), then off.
TEST_F(FrictionFormTest, ToleranceButtonsAndPicksFillTheEditsTheRowsOnlyOnOkAndWithoutTolerancesOnlyTheMinimaShow) {
  TForm_bq4reib form;
  ShowAndGrab(form, "bq4reib");
  EXPECT_TRUE(form.Edit_muegmax->isVisible());
  EXPECT_FALSE(form.Edit_mapre->isVisible());
  form.Edit_mueg->setText("0.12");
  form.Button_mueg25->click();
  EXPECT_EQ(Text(form.Edit_muegmax->text()), "0.15");
  form.Button_muekmax->click();
  EXPECT_EQ(form.Edit_muekmax->text(), form.Edit_muek->text());
  form.Button_sigma->click();
  EXPECT_EQ(Text(form.Edit_sigma->text()), "3");

  AcceptRow(2);
  form.Button_muegClick();
  EXPECT_EQ(Text(form.Edit_mueg->text()), "0.08");
  form.Button_muektolClick();  // class B: 0.08 .. 0.16
  EXPECT_EQ(Text(form.Edit_muek->text()), "0.08");
  EXPECT_EQ(Text(form.Edit_muekmax->text()), "0.16");
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Reibung.ThreadFrictionRow, 0);
  form.Button_okClick();
  EXPECT_EQ(Reibung.ThreadFrictionRow, 2);
  EXPECT_EQ(Reibung.HeadFrictionTolRow, 2);

  CancelTable();
  TForm_bq4reib again;
  again.Button_muetrClick();
  EXPECT_EQ(AbortFlag, 0);  // the form stays usable

  // Without tolerances only the minima show, and OK keeps the maxima.
  CalcOptions.FrictionTolerances = 0;
  CalcOptions.MApreOn = 1;
  Reibung.muGmax = 0.2L;
  TForm_bq4reib minima;
  ShowAndGrab(minima, "bq4reib_notol");
  EXPECT_FALSE(minima.Edit_muegmax->isVisible());
  EXPECT_FALSE(minima.Edit_sigma->isVisible());
  EXPECT_TRUE(minima.Edit_mapre->isVisible());
  minima.hide();

  platform::DialogScript script;
  script.Ok({{"Edit_mueg", "0,16"}, {"Edit_muetr", "0"}});
  RunFrictionForm();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_NEAR(static_cast<double>(Reibung.muGmin), 0.16, 1e-12);
  EXPECT_EQ(Reibung.muTr, 0);
  EXPECT_NEAR(static_cast<double>(Reibung.muGmax), 0.2, 1e-12);

  script.Cancel();
  RunFrictionForm();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_NEAR(static_cast<double>(Reibung.muGmin), 0.16, 1e-12);
}

// Eccentric loading form ------------------------------------------------------------

class EccentricFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    SetUpThroughBoltedM12Joint();
  }
};

// One part is refused; two take seam 1 without a list; three offer the seams.
TEST_F(EccentricFormTest, SeamListFollowsThePartsZeroMomentsGetDefaultsAndProposalsFillTheForm) {
  Klemmstuecke.nPlates = 1;
  Answered([&](auto& s) { s.Ok().Expect("Calculation of eccentric load only for a minimum of 2 clamping pieces !"); },
           [&] { TForm_exz form; });
  Klemmstuecke.nPlates = 2;
  ExzKraftangriff.SeamPart = 4;
  {
    TForm_exz form;
    ShowAndGrab(form, "exz");
    EXPECT_EQ(ExzKraftangriff.SeamPart, 1);
    EXPECT_FALSE(form.ComboBox_iklemm->isVisible());
  }
  Klemmstuecke.nPlates = 3;
  ExzKraftangriff.SeamPart = 2;
  TForm_exz form;
  ShowAndGrab(form, "exz_seams");
  ASSERT_EQ(form.ComboBox_iklemm->count(), 2);
  EXPECT_EQ(Text(form.ComboBox_iklemm->itemText(1)), "between clamping piece 2 and 3");
  EXPECT_EQ(form.ComboBox_iklemm->currentIndex(), 1);
  form.ComboBox_iklemm->setCurrentIndex(0);
  EXPECT_EQ(ExzKraftangriff.SeamPart, 1);  // at once

  // Zero moments get defaults, others stay; the proposals fill the form.
  Klemmstuecke.nPlates = 2;
  Klemmstuecke.Di[1] = 10;
  ExzKraftangriff.AD = 0;
  ExzKraftangriff.IBT = 0;
  ExzKraftangriff.IBers = 0;
  ExzKraftangriff.IBersPrime = 0;
  {
    TForm_exz defaults;
  }
  EXPECT_NEAR(static_cast<double>(ExzKraftangriff.IBT), 0, 1e-9);  // a solid disc minus the bore
  EXPECT_NEAR(static_cast<double>(ExzKraftangriff.IBers), 1e4 * kPi / 64, 1e-6);
  ExzKraftangriff.IBT = 777;
  TForm_exz moments;
  EXPECT_EQ(ExzKraftangriff.IBT, 777);
  EXPECT_EQ(Text(moments.Edit_ibt->text()), "777");

  // Proposals, the unit switch and OK.
  moments.Button_uClick();
  EXPECT_EQ(Text(moments.Edit_u->text()), "20");
  moments.Button_vClick();
  EXPECT_EQ(Text(moments.Edit_v->text()), "20");
  moments.Edit_s->setText("12.5");
  moments.Button_metricClick();
  moments.Button_metricClick();
  EXPECT_EQ(UnitSystem, 0);
  EXPECT_NEAR(static_cast<double>(ExzKraftangriff.s), 12.5, 1e-3);
  EXPECT_EQ(Text(moments.Edit_u->text()), "20");

  platform::DialogScript script;
  script.Ok({{"Edit_a", "7"}});
  RunEccentricForm();
  EXPECT_EQ(ExzKraftangriff.a, 7);
  script.Cancel();
  RunEccentricForm();
  EXPECT_EQ(AbortFlag, 1);
}

}  // namespace
