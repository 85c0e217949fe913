#include "cad/joint_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cad/drawing_elements.h"
#include "joint_test_support.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

using drawing_test::AllFinite;
using drawing_test::Count;
using drawing_test::Entity;
using drawing_test::Extents;
using drawing_test::ParseDxf;
using drawing_test::ParseListing;

class JointDrawingTest : public JointDrawingFixture {
 protected:
  std::vector<Entity> JointDxf(TJointView view) {
    DrawBoltedJoint(view, kCadDxf);
    EXPECT_EQ(AbortFlag, 0);
    return ParseDxf(ReadLines(DxfFile()));
  }
  std::vector<std::string> ListingLines(const std::function<void()>& draw) {
    draw();
    return ReadLines(Dir() + "/drawing.lst");
  }

  // Signs of the slope of the 45-degree hatch lines whose middle lies between y1 and y2.
  static std::pair<int, int> HatchSlopes(const std::vector<Entity>& es, double y1, double y2) {
    int up = 0, down = 0;
    for (const auto& e : es) {
      if (e.kind != "LINE" || e.layer != "3" || std::fabs(e.v[2] - e.v[0]) < 1e-9) continue;
      const double slope = (e.v[3] - e.v[1]) / (e.v[2] - e.v[0]);
      const double ym = (e.v[1] + e.v[3]) / 2;
      if (ym < y1 || ym > y2) continue;
      if (std::fabs(slope - 1) < 1e-4) ++up;
      if (std::fabs(slope + 1) < 1e-4) ++down;
    }
    return {up, down};
  }
};

TEST_F(JointDrawingTest, TappedJointInEveryViewFitsItsWindowAndNothingIsDrawnWithoutItsPartsOrCalculation) {
  CalculatedM12Joint();
  const double d = 12, lk = 42, tb = 25, dK = Schraube.dK;
  for (TJointView view = 1; view <= 5; ++view) {
    SCOPED_TRACE(view);
    const auto es = JointDxf(view);
    ASSERT_TRUE(AllFinite(es));
    const auto box = Extents(es);
    const bool longView = view != 3 && view != 4;
    // The window: half its width, its depth below and its height above the bearing face.
    const double half = longView ? 4 * d : 2 * d, low = longView ? lk + 1.5 * tb : 2 * d,
                 top = longView ? 1.1 * dK : 2 * d;
    const double slack = 0.5;
    EXPECT_GE(box.xmin, -half - slack);
    EXPECT_LE(box.xmax, half + slack);
    EXPECT_GE(box.ymin, -low - slack);
    EXPECT_LE(box.ymax, top + slack);
    if (longView) {
      EXPECT_GT(Count(es, "LINE", "3"), 20);  // hatch lines of plate and tapped part
      EXPECT_GT(Count(es, "LINE", "5"), 10);
      EXPECT_EQ(Count(es, "LINE", "1"), view == 5 ? 3 : 1);  // the axis; view 5 adds DA lines
      EXPECT_GE(Count(es, "POLYLINE", "5"), 1);               // the socket head outline
      EXPECT_GT(Count(es, "LINE", "2"), 4);                   // the hidden socket
    }
  }
  // The bottom view of a tapped joint: the break-out rectangle only, no head.
  const auto bottom = JointDxf(4);
  EXPECT_EQ(Count(bottom, "LINE", "3"), 24);
  EXPECT_EQ(bottom.size(), 24u);
  std::filesystem::remove(DxfFile());
  Klemmstuecke.nPlates = 0;
  {
    platform::DialogScript script;
    script.Ok().Expect("no bolt or no clamping plates defined !");
    DrawBoltedJoint(1, kCadDxf);
  }
  EXPECT_FALSE(Exists(DxfFile()));
  Klemmstuecke.nPlates = 1;
  Schraube.nSections = 0;
  {
    platform::DialogScript script;
    script.Ok().Expect("no bolt defined !");
    DrawBoltPart(1, kCadDxf);
  }
  EXPECT_FALSE(Exists(DxfFile()));
  Schraube.nSections = 1;
  AddErrorMessage("Fatal  : no clamp.piece !");
  CalcFatalFlag = 1;
  {
    platform::DialogScript script;
    script.Cancel().Expect("Calculation done");  // the messages instead of the drawing
    DrawBoltedJoint(1, kCadDxf);
  }
  EXPECT_FALSE(Exists(DxfFile()));
}

TEST_F(JointDrawingTest, JointWithNutInEveryViewIsReadByTheIndependentReaderAndDrawsTheNutsAndTheParts) {
  CalculatedM12Joint(kJointWithNut);
  // One reader run for all views (file and window in groups of five): starting the reader is the slow part.
  const std::string check = "from ezdxf import bbox\n"
                            "args = sys.argv[1:]\n"
                            "for i in range(0, len(args), 5):\n"
                            "    name = args[i]\n"
                            "    doc = ezdxf.readfile(name)\n"
                            "    msp = doc.modelspace()\n"
                            "    layers = {e.dxf.layer for e in msp}\n"
                            "    assert len(msp) > 20, (name, len(msp))\n"
                            "    assert {'1', '3', '5'} <= layers, (name, layers)\n"
                            "    assert not doc.audit().has_errors, name\n"
                            "    box = bbox.extents(msp)\n"
                            "    w = [float(v) for v in args[i + 1:i + 5]]\n"
                            "    assert box.extmin.x >= w[0] - 0.5 and box.extmin.y >= w[1] - 0.5, (name, box)\n"
                            "    assert box.extmax.x <= w[2] + 0.5 and box.extmax.y <= w[3] + 0.5, (name, box)\n";
  const double d = 12, l = Schraube.l, dK = Schraube.dK;
  std::vector<std::string> args;
  for (TJointView view = 1; view <= 5; ++view) {
    DrawBoltedJoint(view, kCadDxf);
    const std::string copy = Dir() + "/view" + std::to_string(view) + ".dxf";
    std::filesystem::copy_file(DxfFile(), copy);
    const bool longView = view != 3 && view != 4;
    args.push_back(copy);
    for (const double bound : {longView ? -4 * d : -2 * d, longView ? -1.1 * l : -2 * d, longView ? 4 * d : 2 * d,
                               longView ? 1.1 * dK : 2 * d}) {
      char text[40];
      std::snprintf(text, sizeof text, "%g", bound);
      args.push_back(text);
    }
  }
  EXPECT_TRUE(Ezdxf(check, args));
  const auto front = JointDxf(1);
  // The hex nut hangs below the plates: its corner edges lie between lK and lK + m.
  int corners = 0;
  for (const auto& e : front)
    if (e.kind == "LINE" && e.layer == "5" && std::fabs(std::fabs(e.v[0]) - 10.392) < 1e-3 &&
        e.v[0] == e.v[2] && std::fmin(e.v[1], e.v[3]) > -52.8 && std::fmax(e.v[1], e.v[3]) < -42)
      ++corners;
  EXPECT_EQ(corners, 2);
  const auto bottom = JointDxf(4);
  EXPECT_EQ(Count(bottom, "CIRCLE"), 2);  // bolt and the nut's chamfer circle
  EXPECT_GE(Count(bottom, "ARC", "3"), 1);
  EXPECT_GT(Count(bottom, "LINE", "3"), 20);  // the break-out rectangle
  EXPECT_EQ(Count(bottom, "POLYLINE"), 0);
  // The single parts and their windows (their front views go through the readers of every sample).
  auto lines = ListingLines([] { DrawNutPart(3, kCadListing); });
  EXPECT_EQ(lines.front(), "MINMAX\t-24.000000\t-24.000000\t24.000000\t24.000000");
  EXPECT_EQ(ParseListing(lines).size(), 0u);
  lines = ListingLines([] { DrawBoltPart(2, kCadListing); });
  EXPECT_GT(ParseListing(lines).size(), 20u);
  Mutter.NutType = 3;
  Mutter.m = Flangnut.m;
  DrawBoltedJoint(1, kCadDxf);
  const auto dxf = ReadLines(DxfFile());
  const auto inserts = drawing_test::Only(ParseDxf(dxf), "INSERT");
  ASSERT_EQ(inserts.size(), 1u);
  EXPECT_NEAR(inserts[0].v[1], -42, 1e-9);
  EXPECT_GT(ParseDxf(dxf, true).size(), 10u);  // the block's entities
  bool turned = false;
  for (std::size_t i = 0; i + 1 < dxf.size(); i += 2)
    turned |= dxf[i] == " 50" && std::stod(dxf[i + 1]) == 180;
  EXPECT_TRUE(turned);
  // Each device's handling of blocks and turned inserts is checked by its own writer's tests.
  // The other nut kinds are drawn directly.
  Mutter.NutType = 1;
  DrawBoltedJoint(1, kCadDxf);
  EXPECT_EQ(Count(ParseDxf(ReadLines(DxfFile())), "INSERT"), 0);
}

TEST_F(JointDrawingTest, PlatesAreHatchedAtAlternatingAnglesAndFlangeBoltsStartAtTheTop) {
  CalculatedM12Joint();
  Klemmstuecke.nPlates = 2;
  Klemmstuecke.L[1] = 20;
  Klemmstuecke.L[2] = 22;
  Klemmstuecke.De[2] = 40;  // narrow: drawn to its edge
  Klemmstuecke.Di[2] = 13.5L;
  Klemmstuecke.lK = 42;
  const auto es = JointDxf(1);
  // Plate 1, plate 2 and the tapped part (+45 after two plates): rising or falling lines only.
  const struct { double y1, y2; bool rising; } bands[] = {{-20, 0, true}, {-42, -20, false}, {-90, -42, true}};
  for (const auto& b : bands) {
    const auto [up, down] = HatchSlopes(es, b.y1, b.y2);
    EXPECT_EQ(up > 0, b.rising) << b.y1;
    EXPECT_EQ(down > 0, !b.rising) << b.y1;
  }
  // The narrow plate's outer edges are straight visible lines at De/2.
  int edges = 0;
  for (const auto& e : es)
    if (e.kind == "LINE" && e.layer == "5" && std::fabs(std::fabs(e.v[0]) - 20) < 1e-6 &&
        std::fabs(e.v[0] - e.v[2]) < 1e-9)
      ++edges;
  EXPECT_EQ(edges, 2);
  Flansch.nBolts = 4;
  Flansch.DT = 100;
  Flansch.Da = 140;
  const auto circle = ParseListing(ListingLines([] { DrawFlangeBoltCircle(kCadListing); }));
  // Each socket head's top view has its head circle of diameter dK.
  std::vector<std::pair<double, double>> centres;
  for (const auto& e : circle)
    if (e.kind == "CIRCLE" && std::fabs(e.v[2] - Din912.dK / 2) < 1e-6) centres.push_back({e.v[0], e.v[1]});
  ASSERT_EQ(centres.size(), 4u);
  EXPECT_NEAR(centres[0].second, 50, 1e-6);
  EXPECT_NEAR(centres[1].first, -50, 1e-6);
  EXPECT_NEAR(centres[2].second, -50, 1e-6);
  EXPECT_NEAR(centres[3].first, 50, 1e-6);
}

TEST_F(JointDrawingTest, DamagedJointNeverWritesNonNumbers) {
  CalculatedM12Joint(kJointWithNut);
  Schraube.nSections = 500;
  Klemmstuecke.nPlates = 300;
  Flansch.nBolts = 2000000000;
  Gewinde.P = 0;
  InitTableRows();  // every head and nut row empty
  for (Word nut = 1; nut <= 4; ++nut) {
    Mutter.NutType = nut;
    for (Word head = 0; head <= 11; ++head) {
      Schraube.HeadType = head;
      for (TJointView view = 0; view <= 6; ++view) {
        AbortFlag = 0;
        DrawBoltedJoint(view, kCadDxf);
        EXPECT_TRUE(AllFinite(ParseDxf(ReadLines(DxfFile())))) << nut << " " << head << " " << view;
      }
    }
  }
  Flansch.Da = 400;
  DrawFlangeBoltCircle(kCadListing);
  EXPECT_TRUE(Exists(Dir() + "/drawing.lst"));
}

// A countersunk head's bolt length includes the head: an ISO 10642 M12 x 55
// through 42 mm of plates ends inside a 10.8 mm nut, and its outline ends at
// its end face, read back by the independent reader.
TEST_F(JointDrawingTest, ACountersunkBoltEndingInsideTheNutIsDrawnDownToItsEndOnly) {
  if (!HasEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
  CalculatedM12Joint(kJointWithNut, 5);
  Schraube.lSec[1] = 55;
  Schraube.dK = Iso10642.dK;
  Schraube.dw = Iso10642.dK;
  Mutter.m = 10.8L;
  CalculateJoint();
  ASSERT_EQ(CalcFatalFlag, 0) << FirstMessage();
  ClearCalcMessages();
  DrawBoltedJoint(1, kCadDxf);
  ASSERT_EQ(AbortFlag, 0);
  // The edges (x = ±d/2) and thread roots (±(d - P)/2) of the bolt end at
  // its end face, l - k below the bearing face, and the end face is drawn.
  const double end = -(55 - static_cast<double>(Iso10642.k));
  char endText[100];
  std::snprintf(endText, sizeof endText, "%.6f", end);
  EXPECT_TRUE(Ezdxf("end = float(sys.argv[2])\n"
                    "msp = ezdxf.readfile(sys.argv[1]).modelspace()\n"
                    "faces = 0\n"
                    "for e in msp.query('LINE'):\n"
                    "    s, t = e.dxf.start, e.dxf.end\n"
                    "    if abs(s.y - end) < 1e-3 and abs(t.y - end) < 1e-3: faces += 1\n"
                    "    for x in (6.0, 5.125):\n"
                    "        if abs(abs(s.x) - x) < 1e-3 and abs(abs(t.x) - x) < 1e-3:\n"
                    "            assert min(s.y, t.y) > end - 1e-3, (e.dxf.layer, s, t, end)\n"
                    "assert faces == 1, faces\n",
                    {DxfFile(), endText}));
}

}  // namespace
