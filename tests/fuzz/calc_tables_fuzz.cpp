// libFuzzer target of the calculation's tables: the first byte picks one of
// the tables the build makes and one of the sample projects; the rest
// replaces that table in a private copy of the table directory. The project
// is loaded (tables read, joint calculated) and its report written. A table
// that cannot be used is reported. A first byte past those pairs puts the
// rest in place of an entry of the index cache: the report must not change.
#include "fuzz_common.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "calc/init.h"
#include "calc/project_file.h"
#include "calc/report.h"
#include "calc/table_access.h"
#include "dbf/init.h"
#include "framework/clock.h"
#include "framework/text_output.h"

namespace {

namespace fs = std::filesystem;

struct Tables {
  std::string dir;
  std::vector<std::string> names;  // sorted
  std::vector<std::string> bytes;
};

const Tables& BuiltTables() {
  static const Tables tables = [] {
    Tables t;
    t.dir = platform::ProcessTempDir() + "/tables";
    fs::create_directories(t.dir);
    for (const auto& e : fs::directory_iterator(BQ4_BINARY_DIR "/data/tables"))
      if (e.path().extension() == ".dbf") t.names.push_back(e.path().filename().string());
    std::sort(t.names.begin(), t.names.end());
    for (const std::string& name : t.names)
      t.bytes.push_back(ReadFuzzFile(std::string(BQ4_BINARY_DIR "/data/tables/") + name));
    const std::string cache = platform::ProcessTempDir() + "/cache";
    setenv("BQ4_CACHE_DIR", cache.c_str(), 1);
    return t;
  }();
  return tables;
}

const char* const kSamples[] = {"null", "eccentric", "hot", "own_nut", "tapped_static", "vdi1986"};

// Writes the given bytes in place of table `pick`, the table changed
// before back as built, and no other table. A table as built always carries
// the same time an hour back, so that its index is found in the cache (a
// table written in the last second never is). A pick past the tables only
// restores.
void WriteTables(const Tables& tables, std::size_t pick, std::string_view bytes) {
  static const fs::file_time_type built = fs::file_time_type::clock::now() - std::chrono::hours(1);
  static std::size_t changed = tables.names.size();
  static bool first = true;
  for (std::size_t i = 0; i < tables.names.size(); ++i) {
    if (i != pick && i != changed && !first) continue;
    const std::string path = tables.dir + "/" + tables.names[i];
    if (i == pick) {
      WriteFuzzFile(path, bytes.data(), bytes.size());
      continue;
    }
    WriteFuzzFile(path, tables.bytes[i].data(), tables.bytes[i].size());
    std::error_code ec;
    fs::last_write_time(path, built, ec);
  }
  first = false;
  changed = pick;
}

// The sample loaded (tables read, joint calculated) and its report; empty
// when the run failed on a table or could not report.
std::string Report(const Tables& tables, const char* sample) {
  InitDbfModules();
  InitCalcModules();
  PinClock({2024, 5, 17, 12, 0, 0, 0});
  DbfDir = tables.dir;
  const std::string project = FuzzPath(std::string(sample) + ".bq4");
  const std::string text = ReadFuzzFile(std::string(BQ4_SOURCE_DIR "/data/samples/") + sample + ".bq4");
  WriteFuzzFile(project, text.data(), text.size());
  ClearTableFailure();
  ReadCalcFile(project);
  std::string report;
  if (AbortFlag == 0 && CalcFatalFlag == 0) {
    CurrentFileName = FuzzPath(sample);
    CurrentDir.clear();
    FileNameWithPath = 1;
    AskTextDevice = 0;
    TextDevice = kDeviceBatchTxt;
    std::remove((CurrentFileName + ".txt").c_str());
    WritePrintout();
    if (AbortFlag == 0) report = ReadFuzzFile(CurrentFileName + ".txt");
  }
  // A table that failed was reported as it happened.
  if (!TableFailure().empty() && TableNotices() == 0) __builtin_trap();
  CloseDbfTable();
  return TableFailure().empty() ? report : std::string();
}

// The bytes in place of an entry of the index cache: the run that follows
// rebuilds it or reads it as it was, so its report is the one before.
void DamageCacheEntry(const Tables& tables, std::uint8_t pick, std::string_view bytes) {
  WriteTables(tables, tables.names.size(), {});
  const char* sample = kSamples[pick % std::size(kSamples)];
  const std::string good = Report(tables, sample);
  std::vector<fs::path> entries;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(platform::CacheDirectory() + "/indexes", ec))
    if (e.path().extension() == ".ndx") entries.push_back(e.path());
  if (good.empty() || entries.empty()) return;
  std::sort(entries.begin(), entries.end());
  WriteFuzzFile(entries[pick % entries.size()].string(), bytes.data(), bytes.size());
  if (Report(tables, sample) != good) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  const Tables& tables = BuiltTables();
  if (size < 1 || tables.names.empty()) return 0;
  const std::string_view rest = FuzzText(data + 1, size - 1);
  // Past the pairs of table and sample, the rest is a cache entry.
  if (data[0] >= tables.names.size() * std::size(kSamples)) {
    DamageCacheEntry(tables, data[0], rest);
    return 0;
  }
  WriteTables(tables, data[0] % tables.names.size(), rest);
  Report(tables, kSamples[data[0] / tables.names.size() % std::size(kSamples)]);
  return 0;
}
