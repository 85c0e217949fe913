// The desktop program's screen: start to the first paint of the main window,
// and an edit of the load followed by the recalculation and the redraw of
// the quick view (display list and a repaint of the window). Runs offscreen
// without DISPLAY, else on that X server.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QRect>
#include <QWidget>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "calc/calculation.h"
#include "cad/sheets.h"
#include "calc/joint_records.h"
#include "framework/display_list.h"
#include "framework/globals.h"
#include "framework/graph_transform.h"
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

// Arg: the view (1 the quick view, 2 the diagram overview, the densest).
void BM_EditRecalculateRedraw(benchmark::State& state) {
  FreshProgram();
  ShownWindow window;
  CurrentViewCode = static_cast<int>(state.range(0));
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
  state.SetLabel(state.range(0) == 2 ? "diagram overview" : "quick view");
}
BENCHMARK(BM_EditRecalculateRedraw)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The floor under the redraw: a bare QPainter draws the lines, circles and
// arcs of the same view, already in pixels, on an image of the canvas' size.
void BM_BarePainter(benchmark::State& state) {
  FreshProgram();
  ShownWindow window;
  CurrentViewCode = static_cast<int>(state.range(0));
  AbortFlag = 0;
  CalculateJoint();
  window.main.UpdateAfterCalculation();
  window.main.Canvas()->repaint();
  std::vector<QLine> lines;
  std::vector<QRect> circles;
  const TDisplayList& list = *DisplayList;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TGraphRecord* r = list.Record(i);
    if (!r) continue;
    if (r->code == gcLine) lines.emplace_back(PX(r->v[0]), PY(r->v[1]), PX(r->v[2]), PY(r->v[3]));
    if (r->code == gcCircle || r->code == gcArc)
      circles.emplace_back(QPoint(PX(r->v[0] - (r->code == gcCircle ? r->v[2] : 0)),
                                  PY(r->v[1] + (r->code == gcCircle ? r->v[2] : 0))),
                           QSize(LX(2 * r->v[2]), LY(2 * r->v[2])));
  }
  QImage image(window.main.Canvas()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&image);
    p.fillRect(image.rect(), Qt::white);
    p.setPen(Qt::black);
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
    for (const QRect& c : circles) p.drawEllipse(c);
  }
  state.counters["records"] = static_cast<double>(list.size());
}
BENCHMARK(BM_BarePainter)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Start of a process to its first paint: arg 0 a bare Qt main window, 1 the
// same with a menu bar (it loads fonts), 2 the window program on the
// default project, 3 the bare window with a menu bar drawing the start
// picture's texts in their fonts (the floor under any program showing them).
void BM_ProcessToFirstPaint(benchmark::State& state) {
  const char* program = state.range(0) == 2 ? BQ4_PROGRAM_FIRST_PAINT : BQ4_BARE_QTWINDOW;
  char menu[] = "menu";
  char texts[] = "texts";
  char* mode = state.range(0) == 1 ? menu : state.range(0) == 3 ? texts : nullptr;
  for (auto _ : state) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program), mode, nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("no first paint");
      break;
    }
  }
  static const char* const labels[] = {"bare Qt window", "bare Qt window with a menu bar",
                                       "window program", "bare Qt window with the start picture's texts"};
  state.SetLabel(labels[state.range(0)]);
}
BENCHMARK(BM_ProcessToFirstPaint)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

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
