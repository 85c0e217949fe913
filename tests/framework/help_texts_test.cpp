#include "framework/help_texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "framework/globals.h"
#include "framework/init.h"
#include "output_test_support.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace {

class HelpTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    dir = FreshTestDir("help");
    PltDir = dir;
  }
  void WriteHelp(const std::string& name, const std::string& content) { WriteBytes(dir + "/" + name, content); }
  std::string dir;
};

// An entry collects the following numbers up to the next multiple of five;
// a plain text line takes a place of its own; the last entry is found with
// or without a final line end.
TEST_F(HelpTextsTest, EntryCollectsFollowingNumbersUpToTheNextMultipleOfFive) {
  WriteHelp("bq4.hlp", "4710:pic\r\ntext A\r\n4711\r\ntext B\r\n4712\r\ntext C\r\n4715\r\ntext D\r\n4720\r\ntext F\r\n");
  HelpEntry e = LookupHelpEntry(4710);
  EXPECT_EQ(e.lines, (std::array<std::string, 5>{"text A", "text B", "text C", "", ""}));
  EXPECT_EQ(e.picture, "pic");
  e = LookupHelpEntry(4711);
  EXPECT_EQ(e.lines, (std::array<std::string, 5>{"text B", "text C", "", "", ""}));
  EXPECT_EQ(e.picture, "NULL");
  EXPECT_EQ(LookupHelpEntry(4715).lines[0], "text D");

  WriteHelp("bq4.hlp", "4710\ntext A\ntext E\n4711\ntext B\n4715\ntext D\n");
  EXPECT_EQ(LookupHelpEntry(4710).lines, (std::array<std::string, 5>{"text A", "text E", "", "", ""}));
  std::string text;
  GetHelpEntryText(4710, text);
  EXPECT_EQ(text, "text A text E   ");  // the lines joined with blanks

  WriteHelp("bq4.hlp", "4710\ntext A\n4720\nlast text");
  EXPECT_EQ(LookupHelpEntry(4720).lines[0], "last text");
  WriteHelp("bq4.hlp", "4710\ntext A\n4720\nlast text\n");
  EXPECT_EQ(LookupHelpEntry(4720).lines[0], "last text");
}

// Numbers below 4000 are looked up in the maker's file.
TEST_F(HelpTextsTest, MissingEntryAndMissingFileSayWhatIsMissing) {
  EXPECT_EQ(HelpFileName(3999), dir + "/tovimar.hlp");
  EXPECT_EQ(HelpFileName(4000), dir + "/bq4.hlp");
  WriteHelp("bq4.hlp", "4710\ntext A\n");
  AbortFlag = 1;
  HelpEntry e = LookupHelpEntry(4711);
  EXPECT_EQ(e.lines[0], "help text No 4711: No help available.");
  EXPECT_EQ(e.picture, "null");
  EXPECT_EQ(AbortFlag, 0);
  AbortFlag = 1;
  e = LookupHelpEntry(1000);  // tovimar.hlp does not exist
  EXPECT_EQ(e.lines[0], "File " + dir + "/tovimar.hlp not found !");
  EXPECT_EQ(AbortFlag, 0);
}

// Help number 0 shows the current help number: the box, then the picture
// without a message; picture mode shows no box, and a missing entry plays
// the null picture.
TEST_F(HelpTextsTest, ShowHelpTextShowsTheBoxThenThePicture) {
  WriteHelp("bq4.hlp", "4710:pic\nFirst \x84 line\n");  // code 132: a umlaut
  WriteHelp("pic.plt", "IN;SP1;PU0,0;PD400,400;");
  SetHelpNumber(4710);
  platform::DialogScript script;
  script.Ok().Expect("HELP TEXT No.4710");
  ShowHelpText(0, "", 0);
  ASSERT_EQ(script.Shown().size(), 1u);  // the picture was found: no message about it
  EXPECT_EQ(script.Shown()[0].text, "First \xE4 line     ");

  WriteHelp("bq4.hlp", "4710\ntext\n");
  std::string shown = dir;  // the message names the file without its blanks
  std::erase(shown, ' ');
  script.Ok().Expect(shown + "/null.plt not found !");
  ShowHelpText(4711, "", 2);
  EXPECT_EQ(script.Shown().size(), 2u);
  EXPECT_EQ(AbortFlag, 0);
  ShowHelpText(4710, "", 2);  // header without a picture: the window is only cleared
  ShowHelpText(4710, "", 7);  // unknown mode: nothing
  EXPECT_EQ(script.Shown().size(), 2u);
}

// The help numbers the program's code asks for: literal numbers among the
// arguments of the help calls (multi-line calls included) and numbers
// assigned to help variables. Comments are left out.
std::set<int> HelpNumbersUsedInTheCode() {
  static const std::regex call(
      R"(\b(ShowHelpText|SetHelpNo|SetHelpNumber|SetHint|Hint|HelpButton|PageLayout|ShowOpeningPicture|)"
      R"(ShowHelpPictureIfNamed|GetHelpEntryText|TDocumentationForm|dirRow|programRow|add)\s*\(([^;]*))");
  static const std::regex assign(R"(\b\w*[Hh]elp\w*\s*=\s*([1-9][0-9]{3})\b)");
  static const std::regex number(R"((^|[^\w."])([1-9][0-9]{3})(?![\w.]))");
  static const std::regex comment(R"(//[^\n]*)");
  std::set<int> used;
  for (const char* part : {"app", "calc", "cad", "dbf", "framework", "platform"}) {
    for (const auto& file : fs::recursive_directory_iterator(std::string(BQ4_SOURCE_DIR) + "/" + part)) {
      if (file.path().extension() != ".cpp") continue;
      std::ifstream in(file.path(), std::ios::binary);
      const std::string code =
          std::regex_replace(std::string(std::istreambuf_iterator<char>(in), {}), comment, std::string());
      for (std::sregex_iterator m(code.begin(), code.end(), call), end; m != end; ++m) {
        const std::string args = (*m)[2];
        for (std::sregex_iterator n(args.begin(), args.end(), number); n != end; ++n) used.insert(std::stoi((*n)[2]));
      }
      for (std::sregex_iterator m(code.begin(), code.end(), assign), end; m != end; ++m) used.insert(std::stoi((*m)[1]));
    }
  }
  return used;
}

TEST_F(HelpTextsTest, EveryHelpNumberUsedInTheCodeHasItsText) {
  PltDir = std::string(BQ4_SOURCE_DIR) + "/data/plt";
  const std::set<int> used = HelpNumbersUsedInTheCode();
  EXPECT_GT(used.size(), 100u);  // the scan itself still finds the calls
  for (int n : used) {
    const HelpEntry e = LookupHelpEntry(static_cast<Word>(n));
    EXPECT_FALSE(e.lines[0].empty()) << n;
    EXPECT_EQ(e.lines[0].find("No help available"), std::string::npos) << n;
    EXPECT_EQ(e.lines[0].find("not found"), std::string::npos) << n;
    // A picture that an entry names is shipped.
    if (e.picture != "NULL") {
      EXPECT_TRUE(fs::exists(PltDir + "/" + e.picture + ".plt")) << n << " " << e.picture;
    }
  }
}

}  // namespace
