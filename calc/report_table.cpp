#include "calc/report_table.h"

#include "framework/text_output.h"
#include "framework/text_utils.h"

namespace {

std::string RightAligned(std::string_view c, int width) {
  const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
  if (c.size() >= w) return std::string(c.substr(0, w));
  return std::string(w - c.size(), ' ') + std::string(c);
}

}  // namespace

void TTableWriter::Init(int firstWidth, std::initializer_list<std::string_view> titles,
                        std::initializer_list<int> widths) {
  const TOutputDevice d = GetOutputDevice();
  html_ = d == kDeviceHtml;
  tabs_ = d == kDeviceTxt || d == kDeviceBatchTxt;
  widths_.assign(1, firstWidth);
  for (int w : widths) {
    if (w == 0) break;
    widths_.push_back(w);
  }
  if (html_) {
    CloseHtmlTable();
    std::string row = "<TABLE BORDER=1><TR>";
    for (auto t : titles) row += "<TH>" + HtmlEscape(t) + "</TH>";
    OutputWriteRaw(row + "</TR>");
    return;
  }
  OutputLine(Line(titles, true));
}

std::string TTableWriter::Line(std::initializer_list<std::string_view> cells, bool title) const {
  std::string line;
  std::size_t i = 0;
  for (auto c : cells) {
    if (i >= widths_.size()) break;
    if (tabs_) {
      if (i) line += '\t';
      line += title ? TrimRightText(c) : RowDecimalText(TrimRightText(c));
    } else if (i == 0) {
      line += PadRight(c, widths_[0]);
    } else {
      // Numbers come formatted to their width; a text the caller padded
      // (a material name) keeps its blanks and so stays left in its column.
      line += title ? PadRight(c, widths_[i]) : RightAligned(c, widths_[i]);
    }
    ++i;
  }
  return tabs_ ? line : TrimRightText(line).empty() ? "" : line;
}

void TTableWriter::WriteRow(std::initializer_list<std::string_view> cells) {
  if (html_) {
    std::string row = "<TR>";
    std::size_t i = 0;
    for (auto c : cells) {
      if (i >= widths_.size()) break;
      row += i ? "<TD ALIGN=RIGHT>" : "<TD>";
      row += HtmlEscape(TrimRightText(c)) + "</TD>";
      ++i;
    }
    OutputWriteRaw(row + "</TR>");
    return;
  }
  OutputLine(Line(cells, false));
}

void TTableWriter::Done() {
  if (html_) OutputWriteRaw("</TABLE>");
}
