// The lines of the text printout that depend only on their texts and the
// display mode: framed, ruled and separator lines, table rows, HTML text.
#include <algorithm>
#include <string>

#include "framework/globals.h"
#include "framework/number_format.h"
#include "framework/text_output.h"

namespace {

std::string RepeatChar(char c, std::size_t n) { return std::string(n, c); }

std::string FrameLine(char left, char fill, char right) {
  std::string s(1, left);
  s += RepeatChar(fill, 68);
  s += right;
  return s;
}

}  // namespace

std::string InsertAtColumn(std::string Line, std::size_t Col, std::string_view Text, std::size_t Width) {
  std::size_t pos = Col == 0 ? 0 : Col - 1;
  if (pos > Line.size()) pos = Line.size();
  Line.insert(pos, Text);
  if (Line.size() > Width) Line.resize(Width);
  return Line;
}

std::string TableRowLine(std::string_view Name, std::string_view Value1, std::string_view Value2,
                         std::string_view Value3) {
  constexpr std::size_t kValueEnd = kLineWidth;  // the value field ends with the line
  std::string line(Name);
  // Text at its column, or one blank after the text before it where that
  // runs long, so that no text runs into or splits another.
  const auto startColumn = [&line](std::size_t column) {
    const std::size_t used = line.find_last_not_of(' ') + 1;  // 0 when blank
    return used == 0 ? column : std::max(column, used + 2);
  };
  const auto put = [&line](std::size_t column, std::string_view text) {
    line.resize(column - 1, ' ');
    line += text;
  };
  if (!Value1.empty()) put(startColumn(ColumnPositions[0]), Value1);
  if (!Value2.empty()) put(startColumn(ColumnPositions[1]), Value2);
  // The value keeps its place in its field when the texts before it leave
  // room; else it follows them, and a number wider than what is left up to
  // the field's end is fitted (exponent form or "*"s). A wide text (a range
  // of two numbers) moves left into the blanks before the field instead.
  const std::size_t first = Value3.find_first_not_of(' ');
  if (first != std::string_view::npos) {
    const std::size_t start = startColumn(RowValue3Column);
    if (RowValue3Column + first >= start && RowValue3Column + Value3.size() - 1 <= kValueEnd) {
      put(RowValue3Column + first, Value3.substr(first));
    } else {
      const std::string_view trimmed = Value3.substr(first, Value3.find_last_not_of(' ') - first + 1);
      const std::size_t room = start <= kValueEnd ? kValueEnd - start + 1 : 1;
      const std::string text = FitNumberToField(trimmed, static_cast<int>(room));
      if (text.size() <= room) put(start, text);
      else put(std::max(startColumn(1), kValueEnd + 1 - std::min(text.size(), kValueEnd)), text);
    }
  }
  line.resize(kLineWidth, ' ');
  return line;
}

std::string HtmlEscape(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (char c : Text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string SeparatorLine() {
  switch (PrintoutDisplayMode) {
    case 1: return RepeatChar('-', 70);
    case 2: return RepeatChar('\xC4', 70);
    case 3: return RepeatChar(' ', 70);
    default: return std::string(kNoLine);
  }
}

std::string RuleLineText() {
  switch (PrintoutDisplayMode) {
    case 1: return RepeatChar('=', 70);
    case 2: return RepeatChar('\xCD', 70);
    case 3: return RepeatChar(' ', 70);
    default: return std::string(kNoLine);
  }
}

std::string FrameTopLine() {
  switch (PrintoutDisplayMode) {
    case 1: return RepeatChar('*', 70);
    case 2: return FrameLine('\xC9', '\xCD', '\xBB');
    case 3: return RepeatChar(' ', 70);
    default: return std::string(kNoLine);
  }
}

std::string FrameBottomLine() {
  switch (PrintoutDisplayMode) {
    case 1: return RepeatChar('*', 70);
    case 2: return FrameLine('\xC8', '\xCD', '\xBC');
    case 3: return RepeatChar(' ', 70);
    default: return std::string(kNoLine);
  }
}

std::string FrameMiddleLine() {
  switch (PrintoutDisplayMode) {
    case 1: return RepeatChar('*', 70);
    case 2: return FrameLine('\xCC', '\xCD', '\xB9');
    case 3: return RepeatChar(' ', 70);
    default: return std::string(kNoLine);
  }
}

char FrameChar() {
  switch (PrintoutDisplayMode) {
    case 1: return '*';
    case 2: return '\xBA';
    default: return ' ';
  }
}
