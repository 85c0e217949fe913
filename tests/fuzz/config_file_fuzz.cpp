// libFuzzer target: the first byte picks the configuration file (.cfg) or
// the state file (.cff), the rest is that file; it is read, the settings
// are checked against their ranges, and written back; the number parsers
// read each of its lines alike.
#include "fuzz_common.h"

#include <algorithm>
#include <filesystem>

#include "framework/config_file.h"
#include "framework/number_format.h"

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
        HorizontalPixels <= 0 || PrinterInterface < 1 || (DecimalCommaMode != 1 && DecimalCommaMode != 2))
      __builtin_trap();
    AbortFlag = 0;
    WriteConfigFile();
  } else {
    ReadSessionFile();
    WriteSessionFile();
  }
  // The number readers agree on every line: a valid number's value, else 0.
  const std::string_view text = FuzzText(data + 1, size - 1);
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string line(text.substr(start, end - start));
    Extended valid = 0;
    const Extended read = TextToFloat(line);
    if (TryTextToFloat(line, valid) ? !(read == valid || (read != read && valid != valid)) : read != 0)
      __builtin_trap();
    start = end + 1;
  }
  return 0;
}
