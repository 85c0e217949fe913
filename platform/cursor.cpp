#include "platform/cursor.h"

#include <QApplication>
#include <QCursor>

namespace platform {

namespace {
bool busy = false;
}

void ShowBusyCursor() {
  if (busy) return;
  busy = true;
  if (QApplication::instance()) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void ShowArrowCursor() {
  if (!busy) return;
  busy = false;
  if (QApplication::instance()) {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }
}

bool BusyCursorShown() { return busy; }

}  // namespace platform
