#include "cad/load_extension_diagrams.h"

#include <vector>

#include "cad/axis_frame.h"
#include "cad/cad_output.h"
#include "cad/diagram_plotter.h"
#include "cad/preload_statistics.h"
#include "cad/tightening_diagrams.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "framework/units.h"

Extended PanelPenY = 0;

namespace {

bool IsLoadExtension(TDiagramKind kind) { return (kind >= 1 && kind <= 5) || kind == 11; }
bool IsWorking(TDiagramKind kind) { return kind == 2 || kind == 3 || kind == 5 || kind == 11; }
bool ShowsAssembly(TDiagramKind kind) { return kind == 1 || kind == 3 || kind == 4; }

// The preload level of the frame and of the working lines.
Extended FrameLevel(TDiagramKind kind) {
  switch (kind) {
    case 2: return Last.FVreq;
    case 5: return Last.FVmax;
    case 11: return Last.FVmin;
    default: return Last.FM02;
  }
}

Extended WorkingLevel(TDiagramKind kind) { return kind == 3 ? Last.FVreq : FrameLevel(kind); }

std::string ForceValue(Extended f) { return ForceToTextFmt(6, 0, f) + " " + ForceUnitText(); }

void PanelLine(int colour, const std::string& label, Extended f) {
  CadSetColor(colour);
  PanelTextLine(label + ForceValue(f));
}

void PanelText(const std::string& text) { PanelTextLine(text); }

void WorkingLines(TDiagramKind kind) {
  const Extended F = WorkingLevel(kind);
  const Extended dS = Schraube.deltaS, dP = Klemmstuecke.deltaPSum, n = CalcOptions.nLoad;
  const LASTTYPE& l = Last;
  if (l.FAmax > 0) {
    CadSetColor(21);
    PlotMoveTo(0, F);
    PlotLineTo(CalcAux.ExtensionMax, F + l.FSAmax);
    if (n < 1) {
      PlotMoveTo(-(dS + (1 - n) * dP) * F, 0);
      PlotLineTo(0, F);
      PlotLineTo(n * dP * F, 0);
    }
    PlotMoveTo(CalcAux.ExtensionMax, F + l.FSAmax);
    PlotLineTo(CalcAux.ExtensionMax, 0);
    // A pulsating load: one sine symbol over the load range.
    if (FloatEqual(l.FAmin, 0))
      PlotSineCurve(CalcAux.ExtensionMax, F + l.FSAmax - 0.5L * l.FAmax, 0.5L * l.FAmax,
                    0.7L * dP * F, 90, 2);
  }
  if (l.FAmin < 0) {
    CadSetColor(27);
    PlotMoveTo(CalcAux.ExtensionMin, F - l.FPAmin);
    PlotLineTo(0, F);
    PlotMoveTo(CalcAux.ExtensionMin, F - l.FPAmin);
    PlotLineTo(CalcAux.ExtensionMin, 0);
  }
}

void PanelValues(TDiagramKind kind) {
  const LASTTYPE& l = Last;
  CadMoveTo(kPanelX, PanelPenY);
  PanelLine(21, "FAmax= ", l.FAmax);
  if (l.FAmin < 0) PanelLine(27, "FAmin= ", l.FAmin);
  if (l.FApre != 0) PanelLine(29, "FApre= ", l.FApre);
  if (l.Fpre != 0) PanelLine(29, "Fpre= ", l.Fpre);
  if (IsWorking(kind)) {
    PanelLine(29, "FKreq= ", l.FKreq);
    if (kind == 11) PanelLine(21, "FKR = ", l.FKRo);
    PanelLine(21, "FSA = ", l.FSAmax);
    PanelLine(21, "FPA = ", l.FPAmax);
  }
  if ((kind == 2 || kind == 5 || kind == 11) && l.FAmin < 0) {
    PanelLine(27, "FSR = ", l.FSu);
    PanelLine(27, "FSAmin = ", l.FSAmin);
    PanelLine(27, "FPAmin = ", l.FPAmin);
  }
  if (ShowsAssembly(kind)) PanelLine(29, "FZ  = ", l.FZ);

  PanelBlankLine();
  CadSetColor(29);
  PanelText("Coefficients:");
  if (IsWorking(kind)) {
    PanelText("n = " + FormatFloatText(1, 2, CalcOptions.nLoad));
    PanelText("phi n = " + FormatFloatText(1, 3, CalcOptions.Phi));
  }
  if (ShowsAssembly(kind)) PanelText("alpha a =" + FormatFloatText(1, 2, Montage.alphaA));

  CadSetColor(29);
  PanelBlankLine();
  PanelText("Functions:");
  if (kind == 2 || kind == 3) {
    PanelText("FSA= phi n * FA");
    PanelText("FV = FA+FKR-FSA");
    PanelText("FA = FSA+FPA");
  }
  if (kind == 5 || kind == 11) {
    PanelText("FSA= phi n * FA");
    PanelText("FV = FM - FZ");
    PanelText("FA = FSA+FPA");
  }
  if (kind == 1 || kind == 3) {
    PanelText("FMmin,req = FVreq+FZ");
    PanelText("FMmax,req=FMmin,req*al.a");
  }
  if (kind == 4) {
    PanelText("FM,max= FMRe * nue");
    PanelText("FVmax = FM,max - FZ");
    PanelText("FVmin = FM,min - FZ");
  }
  if (kind == 2 || kind == 5 || kind == 11) {
    PanelText("FKR = FV - FPA");
    if (l.FAmin < 0) PanelText("FSR = FV + FSA");
  }

  if (CalcMessages.count > 0) {
    PanelBlankLine();
    CadSetColor(16);
    // A smaller text keeps a message of 36 characters, and eleven of them,
    // on the sheet beside the plot area.
    CadSetTextStyle(2, 0, 1.4L, 1.0L);
    for (std::size_t i = 1; i <= CalcMessages.count && i <= kCalcMessageSlots; ++i)
      PanelText(CalcMessages.texts[i].str());
  }
}

void DrawLoadExtension(TDiagramKind kind) {
  CadSetColor(29);
  CadSetTextStyle(2, 0, 2.2L, 1.7L);
  CadSetLineSpacing(1.0L);
  BeginTextPanel(kPanelX, 112);
  PanelText("Load:");
  PanelPenY = CadState.CadCurrentY;

  if (kind == 5)
    PlotForceLevel(19, "FVmax", Last.FVmax);
  else if (kind == 11)
    PlotForceLevel(19, "FVmin", Last.FVmin);
  else
    PlotForceLevel(19, "FVmin,req", Last.FVreq);
  if (kind == 1 || kind == 3) {
    PlotForceLevel(16, "FM,Re", Last.FM02);
    PlotForceLevel(17, "FM,max", Last.FM);
    PlotForceLevel(20, "FMmax,req", Last.FMreqMax);
    PlotForceLevel(18, "FMmin,req", Last.FMreq);
  } else if (kind == 4) {
    PlotForceLevel(16, "FM,Re", Last.FM02);
    PlotForceLevel(17, "FM,max", Last.FM);
    PlotForceLevel(20, "FVmax", Last.FVmax);
    PlotForceLevel(18, "FVmin", Last.FVmin);
  }
  if (IsWorking(kind)) WorkingLines(kind);
  PanelValues(kind);
  EndTextPanel();
}

// The text panel being collected: each line with where it stands and how it is written.
struct CollectedLine {
  std::string text;
  int colour;
  Extended x, y, height, widthFactor;
};
bool PanelOpen = false;
std::vector<CollectedLine> PanelLines;

constexpr Extended kSheetRight = kDiagramSheetWidth, kMargin = 0.5L;

}  // namespace

void BeginTextPanel(Extended x, Extended y) {
  CadMoveTo(x, y);
  PanelLines.clear();
  PanelOpen = true;
}

void PanelTextLine(const std::string& text) {
  const TCadState& s = CadState;
  if (!PanelOpen) {
    CadTextLineFitted(text, kSheetRight - kMargin - s.CadCurrentX);
    return;
  }
  if (text.empty()) return;  // as CadTextLine: no line
  PanelLines.push_back({text, s.CadColor, s.CadCurrentX, s.CadCurrentY, s.CadTextHeight, s.CadTextWidthFactor});
  CadMoveTo(s.CadCurrentX, s.CadCurrentY - 1.6L * s.CadTextHeight * s.CadLineSpacing);
}

void EndTextPanel() {
  if (!PanelOpen) return;
  PanelOpen = false;
  std::vector<CollectedLine> lines;
  lines.swap(PanelLines);
  if (lines.empty()) return;
  // Squeezed towards the first line's baseline, so that the descenders of
  // the last end above the floor.
  const Extended top = lines.front().y;
  Extended left = lines.front().x, lowest = top;
  for (const CollectedLine& l : lines) {
    left = FloatMin(left, l.x);
    lowest = FloatMin(lowest, l.y - 0.3L * l.height);
  }
  const Extended floor = FloatMax(kMargin, CadHeldTopBelow(left, kSheetRight, top) + 0.3L);
  Extended f = 1;
  if (lowest < floor && top > floor) f = (top - floor) / (top - lowest);
  const TCadState kept = CadState;
  const Extended ratio = kept.CadTextWidthSetting;
  for (const CollectedLine& l : lines) {
    CadSetColor(l.colour);
    const Extended h = f * l.height;
    CadSetTextStyle(2, 0, h, ratio > 0 ? h * l.widthFactor / ratio : 0);
    CadTextFitted(l.text, l.x, top - f * (top - l.y), kSheetRight - kMargin - l.x);
  }
  CadSetColor(kept.CadColor);
  CadSetTextStyle(2, kept.CadTextAngle, kept.CadTextHeight,
                  ratio > 0 ? kept.CadTextHeight * kept.CadTextWidthFactor / ratio : 0);
}

void PanelBlankLine() {
  CadMoveTo(CadState.CadCurrentX,
            CadState.CadCurrentY - 1.6L * CadState.CadTextHeight * CadState.CadLineSpacing);
}

bool LoadExtensionFrame(TDiagramKind kind, TDiagramFrame& frame) {
  if (!IsLoadExtension(kind)) return false;
  const Extended F = FrameLevel(kind);
  switch (kind) {
    case 1: frame.title = "Load Extension Diagram (Assembly  req.)"; break;
    case 2: frame.title = "Load Extension Diagram (Working condition req.)"; break;
    case 3: frame.title = "    Load Extension Diagram"; break;
    case 4: frame.title = "Load Extension Diagram (Assembly )"; break;
    case 5: frame.title = "Load Extension Diagram (Working condition max.)"; break;
    default: frame.title = "Load Extension Diagram (Working condition min.)"; break;
  }
  frame.xText = "     f [" + LengthUnitText() + "]";
  frame.yText = "F [" + ForceUnitText() + "]";
  frame.xTextPlace = 2;
  frame.xmin = -(Schraube.deltaS + Klemmstuecke.deltaPSum) * F;
  frame.xmax = Klemmstuecke.deltaPSum * F;
  frame.ymin = 0;
  frame.ymax = IsWorking(kind) && kind != 3 ? FloatMax(F - Last.FPAmin, F + Last.FSAmax) : F;
  frame.xFactor = LengthToDisplay(1);
  frame.yFactor = ForceToDisplay(1);
  return true;
}

void PlotForceLevel(int colour, const std::string& name, Extended F) {
  CadSetColor(colour);
  PlotMoveTo(-Schraube.deltaS * F, 0);
  PlotLineTo(0, F);
  PlotLineTo(Klemmstuecke.deltaPSum * F, 0);
  CadMoveTo(kPanelX, PanelPenY);
  PanelTextLine(PadRight(name, 9) + "=" + ForceValue(F));
  PanelPenY = CadState.CadCurrentY;
}

namespace {

void DrawWholeDiagram(TDiagramKind kind) {
  if (kind == kDiagramPreloadStatistics) {
    SetPlotSize(100, 100);
    SetPlotOrigin(5, 5);
    DrawPreloadStatistics();
    return;
  }
  SetPlotSize(100, 98);
  SetPlotOrigin(14, 10);
  TDiagramFrame frame;
  if (!LoadExtensionFrame(kind, frame) && !TighteningFrame(kind, frame)) return;
  PlotFrame(frame.xText, frame.yText, frame.title, frame.xmin * frame.xFactor,
            frame.ymin * frame.yFactor, frame.xmax * frame.xFactor, frame.ymax * frame.yFactor,
            frame.xTextPlace);
  ScalePlotWindow(frame.xFactor, frame.yFactor);
  if (IsLoadExtension(kind))
    DrawLoadExtension(kind);
  else
    DrawTighteningDiagram(kind);
}

}  // namespace

void DrawDiagram(TDiagramKind kind) {
  // No line of a diagram strikes through one of its texts.
  CadBeginTextKeepOut();
  DrawWholeDiagram(kind);
  CadEndTextKeepOut();
}

void InitLoadExtensionDiagrams() { PanelPenY = 0; }
