// A table of the report with one row per bolt section or plate, laid out by
// the current text output device: padded columns on text devices, TAB
// separated on the spreadsheet text devices, an HTML table on the HTML device.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class TTableWriter {
 public:
  // Width of the first column, the column titles (at most seven) and the
  // widths of the further columns (a width of 0 ends the row). Writes the
  // title row.
  void Init(int firstWidth, std::initializer_list<std::string_view> titles,
            std::initializer_list<int> widths);
  // The first cell and the further cells (right-aligned).
  void WriteRow(std::initializer_list<std::string_view> cells);
  // Ends the table ("</TABLE>" on the HTML device).
  void Done();

 private:
  std::string Line(std::initializer_list<std::string_view> cells, bool title) const;

  std::vector<int> widths_;  // first column first
  bool html_ = false;
  bool tabs_ = false;
};
