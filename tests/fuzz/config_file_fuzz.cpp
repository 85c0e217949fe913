// libFuzzer target: the first byte picks the configuration file (.cfg) or
// the state file (.cff), the rest is that file; it is read, the settings
// are checked against their ranges, and written back.
#include "fuzz_common.h"

#include <filesystem>

#include "framework/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  if (size < 1) return 0;
  std::filesystem::create_directories(ConfigDir);
  const bool config = data[0] % 2 == 0;
  WriteFuzzFile(config ? ConfigFileName() : SessionFileName(), data + 1, size - 1);
  if (config) {
    ReadConfigFile();
    // Settings the rest of the program divides by or indexes with.
    if (LinesPerPage < 5 || TextDevice < 1 || TextDevice > 9 || InputWindowScale < 10 ||
        InputWindowScale > 1000 || CadState.PlotCommandCount < 1 || CadState.PlotCommandCount > 5 ||
        HorizontalPixels <= 0)
      __builtin_trap();
    AbortFlag = 0;
    WriteConfigFile();
  } else {
    ReadSessionFile();
    WriteSessionFile();
  }
  return 0;
}
