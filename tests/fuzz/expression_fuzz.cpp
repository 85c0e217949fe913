// libFuzzer target: compile arbitrary expression texts and evaluate those
// that compile against a record.
#include "engine_start.h"

#include "dbf/dbf_file.h"
#include "dbf/expressions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EngineFuzzStart();
  static std::string table;
  if (table.empty()) {
    table = platform::ProcessTempDir() + "/fuzzexpr.dbf";
    TDbfWorkArea wa;
    TDbfFieldEntry f[3];
    f[0].name = "NAME"; f[0].type = 'C'; f[0].length = 8;
    f[1].name = "NUM"; f[1].type = 'N'; f[1].length = 8; f[1].decimals = 2;
    f[2].name = "DAY"; f[2].type = 'D'; f[2].length = 8;
    CreateDbf(wa, table, 3, f);
  }
  Use(table + " EXCLUSIVE ALIAS T");
  ClearRecord();
  SetFieldText(1, "abc");
  Append();
  std::string text(reinterpret_cast<const char*>(data), size);
  TExprDescriptor* d = AssignExpr(text);
  if (d) {
    EvaluateExpr(d);
    FreeExpr(d);
  }
  CloseAll();
  return 0;
}
