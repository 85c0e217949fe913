// The fuzz targets run without the GUI: every message box answers Cancel.
#include "platform/dialogs.h"

namespace platform {

bool BatchMode() { return true; }

DialogResult ShowMessageBox(const std::string&, const std::string&, MessageButtons, MessageIcon) {
  return DialogResult::Cancel;
}

}  // namespace platform
