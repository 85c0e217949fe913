// A table of up to seven columns written to the current text output device:
// an HTML table on the HTML device, TAB-separated lines on the spreadsheet
// text devices, padded columns on every other device.
// Columns 1 and 2 are always written; from column 3 on, the first width of 0
// ends the row. Titles and cells are cut to 60 characters.
#pragma once

#include <array>
#include <string>

#include "framework/types.h"

class TTableWriter {
 public:
  using Widths = std::array<int, 7>;
  using Texts = std::array<std::string, 7>;

  // Ruled: the table dialog's print-out, rule lines around the title row and
  // a separator line under every row, cells left in their columns.
  // Compact: the report's tables, no rule or separator lines, further cells
  // right-aligned in their columns, TAB rows with the configured decimal sign
  // and an HTML table with a title row.
  enum class Layout { Ruled, Compact };

  TTableWriter() = default;
  explicit TTableWriter(Layout layout) : layout_(layout) {}

  // Stores widths and titles and writes the title row.
  void Init(const Widths& widths, const Texts& titles);
  // Stores the cells and writes one data row.
  void WriteRow(const Texts& cells);
  // Ends the table ("</TABLE>" on the HTML device).
  void Done();

 private:
  int ColumnCount() const;
  void WriteLine(bool header);
  void WriteCompactLine(bool header);

  Layout layout_ = Layout::Ruled;
  Widths widths_{};
  std::array<ShortString<60>, 7> cells_;
};
