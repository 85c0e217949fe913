#include "app/command_line.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "app/batch_runs.h"
#include "app/json_results.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "cad/cad_output.h"
#include "cad/hatching.h"
#include "framework/calc_messages.h"
#include "platform/dialogs.h"

namespace {

using CommandLineTest = AppTest;

// A sample project copied into dir as name; its path.
std::string SampleIn(const std::string& dir, const std::string& sample, const std::string& name) {
  std::filesystem::copy_file(std::string(BQ4_BINARY_DIR) + "/data/samples/" + sample, dir + "/" + name,
                             std::filesystem::copy_options::overwrite_existing);
  return dir + "/" + name;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
// another file: it stays, and the output is written under its own name.
TEST_F(CommandLineTest, ManyProjectsLeaveAFileMadeMeanwhileInAnotherCaseAlone) {
  const std::string a = Sample("null.bq4", "a.bq4"), b = Sample("hot.bq4", "b.bq4");
  static std::string folder;
  folder = dir_;
  BatchWindowModulesInit = [] { std::ofstream(folder + "/B.TXT") << "made meanwhile"; };
  const int code = RunBatchProjects({a, b}, "/I");
  BatchWindowModulesInit = nullptr;
  platform::SetBatchMode(false);
  EXPECT_EQ(code, kExitOk);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/a.txt"));
  EXPECT_EQ(FileText(dir_ + "/B.TXT"), "made meanwhile");
  EXPECT_EQ(FileText(dir_ + "/b.txt").rfind("BQ4", 0), 0u);
}

// Every output goes under its own name and never takes the place of another
// file: not of its own project, not of a file whose name differs in case, not
// of a FIFO or a device (refused at once, the next project written all the
// same); a name as long as the file system takes is written, and temporaries
// of the output that a killed run left are cleared away, those of a run still
// writing kept.
TEST_F(CommandLineTest, OutputsGoUnderTheirOwnNameAndInThePlaceOfNoOtherFile) {
  namespace fs = std::filesystem;
  struct Case {
    std::string what;
    std::function<std::vector<std::string>(const std::string&)> setUp;  // the projects
    std::string mode;
    int exitCode;
    std::function<void(const std::string&)> check;
    std::string stderrHas = "";
  };
  static int heldFifo = -1, heldLock = -1;
  const std::string longName(245, 'n');
  const std::vector<Case> cases{
      {"a project named as its report",
       [](const std::string& dir) { return std::vector<std::string>{SampleIn(dir, "null.bq4", "proj.txt")}; }, "/I",
       kExitLoadFailed,
       [](const std::string& dir) { EXPECT_EQ(FileText(dir + "/proj.txt"), FileText(SampleIn(dir, "null.bq4", "ref.bq4"))); },
       "would replace the project itself"},
      {"a project named as its results",
       [](const std::string& dir) { return std::vector<std::string>{SampleIn(dir, "null.bq4", "h.json")}; }, "/JSON",
       kExitLoadFailed,
       [](const std::string& dir) { EXPECT_EQ(FileText(dir + "/h.json"), FileText(SampleIn(dir, "null.bq4", "ref.bq4"))); },
       "would replace the project itself"},
      {"a file named as the report in capitals",
       [](const std::string& dir) {
         std::ofstream(dir + "/NULL.TXT") << "the user's";
         return std::vector<std::string>{SampleIn(dir, "null.bq4", "null.bq4")};
       },
       "/I", kExitOk,
       [](const std::string& dir) {
         EXPECT_EQ(FileText(dir + "/NULL.TXT"), "the user's");
         EXPECT_EQ(FileText(dir + "/null.txt").rfind("BQ4", 0), 0u);
       }},
      {"two projects whose names differ in case",
       [](const std::string& dir) { return std::vector<std::string>{SampleIn(dir, "null.bq4", "A.bq4"), SampleIn(dir, "hot.bq4", "a.bq4")}; },
       "/I", kExitOk,
       [](const std::string& dir) {
         EXPECT_NE(FileText(dir + "/A.txt").find("A.bq4\n"), std::string::npos);
         EXPECT_NE(FileText(dir + "/a.txt").find("a.bq4\n"), std::string::npos);
       }},
      {"a FIFO in the report's place",
       [](const std::string& dir) {
         ::mkfifo((dir + "/x.txt").c_str(), 0644);
         // Held open for reading, so that writing into it would not block.
         heldFifo = ::open((dir + "/x.txt").c_str(), O_RDONLY | O_NONBLOCK);
         return std::vector<std::string>{SampleIn(dir, "null.bq4", "x.bq4"), SampleIn(dir, "hot.bq4", "y.bq4")};
       },
       "/I", kExitLoadFailed,
       [](const std::string& dir) {
         char byte = 0;
         EXPECT_LE(::read(heldFifo, &byte, 1), 0) << "written into the FIFO";
         ::close(heldFifo);
         EXPECT_TRUE(fs::is_fifo(dir + "/x.txt"));
         EXPECT_TRUE(fs::exists(dir + "/y.txt"));
       },
       "x.txt: not a regular file"},
      {"a link to a device in the drawing's place",
       [](const std::string& dir) {
         fs::create_symlink("/dev/null", dir + "/x.dxf");
         return std::vector<std::string>{SampleIn(dir, "null.bq4", "x.bq4")};
       },
       "/CAD1:1", kExitLoadFailed, [](const std::string& dir) { EXPECT_TRUE(fs::is_symlink(dir + "/x.dxf")); },
       "x.dxf: not a regular file"},
      {"a name as long as the file system takes",
       [longName](const std::string& dir) { return std::vector<std::string>{SampleIn(dir, "null.bq4", longName + ".bq4")}; },
       "/JSON", kExitOk,
       [longName](const std::string& dir) {
         EXPECT_TRUE(fs::exists(dir + "/" + longName + ".json"));
         EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
       }},
      {"temporaries of a killed run and of a run still writing, and files that only look like them",
       [](const std::string& dir) {
         for (const char* name : {"x.txt.~bq4abc123", "x.txt.~bq4Q9z8y7", "y.txt.~bq4abc123", "x.txt.~bq4abc1234",
                                  "x.txt.~abc123", "x.txt.~backup"})
           std::ofstream(dir + "/" + name) << "left";
         heldLock = ::open((dir + "/x.txt.~bq4writes").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
         struct flock fl {};
         fl.l_type = F_WRLCK;
         EXPECT_EQ(::fcntl(heldLock, F_OFD_SETLK, &fl), 0);
         return std::vector<std::string>{SampleIn(dir, "null.bq4", "x.bq4")};
       },
       "/I", kExitOk,
       [](const std::string& dir) {
         ::close(heldLock);
         for (const char* gone : {"x.txt.~bq4abc123", "x.txt.~bq4Q9z8y7"})
           EXPECT_FALSE(fs::exists(dir + "/" + gone)) << gone;
         for (const char* kept : {"x.txt.~bq4writes", "y.txt.~bq4abc123", "x.txt.~bq4abc1234", "x.txt.~abc123",
                                  "x.txt.~backup", "x.txt"})
           EXPECT_TRUE(fs::exists(dir + "/" + kept)) << kept;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const std::vector<std::string> projects = c.setUp(dir_);
    testing::internal::CaptureStderr();
    const int code = RunBatchProjects(projects, c.mode);
    const std::string err = testing::internal::GetCapturedStderr();
    platform::SetBatchMode(false);
    EXPECT_EQ(code, c.exitCode) << err;
    if (!c.stderrHas.empty()) {
      EXPECT_NE(err.find(c.stderrHas), std::string::npos) << err;
    }
    c.check(dir_);
  }
}

// A drawing that stopped halfway is not written; the run names the messages
// that stopped it, not those the calculation left before.
TEST_F(CommandLineTest, ADrawingStoppedHalfwayNamesWhatStoppedIt) {
  CurrentFileName = dir_ + "/x";
  InitFileErrors();
  ClearCalcMessages();
  AddErrorMessage("Warning: slotted cheese head screw");
  // A comb of six tall teeth: a hatch line across it crosses twelve edges,
  // more than one line may.
  HatchBegin();
  HatchAddPoint(0, 0);
  for (int tooth = 0; tooth < 6; ++tooth) {
    HatchAddPoint(2 * tooth, 100);
    HatchAddPoint(2 * tooth + 1, 100);
    HatchAddPoint(2 * tooth + 1, 1);
    HatchAddPoint(2 * tooth + 2, 1);
  }
  HatchAddPoint(12, 0);
  HatchPolygon(0, 1, 45);
  ASSERT_EQ(AbortFlag, 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReportUnwrittenDrawing(kCadDxf, 1), kExitLoadFailed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "the drawing " + dir_ + "/x.dxf cannot be written, stopped by:\nFatal  : schraff schnittp\n");
  // A drawing whose file failed names the file's fault alone.
  AbortFlag = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReportUnwrittenDrawing(kCadIges, CalcMessages.count), kExitLoadFailed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "the drawing " + dir_ + "/x.igs cannot be written\n");
}

// A project named "a." is loaded as typed, by the window and by the batch
// modes, and the report names it; a name without any "." is told and ends
// the program as the help does, with exit code 0.
TEST_F(CommandLineTest, ANameEndingInADotIsLoadedAsTypedAndANameWithoutOneIsToldAndEndsWell) {
  const std::string a = Sample("eccentric.bq4", "a.");
  SetCommandLineParams({a});
  {
    Thh main;
    EXPECT_EQ(StartedWithFile, 1);
    EXPECT_EQ(CurrentProjectFile(), a);
    EXPECT_FALSE(StartUpEndsProgram());
  }
  SetCommandLineParams({});
  int code = -1;
  EXPECT_FALSE(RunCommandLineMode({a}, code));
  EXPECT_FALSE(IsBatchCommandLine({a}));
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunBatchProjects({a}, "/I"), kExitOk);
  const std::string err = testing::internal::GetCapturedStderr();
  platform::SetBatchMode(false);
  EXPECT_EQ(err, "");
  EXPECT_NE(FileText(dir_ + "/a..txt").find(a + "\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/a..bq4"));
  for (const std::vector<std::string>& params :
       std::vector<std::vector<std::string>>{{"x"}, {"dir.v2/x"}, {"/NOGUI", "x"}, {"x", "/X"}}) {
    SCOPED_TRACE(testing::PrintToString(params));
    testing::internal::CaptureStderr();
    code = -1;
    EXPECT_TRUE(RunCommandLineMode(params, code));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "extension .bq4 missing\n");
    EXPECT_EQ(code, kExitOk);
  }
}

// Once another program moves an output of the run, or a project of it, to
// the name of a later output (and saves the project anew), that file is no
// longer the run's: the later project is written in its place.
TEST_F(CommandLineTest, AFileThatAnotherProgramMovedIsNoLongerTheRuns) {
  static std::string folder;
  folder = dir_;
  for (const bool project : {false, true}) {
    SCOPED_TRACE(project ? "a project moved" : "an output moved");
    const std::string a = Sample("null.bq4", "a.bq4"), b = Sample("hot.bq4", "b.bq4");
    BatchWindowModulesInit = project ? +[] {
      std::filesystem::rename(folder + "/a.bq4", folder + "/b.txt");
      std::filesystem::copy_file(folder + "/b.bq4", folder + "/a.bq4");
    } : +[] { std::filesystem::rename(folder + "/a.txt", folder + "/b.txt"); };
    testing::internal::CaptureStderr();
    const int code = RunBatchProjects({a, b}, "/I");
    const std::string err = testing::internal::GetCapturedStderr();
    BatchWindowModulesInit = nullptr;
    platform::SetBatchMode(false);
    EXPECT_EQ(code, kExitOk) << err;
    EXPECT_NE(FileText(dir_ + "/b.txt").find(b + "\n"), std::string::npos);
  }
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
