// The drawings, diagrams, sheets and input forms that the menus and the
// command line ask for, in one place: each routine hands its request to the
// module that does it.
#pragma once

#include "cad/cad_output.h"

// View 1 front, 2 side, 3 top, 4 bottom, 5 the screen drawing.
void RunDrawBoltedJoint(int view, TCadDevice device);
void RunDrawBoltPart(TCadDevice device);
void RunDrawNutPart(TCadDevice device);
void RunDrawClampingPieces(TCadDevice device);
// Diagram kind 0..11 (0: the user chooses).
void RunDiagramCommand(int kind, TCadDevice device);
// The overview sheet of the diagrams.
void RunDiagramSheet(TCadDevice device);
// Sheet 1 drawing sheet, 2 forces table, 3 quick view.
void RunDrawSheet(int kind, TCadDevice device);
void RunDrawFlange(TCadDevice device);
// The configured current view, after every calculation.
void RunRedrawCurrentView();
// Material property sheets.
void RunViewBoltMaterial();
void RunViewNutMaterial(int table);

// Input forms of the joint.
void ShowDrawingTitleDialogCommand();
void RunBoltFormCommand();
void RunNutFormCommand();
void RunTighteningFormCommand();
