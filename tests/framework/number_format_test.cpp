#include "framework/number_format.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>
#include <cstdlib>
#include <random>

#include "framework/globals.h"
#include "framework/init.h"
#include "output_test_support.h"

namespace {

using NumberFormatTest = FrameworkTest;

struct FloatCase {
  Extended x;
  const char* text;
};

TEST_F(NumberFormatTest, FloatToTextSignificantDigitsAndTrimming) {
  const FloatCase cases[] = {
      {12.3456L, "12.35"},   {0.123456L, "0.123"}, {2.5L, "2.5"},         {20, "20"},        {1234.4L, "1234"},
      {1.9996L, "2.000"},    {2.0005L, "2"},       {0.00001L, "0.00001"}, {0.0000099L, "0"}, {0, "0"},
      {-12.3456L, "-12.35"}, {0.1L, "0.1"},        {0.01L, "0.01"},       {0.001L, "0.001"}, {0.0001L, "0.0001"},
      {999.9L, "999.9"},     {0.5L, "0.5"},        {123.456L, "123.5"},   {-0.000001L, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToText(c.x), c.text) << static_cast<double>(c.x);
  // Exact powers of ten.
  Extended p = 1;
  for (int e = 0; e <= 12; ++e, p *= 10) EXPECT_EQ(FloatToText(p), "1" + std::string(e, '0')) << e;
  // The nines just below them carry no padding.
  p = 10;
  for (int e = 1; e <= 14; ++e, p *= 10) {
    SCOPED_TRACE(e);
    EXPECT_EQ(FloatToText(p - 1), std::string(e, '9'));
    EXPECT_EQ(FloatToTextFix(1, p - 1), std::string(e, '9') + ".0");
  }
  EXPECT_EQ(FloatToTextEng(1e-6L), "1E-6");
}

// The fixed form is the library's own conversion, rounded to nearest with
// ties to even on the exact binary value, with no sign on a value shown as
// zero: over random numbers of every size, exact ties, and the edges.
TEST_F(NumberFormatTest, FixedFormEqualsTheLibrarysConversionDigitForDigit) {
  auto reference = [](Extended x, int d) {
    char buf[5100];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, d);
    std::string s(buf, r.ptr);
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
  };
  std::mt19937_64 random(2230);
  std::vector<Extended> values = {0.0L, -0.0L, 0.5L, 1.5L, 2.5L, -2.5L, 0.125L, 0.375L, 1e-8L, 9.995L,
                                  0.0049999999999999L, 1e15L, 0x1p63L - 1, 0x1p63L, 1e19L, 1e300L,
                                  std::numeric_limits<Extended>::denorm_min(), 123456789.987654321L};
  for (int i = 0; i < 15000; ++i) {
    const Extended mantissa = std::ldexp(static_cast<Extended>(random() | (1ULL << 63)), -64);
    const int exponent = static_cast<int>(random() % 140) - 76;  // 2^-76 .. 2^63
    const Extended x = std::ldexp(mantissa, exponent) * ((random() & 1) ? -1 : 1);
    values.push_back(x);
    // Halves and quarters at the last decimal shown: ties in binary.
    values.push_back(std::ldexp(static_cast<Extended>(random() % 100000), -static_cast<int>(random() % 6)));
  }
  for (const Extended x : values)
    for (int d = 0; d <= 12; ++d) {
      const std::string expected = reference(x, d);
      const std::string shown = FloatToTextWidth(0, d, x);
      if (shown != expected) {
        ADD_FAILURE() << static_cast<double>(x) << " with " << d << " decimals: " << shown << " not " << expected;
        return;
      }
    }
}

TEST_F(NumberFormatTest, FloatDigitsShiftsDecimals) {
  FloatDigits = 5;
  const FloatCase cases[] = {{12.3456L, "12.3456"}, {2.5L, "2.500"}, {1234.4L, "1234.40"}};
  for (const auto& c : cases) EXPECT_EQ(FloatToText(c.x), c.text) << static_cast<double>(c.x);
  EXPECT_EQ(FloatToTextFix(9, 1), "1.0000000000");  // at most 10 decimals
  EXPECT_EQ(FormatFloatText(3, 0, 2), "  2.00");  // width grows with the shifted decimals
  FloatDigits = 1;
  EXPECT_EQ(FloatToTextFix(1, 2.25L), "2");
}

TEST_F(NumberFormatTest, DecimalCommaAffectsFormattingButNotFixedWidth) {
  DecimalCommaMode = 2;
  EXPECT_EQ(FloatToText(2.5L), "2,5");
  EXPECT_EQ(FloatToTextWidth(3, 1, 2.5L), "  2.5");
  EXPECT_EQ(FloatToTextEng(12300), "12,3E3");
}

TEST_F(NumberFormatTest, FixedWidthAndPadding) {
  EXPECT_EQ(FormatFloatText(5, 2, 3.14159L), "    3.14");
  EXPECT_EQ(FormatFloatText(2, 0, 12345), "12345");  // never cut
  EXPECT_EQ(FormatFloatText(1, 2, 1e-9L), "0.00");
  EXPECT_EQ(FormatFloatText(1, 2, -0.001L), "0.00");  // no sign on a value shown as zero
  EXPECT_EQ(FloatToTextWidth(4, 0, 7.5L), "   8");
  EXPECT_EQ(FloatToTextFix(3, 1.5L), "1.500");
  EXPECT_EQ(FloatToTextFix(0, 0.4L), "0");
  EXPECT_EQ(FloatToTextPrec(8, 12.3456L), "   12.35");
  EXPECT_EQ(FloatToTextPrec(8, 1234.4L), "    1234");
  EXPECT_EQ(FloatToTextPrec(8, 0.0000001L), "       0");
  EXPECT_EQ(FloatToTextSig3(3.14159265L), "3.141593");  // one more digit from 1 on
  EXPECT_EQ(FloatToTextSig(1, 0.123456L), "0.12");
  // Integer texts.
  EXPECT_EQ(IntToText(-17), "-17");
  EXPECT_EQ(IntToTextZeros(7, 2), "07");
  EXPECT_EQ(IntToTextZeros(123, 2), "123");
  EXPECT_EQ(IntToTextZeros(-7, 4), "-007");
  EXPECT_EQ(IntToTextWidth(7, 3), "  7");
}

TEST_F(NumberFormatTest, EngineeringAndExponentForms) {
  const FloatCase eng[] = {{12300, "12.3E3"}, {0.000123L, "0.123E-3"}, {0, "0"},
                           {0.00000125L, "1.25E-6"}, {1234, "1234"}, {0.05L, "0.05"},
                           {1e9L, "1E9"}, {-45600, "-45.6E3"}};
  for (const auto& c : eng) EXPECT_EQ(FloatToTextEng(c.x), c.text) << static_cast<double>(c.x);
  EXPECT_EQ(FloatToTextAuto(1e-13L), "0");
  EXPECT_EQ(FloatToTextAuto(20000), "20E3");
  EXPECT_EQ(FloatToTextAuto(12.5L), "12.5");
  EXPECT_EQ(FloatToTextExp(1, 2, 3, 12346), "12.35E3");
}

TEST_F(NumberFormatTest, Parsers) {
  const struct { const char* text; Extended value; bool valid; } cases[] = {
      {"2,5", 2.5L, true},   {"1,234,5", 0, false}, {"2.5 ", 0, false}, {"", 0, false},
      {"  -3.5e2", -350, true}, {"+4", 4, true},   {".5", 0.5L, true},  {"5.", 5, true},
      {"1e", 0, false},      {"1.2.3", 0, false},  {"abc", 0, false},   {"0", 0, true},
      {"1E+3", 1000, true},  {"-", 0, false},      {"1e99999", 0, false}, {"12x", 0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToFloat(c.text), c.value) << c.text;
    Extended v = 77;
    EXPECT_EQ(TryTextToFloat(c.text, v), c.valid) << c.text;
    EXPECT_EQ(v, c.valid ? c.value : 77) << c.text;
  }
  // Plain decimals, as the writers make them, read to the last bit as the C reader reads them.
  std::mt19937_64 rng(2230);
  for (int i = 0; i < 3000; ++i) {
    const std::string t = FloatToTextWidth(
        0, static_cast<int>(rng() % 12),
        std::ldexp(static_cast<Extended>(rng() % 4000000) - 2000000, static_cast<int>(rng() % 60) - 40));
    const Extended got = TextToFloat(t), expected = std::strtold(t.c_str(), nullptr);
    ASSERT_TRUE(got == expected && std::signbit(got) == std::signbit(expected)) << t;
  }
  EXPECT_EQ(TextToInt("42"), 42);
  EXPECT_EQ(TextToInt(" -42"), -42);
  EXPECT_EQ(TextToInt("4.2"), 0);
  EXPECT_EQ(TextToInt("2147483647"), 2147483647);
  EXPECT_EQ(TextToInt("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(TextToInt("2147483648"), 0);
  int i = 5;
  EXPECT_FALSE(TryTextToInt("", i));
  EXPECT_EQ(i, 5);
}

TEST_F(NumberFormatTest, ToleranceRangeAndMeanTexts) {
  EXPECT_EQ(ToleranceText(0.1L, -0.1L), PlusMinusText() + "0.1");
  EXPECT_EQ(ToleranceText(0.2L, -0.1L), "+0.2/-0.1");
  EXPECT_EQ(ToleranceText(0, 0), "");
  EXPECT_EQ(ToleranceText(0, -0.05L), "-0.05");
  EXPECT_EQ(ToleranceText(0.15L, 0), "+0.15");
  EXPECT_EQ(PlusMinusText(), " \xF1 ");
  CharSetMode = 1;
  EXPECT_EQ(PlusMinusText(), "+/-");
  EXPECT_EQ(MeanPercentText(0.1L, 0.14L), "0.12+/-16.67 %");
  EXPECT_EQ(MeanPercentText(0.1L, 0.1L), "0.1 \xF1 0%");
  CharSetMode = 0;
  EXPECT_EQ(MeanPercentText(0.1L, 0.14L), "0.12 \xF1 16.67 %");
  EXPECT_EQ(RangeText(3, 1, 2, 2), "  2.0");
  EXPECT_EQ(RangeText(3, 1, 2, 3.5L), "2 .. 3.5");
}

}  // namespace

namespace {

TEST_F(NumberFormatTest, ValuesBeyondTheFixedFormAndBeyondTheirFieldShowInExponentForm) {
  const struct {
    int w, d;
    Extended x;
    const char* text;
  } core[] = {
      {8, 0, 1e20L, " 1.00E20"},          {8, 0, 1e308L, "1.00E308"},   {8, 0, -9.4539e307L, "-9.5E307"},
      {3, 2, 9.999e15L, "1.0E16"},       {0, 0, 1e15L, "1.00E15"},     {8, 0, 999999999999999, "999999999999999"},
      {3, 2, -12345.678L, "-12345.68"},  // a value in reach of the fixed form keeps it
  };
  for (const auto& c : core) {
    SCOPED_TRACE(static_cast<double>(c.x));
    EXPECT_EQ(FormatFloatText(c.w, c.d, c.x), c.text);
  }
  EXPECT_EQ(FloatToText(-2.5e18L), "-2.50E18");
  EXPECT_EQ(FloatToTextFix(3, 2.5e18L), "2.50E18");
  EXPECT_EQ(FloatToTextPrec(8, 1e20L), " 1.00E20");

  const struct {
    const char* text;
    int width;
    const char* fitted;
  } fields[] = {
      {"100000000000000000000", 8, "1.00E20"}, {"-94539866237748319152", 6, "-9E19"},
      {"-94539866237748319152", 4, "****"},     {"  1234567", 8, "1234567"},
      {"12,5", 3, "1E1"},                        {" l [mm] and more", 4, " l [mm] and more"},
      {"12345", 0, "12345"},
  };
  for (const auto& f : fields) {
    SCOPED_TRACE(f.text);
    EXPECT_EQ(FitNumberToField(f.text, f.width), f.fitted);
  }
  DecimalCommaMode = 2;
  EXPECT_EQ(FloatToTextFitted(1.25e20L, 0), "1,25E20");
  EXPECT_EQ(FloatToTextFitted(-1.25e-20L, 0), "-1,25E-20");
}

// A "." or "," before exactly three digits that is not the decimal sign the
// field shows reads two ways; either sign elsewhere reads one way only.
TEST_F(NumberFormatTest, ATypedNumberThatReadsTwoWaysNamesBothReadings) {
  EXPECT_EQ(AmbiguousNumberMessage("D", "1.000", ','), "D: \"1.000\" is ambiguous: 1000 or 1 ?  Please type 1000, or 1.");
  EXPECT_EQ(AmbiguousNumberMessage("l", "1,500", '.'), "l: \"1,500\" is ambiguous: 1500 or 1.5 ?  Please type 1500, or 1.5.");
  EXPECT_EQ(AmbiguousNumberMessage("x", "-12,250", '.'),
            "x: \"-12,250\" is ambiguous: -12250 or -12.25 ?  Please type -12250, or -12.25.");
  EXPECT_EQ(AmbiguousNumberMessage("x", "+999.125", ','),
            "x: \"+999.125\" is ambiguous: 999125 or 999,125 ?  Please type 999125, or 999,125.");
  struct Plain {
    const char* text;
    char shown;
  };
  for (const Plain& p : {Plain{"1,000", ','}, {"1.500", '.'}, {"0,125", '.'}, {"0.125", ','}, {"1,5", '.'},
                         {"1.5", ','}, {"1234.500", ','}, {"1,5000", '.'}, {"1,50", '.'}, {",500", '.'},
                         {"1,50a", '.'}, {"1.000.000", ','}, {"", '.'}}) {
    SCOPED_TRACE(p.text);
    EXPECT_EQ(AmbiguousNumberMessage("x", p.text, p.shown), "");
  }
  EXPECT_EQ(ShownDecimalSign(), '.');
  DecimalCommaMode = 2;
  EXPECT_EQ(ShownDecimalSign(), ',');
}

}  // namespace
