#include "framework/math_utils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/calc_messages.h"
#include "framework/init.h"
#include "framework/rounding_rule.h"
#include "output_test_support.h"

namespace {

using MathUtilsTest = FrameworkTest;

constexpr Extended kEps = 1e-15L;

TEST_F(MathUtilsTest, GuardedFunctionsGiveSubstitutesAndMessages) {
  struct Case {
    const char* name;
    Extended (*fn)();
    Extended expected;
    int messages;
    const char* message;
  };
  const Case cases[] = {
      {"arcsin 1.5", [] { return SafeArcSin(1.5L); }, kPi / 2, 1, "Error: ArcSin in unit math"},
      {"arcsin -1.5", [] { return SafeArcSin(-1.5L); }, kPi / 2, 1, "Error: ArcSin in unit math"},
      {"arcsin 1", [] { return SafeArcSin(1); }, kPi / 2, 0, ""},
      {"arcsin -1", [] { return SafeArcSin(-1); }, -kPi / 2, 0, ""},
      {"arcsin 0.5", [] { return SafeArcSin(0.5L); }, kPi / 6, 0, ""},
      {"pow named negative", [] { return SafePower("Kv", -8, 1.0L / 3); }, 2, 1, "Kv (pow)"},
      {"pow unnamed negative", [] { return SafePower("", -8, 1.0L / 3); }, 2, 0, ""},
      {"pow zero base", [] { return SafePower("Kv", 0, -1); }, 0, 0, ""},
      {"pow normal", [] { return SafePower("Kv", 2, 10); }, 1024, 0, ""},
      {"pow underflow", [] { return SafePower("Kv", 10, -2000); }, 0, 0, ""},
      {"pow overflow", [] { return SafePower("Kv", 10, 2000); }, 1e3000L, 0, ""},
      {"log10 zero", [] { return Log10(0); }, -1e30L, 0, ""},
      {"log10 negative", [] { return Log10(-5); }, -1e30L, 0, ""},
      {"log10 1000", [] { return Log10(1000); }, 3, 0, ""},
      {"tan 1", [] { return SafeTan(1); }, std::tan(1.0L), 0, ""},
  };
  for (const auto& c : cases) {
    ClearCalcMessages();
    const Extended r = c.fn();
    if (c.expected == 0) {
      EXPECT_EQ(r, 0) << c.name;
    } else {
      EXPECT_NEAR(static_cast<double>(r / c.expected), 1.0, 1e-12) << c.name;
    }
    EXPECT_EQ(CalcMessages.count, c.messages) << c.name;
    if (c.messages) {
      EXPECT_EQ(CalcMessages.texts[1].view(), c.message) << c.name;
    }
  }
  // A repeated domain error is listed once.
  ClearCalcMessages();
  SafeArcSin(1.5L);
  SafeArcSin(-1.5L);
  EXPECT_EQ(CalcMessages.count, 1);
}

TEST_F(MathUtilsTest, AxisScaling) {
  struct Case { Extended a, b; int n; Extended lo, hi, step; };
  const Case cases[] = {
      {0, 100, 5, 0, 100, 20},
      {-20, 0, 2, -20, 0, 10},
      {0, 1, 10, 0, 1, 0.1L},
      {5, 5, 2, 4, 6, 1},
      {0, 1000, 10, 0, 1000, 100},
      {0, 7, 6, 0, 7, 1},
      {-3, 13, 6, -4, 14, 2},
      {0, 0.0043L, 6, 0, 0.0045L, 0.0005L},
      {0, 45000, 12, 0, 45000, 5000},
      {0, 10000, 6, 0, 10000, 2000},
      // Limits on a step whose quotient misses the whole number by the last bit.
      {-0.3L, 0, 6, -0.3L, 0, 0.05L},
      {-1e30L, 1e30L, 6, -1e30L, 1e30L, 5e29L},
      {-0.7L, 0.7L, 6, -0.8L, 0.8L, 0.2L},
  };
  for (const auto& c : cases) {
    Extended lo, hi, step;
    ScaleAxisRange(lo, hi, step, c.a, c.b, c.n);
    const double scale = std::fmax(1, std::fabs(static_cast<double>(c.b - c.a)));
    EXPECT_NEAR(static_cast<double>(lo), static_cast<double>(c.lo), 1e-9 * scale) << c.a << ".." << c.b;
    EXPECT_NEAR(static_cast<double>(hi), static_cast<double>(c.hi), 1e-9 * scale) << c.a << ".." << c.b;
    EXPECT_NEAR(static_cast<double>(step), static_cast<double>(c.step), 1e-12 * scale) << c.a << ".." << c.b;
  }
}

// Differences, limits and whole numbers that the binary numbers miss by a
// few units in the last place decide as their exact decimals do; anything
// further off, and anything not finite, decides as it is.
TEST_F(MathUtilsTest, DecisionsWithinRoundingFollowTheExactDecimals) {
  // 1.1 + 38.8 lies 3.5e-18 below 60 - 20.1, though both are 39.9.
  const Extended plates = 1.1L + 38.8L, free = 60 - 20.1L;
  ASSERT_LT(plates, free);
  EXPECT_EQ(ZeroWithinRounding(plates - free, {plates, 60, 20.1L}), 0);
  EXPECT_EQ(DifferenceWithinRounding(plates, free), 0);
  EXPECT_FALSE(BelowBeyondRounding(plates, free));
  EXPECT_FALSE(AboveBeyondRounding(free, plates));
  // A difference in the 15th digit is no rounding.
  EXPECT_TRUE(BelowBeyondRounding(39.9L, 39.9L + 1e-13L));
  EXPECT_TRUE(AboveBeyondRounding(1 + 1e-15L, 1));
  EXPECT_NE(ZeroWithinRounding(1e-15L, {1}), 0);
  // The tolerance is relative to the numbers the value came from.
  EXPECT_EQ(ZeroWithinRounding(1e-16L, {1e3L}), 0);
  EXPECT_NE(ZeroWithinRounding(1e-16L, {1e-3L}), 0);

  // Quotients on a whole number: limits by the steps of an axis scale.
  const Extended small = 5 * Power10(-2), large = 5 * Power10(29);
  ASSERT_LT(-0.3L / small, -6);
  ASSERT_LT(-1e30L / large, -2);
  EXPECT_EQ(RoundDownWithinRounding(-0.3L / small), -6);
  EXPECT_EQ(RoundDownWithinRounding(-1e30L / large), -2);
  EXPECT_EQ(RoundDownWithinRounding(0.3L / 0.1L), 3);
  EXPECT_EQ(RoundDownWithinRounding(-6.5L), -7);
  EXPECT_EQ(RoundDownWithinRounding(2.999999L), 2);
  EXPECT_EQ(RoundDownWithinRounding(0), 0);

  const Extended inf = std::numeric_limits<Extended>::infinity();
  const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
  EXPECT_EQ(ZeroWithinRounding(inf, {inf}), inf);
  EXPECT_EQ(ZeroWithinRounding(1e-20L, {inf, 1}), 0);
  EXPECT_TRUE(std::isnan(ZeroWithinRounding(nan, {1})));
  EXPECT_TRUE(BelowBeyondRounding(1e300L, inf));
  EXPECT_TRUE(AboveBeyondRounding(-1e300L, -inf));
  EXPECT_FALSE(BelowBeyondRounding(nan, 1));
  EXPECT_FALSE(AboveBeyondRounding(nan, 1));
  EXPECT_EQ(RoundDownWithinRounding(-inf), -inf);
}

TEST_F(MathUtilsTest, RoundingAndExponents) {
  EXPECT_EQ(RoundDown(-2), -2);
  EXPECT_EQ(RoundDown(-2.5L), -3);
  EXPECT_EQ(RoundDown(2.9L), 2);
  const struct { Extended x; int e; } exps[] = {
      {0, 0}, {1, 0}, {9.99L, 0}, {10, 1}, {1000, 3}, {1e-3L, -3}, {0.099999L, -2}, {-250, 2}, {1e20L, 20}};
  for (const auto& c : exps) EXPECT_EQ(DecimalExponent(c.x), c.e) << static_cast<double>(c.x);
  for (int e = -12; e <= 18; ++e) EXPECT_EQ(DecimalExponent(Power10(e)), e) << e;
  // A whole number just below a power of ten lies below it, however near; so
  // does the last value before 10^e. The double nearest 0.001 is above it.
  for (int e = 1; e <= 18; ++e) {
    SCOPED_TRACE(e);
    EXPECT_EQ(DecimalExponent(Power10(e) - 1), e - 1);
    EXPECT_EQ(DecimalExponent(-std::nextafter(Power10(e), Extended(0))), e - 1);
  }
  EXPECT_EQ(DecimalExponent(0.001), -3);
  // Whole exponents, kept or not, are the power itself (a reciprocal below 1).
  for (int e = -80; e <= 80; ++e) {
    SCOPED_TRACE(e);
    const Extended p = std::pow(10.0L, Extended(e < 0 ? -e : e));
    EXPECT_EQ(Power10(e), e < 0 ? 1 / p : p);
  }
  EXPECT_EQ(Power10(-0.0L), 1);
  EXPECT_EQ(IntPower(0, 5), 1);
  EXPECT_EQ(IntPower(3, 2), 8);
  EXPECT_EQ(IntPower(-2, 2), 0.25L);
}

TEST_F(MathUtilsTest, AnglesAndPoints) {
  EXPECT_NEAR(static_cast<double>(ArcTan2(-1, -1)), static_cast<double>(5 * kPi / 4), 1e-15);
  EXPECT_NEAR(static_cast<double>(ArcTan2(0, 1)), static_cast<double>(kPi / 2), 1e-15);
  EXPECT_NEAR(static_cast<double>(ArcTan2(0, -1)), static_cast<double>(-kPi / 2), 1e-15);
  EXPECT_NEAR(static_cast<double>(ArcTan2(1, -1)), static_cast<double>(-kPi / 4), 1e-15);
  EXPECT_EQ(VectorAngle(1, 0), ArcTan2(0, 1));
  Extended x, y;
  RotatePoint(x, y, 10, 20, 90, 1, 0);
  EXPECT_NEAR(static_cast<double>(x), 10, 1e-15);
  EXPECT_NEAR(static_cast<double>(y), 21, 1e-15);
  ScaleRotatePoint(x, y, 2, 3, 0, 0, 0, 1, 1);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 3);
  EXPECT_NEAR(static_cast<double>(RadToDeg(kPi)), 180, 1e-12);
  const struct { Extended a, b, sweep; } sweeps[] = {
      {0, 90, 90}, {90, 0, 270}, {350, 10, 20}, {-90, 90, 180}, {-350, 350, 340}, {0, 360, 0}, {720, 45, 45}};
  for (const auto& c : sweeps)
    EXPECT_NEAR(static_cast<double>(ArcSweepAngle(c.a, c.b)), static_cast<double>(c.sweep), 1e-9)
        << static_cast<double>(c.a) << " -> " << static_cast<double>(c.b);
}

TEST_F(MathUtilsTest, ComparisonsBitsAndPixels) {
  EXPECT_TRUE(FloatEqual(1, 1 + 0.9e-5L));
  EXPECT_FALSE(FloatEqual(1, 1 + 1.1e-5L));
  EXPECT_EQ(IntClamp(1, 5, 9), 5);
  EXPECT_EQ(IntClamp(1, 5, -9), 1);
  EXPECT_NEAR(static_cast<double>(RelativeDifference(90, 110)), 0.1, 1e-15);
  EXPECT_TRUE(GetBit(4, 3));
  EXPECT_FALSE(GetBit(4, 1));
  std::uint32_t w = 0;
  SetBit(w, 32, 1);
  SetBit(w, 1, 1);
  EXPECT_EQ(w, 0x80000001u);
  SetBit(w, 1, 0);
  EXPECT_EQ(w, 0x80000000u);
  EXPECT_EQ(LogScalePixel(0, 1, 100), -9999);
  EXPECT_EQ(LogScalePixel(100, 1, 50), 100);  // 100.5 to the even neighbour
  EXPECT_EQ(LogScalePixel(10, 1, 1), 2);      // 1.5 likewise
  EXPECT_EQ(LogScalePixel(20, 1, 1), 2);      // 1.80 to the nearest
  EXPECT_EQ(LogScalePixel(1e-300L, 1, 1e12L), -2000000000);
}

TEST_F(MathUtilsTest, Real48Rounding) {
  for (Extended v : {1.5L, -2.0L, 0.0L, 1024.0L}) EXPECT_EQ(RoundToReal48(v), v);
  const Extended r = RoundToReal48(0.1L);
  EXPECT_NE(r, 0.1L);
  EXPECT_LT(std::fabs(r - 0.1L), 0.1L * 0x1p-40L);
  EXPECT_EQ(RoundToReal48(r), r);
  EXPECT_EQ(RoundToReal48(-0.1L), -r);
  EXPECT_EQ(RoundToReal48(1e-40L), 0);  // below the smallest 6-byte real
  EXPECT_GT(RoundToReal48(1e39L), 1.7e38L);
  EXPECT_LT(RoundToReal48(1e39L), 1.71e38L);
}

}  // namespace
