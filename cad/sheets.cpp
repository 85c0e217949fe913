#include "cad/sheets.h"

#include <algorithm>

#include "cad/cad_screen.h"
#include "cad/diagram_commands.h"
#include "cad/diagram_plotter.h"
#include "cad/head_nut_drawing.h"
#include "cad/joint_drawing.h"
#include "cad/load_extension_diagrams.h"
#include "cad/sheet_tables.h"
#include "cad/title_block.h"
#include "calc/joint_records.h"
#include "framework/drawing_info.h"
#include "framework/error_explanations.h"
#include "framework/globals.h"
#include "framework/message_box.h"

namespace {

struct SheetExtent {
  Extended xmin, ymin, xmax, ymax;
};

// An upright A4 sheet with margin; the quick view is a wider field, which
// reaches right past its forces tables and the diagram's legend, and down as
// far as its tables do (their rows vary with the joint).
SheetExtent ExtentOf(TSheetKind kind) {
  if (kind == kSheetQuickView) return {20, std::min<Extended>(45, SheetTablesBottom(45) - 3), 375, 308};
  return {-5, -5, 225, 308};
}

bool HasJointDrawing(TSheetKind kind) { return kind == kSheetDrawing || kind == kSheetQuickView; }
bool HasForces(TSheetKind kind) { return kind == kSheetForces || kind == kSheetQuickView; }

bool HasFlangeNut() { return Verbindung.JointKind == kJointWithNut && Mutter.NutType == 3; }

void DefineBlocks(TSheetKind kind) {
  CadBeginBlocks();
  CadBeginBlock("FRAME_1");
  DrawTitleBlock(DrawingName.str(), DrawingName2.str(), DrawingNumber.str());
  CadEndBlock();
  if (HasJointDrawing(kind)) {
    // The joint drawing inserts the nut: its block comes first.
    if (HasFlangeNut()) {
      CadBeginBlock("NUT");
      DrawHeadOrNut(kPartFlangeNut, 1, 1, 0, 0, true);
      CadEndBlock();
    }
    CadBeginBlock("DESIGN1");
    DrawJointAssembly(kViewFront, 0, 0);
    CadEndBlock();
    CadBeginBlock("TABLES");
    DrawPlatesTable();
    CadEndBlock();
  }
  if (HasForces(kind)) {
    CadBeginBlock("DIAG1");
    DrawDiagram(3);
    CadEndBlock();
    CadBeginBlock("FTABLE");
    DrawForcesTable();
    CadEndBlock();
  }
  CadEndSection();
}

void InsertDesign() {
  const Extended f = SheetDrawingScale();
  CadInsertBlock("DESIGN1", 60, 290 - 1.1L * Schraube.dK * f, 0, f, f);
}

void InsertBlocks(TSheetKind kind) {
  switch (kind) {
    case kSheetDrawing:
      CadInsertBlock("FRAME_1", 0, 0, 0, 1, 1);
      CadInsertBlock("TABLES", 0, 0, 0, 1, 1);
      InsertDesign();
      break;
    case kSheetForces:
      CadInsertBlock("FRAME_1", 0, 0, 0, 1, 1);
      CadInsertBlock("FTABLE", 0, 0, 0, 1, 1);
      CadInsertBlock("DIAG1", 30, 200, 0, 1.0L, 0.75L);
      break;
    case kSheetQuickView:
      CadInsertBlock("TABLES", 0, 0, 0, 1, 1);
      InsertDesign();
      CadInsertBlock("FTABLE", 180, 0, 0, 1, 1);
      CadInsertBlock("DIAG1", 210, 200, 0, 1.0L, 0.75L);
      break;
    default:
      break;
  }
}

void WriteProgramLine(TSheetKind kind) {
  if (CadState.CadNoProgramLine) return;
  const ShortString<91> line = "TOVIMAR   " + ProgTitle.str() + " " + "to" + " VDI 2230   V" + ProgVersion;
  CadText(line.str(), kind == kSheetQuickView ? 25 : 1, 300);
}

}  // namespace

Extended SheetDrawingScale() {
  const Extended across = 8 * Gewinde.d;
  const Extended along = 1.1L * Schraube.dK + Schraube.l;
  // A size of 0 (no thread or no bolt yet) sets no limit.
  Extended f = 0;
  if (across > 0) f = 90 / across;
  if (along > 0 && (f == 0 || 90 / along < f)) f = 90 / along;
  return f > 0 ? f : 1;
}

void DrawSheet(TSheetKind kind, TCadDevice device) {
  if (CalcFatalFlag) {
    ShowFatalCalculation(device);
    return;
  }
  CadOpen(device, "BQ4");
  if (AbortFlag) return;
  const SheetExtent e = ExtentOf(kind);
  CadBeginDrawing(e.xmin, e.ymin, e.xmax, e.ymax);
  CadWriteTables(0);
  PlotInit();
  DefineBlocks(kind);
  do {
    CadBeginEntities();
    CadSetColor(5);
    CadSetTextStyle(2, 0, 3.5L, 3.0L);
    if (kind >= kSheetDrawing && kind <= kSheetQuickView) WriteProgramLine(kind);
    CadSetColor(0);
    InsertBlocks(kind);
    CadEndSection();
  } while (!CadLastPass());
  CadClose(0);
  // The drawing and forces sheets bring their own frame: no logo blocks when printed.
  CadSetOutputMode(kind == kSheetQuickView ? 1 : 2);
  RestoreCursor();
}

void RedrawCurrentView() {
  const bool joint = Klemmstuecke.nPlates >= 1 && Schraube.nSections >= 1;
  if (HelpLevel > 0 && CalcFatalFlag) {
    ShowFatalCalculation(kCadScreen);
    return;
  }
  if (HelpLevel > 0 && joint && !AbortFlag) {
    switch (CurrentViewCode) {
      case 2: DiagramSheet(0, kCadScreen); break;
      case 3: DrawSheet(kSheetDrawing, kCadScreen); break;
      case 4: DiagramCommand(3, kCadScreen); break;
      case 5: DrawBoltedJoint(kViewScreen, kCadScreen); break;
      default: DrawSheet(kSheetQuickView, kCadScreen); break;
    }
    return;
  }
}
