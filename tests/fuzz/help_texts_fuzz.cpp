// libFuzzer target: arbitrary bytes as the program's help file; entries are
// looked up by number, among them the one the first four bytes name. Each
// gives its entry or a text that says it has none.
#include "fuzz_common.h"

#include <charconv>

#include "framework/help_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  WriteFuzzFile(HelpFileName(4000), data, size);
  int named = 4000;
  std::from_chars(reinterpret_cast<const char*>(data), reinterpret_cast<const char*>(data) + std::min<std::size_t>(size, 4), named);
  for (int n : {4000, 4001, 4005, 4711, named}) {
    if (n < 4000 || n > 9999) continue;
    const HelpEntry e = LookupHelpEntry(static_cast<Word>(n));
    std::string text;
    GetHelpEntryText(static_cast<Word>(n), text);
    // An entry is found, or the text says that it is missing (an entry may
    // itself name the picture "null").
    const bool silent = e.picture == "null" && e.lines[0].empty() && e.lines[1].empty();
    if (AbortFlag != 0 || (silent && FuzzText(data, size).find(":null") == std::string_view::npos)) __builtin_trap();
  }
  return 0;
}
