// libFuzzer target of the table dialog's imports. The first byte picks the
// import: even, the rest is a delimited text (delimiter and quote picked by
// the byte too) appended to a table of every field type, written out again
// and appended to an empty table, which must read the same; odd, the rest is
// a source table whose fields are matched by name.
#include "engine_start.h"

#include <cmath>

#include "dbf/import_export.h"

namespace {

const TDbfFieldEntry kFields[] = {{"NAME", 'C', 12}, {"NUM", 'N', 9, 2}, {"COUNT", 'N', 4},
                                  {"DAY", 'D', 8},   {"FLAG", 'L', 1},   {"RATE", 'F', 10, 3}};

// A fresh, empty destination table.
std::string EmptyTable(const std::string& name) {
  const std::string path = FuzzPath(name);
  std::remove(path.c_str());
  TDbfWorkArea wa;
  CreateDbf(wa, path, static_cast<int>(std::size(kFields)), kFields);
  return path;
}

// Every field of every record as the table shows it; numbers by value.
std::vector<std::string> Contents() {
  std::vector<std::string> rows;
  for (GoTop(); !dEOF() && TzLastError == 0; Skip(1)) {
    std::string row;
    for (int f = 1; f <= FieldCount(); ++f)
      row += (FieldType(f) == 'N' || FieldType(f) == 'F' ? std::to_string(static_cast<double>(GetFieldValue(f)))
                                                         : AllTrim(GetFieldText(f))) +
             "|";
    rows.push_back(row);
  }
  return rows;
}

void Delimited(std::uint8_t pick, const std::uint8_t* data, std::size_t size) {
  static const char kDelimiters[] = {',', ';', '\t', '|'};
  static const char kQuotes[] = {'"', '\'', 0, '"'};
  DelimiterChar = kDelimiters[(pick >> 1) % 4];
  QuoteChar = kQuotes[(pick >> 3) % 4];
  const std::string text = WriteFuzzFile(FuzzPath("import.txt"), data, size);
  Use(EmptyTable("import.dbf") + " EXCLUSIVE");
  const std::int32_t appended = AppendFromDelimited(text, false);
  if (TzLastError != 0 || appended != RecCount()) return;
  const std::vector<std::string> first = Contents();
  const std::string copy = FuzzPath("export.txt");
  if (CopyToDelimited(copy) != appended) __builtin_trap();
  CloseAll();
  // Unquoted texts cannot hold the delimiter, so only quoted ones come back whole.
  if (QuoteChar == 0) return;
  Use(EmptyTable("again.dbf") + " EXCLUSIVE");
  if (AppendFromDelimited(copy, false) != appended || Contents() != first) __builtin_trap();
}

void FromTable(const std::uint8_t* data, std::size_t size) {
  const std::string source = WriteFuzzFile(FuzzPath("source.dbf"), data, size);
  Use(EmptyTable("target.dbf") + " EXCLUSIVE");
  int asked = 0;
  AppendFrom(source, [&] { return ++asked < 2000; });
  (void)Contents();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EngineFuzzStart();
  if (size < 1) return 0;
  if (data[0] % 2 == 0)
    Delimited(data[0], data + 1, size - 1);
  else
    FromTable(data + 1, size - 1);
  CloseAll();
  return 0;
}
