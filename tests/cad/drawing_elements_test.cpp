#include "cad/drawing_elements.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cad/hatching.h"
#include "calc/joint_records.h"
#include "drawing_test_support.h"

namespace {

using drawing_test::Count;
using drawing_test::Entity;
using drawing_test::Only;

class DrawingElementsTest : public DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    InitCalcRecords();
  }
};

TEST_F(DrawingElementsTest, FreehandLinesHaveSevenPointsAndRepeatWithTheSameSeed) {
  const auto lines = Listing([] {
    HatchBegin();
    FreehandLine(true, 0, 0, 60, 0, 1);
  });
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(HatchCount, 7);
  EXPECT_EQ(lines.front().v[0], 0);
  EXPECT_EQ(lines.back().v[2], 60);
  EXPECT_EQ(lines.back().v[3], 0);
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(lines[i].v[2], 10.0 * (i + 1), 1e-6);  // evenly along the line
    EXPECT_LT(std::fabs(lines[i].v[3]), 2.0);
  }
  // A zero-length line still draws its seven points, displaced sideways.
  const auto zero = Listing([] { FreehandLine(false, 5, 5, 5, 5, 1); });
  ASSERT_EQ(zero.size(), 6u);
  for (const auto& l : zero) EXPECT_NEAR(l.v[3], 5, 1e-9);
  auto draw = [this] { return Listing([] { DrawBreakOutRect(0, 0, 30, 30); }); };
  SeedFreehandLine(7);
  const auto first = draw();
  const auto second = draw();
  SeedFreehandLine(7);
  const auto again = draw();
  ASSERT_EQ(first.size(), 24u);
  bool differs = false;
  for (std::size_t i = 0; i < first.size(); ++i) {
    differs |= first[i].v != second[i].v;
    EXPECT_EQ(first[i].v, again[i].v);
  }
  EXPECT_TRUE(differs);
}

TEST_F(DrawingElementsTest, ElementsRestoreTheColourAndAPlateOfSixThreadDiametersIsCutAtThreeBores) {
  const auto es = Dxf([] {
    CadSetColor(2);
    DrawCentreLine(0, 0, 0, 10);
    DrawCentreCross(5, 5, 3);
    DrawHexEndView(0, 0, 10);
    // A degenerate rectangle has amplitude 0: straight break lines.
    DrawBreakOutRect(0, 0, 0, 20);
    CadLine(1, 1, 2, 2);
  });
  EXPECT_EQ(Count(es, "LINE", "1"), 3);
  EXPECT_EQ(Count(es, "CIRCLE", "5"), 1);
  // The zero-length halves are left out, and each of the straight break lines is written once.
  EXPECT_EQ(Count(es, "LINE", "3"), 6);
  for (const auto& e : es)
    if (e.kind == "LINE" && e.layer == "3") {
      EXPECT_EQ(e.v[0], 0);
      EXPECT_EQ(e.v[2], 0);
    }
  EXPECT_EQ(es.back().layer, "2");
  Gewinde.d = 12;
  auto outer = [this](Extended De) {
    const auto es = Dxf([De] { DrawPlateSection(2, 0, 0, 13, 20, De, 45); });
    double reach = 0;
    for (const auto& e : es)
      if (e.kind == "LINE") reach = std::fmax(reach, std::fmax(std::fabs(e.v[0]), std::fabs(e.v[2])));
    return std::make_pair(reach, Count(es, "LINE", "5"));
  };
  const auto narrow = outer(71.9L);
  EXPECT_NEAR(narrow.first, 71.9 / 2, 1e-6);
  const auto wide = outer(72);
  // The break line runs along x = 3 Di with displacements below 2 Di/6.
  EXPECT_GT(wide.first, 39 - 1e-6);
  EXPECT_LT(wide.first, 39 + 2 * 13.0 / 6);
  EXPECT_EQ(wide.second, narrow.second - 2);  // the outer edges are thin break lines
}

TEST_F(DrawingElementsTest, SteppedSectionFollowsTheDrillPointUnlessModeOne) {
  auto lowest = [this](Word mode) {
    const auto es = Listing([mode] { DrawSteppedSection(mode, 0, 0, 12, 50, 1.75L, 20, 15, 25, 48, 45); });
    double y = 0;
    for (const auto& e : es) y = std::fmin(y, std::fmin(e.v[1], e.v[3]));
    return y;
  };
  // Mode 2 ignores the depth: the break lines end below the thread, above the depth.
  EXPECT_LT(lowest(2), -25);
  EXPECT_GT(lowest(2), -50);
  // Mode 1 ends at the depth with a straight bottom.
  const auto es = Listing([] { DrawSteppedSection(1, 0, 0, 12, 50, 1.75L, 20, 15, 25, 48, 45); });
  int bottom = 0;
  for (const auto& e : es)
    if (e.v[1] == -50 && e.v[3] == -50 && std::fabs(e.v[2] - e.v[0]) > 40) ++bottom;
  EXPECT_EQ(bottom, 1);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CalcMessages.count, 0);
}

}  // namespace
