#include "cad/draw_table.h"

#include "sheet_test_support.h"

using drawing_test::Count;
using drawing_test::Only;

namespace {

class DrawTableTest : public SheetTest {};

TEST_F(DrawTableTest, HeaderIsABoxWithInnerSeparatorsAndBlankLedTitles) {
  auto lines = Draw(kCadListing, "/drawing.lst", [] {
    auto t = TDrawTable::Init("FRICTION", 10, 100, 2, {7, 6, 6}, {"   min", "max"});
    t->Done();
  });
  const auto es = drawing_test::ParseListing(lines);
  // Rectangle (4 lines) plus the two inner boundaries.
  EXPECT_EQ(Count(es, "LINE"), 6);
  const auto texts = sheet_test::Texts(lines);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, " FRICTION");
  EXPECT_EQ(texts[1].text, "    min");
  EXPECT_EQ(texts[2].text, " max");
  EXPECT_DOUBLE_EQ(texts[0].y, 97);  // 1.5 h below the top
  // Widths count in character widths of 0.9 text heights.
  EXPECT_DOUBLE_EQ(texts[1].x, 10 + 0.9 * 2 * 7);
  EXPECT_DOUBLE_EQ(texts[2].x, 10 + 0.9 * 2 * 13);
}

TEST_F(DrawTableTest, RowsGoDownAndTheOuterEdgesFollowTheFlag) {
  auto lines = Draw(kCadListing, "/drawing.lst", [] {
    auto t = TDrawTable::Init("t", 0, 100, 2, {10, 10});
    t->AddRow({"a", "b"});      // bottom line + 3 verticals
    t->ClearOuterLines();
    t->AddRow({"free text"});   // bottom line + the inner vertical
    t->SetOuterLines();
    t->AddRow({"c", "d"});
    t->Done();
  });
  const auto es = drawing_test::ParseListing(lines);
  EXPECT_EQ(Count(es, "LINE"), 5 + 4 + 2 + 4);
  const auto texts = sheet_test::Texts(lines);
  ASSERT_EQ(texts.size(), 8u);
  EXPECT_EQ(texts[4].text, " free text");
  EXPECT_EQ(texts[5].text, " ");  // an empty cell still writes its blank
  EXPECT_DOUBLE_EQ(texts[2].y, 100 - 3 - 4);
  EXPECT_DOUBLE_EQ(texts[6].y, 100 - 3 - 12);
  // The third data row closes 8 h below the top.
  double lowest = 1e9;
  for (const auto& e : Only(es, "LINE")) lowest = std::min({lowest, e.v[1], e.v[3]});
  EXPECT_DOUBLE_EQ(lowest, 84);
}

TEST_F(DrawTableTest, OneColumnRowsAndAWidthThatDoesNotMoveRight) {
  auto lines = Draw(kCadListing, "/drawing.lst", [] {
    auto t = TDrawTable::Init("M12", 0, 50, 2.5L, {40});
    t->ClearOuterLines();
    t->AddRow({"x"});
    t->SetOuterLines();
    t->AddRow({"y"});
  });
  EXPECT_EQ(Count(drawing_test::ParseListing(lines), "LINE"), 4 + 1 + 3);
  std::unique_ptr<TDrawTable> t;
  lines = Draw(kCadListing, "/drawing.lst", [&] {
    t = TDrawTable::Init("a", 0, 50, 2, {5, 0, 7}, {"b", "c"});
    t->AddRow({std::string(80, 'x') + "cut"});
  });
  EXPECT_EQ(t->Columns(), 1);
  const auto texts = sheet_test::Texts(lines);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].text, " " + std::string(80, 'x'));  // a cell holds 80 characters
}

}  // namespace
