#include "framework/clock.h"

#include <gtest/gtest.h>

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override { InitClock(); }
  void TearDown() override { InitClock(); }
};

TEST_F(ClockTest, PinnedReadingIsReturnedUntilUnpinned) {
  ClockReading r;
  r.Year = 2009; r.Month = 3; r.Day = 7; r.Hour = 9; r.Minute = 5;
  PinClock(r);
  ClockReading got = ClockNow();
  EXPECT_EQ(got.Year, 2009);
  EXPECT_EQ(got.Day, 7);
  EXPECT_EQ(got.Minute, 5);
  UnpinClock();
  EXPECT_FALSE(ClockPinned());
  got = ClockNow();
  EXPECT_GE(got.Year, 2020);
  EXPECT_GE(got.Month, 1);
  EXPECT_LE(got.Month, 12);
}

