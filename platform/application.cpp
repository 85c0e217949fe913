#include "platform/application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <fontconfig/fontconfig.h>

#include <system_error>

#include "platform/dialog_answers.h"
#include "platform/os.h"
#include "platform/process.h"

namespace platform {

StartupTask::StartupTask(std::function<void()> work) : work_(std::move(work)) {
  try {
    thread_ = std::thread([this] {
      if (Claim()) Finish();
    });
  } catch (const std::system_error&) {
    // No thread to be had: Wait() does the work.
  }
}

StartupTask::~StartupTask() {
  if (thread_.joinable()) thread_.join();
}

bool StartupTask::Claim() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (state_ != State::NotBegun) return false;
  state_ = State::Running;
  return true;
}

void StartupTask::Finish() {
  work_();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_ = State::Done;
  }
  done_.notify_all();
}

void StartupTask::Wait() {
  if (Claim()) {
    Finish();
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return state_ == State::Done; });
}

// fontconfig loads its configuration once per process, safely from any thread;
// Qt's font database finds it loaded.
FontSystemStart::FontSystemStart() : task_([] { FcInit(); }) {}

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
