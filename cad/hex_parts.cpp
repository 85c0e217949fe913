#include "cad/hex_parts.h"

#include <cmath>

#include "cad/bolt_outline.h"
#include "cad/cad_output.h"
#include "cad/drawing_elements.h"
#include "cad/hatching.h"
#include "cad/head_nut_drawing.h"
#include "calc/bolt_geometry.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/math_utils.h"

namespace {

// Height above the base at which the chamfer arcs meet the corner edges.
Extended ChamferH1(Extended s, Extended H) {
  const Extended e = HexAcrossCorners(s);
  return std::sqrt(std::fmax(0, (e / 2) * (e / 2) - (s / 4) * (s / 4))) - e / 2 + H;
}

}  // namespace

void DrawHexNut(Word view, Extended x, Extended y) {
  const DIN934_Record& row = Mutter.NutType == 1 ? Din934 : Din6915;
  const Extended d = row.d, m = row.m, s = row.s, P = Gewinde.P;
  const Extended y0 = y - m;
  const Extended e = HexAcrossCorners(s);
  const Extended h1 = ChamferH1(s, m);
  if (view == 1 || view == 5) {
    CadSetColor(5);
    for (const Extended cx : {x - e / 2, x + e / 2, x - e / 4, x + e / 4})
      CadLine(cx, y0 + h1, cx, y0 + m - h1);
    DrawHexChamferFront(x, y0, s, m);
    DrawHexChamferFront(x, y0, s, m, true);
  } else if (view == 2) {
    CadSetColor(5);
    CadRectangle(x - s / 2, y0, x + s / 2, y0 + m);
    CadLine(x, y0 + h1, x, y0 + m - h1);
    DrawHexChamferSide(x, y0, s, m);
    DrawHexChamferSide(x, y0, s, m, true);
  } else if (view == 3 || view == 4) {
    DrawHexEndView(x, y0, s);
    CadSetColor(5);
    CadCircle(x, y0, (d - P) / 2);
    DrawCentreCross(x, y0, 1.15L * e / 2);
    CadSetColor(3);
    CadArc(x, y0, 198, 99, d / 2);
  }
}

void DrawHexHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut) {
  DIN931_Record& row = Din931;
  ClipThreadLength(row.b, row.r, runOut);
  const Extended P = Gewinde.P;
  const Extended e = HexAcrossCorners(row.s);
  if (IsLongView(view)) {
    DrawHexHeadOutline(view, x, y, row.s, row.k - row.c, 30, row.c);
    DrawShankSections(view, x, y, P, row.d, row.r, runOut);
    DrawBoltEnd(view, nutJoint, x, y - Schraube.l + Schraube.b, P, Schraube.b, row.d);
  } else if (view == 3) {
    DrawHexEndView(x, y, row.s);
    DrawCentreCross(x, y, 1.15L * e / 2);
  } else if (view == 4) {
    CadSetColor(5);
    CadCircle(x, y, Gewinde.d / 2);
    CadSetColor(3);
    CadArc(x, y, 207, 103.5L, (row.d - P) / 2);
    DrawCentreCross(x, y, 1.15L * e / 2);
  }
}

void DrawHexHeadOutline(Word view, Extended x, Extended y, Extended s, Extended kh, Extended angle,
                        Extended c) {
  const Extended k = kh + c;
  const Extended e = HexAcrossCorners(s);
  const Extended h1 = ChamferH1(s, k);
  CadSetColor(5);
  if (view == 1 || view == 5) {
    DrawPath({{x - s / 2, y}, {x - s / 2, y + c}, {x - e / 2, y + c}, {x - e / 2, y + h1}});
    DrawPath({{x + e / 2, y + h1},
              {x + e / 2, y + c},
              {x + s / 2, y + c},
              {x + s / 2, y},
              {x - s / 2, y}});
    CadLine(x - s / 2, y + c, x + s / 2, y + c);
    CadLine(x - e / 4, y + c, x - e / 4, y + h1);
    CadLine(x + e / 4, y + c, x + e / 4, y + h1);
    DrawHexChamferFront(x, y, s, k, false, angle);
  } else if (view == 2) {
    DrawPath({{x - s / 2, y},
              {x - s / 2, y + c},
              {x - s / 2, y + k},
              {x + s / 2, y + k},
              {x + s / 2, y + c},
              {x + s / 2, y},
              {x - s / 2, y}});
    CadLine(x, y + c, x, y + h1);
    CadLine(x - s / 2, y + c, x + s / 2, y + c);
    DrawHexChamferSide(x, y, s, k);
  }
}

void DrawSpecialNut(Word view, Word side, Extended x, Extended y) {
  const Extended dw = Mutter.dwNut, m = Mutter.m, d = Gewinde.d, P = Gewinde.P;
  if (view == 3 || view == 4) {
    CadSetColor(5);
    CadCircle(x, y, dw / 2);
    CadCircle(x, y, (d - P) / 2);
    DrawCentreCross(x, y, 1.15L * d / 2);
    CadSetColor(3);
    CadArc(x, y, 198, 99, d / 2);
    return;
  }
  if (!IsLongView(view)) return;
  CadSetColor(5);
  if (side != 2) {
    DrawPath({{x - dw / 2, y}, {x - dw / 2, y - m}, {x + dw / 2, y - m}, {x + dw / 2, y}, {x - dw / 2, y}});
    CadSetColor(2);
    for (const Extended w : {d, d - P}) {
      CadLine(x - w / 2, y - m, x - w / 2, y);
      CadLine(x + w / 2, y - m, x + w / 2, y);
    }
    CadSetColor(5);
    return;
  }
  for (const int sg : {-1, 1})
    DrawPath({{x + sg * d / 2, y}, {x + sg * dw / 2, y}, {x + sg * dw / 2, y - m}, {x + sg * d / 2, y - m}});
  // Where the bolt ends relative to the nut.
  const Extended yE = y + Klemmstuecke.lK - BoltLengthBelowHead();
  const bool endsInside = y > yE && yE > y - m;
  const bool passesThrough = y > yE && yE < y - m;
  if (endsInside) {
    CadSetColor(3);
    CadLine(x - d / 2, y - m, x - d / 2, yE + P);
    CadLine(x + d / 2, y - m, x + d / 2, yE + P);
    CadSetColor(5);
    CadLine(x - d / 2 + P / 2, y - m, x - d / 2 + P / 2, yE);
    CadLine(x + d / 2 - P / 2, y - m, x + d / 2 - P / 2, yE);
    CadLine(x - d / 2, y - m, x + d / 2, y - m);
  } else if (passesThrough) {
    CadSetColor(3);
    CadLine(x - (d / 2 - P / 2), y, x - (d / 2 - P / 2), y - m);
    CadLine(x + (d / 2 - P / 2), y, x + (d / 2 - P / 2), y - m);
    CadSetColor(5);
    CadLine(x - d / 2, y - m, x - d / 2, y);
    CadLine(x + d / 2, y - m, x + d / 2, y);
  }
  if (endsInside || passesThrough) {
    SetHatchMode(2);
    HatchRectangle(x - dw / 2, y, x - d / 2, y - m, 0, 45);
    HatchRectangle(x + dw / 2, y, x + d / 2, y - m, 0, 45);
  }
}
