#include "framework/change_history.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "framework/documents.h"
#include "framework/file_values.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "platform/os.h"

namespace {

class ChangeHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { InitFrameworkModules(); }

  // Writes the sections to a file and returns its lines.
  std::vector<std::string> Written() {
    const std::string path = platform::TempFileName("changes");
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
};

TEST_F(ChangeHistoryTest, OneChangeWritesTenLinesAfterTheRule) {
  ChangeCount = 1;
  Changes[1] = {"a", "2026/05/01", "JS", "typed on\r\ntwo lines"};
  const auto lines = Written();
  const std::vector<std::string> head = {"CHANGES", "1", "--------------------", "a", "2026/05/01", "JS",
                                         "typed on|two lines", "--------------"};
  ASSERT_GE(lines.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8), head);
  EXPECT_EQ(lines[13], "documents");  // 3 + 10 lines
  EXPECT_EQ(lines.size(), 13u + 18u);  // the document list always has 18 lines
}

TEST_F(ChangeHistoryTest, DescriptionsWithEveryKindOfLineBreakStayOneLine) {
  EXPECT_EQ(OneLineDescription("a\r\nb\nc\rd"), "a|b|c|d");
  EXPECT_EQ(OneLineDescription("\n\n"), "||");
}

TEST_F(ChangeHistoryTest, SectionsReadBackWhatWasWritten) {
  for (int count : {0, kMaxChanges}) {
    InitFrameworkModules();
    ChangeCount = static_cast<Word>(count);
    for (int i = 1; i <= count; ++i) Changes[i] = {"c" + std::to_string(i), "2026/01/01", "AB", "line\nbreak"};
    DrawingTextCount = 2;
    DrawingTexts[1] = {1.25L, 2.5L, 3.5L, 45, "first"};
    DrawingTexts[2] = {100.0L / 3, -7, 2.5L, 0, "second"};
    CheckName = "CK";
    Row4Date = "2026/12/06";
    ReplacedBy = "DRW-2";
    Documents[5] = {"gimp", "/tmp/photo.png"};
    TLineCursor in(Written());
    InitFrameworkModules();
    ASSERT_TRUE(ReadChangesSection(in)) << in.FaultText();
    ASSERT_TRUE(ReadDocumentsSection(in)) << in.FaultText();
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(ChangeCount, count);
    if (count) EXPECT_EQ(Changes[count].Description.str(), "line|break");
    EXPECT_EQ(DrawingTextCount, 2);
    EXPECT_EQ(DrawingTexts[2].x, 100.0L / 3);
    EXPECT_EQ(DrawingTexts[2].Text.str(), "second");
    EXPECT_EQ(CheckName.str(), "CK");
    EXPECT_EQ(Row4Date.str(), "2026/12/06");
    EXPECT_EQ(ReplacedBy.str(), "DRW-2");
    EXPECT_EQ(Documents[5].DocFile.str(), "/tmp/photo.png");
  }
}

TEST_F(ChangeHistoryTest, DamagedSectionsAreFaults) {
  TLineCursor tooMany({"CHANGES", "26", "----"});
  EXPECT_FALSE(ReadChangesSection(tooMany));
  EXPECT_TRUE(tooMany.Damaged());
  TLineCursor badTexts({"CHANGES", "0", "----", "a|b|c|d|e|f|9|", "", "", "", ""});
  EXPECT_FALSE(ReadChangesSection(badTexts));
  EXPECT_TRUE(badTexts.Damaged());
  TLineCursor shortFile({"CHANGES", "1", "----", "a"});
  EXPECT_FALSE(ReadChangesSection(shortFile));
  EXPECT_FALSE(shortFile.Damaged());
}

}  // namespace
