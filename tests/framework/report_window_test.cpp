#include "framework/report_window.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "framework/clock.h"
#include "framework/forms/report_window.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "output_test_support.h"
#include "platform/printer.h"

namespace fs = std::filesystem;

namespace {

int PdfPageCount(const std::string& pdf) {
  const std::string data = ReadBytes(pdf);
  const std::regex page(R"(/Type\s*/Page[^s])");
  return static_cast<int>(std::distance(std::sregex_iterator(data.begin(), data.end(), page), std::sregex_iterator()));
}

class ReportWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    InitTextOutput();
    InitClock();
    platform::ResetPrinter();
    dir_ = FreshTestDir("report");
    TempDir = dir_;
  }
  void TearDown() override { platform::ResetPrinter(); }

  // A text file of five pages: four form-feed lines, the last page open.
  std::string FivePages() {
    const std::string name = dir_ + "/five.txt";
    std::ofstream out(name, std::ios::binary);
    for (int p = 1; p <= 5; ++p) {
      out << "page " << p << " first line\r\n" << "second line \x84\r\n";
      if (p < 5) out << "\f\r\n";
    }
    return name;
  }

  std::string dir_;
};

}  // namespace

TEST_F(ReportWindowTest, PagesAreFormFeedsPlusAnOpenLastPageAndAMissingFileIsReported) {
  EXPECT_EQ(CountTextPages(FivePages()), 5);
  std::ofstream(dir_ + "/closed.txt", std::ios::binary) << "a\r\n\f";
  EXPECT_EQ(CountTextPages(dir_ + "/closed.txt"), 1);
  platform::DialogScript script;
  script.Ok().Expect("not found !");
  PrintTextFile(dir_ + "/missing.txt");
}

// All pages, a range (without a leading empty sheet), or nothing when cancelled.
TEST_F(ReportWindowTest, PrintsThePagesAskedForIntoAPdfFile) {
  const std::string pdf = dir_ + "/out.pdf";
  const struct { platform::DialogValues answer; bool cancel; int pages; } cases[] = {
      {{{"file", pdf}}, false, 5},
      {{{"file", pdf}, {"from", "2"}, {"to", "3"}}, false, 2},
      {{}, true, 0},
  };
  for (const auto& c : cases) {
    platform::ResetPrinter();
    fs::remove(pdf);
    AbortFlag = 0;
    platform::DialogScript script;
    if (c.cancel) script.Cancel();
    else script.Ok(c.answer);
    PrintTextFile(FivePages());
    if (!c.cancel) {
      EXPECT_EQ(AbortFlag, 0);
      EXPECT_EQ(PdfPageCount(pdf), c.pages);
    }
    EXPECT_EQ(platform::PrinterPagesPrinted(), c.pages);
  }
}

TEST_F(ReportWindowTest, PrinterDeviceSendsAShortReportToPdf) {
  LinesPerPage = 30;
  const std::string pdf = dir_ + "/report.pdf";
  platform::DialogScript script;
  script.Ok({{"file", pdf}});
  SetPageHeader("", "Printed report", "", "", "", 0);
  OpenOutput(kDevicePrinter, "");
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_TRUE(RewriteOutput());
  OutputPageHeader(0, 0);
  for (int i = 1; i <= 40; ++i) OutputLine("line " + std::to_string(i));
  CloseOutput();
  EXPECT_EQ(PdfPageCount(pdf), 2);
  EXPECT_FALSE(fs::exists(OutputFileName));
}

TEST_F(ReportWindowTest, WindowShowsFrameLinesAsBoxDrawingCharactersAndKeepsItsGeometry) {
  PrintoutDisplayMode = 2;
  std::ofstream(dir_ + "/report.txt", std::ios::binary) << FrameTopLine() << "\r\n\x84\r\n";
  CopyTextFileToUtf8(dir_ + "/report.txt", dir_ + "/outwin.txt");
  TForm_showtextfile form(dir_ + "/report.txt");
  form.FormShow();
  const QString text = form.Memo1->toPlainText();
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("╔══"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("\nä\n")));

  // The window shows the window file for a temporary print-out and keeps its geometry.
  std::ofstream(dir_ + "/outwin.txt", std::ios::binary) << "first\r\nsecond\r\n";
  TForm_showtextfile shown(dir_ + "/$OUT1.TMP");
  shown.FormShow();
  EXPECT_EQ(shown.Memo1->toPlainText().toStdString(), "first\nsecond\n");
  EXPECT_EQ(shown.ShownFileName(), dir_ + "/outwin.txt");
  // Its title names the project, never the temporary file.
  const std::string title = shown.windowTitle().toStdString();
  EXPECT_EQ(title.find("outwin"), std::string::npos) << title;
  CurrentFileName = "joint";
  TForm_showtextfile named(dir_ + "/$OUT1.TMP");
  named.FormShow();
  EXPECT_NE(named.windowTitle().toStdString().find("joint." + InputFileExt.str()), std::string::npos);
  // A document of the program under its own title.
  std::ofstream(dir_ + "/history.txt", std::ios::binary) << "Version 1\n";
  TForm_showtextfile document(dir_ + "/history.txt");
  document.ShowDocument(dir_ + "/history.txt", "BQ4 - History");
  document.FormShow();
  EXPECT_EQ(document.Memo1->toPlainText().toStdString(), "Version 1\n");
  EXPECT_EQ(document.windowTitle().toStdString(), "BQ4 - History");
  shown.setGeometry(30, 50, 640, 400);
  shown.Button_okClick();
  EXPECT_EQ((std::array<int, 4>{TextWindowLeft, TextWindowTop, TextWindowWidth, TextWindowHeight}),
            (std::array<int, 4>{30, 50, 640, 400}));
  TForm_showtextfile next(dir_ + "/$OUT1.TMP");
  EXPECT_EQ(next.geometry().width(), 640);
}

namespace {
std::vector<std::pair<int, std::string>> g_cells;
void CollectCell(int row, int column, const std::string& text) {
  EXPECT_EQ(column, 1);
  g_cells.emplace_back(row, text);
}
}  // namespace

TEST_F(ReportWindowTest, StoredInputFileGoesIntoColumnOneOfTheSpreadsheet) {
  CurrentDir = dir_;
  std::ofstream(dir_ + "/joint." + InputFileExt.str(), std::ios::binary) << "[SCHRAUBE]\r\nM12\r\n";
  g_cells.clear();
  SpreadsheetCellWriter old = SetSpreadsheetCellWriter(CollectCell);
  ShowStoredResultFile("joint");
  SetSpreadsheetCellWriter(old);
  ASSERT_EQ(g_cells.size(), 2u);
  EXPECT_EQ(g_cells[1], (std::pair<int, std::string>(2, "M12")));

  platform::DialogScript script;
  script.Ok().Expect("File not found. Use \"File->Save\"");
  ShowStoredResultFile("missing");
  EXPECT_EQ(AbortFlag, 1);
}
