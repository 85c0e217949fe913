#include "dbf/table_writer.h"

#include <algorithm>

#include "framework/number_format.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"

namespace {

bool HtmlDevice() { return GetOutputDevice() == kDeviceHtml; }
bool TabDevice() { return GetOutputDevice() == kDeviceTxt || GetOutputDevice() == kDeviceBatchTxt; }

// The cell right-aligned in its column, which ends at end (a position in
// the line), at least one blank after the text before it. A cell without
// that room: a number is fitted into what is left of its column (exponent
// form or "*"s); a text follows whole after one blank.
void AppendCell(std::string& line, std::string_view c, std::size_t end) {
  const std::size_t first = c.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    line.resize(std::max(line.size(), end), ' ');
    return;
  }
  const std::size_t used = line.find_last_not_of(' ') + 1;  // 0 when blank
  const std::size_t earliest = used == 0 ? 0 : used + 1;
  if (c.size() <= end && end - c.size() + first >= earliest) {
    line.resize(end - c.size() + first, ' ');
    line += c.substr(first);
    return;
  }
  const std::string_view trimmed = c.substr(first, c.find_last_not_of(' ') - first + 1);
  const std::size_t room = end > earliest ? end - earliest : 0;
  const std::string text = room > 0 ? FitNumberToField(trimmed, static_cast<int>(room)) : std::string(trimmed);
  line.resize(text.size() <= room ? end - text.size() : earliest, ' ');
  line += text;
}

// The cell left in its column, which starts at begin, and padded to the
// column's width; a cell too long for it follows the text before it whole,
// after one blank.
void AppendLeftCell(std::string& line, std::string_view c, std::size_t begin, std::size_t width) {
  const std::size_t used = line.find_last_not_of(' ') + 1;  // 0 when blank
  const std::size_t at = std::max(begin, used == 0 ? 0 : used + 1);
  const std::string text = c.size() <= width && at == begin ? std::string(c) : TrimRightText(c);
  line.resize(at, ' ');
  line += text;
  line.resize(std::max(line.size(), begin + width), ' ');
}

// A cell padded or cut to its column's width. A number too wide for its
// column is printed as "*"s: cut, it would read as another number.
std::string PaddedCell(std::string_view c, int width, bool data) {
  const std::size_t last = c.find_last_not_of(' ');
  if (data && width > 0 && last != std::string_view::npos && last >= static_cast<std::size_t>(width)) {
    const std::size_t first = c.find_first_not_of(' ');
    Extended v = 0;
    if (TryTextToFloat(c.substr(first, last - first + 1), v)) return std::string(static_cast<std::size_t>(width), '*');
  }
  return PadRight(c, width);
}

}  // namespace

int TTableWriter::ColumnCount() const {
  int n = 2;
  while (n < 7 && widths_[static_cast<std::size_t>(n)] != 0) ++n;
  return n;
}

void TTableWriter::Init(const Widths& widths, const Texts& titles) {
  widths_ = widths;
  for (std::size_t i = 0; i < 7; ++i) cells_[i] = titles[i];
  if (layout_ == Layout::Compact) {
    if (HtmlDevice()) CloseHtmlTable();
    WriteCompactLine(true);
    return;
  }
  if (HtmlDevice()) OutputWriteRaw("<TABLE BORDER = \"1\" WIDTH= \"100%\">");
  else if (!TabDevice()) OutputLine(RuleLineText());
  WriteLine(true);
  if (!HtmlDevice() && !TabDevice()) OutputLine(RuleLineText());
}

void TTableWriter::WriteRow(const Texts& cells) {
  for (std::size_t i = 0; i < 7; ++i) cells_[i] = cells[i];
  if (layout_ == Layout::Compact) {
    WriteCompactLine(false);
    return;
  }
  WriteLine(false);
  if (!HtmlDevice() && !TabDevice()) OutputLine(SeparatorLine());
}

void TTableWriter::WriteLine(bool header) {
  const int n = ColumnCount();
  if (HtmlDevice()) {
    // The output layer turns the line into the display code page.
    std::string line = "<TR>";
    for (int i = 0; i < n; ++i) {
      std::string text = HtmlEscape(cells_[static_cast<std::size_t>(i)].view());
      if (header) line += "<TD><CENTER>" + text + "</CENTER></TD>";
      else if (i == 0) line += "<TD>" + text + "</TD>";
      else line += "<TD><DIV ALIGN=RIGHT>" + text + "</DIV></TD>";
    }
    OutputWriteRaw(line + "</TR>");
    return;
  }
  if (TabDevice()) {
    OutputLineAll(cells_[0].view());
    for (int i = 1; i < n; ++i) OutputWriteRawText("\t" + TabFieldText(cells_[static_cast<std::size_t>(i)].view()));
    OutputWriteRaw("");
    return;
  }
  OutputLineAll(PaddedCell(cells_[0].view(), widths_[0], !header));
  for (int i = 1; i < n; ++i)
    OutputWriteRawText(
        PaddedCell(cells_[static_cast<std::size_t>(i)].view(), widths_[static_cast<std::size_t>(i)], !header));
  OutputWriteRaw(" ");
}

void TTableWriter::WriteCompactLine(bool header) {
  const int n = ColumnCount();
  std::string line;
  if (HtmlDevice()) {
    line = header ? "<TABLE BORDER=1><TR>" : "<TR>";
    for (int i = 0; i < n; ++i) {
      const std::string_view c = cells_[static_cast<std::size_t>(i)].view();
      if (header) line += "<TH>" + HtmlEscape(c) + "</TH>";
      else line += (i ? "<TD ALIGN=RIGHT>" : "<TD>") + HtmlEscape(TrimRightText(c)) + "</TD>";
    }
    OutputWriteRaw(line + "</TR>");
    return;
  }
  const bool tabs = TabDevice();
  std::size_t end = 0;  // where the column ends
  for (int i = 0; i < n; ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    const std::string_view c = cells_[k].view();
    const std::size_t width = static_cast<std::size_t>(std::max(widths_[k], 0));
    end += width;
    if (tabs) {
      if (i) line += '\t';
      line += TabFieldText(header ? TrimRightText(c) : RowDecimalText(TrimRightText(c)));
    } else if (i == 0 || header) {
      AppendLeftCell(line, c, end - width, width);
    } else {
      AppendCell(line, c, end);
    }
  }
  if (tabs)
    OutputTabLine(line);
  else
    OutputLine(TrimRightText(line).empty() ? "" : line);
}

void TTableWriter::Done() {
  if (HtmlDevice()) OutputWriteRaw("</TABLE>");
}
