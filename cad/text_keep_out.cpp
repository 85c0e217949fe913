#include "cad/text_keep_out.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "framework/math_utils.h"
#include "framework/plane_geometry.h"

TTextBox TextBoxOf(const std::string& text, Extended x, Extended y, Extended height, Extended widthFactor,
                   Extended angle) {
  TTextBox b;
  b.x = x;
  b.y = y;
  // The texts of a drawing share a few angles: the last one's cosine and
  // sine are kept.
  static Extended lastAngle = 0, lastCos = 1, lastSin = 0;
  const Extended a = DegToRad(angle);
  if (std::isfinite(a)) {
    if (angle != lastAngle || std::signbit(angle) != std::signbit(lastAngle)) {
      lastAngle = angle;
      lastCos = std::cos(a);
      lastSin = std::sin(a);
    }
    b.cosA = lastCos;
    b.sinA = lastSin;
  }
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos || !(height > 0) || !std::isfinite(height) || !std::isfinite(widthFactor))
    return b;  // u1 == u2: covers nothing
  const std::size_t last = text.find_last_not_of(' ');
  const Extended cw = height * std::fabs(widthFactor);
  // Descenders reach a quarter of the height below the baseline, brackets
  // and accents a little above it; a line passing closer than that touches
  // the letters.
  const Extended pad = 0.15L * height;
  b.u1 = static_cast<Extended>(first) * cw - pad;
  b.u2 = static_cast<Extended>(last + 1) * cw + pad;
  b.v1 = -0.3L * height;
  b.v2 = 1.15L * height;
  b.minX = b.minY = HUGE_VALL;
  b.maxX = b.maxY = -HUGE_VALL;
  for (Extended u : {b.u1, b.u2})
    for (Extended v : {b.v1, b.v2}) {
      const Extended cx = x + u * b.cosA - v * b.sinA, cy = y + u * b.sinA + v * b.cosA;
      b.minX = std::min(b.minX, cx);
      b.maxX = std::max(b.maxX, cx);
      b.minY = std::min(b.minY, cy);
      b.maxY = std::max(b.maxY, cy);
    }
  // Room for rounding, so that the bounds never cut off what the exact test below finds.
  const Extended slack = 1e-9L * (1 + std::max({std::fabs(b.minX), std::fabs(b.maxX), std::fabs(b.minY),
                                                std::fabs(b.maxY)}));
  b.minX -= slack;
  b.minY -= slack;
  b.maxX += slack;
  b.maxY += slack;
  return b;
}

std::vector<std::array<Extended, 4>> SegmentOutsideBoxes(Extended x1, Extended y1, Extended x2, Extended y2,
                                                         const std::vector<TTextBox>& boxes) {
  // The parts of [0, 1] along the segment that lie inside a box.
  std::vector<std::pair<Extended, Extended>> inside;
  const Extended loX = std::min(x1, x2), hiX = std::max(x1, x2), loY = std::min(y1, y2), hiY = std::max(y1, y2);
  for (const TTextBox& b : boxes) {
    if (!(b.u2 > b.u1)) continue;
    if (hiX < b.minX || loX > b.maxX || hiY < b.minY || loY > b.maxY) continue;  // far apart
    // Both ends in the box's frame.
    auto toU = [&](Extended x, Extended y) { return (x - b.x) * b.cosA + (y - b.y) * b.sinA; };
    auto toV = [&](Extended x, Extended y) { return -(x - b.x) * b.sinA + (y - b.y) * b.cosA; };
    const Extended u = toU(x1, y1), v = toV(x1, y1);
    const Extended du = toU(x2, y2) - u, dv = toV(x2, y2) - v;
    // Liang-Barsky: the parameter range inside the box.
    Extended t0 = 0, t1 = 1;
    const Extended p[4] = {-du, du, -dv, dv};
    const Extended q[4] = {u - b.u1, b.u2 - u, v - b.v1, b.v2 - v};
    if (NarrowToBox(p, q, false, t0, t1)) inside.push_back({t0, t1});
  }
  std::vector<std::array<Extended, 4>> pieces;
  auto at = [&](Extended t) { return std::array<Extended, 2>{x1 + t * (x2 - x1), y1 + t * (y2 - y1)}; };
  const Extended length = std::hypot(x2 - x1, y2 - y1);
  auto piece = [&](Extended a, Extended b) {
    if (!((b - a) * length > 1e-6L)) return;  // nothing left to see
    // The ends themselves, not a recomputed point, where the piece reaches them.
    const auto p = a == 0 ? std::array<Extended, 2>{x1, y1} : at(a);
    const auto q = b == 1 ? std::array<Extended, 2>{x2, y2} : at(b);
    pieces.push_back({p[0], p[1], q[0], q[1]});
  };
  std::sort(inside.begin(), inside.end());
  Extended t = 0;
  for (const auto& [a, b] : inside) {
    piece(t, a);
    t = std::max(t, b);
  }
  piece(t, 1);
  return pieces;
}

TTextBox BoundsOfBoxes(const std::vector<TTextBox>& boxes) {
  TTextBox all;
  all.minX = all.minY = HUGE_VALL;
  all.maxX = all.maxY = -HUGE_VALL;
  for (const TTextBox& b : boxes) {
    if (!(b.u2 > b.u1)) continue;
    all.minX = std::min(all.minX, b.minX);
    all.minY = std::min(all.minY, b.minY);
    all.maxX = std::max(all.maxX, b.maxX);
    all.maxY = std::max(all.maxY, b.maxY);
  }
  return all;
}

TTextBoxIndex IndexOfBoxes(const std::vector<TTextBox>& boxes) {
  TTextBoxIndex index;
  index.bounds = BoundsOfBoxes(boxes);
  for (const TTextBox& b : boxes) {
    if (!(b.u2 > b.u1)) continue;
    const bool finite =
        std::isfinite(b.minX) && std::isfinite(b.minY) && std::isfinite(b.maxX) && std::isfinite(b.maxY);
    (finite ? index.byLeft : index.anywhere).push_back({b.minX, b.minY, b.maxX, b.maxY});
  }
  std::sort(index.byLeft.begin(), index.byLeft.end(),
            [](const TTextBoxIndex::Bounds& a, const TTextBoxIndex::Bounds& b) { return a.minX < b.minX; });
  return index;
}

bool SegmentClearOfBoxes(Extended x1, Extended y1, Extended x2, Extended y2, const TTextBoxIndex& index) {
  // Shorter lines take the exact path, which drops what is too short to see.
  if (!(std::max(std::fabs(x2 - x1), std::fabs(y2 - y1)) > 1e-6L)) return false;
  const Extended loX = std::min(x1, x2), hiX = std::max(x1, x2), loY = std::min(y1, y2), hiY = std::max(y1, y2);
  auto beyond = [&](const TTextBoxIndex::Bounds& b) {
    return hiX < b.minX || loX > b.maxX || hiY < b.minY || loY > b.maxY;
  };
  const TTextBox& all = index.bounds;
  if (beyond({all.minX, all.minY, all.maxX, all.maxY})) return true;
  for (const auto& b : index.anywhere)
    if (!beyond(b)) return false;
  for (const auto& b : index.byLeft) {
    if (b.minX > hiX) break;  // this box and all after it lie to the right
    if (!beyond(b)) return false;
  }
  return true;
}

namespace {

// The bounds on the sheet of a box's corners, a little wide for rounding.
void SetBounds(TTextBox& b) {
  b.minX = b.minY = HUGE_VALL;
  b.maxX = b.maxY = -HUGE_VALL;
  for (Extended u : {b.u1, b.u2})
    for (Extended v : {b.v1, b.v2}) {
      const Extended cx = b.x + u * b.cosA - v * b.sinA, cy = b.y + u * b.sinA + v * b.cosA;
      b.minX = std::min(b.minX, cx);
      b.maxX = std::max(b.maxX, cx);
      b.minY = std::min(b.minY, cy);
      b.maxY = std::max(b.maxY, cy);
    }
}

std::array<std::array<Extended, 2>, 4> Corners(const TTextBox& b) {
  std::array<std::array<Extended, 2>, 4> c{};
  int i = 0;
  for (Extended u : {b.u1, b.u2})
    for (Extended v : {b.v1, b.v2}) c[i++] = {b.x + u * b.cosA - v * b.sinA, b.y + u * b.sinA + v * b.cosA};
  return c;
}

}  // namespace

TTextBox TextFootprintOf(const std::string& text, Extended x, Extended y, Extended height, Extended widthFactor,
                         Extended angle) {
  TTextBox b = TextBoxOf(text, x, y, height, widthFactor, angle);
  if (!(b.u2 > b.u1)) return b;
  // Every character, blanks at either end too: readers measure the whole text.
  b.u1 = 0;
  b.u2 = static_cast<Extended>(text.size()) * height * std::fabs(widthFactor);
  SetBounds(b);
  // A text turned by another angle than a right one takes the upright box
  // around it, as readers measure it.
  if (std::fabs(b.cosA) > 1e-9L && std::fabs(b.sinA) > 1e-9L) {
    TTextBox upright;
    upright.u1 = b.minX;
    upright.u2 = b.maxX;
    upright.v1 = b.minY;
    upright.v2 = b.maxY;
    SetBounds(upright);
    return upright;
  }
  return b;
}

TTextBox AreaFootprintOf(std::initializer_list<std::array<Extended, 2>> corners) {
  TTextBox b;
  b.u1 = b.v1 = HUGE_VALL;
  b.u2 = b.v2 = -HUGE_VALL;
  for (const auto& c : corners) {
    b.u1 = std::min(b.u1, c[0]);
    b.u2 = std::max(b.u2, c[0]);
    b.v1 = std::min(b.v1, c[1]);
    b.v2 = std::max(b.v2, c[1]);
  }
  if (!(b.u2 >= b.u1) || !std::isfinite(b.u1) || !std::isfinite(b.u2) || !std::isfinite(b.v1) ||
      !std::isfinite(b.v2))
    return TTextBox{};  // covers nothing
  if (b.u2 == b.u1) b.u2 = b.u1 + 1e-9L;  // a filled area seen edge on still takes its line
  SetBounds(b);
  return b;
}

bool FootprintsMeet(const TTextBox& a, const TTextBox& b) {
  if (!(a.u2 > a.u1) || !(b.u2 > b.u1)) return false;
  if (a.maxX <= b.minX || b.maxX <= a.minX || a.maxY <= b.minY || b.maxY <= a.minY) return false;
  // Separating axes: the two directions of each box.
  const auto ca = Corners(a), cb = Corners(b);
  const Extended tolerance = 1e-9L * (1 + std::max({std::fabs(a.maxX), std::fabs(a.maxY), std::fabs(b.maxX),
                                                    std::fabs(b.maxY)}));
  for (const TTextBox* f : {&a, &b})
    for (const std::array<Extended, 2> axis : {std::array<Extended, 2>{f->cosA, f->sinA},
                                               std::array<Extended, 2>{-f->sinA, f->cosA}}) {
      Extended loA = HUGE_VALL, hiA = -HUGE_VALL, loB = HUGE_VALL, hiB = -HUGE_VALL;
      for (const auto& c : ca) {
        const Extended p = c[0] * axis[0] + c[1] * axis[1];
        loA = std::min(loA, p);
        hiA = std::max(hiA, p);
      }
      for (const auto& c : cb) {
        const Extended p = c[0] * axis[0] + c[1] * axis[1];
        loB = std::min(loB, p);
        hiB = std::max(hiB, p);
      }
      if (hiA <= loB + tolerance || hiB <= loA + tolerance) return false;
    }
  return true;
}
