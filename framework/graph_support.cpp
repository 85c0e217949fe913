#include "framework/graph_support.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// 10^k for k = 0..27, each exact in the extended type.
Extended Power10(int k) {
  static const auto table = [] {
    struct T {
      Extended p[28];
    } t{};
    t.p[0] = 1;
    for (int i = 1; i < 28; ++i) t.p[i] = t.p[i - 1] * 10;
    return t;
  }();
  return table.p[k];
}

// The eight significant digits of a (> 0) as an integer 10^7..10^8-1, and
// the decimal exponent of the first; rounded to nearest, halves to even.
// False when the scaling would not be exact enough (far outside drawings).
bool EightDigits(Extended a, std::int64_t& digits, int& exp10) {
  int e = static_cast<int>(std::floor(std::log10(a)));
  if (e < -20 || e > 27) return false;
  if (e >= 0 && a < Power10(e)) --e;
  if (e + 1 <= 27 && e + 1 >= 0 && a >= Power10(e + 1)) ++e;
  const int k = 7 - e;
  if (k > 27 || k < -27) return false;
  Extended scaled = k >= 0 ? a * Power10(k) : a / Power10(-k);
  Extended r = std::nearbyint(scaled);  // the default rounding: halves to even
  if (r >= 100000000) {
    r = std::nearbyint(scaled / 10);
    ++e;
  } else if (r < 10000000) {
    return false;
  }
  digits = static_cast<std::int64_t>(r);
  exp10 = e;
  return true;
}

}  // namespace

std::string GraphFloatText(Extended v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (v == 0) return "0";
  std::int64_t n = 0;
  int exp10 = 0;
  std::string digits;
  if (EightDigits(std::fabs(v), n, exp10)) {
    char buf[24];
    digits.assign(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7Le", std::fabs(v));  // d.ddddddde[+-]xx
    std::string s(buf);
    std::size_t epos = s.find('e');
    exp10 = std::atoi(s.c_str() + epos + 1);
    for (std::size_t i = 0; i < epos; ++i)
      if (s[i] != '.') digits += s[i];
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = v < 0 ? "-" : "";
  if (exp10 >= 8 || exp10 < -5) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exp10);
    return out;
  }
  if (exp10 < 0) {
    out += "0." + std::string(static_cast<std::size_t>(-exp10 - 1), '0') + digits;
  } else if (static_cast<int>(digits.size()) <= exp10 + 1) {
    out += digits + std::string(static_cast<std::size_t>(exp10 + 1) - digits.size(), '0');
  } else {
    out += digits.substr(0, static_cast<std::size_t>(exp10 + 1)) + "." +
           digits.substr(static_cast<std::size_t>(exp10 + 1));
  }
  return out;
}
