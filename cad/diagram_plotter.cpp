#include "cad/diagram_plotter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "cad/cad_output.h"
#include "cad/hatching.h"
#include "framework/math_utils.h"
#include "framework/plane_geometry.h"

TPlotState PlotState;

namespace {

TPlotState& P() { return PlotState; }

// A value that cannot be placed on a sheet (a calculation that divided by
// zero) draws nothing instead of writing "inf" or "nan" into a CAD file.
bool Finite(Extended a, Extended b) { return std::isfinite(a) && std::isfinite(b); }

bool Finite(Extended a, Extended b, Extended c, Extended d) {
  return Finite(a, b) && Finite(c, d);
}

// Lines of the logarithmic axis modes are drawn between the logarithms.
bool LogY() { return P().LogMode == 2 || P().LogMode == 3; }
bool LogX() { return P().LogMode == 3 || P().LogMode == 4; }

// The sine of the i-th point of a sine curve at t: a redraw plots the same
// curves again, and the extended sine of an angle past pi/4 costs far more
// than the rest of a point. Kept by index with its angle, so that another
// curve's angle is computed afresh.
Extended CurveSine(long i, Extended t) {
  struct Known {
    Extended t, sine;
  };
  static std::vector<Known> known;
  constexpr long kKept = 4096;
  const auto at = static_cast<std::size_t>(i);
  if (i < kKept && at < known.size() && known[at].t == t && std::signbit(known[at].t) == std::signbit(t))
    return known[at].sine;
  const Extended sine = std::sin(t);
  if (i < kKept) {
    if (at >= known.size()) known.resize(at + 1, Known{std::numeric_limits<Extended>::quiet_NaN(), 0});
    known[at] = {t, sine};
  }
  return sine;
}

void SheetLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  const Extended sx1 = PlotX(x1), sy1 = PlotY(y1), sx2 = PlotX(x2), sy2 = PlotY(y2);
  if (Finite(sx1, sy1, sx2, sy2)) CadLine(sx1, sy1, sx2, sy2);
}

}  // namespace

void ResetPlotVars() {
  const TAxisLimits keep = P().UserAxisLimits;
  P() = TPlotState{};
  P().UserAxisLimits = keep;
}

void PlotInit() {
  ResetPlotVars();
  SetPlotSize(160, 120);
  SetPlotOrigin(0, 0);
}

void SetPlotSize(Extended width, Extended height) {
  P().PlotWidth = width;
  P().PlotHeight = height;
}

void SetPlotOrigin(Extended x0, Extended y0) {
  P().PlotOriginX = x0;
  P().PlotOriginY = y0;
}

void SetPlotWindow(Extended xmin, Extended ymin, Extended xmax, Extended ymax) {
  P().WinXMin = xmin;
  P().WinYMin = ymin;
  P().WinXMax = xmax;
  P().WinYMax = ymax;
  P().WinXRange = xmax - xmin;
  P().WinYRange = ymax - ymin;
}

void ScalePlotWindow(Extended fx, Extended fy) {
  P().WinXMin /= fx;
  P().WinXMax /= fx;
  P().XTickStep /= fx;
  P().WinYMin /= fy;
  P().WinYMax /= fy;
  P().WinXRange = P().WinXMax - P().WinXMin;
  P().WinYRange = P().WinYMax - P().WinYMin;
}

Extended PlotX(Extended x) {
  return (x - P().WinXMin) / (P().WinXMax - P().WinXMin) * P().PlotWidth + P().PlotOriginX;
}

Extended PlotY(Extended y) {
  return (y - P().WinYMin) / (P().WinYMax - P().WinYMin) * P().PlotHeight + P().PlotOriginY;
}

Extended PlotDX(Extended dx) { return dx / (P().WinXMax - P().WinXMin) * P().PlotWidth; }

Extended PlotDY(Extended dy) { return dy / (P().WinYMax - P().WinYMin) * P().PlotHeight; }

void PlotMoveTo(Extended x, Extended y) {
  const Extended sx = PlotX(x), sy = PlotY(y);
  if (Finite(sx, sy)) CadMoveTo(sx, sy);
  P().PenX = x;
  P().PenY = y;
}

void PlotLineTo(Extended x, Extended y) {
  PlotClipLine(P().PenX, P().PenY, x, y);
  P().PenX = x;
  P().PenY = y;
}

void PlotClipLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  if (LogY()) {
    y1 = Log10(y1);
    y2 = Log10(y2);
  }
  if (LogX()) {
    x1 = Log10(x1);
    x2 = Log10(x2);
  }
  // A segment near the window (1 % around it) is drawn whole; one with an
  // end inside is cut where it leaves; any other is left out.
  const TPlotState& s = P();
  const Extended mx = 0.01L * s.WinXRange, my = 0.01L * s.WinYRange;
  auto nearWindow = [&](Extended x, Extended y) {
    return s.WinXMin - mx < x && x < s.WinXMax + mx && s.WinYMin - my < y && y < s.WinYMax + my;
  };
  if (!nearWindow(x1, y1) || !nearWindow(x2, y2)) {
    const bool in1 = PointInBox(x1, y1, s.WinXMin, s.WinYMin, s.WinXMax, s.WinYMax);
    const bool in2 = PointInBox(x2, y2, s.WinXMin, s.WinYMin, s.WinXMax, s.WinYMax);
    if (!in1 && !in2) return;
    ClipSegment(x1, y1, x2, y2, s.WinXMin, s.WinYMin, s.WinXMax, s.WinYMax);
  }
  SheetLine(x1, y1, x2, y2);
}

void PlotLine(Extended x1, Extended y1, Extended x2, Extended y2) { SheetLine(x1, y1, x2, y2); }

void PlotText(const std::string& text, Extended x, Extended y) {
  const Extended sx = PlotX(x), sy = PlotY(y);
  if (Finite(sx, sy)) CadText(text, sx, sy);
}

void PlotTextSize(int font, Extended angle, Extended height, Extended width) {
  const Extended s = FloatMax(P().PlotWidth * 0.00625L, P().PlotHeight * 0.01L);
  CadSetTextStyle(font, angle, height * s, width * s);
}

void DrawArrowHead(Word kind, Extended x, Extended y, Extended length) {
  const Extended L = length, h = length * 0.125L;
  if (!Finite(x, y, L, h)) return;
  switch (kind) {
    case 0:
    case 1:
      CadSolid(x, y, x - L, y + h, x - L, y - h, x, y);
      break;
    case 2:
      CadSolid(x, y, x - h, y - L, x + h, y - L, x, y);
      break;
    case 3:
      CadSolid(x, y, x + L, y + h, x + L, y - h, x, y);
      break;
    case 4:
      CadSolid(x, y, x - h, y + L, x + h, y + L, x, y);
      break;
    default:
      break;
  }
}

void PlotMarker(Word kind, Extended x, Extended y, Extended length) {
  DrawArrowHead(kind, PlotX(x), PlotY(y), PlotDX(length));
}

void PlotValueMark(const std::string& text, Extended x, Extended y) {
  CadSetTextStyle(2, 0, 0.025L * P().PlotHeight, 0.02L * P().PlotWidth);
  // Midway between the plot area's left edge on the sheet and the point, in
  // sheet millimetres whatever the window's x minimum.
  const Extended centre = (PlotX(x) + P().PlotOriginX) * 0.5L;
  const Extended start =
      centre - static_cast<Extended>(text.size()) * 0.5L * CadState.CadTextHeight * CadState.CadTextWidthSetting;
  const Extended sy = PlotY(y + 0.01L * P().WinYRange);
  if (Finite(start, sy)) CadText(text, start, sy);
  CadSetScreenPen(3);
  PlotMoveTo(x, 0);
  PlotLineTo(x, y);
  PlotLineTo(0, y);
}

void PlotLineLabel(const std::string& text, Extended x1, Extended y1, Extended x2, Extended y2) {
  PlotClipLine(x1, y1, x2, y2);
  // The slope of the line on the sheet (lengths, so the plot origin takes no part).
  const Extended angle = RadToDeg(ArcTan2(PlotDX(x2 - x1), PlotDY(y2 - y1)));
  CadSetTextStyle(2, std::isfinite(angle) ? angle : 0, 2.0L, 1.8L);
  PlotText(text, (x1 + x2) / 2, (y1 + y2) / 2);
  CadSetTextStyle(2, 0, 2.0L, 1.8L);
}

void PlotSineCurve(Extended x, Extended y, Extended a, Extended b, Extended phase, Extended turns) {
  // Point by point in world values, so that the plot area clips it like
  // every other curve and it never runs into a neighbouring panel.
  constexpr Extended kStep = 0.0698131700797732L;  // 4 degrees
  const Extended t0 = DegToRad(phase);
  const Extended end = t0 + 2 * kPi * turns;
  // Counted steps with a little slack, so that rounding never loses the last point.
  for (long i = 0; i < 100000; ++i) {
    const Extended t = t0 + i * kStep;
    if (!(t <= end + 1e-9L)) break;
    const Extended px = x + (t - t0) * b / (2 * kPi), py = y + a * CurveSine(i, t);
    if (i == 0)
      PlotMoveTo(px, py);
    else
      PlotLineTo(px, py);
  }
}

void PlotHatchBegin() { HatchPolyBegin(); }

void PlotHatchPoint(Extended x, Extended y, Extended arc) {
  HatchPolyPoint(PlotX(x), PlotY(y), arc);
}

void PlotHatchFill(int n, Extended spacing, Extended angle) {
  HatchPolyEnd(n, PlotDX(spacing), angle);
}

void InitDiagramPlotter() {
  P().UserAxisLimits = TAxisLimits{0, 0, 1, 1};
  ResetPlotVars();
}
