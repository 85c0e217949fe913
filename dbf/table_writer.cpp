#include "dbf/table_writer.h"

#include "framework/text_output.h"
#include "framework/text_utils.h"

namespace {

bool HtmlDevice() { return GetOutputDevice() == kDeviceHtml; }
bool TabDevice() { return GetOutputDevice() == kDeviceTxt || GetOutputDevice() == kDeviceBatchTxt; }

// Cut or padded in front to the width; a text the caller padded (a material
// name) keeps its blanks and so stays left in its column.
std::string RightAligned(std::string_view c, int width) {
  const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
  if (c.size() >= w) return std::string(c.substr(0, w));
  return std::string(w - c.size(), ' ') + std::string(c);
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
  OutputLineAll(PadRight(cells_[0].view(), widths_[0]));
  for (int i = 1; i < n; ++i)
    OutputWriteRawText(PadRight(cells_[static_cast<std::size_t>(i)].view(), widths_[static_cast<std::size_t>(i)]));
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
  for (int i = 0; i < n; ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    const std::string_view c = cells_[k].view();
    if (tabs) {
      if (i) line += '\t';
      line += TabFieldText(header ? TrimRightText(c) : RowDecimalText(TrimRightText(c)));
    } else if (i == 0 || header) {
      line += PadRight(c, widths_[k]);
    } else {
      line += RightAligned(c, widths_[k]);
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
