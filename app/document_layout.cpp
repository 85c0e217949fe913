#include "app/document_layout.h"

#include <cstddef>
#include <string_view>

#include "calc/calculation.h"

namespace {

constexpr std::string_view kMessagesHeading = "REMARKS, WARNINGS AND ERROR MESSAGES";
// The report's header on the TAB device: title, file, three header lines,
// then a line of one blank.
constexpr std::size_t kMaxHeaderLines = 6;

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t from = 0;
  for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
    cells.push_back(line.substr(from, tab - from));
  cells.push_back(line.substr(from));
  return cells;
}

std::string Plural(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

std::size_t FirstBodyLine(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size() && i < kMaxHeaderLines; ++i)
    if (lines[i] == " ") return i + 1;
  return 0;
}

std::vector<TReportLine> ReportLinesForDocument(const std::vector<std::string>& lines) {
  std::vector<TReportLine> out;
  bool inTable = false;
  for (std::size_t i = FirstBodyLine(lines); i < lines.size(); ++i) {
    std::string line = lines[i];
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == kMessagesHeading) break;
    TReportLine r;
    if (line.find_first_not_of(' ') == std::string::npos) {
      inTable = false;
    } else if (line.find('\t') == std::string::npos) {
      inTable = false;
      r.kind = TReportLine::kHeading;
      r.cells = {line};
    } else {
      r.cells = SplitTabs(line);
      // A table starts with its column titles "i", ...; a value row has
      // exactly description, symbol, unit and value.
      if (r.cells.front() == "i") inTable = true;
      r.kind = inTable || r.cells.size() != 4 ? TReportLine::kTableRow : TReportLine::kRow;
    }
    out.push_back(std::move(r));
  }
  while (!out.empty() && out.back().kind == TReportLine::kBlank) out.pop_back();
  return out;
}

TMessageCounts CountMessages(const std::vector<std::string>& messages) {
  TMessageCounts c;
  for (const auto& m : messages) {
    switch (KindOfCalcMessage(m)) {
      case CalcMessageKind::Fatal: ++c.fatal; break;
      case CalcMessageKind::Error: ++c.errors; break;
      case CalcMessageKind::Warning: ++c.warnings; break;
    }
  }
  return c;
}

std::string VerdictText(const TMessageCounts& c) {
  if (c.fatal == 0 && c.errors == 0 && c.warnings == 0) return "no errors";
  std::string text;
  if (c.fatal > 0) text = Plural(c.fatal, "fatal error") + ", ";
  return text + Plural(c.errors, "error") + ", " + Plural(c.warnings, "warning");
}

std::vector<int> PaginateBlocks(const std::vector<TLayoutBlock>& blocks, double pageHeight) {
  std::vector<int> pages(blocks.size(), 0);
  int page = 0;
  double y = 0;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const TLayoutBlock& b = blocks[i];
    // A heading goes on with the block it heads, as long as the two fit a page.
    double needed = b.height;
    if (b.keepWithNext && i + 1 < blocks.size() && b.height + blocks[i + 1].height <= pageHeight)
      needed += blocks[i + 1].height;
    if (y > 0 && (b.newPage || y + needed > pageHeight)) {
      ++page;
      y = 0;
    }
    pages[i] = page;
    y += b.height;
  }
  return pages;
}

double StandardDrawingScale(double fitScale) {
  if (!(fitScale > 0)) return 1;
  // Steps of 1, 2 and 5 in each decade, from 1:100000 to 100000:1.
  static const double kSteps[] = {5, 2, 1};
  for (double decade = 1e5; decade >= 1e-5; decade /= 10)
    for (double step : kSteps)
      if (step * decade <= fitScale * (1 + 1e-9)) return step * decade;
  return 1e-5;
}

std::string DrawingScaleText(double scale) {
  auto whole = [](double v) { return std::to_string(static_cast<long long>(v + 0.5)); };
  if (scale >= 1) return whole(scale) + ":1";
  return "1:" + whole(1 / scale);
}
