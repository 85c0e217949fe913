#include "cad/bolt_outline.h"

#include <algorithm>
#include <cmath>

#include "cad/cad_output.h"
#include "cad/drawing_elements.h"
#include "calc/bolt_geometry.h"
#include "calc/joint_records.h"
#include "framework/math_utils.h"
#include "framework/plane_geometry.h"
#include "framework/rounding_rule.h"

namespace {

// The bolt's thread seen from its end: outer and core circles, the
// three-quarter thread-root arc and the centre cross.
void DrawThreadEndView(Extended x, Extended y, Extended d, Extended P) {
  CadSetColor(5);
  CadCircle(x, y, d / 2);
  CadCircle(x, y, (d - 1.2L * P) / 2);
  CadSetColor(2);
  CadArc(x, y, 198, 99, (d - P) / 2);
  CadSetColor(1);
  const Extended h = 1.15L * d / 2;
  CadLine(x, y + h, x, y - h);
  CadLine(x + h, y, x - h, y);
}

// Lines at x - w/2 and x + w/2 from y1 to y2.
void PairOfLines(Extended x, Extended w, Extended y1, Extended y2) {
  CadLine(x - w / 2, y1, x - w / 2, y2);
  CadLine(x + w / 2, y1, x + w / 2, y2);
}

// The shank in the long views; threadTop is the upper end of the thread
// (y - l + b, raised by the head height for the countersunk head).
void DrawShank(Extended x, Extended y, Extended P, Extended r, Extended u, Extended lift,
               bool fillets) {
  const SCHRAUBTYPE& s = Schraube;
  const int n = BoltSectionCount();
  if (n == 0) return;
  const Extended threadTop = y - s.l + lift + s.b;
  const Extended dG = Gewinde.d;

  const Extended lastLength = n == 1 ? s.l : s.lSec[n];
  if (FloatEqual(s.dSec[n], dG) && ZeroWithinRounding(s.b - (lastLength - u), {s.b, lastLength, u}) < 0) {
    CadSetColor(3);
    CadLine(x - dG / 2, threadTop + u, x - dG / 2 + P / 2, threadTop);
    CadLine(x + dG / 2, threadTop + u, x + dG / 2 - P / 2, threadTop);
  }

  CadSetColor(5);
  const Extended end1 = n == 1 ? threadTop : y - s.lSec[1];
  PairOfLines(x, s.dSec[1], y - r, end1);
  if (s.diSec[1] > 0) {
    CadSetColor(2);
    PairOfLines(x, s.diSec[1], y, end1);
    CadSetColor(5);
  }
  if (fillets) {
    CadArc(x - s.dSec[1] / 2 - r, y - r, 0, 90, r);
    CadArc(x + s.dSec[1] / 2 + r, y - r, 90, 180, r);
  }

  Extended yc = y - s.lSec[1];
  for (int i = 2; i <= n; ++i) {
    const Extended De = s.dSec[i], Di = s.diSec[i];
    const Extended bottom = i < n ? yc - s.lSec[i] : yc - s.lSec[i] + lift + s.b;
    if (i < n) {
      DrawPath({{x - De / 2, yc}, {x - De / 2, bottom}, {x + De / 2, bottom}, {x + De / 2, yc}});
    } else {
      PairOfLines(x, De, yc, bottom);
    }
    const bool sameOuter = FloatEqual(De, s.dSec[i - 1]);
    if (!sameOuter) {
      const Extended w = std::fmax(De, s.dSec[i - 1]);
      CadLine(x - w / 2, yc, x + w / 2, yc);
    }
    if (Di > 0) {
      CadSetColor(2);
      PairOfLines(x, Di, yc, bottom);
      if (sameOuter) {
        const Extended w = std::fmax(s.diSec[i - 1], Di);
        CadLine(x - w / 2, yc, x + w / 2, yc);
      }
      CadSetColor(5);
    }
    yc -= s.lSec[i];
  }
}

}  // namespace

int BoltSectionCount() { return std::clamp<int>(Schraube.nSections, 0, kMaxBoltSections); }

bool IsLongView(Word view) { return view == 1 || view == 2 || view == 5; }

Extended BoltLengthBelowHead() {
  const Word head = Schraube.HeadType;
  return head == 3 || head == 4 || head == 5 ? Schraube.l - HeadDimension() : Schraube.l;
}

void DrawShankSections(Word view, Extended x, Extended y, Extended P, Extended d, Extended r,
                       Extended u) {
  if (IsLongView(view)) DrawShank(x, y, P, r, u, 0, true);
  else if (view == 3) CadSetColor(5);
  else if (view == 4) DrawThreadEndView(x, y, d, P);
}

void DrawShankSectionsCsk(Word view, Extended x, Extended y, Extended P, Extended d, Extended r,
                          Extended u, Extended k) {
  if (IsLongView(view)) DrawShank(x, y, P, r, u, k, false);
  else if (view == 4) DrawShankSections(4, x, y, P, d, r, u);
}

void DrawBoltEnd(Word view, bool nutJoint, Extended x, Extended yt, Extended P, Extended b,
                 Extended d) {
  const int n = BoltSectionCount();
  const Extended bore = n > 0 ? Schraube.diSec[n] : 0;
  if (view == 4) {
    DrawThreadEndView(x, yt, d, P);
    if (bore > 0) {
      CadSetColor(5);
      CadCircle(x, yt, bore / 2);
    }
    return;
  }
  if (!IsLongView(view)) return;

  // The nut covers the thread between its bearing face ya and its outer face yb.
  Extended ya = yt, yb = yt;
  const Extended m = Mutter.m;
  const Extended below = BoltLengthBelowHead();
  const Extended beyondClamp = below - Klemmstuecke.lK;
  if (nutJoint && ZeroWithinRounding(beyondClamp - m, {below, Klemmstuecke.lK, m}) > 0) {
    ya = yt - b + beyondClamp;
    yb = ya - m;
  }
  const Extended tip = yt - b;
  const Extended c = 0.6L * P;  // 45-degree chamfer of the bolt end
  CadSetColor(5);
  CadLine(x - d / 2, yt, x - d / 2, ya);
  DrawPath({{x - d / 2, yb},
            {x - d / 2, tip + c},
            {x - d / 2 + c, tip},
            {x + d / 2 - c, tip},
            {x + d / 2, tip + c},
            {x + d / 2, yb}});
  CadLine(x + d / 2, ya, x + d / 2, yt);
  CadLine(x - d / 2, tip + c, x + d / 2, tip + c);
  CadLine(x - d / 2, yt, x + d / 2, yt);

  CadSetColor(3);
  PairOfLines(x, d - P, tip + 0.1L * P, yb);
  PairOfLines(x, d - P, ya, yt);
  if (bore > 0) {
    CadSetColor(2);
    PairOfLines(x, bore, yt, ya);
    PairOfLines(x, bore, yb, tip);
  }
}

void DrawChamferOutline(Word view, Extended x, Extended y, Extended D1, Extended D2, Extended D3,
                        Extended h, Extended r) {
  if (!IsLongView(view)) return;
  const Extended phi = std::atan((D1 - D3) / 2);
  const Extended t = r * std::tan((kPi / 4 + phi) / 2);
  const Extended sx = t * std::sin(phi), sy = t * std::cos(phi);
  CadSetColor(5);
  DrawPath({{x - D3 / 2 - sx, y - sy}, {x - D1 / 2, y - h}, {x + D1 / 2, y - h}, {x + D3 / 2 + sx, y - sy}});
  const Extended xr = x + D3 / 2 + sx + r * std::cos(phi);
  const Extended yr = y - sy + r * std::sin(phi);
  const Extended phiDeg = RadToDeg(phi);
  CadArc(xr, yr, 135, phiDeg + 180, r);
  CadArc(2 * x - xr, yr, -phiDeg, 45, r);
  CadSetColor(3);
  CadLine(x - D3 / 2, y, x - (D1 - D2) / 2, y - h);
  CadLine(x + D3 / 2, y, x + (D1 - D2) / 2, y - h);
}

void DrawHeadChamfer(Word view, Extended x, Extended y, Extended a, Extended b, Extended c,
                     Extended e, Extended f, Extended g) {
  if (!IsLongView(view) || !(b > 2 * g)) return;
  const Extended tanAlpha = std::tan(std::atan(f / (2 * (b - c))));
  // A flank without slope (f = 0, or b = c) has no foot to construct.
  if (!(tanAlpha != 0) || !std::isfinite(tanAlpha)) return;
  const Extended yf = y - b + ((e - a) / 2) / tanAlpha;
  const Extended cx = x - a / 2 - g;  // left construction circle; the right one is its mirror
  Extended xa, ya, xb, yb;
  Byte missed = 0;
  IntersectLineCircle(x - e / 2, y - b, x - a / 2, yf, cx, yf, g, xa, ya, xb, yb, missed);
  CadSetColor(5);
  const bool hasQ = !missed && std::isfinite(xa) && std::isfinite(xb);
  const Extended qx = xa <= xb ? xa : xb, qy = xa <= xb ? ya : yb;
  if (hasQ) {
    CadLine(x - e / 2, y - b, qx, qy);
    CadLine(x + e / 2, y - b, 2 * x - qx, qy);
  }
  PairOfLines(x, a, yf, y - g);
  CadLine(x - e / 2, y - b, x + e / 2, y - b);
  if (hasQ) {
    const Extended angle = RadToDeg(ArcTan2(qx - cx, qy - yf));
    CadArc(cx, yf, angle, 0, g);
    CadArc(2 * x - cx, yf, 180, 180 - angle, g);
  }
  CadArc(x - a / 2 - g, y - g, 0, 90, g);
  CadArc(x + a / 2 + g, y - g, 90, 180, g);
  if (hasQ) {
    CadSetColor(3);
    CadLine(x - (e / 2 - f / 2), y - b, qx, qy);
    CadLine(x + (e / 2 - f / 2), y - b, 2 * x - qx, qy);
  }
}
