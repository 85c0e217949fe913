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

// The part of a line that PlotClipLine draws, in window values (logarithms
// on a logarithmic axis); false when nothing is drawn. A segment near the
// window (1 % around it) is drawn whole; one with an end inside is cut where
// it leaves; any other is left out.
bool DrawnPart(Extended& x1, Extended& y1, Extended& x2, Extended& y2) {
  if (LogY()) {
    y1 = Log10(y1);
    y2 = Log10(y2);
  }
  if (LogX()) {
    x1 = Log10(x1);
    x2 = Log10(x2);
  }
  const TPlotState& s = P();
  const Extended mx = 0.01L * s.WinXRange, my = 0.01L * s.WinYRange;
  auto nearWindow = [&](Extended x, Extended y) {
    return s.WinXMin - mx < x && x < s.WinXMax + mx && s.WinYMin - my < y && y < s.WinYMax + my;
  };
  if (!nearWindow(x1, y1) || !nearWindow(x2, y2)) {
    const bool in1 = PointInBox(x1, y1, s.WinXMin, s.WinYMin, s.WinXMax, s.WinYMax);
    const bool in2 = PointInBox(x2, y2, s.WinXMin, s.WinYMin, s.WinXMax, s.WinYMax);
    // Cut where it leaves the window, also where its inside end lies on the
    // border (the first crossing of the border would be that end itself).
    if (!in1 && !in2) return false;
    return CutSegmentToBox(x1, y1, x2, y2, s.WinXMin, s.WinYMin, s.WinXMax, s.WinYMax);
  }
  return true;
}

// The plot area on the sheet.
struct SheetBox {
  Extended x1, y1, x2, y2;
};
SheetBox PlotArea() {
  const TPlotState& s = P();
  return {s.PlotOriginX, s.PlotOriginY, s.PlotOriginX + s.PlotWidth, s.PlotOriginY + s.PlotHeight};
}

// The outline of the hatched area being collected, on the sheet.
struct HatchPoint {
  Extended x, y, arc;
};
std::vector<HatchPoint> HatchPoints;

// The open outline through the collected points, cut to the box: a
// polyline for each run of pieces that join.
void CutOutline(const SheetBox& box) {
  bool open = false;
  Extended lastX = 0, lastY = 0;
  for (std::size_t i = 0; i + 1 < HatchPoints.size(); ++i) {
    Extended x1 = HatchPoints[i].x, y1 = HatchPoints[i].y, x2 = HatchPoints[i + 1].x, y2 = HatchPoints[i + 1].y;
    const bool seen = Finite(x1, y1, x2, y2) && CutSegmentToBox(x1, y1, x2, y2, box.x1, box.y1, box.x2, box.y2);
    if (open && (!seen || x1 != lastX || y1 != lastY)) {
      CadEndPolyline();
      open = false;
    }
    if (!seen) continue;
    if (!open) {
      CadBeginPolyline(0);
      CadVertex(x1, y1, 0);
      open = true;
    }
    CadVertex(x2, y2, 0);
    lastX = x2;
    lastY = y2;
  }
  if (open) CadEndPolyline();
}

// The height nearest sy at which a value text starting at x stands clear of
// the texts and filled areas drawn before it (CadTextClear), within the plot
// area; sy itself where none is.
Extended ClearLevel(const std::string& text, Extended x, Extended sy, Extended room, const SheetBox& area) {
  const Extended h = CadState.CadTextHeight, step = 0.25L * h;
  for (int k = 0; k <= 400; ++k) {
    bool inside = false;
    for (const Extended level : {sy + k * step, sy - k * step}) {
      if (level < area.y1 + 0.3L * h || level > area.y2 - h) continue;
      inside = true;
      if (CadTextClear(text, x, level, room)) return level;
    }
    if (!inside && k > 0) break;
  }
  return sy;
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
  if (DrawnPart(x1, y1, x2, y2)) SheetLine(x1, y1, x2, y2);
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
  // sheet millimetres whatever the window's x minimum, just above the point;
  // moved into the plot area where it would stand beyond it. A point outside
  // the window gets no text: its lines are cut at the edge.
  const SheetBox area = PlotArea();
  const Extended px = PlotX(x), py = PlotY(y);
  const Extended tolerance = 1e-9L * (P().PlotWidth + P().PlotHeight);
  if (Finite(px, py) && PointInBox(px, py, area.x1 - tolerance, area.y1 - tolerance, area.x2 + tolerance,
                                   area.y2 + tolerance)) {
    const auto n = static_cast<Extended>(text.size());
    const Extended h = CadState.CadTextHeight;
    const Extended centre = (px + area.x1) * 0.5L;
    const Extended length = n * h * CadState.CadTextWidthFactor;
    Extended start = centre - n * 0.5L * h * CadState.CadTextWidthSetting;
    start = std::max(area.x1, std::min(start, area.x2 - length));
    const Extended sy = std::min(PlotY(y + 0.01L * P().WinYRange), area.y2 - h);
    // Moved up or down where it would stand over another text.
    const Extended room = area.x2 - start;
    if (Finite(start, sy)) CadTextFitted(text, start, ClearLevel(text, start, sy, room, area), room);
  }
  CadSetScreenPen(3);
  PlotMoveTo(x, 0);
  PlotLineTo(x, y);
  PlotLineTo(0, y);
}

void PlotLineLabel(const std::string& text, Extended x1, Extended y1, Extended x2, Extended y2) {
  PlotClipLine(x1, y1, x2, y2);
  // No line drawn, no label.
  Extended a1 = x1, b1 = y1, a2 = x2, b2 = y2;
  if (!DrawnPart(a1, b1, a2, b2)) return;
  // The slope of the line on the sheet (lengths, so the plot origin takes no part).
  Extended angle = RadToDeg(ArcTan2(PlotDX(x2 - x1), PlotDY(y2 - y1)));
  if (!std::isfinite(angle)) angle = 0;
  CadSetTextStyle(2, angle, 2.0L, 1.8L);
  // At the middle of the part drawn, moved back along it where the text
  // would run out of the plot area, but not beyond the part's start.
  const Extended sx1 = PlotX(a1), sy1 = PlotY(b1), sx2 = PlotX(a2), sy2 = PlotY(b2);
  // A part that is a point on the sheet (a line touching the window's
  // corner) draws no line: no label either.
  if (!(std::hypot(sx2 - sx1, sy2 - sy1) > 1e-6L)) {
    CadSetTextStyle(2, 0, 2.0L, 1.8L);
    return;
  }
  Extended sx = 0, sy = 0;
  const Extended c = std::cos(DegToRad(angle)), s = std::sin(DegToRad(angle));
  const Extended length = static_cast<Extended>(text.size()) * CadState.CadTextHeight * CadState.CadTextWidthFactor;
  const SheetBox area = PlotArea();
  auto overshoot = [](Extended end, Extended lo, Extended hi, Extended d) -> Extended {
    if (d > 0 && end > hi) return (end - hi) / d;
    if (d < 0 && end < lo) return (lo - end) / -d;
    return 0;
  };
  // At a point of the part drawn (a share t of it from its start), moved back
  // where it would run out of the plot area.
  auto placed = [&](Extended t, Extended& px, Extended& py) {
    px = sx1 + t * (sx2 - sx1);
    py = sy1 + t * (sy2 - sy1);
    const Extended back = std::min(std::max(overshoot(px + length * c, area.x1, area.x2, c),
                                            overshoot(py + length * s, area.y1, area.y2, s)),
                                   t * std::hypot(sx2 - sx1, sy2 - sy1));
    if (back > 0) {
      px -= back * c;
      py -= back * s;
    }
  };
  placed(0.5L, sx, sy);
  // Where it would stand over another text or an arrowhead: the nearest
  // place along the line that is clear of them and on the plot area, else
  // one on either side of it.
  const Extended h = CadState.CadTextHeight;
  auto free = [&](Extended px, Extended py) {
    if (!Finite(px, py)) return false;
    for (const Extended u : {0.0L, length})
      for (const Extended v : {-0.3L * h, 1.15L * h}) {
        const Extended cx = px + u * c - v * s, cy = py + u * s + v * c;
        if (!PointInBox(cx, cy, area.x1 - 1e-9L, area.y1 - 1e-9L, area.x2 + 1e-9L, area.y2 + 1e-9L)) return false;
      }
    return CadTextClear(text, px, py);
  };
  if (Finite(sx, sy) && !CadTextClear(text, sx, sy)) {
    bool found = false;
    auto take = [&](Extended px, Extended py) {
      if (found || !free(px, py)) return;
      sx = px;
      sy = py;
      found = true;
    };
    for (int k = 1; k <= 10; ++k)
      for (const Extended t : {0.5L - 0.05L * k, 0.5L + 0.05L * k}) {
        Extended px = 0, py = 0;
        placed(t, px, py);
        take(px, py);
      }
    for (int k = 0; k <= 10; ++k)
      for (const Extended t : {0.5L - 0.05L * k, 0.5L + 0.05L * k}) {
        Extended px = 0, py = 0;
        placed(t, px, py);
        for (int j = 1; j <= 8; ++j)
          for (const Extended d : {0.5L * j * h, -0.5L * j * h}) take(px - d * s, py + d * c);
      }
  }
  if (Finite(sx, sy)) CadText(text, sx, sy);
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

void PlotHatchBegin() { HatchPoints.clear(); }

void PlotHatchPoint(Extended x, Extended y, Extended arc) { HatchPoints.push_back({PlotX(x), PlotY(y), arc}); }

void PlotHatchFill(int n, Extended spacing, Extended angle) {
  // Outline and hatch lines end at the plot area, as the curves do.
  const SheetBox area = PlotArea();
  SetHatchClipBox(area.x1, area.y1, area.x2, area.y2);
  const bool arcs =
      std::any_of(HatchPoints.begin(), HatchPoints.end(), [](const HatchPoint& p) { return p.arc != 0; });
  if (arcs) {
    // An outline with arcs is drawn whole; its hatch lines are cut.
    HatchPolyBegin();
    for (const HatchPoint& p : HatchPoints) HatchPolyPoint(p.x, p.y, p.arc);
    HatchPolyEnd(n, PlotDX(spacing), angle);
  } else {
    CutOutline(area);
    HatchBegin();
    for (const HatchPoint& p : HatchPoints) HatchAddPoint(p.x, p.y);
    HatchPolygon(n, PlotDX(spacing), angle);
  }
  ClearHatchClipBox();
}

void InitDiagramPlotter() {
  P().UserAxisLimits = TAxisLimits{0, 0, 1, 1};
  ResetPlotVars();
}
