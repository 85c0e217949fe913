#include "framework/plane_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "framework/calc_messages.h"
#include "framework/init.h"
#include "output_test_support.h"

namespace {

constexpr double kEps = 1e-12;

class PlaneGeometryTest : public FrameworkTest {
 protected:
  // Two results, as a point or a pair of angles, each to within kEps.
  static void ExpectPair(Extended a, Extended b, double expectedA, double expectedB) {
    EXPECT_NEAR(double(a), expectedA, kEps);
    EXPECT_NEAR(double(b), expectedB, kEps);
  }
};

TEST_F(PlaneGeometryTest, ArcCentreBelowTheChordForAQuarterTurn) {
  Extended xc, yc, a0, a1, r;
  GetArcCenter(0, 0, 2, 0, kPi / 2, xc, yc, a0, a1, r);
  ExpectPair(xc, yc, 1, 1);
  ExpectPair(a0, a1, 5 * M_PI / 4, -M_PI / 4);
  EXPECT_NEAR(double(r), std::sqrt(2.0), kEps);

  // Clockwise: the angles are exchanged so that a0 to a1 runs counterclockwise.
  GetArcCenter(0, 0, 2, 0, -kPi / 2, xc, yc, a0, a1, r);
  EXPECT_NEAR(double(yc), -1, kEps);
  ExpectPair(a0, a1, M_PI / 4, 3 * M_PI / 4);
  GetArcCenterEx(0, 0, 2, 0, -kPi / 2, xc, yc, a0, a1, r);
  EXPECT_NEAR(double(a0), 3 * M_PI / 4, kEps);
  // A half circle has its centre on the chord.
  GetArcCenter(0, 0, 4, 0, kPi, xc, yc, a0, a1, r);
  ExpectPair(xc, yc, 2, 0);
  EXPECT_NEAR(double(r), 2, kEps);
  EXPECT_EQ(CalcMessages.count, 0);
}

TEST_F(PlaneGeometryTest, DegenerateArcsAreReported) {
  Extended xc = 7, yc = 7, a0 = 7, a1 = 7, r = 7;
  GetArcCenter(0, 0, 2, 0, 0, xc, yc, a0, a1, r);
  EXPECT_EQ(xc, 7);
  EXPECT_EQ(r, 7);
  ASSERT_EQ(CalcMessages.count, 1);
  EXPECT_EQ(CalcMessages.texts[1].view().substr(0, 31), "Fehler in GetArcCenter (dphi = ");
  GetArcCenter(3, 4, 3, 4, 1, xc, yc, a0, a1, r);
  EXPECT_EQ(xc, 3);
  EXPECT_EQ(yc, 4);
  ASSERT_EQ(CalcMessages.count, 2);
  EXPECT_EQ(CalcMessages.texts[2].view(), "GetArcCenter l12=0");
}

TEST_F(PlaneGeometryTest, LinesAndSegments) {
  Extended px, py;
  EXPECT_TRUE(IntersectLines(px, py, 0, 0, 2, 2, 0, 2, 2, 0));
  ExpectPair(px, py, 1, 1);
  EXPECT_FALSE(IntersectLines(px, py, 0, 0, 1, 0, 0, 1, 1, 1));
  EXPECT_EQ(px, 0);
  EXPECT_EQ(py, 0);
  EXPECT_TRUE(InRange(5, 7, 3));
  EXPECT_FALSE(InRange(2, 3, 7));
  EXPECT_TRUE(InRange(3, 3, 3 + 1e-13L));
  EXPECT_TRUE(SegmentsIntersect(px, py, 0, 0, 2, 2, 0, 2, 2, 0));
  EXPECT_FALSE(SegmentsIntersect(px, py, 0, 0, 0.5L, 0.5L, 0, 2, 2, 0));
  Extended t, s;
  EXPECT_FALSE(Solve2x2(t, s, 1, 2, 3, 2, 4, 6));
  EXPECT_EQ(t, 0);
  EXPECT_EQ(Det2(1, 2, 3, 4), -2);
}

TEST_F(PlaneGeometryTest, CirclesAndQuadratics) {
  Extended xa, ya, xb, yb;
  Byte noCut = 9;
  IntersectLineCircle(-5, 0, 5, 0, 0, 0, 1, xa, ya, xb, yb, noCut);
  EXPECT_EQ(noCut, 0);
  ExpectPair(xa, xb, 1, -1);
  IntersectLineCircle(0.5L, -5, 0.5L, 5, 0, 0, 1, xa, ya, xb, yb, noCut);
  ExpectPair(ya, yb, std::sqrt(0.75), -std::sqrt(0.75));
  IntersectLineCircle(-5, 3, 5, 3, 0, 0, 1, xa, ya, xb, yb, noCut);
  EXPECT_EQ(noCut, 1);
  EXPECT_EQ(ya, 0);

  Extended xc, yc, r;
  EXPECT_TRUE(CircleThrough3Points(1, 0, 0, 1, -1, 0, xc, yc, r));
  ExpectPair(xc, yc, 0, 0);
  EXPECT_NEAR(double(r), 1, kEps);
  EXPECT_TRUE(CircleThrough3Points(0, 0, 4, 0, 4, 2, xc, yc, r));  // axis-parallel chords
  ExpectPair(xc, yc, 2, 1);
  EXPECT_FALSE(CircleThrough3Points(0, 0, 1, 1, 2, 2, xc, yc, r));  // collinear
}

TEST_F(PlaneGeometryTest, RotationBoxesAndClipping) {
  Extended qx, qy;
  RotateAboutPoint(qx, qy, 2, 1, 1, 1, kPi / 2);
  ExpectPair(qx, qy, 1, 2);
  EXPECT_TRUE(PointInBox(1, 1, 0, 0, 2, 2));
  EXPECT_FALSE(PointInBox(3, 1, 0, 0, 2, 2));

  Extended px = 1, py = 1, x2 = 5, y2 = 1;
  ClipSegment(px, py, x2, y2, 0, 0, 2, 2);
  EXPECT_NEAR(double(x2), 2, kEps);
  EXPECT_EQ(px, 1);
  px = -3, py = 1, x2 = 1, y2 = 1;
  ClipSegment(px, py, x2, y2, 0, 0, 2, 2);
  EXPECT_NEAR(double(px), 0, kEps);
  px = -3, py = 1, x2 = 5, y2 = 1;  // both outside: unchanged
  ClipSegment(px, py, x2, y2, 0, 0, 2, 2);
  EXPECT_EQ(px, -3);
  EXPECT_EQ(x2, 5);

  Extended angle, y;
  PolarSolve(2, kPi / 4, angle, y);
  ExpectPair(y, angle, 2 * std::tan(M_PI / 8), M_PI / 8);
  Extended ix, iy;
  EXPECT_TRUE(IntersectRays(ix, iy, 0, 0, 0, 5, -5, kPi / 2));
  ExpectPair(ix, iy, 5, 0);
}

}  // namespace
