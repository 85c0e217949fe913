#include "platform/c_numbers.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include <locale.h>

namespace platform {

namespace {

// Created once, never freed: it outlives every caller.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

CLocaleScope::CLocaleScope() : previous_(uselocale(CLocale())) {}
CLocaleScope::~CLocaleScope() { uselocale(previous_); }

int FormatC(char* buffer, std::size_t size, const char* format, ...) {
  CLocaleScope scope;
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, size, format, args);
  va_end(args);
  return n;
}

std::string FormatC(const char* format, ...) {
  CLocaleScope scope;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (n > 0) {
    text.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
  return text;
}

double StrToDoubleC(const char* text, char** end) { return strtod_l(text, end, CLocale()); }

long double StrToLongDoubleC(const char* text, char** end) { return strtold_l(text, end, CLocale()); }

}  // namespace platform
