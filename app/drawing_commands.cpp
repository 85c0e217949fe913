#include "app/drawing_commands.h"

#include <string>

#include "cad/diagram_commands.h"
#include "cad/forms/drawing_title_form.h"
#include "cad/joint_drawing.h"
#include "calc/forms/calc_forms.h"
#include "framework/globals.h"
#include "framework/message_box.h"

void ShowNotAvailable(const char* what) {
  ShowMessageText(std::string(what) + " is not available in this version");
  AbortFlag = 1;
}

void RunDrawBoltedJoint(int view, TCadDevice device) { DrawBoltedJoint(static_cast<TJointView>(view), device); }
void RunDrawBoltPart(TCadDevice device) { DrawBoltPart(kViewFront, device); }
void RunDrawNutPart(TCadDevice device) { DrawNutPart(kViewFront, device); }
void RunDrawClampingPieces(TCadDevice device) { DrawClampingPieces(kViewFront, device); }
void RunDiagramCommand(int kind, TCadDevice device) { DiagramCommand(static_cast<TDiagramKind>(kind), device); }
void RunDiagramSheet(TCadDevice device) { DiagramSheet(0, device); }
void RunDrawSheet(int, TCadDevice) { ShowNotAvailable("The drawing sheet"); }
void RunDrawFlange(TCadDevice device) { DrawFlangeBoltCircle(device); }

// Redrawn after every calculation: nothing to say while the sheets are missing.
void RunRedrawCurrentView() {}

void RunViewBoltMaterial() { ShowNotAvailable("The bolt material sheet"); }
void RunViewNutMaterial(int) { ShowNotAvailable("The plate material sheet"); }

void ShowDrawingTitleDialogCommand() { ShowDrawingTitleDialog(); }
void RunBoltFormCommand() { RunBoltForm(); }
void RunNutFormCommand() { RunNutForm(); }
void RunTighteningFormCommand() { RunTighteningForm(); }
