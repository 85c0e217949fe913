#include "cad/drawing_elements.h"

#include <cmath>
#include <random>

#include "cad/cad_output.h"
#include "cad/hatching.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/globals.h"
#include "framework/math_utils.h"

namespace {

constexpr std::uint32_t kFreehandSeed = 2230;
std::mt19937 freehandGenerator(kFreehandSeed);

const Extended kTan30 = std::tan(kPi / 6);

void HatchPoint(const TDrawPoint& p) { HatchAddPoint(p.x, p.y); }

}  // namespace

void DrawPath(std::initializer_list<TDrawPoint> points) {
  bool first = true;
  for (const TDrawPoint& p : points) {
    if (first) CadMoveTo(p.x, p.y);
    else CadLineTo(p.x, p.y);
    first = false;
  }
}

TColourScope::TColourScope(int colour) : saved_(CadState.CadColor) { CadSetColor(colour); }

TColourScope::~TColourScope() { CadSetColor(saved_); }

Extended FreehandRandom() {
  // 53 random bits make a value strictly below 1.
  return static_cast<Extended>(std::generate_canonical<double, 53>(freehandGenerator));
}

void SeedFreehandLine(std::uint32_t seed) { freehandGenerator.seed(seed); }

void FreehandLine(bool addToHatch, Extended x1, Extended y1, Extended x2, Extended y2,
                  Extended amplitude) {
  const Extended step = Hypot(x2 - x1, y2 - y1) / 6;
  const Extended angle = RadToDeg(ArcTan2(x2 - x1, y2 - y1));
  CadMoveTo(x1, y1);
  if (addToHatch) HatchAddPoint(x1, y1);
  for (int i = 1; i <= 5; ++i) {
    const Extended r1 = FreehandRandom();
    const Extended r2 = FreehandRandom();
    Extended px, py;
    RotatePoint(px, py, x1, y1, angle, i * step, (r1 - r2) * 2 * amplitude);
    CadLineTo(px, py);
    if (addToHatch) HatchAddPoint(px, py);
  }
  CadLineTo(x2, y2);
  if (addToHatch) HatchAddPoint(x2, y2);
}

void DrawBreakOutRect(Extended x1, Extended y1, Extended x2, Extended y2) {
  const Extended a = std::fmin(std::fabs(x1 - x2), std::fabs(y1 - y2)) / 15;
  TColourScope colour(3);
  FreehandLine(false, x1, y1, x2, y1, a);
  FreehandLine(false, x2, y1, x2, y2, a);
  FreehandLine(false, x2, y2, x1, y2, a);
  FreehandLine(false, x1, y2, x1, y1, a);
}

void DrawCentreLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  TColourScope colour(1);
  CadLine(x1, y1, x2, y2);
}

void DrawCentreCross(Extended x, Extended y, Extended r) {
  TColourScope colour(1);
  CadLine(x - r, y, x + r, y);
  CadLine(x, y - r, x, y + r);
}

void DrawHexEndView(Extended x, Extended y, Extended s) {
  TColourScope colour(5);
  CadRegularPolygon(6, x, y, s, 0);
  CadCircle(x, y, s / 2);
}

void DrawPlateSection(Word mode, Extended x, Extended ytop, Extended Di, Extended L, Extended De,
                      Extended angle) {
  // A wide plate is cut short by a break line at 3 Di from the axis.
  const bool wide = !(De < 6 * Gewinde.d);
  if (wide) De = 6 * Di;
  const Extended ybot = ytop - L;
  for (const int side : {1, -1}) {
    const Extended xo = x + side * De / 2, xi = x + side * Di / 2;
    HatchBegin();
    if (!wide) {
      CadSetColor(5);
      CadMoveTo(xo, ytop);
      CadLineTo(xo, ybot);
      HatchAddPoint(xo, ytop);
    } else {
      CadSetColor(3);
      FreehandLine(true, xo, ytop, xo, ybot, Di / 6);
    }
    HatchAddPoint(xo, ybot);
    HatchAddPoint(xi, ybot);
    HatchAddPoint(xi, ytop);
    CadSetColor(5);
    CadLineTo(xi, ybot);
    CadLineTo(xi, ytop);
    CadLineTo(xo, ytop);
    SetHatchMode(2);
    HatchPolygon(0, (De - Di) / 6, angle);
  }
  if (mode == 1) {
    CadSetColor(5);
    CadLine(x - Di / 2, ybot, x + Di / 2, ybot);
    CadLine(x - Di / 2, ytop, x + Di / 2, ytop);
  }
}

void DrawSteppedSection(Word mode, Extended x, Extended ytop, Extended d, Extended depth, Extended P,
                        Extended tg, Extended e, Extended tb, Extended W, Extended angle) {
  const Extended rb = (d - P) / 2;       // drill radius
  const Extended rc = rb + 0.6L * P;     // countersink radius at the surface
  const Extended amplitude = d / 8;
  CadSetColor(5);
  CadLine(x - d / 2, ytop - tg, x + d / 2, ytop - tg);
  CadLine(x - rb, ytop - tb, x + rb, ytop - tb);
  CadLine(x - (d + 0.2L * P) / 2, ytop, x - d / 2, ytop);
  CadLine(x + (d + 0.2L * P) / 2, ytop, x + d / 2, ytop);
  CadSetColor(3);
  CadLine(x - d / 2, ytop - e, x - d / 2, ytop - tg);
  CadLine(x + d / 2, ytop - e, x + d / 2, ytop - tg);

  const TDrawPoint contour[13] = {
      {x - W / 2, ytop},           {x - rc, ytop},         {x - d / 2, ytop - 0.1L * P},
      {x - d / 2, ytop - e},       {x - rb, ytop - e},     {x - rb, ytop - tb},
      {x, ytop - tb - rb * kTan30}, {x + rb, ytop - tb},    {x + rb, ytop - e},
      {x + d / 2, ytop - e},       {x + d / 2, ytop - 0.1L * P}, {x + rc, ytop},
      {x + W / 2, ytop}};
  CadSetColor(5);
  CadMoveTo(contour[0].x, contour[0].y);
  for (int i = 1; i < 13; ++i) CadLineTo(contour[i].x, contour[i].y);

  HatchBegin();
  CadSetColor(3);
  if (mode == 1) {
    FreehandLine(true, x + W / 2, ytop, x + W / 2, ytop - depth, amplitude);
    CadSetColor(5);
    CadLineTo(x - W / 2, ytop - depth);
    HatchAddPoint(x - W / 2, ytop - depth);
    CadSetColor(3);
    FreehandLine(true, x - W / 2, ytop - depth, x - W / 2, ytop, amplitude);
  } else {
    const Extended ySide = ytop - 1.1L * tb;
    const Extended yTip = ytop - 1.1L * (tb + d / 2 * kTan30);
    FreehandLine(true, x + W / 2, ytop, x + 0.45L * W, ySide, amplitude);
    FreehandLine(true, x + 0.45L * W, ySide, x, yTip, amplitude);
    FreehandLine(true, x, yTip, x - 0.45L * W, ySide, amplitude);
    FreehandLine(true, x - 0.45L * W, ySide, x - W / 2, ytop, amplitude);
  }
  for (int i = 0; i < 12; ++i) HatchPoint(contour[i]);
  SetHatchMode(2);
  HatchPolygon(0, W / 8, angle);
}

void DrawJointEndView(Extended x, Extended y) {
  const Extended d = Gewinde.d, P = Gewinde.P;
  CadSetColor(5);
  CadCircle(x, y, d / 2);
  CadSetColor(3);
  CadArc(x, y, 207, 103.5L, (d - P) / 2);
  CadSetColor(5);
  switch (Mutter.NutType) {
    case 1:
      DrawHexEndView(x, y, Din934.s);
      DrawCentreCross(x, y, 0.65L * Din934.s);
      break;
    case 2:
      DrawHexEndView(x, y, Din6915.s);
      DrawCentreCross(x, y, 0.65L * Din6915.s);
      break;
    case 3:
      CadCircle(x, y, Flangnut.dc / 2);
      DrawHexEndView(x, y, Flangnut.s);
      DrawCentreCross(x, y, 0.575L * Flangnut.dc);
      break;
    default:
      CadCircle(x, y, Mutter.dwNut / 2);
      DrawCentreCross(x, y, 0.575L * Mutter.dwNut);
      break;
  }
}

void InitDrawingElements() { SeedFreehandLine(kFreehandSeed); }
