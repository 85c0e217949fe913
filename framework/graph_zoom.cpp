#include "framework/graph_zoom.h"

#include <algorithm>

#include "framework/graph_transform.h"

namespace {

// Sums kept within the pixel range, so that endless panning cannot overflow.
int Add(int a, int b) { return NInt(Extended(a) + b); }

TZoomRect Shift(const TZoomRect& z, int dx, int dy) {
  return {Add(z.x1, dx), Add(z.y1, dy), Add(z.x2, dx), Add(z.y2, dy)};
}

TZoomRect Resize(const TZoomRect& z, Extended increment, bool zoomIn) {
  int cx = (z.x1 + z.x2) / 2, cy = (z.y1 + z.y2) / 2;  // within 2^29: no overflow
  Extended w = z.x2 - z.x1, h = z.y2 - z.y1;
  int hw = NInt(zoomIn ? w / increment : w * increment) / 2;
  int hh = NInt(zoomIn ? h / increment : h * increment) / 2;
  return {Add(cx, -hw), Add(cy, -hh), Add(cx, hw), Add(cy, hh)};
}

}  // namespace

TZoomAction KeyZoom(Word key, const TZoomRect& z, Extended zoomIncrement, Extended panFactor,
                    TZoomRect& out) {
  int dy = NInt((z.y2 - z.y1) * panFactor);
  int dy5 = NInt((z.y2 - z.y1) * 5 * panFactor);
  int dx = NInt((z.x2 - z.x1) * panFactor);
  switch (key) {
    case VkUp: out = Shift(z, 0, -dy); return TZoomAction::SetScale;
    case VkDown: out = Shift(z, 0, dy); return TZoomAction::SetScale;
    case VkPageUp: out = Shift(z, 0, -dy5); return TZoomAction::SetScale;
    case VkPageDown: out = Shift(z, 0, dy5); return TZoomAction::SetScale;
    case VkLeft: out = Shift(z, dx, 0); return TZoomAction::SetScale;
    case VkRight: out = Shift(z, -dx, 0); return TZoomAction::SetScale;
    case VkAdd:
    case VkSubtract:
      // A zero or negative increment from a damaged configuration would
      // divide by zero or mirror the picture: such a zoom keeps the rectangle.
      if (!(zoomIncrement > 0)) {
        out = z;
        return TZoomAction::SetScale;
      }
      out = Resize(z, zoomIncrement, key == VkAdd);
      return TZoomAction::SetScale;
    case VkEscape:
    case VkF5: return TZoomAction::Reset;
    default: return TZoomAction::None;
  }
}

bool BoxZoom(int sx, int sy, int ex, int ey, int cw, int ch, const TZoomRect& z, Extended f,
             TZoomRect& out) {
  if (sx == ex || sy == ey || cw <= 0 || ch <= 0) return false;
  int xl = std::min(sx, ex), xh = std::max(sx, ex);
  int yl = std::min(sy, ey), yh = std::max(sy, ey);
  Extended w = z.x2 - z.x1, h = z.y2 - z.y1;
  out.x1 = NInt(Extended(xl) / cw * w * f + z.x1 * f);
  out.x2 = NInt(Extended(xh) / cw * w * f + z.x1 * f);
  out.y1 = NInt(Extended(ch - yh) / ch * h + z.y1);
  out.y2 = NInt(Extended(ch - yl) / ch * h + z.y1);
  return true;
}
