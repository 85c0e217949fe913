#include "cad/plot_handoff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "../fake_programs.h"
#include "cad_test_support.h"
#include "framework/config_file.h"
#include "framework/plot_program.h"
#include "platform/os.h"
#include "platform/process.h"
#include "../shown_path.h"

namespace {

namespace fs = std::filesystem;

class PlotHandoffTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    TraceMessagesOn = 0;
    ConfigDir = Dir();
    saved_ = fs::current_path();
    fs::current_path(Dir());
    std::ofstream("wveskart.exe") << "";
    std::ofstream("veskart.exe") << "";
    platform::RecordProgramStarts(true);
  }
  void TearDown() override {
    platform::RecordProgramStarts(false);
    SetPlotCommandEditor(nullptr);
    fs::current_path(saved_);
    CadTest::TearDown();
  }

  // The answers up to the program directory: kind (0 Windows, 1 MS-DOS) and ".".
  static void ProgramAnswers(platform::DialogScript& s, const char* kind = "#0") {
    s.Ok({{"RadioGroup_items", kind}});
    s.Ok({{"Edit_text", "."}});
  }

  // A drawing of one line on the plot device.
  void PlotALine() {
    StartDrawing(kCadPlotProgram);
    CadBeginEntities();
    CadLine(0, 0, 1, 1);
    CadEndSection();
    CadClose(0);
  }

  std::string Executable(const std::string& name) {
    const std::string path = Dir() + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, fs::perms::owner_all);
    return path;
  }

 private:
  fs::path saved_;
};

// The Windows program in ".", destination HPL, parallel port 1, scale 1, no turn, no shifts.
void DefaultAnswers(platform::DialogScript& s) {
  s.Ok({{"RadioGroup_items", "#0"}});
  s.Ok({{"Edit_text", "."}});
  s.Ok();                               // destination code
  s.Ok();                               // output interface: parallel
  s.Ok();                               // LPT port 1
  s.Ok();                               // scale 1
  s.Ok();                               // rotate: no
  s.Ok().Ok().Ok();                     // shifts x, y; text ratio
}

TEST_F(PlotHandoffTest, DefaultAnswersGiveALineOfSixtyCharactersAndALongerOneABatchFile) {
  if (HoldsQuoteOrLineBreak(Dir())) GTEST_SKIP() << "no plot command line can hold the test folder's name";
  TempDir = "/" + std::string(30, 'x');  // the line comes to exactly 60 characters
  std::string line = "0";
  {
    platform::DialogScript script;
    DefaultAnswers(script);
    SetupPlotProgram(line, 0);
  }
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(line, "./wveskart.exe " + TempDir + "/veskart /CHPL");
  EXPECT_EQ(line.size(), 60u);
  // A line one character longer goes into a batch file named without a dot.
  TempDir = "/" + std::string(31, 'x');
  line.clear();
  {
    platform::DialogScript script;
    DefaultAnswers(script);
    script.Ok().Expect("command line too long");
    script.Ok({{"Edit_text", "plot.x"}});  // refused: holds a "."
    script.Ok({{"Edit_text", "plot"}});
    SetupPlotProgram(line, 0);
  }
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(line, CommandLineWord(Dir() + "/plot.bat"));
  EXPECT_EQ(ReadLines(Dir() + "/plot.bat").at(0), "./wveskart.exe " + TempDir + "/veskart /CHPL");
}

TEST_F(PlotHandoffTest, SwitchesFollowTheAnswersAndCancelKeepsTheLine) {
  if (HoldsQuoteOrLineBreak(Dir())) GTEST_SKIP() << "no plot command line can hold the test folder's name";
  std::string line = "old";
  {
    platform::DialogScript script;
    ProgramAnswers(script, "#1");
    script.Ok({{"RadioGroup_items", "#1"}});  // PostScript
    script.Ok({{"Edit_text", "part.dxf"}});   // mode 1: the drawing
    script.Ok({{"RadioGroup_items", "#0"}});  // serial
    script.Ok({{"Edit_text", "3"}});          // COM 3
    script.Ok({{"Edit_text", "0"}});          // scale: fit
    script.Ok({{"RadioGroup_answer", "#0"}});  // rotate: yes
    script.Ok({{"Edit_text", "5"}});
    script.Ok({{"Edit_text", "-2.5"}});
    script.Ok();
    script.Ok({{"Edit_text", "Helvetica"}});
    SetupPlotProgram(line, 1);
  }
  EXPECT_EQ(line, "./veskart.exe part.dxf /CPS /D1 /P3 /M* /X5 /R /Y-2.5 /THelvetica");

  {
    platform::DialogScript script;
    ProgramAnswers(script);
    script.Ok();
    script.Ok({{"Edit_text", "*.dxf"}});
    script.Ok({{"RadioGroup_items", "#2"}});  // file
    // A name the command line cannot hold is refused by name and asked again.
    script.Ok({{"Edit_text", "my \"out\".plt"}});
    script.Ok().Expect("The name \"my \"out\".plt\" holds a double quote");
    script.Ok({{"Edit_text", "out put.plt"}});
    script.Ok({{"Edit_text", "2.5"}});
    script.Ok().Ok().Ok().Ok();
    SetupPlotProgram(line, 1);
  }
  EXPECT_EQ(line, "./wveskart.exe *.dxf /CHPL /D3 /Foutput.plt /M2.5");
  line = "keep me";
  {
    platform::DialogScript script;
    script.Ok({{"RadioGroup_items", "#0"}});
    script.Ok({{"Edit_text", "/no/such/dir"}});
    script.Ok({{"Edit_text", "."}});
    script.Cancel();  // destination code
    SetupPlotProgram(line, 0);
  }
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(line, "keep me");
}

TEST_F(PlotHandoffTest, SelectedLineIsPickedEditedAndStored) {
  CadState.PlotCommandCount = 2;
  CadState.PlotCommandLines[1] = "second";
  SetPlotCommandEditor([](std::string& l) {
    l += " /R";
    return true;
  });
  {
    platform::DialogScript script;
    script.Ok({{"RadioGroup_items", "#1"}});
    script.Ok().Expect("VESKART command line");
    SelectPlotCommandLine();
  }
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CadState.PlotCommandIndex, 2);
  EXPECT_EQ(CadState.PlotCommandLines[1], "second /R");

  SetPlotCommandEditor([](std::string&) { return false; });
  {
    platform::DialogScript script;
    script.Ok();
    SelectPlotCommandLine();
  }
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(CadState.PlotCommandLines[1], "second /R");
}

TEST_F(PlotHandoffTest, PlotDeviceWritesTheDrawingAndStartsTheProgramWithoutAShell) {
  if (HoldsQuoteOrLineBreak(Dir())) GTEST_SKIP() << "no plot command line can hold the test folder's name";
  TempDir = Dir();
  const std::string plotter = Executable("plotter");
  CadState.PlotCommandLines[0] = CommandLineWord(plotter) + "  veskart.dxf /CHPL";
  StartDrawing(kCadPlotProgram);
  CadBeginEntities();
  CadLine(0, 0, 1, 1);
  CadEndSection();
  CadClose(0);
  EXPECT_TRUE(Exists(Dir() + "/veskart.dxf"));
  // The border around the window lies in the entities section, first, in
  // colour 19: nothing stands between the sections.
  const std::vector<std::string> dxf = ReadLines(Dir() + "/veskart.dxf");
  int before = 0, inside = 0;
  bool entities = false;
  for (std::size_t i = 0; i + 1 < dxf.size(); i += 2) {
    if (dxf[i] == "  2" && dxf[i + 1] == "ENTITIES") entities = true;
    if (dxf[i] == "  0" && dxf[i + 1] == "LINE") ++(entities ? inside : before);
  }
  EXPECT_EQ(before, 0);
  EXPECT_EQ(inside, 5);
  const auto border = std::find(dxf.begin(), dxf.end(), "LINE");
  ASSERT_NE(border, dxf.end());
  EXPECT_EQ(border[2], "19");
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
  EXPECT_EQ(platform::RecordedProgramStarts()[0].program, plotter);
  EXPECT_EQ(platform::RecordedProgramStarts()[0].arguments,
            (std::vector<std::string>{Dir() + "/veskart.dxf", "/CHPL"}));

  // A batch file made by the set-up is run by the line it holds.
  std::ofstream(Dir() + "/long.bat") << CommandLineWord(plotter) << " a b\r\n";
  CadState.PlotCommandLines[0] = CommandLineWord(Dir() + "/long.bat");
  RunPlotCommandLine();
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 2u);
  EXPECT_EQ(platform::RecordedProgramStarts()[1].arguments, (std::vector<std::string>{"a", "b"}));

  // A missing program is reported and nothing starts.
  CadState.PlotCommandLines[0] = "C:\\VESKART\\WVESKART VESKART.DXF /M1.0";
  platform::DialogScript script;
  script.Ok().Expect("not found");
  RunPlotCommandLine();
  EXPECT_EQ(platform::RecordedProgramStarts().size(), 2u);
}

// A program folder with blanks and umlauts, the program file in another
// case than the set-up asks for: the set-up stores a line that runs that very
// file, kept by the configuration, and each plot starts it with its drawing.
// A name that no command line can hold is refused by name.
TEST_F(PlotHandoffTest, ProgramInAFolderWithBlanksIsStoredAsALineThatRuns) {
  if (HoldsQuoteOrLineBreak(Dir())) GTEST_SKIP() << "no plot command line can hold the test folder's name";
  TempDir = Dir() + "/Temp \xC3\xA4";
  ConfigDir = Dir() + "/Konfig \xC3\xA4";
  fs::create_directories(TempDir);
  fs::create_directories(ConfigDir);
  const std::string folder = Dir() + "/Projekte \xC3\xA4/Plot \xC3\xA4";
  platform::RecordProgramStarts(false);
  FakePrograms fake(folder);
  const std::string program = fake.Add("VESKART.EXE", 0);
  std::string line = "0";
  {
    platform::DialogScript script;
    script.Ok({{"RadioGroup_items", "#1"}});  // the MS-DOS program, veskart.exe
    script.Ok({{"Edit_text", "Projekte \xE4/Plot \xE4"}});  // in the working folder
    script.Ok().Ok().Ok().Ok().Ok().Ok().Ok().Ok();
    script.Ok().Expect("command line too long");
    script.Ok({{"Edit_text", "plot"}});
    SetupPlotProgram(line, 0);
    EXPECT_EQ(script.Pending(), 0u);
  }
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(line, "\"" + ConfigDir + "/plot.bat\"");
  EXPECT_EQ(program, Dir() + "/Projekte \xC3\xA4/Plot \xC3\xA4/VESKART.EXE");
  EXPECT_EQ(ReadLines(ConfigDir + "/plot.bat").at(0),
            "\"Projekte \xC3\xA4/Plot \xC3\xA4/VESKART.EXE\" \"" + TempDir + "/veskart\" /CHPL");
  CadState.PlotCommandLines[0] = line;
  CadState.PlotCommandIndex = 1;
  WriteConfigFile();
  CadState.PlotCommandLines[0].clear();
  ReadConfigFile();
  ASSERT_EQ(CadState.PlotCommandLines[0], line);
  PlotALine();
  EXPECT_EQ(AbortFlag, 0);
  for (int i = 0; i < 500 && fake.Arguments("VESKART.EXE").size() < 2; ++i) platform::SleepMs(10);
  EXPECT_EQ(fake.Arguments("VESKART.EXE"), (std::vector<std::string>{TempDir + "/veskart", "/CHPL"}));
  EXPECT_TRUE(Exists(TempDir + "/veskart.dxf"));

  // A folder holding a double quote is refused by name and asked again.
  line = "keep me";
  {
    platform::DialogScript script;
    script.Ok({{"RadioGroup_items", "#1"}});
    script.Ok({{"Edit_text", "a\"b"}});
    script.Ok().Expect("The name \"a\"b/veskart.exe\" holds a double quote");
    script.Cancel();
    SetupPlotProgram(line, 0);
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(line, "keep me");
}

// The set-up stores no run's temporary folder: each plot fills in where its
// drawing lies, also into a line stored by an older run that named its own
// folder. A hand-over that fails names the program and the drawing.
TEST_F(PlotHandoffTest, StoredLineNamesNoRunsFolderAndEachPlotHandsOverItsOwnDrawing) {
  if (HoldsQuoteOrLineBreak(Dir())) GTEST_SKIP() << "no plot command line can hold the test folder's name";
  TempDir.clear();  // the run's own temporary folder
  std::string line;
  {
    platform::DialogScript script;
    DefaultAnswers(script);
    SetupPlotProgram(line, 0);
  }
  EXPECT_EQ(line, "./wveskart.exe veskart /CHPL");

  platform::RecordProgramStarts(false);
  FakePrograms fake(Dir() + "/bin");
  const std::string plotter = fake.Add("plotter", 0);
  const std::string drawing = platform::ProcessTempDir() + "/veskart";
  for (const std::string& stored :
       {CommandLineWord(plotter) + " veskart /CHPL", CommandLineWord(plotter) + " /tmp/bq4-1-gone00/VESKART.DXF /CHPL"}) {
    fs::remove(Dir() + "/bin/plotter.args");
    CadState.PlotCommandLines[0] = stored;
    PlotALine();
    EXPECT_EQ(AbortFlag, 0);
    for (int i = 0; i < 500 && fake.Arguments("plotter").size() < 2; ++i) platform::SleepMs(10);
    const std::string expected = stored.find("DXF") == std::string::npos ? drawing : drawing + ".dxf";
    EXPECT_EQ(fake.Arguments("plotter"), (std::vector<std::string>{expected, "/CHPL"})) << stored;
    EXPECT_TRUE(Exists(drawing + ".dxf"));
  }

  // The program gone, or its batch file: said in the window, naming the drawing.
  CadState.PlotCommandLines[0] = CommandLineWord(Dir() + "/bin/gone") + " veskart";
  platform::DialogScript script;
  script.Ok().Expect("The plot program " + ShownPath(Dir()) + "/bin/gone was not found; the drawing " +
                     ShownPath(drawing) + ".dxf was not plotted");
  RunPlotCommandLine();
  EXPECT_EQ(AbortFlag, 1);
  CadState.PlotCommandLines[0] = CommandLineWord(Dir() + "/gone.bat");
  script.Ok().Expect("batch file " + ShownPath(Dir()) + "/gone.bat cannot be read");
  RunPlotCommandLine();
  CadState.PlotCommandLines[0] = "./veskart.exe veskart";  // there, but no program
  script.Ok().Expect("The plot program ./veskart.exe cannot be run: it is no executable program");
  RunPlotCommandLine();
  EXPECT_EQ(script.Pending(), 0u);

  // The choice of lines shows their names as their characters.
  CadState.PlotCommandLines[1] = "/opt/pl\xC3\xB6t veskart";
  CadState.PlotCommandCount = 2;
  script.Cancel();
  SelectPlotCommandLine();
  EXPECT_EQ(ItemTexts[2].str(), "/opt/pl\x94t veskart");
}

}  // namespace
