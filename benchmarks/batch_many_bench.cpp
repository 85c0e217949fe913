// Many projects in one batch run against one process per project: 1,000
// projects (the six samples, each with 167 axial loads from 90 % to 110 %),
// for the report "/I" and the results "/JSON".
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/startup.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/globals.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;

constexpr int kProjects = 1000;

struct Projects {
  std::string dir;
  std::vector<std::string> names;
};

// The projects, written by the program's own project file writer.
const Projects& ManyProjects() {
  static const Projects projects = [] {
    Projects p;
    const fs::path d = fs::temp_directory_path() / ("bq4_many_" + std::to_string(getpid()));
    fs::create_directories(d);
    p.dir = d.string();
    setenv("BQ4_CACHE_DIR", (d / "cache").c_str(), 1);
    setenv("BQ4_CONFIG_DIR", (d / "config").c_str(), 1);
    std::vector<std::string> samples;
    for (const auto& e : fs::directory_iterator(std::string(BQ4_DATA_DIR) + "/samples"))
      if (e.path().extension() == ".bq4") samples.push_back(e.path().string());
    for (int i = 0; i < kProjects; ++i) {
      InitProgramModules();
      ReadCalcFile(samples[static_cast<std::size_t>(i) % samples.size()]);
      Last.FAmax *= 0.9L + 0.2L * i / kProjects;
      const std::string name = "p" + std::to_string(i) + ".bq4";
      WriteCalcFile((d / name).string());
      if (AbortFlag) std::fprintf(stderr, "%s not written\n", name.c_str());
      p.names.push_back(name);
    }
    return p;
  }();
  return projects;
}

void OneRun(benchmark::State& state, const char* mode) {
  const Projects& p = ManyProjects();
  std::vector<std::string> args = {BQ4_WBQ4};
  args.insert(args.end(), p.names.begin(), p.names.end());
  args.push_back(mode);
  // Untimed: the outputs exist, and every timed run replaces them, as each
  // of the single runs does.
  if (Run(args, p.dir) > 2) state.SkipWithError("wbq4 failed");
  for (auto _ : state)
    if (Run(args, p.dir) > 2) state.SkipWithError("wbq4 failed");
  state.SetItemsProcessed(state.iterations() * kProjects);
}

void SingleRuns(benchmark::State& state, const char* mode) {
  const Projects& p = ManyProjects();
  for (auto _ : state)
    for (const auto& name : p.names)
      if (Run({BQ4_WBQ4, name, mode}, p.dir) > 2) state.SkipWithError("wbq4 failed");
  state.SetItemsProcessed(state.iterations() * kProjects);
}

void BM_ManyProjectsOneRunReport(benchmark::State& state) { OneRun(state, "/I"); }
void BM_ManyProjectsSingleRunsReport(benchmark::State& state) { SingleRuns(state, "/I"); }
void BM_ManyProjectsOneRunJson(benchmark::State& state) { OneRun(state, "/JSON"); }
void BM_ManyProjectsSingleRunsJson(benchmark::State& state) { SingleRuns(state, "/JSON"); }
BENCHMARK(BM_ManyProjectsOneRunReport)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ManyProjectsSingleRunsReport)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ManyProjectsOneRunJson)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ManyProjectsSingleRunsJson)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
