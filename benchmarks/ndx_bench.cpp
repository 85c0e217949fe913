// Find on the 1M-key index: the engine's on an exclusive and on a shared table,
// and the table dialog's FindKey on a shared one (the build is in ndx_build_bench).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "dbf/dbf4.h"
#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/init.h"
#include "dbf/ndx_index.h"
#include "dbf/work_areas.h"
#include "framework/init.h"
#include "platform/application.h"
#include "platform/os.h"
#include "key_table.h"

namespace {

constexpr int kRecords = 1000000;

std::string KeyOf(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "K%08d", static_cast<int>((i * 7919LL) % 10000019));
  return buf;
}

const std::string& Table() {
  static std::string path;
  if (!path.empty()) return path;
  path = platform::ProcessTempDir() + "/keys.dbf";
  CreateKeyTable(path);
  Use(path + " EXCLUSIVE");
  std::ofstream text(platform::ProcessTempDir() + "/keys.txt");
  for (int i = 1; i <= kRecords; ++i) {
    ClearRecord();
    SetFieldText(1, KeyOf(i));
    Append();
    text << KeyOf(i) << '\n';
  }
  CloseAll();
  return path;
}

// `count` (a power of two) keys of random records: 4096 stay in any node
// cache, 65536 reach most leaves of the index.
std::vector<std::string> RandomKeys(std::int64_t count) {
  std::mt19937 rng(7);
  std::vector<std::string> keys;
  for (std::int64_t i = 0; i < count; ++i) keys.push_back(KeyOf(1 + static_cast<int>(rng() % kRecords)));
  return keys;
}

// Keys: 4096 or 65536 distinct ones; shared: 1 when the table is opened
// shared, so that another program may change the index at any time.
void BM_FindKey(benchmark::State& state) {
  const std::string& path = Table();
  std::string ndx = platform::ProcessTempDir() + "/find.ndx";
  Use(path + " EXCLUSIVE");
  MakeIndex(ndx, "KEY", false, 1, false, false, nullptr, 0);
  if (state.range(1) != 0) {
    CloseAll();
    Use(path);
  }
  Set_Index_To(ndx, 1);
  const std::vector<std::string> keys = RandomKeys(state.range(0));
  const std::size_t mask = keys.size() - 1;
  std::size_t i = 0, found = 0;
  for (auto _ : state) found += Find(keys[i++ & mask]);
  if (static_cast<benchmark::IterationCount>(found) != state.iterations()) state.SkipWithError("a key was not found");
  CloseAll();
}
BENCHMARK(BM_FindKey)->ArgsProduct({{4096, 65536}, {0, 1}})->ArgNames({"keys", "shared"})->Unit(benchmark::kMicrosecond);

// The same searches through the table dialog on the table opened shared,
// as the calculation looks its tables up.
void BM_FindKeySharedDialog(benchmark::State& state) {
  const std::string& path = Table();
  std::string ndx = platform::ProcessTempDir() + "/find.ndx";
  Use(path + " EXCLUSIVE");
  MakeIndex(ndx, "KEY", false, 1, false, false, nullptr, 0);
  CloseAll();
  CreateTableDialog();
  dbf4->OpenTable(path);
  dbf4->SetIndexTo(ndx.substr(0, ndx.size() - 4));
  const std::vector<std::string> keys = RandomKeys(state.range(0));
  const std::size_t mask = keys.size() - 1;
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    dbf4->FindKey(keys[i++ & mask]);
    found += dbf4->KeyFound();
  }
  if (static_cast<benchmark::IterationCount>(found) != state.iterations()) state.SkipWithError("a key was not found");
  dbf4->CloseTable();
  FreeTableDialog();
}
BENCHMARK(BM_FindKeySharedDialog)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (platform::GetEnvironment("DISPLAY").empty()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  platform::ApplicationScope app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
