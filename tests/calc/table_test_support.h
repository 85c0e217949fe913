// Helpers of the table tests: defaults, a private copy of the built tables,
// and small tables written with the table engine.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "calc/init.h"
#include "calc/table_access.h"
#include "calc_test_support.h"
#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/init.h"
#include "dialog_answers.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "platform/os.h"

namespace table_test {

inline void InitModules() {
  InitFrameworkModules();
  InitDbfModules();
  InitCalcModules();
}

// A fresh directory of this test process.
inline std::string FreshDir(const std::string& name) {
  const std::string dir = platform::ProcessTempDir() + "/" + name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The tables the build made from data/tables, copied so that a test may
// write them.
inline std::string CopyBuiltTables() {
  const std::string dir = FreshDir("tables");
  for (const auto& e : std::filesystem::directory_iterator(BQ4_BINARY_DIR "/data/tables"))
    if (e.path().extension() == ".dbf")
      std::filesystem::copy_file(e.path(), dir + "/" + e.path().filename().string());
  return dir;
}

// Fixture of the table tests: defaults and the copy of the built tables.
class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitModules();
    DbfDir = CopyBuiltTables();
  }
  void TearDown() override { CloseDbfTable(); }
};

struct Field {
  const char* name;
  char type;
  int length;
  int decimals;
};

// Writes a table; each row gives the raw text of each field, padded or
// right-aligned to its width (numbers right-aligned).
inline void WriteDbf(const std::string& path, const std::vector<Field>& fields,
                     const std::vector<std::vector<std::string>>& rows) {
  std::vector<TDbfFieldEntry> entries;
  for (const Field& f : fields) {
    TDbfFieldEntry e;
    e.name = f.name;
    e.type = f.type;
    e.length = static_cast<std::uint8_t>(f.length);
    e.decimals = static_cast<std::uint8_t>(f.decimals);
    entries.push_back(e);
  }
  ErrorDispatchOff quiet;
  TDbfWorkArea wa;
  wa.oem = false;
  CreateDbf(wa, path, static_cast<int>(entries.size()), entries.data());
  wa = TDbfWorkArea{};
  wa.fileName = path;
  wa.oem = false;
  OpenDbf(wa);
  for (const auto& row : rows) {
    std::string record = " ";
    for (std::size_t i = 0; i < fields.size(); ++i) {
      std::string v = i < row.size() ? row[i] : "";
      const std::size_t w = static_cast<std::size_t>(fields[i].length);
      if (v.size() > w) v.resize(w);
      record += fields[i].type == 'C' ? v + std::string(w - v.size(), ' ') : std::string(w - v.size(), ' ') + v;
    }
    std::copy(record.begin(), record.end(), wa.recordBuffer.begin());
    AppendDbfRecord(wa);
  }
  CloseDbf(wa);
}

}  // namespace table_test
