// Number texts with "." as decimal sign whatever locale the process runs
// in: the window program's toolkit sets the C library's locale from the
// environment, and a stored number (table fields, index keys, configuration,
// workbooks) must read back the same under any of them.
#pragma once

#include <cstddef>
#include <string>

#include <locale.h>

namespace platform {

// The calling thread reads and writes numbers in the "C" locale while it
// lives, whatever the process' locale is or becomes meanwhile.
class CLocaleScope {
 public:
  CLocaleScope();
  ~CLocaleScope();
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

// snprintf in the "C" locale.
int FormatC(char* buffer, std::size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
// The whole formatted text, however long.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// strtod / strtold in the "C" locale.
double StrToDoubleC(const char* text, char** end);
long double StrToLongDoubleC(const char* text, char** end);

}  // namespace platform
