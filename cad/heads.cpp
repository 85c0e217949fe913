#include "cad/heads.h"

#include <cmath>

#include "cad/bolt_outline.h"
#include "cad/cad_output.h"
#include "cad/drawing_elements.h"
#include "cad/head_nut_drawing.h"
#include "calc/bolt_geometry.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/math_utils.h"
#include "framework/plane_geometry.h"

namespace {

const Extended kTan60 = std::tan(kPi / 3);
constexpr Extended kRim = 0.3L;  // cylindrical rim of the slotted countersunk heads

// Small diameter of the 90-degree cone of a slotted countersunk head.
Extended ConeDiameter(Extended dK, Extended k) { return dK - 2 * (k - kRim); }

// The three arcs of a socket's edge seen across corners at height yT, sagging by sag.
void SocketArcsA(Extended x, Extended yT, Extended e, Extended sag) {
  DrawArcThrough(x - e / 2, yT, x - 3 * e / 8, yT - sag, x - e / 4, yT);
  DrawArcThrough(x - e / 4, yT, x, yT - sag, x + e / 4, yT);
  DrawArcThrough(x + e / 4, yT, x + 3 * e / 8, yT - sag, x + e / 2, yT);
}

void SocketArcsB(Extended x, Extended yT, Extended s, Extended sag) {
  DrawArcThrough(x - s / 2, yT, x - s / 4, yT - sag, x, yT);
  DrawArcThrough(x, yT, x + s / 4, yT - sag, x + s / 2, yT);
}

// Thread end of a head whose nominal length holds the head (codes 3, 4, 5).
void DrawCountersunkBoltEnd(Word view, bool nutJoint, Extended x, Extended y, Extended P,
                            Extended d) {
  const Extended b = Schraube.b;
  DrawBoltEnd(view, nutJoint, x, y - Schraube.l + b + HeadDimension(), P, b, d);
}

// Top view of a slotted countersunk head: rim circle, slot with its bottom ends at q.
void DrawSlottedTopView(Extended x, Extended y, Extended dK, Extended n, Extended q) {
  CadSetColor(5);
  CadCircle(x, y, dK / 2);
  CadLine(x + q, y + n / 2, x + q, y - n / 2);
  CadLine(x - q, y + n / 2, x - q, y - n / 2);
  Extended x1, y1, x2, y2;
  Byte missed = 1;
  IntersectLineCircle(x, y + n / 2, x + dK, y + n / 2, x, y, dK / 2, x1, y1, x2, y2, missed);
  if (!missed) {
    CadLine(x1, y1, x2, y2);
    CadLine(x1, y - n / 2, x2, y - n / 2);
  }
  DrawCentreLines(x, y, 1.15L * dK / 2);
}

// Measures of a slotted countersunk head shared by codes 3 and 4.
struct TSlottedHead {
  Extended d, r, dK, k, t, n;
  Extended dB;    // small diameter of the cone
  Extended q;     // the cone's radius at the slot bottom
  Extended yRim;  // upper edge of the cone, below the rim
};

TSlottedHead SlottedHead(Extended d, Extended r, Extended dK, Extended k, Extended t, Extended n,
                         Extended y) {
  const Extended dB = ConeDiameter(dK, k);
  return {d, r, dK, k, t, n, dB, dB / 2 + (k - t), y + k - kRim};
}

// What codes 3 and 4 draw after their head: the shank transition and the
// bolt end in the long views, the top view, and the bottom view's centre lines.
void DrawSlottedHeadRest(const TSlottedHead& h, Word view, bool nutJoint, Extended x, Extended y,
                         Extended runOut) {
  const Extended P = Gewinde.P;
  if (IsLongView(view)) {
    DrawChamferOutline(view, x, y, h.d, P, h.dB, runOut, h.r);
    DrawCountersunkBoltEnd(view, nutJoint, x, y, P, h.d);
  } else if (view == 3) {
    DrawSlottedTopView(x, y, h.dK, h.n, h.q);
  } else if (view == 4) {
    DrawCentreLines(x, y, 1.15L * h.dK / 2);
  }
}

// The side line of the cheese head leans inwards by 5 degrees.
const Extended kSin5 = std::sin(kPi / 36), kCos5 = std::cos(kPi / 36), kTan5 = std::tan(kPi / 36);
const Extended kTan85 = std::tan(17 * kPi / 36);

}  // namespace

void DrawSocketPolygon(Extended x, Extended y, Extended dK, Extended k, Extended rK) {
  CadBeginPolyline(1);
  CadVertex(x - dK / 2, y, 0);
  CadVertex(x + dK / 2, y, 0);
  CadVertex(x + dK / 2, y + k - rK, kPi / 2);
  CadVertex(x + dK / 2 - rK, y + k, 0);
  CadVertex(x - dK / 2 + rK, y + k, kPi / 2);
  CadVertex(x - dK / 2, y + k - rK, 0);
  CadVertex(x - dK / 2, y, 0);
  CadEndPolyline();
}

void DrawSocketSideA(Extended x, Extended yT, Extended s, Extended t) {
  const Extended e = HexAcrossCorners(s);
  for (const Extended cx : {x - e / 2, x + e / 2, x - e / 4, x + e / 4}) CadLine(cx, yT, cx, yT - t);
  const Extended tip = yT - (e / 2 / kTan60 + t);
  CadLine(x, tip, x - e / 2, yT - t);
  CadLine(x, tip, x + e / 2, yT - t);
  SocketArcsA(x, yT, e, (e - s) / 2);
  SocketArcsA(x, yT - t, e, (e - s) / 4);
}

void DrawSocketSideB(Extended x, Extended yT, Extended s, Extended t) {
  const Extended e = HexAcrossCorners(s);
  for (const Extended cx : {x - s / 2, x + s / 2, x}) CadLine(cx, yT, cx, yT - t);
  const Extended tip = yT - (s / 2 / kTan60 + t);
  CadLine(x, tip, x - s / 2, yT - t);
  CadLine(x, tip, x + s / 2, yT - t);
  SocketArcsB(x, yT, s, (e - s) / 2);
  SocketArcsB(x, yT - t, s, (e - s) / 4);
}

void DrawSocketCircumcircle(Extended x, Extended y, Extended s) {
  CadRegularPolygon(6, x, y, s, 0);
  CadCircle(x, y, HexAcrossCorners(s) / 2);
}

void DrawSocketHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut) {
  DIN912_Record& row = Din912;
  ClipThreadLength(row.b, row.r, runOut);
  const Extended P = Gewinde.P;
  if (IsLongView(view)) {
    CadSetColor(5);
    DrawSocketPolygon(x, y, row.dK, row.k, row.rK);
    CadSetColor(2);
    if (view == 2) DrawSocketSideB(x, y + row.k, row.s, row.t);
    else DrawSocketSideA(x, y + row.k, row.s, row.t);
    DrawShankSections(view, x, y, P, row.d, row.r, runOut);
    const Extended d = view == 2 ? Gewinde.d : row.d;
    DrawBoltEnd(view, nutJoint, x, y - Schraube.l + Schraube.b, P, Schraube.b, d);
  } else if (view == 3) {
    CadSetColor(5);
    DrawSocketCircumcircle(x, y, row.s);
    CadCircle(x, y, row.dK / 2);
    DrawCentreLines(x, y, 1.15L * row.dK / 2);
  } else if (view == 4) {
    CadSetColor(5);
    CadCircle(x, y, row.d / 2);
    DrawCentreCross(x, y, 1.15L * row.dK / 2);
    CadSetColor(3);
    CadArc(x, y, 207, 103.5L, (row.d - P) / 2);
  }
}

void DrawCountersunkHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut) {
  DIN963_Record& row = Din963;
  ClipThreadLength(row.b, row.r, runOut);
  const TSlottedHead h = SlottedHead(row.d, row.r, row.dK, row.k, row.t, row.n, y);
  const Extended dK = h.dK, k = h.k, t = h.t, n = h.n, dB = h.dB, q = h.q, yRim = h.yRim;
  if (view == 1 || view == 5) {
    CadSetColor(5);
    DrawPath({{x - dB / 2, y},
              {x - dK / 2, yRim},
              {x - dK / 2, y + k},
              {x - n / 2, y + k},
              {x - n / 2, y + k - t},
              {x + n / 2, y + k - t},
              {x + n / 2, y + k},
              {x + dK / 2, y + k},
              {x + dK / 2, yRim},
              {x + dB / 2, y}});
    CadLine(x - dK / 2, yRim, x - n / 2, yRim);
    CadLine(x + n / 2, yRim, x + dK / 2, yRim);
  } else if (view == 2) {
    CadSetColor(5);
    DrawPath({{x - dB / 2, y},
              {x - dK / 2, yRim},
              {x - dK / 2, y + k},
              {x + dK / 2, y + k},
              {x + dK / 2, yRim},
              {x + dB / 2, y}});
    CadLine(x - dK / 2, yRim, x + dK / 2, yRim);
    CadSetColor(2);
    CadLine(x - q, y + k - t, x + q, y + k - t);
  }
  DrawSlottedHeadRest(h, view, nutJoint, x, y, runOut);
}

void DrawRaisedCountersunkHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut) {
  DIN964_Record& row = Din964;
  ClipThreadLength(row.b, row.r, runOut);
  const TSlottedHead h = SlottedHead(row.d, row.r, row.dK, row.k, row.t, row.n, y);
  const Extended dK = h.dK, k = h.k, t = h.t, n = h.n, f = row.f, dB = h.dB, q = h.q, yRim = h.yRim;
  // The raised top: a circle through the rim edges and the slot edge's top.
  Extended xc = x, yc = y, R = 0;
  const bool raised = CircleThrough3Points(x + dK / 2, y + k, x + n / 2, y + k + f, x - dK / 2, y + k,
                                           xc, yc, R) &&
                      R > 0 && std::isfinite(R);
  auto Angle = [&](Extended w) { return RadToDeg(SafeArcSin(w / (2 * R))); };
  if (view == 1 || view == 5) {
    CadSetColor(5);
    DrawPath({{x - dB / 2, y}, {x - dK / 2, yRim}, {x - dK / 2, y + k}});
    DrawPath({{x - n / 2, y + k + f}, {x - n / 2, y + k - t}, {x + n / 2, y + k - t}, {x + n / 2, y + k + f}});
    DrawPath({{x + dK / 2, y + k}, {x + dK / 2, yRim}, {x + dB / 2, y}, {x - dB / 2, y}});
    for (const Extended yl : {yRim, y + k}) {
      CadLine(x - dK / 2, yl, x - n / 2, yl);
      CadLine(x + n / 2, yl, x + dK / 2, yl);
    }
    if (raised) {
      CadArc(x, yc, 90 + Angle(n), 90 + Angle(dK), R);
      CadArc(x, yc, 90 - Angle(dK), 90 - Angle(n), R);
    }
  } else if (view == 2) {
    CadSetColor(5);
    DrawPath({{x - dK / 2, yRim},
              {x - dB / 2, y},
              {x + dB / 2, y},
              {x + dK / 2, yRim},
              {x + dK / 2, y + k},
              {x - dK / 2, y + k},
              {x - dK / 2, yRim},
              {x + dK / 2, yRim}});
    if (raised) CadArc(x, yc, 90 - Angle(dK), 90 + Angle(dK), R);
    CadSetColor(2);
    CadLine(x - q, y + k - t, x + q, y + k - t);
  }
  DrawSlottedHeadRest(h, view, nutJoint, x, y, runOut);
}

void DrawSocketCountersunkHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut) {
  ISO10642_Record& row = Iso10642;
  ClipThreadLength(row.b, row.r, runOut);
  const Extended d = row.d, dK = row.dK, k = row.k, r = row.r, P = Gewinde.P;
  const Extended alpha = kPi / 4;
  Extended unused, yA;
  PolarSolve(r, alpha, unused, yA);  // r tan(alpha / 2): where the transition arc leaves the shank
  const Extended yB = r * std::sin(alpha) - yA;
  const Extended xB = r - r * std::cos(alpha);
  const Extended hC = (dK - d) / (2 * std::tan(alpha));
  if (IsLongView(view)) {
    CadSetColor(5);
    CadBeginPolyline(0);
    CadVertex(x - d / 2, y - yA, alpha);
    CadVertex(x - d / 2 - xB, y + yB, 0);
    CadVertex(x - dK / 2, y + hC, 0);
    CadVertex(x - dK / 2, y + k, 0);
    CadVertex(x + dK / 2, y + k, 0);
    CadVertex(x + dK / 2, y + hC, 0);
    CadVertex(x + d / 2 + xB, y + yB, alpha);
    CadVertex(x + d / 2, y - yA, 0);
    CadEndPolyline();
    CadHorizontalLine(x - dK / 2, y + hC, dK);
    CadSetColor(3);
    CadLine(x - d / 2 + r, y, x + d / 2 - r, y);
    CadSetColor(2);
    if (view == 2) DrawSocketSideB(x, y + k, row.s, row.t);
    else DrawSocketSideA(x, y + k, row.s, row.t);
    DrawShankSectionsCsk(view, x, y, P, d, yA, runOut, k);
    DrawCountersunkBoltEnd(view, nutJoint, x, y, P, d);
  } else if (view == 3) {
    CadSetColor(5);
    CadCircle(x, y, dK / 2);
    DrawSocketCircumcircle(x, y, row.s);
    DrawCentreLines(x, y, 1.15L * dK / 2);
  } else if (view == 4) {
    DrawCentreLines(x, y, 1.15L * dK / 2);
  }
}

void DrawCheeseHead(Word view, bool nutJoint, Extended x, Extended y) {
  const Cylslot_Record& row = Cylslot;
  const Extended rf = row.NoRound == 1 ? 0 : row.rf;
  const Extended dK = row.dK, k = row.k, t = row.t, n = row.n, P = Gewinde.P;
  const Extended d2 = Gewinde.d - 0.64953L * P;
  // Upper end of the leaning side and the centres of the corner arcs.
  const Extended yR = y + k - rf + rf * kSin5;
  const Extended xL = x - dK / 2 + (yR - y) / kTan85;
  const Extended cx = rf * kCos5;
  const Extended xLeftArc = xL + cx, xRightArc = 2 * x - xL - cx, yArc = y + k - rf;
  // Each corner arc runs from the top face to the upper end of its side line,
  // where it meets the line tangentially: 175 degrees on the left, 5 on the right.
  const Extended phiL = RadToDeg(ArcTan2(xL - xLeftArc, yR - yArc));
  const Extended phiR = RadToDeg(ArcTan2(2 * x - xL - xRightArc, yR - yArc));
  // The slot bottom's end on the left side: on the corner arc above the side
  // line's end, else on the side line.
  const Extended yS = y + k - t;
  Extended xS = x - dK / 2, ignored;
  bool slotMeets = true;
  if (t < y + k - yR) {
    xS = xLeftArc - std::sqrt(std::fmax(0, rf * rf - (yS - yArc) * (yS - yArc)));
  } else {
    slotMeets = IntersectLines(xS, ignored, x, yS, x - dK / 2, yS, x - dK / 2, y, x - dK / 2 + k * kTan5,
                               y + k);
  }

  if (IsLongView(view)) {
    CadSetColor(5);
    CadLine(x - dK / 2, y, xL, yR);
    if (view == 2) {
      CadLine(xLeftArc, y + k, xRightArc, y + k);
    } else {
      DrawPath({{xLeftArc, y + k},
                {x - n / 2, y + k},
                {x - n / 2, y + k - t},
                {x + n / 2, y + k - t},
                {x + n / 2, y + k},
                {xRightArc, y + k}});
    }
    DrawPath({{2 * x - xL, yR}, {x + dK / 2, y}, {x - dK / 2, y}});
    CadArc(xLeftArc, yArc, 90, phiL, rf);
    CadArc(xRightArc, yArc, phiR, 90, rf);
    if (view == 2 && slotMeets) {
      CadSetColor(2);
      CadLine(xS, yS, 2 * x - xS, yS);
    }
    DrawHeadChamfer(view, x, y, d2, Schraube.l - Schraube.b, Schraube.l - Schraube.b - row.lh,
                    row.d, P, row.lh);
    DrawBoltEnd(view, nutJoint, x, y - Schraube.l + Schraube.b, P, Schraube.b, row.d);
  } else if (view == 3) {
    CadSetColor(5);
    CadCircle(x, y, dK / 2);
    const Extended R = std::fabs(x - xL);
    if (R > n / 2) {
      const Extended phi = RadToDeg(SafeArcSin((n / 2) / R));
      CadArc(x, y, phi, 180 - phi, R);
      CadArc(x, y, 180 + phi, -phi, R);
      const Extended xE = x - std::sqrt(R * R - (n / 2) * (n / 2));
      CadLine(xE, y + n / 2, 2 * x - xE, y + n / 2);
      CadLine(xE, y - n / 2, 2 * x - xE, y - n / 2);
    }
    CadLine(xS, y + n / 2, xS, y - n / 2);
    CadLine(2 * x - xS, y + n / 2, 2 * x - xS, y - n / 2);
    CadLine(xS, y + n / 2, 2 * x - xS, y + n / 2);
    CadLine(xS, y - n / 2, 2 * x - xS, y - n / 2);
    DrawCentreLines(x, y, 1.15L * dK / 2);
  } else if (view == 4) {
    CadSetColor(5);
    CadCircle(x, y, dK / 2);
    DrawCentreLines(x, y, 1.15L * dK / 2);
  }
}

void DrawSpecialHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut) {
  SONDKOPF_Record& row = Sondkopf;
  ClipThreadLength(row.b, row.r, runOut);
  const Extended dK = row.dK, k = row.k, rf = row.rf, di = row.di, P = Gewinde.P;
  if (IsLongView(view)) {
    CadSetColor(5);
    DrawPath({{x - dK / 2, y + k - rf}, {x - dK / 2, y}, {x + dK / 2, y}, {x + dK / 2, y + k - rf}});
    CadLine(x - dK / 2 + rf, y + k, x + dK / 2 - rf, y + k);
    CadArc(x + dK / 2 - rf, y + k - rf, 0, 90, rf);
    CadArc(x - dK / 2 + rf, y + k - rf, 90, 180, rf);
    if (di > 0) {
      // The recess reaches the flat top face where it lies within it; a wider
      // one ends at the rounded corner.
      Extended top = y + k;
      bool draw = true;
      if (di / 2 > dK / 2 - rf) {
        Extended xa, ya, xb, yb;
        Byte missed = 1;
        IntersectLineCircle(x + di / 2, y, x + di / 2, y + k, x + dK / 2 - rf, y + k - rf, rf, xa, ya,
                            xb, yb, missed);
        draw = !missed;
        top = std::fmax(ya, yb);
      }
      if (draw) {
        CadSetColor(2);
        CadLine(x + di / 2, y, x + di / 2, top);
        CadLine(x - di / 2, y, x - di / 2, top);
      }
    }
    DrawShankSections(view, x, y, P, row.d, row.r, runOut);
    DrawBoltEnd(view, nutJoint, x, y - Schraube.l + Schraube.b, P, Schraube.b, row.d);
  } else if (view == 3) {
    CadSetColor(5);
    if (di > 0) CadCircle(x, y, di / 2);
    CadCircle(x, y, dK / 2);
    DrawCentreCross(x, y, 1.15L * dK / 2);
  } else if (view == 4) {
    CadSetColor(5);
    CadCircle(x, y, row.d / 2);
    DrawCentreCross(x, y, 1.15L * dK / 2);
    CadSetColor(3);
    CadArc(x, y, 207, 103.5L, (row.d - P) / 2);
  }
}
