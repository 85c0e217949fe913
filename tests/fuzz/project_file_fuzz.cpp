// libFuzzer target of the project file reader: any bytes as a project file.
// A refused file leaves the joint as it was and is described in printable
// text; after any load the counts stay within what the records can take; a
// file that was read is written back, reads again and is written the same.
#include "fuzz_common.h"

#include <algorithm>

#include "calc/init.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/change_history.h"
#include "framework/drawing_info.h"
#include "framework/message_box.h"

namespace {

// The joint as the writer puts it, below the dated header.
std::string WrittenJoint() {
  const std::string path = FuzzPath("fuzz_joint.bq4");
  WriteCalcFile(path);
  const std::string bytes = ReadFuzzFile(path);
  const std::size_t at = bytes.find("\r\nSCHRAUBE\r\n");
  return at == std::string::npos ? std::string() : bytes.substr(at);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  InitCalcModules();
  ConfirmOverwriteOn = 0;
  Last.FAmax = 777;  // marks of the joint before the load
  Schraube.l = 12.5L;
  std::string error;
  const bool read = ReadCalcText(FuzzText(data, size), error);
  if (Klemmstuecke.nPlates > kMaxPlates || Schraube.nSections > kMaxBoltSections || ChangeCount > kMaxChanges ||
      DrawingTextCount > kMaxDrawingTexts)
    __builtin_trap();
  if (!read) {
    const bool printable =
        std::all_of(error.begin(), error.end(), [](unsigned char c) { return c >= 0x20 && c != 0x7F; });
    if (error.empty() || !printable || Last.FAmax != 777 || Schraube.l != 12.5L) __builtin_trap();
    return 0;
  }
  const std::string first = WrittenJoint();
  InitCalcModules();
  if (first.empty() || !ReadCalcText(first, error)) __builtin_trap();
  if (WrittenJoint() != first) __builtin_trap();
  return 0;
}
