// A ruled table of short texts drawn into the current CAD drawing: a header
// row in a box, then data rows added downwards, each closed by a line, with
// column separators. Column widths count in character widths of the text
// height, so a table scales with its text. A header cell without a title
// joins the cell before it. A text that is longer than its cell is written
// smaller so that it stays inside the cell. Qt-free.
#pragma once

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "framework/types.h"

constexpr int kDrawTableColumns = 7;

class TDrawTable {
 public:
  // Creates the table with its left edge x, top edge y and text height h,
  // and draws the header row. widths: up to seven column widths in character
  // widths (0, or a width that does not move right, ends the columns);
  // title1 and titles: the titles of column 1 and of columns 2 to 7.
  static std::unique_ptr<TDrawTable> Init(const std::string& title1, Extended x, Extended y,
                                          Extended h, std::initializer_list<Extended> widths,
                                          std::initializer_list<std::string> titles = {});

  // One data row below the previous one; missing cells are empty.
  void AddRow(const std::vector<std::string>& cells);
  // Outer left and right edges on the following data rows (on at creation).
  void SetOuterLines() { OuterLines = 1; }
  void ClearOuterLines() { OuterLines = 0; }
  // The table is complete; nothing more is drawn.
  void Done() {}

  int Columns() const { return Bounds > 0 ? Bounds - 1 : 0; }

  // While a Measure lives, tables draw nothing and only note the lowest
  // edge they reach, so that a sheet can make room for rows it cannot count
  // in advance.
  class Measure {
   public:
    Measure();
    ~Measure();
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;
    // The lowest bottom edge of the tables so far (the given start without any).
    Extended Lowest(Extended start) const;
  };
  Extended Boundary(int k) const { return X[k]; }

  std::array<Extended, kDrawTableColumns + 1> X{};  // column boundaries x0..x7
  Extended YTop = 0;   // top edge
  Extended YRow = 0;   // bottom edge of the row being written
  Extended YText = 0;  // text baseline of that row
  std::array<ShortString<80>, kDrawTableColumns> Cells{};
  Extended H = 0;
  Extended RowHeight = 0;
  int Bounds = 0;      // column boundaries in use, x0 included
  Byte RowLines = 1;
  Byte OuterLines = 1;

 private:
  void CountBounds();
  // header: a cell reaches over the empty cells after it.
  void WriteRowTexts(bool header = false);
  void StoreCells(const std::vector<std::string>& cells);
};
