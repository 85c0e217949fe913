#include "cad/joint_drawing.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "cad/bolt_outline.h"
#include "cad/cad_screen.h"
#include "cad/drawing_elements.h"
#include "cad/head_nut_drawing.h"
#include "cad/hex_parts.h"
#include "calc/bolt_geometry.h"
#include "calc/joint_records.h"
#include "framework/error_explanations.h"
#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"

namespace {

const Extended kTan30 = std::tan(kPi / 6);
constexpr int kMaxFlangeBolts = 1000;  // a damaged bolt count must not draw for ever

constexpr const char* kNoBoltOrPlates = "no bolt or no clamping plates defined !";

struct TWindow {
  Extended xmin, ymin, xmax, ymax;
};

int PlateCount() { return std::clamp<int>(Klemmstuecke.nPlates, 0, kMaxPlates); }
bool HasBolt() { return BoltSectionCount() > 0; }
bool IsNutJoint() { return Verbindung.JointKind == kJointWithNut; }

TWindow EndViewWindow() {
  const Extended d = Gewinde.d;
  return {-2 * d, -2 * d, 2 * d, 2 * d};
}

// The skeleton of every drawing command: checks, device, window, the
// optional block section, one entity pass, close.
void RunDrawing(bool drawable, const char* message, TCadDevice device, const std::string& name,
                const TWindow& w, const std::function<void()>& blocks,
                const std::function<void()>& body) {
  if (!drawable) {
    ShowTraceMessage(message);
    return;
  }
  if (CalcFatalFlag) {
    ShowFatalCalculation(device);
    return;
  }
  CadOpen(device, name);
  if (AbortFlag) return;
  CadBeginDrawing(w.xmin, w.ymin, w.xmax, w.ymax);
  CadWriteTables(0);
  if (blocks) {
    CadBeginBlocks();
    blocks();
    CadEndSection();
  }
  do {
    CadBeginEntities();
    body();
    CadEndSection();
  } while (!CadLastPass());
  CadClose(0);
  RestoreCursor();
}

// The clamped plates stacked downward from y, hatched at alternating
// angles; returns the sign of the angle the next part continues with.
int DrawPlates(Extended x, Extended y, bool acrossBore) {
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  int sign = 1;
  Extended top = y;
  for (int i = 1; i <= PlateCount(); ++i) {
    DrawPlateSection(2, x, top, k.Di[i], k.L[i], k.De[i], sign * 45);
    sign = -sign;
    top -= k.L[i];
    if (acrossBore) {
      CadSetColor(5);
      CadLine(x - k.Di[i] / 2, top, x + k.Di[i] / 2, top);
    }
  }
  return sign;
}

void DrawBreakOutAround(Extended x, Extended y) {
  const Extended d = Gewinde.d;
  DrawBreakOutRect(x - 1.5L * d, y - 1.5L * d, x + 1.5L * d, y + 1.5L * d);
}

// The nut of a joint with nut with its bearing face at y.
void DrawJointNut(TJointView view, Extended x, Extended y) {
  switch (Mutter.NutType) {
    case 1:
    case 2: DrawHeadOrNut(kPartHexNut, view, 1, x, y, IsNutJoint()); break;
    case 3: CadInsertBlock("NUT", x, y, 180, 1, 1); break;
    default: DrawSpecialNut(view, 2, x, y); break;
  }
}

}  // namespace

void DrawJointAssembly(TJointView view, Extended x, Extended y) {
  const Extended d = Gewinde.d, kH = HeadDimension(), lk = Klemmstuecke.lK;
  const bool longView = IsLongView(view);
  if (!IsNutJoint()) {
    if (longView) {
      const Extended tb = Sackloch.tb;
      DrawCentreLine(x, y + 1.2L * kH, x, y - lk - tb - 0.5L * d * kTan30 - 0.2L * kH);
      const int sign = DrawPlates(x, y, false);
      const Extended engaged = BoltLengthBelowHead() - lk;
      DrawSteppedSection(2, x, y - lk, d, 1.2L * tb, Gewinde.P, Sackloch.tg, engaged, tb, 4 * d,
                         sign * 45);
    } else if (view == kViewTop || view == kViewBottom) {
      DrawBreakOutAround(x, y);
    }
  } else {
    if (longView) {
      DrawJointNut(view, x, y - lk);
      DrawCentreLine(x, y + 1.2L * kH, x, y - Schraube.l - 0.2L * kH);
      DrawPlates(x, y, false);
    } else if (view == kViewTop) {
      DrawBreakOutAround(x, y);
    } else if (view == kViewBottom) {
      DrawBreakOutAround(x, y);
      DrawJointEndView(x, y);
    }
  }
  if (view != kViewBottom) DrawHeadOrNut(Schraube.HeadType, view, 1, x, y, IsNutJoint());
  if (view == kViewScreen) {
    const KLEMMSTUECKTYPE& k = Klemmstuecke;
    CadSetColor(1);
    Extended top = y;
    for (int i = 1; i <= PlateCount(); ++i) {
      const Extended r = k.DAeff[i] / 2;
      CadLine(x - r, top, x - r, top - k.L[i]);
      CadLine(x + r, top, x + r, top - k.L[i]);
      top -= k.L[i];
    }
  }
}

void DrawBoltedJoint(TJointView view, TCadDevice device) {
  const Extended d = Gewinde.d, dK = Schraube.dK;
  TWindow w = EndViewWindow();
  if (IsLongView(view)) {
    const Extended bottom =
        IsNutJoint() ? 1.1L * Schraube.l : Klemmstuecke.lK + 1.5L * Sackloch.tb;
    w = {-4 * d, -bottom, 4 * d, 1.1L * dK};
  }
  std::function<void()> blocks;
  if (IsNutJoint() && Mutter.NutType == 3) {
    blocks = [view] {
      CadBeginBlock("NUT");
      DrawHeadOrNut(kPartFlangeNut, view, 1, 0, 0, IsNutJoint());
      CadEndBlock();
    };
  }
  RunDrawing(PlateCount() > 0 && HasBolt(), kNoBoltOrPlates, device, "BQ4", w, blocks,
             [view] { DrawJointAssembly(view, 0, 0); });
}

void DrawBoltPart(TJointView view, TCadDevice device) {
  const Extended d = Gewinde.d;
  TWindow w = EndViewWindow();
  if (IsLongView(view)) w = {-4 * d, -1.1L * Schraube.l, 4 * d, 1.1L * Schraube.dK};
  RunDrawing(HasBolt(), "no bolt defined !", device, "SCHRAUBE", w, nullptr, [view] {
    const Extended kH = HeadDimension();
    if (IsLongView(view)) DrawCentreLine(0, 1.2L * kH, 0, -Schraube.l - 0.2L * kH);
    DrawHeadOrNut(Schraube.HeadType, view, 1, 0, 0, false);
  });
}

void DrawNutPart(TJointView view, TCadDevice device) {
  const Extended d = Gewinde.d, m = Mutter.m, tb = Sackloch.tb;
  const Word head = Schraube.HeadType;
  const Extended y0 = head == 3 || head == 4 ? -HeadDimension() : 0;
  TWindow w = EndViewWindow();
  if (IsLongView(view)) {
    w = IsNutJoint() ? TWindow{-4 * d, y0 - 1.5L * m, 4 * d, 1.5L * m}
                     : TWindow{-4 * d, -(Klemmstuecke.lK + 1.4L * tb), 4 * d, 1.5L * m};
  }
  RunDrawing(PlateCount() > 0 && HasBolt(), kNoBoltOrPlates, device, "MUTTER", w, nullptr,
             [view, d, m, tb, y0] {
               const bool longView = IsLongView(view);
               if (!IsNutJoint()) {
                 if (longView) {
                   const Extended kH = HeadDimension();
                   DrawCentreLine(0, y0 + 0.2L * d, 0, y0 - tb - 0.5L * d * kTan30 - 0.2L * kH);
                   DrawSteppedSection(2, 0, y0, d, 1.2L * tb, Gewinde.P, Sackloch.tg, 0, tb, 4 * d,
                                      45);
                   // The bore's edge at the part's surface.
                   CadSetColor(5);
                   CadLine(-d / 2, y0, d / 2, y0);
                 } else if (view == kViewTop || view == kViewBottom) {
                   DrawBreakOutAround(0, 0);
                 }
                 return;
               }
               if (!longView) return;
               switch (Mutter.NutType) {
                 case 1:
                 case 2: DrawHeadOrNut(kPartHexNut, view, 1, 0, y0, true); break;
                 case 3: DrawHeadOrNut(kPartFlangeNut, view, 1, 0, y0, true); break;
                 default: DrawSpecialNut(view, 1, 0, y0); break;
               }
               // The flange nut is drawn upwards from its bearing face, the others hang down.
               if (Mutter.NutType == 3) DrawCentreLine(0, y0 + 1.2L * m, 0, y0 - 0.2L * m);
               else DrawCentreLine(0, y0 + 0.2L * m, 0, y0 - m - 0.2L * m);
             });
}

void DrawClampingPieces(TJointView view, TCadDevice device) {
  const Extended d = Gewinde.d;
  TWindow w = EndViewWindow();
  if (IsLongView(view)) w = {-4 * d, -1.1L * Schraube.l, 4 * d, 1.1L * Schraube.dK};
  RunDrawing(PlateCount() > 0, kNoBoltOrPlates, device, "KLEMMSTK", w, nullptr, [view, d] {
    if (IsLongView(view)) {
      DrawCentreLine(0, 0.2L * d, 0, -Klemmstuecke.lK - 0.2L * d);
      const Extended di = Klemmstuecke.Di[1];
      CadSetColor(5);
      CadLine(-di / 2, 0, di / 2, 0);
      DrawPlates(0, 0, true);
    } else if (view == kViewTop || view == kViewBottom) {
      DrawBreakOutAround(0, 0);
    }
  });
}

void DrawFlangeBoltCircle(TCadDevice device) {
  const Extended DF = Flansch.Da, DT = Flansch.DT;
  const TWindow w{-0.55L * DF, -0.55L * DF, 0.55L * DF, 0.55L * DF};
  RunDrawing(PlateCount() > 0 && HasBolt() && DF != 0 && DT != 0, kNoBoltOrPlates, device, "BQ4", w,
             nullptr, [DF, DT] {
               CadSetColor(1);
               CadLine(-0.54L * DF, 0, 0.54L * DF, 0);
               CadLine(0, -0.54L * DF, 0, 0.54L * DF);
               CadCircle(0, 0, DT / 2);
               CadSetColor(5);
               CadCircle(0, 0, DF / 2);
               CadSetColor(0);
               const int nF = std::clamp<int>(Flansch.nBolts, 0, kMaxFlangeBolts);
               for (int i = 1; i <= nF; ++i) {
                 const Extended a = DegToRad((i - 1) * 360.0L / nF + 90);
                 DrawHeadOrNut(Schraube.HeadType, kViewTop, 1, DT / 2 * std::cos(a),
                               DT / 2 * std::sin(a), true);
               }
             });
}
