// A canvas that draws nothing, for replaying display lists in the fuzz
// targets (the replay's own arithmetic is what they exercise).
#pragma once

#include "framework/display_list.h"
#include "framework/graph_replay.h"
#include "framework/graph_transform.h"

class NullCanvas : public TGraphCanvas {
 public:
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}
  void Ellipse(int, int, int, int) override {}
  void Arc(int, int, int, int, int, int, int, int) override {}
  void Polygon(const int (&)[8]) override {}
  void Text(int, int, const std::string&, const TGraphFont&, TColorRef) override {}
  void SetPenColour(TColorRef) override {}
  void SetBrushColour(TColorRef) override {}
  void SetPenStyle(TPenStyle) override {}
  void SetPenWidth(int) override {}
};

// Replays the whole list onto a window and a printer page.
inline void ReplayOnto(const TDisplayList& list) {
  NullCanvas window, printer;
  TPrinterPage page;
  page.PageWidth = 2400;
  page.PageHeight = 3400;
  const bool printing = PrintingGraphics;
  PrintingGraphics = true;
  ReplayDisplayList(list, list.size(), &window, &printer, page);
  PrintingGraphics = printing;
}
