#include "framework/math_utils.h"

#include <array>
#include <cmath>
#include <string>

#include "framework/calc_messages.h"
#include "framework/rounding_rule.h"

Extended SafeTan(Extended x) {
  const Extended c = std::cos(x);
  if (c == 0) {
    AddErrorMessage("Error: function tan in Unit math");
    return 1e30L;
  }
  return std::sin(x) / c;
}

Extended SafeArcSin(Extended x) {
  if (x == 1) return kPi / 2;
  if (x == -1) return -kPi / 2;
  if (std::fabs(x) > 1) {
    AddErrorMessage("Error: ArcSin in unit math");
    return kPi / 2;
  }
  return std::atan(x / std::sqrt(1 - x * x));
}

Extended SafePower(std::string_view name, Extended x, Extended y) {
  if (x == 0) return 0;
  if (x < 0) {
    if (!name.empty()) AddErrorMessage(std::string(name) + " (pow)");
    x = -x;
  }
  const Extended t = y * std::log(x);
  if (t > 3000) return 1e3000L;
  if (t < -3000) return 0;
  return std::exp(t);
}

// log10l rather than ln x / ln 10: the quotient can fall just below a whole
// number for exact powers of ten, which would shift every digit analysis.
Extended Log10(Extended x) {
  if (x <= 0) return -1e30L;
  return std::log10(x);
}

Extended IntPower(int n, Extended x) {
  Extended r = 1;
  const long count = n < 0 ? -static_cast<long>(n) : n;
  for (long i = 0; i < count; ++i) r *= x;
  if (n < 0) return r == 0 ? 0 : 1 / r;
  return r;
}

// Whole exponents are exact (or correctly rounded below 1), where
// exp(x ln 10) is not.
Extended Power10(Extended x) {
  if (x == std::trunc(x) && std::fabs(x) < 4900) {
    // Number texts ask for the few near zero again and again: each is kept
    // the first time the formula gives it. (Filled at run time: the compiler
    // would fold a table of constant powers correctly rounded, and the
    // library's pow differs from that in the last bit for some.)
    constexpr int kKept = 64;
    thread_local std::array<Extended, 2 * kKept + 1> kept{};
    thread_local std::array<bool, 2 * kKept + 1> known{};
    const bool keep = std::fabs(x) <= kKept;
    const auto at = keep ? static_cast<std::size_t>(static_cast<int>(x) + kKept) : 0;
    if (keep && known[at]) return kept[at];
    const Extended p = x >= 0 ? std::pow(10.0L, x) : 1 / std::pow(10.0L, -x);
    if (keep) {
      kept[at] = p;
      known[at] = true;
    }
    return p;
  }
  return std::pow(10.0L, x);
}

Extended RoundDown(Extended x) { return std::floor(x); }

int DecimalExponent(Extended x) {
  if (x == 0 || !std::isfinite(x)) return 0;
  // The logarithm may miss the whole number by a last bit either way (0.001
  // is no power of ten in binary): the power of ten itself decides.
  const Extended a = std::fabs(x);
  int e = static_cast<int>(RoundDown(Log10(a)));
  if (a < Power10(e)) --e;
  else if (a >= Power10(e + 1)) ++e;
  return e;
}

Extended RadToDeg(Extended x) { return x * 180 * (1 / kPi); }
Extended DegToRad(Extended x) { return x * kPi * (1.0L / 180); }
Extended Hypot(Extended a, Extended b) { return std::sqrt(a * a + b * b); }

Extended ArcTan2(Extended x, Extended y) {
  if (x == 0) return y >= 0 ? kPi / 2 : -kPi / 2;
  Extended a = std::atan(y / x);
  if (x < 0) a += kPi;
  return a;
}

Extended VectorAngle(Extended y, Extended x) { return ArcTan2(x, y); }

void PolarToXY(Extended& x, Extended& y, Extended r, Extended a) {
  x = r * std::cos(a);
  y = r * std::sin(a);
}

void RotateRad(Extended& x1, Extended& y1, Extended x, Extended y, Extended a) {
  const Extended c = std::cos(a), s = std::sin(a);
  x1 = x * c - y * s;
  y1 = y * c + x * s;
}

void RotatePoint(Extended& x1, Extended& y1, Extended x0, Extended y0, Extended deg, Extended x,
                 Extended y) {
  const Extended a = DegToRad(deg);
  const Extended c = std::cos(a), s = std::sin(a);
  x1 = x0 + x * c - y * s;
  y1 = y0 + x * s + y * c;
}

void ScaleRotatePoint(Extended& x1, Extended& y1, Extended sx, Extended sy, Extended x0,
                      Extended y0, Extended deg, Extended x, Extended y) {
  RotatePoint(x1, y1, x0, y0, deg, x * sx, y * sy);
}

// The difference of the fractional turns lies in (-2, 2) turns; bring it
// into one turn so that directions given with opposite signs still sweep
// less than 360 degrees.
Extended ArcSweepAngle(Extended a, Extended b) {
  auto frac = [](Extended v) { return v - std::trunc(v); };
  Extended d = (frac(b / 360) - frac(a / 360)) * 360;
  if (d < 0) d += 360;
  if (d >= 360) d -= 360;
  return d;
}

bool FloatEqual(Extended a, Extended b) { return std::fabs(a - b) < kFloatTolerance; }
Extended FloatMax(Extended a, Extended b) { return a > b ? a : b; }
Extended FloatMin(Extended a, Extended b) { return a < b ? a : b; }
int IntMax(int a, int b) { return a > b ? a : b; }
int IntMin(int a, int b) { return a < b ? a : b; }
int IntClamp(int lo, int hi, int v) { return IntMin(hi, IntMax(lo, v)); }
Extended Average2(Extended a, Extended b) { return (a + b) * 0.5L; }
Extended RelativeDifference(Extended a, Extended b) { return (b - a) / (a + b); }

Extended RoundToReal48(Extended x) {
  if (x == 0 || std::isnan(x)) return 0;
  int exp2 = 0;
  Extended m = std::frexp(std::fabs(x), &exp2);  // |x| = m * 2^exp2, m in [0.5, 1)
  // 40 significant bits: the hidden bit and the 39-bit fraction.
  m = std::nearbyint(std::ldexp(m, 40));
  if (m >= 0x1p40L) {
    m = std::ldexp(m, -1);
    ++exp2;
  }
  // Stored exponent byte is exp2 + 128 and must lie in 1..255.
  if (exp2 + 128 < 1) return 0;
  if (exp2 + 128 > 255) {
    exp2 = 127;
    m = 0x1p40L - 1;
  }
  const Extended r = std::ldexp(m, exp2 - 40);
  return x < 0 ? -r : r;
}

bool GetBit(std::uint32_t w, int n) {
  if (n < 1 || n > 32) return false;
  return (w >> (n - 1)) & 1u;
}

void SetBit(std::uint32_t& w, int n, int on) {
  if (n < 1 || n > 32) return;
  const std::uint32_t mask = 1u << (n - 1);
  if (on == 1) w |= mask; else w &= ~mask;
}

// The position plus one half, rounded to the nearest integer (halves to even).
int LogScalePixel(Extended v, Extended v0, Extended scale) {
  if (v <= 0) return -9999;
  const Extended p = (Log10(v) - Log10(v0)) * scale + 0.5L;
  if (!(std::fabs(p) < 2e9L)) return p < 0 ? -2000000000 : 2000000000;
  return static_cast<int>(std::nearbyint(p));
}

void ScaleAxisRange(Extended& lo, Extended& hi, Extended& step, Extended a, Extended b, int n) {
  if (FloatEqual(a, b)) {
    a -= 1;
    b += 1;
  }
  if (n < 1) n = 1;
  b -= (b - a) * 1e-5L;  // an upper limit on a step gains no extra step
  const Extended s = (b - a) / n;
  const int e = DecimalExponent(s);
  const Extended r = s / Power10(e);
  Extended factor = 10;
  if (BelowBeyondRounding(r, 1.5L)) factor = 1;
  else if (BelowBeyondRounding(r, 3)) factor = 2;
  else if (BelowBeyondRounding(r, 8)) factor = 5;
  step = factor * Power10(e);
  // A limit on a step stays on it, though its quotient may miss the whole
  // number by the last bit (-0.3 / 0.05).
  hi = (RoundDownWithinRounding(b / step) + 1) * step;
  lo = RoundDownWithinRounding(a / step) * step;
}

Extended InchToMm(Extended x) { return x * kMmPerInch; }
Extended MmToInch(Extended x) { return x * (1 / kMmPerInch); }
Extended PsiToMPa(Extended x) { return x * (1 / kPsiPerMPa); }
Extended MPaToPsi(Extended x) { return x * kPsiPerMPa; }
Extended LbfInToNm(Extended x) { return x * kNmPerLbfIn; }
Extended NmToLbfIn(Extended x) { return x * (1 / kNmPerLbfIn); }
Extended NewtonToLbf(Extended x) { return x * (1 / kNewtonPerLbf); }
Extended LbfToNewton(Extended x) { return x * kNewtonPerLbf; }
Extended CelsiusToFahrenheit(Extended x) { return x * 1.8L + 32; }
Extended In2ToMm2(Extended x) { return x * kMm2PerIn2; }
Extended Mm2ToIn2(Extended x) { return x * (1 / kMm2PerIn2); }
Extended In4ToMm4(Extended x) { return x * kMm4PerIn4; }
Extended Mm4ToIn4(Extended x) { return x * (1 / kMm4PerIn4); }
