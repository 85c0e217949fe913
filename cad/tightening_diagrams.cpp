#include "cad/tightening_diagrams.h"

#include <array>
#include <cmath>
#include <string>

#include "cad/cad_output.h"
#include "cad/diagram_plotter.h"
#include "calc/designation.h"
#include "calc/joint_records.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"
#include "framework/plane_geometry.h"
#include "framework/text_utils.h"
#include "framework/units.h"

namespace {

const std::string kMu(1, '\xE6');  // the Greek mu of code page 437

std::string MomentValue(Extended nm) { return MomentToText(nm) + " " + MomentUnitText(); }
std::string ForceValue(Extended n) { return ForceToText(n) + " " + ForceUnitText(); }

Extended RmOverRp() {
  return MatBolt.Rp02 != 0 ? static_cast<Extended>(MatBolt.Rm) / MatBolt.Rp02 : 0;
}

// Where the line through P1 and P2 reaches the level y (a horizontal line
// across the window); false when the line runs parallel to it.
bool CrossLevel(Extended& x, Extended x1, Extended y1, Extended x2, Extended y2, Extended level) {
  Extended y = 0;
  return IntersectLines(x, y, x1, y1, x2, y2, 0, level, PlotState.WinXMax, level) &&
         std::isfinite(x);
}

// Where the line through P1 and P2 reaches the right edge of the window.
bool CrossRightEdge(Extended& y, Extended x1, Extended y1, Extended x2, Extended y2) {
  Extended x = 0;
  const TPlotState& s = PlotState;
  return IntersectLines(x, y, x1, y1, x2, y2, s.WinXMax, 0, s.WinXMax, s.WinYMax) &&
         std::isfinite(y);
}

struct WorldPoint {
  Extended x, y;
};

// A hatched field of the diagram in world values; nothing when a corner
// cannot be placed (a calculation that divided by zero).
template <std::size_t N>
void HatchField(int n, const std::array<WorldPoint, N>& points, Extended spacing, Extended angle) {
  for (const WorldPoint& p : points)
    if (!std::isfinite(PlotX(p.x)) || !std::isfinite(PlotY(p.y))) return;
  PlotHatchBegin();
  for (const WorldPoint& p : points) PlotHatchPoint(p.x, p.y, 0);
  PlotHatchFill(n, spacing, angle);
}

void LineTo(Extended x1, Extended y1, Extended x2, Extended y2) {
  PlotMoveTo(x1, y1);
  PlotLineTo(x2, y2);
}

// M-alpha: torque over the angle of turn, counted from the elastic origin.
void DrawTorqueAngle() {
  const LASTTYPE& l = Last;
  // The minimum torque the calculation used.
  const Extended MAmin = TighteningUsed.MAmin;
  const MONTAGETYPE& m = Montage;
  const Extended start = l.MApreFriction + l.MApre, startMax = l.MApreFrictionMax + l.MApre;
  auto alpha = [&](Extended M) { return (M - start) / m.dMAdTheta; };
  CadSetColor(18);
  PlotLineLabel(kMu + "min", 0, start, alpha(l.MA02), l.MA02);
  CadSetScreenPen(2);
  LineTo(alpha(l.MA02), l.MA02, alpha(l.MA02Rm), l.MA02Rm);
  CadSetScreenPen(0);
  CadSetColor(26);
  PlotValueMark("MA Rm = " + MomentValue(l.MA02Rm), alpha(l.MA02Rm), l.MA02Rm);
  CadSetColor(16);
  PlotValueMark("MA Re = " + MomentValue(l.MA02), alpha(l.MA02), l.MA02);
  CadSetColor(21);
  PlotValueMark("MA,max = " + MomentValue(l.MA), m.theta, l.MA);
  PlotValueMark("MA,min = " + MomentValue(MAmin), m.theta / m.alphaA, MAmin);
  CadSetColor(19);
  const Extended x0 = m.theta0 / m.nu, y0 = m.MP0 / m.nu;
  PlotLineLabel(kMu + "=0", 0, 0, x0, y0);
  const Extended xMax = (l.MAmax2 - startMax) / m.dMAdThetaMax / m.nu, yMax = l.MAmax2 / m.nu;
  if (!FloatEqual(l.MA, l.MAmax2)) {
    CadSetColor(29);
    PlotLineLabel(kMu + "max", 0, startMax, xMax, yMax);
  }
  Extended xa = 0, xb = 0;
  if (CrossLevel(xa, 0, startMax, m.theta / m.alphaA, MAmin, l.MA) &&
      CrossLevel(xb, 0, start, m.theta, l.MA, MAmin))
    HatchField(4, std::array<WorldPoint, 4>{{{m.theta, l.MA}, {xa, l.MA}, {m.theta / m.alphaA, MAmin},
                                          {xb, MAmin}}},
               0, -45);
  CadSetColor(26);
  Extended xTop = 0;
  if (CrossLevel(xTop, x0, y0, xMax, yMax, PlotState.WinYMax))
    HatchField(0, std::array<WorldPoint, 5>{{{0, 0},
                                          {PlotState.WinXMax, 0},
                                          {PlotState.WinXMax, PlotState.WinYMax},
                                          {xTop, PlotState.WinYMax},
                                          {x0, y0}}},
               0.02L * PlotState.WinXMax, -45);
  CadSetColor(20);
  LineTo(0, 0, m.theta / m.nu, m.MGapprox / m.nu);
  PlotValueMark("MG (" + kMu + "G=" + FloatToText(Reibung.muGmin) + ") = " + MomentValue(m.MGapprox),
                m.theta, m.MGapprox);
  DrawTorqueTextPanel(1);
}

// FM-alpha: preload over the angle of turn.
void DrawPreloadAngle() {
  const LASTTYPE& l = Last;
  const MONTAGETYPE& m = Montage;
  CadSetColor(26);
  PlotValueMark("FM,Rm = " + ForceValue(l.FM02Rm), l.FM02Rm / m.dFdTheta, l.FM02Rm);
  CadSetColor(16);
  PlotValueMark("FM,Re = " + ForceValue(l.FM02), l.FM02 / m.dFdTheta, l.FM02);
  CadSetColor(21);
  PlotValueMark("FM,max = " + ForceValue(l.FM), l.FM / m.dFdTheta, l.FM);
  PlotValueMark("FM,min = " + ForceValue(l.FM / m.alphaA), l.FM / m.dFdTheta / m.alphaA,
                l.FM / m.alphaA);
  CadSetColor(19);
  LineTo(0, 0, m.theta0 / m.nu, m.FM0 / m.nu);
  LineTo(l.FM / m.dFdTheta, l.FM, l.FM / m.dFdTheta, l.FVmax);  // the embedding loss
  PlotValueMark("FM Re (" + kMu + "G=" + kMu + "K=0) = " + ForceValue(m.FM0 / m.nu),
                m.theta0 / m.nu, m.FM0 / m.nu);
  DrawTorqueTextPanel(2);
}

// FM-MA: preload over the tightening torque.
void DrawPreloadTorque() {
  const LASTTYPE& l = Last;
  // The minimum torque the calculation used.
  const Extended MAmin = TighteningUsed.MAmin;
  const MONTAGETYPE& m = Montage;
  const Extended start = l.MApreFriction + l.MApre, startMax = l.MApreFrictionMax + l.MApre;
  const Extended x0 = m.MP0 / m.nu, y0 = m.FM0 / m.nu;
  CadSetColor(16);
  PlotValueMark("FM,Re = " + ForceValue(l.FM02), l.MA02, l.FM02);
  CadSetColor(21);
  PlotValueMark("FM,max = " + ForceValue(l.FM), l.MA, l.FM);
  PlotValueMark("FM,min = " + ForceValue(l.FM / m.alphaA), MAmin, l.FM / m.alphaA);
  CadSetColor(26);
  Extended yEdge = 0;
  if (CrossRightEdge(yEdge, x0, y0, l.MA02, l.FM02))
    HatchField(0, std::array<WorldPoint, 5>{{{0, 0},
                                          {x0, y0},
                                          {PlotState.WinXMax, yEdge},
                                          {PlotState.WinXMax, PlotState.WinYMax},
                                          {0, PlotState.WinYMax}}},
               0.02L * PlotState.WinXMax, -45);
  if (!FloatEqual(l.MA, l.MAmax2)) {
    CadSetColor(29);
    PlotValueMark("FM " + kMu + "max = " + ForceValue(l.FMmin), l.MAmax2, l.FMmin);
    PlotLineLabel(kMu + "max", startMax, 0, l.MAmax2 / m.nu, l.FMmin / m.nu);
  }
  Extended xa = 0, xb = 0;
  if (CrossLevel(xa, startMax, 0, l.MAmax2, l.FMmin, l.FM) &&
      CrossLevel(xb, start, 0, l.MA, l.FM, l.FM / m.alphaA))
    HatchField(4, std::array<WorldPoint, 4>{{{l.MA, l.FM}, {xa, l.FM}, {MAmin, l.FM / m.alphaA},
                                          {xb, l.FM / m.alphaA}}},
               0, -45);
  CadSetColor(19);
  PlotLineLabel(kMu + "=0", 0, 0, x0, y0);
  PlotLineLabel(kMu + "min", start, 0, l.MA02, l.FM02);
  CadSetScreenPen(2);
  LineTo(l.MA02, l.FM02, l.MA02Rm, l.FM02Rm);
  CadSetScreenPen(0);
  PlotValueMark(" FM Re " + kMu + "0", x0, y0);
  DrawTorqueTextPanel(2);
}

// MA-FM: tightening torque over the preload.
void DrawTorquePreload() {
  const LASTTYPE& l = Last;
  // The minimum torque the calculation used.
  const Extended MAmin = TighteningUsed.MAmin;
  const MONTAGETYPE& m = Montage;
  const Extended start = l.MApreFriction + l.MApre, startMax = l.MApreFrictionMax + l.MApre;
  CadSetColor(21);
  PlotValueMark("MA = " + MomentValue(l.MA), l.FM, l.MA);
  PlotValueMark("MAmin = " + MomentValue(MAmin), l.FM / m.alphaA, MAmin);
  // Without a friction scatter the line would lie on the line "µmin" and
  // its label on that one's, as in the other torque diagrams.
  if (!FloatEqual(l.MA, l.MAmax2)) {
    CadSetColor(29);
    PlotLineLabel(kMu + "max", 0, startMax, l.FMmin, l.MAmax2);
  }
  CadSetColor(26);
  Extended fa = 0, fb = 0;
  if (CrossLevel(fa, 0, startMax, l.FMmin, l.MAmax2, l.MA) &&
      CrossLevel(fb, 0, start, l.FM, l.MA, MAmin))
    HatchField(4, std::array<WorldPoint, 4>{{{l.FM, l.MA}, {fa, l.MA}, {l.FM / m.alphaA, MAmin},
                                          {fb, MAmin}}},
               0, -45);
  CadSetColor(19);
  PlotLineLabel(kMu + "min", 0, start, l.FM, l.MA);
  DrawTorqueTextPanel(2);
}

void PanelLine(const std::string& text) { PanelTextLine(text); }

}  // namespace

bool TighteningFrame(TDiagramKind kind, TDiagramFrame& frame) {
  const LASTTYPE& l = Last;
  const MONTAGETYPE& m = Montage;
  const std::string angle = "alpha [" + DegreeUnitText() + "]";
  const std::string moment = "MA [" + MomentUnitText() + "]";
  const std::string force = "FM [" + ForceUnitText() + "]";
  const Extended angleEnd = m.theta0 / m.nu * RmOverRp();
  const Extended torqueEnd = FloatMax(l.MA02Rm, l.MAmax2 / m.nu);
  const Extended preloadEnd = m.FM0 / m.nu * RmOverRp();
  frame.xTextPlace = 1;
  frame.xmin = 0;
  frame.ymin = 0;
  switch (kind) {
    case kDiagramTorqueAngle:
      frame.title = " M-alpha-Diagram (Proj.from elastic origin)";
      frame.xText = angle;
      frame.yText = moment;
      frame.xmax = angleEnd;
      frame.ymax = torqueEnd;
      frame.xFactor = 1;
      frame.yFactor = MomentToDisplay(1);
      return true;
    case kDiagramPreloadAngle:
      frame.title = " FM-alpha-Diagram (Proj.from elastic origin)";
      frame.xText = angle;
      frame.yText = force;
      frame.xmax = angleEnd;
      frame.ymax = preloadEnd;
      frame.xFactor = 1;
      frame.yFactor = ForceToDisplay(1);
      return true;
    case kDiagramPreloadTorque:
      frame.title = " FM-MA-Diagram";
      frame.xText = moment;
      frame.yText = force;
      frame.xmax = torqueEnd;
      frame.ymax = preloadEnd;
      frame.xFactor = MomentToDisplay(1);
      frame.yFactor = ForceToDisplay(1);
      return true;
    case kDiagramTorquePreload:
      frame.title = " MA-FM-Diagram";
      frame.xText = force;
      frame.yText = moment;
      frame.xmax = l.FM;
      frame.ymax = l.MAmax2;
      frame.xFactor = ForceToDisplay(1);
      frame.yFactor = MomentToDisplay(1);
      return true;
    default:
      return false;
  }
}

void DrawTighteningDiagram(TDiagramKind kind) {
  switch (kind) {
    case kDiagramTorqueAngle: DrawTorqueAngle(); break;
    case kDiagramPreloadAngle: DrawPreloadAngle(); break;
    case kDiagramPreloadTorque: DrawPreloadTorque(); break;
    case kDiagramTorquePreload: DrawTorquePreload(); break;
    default: break;
  }
}

void DrawTorqueTextPanel(int mode) {
  const LASTTYPE& l = Last;
  // The minimum torque the calculation used.
  const Extended MAmin = TighteningUsed.MAmin;
  const MONTAGETYPE& m = Montage;
  const REIBUNGTYPE& r = Reibung;
  const std::string deg = " deg";  // the panel spells its angles' unit out in every character set
  CadSetColor(29);
  CadSetTextStyle(2, 0, 2.2L, 1.7L);
  CadSetLineSpacing(1.1L);
  BeginTextPanel(kPanelX, 108);
  PanelLine(BoltStandardText() + "-" + TrimRightText(Gewinde.Designation) + "x" +
            IntToText(std::llround(static_cast<double>(Schraube.l))) + "-" +
            TrimRightText(MatBolt.StrengthClass));
  PanelLine(kMu + "G = " + RangeText(1, 3, r.muGmin, r.muGmax));
  PanelLine(kMu + "K = " + RangeText(1, 3, r.muKmin, r.muKmax));
  PanelLine("K = M/(d*F) = " + FloatToText(r.muGes));
  PanelLine("nue Re = " + FloatToText(m.nu));
  if (l.MApre != 0) PanelLine("MA pre= " + MomentValue(l.MApre));
  CadSetColor(21);
  PanelLine("MA,max = " + MomentValue(l.MA));
  PanelLine("FM,max = " + ForceValue(l.FM));
  PanelLine("alpha max = " + FloatToText(m.theta) + deg);
  if (mode == 2) {
    CadSetColor(29);
    PanelLine("FZ = " + ForceValue(l.FZ));
    PanelLine("FVmax = " + ForceValue(l.FVmax));
  }
  CadSetColor(16);
  PanelLine("MA,Re = " + MomentValue(l.MA02));
  PanelLine("FM,Re = " + ForceValue(l.FM02));
  PanelLine("alpha Re = " + FloatToText(m.theta / m.nu) + deg);
  CadSetColor(19);
  PanelLine("MA " + kMu + "0 = " + MomentValue(m.MP0));
  PanelLine("FM " + kMu + "0 = " + ForceValue(m.FM0));
  PanelLine("alpha " + kMu + "0= " + FloatToText(m.theta0) + deg);
  CadSetColor(29);
  PanelLine("MA min = " + MomentValue(MAmin));
  PanelLine("FM/al.A= " + ForceValue(l.FM / m.alphaA));
  CadSetColor(29);
  if (mode == 1)
    PanelLine("R MA = " + MomentValue(m.dMAdTheta) + "/" + DegreeUnitText());
  else
    PanelLine("R FM = " + ForceValue(m.dFdTheta) + "/" + DegreeUnitText());
  const SAFETYTYPE& s = Safety;
  if (l.FMreqMax > 0) PanelLine("FM,max/FMmax,req = " + FloatToText(s.SFM));
  PanelLine("SF=Re/Sig.redB=" + FloatToText(s.SF));
  if (l.sigmaA > 0) PanelLine("SD=Sig.AS/Sig.a= " + FloatToText(s.SD));
  PanelLine("Sp=pG/pmax=" + FloatToText(Klemmstuecke.SPmin));
  const bool nutChecked =
      Verbindung.JointKind == kJointTapped ||
      (Verbindung.JointKind == kJointWithNut && (MatMutter.OwnNutMaterial || Mutter.NutType == 4));
  if (nutChecked && (CalcOptions.EngageVelk || CalcOptions.EngageVdi)) {
    PanelLine("mtr/mmin = " + FloatToText(s.SmRmSafe));
    if (CalcOptions.FSmaxOn) PanelLine("tau,Rm/tau,FSmax = " + FloatToText(s.SmFSSafe));
  }
  EndTextPanel();
}
