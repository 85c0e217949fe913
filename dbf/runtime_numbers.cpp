// Number texts of the table engine: the stored texts a table or file wrote,
// read whole with "," or "." as decimal sign, and the texts it writes.
#include "dbf/runtime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "dbf/errors.h"
#include "framework/math_utils.h"
#include "platform/c_numbers.h"

namespace {

void CleanNumberWith(std::string& s, char decimalSep) {
  s.erase(std::remove(s.begin(), s.end(), '$'), s.end());
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '+')) ++i;
  s.erase(0, i);
  if (!s.empty() && s[0] == '-') {
    std::size_t j = 1;
    while (j < s.size() && (s[j] == ' ' || s[j] == '+' || s[j] == '-')) ++j;
    std::string rest = s.substr(j);
    if (rest.empty()) {
      s.clear();
    } else {
      if (rest[0] == decimalSep) rest.insert(0, "0");
      s = "-" + rest;
    }
  }
  if (decimalSep != '.') {
    s.erase(std::remove(s.begin(), s.end(), '.'), s.end());
    std::size_t p = s.find(decimalSep);
    if (p != std::string::npos) s[p] = '.';
  } else {
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
  }
  if (!s.empty() && s[0] == '.') s.insert(0, "0");
  std::size_t blank = s.find(' ');
  if (blank != std::string::npos) s.resize(blank);
  for (std::size_t k = 0; k < s.size(); ++k) {
    char c = s[k];
    bool ok = (c >= '0' && c <= '9') || c == '.' || (c == '-' && k == 0);
    if (!ok) {
      s.resize(k);
      break;
    }
  }
  if (!s.empty() && s.back() == '.') s.pop_back();
}

// Value of the longest leading number in a cleaned text; 0 when none.
long double LeadingValue(const std::string& s) {
  if (s.empty()) return 0;
  double d = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), d);
  if (r.ec != std::errc()) return 0;
  // Parse the digits again in extended precision for the full mantissa.
  long double v = platform::StrToLongDoubleC(std::string(s.data(), r.ptr).c_str(), nullptr);
  return v;
}

// The whole part of a cleaned text, clamped to 32 bits; 0 when none.
std::int32_t LeadingWhole(std::string s) {
  std::size_t p = s.find('.');
  if (p != std::string::npos) s.resize(p);
  if (s.empty()) return 0;
  long long v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void CleanNumber(std::string& s) { CleanNumberWith(s, TzDecimalSep); }

namespace {

// The number a text begins with, read with the decimal sign given.
long double RealWith(std::string_view text, char decimalSep) {
  std::string s(text);
  CleanNumberWith(s, decimalSep);
  return RoundToReal48(LeadingValue(s));
}

std::int32_t WholeWith(std::string_view text, char decimalSep) {
  std::string s(text);
  CleanNumberWith(s, decimalSep);
  return LeadingWhole(s);
}

}  // namespace

long double ValReal(std::string_view text) { return RealWith(text, TzDecimalSep); }

std::int32_t ValLong(std::string_view text) { return WholeWith(text, TzDecimalSep); }

std::from_chars_result ReadLongDouble(const char* first, const char* last, long double& value) {
  // The library's reader may look for a terminating zero: it reads a copy.
  char small[128];
  std::string large;
  const std::size_t n = static_cast<std::size_t>(last - first);
  char* copy = small;
  if (n < sizeof small) {
    std::memcpy(small, first, n);
    small[n] = '\0';
  } else {
    large.assign(first, n);
    copy = large.data();
  }
  const std::from_chars_result r = std::from_chars(copy, copy + n, value);
  return {first + (r.ptr - copy), r.ec};
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the digits and thousands signs `group` of a whole part split into
// groups of three after a first one of one to three digits.
bool GroupsOfThree(std::string_view whole, char group) {
  std::size_t run = 0;
  bool first = true;
  for (char c : whole) {
    if (c == group) {
      if (run == 0 || run > 3 || (!first && run != 3)) return false;
      first = false;
      run = 0;
    } else {
      ++run;
    }
  }
  return first || run == 3;
}

// The text of a stored number as from_chars reads it ("-1234.5e3"), its
// decimal sign a "." and without thousands signs; NoNumber or Blank when it
// holds none.
TStoredRead PlainStoredNumber(std::string_view text, std::string& number) {
  number.clear();
  // Zero bytes pad a field as blanks do (some programs write them).
  constexpr std::string_view kPad(" \0", 2);
  const std::size_t from = text.find_first_not_of(kPad);
  if (from == std::string_view::npos) return TStoredRead::Blank;
  std::string_view t = text.substr(from, text.find_last_not_of(kPad) - from + 1);
  if (t[0] == '+' || t[0] == '-') {
    if (t[0] == '-') number = "-";
    t.remove_prefix(1);
  }
  if (!t.empty() && t[0] == '$') t.remove_prefix(1);
  std::size_t end = 0;
  while (end < t.size() && (IsDigit(t[end]) || t[end] == '.' || t[end] == ',')) ++end;
  const std::string_view mantissa = t.substr(0, end);
  const std::string_view exponent = t.substr(end);
  if (!exponent.empty()) {
    std::size_t k = 1;
    if (exponent[0] != 'e' && exponent[0] != 'E') return TStoredRead::NoNumber;
    if (k < exponent.size() && (exponent[k] == '+' || exponent[k] == '-')) ++k;
    if (k == exponent.size() || !std::all_of(exponent.begin() + static_cast<std::ptrdiff_t>(k), exponent.end(), IsDigit))
      return TStoredRead::NoNumber;
  }
  if (!std::any_of(mantissa.begin(), mantissa.end(), IsDigit)) return TStoredRead::NoNumber;
  const std::size_t dots = static_cast<std::size_t>(std::count(mantissa.begin(), mantissa.end(), '.'));
  const std::size_t commas = static_cast<std::size_t>(std::count(mantissa.begin(), mantissa.end(), ','));
  char decimal = 0, group = 0;
  if (dots > 0 && commas > 0) {
    decimal = mantissa.rfind('.') > mantissa.rfind(',') ? '.' : ',';
    group = decimal == '.' ? ',' : '.';
    if ((decimal == '.' ? dots : commas) != 1) return TStoredRead::NoNumber;
  } else if (dots + commas == 1) {
    decimal = dots ? '.' : ',';
  } else if (dots + commas > 1) {
    group = dots ? '.' : ',';
  }
  const std::size_t point = decimal ? mantissa.find(decimal) : mantissa.size();
  const std::string_view whole = mantissa.substr(0, point);
  if (group && !GroupsOfThree(whole, group)) return TStoredRead::NoNumber;
  for (char c : whole)
    if (c != group) number += c;
  if (point < mantissa.size()) number += "." + std::string(mantissa.substr(point + 1));
  number += exponent;
  return TStoredRead::Number;
}

template <class Real>
TStoredRead ReadStoredAs(std::string_view text, Real& value) {
  value = 0;
  std::string number;
  const TStoredRead read = PlainStoredNumber(text, number);
  if (read != TStoredRead::Number) return read;
  Real v = 0;
  const char* end = number.data() + number.size();
  const auto r = std::from_chars(number.data(), end, v);
  if (r.ptr != end || (r.ec != std::errc() && r.ec != std::errc::result_out_of_range)) return TStoredRead::NoNumber;
  const bool negative = number[0] == '-';
  // Out of range both ways: far too large, or so small that it is 0.
  const std::size_t e = number.find_first_of("eE");
  const bool tiny = r.ec == std::errc::result_out_of_range && e != std::string::npos && number[e + 1] == '-';
  if (tiny) return TStoredRead::Number;
  if (r.ec == std::errc::result_out_of_range || std::fabs(static_cast<long double>(v)) > std::numeric_limits<double>::max()) {
    value = negative ? -std::numeric_limits<Real>::infinity() : std::numeric_limits<Real>::infinity();
    return TStoredRead::OutOfRange;
  }
  value = v;
  return TStoredRead::Number;
}

}  // namespace

TStoredRead ReadStoredNumber(std::string_view text, long double& value) { return ReadStoredAs(text, value); }

TStoredRead ReadStoredNumber(std::string_view text, double& value) { return ReadStoredAs(text, value); }

bool OverflowStars(std::string_view text) {
  const std::size_t from = text.find_first_not_of(' ');
  return from != std::string_view::npos && text.find_first_not_of("* ", from) == std::string_view::npos &&
         text.find(' ', from) >= text.find_last_not_of(' ');
}

std::string StoredNumberFault(std::string_view text, TStoredRead read) {
  const std::string quoted = "\"" + AllTrim(text) + "\"";
  return quoted + (read == TStoredRead::OutOfRange ? " is beyond range" : " is no number");
}

long double StoredReal(std::string_view text) {
  long double v = 0;
  return ReadStoredNumber(text, v) == TStoredRead::Number ? RoundToReal48(v) : 0;
}

std::int32_t StoredLong(std::string_view text) {
  long double v = 0;
  const TStoredRead read = ReadStoredNumber(text, v);
  if (read != TStoredRead::Number && read != TStoredRead::OutOfRange) return 0;
  return static_cast<std::int32_t>(std::clamp<long double>(std::trunc(v), INT32_MIN, INT32_MAX));
}

std::int16_t ValInt16(std::string_view text) {
  std::string s(text);
  if (s.empty()) return 0;
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  s.erase(0, i);
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  char thousands = TzDecimalSep != '.' ? '.' : ',';
  s.erase(std::remove(s.begin(), s.end(), thousands), s.end());
  std::size_t dollar = s.find('$');
  if (dollar != std::string::npos) s.erase(dollar, 1);
  std::size_t blank = s.find(' ');
  if (blank != std::string::npos) s.resize(blank);
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (!((s[k] >= '0' && s[k] <= '9') || s[k] == '-')) {
      s.resize(k);
      break;
    }
  }
  long long v = 0;
  if (!s.empty()) {
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range) v = s[0] == '-' ? INT64_MIN : INT64_MAX;
  }
  return static_cast<std::int16_t>(std::clamp<long long>(v, -32768, 32767));
}

void FloatToStrDec(long double value, int width, int decimals, std::string& text) {
  char buf[128];
  width = std::clamp(width, 0, 30);
  decimals = std::clamp(decimals, 0, 30);
  platform::FormatC(buf, sizeof buf, "%*.*Lf", width, decimals, value);
  text = buf;
  if (text.size() > 30) text.resize(30);
  if (TzDecimalSep != '.' && decimals > 0) {
    std::size_t p = text.find('.');
    if (p != std::string::npos) text[p] = TzDecimalSep;
  }
}

namespace {

// The shortest decimal digits that read back as `value`, and the power of
// ten of the first: 1.005 gives "1005" and 0. A value that a double holds
// exactly is taken as that double, so that 1.005 given as a double rounds as
// it is written, not as its binary value just below the half.
void ShortestDigits(long double value, std::string& digits, int& exponent) {
  char buf[128];
  std::to_chars_result r;
  const double d = static_cast<double>(value);
  if (static_cast<long double>(d) == value) r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific);
  else r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  const std::string text(buf, r.ptr);  // "1.005e+00"
  const std::size_t e = text.find('e');
  digits.clear();
  for (std::size_t i = 0; i < e; ++i)
    if (text[i] >= '0' && text[i] <= '9') digits += text[i];
  exponent = std::atoi(text.c_str() + e + 1);
}

}  // namespace

std::string RoundedNumberText(long double value, int decimals) {
  if (!std::isfinite(value) || value == 0) value = 0;
  decimals = std::clamp(decimals, 0, 60);
  const bool negative = value < 0;
  std::string digits;
  int exponent = 0;
  ShortestDigits(std::fabs(value), digits, exponent);
  // The digits kept: those before the point and `decimals` after it; the
  // first one dropped decides, a half going away from zero.
  const int keep = exponent + 1 + decimals;
  if (keep < 0) {
    digits = "0";
    exponent = -decimals;
  } else if (keep < static_cast<int>(digits.size())) {
    const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep));
    if (up) {
      int i = keep - 1;
      while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
      if (i >= 0) ++digits[static_cast<std::size_t>(i)];
      else {
        digits.insert(digits.begin(), '1');
        ++exponent;
      }
    }
    if (digits.empty()) digits = "0";
  }
  // Laid out with `exponent` + 1 digits before the point.
  std::string whole, fraction;
  for (int place = std::max(exponent, 0); place >= -decimals; --place) {
    const int at = exponent - place;
    const char c = at >= 0 && at < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(at)] : '0';
    (place >= 0 ? whole : fraction) += c;
  }
  const bool zero = whole.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos;
  std::string text = (negative && !zero ? "-" : "") + whole;
  if (decimals > 0) text += "." + fraction;
  return text;
}

long double RoundedNumber(long double value, int decimals) {
  const std::string text = RoundedNumberText(value, decimals);
  long double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

std::string FixedNumberText(long double value, int width, int decimals) {
  std::string text = RoundedNumberText(value, decimals);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

void IntToStrWidth(long value, int width, std::string& text) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*ld", std::clamp(width, 0, 40), value);
  text = buf;
}
