#include "app/spreadsheet.h"

#include <cstdio>
#include <fstream>

#include "app_test_support.h"
#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/calc_messages.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"

namespace {

using SpreadsheetTest = AppTest;

// The text of an entry of the workbook file (a zip archive).
std::string Unzipped(const std::string& file, const std::string& entry) {
  std::string out;
  const std::string command = "unzip -p '" + file + "' '" + entry + "'";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  pclose(p);
  return out;
}

// Sheet XML and shared strings of a workbook, joined.
std::string WorkbookText(const std::string& file) {
  return Unzipped(file, "xl/worksheets/sheet1.xml") + Unzipped(file, "xl/sharedStrings.xml");
}

TEST_F(SpreadsheetTest, WorkbookKeepsTextsAndNumbers) {
  TWorkbook book;
  book.SetCell(1, 1, "Schraube");
  book.SetCell(2, 1, "12.5");
  book.SetCell(3, 2, "Größe");
  book.SetCell(0, 1, "ignored");
  const std::string file = dir_ + "/book.xlsx";
  std::string error;
  ASSERT_TRUE(book.Save(file, error)) << error;
  const std::string sheet = Unzipped(file, "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<c r=\"A2\"><v>12.5</v></c>"), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("r=\"B3\""), std::string::npos);
  const std::string strings = Unzipped(file, "xl/sharedStrings.xml");
  EXPECT_NE(strings.find("Schraube"), std::string::npos);
  EXPECT_NE(strings.find("Größe"), std::string::npos);
  EXPECT_EQ(strings.find("ignored"), std::string::npos);
  EXPECT_FALSE(book.Save(dir_ + "/no/such/dir/book.xlsx", error));
  EXPECT_FALSE(error.empty());
}

TEST_F(SpreadsheetTest, StartRefusesAnUnsavedProject) {
  CurrentFileName.clear();
  {
    platform::DialogScript script;
    script.Ok().Expect("You must save your input data before you can use Excel interface");
    StartExcel();
  }
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(ExcelApp, nullptr);
  EXPECT_TRUE(platform::RecordedProgramStarts().empty());
}

TEST_F(SpreadsheetTest, StartAndExportPutTheProjectFileIntoColumnOne) {
  Sample("hot.bq4");
  ReadCalcFile(dir_ + "/hot.bq4");
  ASSERT_EQ(AbortFlag, 0);
  StartExcel();
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_NE(ExcelApp, nullptr);
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
  const std::string first = ExcelApp->lastFile;
  EXPECT_EQ(platform::RecordedProgramStarts()[0].arguments.at(0), first);
  EXPECT_NE(WorkbookText(first).find("SCHRAUBE"), std::string::npos);

  // An edit is saved before the export, so the sheet holds the current input.
  Temperatur.TWork = 234.5;
  InputModified = 1;
  ExportInputToExcel();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(InputModified, 0);
  const std::string second = ExcelApp->lastFile;
  EXPECT_NE(second, first);
  EXPECT_NE(WorkbookText(second).find("234.5"), std::string::npos);
}

TEST_F(SpreadsheetTest, PrintoutGoesIntoANewWorkbookEachTime) {
  Sample("null.bq4");
  ReadCalcFile(dir_ + "/null.bq4");
  ASSERT_EQ(AbortFlag, 0);
  const Word device = TextDevice;
  PrintoutToExcel();
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(TextDevice, device);  // restored
  const int counter = TxtFileCounter;
  PrintoutToExcel();
  EXPECT_EQ(TxtFileCounter, counter + 1);
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 2u);
  const std::string book = platform::RecordedProgramStarts()[1].arguments.at(0);
  const std::string text = WorkbookText(book);
  EXPECT_NE(text.find("clamping length"), std::string::npos);
  EXPECT_NE(platform::RecordedProgramStarts()[0].arguments.at(0), book);
}

TEST_F(SpreadsheetTest, PrintoutAfterAFatalCalculationShowsTheMessages) {
  CalcFatalFlag = 1;
  AddErrorMessage("Fatal  : dK = 0! (screw head)");
  {
    platform::DialogScript script;
    script.Ok();
    PrintoutToExcel();
  }
  EXPECT_TRUE(platform::RecordedProgramStarts().empty());
}

}  // namespace
