// Window state of the graphics window and the world-to-pixel transforms of
// screen and printer. One set for the whole program; Qt-free.
#pragma once

#include "framework/types.h"

// World window given to the last SetWindow.
extern Extended WorldXMin, WorldYMin, WorldXMax, WorldYMax;
// Pixel viewport; ViewY1 is the top row.
extern int ViewX1, ViewY1, ViewX2, ViewY2;
// Zoom rectangle: pixels relative to the viewport, y counting upwards.
extern int ZoomX1, ZoomY1, ZoomX2, ZoomY2;
// The part of the world window that the zoom rectangle selects.
extern Extended VisibleXMin, VisibleYMin, VisibleXMax, VisibleYMax;
extern Extended ScaleX, ScaleY;  // pixels per world unit
extern bool KeepAspect;          // SetScale equalises the scales
extern Extended SavedXMin, SavedYMin, SavedXMax, SavedYMax;  // SaveLimit
extern int SavedViewX1, SavedViewY1, SavedViewX2, SavedViewY2;  // SaveViewPort
extern Extended AspectFactor;    // set by Header, used by the mouse zoom
// Set by the print routines around a replay: the replay then draws on the
// printer canvas too.
extern bool PrintingGraphics;
// Window pixels per pixel of the HorizontalPixels x VerticalPixels screen
// that the display list is recorded for: the graphics window sets them
// from its client size, so that a drawing fits the window (1 without one).
extern Extended CanvasFactorX, CanvasFactorY;
// Width to height of the area those pixels fill on the device: 4:3 until a
// window or page tells its own. KeepAspect equalises the scales for it.
extern Extended DisplayAspect;

// Fits the recorded screen to a client area of square pixels (sets the
// canvas factors and DisplayAspect) and rescales the current zoom; sizes
// below 2 leave everything as it is.
void SetCanvasSize(int width, int height);

// ScaleX / ScaleY that makes a world unit equally long in x and y on the
// device of DisplayAspect; 1 without a screen size.
Extended KeepAspectRatio();

// The whole window state, to put it back after a partial replay.
struct TGraphWindowState {
  Extended world[4], visible[4], scaleX, scaleY;
  int view[4], zoom[4];
  bool keepAspect;
  Extended displayAspect;
};
TGraphWindowState SaveGraphWindowState();
void RestoreGraphWindowState(const TGraphWindowState& s);

// Start values of the window state; also sets ZoomIncrement 1.2 and
// PanFactor 0.1, the graphics window's own defaults.
void InitGraphTransform();

// Nearest integer, halves to the even neighbour; clamped to +-2^28 so that
// an extreme zoom cannot overflow a pixel coordinate or a sum of two.
constexpr int kPixelLimit = 1 << 28;
int NInt(Extended v);

// World to pixel on the window canvas.
int PX(Extended x);
int PY(Extended y);
int LX(Extended w);
int LY(Extended h);

// World to pixel on a printer page of PageWidth x PageHeight printer pixels.
struct TPrinterPage {
  int PageWidth = 0;
  int PageHeight = 0;
};
int PrX(const TPrinterPage& page, Extended x);
int PrY(const TPrinterPage& page, Extended y);
int PrLX(const TPrinterPage& page, Extended w);
int PrLY(const TPrinterPage& page, Extended h);

// Viewport from screen fractions (y from the bottom), one pixel inset with
// Inset; stored in ViewX1..ViewY2.
void SetViewportFromFractions(bool Inset, Extended fx1, Extended fy1, Extended fx2, Extended fy2);

// Sets the zoom rectangle and the scales; an empty rectangle is ignored.
void SetScale(int x1, int y1, int x2, int y2);

// SetScale with the whole viewport.
void ResetZoom();
