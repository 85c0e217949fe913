#include "cad/title_block.h"

#include "framework/change_history.h"
#include "framework/drawing_info.h"
#include "framework/drawing.h"
#include "framework/file_utils.h"
#include "framework/text_utils.h"
#include "sheet_test_support.h"

using sheet_test::HasText;
using sheet_test::PlacedText;

namespace {

class TitleBlockTest : public SheetTest {
 protected:
  std::vector<PlacedText> Block() {
    return ListedTexts([] { DrawTitleBlock("JOINT M12", "flange to housing", "BQ4-0001-A"); });
  }
  // Texts of the revision table's index column.
  static std::vector<PlacedText> IndexColumn(const std::vector<PlacedText>& texts) {
    std::vector<PlacedText> out;
    for (const auto& t : texts)
      if (t.x == 21) out.push_back(t);
    return out;
  }
  static void AddChanges(int n) {
    ChangeCount = static_cast<Word>(n);
    for (int i = 1; i <= n; ++i) {
      Changes[i].Change = "change " + std::to_string(i);
      Changes[i].Date = "01.02.2026";
      Changes[i].Editor = "JB";
    }
  }
};

TEST_F(TitleBlockTest, SheetFlagsSuppressPathAndDateAndAbortDrawsNothing) {
  CadState.CadNoFilePath = 1;
  CadState.CadNoDateTime = 1;
  for (const auto& x : Block()) EXPECT_NE(x.y, 1) << x.text;
  // The ruled lines are pinned by the golden file and the empty table below.
  const auto es = Listing([] { AbortFlag = 1; DrawTitleBlock("x", "y", "z"); AbortFlag = 0; });
  EXPECT_TRUE(es.empty());
}

TEST_F(TitleBlockTest, TheLastEightChangesWithLetterOrNumberIndexes) {
  AddChanges(10);
  auto idx = IndexColumn(Block());
  ASSERT_EQ(idx.size(), 8u);
  for (int k = 1; k <= 8; ++k) {
    EXPECT_EQ(idx[k - 1].text, std::string(1, static_cast<char>('a' + k + 1)));
    if (k > 1) {
      EXPECT_GT(idx[k - 1].y, idx[k - 2].y);  // the newest on top
    }
  }
  CadState.CadRevisionIndexStyle = 1;
  idx = IndexColumn(Block());
  ASSERT_EQ(idx.size(), 8u);
  EXPECT_EQ(idx.front().text, "3");
  EXPECT_EQ(idx.back().text, "10");
  CadState.CadRevisionIndexStyle = 2;
  EXPECT_EQ(IndexColumn(Block()).front().text, "C");
  CadState.CadRevisionIndexStyle = 7;
  EXPECT_TRUE(IndexColumn(Block()).empty());
  EXPECT_TRUE(HasText(Block(), "change 10"));
  EXPECT_FALSE(HasText(Block(), "change 2"));
}

// The golden file below holds the fields, labels and places of a full block.
TEST_F(TitleBlockTest, NoChangesLeaveTheRevisionTableEmptyAndTheSuccessorIsNoted) {
  auto t = Block();
  EXPECT_TRUE(IndexColumn(t).empty());
  // No replacement texts: not even their labels.
  for (const auto& x : t) EXPECT_EQ(x.text.find("Replace"), std::string::npos) << x.text;
  // The empty table is still ruled: eight revision rows and four approval rows.
  const auto es = Listing([] { DrawTitleBlock("", "", ""); });
  EXPECT_EQ(drawing_test::Count(es, "LINE"), 4 + 1 + 4 + 4 + 8 + 4 + 9);
  // The golden file holds a replacement-for note and a placed text.
  ReplacedBy = "BQ4-0002";
  DrawingTextCount = 1;
  DrawingTexts[1] = {30, 190, 0, 0, "zero height"};
  t = Block();
  EXPECT_TRUE(HasText(t, "Replaced by BQ4-0002"));
  EXPECT_FALSE(HasText(t, "zero height"));
}

TEST_F(TitleBlockTest, LogoOnlyOnTheScreenWithItsBlockFile) {
  const std::string logo = Dir() + "/$logo_1.dx$";
  auto writeLogo = [&] {
    std::ofstream(logo) << "  0\r\nLINE\r\n 10\r\n0\r\n 20\r\n0\r\n 11\r\n10\r\n 21\r\n0\r\n  0\r\nEOF\r\n";
  };
  writeLogo();
  auto lines = Draw(kCadListing, "/drawing.lst", [] { DrawTitleBlock("", "", ""); });
  for (const auto& l : lines) EXPECT_NE(l.rfind("INSERT", 0), 0u) << l;

  auto screenRecords = [&] {
    CreateDisplayList()->clear();
    Draw(kCadScreen, "", [] { DrawTitleBlock("", "", ""); });
    return CreateDisplayList()->size();
  };
  const std::size_t with = screenRecords();
  const std::size_t without = screenRecords();  // the screen's close deleted the block file
  EXPECT_FALSE(Exists(logo));
  EXPECT_GT(with, without);
  writeLogo();
  CadState.CadNoLogo = 1;
  EXPECT_EQ(screenRecords(), without);
}

// Each text of the title block ends before the line that ends its cell,
// also at the longest its field holds in wide letters: narrower letters
// where it would not fit. The path ends before the date; the approval
// labels end before the line at x 82.
TEST_F(TitleBlockTest, LongTextsEndInTheirCells) {
  AddChanges(2);
  Changes[1].Change = std::string(20, 'W');
  Changes[1].Date = "31.12.2026";
  Changes[1].Editor = "WWWWW";
  ComplDate = "14.03.2026";
  ComplName = std::string(10, 'W');
  ReplacementFor = std::string(30, 'W');
  ReplacedBy = std::string(30, 'W');
  CadState.CadApprovalLabel4 = "Released";
  CurrentFileName = Dir() + "/" + std::string(200, 'w');
  // Where each text starts (x, and y where x is shared), and the line that ends its cell.
  const struct {
    double x, y, right;
  } cells[] = {{21, -1, 26},  {27, -1, 52},   {52.5, -1, 65},  {66, -1, 73},   {74, -1, 82},
               {83.5, -1, 98}, {100, -1, 116}, {118, -1, 160},  {162, -1, 205}, {120, 32.5, 205},
               {120, 25, 205}, {120, 12, 192}, {18, 1, 186},    {186, 1, 210}};
  for (const std::string& name : {std::string("Flanschverbindung Groesse"), std::string(25, 'W')}) {
    SCOPED_TRACE(name);
    // The drawing is written beside the project.
    const auto texts = drawing_test::DxfTexts(Draw(kCadDxf, "/" + std::string(200, 'w') + ".dxf", [&] {
      DrawTitleBlock(name, std::string(30, 'W'), std::string(18, 'W'));
    }));
    int checked = 0;
    for (const auto& t : texts)
      for (const auto& c : cells)
        if (t.x == c.x && (c.y < 0 || std::fabs(t.y - c.y) < 1e-9)) {
          ++checked;
          EXPECT_LT(t.End(), c.right) << t.text << " at " << t.x << " " << t.y;
          if (t.text.find("WWWWW") != std::string::npos && t.height == 5) {
            EXPECT_GT(t.End(), c.right - 1) << t.text << ": narrowed only to fill its cell";
            EXPECT_DOUBLE_EQ(t.height, 5) << t.text << ": as high as ever";
          }
        }
    EXPECT_GE(checked, 17);  // the four approval labels among them
  }
}

// The whole title block as a listing, with the clock pinned and a fixed
// project path: changed only on purpose.
TEST_F(TitleBlockTest, ListingMatchesItsGoldenFile) {
  AddChanges(3);
  ComplDate = "14.03.2026";
  ComplName = "Baker";
  StandDate = "";  // the start values hold the real date
  CheckDate = "15.03.2026";
  CheckName = "Lee";
  ReplacementFor = "BQ4-099";
  DrawingTextCount = 1;
  DrawingTexts[1] = {25, 250, 2.5L, 90, "turned note"};
  CadState.CadApprovalLabel4 = "Release";
  Draw(kCadListing, "/drawing.lst", [] {
    const std::string kept = CurrentFileName;
    CurrentFileName = "/projects/flange/joint";
    DrawTitleBlock("BOLTED JOINT M12", "housing cover", "BQ4-100-01");
    CurrentFileName = kept;
  });
  ExpectGolden(Dir() + "/drawing.lst", "title_block.txt");
}

}  // namespace
