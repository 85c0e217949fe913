// libFuzzer target: arbitrary bytes played as an HP-GL picture; the display
// list it records reads back record by record and is replayed onto a canvas.
#include "fuzz_common.h"

#include "framework/display_list.h"
#include "framework/hpgl.h"
#include "null_canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  InitDisplayList();
  PlayHpglText(std::string(FuzzText(data, size)));
  // Every record written reads back.
  TGraphRecord record;
  for (const std::string& line : *CreateDisplayList())
    if (!ParseGraphRecord(line, record)) __builtin_trap();
  ReplayOnto(*CreateDisplayList());
  return 0;
}
