// The drawing information form built offscreen, filled and confirmed
// directly, and run through the dialog script.
#include "framework/forms/drawing_info_form.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "framework/change_history.h"
#include "framework/clock.h"
#include "framework/drawing_info.h"
#include "framework/file_utils.h"
#include "framework/init.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

class DrawingInfoFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    PinClock(ClockReading{2026, 12, 6, 9, 5, 0, 0});
    InitChangeHistory();
  }
  void TearDown() override { InitClock(); }

  static void Set(QTableWidget* grid, int row, int column, const char* text) {
    grid->setItem(row, column, new QTableWidgetItem(text));
  }
  static QString Get(QTableWidget* grid, int row, int column) {
    return grid->item(row, column) ? grid->item(row, column)->text() : QString();
  }
  static void TextRow(QTableWidget* grid, int row, const char* x, const char* text) {
    Set(grid, row, 0, x);
    Set(grid, row, 4, text);
  }
};

TEST_F(DrawingInfoFormTest, ShowsTheIdentificationAndTheUsedTextRows) {
  CadState.CadApprovalLabel4 = "Release";
  ReplacementFor = "DRW-0700";
  CheckName = "KL";
  DrawingTextCount = 1;
  DrawingTexts[1] = {12.5L, 100, 3.5L, 90, "first"};
  DrawingTexts[2] = {1, 2, 3, 4, "unused"};
  TForm_zeichInfo form;
  EXPECT_EQ(form.Edit_ersatzfuer->text(), "DRW-0700");
  EXPECT_EQ(form.StringGrid1->verticalHeaderItem(3)->text(), "Release");
  EXPECT_EQ(Get(form.StringGrid1, 1, 1), "KL");
  EXPECT_EQ(Get(form.StringGrid1, 0, 0), QString::fromStdString(TodayText()));
  EXPECT_EQ(Get(form.StringGrid2, 0, 0), "12.5");
  EXPECT_EQ(Get(form.StringGrid2, 0, 4), "first");
  EXPECT_EQ(Get(form.StringGrid2, 1, 4), "");
  EXPECT_EQ(form.DateButtons[2]->text(), "< " + QString::fromStdString(TodayText()));
}

// Rows up to the first blank text, eight at most, texts cut to 80; a blank
// first row is stored as one empty record.
TEST_F(DrawingInfoFormTest, TextRowsAreTakenUpToTheFirstBlankText) {
  TForm_zeichInfo form;
  TextRow(form.StringGrid2, 0, "10", "first");
  TextRow(form.StringGrid2, 1, "20,5", "second");
  TextRow(form.StringGrid2, 2, "30", "   ");  // only blanks: the list ends here
  TextRow(form.StringGrid2, 3, "40", "fourth");
  AbortFlag = 1;
  form.Button_okClick();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(AbortFlag, 0);
  ASSERT_EQ(DrawingTextCount, 2);
  EXPECT_EQ(DrawingTexts[2].x, 20.5L);
  EXPECT_EQ(DrawingTexts[2].Text.str(), "second");

  TForm_zeichInfo full;
  const std::string longText(90, 't');
  for (int r = 0; r < 8; ++r) TextRow(full.StringGrid2, r, "1", longText.c_str());
  full.Button_okClick();
  EXPECT_EQ(DrawingTextCount, 8);
  EXPECT_EQ(DrawingTexts[8].Text.str(), std::string(80, 't'));

  InitChangeHistory();
  TForm_zeichInfo blank;
  blank.Button_okClick();
  EXPECT_EQ(DrawingTextCount, 1);
  EXPECT_EQ(DrawingTexts[1].Text.str(), "");
  EXPECT_EQ(DrawingTexts[1].x, 0);
}

TEST_F(DrawingInfoFormTest, NumbersLeftAsShownKeepEveryDigitAndSignaturesAreCutToTen) {
  DrawingTextCount = 1;
  DrawingTexts[1] = {100.0L / 3, 152.25L, 2.5L, 0, "kept"};
  TForm_zeichInfo form;
  EXPECT_LT(Get(form.StringGrid2, 0, 0).size(), 8);  // shown with a few digits only
  Set(form.StringGrid2, 0, 2, "5");
  form.Button_okClick();
  EXPECT_EQ(DrawingTexts[1].x, 100.0L / 3);
  EXPECT_EQ(DrawingTexts[1].y, 152.25L);
  EXPECT_EQ(DrawingTexts[1].h, 5);

  // Signature cells are cut to ten characters; date buttons give today.
  TForm_zeichInfo signatures;
  Set(signatures.StringGrid1, 1, 1, "Maximilian Mustermann");
  Set(signatures.StringGrid1, 3, 0, "");
  signatures.DateButtonClick(3);
  signatures.Button_okClick();
  EXPECT_EQ(CheckName.str(), "Maximilian");
  EXPECT_EQ(Row4Date.str(), TodayText());
}

TEST_F(DrawingInfoFormTest, ATextThatIsNoNumberKeepsTheFormOpenOkStoresAndCancelKeepsEverything) {
  TForm_zeichInfo form;
  TextRow(form.StringGrid2, 0, "12x", "text");
  form.Edit_ersatzfuer->setText("NEW");
  platform::DialogScript script;
  script.Ok().Expect("Invalid Input \"12x\"");
  form.Button_okClick();
  EXPECT_NE(form.result(), QDialog::Accepted);
  EXPECT_EQ(ReplacementFor.str(), "");  // nothing stored
  EXPECT_EQ(form.StringGrid2->currentRow(), 0);

  // Scripted OK stores; Cancel keeps everything.
  script.Ok({{"Edit_ersatzfuer", "DRW-0700"}, {"Edit_ersetztdurch", "DRW-0900-LONGER-THAN-15"}}).Expect("Info drawing");
  EXPECT_EQ(ShowChangeInfoForm(), 0);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(InputModified, 1);
  EXPECT_EQ(ReplacementFor.str(), "DRW-0700");
  EXPECT_EQ(ReplacedBy.str(), "DRW-0900-LONGER");
  InputModified = 0;
  script.Press("Button_cancel", {{"Edit_ersatzfuer", "changed"}});
  ChangesMenu(6);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(InputModified, 0);
  EXPECT_EQ(ReplacementFor.str(), "DRW-0700");
}

}  // namespace
