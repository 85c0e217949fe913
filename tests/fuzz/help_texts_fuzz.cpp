// libFuzzer target: arbitrary bytes as the program's help file; entries are
// looked up by number, among them the one the first four bytes name.
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
    LookupHelpEntry(static_cast<Word>(n));
    std::string text;
    GetHelpEntryText(static_cast<Word>(n), text);
  }
  return 0;
}
