#include "platform/screen.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>

#include <algorithm>

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

bool AreaBesideModalForm(double aspect, AreaFractions& area) {
  if (!QApplication::instance() || aspect <= 0) return false;
  QWidget* form = QApplication::activeModalWidget();
  QMainWindow* main = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* m = qobject_cast<QMainWindow*>(w); m && m->isVisible()) main = m;
  QWidget* canvas = main ? main->centralWidget() : nullptr;
  if (!form || !canvas || !form->isVisible() || canvas->width() <= 0 || canvas->height() <= 0) return false;
  const QRect client(canvas->mapToGlobal(QPoint(0, 0)), canvas->size());
  const QRect cover = form->frameGeometry().intersected(client);
  if (cover.isEmpty()) return false;
  // The strips left, right, above and below the form; the one that holds
  // the largest picture of the aspect wins.
  const QRect strips[] = {QRect(QPoint(client.left(), client.top()), QPoint(cover.left() - 1, client.bottom())),
                          QRect(QPoint(cover.right() + 1, client.top()), QPoint(client.right(), client.bottom())),
                          QRect(QPoint(client.left(), client.top()), QPoint(client.right(), cover.top() - 1)),
                          QRect(QPoint(client.left(), cover.bottom() + 1), QPoint(client.right(), client.bottom()))};
  QRect best;
  double bestWidth = 0;
  for (const QRect& s : strips) {
    if (s.width() <= 0 || s.height() <= 0) continue;
    const double width = std::min<double>(s.width(), s.height() * aspect);
    if (width > bestWidth) {
      bestWidth = width;
      best = s;
    }
  }
  // A strip too small to read a picture in: the whole area is better.
  if (bestWidth < client.width() / 4.0) return false;
  area.x1 = double(best.left() - client.left()) / client.width();
  area.x2 = double(best.right() + 1 - client.left()) / client.width();
  area.y1 = double(client.bottom() - best.bottom()) / client.height();
  area.y2 = double(client.bottom() + 1 - best.top()) / client.height();
  return true;
}

}  // namespace platform
