// libFuzzer target: open a table from arbitrary bytes and read every field
// of every record, moving forwards and backwards; then load the table into a
// virtual file sorted by its first field, which must hold its records in
// that order.
#include "engine_start.h"

#include "dbf/vfiles.h"

namespace {

std::string FirstField(void*) { return GetFieldText(1); }

}  // namespace

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
  static std::uint8_t record[65535];
  Use("loaded VIRTUAL FILE ASCENDING", record, sizeof record);
  Set_VFileKey_To(FirstField, nullptr);
  if (ReadVFileFromDisk(path, false) > 0) {
    std::string last;
    for (GoTop(); !dEOF(); Skip(1)) {
      std::string key = GetFieldText(1);
      if (key < last) __builtin_trap();
      last = key;
    }
  }
  CloseAll();
  return 0;
}
