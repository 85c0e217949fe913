// Plane geometry on extended reals: intersections, arc centres, circles,
// boxes and clipping. Angles in radians, counterclockwise from the x axis.
// Failures come back as flags; GetArcCenter reports to the calculation
// message list.
#pragma once

#include "framework/math_utils.h"  // VectorAngle
#include "framework/types.h"

Extended Det2(Extended a, Extended b, Extended c, Extended d);

// a t + b s = c, d t + e s = f. A zero determinant gives t = s = 0 and false.
bool Solve2x2(Extended& t, Extended& s, Extended a, Extended b, Extended c, Extended d, Extended e,
              Extended f);

// Intersection of the line P1P2 with the line P3P4; false (P = P1) when parallel.
bool IntersectLines(Extended& px, Extended& py, Extended x1, Extended y1, Extended x2, Extended y2,
                    Extended x3, Extended y3, Extended x4, Extended y4);

// v between a and b, either order, ends included (1e-12 slack for a == b).
bool InRange(Extended v, Extended a, Extended b);

// Intersection point of the segments P1P2 and P3P4, true when it lies on both.
bool SegmentsIntersect(Extended& px, Extended& py, Extended x1, Extended y1, Extended x2,
                       Extended y2, Extended x3, Extended y3, Extended x4, Extended y4);

// Q = P turned about C by angle.
void RotateAboutPoint(Extended& qx, Extended& qy, Extended px, Extended py, Extended cx,
                      Extended cy, Extended angle);

// Centre, radius and angles of the arc from P1 to P2 with the included
// angle dphi (counterclockwise when positive). StartAngle to EndAngle always
// runs counterclockwise.
void GetArcCenter(Extended x1, Extended y1, Extended x2, Extended y2, Extended dphi, Extended& xc,
                  Extended& yc, Extended& StartAngle, Extended& EndAngle, Extended& r);
// As GetArcCenter, but StartAngle is always the direction of P1, EndAngle that of P2.
void GetArcCenterEx(Extended x1, Extended y1, Extended x2, Extended y2, Extended dphi,
                    Extended& xc, Extended& yc, Extended& StartAngle, Extended& EndAngle,
                    Extended& r);

// a x^2 + b x + c = 0 with a > 0; NoRoot = 1 (x1 = x2 = 0) without real roots.
void SolveQuadratic(Extended a, Extended b, Extended c, Extended& x1, Extended& x2, Byte& NoRoot);

// The infinite line through (x1, y1), (x2, y2) cut with the circle (xc, yc, r).
// NoCut = 1 with both points' y = 0 when they do not meet.
void IntersectLineCircle(Extended x1, Extended y1, Extended x2, Extended y2, Extended xc,
                         Extended yc, Extended r, Extended& xa, Extended& ya, Extended& xb,
                         Extended& yb, Byte& NoCut);

// Circle through three points. False for collinear points (then the
// outputs are not a circle through them).
bool CircleThrough3Points(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3,
                          Extended y3, Extended& xc, Extended& yc, Extended& r);

// Intersection of two lines, each given by a point and a direction angle.
bool IntersectRays(Extended& px, Extended& py, Extended x1, Extended y1, Extended angle1,
                   Extended x2, Extended y2, Extended angle2);

bool PointInBox(Extended x, Extended y, Extended x1, Extended y1, Extended x2, Extended y2);

// First crossing of the segment with the sides of the box (bottom, right,
// top, left); P unchanged and false when there is none.
bool SegmentBoxCrossing(Extended& px, Extended& py, Extended sx1, Extended sy1, Extended sx2,
                        Extended sy2, Extended bx1, Extended by1, Extended bx2, Extended by2);

// An end point outside the box is moved onto the box side when the other
// end lies inside; both outside or both inside leave the segment unchanged.
void ClipSegment(Extended& px, Extended& py, Extended& qx, Extended& qy, Extended bx1,
                 Extended by1, Extended bx2, Extended by2);

// Liang-Barsky: narrows t0..t1 to the part of a segment P + t D that lies in
// a box, given p = (-Dx, Dx, -Dy, Dy) and q = the distances of P from the
// box's sides (left, right, bottom, top, in the box's frame). closed: the
// sides belong to the box. False when no part of the segment lies in it.
inline bool NarrowToBox(const Extended (&p)[4], const Extended (&q)[4], bool closed, Extended& t0, Extended& t1) {
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (closed ? q[i] < 0 : q[i] <= 0) return false;
      continue;
    }
    const Extended t = q[i] / p[i];
    if (p[i] < 0)
      t0 = t > t0 ? t : t0;
    else
      t1 = t < t1 ? t : t1;
  }
  return closed ? t0 <= t1 : t0 < t1;
}

// The part of the segment within the box (x1 < x2, y1 < y2, sides included),
// also where both ends lie outside; false when none of it does.
bool CutSegmentToBox(Extended& px, Extended& py, Extended& qx, Extended& qy, Extended bx1,
                     Extended by1, Extended bx2, Extended by2);

// Tangent to the circle of radius r at polar angle a cut with the line
// x = r: Y = r tan(a/2), Angle = a/2 for 0 < a < pi.
void PolarSolve(Extended r, Extended a, Extended& Angle, Extended& Y);
