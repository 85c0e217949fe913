#include <cstdio>
#include "framework/calc_messages.h"
#include "framework/error_explanations.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include <chrono>
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
    userData_ = platform::GetEnvironment("BQ4_USER_DATA_DIR");
    setenv("BQ4_USER_DATA_DIR", (dir_ + "/user").c_str(), 1);
    PltDir = dir_;
    TempDir = dir_;
  }
  void TearDown() override {
    platform::SetBatchMode(false);
    setenv("BQ4_USER_DATA_DIR", userData_.c_str(), 1);
  }

  static std::string Sample() { return std::string(BQ4_TEST_DATA) + "/text_output/bq4.err"; }

  std::string dir_;
  std::string userData_;
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

// The file is read once while it stays as it is; another program's change
// or its removal is seen at the next lookup.
TEST_F(ErrorExplanationsTest, LookupSeesTheFileAsItIsNow) {
  const std::string file = dir_ + "/changing.err";
  std::string origin, remedy;
  // Written an hour ago: a file written just now is read at every lookup.
  auto writeOld = [&](const std::string& text) {
    WriteBytes(file, text);
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(1));
  };
  writeOld("Error: function tan\nfirst origin\nfirst remedy\n");
  ASSERT_EQ(LookupExplanation(file, "Error: function tan in Unit math", origin, remedy), ExplanationLookup::Found);
  EXPECT_EQ(origin, "first origin");
  writeOld("Error: function tan\nsecond, longer origin\nsecond remedy\n");
  ASSERT_EQ(LookupExplanation(file, "Error: function tan in Unit math", origin, remedy), ExplanationLookup::Found);
  EXPECT_EQ(origin, "second, longer origin");
  std::remove(file.c_str());
  EXPECT_EQ(LookupExplanation(file, "Error: function tan in Unit math", origin, remedy), ExplanationLookup::NoFile);

  // The user's copy comes before the shipped file as soon as it is there,
  // and the shipped file again once it has gone.
  const std::string user = dir_ + "/user";
  fs::create_directories(user);
  for (const std::string& folder : {user, dir_})
    fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
  EXPECT_EQ(ErrorExplanationFileName(), dir_ + "/bq4.err");
  EXPECT_EQ(ErrorExplanationFileName(), dir_ + "/bq4.err");
  WriteBytes(user + "/bq4.err", "Error: function tan\nthe user's origin\n");
  EXPECT_EQ(ErrorExplanationFileName(), user + "/bq4.err");
  std::remove((user + "/bq4.err").c_str());
  EXPECT_EQ(ErrorExplanationFileName(), dir_ + "/bq4.err");
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

// Edits go to the user's copy (read first from then on); the shipped file
// stays as it was.
TEST_F(ErrorExplanationsTest, EditedExplanationsAreSavedToTheUsersCopyOnlyWhenAskedAndChanged) {
  const std::string shipped = ReadBytes(dir_ + "/bq4.err");
  const std::string copy = UserErrorExplanationFileName();
  const std::string message = "Error  : same first fourteen, later text";
  struct Row {
    const char* name;
    bool edit;
    bool answerYes;
    bool saved;
  };
  for (const Row& r : {Row{"unchanged: no question", false, false, false}, Row{"changed, No", true, false, false},
                       Row{"changed, Yes", true, true, true}}) {
    SCOPED_TRACE(r.name);
    Thelperr form(message, "Origin of the first of two messages that share their key.", "Remedy of the first.");
    form.show();
    if (r.edit) {
      form.Memo_origin->setPlainText(QString::fromUtf8("New origin,\nover two lines \xC3\xA4"));
      form.Memo_remedy->setPlainText("New remedy.");
    }
    platform::DialogScript script;
    if (r.edit) (r.answerYes ? script.Yes() : script.No()).Expect("Save Changes ?");
    form.Button_okClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(fs::exists(copy), r.saved);
  }
  EXPECT_EQ(ReadBytes(dir_ + "/bq4.err"), shipped);
  // The copy holds every line, with both lines replaced, each still one line.
  std::string expected = shipped;
  const std::string oldLines = "Origin of the first of two messages that share their key.\r\nRemedy of the first.";
  expected.replace(expected.find(oldLines), oldLines.size(), "New origin, over two lines \x84\r\nNew remedy.");
  EXPECT_EQ(ReadBytes(copy), expected);
  EXPECT_EQ(ErrorExplanationFileName(), copy);
  std::string origin, remedy;
  ASSERT_EQ(LookupExplanation(ErrorExplanationFileName(), message, origin, remedy), ExplanationLookup::Found);
  EXPECT_EQ(remedy, "New remedy.");
  // A message without explanation is named; the copy stays.
  const std::string before = ReadBytes(copy);
  platform::DialogScript script;
  script.Ok().Expect("Fatal  : never heard of not found.");
  SaveErrorExplanation("Fatal  : never heard of", "o", "r");
  EXPECT_EQ(ReadBytes(copy), before);
}
