#include "app/command_line.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "app/json_results.h"
#include "app_test_support.h"
#include "platform/dialogs.h"

namespace {

using CommandLineTest = AppTest;

TEST_F(CommandLineTest, WindowModesAreLeftToTheWindow) {
  int code = -1;
  // With "/G" the file is not read.
  for (const std::vector<std::string>& params : std::vector<std::vector<std::string>>{
           {}, {"/NOGUI"}, {"x.bq4"}, {"x.bq4", "/E"}, {"x.bq4", "/e"}, {"x.bq4", "/G"}, {"dir.v2/x", "/G"}})
    EXPECT_FALSE(RunCommandLineMode(params, code)) << testing::PrintToString(params);
  // The batch modes are run on the built program in tests/e2e.
}

TEST_F(CommandLineTest, ProjectsAreTheParametersBeforeTheFirstBatchSwitch) {
  struct Case {
    std::vector<std::string> params;
    std::vector<std::string> projects;
    std::string mode;
    bool wbq4Runs;  // false: the window program runs the line
    std::vector<std::string> unused = {};
  };
  for (const Case& c : std::vector<Case>{
           {{"x.bq4", "/I"}, {"x.bq4"}, "/I", true},
           {{"/NOGUI", "x.bq4", "/i", "y.bq4"}, {"x.bq4"}, "/i", true, {"y.bq4"}},
           {{"x.bq4", "/I", "/JSON", "/NOGUI", "/CAD1:1"}, {"x.bq4"}, "/I", true, {"/JSON", "/CAD1:1"}},
           {{"a.bq4", "/abs/b.bq4", "c.bq4", "/JSON"}, {"a.bq4", "/abs/b.bq4", "c.bq4"}, "/JSON", true},
           {{"a.bq4", "/CADdata/b.bq4", "/CAD1:13"}, {"a.bq4", "/CADdata/b.bq4"}, "/CAD1:13", true},
           {{"a.bq4", "b.bq4", "/CADx"}, {"a.bq4", "b.bq4"}, "/CADx", true},
           {{"a.bq4", "b.bq4", "/PDF"}, {"a.bq4", "b.bq4"}, "/PDF", false},
           {{"x.bq4", "/E", "/I"}, {}, "", false},
           {{"/I", "x.bq4"}, {}, "", true},  // a name without ".": refused without a display
           {{"x.bq4", "y.bq4"}, {}, "", false},
           {{"?", "/I"}, {}, "", false}}) {
    SCOPED_TRACE(testing::PrintToString(c.params));
    const BatchCommand command = ReadBatchCommand(c.params);
    EXPECT_EQ(command.projects, c.projects);
    EXPECT_EQ(command.modeSwitch, c.mode);
    EXPECT_EQ(command.unused, c.unused);
    if (c.params[0] != "?") {
      EXPECT_EQ(IsBatchCommandLine(c.params), c.wbq4Runs);
    }
  }
}

TEST_F(CommandLineTest, CadSwitchNamesADeviceAndAnItemThatExist) {
  struct Case {
    std::string parameter;
    int device, item;  // 0: refused
  };
  for (const Case& c : std::vector<Case>{{"/CAD1:1", 1, 1}, {"/CAD2:14", 2, 14}, {"/CAD5:08", 5, 8},
                                         {"/CAD1:0", 0, 0}, {"/CAD1:15", 0, 0}, {"/CAD3:1", 0, 0},
                                         {"/CAD9:1", 0, 0}, {"/CAD4:1", 0, 0}, {"/CADx", 0, 0},
                                         {"/CAD1", 0, 0}, {"/CAD1:", 0, 0}, {"/CAD1-1", 0, 0},
                                         {"/CAD1:1x", 0, 0}, {"/CAD1:-1", 0, 0}, {"/CAD1:99999999999", 0, 0}}) {
    SCOPED_TRACE(c.parameter);
    int device = -1, item = -1;
    std::string message;
    EXPECT_EQ(ParseCadSwitch(c.parameter, device, item, message), c.device != 0);
    if (c.device == 0) {
      EXPECT_NE(message.find(c.parameter + ": "), std::string::npos);
      EXPECT_NE(message.find("1 (DXF), 2 (IGS) or 5 (TXT) and the item j 1..14"), std::string::npos);
    } else {
      EXPECT_EQ(device, c.device);
      EXPECT_EQ(item, c.item);
    }
  }
}

TEST_F(CommandLineTest, HelpKeepsItsWrittenLinesAndNamesTheNewSwitchesAfterThem) {
  const auto lines = CommandLineHelpLines();
  ASSERT_GT(lines.size(), 21u);
  EXPECT_EQ(lines[18], "Example: wbq4 test.bq4 /I /NOGUI   ->  test.txt");
  EXPECT_EQ(lines[20], "Example: wbq4 test.edi /E /NOGUI   ->  test.edi");
  std::string added;
  for (std::size_t i = 21; i < lines.size(); ++i) added += lines[i] + "\n";
  for (const char* s : {"/JSON", "/PDF", "a.bq4 b.bq4 ... /I"}) EXPECT_NE(added.find(s), std::string::npos) << s;
  for (const auto& line : lines) EXPECT_LE(line.size(), 64u);
}

// A file whose name differs from a project's output only in case, made while
// a run of many projects goes on (after the folder was first looked in), is
// the file that output replaces, as a run of its own would find it.
TEST_F(CommandLineTest, ManyProjectsFindAnOutputMadeMeanwhileWhateverItsCase) {
  const std::string a = Sample("null.bq4", "a.bq4"), b = Sample("hot.bq4", "b.bq4");
  static std::string folder;
  folder = dir_;
  BatchWindowModulesInit = [] { std::ofstream(folder + "/B.TXT") << "made meanwhile"; };
  const int code = RunBatchProjects({a, b}, "/I");
  BatchWindowModulesInit = nullptr;
  platform::SetBatchMode(false);
  EXPECT_EQ(code, kExitOk);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/a.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/b.txt"));
  std::ifstream in(dir_ + "/B.TXT");
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first.rfind("BQ4", 0), 0u) << first;
}

TEST(JsonText, NumbersReadBackExactlyAndAlwaysAsFloatingPoint) {
  for (const double x : {0.0, 1.0, -2.5, 10000.0, 0.1, 1e-6, 1.2876613518761758e-06, 6.867e9, 1e300, 5e-324,
                         84.26652412786713, std::nextafter(1.0, 2.0)}) {
    SCOPED_TRACE(x);
    const std::string text = JsonNumber(x);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), x);
    EXPECT_EQ(text.find(','), std::string::npos);
    const std::size_t e = text.find('e');
    EXPECT_NE(text.substr(0, e).find('.'), std::string::npos) << text;
  }
  EXPECT_EQ(JsonNumber(std::numeric_limits<Extended>::infinity()), "null");
  EXPECT_EQ(JsonNumber(std::nanl("")), "null");
  EXPECT_EQ(JsonNumber(std::numeric_limits<Extended>::max()), "null");  // beyond every double
  EXPECT_EQ(JsonString("a\"b\\c\n\x01 \xC2\xB5"), "\"a\\\"b\\\\c\\u000a\\u0001 \xC2\xB5\"");
  const struct { const char* in; const char* out; } strings[] = {
      {"", "\"\""}, {"plain text", "\"plain text\""}, {"\"", "\"\\\"\""}, {"end\\", "\"end\\\\\""},
      {"\x7F del", "\"\x7F del\""}, {"\xC2\xB5G \xC2\xB1", "\"\xC2\xB5G \xC2\xB1\""}, {"\t", "\"\\u0009\""}};
  for (const auto& s : strings) EXPECT_EQ(JsonString(s.in), s.out) << s.in;
  // Bytes that are no UTF-8 (a name in another code page, a cut sequence) become U+FFFD.
  EXPECT_EQ(JsonString("\xE6G \xC2"), "\"\xEF\xBF\xBDG \xEF\xBF\xBD\"");
}

}  // namespace
