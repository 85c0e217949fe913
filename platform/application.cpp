#include "platform/application.h"

#include <QApplication>

#include "platform/os.h"

namespace platform {

ApplicationScope::ApplicationScope(int& argc, char** argv) {
  if (QApplication::instance()) return;
  if (IsHeadless()) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (GetEnvironment("XDG_RUNTIME_DIR").empty()) qputenv("XDG_RUNTIME_DIR", ProcessTempDir().c_str());
  app_ = std::make_unique<QApplication>(argc, argv);
}

ApplicationScope::~ApplicationScope() = default;

int RunApplication() { return QApplication::instance() ? QApplication::exec() : 0; }

bool ApplicationExists() { return QApplication::instance() != nullptr; }

}  // namespace platform
