#include "cad/diagram_plotter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "diagram_test_support.h"
#include "framework/math_utils.h"

namespace {

// The plotter draws on the screen device; the display list then holds
// exactly what it drew (the border and stamp of the drawing are removed).
class PlotterTest : public DiagramTest {
 protected:
  void SetUp() override {
    DiagramTest::SetUp();
    CadOpen(kCadScreen, "");
    ASSERT_EQ(AbortFlag, 0);
    CadBeginDrawing(0, 0, 160, 120);
    InitDisplayList();
    PlotInit();
  }
  void TearDown() override {
    CadClose(0);
    DiagramTest::TearDown();
  }

  static void ExpectLine(const TGraphRecord& r, Extended x1, Extended y1, Extended x2, Extended y2) {
    ExpectPoint(r, 0, x1, y1);
    ExpectPoint(r, 2, x2, y2);
  }
};

TEST_F(PlotterTest, DistancesScaleByAxisAndAScaledWindowGoesBackToMetricUnits) {
  SetPlotWindow(0, 0, 10, 20);
  EXPECT_DOUBLE_EQ(static_cast<double>(PlotDX(1)), 16);
  EXPECT_DOUBLE_EQ(static_cast<double>(PlotDY(1)), 6);
  // The window of a diagram entered in display units goes back to metric units.
  PlotState.XTickStep = 2;
  ScalePlotWindow(2, 4);
  EXPECT_EQ(PlotState.WinXMax, 5);
  EXPECT_EQ(PlotState.WinYMax, 5);
  EXPECT_EQ(PlotState.WinXRange, 5);
  EXPECT_EQ(PlotState.WinYRange, 5);
  EXPECT_EQ(PlotState.XTickStep, 1);
}

TEST_F(PlotterTest, ResetKeepsOnlyTheUserAxisLimits) {
  PlotState.UserAxisLimits = {1, 2, 3, 4};
  SetPlotWindow(5, 5, 6, 6);
  PlotState.LogMode = 3;
  ResetPlotVars();
  EXPECT_EQ(PlotState.UserAxisLimits.ymax, 4);
  EXPECT_NE(PlotState.WinXMin, 5);
  EXPECT_EQ(PlotState.LogMode, 0);
}

TEST_F(PlotterTest, LinesAreCutToTheWindowAndLineToStartsAtThePen) {
  SetPlotWindow(0, 0, 10, 10);
  PlotClipLine(-5, 5, 5, 5);    // cut at the left edge
  PlotClipLine(-5, 5, 15, 5);   // crosses the window, no end inside: dropped
  PlotClipLine(-0.05L, 5, 10.05L, 5);  // 0.5 % outside: drawn whole
  PlotClipLine(5, 5, 10.05L, 6);       // an end within 1 % of the window: drawn whole
  PlotClipLine(5, 5, 10.2L, 6);        // an end 2 % outside: cut at the right edge
  PlotLine(-5, 5, 15, 5);       // unclipped
  const auto lines = Parsed(gcLine);
  ASSERT_EQ(lines.size(), 5u);
  ExpectLine(lines[0], 0, 60, 80, 60);
  ExpectLine(lines[1], -0.8L, 60, 160.8L, 60);
  ExpectLine(lines[2], 80, 60, 160.8L, 72);
  ExpectLine(lines[3], 80, 60, 160, 60 + 12 * 5 / 5.2L);
  ExpectLine(lines[4], -80, 60, 240, 60);
  PlotMoveTo(-50, -50);
  PlotMoveTo(1, 2);
  PlotLineTo(3, 4);
  EXPECT_EQ(PlotState.PenX, 3);
  EXPECT_EQ(PlotState.PenY, 4);
  // The moves drew nothing.
  ASSERT_EQ(Parsed(gcLine).size(), 6u);
  ExpectLine(Parsed(gcLine)[5], 16, 24, 48, 48);
  // PlotClipLine and PlotLine leave the pen alone.
  PlotClipLine(5, 5, 6, 6);
  PlotLine(5, 5, 6, 6);
  EXPECT_EQ(PlotState.PenX, 3);
}

TEST_F(PlotterTest, LogarithmicModesClipTheLogarithms) {
  SetPlotWindow(0, 0, 3, 3);  // decades 1 .. 1000
  PlotState.LogMode = 3;
  PlotClipLine(10, 10, 100, 100);
  PlotClipLine(0, 10, 100, 100);  // log of 0 lies far outside: cut at the left edge
  const auto lines = Parsed(gcLine);
  ASSERT_EQ(lines.size(), 2u);
  // The display list keeps 8 significant digits.
  EXPECT_NEAR(static_cast<double>(lines[0].v[0]), 160.0 / 3, 1e-5);
  EXPECT_NEAR(static_cast<double>(lines[0].v[3]), 80, 1e-5);
  EXPECT_NEAR(static_cast<double>(lines[1].v[0]), 0, 1e-6);
}

TEST_F(PlotterTest, ArrowHeadsPointTheirWayAndLineLabelsFollowTheSlope) {
  DrawArrowHead(5, 10, 10, 8);
  EXPECT_TRUE(Parsed(gcSolid).empty());
  // Right: base 8 to the left, half width 1; up; down.
  const std::pair<int, std::vector<Extended>> heads[] = {
      {1, {10, 10, 2, 11, 2, 9, 10, 10}}, {2, {10, 10, 9, 2, 11, 2, 10, 10}}, {4, {10, 10, 9, 18, 11, 18, 10, 10}}};
  for (const auto& [kind, corners] : heads) DrawArrowHead(kind, 10, 10, 8);
  const auto solids = Parsed(gcSolid);
  ASSERT_EQ(solids.size(), 3u);
  for (int h = 0; h < 3; ++h)
    for (int i = 0; i < 8; ++i)
      EXPECT_NEAR(static_cast<double>(solids[h].v[i]), static_cast<double>(heads[h].second[i]), 1e-9) << h << i;
  SetPlotOrigin(14, 10);  // the origin does not turn the text
  SetPlotWindow(0, 0, 160, 120);
  PlotLineLabel("mu", 0, 0, 10, 10);
  EXPECT_EQ(CadState.CadTextAngle, 0);
  const auto label = Parsed(gcOutTextXY);
  ASSERT_EQ(label.size(), 1u);
  EXPECT_EQ(label[0].text, "mu");
  ExpectPoint(label[0], 0, PlotX(5), PlotY(5));  // at the middle of its line
  ASSERT_EQ(Parsed(gcLine).size(), 1u);
  bool turned = false;
  for (const auto& r : Parsed(gcSetTextStyle))
    for (int i = 0; i < 4; ++i) turned |= std::fabs(static_cast<double>(r.v[i]) - 45) < 1e-6;
  EXPECT_TRUE(turned);
}

TEST_F(PlotterTest, ValueMarkWritesItsTextAndDropLinesToBothAxes) {
  SetPlotWindow(0, 0, 10, 10);
  PlotValueMark("MA = 5 Nm", 5, 4);
  EXPECT_TRUE(ShowsText("MA = 5 Nm"));
  EXPECT_NEAR(static_cast<double>(CadState.CadTextHeight), 3, 1e-12);  // 0.025 x 120
  const auto lines = Parsed(gcLine);
  ASSERT_EQ(lines.size(), 2u);
  ExpectLine(lines[0], 80, 0, 80, 48);
  ExpectLine(lines[1], 80, 48, 0, 48);
  EXPECT_EQ(PlotState.PenX, 0);
}

// A value label is centred between the left edge and its point and stands
// 1 % of the window above it, wherever other labels are; the load sine stays
// inside.
TEST_F(PlotterTest, ValueLabelsStandAboveTheirPointsMidwayFromTheLeftEdge) {
  SetPlotOrigin(14, 10);
  SetPlotWindow(0, 0, 10, 10);
  PlotValueMark("FM,Rm = 87460 N", 9, 8.9L);
  PlotValueMark("FM Re (0) = 90132 N", 9.5L, 9.0L);
  PlotValueMark("FM,min = 29518 N", 0.5L, 3);
  const auto texts = Parsed(gcOutTextXY);
  ASSERT_EQ(texts.size(), 3u);
  const struct {
    std::size_t length;
    Extended x, y;
  } marks[] = {{15, 9, 8.9L}, {19, 9.5L, 9.0L}, {16, 0.5L, 3}};
  const Extended h = CadState.CadTextHeight, ratio = CadState.CadTextWidthSetting;
  for (int i = 0; i < 3; ++i) {
    const Extended centre = (PlotX(marks[i].x) + 0 + 14) * 0.5L;
    // Never left of the plot area's edge: a point near it keeps its text on the plot area.
    EXPECT_NEAR(static_cast<double>(texts[i].v[0]),
                static_cast<double>(std::max(14.0L, centre - static_cast<Extended>(marks[i].length) * 0.5L * h * ratio)),
                1e-6)
        << i;
    EXPECT_NEAR(static_cast<double>(texts[i].v[1]), static_cast<double>(PlotY(marks[i].y + 0.1L)), 1e-6) << i;
  }
  // A window that starts elsewhere than at 0 keeps the label on the sheet,
  // midway between the plot area's left edge and the point.
  CreateDisplayList()->clear();
  SetPlotWindow(20000, 0, 50000, 10);
  PlotValueMark("MA = 91.74 Nm", 35000, 5);
  const auto far = Parsed(gcOutTextXY);
  ASSERT_EQ(far.size(), 1u);
  EXPECT_NEAR(static_cast<double>(far[0].v[0]), static_cast<double>((14 + 94) * 0.5L - 13 * 0.5L * h * ratio), 1e-6);
  SetPlotWindow(0, 0, 10, 10);
  CreateDisplayList()->clear();
  PlotSineCurve(9, 5, 2, 4, 90, 2);  // runs far beyond x = 10
  ASSERT_FALSE(Parsed(gcLine).empty());
  double right = 0;
  for (const auto& l : Parsed(gcLine)) right = std::max({right, l.v[0], l.v[2]});
  EXPECT_LT(static_cast<double>(right), static_cast<double>(PlotX(10.1L)));  // within 1 % of the axis end
}

// A line's label stands at the middle of the part of its line that is drawn,
// also where a value label already is; a line from the window's corner out
// of it is drawn up to the border, and a line that is not drawn has no label.
TEST_F(PlotterTest, LineLabelsStandAtTheMiddleOfTheirLines) {
  SetPlotWindow(0, 0, 10, 10);
  PlotLineLabel("mu min", 0, 5, 10, 5);
  const auto label = Parsed(gcOutTextXY);
  ASSERT_EQ(label.size(), 1u);
  ExpectPoint(label[0], 0, PlotX(5), PlotY(5));
  CreateDisplayList()->clear();
  PlotValueMark("FM = 1 N", 10, 5);
  PlotLineLabel("mu", 0, 0, 10, 10.4L);
  const auto texts = Parsed(gcOutTextXY);
  ASSERT_EQ(texts.size(), 2u);
  const Extended xEdge = 10 / 10.4L * 10;  // where the line leaves the window's top
  ExpectPoint(texts[1], 0, PlotX(xEdge / 2), PlotY(5));
  const auto lines = Parsed(gcLine);
  ASSERT_FALSE(lines.empty());
  const double drawn[4] = {0, 0, static_cast<double>(PlotX(xEdge)), 120};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(lines.back().v[i], drawn[i], 1e-4) << i;  // 8 digits in the list
  CreateDisplayList()->clear();
  PlotLineLabel("mu max", -5, 20, 20, -5);  // crosses the window, both ends outside: not drawn
  EXPECT_TRUE(Parsed(gcOutTextXY).empty());
  EXPECT_TRUE(Parsed(gcLine).empty());
}

// A curve drawn again gives the same lines, and a curve of another phase in
// between is not drawn with the sines of the first.
TEST_F(PlotterTest, SineCurvesDrawnAgainOrWithAnotherPhaseFollowTheirOwnSines) {
  SetPlotWindow(0, 0, 100, 100);
  const struct {
    Extended phase, turns;
  } curves[] = {{90, 2}, {0, 1}, {90, 2}, {-0.0L, 3}, {45, 0.5L}};
  std::vector<std::string> first;
  for (const auto& c : curves) {
    SCOPED_TRACE(static_cast<double>(c.phase));
    CreateDisplayList()->clear();
    PlotSineCurve(10, 50, 20, 30, c.phase, c.turns);
    const auto lines = Parsed(gcLine);
    ASSERT_FALSE(lines.empty());
    // Every point lies on the sine of its own curve.
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const Extended t = DegToRad(c.phase) + static_cast<Extended>(i + 1) * 0.0698131700797732L;
      EXPECT_NEAR(static_cast<double>(lines[i].v[3]), static_cast<double>(PlotY(50 + 20 * std::sin(t))), 1e-5) << i;
    }
    if (c.phase == 90 && c.turns == 2) {
      if (first.empty())
        first = DisplayList->Lines();
      else
        EXPECT_EQ(DisplayList->Lines(), first);
    }
  }
}

TEST_F(PlotterTest, ValuesThatAreNotFiniteDrawNothing) {
  SetPlotWindow(0, 0, 10, 10);
  PlotLine(0, 0, INFINITY, 5);
  PlotText("x", NAN, 1);
  PlotSineCurve(1, 1, 1, NAN, 90, 2);
  SetPlotWindow(0, 0, 0, 10);  // a window of no width
  PlotLine(0, 0, 5, 5);
  PlotMarker(1, 1, 1, 1);
  EXPECT_TRUE(Parsed(gcLine).empty());
  EXPECT_TRUE(Parsed(gcOutTextXY).empty());
  EXPECT_TRUE(Parsed(gcSolid).empty());
}

}  // namespace
