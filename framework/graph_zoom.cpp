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

bool BoxZoom(int sx, int sy, int ex, int ey, TZoomRect& out) {
  if (sx == ex || sy == ey) return false;
  const Extended vw = ViewX2 - ViewX1, vh = ViewY2 - ViewY1;
  const Extended ww = WorldXMax - WorldXMin, wh = WorldYMax - WorldYMin;
  if (vw == 0 || vh == 0 || ww == 0 || wh == 0 || ScaleX == 0 || ScaleY == 0 ||
      !(CanvasFactorX > 0) || !(CanvasFactorY > 0))
    return false;
  // The world under a window pixel: PX and PY backwards.
  auto worldX = [&](int px) { return VisibleXMin + (px / CanvasFactorX - ViewX1) / ScaleX; };
  auto worldY = [&](int py) { return VisibleYMin + (ViewY2 - py / CanvasFactorY) / ScaleY; };
  // The zoom rectangle whose visible window is that world range (SetScale backwards).
  auto zoomX = [&](Extended x) { return NInt(ViewX1 + (x - WorldXMin) / ww * vw); };
  auto zoomY = [&](Extended y) { return NInt(ViewY1 + (y - WorldYMin) / wh * vh); };
  out.x1 = zoomX(worldX(std::min(sx, ex)));
  out.x2 = zoomX(worldX(std::max(sx, ex)));
  out.y1 = zoomY(worldY(std::max(sy, ey)));
  out.y2 = zoomY(worldY(std::min(sy, ey)));
  return out.x1 != out.x2 && out.y1 != out.y2;
}
