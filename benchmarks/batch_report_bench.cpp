// The batch report "wbq4 null.bq4 /I" as a whole process (start-up, tables,
// calculation, report file), beside a bare process that only reads the same
// table files.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs the program with its arguments in dir and waits; the exit code.
int Run(const std::vector<std::string>& args, const std::string& dir) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string WorkDir() {
  static const std::string dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("bq4_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    std::filesystem::copy_file(std::string(BQ4_DATA_DIR) + "/samples/null.bq4", d / "null.bq4",
                               std::filesystem::copy_options::overwrite_existing);
    return d.string();
  }();
  return dir;
}

void BM_BatchReportProcess(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const std::string dir = WorkDir();
  for (auto _ : state) {
    if (Run({BQ4_WBQ4, "null.bq4", "/I"}, dir) != 0) state.SkipWithError("wbq4 failed");
  }
}
BENCHMARK(BM_BatchReportProcess)->Unit(benchmark::kMillisecond);

void BM_BareProcessReadingTables(benchmark::State& state) {
  const std::string dir = WorkDir();
  for (auto _ : state) {
    if (Run({BQ4_READ_TABLES, std::string(BQ4_DATA_DIR) + "/tables"}, dir) != 0)
      state.SkipWithError("reading the tables failed");
  }
}
BENCHMARK(BM_BareProcessReadingTables)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
