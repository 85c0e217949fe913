#include "framework/plot_program.h"

#include <gtest/gtest.h>

#include "framework/globals.h"
#include "framework/init.h"
#include "platform/dialogs.h"
#include "platform/process.h"

namespace {

class PlotProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    options.ProgramPath = "/opt/veskart/wveskart";
    options.OutputDir = "/tmp/plot";
  }
  void TearDown() override { platform::RecordProgramStarts(false); }
  std::string Line() const { return BuildVeskartCommandLine(options); }
  TPlotProgramOptions options;
};

TEST_F(PlotProgramTest, DefaultsInterfacesAndPorts) {
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL");
  options.OutputDir = "/tmp/plot/";  // a trailing separator is not doubled
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL");
  // Interfaces and ports.
  options.Interface = kPlotInterfaceSerial;
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL /D1");
  options.ComPort = "2";
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL /D1 /P3");

  options.Interface = kPlotInterfaceParallel;
  options.LptPort = "3";
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL /P4");

  options.Interface = kPlotInterfaceFile;
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL /D3 /F/tmp/plot/veskart");
  options.OutputDir = "  ";  // a blank output directory: no /F part
  EXPECT_EQ(Line(), "/opt/veskart/wveskart veskart /CHPL /D3");
}

TEST_F(PlotProgramTest, OptionsFollowInTheirOrder) {
  options.Destination = kPlotDestinationPostscript;
  options.PostscriptFont = "Courier-Bold";
  options.Scale = "2.5";
  options.ShiftX = "10";
  options.ShiftY = "-5";
  options.TextWidthFactor = "0.8";
  options.Rotate = true;
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CPS /M2.5 /X10 /Y-5 /B0.8 /R /TCourier-Bold");
}

TEST_F(PlotProgramTest, ScaleZeroOrTextFitsTheLimits) {
  options.Scale = "0";
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL /M*");
  options.Scale = "abc";  // not a number counts as 0
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL /M*");
  options.Scale = "1.0";
  options.ShiftX = "0.0";
  options.TextWidthFactor = "1,0";
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL");
  options.Destination = 4;
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CART");
  options.Destination = 99;  // out of range: the first code
  EXPECT_EQ(Line(), "/opt/veskart/wveskart /tmp/plot/veskart /CHPL");
}

// Folders with blanks are quoted, so that the line splits back into the
// program, the drawing and the switches as they were.
TEST_F(PlotProgramTest, FoldersWithBlanksStayWholeWords) {
  options.ProgramPath = "/home/u/Projekte \xC3\xA4/Plot \xC3\xA4/wveskart";
  options.OutputDir = "/tmp/Temp \xC3\xA4";
  options.Interface = kPlotInterfaceFile;
  options.Destination = kPlotDestinationPostscript;
  options.PostscriptFont = "other fonts";
  EXPECT_EQ(SplitCommandLine(Line()),
            (std::vector<std::string>{options.ProgramPath, "/tmp/Temp \xC3\xA4/veskart", "/CPS", "/D3",
                                      "/F/tmp/Temp \xC3\xA4/veskart", "/Tother fonts"}));
  platform::DialogScript script;
  script.Ok().Expect("holds a double quote or a line break");
  EXPECT_TRUE(RefusedInCommandLine("/opt/a\nb"));
  EXPECT_FALSE(RefusedInCommandLine("/opt/a b"));
}

TEST_F(PlotProgramTest, CommandLineSplitsAtBlanksOutsideQuotesAndStartsWithoutAShell) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine("  prog  a /B  "), (V{"prog", "a", "/B"}));
  EXPECT_EQ(SplitCommandLine("\"/opt/my plot/wv\" x\"y z\" \"\""), (V{"/opt/my plot/wv", "xy z", ""}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
  // Starting runs the program with its arguments and no shell.
  platform::RecordProgramStarts(true);
  EXPECT_TRUE(StartPlotProgram("wveskart /tmp/veskart /CHPL /M*; rm -rf x"));
  ASSERT_EQ(platform::RecordedProgramStarts().size(), 1u);
  const auto& start = platform::RecordedProgramStarts()[0];
  EXPECT_EQ(start.program, "wveskart");
  EXPECT_EQ(start.arguments, (std::vector<std::string>{"/tmp/veskart", "/CHPL", "/M*;", "rm", "-rf", "x"}));
  EXPECT_EQ(AbortFlag, 0);

  platform::DialogScript script;
  script.Ok().Expect("No plot program");
  EXPECT_FALSE(StartPlotProgram("  "));
  EXPECT_EQ(AbortFlag, 1);
}

}  // namespace
