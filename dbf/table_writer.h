// A table of up to seven columns written to the current text output device:
// an HTML table on the HTML device, TAB-separated lines on the spreadsheet
// text devices, padded columns between rule lines on every other device.
// Columns 1 and 2 are always written; from column 3 on, the first width of 0
// ends the row. Titles and cells are cut to 60 characters.
#pragma once

#include <array>
#include <string>

#include "framework/types.h"

// Kept apart from the report's own table layout (calc/report_table.h).
inline namespace dbf_table_writer {

class TTableWriter {
 public:
  using Widths = std::array<int, 7>;
  using Texts = std::array<std::string, 7>;

  // Stores widths and titles and writes the header row.
  void Init(const Widths& widths, const Texts& titles);
  // Stores the cells and writes one data row.
  void WriteRow(const Texts& cells);
  // Ends the table ("</TABLE>" on the HTML device).
  void Done();

 private:
  int ColumnCount() const;
  void WriteLine(bool header);

  Widths widths_{};
  std::array<ShortString<60>, 7> cells_;
};

}  // namespace dbf_table_writer
