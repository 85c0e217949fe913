// The short date format of the user's locale, told from the locale's name
// alone: the statically linked wbq4 cannot load the C library's locale
// data, and the window must give the same answer as the command line.
#pragma once

#include <string>
#include <string_view>

// The locale the environment names for `category` ("LC_TIME"): LC_ALL, then
// the category's variable, then LANG, the first that is set and not empty;
// "C" when none is.
std::string LocaleNameFor(const char* category);

// The short date format of a locale ("de_DE.UTF-8", "en_GB", "sr_RS@latin"),
// written with d, M and y as "dd.MM.yyyy" or "MM/dd/yy": the layout of the
// locale's short dates; "MM/dd/yy" (the C locale's) for C, POSIX and names
// the table does not hold.
std::string ShortDateFormatOfLocale(std::string_view name);
