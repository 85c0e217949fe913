#include "dbf/import_export.h"

#include <filesystem>
#include <fstream>

#include "dbf/locks.h"
#include "dbf/memo.h"
#include "dbf/record_cache.h"
#include "dbf/vfiles.h"
#include "dbf_test_util.h"

using namespace dbftest;

namespace {

class ImportExport : public DbfTest {};

TEST_F(ImportExport, DelimitedRoundTripWithQuotesSeparatorsAndMemos) {
  Sample(3);
  for (auto [rec, name] : {std::pair<int, const char*>{1, "a,b"}, {2, "say \"hi\""}}) Go(rec), SetFieldText(1, name), Replace();
  std::string out = Path("out");
  EXPECT_EQ(CopyToDelimited(out), 3);
  std::string text = ReadText(out + ".txt");
  EXPECT_EQ(text,
            "\"a,b\",1,1.25,20240517,F\r\n"
            "\"say \"\"hi\"\"\",2,2.50,20240517,T\r\n"
            "\"R3\",3,3.75,20240517,F\r\n\x1A");

  Select(2);
  Sample(0, "back.dbf");
  EXPECT_EQ(AppendFromDelimited(out + ".txt", true), 3);
  ASSERT_EQ(RecCount(), 3);
  EXPECT_EQ(Fields(1) + " / " + Fields(2), "a,b|1|1.25|05/17/24|N / say \"hi\"|2|2.50|05/17/24|Y");

  // Memos export as empty items.
  Select(3);
  Filled("m.dbf", {F("NAME", 'C', 4), F("NOTES", 'M', 10), F("N", 'N', 3)}, {{"a", "", "5"}});
  SetFieldValue(2, AddMemo("memo text"));
  Replace();
  EXPECT_EQ(CopyToDelimited(Path("m.txt")), 1);
  EXPECT_EQ(ReadText(Path("m.txt")), "\"a\",,5\r\n\x1A");
}

// The export replaces its target whole and touches no other file: a file
// the user keeps beside it under any name stays, and a link keeps pointing
// to the file it names, which gets the new text.
TEST_F(ImportExport, DelimitedExportReplacesOnlyItsTarget) {
  Sample(1);
  const std::string real = Path("real.txt"), link = Path("link.txt"), beside = Path("link.txt.$$$");
  std::ofstream(real, std::ios::binary) << "old";
  std::ofstream(beside, std::ios::binary) << "the user's own";
  std::filesystem::create_symlink("real.txt", link);
  EXPECT_EQ(CopyToDelimited(link), 1);
  EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadText(real), "\"R1\",1,1.25,20240517,F\r\n\x1A");
  EXPECT_EQ(ReadText(beside), "the user's own");
  int temporaries = 0;
  for (const auto& e : std::filesystem::directory_iterator(Path("")))
    temporaries += e.path().filename().string().rfind("link.txt.~", 0) == 0;
  EXPECT_EQ(temporaries, 0);
}

TEST_F(ImportExport, ShortLongAndOddLines) {
  Sample(0, "in.dbf");
  std::string in = Path("in.txt");
  std::ofstream(in, std::ios::binary) << "  \"only\"\n"
                                         "x,7,1.5,05/17/24,y,extra,items\r"
                                         "\r\n"
                                         "z,,  ,20240517,no\r\n"
                                         "\x1A"
                                         "after the end mark\r\n";
  EXPECT_EQ(AppendFromDelimited(in, false), 3);
  EXPECT_EQ(Fields(1), "only|0|0.00|/  /|N");
  EXPECT_EQ(Fields(2), "x|7|1.50|05/17/24|Y");
  EXPECT_EQ(Fields(3), "z|0|0.00|05/17/24|N");  // eight digits and display date agree

  EXPECT_EQ(SplitDelimitedLine("a,,b,"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(SplitDelimitedLine("\t \"x, y\" ,z"), (std::vector<std::string>{"x, y ", "z"}));
  EXPECT_EQ(SplitDelimitedLine(std::string(300, 'q'))[0].size(), 255u);
  // A delimiter that is also a blank still ends an empty item.
  for (char delimiter : {'\t', ' '}) {
    DelimiterChar = delimiter;
    const std::string d(1, delimiter);
    EXPECT_EQ(SplitDelimitedLine("a" + d + d + "\"b\"" + d), (std::vector<std::string>{"a", "", "b", ""}));
  }
  DelimiterChar = ',';
  DelimitedLineLimit = 3;
  EXPECT_EQ(SplitDelimitedLine("ab,cd"), (std::vector<std::string>{"ab", ""}));

  EXPECT_EQ(AppendFromDelimited(Path("missing.txt"), false), 0);
  EXPECT_EQ(TzLastError, 2);
}

// Text files are UTF-8: their characters come into the table's code page
// ("?" for one it lacks) and go out as themselves; a file that is not UTF-8
// is taken byte for byte.
TEST_F(ImportExport, DelimitedTextIsUtf8BothWays) {
  for (bool ansi : {false, true}) {
    SCOPED_TRACE(ansi ? "Windows-1252 table" : "code page 437 table");
    AnsiTables = ansi;
    const std::string table = Sample(0, ansi ? "ansi.dbf" : "oem.dbf");
    const std::string in = Path("utf8.txt");
    std::ofstream(in, std::ios::binary) << "\xEF\xBB\xBF\"T\xC3\xA4st \xC3\xB6\",1\r\n"  // a byte-order mark first
                                           "\"\xE2\x82\xAC \xC2\xBD \xE2\x95\x90\",2\r\n";  // euro, one half, box line
    EXPECT_EQ(AppendFromDelimited(in, false), 2);
    EXPECT_EQ(Fields(1), "T\xE4st \xF6|1|0.00|/  /|N");
    // Code page 437 has no euro and Windows-1252 no box drawing.
    Go(2);
    const std::string second = AllTrim(GetFieldText(1));
    EXPECT_EQ(second, ansi ? "\x80 \xBD ?" : "? \xBD " + TzOemToAnsi("\xCD"));
    const std::string file = ReadText(table);
    EXPECT_NE(file.find(ansi ? "T\xE4st \xF6" : "T\x84st \x94"), std::string::npos);  // as the code page stores it

    EXPECT_EQ(CopyToDelimited(Path("out.txt")), 2);
    EXPECT_EQ(ReadText(Path("out.txt")), ansi ? "\"T\xC3\xA4st \xC3\xB6\",1,0.00,,F\r\n\"\xE2\x82\xAC \xC2\xBD ?\",2,0.00,,F\r\n\x1A"
                                                : "\"T\xC3\xA4st \xC3\xB6\",1,0.00,,F\r\n\"? \xC2\xBD \xE2\x95\x90\",2,0.00,,F\r\n\x1A");

    // One byte that is no UTF-8 makes the whole file the table's own.
    std::ofstream(in, std::ios::binary | std::ios::trunc) << "\"T\xC3\xA4st\",3\r\n\"T\xE4st\",4\r\n";
    EXPECT_EQ(AppendFromDelimited(in, false), 2);
    EXPECT_EQ(AllTrim(Fields(3)), "T\xC3\xA4st|3|0.00|/  /|N");
    EXPECT_EQ(AllTrim(Fields(4)), "T\xE4st|4|0.00|/  /|N");
    CloseDatabase();
  }
  AnsiTables = false;
}

TEST_F(ImportExport, AppendFromMatchesFieldsByName) {
  std::string src = Filled("src.dbf", {F("OK", 'C', 3), F("QTY", 'C', 6), F("NAME", 'C', 12), F("DAY", 'C', 10),
                                       F("PRICE", 'N', 12, 3), F("EXTRA", 'N', 3)},
                           {{"T", "42.7", "a long name!", "05/17/24", "123456.5"}});
  DeleteRec();
  CloseDatabase();
  Sample(0, "dst.dbf");
  // PRICE 123456.50 is too wide for N(8,2): named, nothing appended.
  AppendFrom(src);
  EXPECT_EQ(TzLastError, 106);
  EXPECT_EQ(TzErrorDetail, "Field PRICE: 123456.50 is too wide for N(8,2) in record 1 [AppendFrom(" + src + ")]");
  ASSERT_EQ(RecCount(), 0);
  CloseDatabase();
  Use(src + " EXCLUSIVE");
  GoTop();
  SetFieldValue(5, 12345.5L);
  Replace();
  CloseDatabase();
  Use(Path("dst.dbf") + " EXCLUSIVE");
  AppendFrom(src);
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  ASSERT_EQ(RecCount(), 1);
  // QTY: an integer from a text, truncated; OK: L from C is false.
  EXPECT_EQ(Fields(1), "a long nam|42|12345.50|05/17/24|N");
  EXPECT_TRUE(Deleted());
  std::string stored;
  Peek(3, 1, stored);
  EXPECT_EQ(stored, "12345.50");

  // Dates and numbers into texts.
  std::string texts = Create("texts.dbf", {F("DAY", 'C', 8), F("QTY", 'C', 3), F("OK", 'C', 1)});
  CloseDatabase();
  Use(Sample(1, "one.dbf"));
  CloseDatabase();
  TzCentury = true;
  SetDateFormat(0);
  Use(texts + " EXCLUSIVE");
  AppendFrom(Path("one.dbf"));
  EXPECT_EQ(Fields(1), "05/17/24|1|F");  // century digits dropped to fit
  TzCentury = false;
  // A number into a text far wider than any number keeps its digits.
  std::string wide = Create("wide.dbf", {F("PRICE", 'C', 200)});
  CloseDatabase();
  Use(wide + " EXCLUSIVE");
  AppendFrom(Path("one.dbf"));
  EXPECT_EQ(Fields(1), "1.25");
  CloseDatabase();
  if (dbftest::PythonModule("dbfread")) {
    std::string script = Path("read.py");
    std::ofstream(script) << "import sys, dbfread\n"
                             "for r in dbfread.DBF(sys.argv[1]): print(r['PRICE'].strip(), len(r['PRICE']))\n";
    EXPECT_EQ(dbftest::RunPython(script, wide, Path("out.txt")), "1.25 200\n");  // an independent reader agrees
  }
}

// A date too long for its text field loses its century digits; the empty
// date keeps its separators where a date has them.
TEST_F(ImportExport, AppendFromDropsTheCenturyOfEmptyDatesToo) {
  TzCentury = true;
  SetDateFormat(0);
  std::string src = Filled("days.dbf", {F("DAY", 'D', 8)}, {{"05/17/2024"}, {""}});
  CloseDatabase();
  const std::pair<int, const char*> formats[] = {{0, "05/17/24|  /  /  |"}, {1, "24.05.17|  .  .  |"},
                                                 {3, "17-05-24|  -  -  |"}};
  for (const auto& [format, want] : formats) {
    SCOPED_TRACE(format);
    SetDateFormat(format);
    std::string texts = Create("texts" + std::to_string(format) + ".dbf", {F("DAY", 'C', 8)});
    CloseDatabase();
    Use(texts + " EXCLUSIVE");
    AppendFrom(src);
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    std::string got;
    for (GoTop(); !dEOF(); Skip(1)) got += GetFieldText(1) + "|";
    EXPECT_EQ(got, want);
    CloseDatabase();
  }
  TzCentury = false;
  SetDateFormat(0);
}

// Memos are copied between memo kinds (dBASE III to FoxPro here).
TEST_F(ImportExport, AppendFromCopiesMemosAndVirtualSources) {
  CreateVersionByte = kMemoDbase3;
  std::string src = Create("msrc.dbf", {F("NAME", 'C', 4), F("NOTES", 'M', 10)});
  CreateVersionByte = kMemoFoxPro;
  std::string dst = Create("mdst.dbf", {F("NAME", 'C', 4), F("NOTES", 'M', 10)});
  Use(src + " EXCLUSIVE");
  AppendTexts({{"one", std::to_string(AddMemo("memo one"))}, {"two", std::to_string(AddMemo("memo two"))}});
  CloseDatabase();
  Use(dst + " EXCLUSIVE");
  AppendFrom(src);
  ASSERT_EQ(RecCount(), 2);
  Go(2);
  EXPECT_EQ(MemoText(static_cast<std::int32_t>(GetFieldValue(2))), "memo two");
  EXPECT_EQ(WorkAreas[35], nullptr);
  EXPECT_EQ(CopyMemo(1, 0, 4), 0);  // no memo to copy

  // A virtual source, and one that asks to stop after the first record.
  Select(3);
  UseVirtual("mem", {F("NAME", 'C', 4)});
  AppendTexts({{"v1"}, {"v2"}, {"v3"}});
  Select(1);
  GoTop();
  Select(3);
  GoTop();
  Select(1);
  AppendFrom("MEM VIRTUAL FILE", [] { return false; });
  EXPECT_EQ(RecCount(), 3);
  Go(3);
  EXPECT_EQ(TzTrimRight(GetFieldText(1)), "v1");
  EXPECT_EQ(GetFieldValue(2), 0);
}

TEST_F(ImportExport, AppendFromRefusals) {
  std::string p = Sample(1);
  for (auto [source, code, text] : {std::tuple<std::string, int, const char*>{p, 214, "Attempting to append file to itself. [AppendFrom("},
                                    {Path("nothere"), 2, ""},
                                    {"ghost VIRTUAL", 215, "Virtual file must be open. [AppendFrom(ghost VIRTUAL)]"}}) {
    AppendFrom(source);
    EXPECT_EQ(TzLastError, code) << source;
    EXPECT_NE(TzErrorDetail.find(text), std::string::npos) << source;
  }
  CloseDatabase();
  AppendFrom(p);
  EXPECT_EQ(TzLastError, 215);
  // No field in common: nothing is appended.
  Use(Create("other.dbf", {F("ZZZ", 'C', 2)}) + " EXCLUSIVE");
  AppendFrom(p);
  EXPECT_EQ(TzLastError, 0);
  EXPECT_EQ(RecCount(), 0);
}

// The table itself under another name (a symbolic or a hard link) is
// refused like its own name, and a source that grows while it is copied
// gives only the records it held when the copy began.
TEST_F(ImportExport, AppendFromSeesTheTableBehindALinkAndCopiesWhatTheSourceHeld) {
  std::string p = Sample(3);
  CloseDatabase();
  std::filesystem::create_symlink(p, Path("link.dbf"));
  std::filesystem::create_hard_link(p, Path("hard.dbf"));
  Use(p);  // shared, as the table dialog opens it
  ASSERT_TRUE(FLock());
  for (const char* name : {"link.dbf", "hard.dbf"}) {
    int asked = 0;
    AppendFrom(Path(name), [&] { return ++asked < 10; });  // a copy of itself would never end
    EXPECT_EQ(TzLastError, 214) << name;
    EXPECT_EQ(RecCount(), 3) << name;
  }
  CloseDatabase();

  std::string src = Sample(2, "src.dbf");
  CloseDatabase();
  Select(2);
  Use(src + " ALIAS GROWING");
  Select(1);
  Sample(0, "dst.dbf");
  int added = 0;
  AppendFrom(src, [&] {
    // Another user appends to the source meanwhile.
    Select(2);
    if (added < 2 && FLock()) {
      ClearRecord();
      SetFieldText(1, "NEW");
      Append();
      Unlock();
      ++added;
    }
    Select(1);
    return true;
  });
  EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
  EXPECT_GE(added, 1);
  EXPECT_EQ(RecCount(), 2);
}

}  // namespace

namespace {

// Texts appended into number fields are read as stored numbers: a decimal
// comma counts as one ("3,5" is 3.5, not 35), and a text that is no number
// stops the copy before its record, naming field, record and text. An
// independent reader sees the values stored.
TEST_F(ImportExport, TextsAppendedIntoNumbersKeepTheirDecimalCommaOrAreNamed) {
  std::string src = Filled("src.dbf", {F("QTY", 'C', 10), F("PRICE", 'C', 10)},
                           {{"3,5", "1.234,5"}, {"206,000", " -2.5"}, {"", "*****"}, {"7", "12ab"}, {"8", "9"}});
  CloseDatabase();
  std::string dst = Create("dst.dbf", {F("QTY", 'N', 8, 2), F("PRICE", 'N', 10, 2)});
  Use(dst + " EXCLUSIVE");
  AppendFrom(src);
  EXPECT_EQ(TzLastError, 106);
  EXPECT_NE(TzErrorDetail.find("Field PRICE: \"12ab\" is no number in record 4 [AppendFrom("), std::string::npos)
      << TzErrorDetail;
  ASSERT_EQ(RecCount(), 3);
  EXPECT_EQ(Fields(1) + ";" + Fields(2) + ";" + Fields(3), "3.50|1234.50;206.00|-2.50;0.00|0.00");
  CloseDatabase();

  // The same from a delimited text as a German spreadsheet writes it.
  std::ofstream(Path("de.txt")) << "\"3,5\";\"1.234,5\"\n\"2,25\";\"x\"\n";
  Use(Create("de.dbf", {F("QTY", 'N', 8, 2), F("PRICE", 'N', 10, 2)}) + " EXCLUSIVE");
  DelimiterChar = ';';
  EXPECT_EQ(AppendFromDelimited(Path("de.txt"), false), 1);
  DelimiterChar = ',';
  EXPECT_EQ(TzLastError, 106);
  EXPECT_NE(TzErrorDetail.find("Field PRICE: \"x\" is no number in line 2"), std::string::npos) << TzErrorDetail;
  EXPECT_EQ(Fields(1), "3.50|1234.50");
  CloseDatabase();
  if (!dbftest::PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  const std::string script = Path("read.py");
  std::ofstream(script) << "import sys, dbfread\n"
                           "for r in dbfread.DBF(sys.argv[1]): print(r['QTY'], r['PRICE'])\n";
  EXPECT_EQ(dbftest::RunPython(script, dst, Path("out.txt")), "3.5 1234.5\n206.0 -2.5\n0.0 0.0\n");
}

}  // namespace
