#include "framework/graph_recorder.h"

#include <cctype>
#include <cmath>
#include <numbers>

#include "framework/colours.h"
#include "framework/display_list.h"
#include "framework/globals.h"
#include "framework/graph_transform.h"

namespace {

constexpr Extended kDegToRad = std::numbers::pi_v<long double> / 180;

Extended FracPart(Extended v) { return v - std::trunc(v); }

TGraphRecorder* registeredWindow = nullptr;

}  // namespace

TGraphRecorder::TGraphRecorder() { FormCreate(); }
TGraphRecorder::~TGraphRecorder() { UnregisterMainGraphWindow(this); }

void TGraphRecorder::FormCreate() {
  TextSizeMode = 0;
  Dragging = false;
  DoubleClicked = false;
  Colour = -1;
  LineStyle = 99;
  LineWidth = 1;
}

void TGraphRecorder::SetWindow(bool keepAspect, bool Inset, Extended fx1, Extended fy1,
                               Extended fx2, Extended fy2, Extended xmin, Extended ymin,
                               Extended xmax, Extended ymax) {
  SetViewportFromFractions(Inset, fx1, fy1, fx2, fy2);
  AppendGraphWindow(ViewX1, ViewY1, ViewX2, ViewY2, xmin, ymin, xmax, ymax);
  WorldXMin = xmin;
  WorldYMin = ymin;
  WorldXMax = xmax;
  WorldYMax = ymax;
  KeepAspect = keepAspect;
  if (xmin == xmax || ymin == ymax) {
    AbortFlag = 1;
    return;
  }
  ::SetScale(ViewX1, ViewY1, ViewX2, ViewY2);
}

void TGraphRecorder::SetScale(int x1, int y1, int x2, int y2) { ::SetScale(x1, y1, x2, y2); }

void TGraphRecorder::SaveLimit() {
  SavedXMin = WorldXMin;
  SavedYMin = WorldYMin;
  SavedXMax = WorldXMax;
  SavedYMax = WorldYMax;
}

void TGraphRecorder::RestoreLimit() {
  SetWindow(true, true, 0, 0, 1, 1, SavedXMin, SavedYMin, SavedXMax, SavedYMax);
}

void TGraphRecorder::circle(Extended x, Extended y, Extended r) {
  AppendGraphReals(gcCircle, {x, y, r});
}

void TGraphRecorder::line(Extended x1, Extended y1, Extended x2, Extended y2) {
  AppendGraphReals(gcLine, {x1, y1, x2, y2});
}

void TGraphRecorder::Arc(Extended x, Extended y, Extended StartAngle, Extended EndAngle,
                         Extended r) {
  Extended sweep = (FracPart(EndAngle / 360) - FracPart(StartAngle / 360)) * 360;
  if (sweep < 0) sweep += 360;
  Extended xs = x + r * std::cos(StartAngle * kDegToRad);
  Extended ys = y + r * std::sin(StartAngle * kDegToRad);
  Extended xe = x + r * std::cos(EndAngle * kDegToRad);
  Extended ye = y + r * std::sin(EndAngle * kDegToRad);
  // End and start a whole number of turns apart is a full circle, not a
  // zero sweep: record an arc whose end point is its start point, which the
  // replay draws as the whole circle.
  bool fullCircle = EndAngle != StartAngle && std::fmod(EndAngle - StartAngle, 360) == 0;
  if (fullCircle) {
    xe = xs;
    ye = ys;
  } else if (std::fabs(sweep) < 4.0L) {
    line(xs, ys, xe, ye);
    return;
  }
  AppendGraphReals(gcArc, {x - r, y - r, x + r, y + r, xs, ys, xe, ye});
}

Extended TGraphRecorder::EinX(Extended v) const { return (WorldXMax - WorldXMin) * v; }
Extended TGraphRecorder::EinY(Extended v) const { return (WorldYMax - WorldYMin) * v; }

void TGraphRecorder::SetColor(int c) {
  if (c <= GraphColorCount && c != Colour) {  // MaxColour, the palette's last number
    Colour = c;
    AppendGraphInt(gcSetColor, c);
  }
}

void TGraphRecorder::Clear() {
  CreateDisplayList()->clear();
  // The empty list starts again from the replay's defaults, so the first
  // colour, style and width of the next drawing are recorded whatever the
  // last drawing ended with.
  Colour = -1;
  ResetStyleCaches();
  ListCleared();
  ClearViewPort();
}

void TGraphRecorder::Header(Extended xmin, Extended ymin, Extended xmax, Extended ymax) {
  Extended ww = WorldXMax - WorldXMin, wh = WorldYMax - WorldYMin;
  if (ww != 0 && wh != 0 && VerticalPixels != 0)
    AspectFactor = (KeepAspectRatio() * 640 / ww) / (480 / wh);
  SetWindow(true, true, 0, 0, 1, 1, xmin, ymin, xmax, ymax);
  SetLineStyle(0);
  SaveLimit();
}

void TGraphRecorder::ReSetWindow() {
  SetWindow(false, false, 0, 0, 1, 1, 0, 0, 1, 1);
  ResetZoom();
}

void TGraphRecorder::ClearViewPort() {}

void TGraphRecorder::SetLineStyle(Word s) {
  if (s != LineStyle) {
    LineStyle = s;
    AppendGraphInt(gcSetLineStyle, s);
  }
}

void TGraphRecorder::SetLineWidth(Word w) {
  if (w != LineWidth) {
    LineWidth = w;
    AppendGraphInt(gcSetLineWidth, w);
  }
}

void TGraphRecorder::SleepMs(int ms) { AppendGraphInt(gcSleepMs, ms); }

void TGraphRecorder::SetLineStyleName(const std::string& name) {
  std::string n;
  for (char c : name) n += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Word s = 0;
  if (n == "DOTTED" || n == "PUNKT")
    s = 1;
  else if (n == "CENTER" || n == "DASHDOT" || n == "STRICHPUNKT")
    s = 2;
  else if (n == "DASHED" || n == "HIDDEN" || n == "VERDECKT")
    s = 3;
  SetLineStyle(s);
}

void TGraphRecorder::Rectangle(Extended x1, Extended y1, Extended x2, Extended y2) {
  line(x1, y1, x2, y1);
  line(x2, y1, x2, y2);
  line(x2, y2, x1, y2);
  line(x1, y2, x1, y1);
}

void TGraphRecorder::LineTo(Extended, Extended) {}
void TGraphRecorder::MoveTo(Extended, Extended) {}

void TGraphRecorder::OutTextXY(Extended x, Extended y, const std::string& text) {
  AppendGraphText(x, y, text);
}

int TGraphRecorder::GetDirection(Extended a) {
  return (a >= 45 && a < 135) || (a >= 225 && a < 315) || (a >= -135 && a < -45) ? 1 : 0;
}

void TGraphRecorder::SetTextStyle(int font, Extended angle, Extended height, Extended width) {
  AppendGraphTextStyle(height, width, font, angle);
}

Byte TGraphRecorder::GetColorTurbo(Byte n) { return MapColorIndex(n); }

void TGraphRecorder::SetColorAcad(Byte n) { SetColor(GetColorTurbo(n)); }

void TGraphRecorder::Solid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3,
                           Extended y3, Extended x4, Extended y4) {
  AppendGraphReals(gcSolid, {x1, y1, x2, y2, x3, y3, x4, y4});
}

void TGraphRecorder::ResetZoom() { ::ResetZoom(); }

void TGraphRecorder::SaveViewPort() {
  SavedViewX1 = ViewX1;
  SavedViewY1 = ViewY1;
  SavedViewX2 = ViewX2;
  SavedViewY2 = ViewY2;
}

void TGraphRecorder::RetrieveViewPort() {
  ViewX1 = SavedViewX1;
  ViewY1 = SavedViewY1;
  ViewX2 = SavedViewX2;
  ViewY2 = SavedViewY2;
}

void TGraphRecorder::DrawTovimarLogo() {
  // A hexagon nut seen from above with its bore, and the short name beside
  // it, in the lower right corner of the world window.
  Extended h = EinY(0.08L);
  Extended cx = WorldXMax - EinX(0.2L), cy = WorldYMin + EinY(0.08L);
  int oldColour = Colour;
  SetColor(9);
  for (int i = 0; i < 6; ++i) {
    Extended a1 = (30 + 60 * i) * kDegToRad, a2 = (90 + 60 * i) * kDegToRad;
    line(cx + h / 2 * std::cos(a1), cy + h / 2 * std::sin(a1), cx + h / 2 * std::cos(a2),
         cy + h / 2 * std::sin(a2));
  }
  circle(cx, cy, h / 4);
  SetColor(12);
  SetTextStyle(2, 0, h / 1.6L / 2, h / 1.1L / 3);
  OutTextXY(cx + h * 0.7L, cy + h / 4, "BQ4");
  if (oldColour >= 0) SetColor(oldColour);
}

void TGraphRecorder::SetWaitCursor() {}
void TGraphRecorder::SetOldCursor() {}

void TGraphRecorder::Regen() {
  RestoreLimit();
  SetWindow(true, true, 0, 0, 1, 1, 0, 0, 1, 1);
  ResetZoom();
  ::SetScale(ZoomX1, ZoomY1, ZoomX2, ZoomY2);
  ClearViewPort();
}

void TGraphRecorder::ResetStyleCaches() {
  LineStyle = 99;
  LineWidth = 1;
}

TGraphRecorder& MainGraphWindow() {
  static TGraphRecorder headless;
  return registeredWindow ? *registeredWindow : headless;
}

void InitGraphRecorder() { MainGraphWindow().FormCreate(); }

void RegisterMainGraphWindow(TGraphRecorder* window) { registeredWindow = window; }

void UnregisterMainGraphWindow(TGraphRecorder* window) {
  if (registeredWindow == window) registeredWindow = nullptr;
}
