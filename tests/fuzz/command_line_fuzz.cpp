// libFuzzer target of the command line: the bytes split at NUL into the
// parameters. The readers of the batch command and its switches agree with
// each other, and a plot command line splits into words without quotes.
#include "fuzz_common.h"

#include "app/batch_runs.h"
#include "app/command_line.h"
#include "framework/plot_program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  std::vector<std::string> params;
  const std::string_view text = FuzzText(data, size);
  for (std::size_t start = 0; start <= text.size() && params.size() < 64;) {
    const std::size_t end = std::min(text.find('\0', start), text.size());
    params.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  const BatchCommand batch = ReadBatchCommand(params);
  // The projects precede their switch, and a switch always has projects.
  if (batch.modeSwitch.empty() != batch.projects.empty() || batch.projects.size() >= params.size())
    __builtin_trap();
  const bool pdf = IsPdfCommandLine(params);
  if (pdf && (batch.modeSwitch.empty() || IsBatchCommandLine(params))) __builtin_trap();
  for (const std::string& p : params) {
    int device = 0, item = 0;
    std::string message;
    if (ParseCadSwitch(p, device, item, message) ? !message.empty() || item < 1 || item > 14 : message.empty())
      __builtin_trap();
  }
  std::string joined(text);
  for (char& c : joined)
    if (c == '\0') c = ' ';
  // Quotes only group words; none reaches the program started.
  for (const std::string& word : SplitCommandLine(joined))
    if (word.find('"') != std::string::npos) __builtin_trap();
  return 0;
}
