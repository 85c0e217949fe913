#include "framework/calc_messages.h"
#include "framework/error_explanations.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include <cstdlib>
#include <filesystem>

#include "framework/file_utils.h"
#include "framework/forms/error_help_form.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "output_test_support.h"

namespace fs = std::filesystem;

namespace {

class ErrorExplanationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    dir_ = FreshTestDir("explain");
    fs::copy_file(Sample(), dir_ + "/bq4.err");
    PltDir = dir_;
    TempDir = dir_;
  }
  void TearDown() override { platform::SetBatchMode(false); }

  static std::string Sample() { return std::string(BQ4_TEST_DATA) + "/text_output/bq4.err"; }

  std::string dir_;
};

}  // namespace

TEST_F(ErrorExplanationsTest, LookupFindsOriginAndRemedyByTheFirst14CharactersOrNothing) {
  std::string origin, remedy;
  ASSERT_EQ(LookupExplanation(Sample(), "Error: function tan in Unit math", origin, remedy), ExplanationLookup::Found);
  EXPECT_EQ(origin.substr(0, 31), "The tangent of an angle of 90 d");
  EXPECT_EQ(remedy.substr(0, 16), "Check the angles");
  // Two messages that agree in their first 14 characters share the first explanation.
  ASSERT_EQ(LookupExplanation(Sample(), "Error  : same first something else", origin, remedy),
            ExplanationLookup::Found);
  EXPECT_EQ(remedy, "Remedy of the first.");
  // A key on the last line or an unknown message has no explanation.
  origin = "kept";
  EXPECT_EQ(LookupExplanation(Sample(), "Warning: key on the last line", origin, remedy), ExplanationLookup::NotFound);
  EXPECT_EQ(LookupExplanation(Sample(), "Fatal  : never heard of", origin, remedy), ExplanationLookup::NotFound);
  EXPECT_EQ(LookupExplanation(dir_ + "/none.err", "x", origin, remedy), ExplanationLookup::NoFile);
  EXPECT_EQ(origin, "kept");
  // A huge origin line is read whole.
  WriteBytes(dir_ + "/huge.err", "Error: function tan\n" + std::string(200000, 'x'));
  ASSERT_EQ(LookupExplanation(dir_ + "/huge.err", "Error: function tan in Unit math", origin, remedy),
            ExplanationLookup::Found);
  EXPECT_EQ(origin.size(), 200000u);
  EXPECT_EQ(remedy, "");
}

TEST_F(ErrorExplanationsTest, ExplanationTextsOfTheMessageListOrTheTextUnchanged) {
  AddErrorMessage("Error: function tan in Unit math");
  AddErrorMessage("Fatal  : never heard of");
  std::string text;
  ExplanationRemedy(1, text);
  EXPECT_EQ(text.substr(0, 16), "Check the angles");
  ExplanationOrigin(2, text);
  EXPECT_EQ(text, kNoExplanationText);

  // Without any explanation file the text stays unchanged.
  fs::remove(dir_ + "/bq4.err");
  setenv("BQ4_DATA_DIR", dir_.c_str(), 1);
  text = "unchanged";
  ExplanationOrigin(1, text);
  unsetenv("BQ4_DATA_DIR");
  EXPECT_EQ(text, "unchanged");
}

TEST_F(ErrorExplanationsTest, NoMessagesSaySuccessAndBatchOrNoGuiRunsShowNothing) {
  platform::DialogScript script;
  script.Ok().Expect("Calculation successful without error messages");
  ShowCalculationMessages();
  platform::SetBatchMode(true);
  AddErrorMessage("Error: function tan in Unit math");
  ShowCalculationMessages();
  platform::SetBatchMode(false);
  SetCommandLineParams({"joint.bq4", "/nogui"});
  ShowCalculationMessages();
  ClearCalcMessages();
  ShowCalculationMessages();
  SetCommandLineParams({});
  EXPECT_EQ(script.Shown().size(), 1u);
}

// A low help level opens the list on "Continue...".
TEST_F(ErrorExplanationsTest, HelpLevelDecidesHowTheMessagesAreShown) {
  HelpLevel = 1;
  for (const char* m : {"Error: function tan in Unit math", "Warning: a", "Warning: b"}) AddErrorMessage(m);
  platform::DialogScript script;
  script.Ok();  // keeps the preselected entry: "Continue..."
  ShowCalculationMessages();
  EXPECT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(ItemTexts[4].str(), "Continue...");

  // A higher help level steps through the messages.
  ClearCalcMessages();
  HelpLevel = 2;
  AddErrorMessage("Error: function tan in Unit math");
  AddErrorMessage("Fatal  : never heard of");
  script.Ok();                                    // list: message 1 preselected
  script.Ok();                                    // its explanation window
  script.Ok();                                    // list: message 2 preselected
  script.Ok().Expect(std::string(kNoExplanationText));  // no explanation; list closes after the last
  ShowCalculationMessages();
  EXPECT_EQ(script.Pending(), 0u);
  ASSERT_EQ(script.Shown().size(), 5u);
  EXPECT_EQ(script.Shown()[2].kind, "form");
}

TEST_F(ErrorExplanationsTest, TheExplanationWindowIsReadOnlyAndClosesWithoutAQuestion) {
  const std::string before = ReadBytes(dir_ + "/bq4.err");
  Thelperr form("Error  : same first fourteen", "old origin", "old remedy");
  form.show();
  EXPECT_TRUE(form.Memo_origin->isReadOnly());
  EXPECT_TRUE(form.Memo_remedy->isReadOnly());
  platform::DialogScript script;  // any question would find no answer here
  form.Button_okClick();
  EXPECT_EQ(script.Shown().size(), 0u);
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(ReadBytes(dir_ + "/bq4.err"), before);
}
