#include "dbf/work_areas.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include <gtest/gtest.h>

#include "dbf/import_export.h"
#include "dbf/locks.h"
#include "dbf/ndx_index.h"
#include "dbf/record_cache.h"
#include "dbf/work_areas_internal.h"
#include "dbf_test_util.h"
#include "platform/dialogs.h"

using dbftest::DbfTest;
using dbftest::F;
using dbftest::ReadBytes;

class WorkAreas_ : public DbfTest {
 protected:
  // A table of one record "a" whose fields after the 4-byte NAME hold `stored` as written by another program.
  std::string WithStoredText(const std::string& name, const std::vector<TDbfFieldEntry>& fields,
                             const std::string& stored) {
    std::string p = Create(name, fields);
    Use(p + " EXCLUSIVE");
    AppendTexts({{"a"}});
    CloseDatabase();
    auto bytes = ReadBytes(p);
    const std::size_t header = bytes[8] | (bytes[9] << 8);
    std::copy(stored.begin(), stored.end(), bytes.begin() + header + 5);
    dbftest::WriteBytes(p, bytes);
    return p;
  }
};

TEST_F(WorkAreas_, SelectReportsFullAndInvalidSlots) {
  Select(34);
  EXPECT_EQ(TzLastError, 220);
  EXPECT_EQ(TzErrorDetail, "Invalid workarea selected = [Select(34)]");
  std::string p = Sample(1);
  CloseDatabase();
  for (int i = 1; i <= 33; ++i) {
    Select(i);
    Use(p + " ALIAS A" + std::to_string(i));
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  }
  TzLastError = 0;
  Select(0);
  EXPECT_EQ(TzLastError, 220);
  EXPECT_EQ(TzErrorDetail, "No free workarea available [Select(0)]");
}

// Refused uses open nothing; calls without a table report and return neutral values.
TEST_F(WorkAreas_, RefusalsAndTheirCodes) {
  std::string p = Sample(1);  // opened EXCLUSIVE
  Skip(1);
  RecallRec();
  EXPECT_EQ(TzLastError, 1103);
  CloseDatabase();
  std::uint8_t buf[16];
  Use(p, buf, 8);
  EXPECT_EQ(TzLastError, 266);  // the caller's buffer is not the typed record's size
  EXPECT_EQ(SelectedWorkArea(), nullptr);
  Use(p + " EXCLUSIVE");
  Select(2);
  Use(p + " ALIAS B");
  EXPECT_EQ(TzLastError, platform::kErrSharingViolation);
  EXPECT_EQ(SelectedWorkArea(), nullptr);
  VFileHook = nullptr;  // start-up installs the virtual-file unit
  Use("LIST LINKED LIST", buf, sizeof buf);
  EXPECT_EQ(TzLastError, 1101);
  EXPECT_EQ(SelectedWorkArea(), nullptr);
  Select(3);
  EXPECT_TRUE(RecCount() == 0 && dEOF() && dBOF());
  Append();
  EXPECT_EQ(TzLastError, 215);
  EXPECT_EQ(TzErrorDetail, "No database in use [APPEND]  WorkArea = 3");
}

TEST_F(WorkAreas_, NumberTooWideIsStars_BlankDateIsBlank) {
  std::string p = Filled("w.dbf", {F("N", 'N', 5, 1), F("D", 'D', 8)}, {{"12345.6", "  /  /  "}, {"1.5", "02/30/24"}});
  CloseDatabase();
  auto b = ReadBytes(p);  // the second date is not a date
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[32 + 64 + 1]), 28), " *****           1.5        ");
}

TEST_F(WorkAreas_, MovesHideDeletedRecordsAndRunPastTheEnd) {
  Sample(3);
  SetIgnoreDel(true);
  GoBottom();
  EXPECT_EQ(RecNo(), 3);
  Skip(1);
  EXPECT_TRUE(dEOF() && RecNo() == 4);
  EXPECT_EQ(GetFieldText(1), std::string(10, ' '));
  Skip(1);
  EXPECT_EQ(TzLastError, 212);
  Skip(-1);
  EXPECT_EQ(RecNo(), 3);
  DeleteRecs({2});
  GoTop();
  Skip(1);
  EXPECT_EQ(RecNo(), 3);  // record 2 is hidden
  Skip(-1);
  EXPECT_EQ(RecNo(), 1);
  Skip(-1);
  EXPECT_TRUE(dBOF() && RecNo() == 1);
  DeleteRecs({1, 3});
  GoTop();
  EXPECT_TRUE(dEOF() && dBOF() && RecNo() == 4);
  GoBottom();
  EXPECT_TRUE(dEOF());
}

TEST_F(WorkAreas_, FilterAndWhileCallbacks) {
  Sample(6);
  TDbfWorkArea* wa = SelectedWorkArea();
  wa->filterCallback = [] { return GetFieldValue(2) != 3; };
  GoTop();
  Skip(2);
  EXPECT_EQ(RecNo(), 4);
  wa->whileCallback = [] { return GetFieldValue(2) < 5; };
  Skip(1);
  EXPECT_TRUE(dEOF());
  GoTop();
  GoLastWhile();
  EXPECT_EQ(RecNo(), 4);
}

// A name in other case is found; the second use of a table needs its own alias.
TEST_F(WorkAreas_, FileNameCaseIsFoundAndUseTwiceNeedsSecondAlias) {
  std::string p = Sample(1);
  CloseDatabase();
  Use(Path("SAMPLE"));
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(Alias(), "SAMPLE");
  Select(2);
  Use(p);
  EXPECT_EQ(TzLastError, 220);
  EXPECT_EQ(TzErrorDetail, "Alias name \"SAMPLE\" already in use. [USE]");
  Use(p + " ALIAS OTHER");
  EXPECT_TRUE(TzLastError == 0 && RecCount() == 1);
}

// The option words of a command follow the file name: folders named like
// them are folders, and UseTable takes a path whole, its name too.
TEST_F(WorkAreas_, FoldersNamedLikeOptionWordsArePartOfThePath) {
  std::filesystem::create_directories(Path("d q"));
  Sample(3, "d q/t.dbf");
  CloseDatabase();
  for (const std::string folder : {"d exclusive q", "tmp alias q", "tmp virtual file", "tmp linked list"}) {
    SCOPED_TRACE(folder);
    std::filesystem::create_directories(Path(folder));
    const std::string p = Sample(1, folder + "/t.dbf");
    CloseDatabase();
    Use(p + " ALIAS T");
    ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
    EXPECT_EQ(std::vector<std::string>({DbfFileName(), Alias(), std::to_string(RecCount())}),
              std::vector<std::string>({p, "T", "1"}));
    EXPECT_FALSE(SelectedWorkArea()->exclusive);
    Use(p + " exclusive");
    EXPECT_TRUE(TzLastError == 0 && SelectedWorkArea()->exclusive && Alias() == "T");
    // A table appended from such a folder is that folder's table.
    const std::string into = Sample(0, "into.dbf");
    AppendFrom(p);
    EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
    EXPECT_EQ(RecCount(), 1);
    CloseDatabase();
  }
  const std::string named = Create("x alias y exclusive.dbf", {F("NAME", 'C', 4)});
  UseTable(named, "", true);
  AppendTexts({{"a"}, {"b"}});
  UseTable(named, "N");
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(std::vector<std::string>({DbfFileName(), Alias(), std::to_string(RecCount())}),
            std::vector<std::string>({named, "N", "2"}));
  EXPECT_FALSE(SelectedWorkArea()->exclusive);
}

TEST_F(WorkAreas_, PackAsksFirstAndKeepsLiveRecordsInOrder) {
  std::string p = Sample(5);
  DeleteRecs({2, 3});
  ConfirmPack = true;
  for (bool yes : {false, true}) {
    platform::DialogScript script;
    yes ? script.Yes().Expect("PACK ") : script.No();
    EXPECT_EQ(Pack(), yes);
    EXPECT_EQ(RecCount(), yes ? 3 : 5);
  }
  EXPECT_EQ(RecNo(), 1);
  EXPECT_EQ(Column(), "R1,R4,R5,");
  CloseDatabase();
  auto b = ReadBytes(p);
  int hl = b[8] | (b[9] << 8), rl = b[10] | (b[11] << 8);
  EXPECT_EQ(b.size(), static_cast<std::size_t>(hl + 3 * rl + 1));
  EXPECT_TRUE(b.back() == 0x1A && b[4] == 3);
}

TEST_F(WorkAreas_, SharedPackNeedsExclusiveAccessAndRelationsRunAfterMoves) {
  std::string p = Sample(3);
  CloseDatabase();
  Use(p);
  Select(2);
  Use(p + " ALIAS SECOND");
  Select(1);
  EXPECT_FALSE(Pack());
  EXPECT_TRUE(TzLastError == 0 && RecCount() == 3);  // still open and usable
  Select(2);
  CloseDatabase();
  Select(1);
  Go(1);
  ASSERT_TRUE(RLock());
  DeleteRecs({1});
  EXPECT_TRUE(Pack());
  EXPECT_EQ(RecCount(), 2);
  // The table is shared again afterwards.
  Select(2);
  Use(p + " ALIAS SECOND");
  EXPECT_EQ(TzLastError, 0);
  // A relation runs after every move.
  static int runs = 0;
  runs = 0;
  SetRelation([] { ++runs; });
  EXPECT_EQ(runs, 1);
  GoTop();
  Skip(1);
  EXPECT_EQ(runs, 3);
  SetRelation([] { Go(1); });  // a relation that moves its own table
  EXPECT_EQ(TzLastError, 224);
}

TEST_F(WorkAreas_, PackFailurePartWayLeavesOldTableWhole) {
  std::string p = Sample(4);
  DeleteRecs({2});
  UpdateHeader(*SelectedWorkArea());
  auto before = ReadBytes(p);
  // A directory in the way of the new file makes the write fail.
  std::filesystem::create_directory(p + ".pk$");
  EXPECT_FALSE(Pack());
  EXPECT_NE(TzLastError, 0);
  EXPECT_TRUE(ReadBytes(p) == before && RecCount() == 4);
}

// The typed record's fields read back as written; opened shared, changes need locks.
TEST_F(WorkAreas_, TypedRecordRoundTripAndSharedChangesNeedLocks) {
  std::string p = Sample(2);
  Go(2);
  EXPECT_EQ(std::vector<std::string>({GetFieldText(1), Fields(2), FieldAsString(3), FieldAsString(5)}),
            std::vector<std::string>({"R2        ", "R2|2|2.50|05/17/24|Y", "    2.50", "Y"}));
  EXPECT_TRUE(GetFieldLogical(5));
  EXPECT_EQ(FieldLen(4), 8);
  TzCentury = true;
  EXPECT_EQ(std::vector<int>({FieldLen(4), FieldNo(" price ")}), std::vector<int>({10, 3}));
  EXPECT_EQ(Field(2), "QTY");
  FieldType(9);
  EXPECT_EQ(TzErrorDetail, "Invalid field number. [FieldType(9)]");
  CloseDatabase();
  Use(p);
  Go(1);
  SetFieldText(1, "X");
  for (bool locked : {false, true}) {
    if (locked) {
      ASSERT_TRUE(RLock());
    }
    Replace();
    EXPECT_EQ(TzLastError, locked ? 0 : 1200);
    Poke("zz", 1, 1);
    EXPECT_EQ(TzLastError, locked ? 0 : 1200);
  }
  Unlock();
  AppendTexts({{}});
  EXPECT_EQ(TzLastError, 5);
  ASSERT_TRUE(ALock());
  AppendTexts({{}});
  EXPECT_TRUE(TzLastError == 0 && RecCount() == 3);
  DeleteRec();
  EXPECT_EQ(TzLastError, 1200);  // an append lock does not cover records
}

// A memo field wider than the number it holds (a table of another program)
// stores the block number right-aligned over its whole width.
TEST_F(WorkAreas_, WideMemoFieldStoresItsBlockNumberWhole) {
  std::string p = Create("wide.dbf", {F("NAME", 'C', 4), F("NOTE", 'M', 10)});
  auto b = ReadBytes(p);
  b[10] = 1 + 4 + 40;  // record length
  b[64 + 16] = 40;     // the memo field's length
  dbftest::WriteBytes(p, b);
  Use(p + " EXCLUSIVE");
  AppendTexts({{"a"}});
  Go(1);
  SetFieldValue(2, 7);
  Replace();
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  CloseDatabase();
  const auto after = ReadBytes(p);
  const std::size_t record = b[8] | (b[9] << 8);
  EXPECT_EQ(std::string(after.begin() + record, after.begin() + record + 45), " a   " + std::string(39, ' ') + "7");
}

// A field is converted when first read: what a program wrote, a move to
// another record, or another program's change must never leave an old
// value to be read.
TEST_F(WorkAreas_, TypedValuesFollowWritesMovesAndOtherPrograms) {
  std::string p = Sample(3);
  // Each field read once, as a scan reads it; then once more through the typed record.
  auto row = [] {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%.0Lf|%.2Lf|", GetFieldValue(2), GetFieldValue(3));
    std::string once = AllTrim(GetFieldText(1)) + "|" + numbers + GetFieldText(4) + "|" +
                       (GetFieldLogical(5) ? "Y" : "N") + (Deleted() ? "|*" : "");
    std::string again = AllTrim(FieldAsString(1)) + "|" + AllTrim(FieldAsString(2)) + "|" +
                        AllTrim(FieldAsString(3)) + "|" + FieldAsString(4) + "|" + FieldAsString(5) +
                        (Deleted() ? "|*" : "");
    return once == again ? once : once + " <> " + again;
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    std::string expected;
  };
  std::vector<Step> steps = {
      {"first read converts", [] { Go(1); }, "R1|1|1.25|05/17/24|N"},
      {"one field read, then another record", [] { Go(1), GetFieldValue(2), Go(2); },
       "R2|2|2.50|05/17/24|Y"},
      {"written fields read back before they are stored",
       [] {
         Go(3);
         SetFieldText(1, "W3");
         SetFieldValue(2, 33);
         SetFieldValue(3, 3.5L);
         SetFieldText(4, "01/02/25");
         SetFieldLogical(5, false);
       },
       "W3|33|3.50|01/02/25|N"},
      {"unstored writes are gone after a move", [] { Go(1), Go(3); }, "R3|3|3.75|05/17/24|N"},
      {"one field written and stored keeps the unread ones",
       [] {
         Go(2);
         SetFieldValue(3, 9.75L);
         Replace();
         Go(1);
         Go(2);
       },
       "R2|2|9.75|05/17/24|Y"},
      {"the deleted mark follows the record", [] { Go(2), DeleteRec(), Go(1), Go(2); },
       "R2|2|9.75|05/17/24|Y|*"},
      {"whole-record copy sees every field", [] { Go(1), FieldAddress(0), Go(3), FieldAddress(0); },
       "R3|3|3.75|05/17/24|N"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    EXPECT_EQ(TzLastError, 0) << GetTzErrorText();
    EXPECT_EQ(row(), s.expected);
  }
  EXPECT_EQ(dbftest::RecordText(p, 2, 0, 33), "*R2            2    9.7520240517T");

  // Another program rewrites record 1 while this one has read it.
  CloseDatabase();
  Use(p);
  Go(1);
  EXPECT_EQ(row(), "R1|1|1.25|05/17/24|N");
  auto bytes = ReadBytes(p);
  std::size_t at = (bytes[8] | (bytes[9] << 8)) + 1u;
  std::memcpy(&bytes[at], "Other         7   70.1020250301T", 32);
  dbftest::WriteBytes(p, bytes);
  Go(1);
  EXPECT_EQ(row(), "Other|7|70.10|03/01/25|Y");
}

// Numbers of every size go through the six-byte form in the table fuzz target's replay.
TEST(SixByteReal, ZeroStaysAndValuesBeyondTheRangeBecomeTheLargest) {
  std::uint8_t r[6];
  ExtendedToReal48(0, r);
  EXPECT_EQ(Real48ToExtended(r), 0);
  ExtendedToReal48(1e300L, r);
  EXPECT_GT(Real48ToExtended(r), 1e38L);
}

// A number field without decimals reads as the whole part of the double its
// text gives, on the first read and on the next; a text that is not one
// number whole, or one beyond the 32-bit range, is named and reads as 0.
TEST_F(WorkAreas_, WholeNumberFieldsReadAsTheWholePartOfTheirText) {
  const std::vector<std::string> texts = {
      "        1234", "       -1234", "  2147483647", "  2147483648", " -2147483648", " -2147483649",
      "        12.7", "       -12.7", "         -0 ", "       +5   ", "  1e3       ", "            ",
      "   12 34    ", "999999999999", "-99999999999", "   .9       ", "          - ", "000000000042"};
  std::string p = Create("whole.dbf", {F("N", 'N', 12), F("M", 'N', 12, 2)});
  Use(p + " EXCLUSIVE");
  for (std::size_t i = 0; i < texts.size(); ++i) {
    ClearRecord();
    Append();
  }
  CloseDatabase();
  auto bytes = ReadBytes(p);
  const std::size_t header = bytes[8] | (bytes[9] << 8);
  for (std::size_t i = 0; i < texts.size(); ++i)
    std::memcpy(&bytes[header + i * 25 + 1], texts[i].data(), 12);
  dbftest::WriteBytes(p, bytes);
  Use(p + " EXCLUSIVE");
  std::size_t k = 0;
  for (GoTop(); !dEOF(); Skip(1), ++k) {
    const std::string& text = texts[k];
    SCOPED_TRACE(text);
    std::size_t from = text.find_first_not_of(" +"), to = text.find_last_not_of(' ');
    double v = 0;
    bool named = false;
    if (from != std::string::npos && from <= to) {
      const auto r = std::from_chars(text.data() + from, text.data() + to + 1, v);
      v = std::trunc(v);
      named = r.ptr != text.data() + to + 1 || v > 2147483647.0 || v < -2147483648.0;
    }
    const long double want = named ? 0 : v;
    TzLastError = 0;
    EXPECT_EQ(GetFieldValue(1), want);
    EXPECT_EQ(TzLastError, named ? 106 : 0) << TzErrorDetail;
    TzLastError = 0;
    EXPECT_EQ(GetFieldValue(1), want);  // from the typed record
    EXPECT_EQ(TzLastError, named ? 106 : 0) << TzErrorDetail;
  }
  EXPECT_EQ(k, texts.size());
}

// A field's number is the double from_chars gives for its whole text, to the
// last bit, whether the short way or from_chars itself reads it.
TEST(FieldNumber, EqualsFromCharsToTheLastBit) {
  auto expected = [](std::string text) {
    std::size_t i = text.find_first_not_of(" +");
    text = i == std::string::npos ? "" : text.substr(i);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    // A text that is not one number whole ("12abc", "1.2.3") reads as 0.
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    return r.ptr == text.data() + text.size() ? v : 0.0;
  };
  std::vector<std::string> texts = {"", "   ", "0", "-0", "  12.50", "+7", ".5", "5.", "-.25", ".", "-", "1.2.3",
                                    "1e5", "12 34", "0.1", "0.3", "9999999999.99", "123456789012345",
                                    "1234567890123456", "0.000000000000001", "-999999999999999", "00000000000000012",
                                    "12abc", "--5", " -3.14159265358979"};
  std::mt19937_64 random(3);
  for (int k = 0; k < 20000; ++k) {
    const int decimals = static_cast<int>(random() % 16);
    std::string digits = std::to_string(random() % 1000000000000000ULL);
    if (decimals > 0) {
      if (digits.size() <= static_cast<std::size_t>(decimals)) digits.insert(0, decimals - digits.size() + 1, '0');
      digits.insert(digits.size() - decimals, ".");
    }
    texts.push_back(random() % 2 ? "-" + digits : digits);
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const double got = workareas::FieldNumber(text.data(), text.size()), want = expected(text);
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << got << " for " << want;
  }
}

// A change writes only what changed: numbers wider than the typed record
// holds keep their text when another field is replaced (with an index too),
// and a value given to a field is stored with all its digits, by a program,
// by the delimited import and by AppendFrom.
TEST_F(WorkAreas_, FieldsNotChangedKeepTheirStoredText) {
  const std::vector<TDbfFieldEntry> fields = {F("NAME", 'C', 4), F("BIG", 'N', 10), F("NEG", 'N', 11),
                                              F("WIDE", 'N', 20, 4), F("OK", 'L', 1)};
  const std::string numbers = "9999999999-5000000000 12345678901234.5678", stored = numbers + "Y";
  std::string p = WithStoredText("wide.dbf", fields, stored);
  auto record = [&](int n) { return dbftest::RecordText(p, n, 1, 4 + 10 + 11 + 20 + 1); };
  ASSERT_EQ(record(1), "a   " + stored);

  for (bool indexed : {false, true}) {
    SCOPED_TRACE(indexed);
    Use(p + " EXCLUSIVE");
    if (indexed) MakeIndex(Path("name.ndx"), "NAME", false, 1, false, false, nullptr, 0);
    Go(1);
    SetFieldText(1, indexed ? "c" : "b");
    Replace();
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    CloseDatabase();
    EXPECT_EQ(record(1), (indexed ? "c   " : "b   ") + stored);
  }

  // Given values keep their digits: set by a program, imported, appended.
  Use(p + " EXCLUSIVE");
  Go(1);
  SetFieldValue(2, 8888888888.0L);
  SetFieldValue(4, -1234567890123.4567L);
  Replace();
  std::ofstream(Path("in.txt")) << "d,9999999999,-5000000000,12345678901234.5678,Y\r\n";
  EXPECT_EQ(AppendFromDelimited(Path("in.txt"), false), 1);
  CloseDatabase();
  EXPECT_EQ(record(1), "c   8888888888-5000000000 -1234567890123.4567Y");
  EXPECT_EQ(record(2), "d   " + numbers + "T");
  // The same fields in another order and width: each number keeps its digits.
  std::string same = Create("same.dbf", fields);
  std::string other = Create("other.dbf", {F("WIDE", 'N', 22, 4), F("BIG", 'N', 12), F("NAME", 'C', 4)});
  for (const std::string& to : {same, other}) {
    Use(to + " EXCLUSIVE");
    AppendFrom(p);
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    CloseDatabase();
  }
  EXPECT_EQ(dbftest::RecordText(same, 2, 1, 46), "d   " + numbers + "T");
  EXPECT_EQ(dbftest::RecordText(other, 2, 1, 38), "   12345678901234.5678  9999999999d   ");
  if (dbftest::PythonModule("dbfread")) {
    std::string script = Path("read.py");
    std::ofstream(script) << "import sys, dbfread\n"
                             "for r in dbfread.DBF(sys.argv[1]): print(r['NAME'], r['BIG'], r['NEG'], r['WIDE'])\n";
    EXPECT_EQ(dbftest::RunPython(script, p, Path("out.txt")),  // an independent reader agrees
              "c 8888888888 -5000000000 -1234567890123.4568\nd 9999999999 -5000000000 12345678901234.568\n");
  }
}

// A field the caller set is written from its value, also where the stored
// text reads as the same value ("?" as false, "*"s as 0); a date of the same
// text keeps its century, and the fields left alone keep their text.
TEST_F(WorkAreas_, FieldsTheCallerSetAreWrittenTheOthersKeepTheirText) {
  const std::vector<TDbfFieldEntry> fields = {F("NAME", 'C', 4), F("OK", 'L', 1), F("LEFT", 'L', 1),
                                              F("QTY", 'N', 6), F("DAY", 'D', 8)};
  const std::string stored = "??******19400501";
  std::string p = WithStoredText("set.dbf", fields, stored);
  const auto bytes = ReadBytes(p);
  auto record = [&] { return dbftest::RecordText(p, 1, 1, 4 + stored.size()); };
  ASSERT_EQ(record(), "a   " + stored);

  for (bool indexed : {false, true}) {
    SCOPED_TRACE(indexed);
    dbftest::WriteBytes(p, bytes);
    Use(p + " EXCLUSIVE");
    if (indexed) MakeIndex(Path("name.ndx"), "NAME", false, 1, false, false, nullptr, 0);
    Go(1);
    if (indexed) SetFieldText(2, "N");
    else SetFieldLogical(2, false);
    SetFieldValue(4, 0);
    SetFieldText(5, GetFieldText(5));
    Replace();
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    CloseDatabase();
    EXPECT_EQ(record(), "a   F?     019400501");
  }
  if (dbftest::PythonModule("dbfread")) {
    std::string script = Path("read.py");
    std::ofstream(script) << "import sys, dbfread\n"
                             "for r in dbfread.DBF(sys.argv[1]): print(r['OK'], r['LEFT'], r['QTY'], r['DAY'])\n";
    EXPECT_EQ(dbftest::RunPython(script, p, Path("out.txt")), "False None 0 1940-05-01\n");
  }
}

// A number stored in a field rounds halves away from zero, in the text and
// in the value read back; 1.005 is the half it is written as.
TEST_F(WorkAreas_, NumbersStoredRoundHalvesAwayFromZero) {
  std::string p = Create("halves.dbf", {F("WHOLE", 'N', 6), F("CENTS", 'N', 7, 2), F("FLOAT", 'F', 8, 1)});
  CloseDatabase();
  Use(p + " EXCLUSIVE");
  const long double values[][3] = {{0.5, 1.005, 0.25}, {-2.5, -1.005, -0.25}, {1234.5, 2.675, 12.35}};
  for (const auto& row : values) {
    ClearRecord();
    for (int n = 1; n <= 3; ++n) SetFieldValue(n, row[n - 1]);
    Append();
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  }
  Go(2);
  EXPECT_EQ(GetFieldValue(1), -3);  // the whole number as the typed record holds it
  CloseDatabase();
  const std::string want = "     1   1.01     0.3|    -3  -1.01    -0.3|  1235   2.68    12.4|";
  std::string got;
  for (int r = 1; r <= 3; ++r) got += dbftest::RecordText(p, r, 1, 21) + "|";
  EXPECT_EQ(got, want);
  if (dbftest::PythonModule("dbfread")) {  // an independent reader sees the same numbers
    std::string script = Path("read.py");
    std::ofstream(script) << "import sys, dbfread\n"
                             "for r in dbfread.DBF(sys.argv[1]): print(r['WHOLE'], r['CENTS'], r['FLOAT'])\n";
    EXPECT_EQ(dbftest::RunPython(script, p, Path("out.txt")), "1 1.01 0.3\n-3 -1.01 -0.3\n1235 2.68 12.4\n");
  }
}

// A number set to the value its stored text gives keeps that text in every
// form the engine reads (a "+", an exponent); "*"s, which give no value, and
// a text changed in value are written from the value.
TEST_F(WorkAreas_, ANumberTextWithSignOrExponentKeepsItsForm) {
  const std::vector<TDbfFieldEntry> fields = {F("NAME", 'C', 4), F("PLUS", 'N', 8, 2), F("EXP", 'F', 10, 3),
                                              F("FPLUS", 'F', 10, 3), F("STARS", 'N', 4), F("MORE", 'N', 8, 2)};
  const std::string stored = "   +1.50    1.5E+0    +1.500****   +2.25";
  const std::string written = "   +1.50    1.5E+0    +1.500   0    2.75";
  std::string p = WithStoredText("sign.dbf", fields, stored);
  const auto bytes = ReadBytes(p);
  for (bool indexed : {false, true}) {
    SCOPED_TRACE(indexed ? "indexed" : "plain");
    dbftest::WriteBytes(p, bytes);
    Use(p + " EXCLUSIVE");
    if (indexed) MakeIndex(Path("plus.ndx"), "STR(PLUS,8,2)", false, 1, false, false, nullptr, 0);
    Go(1);
    for (int n = 2; n <= 5; ++n) SetFieldValue(n, GetFieldValue(n));
    SetFieldValue(6, GetFieldValue(6) + 0.5L);
    Replace();
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    CloseDatabase();
    EXPECT_EQ(dbftest::RecordText(p, 1, 5, stored.size()), written);
  }
}

// A number or date set to the value its stored text gives keeps that text,
// however it is written ("2024051 ", a date text that is no date and so the
// empty date, a number left-aligned); a value that differs is written, and
// so is a logical field set ("?" to F).
TEST_F(WorkAreas_, ANumberOrDateSetToItsOwnValueKeepsItsStoredText) {
  const std::vector<TDbfFieldEntry> fields = {F("NAME", 'C', 4), F("DAY", 'D', 8),  F("ODD", 'D', 8),
                                              F("NEXT", 'D', 8), F("MOVE", 'D', 8), F("LEFT", 'N', 6),
                                              F("QTY", 'N', 6),  F("OK", 'L', 1)};
  const std::string stored = "2024051 abcdefgh202405022024051 12        12?";
  std::string p = WithStoredText("own.dbf", fields, stored);
  const auto bytes = ReadBytes(p);
  auto record = [&] { return dbftest::RecordText(p, 1, 5, stored.size()); };
  const std::string written = "2024051 abcdefgh202405022024050212        13F";
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    dbftest::WriteBytes(p, bytes);
    Use(p + " EXCLUSIVE");
    if (way == 1) MakeIndex(Path("name.ndx"), "NAME", false, 1, false, false, nullptr, 0);
    Go(1);
    SetFieldText(2, GetFieldText(2));
    SetFieldText(3, way == 2 ? GetFieldText(3) : "");  // the empty date, or the text shown
    SetFieldText(5, GetFieldText(4));
    SetFieldValue(6, 12);
    SetFieldValue(7, 13);
    SetFieldLogical(8, false);
    Replace();
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    CloseDatabase();
    EXPECT_EQ(record(), written);
  }
  if (dbftest::PythonModule("dbfread")) {  // an independent reader sees the same bytes
    std::string script = Path("read.py");
    std::ofstream(script) << "import sys, dbfread\n"
                             "for r in dbfread.DBF(sys.argv[1], raw=True):\n"
                             "  print(b''.join(r[f] for f in ('DAY', 'ODD', 'NEXT', 'MOVE', 'LEFT', 'QTY', 'OK')).decode())\n";
    EXPECT_EQ(dbftest::RunPython(script, p, Path("out.txt")), written + "\n");
  }
}
