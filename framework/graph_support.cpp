#include "framework/graph_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string GraphFloatText(Extended v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (v == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.7Le", v);  // d.ddddddde[+-]xx, already rounded to 8 digits
  std::string s(buf);
  std::size_t epos = s.find('e');
  int exp10 = std::atoi(s.c_str() + epos + 1);
  bool neg = s[0] == '-';
  std::string digits;
  for (std::size_t i = neg ? 1 : 0; i < epos; ++i)
    if (s[i] != '.') digits += s[i];
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = neg ? "-" : "";
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
