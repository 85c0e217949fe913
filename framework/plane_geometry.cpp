#include "framework/plane_geometry.h"

#include <cmath>

#include "framework/calc_messages.h"
#include "framework/number_format.h"

namespace {

Extended Distance(Extended x1, Extended y1, Extended x2, Extended y2) {
  return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
}

}  // namespace

Extended Det2(Extended a, Extended b, Extended c, Extended d) { return a * d - b * c; }

bool Solve2x2(Extended& t, Extended& s, Extended a, Extended b, Extended c, Extended d, Extended e,
              Extended f) {
  Extended det = Det2(a, b, d, e);
  if (det == 0) {
    t = 0;
    s = 0;
    return false;
  }
  t = Det2(c, b, f, e) / det;
  s = Det2(a, c, d, f) / det;
  return true;
}

bool IntersectLines(Extended& px, Extended& py, Extended x1, Extended y1, Extended x2, Extended y2,
                    Extended x3, Extended y3, Extended x4, Extended y4) {
  // P1 + t (P2 - P1) = P3 + s (P4 - P3)
  Extended t, s;
  bool ok = Solve2x2(t, s, x2 - x1, -(x4 - x3), x3 - x1, y2 - y1, -(y4 - y3), y3 - y1);
  px = x1 + t * (x2 - x1);
  py = y1 + t * (y2 - y1);
  return ok;
}

bool InRange(Extended v, Extended a, Extended b) {
  constexpr Extended eps = 1e-12L;
  if (std::fabs(a - b) < eps) return std::fabs(v - b) <= eps;
  return a < b ? (v >= a && v <= b) : (v >= b && v <= a);
}

bool SegmentsIntersect(Extended& px, Extended& py, Extended x1, Extended y1, Extended x2,
                       Extended y2, Extended x3, Extended y3, Extended x4, Extended y4) {
  if (!IntersectLines(px, py, x1, y1, x2, y2, x3, y3, x4, y4)) return false;
  return InRange(px, x1, x2) && InRange(py, y1, y2) && InRange(px, x3, x4) &&
         InRange(py, y3, y4);
}

void RotateAboutPoint(Extended& qx, Extended& qy, Extended px, Extended py, Extended cx,
                      Extended cy, Extended angle) {
  Extended c = std::cos(angle), s = std::sin(angle);
  Extended dx = px - cx, dy = py - cy;
  qx = cx + dx * c - dy * s;
  qy = cy + dx * s + dy * c;
}

void GetArcCenter(Extended x1, Extended y1, Extended x2, Extended y2, Extended dphi, Extended& xc,
                  Extended& yc, Extended& StartAngle, Extended& EndAngle, Extended& r) {
  if (std::sin(dphi / 2) == 0) {
    AddErrorMessage("Fehler in GetArcCenter (dphi = " + FloatToText(dphi) + " ! ");
    return;
  }
  Extended dx = x2 - x1, dy = y2 - y1;
  Extended l12 = std::sqrt(dx * dx + dy * dy);
  Extended mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
  Extended h = std::sin(dphi) == 0 ? 0 : (l12 / 2) / std::tan(dphi / 2);
  r = std::fabs((l12 / 2) / std::sin(dphi / 2));
  if (l12 == 0) {
    AddErrorMessage("GetArcCenter l12=0");
    xc = mx;
    yc = my;
  } else {
    xc = mx - dy * h / l12;
    yc = my + dx * h / l12;
  }
  Extended a1 = VectorAngle(y1 - yc, x1 - xc);
  Extended a2 = VectorAngle(y2 - yc, x2 - xc);
  if (dphi >= 0) {
    StartAngle = a1;
    EndAngle = a2;
  } else {
    StartAngle = a2;
    EndAngle = a1;
  }
}

void GetArcCenterEx(Extended x1, Extended y1, Extended x2, Extended y2, Extended dphi,
                    Extended& xc, Extended& yc, Extended& StartAngle, Extended& EndAngle,
                    Extended& r) {
  Extended s = StartAngle, e = EndAngle;
  GetArcCenter(x1, y1, x2, y2, dphi, xc, yc, s, e, r);
  if (std::sin(dphi / 2) == 0) return;  // reported, outputs unchanged
  StartAngle = VectorAngle(y1 - yc, x1 - xc);
  EndAngle = VectorAngle(y2 - yc, x2 - xc);
}

void SolveQuadratic(Extended a, Extended b, Extended c, Extended& x1, Extended& x2, Byte& NoRoot) {
  Extended d = b * b - 4 * a * c;
  if (d >= 0 && a != 0) {
    Extended q = std::sqrt(d);
    x1 = (-b + q) / (2 * a);
    x2 = (-b - q) / (2 * a);
    NoRoot = 0;
  } else {
    x1 = 0;
    x2 = 0;
    NoRoot = 1;
  }
}

void IntersectLineCircle(Extended x1, Extended y1, Extended x2, Extended y2, Extended xc,
                         Extended yc, Extended r, Extended& xa, Extended& ya, Extended& xb,
                         Extended& yb, Byte& NoCut) {
  NoCut = 0;
  if (x1 == x2) {
    xa = x1;
    xb = x2;
    Extended q = r * r - (x1 - xc) * (x1 - xc);
    if (q < 0) {
      NoCut = 1;
      ya = 0;
      yb = 0;
    } else {
      ya = yc + std::sqrt(q);
      yb = yc - std::sqrt(q);
    }
    return;
  }
  Extended m = (y1 - y2) / (x1 - x2);
  Extended c = y1 - m * x1;
  Byte noRoot = 0;
  SolveQuadratic(1 + m * m, 2 * ((c - yc) * m - xc), (c - yc) * (c - yc) + xc * xc - r * r, xa, xb,
                 noRoot);
  if (noRoot) {
    NoCut = 1;
    ya = 0;
    yb = 0;
  } else {
    ya = m * xa + c;
    yb = m * xb + c;
  }
}

bool CircleThrough3Points(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3,
                          Extended y3, Extended& xc, Extended& yc, Extended& r) {
  // Each perpendicular bisector as two points: the chord's midpoint and the
  // midpoint moved across the chord. An axis-parallel chord gives an
  // axis-parallel bisector in the same way.
  Extended m1x = (x1 + x2) / 2, m1y = (y1 + y2) / 2;
  Extended m2x = (x2 + x3) / 2, m2y = (y2 + y3) / 2;
  bool ok = IntersectLines(xc, yc, m1x, m1y, m1x - (y2 - y1), m1y + (x2 - x1), m2x, m2y,
                           m2x - (y3 - y2), m2y + (x3 - x2));
  bool degenerate = (x1 == x2 && y1 == y2) || (x2 == x3 && y2 == y3);
  r = Distance(xc, yc, x3, y3);
  return ok && !degenerate;
}

bool IntersectRays(Extended& px, Extended& py, Extended x1, Extended y1, Extended angle1,
                   Extended x2, Extended y2, Extended angle2) {
  return IntersectLines(px, py, x1, y1, x1 + 100 * std::cos(angle1), y1 + 100 * std::sin(angle1),
                        x2, y2, x2 + 100 * std::cos(angle2), y2 + 100 * std::sin(angle2));
}

bool PointInBox(Extended x, Extended y, Extended x1, Extended y1, Extended x2, Extended y2) {
  return x1 <= x && x <= x2 && y1 <= y && y <= y2;
}

bool SegmentBoxCrossing(Extended& px, Extended& py, Extended sx1, Extended sy1, Extended sx2,
                        Extended sy2, Extended bx1, Extended by1, Extended bx2, Extended by2) {
  const Extended sides[4][4] = {
      {bx1, by1, bx2, by1}, {bx2, by1, bx2, by2}, {bx2, by2, bx1, by2}, {bx1, by2, bx1, by1}};
  for (const auto& s : sides) {
    Extended x, y;
    if (SegmentsIntersect(x, y, sx1, sy1, sx2, sy2, s[0], s[1], s[2], s[3])) {
      px = x;
      py = y;
      return true;
    }
  }
  return false;
}

void ClipSegment(Extended& px, Extended& py, Extended& qx, Extended& qy, Extended bx1,
                 Extended by1, Extended bx2, Extended by2) {
  bool pIn = PointInBox(px, py, bx1, by1, bx2, by2);
  bool qIn = PointInBox(qx, qy, bx1, by1, bx2, by2);
  if (pIn == qIn) return;
  Extended cx = pIn ? qx : px, cy = pIn ? qy : py;
  SegmentBoxCrossing(cx, cy, px, py, qx, qy, bx1, by1, bx2, by2);
  if (pIn) {
    qx = cx;
    qy = cy;
  } else {
    px = cx;
    py = cy;
  }
}

bool CutSegmentToBox(Extended& px, Extended& py, Extended& qx, Extended& qy, Extended bx1,
                     Extended by1, Extended bx2, Extended by2) {
  const Extended dx = qx - px, dy = qy - py;
  const Extended p[4] = {-dx, dx, -dy, dy};
  const Extended q[4] = {px - bx1, bx2 - px, py - by1, by2 - py};
  Extended t0 = 0, t1 = 1;
  if (!NarrowToBox(p, q, true, t0, t1)) return false;
  const Extended x0 = px, y0 = py;
  if (t1 < 1) {
    qx = x0 + t1 * dx;
    qy = y0 + t1 * dy;
  }
  if (t0 > 0) {
    px = x0 + t0 * dx;
    py = y0 + t0 * dy;
  }
  return true;
}

void PolarSolve(Extended r, Extended a, Extended& Angle, Extended& Y) {
  Extended px, py;
  IntersectRays(px, py, r * std::cos(a), r * std::sin(a), a - kPi / 2, r, 0, kPi / 2);
  Y = py;
  Angle = VectorAngle(Y, r);
}
