#include "framework/file_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "framework/file_utils.h"
#include "framework/number_format.h"

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string ToChars(Extended x, std::chars_format fmt, int precision = -1) {
  char buf[128];
  const auto r = precision < 0 ? std::to_chars(buf, buf + sizeof buf, x, fmt)
                               : std::to_chars(buf, buf + sizeof buf, x, fmt, precision);
  if (r.ec != std::errc()) return "0";
  return std::string(buf, r.ptr);
}

const std::string kEmpty;

// "1 MB", "16 MB", "512 KB", "100 bytes".
std::string SizeText(std::size_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MB";
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

std::string FileFloatText(Extended x) {
  if (!std::isfinite(x)) return "0";
  if (x < 1 && x == std::nearbyint(x) && std::fabs(x) < 1e18L) return std::to_string(static_cast<long long>(x));
  if (std::fabs(x) < 1e15L) {
    const std::string fixed = ToChars(x, std::chars_format::fixed, 7);
    Extended back = 0;
    if (ParseFileFloat(fixed, back) && back == x) return fixed;
  }
  return ToChars(x, std::chars_format::general);
}

bool ParseFileFloat(std::string_view text, Extended& x) {
  text = TrimBlanks(text);
  Extended v = 0;
  if (!TryTextToFloat(text, v) || !std::isfinite(v)) return false;
  x = v;
  return true;
}

bool ParseFileInt(std::string_view text, long long& n) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
  n = v;
  return true;
}

bool LoadTextBytes(const std::string& path, std::string& data, std::string& error, std::size_t maxBytes) {
  data.clear();
  // A FIFO, device or folder is refused unread, and a file is read no
  // further than the limit: /dev/zero or an endless writer never fill memory.
  // A user's file: exactly the file of that name.
  std::FILE* f = OpenFileForReading(path, error, path);
  if (!f) return false;
  char buf[8192];
  std::size_t n = 0;
  bool tooLarge = false;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (data.size() + n > maxBytes) {
      tooLarge = true;
      break;
    }
    data.append(buf, n);
  }
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (readError) {
    error = "read error on file " + path;
    return false;
  }
  if (tooLarge) {
    data.clear();
    error = "file " + path + " is too large (more than " + SizeText(maxBytes) + ") !";
    return false;
  }
  return true;
}

bool LoadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error,
                   std::size_t maxBytes) {
  lines.clear();
  std::string data;
  if (!LoadTextBytes(path, data, error, maxBytes)) return false;
  lines = SplitTextLines(data);
  return true;
}

std::vector<std::string> SplitTextLines(std::string_view data) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = data.find('\n', start);
    if (end == std::string_view::npos) end = data.size();
    std::string line(data.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

const std::string& TLineCursor::Peek() const { return AtEnd() ? kEmpty : lines_[pos_]; }

bool TLineCursor::RestIsBlank() const {
  for (std::size_t i = pos_; i < lines_.size(); ++i)
    if (!TrimBlanks(lines_[i]).empty()) return false;
  return true;
}

const std::string* TLineCursor::NextLine() {
  if (AtEnd()) return nullptr;
  return &lines_[pos_++];
}

void TLineCursor::MarkNumber() {
  if (numbers_ && pos_ > 0 && pos_ <= numbers_->size()) (*numbers_)[pos_ - 1] = true;
}

void TLineCursor::Fault(const std::string& what) {
  if (fault_.empty()) fault_ = "line " + std::to_string(pos_) + ": " + what;
}

bool TLineCursor::Text(std::string& s) {
  const std::string* line = NextLine();
  if (!line) return false;
  s = *line;
  return true;
}

bool TLineCursor::Float(Extended& x) {
  const std::string* line = NextLine();
  if (!line) return false;
  if (!ParseFileFloat(*line, x)) {
    Fault("number expected, found \"" + line->substr(0, 40) + "\"");
    return false;
  }
  MarkNumber();
  return true;
}

bool TLineCursor::Int(std::int32_t& n) {
  const std::string* line = NextLine();
  if (!line) return false;
  long long v = 0;
  if (!ParseFileInt(*line, v) || v < std::numeric_limits<std::int32_t>::min() ||
      v > std::numeric_limits<std::int32_t>::max()) {
    Fault("whole number expected, found \"" + line->substr(0, 40) + "\"");
    return false;
  }
  n = static_cast<std::int32_t>(v);
  MarkNumber();
  return true;
}

bool TLineCursor::Word16(Word& n) {
  const std::string* line = NextLine();
  if (!line) return false;
  long long v = 0;
  if (!ParseFileInt(*line, v) || v < 0 || v > 65535) {
    Fault("whole number 0..65535 expected, found \"" + line->substr(0, 40) + "\"");
    return false;
  }
  n = static_cast<Word>(v);
  MarkNumber();
  return true;
}

bool TLineCursor::Flag(Byte& b) {
  const std::string* line = NextLine();
  if (!line) return false;
  // The raw bytes 0 and 1 as older files wrote them, or the digits (also
  // what an editor shows for them) with blanks around.
  std::string_view text = *line;
  if (text.size() != 1) text = TrimBlanks(text);
  if (text.size() != 1 || (text[0] != '0' && text[0] != '1' && text[0] != '\0' && text[0] != '\x01')) {
    Fault("flag 0 or 1 expected, found \"" + line->substr(0, 40) + "\"");
    return false;
  }
  b = static_cast<Byte>(text[0] == '1' || text[0] == '\x01');
  MarkNumber();
  return true;
}

bool TLineCursor::Keyword(std::string_view word) {
  const std::string* line = NextLine();
  if (!line) return false;
  if (TrimBlanks(*line) != word) {
    Fault("\"" + std::string(word) + "\" expected, found \"" + line->substr(0, 40) + "\"");
    return false;
  }
  return true;
}
