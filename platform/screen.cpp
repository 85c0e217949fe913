#include "platform/screen.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>

namespace platform {

ScreenInfo GetScreenInfo() {
  ScreenInfo info;
  if (!QApplication::instance()) return info;
  if (QScreen* s = QApplication::primaryScreen()) {
    QRect g = s->geometry();
    if (g.width() > 0 && g.height() > 0) {
      info.width = g.width();
      info.height = g.height();
    }
    if (s->logicalDotsPerInchY() > 0) info.dpiY = static_cast<int>(s->logicalDotsPerInchY() + 0.5);
  }
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMainWindow*>(w)) {
      info.mainHeight = w->frameGeometry().height();
      info.mainClientHeight = w->height();
      break;
    }
  }
  return info;
}

}  // namespace platform
