#include "cad/hatching.h"

#include <algorithm>
#include <cmath>

#include "cad/cad_output.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/plane_geometry.h"

std::array<THatchVertex, kHatchMaxVertices + 2> HatchVertices;
Word HatchCount = 0;
Extended HatchCurrentArc = 0;

namespace {

// A hatch line spacing so fine that it would draw more lines than this is
// widened: a damaged spacing must not keep the program busy for hours.
constexpr Extended kMaxHatchLines = 10000;

// The box hatch lines are cut to, when set.
bool HatchClipOn = false;
Extended HatchClip[4] = {0, 0, 0, 0};

using Keys = std::array<Extended, kHatchMaxCrossings + 1>;
using Indexes = std::array<int, kHatchMaxCrossings + 1>;

// Stores one vertex unless the polygon is full; the count goes on either way.
void StoreVertex(Extended x, Extended y) {
  ++HatchCount;
  if (HatchCount > kHatchMaxVertices || HatchCount == 0) {
    AddErrorMessage("Schraffurfehler");
    return;
  }
  HatchVertices[HatchCount] = {x, y};
}

void QuickSort(Keys& values, Indexes& index, int l, int r) {
  const Extended pivot = values[(l + r) / 2];
  int i = l, j = r;
  do {
    while (i < kHatchMaxCrossings && values[i] < pivot) ++i;
    while (j > 1 && values[j] > pivot) --j;
    if (i <= j) {
      std::swap(values[i], values[j]);
      std::swap(index[i], index[j]);
      i = std::min(i + 1, kHatchMaxCrossings);
      j = std::max(j - 1, 1);
    }
  } while (i <= j);
  if (l < j) QuickSort(values, index, l, j);
  if (i < r) QuickSort(values, index, i, r);
}

// Crossing of the hatch line y = m x + c with the edge from a to b, strictly
// inside the edge; an edge parallel to the hatch lines has none.
bool EdgeCrossing(const THatchVertex& a, const THatchVertex& b, Extended m, Extended c, Extended& xi,
                  Extended& yi) {
  if (std::fabs(b.x - a.x) >= 1e-6L) {
    const Extended s = (b.y - a.y) / (b.x - a.x);
    const Extended intercept = a.y - s * a.x;
    if (s == m) return false;
    xi = (intercept - c) / (m - s);
    yi = intercept + xi * s;
    return std::fmin(a.x, b.x) < xi && xi < std::fmax(a.x, b.x);
  }
  xi = a.x;
  yi = c + m * xi;
  return std::fmin(a.y, b.y) < yi && yi < std::fmax(a.y, b.y);
}

// Draws the segments between the 1st and 2nd, 3rd and 4th, ... crossing in
// their order along the line; an odd last crossing has no partner and is left.
void DrawHatchLine(const Keys& xs, const Keys& ys, int count) {
  int ref = 1;
  for (int i = 2; i <= count; ++i)
    if (xs[i] < xs[ref]) ref = i;
  Keys keys{};
  Indexes index{};
  for (int i = 1; i <= count; ++i) keys[i] = Hypot(xs[i] - xs[ref], ys[i] - ys[ref]);
  QSort2(keys, index, count);
  for (int i = 1; i + 1 <= count; i += 2) {
    const int a = index[i], b = index[i + 1];
    Extended x1 = xs[a], y1 = ys[a], x2 = xs[b], y2 = ys[b];
    if (HatchClipOn && !CutSegmentToBox(x1, y1, x2, y2, HatchClip[0], HatchClip[1], HatchClip[2], HatchClip[3]))
      continue;
    CadLine(x1, y1, x2, y2);
  }
}

}  // namespace

void HatchBegin() { HatchCount = 0; }

void SetHatchClipBox(Extended x1, Extended y1, Extended x2, Extended y2) {
  HatchClipOn = true;
  HatchClip[0] = x1;
  HatchClip[1] = y1;
  HatchClip[2] = x2;
  HatchClip[3] = y2;
}

void ClearHatchClipBox() { HatchClipOn = false; }

void HatchAddPoint(Extended x, Extended y) { StoreVertex(x, y); }

void SetHatchMode(Word mode) { CadState.CadHatchMode = mode; }

void HatchPolygon(int n, Extended spacing, Extended angle) {
  if (n == 0) n = HatchCount;
  Schraff(n, spacing, angle);
}

void HatchRectangle(Extended x1, Extended y1, Extended x2, Extended y2, Extended spacing,
                    Extended angle) {
  HatchVertices[1] = {x1, y1};
  HatchVertices[2] = {x2, y1};
  HatchVertices[3] = {x2, y2};
  HatchVertices[4] = {x1, y2};
  if (spacing == 0) spacing = std::round(0.2L * std::fmax(std::fabs(x2 - x1), std::fabs(y2 - y1)));
  HatchPolygon(4, spacing, angle);
}

void HatchPolyBegin() {
  CadBeginPolyline(0);
  HatchCurrentArc = 0;
  HatchBegin();
}

void HatchPolyPoint(Extended x, Extended y, Extended arc) {
  CadVertex(x, y, arc);
  if (HatchCount == 0 || HatchCurrentArc == 0) {
    HatchAddPoint(x, y);
  } else {
    // The arc from the last stored vertex to (x, y), in steps of 15 degrees.
    const Extended b = HatchCurrentArc;
    const int last = HatchCount <= kHatchMaxVertices ? HatchCount : kHatchMaxVertices;
    const THatchVertex p = HatchVertices[last];
    // More steps than the store holds could only overflow it; a damaged arc
    // value must not make billions of them.
    const Extended steps = std::fmin(std::round(std::fabs(RadToDeg(b)) / 15), kHatchMaxVertices + 1);
    const int k = std::max(3, std::isfinite(steps) ? static_cast<int>(steps) : kHatchMaxVertices + 1);
    Extended xc, yc, a0, a1, r;
    GetArcCenterEx(p.x, p.y, x, y, b, xc, yc, a0, a1, r);
    for (int i = 0; i <= k; ++i) {
      const Extended a = a0 + b * i / k;
      StoreVertex(xc + r * std::cos(a), yc + r * std::sin(a));
    }
  }
  HatchCurrentArc = arc;
}

void HatchPolyEnd(int n, Extended spacing, Extended angle) {
  CadEndPolyline();
  HatchPolygon(n, spacing, angle);
}

void QSort2(std::array<Extended, kHatchMaxCrossings + 1>& values,
            std::array<int, kHatchMaxCrossings + 1>& index, int n) {
  if (n > kHatchMaxCrossings) {
    AddErrorMessage("Fatal  : QSORT2 error");
    AbortFlag = 1;
    return;
  }
  for (int i = 1; i <= kHatchMaxCrossings; ++i) index[i] = i;
  for (int i = 1; i <= n; ++i) values[i] = RoundToReal48(values[i]);
  if (n > 1) QuickSort(values, index, 1, n);
}

void Schraff(int n, Extended spacing, Extended angle) {
  if (n > kHatchMaxVertices) {
    AddErrorMessage("Fatal  : n schraff !");
    return;
  }
  if (n < 1) return;
  auto& v = HatchVertices;
  if (v[n].x != v[1].x || v[n].y != v[1].y) {
    v[n + 1] = v[1];
    ++n;
  }
  const Extended rad = DegToRad(angle);
  const Extended m = SafeTan(rad);
  const Word mode = CadState.CadHatchMode;
  if (mode == 1) CadSetColor(5);
  if (mode != 2) {
    CadBeginPolyline(0);
    for (int k = 1; k <= n; ++k) CadVertex(v[k].x, v[k].y, 0);
    CadEndPolyline();
  }
  Extended cmin = 1e30L, cmax = -1e30L;
  for (int k = 1; k <= n; ++k) {
    const Extended c = v[k].y - m * v[k].x;
    cmin = std::fmin(cmin, c);
    cmax = std::fmax(cmax, c);
  }
  if (rad == 0) return;
  // Lines of any slope march upward in their intercept, whatever the sign of
  // the cosine; a polygon without extent has nothing to hatch.
  Extended step = std::fabs(spacing == 0 ? 0.1L * (cmax - cmin) : spacing / std::cos(rad));
  if (!(step > 0) || !std::isfinite(step) || !std::isfinite(cmax - cmin)) return;
  step = std::fmax(step, (cmax - cmin) / kMaxHatchLines);
  if (mode == 1 || mode == 2) CadSetColor(3);

  // The lines are bounded by their count: far from the origin a step below
  // the intercepts' resolution leaves the intercept where it is, and one only
  // just above it takes more steps than the spacing says.
  Keys xs{}, ys{};
  Extended c = cmin;
  for (long line = 0; line <= kMaxHatchLines + 1; ++line) {
    const Extended next = c + step;
    if (next == c) break;
    c = next;
    int count = 0;
    for (int k = 1; k < n; ++k) {
      Extended xi, yi;
      if (!EdgeCrossing(v[k], v[k + 1], m, c, xi, yi)) continue;
      if (++count > kHatchMaxCrossings) {
        AddErrorMessage("Fatal  : schraff schnittp");
        AbortFlag = 1;
        return;
      }
      xs[count] = xi;
      ys[count] = yi;
    }
    if (count > 0) DrawHatchLine(xs, ys, count);
    if (!(c < cmax)) break;
  }
}

void InitHatching() {
  HatchClipOn = false;
  HatchVertices.fill(THatchVertex{});
  HatchCount = 0;
  HatchCurrentArc = 0;
}
