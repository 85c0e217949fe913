// A bare Qt main window with an empty central widget: the floor under the
// program's start to its first paint. With the argument "menu" it has a
// menu bar with one menu, so that it loads fonts as any window with text does.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>
#include <cstring>

#include "first_paint_exit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  if (argc > 1 && std::strcmp(argv[1], "menu") == 0) window.menuBar()->addMenu("&File");
  auto* canvas = new QWidget(&window);
  canvas->setObjectName("GraphCanvas");
  window.setCentralWidget(canvas);
  ExitAfterFirstPaint exit("GraphCanvas");
  app.installEventFilter(&exit);
  window.show();
  return app.exec();
}
