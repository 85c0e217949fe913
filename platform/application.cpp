#include "platform/application.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QToolTip>
#include <fontconfig/fontconfig.h>

#include <clocale>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/c_numbers.h"
#include "platform/dialog_answers.h"
#include "platform/os.h"

namespace platform {

StartupTask::StartupTask(std::function<void()> work) : work_(std::move(work)) {
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return;  // no thread: Wait() does the work
  // On any other processor: a new thread placed on its creator's often waits
  // there for a time slice (milliseconds) while the creator works on.
  cpu_set_t others;
  CPU_ZERO(&others);
  const int here = sched_getcpu();
  if (sched_getaffinity(0, sizeof others, &others) == 0 && here >= 0 && here < CPU_SETSIZE &&
      CPU_ISSET(here, &others)) {
    CPU_CLR(here, &others);
    if (CPU_COUNT(&others) > 0) pthread_attr_setaffinity_np(&attr, sizeof others, &others);
  }
  auto run = [](void* task) -> void* {
    auto* self = static_cast<StartupTask*>(task);
    if (self->Claim()) self->Finish();
    return nullptr;
  };
  hasThread_ = pthread_create(&thread_, &attr, run, this) == 0;
  pthread_attr_destroy(&attr);
}

StartupTask::~StartupTask() {
  if (hasThread_) pthread_join(thread_, nullptr);
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
// Qt's font database finds it loaded. Its numbers ("7.5") are read in the "C"
// locale: the toolkit may set the desktop's (a decimal comma) meanwhile.
FontSystemStart::FontSystemStart()
    : task_([] {
        CLocaleScope numbers;
        FcInit();
      }) {}

namespace {

// Whether Qt can keep its runtime files in the folder: one of this user's
// own, closed to others, made here where it is missing. (Elsewhere Qt
// complains on stderr and makes a folder of its own in $TMPDIR.)
bool UsableRuntimeDir(const std::string& dir) {
  if (dir.empty()) return false;
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return ::mkdir(dir.c_str(), 0700) == 0;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
}

}  // namespace

ApplicationScope::ApplicationScope(int& argc, char** argv) {
  if (QApplication::instance()) return;
  if (IsHeadless()) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (!UsableRuntimeDir(GetEnvironment("XDG_RUNTIME_DIR"))) qputenv("XDG_RUNTIME_DIR", ProcessTempDir().c_str());
  app_ = std::make_unique<QApplication>(argc, argv);
  // Qt took the C library's locale from the environment; numbers that code
  // below the window (and libraries it loads) formats or reads keep ".".
  std::setlocale(LC_NUMERIC, "C");
  // The window's dialogs replace the Qt-free defaults.
  dialog_detail::InstallWindowDialogs();
}

ApplicationScope::~ApplicationScope() {
  if (!app_) return;
  dialog_detail::SetWindowDialogs(nullptr);
}

int RunApplication() { return QApplication::instance() ? QApplication::exec() : 0; }

bool ApplicationExists() { return QApplication::instance() != nullptr; }

namespace {

// Shows every widget's hint for the application's hide pause, or none.
class HintFilter : public QObject {
 public:
  bool show = true;
  int hidePause = -1;  // Qt's default

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!show) {
      QToolTip::hideText();
      event->ignore();
      return true;
    }
    if (widget->toolTip().isEmpty() || hidePause < 0) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), hidePause);
    return true;
  }
};

// Owned by the application object, so gone (null) with it.
QPointer<HintFilter> g_hints;

}  // namespace

void SetApplicationHints(bool show, int hidePauseMs) {
  QCoreApplication* app = QApplication::instance();
  if (!app) return;
  if (!g_hints) {
    g_hints = new HintFilter;
    g_hints->setParent(app);
    app->installEventFilter(g_hints);
  }
  g_hints->show = show;
  g_hints->hidePause = hidePauseMs;
}

bool ApplicationShowHint() { return !g_hints || g_hints->show; }

int ApplicationHintHidePause() { return g_hints ? g_hints->hidePause : -1; }

}  // namespace platform
