#include "framework/drawing.h"

#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/graph_recorder.h"
#include "framework/text_utils.h"
#include "platform/cursor.h"
#include "platform/dialogs.h"

void GraphClear() { MainGraphWindow().Clear(); }

void GraphSetWindow(bool KeepAspect, bool Inset, Extended fx1, Extended fy1, Extended fx2,
                    Extended fy2, Extended xmin, Extended ymin, Extended xmax, Extended ymax) {
  MainGraphWindow().SetWindow(KeepAspect, Inset, fx1, fy1, fx2, fy2, xmin, ymin, xmax, ymax);
}

void GraphCircle(Extended x, Extended y, Extended r) { MainGraphWindow().circle(x, y, r); }

void GraphLine(Extended x1, Extended y1, Extended x2, Extended y2) {
  MainGraphWindow().line(x1, y1, x2, y2);
}

void GraphArc(Extended x, Extended y, Extended StartAngle, Extended EndAngle, Extended r) {
  MainGraphWindow().Arc(x, y, StartAngle, EndAngle, r);
}

void GraphOutText(Extended x, Extended y, const std::string& text) {
  MainGraphWindow().OutTextXY(x, y, OemToAnsiText(text));
}

void GraphSetColor(int c) { MainGraphWindow().SetColor(c); }

void GraphHeader(Extended xmin, Extended ymin, Extended xmax, Extended ymax) {
  MainGraphWindow().Header(xmin, ymin, xmax, ymax);
}

void GraphClearViewPort() { MainGraphWindow().ClearViewPort(); }

void GraphSetLineStyle(Word s) { MainGraphWindow().SetLineStyle(s); }

void GraphSetTextStyle(int font, Extended angle, Extended height, Extended width) {
  MainGraphWindow().SetTextStyle(font, angle, height, width);
}

void GraphSolid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
                Extended x4, Extended y4) {
  MainGraphWindow().Solid(x1, y1, x2, y2, x3, y3, x4, y4);
}

void GraphLogo() { MainGraphWindow().DrawTovimarLogo(); }

void GraphSetColorIndex(Byte n) { GraphSetColor(MapColorIndex(n)); }

void GraphSetTextJustify(int, int) {}

void SetWaitCursor() { platform::ShowBusyCursor(); }
void SetArrowCursor() { platform::ShowArrowCursor(); }

void ShowMessageLine(const std::string& text) { platform::ShowMessageBox(ProgShortName, text); }

bool CheckFileFound(const std::string& name) {
  if (ProgramFileExists(name)) return true;
  // A file that is there but no regular file is named as it is.
  ShowMessageLine(NoRegularFileAt(FindExistingFile(name)) ? name + " is no regular file !"
                                                          : RemoveBlanks(name) + " not found !");
  AbortFlag = 1;
  return false;
}

std::string CurrentFilePath() { return CurrentProjectFile(); }
