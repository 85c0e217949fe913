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
    TDbfFieldEntry f[] = {{"NAME", 'C', 8}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8}};
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
