// Many projects in one batch run against one process per project: 1,000
// projects (the six samples, each with 167 axial loads from 90 % to 110 %),
// for the report "/I" and the results "/JSON", as a user meets them twice:
// the first run into a folder that holds only the projects (every output
// new), and a run again over the outputs of an earlier one (every output
// replaced).
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
#include "framework/config_file.h"
#include "framework/globals.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;

constexpr int kProjects = 1000;

struct Projects {
  fs::path root;
  std::vector<std::string> names;
};

// Every folder made here goes at exit; none during the runs, as a removed
// file makes the next new file of its file system slower for a minute.
struct RemovedAtExit {
  fs::path root;
  ~RemovedAtExit() {
    std::error_code ec;
    if (!root.empty()) fs::remove_all(root, ec);
  }
};

// The projects, written once by the program's own project file writer.
const Projects& ManyProjects() {
  static RemovedAtExit removal;
  static const Projects projects = [] {
    Projects p;
    p.root = fs::temp_directory_path() / ("bq4_many_" + std::to_string(getpid()));
    removal.root = p.root;
    fs::create_directories(p.root / "projects");
    setenv("BQ4_CACHE_DIR", (p.root / "cache").c_str(), 1);
    setenv("BQ4_CONFIG_DIR", (p.root / "config").c_str(), 1);
    // The settings a user has once the window has saved them: the defaults.
    InitProgramModules();
    WriteConfigFile();
    if (AbortFlag) std::fprintf(stderr, "the configuration is not written\n");
    std::vector<std::string> samples;
    for (const auto& e : fs::directory_iterator(std::string(BQ4_DATA_DIR) + "/samples"))
      if (e.path().extension() == ".bq4") samples.push_back(e.path().string());
    for (int i = 0; i < kProjects; ++i) {
      InitProgramModules();
      ReadCalcFile(samples[static_cast<std::size_t>(i) % samples.size()]);
      Last.FAmax *= 0.9L + 0.2L * i / kProjects;
      const std::string name = "p" + std::to_string(i) + ".bq4";
      WriteCalcFile((p.root / "projects" / name).string());
      if (AbortFlag) std::fprintf(stderr, "%s not written\n", name.c_str());
      p.names.push_back(name);
    }
    return p;
  }();
  return projects;
}

// The program measured: the one built with the benchmark, or $BQ4_WBQ4 (an
// earlier build, to compare).
const char* Program() {
  const char* other = std::getenv("BQ4_WBQ4");
  return other && *other ? other : BQ4_WBQ4;
}

// A new folder holding (links to) the projects and nothing else.
std::string ProjectFolder(const Projects& p, const std::string& name) {
  const fs::path dir = p.root / name;
  fs::create_directories(dir);
  std::error_code ec;
  for (const auto& project : p.names) fs::create_hard_link(p.root / "projects" / project, dir / project, ec);
  return dir.string();
}

std::vector<std::string> OneRunArgs(const Projects& p, const char* mode) {
  std::vector<std::string> args = {Program()};
  args.insert(args.end(), p.names.begin(), p.names.end());
  args.push_back(mode);
  return args;
}

bool AllProjectsRun(const Projects& p, const std::string& dir, const char* mode, bool oneRun) {
  if (oneRun) return Run(OneRunArgs(p, mode), dir) <= 2;
  for (const auto& name : p.names)
    if (Run({Program(), name, mode}, dir) > 2) return false;
  return true;
}

// Every timed run writes into a folder of its own that holds only the projects.
void IntoFreshFolder(benchmark::State& state, const char* mode, bool oneRun) {
  const Projects& p = ManyProjects();
  static int folders = 0;
  // The index cache is filled before.
  if (!AllProjectsRun(p, ProjectFolder(p, "warm-" + std::to_string(++folders)), mode, true))
    state.SkipWithError("wbq4 failed");
  for (auto _ : state) {
    state.PauseTiming();
    const std::string dir = ProjectFolder(p, "fresh-" + std::to_string(++folders));
    state.ResumeTiming();
    if (!AllProjectsRun(p, dir, mode, oneRun)) state.SkipWithError("wbq4 failed");
  }
  state.SetItemsProcessed(state.iterations() * kProjects);
}

// Every timed run replaces the outputs an earlier run wrote.
void ReplacingOutputs(benchmark::State& state, const char* mode, bool oneRun) {
  const Projects& p = ManyProjects();
  const std::string dir = ProjectFolder(p, std::string("replace") + (mode + 1));
  if (!AllProjectsRun(p, dir, mode, true)) state.SkipWithError("wbq4 failed");
  for (auto _ : state)
    if (!AllProjectsRun(p, dir, mode, oneRun)) state.SkipWithError("wbq4 failed");
  state.SetItemsProcessed(state.iterations() * kProjects);
}

void BM_FreshFolderOneRunReport(benchmark::State& state) { IntoFreshFolder(state, "/I", true); }
void BM_FreshFolderSingleRunsReport(benchmark::State& state) { IntoFreshFolder(state, "/I", false); }
void BM_FreshFolderOneRunJson(benchmark::State& state) { IntoFreshFolder(state, "/JSON", true); }
void BM_FreshFolderSingleRunsJson(benchmark::State& state) { IntoFreshFolder(state, "/JSON", false); }
void BM_ReplacingOneRunReport(benchmark::State& state) { ReplacingOutputs(state, "/I", true); }
void BM_ReplacingSingleRunsReport(benchmark::State& state) { ReplacingOutputs(state, "/I", false); }
void BM_ReplacingOneRunJson(benchmark::State& state) { ReplacingOutputs(state, "/JSON", true); }
void BM_ReplacingSingleRunsJson(benchmark::State& state) { ReplacingOutputs(state, "/JSON", false); }
BENCHMARK(BM_FreshFolderOneRunReport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FreshFolderSingleRunsReport)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FreshFolderOneRunJson)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FreshFolderSingleRunsJson)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReplacingOneRunReport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplacingSingleRunsReport)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReplacingOneRunJson)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplacingSingleRunsJson)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
