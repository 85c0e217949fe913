// The window program as wbq4-gui runs it, ended right after the first paint
// of its drawing canvas.
#include <QCoreApplication>

#include "app/program.h"
#include "first_paint_exit.h"

namespace {

void WatchFirstPaint() {
  static ExitAfterFirstPaint exit("GraphCanvas");
  QCoreApplication::instance()->installEventFilter(&exit);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchFirstPaint)

int main(int argc, char** argv) { return RunProgram(argc, argv); }
