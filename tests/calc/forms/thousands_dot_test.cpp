// A typed "15.000" where "," is the decimal sign may mean fifteen thousand:
// the form names both readings instead of taking the smaller one.
#include "form_test_support.h"

#include "../../comma_locale.h"
#include "calc/forms/bolt_form.h"
#include "calc/forms/load_form.h"
#include "calc/joint_records.h"
#include "framework/globals.h"
#include "platform/dialogs.h"

#include <QTableWidget>
#include <utility>

namespace {

class ThousandsDotTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    SetUpThroughBoltedM12Joint();
  }
  // As the user types it.
  static void Typed(QLineEdit* edit, const char* text) {
    edit->setText(text);
    edit->setModified(true);
  }
};

TEST_F(ThousandsDotTest, ADotBeforeThreeDigitsIsRefusedWithBothReadingsWhereTheDecimalSignIsAComma) {
  TForm_bq4last form;
  const Extended before = Last.FAmax;
  platform::DialogScript script;
  // The configured decimal sign is ",".
  DecimalCommaMode = 2;
  Typed(form.Edit_fao, "15.000");
  script.Ok().Expect("FA max: \"15.000\" is ambiguous: 15000 or 15 ?  Please type 15000, or 15.");
  form.Button_okClick();
  EXPECT_EQ(Last.FAmax, before);
  EXPECT_EQ(form.result(), QDialog::Rejected);
  Typed(form.Edit_fao, "-1.250");
  script.Ok().Expect("\"-1.250\" is ambiguous: -1250 or -1,25 ?");
  form.Button_okClick();
  EXPECT_EQ(Last.FAmax, before);
  // What is plain passes: no group of three, a leading 0, a comma.
  for (const char* plain : {"15000", "0.125", "1.25", "1,250"}) {
    Typed(form.Edit_fao, plain);
    form.Button_okClick();
    EXPECT_EQ(form.result(), QDialog::Accepted) << plain;
    form.setResult(QDialog::Rejected);
  }
  EXPECT_NEAR(static_cast<double>(Last.FAmax), 1.25, 1e-12);
  // A text the form shows itself is its own, however it reads.
  form.Edit_fao->setText("1.250");
  form.Button_okClick();
  EXPECT_NEAR(static_cast<double>(Last.FAmax), 1.25, 1e-12);

  // "." configured: the dot is the decimal point.
  DecimalCommaMode = 1;
  form.setResult(QDialog::Rejected);
  Typed(form.Edit_fao, "2.500");
  form.Button_okClick();
  EXPECT_NEAR(static_cast<double>(Last.FAmax), 2.5, 1e-12);
}

// Where the forms show "." an English writer's "1,500" means 1500: the
// comma before three digits is refused in the same way; "1,5" is 1.5.
TEST_F(ThousandsDotTest, ACommaBeforeThreeDigitsIsRefusedWhereTheDecimalSignIsADot) {
  ASSERT_EQ(DecimalCommaMode, 1);
  TForm_bq4last form;
  const Extended before = Last.FAmax;
  platform::DialogScript script;
  Typed(form.Edit_fao, "1,500");
  script.Ok().Expect("FA max: \"1,500\" is ambiguous: 1500 or 1.5 ?  Please type 1500, or 1.5.");
  form.Button_okClick();
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_EQ(Last.FAmax, before);
  Typed(form.Edit_fao, "1,5");
  form.Button_okClick();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_NEAR(static_cast<double>(Last.FAmax), 1.5, 1e-12);
  EXPECT_EQ(script.Pending(), 0u);
}

// The forms take a number back as they show it: with "." shown (the
// default) the dot is the decimal point under any locale; with "," shown a
// dot before three digits is refused in the bolt sections' grid as well.
TEST_F(ThousandsDotTest, NumbersAreReadWithTheDecimalSignTheFormsShow) {
  BQ4_IN_COMMA_LOCALE(german, true);
  ASSERT_EQ(DecimalCommaMode, 1);
  TForm_bq4last form;
  for (const auto& [typed, value] : {std::pair{"1.125", 1.125}, {"10.863", 10.863}, {"55.000", 55.0}}) {
    form.setResult(QDialog::Rejected);
    Typed(form.Edit_fao, typed);
    form.Button_okClick();
    EXPECT_EQ(form.result(), QDialog::Accepted) << typed;
    EXPECT_NEAR(static_cast<double>(Last.FAmax), value, 1e-12) << typed;
  }

  DecimalCommaMode = 2;
  Schraube.BoltType = 3;  // self-defined: its sections are typed in the grid
  Schraube.nSections = 1;
  Schraube.dSec[1] = 12;
  Schraube.lSec[1] = 40;
  TForm_bq4bolt bolt;
  bolt.Filling = 0;
  ASSERT_TRUE(bolt.StringGrid_boltgeo->isEnabled());
  platform::DialogScript script;
  bolt.StringGrid_boltgeo->item(0, 2)->setText("2.500");
  script.Ok().Expect("section 1, di: \"2.500\" is ambiguous: 2500 or 2,5 ?");
  bolt.Button_okClick();
  EXPECT_EQ(bolt.result(), QDialog::Rejected);
  EXPECT_EQ(Schraube.diSec[1], 0);
  EXPECT_EQ(bolt.StringGrid_boltgeo->currentColumn(), 2);
  // While typing nothing is said; the shown values are the form's own.
  EXPECT_FALSE(bolt.StoreInput(false));
  EXPECT_EQ(script.Pending(), 0u);
  bolt.StringGrid_boltgeo->item(0, 2)->setText("2,5");
  bolt.Button_okClick();
  EXPECT_EQ(bolt.result(), QDialog::Accepted);
  EXPECT_NEAR(static_cast<double>(Schraube.diSec[1]), 2.5, 1e-12);
  EXPECT_EQ(Schraube.dSec[1], 12);
  EXPECT_EQ(script.Pending(), 0u);
}

}  // namespace
