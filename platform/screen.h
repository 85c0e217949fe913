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

}  // namespace platform
