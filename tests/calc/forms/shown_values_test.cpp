// The input forms store what they show: a copied field takes the value of
// the field it copies, what the user typed is stored as typed, a value the
// calculation would refuse is refused at its field, and a result field shows
// what the calculation worked out in the precision of the other fields.
#include "form_test_support.h"

#include <QTableWidget>

#include "calc/calculation.h"
#include "calc/forms/bolt_form.h"
#include "calc/forms/eccentric_form.h"
#include "calc/forms/load_form.h"
#include "calc/forms/preload_form.h"
#include "calc/forms/tightening_form.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

std::string RunMessages() {
  std::string all;
  for (int i = 1; i <= CalcMessages.count && i <= static_cast<int>(kCalcMessageSlots); ++i)
    all += CalcMessages.texts[i].str() + "\n";
  return all;
}

class ShownValuesTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    SetUpThroughBoltedM12Joint();
  }
  void TearDown() override {
    UnitSystem = 0;
    FormTest::TearDown();
  }
  // The user's typing: the text, marked as typed.
  static void Type(QLineEdit* edit, const char* text) {
    edit->setText(text);
    edit->setModified(true);
  }
  // OK of a form, answering the one message it shows with `says` in it.
  static void OkRefused(QDialog& form, QPushButton* ok, const std::string& says) {
    platform::DialogScript script;
    script.Ok().Expect(says);
    ok->click();
    EXPECT_EQ(script.Pending(), 0u) << says;
    EXPECT_NE(form.result(), QDialog::Accepted);
  }
};

TEST_F(ShownValuesTest, StaticalAndVCopyTheStoredValueAndATypedTextIsStoredAsTyped) {
  for (const Word units : {0, 1}) {
    SCOPED_TRACE(units ? "imperial" : "metric");
    UnitSystem = units;
    Last.FAmax = 7777.5L;
    Last.FAmin = 0;
    {
      TForm_bq4last form;
      ASSERT_EQ(Text(form.Edit_fao->text()), ForceToText(7777.5L));  // rounded: "7778", "1748.5"
      form.Button_statisch->click();
      EXPECT_EQ(form.Edit_fau->text(), form.Edit_fao->text());
      ASSERT_TRUE(form.StoreInput());
      EXPECT_EQ(Last.FAmin, 7777.5L);
      EXPECT_EQ(Last.FAmax, 7777.5L);
      // Another text in FA min ends the copy: what it shows is read.
      form.Edit_fau->setText("5000");
      ASSERT_TRUE(form.StoreInput());
      EXPECT_EQ(Last.FAmin, TextToForce("5000"));
    }
    {
      // FA max typed over with its own text is the typed value, and so is its copy.
      Last.FAmin = 0;
      TForm_bq4last form;
      Type(form.Edit_fao, ForceToText(7777.5L).c_str());
      form.Button_statisch->click();
      ASSERT_TRUE(form.StoreInput());
      EXPECT_EQ(Last.FAmax, TextToForce(ForceToText(7777.5L)));
      EXPECT_EQ(Last.FAmin, Last.FAmax);
    }
  }
  UnitSystem = 0;
  ExzKraftangriff.u = 12.34567L;
  ExzKraftangriff.v = 0;
  TForm_exz form;
  ASSERT_EQ(Text(form.Edit_u->text()), "12.35");
  form.Button_vClick();
  form.Button_okClick();
  EXPECT_EQ(ExzKraftangriff.v, 12.34567L);
  EXPECT_EQ(ExzKraftangriff.u, 12.34567L);
}

TEST_F(ShownValuesTest, TheLoadFormRefusesWhatTheCalculationWouldRefuseNamingTheLimit) {
  Last.FQ = 1e-300L;  // shown as "0"
  {
    TForm_bq4last form;
    ASSERT_EQ(Text(form.Edit_fq->text()), "0");
    const std::string limit = "Valid Data are: 0 .. 1000000000 N !  Other than 0 at least 0.001 N.";
    for (const char* typed : {"1e-300", "0.0005"}) {
      Type(form.Edit_fq, typed);
      OkRefused(form, form.Button_ok, std::string("FQ: Invalid Input \"") + typed + "\" !  " + limit);
      EXPECT_EQ(Last.FQ, 1e-300L);
    }
    // The limit itself is taken, as the calculation takes it.
    Type(form.Edit_fq, "0.001");
    ASSERT_TRUE(form.StoreInput());
    EXPECT_EQ(Last.FQ, 0.001L);
    // "0" typed over the "0" shown is 0.
    Type(form.Edit_fq, "0");
    form.Button_okClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(Last.FQ, 0);
  }
  // Left as it is, the "0" shown is stored: the calculation would refuse 1e-300.
  Last.FQ = 1e-300L;
  {
    TForm_bq4last form;
    form.Button_okClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(Last.FQ, 0);
  }
  // A signed load names the limit as a size; in pounds the limit is the newton's.
  UnitSystem = 1;
  TForm_bq4last form;
  Type(form.Edit_fao, "-0.0002");  // 0.00089 N
  OkRefused(form, form.Button_ok, "Other than 0 at least 2.25E-4 lbf in size.");
  Type(form.Edit_fao, "-0.000225");
  ASSERT_TRUE(form.StoreInput());
  EXPECT_EQ(Last.FAmax, TextToForce("-0.000225"));
  CalculateJoint();
  EXPECT_EQ(RunMessages().find("out of range: FA"), std::string::npos) << RunMessages();
}

TEST_F(ShownValuesTest, ThePreloadFormAndTheBoltGridRefuseTheSameValuesAsTheCalculation) {
  CalcOptions.FpreOn = 1;
  TForm_bq4pre pre;
  pre.Edit_fpre->setText("0.0005");
  OkRefused(pre, pre.Button_ok, "Other than 0 at least 0.001.");
  EXPECT_EQ(Last.Fpre, 0);

  // A grid cell that holds no number is refused by name, not taken as 0.
  Schraube.BoltType = 3;
  Schraube.nSections = 1;
  Schraube.dSec[1] = 12;
  Schraube.diSec[1] = 0;
  Schraube.lSec[1] = 60;
  TForm_bq4bolt bolt;
  QTableWidget* grid = bolt.StringGrid_boltgeo;
  ASSERT_TRUE(grid->isEnabled());
  grid->setItem(0, 1, new QTableWidgetItem("abc"));
  OkRefused(bolt, bolt.Button_ok, "section 1, de: Invalid Input \"abc\" !  Valid Data are: 0 .. 100000 mm !");
  EXPECT_EQ(grid->currentRow(), 0);
  EXPECT_EQ(grid->currentColumn(), 1);
  grid->setItem(0, 1, new QTableWidgetItem("0.0004"));
  OkRefused(bolt, bolt.Button_ok, "Other than 0 at least 0.001 mm.");
  grid->setItem(0, 1, new QTableWidgetItem(""));
  OkRefused(bolt, bolt.Button_ok, "section 1, de: Invalid Input \"\" !");
  EXPECT_EQ(Schraube.dSec[1], 12);

  // Empty rows added with the arrow are no sections; a row below one moves up,
  // and an empty inner diameter is a section without a bore.
  grid->setItem(0, 1, new QTableWidgetItem("12"));
  bolt.UpDown1->Click(false);
  bolt.UpDown1->Click(false);
  bolt.UpDown1->Click(false);
  ASSERT_EQ(grid->rowCount(), 4);
  grid->setItem(2, 1, new QTableWidgetItem("10"));
  grid->setItem(2, 3, new QTableWidgetItem("35"));
  bolt.Button_okClick();
  EXPECT_EQ(bolt.result(), QDialog::Accepted);
  EXPECT_EQ(Schraube.nSections, 2);
  EXPECT_EQ(Schraube.dSec[2], 10);
  EXPECT_EQ(Schraube.diSec[2], 0);
  EXPECT_EQ(Schraube.lSec[2], 35);
}

// The scatter fields that are not the chosen input show the calculated
// values in the precision of every other field, and taking one as the input
// keeps the value calculated, not its text.
TEST_F(ShownValuesTest, ScatterResultsShowTheFieldsPrecisionAndAreTakenUnrounded) {
  SetUpTappedM12Joint();
  CalcOptions.FrictionTolerances = 1;
  Last.AlphaAChoice = 1;
  Montage.alphaA = 1.6L;
  TForm_bq4anzi form;
  form.FillForm();
  ASSERT_GT(Last.MAmin, 0);
  EXPECT_EQ(Text(form.Edit_mamin->text()), MomentToText(Last.MAmin));
  EXPECT_EQ(Text(form.Edit_fmmin->text()), ForceToText(Last.FMminGiven));
  EXPECT_EQ(Text(form.Edit_tolma->text()), FloatToText(Last.TorqueScatter * 100));
  EXPECT_LE(Text(form.Edit_fmmin->text()).size(), 6u);  // "30673", not "30673.37"
  const Extended mamin = Last.MAmin;
  form.RadioGroup_alphaa->SetItemIndex(2);
  form.RadioGroup_alphaaClick();
  form.Button_okClick();
  EXPECT_EQ(Last.AlphaAChoice, 3);
  EXPECT_EQ(Last.MAmin, mamin);
}

}  // namespace
