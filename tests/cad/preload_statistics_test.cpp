#include "cad/preload_statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "diagram_test_support.h"
#include "cad/load_extension_diagrams.h"
#include "framework/number_format.h"

namespace {

class PreloadStatisticsTest : public DiagramTest {
 protected:
  // Kind 10's diagram alone on the screen, in its plot area.
  void Gauss(Extended A, Extended B, Extended C, Extended D, Extended E) {
    OnScreen([=] {
      SetPlotSize(100, 100);
      SetPlotOrigin(5, 5);
      DrawGaussDiagram("FM [N]", A, B, C, D, E);
    });
  }
};

// Two-sided tails of the normal distribution: 2 (1 - Phi(a)) in per cent.
TEST(GaussTailPercent, MatchesPublishedNormalDistributionValues) {
  // Argument, per cent, tolerance.
  const double tails[][3] = {{0, 100.0, 1e-3}, {1, 31.7311, 1e-3}, {1.96, 5.0, 2e-3},
                             {2, 4.5500, 1e-3}, {3, 0.2700, 1e-4}, {4, 0.006334, 1e-5}};
  for (const auto& t : tails) EXPECT_NEAR(static_cast<double>(GaussTailPercent(t[0])), t[1], t[2]) << t[0];
  // Half of the value at -x is the per cent below x.
  EXPECT_NEAR(static_cast<double>(0.5L * GaussTailPercent(-1)), 84.1345, 1e-3);
  EXPECT_NEAR(static_cast<double>(0.5L * GaussTailPercent(-3)), 99.8650, 1e-3);
  // Extreme arguments end and saturate.
  EXPECT_LT(static_cast<double>(GaussTailPercent(50)), 1e-9);
  EXPECT_NEAR(static_cast<double>(GaussTailPercent(-1e30L)), 200.0, 1e-6);
  EXPECT_NEAR(static_cast<double>(GaussTailPercent(-INFINITY)), 200.0, 1e-6);
  EXPECT_EQ(GaussTailPercent(NAN), 0);
}

TEST_F(PreloadStatisticsTest, FiguresAboveTheCurveAndKindTenOfTheCalculatedPreloadWithItsPanel) {
  Gauss(50000, 10000, 3, 10000, -10000);
  EXPECT_TRUE(ShowsText("FM [N]: 50000", true));
  EXPECT_TRUE(ShowsText("0.27%", true));
  // C = 3, t = 3: the axis runs over +-4 sigma.
  for (const char* text : {"40000 .. 60000: -> 0.27 %", "99.8650%", "Sigma", "per cent", "50.0000", "-4.0"})
    EXPECT_TRUE(ShowsText(text)) << text;
  EXPECT_FALSE(ShowsText("-4.5"));
  EXPECT_NEAR(static_cast<double>(PlotState.WinXMax), 4.5, 1e-12);
  EXPECT_EQ(PlotState.WinYMin, -1);
  Gauss(50000, 5000, 3, 10000, -10000);  // t = 6: the widest axis
  EXPECT_NEAR(static_cast<double>(PlotState.WinXMax), 5.5, 1e-12);
  EXPECT_TRUE(ShowsText("-5.0"));
  Gauss(50000, 0, 3, 10000, -10000);  // no scatter: nothing
  EXPECT_TRUE(CreateDisplayList()->empty());
  CalculateDefaultJoint();
  OnScreen([] { DrawDiagram(kDiagramPreloadStatistics); });
  // The mean preload named above the curve lies between FM,min and FM,max.
  const auto texts = Parsed(gcOutTextXY);
  const auto mean = std::find_if(texts.begin(), texts.end(),
                                 [](const TGraphRecord& t) { return t.text.rfind("FM [N]: ", 0) == 0; });
  ASSERT_NE(mean, texts.end());
  EXPECT_GT(std::stod(mean->text.substr(8)), Last.FM / Montage.alphaA);
  EXPECT_LT(std::stod(mean->text.substr(8)), Last.FM);
  EXPECT_TRUE(ShowsText("FVmax = ", true));  // the panel in mode 2
  // The sigma labels stand low in their band, so that "-4.0" ends below the
  // band's top line, which is drawn whole rather than cut around them (with
  // the configured text width of 1).
  CadState.CadTextWidthSetting = 1;
  OnScreen([] { DrawDiagram(kDiagramPreloadStatistics); });
  const Extended P = PlotState.WinXMax - 0.5L;
  std::vector<std::pair<double, double>> topLine;
  for (const auto& l : Parsed(gcLine))
    if (std::fabs(l.v[1] - static_cast<double>(PlotY(-0.75L))) < 1e-5 && std::fabs(l.v[3] - l.v[1]) < 1e-9 &&
        l.v[0] != l.v[2])
      topLine.emplace_back(std::fmin(l.v[0], l.v[2]), std::fmax(l.v[0], l.v[2]));
  ASSERT_EQ(topLine.size(), 1u);
  EXPECT_NEAR(topLine[0].first, static_cast<double>(PlotX(-P)), 1e-5);
  EXPECT_NEAR(topLine[0].second, static_cast<double>(PlotX(P + 0.02L)), 1e-5);
  // Without any preload scatter the curve goes and the panel stays.
  Montage.DeltaFMlow = Montage.DeltaFMrest = 0;
  OnScreen([] { DrawDiagram(kDiagramPreloadStatistics); }, false);
  EXPECT_FALSE(ShowsText("Sigma"));
  EXPECT_TRUE(ShowsText("FVmax = ", true));
}

}  // namespace
