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

TEST_F(CommandLineTest, HelpLinesFitTheHelpWindow) {
  const auto lines = CommandLineHelpLines();
  ASSERT_EQ(lines.size(), 21u);
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
  // A name without "." in its file part is refused in a batch run; a dotted
  // folder does not count. (The batch exit codes are checked on the built
  // program in tests/e2e.)
  EXPECT_TRUE(RunCommandLineMode({"dir.v2/x"}, code));
  EXPECT_EQ(code, kExitOk);
}

}  // namespace
