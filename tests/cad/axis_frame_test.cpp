#include "cad/axis_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "diagram_test_support.h"
#include "framework/file_utils.h"
#include "framework/math_utils.h"

namespace {

class AxisFrameTest : public DiagramTest {
 protected:
  void TearDown() override {
    SetCommandLineParams({});
    DiagramTest::TearDown();
  }

  // One framed diagram on a device; the display list holds only the frame.
  void Frame(TCadDevice device, Extended xmin, Extended ymin, Extended xmax, Extended ymax,
             Word place = 2) {
    StartDrawing(device, 2);
    CadBeginEntities();
    InitDisplayList();
    PlotInit();
    PlotFrame("x [mm]", "F [N]", "Frame title", xmin, ymin, xmax, ymax, place);
    CadEndSection();
    CadClose(0);
  }

  std::string FileText() const {
    std::ifstream in(DxfFile(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(AxisFrameTest, RangesScaleToWholeStepsAndARangeAboveZeroDrawsNoXAxis) {
  Frame(kCadScreen, 0, 0, 95, 47);
  EXPECT_EQ(PlotState.WinXMin, 0);
  EXPECT_NEAR(static_cast<double>(PlotState.WinXMax), 100, 1e-9);
  EXPECT_NEAR(static_cast<double>(PlotState.WinYMax), 50, 1e-9);
  EXPECT_NEAR(static_cast<double>(PlotState.XTickStep), 20, 1e-9);
  for (const char* label : {"0", "20", "40", "60", "80", "100", "5", "45", "50", "Frame title", "x [mm]", "F [N]"})
    EXPECT_TRUE(ShowsText(label)) << label;
  EXPECT_FALSE(ShowsText("120"));
  // Axes 2, ticks 6 + 11, grid 6 + 11.
  EXPECT_EQ(Parsed(gcLine).size(), 36u);
  // Both arrowheads stand 5 % of the range beyond the last tick.
  auto solids = Parsed(gcSolid);
  ASSERT_EQ(solids.size(), 2u);
  ExpectPoint(solids[0], 0, 168, 0);
  ExpectPoint(solids[1], 0, 0, 126);
  // Colour 17 stays for the caller.
  EXPECT_EQ(CadState.CadColor, 17);
  Frame(kCadScreen, 0, 10, 95, 47);
  EXPECT_GT(PlotState.WinYMin, 0);
  solids = Parsed(gcSolid);
  ASSERT_EQ(solids.size(), 1u);  // the y axis' arrowhead only
  EXPECT_NEAR(static_cast<double>(solids[0].v[0]), 0, 1e-6);
  EXPECT_TRUE(ShowsText("100"));
  EXPECT_GT(Parsed(gcLine).size(), 20u);
  // Place of the x axis text.
  Frame(kCadScreen, 0, 0, 95, 47, 3);
  EXPECT_FALSE(ShowsText("x [mm]"));
  EXPECT_TRUE(ShowsText("F [N]"));
  Frame(kCadScreen, 0, 0, 95, 47, 1);
  EXPECT_TRUE(ShowsText("x [mm]"));
}

// Tick labels drawn again follow the number settings of each drawing.
TEST_F(AxisFrameTest, TickLabelsFollowTheNumberSettingsOfEachDrawing) {
  const struct {
    Word comma;
    int digits;
    const char* label;  // of the tick at 0.4
  } rows[] = {{1, 3, "0.4"}, {2, 3, "0,4"}, {1, 5, "0.400"}, {1, 3, "0.4"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    DecimalCommaMode = r.comma;
    FloatDigits = r.digits;
    Frame(kCadScreen, 0, 0, 0.95L, 0.95L);
    EXPECT_TRUE(ShowsText(r.label));
  }
}

TEST_F(AxisFrameTest, AngleAxisRunsAFullTurnAndLimitsThatAreNotFiniteFrameTheUnitRange) {
  OnScreen([] {
    PlotState.XAxisMode = 3;
    PlotFrame("a", "M", "t", 0, 0, 1, 1, 2);
  });
  EXPECT_NEAR(static_cast<double>(PlotState.WinXMax), 2 * kPi, 1e-12);
  EXPECT_NEAR(static_cast<double>(PlotState.XTickStep), kPi / 4, 1e-12);
  EXPECT_TRUE(ShowsText("45"));
  EXPECT_TRUE(ShowsText("360"));
  EXPECT_EQ(PlotState.XAxisMode, 0);
  Frame(kCadScreen, 0, 0, INFINITY, NAN);
  EXPECT_TRUE(std::isfinite(PlotState.WinXMax));
  EXPECT_TRUE(std::isfinite(PlotState.WinYMax));
  EXPECT_GT(PlotState.WinXRange, 0);
}

// No limits dialog on the screen or in the command line export, whatever the setting.
TEST_F(AxisFrameTest, NoDialogOnTheScreenOrInTheCommandLineExport) {
  EnterDiagramLimits = 1;
  platform::DialogScript script;  // any dialog would fail the test
  Frame(kCadScreen, 0, 0, 95, 47);
  SetCommandLineParams({"joint.bq4", "/CAD1:3"});
  Frame(kCadDxf, 0, 0, 95, 47);
  EXPECT_TRUE(script.Shown().empty());
}

// Cancel gives exactly the drawing without the dialog; entered limits frame the file output.
TEST_F(AxisFrameTest, CancelledOrEnteredLimitsFrameTheFileOutput) {
  Frame(kCadDxf, 0, 0, 95, 47);
  const std::string without = FileText();
  EnterDiagramLimits = 1;
  {
    platform::DialogScript script;
    script.Cancel();
    Frame(kCadDxf, 0, 0, 95, 47);
  }
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(FileText(), without);
  {
    platform::DialogScript script;
    script.Ok({{"Edit_xmin", "0"}, {"Edit_xmax", "200"}, {"Edit_ymin", "10"}, {"Edit_ymax", "0"}})
        .Expect("Frame title");
    Frame(kCadDxf, 0, 0, 95, 47);
  }
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(PlotState.UserAxisLimits.xmax, 200);
  EXPECT_EQ(PlotState.UserAxisLimits.ymin, 10);
  // The y limits were entered the wrong way round; they count the right way.
  EXPECT_NEAR(static_cast<double>(PlotState.WinXMax), 200, 1e-9);
  EXPECT_NEAR(static_cast<double>(PlotState.WinYMin), 0, 1e-9);
  EXPECT_NEAR(static_cast<double>(PlotState.WinYMax), 10, 1e-9);
  EXPECT_NE(FileText().find("Frame title"), std::string::npos);
}

// An entered lower limit on a step starts the axis there, though its
// quotient by the step misses the whole number by the last bit.
TEST_F(AxisFrameTest, AnEnteredLimitOnAStepStartsTheAxisThere) {
  EnterDiagramLimits = 1;
  DecimalCommaMode = 1;
  {
    platform::DialogScript script;
    script.Ok({{"Edit_xmin", "-1e30"}, {"Edit_xmax", "1e30"}, {"Edit_ymin", "-0.3"}, {"Edit_ymax", "0"}})
        .Expect("Frame title");
    Frame(kCadDxf, 0, 0, 95, 47);
  }
  ASSERT_EQ(PlotState.UserAxisLimits.ymin, -0.3L);
  EXPECT_NEAR(static_cast<double>(PlotState.WinYMin), -0.3, 1e-12);
  EXPECT_NEAR(static_cast<double>(PlotState.WinYMax), 0, 1e-12);
  EXPECT_NEAR(static_cast<double>(PlotState.WinXMin) / 1e30, -1, 1e-12);
  EXPECT_NEAR(static_cast<double>(PlotState.WinXMax) / 1e30, 1, 1e-12);
}

TEST_F(AxisFrameTest, TickCountGuardsAgainstStepsThatCannotBeCounted) {
  EXPECT_EQ(AxisTickCount(0, 100, 20), 5);
  EXPECT_EQ(AxisTickCount(0, 1e-5L, 2e-6L), 5);  // steps below the comparison tolerance
  EXPECT_EQ(AxisTickCount(0, 100, 0), -1);
  EXPECT_EQ(AxisTickCount(0, 100, -5), -1);
  EXPECT_EQ(AxisTickCount(0, INFINITY, 5), -1);
  EXPECT_EQ(AxisTickCount(0, 1e9L, 1), -1);
}

}  // namespace

namespace {

// The x axis always takes six intervals, however long its labels, and each
// label starts 3 % of the plot's width left of its tick, wherever the axis starts.
TEST_F(AxisFrameTest, XTicksTakeSixIntervalsAndTheirLabelsStandLeftOfThem) {
  for (const auto& range : {std::pair{-0.045L, 0.01L}, std::pair{-0.0045L, 0.0012L}, std::pair{0.0L, 95.0L}}) {
    SCOPED_TRACE(static_cast<double>(range.first));
    Frame(kCadScreen, range.first, 0, range.second, 12000);
    Extended X0 = 0, X1 = 0, SX = 0;
    ScaleAxisRange(X0, X1, SX, range.first, range.second, 6);
    EXPECT_NEAR(static_cast<double>(PlotState.XTickStep), static_cast<double>(SX), 1e-12);
    std::vector<TGraphRecord> labels;
    double row = 1e9;  // the x labels are the lowest texts
    for (const auto& r : Parsed(gcOutTextXY)) row = std::min(row, r.v[1]);
    for (const auto& r : Parsed(gcOutTextXY))
      if (r.v[1] == row) labels.push_back(r);
    std::sort(labels.begin(), labels.end(), [](const auto& a, const auto& b) { return a.v[0] < b.v[0]; });
    ASSERT_EQ(labels.size(), static_cast<std::size_t>(std::lround((X1 - X0) / SX)) + 1);
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const Extended x = X0 + static_cast<Extended>(i) * SX;
      EXPECT_NEAR(static_cast<double>(labels[i].v[0]), static_cast<double>(PlotX(x) - 0.03L * PlotState.PlotWidth),
                  1e-4)
          << i;
    }
  }
}

}  // namespace
