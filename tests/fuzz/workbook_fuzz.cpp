// libFuzzer target of the workbook reader (Import Excel). The first byte
// picks the input's form and the column read: even, the rest is the workbook
// file itself; odd, the rest holds the texts of the sheet, the shared
// strings, the styles, the workbook and its relations, separated by NUL, put
// into a zip archive. A column that is read goes through the project reader
// as the import does.
#include "fuzz_common.h"

#include <zip.h>

#include "app/spreadsheet.h"
#include "app/workbook_module.h"
#include "calc/init.h"
#include "calc/project_file.h"
#include "framework/charset.h"
#include "platform/modules.h"
#include "platform/qt_text.h"

namespace {

// The parts as the entries of a workbook archive; false when it cannot be written.
bool WriteArchive(const std::string& path, std::string_view parts) {
  static const char* const kEntries[] = {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml",
                                         "xl/workbook.xml", "xl/_rels/workbook.xml.rels"};
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!zip) return false;
  std::size_t start = 0;
  for (const char* entry : kEntries) {
    if (start > parts.size()) break;
    const std::size_t end = std::min(parts.find('\0', start), parts.size());
    zip_source_t* source = zip_source_buffer(zip, parts.data() + start, end - start, 0);
    const zip_int64_t index = source ? zip_file_add(zip, entry, source, ZIP_FL_OVERWRITE) : -1;
    if (index < 0) {
      zip_source_free(source);
      zip_discard(zip);
      return false;
    }
    zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    start = end + 1;
  }
  return zip_close(zip) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzStart();
  // Without the workbook module every input would only be refused.
  static const bool moduleFound = [] {
    std::string error;
    return platform::ModuleSymbol(kWorkbookModule, "Bq4ReadZipEntry", error) != nullptr;
  }();
  if (!moduleFound) __builtin_trap();
  if (size < 1) return 0;
  const std::string path = FuzzPath("book.xlsx");
  const std::string_view rest = FuzzText(data + 1, size - 1);
  if (data[0] % 2 == 0)
    WriteFuzzFile(path, rest.data(), rest.size());
  else if (!WriteArchive(path, rest))
    return 0;
  std::vector<std::string> texts;
  std::string error;
  if (!ReadWorkbookColumn(path, 1 + data[0] / 2 % 3, texts, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  if (texts.size() > 1048576) __builtin_trap();
  InitCalcModules();
  std::vector<std::string> lines;
  for (const std::string& cell : texts)
    lines.push_back(AnsiToOemText(platform::DisplayFromQString(QString::fromStdString(cell))));
  ReadCalcLines(lines, error);
  return 0;
}
