// The procedural drawing interface: plain routines that draw into the one
// graphics window (the main window), the colour routines, the two cursor
// routines, the file check of the picture player and the current project
// file's path. Qt-free.
#pragma once

#include <string>

#include "framework/colours.h"
#include "framework/types.h"

void GraphClear();
void GraphSetWindow(bool KeepAspect, bool Inset, Extended fx1, Extended fy1, Extended fx2,
                    Extended fy2, Extended xmin, Extended ymin, Extended xmax, Extended ymax);
void GraphCircle(Extended x, Extended y, Extended r);
void GraphLine(Extended x1, Extended y1, Extended x2, Extended y2);
// Angles in degrees, counterclockwise.
void GraphArc(Extended x, Extended y, Extended StartAngle, Extended EndAngle, Extended r);
// The text is stored (OEM) text; it is shown in the display character set.
void GraphOutText(Extended x, Extended y, const std::string& text);
void GraphSetColor(int c);
void GraphHeader(Extended xmin, Extended ymin, Extended xmax, Extended ymax);
void GraphClearViewPort();
void GraphSetLineStyle(Word s);
void GraphSetTextStyle(int font, Extended angle, Extended height, Extended width);
void GraphSolid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
                Extended x4, Extended y4);
void GraphLogo();

// GraphSetColor with the palette number of CAD colour n.
void GraphSetColorIndex(Byte n);

// Does nothing: texts are always placed by their top-left corner.
void GraphSetTextJustify(int horizontal, int vertical);

void SetWaitCursor();
void SetArrowCursor();

// The text in a plain message box.
void ShowMessageLine(const std::string& text);

// True when the file opens for reading; else "<name without blanks> not
// found !" is shown and AbortFlag is set.
bool CheckFileFound(const std::string& name);

// Directory, name and extension of the current project file (CurrentProjectFile);
// empty without a current file.
std::string CurrentFilePath();
