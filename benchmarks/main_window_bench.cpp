// The desktop program's screen: start to the first paint of the main window,
// and an edit of the load followed by the recalculation and the redraw of
// the quick view (display list and a repaint of the window). Runs offscreen
// without DISPLAY, else on that X server.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "app/startup.h"
#include "calc/calculation.h"
#include "cad/sheets.h"
#include "calc/joint_records.h"
#include "framework/display_list.h"
#include "framework/globals.h"
#include "platform/application.h"
#include "platform/os.h"

namespace {

// Counts the paints of the widget it watches.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// Every module at its defaults and every directory in the benchmark's folder,
// with the default project beside it.
void FreshProgram() {
  static const std::string dir = [] {
    std::string d = platform::ProcessTempDir() + "/bench";
    std::filesystem::create_directories(d);
    std::filesystem::copy_file(std::string(BQ4_DATA_DIR) + "/samples/null.bq4", d + "/null.bq4",
                               std::filesystem::copy_options::overwrite_existing);
    return d;
  }();
  InitProgramModules();
  ConfigDir = TempDir = CadDir = EdiDir = DefaultDataDir = dir;
  DbfDir = std::string(BQ4_DATA_DIR) + "/tables";
  PltDir = std::string(BQ4_SOURCE_DATA_DIR) + "/plt";
}

// Processes events until the canvas has been painted (at most two seconds:
// on an X server the window is mapped and exposed by round trips).
bool WaitForPaint(const PaintCounter& counter, int before) {
  QElapsedTimer clock;
  clock.start();
  while (counter.paints == before && clock.elapsed() < 2000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return counter.paints > before;
}

void BM_StartToFirstPaint(benchmark::State& state) {
  for (auto _ : state) {
    FreshProgram();
    Thh main;
    PaintCounter counter;
    main.Canvas()->installEventFilter(&counter);
    main.show();
    if (!WaitForPaint(counter, 0)) {
      state.SkipWithError("no paint");
      break;
    }
    state.PauseTiming();
    main.Canvas()->removeEventFilter(&counter);
    main.hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartToFirstPaint)->Unit(benchmark::kMillisecond);

// The main window at 1280 x 900 on the Quick sheet, shown and painted once,
// its paints counted. FreshProgram runs first.
struct ShownWindow {
  ShownWindow() {
    main.resize(1280, 900);
    main.Canvas()->installEventFilter(&counter);
    main.show();
    WaitForPaint(counter, 0);
    CurrentViewCode = 1;
  }
  Thh main;
  PaintCounter counter;
};

void BM_EditRecalculateRedrawQuickView(benchmark::State& state) {
  FreshProgram();
  ShownWindow window;
  Thh& main = window.main;
  PaintCounter& counter = window.counter;
  const Extended load = Last.FAmax;
  int step = 0;
  for (auto _ : state) {
    Last.FAmax = load + (++step % 7);  // the load form's edit
    AbortFlag = 0;
    CalculateJoint();
    main.UpdateAfterCalculation();
    const int before = counter.paints;
    main.Canvas()->repaint();
    if (counter.paints == before) state.SkipWithError("no paint");
  }
  state.counters["records"] = static_cast<double>(DisplayList ? DisplayList->size() : 0);
}
BENCHMARK(BM_EditRecalculateRedrawQuickView)->Unit(benchmark::kMillisecond);

// The three steps of the one above on their own.
void BM_QuickViewSteps(benchmark::State& state) {
  FreshProgram();
  ShownWindow window;
  Thh& main = window.main;
  CalculateJoint();
  main.UpdateAfterCalculation();
  for (auto _ : state) {
    switch (state.range(0)) {
      case 0: CalculateJoint(); break;
      case 1:
        AbortFlag = 0;
        RedrawCurrentView();
        break;
      default: main.Canvas()->repaint(); break;
    }
  }
  state.SetLabel(state.range(0) == 0 ? "calculation" : state.range(0) == 1 ? "display list" : "paint");
}
BENCHMARK(BM_QuickViewSteps)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (platform::GetEnvironment("DISPLAY").empty()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const std::string cfg = platform::ProcessTempDir() + "/config";
  setenv("BQ4_CONFIG_DIR", cfg.c_str(), 1);
  platform::ApplicationScope app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
