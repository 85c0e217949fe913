// A bare Qt main window with an empty central widget: the floor under the
// program's start to its first paint.
#include <QApplication>
#include <QMainWindow>
#include <QWidget>

#include "first_paint_exit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  auto* canvas = new QWidget(&window);
  canvas->setObjectName("GraphCanvas");
  window.setCentralWidget(canvas);
  ExitAfterFirstPaint exit("GraphCanvas");
  app.installEventFilter(&exit);
  window.show();
  return app.exec();
}
