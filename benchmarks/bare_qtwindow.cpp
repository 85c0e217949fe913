// A bare Qt main window with an empty central widget: the floor under the
// program's start to its first paint. With the argument "menu" it has a
// menu bar with one menu, so that it loads fonts as any window with text does;
// with "texts" it also draws the start picture's seven texts in their six
// fonts (the sizes the offscreen window gives them), the least any program
// pays to show that picture.
#include <QApplication>
#include <QFont>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QWidget>
#include <cstring>

#include "first_paint_exit.h"

namespace {

class StartTexts : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    struct Text {
      const char* text;
      int pixels, stretch, x, y;
    };
    static const Text texts[] = {{"FA", 21, 109, 410, 190},
                                 {"FA", 21, 109, 410, 420},
                                 {"BQ4", 75, 103, 480, 60},
                                 {"Bolted Joint Design", 26, 108, 480, 170},
                                 {"after VDI 2230", 23, 108, 480, 215},
                                 {"editions 1986 and 2003", 17, 111, 480, 255},
                                 {"Preload - Torque - Stress - Safety", 16, 113, 500, 500}};
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    for (const Text& t : texts) {
      QFont font("Arial");
      font.setPixelSize(t.pixels);
      font.setWeight(QFont::Thin);
      font.setStretch(t.stretch);
      p.setFont(font);
      p.setPen(Qt::red);
      p.drawText(t.x, t.y, t.text);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  const bool texts = argc > 1 && std::strcmp(argv[1], "texts") == 0;
  if (texts || (argc > 1 && std::strcmp(argv[1], "menu") == 0)) window.menuBar()->addMenu("&File");
  QWidget* canvas = texts ? new StartTexts(&window) : new QWidget(&window);
  canvas->setObjectName("GraphCanvas");
  window.setCentralWidget(canvas);
  if (texts) window.resize(800, 600);
  ExitAfterFirstPaint exit("GraphCanvas");
  app.installEventFilter(&exit);
  window.show();
  return app.exec();
}
