#include "app/spreadsheet.h"

#include <cctype>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "../comma_locale.h"
#include "../fake_programs.h"
#include "app_test_support.h"
#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "app/project_files.h"
#include "framework/drawing_info.h"
#include "framework/calc_messages.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "../run_program.h"
#include "../shown_path.h"

namespace {

class SpreadsheetTest : public AppTest {
 protected:
  // A sample project loaded as File Open does; false when it was refused.
  bool Load(const std::string& name) {
    ReadCalcFile(Sample(name));
    return AbortFlag == 0;
  }
};

// The text of an entry of the workbook file (a zip archive).
std::string Unzipped(const std::string& file, const std::string& entry) {
  return ProgramOutput({"unzip", "-p", file, entry});
}

bool HasPython(const char* module) { return ProgramSucceeds({"/usr/bin/python3", "-c", "import " + std::string(module)}); }

// Runs a Python script with arguments; its exit code.
int RunPython(const std::string& dir, const std::string& script, const std::vector<std::string>& arguments) {
  const std::string file = dir + "/check.py";
  std::ofstream(file) << script;
  std::vector<std::string> argv{"/usr/bin/python3", file};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunProgram(argv, {"/dev/null", "", ""});
}

// A folder as a file URL: every byte beyond the unreserved ones escaped.
std::string FileUrl(const std::string& folder) {
  std::string url = "file://";
  for (const unsigned char c : folder) {
    if (std::isalnum(c) || std::strchr("/-._~", c)) {
      url += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      url += escaped;
    }
  }
  return url;
}

// Sheet XML and shared strings of a workbook, joined.
std::string WorkbookText(const std::string& file) {
  return Unzipped(file, "xl/worksheets/sheet1.xml") + Unzipped(file, "xl/sharedStrings.xml");
}

TEST_F(SpreadsheetTest, NumberTextsAreRecognisedWithTheirDecimals) {
  struct Case {
    const char* text;
    bool number;
    double value;
    int decimals;
    bool exponent;
  };
  for (const Case& c : {Case{"   12,00", true, 12, 2, false}, Case{"1,288E-6", true, 1.288e-6, 3, true},
                        Case{"-3.5 ", true, -3.5, 1, false}, Case{"+7", true, 7, 0, false},
                        Case{",5", true, 0.5, 1, false}, Case{"2e+03", true, 2000, 0, true},
                        Case{"1.2.3", false, 0, 0, false}, Case{"12 mm", false, 0, 0, false},
                        Case{"   ", false, 0, 0, false}, Case{"E5", false, 0, 0, false},
                        Case{"1e", false, 0, 0, false}, Case{"M12", false, 0, 0, false},
                        Case{"-", false, 0, 0, false}}) {
    SCOPED_TRACE(c.text);
    NumberCell n;
    ASSERT_EQ(ParseNumberCell(c.text, n), c.number);
    if (!c.number) continue;
    EXPECT_DOUBLE_EQ(n.value, c.value);
    EXPECT_EQ(n.decimals, c.decimals);
    EXPECT_EQ(n.exponent, c.exponent);
  }
}

// A number cell shows its number as the text was written: the integer
// digits, decimals and exponent, where a scientific format's exponent (a
// multiple of its integer places) allows; else the same digits.
TEST_F(SpreadsheetTest, NumberCellsAreFormattedAsTheirTextWasWritten) {
  for (const auto& [text, format] : std::vector<std::pair<const char*, const char*>>{
           {"   12,00", "0.00"}, {"1100", "0"}, {"00123", "00000"}, {"0,25", "0.00"},
           {"1,288E-6", "0.000E-0"}, {"345,2E3", "##0.0E-0"}, {"   6867E6", "#####0E-0"},
           {"11,5E-6", "#0.0E-0"}, {"1,551E6", "0.000E-0"}, {"2e+03", "0E+00"},
           {"0,764E-6", "0.00E-0"}, {"0,0115E-3", "0.00E-0"}, {"6867E2", "0.000E-0"}, {"0E0", "0E-0"}}) {
    SCOPED_TRACE(text);
    NumberCell n;
    ASSERT_TRUE(ParseNumberCell(text, n));
    EXPECT_EQ(NumberCellFormat(n), format);
  }
}

TEST_F(SpreadsheetTest, WorkbookKeepsTextsAndNumbers) {
  TWorkbook book;
  book.SetCell(4, 1, "   12,50");
  book.SetCell(5, 1, "page\fbreak");
  book.SetCell(1, 1, "Schraube");
  book.SetCell(2, 1, "12.5");
  book.SetCell(3, 2, "Größe");
  book.SetCell(0, 1, "ignored");
  const std::string file = dir_ + "/book.xlsx";
  std::string error;
  ASSERT_TRUE(book.Save(file, error)) << error;
  EXPECT_NE(Unzipped(file, "xl/worksheets/sheet1.xml").find("r=\"B3\""), std::string::npos);
  EXPECT_NE(Unzipped(file, "xl/styles.xml").find("formatCode=\"0.00\""), std::string::npos);
  const std::string strings = Unzipped(file, "xl/sharedStrings.xml");
  EXPECT_NE(strings.find("Größe"), std::string::npos);
  EXPECT_EQ(strings.find("ignored"), std::string::npos);
  // Read back as shown: the number with its two decimals, no control
  // character in a cell.
  std::vector<std::string> column;
  ASSERT_TRUE(ReadWorkbookColumn(file, 1, column, error)) << error;
  EXPECT_EQ(column, (std::vector<std::string>{"Schraube", "12.5", "", "12.50", "page break"}));
  EXPECT_FALSE(book.Save(dir_ + "/no/such/dir/book.xlsx", error));
  EXPECT_FALSE(error.empty());
}

TEST_F(SpreadsheetTest, PrintoutGoesIntoANewWorkbookEachTimeButNotAfterAFatalCalculation) {
  // The printout after a fatal calculation shows the messages instead.
  CalcFatalFlag = 1;
  AddErrorMessage("Fatal  : dK = 0! (screw head)");
  Answered([&](auto& s) { s.Ok(); }, [&] { PrintoutToExcel(); });
  ASSERT_TRUE(Load("null.bq4"));
  HeaderLines[1] = "00123";
  HeaderLines[2] = "1,50";
  const Word device = TextDevice;
  PrintoutToExcel();
  EXPECT_EQ(TextDevice, device);  // restored
  const int counter = TxtFileCounter;
  PrintoutToExcel();
  EXPECT_EQ(TxtFileCounter, counter + 1);
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 2u);  // none for the fatal calculation
  const std::string book = platform::RecordedProgramStarts()[1].arguments.at(0);
  EXPECT_NE(WorkbookText(book).find("clamping length"), std::string::npos);
  EXPECT_NE(platform::RecordedProgramStarts()[0].arguments.at(0), book);
  if (!HasPython("openpyxl")) GTEST_SKIP() << "python3-openpyxl is not installed";
  // Every number of the report's body is a number cell, and they add up
  // alike; its head (the header lines) holds texts.
  const std::string report = dir_ + "/$$" + std::to_string(TxtFileCounter) + ".txt";
  EXPECT_EQ(RunPython(dir_,
                      "import re, sys, openpyxl\n"
                      "number = re.compile(r'^ *[+-]?([0-9]+[.,]?[0-9]*|[.,][0-9]+)([eE][+-]?[0-9]+)? *$')\n"
                      "expected = 0.0; count = 0\n"
                      "for line in open(sys.argv[2], encoding='utf-8').readlines()[" +
                          std::to_string(kTxtHeaderRows) + ":]:\n"
                      "    for field in line.rstrip('\\n').split('\\t'):\n"
                      "        if number.match(field): expected += float(field.strip().replace(',', '.')); count += 1\n"
                      "total = 0.0; cells = 0\n"
                      "sheet = openpyxl.load_workbook(sys.argv[1]).active\n"
                      "if [sheet['A3'].value, sheet['A4'].value] != ['00123', '1,50']: sys.exit('head')\n"
                      "for row in sheet.iter_rows(min_row=" + std::to_string(kTxtHeaderRows + 1) + "):\n"
                      "    for c in row:\n"
                      "        if isinstance(c.value, str) and number.match(c.value): sys.exit('text ' + c.value)\n"
                      "        if isinstance(c.value, (int, float)): total += c.value; cells += 1\n"
                      "        if isinstance(c.value, str) and re.search('[\\x00-\\x1f]', c.value): sys.exit('control')\n"
                      "print(cells, 'number cells, sum', total)\n"
                      "sys.exit(0 if cells == count and cells > 100 and abs(total - expected) <= 1e-9 * max(1, abs(expected)) else 1)\n",
                      {book, report}),
            0);
  // A spreadsheet program shows each cell as the report writes it, and the
  // report's head (file name, header lines) as texts.
  if (!ProgramSucceeds({"sh", "-c", "command -v soffice"})) GTEST_SKIP() << "no spreadsheet program";
  const std::string out = dir_ + "/shown";
  ASSERT_EQ(RunProgram({"env", "HOME=" + dir_, "soffice", "-env:UserInstallation=" + FileUrl(dir_ + "/profile"),
                        "--headless", "--convert-to", "csv:Text - txt - csv (StarCalc):9,34,76,1", "--outdir", out,
                        book},
                       {"/dev/null", "/dev/null", "/dev/null"}),
            0);
  const std::string shown = out + "/" + std::filesystem::path(book).stem().string() + ".csv";
  EXPECT_EQ(RunPython(dir_,
                      "import csv, re, sys\n"
                      "report = [l.rstrip('\\n').split('\\t') for l in open(sys.argv[1], encoding='utf-8')]\n"
                      "shown = list(csv.reader(open(sys.argv[2], encoding='utf-8'), delimiter='\\t'))\n"
                      "below = re.compile(r'^[+-]?0[.,]0*[1-9][0-9]*[eE]')\n"
                      "bad = []\n"
                      "for r, row in enumerate(report):\n"
                      "    for c, text in enumerate(row):\n"
                      "        want = text.strip().replace(',', '.')\n"
                      "        got = shown[r][c].strip().replace(',', '.') if r < len(shown) and c < len(shown[r]) else ''\n"
                      "        if below.match(want): ok = float(want) == float(got)\n"
                      "        else: ok = got == want\n"
                      "        if not ok: bad.append((r + 1, c + 1, text, got))\n"
                      "print(bad[:10])\n"
                      "sys.exit(1 if bad else 0)\n",
                      {report, shown}),
            0);
}

// With no program configured the workbook goes to the desktop's opener, else
// to a spreadsheet program on the PATH; when none opens it, or the configured
// program fails, the message names the workbook, which stays written.
TEST_F(SpreadsheetTest, PrintoutOpensTheWorkbookWithWhatThereIsOrNamesIt) {
  ASSERT_TRUE(Load("null.bq4"));
  platform::RecordProgramStarts(false);
  const int wait = platform::SetOpenerWaitMs(5000);
  FakePrograms fakes(dir_ + "/bin");
  DatabaseProgram.clear();
  const auto named = [&](const std::string& expect) {
    platform::DialogScript script;
    script.Ok().Expect(expect);
    AbortFlag = 0;
    PrintoutToExcel();
    EXPECT_EQ(AbortFlag, 1);
    const std::string text = script.Shown().at(0).text;
    const std::string books = platform::UserDataDirectory() + "/workbooks/workbook-";
    const std::size_t at = text.find(ShownPath(books));
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_TRUE(std::filesystem::is_regular_file(books + text.substr(at + ShownPath(books).size()))) << text;
  };
  // No opener, no spreadsheet program.
  named("Could not start Excel: no spreadsheet program opened the workbook " +
        ShownPath(platform::UserDataDirectory() + "/workbooks/workbook-"));
  // The opener has no program for workbooks.
  fakes.Add("xdg-open", 3);
  named("Could not start Excel: no spreadsheet program opened the workbook ");
  EXPECT_TRUE(fakes.Ran("xdg-open"));
  // A spreadsheet program on the PATH takes it.
  fakes.Add("libreoffice", 0);
  AbortFlag = 0;
  PrintoutToExcel();
  EXPECT_EQ(AbortFlag, 0);
  ASSERT_EQ(fakes.Arguments("libreoffice").size(), 2u);
  EXPECT_EQ(fakes.Arguments("libreoffice")[0], "--calc");
  EXPECT_TRUE(std::filesystem::is_regular_file(fakes.Arguments("libreoffice")[1]));
  // The desktop's opener takes it first.
  fakes.Add("xdg-open", 0);
  fakes.Add("libreoffice", 0);
  PrintoutToExcel();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(fakes.Arguments("xdg-open").size(), 1u);
  EXPECT_FALSE(fakes.Ran("libreoffice"));
  // A configured program that fails is named with the workbook.
  DatabaseProgram = fakes.Add("table-program", 2);
  named("Could not start Excel: " + ShownPath(DatabaseProgram) + " did not open the workbook " +
        ShownPath(platform::UserDataDirectory() + "/workbooks/workbook-"));
  platform::SetOpenerWaitMs(wait);
}

// Workbooks handed to the spreadsheet program outlive the run: none lies in
// the run's temporary folder (removed when the program ends) or in the
// temporary directory, and no run takes the name of another's. Those nobody
// changed for over a month are cleared away, nothing else.
TEST_F(SpreadsheetTest, HandedWorkbooksOutliveTheRunAndOldOnesAreClearedLater) {
  namespace fs = std::filesystem;
  const std::string folder = platform::UserDataDirectory() + "/workbooks";
  fs::create_directories(folder);
  const auto made = [&](const std::string& name, int daysOld) {
    std::ofstream(folder + "/" + name) << "x";
    fs::last_write_time(folder + "/" + name, fs::file_time_type::clock::now() - std::chrono::hours(24 * daysOld));
  };
  made("workbook-1-1.xlsx", 40);  // old: goes
  made("workbook-1-2.xlsx", 3);   // changed lately: stays
  made("budget.xlsx", 400);       // the user's: stays
  made("workbook-1-3.xlsx.bak", 400);
  // A workbook of another run under the name this run would take first.
  made("workbook-" + std::to_string(::getpid()) + "-1.xlsx", 0);
  InitSpreadsheet();
  ASSERT_TRUE(Load("null.bq4"));
  PrintoutToExcel();
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
  const std::string book = platform::RecordedProgramStarts()[0].arguments.at(0);
  EXPECT_EQ(fs::path(book).parent_path(), fs::path(folder));
  // (The tests' user folder lies in their temporary folder; the program's
  // own is $XDG_DATA_HOME/bq4.)
  EXPECT_NE(fs::path(book).parent_path(), fs::path(platform::ProcessTempDir()));
  EXPECT_NE(fs::path(book).parent_path(), fs::path(dir_));
  EXPECT_NE(WorkbookText(book).find("clamping length"), std::string::npos);
  EXPECT_EQ(std::ifstream(folder + "/workbook-" + std::to_string(::getpid()) + "-1.xlsx").get(), 'x');
  EXPECT_FALSE(fs::exists(folder + "/workbook-1-1.xlsx"));
  for (const char* kept : {"workbook-1-2.xlsx", "budget.xlsx", "workbook-1-3.xlsx.bak"})
    EXPECT_TRUE(fs::exists(folder + "/" + kept)) << kept;
}

TEST_F(SpreadsheetTest, ExportPutsTheProjectIntoColumnOneAndImportReadsItBack) {
  // An unsaved project is refused.
  CurrentFileName.clear();
  Answered([&](auto& s) { s.Ok().Expect("You must save your input data before you can use Excel interface"); },
           [&] { StartExcel(); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(ExcelApp, nullptr);
  ASSERT_TRUE(Load("hot.bq4"));
  StartExcel();
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_NE(ExcelApp, nullptr);
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);  // none for the unsaved project
  const std::string first = ExcelApp->lastFile;
  EXPECT_EQ(platform::RecordedProgramStarts()[0].arguments.at(0), first);
  EXPECT_NE(WorkbookText(first).find("SCHRAUBE"), std::string::npos);

  // An edit is saved before the export, so the sheet holds the current input
  // (the edited value is looked for below).
  Temperatur.TWork = 234.5;
  InputModified = 1;
  ExportInputToExcel();
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(InputModified, 0);
  const std::string book = ExcelApp->lastFile;
  EXPECT_NE(book, first);

  // The input comes back from that workbook after an edit by another
  // program, and is loaded and calculated as File Open does.
  if (!HasPython("openpyxl")) GTEST_SKIP() << "python3-openpyxl is not installed";
  // One value changed; then saved again by the office suite when it is there.
  ASSERT_EQ(RunPython(dir_,
                      "import sys, openpyxl\n"
                      "wb = openpyxl.load_workbook(sys.argv[1])\n"
                      "cells = [c for c in wb.active['A'] if c.value == 234.5]\n"
                      "assert len(cells) == 1, cells\n"
                      "cells[0].value = 150.25\n"
                      "wb.save(sys.argv[1])\n",
                      {book}),
            0);
  if (ProgramSucceeds({"sh", "-c", "command -v soffice"})) {
    const std::string out = dir_ + "/office";
    ASSERT_EQ(RunProgram({"env", "HOME=" + dir_, "soffice", "-env:UserInstallation=" + FileUrl(dir_ + "/profile"),
                          "--headless", "--convert-to", "xlsx", "--outdir", out, book},
                         {"/dev/null", "/dev/null", "/dev/null"}),
              0);
    std::filesystem::copy_file(out + "/" + std::filesystem::path(book).filename().string(), book,
                               std::filesystem::copy_options::overwrite_existing);
  }
  const std::string name = CurrentFileName;
  InputModified = 0;
  ImportExcelInput();
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_DOUBLE_EQ(static_cast<double>(Temperatur.TWork), 150.25);
  EXPECT_EQ(CalcFatalFlag, 0);
  EXPECT_EQ(CurrentFileName, name);
  EXPECT_EQ(InputModified, 1);

  // A workbook of another shape: a message, and the joint stays as it is.
  TWorkbook other;
  other.SetCell(1, 1, "Order list");
  other.SetCell(2, 1, "42");
  std::string error;
  ASSERT_TRUE(other.Save(book, error)) << error;
  Answered([&](auto& s) { s.Ok().Expect("holds no BQ4 input"); }, [&] { ImportExcelInput(); });
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_DOUBLE_EQ(static_cast<double>(Temperatur.TWork), 150.25);
  // No workbook at all.
  std::ofstream(book) << "not a workbook";
  Answered([&](auto& s) { s.Ok().Expect("cannot be read as a workbook"); }, [&] { ImportExcelInput(); });
  EXPECT_EQ(AbortFlag, 1);
}

// Lines the project holds as texts stay text cells however they look, its
// numbers stay number cells, and an import gives back every cell the user
// left as it was with the project's own bytes, changed ones as changed.
TEST_F(SpreadsheetTest, TextLinesStayTextsAndUnchangedCellsComeBackAsTheProjectHeldThem) {
  auto ReadBytes = [](const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  ASSERT_TRUE(Load("hot.bq4"));
  DrawingNumber = "00123";
  DrawingName = "1,5";
  DrawingName2 = "1e3";
  HeaderLines[1] = "Konstrukteur: M\x81ller";
  HeaderLines[2] = "0042";
  Temperatur.TWork = 113.09733552923255659L;
  SaveInputFile(CurrentFileName);
  ASSERT_EQ(AbortFlag, 0);
  const std::string before = dir_ + "/before.bq4", after = dir_ + "/after.bq4";
  WriteCalcFile(before);
  ASSERT_NE(ReadBytes(before).find("\r\n113.09733552923255659\r\n"), std::string::npos);
  StartExcel();
  ASSERT_EQ(AbortFlag, 0);
  const std::string book = ExcelApp->lastFile;
  ImportExcelInput();  // nothing changed
  ASSERT_EQ(AbortFlag, 0);
  WriteCalcFile(after);
  EXPECT_EQ(ReadBytes(after), ReadBytes(before));
  EXPECT_EQ(DrawingNumber.str(), "00123");

  if (!HasPython("openpyxl")) GTEST_SKIP() << "python3-openpyxl is not installed";
  // Read by another program: the texts are text cells, the numbers numbers.
  EXPECT_EQ(RunPython(dir_,
                      "import sys, openpyxl\n"
                      "cells = [c.value for c in openpyxl.load_workbook(sys.argv[1]).active['A']]\n"
                      "for text in ['00123', '1,5', '1e3', '0042', 'Konstrukteur: M\\u00fcller', 'SCHRAUBE']:\n"
                      "    assert text in cells, (text, cells)\n"
                      "assert 123 not in cells and 1.5 not in cells, cells\n"
                      "assert any(isinstance(v, float) and abs(v - 113.0973355292326) < 1e-9 for v in cells), cells\n"
                      "assert sum(isinstance(v, (int, float)) for v in cells) > 100, cells\n",
                      {book}),
            0);
  // Edited there: a name and a number; the rest comes back as it was.
  ASSERT_EQ(RunPython(dir_,
                      "import sys, openpyxl\n"
                      "wb = openpyxl.load_workbook(sys.argv[1])\n"
                      "for c in wb.active['A']:\n"
                      "    if c.value == '1,5': c.value = '2,5'\n"
                      "    if isinstance(c.value, float) and abs(c.value - 113.0973355292326) < 1e-9: c.value = 150.25\n"
                      "wb.save(sys.argv[1])\n",
                      {book}),
            0);
  // The first import is not saved: asked about, and dropped.
  Answered([&](auto& s) { s.No().Expect("Save file ("); }, [&] { ImportExcelInput(); });
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(DrawingName.str(), "2,5");
  EXPECT_EQ(DrawingNumber.str(), "00123");
  EXPECT_EQ(DrawingName2.str(), "1e3");
  EXPECT_EQ(HeaderLines[2].str(), "0042");
  EXPECT_EQ(HeaderLines[1].str(), "Konstrukteur: M\x81ller");
  EXPECT_DOUBLE_EQ(static_cast<double>(Temperatur.TWork), 150.25);
}

}  // namespace

namespace {

// A German user's window runs under a decimal-comma locale: the workbook holds
// numbers that spreadsheet programs read as numbers, and an import without an
// edit gives back the project as it was.
TEST_F(SpreadsheetTest, WorkbooksHoldNumbersAndRoundTripUnderACommaLocale) {
  auto ReadBytes = [](const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  ASSERT_TRUE(Load("hot.bq4"));
  const std::string before = dir_ + "/before.bq4", after = dir_ + "/after.bq4", again = dir_ + "/again.bq4";
  WriteCalcFile(before);
  BQ4_IN_COMMA_LOCALE(german, true);
  StartExcel();
  ASSERT_EQ(AbortFlag, 0);
  const std::string book = ExcelApp->lastFile;
  const std::string sheet = Unzipped(book, "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<v>1.75</v>"), std::string::npos);
  EXPECT_EQ(sheet.find(","), std::string::npos);
  // Column A is wide enough for "206000" and "60.0000000": no "###" in its place.
  EXPECT_NE(sheet.find("<col min=\"1\" max=\"1\" width=\""), std::string::npos);
  if (HasPython("openpyxl")) {
    EXPECT_EQ(RunPython(dir_,
                        "import sys, openpyxl\n"
                        "cells = [c.value for c in openpyxl.load_workbook(sys.argv[1]).active['A']]\n"
                        "assert '12.9' in cells and 1.75 in cells, cells\n",
                        {book}),
              0);
  }
  ImportExcelInput();
  ASSERT_EQ(AbortFlag, 0);
  WriteCalcFile(after);
  EXPECT_EQ(ReadBytes(after), ReadBytes(before));

  // Number cells with a decimal comma, as earlier versions wrote them here.
  const std::string work = dir_ + "/old";
  ASSERT_EQ(RunProgram({"sh", "-c",
                        "mkdir -p \"$1\" && cd \"$1\" && unzip -q \"$2\" && "
                        "sed -i 's|<v>1.75</v>|<v>1,75</v>|' xl/worksheets/sheet1.xml && rm \"$2\" && zip -q -r \"$2\" .",
                        "sh", work, book}),
            0);
  ASSERT_NE(Unzipped(book, "xl/worksheets/sheet1.xml").find("<v>1,75</v>"), std::string::npos);
  Answered([&](auto& s) { s.No().Expect("Save file ("); }, [&] { ImportExcelInput(); });
  ASSERT_EQ(AbortFlag, 0);
  WriteCalcFile(again);
  EXPECT_EQ(ReadBytes(again), ReadBytes(before));
}

}  // namespace
