// libFuzzer target: open a table from arbitrary bytes and read every field
// of every record, moving forwards and backwards.
#include "engine_start.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EngineFuzzStart();
  std::string path = WriteFuzzFile(FuzzPath("fuzz.dbf"), data, size);
  Use(path + " EXCLUSIVE");
  if (SelectedWorkArea()) {
    SetIgnoreDel(true);
    int steps = 0;
    for (GoTop(); !dEOF() && steps < 2000; Skip(1), ++steps)
      for (int f = 1; f <= FieldCount(); ++f) (void)FieldAsString(f);
    GoBottom();
    Skip(-1);
    Go(RecCount());
  }
  CloseAll();
  return 0;
}
