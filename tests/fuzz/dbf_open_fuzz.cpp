// libFuzzer target: open a table from arbitrary bytes and read every field
// of every record, moving forwards and backwards, numbers also through their
// six-byte form; then load the table into a virtual file sorted by its first
// field, which must hold its records in that order; then change, delete and
// append records, which must read back as last written.
#include "engine_start.h"

#include <cmath>

#include "dbf/vfiles.h"
#include "framework/math_utils.h"

namespace {

std::string FirstField(void*) { return GetFieldText(1); }

// Exclusive reads come from kept pages: after a mix of changes, deletes and
// appends that `seed` picks, every record reads as last written, in this
// program and after the table is opened again shared. The model holds each
// record's text of the first character field and its deleted flag.
void WritesReadBack(const std::string& path, std::uint32_t seed) {
  Use(path + " EXCLUSIVE");
  int field = 0;
  for (int f = 1; SelectedWorkArea() && f <= FieldCount() && field == 0; ++f)
    if (FieldType(f) == 'C') field = f;
  if (field == 0 || RecCount() > 2000) return;
  std::vector<std::string> text;
  std::vector<bool> gone;
  for (int r = 1; r <= RecCount() && TzLastError == 0; ++r) {
    Go(r);
    text.push_back(GetFieldText(field));
    gone.push_back(Deleted());
  }
  // Whether record r reads as the model says; an error ends the check.
  auto same = [&](int r) {
    Go(r);
    return TzLastError != 0 || (GetFieldText(field) == text[r - 1] && Deleted() == gone[r - 1]);
  };
  for (int step = 0; step < 3000 && TzLastError == 0; ++step) {
    seed = seed * 1103515245u + 12345u;
    int r = text.empty() ? 0 : static_cast<int>((seed >> 8) % text.size()) + 1;
    // Stored cut to the field's length and filled with blanks.
    std::string value = ("W" + std::to_string(seed % 9973)).substr(0, FieldLen(field));
    value.resize(FieldLen(field), ' ');
    switch (r == 0 ? 1 : (seed >> 24) % 4) {
      case 0:
        Go(r);
        SetFieldText(field, value);
        text[r - 1] = value;
        Replace();
        break;
      case 1:
        ClearRecord();
        SetFieldText(field, value);
        text.push_back(value);
        gone.push_back(false);
        Append();
        break;
      case 2:
        Go(r);
        DeleteRec();
        gone[r - 1] = true;
        break;
      default:
        if (!same(r)) __builtin_trap();
    }
  }
  if (TzLastError != 0) return;
  CloseAll();
  Use(path);
  if (static_cast<std::size_t>(RecCount()) != text.size()) __builtin_trap();
  for (int r = 1; r <= RecCount(); ++r)
    if (!same(r)) __builtin_trap();
}

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
  WritesReadBack(path, static_cast<std::uint32_t>(size));
  CloseAll();
  return 0;
}
