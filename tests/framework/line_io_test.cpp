#include "framework/line_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "framework/file_utils.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "framework/number_format.h"
#include "framework/text_output.h"
#include "output_test_support.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace {

class LineIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    dir_ = FreshTestDir("line_io");
  }
  void TearDown() override {
    TextFileVar.CloseQuiet();
    fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
};

TEST_F(LineIoTest, EveryLineTypeRoundTrips) {
  AssignTextFile(TextFileVar, Path("round.txt"));
  ASSERT_TRUE(TextFileVar.Rewrite());
  WriteTextLine("text \x84 with umlaut");
  WriteIntLine(-42);
  WriteFloatLine(2.5L);
  WriteFloatLine(-3);
  WriteCharLine('J');
  WriteBoolLine(true);
  WriteBoolLine(false);
  WriteFieldsLine4("a", "b", "", "d");
  WriteFieldsLine8("1", "2", "3", "4", "5", "6", "7", "8");
  WriteTextLine("65535");
  WriteFloatLine(0.1L);
  WriteFloatLine(123456789012345678.0L);  // beyond the display's fixed form
  ASSERT_TRUE(TextFileVar.Close());
  EXPECT_EQ(AbortFlag, 0);

  ASSERT_TRUE(TextFileVar.Reset());
  std::string s, a, b, c, d;
  int n = 0;
  Extended x = 0;
  char ch = 0;
  bool flag = false;
  Byte byteFlag = 1;
  Word w = 0;
  ReadTextLine(s);
  EXPECT_EQ(s, "text \x84 with umlaut");
  ReadIntLine(n);
  EXPECT_EQ(n, -42);
  ReadFloatLine(x);
  EXPECT_EQ(x, 2.5L);
  ReadFloatLine(x);
  EXPECT_EQ(x, -3);
  ReadCharLine(ch);
  EXPECT_EQ(ch, 'J');
  ReadBoolLine(flag);
  EXPECT_TRUE(flag);
  ReadBoolLine(byteFlag);
  EXPECT_EQ(byteFlag, 0);
  ReadFieldsLine(a, b, c, d);
  EXPECT_EQ(a + "," + b + "," + c + "," + d, "a,b,,d");
  ReadFieldsLine(a, b, c, d);
  EXPECT_EQ(a + b + c + d, "1234");
  ReadWordLine(w);
  EXPECT_EQ(w, 65535);
  ReadRealLine(x);
  EXPECT_NEAR(static_cast<double>(x), 0.1, 1e-11);
  ReadFloatLine(x);
  EXPECT_EQ(x, 123456789012345678.0L);
  EXPECT_EQ(AbortFlag, 0);
  // Past the end: empty lines, no error.
  ReadIntLine(n);
  ReadTextLine(s);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(s, "");
  EXPECT_EQ(AbortFlag, 0);
  TextFileVar.Close();
}

TEST_F(LineIoTest, WritesCrLfAndFloatForms) {
  AssignTextFile(TextFileVar, Path("f.txt"));
  ASSERT_TRUE(TextFileVar.Rewrite());
  for (Extended v : {0.0L, 2.0L, 0.5L, -1.0L, 1.0L, 1.02L}) WriteFloatLine(v);
  DecimalCommaMode = 2;
  WriteFloatLine(1.5L);
  DecimalCommaMode = 1;
  FloatDigits = 5;
  WriteFloatLine(1.5L);
  ASSERT_TRUE(TextFileVar.Close());
  EXPECT_EQ(ReadBytes(Path("f.txt")),
            "0\r\n2.0000000\r\n0.5000000\r\n-1\r\n1.0000000\r\n1.0200000\r\n1,5000000\r\n"
            "1.500000000\r\n");
}

// A user's file is the file of exactly its name: beside joint.txt, Joint.txt
// is neither read nor replaced by joint.txt, and is written as a file of its
// own; the program's own files are still found whatever the case.
TEST_F(LineIoTest, AUsersFileIsOnlyTheFileOfItsName) {
  std::ofstream(Path("joint.txt"), std::ios::binary) << "other\r\n";
  TTextFile f;
  f.AssignUserFile(Path("Joint.txt"));
  EXPECT_FALSE(f.Reset());
  std::string data, error;
  EXPECT_FALSE(LoadTextBytes(Path("Joint.txt"), data, error));
  EXPECT_NE(error.find("Joint.txt not found"), std::string::npos) << error;
  std::vector<std::string> lines;
  EXPECT_FALSE(ReadUserFileLines(Path("Joint.txt"), lines));
  f.AssignUserFile(Path("Joint.txt"));
  ASSERT_TRUE(f.Rewrite());
  ASSERT_TRUE(f.WriteLine("mine"));
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(ReadBytes(Path("joint.txt")), "other\r\n");
  EXPECT_EQ(ReadBytes(Path("Joint.txt")), "mine\r\n");
  ASSERT_TRUE(LoadTextBytes(Path("Joint.txt"), data, error)) << error;
  EXPECT_EQ(data, "mine\r\n");
  ASSERT_TRUE(ReadUserFileLines(Path("joint.txt"), lines));
  EXPECT_EQ(lines, std::vector<std::string>{"other"});
  // Appended as named too.
  fs::remove(Path("Joint.txt"));
  f.AssignUserFile(Path("Joint.txt"));
  ASSERT_TRUE(f.Append());
  ASSERT_TRUE(f.WriteLine("more"));
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(ReadBytes(Path("joint.txt")), "other\r\n");
  EXPECT_EQ(ReadBytes(Path("Joint.txt")), "more\r\n");
  // A file of the program's, assigned as such, is found whatever its case.
  fs::remove(Path("Joint.txt"));
  f.Assign(Path("JOINT.TXT"));
  ASSERT_TRUE(f.Reset());
  std::string line;
  ASSERT_TRUE(f.ReadLine(line));
  EXPECT_EQ(line, "other");
}

TEST_F(LineIoTest, ReadsLfAndCrLfFilesAndBooleans) {
  std::ofstream(Path("mixed.txt"), std::ios::binary) << "one\r\ntwo\nTRUE\r\nYES\nYES\nfalse\r\n7 \nlast";
  AssignTextFile(TextFileVar, Path("MIXED.TXT"));  // found whatever the case
  ASSERT_TRUE(TextFileVar.Reset());
  std::string s;
  bool b = false;
  int n = 5;
  ReadTextLine(s);
  EXPECT_EQ(s, "one");
  ReadTextLine(s);
  EXPECT_EQ(s, "two");
  ReadBoolLine(b);
  EXPECT_TRUE(b);
  ReadBoolLine(b);
  EXPECT_FALSE(b);
  ReadBoolLineTrue(b);
  EXPECT_TRUE(b);
  ReadBoolLineTrue(b);
  EXPECT_FALSE(b);
  ReadIntLine(n);
  EXPECT_EQ(n, 0);  // trailing blank: not a valid integer
  ReadTextLine(s);
  EXPECT_EQ(s, "last");
  EXPECT_TRUE(TextFileVar.Eof());
  EXPECT_EQ(AbortFlag, 0);
}

// Lines of every length come back whole, also where a line, or its CR LF,
// runs across the blocks the file is read in; bytes 0 and CR inside a line
// stay; Eof tells the truth before and after the last line.
TEST_F(LineIoTest, LinesAcrossReadBlocksComeBackWhole) {
  std::vector<std::string> lines;
  std::string file;
  for (const std::size_t length : {0u, 1u, 8190u, 8191u, 8192u, 8193u, 20000u, 3u}) {
    std::string line(length, 'x');
    for (std::size_t i = 0; i < length; i += 997) line[i] = static_cast<char>('a' + i % 26);
    if (length == 3) line = std::string("a\0b", 3) + "\rc";
    lines.push_back(line);
    file += line + (lines.size() % 2 ? "\r\n" : "\n");
  }
  file += "end";  // the last line without a line end
  lines.push_back("end");
  std::ofstream(Path("long.txt"), std::ios::binary) << file;
  TTextFile f;
  f.Assign(Path("long.txt"));
  ASSERT_TRUE(f.Reset());
  for (const std::string& expected : lines) {
    SCOPED_TRACE(expected.size());
    EXPECT_FALSE(f.Eof());
    std::string line;
    ASSERT_TRUE(f.ReadLine(line));
    EXPECT_EQ(line, expected);
  }
  EXPECT_TRUE(f.Eof());
  std::string line = "kept?";
  EXPECT_FALSE(f.ReadLine(line));
  EXPECT_EQ(line, "");
  EXPECT_FALSE(f.Failed());
}

// A file assigned to discard takes every write and close as done and leaves
// no file anywhere; assigning a name again writes that file.
TEST_F(LineIoTest, DiscardingFileWritesNothingAndANameAssignedAfterWrites) {
  TTextFile f;
  f.AssignDiscarding();
  ASSERT_TRUE(f.Rewrite(platform::ReplaceSync::Derived));
  EXPECT_TRUE(f.WriteLine(std::string(100000, 'x')));
  EXPECT_TRUE(f.Close());
  EXPECT_TRUE(fs::is_empty(dir_));
  f.Assign(dir_ + "/kept.txt");
  ASSERT_TRUE(f.Rewrite(platform::ReplaceSync::Derived));
  EXPECT_TRUE(f.WriteLine("kept"));
  EXPECT_TRUE(f.Close());
  EXPECT_TRUE(fs::exists(dir_ + "/kept.txt"));
}

TEST_F(LineIoTest, FileHeaderBlock) {
  HeaderLines[1] = "first";
  AssignTextFile(TextFileVar, Path("h.txt"));
  ASSERT_TRUE(TextFileVar.Rewrite());
  WriteFileHeader();
  ASSERT_TRUE(TextFileVar.Close());
  const std::string rule(65, '-');
  EXPECT_EQ(ReadBytes(Path("h.txt")), rule + "\r\nBQ4   Bolted Joint Design\r\nVersion 17.0\r\n" + rule +
                                        "\r\nfirst\r\n\r\n\r\n");
}

TEST_F(LineIoTest, FailedWriteKeepsThePreviousFileAMissingFileDoesNotOpenAndAFullDiskAborts) {
  std::ofstream(Path("keep.cfg"), std::ios::binary) << "old";
  AssignTextFile(TextFileVar, Path("keep.cfg"));
  ASSERT_TRUE(TextFileVar.Rewrite());
  WriteTextLine("new");
  EXPECT_EQ(ReadBytes(Path("keep.cfg")), "old");  // not replaced before Close
  ASSERT_TRUE(TextFileVar.Close());
  EXPECT_EQ(ReadBytes(Path("keep.cfg")), "new\r\n");

  // Writing to a file that is not open is an I/O error; later lines are still attempted.
  AbortFlag = 0;
  WriteTextLine("x");
  EXPECT_EQ(AbortFlag, 1);
  std::string s;
  AbortFlag = 0;
  ReadTextLine(s);
  EXPECT_EQ(AbortFlag, 1);
  // A missing file does not open.
  AssignTextFile(TextFileVar, Path("none.txt"));
  EXPECT_FALSE(TextFileVar.Reset());
  s = "x";
  ReadTextLine(s);
  EXPECT_EQ(s, "");
  EXPECT_EQ(AbortFlag, 1);
  AssignTextFile(TextFileVar, Path("nodir/x.txt"));
  EXPECT_FALSE(TextFileVar.Rewrite());

  // A full disk sets AbortFlag.
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full device";
  AssignTextFile(TextFileVar, "/dev/full");
  ASSERT_TRUE(TextFileVar.Rewrite());
  AbortFlag = 0;
  for (int i = 0; i < 10; ++i) WriteTextLine("line");
  EXPECT_FALSE(TextFileVar.Close());
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_NE(LastFileErrorText().find("/dev/full"), std::string::npos);
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// Only a Close stores a file written through a temporary: one closed
// quietly, assigned anew, destroyed unclosed or closed while AbortFlag is
// set leaves the old file byte for byte and no temporary behind.
TEST_F(LineIoTest, OnlyACloseWithoutAbortStoresAWrittenFile) {
  const std::string name = Path("drawing.dxf");
  std::ofstream(name, std::ios::binary) << "old\r\n";
  const auto writeNew = [&](TTextFile& f) {
    f.Assign(name);
    ASSERT_TRUE(f.Rewrite(platform::ReplaceSync::Derived));
    ASSERT_TRUE(f.WriteLine("new, cut short"));
  };
  {
    TTextFile f;
    writeNew(f);
    f.CloseQuiet();
    EXPECT_EQ(ReadBytes(name), "old\r\n");
    writeNew(f);
    f.Assign(Path("other.txt"));
    EXPECT_EQ(ReadBytes(name), "old\r\n");
    writeNew(f);
  }
  EXPECT_EQ(ReadBytes(name), "old\r\n");
  TTextFile f;
  writeNew(f);
  AbortFlag = 1;
  EXPECT_FALSE(CloseUnlessAborted(f));
  EXPECT_EQ(ReadBytes(name), "old\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  AbortFlag = 0;
  writeNew(f);
  EXPECT_TRUE(CloseUnlessAborted(f));
  EXPECT_EQ(ReadBytes(name), "new, cut short\r\n");
}

// The program's scratch files ("$" names) in its own temporary folder are
// written in place; any other file there, and a "$" name elsewhere, goes
// through a temporary beside it and replaces the old one only when whole.
TEST_F(LineIoTest, ScratchFilesOfTheOwnTemporaryFolderAreWrittenInPlace) {
  const auto temporaries = [](const std::string& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder)) n += e.path().filename().string().find(".~bq4") != std::string::npos;
    return n;
  };
  const std::string scratch = Path("$LINEIO.dx$");
  const fs::path elsewhere = fs::path(platform::ProcessTempDir()).parent_path() / ("lineio-" + std::to_string(::getpid()));
  fs::create_directories(elsewhere);
  for (const std::string& name : {scratch, (elsewhere / "$LINEIO.dx$").string(), Path("user.txt")}) {
    SCOPED_TRACE(name);
    const bool inPlace = name == scratch;
    std::ofstream(name, std::ios::binary) << "old";
    TTextFile f;
    f.Assign(name);
    ASSERT_TRUE(f.Rewrite());
    ASSERT_TRUE(f.WriteLine("new"));
    EXPECT_EQ(ReadBytes(name), inPlace ? "" : "old");
    EXPECT_EQ(temporaries(fs::path(name).parent_path().string()), inPlace ? 0 : 1);
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(ReadBytes(name), "new\r\n");
  }
  fs::remove_all(elsewhere);
}

}  // namespace
