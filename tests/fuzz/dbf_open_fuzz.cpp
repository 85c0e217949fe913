// libFuzzer target: open a table from arbitrary bytes and read every field
// of every record, moving forwards and backwards, numbers also through their
// six-byte form; then load the table into a
// virtual file sorted by its first field, which must hold its records in
// that order.
#include "engine_start.h"

#include <cmath>

#include "dbf/vfiles.h"
#include "framework/math_utils.h"

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
      for (int f = 1; f <= FieldCount(); ++f) {
        (void)FieldAsString(f);
        // A number in the six-byte form that typed records keep reads back as the framework rounds it.
        long double v = FieldType(f) == 'N' ? std::fabs(ValReal(GetFieldText(f))) : 0;
        if (v < 0x1p-60L || v > 0x1p60L) continue;
        std::uint8_t real[6];
        ExtendedToReal48(v, real);
        if (Real48ToExtended(real) != RoundToReal48(v)) __builtin_trap();
      }
    GoBottom();
    Skip(-1);
    Go(RecCount());
  }
  CloseAll();
  static std::uint8_t record[65535];
  Use("loaded VIRTUAL FILE ASCENDING", record, sizeof record);
  Set_VFileKey_To(FirstField, nullptr);
  if (ReadVFileFromDisk(path, false, true) > 0) {
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
