#include "cad/diagram_commands.h"

#include <string>

#include "cad/cad_screen.h"
#include "cad/diagram_plotter.h"
#include "cad/hatching.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/error_explanations.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"

const char* const kDiagramListTexts[11] = {
    "Load Extension Diagram", "Assembly  req", "Assembly ",  "Working condition req",
    "Working condition max",  "M-alpha",       "F-alpha",    "FM-MA",
    "MA-FM",                  "FM Statist.",   "Working condition min"};

TDiagramKind DiagramKindOfChoice(int choice) {
  switch (choice) {
    case 1: return kDiagramLoadExtension;
    case 2: return kDiagramAssemblyReq;
    case 3: return kDiagramAssembly;
    case 4: return kDiagramWorkingReq;
    default: return static_cast<TDiagramKind>(choice);
  }
}

namespace {

struct SheetCell {
  const char* name;
  Extended x, y;
};

constexpr SheetCell kSheetCells[9] = {{"DIAG1", 0, 240},   {"DIAG2", 160, 240},
                                      {"DIAG3", 320, 240}, {"DIAG4", 0, 120},
                                      {"DIAG5", 160, 120}, {"DIAG6", 320, 120},
                                      {"DIAG7", 0, 0},     {"DIAG8", 160, 0},
                                      {"DIAG9", 320, 0}};

}  // namespace

void DiagramCommand(TDiagramKind kind, TCadDevice device) {
  if (CalcFatalFlag) {
    ShowFatalCalculation(device);
    return;
  }
  if (kind == kDiagramChoose) {
    for (std::size_t i = 1; i <= 11; ++i) ItemTexts[i] = kDiagramListTexts[i - 1];
    Word choice = 1;
    SelectCode("Diagram", 11, choice);
    if (AbortFlag) return;
    kind = DiagramKindOfChoice(choice);
  }
  CadOpen(device, "BQ4");
  if (AbortFlag) return;
  PlotInit();
  CadBeginDrawing(0, 0, 160, 120);
  CadWriteTables(2);
  SetHatchMode(2);  // hatch lines only
  do {
    CadBeginEntities();
    DrawDiagram(kind);
    CadEndSection();
  } while (!CadLastPass());
  CadClose(0);
  RestoreCursor();
}

void DiagramSheet(TDiagramKind kind, TCadDevice device) {
  if (CalcFatalFlag) {
    ShowFatalCalculation(device);
    return;
  }
  if (!(Last.FAmax > 0) && (kind == kDiagramWorkingReq || kind == kDiagramWorkingMax)) {
    ShowMessageText("No diagram for FSa min < 0.");
    return;
  }
  CadOpen(device, "BQ4");
  if (AbortFlag) return;
  PlotInit();
  CadBeginDrawing(0, 0, 480, 360);
  CadWriteTables(2);
  CadBeginBlocks();
  for (int i = 1; i <= 9; ++i) {
    CadBeginBlock(kSheetCells[i - 1].name);
    DrawDiagram(static_cast<TDiagramKind>(i));
    CadEndBlock();
  }
  CadEndSection();
  do {
    CadBeginEntities();
    CadGrid(3, 3, 0, 0, 160, 120);
    for (const SheetCell& cell : kSheetCells) CadInsertBlock(cell.name, cell.x, cell.y, 0, 1, 1);
    CadEndSection();
  } while (!CadLastPass());
  CadClose(0);
  RestoreCursor();
}
