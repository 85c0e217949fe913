#include "framework/types.h"

#include <gtest/gtest.h>

TEST(ShortString, CutsOnAssignmentAndAppend) {
  ShortString<5> s = "abcdefgh";
  EXPECT_EQ(s.view(), "abcde");
  s = "ab";
  s += "cdefg";
  EXPECT_EQ(s.view(), "abcde");
  s += 'x';
  EXPECT_EQ(s.size(), 5u);
  ShortString<3> t = s;
  EXPECT_EQ(t.view(), "abc");
  EXPECT_EQ(t[7], '\0');
}
