// libFuzzer target of the calculation's tables: the first byte picks one of
// the tables the build makes and one of the sample projects; the rest
// replaces that table in a private copy of the table directory. The project
// is loaded (tables read, joint calculated) and its report written. A table
// that cannot be used is reported; a run whose table failed leaves no report.
#include "fuzz_common.h"

#include <algorithm>
#include <filesystem>

#include "calc/init.h"
#include "calc/project_file.h"
#include "calc/report.h"
#include "calc/table_access.h"
#include "dbf/init.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  const Tables& tables = BuiltTables();
  if (size < 1 || tables.names.empty()) return 0;
  InitDbfModules();
  InitCalcModules();
  const std::size_t pick = data[0] % tables.names.size();
  const char* sample = kSamples[data[0] / tables.names.size() % std::size(kSamples)];
  // Only the table picked before and the one picked now are written, so
  // that the others keep their indexes in the cache.
  static std::size_t changed = tables.names.size();
  for (std::size_t i = 0; i < tables.names.size(); ++i) {
    if (i != pick && i != changed && changed != tables.names.size()) continue;
    const std::string& bytes = i == pick ? std::string(FuzzText(data + 1, size - 1)) : tables.bytes[i];
    WriteFuzzFile(tables.dir + "/" + tables.names[i], bytes.data(), bytes.size());
  }
  changed = pick;
  DbfDir = tables.dir;
  const std::string project = FuzzPath(std::string(sample) + ".bq4");
  const std::string text = ReadFuzzFile(std::string(BQ4_SOURCE_DIR "/data/samples/") + sample + ".bq4");
  WriteFuzzFile(project, text.data(), text.size());
  ClearTableFailure();
  ReadCalcFile(project);
  if (AbortFlag == 0 && CalcFatalFlag == 0) {
    CurrentFileName = FuzzPath(sample);
    CurrentDir.clear();
    FileNameWithPath = 1;
    AskTextDevice = 0;
    TextDevice = kDeviceBatchTxt;
    WritePrintout();
  }
  // A table that failed was reported as it happened.
  if (!TableFailure().empty() && TableNotices() == 0) __builtin_trap();
  CloseDbfTable();
  return 0;
}
