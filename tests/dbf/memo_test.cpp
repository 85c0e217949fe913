#include "dbf/memo.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "dbf_test_util.h"
#include "dbf/blob_streams.h"
#include "dbf/record_cache.h"

using namespace dbftest;

namespace {

class Memo : public DbfTest {
 protected:
  static std::string Text(int field) { return MemoText(static_cast<std::int32_t>(GetFieldValue(field))); }

  // Gives record `rec` a new memo `text` in field `field`, leaving the old one dead.
  static void ReplaceMemo(int rec, const std::string& text, int field = 2) {
    Go(rec);
    SetFieldValue(field, AddMemo(text));
    Replace();
  }

  // The records `kept` of MemoTable in order, record `replaced`'s note being `text`.
  static void ExpectRecords(const std::vector<int>& kept, int replaced, const std::string& text) {
    ASSERT_EQ(RecCount(), static_cast<std::int32_t>(kept.size()));
    for (std::size_t i = 0; i < kept.size(); ++i) {
      Go(static_cast<std::int32_t>(i + 1));
      int n = kept[i];
      EXPECT_EQ(TzTrimRight(GetFieldText(1)), "R" + std::to_string(n));
      EXPECT_EQ(Text(2), n == replaced ? text : "note " + std::to_string(n));
      EXPECT_EQ(Text(3), "more " + std::to_string(n));
    }
  }

  static std::string Pattern(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return s;
  }
};

TEST_F(Memo, RoundTripsOfEveryKindAndSize) {
  struct Kind {
    std::uint8_t v;
    std::uint16_t block;
  };
  for (Kind k : {Kind{kMemoDbase3, 512}, Kind{kMemoDbase4, 512}, Kind{kMemoDbase4, 64},
                 Kind{kMemoLevel7, 1024}, Kind{kMemoFoxPro, 64}, Kind{kMemoFoxPro, 512}}) {
    SCOPED_TRACE(static_cast<int>(k.v));
    SCOPED_TRACE(k.block);
    std::string p = MemoTable(k.v, 0, "rt" + std::to_string(k.v) + "_" + std::to_string(k.block) + ".dbf", k.block);
    const std::vector<std::size_t> sizes{9, 20, 504, 511, 512, 513, 1016, 1037, 1556};
    for (std::size_t n : sizes) AppendTexts({{std::to_string(n), std::to_string(AddMemo(Pattern(n)))}});
    CloseDatabase();
    Use(p + " EXCLUSIVE");
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      Go(static_cast<std::int32_t>(i + 1));
      EXPECT_EQ(Text(2), Pattern(sizes[i])) << sizes[i];
    }
    CloseDatabase();
  }
}

TEST_F(Memo, NewFilesAndTheirFirstMemo) {
  // dBASE III: the first memo overwrites the 0x1A after the header block.
  std::string p = MemoTable(kMemoDbase3, 0, "d3.dbf");
  std::string dbt = ForceExtension(p, "dbt");
  EXPECT_EQ(ReadBytes(dbt).size(), 513u);
  EXPECT_EQ(AddMemo("hello"), 1);
  auto bytes = ReadBytes(dbt);
  ASSERT_EQ(bytes.size(), 1024u);
  EXPECT_EQ(std::vector<int>({bytes[512], bytes[517], bytes[0]}), std::vector<int>({'h', 0x1A, 2}));  // 2: next free
  CloseDatabase();

  // FoxPro with block size 64: the header fills blocks 0..7.
  p = MemoTable(kMemoFoxPro, 0, "fox.dbf", 64);
  std::string fpt = ForceExtension(p, "fpt");
  bytes = ReadBytes(fpt);
  EXPECT_TRUE(bytes[3] == 8 && SelectedMemoState()->blockSize == 64);
  EXPECT_EQ(AddMemo("x"), 8);
  bytes = ReadBytes(fpt);
  EXPECT_EQ(bytes.size(), 8u * 64 + 9);
  // Type 1 and length 1, big-endian; next free block 9.
  EXPECT_EQ(std::vector<int>({bytes[8 * 64 + 3], bytes[8 * 64 + 7], bytes[3]}), std::vector<int>({1, 1, 9}));
  CloseDatabase();

  // dBASE IV header with block size 0 takes the library's setting.
  p = MemoTable(kMemoDbase4, 0, "d4.dbf");
  CloseDatabase();
  std::string d4 = ForceExtension(p, "dbt");
  bytes = ReadBytes(d4);
  bytes[20] = bytes[21] = 0;
  WriteBytes(d4, bytes);
  MemoBlockSize = 256;
  Use(p + " EXCLUSIVE");
  ASSERT_NE(SelectedMemoState(), nullptr);
  EXPECT_EQ(SelectedMemoState()->blockSize, 256);
}

// Edits reuse a dBASE IV group only when the text fits; text files write, read and append memos; lines wrap
// and edits write line breaks.
TEST_F(Memo, EditsTextFilesAndLines) {
  MemoTable(kMemoDbase4, 0);
  // A text of 504 bytes fills its group of exactly one block (8 + 504).
  std::int32_t first = AddMemo(Pattern(504));
  std::int32_t second = AddMemo("neighbour");
  EXPECT_EQ(second, first + 1);

  auto lines = [](std::vector<std::string> l) {
    MemoLineCount = static_cast<int>(l.size());
    MemoLineEnds.assign(l.size(), 0x0D);
    MemoLines = std::move(l);
  };
  lines({"short"});  // shrinking keeps the block
  EXPECT_EQ(EditMemo(first), first);
  lines({Pattern(250), Pattern(250), Pattern(100)});  // growing must not overwrite the neighbour
  std::int32_t moved = EditMemo(first);
  EXPECT_NE(moved, first);
  EXPECT_EQ(MemoText(second), "neighbour");
  EXPECT_EQ(MemoText(moved), Pattern(250) + "\r\n" + Pattern(250) + "\r\n" + Pattern(100) + "\r\n");

  std::int32_t block = 0;
  TMemoTextFile f;
  ASSERT_TRUE(f.AssignMemo(&block));
  ASSERT_EQ(f.Rewrite(), 0);
  f.WriteLn("one");
  f.Write("two");
  EXPECT_EQ(f.Close(), 0);
  ASSERT_GT(block, 0);
  EXPECT_EQ(MemoText(block), "one\r\ntwo");

  ASSERT_EQ(f.Append(), 0);
  f.WriteLn("three");
  f.Close();
  std::string text;
  ASSERT_TRUE(MemoAsText(block, text));
  EXPECT_EQ(text, "one\r\ntwo\r\nthree\r\n");

  ASSERT_EQ(f.Reset(), 0);
  std::string line;
  std::vector<std::string> read;
  while (f.ReadLine(line)) read.push_back(line);
  f.Close();
  EXPECT_EQ(read, (std::vector<std::string>{"one", "two", "three"}));

  // Through the hook the work-area layer uses.
  ASSERT_TRUE(MemoHooks.AssignMemo(block, text));
  EXPECT_EQ(text, "one\r\ntwo\r\nthree\r\n");

  std::int32_t b = AddMemo(std::string(300, 'x'));
  GetMemo(b);
  ASSERT_EQ(MemoLineCount, 2);
  EXPECT_TRUE(MemoLines[0].size() == 253u && MemoLines[1].size() == 47u && MemoLineEnds[0] == 0);

  // A wrapped line breaks after its last blank; the rest starts the next line.
  std::string words;
  for (int i = 0; i < 60; ++i) words += "word ";
  b = AddMemo("first\r\nsoft\x8D\n" + words);
  GetMemo(b);
  ASSERT_GE(MemoLineCount, 4);
  EXPECT_TRUE(MemoLines[0] == "first" && MemoLineEnds[1] == 0x8D);
  EXPECT_TRUE(MemoLines[2].back() == ' ' && MemoLines[2].size() <= 253u);
  std::string expect = "first\r\nsoft\r\n";
  for (std::size_t i = 2; i < MemoLines.size(); ++i) expect += MemoLines[i] + "\r\n";
  EXPECT_EQ(MemoText(EditMemo(b)), expect);

  EXPECT_EQ(AddMemo("     "), 0);
  MemoWidthOn = true;
  MemoWidth = 10;
  GetMemo(AddMemo("abcdefghijklmnop"));
  EXPECT_EQ(MemoLines[0], "abcdefghij");
}

TEST_F(Memo, FreeChainOfAForeignFileIsUsedButNeverOverLiveMemos) {
  std::string p = MemoTable(kMemoDbase4, 0);
  std::int32_t a = AddMemo(Pattern(1000));  // blocks 1-2
  std::int32_t b = AddMemo("keep me");      // block 3
  CloseDatabase();
  std::string dbt = ForceExtension(p, "dbt");
  auto bytes = ReadBytes(dbt);
  // Another program freed blocks 1-2: the header points at them; they hold the next link and their count.
  bytes[0] = 1;
  const unsigned char freed[] = {9, 0, 0, 0, 2, 0, 0, 0};
  std::copy(std::begin(freed), std::end(freed), bytes.begin() + 512);
  WriteBytes(dbt, bytes);
  Use(p + " EXCLUSIVE");
  EXPECT_EQ(AddMemo("into the free group"), a);
  EXPECT_EQ(MemoText(b), "keep me");
  CloseDatabase();

  // A header that points at a live memo is not followed.
  bytes = ReadBytes(dbt);
  bytes[0] = static_cast<unsigned char>(b);
  WriteBytes(dbt, bytes);
  Use(p + " EXCLUSIVE");
  EXPECT_GT(AddMemo("at the end"), b);
  EXPECT_EQ(MemoText(b), "keep me");
}

TEST_F(Memo, SharedWorkAreasAddMemosSideBySide) {
  std::string p = MemoTable(kMemoFoxPro, 0);
  CloseDatabase();
  Use(p);  // shared: network mode is on
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  Select(2);
  Use(p + " ALIAS SECOND");
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  std::vector<std::pair<int, std::int32_t>> blocks;
  for (int i = 0; i < 6; ++i) {
    Select(1 + i % 2);
    blocks.emplace_back(i, AddMemo("text " + std::to_string(i)));
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  }
  for (auto [i, block] : blocks) {
    Select(2 - i % 2);  // read through the other work area
    EXPECT_EQ(MemoText(block), "text " + std::to_string(i));
  }
  // Packing needs the table for itself.
  PackMemofile();
  EXPECT_EQ(TzLastError, 225);
}

TEST_F(Memo, PackKeepsEveryMemoOfTheKeptRecords) {
  for (std::uint8_t kind : {kMemoDbase3, kMemoDbase4, kMemoFoxPro}) {
    SCOPED_TRACE(static_cast<int>(kind));
    std::string p = MemoTable(kind, 5, "pack" + std::to_string(kind) + ".dbf");
    std::string memo = ForceExtension(p, MemoExtension(kind));
    ReplaceMemo(4, Pattern(1500));  // the old text is left dead
    DeleteRecs({2, 3});
    auto before = ReadBytes(memo).size();
    ASSERT_TRUE(Pack());
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    EXPECT_LT(ReadBytes(memo).size(), before);
    EXPECT_FALSE(platform::FileExists(ForceExtension(memo, "$$$")));
    CloseDatabase();
    Use(p + " EXCLUSIVE");
    ExpectRecords({1, 4, 5}, 4, Pattern(1500));
    CloseDatabase();
  }
}

TEST_F(Memo, ProcessKilledDuringPackLeavesTableWithAllMemos) {
  for (int step = 0; step <= 4; ++step) {
    SCOPED_TRACE(step);
    std::string p = MemoTable(kMemoDbase4, 5, "kill" + std::to_string(step) + ".dbf");
    ReplaceMemo(2, Pattern(700));  // leaves a dead group to pack away
    CloseDatabase();
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      static int killAt;
      killAt = step;
      MemoPackStepHook = [](int s) {
        if (s == killAt) raise(SIGKILL);
      };
      Use(p + " EXCLUSIVE");
      PackMemofile();
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    Use(p + " EXCLUSIVE");
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    ExpectRecords({1, 2, 3, 4, 5}, 2, Pattern(700));
    EXPECT_FALSE(platform::FileExists(p + ".mp$"));
    EXPECT_FALSE(platform::FileExists(ForceExtension(ForceExtension(p, MemoExtension(kMemoDbase4)), "$$$")));
    CloseDatabase();
  }
}

TEST_F(Memo, DamagedFilesAreReportedNotFollowed) {
  std::string p = MemoTable(kMemoDbase4, 2);
  std::string dbt = ForceExtension(p, "dbt");
  EXPECT_EQ(MemoText(999), "<error>");
  EXPECT_EQ(TzLastError, 1003);
  EXPECT_NE(TzErrorDetail.find("[GetMemo]"), std::string::npos);
  CloseDatabase();

  // A group header whose length runs past the end of the file.
  auto bytes = ReadBytes(dbt);
  for (int i = 0; i < 4; ++i) bytes[512 + 4 + i] = i < 3 ? 0xFF : 0x7F;
  WriteBytes(dbt, bytes);
  Use(p + " EXCLUSIVE");
  Go(1);
  EXPECT_EQ(Text(2).size(), bytes.size() - 520);
  CloseDatabase();

  // A memo file cut inside its header cannot be opened.
  bytes.resize(10);
  WriteBytes(dbt, bytes);
  Use(p + " EXCLUSIVE");
  EXPECT_TRUE(TzLastError != 0 && SelectedWorkArea() == nullptr);

  // A missing memo file is reported too.
  std::filesystem::remove(dbt);
  Use(p + " EXCLUSIVE");
  EXPECT_EQ(TzLastError, 2);
}

TEST_F(Memo, IndependentReaderSeesOurMemos) {
  if (!PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  for (std::uint8_t kind : {kMemoDbase3, kMemoDbase4, kMemoFoxPro}) {
    SCOPED_TRACE(static_cast<int>(kind));
    std::string p = MemoTable(kind, 3, "ind" + std::to_string(kind) + ".dbf");
    ReplaceMemo(2, Pattern(1037));
    CloseDatabase();
    std::string script = Path("read.py");
    std::ofstream(script) << "import sys, dbfread\n"
                             "t = dbfread.DBF(sys.argv[1], encoding='cp437', load=True)\n"
                             "for r in t.records:\n"
                             // dbfread takes a dBASE IV group's length for the text's and reads
                             // the 8 bytes after it too: our zero padding.
                             "  print(r['NAME'], len((r['NOTES'] or '').rstrip('\\0')), r['MORE'].rstrip('\\0'))\n";
    std::string got = RunPython(script, p, Path("out.txt"));
    EXPECT_EQ(got, "R1 6 more 1\nR2 1037 more 2\nR3 6 more 3\n");
  }
}

TEST_F(Memo, MemosWrittenByAnotherProgramOpen) {
  if (!PythonModule("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
  for (const char* type : {"db3", "fp"}) {
    SCOPED_TRACE(type);
    std::string p = Path(std::string("foreign_") + type + ".dbf");
    std::string script = Path("write.py");
    std::ofstream(script) << "import sys, dbf\n"
                             "t = dbf.Table(sys.argv[1], 'name C(10); notes M', dbf_type=sys.argv[2],"
                             " codepage='cp437')\n"
                             "t.open(mode=dbf.READ_WRITE)\n"
                             "t.append(('short', 'hello memo'))\n"
                             "t.append(('long', 'x' * 1037))\n"
                             "t.append(('empty', ''))\n"
                             "t.close()\n";
    ASSERT_EQ(RunPython(script, {p, type}, Path("w.txt")), "");
    Use(p);
    ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
    ASSERT_NE(SelectedMemoState(), nullptr);
    const std::string want[] = {"hello memo", std::string(1037, 'x'), ""};
    for (int r = 1; r <= 3; ++r) {
      Go(r);
      EXPECT_EQ(Text(2), want[r - 1]) << r;
    }
    CloseDatabase();
  }
}

}  // namespace
