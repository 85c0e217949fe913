// libFuzzer target: arbitrary lines as display-list records, each read
// back, then the whole list replayed onto the window and the printer.
#include "fuzz_common.h"

#include "framework/display_list.h"
#include "null_canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  TDisplayList list;
  const std::string_view text = FuzzText(data, size);
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    list.push_back(std::string(text.substr(start, end - start)));
    start = end + 1;
  }
  for (const std::string& line : list) {
    TGraphRecord rec;
    ParseGraphRecord(line, rec);
  }
  ReplayOnto(list);
  return 0;
}
