#include "cad/flange_parts.h"

#include <cmath>

#include "cad/bolt_outline.h"
#include "cad/cad_output.h"
#include "cad/drawing_elements.h"
#include "cad/head_nut_drawing.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"

namespace {

constexpr Extended kBeta = 0.349L;  // inclination of the flange's conical top (about 20 degrees)

// The flange: top and bottom lines and the rounded rim of radius c/2.
void DrawFlange(Extended x, Extended y, Extended dc, Extended c) {
  const Extended xr = dc / 2 - c / 2;
  CadLine(x + xr, y, x - xr, y);
  CadLine(x + xr, y + c, x - xr, y + c);
  CadArc(x + xr, y + c / 2, -90, 90, c / 2);
  CadArc(x - xr, y + c / 2, 90, 270, c / 2);
}

}  // namespace

void DrawFlangeHeadOrNut(Word view, bool nutJoint, Extended x, Extended y, Extended runOut,
                         Word code) {
  Extended s, H, c, dc;
  if (code == 8) {
    ClipThreadLength(Flangesc.b, Flangesc.r, runOut);
    s = Flangesc.s;
    H = Flangesc.k;
    c = Flangesc.c;
    dc = Flangesc.dc;
  } else if (code == 9) {
    s = Flangnut.s;
    H = Flangnut.m;
    c = Flangnut.c;
    dc = Flangnut.dc;
  } else {
    AddErrorMessage("Fatal  : Flange Nut");
    AbortFlag = 1;
    return;
  }
  const Extended P = Gewinde.P;
  const Extended e = HexAcrossCorners(s);
  const Extended h1 = std::sqrt(std::fmax(0, (e / 2) * (e / 2) - (s / 4) * (s / 4))) - e / 2 + H;
  // Where the cone leaves the rim, and its height at the hex corners and flats.
  const Extended tb = std::tan(kBeta), sb = std::sin(kBeta);
  const Extended xT = sb * c / 2 + (dc / 2 - c / 2);
  const Extended yT = (std::cos(kBeta) + 1) * c / 2;
  const Extended yE = tb * ((dc / 2 - c / 2) - e / 2) + sb * c / 2 * tb + yT;
  const Extended yF = tb * ((dc / 2 - c / 2) - s / 2) + sb * c / 2 * tb + yT;

  if (view == 1 || view == 5) {
    CadSetColor(5);
    DrawFlange(x, y, dc, c);
    DrawPath({{x - xT, y + yT}, {x - e / 2, y + yE}, {x - e / 2, y + h1}});
    DrawPath({{x + xT, y + yT}, {x + e / 2, y + yE}, {x + e / 2, y + h1}});
    DrawArcThrough(x - e / 4, y + yE, x - 3 * e / 8, y + yF, x - e / 2, y + yE);
    DrawArcThrough(x + e / 2, y + yE, x + 3 * e / 8, y + yF, x + e / 4, y + yE);
    DrawArcThrough(x + e / 4, y + yE, x, y + yF, x - e / 4, y + yE);
    CadLine(x + e / 2, y + h1, x + e / 2, y + yE);
    CadLine(x - e / 4, y + yE, x - e / 4, y + h1);
    CadLine(x + e / 4, y + yE, x + e / 4, y + h1);
    DrawHexChamferFront(x, y, s, H);
  } else if (view == 2) {
    CadSetColor(5);
    DrawFlange(x, y, dc, c);
    DrawPath({{x - xT, y + yT}, {x - s / 2, y + yF}, {x - s / 2, y + H}});
    DrawPath({{x + xT, y + yT}, {x + s / 2, y + yF}, {x + s / 2, y + H}});
    CadLine(x, y + yE, x, y + h1);
    CadLine(x - s / 2, y + H, x + s / 2, y + H);
    CadLine(x - s / 2, y + c, x + s / 2, y + c);
    DrawHexChamferSide(x, y, s, H);
  } else if (view == 3) {
    CadSetColor(5);
    CadCircle(x, y, dc / 2);
    DrawHexEndView(x, y, s);
    DrawCentreCross(x, y, 1.15L * dc / 2);
  } else if (view == 4) {
    CadSetColor(5);
    CadCircle(x, y, dc / 2);
    DrawBoltThreadEnd(x, y, Gewinde.d, P);
    DrawHexEndView(x, y, s);
    DrawCentreCross(x, y, 1.15L * dc / 2);
  }
  if (code == 8 && IsLongView(view)) {
    DrawShankSections(view, x, y, P, Flangesc.d, Flangesc.r, runOut);
    DrawBoltEnd(view, nutJoint, x, y - Schraube.l + Schraube.b, P, Schraube.b, Flangesc.d);
  }
}
