#include "app/drawing_commands.h"

#include "cad/diagram_commands.h"
#include "cad/joint_drawing.h"
#include "cad/material_sheets.h"
#include "cad/sheets.h"
#include "calc/forms/calc_forms.h"

void RunDrawBoltedJoint(int view, TCadDevice device) { DrawBoltedJoint(static_cast<TJointView>(view), device); }
void RunDrawBoltPart(TCadDevice device) { DrawBoltPart(kViewFront, device); }
void RunDrawNutPart(TCadDevice device) { DrawNutPart(kViewFront, device); }
void RunDrawClampingPieces(TCadDevice device) { DrawClampingPieces(kViewFront, device); }
void RunDiagramCommand(int kind, TCadDevice device) { DiagramCommand(static_cast<TDiagramKind>(kind), device); }
void RunDiagramSheet(TCadDevice device) { DiagramSheet(0, device); }
void RunDrawSheet(int kind, TCadDevice device) { DrawSheet(static_cast<TSheetKind>(kind), device); }
void RunDrawFlange(TCadDevice device) { DrawFlangeBoltCircle(device); }

void RunRedrawCurrentView() { RedrawCurrentView(); }
void RunViewBoltMaterial() { ViewBoltMaterial(); }
void RunViewNutMaterial(int table) { ViewNutMaterial(static_cast<Word>(table)); }

void RunBoltFormCommand() { RunBoltForm(); }
void RunNutFormCommand() { RunNutForm(); }
void RunTighteningFormCommand() { RunTighteningForm(); }
