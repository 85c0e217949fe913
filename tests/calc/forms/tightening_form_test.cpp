#include "form_test_support.h"

#include "calc/forms/calc_forms.h"
#include "calc/forms/tightening_form.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/units.h"
#include "platform/dialogs.h"

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

}  // namespace
