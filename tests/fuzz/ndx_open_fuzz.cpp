// libFuzzer target: attach an index file made of arbitrary bytes to a
// small table and search and move through it.
#include "fuzz_common.h"

#include "dbf/dbf_file.h"
#include "dbf/ndx_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  static std::string table;
  if (table.empty()) {
    table = platform::ProcessTempDir() + "/fuzzidx.dbf";
    TDbfWorkArea wa;
    TDbfFieldEntry f;
    f.name = "NAME";
    f.type = 'C';
    f.length = 10;
    CreateDbf(wa, table, 1, &f);
    Use(table + " EXCLUSIVE");
    for (int i = 0; i < 200; ++i) {
      ClearRecord();
      SetFieldText(1, "K" + std::to_string(i * 37 % 101));
      Append();
    }
    CloseAll();
  }
  std::string path = FuzzFile("fuzz.ndx", data, size);
  Use(table + " EXCLUSIVE");
  if (Set_Index_To(path, 1)) {
    Find("K5");
    int steps = 0;
    for (GoTop(); !dEOF() && steps < 500 && TzLastError == 0; Skip(1)) ++steps;
    GoBottom();
    for (steps = 0; !dBOF() && steps < 500 && TzLastError == 0; Skip(-1)) ++steps;
    ClearRecord();
    SetFieldText(1, "NEW");
    Append();
  }
  CloseAll();
  return 0;
}
