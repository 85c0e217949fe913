#include "framework/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "framework/globals.h"
#include "framework/math_utils.h"

namespace {

constexpr char kPlusMinus = '\xF1';  // code page 437

std::string PadLeft(std::string s, std::size_t width, char fill = ' ') {
  if (s.size() < width) s.insert(0, width - s.size(), fill);
  return s;
}

// The fixed form of a number below 2^63 with at most 12 decimals, made from
// the 64-bit mantissa in whole numbers: the exact value times 10^d, rounded
// to nearest with ties to even, as the library's conversion rounds it, but
// without its general (and slow) path. False for larger numbers.
bool SmallFixedText(Extended x, int d, std::string& out) {
  static constexpr unsigned long long kTens[] = {1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL,
                                                 1000000ULL, 10000000ULL, 100000000ULL, 1000000000ULL,
                                                 10000000000ULL, 100000000000ULL, 1000000000000ULL};
  if (d < 0 || d > 12 || !(std::fabs(x) < 0x1p63L)) return false;
  int exponent = 0;
  const Extended fraction = std::frexp(std::fabs(x), &exponent);  // |x| = fraction * 2^exponent
  const auto mantissa = static_cast<unsigned long long>(std::ldexp(fraction, 64));
  // |x| * 10^d = mantissa * 10^d / 2^shift, mantissa * 10^d < 2^104.
  const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * kTens[d];
  const int shift = 64 - exponent;  // at least 1, as |x| < 2^63
  unsigned __int128 q = 0;
  if (shift < 128) {
    q = scaled >> shift;
    const unsigned __int128 rest = scaled - (q << shift);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (rest > half || (rest == half && (q & 1) != 0)) ++q;
  }
  char digits[48];
  char* end = digits + sizeof digits;
  char* p = end;
  for (int n = 0; q != 0 || n <= d; ++n) {
    if (n == d && d > 0) *--p = '.';
    *--p = static_cast<char>('0' + static_cast<int>(q % 10));
    q /= 10;
  }
  const bool zero = p[0] == '0' && std::all_of(p, end, [](char c) { return c == '0' || c == '.'; });
  out.assign(p, end);
  if (std::signbit(x) && !zero) out.insert(out.begin(), '-');
  return true;
}

// x in fixed notation with d decimals, rounded to nearest; no sign on a
// value that rounds to zero.
std::string FixedText(Extended x, int d) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";
  if (std::string small; SmallFixedText(x, d, small)) return small;
  // A value of 1e4932 has 4933 digits before the point.
  char buf[5000 + 32];
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, d);
  if (r.ec != std::errc()) return "0";
  std::string s(buf, r.ptr);
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// From here on the fixed form would run over every field and show digits
// that the 64-bit mantissa does not hold.
constexpr Extended kLargestFixed = 1e15L;

// x in exponent form with the given mantissa decimals: "1.23E20", "-4.5E-9".
std::string ExponentForm(Extended x, int decimals) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, decimals);
  if (r.ec != std::errc()) return "*";
  std::string s(buf, r.ptr);
  const std::size_t e = s.find('e');
  if (e == std::string::npos) return s;
  std::string exponent = s.substr(e + 1);
  if (!exponent.empty() && exponent[0] == '+') exponent.erase(0, 1);
  const bool negative = !exponent.empty() && exponent[0] == '-';
  std::size_t digits = negative ? 1 : 0;
  while (digits + 1 < exponent.size() && exponent[digits] == '0') exponent.erase(digits, 1);
  return s.substr(0, e) + "E" + exponent;
}

// The exponent form with 3 significant digits, or fewer while it does not fit
// width (no limit when width is 0); the 1-digit form when nothing fits.
std::string ExponentText(Extended x, int width) {
  std::string s;
  for (int decimals = 2; decimals >= 0; --decimals) {
    s = ExponentForm(x, decimals);
    if (width <= 0 || static_cast<int>(s.size()) <= width) break;
  }
  return s;
}

void ApplyDecimalComma(std::string& s) {
  if (DecimalCommaMode == 2) {
    for (char& c : s) if (c == '.') c = ',';
  }
}

}  // namespace

std::string IntToText(long long n) { return std::to_string(n); }

std::string IntToTextZeros(long long n, int width) {
  std::string digits = std::to_string(n < 0 ? -static_cast<unsigned long long>(n)
                                            : static_cast<unsigned long long>(n));
  const int room = width - (n < 0 ? 1 : 0);
  if (room > 0) digits = PadLeft(digits, static_cast<std::size_t>(room), '0');
  return n < 0 ? "-" + digits : digits;
}

std::string IntToTextWidth(long long n, int width) {
  return PadLeft(std::to_string(n), width > 0 ? static_cast<std::size_t>(width) : 0);
}

bool TryTextToInt(std::string_view text, int& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  return true;
}

int TextToInt(std::string_view text) {
  int v = 0;
  return TryTextToInt(text, v) ? v : 0;
}

bool TryTextToFloat(std::string_view text, Extended& value) {
  // The plain form "-123.456" with at most 18 digits is a whole number over a
  // power of ten: both are exact, so the rounded quotient is the value.
  {
    static constexpr Extended kPower10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                            1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                            1e14L, 1e15L, 1e16L, 1e17L, 1e18L};
    const bool negative = !text.empty() && text[0] == '-';
    std::size_t i = negative ? 1 : 0;
    unsigned long long n = 0;
    int digits = 0, decimals = -1;
    for (; i < text.size(); ++i) {
      const char c = text[i];
      if (IsDigit(c)) {
        n = n * 10 + static_cast<unsigned>(c - '0');
        ++digits;
        if (decimals >= 0) ++decimals;
      } else if (c == '.' && decimals < 0) {
        decimals = 0;
      } else {
        break;
      }
    }
    if (i == text.size() && digits > 0 && digits <= 18) {
      const Extended v = static_cast<Extended>(n) / kPower10[decimals < 0 ? 0 : decimals];
      value = negative ? -v : v;
      return true;
    }
  }
  std::string s(text);
  if (auto comma = s.find(','); comma != std::string::npos) s[comma] = '.';
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  // from_chars takes no "+" in the exponent either; drop it.
  std::string body = s.substr(start);
  if (auto plus = body.find('+'); plus != std::string::npos) body.erase(plus, 1);
  Extended v = 0;
  auto r = std::from_chars(body.data(), body.data() + body.size(), v);
  if (r.ec != std::errc() || r.ptr != body.data() + body.size()) return false;
  value = negative ? -v : v;
  return true;
}

Extended TextToFloat(std::string_view text) {
  Extended v = 0;
  return TryTextToFloat(text, v) ? v : 0;
}

std::string AmbiguousNumberMessage(std::string_view name, std::string_view text, char shownSign) {
  const char other = shownSign == ',' ? '.' : ',';
  std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  const std::size_t first = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  const std::size_t whole = i - first;
  if (whole < 1 || whole > 3 || text[first] == '0' || i + 4 != text.size() || text[i] != other) return {};
  for (std::size_t k = i + 1; k < text.size(); ++k)
    if (!IsDigit(text[k])) return {};
  const std::string sign = text[0] == '-' ? "-" : "";
  const std::string digits(text.substr(first, whole)), group(text.substr(i + 1));
  std::string fraction = group;
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  const std::string thousands = sign + digits + group;
  const std::string decimal = sign + digits + (fraction.empty() ? "" : shownSign + fraction);
  return std::string(name) + ": \"" + std::string(text) + "\" is ambiguous: " + thousands + " or " + decimal +
         " ?  Please type " + thousands + ", or " + decimal + ".";
}

char ShownDecimalSign() { return DecimalCommaMode == 2 ? ',' : '.'; }

void FloatToDigitsExp(Extended x, int s, int& intDigits, int& decimals) {
  if (s < 1) s = 1;
  if (x == 0) x = 0.5L;
  x = std::fabs(x);
  const int e = DecimalExponent(x);
  if (s <= e) {
    intDigits = e + 1;
    decimals = 0;
    return;
  }
  if (e < 0) {
    intDigits = 0;
    decimals = s - e - 1;
  } else {
    intDigits = e + 1;
    decimals = s - e;
  }
  // Drop trailing zeros: n holds the decimals plus one guard digit, which
  // the first division discards without rounding.
  Extended n = std::nearbyint(x * Power10(decimals + 1));
  for (;;) {
    n = std::trunc(n / 10);
    if (n < 1 || std::fmod(n, 10) != 0) break;
    --decimals;
  }
  if (decimals < 0) decimals = 0;
}

std::string FormatFloatText(int w, int d, Extended x) {
  if (std::fabs(x) < 1e-8L) x = 0;
  if (FloatDigits != 3) {
    d += FloatDigits - 3;
    if (d < 0) d = 0;
    if (d > 10) d = 10;
  }
  if (d < 0) d = 0;
  const int width = d > 0 ? w + d + 1 : w;
  std::string s = std::fabs(x) >= kLargestFixed && std::isfinite(x) ? ExponentText(x, width) : FixedText(x, d);
  if (width > 0) s = PadLeft(s, static_cast<std::size_t>(width));
  ApplyDecimalComma(s);
  return s;
}

std::string FloatToTextFitted(Extended x, int width) {
  std::string s = std::isfinite(x) ? ExponentText(x, width) : FixedText(x, 0);
  if (width > 0 && static_cast<int>(s.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  ApplyDecimalComma(s);
  return s;
}

std::string FitNumberToField(std::string_view text, int width) {
  if (width <= 0 || static_cast<int>(text.size()) <= width) return std::string(text);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string(text);
  std::string_view number = text.substr(first, text.find_last_not_of(' ') - first + 1);
  Extended v = 0;
  if (!TryTextToFloat(number, v)) return std::string(text);
  if (static_cast<int>(number.size()) <= width) return std::string(number);
  return FloatToTextFitted(v, width);
}

std::string FloatToTextWidth(int w, int d, Extended x) {
  if (d < 0) d = 0;
  std::string s = FixedText(x, d);
  const int width = d > 0 ? w + d + 1 : w;
  return width > 0 ? PadLeft(s, static_cast<std::size_t>(width)) : s;
}

std::string FloatToTextSig(int k, Extended x) {
  if (std::fabs(x) < 1e-5L) return "0";
  if (std::fabs(x) >= kLargestFixed) return FormatFloatText(0, 0, x);  // no field to fill
  int i = 0, d = 0;
  FloatToDigitsExp(x, 3 - k, i, d);
  return FormatFloatText(i, d, x);
}

std::string FloatToText(Extended x) { return FloatToTextSig(0, x); }

std::string ShownDecimalText(std::string_view number) {
  std::string s(number);
  ApplyDecimalComma(s);
  return s;
}

std::string FloatToTextSig3(Extended x) { return FloatToTextSig(-3, x); }

std::string FloatToTextFix(int d, Extended x) {
  if (std::fabs(x) >= kLargestFixed) return FormatFloatText(0, 0, x);
  int i = 0, ignored = 0;
  FloatToDigitsExp(x, 3, i, ignored);
  return FormatFloatText(i, d, x);
}

std::string FloatToTextPrec(int n, Extended x) {
  if (std::fabs(x) < 1e-6L) return PadLeft("0", n > 0 ? static_cast<std::size_t>(n) : 0);
  int i = 0, d = 0;
  FloatToDigitsExp(x, 3, i, d);
  return FormatFloatText(d == 0 ? n : n - d - 1, d, x);
}

std::string FloatToTextEng(Extended x) {
  const int e = DecimalExponent(x);
  if (e > 3) {
    const int p = 3 * (e / 3);
    return FloatToText(x / Power10(p)) + "E" + IntToText(p);
  }
  if (e < -2) {
    const int p = 3 * (e / 3);  // truncates toward zero: -4 and -5 give -3
    return FloatToText(x * Power10(-p)) + "E" + IntToText(p);
  }
  return FloatToText(x);
}

std::string FloatToTextAuto(Extended x) {
  const Extended a = std::fabs(x);
  if (a < 1e-12L) return FloatToText(0);
  if (a < 1e-5L || a >= 10000) return FloatToTextEng(x);
  return FloatToText(x);
}

std::string FloatToTextExp(int w, int d, int p, Extended x) {
  return FormatFloatText(w, d, x * Power10(-p)) + "E" + IntToText(p);
}

std::string PlusMinusText() {
  if (CharSetMode == 1) return "+/-";
  return std::string(" ") + kPlusMinus + " ";
}

namespace {

std::string SignedDeviation(Extended v) {
  if (v == 0) return "";
  if (v < 0) return FloatToTextSig(1, v);
  return "+" + FloatToTextSig(1, v);
}

}  // namespace

std::string ToleranceText(Extended upper, Extended lower) {
  if (upper == 0 && lower == 0) return "";
  if (std::fabs(upper + lower) < 1e-4L) return PlusMinusText() + FloatToTextSig(1, upper);
  if (upper == 0) return SignedDeviation(lower);
  if (lower == 0) return SignedDeviation(upper);
  return SignedDeviation(upper) + "/" + SignedDeviation(lower);
}

std::string RangeText(int w, int d, Extended a, Extended b) {
  if (FloatEqual(a, b)) return FormatFloatText(w, d, a);
  return FloatToText(a) + " .. " + FloatToText(b);
}

std::string MeanPercentText(Extended a, Extended b) {
  if (FloatEqual(a, b)) return FloatToText(a) + " " + kPlusMinus + " 0%";
  const Extended mean = (a + b) * 0.5L;
  const Extended percent = 100 * RelativeDifference(a, b);
  if (CharSetMode == 1) return FloatToText(mean) + "+/-" + FloatToText(percent) + " %";
  return FloatToText(mean) + " " + kPlusMinus + " " + FloatToText(percent) + " %";
}
