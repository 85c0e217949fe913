#include "app/drawing_commands.h"

#include <string>

#include "framework/globals.h"
#include "framework/message_box.h"

#if __has_include("cad/diagram_commands.h")
#include "cad/diagram_commands.h"
#define BQ4_HAVE_DIAGRAMS 1
#endif

void ShowNotAvailable(const char* what) {
  ShowMessageText(std::string(what) + " is not available in this version");
  AbortFlag = 1;
}

void RunDrawBoltedJoint(int, TCadDevice) { ShowNotAvailable("The joint drawing"); }
void RunDrawBoltPart(TCadDevice) { ShowNotAvailable("The bolt drawing"); }
void RunDrawNutPart(TCadDevice) { ShowNotAvailable("The nut drawing"); }
void RunDrawClampingPieces(TCadDevice) { ShowNotAvailable("The drawing of the clamped parts"); }

void RunDiagramCommand(int kind, TCadDevice device) {
#ifdef BQ4_HAVE_DIAGRAMS
  DiagramCommand(static_cast<TDiagramKind>(kind), device);
#else
  (void)kind;
  (void)device;
  ShowNotAvailable("The diagram");
#endif
}

void RunDiagramSheet(TCadDevice device) {
#ifdef BQ4_HAVE_DIAGRAMS
  DiagramSheet(0, device);
#else
  (void)device;
  ShowNotAvailable("The diagram overview");
#endif
}

void RunDrawSheet(int, TCadDevice) { ShowNotAvailable("The drawing sheet"); }
void RunDrawFlange(TCadDevice) { ShowNotAvailable("The flange drawing"); }

// Redrawn after every calculation: nothing to say while the sheets are missing.
void RunRedrawCurrentView() {}

void RunViewBoltMaterial() { ShowNotAvailable("The bolt material sheet"); }
void RunViewNutMaterial(int) { ShowNotAvailable("The plate material sheet"); }

bool DrawingTitleDialogAvailable() { return false; }
void ShowDrawingTitleDialogCommand() { ShowNotAvailable("The drawing-title dialog"); }
void RunBoltFormCommand() { ShowNotAvailable("The bolt form"); }
void RunNutFormCommand() { ShowNotAvailable("The nut form"); }
void RunTighteningFormCommand() { ShowNotAvailable("The tightening form"); }
