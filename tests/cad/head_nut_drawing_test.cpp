#include "cad/head_nut_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "cad/flange_parts.h"
#include "cad/hex_parts.h"
#include "calc/bolt_geometry.h"
#include "joint_test_support.h"

namespace {

using drawing_test::AllFinite;
using drawing_test::Count;
using drawing_test::Entity;
using drawing_test::Extents;

class HeadNutDrawingTest : public JointDrawingFixture {
 protected:
  void SetUp() override {
    JointDrawingFixture::SetUp();
    ReadPartRows(10, 1.5L);
    Schraube.nSections = 1;
    Schraube.lSec[1] = 50;
    Schraube.l = 50;
    Schraube.b = 26;
    Schraube.dSec[1] = 10;
    Klemmstuecke.nPlates = 1;
    Klemmstuecke.L[1] = 30;
    Klemmstuecke.lK = 30;
    ClearCalcMessages();
  }
  std::vector<Entity> Part(TPartTypeCode code, Word view, bool nutJoint = true) {
    return Listing([=] { DrawHeadOrNut(code, view, 1, 0, 0, nutJoint); });
  }
};

TEST_F(HeadNutDrawingTest, EveryKindDrawsEveryViewWithoutComplaint) {
  for (TPartTypeCode code = 0; code <= 9; ++code) {
    Schraube.HeadType = code == 9 ? 8 : code;
    for (Word view = 1; view <= 5; ++view) {
      SCOPED_TRACE(::testing::Message() << "code " << code << " view " << view);
      const auto es = Part(code, view);
      EXPECT_FALSE(es.empty());
      EXPECT_TRUE(AllFinite(es));
      EXPECT_EQ(AbortFlag, 0);
      EXPECT_EQ(CalcMessages.count, 0) << FirstMessage();
    }
    // The screen drawing is the front view; views outside 1..5 draw nothing.
    const auto front = Part(code, 1), screen = Part(code, 5);
    ASSERT_EQ(front.size(), screen.size()) << code;
    for (std::size_t i = 0; i < front.size(); ++i) EXPECT_EQ(front[i].v, screen[i].v);
    EXPECT_TRUE(Part(code, 0).empty());
    EXPECT_TRUE(Part(code, 6).empty());
  }
  EXPECT_TRUE(Part(10, 1).empty());
  EXPECT_TRUE(Part(999, 3).empty());
}

TEST_F(HeadNutDrawingTest, HeadsStandOnTheirBearingFaceAndReachTheirHeight) {
  struct Case {
    TPartTypeCode code;
    Extended k;
  } cases[] = {{1, Din912.k}, {2, Din931.k}, {6, Cylslot.k}, {7, Sondkopf.k}, {8, Flangesc.k}};
  for (const Case& c : cases) {
    Schraube.HeadType = c.code;
    const auto box = Extents(Part(c.code, 1, false));
    EXPECT_NEAR(box.ymax, c.k, 0.05) << c.code;
    EXPECT_NEAR(box.ymin, -50, 1e-6) << c.code;  // the bolt's tip
  }
  // The countersunk heads' nominal length holds the head.
  Schraube.HeadType = 5;
  const auto box = Extents(Part(5, 1, false));
  EXPECT_NEAR(box.ymax, Iso10642.k, 1e-6);
  EXPECT_NEAR(box.ymin, -50 + Iso10642.k, 1e-6);
}

TEST_F(HeadNutDrawingTest, HexNutMeasuresHangBelowTheBearingFaceAndTheSpecialNutIsHatchedWhereTheBoltIs) {
  Din934.s = 18;
  Din934.m = 10.8L;
  Din934.d = 12;
  Mutter.NutType = 1;
  const auto side = Part(0, 2);
  const auto arcs = drawing_test::Only(side, "ARC");
  ASSERT_EQ(arcs.size(), 4u);
  EXPECT_NEAR(arcs[0].v[3], 90 - 25.659, 1e-3);
  EXPECT_NEAR(arcs[0].v[4], 90 + 25.659, 1e-3);
  EXPECT_NEAR(arcs[0].v[2], 20.785 / 2, 1e-3);
  const auto box = Extents(side);
  EXPECT_NEAR(box.ymin, -10.8, 1e-6);
  EXPECT_NEAR(box.ymax, 0, 1e-6);
  // Front view: corner edges at e/2 from 9.775 to 1.025 above the lower face.
  int corners = 0;
  for (const auto& e : Part(0, 1))
    if (e.kind == "LINE" && std::fabs(e.v[0] + 10.3923) < 1e-3 && e.v[0] == e.v[2] &&
        std::fabs(e.v[1] - (-10.8 + 9.775)) < 1e-3 && std::fabs(e.v[3] - (-10.8 + 1.025)) < 1e-3)
      ++corners;
  EXPECT_EQ(corners, 1);
  for (const auto& e : Part(0, 4))
    if (e.kind == "CIRCLE") {
      EXPECT_NEAR(e.v[1], -10.8, 1e-9);
    }
  // Any nut type but 1 reads the heavy hex nut row.
  Mutter.NutType = 4;
  Din6915.s = 30;
  Din6915.m = 20;
  EXPECT_NEAR(Extents(Part(0, 2)).ymin, -20, 1e-6);
  Mutter.NutType = 4;
  Mutter.dwNut = 20;
  Mutter.m = 8;
  auto hatchLines = [&](Extended l) {
    Schraube.l = l;
    const auto es = Dxf([] { DrawSpecialNut(1, 2, 0, -30); });
    return Count(es, "LINE", "3");
  };
  EXPECT_GT(hatchLines(50), 2);  // passes through: thread lines and hatch
  EXPECT_GT(hatchLines(34), 2);  // ends inside
  EXPECT_EQ(hatchLines(38), 0);  // ends exactly on its bottom face
  EXPECT_EQ(hatchLines(30), 0);  // ends at its top face
}

TEST_F(HeadNutDrawingTest, LongThreadOfAHeadRowIsClippedOnce) {
  Schraube.HeadType = 1;
  Din912.b = 100;
  Din912.r = 0.4L;
  Part(1, 1);
  const Extended clipped = Din912.b;
  EXPECT_LT(clipped, 50);  // the thread ends inside the bolt's length
  Part(1, 1);
  EXPECT_EQ(Din912.b, clipped);
  Cylslot.b = 100;  // the cheese head does not clip
  Part(6, 1);
  EXPECT_EQ(Cylslot.b, 100);
}

TEST_F(HeadNutDrawingTest, SpecialHeadRecessEndsAtTheRoundedCorner) {
  Schraube.HeadType = 7;
  Sondkopf.dK = 20;
  Sondkopf.k = 8;
  Sondkopf.rf = 3;
  Sondkopf.di = 0;
  EXPECT_EQ(Count(Dxf([] { DrawHeadOrNut(7, 1, 1, 0, 0, false); }), "LINE", "2"), 0);
  EXPECT_EQ(Count(Listing([] { DrawHeadOrNut(7, 3, 1, 0, 0, false); }), "CIRCLE"), 1);
  Sondkopf.di = 10;  // within the flat top: up to the top face
  auto recessTop = [this] {
    double top = -1;
    for (const auto& e : Dxf([] { DrawHeadOrNut(7, 1, 1, 0, 0, false); }))
      if (e.kind == "LINE" && e.layer == "2" && e.v[0] > 0) top = std::fmax(e.v[1], e.v[3]);
    return top;
  };
  EXPECT_NEAR(recessTop(), 8, 1e-5);
  Sondkopf.di = 14;  // di/2 + rf = dK/2: the flat top's end
  EXPECT_NEAR(recessTop(), 8, 1e-5);
  // Beyond the flat top the lines end on the corner circle: radius 3 about
  // (7, 5), met by x = 9 at 5 + sqrt(5); radius 1.2 about (8.4, 7.2) by x = 9.
  Sondkopf.di = 18;
  EXPECT_NEAR(recessTop(), 5 + std::sqrt(5.0), 1e-5);
  Sondkopf.dK = 19.2L;
  Sondkopf.rf = 1.2L;
  Sondkopf.k = 8.4L;
  EXPECT_NEAR(recessTop(), 7.2 + std::sqrt(1.44 - 0.36), 1e-5);
  // Radius 6 about (-1, 2), where x = 4.5 meets it.
  Sondkopf.dK = 10;
  Sondkopf.rf = 6;
  Sondkopf.k = 8;
  Sondkopf.di = 9;
  EXPECT_NEAR(recessTop(), 2 + std::sqrt(36 - 5.5 * 5.5), 1e-5);
  Sondkopf.di = 16;  // the line x = 8 misses that circle: no recess lines
  EXPECT_EQ(recessTop(), -1);
  // The flange drawer refuses other codes: the drawing stops, and is not stored.
  std::filesystem::remove(Dir() + "/drawing.lst");
  const auto es = Listing([] { DrawFlangeHeadOrNut(1, true, 0, 0, 1, 7); });
  EXPECT_TRUE(es.empty());
  EXPECT_FALSE(Exists(Dir() + "/drawing.lst"));
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_TRUE(HasMessage("Fatal  : Flange Nut"));
  AbortFlag = 0;
}

// The cheese head's corner arcs meet the upper ends of their side lines,
// both alike.
TEST_F(HeadNutDrawingTest, CheeseHeadCornerArcsMeetTheirSideLines) {
  Schraube.HeadType = 6;
  Cylslot.dK = 16;
  Cylslot.k = 6;
  Cylslot.rf = 1;
  Cylslot.NoRound = 0;
  for (const Word view : {1, 2}) {
    const auto es = Dxf([=] { DrawHeadOrNut(6, view, 1, 0, 0, false); });
    const auto arcs = drawing_test::Only(es, "ARC");
    ASSERT_GE(arcs.size(), 2u) << view;
    // x y r a1 a2: the left arc about (-7.55493 + cos 5 deg, 5), the right one mirrored.
    EXPECT_NEAR(arcs[0].v[0], -7.55493 + 0.99619, 1e-4);
    EXPECT_NEAR(arcs[0].v[3], 90, 1e-6);
    EXPECT_NEAR(arcs[0].v[4], 175, 1e-9);
    EXPECT_NEAR(arcs[1].v[0], 7.55493 - 0.99619, 1e-4);
    EXPECT_NEAR(arcs[1].v[3], 5, 1e-9);
    EXPECT_NEAR(arcs[1].v[4], 90, 1e-6);
    // Each arc's free end is the upper end of a side line.
    for (int side = 0; side < 2; ++side) {
      const auto& a = arcs[side];
      const double angle = (side == 0 ? a.v[4] : a.v[3]) * M_PI / 180;
      const double ex = a.v[0] + a.v[2] * std::cos(angle), ey = a.v[1] + a.v[2] * std::sin(angle);
      double nearest = 1e9;
      for (const auto& l : drawing_test::Only(es, "LINE"))
        for (int end = 0; end < 4; end += 2) nearest = std::fmin(nearest, std::hypot(l.v[end] - ex, l.v[end + 1] - ey));
      EXPECT_LT(nearest, 1e-6) << "view " << view << " side " << side;
    }
  }
  // A slot bottom above the side lines' ends (t 0.5) ends on both corner arcs.
  Cylslot.t = 0.5L;
  const auto es = Dxf([] { DrawHeadOrNut(6, 2, 1, 0, 0, false); });
  const auto arcs = drawing_test::Only(es, "ARC");
  ASSERT_GE(arcs.size(), 2u);
  int slotBottoms = 0;
  for (const auto& l : drawing_test::Only(es, "LINE")) {
    if (l.layer != "2" || std::fabs(l.v[1] - 5.5) > 1e-9 || std::fabs(l.v[3] - 5.5) > 1e-9) continue;
    ++slotBottoms;
    for (int end = 0; end < 4; end += 2) {
      const auto& a = arcs[l.v[end] < 0 ? 0 : 1];
      EXPECT_NEAR(std::hypot(l.v[end] - a.v[0], l.v[end + 1] - a.v[1]), 1, 1e-6) << l.v[end];
    }
  }
  EXPECT_EQ(slotBottoms, 1);
  Cylslot.NoRound = 1;  // sharp corners: arcs of radius 0 draw nothing
  for (const auto& e : drawing_test::Only(Dxf([] { DrawHeadOrNut(6, 1, 1, 0, 0, false); }), "ARC"))
    EXPECT_LT(e.v[1], 0) << e.v[0];  // the bolt's arcs only
}

// The slotted countersunk heads end their profile one run-out below the
// head; the thread's outline begins where the thread does.
TEST_F(HeadNutDrawingTest, SlottedCountersunkHeadsDrawNoShankEdgesAboveTheThread) {
  const Extended runOut = 2.5L * 1.5L;
  for (const TPartTypeCode code : {3, 4}) {
    Schraube.HeadType = code;
    for (const Word view : {1, 2, 5}) {
      for (const auto& e : Part(code, view, false)) {
        const bool shankEdge = e.kind == "LINE" && std::fabs(std::fabs(e.v[0]) - 5) < 1e-9 && e.v[0] == e.v[2] &&
                               std::fabs(std::fmax(e.v[1], e.v[3]) + runOut) < 1e-9;
        EXPECT_FALSE(shankEdge) << code << " view " << view << ": " << e.v[1] << " to " << e.v[3];
      }
    }
  }
}

TEST_F(HeadNutDrawingTest, ArcThroughThreePointsPassesTheMiddlePoint) {
  const auto es = Listing([] {
    DrawArcThrough(-1, 0, 0, -1, 1, 0);  // the lower half, given left to right
    DrawArcThrough(1, 0, 0, -1, -1, 0);  // the same given right to left
    DrawArcThrough(0, 0, 1, 1, 2, 2);    // on one line: nothing
  });
  ASSERT_EQ(es.size(), 2u);
  for (const auto& e : es) {
    EXPECT_NEAR(e.v[3], 180, 1e-6);
    EXPECT_NEAR(std::fmod(e.v[4] + 360, 360), 0, 1e-6);
  }
}

}  // namespace
