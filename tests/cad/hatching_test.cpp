#include "cad/hatching.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>

#include "drawing_test_support.h"
#include "framework/math_utils.h"

namespace {

using drawing_test::Count;
using drawing_test::Entity;
using drawing_test::Only;

class HatchingTest : public DrawingTest {
 protected:
  static void Polygon(std::initializer_list<std::pair<double, double>> points) {
    HatchBegin();
    for (const auto& p : points) HatchAddPoint(p.first, p.second);
  }
  // The lines the body draws into a listing.
  std::vector<Entity> Lines(const std::function<void()>& body) { return Only(Listing(body), "LINE"); }
};

// Perpendicular distance between two parallel lines given as LINE entities.
double LineDistance(const Entity& a, const Entity& b) {
  const double dx = a.v[2] - a.v[0], dy = a.v[3] - a.v[1];
  const double len = std::hypot(dx, dy);
  return std::fabs((b.v[0] - a.v[0]) * dy - (b.v[1] - a.v[1]) * dx) / len;
}

TEST_F(HatchingTest, RectangleWithSpacingZeroTakesAFifthOfTheLongerSide) {
  SetHatchMode(2);
  HatchCount = 7;
  const auto lines = Lines([] { HatchRectangle(0, 0, 10, 20, 0, 45); });
  EXPECT_EQ(HatchCount, 7);  // a rectangle leaves the count alone
  ASSERT_EQ(lines.size(), 5u);  // hatch lines only in mode 2
  for (const auto& l : lines) {
    EXPECT_NEAR((l.v[3] - l.v[1]) / (l.v[2] - l.v[0]), 1.0, 1e-5);
    for (int i = 0; i < 4; i += 2) {
      EXPECT_GE(l.v[i], -1e-6);
      EXPECT_LE(l.v[i], 10 + 1e-6);
    }
  }
  for (std::size_t i = 1; i < lines.size(); ++i)
    EXPECT_NEAR(LineDistance(lines[i - 1], lines[i]), 4.0, 1e-5);
}

TEST_F(HatchingTest, OutlineIsClosedOnceAndDrawnUnlessModeTwo) {
  SetHatchMode(0);
  // A triangle given with its first vertex repeated is not closed a second time.
  auto es = Listing([] {
    Polygon({{0, 0}, {20, 0}, {0, 20}, {0, 0}});
    HatchPolygon(0, 0, 0);  // angle 0: outline only
  });
  EXPECT_EQ(Count(es, "LINE"), 3);
  es = Listing([] {
    Polygon({{0, 0}, {20, 0}, {0, 20}});
    HatchPolygon(0, 5, 0);
  });
  EXPECT_EQ(Count(es, "LINE"), 3);

  SetHatchMode(1);
  const auto dxf = Dxf([] {
    Polygon({{0, 0}, {20, 0}, {20, 20}, {0, 20}});
    HatchPolygon(0, 5, 45);
  });
  EXPECT_EQ(Count(dxf, "POLYLINE", "5"), 1);  // outline in visible-edge colour
  EXPECT_GT(Count(dxf, "LINE", "3"), 3);       // hatch lines thin
  EXPECT_EQ(Count(dxf, "LINE", "5"), 0);
}

TEST_F(HatchingTest, ConcavePolygonGetsTwoSegmentsPerLine) {
  SetHatchMode(2);
  // A U: two legs 0..10 and 20..30 wide joined at the bottom 0..5.
  const auto lines = Lines([] {
    Polygon({{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 5}, {10, 5}, {10, 30}, {0, 30}});
    HatchPolygon(0, 2, 45);
  });
  ASSERT_FALSE(lines.empty());
  // No hatch segment may cross the gap between the legs above the bottom.
  for (const auto& l : lines) {
    const double ymid = (l.v[1] + l.v[3]) / 2, xmid = (l.v[0] + l.v[2]) / 2;
    EXPECT_FALSE(xmid > 10.001 && xmid < 19.999 && ymid > 5.001) << l.v[0] << "," << l.v[1];
  }
  // Lines that cross both legs draw two segments on the same intercept y - x.
  std::map<long, int> perLine;
  for (const auto& l : lines) ++perLine[std::lround((l.v[1] - l.v[0]) * 1000)];
  int doubled = 0;
  for (const auto& [c, n] : perLine) {
    EXPECT_LE(n, 2);
    doubled += n == 2;
  }
  EXPECT_GE(doubled, 3);
}

TEST_F(HatchingTest, MoreThanTenCrossingsOnALineAbortsTheHatch) {
  SetHatchMode(2);
  // A comb with six teeth: a horizontal-ish line meets twelve edges.
  Listing([] {
    HatchBegin();
    HatchAddPoint(0, 0);
    for (int t = 0; t < 6; ++t) {
      HatchAddPoint(10.0 * t + 5, 0);
      HatchAddPoint(10.0 * t + 5, 20);
      HatchAddPoint(10.0 * t + 10, 20);
      HatchAddPoint(10.0 * t + 10, 0);
    }
    HatchAddPoint(70, 0);
    HatchAddPoint(70, -5);
    HatchAddPoint(0, -5);
    HatchPolygon(0, 1, 1);
    EXPECT_EQ(AbortFlag, 1);
    AbortFlag = 0;  // the listing is closed normally
  });
  EXPECT_TRUE(HasMessage("Fatal  : schraff schnittp"));
}

TEST_F(HatchingTest, FiftyOneVerticesAreRefusedAndFiftyAreClosedInTheSpareEntry) {
  SetHatchMode(0);
  const auto es = Listing([] {
    HatchBegin();
    for (int i = 0; i < 51; ++i) HatchAddPoint(std::cos(i * 0.1) * 10, std::sin(i * 0.1) * 10);
    HatchPolygon(0, 1, 45);
  });
  EXPECT_EQ(HatchCount, 51);
  EXPECT_TRUE(HasMessage("Schraffurfehler"));
  EXPECT_TRUE(HasMessage("Fatal  : n schraff !"));
  EXPECT_EQ(Count(es, "LINE"), 0);
  EXPECT_EQ(AbortFlag, 0);  // the drawing goes on
  // Fifty open vertices are closed in the spare entry.
  const auto open = Listing([] {
    HatchBegin();
    for (int i = 0; i < 50; ++i) HatchAddPoint(std::cos(i * 0.12) * 10, std::sin(i * 0.12) * 10);
    HatchPolygon(0, 0, 0);
  });
  EXPECT_EQ(Count(open, "LINE"), 50);  // 49 edges plus the closing one
}

TEST_F(HatchingTest, VertexTouchParallelEdgesAnglesBeyondNinetyAndFlatPolygons) {
  SetHatchMode(2);
  // A diamond at 45 degrees: two of its edges run along the hatch lines; the
  // lines of intercept -10 and 10 lie on them and cross nothing.
  auto lines = Lines([] {
    Polygon({{10, 0}, {20, 10}, {10, 20}, {0, 10}});
    HatchPolygon(0, std::sqrt(2.0L) * 5, 45);
  });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NEAR(lines[0].v[1] - lines[0].v[0], 0, 1e-5);
  lines = Lines([] { HatchRectangle(0, 0, 10, 10, 2, 135); });
  EXPECT_GT(lines.size(), 3u);
  for (const auto& l : lines) EXPECT_NEAR((l.v[3] - l.v[1]) / (l.v[2] - l.v[0]), -1.0, 1e-5);
  // Every vertex the same point: nothing to hatch, and no endless loop.
  lines = Lines([] {
    Polygon({{5, 5}, {5, 5}, {5, 5}});
    HatchPolygon(0, 0, 45);
    HatchPolygon(0, -3, 45);
  });
  EXPECT_TRUE(lines.empty());
  // A spacing far too fine for the polygon is widened rather than run for hours.
  lines = Lines([] { HatchRectangle(0, 0, 10, 10, 1e-12L, 45); });
  EXPECT_LE(lines.size(), 10001u);
}

// Every polygon is hatched to an end with a bounded number of lines, however
// thin, far from the origin, degenerate or damaged: the lines of one
// polygon stay within what the widest spacing allows.
TEST_F(HatchingTest, ThinDegenerateAndDamagedPolygonsEndWithBoundedLines) {
  SetHatchMode(2);
  std::mt19937_64 random(20261208);
  auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const Extended inf = std::numeric_limits<Extended>::infinity();
  const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
  const Extended angles[] = {0, 45, 90, 135, 180, 30, -60, 89.999L, 1e-9L};
  // A bound per polygon: 10,001 lines across (the widened spacing plus the
  // one past the end), each with at most five segments.
  constexpr std::size_t kBound = 10003 * 5;
  for (int round = 0; round < 160; ++round) {
    SCOPED_TRACE(round);
    const Extended angle = angles[pick(9)];
    const Extended slope = std::tan(angle * kPi / 180);
    // Far from the origin the intercepts' resolution is coarse.
    const Extended x0 = std::pow(10.0L, pick(22)) * (pick(2) ? 1 : -1), y0 = x0 * uniform(-2, 2);
    const Extended size = std::pow(10.0L, -pick(20));
    const int n = 2 + pick(10);
    const int kind = pick(5);
    const Extended spacing = kind == 4 ? 0 : std::pow(10.0L, -pick(25)) * (pick(4) ? 1 : -1);
    const auto lines = Lines([&] {
      HatchBegin();
      for (int i = 0; i < n; ++i) {
        const Extended t = uniform(0, 1) * size, w = uniform(-1, 1) * size * 1e-3L;
        switch (kind) {
          case 0:  // along the hatch lines, a sliver of them
            HatchAddPoint(x0 + t, y0 + slope * t + w);
            break;
          case 1:  // across them
            HatchAddPoint(x0 + w, y0 + t);
            break;
          case 2:  // all on one point, or a damaged vertex among them
            if (i == n / 2 && pick(2)) HatchAddPoint(pick(2) ? nan : inf, y0);
            else HatchAddPoint(x0, y0);
            break;
          default:  // a thin polygon of any shape
            HatchAddPoint(x0 + uniform(-1, 1) * size, y0 + uniform(-1, 1) * size * 1e-6L);
            break;
        }
      }
      HatchPolygon(0, spacing, angle);
      AbortFlag = 0;
    });
    EXPECT_LE(lines.size(), kBound);
  }
}

TEST_F(HatchingTest, PolylineArcsAreSplitIntoFifteenDegreeStepsAndQSort2KeepsTheIndexes) {
  SetHatchMode(2);
  const auto dxf = Dxf([] {
    HatchPolyBegin();
    HatchPolyPoint(10, 0, kPi);  // half circle counter-clockwise to (-10, 0)
    HatchPolyPoint(-10, 0, 0);
    HatchPolyEnd(0, 2, 45);
  });
  // 1 point, then 13 points of the half circle (12 steps of 15 degrees).
  EXPECT_EQ(HatchCount, 14);
  for (int i = 2; i <= 14; ++i) {
    EXPECT_NEAR(std::hypot(static_cast<double>(HatchVertices[i].x), static_cast<double>(HatchVertices[i].y)), 10,
                1e-9);
    EXPECT_GE(HatchVertices[i].y, -1e-9);
  }
  EXPECT_NEAR(HatchVertices[8].y, 10, 1e-9);  // the top of the half circle
  EXPECT_EQ(Count(dxf, "POLYLINE"), 1);
  EXPECT_GT(Count(dxf, "LINE"), 5);
  // An absurd arc value overflows the store at once instead of running on.
  Listing([] {
    HatchPolyBegin();
    HatchPolyPoint(10, 0, 1e30L);
    HatchPolyPoint(-10, 0, 0);
    HatchPolyEnd(0, 2, 45);
  });
  EXPECT_LE(HatchCount, 53);
  EXPECT_TRUE(HasMessage("Fatal  : n schraff !"));
  std::array<Extended, 11> v{0, 5, 1, 4, 2, 3, 9, 0.5L, 7, 6, 8};
  std::array<int, 11> idx{};
  QSort2(v, idx, 10);
  for (int i = 1; i < 10; ++i) EXPECT_LE(v[i], v[i + 1]);
  EXPECT_EQ(idx[1], 7);  // 0.5 came from position 7
  EXPECT_EQ(idx[10], 6);  // 9 from position 6
  std::array<Extended, 11> w{0, 3, 2, 1};
  QSort2(w, idx, 3);
  EXPECT_EQ(idx[1], 3);
  EXPECT_EQ(idx[3], 1);
  EXPECT_EQ(idx[4], 4);  // every index starts as its position
  EXPECT_EQ(idx[10], 10);
  QSort2(w, idx, 11);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_TRUE(HasMessage("Fatal  : QSORT2 error"));
}

}  // namespace
