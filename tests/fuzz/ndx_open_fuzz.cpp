// libFuzzer target: attach an index file made of arbitrary bytes to a
// small table and search and move through it.
#include "engine_start.h"

#include <cstdio>

#include "dbf/dbf_file.h"
#include "dbf/index_keys.h"
#include "dbf/ndx_index.h"
#include "dbf/record_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EngineFuzzStart();
  static std::string table;
  if (table.empty()) {
    table = platform::ProcessTempDir() + "/fuzzidx.dbf";
    TDbfWorkArea wa;
    TDbfFieldEntry f[] = {{"NAME", 'C', 10}};
    CreateDbf(wa, table, 1, f);
    Use(table + " EXCLUSIVE");
    for (int i = 0; i < 200; ++i) {
      ClearRecord();
      SetFieldText(1, "K" + std::to_string(i * 37 % 101));
      Append();
    }
    CloseAll();
  }
  // Each input in a fresh file: an index the engine refused must not stand
  // in for the next input under the same name.
  static unsigned serial = 0;
  std::string path = WriteFuzzFile(FuzzPath("fuzz" + std::to_string(++serial) + ".ndx"), data, size);
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
  std::remove(path.c_str());
  return 0;
}
