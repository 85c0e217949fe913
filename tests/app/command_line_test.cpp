#include "app/command_line.h"

#include <gtest/gtest.h>

#include "calc/init.h"
#include "dbf/init.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "platform/dialogs.h"

namespace {

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    InitDbfModules();
    InitCalcModules();
  }
  void TearDown() override { platform::SetBatchMode(false); }  // the batch modes set it
};

TEST_F(CommandLineTest, HelpLinesStandInTheirSlots) {
  const auto lines = CommandLineHelpLines();
  ASSERT_EQ(lines.size(), 21u);
  EXPECT_EQ(lines[0], "BQ4 Command Line Mode");
  EXPECT_EQ(lines[2], "wbq4 Filename [/I] [/CADi:j] [/NOGUI]");
  EXPECT_EQ(lines[10], "/NOGUI   -> No GUI, exit on fatal error");
  EXPECT_EQ(lines[18], "Example: wbq4 test.bq4 /I /NOGUI   ->  test.txt");
  EXPECT_EQ(lines[20], "Example: wbq4 test.edi /E /NOGUI   ->  test.edi");
  for (std::size_t i : {1u, 3u, 5u, 9u, 11u, 12u, 13u, 15u, 16u}) EXPECT_EQ(lines[i], "") << i;
  for (const auto& line : lines) EXPECT_LE(line.size(), 64u);
}

TEST_F(CommandLineTest, WindowModesAreLeftToTheWindow) {
  int code = -1;
  EXPECT_FALSE(RunCommandLineMode({}, code));
  EXPECT_FALSE(RunCommandLineMode({"/NOGUI"}, code));
  EXPECT_FALSE(RunCommandLineMode({"x.bq4"}, code));
  EXPECT_FALSE(RunCommandLineMode({"x.bq4", "/E"}, code));
  EXPECT_FALSE(RunCommandLineMode({"x.bq4", "/e"}, code));
  EXPECT_FALSE(RunCommandLineMode({"x.bq4", "/G"}, code));
  EXPECT_FALSE(RunCommandLineMode({"dir.v2/x", "/G"}, code));  // the file is not read
}

TEST_F(CommandLineTest, BatchModesEndTheProgramWithTheirExitCode) {
  int code = -1;
  EXPECT_TRUE(RunCommandLineMode({"missing.bq4", "/I"}, code));
  EXPECT_EQ(code, kExitLoadFailed);
  EXPECT_TRUE(RunCommandLineMode({"/NOGUI", "missing.bq4", "/i"}, code));
  EXPECT_EQ(code, kExitLoadFailed);
  // A name without "." in its file part is refused; a dotted folder does not count.
  EXPECT_TRUE(RunCommandLineMode({"dir.v2/x"}, code));
  EXPECT_EQ(code, kExitOk);
}

}  // namespace
