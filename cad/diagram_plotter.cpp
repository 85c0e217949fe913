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

namespace {

// Sheet boxes of the value labels of the current diagram, so that a label
// never covers another one.
struct LabelBox {
  Extended x1, y1, x2, y2;
  bool Overlaps(const LabelBox& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
};
std::vector<LabelBox> PlacedLabels;
// Sheet lines of the value marks so far, as boxes without height or width.
std::vector<LabelBox> PlacedMarkLines;

// A drop line of a value mark (world values, parallel to an axis): kept
// for the placing of later labels. The CAD output layer leaves a gap where
// it would run through a text.
void MarkLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  const Extended sx1 = PlotX(x1), sy1 = PlotY(y1), sx2 = PlotX(x2), sy2 = PlotY(y2);
  if (!Finite(sx1, sy1, sx2, sy2)) return;
  PlacedMarkLines.push_back({FloatMin(sx1, sx2), FloatMin(sy1, sy2), FloatMax(sx1, sx2), FloatMax(sy1, sy2)});
  PlotClipLine(x1, y1, x2, y2);
}

}  // namespace

void SetPlotOrigin(Extended x0, Extended y0) {
  P().PlotOriginX = x0;
  P().PlotOriginY = y0;
  PlacedLabels.clear();  // a new diagram
  PlacedMarkLines.clear();
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
  const Extended height = CadState.CadTextHeight;
  const Extended width = static_cast<Extended>(text.size()) * height * CadState.CadTextWidthSetting;
  // Centred between the left edge of the plot area and the point, on the
  // sheet, but never left of the plot area, where the tick labels are.
  const Extended centre = (PlotX(x) + PlotX(P().WinXMin)) * 0.5L;
  const Extended start = FloatMax(centre - 0.5L * width, P().PlotOriginX + 0.01L * P().PlotWidth);
  // Above its line, clear of it by half the text height, so that the dashed
  // line never strikes through the letters' feet; below it when another
  // label or the line of another mark is there; then further up and down in
  // turn, inside the plot area, below the title and above the tick labels.
  // Near its line a place on another mark's line does (that line leaves it a
  // gap) rather than one far away.
  const Extended gap = 0.01L * P().PlotHeight;
  const Extended clear = 0.5L * height;
  const Extended above = PlotY(y) + clear, below = PlotY(y) - clear - height;
  const Extended lowest = P().PlotOriginY + clear, highest = P().PlotOriginY + P().PlotHeight - height;
  auto boxAt = [&](Extended baseline) { return LabelBox{start, baseline - clear, start + width, baseline + height}; };
  Extended sy = above;
  bool found = false, fallbackFound = false;
  Extended fallbackY = above;
  for (int k = 0; k < 24 && !found; ++k) {
    const Extended step = static_cast<Extended>(k / 2) * (height + gap);
    const Extended candidate = k % 2 == 0 ? above + step : below - step;
    if (candidate < lowest || candidate > highest) continue;
    const LabelBox box = boxAt(candidate);
    bool onLabel = false, onLine = false;
    for (const LabelBox& b : PlacedLabels) onLabel = onLabel || box.Overlaps(b);
    for (const LabelBox& b : PlacedMarkLines) onLine = onLine || box.Overlaps(b);
    if (!onLabel && !onLine && k < 6) {
      sy = candidate;
      found = true;
    } else if (!onLabel && !fallbackFound) {
      // The first place that covers no label.
      fallbackY = candidate;
      fallbackFound = true;
    }
  }
  if (!found) sy = fallbackY;
  const LabelBox box = boxAt(sy);
  if (Finite(start, sy)) {
    CadText(text, start, sy);
    PlacedLabels.push_back(box);
  }
  CadSetScreenPen(3);
  PlotMoveTo(x, 0);
  MarkLine(x, 0, x, y);
  MarkLine(x, y, 0, y);
  PlotMoveTo(0, y);
}

void PlotLineLabel(const std::string& text, Extended x1, Extended y1, Extended x2, Extended y2) {
  PlotClipLine(x1, y1, x2, y2);
  // The slope of the line on the sheet (lengths, so the plot origin takes no part).
  const Extended angle = RadToDeg(ArcTan2(PlotDX(x2 - x1), PlotDY(y2 - y1)));
  const Extended a = std::isfinite(angle) ? angle : 0;
  CadSetTextStyle(2, a, 2.0L, 1.8L);
  // Standing on the line, its letters' feet clear of it, at its middle or,
  // where a value label is there, the nearest place along it that is free.
  const Extended lift = 0.4L * CadState.CadTextHeight;
  const Extended c = std::cos(DegToRad(a)), sn = std::sin(DegToRad(a));
  const Extended w = static_cast<Extended>(text.size()) * CadState.CadTextHeight * CadState.CadTextWidthFactor;
  const Extended h = CadState.CadTextHeight;
  auto boundsAt = [&](Extended sx, Extended sy) {
    LabelBox b{sx, sy, sx, sy};
    for (const auto& [u, v] : {std::pair<Extended, Extended>{w, 0}, {0, h}, {w, h}}) {
      const Extended x = sx + u * c - v * sn, y = sy + u * sn + v * c;
      b = {FloatMin(b.x1, x), FloatMin(b.y1, y), FloatMax(b.x2, x), FloatMax(b.y2, y)};
    }
    return b;
  };
  Extended sx = 0, sy = 0;
  for (const Extended t : {0.5L, 0.4L, 0.6L, 0.3L, 0.7L, 0.2L, 0.8L}) {
    const Extended px = PlotX(x1 + t * (x2 - x1)) - lift * sn, py = PlotY(y1 + t * (y2 - y1)) + lift * c;
    if (t == 0.5L) {
      sx = px;
      sy = py;
    }
    const LabelBox b = boundsAt(px, py);
    bool taken = false;
    for (const LabelBox& other : PlacedLabels) taken = taken || b.Overlaps(other);
    if (!taken) {
      sx = px;
      sy = py;
      break;
    }
  }
  if (Finite(sx, sy)) {
    CadText(text, sx, sy);
    PlacedLabels.push_back(boundsAt(sx, sy));  // later value labels keep off it
  }
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
