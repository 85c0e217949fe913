#include "dbf/index_keys.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dbf/runtime.h"

std::uint8_t SoundexLength = 4;

void InitIndexKeys() { SoundexLength = 4; }

int CompareBytes(const void* a, const void* b, std::size_t length) {
  // memcmp compares as unsigned bytes; only the sign is used.
  return std::memcmp(a, b, length);
}

// A NaN (the key NUM^0.5 of a negative NUM) sorts before every number, and
// all NaNs alike, so that every key has one place in the order.
int CompareDoubles(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(b) - std::isnan(a);
  return a < b ? -1 : a > b ? 1 : 0;
}

std::string Soundex(std::string_view text) {
  static const char kCodes[] = "01230120022455012623010202";
  std::string t(text.substr(0, 100));
  for (char& c : t)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  std::size_t len = SoundexLength ? SoundexLength : 4;
  std::string result(len, '0');
  if (t.empty()) return result;
  result[0] = t[0];
  char previous = (t[0] >= 'A' && t[0] <= 'Z') ? kCodes[t[0] - 'A'] : '0';
  std::size_t filled = 1;
  for (std::size_t i = 1; i < t.size() && filled < len; ++i) {
    char c = t[i];
    if (c < 'A' || c > 'Z') continue;
    char code = kCodes[c - 'A'];
    if (code != previous) {
      if (code != '0') result[filled++] = code;
      previous = code;
    }
  }
  return result;
}

std::string Descend(std::string_view text) {
  std::string r(text.substr(0, 100));
  for (char& c : r) c = static_cast<char>(c ^ 0xFF);
  return r;
}

void CanonicalExpression(std::string& text, bool keepBlanks) {
  std::string out;
  char quote = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      if (c == quote) {
        out += keepBlanks ? c : '"';
        quote = 0;
      } else {
        out += c;
      }
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      out += keepBlanks ? c : '"';
    } else if (c == ' ' || c == '\t') {
      if (keepBlanks) {
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (next != '\0' && next != '\t' && next != ' ' && next != '"' && next != '\'' && next != '=')
          out += ' ';
      }
    } else {
      out += UpCaseChar(c);
    }
  }
  text = out;
}

namespace {

const int kDaysBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

bool Leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int d[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && Leap(y) ? 29 : d[m];
}

}  // namespace

std::int32_t JulianFromYmd(int year, int month, int day) {
  if (year < 0 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return 0;
  std::int64_t before = year < 2 ? 0
                                 : static_cast<std::int64_t>(year - 1) * 365 + (year - 1) / 4 -
                                       (year - 1) / 100 + (year - 1) / 400;
  int doy = kDaysBefore[month] + day + (month > 2 && Leap(year) ? 1 : 0);
  return static_cast<std::int32_t>(before + doy + 1721425);
}

bool YmdFromJulian(std::int32_t julian, int& year, int& month, int& day) {
  if (julian < kFirstDay || julian > kLastDay) return false;
  std::int32_t n = julian - 1721426;  // days since 0001-01-01
  int y = static_cast<int>(n / 366) + 1;
  while (JulianFromYmd(y + 1, 1, 1) <= julian) ++y;
  int m = 1;
  while (m < 12 && JulianFromYmd(y, m + 1, 1) <= julian) ++m;
  year = y;
  month = m;
  day = julian - JulianFromYmd(y, m, 1) + 1;
  return true;
}

std::int32_t JulianFromDbf(std::string_view s) {
  if (s.size() < 8) return 0;
  int v[3] = {0, 0, 0};
  const int widths[3] = {4, 2, 2};
  std::size_t at = 0;
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < widths[k]; ++i, ++at) {
      char c = s[at];
      if (c < '0' || c > '9') return 0;
      v[k] = v[k] * 10 + (c - '0');
    }
  }
  return JulianFromYmd(v[0], v[1], v[2]);
}

std::int32_t JulianFromText(std::string_view display) {
  std::string d(display.substr(0, 10));
  bool century = TzCentury;
  TzCentury = true;
  DateToInternal(d);
  TzCentury = century;
  if (d.size() < 10) return 0;
  std::string ymd = d.substr(6, 4) + d.substr(0, 2) + d.substr(3, 2);
  return JulianFromDbf(ymd);
}

std::string DbfFromJulian(std::int32_t julian) {
  int y, m, d;
  if (julian <= 1721425 || !YmdFromJulian(julian, y, m, d)) return std::string(8, ' ');
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
  return buf;
}

// The national form of the library's date routines, for every format code
// (so French Canadian dates are shown as well, not as an empty text).
std::string DisplayFromJulian(std::int32_t julian) {
  int y, m, d;
  if (!YmdFromJulian(julian, y, m, d)) return EmptyDate(TzDateFormat);
  return STOD(DbfFromJulian(julian));
}

std::string DbfFromDisplay(std::string_view display) {
  return DbfFromJulian(JulianFromText(display));
}

std::int32_t DayNumber(double day) {
  return day >= kFirstDay && day < kLastDay + 1.0 ? static_cast<std::int32_t>(day) : 0;
}
