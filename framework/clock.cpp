#include "framework/clock.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include <langinfo.h>
#include <locale.h>

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

namespace {

std::string LocaleShortDateFormat() {
  locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return std::string();
  const char* fmt = nl_langinfo_l(D_FMT, loc);
  std::string out;
  for (const char* p = fmt; p && *p; ++p) {
    if (*p != '%' || !p[1]) {
      out += *p;
      continue;
    }
    switch (*++p) {
      case 'd': case 'e': out += "dd"; break;
      case 'm': out += "MM"; break;
      case 'y': out += "yy"; break;
      case 'Y': out += "yyyy"; break;
      case 'F': out += "yyyy-MM-dd"; break;
      case 'D': out += "MM/dd/yy"; break;
      default: break;  // a field without a place in a date layout
    }
  }
  freelocale(loc);
  return out;
}

char LocaleDecimalSign() {
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  const char sign = radix && radix[0] == ',' ? ',' : '.';
  freelocale(loc);
  return sign;
}

// The answer of `Read` for the locale the environment chooses for
// `category`: asked again only when the variables it is chosen by have
// changed (a run of many projects asks once per project).
template <auto Read>
auto ForEnvironment(const char* category) {
  struct Known {
    std::string key;
    decltype(Read()) value{};
    bool valid = false;
  };
  static Known known;
  std::string key;
  for (const char* name : {"LC_ALL", category, "LANG", "LOCPATH"}) {
    if (const char* value = std::getenv(name)) {
      key += '=';
      key += value;
    } else {
      key += '-';
    }
    key += '\0';
  }
  if (!known.valid || key != known.key) known = {key, Read(), true};
  return known.value;
}

}  // namespace

std::string SystemShortDateFormat() { return ForEnvironment<LocaleShortDateFormat>("LC_TIME"); }

char SystemDecimalSign() { return ForEnvironment<LocaleDecimalSign>("LC_NUMERIC"); }
