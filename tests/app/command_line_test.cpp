#include "app/command_line.h"

#include "app_test_support.h"
#include "platform/dialogs.h"

namespace {

class CommandLineTest : public AppTest {
 protected:
  void TearDown() override {
    platform::SetBatchMode(false);  // the batch modes set it
    AppTest::TearDown();
  }
};

TEST_F(CommandLineTest, WindowModesAreLeftToTheWindow) {
  int code = -1;
  // With "/G" the file is not read.
  for (const std::vector<std::string>& params : std::vector<std::vector<std::string>>{
           {}, {"/NOGUI"}, {"x.bq4"}, {"x.bq4", "/E"}, {"x.bq4", "/e"}, {"x.bq4", "/G"}, {"dir.v2/x", "/G"}})
    EXPECT_FALSE(RunCommandLineMode(params, code)) << testing::PrintToString(params);
  // A name without "." in its file part is refused in a batch run; a dotted
  // folder does not count. (The batch exit codes are checked on the built
  // program in tests/e2e.)
  EXPECT_TRUE(RunCommandLineMode({"dir.v2/x"}, code));
  EXPECT_EQ(code, kExitOk);
}

}  // namespace
