// The clock behind every date and time that reaches output: page headers,
// title blocks, break lines. Tests pin it so that golden files stay stable.
#pragma once

#include <string>

struct ClockReading {
  int Year = 2000;
  int Month = 1;   // 1..12
  int Day = 1;     // 1..31
  int Hour = 0;    // 0..23
  int Minute = 0;
  int Second = 0;
  int Hundredths = 0;
};

// Local time of day, or the pinned reading while one is set.
ClockReading ClockNow();

// Every later ClockNow() returns Reading until UnpinClock or InitClock.
void PinClock(const ClockReading& Reading);
void UnpinClock();
bool ClockPinned();

// Start value: the system clock, nothing pinned.
void InitClock();

// The user's short date format, from the locale the environment names for
// LC_TIME (framework/locale_dates.h), written with d, M and y as
// "dd.MM.yyyy" or "MM/dd/yy".
std::string SystemShortDateFormat();
