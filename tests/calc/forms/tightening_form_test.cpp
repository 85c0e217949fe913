#include "form_test_support.h"

#include "calc/forms/calc_forms.h"
#include "calc/forms/tightening_form.h"
#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "calc/table_rows.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

class TighteningFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    SetUpTappedM12Joint();
  }
};

TEST_F(TighteningFormTest, ShowsInputsAndResultsTypingRecalculatesAPresetTorqueKeepsTheFactorAndOkStores) {
  Montage.DriveSide = 2;  // a tapped hole is always driven at the bolt
  TForm_bq4anzi form;
  ShowAndGrab(form, "bq4anzi");
  EXPECT_GT(Last.FM, 0);  // the calculation ran
  EXPECT_EQ(Text(form.Edit_fm->text()), ForceToText(Last.FM));
  EXPECT_FALSE(form.Edit_ma->isEnabled());
  EXPECT_EQ(form.RadioGroup_boltnut->ItemIndex(), 0);
  EXPECT_FALSE(form.RadioGroup_boltnut->isEnabled());

  // Typing recalculates; the torque scatter is a fraction.
  form.RadioGroup_alphaa->SetItemIndex(1);
  form.RadioGroup_alphaaClick();
  form.Edit_tolma->setText("10");
  EXPECT_EQ(Last.AlphaAChoice, 2);
  EXPECT_NEAR(static_cast<double>(Last.TorqueScatter), 0.1, 1e-12);
  const Extended fm = Last.FM;
  form.Edit_nuerp->setText("0.8");
  EXPECT_EQ(Montage.nu, 0.8L);
  EXPECT_LT(Last.FM, fm);

  // A preset torque keeps the yield point factor as given.
  Last.MApre = 50;
  form.RadioGroup_macode->SetItemIndex(1);
  form.RadioGroup_macodeClick();
  EXPECT_EQ(form.RadioGroup_macode->ItemIndex(), 0);
  Last.MApre = 0;
  form.RadioGroup_macode->SetItemIndex(2);
  form.RadioGroup_macodeClick();
  EXPECT_EQ(form.RadioGroup_macode->ItemIndex(), 2);
  EXPECT_TRUE(form.Edit_fm->isEnabled());
  EXPECT_FALSE(form.Edit_nuerp->isEnabled());

  // OK stores, Cancel keeps, and the form asks for the missing parts.
  platform::DialogScript script;
  script.Ok({{"Edit_sigma", "2,5"}, {"Edit_ktau", "0"}});
  RunTighteningForm();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Montage.sigmaFactor, 2.5L);
  EXPECT_EQ(Montage.ktau, 0);
  script.Cancel();
  RunTighteningForm();
  EXPECT_EQ(AbortFlag, 1);

  Klemmstuecke.nPlates = 0;
  script.Ok().Expect("Please enter first bolt and clampng pieces");
  RunTighteningForm();
}

TEST_F(TighteningFormTest, ToolPickRemembersTheRowAndWithoutFrictionTolerancesAlphaAStatesTheScatter) {
  int shown = 0;
  AcceptRow(3, &shown);
  {
    TForm_bq4anzi form;
    form.Button_dbalphaaClick();
    EXPECT_EQ(Montage.TighteningRow, 3);
    EXPECT_EQ(Montage.alphaA, Anzieh.alphaA);
    EXPECT_EQ(Text(form.Edit_montage->text()), Anzieh.Procedure);
  }
  AcceptRow(0, &shown);
  TForm_bq4anzi again;
  again.Button_dbalphaaClick();
  EXPECT_EQ(shown, 3);  // the dialog starts on the row picked before

  // Without friction tolerances alphaA states the scatter.
  CalcOptions.FrictionTolerances = 0;
  Last.AlphaAChoice = 3;
  TForm_bq4anzi plain;
  EXPECT_EQ(plain.RadioGroup_alphaa->ItemIndex(), 0);
  EXPECT_FALSE(plain.RadioGroup_alphaa->isEnabled());
  EXPECT_FALSE(plain.Label_mamin2->isVisibleTo(&plain));
}

// A preload or torque given above the yield point makes nu, then a result,
// exceed 1 ("yield point override !"). Typing on, running again and saving
// and loading the joint keep it calculable; a nu that is itself the given
// quantity keeps its range.
TEST_F(TighteningFormTest, APreloadOrTorqueGivenAboveTheYieldPointStaysCalculableOnEveryKeystrokeAndAfterAReload) {
  struct Case {
    const char* name;
    int item;  // of RadioGroup_macode
    QLineEdit* TForm_bq4anzi::*edit;
    std::string (*text)(Extended);
    Extended LASTTYPE::*atYield;
  };
  const Case cases[] = {
      {"FM,max", 2, &TForm_bq4anzi::Edit_fm, ForceToText, &LASTTYPE::FM02},
      {"MA,max", 1, &TForm_bq4anzi::Edit_ma, MomentToText, &LASTTYPE::MA02},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitCalcTest();
    SetUpTappedM12Joint();
    {
      TForm_bq4anzi form;
      form.RadioGroup_macode->SetItemIndex(c.item);
      form.RadioGroup_macodeClick();
      QLineEdit* edit = form.*c.edit;
      const Extended atYield = Last.*c.atYield;
      // Two keystrokes: the first stores a value above the yield point, the second runs on that joint.
      for (Extended factor : {1.05L, 1.06L}) {
        edit->setText(QString::fromStdString(c.text(atYield * factor)));
        EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
        EXPECT_NEAR(D(Montage.nu), D(factor), 0.002);
        EXPECT_TRUE(HasMessage("yield point override !"));
      }
      EXPECT_EQ(Montage.GivenQuantity, c.item + 1);
      form.Button_okClick();
      EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    CalculateJoint();
    EXPECT_EQ(CalcFatalFlag, 0);
    const std::string path = platform::TempFileName("above_yield") + ".bq4";
    WriteCalcFile(path);
    ASSERT_EQ(AbortFlag, 0);
    ReadCalcFile(path);
    ASSERT_EQ(AbortFlag, 0);
    EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
    EXPECT_GT(Montage.nu, 1.05L);
  }
  // Given as such, nu keeps its range.
  Montage.GivenQuantity = 1;
  Montage.nu = 1.05L;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : out of range: nu !"));
}


// A minimum torque that leaves no tightening factor is kept as typed, and the
// form's torque label shows the minimum torque of the factor the run used.
TEST_F(TighteningFormTest, LabelsShowTheMinimumTorqueAndPreloadTheRunUsed) {
  Last.AlphaAChoice = 3;
  Last.MAmin = 0;
  Montage.alphaA = 1.6L;
  TForm_bq4anzi form;
  form.Edit_nuerp->setText("0.85");  // a keystroke recalculates
  EXPECT_TRUE(HasMessage("Error  : MAmin - MApre = 0 !")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(Last.MAmin, 0);
  ASSERT_GT(TighteningUsed.MAmin, 0);
  const std::string percent = FloatToTextFix(1, (Last.MAmean - TighteningUsed.MAmin) / Last.MAmean * 100) + " %";
  const std::string label = Text(form.Label_mamin2->text());
  EXPECT_NE(label.find(percent), std::string::npos) << label;
  EXPECT_EQ(label.find("100.0 %"), std::string::npos) << label;
}


// A run that stops before its tightening step (a prevailing torque that
// leaves no preload) leaves the preload, mean torque and angle labels empty
// rather than mix its own values with those of the project or a run before.
TEST_F(TighteningFormTest, ARunStoppedBeforeTighteningLeavesThePreloadTorqueAndAngleLabelsEmpty) {
  TForm_bq4anzi form;
  ASSERT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  ASSERT_NE(Text(form.Label_fmnom2->text()).find("FM = "), std::string::npos);
  ASSERT_NE(Text(form.Label_mamin2->text()).find("MA = "), std::string::npos);
  CalcOptions.MApreOn = 1;
  Last.MApre = 165;  // more than the bolt carries at this utilisation
  form.Edit_nuerp->setText("0.85");  // a keystroke recalculates
  ASSERT_TRUE(HasMessage("Fatal  : no preload (prev. torque) !")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(Text(form.Label_fmnom2->text()), "");
  EXPECT_EQ(Text(form.Label_mamin2->text()), "");
  EXPECT_EQ(Text(form.Label_alpha2->text()), "");
  EXPECT_NE(Text(form.Label_mapre2->text()).find("MA pre = 165"), std::string::npos);
  EXPECT_EQ(Text(form.Edit_fm->text()), "");
  EXPECT_EQ(Text(form.Edit_ma->text()), "");
  // The joint calculated in full again fills them.
  Last.MApre = 0;
  form.Edit_nuerp->setText("0.9");
  EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  EXPECT_NE(Text(form.Label_fmnom2->text()).find("FM = "), std::string::npos);
  EXPECT_NE(Text(form.Label_mamin2->text()).find("MA = "), std::string::npos);
  EXPECT_NE(Text(form.Label_alpha2->text()).find("alpha = "), std::string::npos);
  EXPECT_NE(Text(form.Edit_fm->text()), "");
  EXPECT_NE(Text(form.Edit_ma->text()), "");
}


// Opening the form and OK without a change, in either unit system and after
// unit switches, keep every given input as stored, unrounded.
TEST_F(TighteningFormTest, OkWithoutAChangeAndUnitSwitchesKeepTheStoredInputsUnrounded) {
  struct Case {
    const char* name;
    Word given, alphaChoice;
    Extended* field;
    Extended value;
  };
  const Case cases[] = {
      {"nu", 1, 1, &Montage.nu, 0.9123456L},        {"MA", 2, 1, &Last.MA, 97.123456L},
      {"FM", 3, 1, &Last.FM, 45123.456L},           {"alpha A", 1, 1, &Montage.alphaA, 1.61234567L},
      {"MA min", 1, 3, &Last.MAmin, 60.123456L},    {"FM min", 1, 4, &Last.FMminGiven, 30123.456L},
      {"torque scatter", 1, 2, &Last.TorqueScatter, 0.123456789L},
  };
  for (const int units : {0, 1}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (units ? " imperial" : " metric"));
      InitCalcTest();
      SetUpTappedM12Joint();
      UnitSystem = static_cast<Word>(units);
      Montage.GivenQuantity = c.given;
      Last.AlphaAChoice = c.alphaChoice;
      *c.field = c.value;
      TForm_bq4anzi form;
      form.ButtonMetricClick();
      form.ButtonMetricClick();
      form.Button_okClick();
      EXPECT_EQ(form.result(), QDialog::Accepted);
      // A given torque or preload is met again by the calculation, to its rounding.
      EXPECT_NEAR(D(*c.field), D(c.value), D(c.value) * 1e-15);
    }
  }
  UnitSystem = 0;
}


// A torque or preload given before a prevailing torque was switched on turns
// into the utilisation it gives when the form switches to the utilisation:
// the field shows it, and OK keeps the joint's torque or preload. A torque the
// prevailing torque takes up whole gives none and stays as given.
TEST_F(TighteningFormTest, APrevailingTorqueTurnsAGivenTorqueOrPreloadIntoTheUtilisationItGives) {
  struct Case {
    const char* name;
    Word given;
    Extended LASTTYPE::*field;
    Extended value;
  };
  const Case cases[] = {{"MA", 2, &LASTTYPE::MA, 80}, {"FM", 3, &LASTTYPE::FM, 35000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitCalcTest();
    SetUpTappedM12Joint();
    Montage.GivenQuantity = c.given;
    Last.*c.field = c.value;
    CalculateJoint();
    ASSERT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
    CalcOptions.MApreOn = 1;
    Last.MApre = 10;
    TForm_bq4anzi form;
    ShowAndGrab(form, "bq4anzi");
    EXPECT_EQ(form.RadioGroup_macode->ItemIndex(), 0);
    EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
    EXPECT_GT(Montage.nu, 0.3L);
    EXPECT_EQ(Text(form.Edit_nuerp->text()), FloatToText(Montage.nu));
    form.Button_okClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(Montage.GivenQuantity, 1);
    CalculateJoint();
    EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
    EXPECT_NEAR(D(Last.*c.field), D(c.value), D(c.value) * 1e-9);
  }
  // A torque below the prevailing torque gives no utilisation.
  InitCalcTest();
  SetUpTappedM12Joint();
  Montage.GivenQuantity = 2;
  Last.MA = 5;
  Montage.nu = 0.9L;
  CalcOptions.MApreOn = 1;
  Last.MApre = 10;
  TForm_bq4anzi form;
  ShowAndGrab(form, "bq4anzi");
  EXPECT_EQ(form.RadioGroup_macode->ItemIndex(), 1);
  EXPECT_TRUE(form.Edit_ma->isEnabled());
  EXPECT_EQ(Montage.GivenQuantity, 2);
  EXPECT_EQ(Last.MA, 5);
  EXPECT_TRUE(HasMessage("Fatal  : MA <= prevailing torque !")) << ::testing::PrintToString(MessageTexts());
  // The utilisation and preload that torque would give were not worked out:
  // their fields are empty, not those of the joint calculated before.
  EXPECT_EQ(Text(form.Edit_nuerp->text()), "");
  EXPECT_EQ(Text(form.Edit_fm->text()), "");
}

}  // namespace
