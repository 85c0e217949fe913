// libFuzzer target: arbitrary bytes as the menu captions' language file. A
// file is read whole or refused with a reason, and a refused file leaves the
// table as it was.
#include "fuzz_common.h"

#include "framework/menu_captions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  const std::string file = WriteFuzzFile(FuzzPath("menu_captions.txt"), data, size);
  MenuCaptionTable table;
  table[0][0] = "kept";
  std::string error;
  if (!ReadMenuCaptionFile(file, table, error)) {
    if (error.empty() || table[0][0] != "kept") __builtin_trap();
    return 0;
  }
  // Row 1 of every language is the text between the first two bars.
  const std::string_view text = FuzzText(data, size);
  if (text.find("1|" + table[0][0] + "|") == std::string_view::npos) __builtin_trap();
  return 0;
}
