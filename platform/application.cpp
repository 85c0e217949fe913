#include "platform/application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "platform/dialog_answers.h"
#include "platform/os.h"
#include "platform/process.h"

namespace platform {

ApplicationScope::ApplicationScope(int& argc, char** argv) {
  if (QApplication::instance()) return;
  if (IsHeadless()) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (GetEnvironment("XDG_RUNTIME_DIR").empty()) qputenv("XDG_RUNTIME_DIR", ProcessTempDir().c_str());
  app_ = std::make_unique<QApplication>(argc, argv);
  // The window's dialogs and the desktop's opener replace the Qt-free defaults.
  dialog_detail::InstallWindowDialogs();
  SetDefaultOpener([](const std::string& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromLocal8Bit(file.data(), qsizetype(file.size()))));
  });
}

ApplicationScope::~ApplicationScope() {
  if (!app_) return;
  dialog_detail::SetWindowDialogs(nullptr);
  SetDefaultOpener(nullptr);
}

int RunApplication() { return QApplication::instance() ? QApplication::exec() : 0; }

bool ApplicationExists() { return QApplication::instance() != nullptr; }

}  // namespace platform
