// Replay of the display list onto a canvas: the records become pixel
// drawing calls on the window canvas and, while a print job runs, on the
// printer canvas. Qt-free; the window supplies a canvas on its painter.
#pragma once

#include <cstddef>
#include <string>

#include "framework/colours.h"
#include "framework/display_list.h"
#include "framework/graph_transform.h"

// A font as the replay asks for it: pixel height and average character
// width, escapement in tenths of a degree counterclockwise.
struct TGraphFont {
  std::string face;
  int height = 0;
  int width = 0;
  int escapement = 0;
  int weight = 100;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

// Pen styles of code 11.
enum TPenStyle { psSolid = 0, psDot = 1, psDashDot = 2, psDash = 3 };

// A device canvas in pixels, y downwards. Ellipses and arcs are outlines;
// polygons are filled with the brush colour and outlined with the pen.
class TGraphCanvas {
 public:
  virtual ~TGraphCanvas() = default;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  // Arc of the ellipse in the box, counterclockwise as seen on the screen
  // from the ray through (xs, ys) to the ray through (xe, ye); the whole
  // ellipse when the two rays coincide.
  virtual void Arc(int x1, int y1, int x2, int y2, int xs, int ys, int xe, int ye) = 0;
  virtual void Polygon(const int (&xy)[8]) = 0;
  // Text (display character set) with its top-left corner at (x, y).
  virtual void Text(int x, int y, const std::string& text, const TGraphFont& font,
                    TColorRef colour) = 0;
  virtual void SetPenColour(TColorRef c) = 0;
  virtual void SetBrushColour(TColorRef c) = 0;
  virtual void SetPenStyle(TPenStyle s) = 0;
  virtual void SetPenWidth(int w) = 0;
};

// Replays the first count records of the list onto the window canvas
// (may be null) and, while PrintingGraphics is set, onto the printer canvas
// of the given page. Damaged records are skipped. Returns false when a
// window record with an empty world window stopped the replay (AbortFlag
// is then set).
bool ReplayDisplayList(const TDisplayList& list, std::size_t count, TGraphCanvas* window,
                       TGraphCanvas* printer, const TPrinterPage& page);

// Index of the first wait record (code 13) at or after from, with its
// milliseconds; list size when there is none.
std::size_t NextWaitRecord(const TDisplayList& list, std::size_t from, int& ms);
