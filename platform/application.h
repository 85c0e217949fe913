// Application start-up: the one QApplication of the process.
#pragma once

#include <memory>

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

// Runs the event loop until the main window closes; returns its exit code.
int RunApplication();

// True while an application object exists.
bool ApplicationExists();

}  // namespace platform
