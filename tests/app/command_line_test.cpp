#include "app/command_line.h"

#include "app_test_support.h"

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

}  // namespace
