#include "cad/text_keep_out.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cad/cad_output.h"
#include "cad_test_support.h"
#include "drawing_test_support.h"
#include "framework/display_list.h"

namespace {

using Pieces = std::vector<std::array<Extended, 4>>;

void ExpectPieces(const Pieces& got, const Pieces& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i)
    for (int k = 0; k < 4; ++k)
      EXPECT_NEAR(static_cast<double>(got[i][k]), static_cast<double>(want[i][k]), 1e-9) << i << " " << k;
}

// "AB" of height 2 and width ratio 1 at (10, 10) covers x 9.7 .. 14.3 and
// y 9.4 .. 12.3 (descenders, accents and the pen around its letters).
TEST(TextKeepOut, SegmentsLeaveOutTheBoxesOfTexts) {
  const TTextBox ab = TextBoxOf("AB", 10, 10, 2, 1, 0);
  struct Row {
    const char* what;
    std::array<Extended, 4> segment;
    std::vector<TTextBox> boxes;
    Pieces want;
  };
  const Row rows[] = {
      {"through the middle", {0, 11, 20, 11}, {ab}, {{0, 11, 9.7L, 11}, {14.3L, 11, 20, 11}}},
      {"drawn the other way", {20, 11, 0, 11}, {ab}, {{20, 11, 14.3L, 11}, {9.7L, 11, 0, 11}}},
      {"along the baseline", {0, 10, 20, 10}, {ab}, {{0, 10, 9.7L, 10}, {14.3L, 10, 20, 10}}},
      {"clear below the descenders", {0, 9.3L, 20, 9.3L}, {ab}, {{0, 9.3L, 20, 9.3L}}},
      {"ending inside", {12, 0, 12, 11}, {ab}, {{12, 0, 12, 9.4L}}},
      {"wholly inside", {11, 11, 13, 11}, {ab}, {}},
      {"leading and trailing blanks cover nothing", {8, 0, 8, 20}, {TextBoxOf("  AB  ", 5, 10, 2, 1, 0)},
       {{8, 0, 8, 20}}},
      {"blanks only", {0, 11, 20, 11}, {TextBoxOf("   ", 10, 10, 2, 1, 0)}, {{0, 11, 20, 11}}},
      {"upright text across a level line", {0, 5, 20, 5}, {TextBoxOf("AB", 10, 4, 2, 1, 90)},
       {{0, 5, 7.7L, 5}, {10.6L, 5, 20, 5}}},
      {"two texts, overlapping", {0, 11, 30, 11}, {TextBoxOf("AB", 20, 10, 2, 1, 0), ab, TextBoxOf("A", 13, 10, 2, 1, 0)},
       {{0, 11, 9.7L, 11}, {15.3L, 11, 19.7L, 11}, {24.3L, 11, 30, 11}}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const auto& s = r.segment;
    ExpectPieces(SegmentOutsideBoxes(s[0], s[1], s[2], s[3], r.boxes), r.want);
  }
}

// Random segments around scattered, turned texts: what is kept lies outside
// every box, what is left out lies inside one, and the quick answer for
// segments far from every text gives the segment back whole.
TEST(TextKeepOut, RandomSegmentsAgainstPointsInBoxes) {
  std::vector<TTextBox> boxes;
  for (int i = 0; i < 12; ++i)
    boxes.push_back(TextBoxOf("Text " + std::to_string(i), 25.0L * (i % 4), 25.0L * (i / 4), 1.5L + i % 3,
                              0.8L, 30.0L * i));
  boxes.push_back(TextBoxOf("   ", 50, 50, 2, 1, 0));
  auto inBox = [&](Extended px, Extended py) {
    for (const TTextBox& b : boxes) {
      const Extended u = (px - b.x) * b.cosA + (py - b.y) * b.sinA;
      const Extended v = -(px - b.x) * b.sinA + (py - b.y) * b.cosA;
      if (u > b.u1 && u < b.u2 && v > b.v1 && v < b.v2) return true;
    }
    return false;
  };
  const TTextBoxIndex index = IndexOfBoxes(boxes);
  unsigned state = 12345;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return static_cast<Extended>((state >> 8) % 120000) / 1000.0L - 20;  // -20 .. 100
  };
  int clear = 0, cut = 0;
  for (int i = 0; i < 20000; ++i) {
    const Extended x1 = next(), y1 = next();
    const Extended len = i % 2 ? 0.5L : 40;  // short ones miss most boxes
    const Extended x2 = x1 + len * (next() / 100), y2 = y1 + len * (next() / 100);
    SCOPED_TRACE(i);
    const Pieces pieces = SegmentOutsideBoxes(x1, y1, x2, y2, boxes);
    auto along = [&](Extended t) { return std::array<Extended, 2>{x1 + t * (x2 - x1), y1 + t * (y2 - y1)}; };
    auto tOf = [&](Extended x, Extended y) {
      return std::fabs(x2 - x1) > std::fabs(y2 - y1) ? (x - x1) / (x2 - x1) : (y - y1) / (y2 - y1);
    };
    Extended t = 0;
    for (const auto& p : pieces) {
      const Extended a = tOf(p[0], p[1]), b = tOf(p[2], p[3]);
      const auto mid = along((a + b) / 2);
      ASSERT_FALSE(inBox(mid[0], mid[1])) << "a kept piece runs through a text";
      if (a - t > 1e-6L) {
        const auto gap = along((t + a) / 2);
        ASSERT_TRUE(inBox(gap[0], gap[1])) << "a piece outside every text was left out";
      }
      t = b;
    }
    if (pieces.size() != 1 || t < 1) ++cut;
    if (!SegmentClearOfBoxes(x1, y1, x2, y2, index)) continue;
    ++clear;
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_TRUE(pieces[0] == (std::array<Extended, 4>{x1, y1, x2, y2}));
  }
  EXPECT_GT(clear, 1000);
  EXPECT_GT(cut, 500);
  // Too short to draw: left to the exact path, which drops it.
  EXPECT_FALSE(SegmentClearOfBoxes(100, 100, 100, 100 + 1e-7L, index));
}

// The index answers as reading every box's bounds would: for short and
// long, level, upright and slanted segments inside and outside the texts'
// reach, with boxes of every size and turn, an empty one, and one whose
// bounds are not finite.
TEST(TextKeepOut, IndexAnswersAsReadingEveryBox) {
  std::vector<TTextBox> boxes;
  for (int i = 0; i < 150; ++i)
    boxes.push_back(TextBoxOf(std::string(1 + i % 9, 'W'), 7.0L * (i % 15), 6.5L * (i / 15), 0.5L + i % 4,
                              0.7L, i % 5 == 0 ? 90 : 15.0L * (i % 3)));
  boxes.push_back(TextBoxOf("   ", 50, 50, 2, 1, 0));
  auto withOdd = boxes;
  withOdd.push_back(TextBoxOf("far", HUGE_VALL, 20, 2, 1, 0));
  unsigned state = 777;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return static_cast<Extended>((state >> 8) % 140000) / 1000.0L - 20;  // -20 .. 120
  };
  for (const auto* set : {&boxes, &withOdd}) {
    const TTextBoxIndex index = IndexOfBoxes(*set);
    const TTextBox together = BoundsOfBoxes(*set);
    int clear = 0, met = 0;
    for (int i = 0; i < 20000; ++i) {
      const Extended x1 = next(), y1 = next();
      const Extended len = i % 3 == 0 ? 0.3L : i % 3 == 1 ? 8 : 150;
      Extended x2 = x1 + len * (next() / 100), y2 = y1 + len * (next() / 100);
      if (i % 7 == 0) y2 = y1;
      if (i % 11 == 0) x2 = x1;
      const Extended loX = std::min(x1, x2), hiX = std::max(x1, x2), loY = std::min(y1, y2),
                     hiY = std::max(y1, y2);
      auto beyond = [&](const TTextBox& b) { return hiX < b.minX || loX > b.maxX || hiY < b.minY || loY > b.maxY; };
      // Beyond all boxes together (a box whose bounds are no numbers
      // counts only there), or beyond each of them.
      bool want = beyond(together);
      if (!want) {
        want = true;
        for (const TTextBox& b : *set)
          if (b.u2 > b.u1 && !beyond(b)) want = false;
      }
      want = want && std::max(std::fabs(x2 - x1), std::fabs(y2 - y1)) > 1e-6L;
      SCOPED_TRACE(i);
      ASSERT_EQ(SegmentClearOfBoxes(x1, y1, x2, y2, index), want);
      (want ? clear : met)++;
    }
    EXPECT_GT(clear, 1000);
    EXPECT_GT(met, 1000);
  }
  // Boxes that cover nothing keep no segment off.
  EXPECT_TRUE(SegmentClearOfBoxes(0, 0, 10, 10, IndexOfBoxes({TextBoxOf(" ", 0, 0, 1, 1, 0)})));
}

class TextKeepOutTest : public CadTest {
 protected:
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

// Held back and sent at the end, a drawing in which no line meets a text
// comes out byte for byte as drawn directly, on every device: the order,
// the layers, colours and text styles all stay.
TEST_F(TextKeepOutTest, HeldDrawingComesOutAsDrawnDirectly) {
  for (TCadDevice device : {kCadDxf, kCadIges, kCadListing}) {
    SCOPED_TRACE(device);
    const std::string file = CadBatchFileName(device);
    // Each run starts in the state the one before left: held, then direct.
    DrawSample(device);
    DrawSample(device, true);
    const std::string held = Slurp(file);
    DrawSample(device);
    EXPECT_EQ(held, Slurp(file));
  }
  DrawSample(kCadScreen);
  DrawSample(kCadScreen, true);
  const auto held = *CreateDisplayList();
  EXPECT_GT(held.size(), 10u);
  DrawSample(kCadScreen);
  EXPECT_EQ(held, *CreateDisplayList());
}

// Held lines that share their state keep it whole: a state changed behind
// the setters' back (a layer name, a pen, a layer written straight away)
// reaches the lines after it, and a block replayed between two lines of one
// state does not leak its colours into the second. Held and direct output
// agree on every device.
TEST_F(TextKeepOutTest, HeldLinesKeepTheirOwnState) {
  auto draw = [](TCadDevice device, bool keepOut) {
    CadOpen(device, "");
    ASSERT_EQ(AbortFlag, 0);
    CadBeginDrawing(0, 0, 160, 120);
    CadWriteTables(0);
    CadBeginBlocks();
    CadBeginBlock("MARK");
    CadSetColor(4);
    CadLine(0, 0, 5, 5);
    CadSetColor(17);
    CadCircle(0, 0, 2);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    const TCadState kept = CadState;
    if (keepOut) CadBeginTextKeepOut();
    CadSetColor(1);
    CadMoveTo(10, 10);
    CadLineTo(20, 10);  // only the current point moves between these
    CadLineTo(20, 20);
    CadState.CadLayer = "EDGE";  // straight to the state
    CadLine(30, 30, 40, 30);
    CadState.CadLayerWidths[2] = 7;
    CadState.CadLayerColors[2] = 12;
    CadSetColor(2);
    CadLine(30, 40, 40, 40);
    CadInsertBlock("MARK", 60, 60, 0, 1, 1);
    CadLine(30, 50, 40, 50);  // the state of the line before the insert
    CadState.CadDecimals = 3;  // straight to the state: the numbers of the next line
    CadLine(30, 60, 40, 60.12345L);
    CadState.CadLayer = "EDGF";  // a name of the same length
    CadLine(30, 70, 40, 70);
    CadSetTextStyle(2, 0, 3, 3);
    CadText("T", 100, 100);
    CadLine(90, 90, 110, 90);  // below the text
    if (keepOut) CadEndTextKeepOut();
    CadEndSection();
    CadClose(0);
    CadState.CadLayerWidths = kept.CadLayerWidths;
    CadState.CadLayerColors = kept.CadLayerColors;
    CadState.CadDecimals = kept.CadDecimals;
  };
  for (TCadDevice device : {kCadDxf, kCadIges, kCadListing}) {
    SCOPED_TRACE(device);
    const std::string file = CadBatchFileName(device);
    // Each run starts in the state the one before left: held, then direct.
    draw(device, false);
    draw(device, true);
    const std::string held = Slurp(file);
    draw(device, false);
    EXPECT_EQ(held, Slurp(file));
    if (device == kCadDxf) {
      EXPECT_NE(held.find("EDGE"), std::string::npos);
      EXPECT_NE(held.find("EDGF"), std::string::npos);
      const std::size_t at = held.find("\n60.123");
      ASSERT_NE(at, std::string::npos);
      EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(held[at + 7])));
    }
  }
  draw(kCadScreen, false);
  draw(kCadScreen, true);
  const auto held = *CreateDisplayList();
  draw(kCadScreen, false);
  EXPECT_EQ(held, *CreateDisplayList());
}

// A line leaves a gap at a text drawn before it and at one drawn after it,
// each piece on its own layer; a nested pair sends only at the outer end.
TEST_F(TextKeepOutTest, LinesAreCutAtTextsDrawnBeforeAndAfterThem) {
  StartDrawing(kCadDxf);
  CadBeginEntities();
  CadState.CadTextWidthSetting = 1;
  CadSetTextStyle(2, 0, 2, 2);
  CadBeginTextKeepOut();
  CadSetColor(1);
  CadText("AB", 10, 10);
  CadBeginTextKeepOut();
  CadSetColor(2);
  CadLine(0, 11, 50, 11);
  CadEndTextKeepOut();
  CadLine(0, 20, 50, 20);  // meets no text
  CadSetColor(3);
  CadText("CD", 30, 10);
  CadEndTextKeepOut();
  CadEndSection();
  CadClose(0);
  const auto es = drawing_test::ParseDxf(ReadLines(DxfFile()));
  std::vector<std::vector<double>> lines;
  for (const auto& e : es) {
    if (e.kind != "LINE") continue;
    EXPECT_EQ(e.layer, CadState.CadLayerNames[2].str());  // colour 2's layer, not the texts' colours
    lines.push_back(e.v);
  }
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NEAR(lines[0][2], 9.7, 1e-6);
  EXPECT_NEAR(lines[1][0], 14.3, 1e-6);
  EXPECT_NEAR(lines[1][2], 29.7, 1e-6);
  EXPECT_NEAR(lines[2][0], 34.3, 1e-6);
  EXPECT_EQ(lines[3], (std::vector<double>{0, 20, 50, 20}));
  EXPECT_EQ(drawing_test::Count(es, "TEXT"), 2);
  EXPECT_EQ(es.back().kind, "TEXT");  // the order as drawn: the second text after the line
}

// Between a pair, a text asks whether its letters would stand clear of the
// texts and filled areas drawn since the pair began: beside, above, turned,
// narrowed and against an arrowhead; outside a pair it always is. The
// highest top below a level is what stands there in the given columns.
TEST_F(TextKeepOutTest, TextsFindWhetherTheyStandClearOfEarlierTexts) {
  StartDrawing(kCadDxf);
  CadBeginEntities();
  CadState.CadTextWidthSetting = 1;
  CadSetTextStyle(2, 0, 2, 2);
  EXPECT_TRUE(CadTextClear("CD", 10, 10));
  CadBeginTextKeepOut();
  CadText("AB", 10, 10);  // its room: 10 .. 14, from 9.4 below its descenders up to 12.3
  EXPECT_FALSE(CadTextClear("CD", 10, 10));
  EXPECT_TRUE(CadTextClear("CD", 14.1, 10));
  EXPECT_FALSE(CadTextClear("CD", 13.9, 10));
  EXPECT_FALSE(CadTextClear("  CD", 10.1, 10)) << "blanks take room too";
  EXPECT_FALSE(CadTextClear("  CD", 6, 10));
  EXPECT_TRUE(CadTextClear("  CD", 5.9, 10, 4)) << "narrowed into 4 mm, it ends at 9.9";
  EXPECT_TRUE(CadTextClear("CD", 10, 13));
  EXPECT_FALSE(CadTextClear("CD", 10, 12.8)) << "descenders";
  CadSetTextAlign(2, 0);
  EXPECT_TRUE(CadTextClear("CD", 9.9, 10)) << "right-aligned, ending before the first";
  CadSetTextAlign(0, 0);
  CadSetTextStyle(2, 90, 2, 2);  // upwards, the letters to the left of the baseline
  EXPECT_TRUE(CadTextClear("CD", 15.9, 5));
  EXPECT_FALSE(CadTextClear("CD", 15.9, 7));
  EXPECT_TRUE(CadTextClear("CD", 16.4, 7));
  CadSolid(20, 20, 24, 21, 24, 19, 20, 20);
  CadSetTextStyle(2, 0, 2, 2);
  EXPECT_FALSE(CadTextClear("A", 22, 19.5));
  EXPECT_TRUE(CadTextClear("A", 22, 21.7));
  EXPECT_DOUBLE_EQ(CadHeldTopBelow(0, 15, 30), 12.3);
  EXPECT_DOUBLE_EQ(CadHeldTopBelow(0, 50, 30), 21);
  EXPECT_EQ(CadHeldTopBelow(30, 50, 30), -HUGE_VALL);
  EXPECT_EQ(CadHeldTopBelow(0, 50, 11), -HUGE_VALL) << "only what ends below the level";
  CadEndTextKeepOut();
  EXPECT_TRUE(CadTextClear("CD", 10, 10)) << "the pair's end forgets its texts";
  CadEndSection();
  CadClose(0);
}

}  // namespace
