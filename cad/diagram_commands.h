// The two commands that bring the joint diagrams to a CAD device:
// DiagramCommand draws one diagram (chosen by kind, or by the user from the
// list "Diagram"); DiagramSheet draws diagrams 1 to 9 as blocks "DIAG1" to
// "DIAG9" and inserts them as a 3 x 3 overview. After a calculation that
// ended with a fatal message both show the message list instead. Qt-free.
#pragma once

#include "cad/cad_output.h"
#include "cad/load_extension_diagrams.h"

// kind 0..11 (0: the user chooses), device 0..5 (0: the user chooses).
void DiagramCommand(TDiagramKind kind, TCadDevice device);
// The overview sheet of diagrams 1 to 9; kind takes part only in the refusal
// of the working-condition diagrams without an axial load.
void DiagramSheet(TDiagramKind kind, TCadDevice device);

// The list texts of the diagrams in list order, and the kind of list choice i (1..11).
extern const char* const kDiagramListTexts[11];
TDiagramKind DiagramKindOfChoice(int choice);
