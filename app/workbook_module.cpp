// The workbook module: libxlsxwriter and libzip behind a small C interface.
#include "app/workbook_module.h"

#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The library writes numbers with the C library's printf: in the "C" locale
// while a workbook is written, so that a number cell holds "1.75" and no
// "1,75" that no spreadsheet program reads as a number.
class CNumbersScope {
 public:
  CNumbersScope()
      : c_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))),
        previous_(c_ ? uselocale(c_) : static_cast<locale_t>(nullptr)) {}
  ~CNumbersScope() {
    if (!c_) return;
    uselocale(previous_);
    freelocale(c_);
  }
  CNumbersScope(const CNumbersScope&) = delete;
  CNumbersScope& operator=(const CNumbersScope&) = delete;

 private:
  locale_t c_;
  locale_t previous_;
};

// Characters a number shows in its format ("0.000", "0.00E+00").
std::size_t ShownWidth(double value, const char* format) {
  const std::string f = format ? format : "";
  const std::size_t e = f.find('E'), dot = f.find('.');
  const std::size_t decimals = dot == std::string::npos ? 0 : (e == std::string::npos ? f.size() : e) - dot - 1;
  std::size_t whole = 1;
  if (e == std::string::npos)
    for (double a = std::fabs(value); a >= 10 && whole < 400; a /= 10) ++whole;
  return whole + (decimals ? decimals + 1 : 0) + (e == std::string::npos ? 0 : f.size() - e) + (value < 0 ? 1 : 0);
}

// A column narrower than its numbers shows "###" in their place.
constexpr double kDefaultColumnWidth = 8.43;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int Bq4WriteWorkbook(const char* path, const Bq4WorkbookCell* cells,
                                                            std::size_t count, char* error,
                                                            std::size_t errorSize) {
  CNumbersScope numbers;
  lxw_workbook* book = workbook_new(path);
  if (!book) {
    std::snprintf(error, errorSize, "file %s cannot be created", path);
    return 1;
  }
  lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
  std::map<std::string, lxw_format*> formats;
  std::map<lxw_col_t, std::size_t> numberWidths;
  for (std::size_t i = 0; i < count; ++i) {
    const Bq4WorkbookCell& cell = cells[i];
    if (cell.isNumber) {
      lxw_format*& format = formats[cell.format];
      if (!format) {
        format = workbook_add_format(book);
        format_set_num_format(format, cell.format);
      }
      worksheet_write_number(sheet, cell.row, static_cast<lxw_col_t>(cell.column), cell.value, format);
      std::size_t& width = numberWidths[static_cast<lxw_col_t>(cell.column)];
      width = std::max(width, ShownWidth(cell.value, cell.format));
    } else {
      worksheet_write_string(sheet, cell.row, static_cast<lxw_col_t>(cell.column), cell.text, nullptr);
    }
  }
  for (const auto& [column, width] : numberWidths)
    if (static_cast<double>(width) > kDefaultColumnWidth)
      worksheet_set_column(sheet, column, column, static_cast<double>(width) + 1, nullptr);
  const lxw_error result = workbook_close(book);
  if (result != LXW_NO_ERROR) {
    std::snprintf(error, errorSize, "file %s cannot be written (%s)", path, lxw_strerror(result));
    return 1;
  }
  return 0;
}

__attribute__((visibility("default"))) int Bq4ReadZipEntry(const char* path, const char* entry,
                                                           std::size_t maxSize, unsigned char** data,
                                                           std::size_t* size) {
  *data = nullptr;
  *size = 0;
  // Opened without waiting, and only a regular file: a FIFO or device in the
  // workbook's place never stops the program.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return 1;
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    ::close(fd);
    return 1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  int openError = 0;
  zip_t* zip = zip_fdopen(fd, 0, &openError);  // owns the descriptor once open
  if (!zip) {
    ::close(fd);
    return 1;
  }
  if (!entry) {  // only whether the archive opens
    zip_discard(zip);
    return 0;
  }
  int result = 2;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat(zip, entry, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE) && st.size <= maxSize) {
    if (zip_file_t* file = zip_fopen(zip, entry, 0)) {
      auto* buffer = static_cast<unsigned char*>(std::malloc(st.size ? st.size : 1));
      const zip_int64_t n = buffer ? zip_fread(file, buffer, st.size) : -1;
      zip_fclose(file);
      if (n == static_cast<zip_int64_t>(st.size)) {
        *data = buffer;
        *size = static_cast<std::size_t>(st.size);
        result = 0;
      } else {
        std::free(buffer);
      }
    }
  }
  zip_discard(zip);
  return result;
}
}
