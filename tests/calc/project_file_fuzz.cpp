// libFuzzer target of the project file reader: any bytes as a project file.
// Built only with -DBQ4_FUZZ=ON and clang (tests/calc/fuzz.cmake); run it as
//   build-fuzz/project_file_fuzz -max_total_time=60 <corpus folder> data/samples
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calc/init.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/file_values.h"
#include "framework/init.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = [] {
    InitFrameworkModules();
    InitCalcModules();
    return true;
  }();
  (void)started;
  std::string error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (ReadCalcLines(SplitTextLines(text), error)) {
    // A file that was read holds counts the records can take.
    if (Klemmstuecke.nPlates > kMaxPlates || Schraube.nSections > kMaxBoltSections) __builtin_trap();
  }
  return 0;
}
