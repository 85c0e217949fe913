// Application start-up: the one QApplication of the process.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <pthread.h>

class QApplication;

namespace platform {

// Owns the application object for the scope of main(); selects Qt's
// offscreen platform when there is no display. argc/argv must outlive it.
class ApplicationScope {
 public:
  ApplicationScope(int& argc, char** argv);
  ~ApplicationScope();
  ApplicationScope(const ApplicationScope&) = delete;
  ApplicationScope& operator=(const ApplicationScope&) = delete;

 private:
  std::unique_ptr<QApplication> app_;
};

// A piece of start-up work begun on a thread of its own, so that it overlaps
// what the program does meanwhile. Wait() returns once the work is done; if
// the thread has not begun it yet (a new thread may start late on a busy
// machine), Wait() does it on the caller's thread. It runs once either way.
class StartupTask {
 public:
  explicit StartupTask(std::function<void()> work);
  // Waits for the thread.
  ~StartupTask();
  StartupTask(const StartupTask&) = delete;
  StartupTask& operator=(const StartupTask&) = delete;

  void Wait();

 private:
  // True when the caller is to do the work (nobody has begun it).
  bool Claim();
  void Finish();

  std::function<void()> work_;
  std::mutex mutex_;
  std::condition_variable done_;
  enum class State { NotBegun, Running, Done } state_ = State::NotBegun;
  pthread_t thread_{};
  bool hasThread_ = false;
};

// Loads the font system's configuration and font caches, which the first text
// of any window waits for (a few milliseconds), while the program reads its
// data and builds its window. Ready() before the first text is measured or
// drawn; a text measured earlier still works, only loads them a second time.
class FontSystemStart {
 public:
  FontSystemStart();
  void Ready() { task_.Wait(); }

 private:
  StartupTask task_;
};

// Runs the event loop until the main window closes; returns its exit code.
int RunApplication();

// True while an application object exists.
bool ApplicationExists();

// The application's hints (tool tips): shown or not, and how long one stays
// before it hides, in milliseconds. Hints are shown, for Qt's default time,
// until this is called.
void SetApplicationHints(bool show, int hidePauseMs);
bool ApplicationShowHint();
int ApplicationHintHidePause();

}  // namespace platform
