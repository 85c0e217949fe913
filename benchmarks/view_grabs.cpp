// Writes a grab of the main window for each view kind into a folder, with
// the number of display-list records of each: run before and after a change
// of the rendering and compare the images (view_grabs DIR [OTHER_DIR]
// compares the grabs of DIR with those already in OTHER_DIR).
#include <QApplication>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "cad/sheets.h"
#include "calc/calculation.h"
#include "framework/clock.h"
#include "framework/display_list.h"
#include "framework/globals.h"
#include "platform/application.h"
#include "platform/os.h"

namespace {

void FreshProgram(const std::string& dir) {
  std::filesystem::create_directories(dir);
  std::filesystem::copy_file(std::string(BQ4_DATA_DIR) + "/samples/null.bq4", dir + "/null.bq4",
                             std::filesystem::copy_options::overwrite_existing);
  InitProgramModules();
  ConfigDir = TempDir = CadDir = EdiDir = DefaultDataDir = dir;
  DbfDir = std::string(BQ4_DATA_DIR) + "/tables";
  PltDir = std::string(BQ4_SOURCE_DATA_DIR) + "/plt";
  PinClock({2026, 12, 7, 8, 0, 0, 0});  // the title block's date and time
}

// Pixels that differ between two images of one size (-1 for other sizes),
// and the box that holds them.
long DifferentPixels(const QImage& a, const QImage& b, QRect& box) {
  if (a.size() != b.size()) return -1;
  long n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) {
        ++n;
        box |= QRect(x, y, 1, 1);
      }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: view_grabs DIR [OTHER_DIR]\n");
    return 2;
  }
  if (platform::GetEnvironment("DISPLAY").empty()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const std::string out = argv[1];
  const std::string cfg = platform::ProcessTempDir() + "/config";
  setenv("BQ4_CONFIG_DIR", cfg.c_str(), 1);
  platform::ApplicationScope app(argc, argv);
  FreshProgram(platform::ProcessTempDir() + "/grabs");
  Thh main;
  main.resize(1280, 900);
  main.show();
  QApplication::processEvents();
  int failures = 0;
  for (int view = 1; view <= 5; ++view) {
    CurrentViewCode = view;
    AbortFlag = 0;
    CalculateJoint();
    main.UpdateAfterCalculation();
    QApplication::processEvents();
    const QImage image = main.grab().toImage();
    const std::string name = out + "/view" + std::to_string(view) + ".png";
    image.save(QString::fromStdString(name));
    if (FILE* f = std::fopen((out + "/view" + std::to_string(view) + ".txt").c_str(), "w")) {
      for (const std::string& line : DisplayList->Lines()) std::fprintf(f, "%s\n", line.c_str());
      std::fclose(f);
    }
    std::printf("view %d: %zu records", view, DisplayList ? DisplayList->size() : 0);
    if (argc > 2) {
      const QImage other(QString::fromStdString(std::string(argv[2]) + "/view" +
                                                std::to_string(view) + ".png"));
      QRect box;
      const long diff = DifferentPixels(image, other, box);
      std::printf(", %ld pixels differ", diff);
      if (diff > 0) std::printf(" in %dx%d at %d,%d", box.width(), box.height(), box.x(), box.y());
      if (diff != 0) ++failures;
    }
    std::printf("\n");
  }
  return failures == 0 ? 0 : 1;
}
