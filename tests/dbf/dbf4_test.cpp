#include "dbf/dbf4.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dataset_test_support.h"
#include "dbf/dbf_file.h"
#include "dbf/record_cache.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "../fake_programs.h"
#include "../html_tidy.h"
#include "../shown_path.h"

using dbftest::DatasetTest;
using dbftest::F;
using dbftest::PythonModule;
using dbftest::ReadText;
using dbftest::RunPython;
using platform::DialogScript;

class Dbf4Facade : public DatasetTest {
 protected:
  void SetUp() override {
    DatasetTest::SetUp();
    CreateTableDialog();
    platform::RecordProgramStarts(true);
  }
  void TearDown() override {
    platform::RecordProgramStarts(false);
    FreeTableDialog();
    DatasetTest::TearDown();
  }
};

TEST_F(Dbf4Facade, OpenFailureIsShownNeverThrown) {
  SetRaiseErrors(false);  // the engine's start-up setting: the facade raises only inside
  dbf4->tzdbf.CreateIfNotFound = false;
  DialogScript script;
  script.Ok().Expect("File not found");
  dbf4->OpenTable(Path("missing.dbf"));
  EXPECT_TRUE(AbortFlag == 1 && !dbf4->tzdbf.Active() && dbf4->RecordCount() == 0 && !TzRaiseErrors);
}

TEST_F(Dbf4Facade, OpenAppendPackAndClose) {
  std::string p = SampleTable(2);
  dbf4->OpenTable(p);
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(dbf4->FieldText(1) + dbf4->FieldText(2), "R1            1");
  dbf4->AppendBlank();
  EXPECT_EQ(std::vector<int>({AbortFlag, dbf4->RecordCount(), dbf4->RecNo()}), std::vector<int>({0, 3, 3}));
  dbf4->SetFieldString("NAME", "new one");
  dbf4->SetFieldInteger("QTY", 42);
  dbf4->SetFieldFloat("PRICE", 3.5L);
  dbf4->SetFieldBoolean("OK", true);
  EXPECT_EQ(dbf4->FieldText(1), "new one   ");
  dbf4->Go(1);  // moving stores the edit
  dbf4->tzdbf.SetDeleted(true);
  dbf4->Pack();
  EXPECT_EQ(dbf4->RecordCount(), 2);
  dbf4->SetFieldString("QTY", "7");  // a pending write is stored on closing
  dbf4->CloseTable();
  EXPECT_TRUE(!dbf4->tzdbf.Active() && dbf4->FieldCount() == 0);

  Use(p);
  ASSERT_EQ(RecCount(), 2);
  EXPECT_EQ(Fields(1) + " / " + Fields(2), "R2|7|2.50|05/17/24|Y / new one|42|3.50|/  /|Y");
}

TEST_F(Dbf4Facade, FailedAppendLockReportsAndFieldWritesGoNowhere) {
  std::string p = SampleTable(2);
  dbf4->OpenTable(p);
  dbf4->Go(2);
  OpenOther(p, 20);
  Select(20);
  ASSERT_TRUE(FLock());
  {
    DialogScript script;
    script.Ok().Expect("Lock failed [Insert]");
    dbf4->AppendBlank();
  }
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  dbf4->SetFieldString("NAME", "lost");
  EXPECT_TRUE(AbortFlag == 1 && dbf4->RecordCount() == 2);
  EXPECT_EQ(dbf4->FieldText(1), "R2        ");
  Select(20);
  Unlock();
  dbf4->CloseTable();
  EXPECT_EQ(dbftest::RecordText(p, 2, 1, 10), "R2        ");
}

TEST_F(Dbf4Facade, HtmlExportThatNothingCanShowSaysSo) {
  std::string p = FilledTable("shown.dbf", {F("NAME", 'C', 4)}, {{"A"}});
  dbf4->OpenTable(p);
  platform::RecordProgramStarts(false);
  const int wait = platform::SetOpenerWaitMs(5000);
  {
    FakePrograms fakes(Path("bin"));
    fakes.Add("xdg-open", 3);
    const std::string out = Path("shown.htm");
    platform::DialogScript script;
    script.Ok().Expect("No program to open " + ShownPath(out) + " found");
    EXPECT_TRUE(dbf4->ExportHtml(out));  // written all the same
    EXPECT_TRUE(fakes.Ran("xdg-open"));
    EXPECT_TRUE(std::filesystem::is_regular_file(out));
  }
  platform::SetOpenerWaitMs(wait);
  platform::RecordProgramStarts(true);
}

TEST_F(Dbf4Facade, HtmlExportDeclaresItsCharsetAndEscapesCells) {
  // u-umlaut: 0xFC in the engine, 0x81 in the file
  std::string p = FilledTable("html.dbf", {F("NAME", 'C', 12), F("N", 'N', 3)}, {{"A&B <\xFC>\"", "7"}});
  dbf4->OpenTable(p);
  std::string out = Path("table \u00e4.htm");
  ASSERT_NE(ReadText(p).find("A&B <\x81>"), std::string::npos);
  ASSERT_TRUE(dbf4->ExportHtml(out));
  std::string html = ReadText(out);
  // The file's name (UTF-8) is named as it is.
  EXPECT_NE(html.find("TABLE \u00e4.HTM</P>"), std::string::npos) << html;
  EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
  EXPECT_NE(html.find("<TD>A&amp;B &lt;\xC3\xBC&gt;&quot;    </TD><TD>  7</TD>"), std::string::npos) << html;
  EXPECT_NE(html.find("<TD><CENTER>NAME</CENTER></TD><TD><CENTER>N</CENTER></TD>"), std::string::npos);
  EXPECT_NE(html.find("<title>table \u00e4</title>"), std::string::npos);
  EXPECT_EQ(html.rfind("<!DOCTYPE HTML", 0), 0u);
  EXPECT_EQ(TidyErrors(out), "");
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
}

// A new table names the code page of its texts in the header's language
// driver byte, so that other programs decode what the table dialog wrote
// (micro, degree, a-umlaut) without being told the code page.
TEST_F(Dbf4Facade, NewTableNamesItsCodePageForOtherReaders) {
  std::string p = FilledTable("units.dbf", {F("NAME", 'C', 12)}, {{"x"}});
  dbf4->OpenTable(p);
  ASSERT_EQ(AbortFlag, 0);
  dbf4->SetFieldString("NAME", "\xB5m 20\xB0 \xE4");  // the engine's texts are Windows 1252
  dbf4->CloseTable();
  EXPECT_EQ(ReadText(p)[29], '\x01');  // DOS 437, as the dialog stores its texts
  {
    TDbfWorkArea wa;
    wa.oem = false;
    CreateDbf(wa, Path("ansi.dbf"), 1, std::vector<TDbfFieldEntry>{F("NAME", 'C', 12)}.data());
    EXPECT_EQ(ReadText(Path("ansi.dbf"))[29], '\x03');  // Windows 1252
  }
  const std::string utf8 = "\xC2\xB5m 20\xC2\xB0 \xC3\xA4";
  if (std::system("command -v ogrinfo >/dev/null") == 0) {  // GDAL, where installed
    ASSERT_EQ(std::system(("ogrinfo -q -al " + ShellQuoted(p) + " > " + ShellQuoted(Path("gdal.txt"))).c_str()), 0);
    EXPECT_NE(ReadText(Path("gdal.txt")).find("NAME (String) = " + utf8), std::string::npos) << ReadText(Path("gdal.txt"));
  }
  if (!PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  const std::string script = Path("read.py");
  std::ofstream(script) << "import sys, dbfread\n"
                           "for r in dbfread.DBF(sys.argv[1]): print(r['NAME'])\n";
  EXPECT_EQ(RunPython(script, p, Path("out.txt")), utf8 + "\n");
}

// A UTF-8 text appended through the dialog shows its characters in the
// printout and the HTML page.
TEST_F(Dbf4Facade, AppendedUtf8TextPrintsAndExportsAsItsCharacters) {
  std::string p = FilledTable("names.dbf", {F("NAME", 'C', 12), F("N", 'N', 3)}, {});
  const std::string in = Path("names.txt");
  std::ofstream(in, std::ios::binary) << "\"T\xC3\xA4st \xC3\xB6\",5\n";
  dbf4->OpenTable(p);
  dbf4->AppendFromDelimited(in);
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_EQ(dbf4->RecordCount(), 1);
  const std::string utf8 = "T\xC3\xA4st \xC3\xB6";
  ASSERT_TRUE(dbf4->ExportHtml(Path("names.htm")));
  EXPECT_NE(ReadText(Path("names.htm")).find("<TD>" + utf8 + "      </TD><TD>  5</TD>"), std::string::npos)
      << ReadText(Path("names.htm"));
  TempDir = dir_;
  TextDevice = 8;  // the text file
  dbf4->PrintTable();
  EXPECT_EQ(AbortFlag, 0);
  const std::string out = ReadText(FindExistingFile(dir_ + "/OUTDOS.TXT"));
  EXPECT_NE(out.find(utf8 + "         5"), std::string::npos) << out;
}

// A text file that cannot be read (missing, or a folder) is named and stops
// the command, as a table that cannot be appended from does.
TEST_F(Dbf4Facade, AppendFromAFileThatCannotBeReadNamesIt) {
  const std::string p = SampleTable(1);
  std::filesystem::create_directory(Path("folder.txt"));
  dbf4->OpenTable(p);
  struct Case {
    std::string file, shown;
    bool delimited;
  };
  for (const Case& c :
       {Case{Path("missing.txt"), "Error # 2 (File not found)\r\nCannot read " + ShownPath(Path("missing.txt")), true},
        Case{Path("folder.txt"), "Error # 5 (File access denied)\r\nCannot read " + ShownPath(Path("folder.txt")), true},
        Case{Path("missing.dbf"), "Error # 2 (File not found)\r\n[AppendFrom(" + ShownPath(Path("missing.dbf")), false}}) {
    SCOPED_TRACE(c.file);
    AbortFlag = 0;
    DialogScript script;
    script.Ok().Expect(c.shown);
    if (c.delimited) dbf4->AppendFromDelimited(c.file);
    else dbf4->AppendFromDbf(c.file);
    EXPECT_EQ(AbortFlag, 1);
    EXPECT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(dbf4->RecordCount(), 1);
  }
}

TEST_F(Dbf4Facade, SearchFindsOnwardAndReportsAMiss) {
  std::string p = SampleTable(12);
  dbf4->OpenTable(p);
  dbf4->SearchText = "r1";
  EXPECT_EQ(dbf4->SearchStored(true) ? dbf4->RecNo() : 0, 1);
  EXPECT_EQ(dbf4->SearchStored(false) ? dbf4->RecNo() : 0, 10);
  dbf4->SearchText = "zz";
  DialogScript script;
  script.Ok().Expect("zz not found");
  EXPECT_FALSE(dbf4->SearchStored(true));
  dbf4->CloseTable();
}

// A search that finds nothing but a hidden deleted record leaves the work
// area where the search began, at the end of the table too.
TEST_F(Dbf4Facade, AMissedSearchFromTheEndStaysAtTheEnd) {
  std::string p = SampleTable(3);
  Use(p + " EXCLUSIVE");
  Go(2);
  DeleteRec();
  CloseDatabase();
  Use(p + " EXCLUSIVE");
  SetIgnoreDel(true);
  GoBottom();
  Skip(1);
  ASSERT_TRUE(dEOF());
  std::uint8_t field = 0;
  ::Search("r2", field, true);
  EXPECT_EQ(field, 0);
  EXPECT_TRUE(dEOF());
  EXPECT_EQ(RecNo(), 4);
  Go(3);
  ::Search("r2", field, true);
  EXPECT_EQ(RecNo(), 3);
  CloseDatabase();
}

TEST_F(Dbf4Facade, PrintingShowsTheFirstSevenFieldsAndAnEmptyTableOnlyItsTitles) {
  std::vector<TDbfFieldEntry> fields;
  for (int i = 1; i <= 10; ++i) fields.push_back(F(("F" + std::to_string(i)).c_str(), 'C', 3));
  std::string p = Create("wide.dbf", fields);
  TempDir = dir_;
  TextDevice = 8;  // the DOS text file
  dbf4->OpenTable(p);
  dbf4->PrintTable();
  EXPECT_EQ(AbortFlag, 0);
  std::string out = ReadText(FindExistingFile(dir_ + "/OUTDOS.TXT"));
  EXPECT_NE(out.find("F1  F2  F3  F4  F5  F6  F7   \n"), std::string::npos) << out;
  // The heading's frame stays closed, also on the lines of the table's deep temporary path.
  std::istringstream lines(out);
  std::size_t right = std::string::npos;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.rfind("\u2551");  // the frame's upright
    if (at == std::string::npos) continue;
    // Columns count characters: the path in the heading may hold letters of several bytes.
    const auto column = static_cast<std::size_t>(std::count_if(
        line.begin(), line.begin() + static_cast<std::ptrdiff_t>(at),
        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    if (right == std::string::npos) right = column;
    EXPECT_EQ(column, right) << line;
    EXPECT_EQ(line.find_first_not_of(' ', at + std::strlen("\u2551")), std::string::npos) << "beyond the frame: " << line;
  }
  EXPECT_NE(right, std::string::npos) << out;
  // From the titles on: the heading above names the table's random folder.
  EXPECT_EQ(out.substr(std::min(out.find("F1  F2"), out.size())).find("F8"), std::string::npos) << out;
  dbf4->AppendBlank();
  dbf4->SetFieldString("F1", "abc");
  dbf4->SetFieldString("F7", "xyz");
  dbf4->PrintTable();
  out = ReadText(FindExistingFile(dir_ + "/OUTDOS.TXT"));
  EXPECT_NE(out.find("abc                     xyz  \n"), std::string::npos) << out;
}

// Dates outside the century window survive edits of another field, by dataset or dialog, in either layout.
TEST_F(Dbf4Facade, DatesOutsideTheCenturyWindowSurviveEditsOfOtherFields) {
  const char* stored[] = {"19400501", "20600501"};
  for (const char* layout : {"", "dd.MM.yyyy"}) {
    for (bool dialog : {false, true}) {
      SCOPED_TRACE(std::string(layout) + (dialog ? " dialog" : " dataset"));
      TzCentury = false;
      SetDateFormat(0);
      ApplyShortDateFormat(layout);
      std::string p = SampleTable(2);
      auto bytes = dbftest::ReadBytes(p);
      std::size_t header = bytes[8] | (bytes[9] << 8), length = bytes[10] | (bytes[11] << 8);
      for (int r = 0; r < 2; ++r) std::memcpy(&bytes[header + r * length + 24], stored[r], 8);
      dbftest::WriteBytes(p, bytes);
      dbf4->OpenTable(p);
      for (int r = 1; r <= 2; ++r) {
        dbf4->Go(r);
        if (*layout) {
          EXPECT_EQ(dbf4->FieldText(4), r == 1 ? "01.05.1940" : "01.05.2060");
        }
        if (dialog) {
          dbf4->SetFieldString("NAME", "edited");
        } else {
          dbf4->tzdbf.Edit();
          dbf4->tzdbf.FieldByName("NAME").SetAsString("edited");
          dbf4->tzdbf.Post();
        }
      }
      dbf4->Go(1);  // moving stores the dialog's edit
      dbf4->CloseTable();
      for (int r = 1; r <= 2; ++r) EXPECT_EQ(dbftest::RecordText(p, r, 1, 6) + dbftest::RecordText(p, r, 24, 8), "edited" + std::string(stored[r - 1]));
    }
  }
}

// A field set through the dialog or the dataset is stored from its value,
// also a logical field that held "?"; a number too wide for its field is
// stored as "*"s, named as a whole number beyond 32 bits is.
TEST_F(Dbf4Facade, FieldsSetAreStoredAndNumbersTooWideAreNamed) {
  std::string p = FilledTable("flags.dbf", {F("OK", 'L', 1), F("N52", 'N', 5, 2), F("N100", 'N', 10)},
                              {{"T", "1.5", "1"}, {"T", "2.5", "2"}});
  auto bytes = dbftest::ReadBytes(p);
  const std::size_t header = bytes[8] | (bytes[9] << 8), length = bytes[10] | (bytes[11] << 8);
  for (int r = 0; r < 2; ++r) bytes[header + r * length + 1] = '?';
  dbftest::WriteBytes(p, bytes);
  dbf4->OpenTable(p);
  ASSERT_EQ(AbortFlag, 0);
  dbf4->Go(1);
  dbf4->SetFieldBoolean("OK", false);
  for (const auto& [field, value] : {std::pair<const char*, Extended>{"N52", 99.999L}, {"N100", 9999999999.0L}}) {
    SCOPED_TRACE(field);
    DialogScript script;
    script.Ok().Expect(std::string("Value out of range for field '") + field + "'");
    dbf4->SetFieldFloat(field, value);
    EXPECT_EQ(AbortFlag, 1);
    AbortFlag = 0;
  }
  dbf4->Go(2);  // moving stores the edit
  dbf4->tzdbf.Edit();
  dbf4->tzdbf.FieldByName("OK").SetAsBoolean(false);
  EXPECT_EQ(Raised<platform::EDatabaseError>([&] { dbf4->tzdbf.FieldByName("N52").SetAsString("-99.99"); }),
            "Value out of range for field 'N52'");
  dbf4->tzdbf.Post();
  dbf4->CloseTable();
  EXPECT_EQ(dbftest::RecordText(p, 1, 1, 16), "F*****         1");
  EXPECT_EQ(dbftest::RecordText(p, 2, 1, 16), "F*****         2");
  if (!PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  const std::string script = Path("read.py");
  std::ofstream(script) << "import sys, dbfread\n"
                           "for r in dbfread.DBF(sys.argv[1]): print(r['OK'], r['N52'], r['N100'])\n";
  EXPECT_EQ(RunPython(script, p, Path("out.txt")), "False None 1\nFalse None 2\n");
}

// A date set through the dialog or the dataset to the value it shows keeps
// its stored text, and so does one left alone while another field is edited:
// "2024051 " (the engine reads 2024-05-01, the dataset shows it empty) and
// "abcdefgh", shown empty and set empty, stay.
TEST_F(Dbf4Facade, DatesSetToTheValueTheyShowKeepTheirStoredText) {
  const std::string stored = "2024051 abcdefgh";
  std::string p = FilledTable("days.dbf", {F("NAME", 'C', 4), F("DAY", 'D', 8), F("ODD", 'D', 8)},
                              {{"a"}, {"b"}, {"c"}});
  auto bytes = dbftest::ReadBytes(p);
  const std::size_t header = bytes[8] | (bytes[9] << 8), length = bytes[10] | (bytes[11] << 8);
  for (int r = 0; r < 3; ++r) std::copy(stored.begin(), stored.end(), bytes.begin() + header + r * length + 5);
  dbftest::WriteBytes(p, bytes);
  dbf4->OpenTable(p);
  ASSERT_EQ(AbortFlag, 0);
  dbf4->Go(1);
  dbf4->SetFieldString("DAY", dbf4->FieldText(2));
  dbf4->SetFieldString("ODD", "");
  dbf4->Go(2);  // moving stores the edit
  dbf4->tzdbf.Edit();
  EXPECT_EQ(dbf4->tzdbf.FieldByName("ODD").AsString(), "");
  const std::string shown = dbf4->tzdbf.FieldByName("DAY").AsString();
  dbf4->tzdbf.FieldByName("DAY").SetAsString("06/01/24");  // changed, then set back
  dbf4->tzdbf.FieldByName("DAY").SetAsString(shown);
  dbf4->tzdbf.FieldByName("ODD").SetAsString("");
  dbf4->tzdbf.Post();
  dbf4->Go(3);
  dbf4->tzdbf.Edit();
  dbf4->tzdbf.FieldByName("NAME").SetAsString("e");
  dbf4->tzdbf.Post();
  dbf4->CloseTable();
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(dbftest::RecordText(p, r, 5, 16), stored) << r;
  EXPECT_EQ(dbftest::RecordText(p, 3, 1, 4), "e   ");
  if (!PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  const std::string script = Path("read.py");
  std::ofstream(script) << "import sys, dbfread\n"
                           "for r in dbfread.DBF(sys.argv[1], raw=True): print((r['DAY'] + r['ODD']).decode())\n";
  EXPECT_EQ(RunPython(script, p, Path("out.txt")), stored + "\n" + stored + "\n" + stored + "\n");
}

// Stored texts that hold no value of their field's type show as stored:
// "*"s, a damaged date and a logical "?"; FieldAsInteger names the "*"s
// rather than reading them as 0. Good values show as before.
TEST_F(Dbf4Facade, FieldsHoldingNoValueShowWhatIsStored) {
  const std::string damaged = "*****2024ab01?";
  std::string p = FilledTable("odd.dbf", {F("QTY", 'N', 5), F("DAY", 'D', 8), F("OK", 'L', 1)}, {{"1"}, {"2"}});
  auto bytes = dbftest::ReadBytes(p);
  const std::size_t header = bytes[8] | (bytes[9] << 8);
  std::copy(damaged.begin(), damaged.end(), bytes.begin() + header + 1);
  dbftest::WriteBytes(p, bytes);
  dbf4->OpenTable(p);
  ASSERT_EQ(AbortFlag, 0);
  dbf4->Go(1);
  EXPECT_EQ(dbf4->FieldText(1), "*****");
  EXPECT_EQ(dbf4->FieldText(2), "2024ab01");
  EXPECT_EQ(dbf4->FieldText(3), "?");
  {
    DialogScript script;
    script.Ok().Expect("Field QTY holds no number (\"*****\")");
    EXPECT_EQ(dbf4->FieldAsInteger("QTY"), 0);
    EXPECT_EQ(AbortFlag, 1);
    AbortFlag = 0;
  }
  dbf4->Go(2);
  EXPECT_EQ(dbf4->FieldText(1), "    2");
  EXPECT_EQ(dbf4->FieldAsInteger("QTY"), 2);
  EXPECT_EQ(dbf4->FieldText(3), "N");
  EXPECT_EQ(AbortFlag, 0);
  dbf4->CloseTable();
  // A number that other characters follow is no number either, and a
  // logical "J" (ja) is true, as T and Y are.
  std::copy_n(" 12ab", 5, bytes.begin() + header + 15 + 1);  // record 2's QTY
  bytes[header + 15 + 14] = 'J';                            // and its OK
  dbftest::WriteBytes(p, bytes);
  dbf4->OpenTable(p);
  dbf4->Go(2);
  EXPECT_EQ(dbf4->FieldText(1), " 12ab");
  EXPECT_EQ(dbf4->FieldText(3), "Y");
  {
    DialogScript script;
    script.Ok().Expect("Field QTY holds no number (\"12ab\")");
    dbf4->FieldAsInteger("QTY");
    EXPECT_EQ(AbortFlag, 1);
    AbortFlag = 0;
  }
  dbf4->CloseTable();
}

// Index files are attached by their whole name: a folder may hold blanks,
// quotes, "$", non-ASCII letters and words that read as index options.
TEST_F(Dbf4Facade, IndexesAttachByTheirWholeNameWhateverTheirFolderHolds) {
  const std::string folder = Path("idx \xC3\xA4 $x \"q\" 'y' UNIQUE z");
  std::filesystem::create_directories(folder);
  std::string p = SampleTable(12);
  dbf4->OpenTable(p);
  dbf4->IndexOn("NAME", folder + "/names.ndx");
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_TRUE(std::filesystem::exists(folder + "/names.ndx"));
  dbf4->CloseTable();

  dbf4->OpenTable(p);
  dbf4->SetIndexTo(folder + "/names");
  ASSERT_EQ(AbortFlag, 0);
  dbf4->FindKey("R11");
  EXPECT_EQ(dbf4->KeyFound() ? dbf4->RecNo() : 0, 11);
  dbf4->First();
  dbf4->tzdbf.Next();
  EXPECT_EQ(dbf4->RecNo(), 10);  // R1, R10, ...: the key's order, not the records'

  // The table dialog's column sort in such a temporary folder.
  const std::string savedTemp = TempDir;
  TempDir = folder;
  dbf4->tzdbf.Last();
  dbf4->SortByColumn(1);  // QTY
  TempDir = savedTemp;
  EXPECT_EQ(AbortFlag, 0);
  dbf4->First();
  EXPECT_EQ(dbf4->FieldText(1), "R1        ");
  dbf4->tzdbf.Next();
  EXPECT_EQ(dbf4->FieldText(1), "R2        ");
  dbf4->CloseTable();

  // A dataset's index list, built there and attached again.
  for (int open = 0; open < 2; ++open) {
    TTzDbf ds("list");
    ds.IndexList = {"1," + folder + "/list.ndx,QTY"};
    ds.SetDbfFileName(p);
    ds.SetActive(true);
    EXPECT_EQ(ds.Find("    7") ? ds.RecNo() : 0, 7);
  }
}
