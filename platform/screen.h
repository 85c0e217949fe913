// The screen and the main window's sizes, for settings that default to them.
#pragma once

namespace platform {

struct ScreenInfo {
  int width = 1024;       // available screen area in pixels
  int height = 768;
  int dpiY = 96;          // logical pixels per inch, vertical
  int mainHeight = 0;     // main window frame height; 0 when there is none
  int mainClientHeight = 0;
};

// Without a display (or application) the fields keep the values above.
ScreenInfo GetScreenInfo();

// A part of the main window's drawing area in fractions of it: x from the
// left, y from the bottom.
struct AreaFractions {
  double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
};
// The largest part of the drawing area beside the open modal form, for a
// picture of width:height `aspect`; false when no form covers the area or
// no useful part is left free.
bool AreaBesideModalForm(double aspect, AreaFractions& area);

}  // namespace platform
