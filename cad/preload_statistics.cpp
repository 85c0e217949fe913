#include "cad/preload_statistics.h"

#include <cmath>

#include "cad/cad_output.h"
#include "cad/diagram_plotter.h"
#include "cad/tightening_diagrams.h"
#include "calc/joint_records.h"
#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/rounding_rule.h"
#include "framework/number_format.h"

namespace {

// The mapping of preload values to sigma units and the three scales under
// the curve share these.
struct GaussScale {
  Extended m = 0, B = 1, C = 1, P = 1;
  Extended Sigma(Extended v) const { return (v - m) / B * C; }
};

// A scale line from -P to just beyond P with its arrowhead.
void ScaleLine(const GaussScale& g, Extended y) {
  PlotLine(-g.P, y, g.P + 0.02L, y);
  PlotMarker(1, g.P + 0.02L, y, 0.02L);
}

// Tick marks 0.03 long down from the top of a band and up from its bottom.
void TickPair(Extended x, Extended top, Extended bottom) {
  PlotLine(x, top, x, top - 0.03L);
  PlotLine(x, bottom, x, bottom + 0.03L);
}

void TextLines(const std::string& a, const std::string& b) {
  CadTextLine(a);
  CadTextLine(b);
}

}  // namespace

Extended GaussTailPercent(Extended a) {
  if (std::isnan(a)) return 0;
  // Beyond 8 sigma nothing is left to add; the clamp bounds the loop.
  a = FloatMax(-8.5L, FloatMin(a, 8.5L));
  const Extended k = 200 / std::sqrt(2 * kPi);
  Extended sum = 0, fPrev = 0;
  for (long i = 1;; ++i) {
    const Extended x = -8 + i * 0.001L;
    const Extended f = k * std::exp(-x * x / 2);
    sum += (f + fPrev) * 0.5L * 0.001L;
    fPrev = f;
    if (x >= -a - 1e-12L) break;
  }
  return sum;
}

Extended GaussDensity(Extended x) { return std::exp(-x * x / 2); }

void DrawGaussDiagram(const std::string& name, Extended A, Extended B, Extended C, Extended D,
                      Extended E) {
  if (B == 0 || !std::isfinite(B) || !std::isfinite(A) || !std::isfinite(C)) return;
  GaussScale g;
  g.m = A + (D + E) / 2;
  g.B = B;
  g.C = C;
  const Extended t = (D - E) * C / (2 * B);
  g.P = FloatMin(RoundDownWithinRounding(FloatMax(t, C)) + 1, 5);
  const Extended P = g.P, m = g.m;
  const Extended outsideC = GaussTailPercent(C), outsideT = GaussTailPercent(t);

  // The figures above the plot area.
  CadSetTextStyle(2, 0, 2.2L, 1.8L);
  CadSetColor(19);
  CadMoveTo(3, 115);
  TextLines(name + ": " + FloatToText(m) + ToleranceText(B, -B) + " -> " + FloatToText(outsideC) +
                " %  (Sigma=" + FloatToText(C) + ")",
            name + ": " + FloatToText(A) + ToleranceText(D, E) + " -> " + FloatToText(outsideT) +
                " %");
  CadMoveTo(100, 115);
  TextLines(FloatToText(m - B) + " .. " + FloatToText(m + B) + ": -> " + FloatToText(outsideC) +
                " %",
            FloatToText(A + E) + " .. " + FloatToText(A + D) + ": -> " + FloatToText(outsideT) +
                " %");

  SetPlotWindow(-P - 0.5L, -1.0L, P + 0.5L, 1.05L);
  if (AbortFlag) return;

  // The curve, its area filled with verticals every 0.1 sigma.
  CadSetColor(21);
  const int steps = static_cast<int>(std::lround(static_cast<double>(2 * P / 0.1L)));
  for (int k = 1; k <= steps; ++k) {
    const Extended x = -P + k * 0.1L;
    PlotLine(x - 0.1L, GaussDensity(x - 0.1L), x, GaussDensity(x));
    PlotLine(x, 0, x, GaussDensity(x));
  }

  // The tolerance band on both sides.
  for (int side = -1; side <= 1; side += 2) {
    const Extended x = side * t;
    CadSetColor(16);
    PlotClipLine(x, 0, x, 0.6L);
    PlotMoveTo(x - 0.2L, 0.8L);
    CadTextLine(FloatToText(outsideT) + "%");
    CadSetColor(17);
    CadTextLine(FloatToText(side < 0 ? A + E : A + D));
    CadSetColor(18);
    CadTextLine(side < 0 ? FloatToText(0.5L * outsideT) + "%"
                         : FloatToTextFix(4, 100 - 0.5L * outsideT) + "%");
    CadSetColor(19);
    CadTextLine(FloatToText(x));
  }

  // Preload values, with vertical labels.
  CadSetColor(17);
  PlotLine(0, 0, 0, 1.05L);
  CadSetTextStyle(2, 90, PlotDY(0.04L), PlotDY(0.035L));
  ScaleLine(g, 0);
  Extended v0 = 0, v1 = 0, step = 0;
  ScaleAxisRange(v0, v1, step, A + E, A + D, 10);
  if (step > 0 && std::isfinite(step)) {
    for (int k = 1; k <= 1000; ++k) {
      const Extended v = v0 + k * step;
      if (!(v < v1 - step)) break;
      const Extended x = g.Sigma(v);
      TickPair(x, 0, -0.2L);
      PlotText(v < 1000 ? FloatToTextFix(3, v) : FloatToText(v), x + 0.05L, -0.1L - 0.08L);
    }
  }
  PlotText(name, P + 0.4L, -0.1L - 0.05L);

  // Per cent below x.
  CadSetColor(18);
  ScaleLine(g, -0.2L);
  const int halfSteps = static_cast<int>(std::lround(static_cast<double>(2 * P / 0.5L)));
  for (int k = 0; k <= halfSteps; ++k) {
    const Extended x = -P + k * 0.5L;
    TickPair(x, -0.2L, -0.75L);
    PlotText(FloatToTextFix(4, 0.5L * GaussTailPercent(-x)), x + 0.05L, -0.475L - 0.12L);
  }
  PlotText("per cent", P + 0.4L, -0.475L - 0.1L);

  // Sigma.
  CadSetColor(19);
  ScaleLine(g, -0.75L);
  ScaleLine(g, -0.95L);
  for (int k = 0; k <= halfSteps; ++k) {
    const Extended x = -P + k * 0.5L;
    TickPair(x, -0.75L, -0.95L);
    // Low in the band, so that "-4.0" ends clear of its top line.
    PlotText(FloatToTextFix(1, x), x + 0.05L, -0.93L);
  }
  PlotText("Sigma", P + 0.4L, -0.85L - 0.1L);
}

void DrawPreloadStatistics() {
  const MONTAGETYPE& m = Montage;
  const Extended FM = Last.FM;
  DrawGaussDiagram("FM [N]", FM * (1 + 1 / m.alphaA) * 0.5L,
                   0.5L * std::sqrt(m.DeltaFMlow * m.DeltaFMlow + m.DeltaFMrest * m.DeltaFMrest),
                   m.sigmaFactor, 0.5L * m.DeltaFM, -0.5L * m.DeltaFM);
  DrawTorqueTextPanel(2);
}
