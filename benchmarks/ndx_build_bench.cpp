// Index build over 1M and 10M character keys beside `LC_ALL=C sort
// --parallel=1` of the same keys, each run in a child process whose peak
// resident memory is reported as well.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/init.h"
#include "dbf/ndx_index.h"
#include "dbf/work_areas.h"
#include "framework/init.h"
#include "platform/os.h"
#include "key_table.h"

namespace {

std::string KeyOf(std::int64_t i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "K%08d", static_cast<int>((i * 7919LL) % 100000007));
  return buf;
}

// A table of `n` records with one C10 field, and the same keys as text
// lines. The records are written straight into the file.
std::string Table(int n) {
  std::string dir = platform::ProcessTempDir();
  std::string path = dir + "/keys" + std::to_string(n) + ".dbf";
  if (platform::FileExists(path)) return path;
  CreateKeyTable(path);
  std::vector<unsigned char> header;
  {
    std::ifstream in(path, std::ios::binary);
    header.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  header.pop_back();  // the end-of-file mark
  for (int b = 0; b < 4; ++b) header[4 + b] = static_cast<unsigned char>(static_cast<std::uint32_t>(n) >> (8 * b));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::ofstream text(dir + "/keys" + std::to_string(n) + ".txt");
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  std::string rec, lines;
  for (int i = 1; i <= n; ++i) {
    std::string k = KeyOf(i);
    rec += ' ';
    rec += k;
    rec.append(10 - k.size(), ' ');
    lines += k;
    lines += '\n';
    if (rec.size() >= (1 << 20)) {
      out << rec;
      text << lines;
      rec.clear();
      lines.clear();
    }
  }
  out << rec << '\x1A';
  text << lines;
  return path;
}

// Runs `child` in a fork; returns the child's peak resident memory in MB.
template <class Child>
double InChild(Child child) {
  pid_t pid = fork();
  if (pid == 0) _exit(child());
  int status = 0;
  struct rusage use {};
  wait4(pid, &status, 0, &use);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return static_cast<double>(use.ru_maxrss) / 1024.0;
}

void BM_IndexBuild(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = Table(n);
  double peak = 0;
  for (auto _ : state) {
    peak = InChild([&] {
      Use(path + " EXCLUSIVE");
      MakeIndex(platform::ProcessTempDir() + "/keys.ndx", "KEY", false, 1, false, false, nullptr, 0);
      return TzLastError == 0 ? 0 : 1;
    });
    if (peak < 0) state.SkipWithError("the build failed");
  }
  state.counters["peak_MB"] = peak;
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_IndexBuild)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The same keys through sort(1) on one thread.
void BM_SortCommand(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Table(n);
  const std::string dir = platform::ProcessTempDir();
  const std::string in = dir + "/keys" + std::to_string(n) + ".txt", out = dir + "/sorted.txt";
  double peak = 0;
  for (auto _ : state) {
    peak = InChild([&] {
      int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0) return 1;
      dup2(fd, 1);
      setenv("LC_ALL", "C", 1);
      execlp("sort", "sort", "--parallel=1", in.c_str(), static_cast<char*>(nullptr));
      return 1;
    });
    if (peak < 0) state.SkipWithError("sort failed");
  }
  state.counters["peak_MB"] = peak;
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SortCommand)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
