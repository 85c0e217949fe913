#include "dbf/dbf_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "dbf/byte_order.h"
#include "dbf/runtime.h"
#include "dbf_test_util.h"

using dbftest::DbfTest;
using dbftest::F;
using dbftest::ReadBytes;
using dbftest::WriteBytes;

class DbfFile : public DbfTest {
 protected:
  // Opens `path` in a bare work area; returns TzLastError.
  int OpenBare(const std::string& path, TDbfWorkArea& wa) {
    wa.fileName = path;
    wa.openMode = 66;
    OpenDbf(wa);
    return TzLastError;
  }
  // A valid table with one C10 field and `records` records, as raw bytes.
  std::vector<unsigned char> RawTable(int records) {
    std::string p = Sample(records, "raw.dbf");
    CloseDatabase();
    return ReadBytes(p);
  }
};

TEST_F(DbfFile, CreateWritesHeaderDescriptorsAndEndMark) {
  std::string p = Create("t.dbf", {F("name", 'C', 10), F("D", 'D', 3), F("n", 'N', 6, 2), F("L", 'L', 5)});
  auto b = ReadBytes(p);
  ASSERT_EQ(b.size(), 32u + 4 * 32 + 1 + 1);
  // Version, date 2024-05-17, header 161, record 26 (D gets 8, L gets 1), D's length, both marks.
  EXPECT_EQ(std::vector<int>({b[0], b[1], b[2], b[3], b[8] | (b[9] << 8), b[10] | (b[11] << 8), b[64 + 16], b[160], b[161]}),
            std::vector<int>({3, 124, 5, 17, 161, 1 + 10 + 8 + 6 + 1, 8, 0x0D, 0x1A}));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[32]), 4), "NAME");
  // A numeric field without a length is refused and no file is left.
  TDbfWorkArea wa;
  TDbfFieldEntry e = F("X", 'N', 0);
  CreateDbf(wa, Path("bad.dbf"), 1, &e);
  EXPECT_EQ(TzLastError, 211);
  EXPECT_FALSE(TzFileExists(Path("bad.dbf")));
}

TEST_F(DbfFile, MemoTableGetsMemoFile) {
  std::string p = Create("m.dbf", {F("NOTE", 'M', 0), F("G", 'G', 0)});
  EXPECT_EQ(ReadBytes(p)[0], 0x8B);
  auto memo = ReadBytes(Path("m.dbt"));
  ASSERT_EQ(memo.size(), 24u);
  EXPECT_TRUE(memo[0] == 1 && memo[8] == 'm');
  TDbfWorkArea wa;
  ASSERT_EQ(OpenBare(p, wa), 0);
  EXPECT_TRUE(wa.memo && wa.fields[1].type == 'M');  // G opens as a memo field
  CloseDbf(wa);
}

// A descriptor list ending early gives fewer fields; FixRecordCount counts the complete records.
TEST_F(DbfFile, EarlyDescriptorEndAndFixedRecordCount) {
  auto b = RawTable(10);
  // Put the terminator at descriptor 3 of 5; the header length stays.
  b[32 + 2 * 32] = 0x0D;
  int rl = b[10] | (b[11] << 8);
  b.pop_back();  // end mark
  std::vector<unsigned char> rec(b.end() - rl, b.end());
  b.insert(b.end(), rec.begin(), rec.end());
  b.insert(b.end(), rec.begin(), rec.end());
  b.insert(b.end(), rec.begin(), rec.begin() + 3);  // partial record
  WriteBytes(Path("fix.dbf"), b);
  TDbfWorkArea wa;
  for (bool fix : {false, true}) {
    FixRecordCount = fix;
    ASSERT_EQ(OpenBare(Path("fix.dbf"), wa), 0);
    EXPECT_TRUE(wa.fieldCount == 2 && wa.headerLength == (b[8] | (b[9] << 8)));
    EXPECT_EQ(wa.recordCount, fix ? 12 : 10);
    GetDbfRecord(wa, 1);
    EXPECT_EQ(std::string(wa.recordBuffer.data() + 1, 10), "R1        ");
    CloseDbf(wa);
  }
}

// Fields that hold no byte make records of the deleted flag alone: the end
// mark after them is no record, however the count is taken.
TEST_F(DbfFile, EndMarkIsNoRecordOfAOneByteTable) {
  std::vector<unsigned char> b(32 + 32 + 1, 0);
  b[0] = 3;
  b[4] = 2;                            // records
  b[8] = static_cast<unsigned char>(b.size());  // header length
  b[10] = 1;                           // record length
  b[32] = 'E';
  b[32 + 11] = 'C';                    // length 0
  b[64] = 0x0D;
  for (int c : {0x20, 0x2A, 0x1A}) b.push_back(static_cast<unsigned char>(c));  // ' ', '*', end mark
  WriteBytes(Path("one.dbf"), b);
  TDbfWorkArea wa;
  for (bool fix : {false, true}) {
    SCOPED_TRACE(fix);
    FixRecordCount = fix;
    ASSERT_EQ(OpenBare(Path("one.dbf"), wa), 0);
    EXPECT_EQ(wa.recordCount, 2);
    CloseDbf(wa);
  }
  FixRecordCount = false;
  EXPECT_EQ(ReadBytes(Path("one.dbf")), b);
  if (dbftest::PythonModule("dbfread")) {  // an independent reader counts the same two
    std::string script = Path("read.py");
    std::ofstream(script) << "import sys, dbfread\n"
                             "t = dbfread.DBF(sys.argv[1], load=True)\n"
                             "print(len(t.records), len(t.deleted))\n";
    EXPECT_EQ(dbftest::RunPython(script, Path("one.dbf"), Path("out.txt")), "1 1\n");
  }
}

TEST_F(DbfFile, DamagedHeadersAreRejectedWithoutCrash) {
  auto good = RawTable(3);
  struct Case {
    const char* what;
    void (*damage)(std::vector<unsigned char>&);
    int code;
  };
  const Case cases[] = {
      {"short prolog", [](std::vector<unsigned char>& b) { b.resize(20); }, 210},
      {"bad version", [](std::vector<unsigned char>& b) { b[0] = 0x77; }, 210},
      {"header 33", [](std::vector<unsigned char>& b) { b[8] = 33; b[9] = 0; }, 210},
      {"256 fields", [](std::vector<unsigned char>& b) { b[8] = 0x20; b[9] = 0x20; }, 210},
      {"record length 0", [](std::vector<unsigned char>& b) { b[10] = 0; b[11] = 0; }, 210},
      {"record length too small", [](std::vector<unsigned char>& b) { b[10] = 5; b[11] = 0; }, 210},
      {"header past end", [](std::vector<unsigned char>& b) { b.resize(100); }, 100},
      {"header length past end", [](std::vector<unsigned char>& b) { b.resize(b[8] + 0u); b[8] = 0xFF; b[9] = 0x01; }, 100},
      {"first descriptor ends", [](std::vector<unsigned char>& b) { b[32] = 0x0D; }, 222},
      {"bad type", [](std::vector<unsigned char>& b) { b[32 + 11] = 'X'; }, 211},
      {"huge count", [](std::vector<unsigned char>& b) { b[7] = 0x90; }, 210},
      {"level 7 tiny header", [](std::vector<unsigned char>& b) { b[0] = 4; b[8] = 40; b[9] = 0; }, 210},
  };
  for (const Case& c : cases) {
    auto b = good;
    c.damage(b);
    WriteBytes(Path("bad.dbf"), b);
    TDbfWorkArea wa;
    EXPECT_EQ(OpenBare(Path("bad.dbf"), wa), c.code) << c.what << ": " << TzErrorDetail;
    EXPECT_EQ(wa.file, platform::kNoFile) << c.what;
    EXPECT_TRUE(wa.recordBuffer.empty()) << c.what;
  }
}

TEST_F(DbfFile, AppendBeyondCountAppendsOneAndCloseWritesOneEndMark) {
  Create("a.dbf", {F("X", 'C', 4)});
  TDbfWorkArea wa;
  ASSERT_EQ(OpenBare(Path("a.dbf"), wa), 0);
  std::memcpy(wa.recordBuffer.data(), " abcd", 5);
  PutDbfRecord(wa, 5);
  EXPECT_TRUE(wa.recordCount == 1 && wa.recordNumber == 1);
  CloseDbf(wa);
  auto b = ReadBytes(Path("a.dbf"));
  ASSERT_EQ(b.size(), 32u + 32 + 1 + 5 + 1);
  EXPECT_TRUE(b[4] == 1 && b.back() == 0x1A);
  // A rewrite only: no second end mark, header count unchanged.
  ASSERT_EQ(OpenBare(Path("a.dbf"), wa), 0);
  GetDbfRecord(wa, 1);
  wa.recordBuffer[1] = 'z';
  PutDbfRecord(wa, 1);
  EXPECT_EQ(wa.fileState, 2);
  CloseDbf(wa);
  auto c = ReadBytes(Path("a.dbf"));
  EXPECT_TRUE(c.size() == b.size() && c[66] == 'z');
  ASSERT_EQ(OpenBare(Path("a.dbf"), wa), 0);
  GetDbfRecord(wa, 2);
  EXPECT_EQ(TzLastError, 212);
  EXPECT_NE(TzErrorDetail.find("[GetDbfRecord]"), std::string::npos);
  CloseDbf(wa);
}

TEST_F(DbfFile, OemTableRoundTripsUnchangedBytes) {
  Create("o.dbf", {F("T", 'C', 3)});
  auto b = ReadBytes(Path("o.dbf"));
  b.pop_back();
  for (unsigned char c : {0x20, 0x84, 0xB3, 0xE1}) b.push_back(c);
  b.push_back(0x1A);
  b[4] = 1;
  WriteBytes(Path("o.dbf"), b);
  TDbfWorkArea wa;
  wa.oem = true;
  ASSERT_EQ(OpenBare(Path("o.dbf"), wa), 0);
  GetDbfRecord(wa, 1);
  EXPECT_EQ(static_cast<unsigned char>(wa.recordBuffer[1]), 0xE4);  // shown in Windows code page
  PutDbfRecord(wa, 1);
  CloseDbf(wa);
  auto after = ReadBytes(Path("o.dbf"));
  EXPECT_TRUE(std::equal(b.begin() + 32 + 32 + 1, b.end(), after.begin() + 32 + 32 + 1));
}

namespace {
void UpperTranslator(char* text, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) text[i] = UpCaseChar(text[i]);
}
}  // namespace

// An exclusive table read in order comes in blocks of records; each record
// comes out as a read of it alone gives it, in blocks with code page 437
// letters and in blocks without, with and without a user translator.
TEST_F(DbfFile, RecordsReadInOrderComeOutAsReadAlone) {
  Create("seq.dbf", {F("T", 'C', 20)});
  auto b = ReadBytes(Path("seq.dbf"));
  const std::size_t header = b.size() - 1;
  b.pop_back();
  const int n = 9000;  // about three blocks of 64 KiB
  for (int i = 1; i <= n; ++i) {
    std::string t = "rec " + std::to_string(i);
    t.resize(20, ' ');
    if (i % 1000 == 7 && i < 3000) t[10] = '\x84';  // only the first block holds letters beyond ASCII
    b.push_back(i % 97 == 0 ? '*' : ' ');
    b.insert(b.end(), t.begin(), t.end());
  }
  b.push_back(0x1A);
  Put32(b.data() + 4, n);
  WriteBytes(Path("seq.dbf"), b);
  struct Row {
    const char* what;
    bool oem;
    TDbfTranslator translator;
  };
  for (const Row& row : {Row{"code page 437", true, nullptr}, Row{"code page 1252", false, nullptr},
                         Row{"translator", true, UpperTranslator}}) {
    SCOPED_TRACE(row.what);
    TDbfWorkArea wa;
    wa.oem = row.oem;
    wa.readTranslator = row.translator;
    ASSERT_EQ(OpenBare(Path("seq.dbf"), wa), 0);
    wa.exclusive = true;
    for (int i = 1; i <= n; ++i) {
      GetDbfRecord(wa, i);
      std::string want(reinterpret_cast<const char*>(b.data()) + header + (i - 1) * 21u, 21);
      if (row.translator) row.translator(want.data() + 1, 20);
      if (row.oem) OemToAnsiBuffer(want.data() + 1, 20);
      ASSERT_EQ(std::string(wa.recordBuffer.begin(), wa.recordBuffer.end()), want) << "record " << i;
    }
    CloseDbf(wa);
  }
}

// Records read out of order from an exclusive table: our own changes and
// appends read back as written, and a file that another program cut short
// reads as a short read, not a fault.
TEST_F(DbfFile, ExclusiveReadsOutOfOrderSeeEveryWriteAndSurviveACutFile) {
  std::string p = Sample(3000);
  auto name = [](int r) { return "R" + std::to_string(r); };
  struct Step {
    const char* what;
    std::function<void()> act;
    int record;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {"far away", [] {}, 2500, name(2500)},
      {"back", [] {}, 17, name(17)},
      {"replaced", [] { Go(900); SetFieldText(1, "changed"); Replace(); Go(5); }, 900, "changed"},
      {"appended beyond the mapped file",
       [&] {
         for (int i = 0; i < 400; ++i) {
           ClearRecord();
           SetFieldText(1, "new" + std::to_string(i));
           Append();
         }
         Go(1);
       },
       3300, "new299"},
      {"first again", [] {}, 1, name(1)}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    Go(s.record);
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    EXPECT_EQ(AllTrim(GetFieldText(1)), s.expected);
  }
  Go(2000);
  std::filesystem::resize_file(p, std::filesystem::file_size(p) - 2000u * RecSize());
  Go(2900);
  EXPECT_EQ(TzLastError, 213) << "a short read";
  Go(10);
  EXPECT_EQ(TzLastError, 0);
  EXPECT_EQ(AllTrim(GetFieldText(1)), name(10));
}

TEST_F(DbfFile, IndependentReaderSeesOurTable) {
  if (!dbftest::PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  std::string p = Sample(3, "indep.dbf");
  DeleteRecs({2});
  Go(1);
  SetFieldText(1, "Gr\xF6\xDF" "e");  // Windows text; stored in code page 437
  Replace();
  CloseDatabase();
  std::string script = Path("read.py");
  std::ofstream(script) << "import sys, dbfread\n"
                           "t = dbfread.DBF(sys.argv[1], encoding='cp437', load=True)\n"
                           "for r in t.records: print(r['NAME'], r['QTY'], r['PRICE'], r['DAY'], r['OK'])\n"
                           "for r in t.deleted: print('deleted', r['NAME'])\n"
                           "raw = open(sys.argv[1], 'rb').read()\n"
                           "print('end', raw[-1] == 0x1a, len(raw) == t.header.headerlen + 3 * t.header.recordlen + 1)\n";
  EXPECT_EQ(dbftest::RunPython(script, p, Path("out.txt")),
            "Gr\xC3\xB6\xC3\x9F" "e 1 1.25 2024-05-17 False\n"
            "R3 3 3.75 2024-05-17 False\n"
            "deleted R2\n"
            "end True True\n");
}

TEST_F(DbfFile, TableWrittenByAnotherProgramOpens) {
  if (!dbftest::PythonModule("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
  std::string p = Path("foreign.dbf");
  std::string script = Path("write.py");
  std::ofstream(script)
      << "import sys, datetime, dbf\n"
         "t = dbf.Table(sys.argv[1], 'name C(10); qty N(5,0); price N(8,2); day D; ok L',"
         " dbf_type='db3', codepage='cp437')\n"
         "t.open(mode=dbf.READ_WRITE)\n"
         "t.append(('Gr\\u00f6\\u00dfe', 7, 2.5, datetime.date(2024, 5, 17), True))\n"
         "t.append(('second', -3, 0.25, None, False))\n"
         "dbf.delete(t[1])\n"
         "t.close()\n";
  ASSERT_EQ(dbftest::RunPython(script, p, Path("w.txt")), "");
  Use(p);
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  EXPECT_EQ(RecCount(), 2);
  EXPECT_EQ(Fields(1), "Gr\xF6\xDF" "e|7|2.50|05/17/24|Y");
  EXPECT_FALSE(Deleted());
  EXPECT_EQ(Fields(2), "second|-3|0.25|/  /|N");
  EXPECT_TRUE(Deleted());
}
