#include "framework/calc_messages.h"

#include "app/printing.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

#include "app/forms/printconf_form.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "calc/project_file.h"
#include "calc/table_access.h"
#include "platform/dialogs.h"
#include "platform/printer.h"

namespace {

using PrintingTest = AppTest;

TEST_F(PrintingTest, FormStartsFromTheScreenDumpSettingsAndReadsTextThatIsNoNumberAsZero) {
  PrintMode = 1;
  ScreendumpOriginX = 12;
  TForm_printconf form(false);
  EXPECT_EQ(form.Edit_xorigin->text().toStdString(), "12");
  form.Edit_xorigin->setText("abc");
  form.Edit_scalex->setText("2,5");
  form.Radio_landscape->setChecked(true);
  form.Radio_mono->setChecked(true);
  form.StoreForm();
  EXPECT_EQ(PrintOriginX, 0);
  EXPECT_EQ(PrintScaleX, 2.5L);
  EXPECT_TRUE(platform::PrinterLandscape());
  EXPECT_EQ(WindowsPrintMode, 1);
  // OK refuses the text before anything is stored or printed.
  Answered([&](auto& s) { s.Ok().Expect("Origin x: Invalid Input \"abc\" !"); }, [&] { form.Button_okClick(); });
}

// The printer setup starts and ends a job on the chosen printer, then shows
// what that printer reports.
TEST_F(PrintingTest, PrinterSetupOpensThePrinterAndShowsItsInformation) {
  platform::PrintChoice choice;
  choice.outputFile = dir_ + "/info.pdf";
  platform::SetPrinterChoice(choice);
  TForm_printconf form(true);
  Answered([&](auto& s) { s.Ok().Expect("Printer"); }, [&] { form.Button_okClick(); });
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(choice.outputFile)));
  platform::ResetPrinter();
}

TEST_F(PrintingTest, PrintMacroAndPrintConfigurationPrintTheirPictures) {
  Sample("null.bq4");
  Thh main;
  const std::string pdf = dir_ + "/macro.pdf";
  PrintMacroSelection = 0;
  // Box 12 (the flange) cannot be checked: the form refuses it.
  Answered([&](auto& s) { s.Ok({{"CheckBox_13", "1"}}).Ok({{"file", pdf}}); }, [&] { main.mi_filePrintMacroClick(); });
  EXPECT_EQ(PrintMacroSelection, 1 << 12);
  EXPECT_EQ(platform::PrinterPagesPrinted(), 1);  // each checked picture as one job
  EXPECT_GT(QFileInfo(QString::fromStdString(pdf)).size(), 1000);
  // Cancel in the print dialog prints nothing.
  std::filesystem::remove(pdf);
  Answered([&](auto& s) { s.Ok().Cancel(); }, [&] { main.mi_filePrintMacroClick(); });
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdf)));

  // The print configuration prints the display list.
  main.Item("mi_viewzeichnungschraubenverbindung")->trigger();
  platform::PrintChoice choice;
  choice.outputFile = dir_ + "/view.pdf";
  platform::SetPrinterChoice(choice);
  Answered([&](auto& s) { s.Ok({{"Edit_scalex", "1"}}); }, [&] { main.mi_fileprintClick(); });
  EXPECT_GT(QFileInfo(QString::fromStdString(choice.outputFile)).size(), 1000);
}

TEST_F(PrintingTest, DatabaseLoadsAndAppliesNamedSettings) {
  // The named settings are written: a copy of the table of our own.
  std::filesystem::copy_file(std::string(BQ4_BINARY_DIR) + "/data/tables/printout.dbf", dir_ + "/printout.dbf");
  DbfDir = dir_;
  PrintMode = 1;
  TForm_printconf form(false);
  TableDialogHook = [](std::string_view, int, std::int32_t& rec) {
    rec = 3;  // "A3 landscape scaled"
    return true;
  };
  form.Button_dbClick();
  TableDialogHook = nullptr;
  EXPECT_EQ(form.Edit_scalex->text().toStdString(), "1.400");
  EXPECT_EQ(form.Edit_xorigin->text().toStdString(), "10");
  EXPECT_TRUE(form.Radio_landscape->isChecked());
  EXPECT_TRUE(form.Radio_colour->isChecked());
  EXPECT_TRUE(form.CheckBox_anpassen->isChecked());
  EXPECT_TRUE(form.CheckBox_umrandung->isChecked());

  form.Edit_scaley->setText("2.5");
  Answered([&](auto& s) { s.Ok({{"Edit_text", "mine"}}); }, [&] { form.Button_appendClick(); });
  OpenDbfTable("printout.dbf");
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(DbfRecordCount(), 4);
  GotoDbfRecord(4);
  EXPECT_EQ(DbfFieldText(1), "mine");
  EXPECT_EQ(DbfFieldText(3), "2.500");
  CloseDbfTable();
}

}  // namespace
