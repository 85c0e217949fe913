// The input dialogs built offscreen: filled, keyed and read back directly.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "../output_test_support.h"
#include "framework/forms/form_selectdir.h"
#include "framework/forms/in_codedialog.h"
#include "framework/forms/in_janeindialog.h"
#include "framework/forms/in_radiodialog.h"
#include "framework/forms/in_textdialog.h"
#include "framework/forms/input_forms.h"
#include "framework/forms/placement.h"
#include "framework/forms/show_screen.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/init.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

class InputFormsTest : public FrameworkTest {
 protected:
  // Shows the form offscreen and sends a key to the focused control.
  static void Key(QDialog& form, QWidget* target, int key) {
    form.setAttribute(Qt::WA_DontShowOnScreen, true);
    form.show();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
  }
};

// The list dialog returns its row counted from one; its OK also clears AbortFlag.
TEST_F(InputFormsTest, EnterIsOkAndEscapeCancels) {
  Tin_codedialog list("p", {"a", "b", "c", "d", "e", "f", "g", "h"}, 2);
  list.ListBox_items->setFocus();
  list.ListBox_items->setCurrentRow(6);
  AbortFlag = 1;
  Key(list, list.ListBox_items, Qt::Key_Return);
  EXPECT_EQ(list.result(), QDialog::Accepted);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(list.Result(), 7);

  Tin_textdialog text("Name", 10, "abc");
  text.Edit_text->setFocus();
  Key(text, text.Edit_text, Qt::Key_Escape);
  EXPECT_EQ(text.result(), QDialog::Rejected);
  EXPECT_EQ(AbortFlag, 1);
}

TEST_F(InputFormsTest, TextDialogLimitsTheLength) {
  Tin_textdialog dlg("Designation of the joint, at most twelve characters", 12, "start");
  EXPECT_EQ(dlg.Text(), "start");
  dlg.Edit_text->setText("a much longer text than allowed");
  EXPECT_EQ(dlg.Text(), "a much longe");

  // A longer text the dialog is given comes back whole; typing adds nothing to it.
  const std::string line = "/usr/bin/plotter --device=/dev/usb/lp0 --scale=1.0 --paper=a3 " + std::string(110, 'x');
  std::string text = line;
  platform::DialogScript script;
  script.Ok();
  EXPECT_TRUE(RunTextDialog("VESKART Command Line", 80, text));
  EXPECT_EQ(text, line);
  Tin_textdialog given("p", 5, QString::fromStdString(line));
  Key(given, given.Edit_text, Qt::Key_End);
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(given.Edit_text, &typed);
  EXPECT_EQ(given.Text().toStdString(), line);
}

TEST_F(InputFormsTest, HelpButtonsKeepTheDialogOpenAndClearAbort) {
  PltDir = std::string(BQ4_SOURCE_DIR) + "/data/plt";
  SetHelpNumber(3055);
  platform::DialogScript script;
  script.Ok().Expect("HELP TEXT No.3055").Ok();
  Tin_textdialog text("p", 5, "");
  AbortFlag = 1;
  text.Button_helpClick();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_NE(text.result(), QDialog::Accepted);
  Tin_janeindialog yesNo("p", 'J');
  yesNo.Button_helpClick();
  yesNo.Button_imageClick();  // picture only: no message box
  EXPECT_NE(yesNo.result(), QDialog::Accepted);
}

TEST_F(InputFormsTest, SelectDirListsAndEntersSubdirectoriesAndRefusesAMissingOne) {
  std::string base = platform::ProcessTempDir() + "/seldir";
  QDir().mkpath(QString::fromStdString(base + "/alpha"));
  QDir().mkpath(QString::fromStdString(base + "/beta"));
  TForm_selectDir dlg(QString::fromStdString(base));
  ASSERT_EQ(dlg.DirListBox->count(), 3);
  EXPECT_EQ(dlg.DirListBox->item(0)->text(), "..");
  EXPECT_EQ(dlg.DirListBox->item(2)->text(), "beta");
  dlg.DirListBox->setCurrentRow(2);
  emit dlg.DirListBox->itemDoubleClicked(dlg.DirListBox->item(2));
  EXPECT_EQ(dlg.Directory().toStdString(), base + "/beta");
  dlg.Button_okClick();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);

  TForm_selectDir missing(QString::fromStdString(base));
  missing.Edit_directory->setText("/no/such/directory");
  platform::DialogScript script;
  script.Ok().Expect("not found");
  missing.Button_okClick();
  EXPECT_NE(missing.result(), QDialog::Accepted);
}

TEST_F(InputFormsTest, ShowScreenUsesAFixedPitchFont) {
  TShowScreen dlg("BQ4", {"line one", "line two"});
  EXPECT_EQ(dlg.Memo_text->toPlainText(), "line one\nline two");
  EXPECT_TRUE(dlg.Memo_text->isReadOnly());
  // What the user sees: a narrow and a wide letter take the same room.
  const QFontMetrics metrics(dlg.Memo_text->font());
  EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
}

TEST_F(InputFormsTest, InputWindowScaleSizesTheDialogs) {
  InputWindowScale = 100;
  Tin_janeindialog normal("Save the changes?", 'J');
  InputWindowScale = 150;
  Tin_janeindialog large("Save the changes?", 'J');
  EXPECT_EQ(large.width(), normal.width() * 150 / 100);
  EXPECT_EQ(large.height(), normal.height() * 150 / 100);
  EXPECT_EQ(large.minimumSize(), large.maximumSize());
}

}  // namespace

namespace {

// A form that its layout keeps larger than the scale asks is centred at the
// size it gets.
TEST_F(InputFormsTest, AFormKeptAtItsLayoutsSizeIsCentredAtThatSize) {
  InputWindowScale = 50;
  QDialog form;
  auto* layout = new QVBoxLayout(&form);
  auto* wide = new QLabel("wide", &form);
  wide->setMinimumSize(500, 200);
  layout->addWidget(wide);
  form.resize(520, 240);
  ScaleCenterForm(form);
  const QRect screen = QApplication::primaryScreen()->availableGeometry();
  ASSERT_GE(form.width(), 500);
  EXPECT_EQ(form.x(), screen.left() + std::max(0, (screen.width() - form.width()) / 2));
  EXPECT_EQ(form.y(), screen.top() + std::max(0, (screen.height() - form.height()) / 2) + 20);
  InputWindowScale = 100;
}

TEST_F(InputFormsTest, ChoicesShowTheirWholeTextAtAnyInputWindowScale) {
  InputWindowScale = 79;  // a 75 dpi display
  const QStringList items = {"RTBHT Sig.ASV=0.85*(150/d+45) N/mm\u00B2 (VDI 2230:2003)",
                             "RTAHT Sig.ASG=Sig.ASV*(2*FSm/F0.2) N/mm\u00B2 (VDI 2230:2003)", "Database", "Input"};
  Tin_radiodialog form("endurance strength", items, 1);
  form.setAttribute(Qt::WA_DontShowOnScreen, true);
  form.show();
  QApplication::processEvents();
  for (QRadioButton* r : form.findChildren<QRadioButton*>()) {
    SCOPED_TRACE(r->text().toStdString());
    EXPECT_GE(r->width(), r->sizeHint().width());
    EXPECT_LE(r->mapTo(&form, QPoint(r->sizeHint().width(), 0)).x(), form.width());
  }
}

}  // namespace
