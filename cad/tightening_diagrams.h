// The tightening diagrams (kinds 6 to 9 of DrawDiagram): tightening torque
// over the angle of turn, preload over the angle, preload over torque and
// torque over preload, each with the friction lines, the values at yield and
// tensile strength, the tightening limits and the field of the tightening
// scatter; and the text panel of the tightening data beside them. Qt-free.
#pragma once

#include "cad/load_extension_diagrams.h"

// The frame of kinds 6 to 9; false for other kinds.
bool TighteningFrame(TDiagramKind kind, TDiagramFrame& frame);
// The curves of kinds 6 to 9 after the common start of DrawDiagram.
void DrawTighteningDiagram(TDiagramKind kind);
// The tightening data beside a diagram: mode 1 after kind 6 (torque rise per
// degree), mode 2 after kinds 7 to 10 (embedding, maximum preload, preload rise).
void DrawTorqueTextPanel(int mode);
