// The batch report "wbq4 x.bq4 /I" as a whole process (start-up, tables,
// calculation, report file), beside the floors under it: `cat` of the table
// files the report reads, a bare process that reads them, and a process that
// only starts Qt's core application. Two projects: the sample null.bq4, and
// the same joint with 10 bolt sections and 10 clamped parts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/startup.h"
#include "run_program.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/globals.h"

namespace {

namespace fs = std::filesystem;

// The sample joint with its 60 mm bolt shank in 10 sections of 6 mm and its
// 42 mm clamp length in 10 parts of 4.2 mm like its first one, written by
// the program's own project file writer.
bool WriteTenSectionProject(const std::string& sample, const std::string& target) {
  InitProgramModules();
  ReadCalcFile(sample);
  if (AbortFlag) return false;
  SCHRAUBTYPE& s = Schraube;
  s.nSections = 10;
  for (int j = 1; j <= 10; ++j) {
    s.lSec[j] = 6;
    s.dSec[j] = 12;
    s.diSec[j] = 0;
    s.ASec[j] = 113.09733552923255659L;
  }
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  auto spread = [](auto&... columns) {
    for (int j = 2; j <= 10; ++j) ((columns[j] = columns[1]), ...);
  };
  spread(k.De, k.Di, k.L, k.E, k.Aers, k.deltaP, k.betaP, k.pPart, k.alphaT, k.DAeff, k.pmax, k.Material,
         k.Codes, k.MatTable, k.Re, k.Description);
  k.nPlates = 10;
  for (int j = 1; j <= 10; ++j) k.L[j] = k.lK / 10;
  WriteCalcFile(target);
  return !AbortFlag;
}

std::string WorkDir() {
  static const std::string dir = [] {
    auto d = fs::temp_directory_path() / ("bq4_bench_" + std::to_string(getpid()));
    fs::create_directories(d);
    const std::string sample = std::string(BQ4_DATA_DIR) + "/samples/null.bq4";
    // The index cache and settings of these runs, not the user's.
    setenv("BQ4_CACHE_DIR", (d / "cache").c_str(), 1);
    setenv("BQ4_CONFIG_DIR", (d / "config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fs::copy_file(sample, d / "null.bq4", fs::copy_options::overwrite_existing);
    if (!WriteTenSectionProject(sample, (d / "ten.bq4").string())) std::fprintf(stderr, "ten.bq4 not written\n");
    return d.string();
  }();
  return dir;
}

// The table files a batch report of either project reads.
std::vector<std::string> Tables() {
  std::vector<std::string> files;
  for (const char* name : {"gewinde.dbf", "din931.dbf", "din934.dbf", "anzieh.dbf"})
    files.push_back(std::string(BQ4_DATA_DIR) + "/tables/" + name);
  return files;
}

void BatchReport(benchmark::State& state, const char* project) {
  const std::string dir = WorkDir();
  if (Run({BQ4_WBQ4, project, "/I"}, dir) != 0) state.SkipWithError("wbq4 failed");  // fills the cache
  for (auto _ : state) {
    if (Run({BQ4_WBQ4, project, "/I"}, dir) != 0) state.SkipWithError("wbq4 failed");
  }
}

void BM_BatchReportProcess(benchmark::State& state) { BatchReport(state, "null.bq4"); }
BENCHMARK(BM_BatchReportProcess)->Unit(benchmark::kMillisecond);

void BM_BatchReportTenSections(benchmark::State& state) { BatchReport(state, "ten.bq4"); }
BENCHMARK(BM_BatchReportTenSections)->Unit(benchmark::kMillisecond);

// Beside another build of the program (BQ4_BENCH_OTHER_WBQ4, for instance
// an earlier commit's wbq4 with its own data folder and cache): the two
// batch reports of null.bq4 run in turn, each benchmark timing one of them,
// so that both meet the same machine load.
const char* OtherWbq4() { return std::getenv("BQ4_BENCH_OTHER_WBQ4"); }

void Interleaved(benchmark::State& state, bool timeOther) {
  const std::string dir = WorkDir();
  const char* other = OtherWbq4();
  if (!other) {
    state.SkipWithError("BQ4_BENCH_OTHER_WBQ4 names no program");
    return;
  }
  const std::vector<std::string> otherEnv = {"BQ4_CACHE_DIR=" + dir + "/other-cache",
                                             "BQ4_CONFIG_DIR=" + dir + "/other-config"};
  auto runOwn = [&] { return Run({BQ4_WBQ4, "null.bq4", "/I"}, dir) == 0; };
  auto runOther = [&] { return Run({other, "null.bq4", "/I"}, dir, otherEnv) == 0; };
  if (!runOwn() || !runOther()) state.SkipWithError("a batch report failed");  // fills the caches
  for (auto _ : state) {
    state.PauseTiming();
    const bool untimed = timeOther ? runOwn() : runOther();
    state.ResumeTiming();
    const bool timed = timeOther ? runOther() : runOwn();
    if (!untimed || !timed) state.SkipWithError("a batch report failed");
  }
}

void BM_BatchReportBesideOther(benchmark::State& state) { Interleaved(state, false); }
void BM_OtherBatchReportBeside(benchmark::State& state) { Interleaved(state, true); }

void BM_CatOfTables(benchmark::State& state) {
  const std::string dir = WorkDir();
  std::vector<std::string> args = {"/bin/cat"};
  for (const auto& f : Tables()) args.push_back(f);
  for (auto _ : state) {
    if (Run(args, dir) != 0) state.SkipWithError("cat failed");
  }
}
BENCHMARK(BM_CatOfTables)->Unit(benchmark::kMillisecond);

const bool kBesideOther = [] {
  if (OtherWbq4()) {
    benchmark::RegisterBenchmark("BM_BatchReportBesideOther", BM_BatchReportBesideOther)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_OtherBatchReportBeside", BM_OtherBatchReportBeside)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return true;
}();

void BM_BareProcessReadingTables(benchmark::State& state) {
  const std::string dir = WorkDir();
  for (auto _ : state) {
    if (Run({BQ4_READ_TABLES, std::string(BQ4_DATA_DIR) + "/tables"}, dir) != 0)
      state.SkipWithError("reading the tables failed");
  }
}
BENCHMARK(BM_BareProcessReadingTables)->Unit(benchmark::kMillisecond);

void BM_BareQtCoreProcess(benchmark::State& state) {
  const std::string dir = WorkDir();
  for (auto _ : state) {
    if (Run({BQ4_BARE_QTCORE}, dir) != 0) state.SkipWithError("the Qt process failed");
  }
}
BENCHMARK(BM_BareQtCoreProcess)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
