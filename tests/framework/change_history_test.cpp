#include "framework/change_history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "framework/clock.h"
#include "framework/documents.h"
#include "framework/drawing_info.h"
#include "framework/file_values.h"
#include "framework/help_texts.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "framework/text_output.h"
#include "output_test_support.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

class ChangeHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    PinClock(ClockReading{2026, 12, 6, 9, 5, 0, 0});
    DateFormatCode = 0;  // year/month/day
    InitChangeHistory();  // its dates of today under the pinned clock
    dir_ = FreshTestDir("changes");
    TempDir = dir_;
    CurrentFileName = "flange";
  }
  void TearDown() override { InitClock(); }

  // Writes the sections to a file and returns its lines.
  std::vector<std::string> Written() {
    const std::string path = dir_ + "/sections.txt";
    AssignTextFile(TextFileVar, path);
    EXPECT_TRUE(TextFileVar.Rewrite());
    WriteChangesSection();
    WriteDocumentsSection();
    EXPECT_TRUE(TextFileVar.Close());
    std::vector<std::string> lines;
    std::string error;
    EXPECT_TRUE(LoadTextLines(path, lines, error)) << error;
    return lines;
  }

  // The protocol as the report window receives it.
  std::string Protocol() {
    platform::DialogScript script;
    script.Ok();  // the report window
    WriteChangeProtocol(1);
    return ReadBytes(dir_ + "/outwin.txt");
  }

  std::string dir_;
};

// Each change takes five lines after the rule, its description one line
// whatever line breaks other code put in; then the identification and the
// document list of always 18 lines.
TEST_F(ChangeHistoryTest, ChangesWriteFiveLinesEachWithTheDescriptionOnOne) {
  EXPECT_EQ(OneLineDescription("a\r\nb\nc\rd"), "a|b|c|d");
  EXPECT_EQ(OneLineDescription("\n\n"), "||");
  EXPECT_EQ(OneLineDescription("\r\n\r"), "||");
  ChangeCount = 2;
  Changes[1] = {"a", "2026/05/01", "JS", "typed on\r\ntwo lines"};
  Changes[2] = {"b", "d", "e", "first\nsecond\n"};
  const auto lines = Written();
  const std::vector<std::string> head = {"CHANGES",    "2",  "--------------------", "a",
                                         "2026/05/01", "JS", "typed on|two lines",   "--------------"};
  ASSERT_EQ(lines.size(), 3u + 2 * 5 + 5 + 18);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8), head);
  EXPECT_EQ(lines[11], "first|second|");
  EXPECT_EQ(lines[13], "2026/12/06||2026/12/06||||0||");
  EXPECT_EQ(lines[18], "documents");
}

TEST_F(ChangeHistoryTest, SectionsReadBackWhatWasWritten) {
  for (int count : {0, 1, kMaxChanges}) {
    InitFrameworkModules();
    ChangeCount = static_cast<Word>(count);
    for (int i = 1; i <= count; ++i) Changes[i] = {"c" + std::to_string(i), "2026/01/01", "AB", "line\nbreak"};
    DrawingTextCount = 2;
    DrawingTexts[1] = {1.25L, 2.5L, 3.5L, 45, "first"};
    DrawingTexts[2] = {100.0L / 3, -7, 2.5L, 0, "a | in the text"};
    CheckName = "CK";
    Row4Date = "2026/12/06";
    ReplacedBy = "DRW-2";
    Documents[5] = {"gimp", "/tmp/photo.png"};
    const auto lines = Written();
    EXPECT_EQ(lines.size(), 3u + 5 * count + 5 + 2 + 18);
    TLineCursor in(lines);
    InitFrameworkModules();
    ASSERT_TRUE(ReadChangesSection(in)) << in.FaultText();
    ASSERT_TRUE(ReadDocumentsSection(in)) << in.FaultText();
    EXPECT_TRUE(in.AtEnd());
    // Every field read back is written again unchanged: the same lines.
    EXPECT_EQ(Written(), lines);
    EXPECT_EQ(ChangeCount, count);
    EXPECT_EQ(DrawingTexts[2].x, 100.0L / 3);
    EXPECT_EQ(DrawingTexts[2].Text.str(), "a | in the text");
    EXPECT_EQ(Documents[5].DocFile.str(), "/tmp/photo.png");
  }
}

TEST_F(ChangeHistoryTest, BarsAndLineBreaksInOtherTextsCannotShiftTheFile) {
  CheckName = "A|B";
  StandName = "C\nD";
  ChangeCount = 1;
  Changes[1] = {"two\nlines", "d", "e", "f"};
  ReplacedBy = "X\r\nY";
  DrawingTextCount = 1;
  DrawingTexts[1].Text = "t\nu";
  Documents[1] = {"prog\n", "file\r"};
  TLineCursor in(Written());
  ASSERT_TRUE(ReadChangesSection(in)) << in.FaultText();
  ASSERT_TRUE(ReadDocumentsSection(in)) << in.FaultText();
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(CheckName.str(), "A/B");
  EXPECT_EQ(StandName.str(), "C/D");
  EXPECT_EQ(Changes[1].Change.str(), "two|lines");
  EXPECT_EQ(ReplacedBy.str(), "X|Y");
  EXPECT_EQ(DrawingTextCount, 1);
  EXPECT_EQ(DrawingTexts[1].Text.str(), "t|u");
  EXPECT_EQ(Documents[1].Program.str(), "prog|");
}

TEST_F(ChangeHistoryTest, OlderFilesWithLineFeedsInADescriptionReadWholeAndDamagedSectionsAreFaults) {
  // Written by earlier versions: the line feed after each "|" stayed.
  TLineCursor older({"CHANGES", "2", "--------------------", "a", "2001/01/01", "JS", "first|", "|", "third",
                      "--------------", "b", "2001/02/02", "KL", "ends with a break|", "", "--------------",
                      "||||||0||", "2001/01/01", "", "", "XY"});
  ASSERT_TRUE(ReadChangesSection(older)) << older.FaultText();
  EXPECT_TRUE(older.AtEnd());
  EXPECT_EQ(ChangeCount, 2);
  EXPECT_EQ(Changes[1].Description.str(), "first||third");
  EXPECT_EQ(Changes[2].Description.str(), "ends with a break|");
  EXPECT_EQ(Changes[2].Editor.str(), "KL");
  EXPECT_EQ(ComplName.str(), "XY");

  // Damaged sections are faults.
  const struct {
    const char* name;
    std::vector<std::string> lines;
    bool damaged;
  } cases[] = {
      {"too many", {"CHANGES", "26", "----"}, true},
      {"bad texts", {"CHANGES", "0", "----", "a|b|c|d|e|f|9|", "", "", "", ""}, true},
      {"out of step", {"CHANGES", "1", "----", "a", "b", "c", "one line", "two lines", "--------------"}, true},
      {"bad number", {"CHANGES", "0", "----", "||||||1||", "", "", "", "", "1|x|2|3|t||"}, true},
      {"no keyword", {"CHANGEZ"}, true},
      {"count no number", {"CHANGES", "x"}, true},
      {"short file", {"CHANGES", "1", "----", "a"}, false},
      {"identification cut", {"CHANGES", "0", "----", "||||||0||", ""}, false},
      {"drawing texts cut", {"CHANGES", "0", "----", "||||||2", "", "", "", "", "1|2|3|4|t|"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLineCursor in(c.lines);
    EXPECT_FALSE(ReadChangesSection(in));
    EXPECT_EQ(in.Damaged(), c.damaged);
  }
}

// The six further identification texts hold their own lengths and start empty.
TEST_F(ChangeHistoryTest, IdentificationTextsAreCutToTheirLengthsAndClearedAtStart) {
  const std::string longText(40, 'x');
  struct Row {
    const char* name;
    std::function<std::string()> assignAndRead;
    std::size_t length;
  };
  const std::vector<Row> rows = {
      {"number", [&] { DrawingNumber = longText; return DrawingNumber.str(); }, 18},
      {"20", [&] { DrawingIdentText20 = longText; return DrawingIdentText20.str(); }, 20},
      {"name", [&] { DrawingName = longText; return DrawingName.str(); }, 25},
      {"25", [&] { DrawingIdentText25 = longText; return DrawingIdentText25.str(); }, 25},
      {"name 2", [&] { DrawingName2 = longText; return DrawingName2.str(); }, 30},
      {"32", [&] { DrawingIdentText32 = longText; return DrawingIdentText32.str(); }, 32},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.assignAndRead(), longText.substr(0, r.length));
  }
  InitDrawingInfo();
  for (const std::string& text : {DrawingNumber.str(), DrawingIdentText20.str(), DrawingName.str(),
                                  DrawingIdentText25.str(), DrawingName2.str(), DrawingIdentText32.str()})
    EXPECT_EQ(text, "");
}

TEST_F(ChangeHistoryTest, NewProjectResetsTheHistoryButKeepsTheDrawingTexts) {
  ChangeCount = 3;
  ReplacementFor = "OLD";
  CheckName = "CK";
  ComplDate = "1999/01/01";
  DrawingTextCount = 1;
  DrawingTexts[1].Text = "kept";
  ResetChangeHistory();
  EXPECT_EQ(ChangeCount, 0);
  EXPECT_EQ(ReplacementFor.str(), "");
  EXPECT_EQ(CheckName.str(), "");
  EXPECT_EQ(CheckDate.str(), "");
  EXPECT_EQ(ComplDate.str(), "2026/12/06");
  EXPECT_EQ(DrawingTextCount, 1);
  EXPECT_EQ(DrawingTexts[1].Text.str(), "kept");
}

TEST_F(ChangeHistoryTest, MenuAddsEditsAndDeletesTheLastChangeAndRefusesATwentySixth) {
  platform::DialogScript script;
  script.Ok({{"Edit_aenderung", "new bore"}, {"Edit_bearbeiter", "JSMITH"}, {"Memo_beschreibung", "two\nlines"}})
      .Expect("Modification 1");
  script.Ok();  // the protocol in the report window
  ChangesMenu(1);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(InputModified, 1);
  ASSERT_EQ(ChangeCount, 1);
  EXPECT_EQ(Changes[1].Change.str(), "new bore");
  EXPECT_EQ(Changes[1].Editor.str(), "JSMIT");  // five characters
  EXPECT_EQ(Changes[1].Date.str(), "2026/12/06");
  EXPECT_EQ(Changes[1].Description.str(), "two|lines");

  // Deleting and adding again reuses the slot: old texts, today's date.
  AbortFlag = 0;
  Changes[1].Date = "2000/01/01";
  script.Ok();
  ChangesMenu(3);
  EXPECT_EQ(ChangeCount, 0);
  script.Ok().Ok();
  ChangesMenu(1);
  EXPECT_EQ(ChangeCount, 1);
  EXPECT_EQ(Changes[1].Change.str(), "new bore");
  EXPECT_EQ(Changes[1].Date.str(), "2026/12/06");

  // A twenty-sixth change is refused; an empty history is ignored.
  ChangeCount = kMaxChanges;
  TraceMessagesOn = 1;
  script.Ok().Expect("Max. Changes = 25 !");
  ChangesMenu(1);
  EXPECT_EQ(ChangeCount, kMaxChanges);
  ChangeCount = 0;
  ChangesMenu(2);  // no dialog at all
  script.Ok();     // "cancel" still shows the protocol
  ChangesMenu(3);
  EXPECT_EQ(ChangeCount, 0);
  // Without a choice the menu asks with its seven items; back ends it.
  script.Ok({{"RadioGroup_items", "#6"}}).Expect("Changes");
  ChangesMenu(0);
  EXPECT_EQ(ItemTexts[7].str(), "back....");
  EXPECT_EQ(script.Shown().size(), 8u);
}

// Cancel in the dialog stores nothing typed, but a new change stays counted,
// and the protocol follows either way.
TEST_F(ChangeHistoryTest, CancelledNewOrChangeKeepsTheCountAndShowsTheProtocol) {
  Changes[1] = {"old slot", "2000/01/01", "AB", "kept"};
  platform::DialogScript script;
  script.Press("Button_cancel", {{"Edit_aenderung", "typed"}}).Expect("Modification 1");
  script.Ok().Expect("report window");
  ChangesMenu(1);
  ASSERT_EQ(ChangeCount, 1);
  EXPECT_EQ(Changes[1].Change.str(), "old slot");
  EXPECT_EQ(Changes[1].Date.str(), "2026/12/06");
  EXPECT_EQ(InputModified, 1);
  EXPECT_EQ(AbortFlag, 0);

  InputModified = 0;
  script.Press("Button_cancel", {{"Edit_aenderung", "typed"}}).Expect("Modification 1");
  script.Ok().Expect("report window");
  ChangesMenu(2);
  EXPECT_EQ(Changes[1].Change.str(), "old slot");
  EXPECT_EQ(InputModified, 0);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(script.Shown().size(), 4u);
}

TEST_F(ChangeHistoryTest, ProtocolListsTheIdentificationAndEveryChange) {
  ComplName = "JS";
  ReplacementFor = "DRW-0700";
  ChangeCount = 3;
  Changes[1] = {"first", "2026/01/01", "AB", "one"};
  Changes[2] = {"second", "2026/02/02", "CD", "two|lines"};
  Changes[3] = {"third", "2026/03/03", "EF", "three"};
  ChangeIndexStyle = 2;
  const std::string text = Protocol();
  EXPECT_NE(text.find("Drawing date: 2026/12/06     Designed by: JS"), std::string::npos) << text;
  EXPECT_NE(text.find("Replacement for: DRW-0700       "), std::string::npos);
  EXPECT_EQ(text.find("Replaced by"), std::string::npos);
  EXPECT_NE(text.find("Index   Date         Compl.   Modification        "), std::string::npos);
  EXPECT_NE(text.find("  c     2026/03/03   EF       third               "), std::string::npos);
  EXPECT_NE(text.find(" two|lines"), std::string::npos);
  ChangeIndexStyle = 1;
  EXPECT_NE(Protocol().find("  3     2026/03/03"), std::string::npos);
}

}  // namespace
