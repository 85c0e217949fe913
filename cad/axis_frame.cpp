#include "cad/axis_frame.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cad/cad_output.h"
#include "cad/diagram_plotter.h"
#include "cad/recent_number_texts.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"
#include "framework/rounding_rule.h"

namespace {

TPlotState& P() { return PlotState; }

// A tick label's number: every redraw labels the same ticks again.
std::string TickNumber(Extended x) {
  static TRecentNumberTexts<64> known;
  return known.Text(x, [](Extended v) { return FloatToTextAuto(v); });
}

// A number as FloatToTextAuto writes it (an exponent that is a multiple of
// three outside 1e-5 .. 10000, the drawings' decimal sign), with digits
// significant digits and no trailing zeros.
std::string TickNumberDigits(Extended x, int digits) {
  const Extended a = std::fabs(x);
  int p = 0;
  if (a >= 1e-12L && (a < 1e-5L || a >= 10000)) {
    const int e = DecimalExponent(x);
    if (e > 3 || e < -2) p = 3 * (e / 3);
  }
  const Extended m = p == 0 ? x : x / Power10(p);
  const int decimals = std::clamp(digits - 1 - DecimalExponent(m), 0, 30);
  char buffer[96];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, m, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return TickNumber(x);
  std::string text(buffer, r.ptr);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  if (DecimalCommaMode == 2) std::replace(text.begin(), text.end(), '.', ',');
  return p == 0 ? text : text + "E" + IntToText(p);
}

// The labels of ticks at the values, in order: with as many digits as tell
// each from its neighbours (limits 1e15 .. 1e15 + 1 give "1E15" for every
// tick in the usual three digits).
std::vector<std::string> TickLabels(const std::vector<Extended>& values) {
  std::vector<std::string> labels;
  for (Extended v : values) labels.push_back(TickNumber(v));
  auto alike = [&] {
    for (std::size_t i = 1; i < labels.size(); ++i)
      if (labels[i] == labels[i - 1] && values[i] != values[i - 1]) return true;
    return false;
  };
  for (int digits = 4; digits <= 19 && alike(); ++digits)
    for (std::size_t i = 0; i < values.size(); ++i) labels[i] = TickNumberDigits(values[i], digits);
  return labels;
}

bool AngleAxis() { return P().XAxisMode == 2 || P().XAxisMode == 3; }
bool LogX() { return P().LogMode == 3 || P().LogMode == 4; }
bool LogY() { return P().LogMode == 2 || P().LogMode == 3; }

// Position and label of a tick of a logarithmic axis: a whole exponent
// stands at itself; a value between is placed at log10(10^trunc(t+1) * frac|t|).
void LogTick(Extended t, Extended& position, std::string& label) {
  // A tick within rounding of a whole power of ten is that power.
  position = std::round(t);
  if (DifferenceWithinRounding(t, position) != 0) {
    Extended whole = 0;
    const Extended frac = std::modf(std::fabs(t), &whole);
    position = Log10(Power10(std::trunc(t + 1)) * frac);
  }
  label = TickNumber(Power10(position));
}

// The sheet x where a text written at world x ends.
Extended TextEnd(const std::string& text, Extended x) {
  return PlotX(x) + static_cast<Extended>(text.size()) * CadState.CadTextHeight * CadState.CadTextWidthFactor;
}

// Every how many ticks an x label stands: the fewest, so that each label
// ends half a letter before the next begins (labels written at world x).
std::size_t LabelStride(const std::vector<Extended>& at, const std::vector<std::string>& labels) {
  const Extended letter = CadState.CadTextHeight * CadState.CadTextWidthFactor;
  for (std::size_t k = 1; k < at.size(); ++k) {
    bool apart = true;
    for (std::size_t i = 0; i + k < at.size() && apart; i += k)
      apart = TextEnd(labels[i], at[i]) + 0.5L * letter <= PlotX(at[i + k]);
    if (apart) return k;
  }
  return at.size() > 0 ? at.size() : 1;  // the first label alone
}

// Draws the x ticks and labels; the sheet x where the labels end.
Extended DrawXTicks(Extended X0, Extended X1, Extended SX, Extended Y0) {
  const Extended ry = P().WinYRange, rx = P().WinXRange;
  const int n = AxisTickCount(X0, X1, SX);
  std::vector<Extended> at, values;
  std::vector<std::string> labels;
  for (int i = 0; i <= n; ++i) {
    const Extended x = X0 + i * SX;
    PlotLine(x, Y0, x, Y0 - 0.01L * ry);
    if (LogX()) {
      Extended pos = 0;
      std::string label;
      LogTick(x, pos, label);
      at.push_back(pos - 0.01L * rx);
      labels.push_back(label);
    } else {
      // A little left of its tick, whatever the axis' first value.
      at.push_back(x - 0.03L * rx);
      values.push_back(P().XAxisMode == 3 ? RadToDeg(x) : x);
    }
  }
  if (!LogX()) labels = TickLabels(values);
  // Labels too wide for their ticks' spacing stand at every second or third tick.
  const Extended y = LogX() ? Y0 - 0.1L * ry : Y0 - 0.07L * ry;
  const std::size_t stride = LabelStride(at, labels);
  Extended end = -HUGE_VALL;
  for (std::size_t i = 0; i < at.size(); i += stride) {
    PlotText(labels[i], at[i], y);
    end = FloatMax(end, TextEnd(labels[i], at[i]));
  }
  return end;
}

// A y tick's label left of the plot area, ending before its tick: moved
// left, and narrowed where it would reach past the sheet's left edge.
void YTickLabel(const std::string& label, Extended y) {
  const Extended h = CadState.CadTextHeight;
  const Extended length = static_cast<Extended>(label.size()) * h * CadState.CadTextWidthFactor;
  const Extended end = P().PlotOriginX - 0.015L * P().PlotWidth;
  const Extended start = std::max(std::min(P().PlotOriginX - 0.1L * P().PlotWidth, end - length), 0.5L);
  const Extended sy = PlotY(y);
  if (std::isfinite(sy)) CadTextFitted(label, start, sy, end - start);
}

void DrawYTicks(Extended Y0, Extended Y1, Extended SY, Extended X0) {
  const Extended ry = P().WinYRange, rx = P().WinXRange;
  const int n = AxisTickCount(Y0, Y1, SY);
  std::vector<Extended> values;
  for (int i = 0; i <= n; ++i) values.push_back(Y0 + i * SY);
  const std::vector<std::string> labels = LogY() ? std::vector<std::string>() : TickLabels(values);
  for (int i = 0; i <= n; ++i) {
    const Extended y = values[static_cast<std::size_t>(i)];
    PlotLine(X0, y, X0 - 0.01L * rx, y);
    if (LogY()) {
      Extended pos = 0;
      std::string label;
      LogTick(y, pos, label);
      YTickLabel(label, pos - 0.01L * ry);
    } else {
      YTickLabel(labels[static_cast<std::size_t>(i)], y - 0.01L * ry);
    }
  }
}

void DrawGrid(Extended X0, Extended X1, Extended SX, Extended Y0, Extended Y1, Extended SY,
              Extended xmin, Extended xmax) {
  CadSetColor(17);
  CadSetScreenPen(1);
  if (LogX()) {
    Extended g0 = 0, g1 = 0, gs = 0;
    ScaleAxisRange(g0, g1, gs, Log10(xmin), Log10(xmax), 60);
    const int n = AxisTickCount(g0, g1, gs);
    for (int i = 0; i <= n; ++i) {
      Extended pos = 0;
      std::string label;
      LogTick(g0 + i * gs, pos, label);
      PlotLine(pos, Y0, pos, Y1);
    }
  } else {
    const int n = AxisTickCount(X0, X1, SX);
    for (int i = 0; i <= n; ++i) PlotLine(X0 + i * SX, Y0, X0 + i * SX, Y1);
  }
  const int n = AxisTickCount(Y0, Y1, SY);
  for (int i = 0; i <= n; ++i) PlotLine(X0, Y0 + i * SY, X1, Y0 + i * SY);
}

// Limits that are not finite (a failed calculation) frame the unit range.
void FiniteLimits(Extended& a, Extended& b) {
  if (!std::isfinite(a) || !std::isfinite(b)) {
    a = 0;
    b = 1;
  }
}

// The title centred above the plot area, narrowed where it is wider than the
// plot area. Written after the rest of the frame: where it would stand over
// the y axis' arrowhead (tip at sheet (arrowX, arrowTip)) or another text of
// the frame, it moves up, and right along the plot area, to the nearest place
// clear of them, below the sheet's top edge.
void DrawTitle(const std::string& title, Extended arrowX, Extended arrowTip) {
  const Extended ox = P().PlotOriginX, oy = P().PlotOriginY, right = ox + P().PlotWidth;
  const Extended x = FloatMax(ox, ox + 0.5L * P().PlotWidth - 1.75L * static_cast<Extended>(title.size()));
  const Extended y = oy + P().PlotHeight + 3.0L;
  const Extended h = CadState.CadTextHeight;
  const Extended width = static_cast<Extended>(title.size()) * h * CadState.CadTextWidthFactor;
  const Extended top = kDiagramSheetHeight - 0.5L - h;
  for (Extended sy = y; sy <= top; sy += 0.25L)
    for (Extended sx = x; right - sx >= 0.75L * FloatMin(width, right - x); sx += 0.5L)
      if (CadTextClear(title, sx, sy, right - sx)) {
        CadTextFitted(title, sx, sy, right - sx);
        return;
      }
  // Nowhere clear: above the arrowhead where it would stand over the letters.
  Extended sy = y;
  const std::size_t first = title.find_first_not_of(' ');
  if (first != std::string::npos && std::isfinite(arrowX)) {
    const Extended cw = FloatMin(h * CadState.CadTextWidthFactor, (right - x) / static_cast<Extended>(title.size()));
    const Extended halfWidth = 0.04L * P().PlotHeight * 0.125L, below = 0.3L * h;  // descenders
    const Extended left = x + static_cast<Extended>(first) * cw;
    const Extended end = x + static_cast<Extended>(title.find_last_not_of(' ') + 1) * cw;
    if (arrowX + halfWidth > left && arrowX - halfWidth < end && arrowTip > y - below) sy = arrowTip + below + 0.2L;
  }
  CadTextFitted(title, x, sy, right - x);
}

}  // namespace

int AxisTickCount(Extended start, Extended end, Extended step) {
  if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(step) || step <= 0) return -1;
  const Extended n = std::round((end - start) / step);
  if (n < 0 || n > 1000) return -1;
  return static_cast<int>(n);
}

void PlotFrame(const std::string& xText, const std::string& yText, const std::string& title,
               Extended xmin, Extended ymin, Extended xmax, Extended ymax, Word xTextPlace) {
  FiniteLimits(xmin, xmax);
  FiniteLimits(ymin, ymax);
  CadSetOutputMode(1);

  // 2., 3. Automatic ranges.
  Extended X0 = 0, X1 = 0, SX = 0, Y0 = 0, Y1 = 0, SY = 0;
  if (AngleAxis()) {
    X0 = 0;
    X1 = 2 * kPi;
    SX = kPi / 4;
  } else if (LogX()) {
    ScaleAxisRange(X0, X1, SX, Log10(xmin), Log10(xmax), 6);
  } else {
    ScaleAxisRange(X0, X1, SX, xmin, xmax, 6);
  }
  if (LogY())
    ScaleAxisRange(Y0, Y1, SY, Log10(ymin), Log10(ymax), 12);
  else
    ScaleAxisRange(Y0, Y1, SY, ymin, ymax, 6);

  // 4. The user's limits, never on the screen and never in a batch run.
  if (CadState.CadRequestedDevice != kCadScreen && EnterDiagramLimits &&
      CommandLineParams().size() < 2) {
    if (!AskDiagramLimits(xText, yText, title, X0, Y0, X1, Y1)) {
      AbortFlag = 0;
    } else {
      // Limits entered the wrong way round count the right way round.
      TAxisLimits u = P().UserAxisLimits;
      FiniteLimits(u.xmin, u.xmax);
      FiniteLimits(u.ymin, u.ymax);
      if (u.xmin > u.xmax) std::swap(u.xmin, u.xmax);
      if (u.ymin > u.ymax) std::swap(u.ymin, u.ymax);
      if (AngleAxis() && u.xmax > u.xmin) {
        X0 = u.xmin;
        X1 = u.xmax;
        SX = (u.xmax - u.xmin) * 0.125L;
      } else if (!AngleAxis()) {
        ScaleAxisRange(X0, X1, SX, u.xmin, u.xmax, 6);
      }
      ScaleAxisRange(Y0, Y1, SY, u.ymin, u.ymax, 6);
    }
  }

  // 5. Window.
  SetPlotWindow(X0, Y0, X1, Y1);
  P().XTickStep = SX;
  CadSetColor(17);

  // 6. X axis through y = 0.
  if (Y0 <= 0 && 0 <= Y1) {
    const Extended end = X1 + 0.05L * P().WinXRange;
    PlotLine(X0, 0, end, 0);
    DrawArrowHead(1, PlotX(end), PlotY(0), 0.04L * P().PlotWidth);
  }
  // 7. X ticks and labels.
  PlotTextSize(2, 0, 2.3L, 1.9L);
  const Extended labelsEnd = DrawXTicks(X0, X1, SX, Y0);
  // 8. X-axis text.
  // Beside the axis' end, whatever its first value; after the last label;
  // narrowed where it would run past the sheet's edge.
  Extended sx = NAN, sy = NAN;
  if (xTextPlace <= 1) {
    sx = FloatMax(PlotX(X1 + 0.06L * P().WinXRange), labelsEnd + CadState.CadTextHeight * 0.5L);
    sy = PlotY(Y0 - 0.07L * P().WinYRange);
  } else if (xTextPlace == 2) {
    sx = PlotX(X1 + 0.01L * P().WinXRange);
    sy = PlotY(Y0 + 0.03L * P().WinYRange);
  }
  if (std::isfinite(sx) && std::isfinite(sy)) CadTextFitted(xText, sx, sy, kDiagramSheetWidth - 0.5L - sx);
  // 9. Y axis through x = 0.
  if (X0 <= 0 && 0 <= X1) {
    const Extended end = Y1 + 0.05L * P().WinYRange;
    PlotLine(0, Y0, 0, end);
    DrawArrowHead(2, PlotX(0), PlotY(end), 0.04L * P().PlotHeight);
  }
  // 10. Y ticks and labels.
  PlotTextSize(2, 0, 2.3L, 1.9L);
  DrawYTicks(Y0, Y1, SY, X0);
  // 11. Y-axis text.
  PlotText(yText, X0 - 0.1L * P().WinXRange, Y1 + 0.07L * P().WinYRange);
  // The title centred above the plot area, written once the axes, their
  // arrowheads and texts show where it stands clear of them.
  CadSetColor(4);
  PlotTextSize(2, 0, 3.5L, 2.5L);
  DrawTitle(title, X0 <= 0 && 0 <= X1 ? PlotX(0) : NAN, PlotY(Y1 + 0.05L * P().WinYRange));
  PlotTextSize(2, 0, 2.3L, 1.9L);
  // 12. Grid at the ticks; colour 17 and screen pen 1 stay for the caller.
  DrawGrid(X0, X1, SX, Y0, Y1, SY, xmin, xmax);
  // 13.
  P().XAxisMode = 0;
}
