// The change and document set-up forms built offscreen.
#include "framework/forms/change_form.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include "framework/change_history.h"
#include "framework/charset.h"
#include "framework/clock.h"
#include "framework/documents.h"
#include "framework/file_utils.h"
#include "framework/forms/document_setup_form.h"
#include "framework/forms/drawing_info_form.h"
#include "framework/drawing_info.h"
#include "framework/init.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

class ChangeFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    PinClock(ClockReading{2026, 12, 6, 9, 5, 0, 0});
  }
  void TearDown() override { InitClock(); }
};

TEST_F(ChangeFormTest, ShowsTheRecordAndStoresItAsOneLineInTheFileCodePage) {
  Changes[3] = {"bore 12", "2026/01/02", "JS", "first|second"};
  TForm_EinAend form(3);
  EXPECT_EQ(form.Edit_aenderung->text(), "bore 12");
  EXPECT_EQ(form.Memo_beschreibung->toPlainText(), "first|second");
  EXPECT_EQ(form.Button_datum->text(), "<" + QString::fromStdString(TodayText()));
  form.Memo_beschreibung->setPlainText("typed\non three\r\nlines");
  form.Edit_bearbeiter->setText("ABCDEFG");
  form.Button_datumClick();
  AbortFlag = 1;
  form.Button_okClick();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Changes[3].Description.str(), "typed|on three|lines");
  EXPECT_EQ(Changes[3].Editor.str(), "ABCDE");
  EXPECT_EQ(Changes[3].Date.str(), TodayText());

  // Umlauts are stored in the file's code page.
  TForm_EinAend first(1);
  first.Edit_aenderung->setText(QString::fromUtf8("Ma\xc3\x9f \xc3\xa4"));  // "Maß ä"
  first.Button_okClick();
  EXPECT_EQ(Changes[1].Change.str(), "Ma\xe1 \x84");  // code page 437
  TForm_EinAend again(1);
  EXPECT_EQ(again.Edit_aenderung->text(), QString::fromUtf8("Ma\xc3\x9f \xc3\xa4"));
}

// The description memo takes 255 characters: more is refused where it is
// typed or pasted, so OK stores exactly what the memo shows.
TEST_F(ChangeFormTest, DescriptionStopsAt255CharactersWhereTheyAreTyped) {
  TForm_EinAend form(1);
  QPlainTextEdit* memo = form.Memo_beschreibung;
  memo->setPlainText(QString(254, 'a'));
  QTextCursor cursor = memo->textCursor();
  cursor.setPosition(10);
  memo->setTextCursor(cursor);
  memo->insertPlainText("XYZ");  // only the first fits, at its place
  EXPECT_EQ(memo->toPlainText(), QString(10, 'a') + "X" + QString(244, 'a'));
  memo->insertPlainText("more");
  EXPECT_EQ(memo->toPlainText().size(), 255);
  memo->setPlainText(QString(300, 'b'));
  EXPECT_EQ(memo->toPlainText(), QString(255, 'b'));
  form.Button_okClick();
  EXPECT_EQ(Changes[1].Description.str(), std::string(255, 'b'));
}

// A typed character that the file's code page lacks is stored as "?", never
// as another letter; one it has (the Greek Phi) shows as itself.
TEST_F(ChangeFormTest, CharactersTheCodePageLacksAreStoredAsQuestionMarks) {
  TForm_EinAend form(1);
  form.Edit_aenderung->setText(QString::fromUtf8("5 \u20AC S\u00E3o"));
  form.Memo_beschreibung->setPlainText(QString::fromUtf8("Preis \u0161 \u00F5 \u03A6K \u00E4 \U0001F600"));
  form.Button_okClick();
  EXPECT_EQ(Changes[1].Change.str(), "5 ? S?o");
  EXPECT_EQ(Changes[1].Description.str(), "Preis ? ? \xE8K \x84 ?");
  EXPECT_EQ(OemToUtf8(Changes[1].Description.view()), "Preis ? ? \u03A6K \u00E4 ?");
  TForm_EinAend again(1);
  EXPECT_EQ(again.Memo_beschreibung->toPlainText(), QString::fromUtf8("Preis ? ? \u03A6K \u00E4 ?"));

  // The messages of the program in a list show their code page letters.
  EXPECT_EQ(ShownDisplayText(OemToAnsiText("Fatal  : \xE8K = 0 !")), QString::fromUtf8("Fatal  : \u03A6K = 0 !"));
  EXPECT_EQ(DisplayTextOf(QString::fromUtf8("\u03A6K \u20AC")), OemToAnsiText("\xE8K ?"));

  // The drawing information keeps them alike.
  TForm_zeichInfo info;
  info.Edit_ersatzfuer->setText(QString::fromUtf8("Z-\u00E4\u20AC\u03A9"));
  info.Button_okClick();
  EXPECT_EQ(ReplacementFor.str(), "Z-\x84?\xEA");
}

TEST_F(ChangeFormTest, CancelAndEscapeSetTheAbortFlagAndStoreNothing) {
  Changes[1].Change = "old";
  TForm_EinAend form(1);
  form.Edit_aenderung->setText("new");
  form.Button_cancelClick();
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Changes[1].Change.str(), "old");
  AbortFlag = 0;
  TForm_EinAend esc(1);
  esc.reject();
  EXPECT_EQ(AbortFlag, 1);
}

TEST_F(ChangeFormTest, DocumentButtonsFillTheEditsAndACancelledChoiceChangesNothing) {
  Documents[2] = {"old", "old.txt"};
  TForm_confDoku form;
  EXPECT_EQ(form.Edit_file[1]->text(), "old.txt");
  {
    platform::DialogScript script;
    script.File("/usr/bin/gimp");
    script.Cancel();
    form.Button_progClick(0);
    form.Button_fileClick(1);
  }
  EXPECT_EQ(AbortFlag, 0);  // the form stays open for OK or Cancel
  EXPECT_EQ(form.Edit_prog[0]->text(), "/usr/bin/gimp");
  EXPECT_EQ(form.Edit_file[1]->text(), "old.txt");

  // A chosen file keeps its whole name; one too long for the record is
  // refused with a message and leaves the edit as it was.
  const std::string deep = "/home/user/projects/pump-housing/drawings/revision-2026/flange-bolts.pdf";
  {
    platform::DialogScript script;
    script.File(deep);
    script.File("/tmp/" + std::string(300, 'n'));
    script.Ok().Expect("longer than 255");
    form.Button_fileClick(0);
    form.Button_fileClick(1);
  }
  EXPECT_EQ(form.Edit_file[0]->text().toStdString(), deep);
  EXPECT_EQ(form.Edit_file[1]->text(), "old.txt");
  form.Button_okClick();
  EXPECT_EQ(Documents[1].DocFile.str(), deep);
}

}  // namespace
