#include "framework/clock.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "framework/locale_dates.h"


namespace {
bool g_pinned = false;
ClockReading g_pinnedReading;
}  // namespace

ClockReading ClockNow() {
  if (g_pinned) return g_pinnedReading;
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  ClockReading r;
  r.Year = tm.tm_year + 1900;
  r.Month = tm.tm_mon + 1;
  r.Day = tm.tm_mday;
  r.Hour = tm.tm_hour;
  r.Minute = tm.tm_min;
  r.Second = tm.tm_sec;
  r.Hundredths = static_cast<int>(ms / 10);
  return r;
}

void PinClock(const ClockReading& Reading) {
  g_pinnedReading = Reading;
  g_pinned = true;
}

void UnpinClock() { g_pinned = false; }

bool ClockPinned() { return g_pinned; }

void InitClock() { UnpinClock(); }

std::string SystemShortDateFormat() { return ShortDateFormatOfLocale(LocaleNameFor("LC_TIME")); }
