#include "framework/calc_messages.h"

#include "app/printing.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <filesystem>
#include <fstream>

#include "app/forms/printconf_form.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "calc/project_file.h"
#include "calc/table_access.h"
#include "framework/printer_setup.h"
#include "framework/report_window.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "../shell_quote.h"

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

// The printer setup shows what the chosen printer reports; into a PDF file it
// prints no empty job, which would replace the file.
TEST_F(PrintingTest, PrinterSetupShowsThePrinterInformationAndLeavesAPdfAlone) {
  platform::PrintChoice choice;
  choice.outputFile = dir_ + "/info.pdf";
  std::ofstream(choice.outputFile) << "kept";
  platform::SetPrinterChoice(choice);
  TForm_printconf form(true);
  Answered([&](auto& s) { s.Ok().Expect("Printer"); }, [&] { form.Button_okClick(); });
  EXPECT_EQ(QFileInfo(QString::fromStdString(choice.outputFile)).size(), 4);
  platform::ResetPrinter();
}

// The form names the PDF file that its print then proposes, not the file of
// an earlier print.
TEST_F(PrintingTest, ThePrintoutFormNamesTheFileItsPrintProposes) {
  Sample("null.bq4");
  Thh main;
  platform::PrintChoice choice;
  choice.outputFile = dir_ + "/printout.pdf";
  platform::SetPrinterChoice(choice);
  TForm_printconf form(false, &main);
  const std::string label = form.Label_printer->text().toStdString();
  ASSERT_EQ(label.rfind("PDF file ", 0), 0u) << label;
  EXPECT_EQ(label.find("printout.pdf"), std::string::npos) << label;
  platform::DialogScript script;
  script.Cancel();
  form.Button_okClick();
  ASSERT_EQ(script.Shown().size(), 1u);
  const std::string proposed = script.Shown()[0].text;
  EXPECT_EQ(proposed.substr(proposed.rfind('/') + 1), label.substr(9));

  // A long file name is shown whole.
  choice.outputFile = dir_ + "/Flanschverbindung mit langem Namen und \xC3\xA4 mehr.pdf";
  platform::SetPrinterChoice(choice);
  TForm_printconf setup(true, &main);
  EXPECT_EQ(setup.Label_printer->text().toStdString(), "PDF file Flanschverbindung mit langem Namen und \xC3\xA4 mehr.pdf");
  platform::ResetPrinter();
}

TEST_F(PrintingTest, PrintMacroAndPrintConfigurationPrintTheirPictures) {
  Sample("null.bq4");
  Thh main;
  const std::string pdf = dir_ + "/macro.pdf";
  PrintMacroSelection = 0;
  // Box 12 (the flange) cannot be checked: the form refuses it. The print
  // dialog chooses PDF output; the job proposes its own file, named after the
  // project and the picture, beside the one chosen.
  // The print dialog chooses PDF output: the macro asks nothing more and
  // prints into the file chosen.
  platform::DialogScript script;
  script.Ok({{"CheckBox_13", "1"}}).Ok({{"file", pdf}});
  main.mi_filePrintMacroClick();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(PrintMacroSelection, 1 << 12);
  EXPECT_EQ(platform::PrinterPagesPrinted(), 1);
  EXPECT_GT(QFileInfo(QString::fromStdString(pdf)).size(), 1000);
  // Cancel in the print dialog prints nothing.
  std::filesystem::remove(pdf);
  script.Ok().Cancel();
  main.mi_filePrintMacroClick();
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdf)));

  // The print configuration prints the display list, the file named after the
  // picture on the screen.
  main.Item("mi_viewzeichnungschraubenverbindung")->trigger();
  platform::PrintChoice choice;
  choice.outputFile = dir_ + "/view.pdf";
  platform::SetPrinterChoice(choice);
  script.Ok({{"Edit_scalex", "1"}}).File(dir_ + "/view.pdf").Expect("bq4-drawing.pdf");
  main.mi_fileprintClick();
  EXPECT_GT(QFileInfo(QString::fromStdString(choice.outputFile)).size(), 1000);
  // A file named with an umlaut is written under that name.
  const std::string named = dir_ + "/Ansicht \u00e4.pdf";
  script.Ok({{"Edit_scalex", "1"}}).File(named);
  main.mi_fileprintClick();
  EXPECT_GT(QFileInfo(QString::fromUtf8(named.c_str())).size(), 1000);
}

// A macro of the report and two pictures into a PDF file asks for the file
// once and writes one document: the report's pages, then a page for each
// picture, the report upright and the pictures across.
TEST_F(PrintingTest, PrintMacroIntoAPdfFileWritesOneDocumentOfAllItsPrintouts) {
  Sample("null.bq4");
  Thh main;
  CurrentFileName = dir_ + "/joint";
  FileNameWithPath = 1;
  PrintMode = 0;
  const std::string pdf = dir_ + "/macro.pdf";
  std::ofstream(pdf) << "old";
  PrintMacroSelection = 0;
  platform::DialogScript script;
  script.Ok({{"CheckBox_1", "1"}, {"CheckBox_8", "1"}, {"CheckBox_13", "1"}}).Ok({{"file", pdf}});
  script.Yes().Expect("already exists");  // asked once, for the one file
  main.mi_filePrintMacroClick();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  const int pages = platform::PrinterPagesPrinted();
  EXPECT_GE(pages, 3);
  for (const char* other : {"joint-report.pdf", "joint-drawing.pdf", "joint-load.pdf"})
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/" + other)) << other;
  ASSERT_GT(QFileInfo(QString::fromStdString(pdf)).size(), 1000);
  if (std::system("command -v pdfinfo >/dev/null && command -v pdftotext >/dev/null") != 0)
    GTEST_SKIP() << "poppler-utils are not installed";
  const std::string info = dir_ + "/info.txt";
  ASSERT_EQ(std::system(("pdfinfo -f 1 -l 99 " + ShellQuoted(pdf) + " > " + ShellQuoted(info)).c_str()), 0);
  std::ifstream in(info);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int inFile = 0;
  if (text.find("Pages:") != std::string::npos) std::sscanf(text.c_str() + text.find("Pages:") + 6, "%d", &inFile);
  EXPECT_EQ(inFile, pages) << text;
  // Titled after the project, not after the report's temporary file.
  const std::size_t title = text.find("Title:");
  ASSERT_NE(title, std::string::npos) << text;
  const std::string line = text.substr(title, text.find('\n', title) - title);
  EXPECT_EQ(line.substr(line.find_first_not_of(' ', 6)), "BQ4 - joint.bq4");
  // Page sizes "w x h pts": the report's first page upright, the last picture across.
  const auto size = [&](int page) {
    const std::string key = "Page " + std::string(page < 10 ? "   " : "  ") + std::to_string(page) + " size: ";
    const std::size_t at = text.find(key);
    double w = 0, h = 0;
    if (at != std::string::npos) std::sscanf(text.c_str() + at + key.size(), "%lf x %lf", &w, &h);
    return std::pair<double, double>(w, h);
  };
  EXPECT_LT(size(1).first, size(1).second) << text;
  EXPECT_GT(size(pages).first, size(pages).second) << text;
  ASSERT_EQ(std::system(("pdftotext -f 1 -l 1 " + ShellQuoted(pdf) + " " + ShellQuoted(dir_ + "/first.txt")).c_str()), 0);
  std::ifstream first(dir_ + "/first.txt");
  const std::string report((std::istreambuf_iterator<char>(first)), std::istreambuf_iterator<char>());
  EXPECT_NE(report.find("BQ4"), std::string::npos) << report;
  platform::ResetPrinter();
}

// The report and a drawing printed into PDF files one after the other: each
// proposes its own file, and a file that is there is replaced only on Yes.
TEST_F(PrintingTest, PdfPrintProposesItsOwnFileAndAsksBeforeReplacingOne) {
  Sample("null.bq4");  // the default project: a joint to draw
  Thh main;
  CurrentFileName = dir_ + "/joint";
  FileNameWithPath = 1;
  platform::PrintChoice choice;
  choice.outputFile = dir_ + "/printout.pdf";
  platform::SetPrinterChoice(choice);
  const std::string report = dir_ + "/joint-report.pdf";
  const std::string drawing = dir_ + "/joint-drawing.pdf";
  EXPECT_EQ(ProposedPdfFileName("Report"), report);
  EXPECT_EQ(ProposedPdfFileName("&Drawing"), drawing);

  std::ofstream(report) << "old report";
  std::ofstream(drawing) << "old drawing";
  const auto size = [](const std::string& f) { return QFileInfo(QString::fromStdString(f)).size(); };
  struct Row {
    const char* what;
    bool replace;
  };
  for (const Row& row : {Row{"No keeps the file", false}, Row{"Yes replaces it", true}}) {
    SCOPED_TRACE(row.what);
    platform::DialogScript script;
    // The report: the print dialog shows the proposed file; the question follows.
    script.Ok().Expect(report);
    if (row.replace) script.Yes().Expect("already exists");
    else script.No().Expect("already exists");
    AbortFlag = 0;
    PrintTextFile(Sample("null.bq4", "report.txt"));
    EXPECT_EQ(size(report) > 100, row.replace);
    // The drawing: its own file, not the report's.
    main.Item("mi_viewzeichnungschraubenverbindung")->trigger();
    script.Ok({{"Edit_scalex", "1"}}).File(drawing).Expect(drawing);
    if (row.replace) script.Yes().Expect("already exists");
    else script.No().Expect("already exists");
    main.mi_fileprintClick();
    EXPECT_EQ(size(drawing) > 100, row.replace);
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_GT(size(report), 100);  // the drawing left the report's file alone
  platform::ResetPrinter();
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

  // A name with umlauts is stored once in the table's code page and read back as typed.
  Answered([&](auto& s) { s.Ok({{"Edit_text", "Probe Gr\xF6\xDF" "e \xE4"}}); }, [&] { form.Button_appendClick(); });
  OpenDbfTable("printout.dbf");
  ASSERT_EQ(AbortFlag, 0);
  GotoDbfRecord(5);
  EXPECT_EQ(DbfFieldText(1), "Probe Gr\xF6\xDF" "e \xE4");
  CloseDbfTable();
}

}  // namespace
