// libFuzzer target: arbitrary bytes as the explanation file. The first
// lines serve as messages, and each is looked up in the file that is there.
#include "fuzz_common.h"

#include "framework/error_explanations.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  const std::string file = WriteFuzzFile(PltDir + ProgShortNameLower + ".err", data, size);
  const std::string_view text = FuzzText(data, size);
  std::vector<std::string> messages;
  for (std::size_t start = 0; start < text.size() && messages.size() < 4;) {
    std::size_t end = std::min(text.find('\n', start), text.size());
    messages.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::string origin, remedy;
  for (const std::string& m : messages)
    if (LookupExplanation(file, m, origin, remedy) == ExplanationLookup::NoFile) __builtin_trap();
  return 0;
}
