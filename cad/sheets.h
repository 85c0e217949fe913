// Drawing sheets of a calculated joint and the main window's current view.
// A sheet defines its parts as named blocks and inserts them at fixed places:
// "FRAME_1" (frame and title block), "DESIGN1" (the joint in front view),
// "TABLES" (plates table), "NUT" (a hex flange nut for the joint drawing),
// "DIAG1" (load-extension diagram) and "FTABLE" (forces table), so the same
// composition serves every CAD device. Qt-free.
#pragma once

#include "cad/cad_output.h"
#include "framework/types.h"

using TSheetKind = Word;
constexpr TSheetKind kSheetDrawing = 1;    // frame, title block, joint drawing, plates table
constexpr TSheetKind kSheetForces = 2;     // frame, forces table, load-extension diagram
constexpr TSheetKind kSheetQuickView = 3;  // joint, both tables and the diagram, no frame

// The main window's current view, a configuration value (CurrentViewCode):
// 2 diagram overview, 3 drawing sheet, 4 load-extension diagram, 5 joint
// drawing; 0, 1 and anything else the quick view.
using TCurrentView = int;

// Composes a sheet on a device. After a fatal calculation it shows the
// calculation messages instead; a cancelled device choice ends it quietly.
void DrawSheet(TSheetKind kind, TCadDevice device);

// Redraws the current view on the screen: only with "Help level" above 0, a
// joint with plates and bolt sections, and neither AbortFlag nor
// CalcFatalFlag set; after a fatal calculation it shows the messages.
void RedrawCurrentView();

// Scale of the joint drawing on a sheet: the joint fits a 90 mm field across
// (eight thread diameters) and along (head plus bolt length).
Extended SheetDrawingScale();
