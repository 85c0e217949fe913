#include "cad/head_nut_drawing.h"

#include <cmath>

#include "cad/cad_output.h"
#include "cad/drawing_elements.h"
#include "cad/flange_parts.h"
#include "cad/heads.h"
#include "cad/hex_parts.h"
#include "calc/joint_records.h"
#include "framework/math_utils.h"
#include "framework/plane_geometry.h"

namespace {

// The geometry of a hex end face chamfer (see DrawHexChamferFront).
struct THexChamfer {
  Extended e, h1, w;
  bool meet;       // the left arc's circle meets the chamfer line
  Extended px, py; // the meeting point with the larger y
};

THexChamfer HexChamfer(Extended x, Extended y0, Extended s, Extended H, Extended angle) {
  THexChamfer c{};
  c.e = HexAcrossCorners(s);
  const Extended e = c.e;
  c.h1 = std::sqrt(std::fmax(0, (e / 2) * (e / 2) - (s / 4) * (s / 4))) - e / 2 + H;
  c.w = (H - c.h1) / SafeTan(DegToRad(angle));
  Extended xc, yc, r;
  c.meet = false;
  if (CircleThrough3Points(x - e / 4, y0 + c.h1, x - 3 * e / 8, y0 + H, x - e / 2, y0 + c.h1, xc, yc,
                           r)) {
    Extended xa, ya, xb, yb;
    Byte missed = 1;
    IntersectLineCircle(x - e / 2, y0 + c.h1, x - e / 2 + c.w, y0 + H, xc, yc, r, xa, ya, xb, yb,
                        missed);
    if (!missed && std::isfinite(ya) && std::isfinite(yb)) {
      c.meet = true;
      c.px = ya >= yb ? xa : xb;
      c.py = ya >= yb ? ya : yb;
    }
  }
  return c;
}

}  // namespace

Extended HexAcrossCorners(Extended s) { return (s * 0.5L / std::cos(kPi / 6)) * 2; }

void ClipThreadLength(Extended& b, Extended r, Extended runOut) {
  if (b > Schraube.lSec[1]) b = Schraube.lSec[1] - runOut - r;
}

void DrawHexChamferFront(Extended x, Extended y0, Extended s, Extended H, bool mirrored,
                         Extended angle) {
  const THexChamfer c = HexChamfer(x, y0, s, H, angle);
  const Extended e = c.e;
  // The lower end face is the upper one mirrored about the part's mid-height.
  auto Y = [&](Extended y) { return mirrored ? 2 * y0 + H - y : y; };
  DrawPath({{x - e / 2, Y(y0 + c.h1)},
            {x - e / 2 + c.w, Y(y0 + H)},
            {x + e / 2 - c.w, Y(y0 + H)},
            {x + e / 2, Y(y0 + c.h1)}});
  const Extended cornerX = c.meet ? c.px : x - e / 2;
  const Extended cornerY = c.meet ? c.py : y0 + c.h1;
  DrawArcThrough(x - e / 4, Y(y0 + c.h1), x - 3 * e / 8, Y(y0 + H), cornerX, Y(cornerY));
  DrawArcThrough(2 * x - cornerX, Y(cornerY), x + 3 * e / 8, Y(y0 + H), x + e / 4, Y(y0 + c.h1));
  DrawArcThrough(x + e / 4, Y(y0 + c.h1), x, Y(y0 + H), x - e / 4, Y(y0 + c.h1));
}

void DrawHexChamferSide(Extended x, Extended y0, Extended s, Extended H, bool mirrored) {
  const Extended e = HexAcrossCorners(s);
  if (!(e > 0)) return;
  const Extended theta = RadToDeg(SafeArcSin(s / (2 * e)));
  const Extended cy = mirrored ? y0 + e / 2 : y0 + H - e / 2;
  const Extended mid = mirrored ? 270 : 90;
  CadArc(x + s / 4, cy, mid - theta, mid + theta, e / 2);
  CadArc(x - s / 4, cy, mid - theta, mid + theta, e / 2);
}

void DrawBoltThreadEnd(Extended x, Extended y, Extended d, Extended P) {
  CadSetColor(5);
  CadCircle(x, y, d / 2);
  CadSetColor(3);
  CadArc(x, y, 207, 103.5L, (d - P) / 2);
}

void DrawNutThreadEnd(Extended x, Extended y, Extended d, Extended P) {
  CadSetColor(5);
  CadCircle(x, y, (d - P) / 2);
  CadSetColor(3);
  CadArc(x, y, 198, 99, d / 2);
}

void DrawCentreLines(Extended x, Extended y, Extended h) {
  CadSetColor(1);
  CadLine(x, y + h, x, y - h);
  CadLine(x + h, y, x - h, y);
}

void DrawArcThrough(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3) {
  Extended xc, yc, r;
  if (!CircleThrough3Points(x1, y1, x2, y2, x3, y3, xc, yc, r) || !std::isfinite(r)) return;
  const Extended a1 = RadToDeg(ArcTan2(x1 - xc, y1 - yc));
  const Extended a2 = RadToDeg(ArcTan2(x2 - xc, y2 - yc));
  const Extended a3 = RadToDeg(ArcTan2(x3 - xc, y3 - yc));
  if (ArcSweepAngle(a1, a2) <= ArcSweepAngle(a1, a3)) CadArc(xc, yc, a1, a3, r);
  else CadArc(xc, yc, a3, a1, r);
}

void DrawHeadOrNut(TPartTypeCode code, Word view, Word side, Extended x, Extended y, bool nutJoint) {
  (void)side;
  if (view < 1 || view > 5) return;
  const Extended runOut = Gewinde.P * 2.5L;
  switch (code) {
    case kPartHexNut: DrawHexNut(view, x, y); break;
    case kPartSocketHead: DrawSocketHead(view, nutJoint, x, y, runOut); break;
    case kPartHexHead: DrawHexHead(view, nutJoint, x, y, runOut); break;
    case kPartCountersunk: DrawCountersunkHead(view, nutJoint, x, y, runOut); break;
    case kPartRaisedCountersunk: DrawRaisedCountersunkHead(view, nutJoint, x, y, runOut); break;
    case kPartSocketCountersunk: DrawSocketCountersunkHead(view, nutJoint, x, y, runOut); break;
    case kPartCheeseHead: DrawCheeseHead(view, nutJoint, x, y); break;
    case kPartSpecialHead: DrawSpecialHead(view, nutJoint, x, y, runOut); break;
    case kPartFlangeHead:
    case kPartFlangeNut: DrawFlangeHeadOrNut(view, nutJoint, x, y, runOut, code); break;
    default: break;
  }
}
