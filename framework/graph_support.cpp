#include "framework/graph_support.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/c_numbers.h"

namespace {

// 10^k for k = 0..27, each exact in the extended type.
constexpr Extended kPower10[28] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,
                                   1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L,
                                   1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L, 1e23L,
                                   1e24L, 1e25L, 1e26L, 1e27L};
Extended Power10(int k) { return kPower10[k]; }

// x rounded to an integer, halves to even (the default rounding of the
// 64-bit mantissa); |x| below 2^62.
Extended RoundEven(Extended x) {
  constexpr Extended kRound = 0x1.8p63L;
  volatile Extended shifted = x + kRound;
  return shifted - kRound;
}

// The eight significant digits of a (> 0) as an integer 10^7..10^8-1, and
// the decimal exponent of the first; rounded to nearest, halves to even.
// False far outside the sizes of drawings, where printf does it.
bool EightDigits(Extended a, std::int64_t& digits, int& exp10) {
  if (!(a >= 1e-20L && a < 1e27L)) return false;
  // floor(log10(a)) from the binary exponent: a lies in [2^b, 2^(b+1)), so
  // the estimate b * log10(2) is the exponent or one below it.
  const int b = static_cast<int>((std::bit_cast<std::uint64_t>(static_cast<double>(a)) >> 52) & 0x7ff) - 1023;
  int e = (b * 1233) >> 12;
  auto below = [](Extended x, int k) {  // x < 10^k
    return k >= 0 ? x < Power10(k) : x * Power10(-k) < 1;
  };
  if (below(a, e)) --e;
  else if (!below(a, e + 1)) ++e;
  const int k = 7 - e;
  if (k > 27 || k < -27) return false;
  const Extended scaled = k >= 0 ? a * Power10(k) : a / Power10(-k);
  Extended r = RoundEven(scaled);
  if (r >= 100000000) {
    r = RoundEven(scaled / 10);
    ++e;
  } else if (r < 10000000) {
    return false;
  }
  digits = static_cast<std::int64_t>(static_cast<double>(r));  // exact, and no x87 mode switch
  exp10 = e;
  return true;
}

}  // namespace

std::string GraphFloatText(Extended v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (v == 0) return "0";
  char digits[32];
  int nd = 0;
  int exp10 = 0;
  std::int64_t n = 0;
  if (EightDigits(std::fabs(v), n, exp10)) {
    nd = static_cast<int>(std::to_chars(digits, digits + sizeof digits, n).ptr - digits);
  } else {
    char buf[64];
    platform::FormatC(buf, sizeof buf, "%.7Le", std::fabs(v));  // d.ddddddde[+-]xx
    const char* epos = std::strchr(buf, 'e');
    exp10 = std::atoi(epos + 1);
    for (const char* p = buf; p < epos; ++p)
      if (*p != '.') digits[nd++] = *p;
  }
  while (nd > 1 && digits[nd - 1] == '0') --nd;

  char out[64];
  int len = 0;
  auto put = [&](char c) { out[len++] = c; };
  if (v < 0) put('-');
  if (exp10 >= 8 || exp10 < -5) {
    put(digits[0]);
    if (nd > 1) {
      put('.');
      for (int i = 1; i < nd; ++i) put(digits[i]);
    }
    put('E');
    len = static_cast<int>(std::to_chars(out + len, out + sizeof out, exp10).ptr - out);
  } else if (exp10 < 0) {
    put('0');
    put('.');
    for (int i = 0; i < -exp10 - 1; ++i) put('0');
    for (int i = 0; i < nd; ++i) put(digits[i]);
  } else {
    for (int i = 0; i <= exp10 || i < nd; ++i) {
      if (i == exp10 + 1) put('.');
      put(i < nd ? digits[i] : '0');
    }
  }
  return std::string(out, static_cast<std::size_t>(len));
}

bool GraphRoundedReal(Extended v, double& out) {
  if (v == 0) {
    out = 0;
    return true;
  }
  std::int64_t n = 0;
  int exp10 = 0;
  if (!std::isfinite(v) || !EightDigits(std::fabs(v), n, exp10)) return false;
  // The digits and a power of ten up to 10^22 are exact doubles, so one
  // division or product rounds the decimal value once, as reading it does.
  static constexpr double kPower10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const int k = 7 - exp10;
  if (k > 22 || k < -22) return false;
  const double d = static_cast<double>(n);
  const double a = k >= 0 ? d / kPower10[k] : d * kPower10[-k];
  out = v < 0 ? -a : a;
  return true;
}
