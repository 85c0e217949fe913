#include "framework/graph_transform.h"

#include <cmath>

#include "framework/globals.h"

Extended WorldXMin, WorldYMin, WorldXMax, WorldYMax;
int ViewX1, ViewY1, ViewX2, ViewY2;
int ZoomX1, ZoomY1, ZoomX2, ZoomY2;
Extended VisibleXMin, VisibleYMin, VisibleXMax, VisibleYMax;
Extended ScaleX, ScaleY;
bool KeepAspect;
Extended SavedXMin, SavedYMin, SavedXMax, SavedYMax;
int SavedViewX1, SavedViewY1, SavedViewX2, SavedViewY2;
Extended AspectFactor;
bool PrintingGraphics;
Extended CanvasFactorX = 1, CanvasFactorY = 1;
Extended DisplayAspect = 4.0L / 3;

void InitGraphTransform() {
  WorldXMin = WorldYMin = 0;
  WorldXMax = WorldYMax = 1;
  ViewX1 = ViewY1 = 0;
  ViewX2 = ViewY2 = 1;
  ZoomX1 = ZoomY1 = 0;
  ZoomX2 = ZoomY2 = 1;
  VisibleXMin = VisibleYMin = 0;
  VisibleXMax = VisibleYMax = 1;
  ScaleX = ScaleY = 1;
  KeepAspect = false;
  SavedXMin = SavedYMin = 0;
  SavedXMax = SavedYMax = 1;
  SavedViewX1 = SavedViewY1 = 0;
  SavedViewX2 = SavedViewY2 = 1;
  AspectFactor = 1;
  GraphicXFactor = 1;
  ZoomIncrement = 1.2L;
  PanFactor = 0.1L;
  PrintingGraphics = false;
  CanvasFactorX = CanvasFactorY = 1;
  DisplayAspect = 4.0L / 3;
}

TGraphWindowState SaveGraphWindowState() {
  return {{WorldXMin, WorldYMin, WorldXMax, WorldYMax},
          {VisibleXMin, VisibleYMin, VisibleXMax, VisibleYMax},
          ScaleX,
          ScaleY,
          {ViewX1, ViewY1, ViewX2, ViewY2},
          {ZoomX1, ZoomY1, ZoomX2, ZoomY2},
          KeepAspect,
          DisplayAspect};
}

void RestoreGraphWindowState(const TGraphWindowState& s) {
  WorldXMin = s.world[0], WorldYMin = s.world[1], WorldXMax = s.world[2], WorldYMax = s.world[3];
  VisibleXMin = s.visible[0], VisibleYMin = s.visible[1];
  VisibleXMax = s.visible[2], VisibleYMax = s.visible[3];
  ScaleX = s.scaleX;
  ScaleY = s.scaleY;
  ViewX1 = s.view[0], ViewY1 = s.view[1], ViewX2 = s.view[2], ViewY2 = s.view[3];
  ZoomX1 = s.zoom[0], ZoomY1 = s.zoom[1], ZoomX2 = s.zoom[2], ZoomY2 = s.zoom[3];
  KeepAspect = s.keepAspect;
  DisplayAspect = s.displayAspect;
}

int NInt(Extended v) {
  if (std::isnan(v)) return 0;
  if (v > kPixelLimit) return kPixelLimit;
  if (v < -kPixelLimit) return -kPixelLimit;
  // Adding and taking away 1.5 * 2^63 leaves v rounded to an integer, halves
  // to even (the default rounding of the 64-bit mantissa), much faster than
  // nearbyint, which saves and restores the floating-point environment.
  constexpr long double kRound = 0x1.8p63L;
  volatile long double shifted = v + kRound;
  return static_cast<int>(shifted - kRound);
}

int PX(Extended x) {
  return NInt((x - VisibleXMin) * ScaleX * CanvasFactorX) + NInt(ViewX1 * CanvasFactorX);
}
int PY(Extended y) {
  return NInt(ViewY2 * CanvasFactorY) - NInt((y - VisibleYMin) * ScaleY * CanvasFactorY);
}
int LX(Extended w) { return NInt(ScaleX * CanvasFactorX * w); }
int LY(Extended h) { return NInt(ScaleY * CanvasFactorY * h); }

void SetCanvasSize(int width, int height) {
  // Pixels 0..HorizontalPixels reach the last column, as on a screen that
  // is one pixel wider than the setting.
  if (width <= 1 || height <= 1 || !HorizontalPixels || !VerticalPixels) return;
  CanvasFactorX = Extended(width - 1) / HorizontalPixels;
  CanvasFactorY = Extended(height - 1) / VerticalPixels;
  DisplayAspect = Extended(width - 1) / (height - 1);
  SetScale(ZoomX1, ZoomY1, ZoomX2, ZoomY2);
}

Extended KeepAspectRatio() {
  if (!HorizontalPixels || !VerticalPixels || !(DisplayAspect > 0)) return 1;
  return Extended(HorizontalPixels) / (VerticalPixels * DisplayAspect);
}

namespace {

// Printer pixels per screen pixel; a missing screen size counts as 1 pixel.
Extended PerScreenX(const TPrinterPage& p) {
  return Extended(p.PageWidth) * PrintScaleX / (HorizontalPixels ? HorizontalPixels : 1);
}
Extended PerScreenY(const TPrinterPage& p) {
  return Extended(p.PageHeight) * PrintScaleY / (VerticalPixels ? VerticalPixels : 1);
}

}  // namespace

int PrX(const TPrinterPage& p, Extended x) {
  return NInt(Extended(p.PageWidth) * PrintOriginX / 210) +
         NInt(PerScreenX(p) * ((x - VisibleXMin) * ScaleX + ViewX1));
}

int PrY(const TPrinterPage& p, Extended y) {
  return NInt(Extended(p.PageWidth) * PrintOriginY / 210) +
         NInt(PerScreenY(p) * (ViewY2 - (y - VisibleYMin) * ScaleY));
}

int PrLX(const TPrinterPage& p, Extended w) { return NInt(PerScreenX(p) * ScaleX * w); }
int PrLY(const TPrinterPage& p, Extended h) { return NInt(PerScreenY(p) * ScaleY * h); }

void SetViewportFromFractions(bool Inset, Extended fx1, Extended fy1, Extended fx2, Extended fy2) {
  ViewX1 = NInt(HorizontalPixels * fx1);
  ViewX2 = NInt(HorizontalPixels * fx2);
  ViewY1 = NInt(VerticalPixels * (1 - fy2));
  ViewY2 = NInt(VerticalPixels * (1 - fy1));
  if (Inset) {
    ++ViewX1;
    ++ViewY1;
    --ViewX2;
    --ViewY2;
  }
}

void SetScale(int x1, int y1, int x2, int y2) {
  if (x2 == x1 || y2 == y1) return;
  // A degenerate viewport or world window would divide by zero: keep the
  // scales (the callers have set AbortFlag for the world window).
  if (ViewX2 == ViewX1 || ViewY2 == ViewY1 || WorldXMax == WorldXMin || WorldYMax == WorldYMin)
    return;
  ZoomX1 = x1;
  ZoomY1 = y1;
  ZoomX2 = x2;
  ZoomY2 = y2;
  Extended vw = ViewX2 - ViewX1, vh = ViewY2 - ViewY1;
  Extended ww = WorldXMax - WorldXMin, wh = WorldYMax - WorldYMin;
  VisibleXMin = WorldXMin + (x1 - ViewX1) / vw * ww;
  VisibleXMax = WorldXMin + (x2 - ViewX1) / vw * ww;
  VisibleYMin = WorldYMin + (y1 - ViewY1) / vh * wh;
  VisibleYMax = WorldYMin + (y2 - ViewY1) / vh * wh;
  ScaleX = vw / (VisibleXMax - VisibleXMin);
  ScaleY = vh / (VisibleYMax - VisibleYMin);
  if (KeepAspect && HorizontalPixels && VerticalPixels) {
    Extended a = KeepAspectRatio();
    if (ScaleX >= ScaleY * a)
      ScaleX = ScaleY * a;
    else
      ScaleY = ScaleX / a;
    // The drawing stands in the middle of the viewport: the visible range
    // grows on both sides to what the equal scale shows.
    const Extended growX = vw / ScaleX - (VisibleXMax - VisibleXMin);
    const Extended growY = vh / ScaleY - (VisibleYMax - VisibleYMin);
    VisibleXMin -= growX / 2;
    VisibleXMax += growX / 2;
    VisibleYMin -= growY / 2;
    VisibleYMax += growY / 2;
  }
}

void ResetZoom() { SetScale(ViewX1, ViewY1, ViewX2, ViewY2); }
