// Folder for pictures that tests save for a look by eye: $BQ4_SCREENSHOT_DIR
// when set, else the test process's own temporary folder, so that parallel
// runs never write one shared file.
#pragma once

#include <string>

#include "platform/os.h"

inline std::string ScreenshotDir() {
  const std::string dir = platform::GetEnvironment("BQ4_SCREENSHOT_DIR");
  return dir.empty() ? platform::ProcessTempDir() : dir;
}
