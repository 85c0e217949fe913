#include "cad/draw_table.h"

#include <algorithm>
#include <cmath>

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

// A text longer than its cell is written smaller, on its baseline, and ends
// at the cell's line at the latest; a text that fits keeps the table's height.
// A caption without column titles has the whole header row.
TEST_F(DrawTableTest, EveryTextStaysInsideItsCell) {
  const auto lines = Draw(kCadDxf, "/drawing.dxf", [] {
    auto t = TDrawTable::Init("LOAD (T=20 .. 150 \xF8" "C)", 10, 100, 2.5L, {8, 4, 8});
    t->AddRow({"FA max", "N", "  12345.678"});
    t->AddRow({"FQ", "kN", "0"});
    t->Done();
  });
  const std::vector<double> bounds = {10, 10 + 0.9 * 2.5 * 8, 10 + 0.9 * 2.5 * 12, 10 + 0.9 * 2.5 * 20};
  int texts = 0, smaller = 0;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    if (lines[i] != "  0" || lines[i + 1] != "TEXT") continue;
    double x = 0, height = 0, factor = 0;
    std::string text;
    for (std::size_t j = i + 2; j + 1 < lines.size() && lines[j] != "  0"; j += 2) {
      const int code = std::stoi(lines[j]);
      if (code == 10) x = std::stod(lines[j + 1]);
      if (code == 40) height = std::stod(lines[j + 1]);
      if (code == 41) factor = std::stod(lines[j + 1]);
      if (code == 1) text = lines[j + 1];
    }
    SCOPED_TRACE(text);
    const auto cell = std::find_if(bounds.begin(), bounds.end(), [&](double b) { return std::fabs(b - x) < 1e-6; });
    ASSERT_TRUE(cell != bounds.end() && cell + 1 != bounds.end());
    EXPECT_LE(x + text.size() * height * factor, (++texts == 1 ? bounds.back() : cell[1]) + 1e-5);
    if (height < 2.5 - 1e-9) ++smaller;
    else EXPECT_DOUBLE_EQ(height, 2.5);
  }
  EXPECT_EQ(texts, 3 + 2 * 3);
  EXPECT_EQ(smaller, 1);  // the long value
}

TEST_F(DrawTableTest, RowsGoDownAndTheOuterEdgesFollowTheFlag) {
  auto lines = Draw(kCadListing, "/drawing.lst", [] {
    auto t = TDrawTable::Init("t", 0, 100, 2, {10, 10});  // a caption: no inner vertical
    t->AddRow({"a", "b"});      // bottom line + 3 verticals
    t->ClearOuterLines();
    t->AddRow({"free text"});   // bottom line + the inner vertical
    t->SetOuterLines();
    t->AddRow({"c", "d"});
    t->Done();
  });
  const auto es = drawing_test::ParseListing(lines);
  EXPECT_EQ(Count(es, "LINE"), 4 + 4 + 2 + 4);
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
