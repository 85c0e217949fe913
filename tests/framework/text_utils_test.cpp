#include "framework/text_utils.h"

#include <gtest/gtest.h>

#include "framework/globals.h"
#include "framework/init.h"
#include "output_test_support.h"

namespace {

using TextUtilsTest = FrameworkTest;

TEST_F(TextUtilsTest, TrimmingAndPadding) {
  const struct { const char* in; std::string trimmed; } trims[] = {
      {"  ab  ", "ab"}, {"", ""}, {"    ", ""}, {"a b", "a b"}};
  for (const auto& c : trims) EXPECT_EQ(TrimRightText(c.in), c.trimmed) << c.in;
  EXPECT_EQ(TrimRightText(std::string(300, ' ') + "x"), "x");
  EXPECT_EQ(TrimPadRight("ab ", 5), "   ab");
  EXPECT_EQ(TrimPadRight("abcdef", 3), "abc");
  EXPECT_EQ(PadRight("abcdef", 3), "abc");
  EXPECT_EQ(PadRight("ab", 4), "ab  ");
  EXPECT_EQ(PadRight("ab", -1), "");
  std::string s = "  x ";
  TrimTextVar(s);
  EXPECT_EQ(s, "x");
  EXPECT_EQ(LeftText("abc", 2), "ab");
  EXPECT_EQ(LeftText("abc", 9), "abc");
  EXPECT_EQ(RightText("abc", 2), "bc");
  EXPECT_EQ(RightText("abc", 9), "abc");
  // Long texts are shortened in the middle.
  std::string path;
  for (int i = 0; i < 60; ++i) path += static_cast<char>('A' + i % 26);
  const std::string shortened = ShortenText(path, 30);
  EXPECT_EQ(shortened, path.substr(0, 12) + " ... " + path.substr(47));
  EXPECT_EQ(ShortenText("short", 30), "short");
}

TEST_F(TextUtilsTest, CaseBlanksAndCharacters) {
  EXPECT_EQ(UpperCaseText("abz\x84"), "ABZ\x84");
  EXPECT_EQ(LowerCaseText("ABZ\x8E"), "abz\x8E");
  EXPECT_EQ(RemoveBlanks(" a b  c "), "abc");
  std::string s = "a.b.c";
  ReplaceChar('.', '/', s);
  EXPECT_EQ(s, "a/b/c");
  ReplaceChar('/', '/', s);
  EXPECT_EQ(s, "a/b/c");
  EXPECT_EQ(RowDecimalText("1.5"), "1,5");
  EXPECT_EQ(RowDecimalText("0.1 .. .16"), "0,1 .. ,16");
  DecimalMode = 1;
  EXPECT_EQ(RowDecimalText("1,5"), "1.5");
  // CountSubstr gives the last position.
  EXPECT_EQ(CountSubstr("\\", "C:\\DATA\\X.DAT"), 8);
  EXPECT_EQ(CountSubstr("/", "abc"), 0);
  EXPECT_EQ(CountSubstr("aa", "aaa"), 2);  // occurrences overlap
  EXPECT_EQ(CountSubstr("x", std::string(400, 'a') + "x"), 401);
}

TEST_F(TextUtilsTest, WrapTextLines) {
  int longest = 0, count = 0;
  WrapTextLines(std::string(100, 'x'), ' ', 40, longest, count);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(longest, 40);
  EXPECT_EQ(LineTable[1].size(), 40u);
  EXPECT_EQ(LineTable[3].size(), 20u);

  WrapTextLines("one two three four", ' ', 9, longest, count);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(LineTable[1].view(), "one two ");
  EXPECT_EQ(LineTable[2].view(), "three ");
  EXPECT_EQ(LineTable[3].view(), "four");
  EXPECT_EQ(longest, 8);

  // Lines beyond the table are counted, not stored.
  WrapTextLines(std::string(70, 'y'), ' ', 10, longest, count);
  EXPECT_EQ(count, 7);
  WrapTextLines("", ' ', 10, longest, count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(longest, 1);
}

}  // namespace
