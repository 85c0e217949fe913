#include "cad/bolt_outline.h"

#include <gtest/gtest.h>

#include <cmath>

#include "calc/joint_records.h"
#include "drawing_test_support.h"

namespace {

using drawing_test::Count;
using drawing_test::Entity;

class BoltOutlineTest : public DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    InitCalcRecords();
    Schraube.nSections = 1;
    Schraube.lSec[1] = 60;
    Schraube.l = 60;
    Schraube.dSec[1] = 12;
    Schraube.b = 30;
  }
  // Thin lines that are neither vertical nor horizontal: the run-out.
  static int Slanted(const std::vector<Entity>& es) {
    int n = 0;
    for (const auto& e : es)
      n += e.kind == "LINE" && e.layer == "3" && e.v[0] != e.v[2] && e.v[1] != e.v[3];
    return n;
  }
  // Visible horizontal lines at height y.
  static std::vector<double> WidthsAt(const std::vector<Entity>& es, double y) {
    std::vector<double> out;
    for (const auto& e : es)
      if (e.kind == "LINE" && e.layer == "5" && std::fabs(e.v[1] - y) < 1e-9 && std::fabs(e.v[3] - y) < 1e-9)
        out.push_back(std::fabs(e.v[2] - e.v[0]));
    return out;
  }
};

TEST_F(BoltOutlineTest, RunOutOnlyWhereTheThreadEndsBeforeTheShank) {
  auto shank = [this] { return Dxf([] { DrawShankSections(1, 0, 0, 1.75L, 12, 0.6L, 2.5L * 1.75L); }); };
  EXPECT_EQ(Slanted(shank()), 2);
  Schraube.b = 60 - 2.5 * 1.75;  // fully threaded
  EXPECT_EQ(Slanted(shank()), 0);
  EXPECT_TRUE(Dxf([] { DrawShankSections(3, 0, 0, 1.75L, 12, 0.6L, 4); }).empty());
}

TEST_F(BoltOutlineTest, StepBetweenSectionsIsDrawnAtTheLargerDiameter) {
  Schraube.nSections = 3;
  Schraube.lSec = {0, 20, 20, 20};
  Schraube.dSec = {0, 12, 9, 12};
  Schraube.diSec = {0, 0, 0, 4};
  Schraube.b = 15;
  const auto es = Dxf([] { DrawShankSections(1, 0, 0, 1.75L, 12, 0.6L, 4); });
  EXPECT_EQ(WidthsAt(es, -20), (std::vector<double>{12}));
  const auto at40 = WidthsAt(es, -40);  // section 2's bottom line and the step back up
  EXPECT_EQ(at40.size(), 2u);
  // The hollow last section: hidden bore lines.
  EXPECT_EQ(Count(es, "LINE", "2"), 2);
}

TEST_F(BoltOutlineTest, NutGapAndHollowEnd) {
  Schraube.diSec[1] = 4;
  Klemmstuecke.lK = 30;
  Mutter.m = 10;
  Schraube.HeadType = 1;
  const Extended yt = -60 + 30;
  auto end = [this, yt](bool nut, Word view) {
    return Dxf([=] { DrawBoltEnd(view, nut, 0, yt, 1.75L, 30, 12); });
  };
  // With the nut from -30 to -40 the edges break there; bore lines on both sides.
  const auto gap = end(true, 1);
  for (const auto& e : gap)
    if (e.kind == "LINE" && e.v[0] == e.v[2]) {
      const double lo = std::fmin(e.v[1], e.v[3]), hi = std::fmax(e.v[1], e.v[3]);
      EXPECT_FALSE(lo < -30.001 && hi > -39.999) << e.v[0] << " " << lo << " " << hi;
    }
  EXPECT_EQ(Count(gap, "LINE", "2"), 2);  // no zero-length bore lines
  // Without a nut (or with the bolt ending inside it) the thread is whole.
  Schraube.l = 38;
  const auto whole = end(true, 1);
  EXPECT_EQ(Count(whole, "LINE", "2"), 2);
  bool through = false;
  for (const auto& e : whole)
    through |= e.kind == "LINE" && e.layer == "5" && e.v[0] == -6 && std::fmin(e.v[1], e.v[3]) < -50;
  EXPECT_TRUE(through);
  const auto bottom = end(false, 4);
  EXPECT_EQ(Count(bottom, "CIRCLE", "5"), 3);  // thread, core and the bore
  EXPECT_TRUE(end(false, 3).empty());

  // A bolt that ends flush with the nut's outer face, by plates that reach it
  // only in decimals (1.1 + 38.8 lies just below 60 - 20.1), is drawn as one
  // that ends inside the nut: its thread whole, with no gap.
  Schraube.l = 60;
  Mutter.m = 20.1L;
  Klemmstuecke.lK = 40;
  const auto inside = end(true, 1);
  Klemmstuecke.lK = 1.1L + 38.8L;
  const auto flush = end(true, 1);
  ASSERT_EQ(flush.size(), inside.size());
  for (std::size_t i = 0; i < flush.size(); ++i) {
    EXPECT_EQ(flush[i].kind, inside[i].kind) << i;
    EXPECT_EQ(flush[i].v, inside[i].v) << i;
  }
}

}  // namespace
