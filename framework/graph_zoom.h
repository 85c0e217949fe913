// Zoom and pan arithmetic of the graphics window on the zoom rectangle
// (pixels relative to the viewport, y counting upwards). Pure functions.
#pragma once

#include "framework/types.h"

struct TZoomRect {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  friend bool operator==(const TZoomRect&, const TZoomRect&) = default;
};

// Virtual key codes of the keys the graphics window acts on.
enum TGraphKey : Word {
  VkEscape = 27,
  VkPageUp = 33,
  VkPageDown = 34,
  VkLeft = 37,
  VkUp = 38,
  VkRight = 39,
  VkDown = 40,
  VkAdd = 107,       // numeric-pad plus
  VkSubtract = 109,  // numeric-pad minus
  VkF5 = 116,
};

enum class TZoomAction {
  None,      // key not listed: no change, no repaint
  SetScale,  // SetScale with the new rectangle
  Reset,     // back to the whole viewport
};

// The action of a key on the zoom rectangle z; the new rectangle in out.
TZoomAction KeyZoom(Word key, const TZoomRect& z, Extended zoomIncrement, Extended panFactor,
                    TZoomRect& out);

// The zoom rectangle that shows the world under a rubber-band box from
// (sx, sy) to (ex, ey) in window pixels, through the transform in force
// (canvas factors, visible window, scales, viewport), so that the box's
// contents fill the window whatever its shape. False for a box without
// width or height, or without a usable transform.
bool BoxZoom(int sx, int sy, int ex, int ey, TZoomRect& out);
