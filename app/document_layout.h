// The calculation document's content and page layout, without a painter:
// the report's TAB-separated lines sorted into headings, value rows and
// tables, the verdict over the calculation messages, and the placing of
// blocks of known height on pages. Qt-free; app/calculation_document.cpp
// paints what this decides.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One line of the report as the document shows it.
struct TReportLine {
  enum Kind { kBlank, kHeading, kRow, kTableRow };
  Kind kind = kBlank;
  // kHeading: the text; kRow: description, symbol, unit, value; kTableRow:
  // the cells. UTF-8.
  std::vector<std::string> cells;
};

// Index of the first line after a text output's header: the line after
// the first " " line among the first six, else 0.
std::size_t FirstBodyLine(const std::vector<std::string>& lines);

// The report body from the lines of the TAB-separated report (UTF-8): the
// header lines before the first " " line are left out, and so is the
// messages section, which the document shows with explanations of its own.
std::vector<TReportLine> ReportLinesForDocument(const std::vector<std::string>& lines);

// The messages of the calculation by kind: a text without a kind prefix
// counts as the calculation classes it (a failed check is an error).
struct TMessageCounts {
  int fatal = 0;
  int errors = 0;
  int warnings = 0;
};
TMessageCounts CountMessages(const std::vector<std::string>& messages);
// "no errors", or the counts: "2 errors, 1 warning".
std::string VerdictText(const TMessageCounts& counts);

// A block of the document: its height, whether it starts a page of its own,
// and whether it stays on the page of the block after it (a heading).
struct TLayoutBlock {
  double height = 0;
  bool newPage = false;
  bool keepWithNext = false;
};

// The page (from 0) of every block on pages of the given height. A block
// taller than a page gets a page of its own and is never preceded by an
// empty page.
std::vector<int> PaginateBlocks(const std::vector<TLayoutBlock>& blocks, double pageHeight);

// The drawing scale of a drawing that fits its box at fitScale (paper length
// per true length): the largest standard scale (1:1, 2:1, 5:1, 10:1, 1:2,
// 1:5, 1:10 and their tenfold steps) that is not above it.
double StandardDrawingScale(double fitScale);
// "1:1", "1:5", "2:1".
std::string DrawingScaleText(double scale);
