#include "dbf/runtime.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

#include "dbf/errors.h"
#include "framework/charset.h"
#include "framework/clock.h"
#include "framework/math_utils.h"
#include "platform/c_numbers.h"
#include "platform/os.h"

std::uint8_t TzCountry = 0;
std::uint8_t TzDateFormat = 0;
bool TzCentury = false;
char TzDecimalSep = '.';
char TzThousandSep = ',';
int TzBaseYear = 1950;
std::int32_t TzDosError = 0;
std::vector<TzSearchRec> UnerasableFiles;
std::uint8_t TzFloppyCount = 0;
std::uint32_t TzTotalMemKB = 0;
std::string TzWinVersion;
std::string TzShortDatePicture = "MM/dd/yy";
char TzDateSeparator = '/';

namespace {

void NoIdle() {}

}  // namespace

TzDate TzToday() {
  ClockReading now = ClockNow();
  return TzDate{now.Year, now.Month, now.Day};
}

void (*IdleHook)() = NoIdle;

void ApplyCountrySeparators(std::uint8_t country) {
  if (country >= 3 && country <= 6) {
    TzDecimalSep = ',';
    TzThousandSep = '.';
  } else if (country == 8) {
    TzDecimalSep = '.';
    TzThousandSep = ' ';
  } else {
    TzDecimalSep = '.';
    TzThousandSep = ',';
  }
}

void InitDbfRuntime() {
  TzCountry = DetectCountry();
  SetDateFormat(TzCountry);
  TzCentury = false;
  ApplyCountrySeparators(TzCountry);
  TzDosError = 0;
  UnerasableFiles.clear();
  TzFloppyCount = FloppyCount();
  TzTotalMemKB = TotalMemory(1);
  std::uint16_t v = GetWinVersion();
  TzWinVersion = std::to_string(v & 0xFF) + "." + std::to_string(v >> 8);
  IdleHook = NoIdle;
  TzBaseYear = TzToday().year - 70;
}

// ---- memory and system -------------------------------------------------

void TzGetMem(void*& block, std::uint16_t size) { block = std::calloc(size ? size : 1, 1); }

void TzFreeMem(void*& block, std::uint16_t) {
  if (!block) {
    DederError(9, "Attempt to free NIL pointer [FreeMem()]");
    return;
  }
  std::free(block);
  block = nullptr;
}

std::int32_t TzMaxAvail() { return 2147483647; }

std::uint16_t GetWinVersion() { return 7; }  // there is no Windows here: 7.0

std::uint32_t TotalMemory(int unit) {
  // The machine's memory: read once per run, which initialises every module
  // again for each of its projects.
  static const std::uint64_t bytes = [] {
    unsigned long long kb = 0;
    if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
      if (std::fscanf(f, "MemTotal: %llu kB", &kb) != 1) kb = 0;
      std::fclose(f);
    }
    return static_cast<std::uint64_t>(kb) * 1024ULL;
  }();
  std::uint64_t div = unit == 1 ? 1024ULL : unit == 2 ? 1024ULL * 1024ULL : 1ULL;
  std::uint64_t v = (bytes + div / 2) / div;
  return v > 0xFFFFFFFFULL ? 0xFFFFFFFFU : static_cast<std::uint32_t>(v);
}

std::uint8_t FloppyCount() { return 0; }

void GetTodayDate(std::uint16_t& year, std::uint16_t& month, std::uint16_t& day,
                  std::uint16_t& dayOfWeek) {
  TzDate d = TzToday();
  year = static_cast<std::uint16_t>(d.year);
  month = static_cast<std::uint16_t>(d.month);
  day = static_cast<std::uint16_t>(d.day);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.month % 100, d.day % 100, d.year % 10000);
  int saved = TzDateFormat;
  TzDateFormat = 0;
  dayOfWeek = static_cast<std::uint16_t>(DOW(buf));
  TzDateFormat = static_cast<std::uint8_t>(saved);
}

void UnpackFileTime(std::uint32_t t, TzDateTime& dt) {
  dt.second = static_cast<std::uint16_t>((t & 0x1F) * 2);
  dt.minute = static_cast<std::uint16_t>((t >> 5) & 0x3F);
  dt.hour = static_cast<std::uint16_t>((t >> 11) & 0x1F);
  dt.day = static_cast<std::uint16_t>((t >> 16) & 0x1F);
  dt.month = static_cast<std::uint16_t>((t >> 21) & 0x0F);
  dt.year = static_cast<std::uint16_t>(((t >> 25) & 0x7F) + 1980);
}

std::uint8_t DetectCountry() {
  std::string lang;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    lang = platform::GetEnvironment(var);
    if (!lang.empty()) break;
  }
  if (lang.size() < 2) return 0;
  std::string primary = lang.substr(0, 2);
  std::string region = lang.size() >= 5 && lang[2] == '_' ? lang.substr(3, 2) : std::string();
  if (primary == "de") return 5;
  if (primary == "en") return region == "US" || region.empty() ? 0 : 2;
  if (primary == "es") return 6;
  if (primary == "fr") return region == "CA" ? 7 : 4;
  if (primary == "it") return 3;
  if (primary == "ru") return 8;
  return 0;
}

// ---- character sets ------------------------------------------------------

namespace {

// The framework's code page tables, copied once so that whole records
// convert without a call per byte.
struct CodePageTables {
  unsigned char toAnsi[256];
  unsigned char toOem[256];
  // Whether the bytes below 128 stay as they are, each way.
  bool asciiToAnsi = true;
  bool asciiToOem = true;
  CodePageTables() {
    for (int i = 0; i < 256; ++i) {
      toAnsi[i] = OemToAnsiChar(static_cast<unsigned char>(i));
      toOem[i] = AnsiToOemChar(static_cast<unsigned char>(i));
      if (i < 128 && toAnsi[i] != i) asciiToAnsi = false;
      if (i < 128 && toOem[i] != i) asciiToOem = false;
    }
  }
};

const CodePageTables& Tables() {
  static const CodePageTables tables;
  return tables;
}

// Maps every byte through `table`; when the bytes below 128 stay, only the
// words of eight bytes that hold a higher one are looked at byte by byte.
void MapBytes(const unsigned char* table, bool asciiStays, char* p, std::size_t n) {
  std::size_t i = 0;
  if (asciiStays && n >= 8) {
    // Mostly all ASCII: one test of every word, the last overlapping.
    std::uint64_t any = 0, word;
    for (; i + 8 <= n; i += 8) {
      std::memcpy(&word, p + i, 8);
      any |= word;
    }
    std::memcpy(&word, p + n - 8, 8);
    if (((any | word) & 0x8080808080808080ULL) == 0) return;
    i = 0;
  }
  if (asciiStays) {
    for (; i + 8 <= n; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) continue;
      for (std::size_t j = i; j < i + 8; ++j) p[j] = static_cast<char>(table[static_cast<unsigned char>(p[j])]);
    }
  }
  for (; i < n; ++i) p[i] = static_cast<char>(table[static_cast<unsigned char>(p[i])]);
}

}  // namespace

void OemToAnsiBuffer(char* p, std::size_t n) {
  const CodePageTables& t = Tables();
  MapBytes(t.toAnsi, t.asciiToAnsi, p, n);
}

bool OemToAnsiKeeps(const char* p, std::size_t n) {
  if (!Tables().asciiToAnsi) return n == 0;
  std::uint64_t any = 0, word;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::memcpy(&word, p + i, 8);
    any |= word;
  }
  for (; i < n; ++i) any |= static_cast<unsigned char>(p[i]);
  return (any & 0x8080808080808080ULL) == 0;
}

void AnsiToOemBuffer(char* p, std::size_t n) {
  const CodePageTables& t = Tables();
  MapBytes(t.toOem, t.asciiToOem, p, n);
}

std::string TzOemToAnsi(std::string_view s) {
  std::string r(s);
  OemToAnsiBuffer(r.data(), r.size());
  return r;
}

std::string TzAnsiToOem(std::string_view s) {
  std::string r(s);
  AnsiToOemBuffer(r.data(), r.size());
  return r;
}

// ---- strings -------------------------------------------------------------

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

std::string TzTrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlankOrControl(s[n - 1])) --n;
  return std::string(s.substr(0, n));
}

std::string TzTrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlankOrControl(s[i])) ++i;
  return std::string(s.substr(i));
}

std::string AllTrim(std::string_view s) { return TzTrimLeft(TzTrimRight(s)); }

// Upper and lower case in the Windows character set (code page 1252).
char UpCaseChar(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
  if (u == 0x9A || u == 0x9C || u == 0x9E) return static_cast<char>(u - 16);
  if (u == 0xFF) return static_cast<char>(0x9F);
  return c;
}

char LoCaseChar(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  if (u == 0x8A || u == 0x8C || u == 0x8E) return static_cast<char>(u + 16);
  if (u == 0x9F) return static_cast<char>(0xFF);
  return c;
}

bool IsAlphaChar(char c) {
  auto u = static_cast<unsigned char>(c);
  if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) return true;
  if (u >= 0xC0 && u != 0xD7 && u != 0xF7) return true;
  return u == 0x8A || u == 0x8C || u == 0x8E || u == 0x9A || u == 0x9C || u == 0x9E ||
         u == 0x9F || u == 0x83 || u == 0xAA || u == 0xB5 || u == 0xBA;
}

std::string TzUpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpCaseChar(c);
  return r;
}

bool IsAlpha(std::string_view s) { return !s.empty() && IsAlphaChar(s[0]); }

std::string Replicate(char c, int count) {
  return count > 0 ? std::string(static_cast<std::size_t>(count), c) : std::string();
}

std::string TzPadRight(std::string_view s, int width) {
  std::string r(s);
  if (width >= 1 && r.size() < static_cast<std::size_t>(width)) r.append(width - r.size(), ' ');
  return r;
}

int Occurs(std::string_view sub, std::string_view text) {
  if (sub.empty() || text.empty()) return 0;
  int n = 0;
  for (std::size_t p = text.find(sub); p != std::string_view::npos; p = text.find(sub, p + sub.size())) ++n;
  return n;
}

int AtN(int n, std::string_view sub, std::string_view text) {
  if (n == 0 || sub.empty() || text.empty()) return 0;
  if (n < 0) {
    std::string rs(sub.rbegin(), sub.rend());
    std::string rt(text.rbegin(), text.rend());
    int p = AtN(-n, rs, rt);
    if (p == 0) return 0;
    // Start of the match in the unreversed text.
    return static_cast<int>(text.size()) - (p - 1) - static_cast<int>(sub.size()) + 1;
  }
  std::size_t from = 0;
  for (int k = 1;; ++k) {
    std::size_t p = text.find(sub, from);
    if (p == std::string_view::npos) return 0;
    if (k == n) return static_cast<int>(p) + 1;
    from = p + 1;
  }
}

int PosNoCase(const char* s1, std::size_t len1, const char* s2, std::size_t len2) {
  if (len1 == 0 || len1 > len2) return 0;
  std::string a = TzUpperCase(std::string_view(s1, len1));
  std::string b = TzUpperCase(std::string_view(s2, len2));
  std::size_t p = b.find(a);
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

bool RemoveKeyword(std::string_view keyword, std::string& command) {
  command = TzUpperCase(command);
  std::string key = TzUpperCase(keyword);
  bool removed = false;
  if (!key.empty()) {
    std::size_t from = 0;
    for (;;) {
      std::size_t p = command.find(key, from);
      if (p == std::string::npos) break;
      std::size_t end = p + key.size();
      char next = end < command.size() ? command[end] : '\0';
      bool joined = next != '\0' && (IsAlphaChar(next) || (next >= '0' && next <= '9') ||
                                     next == '\\' || next == '_');
      if (joined) {
        from = p + 1;
        continue;
      }
      command.erase(p, key.size());
      removed = true;
      from = p;
    }
  }
  command = AllTrim(command);
  return removed;
}

std::string FolderPart(const std::string& command) {
  const std::size_t slash = command.rfind('/');
  return slash == std::string::npos ? std::string() : command.substr(0, slash + 1);
}

// ---- dates ---------------------------------------------------------------

namespace {

struct NameTable {
  const char* days[7];
  const char* months[12];
  int dayWidth;
  int monthWidth;
};

const NameTable kEnglish = {
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    9, 9};
const NameTable kItalian = {
    {"Domenica", "Lunedi", "Martedi", "Mercoledi", "Giovedi", "Venerdi", "Sabato"},
    {"Gennaio", "Febbraio", "Marzo", "Aprile", "Maggio", "Giugno", "Luglio", "Agosto",
     "Settembre", "Ottobre", "Novembre", "Dicembre"},
    9, 9};
const NameTable kFrench = {
    {"Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"},
    {"Janvier", "F\x82""vrier", "Mars", "Avril", "Mai", "Juin", "Juillet", "Ao\x96""t",
     "Septembre", "Octobre", "Novembre", "D\x82""cembre"},
    8, 9};
const NameTable kGerman = {
    {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
    {"Januar", "Februar", "M\x84""rz", "April", "Mai", "Juni", "Juli", "August", "September",
     "Oktober", "November", "Dezember"},
    10, 9};
const NameTable kSpanish = {
    {"Domingo", "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado"},
    {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto", "Septiembre",
     "Octubre", "Noviembre", "Diciembre"},
    9, 10};
// Code page 866.
const NameTable kRussian = {
    {"\x82\xAE\xE1\xAA\xE0\xA5\xE1\xA5\xAD\xEC\xA5", "\x8F\xAE\xAD\xA5\xA4\xA5\xAB\xEC\xAD\xA8\xAA",
     "\x82\xE2\xAE\xE0\xAD\xA8\xAA", "\x91\xE0\xA5\xA4\xA0", "\x97\xA5\xE2\xA2\xA5\xE0\xA3",
     "\x8F\xEF\xE2\xAD\xA8\xE6\xA0", "\x91\xE3\xA1\xA1\xAE\xE2\xA0"},
    {"\x9F\xAD\xA2\xA0\xE0\xEC", "\x94\xA5\xA2\xE0\xA0\xAB\xEC", "\x8C\xA0\xE0\xE2",
     "\x80\xAF\xE0\xA5\xAB\xEC", "\x8C\xA0\xA9", "\x88\xEE\xAD\xEC", "\x88\xEE\xAB\xEC",
     "\x80\xA2\xA3\xE3\xE1\xE2", "\x91\xA5\xAD\xE2\xEF\xA1\xE0\xEC",
     "\x8E\xAA\xE2\xEF\xA1\xE0\xEC", "\x8D\xAE\xEF\xA1\xE0\xEC", "\x84\xA5\xAA\xA0\xA1\xE0\xEC"},
    11, 8};

const NameTable& NamesOf(int format) {
  switch (format) {
    case 3: return kItalian;
    case 4:
    case 7: return kFrench;
    case 5: return kGerman;
    case 6: return kSpanish;
    case 8: return kRussian;
    default: return kEnglish;
  }
}

char SeparatorOf(int format) {
  switch (format) {
    case 0:
    case 2: return '/';
    case 3: return '-';
    default: return '.';
  }
}

int ToInt(std::string_view s) {
  std::string t = AllTrim(s);
  if (t.empty()) return 0;
  int v = 0;
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return 0;
  return v;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string FillTwo(std::string_view part) {
  std::string t = AllTrim(part);
  while (t.size() < 2) t.insert(0, "0");
  return t;
}

// Splits a date text at `sep` into three parts.
void SplitDate(std::string_view d, char sep, std::string parts[3]) {
  for (int i = 0; i < 3; ++i) parts[i].clear();
  int k = 0;
  for (char c : d) {
    if (c == sep) {
      if (++k > 2) break;
      continue;
    }
    parts[k] += c;
  }
}

bool AllEmpty(const std::string parts[3]) {
  return AllTrim(parts[0]).empty() && AllTrim(parts[1]).empty() && AllTrim(parts[2]).empty();
}

// Internal form of any date text, without changing the caller's copy.
std::string Internal(std::string_view date) {
  std::string d(date);
  DateToInternal(d);
  return d;
}

bool IsEmptyInternal(std::string_view d) {
  std::string parts[3];
  SplitDate(d, '/', parts);
  return AllEmpty(parts);
}

}  // namespace

void SetDateFormat(int code) {
  if (code < 0 || code >= 9) code = 0;
  TzDateFormat = static_cast<std::uint8_t>(code);
  std::string year = TzCentury ? "yyyy" : "yy";
  switch (code) {
    case 0: TzShortDatePicture = "MM/dd/" + year; break;
    case 1: TzShortDatePicture = year + ".MM.dd"; break;
    case 2: TzShortDatePicture = "dd/MM/" + year; break;
    case 3: TzShortDatePicture = "dd-MM-" + year; break;
    default: TzShortDatePicture = "dd.MM." + year; break;
  }
  TzDateSeparator = SeparatorOf(code);
}

int CenturyOf(std::string_view twoDigitYear) {
  int yy = ToInt(twoDigitYear);
  int base = TzBaseYear;
  int century = base / 100 * 100;
  return base % 100 <= yy ? century : century + 100;
}

std::string CenturyDigits(std::string_view twoDigitYear) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", (CenturyOf(twoDigitYear) / 100) % 100);
  return buf;
}

std::string ExpandYear(std::string_view year) {
  std::string y(year.substr(0, 4));
  if (!TzCentury) return y;
  if (y.size() == 2) return CenturyDigits(y) + y;
  while (y.size() < 4) y.insert(0, "0");
  return y;
}

std::string EmptyDate(int code) {
  std::string yb = TzCentury ? "    " : "  ";
  switch (code) {
    case 1: return yb + ".  .  ";
    case 3: return "  -  -" + yb;
    case 4: case 5: case 6: case 7: case 8: return "  .  ." + yb;
    default: return "  /  /" + yb;
  }
}

void DateToInternal(std::string& date) {
  std::size_t nul = date.find('\0');
  if (nul != std::string::npos) date.resize(nul);
  char sep;
  if (date.find('/') != std::string::npos) sep = '/';
  else if (date.find('-') != std::string::npos) sep = '-';
  else if (date.find('.') != std::string::npos) sep = '.';
  else return;
  std::string parts[3];
  SplitDate(date, sep, parts);
  if (AllEmpty(parts)) {
    date = EmptyDate(0);
    return;
  }
  std::string m, d, y;
  switch (TzDateFormat) {
    case 0: m = parts[0]; d = parts[1]; y = parts[2]; break;
    case 1: y = parts[0]; m = parts[1]; d = parts[2]; break;
    default: d = parts[0]; m = parts[1]; y = parts[2]; break;
  }
  date = FillTwo(m) + "/" + FillTwo(d) + "/" + ExpandYear(FillTwo(y));
}

void DateToNational(std::string& date) {
  std::string parts[3];
  SplitDate(date, '/', parts);
  if (AllEmpty(parts)) {
    date = EmptyDate(TzDateFormat);
    return;
  }
  std::string m = FillTwo(parts[0]), d = FillTwo(parts[1]), y = ExpandYear(FillTwo(parts[2]));
  char s = SeparatorOf(TzDateFormat);
  switch (TzDateFormat) {
    case 0: date = m + s + d + s + y; break;
    case 1: date = y + s + m + s + d; break;
    default: date = d + s + m + s + y; break;
  }
}

bool IsLeapYear(int year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

bool ValidDate(std::string& date) {
  std::string d = AllTrim(date);
  DateToInternal(d);
  if (IsEmptyInternal(d)) {
    std::string e = EmptyDate(0);
    if (TzDateFormat != 0) DateToNational(e);
    date = e;
    return true;
  }
  if (d.size() != 8 && d.size() != 10) return false;
  if (d[2] != '/' || d[5] != '/') return false;
  std::string ms = d.substr(0, 2), ds = d.substr(3, 2), ys = d.substr(6);
  if (!AllDigits(ms) || !AllDigits(ds) || !AllDigits(ys)) return false;
  int m = ToInt(ms), day = ToInt(ds), y = ToInt(ys);
  if (m < 1 || m > 12 || day < 1 || day > 31) return false;
  if (m == 2 && day > 29) return false;
  if ((m == 4 || m == 6 || m == 9 || m == 11) && day > 30) return false;
  if (ys.size() == 2) y += CenturyOf(ys);
  if (m == 2 && day == 29 && !IsLeapYear(y)) return false;
  if (d.size() == 10 && !TzCentury) d = d.substr(0, 6) + d.substr(8, 2);
  if (TzDateFormat != 0) DateToNational(d);
  date = d;
  return true;
}

namespace {

// Day of week of a date already in internal form.
int DowOfInternal(const std::string& d) {
  if (d.size() < 8) return 0;
  int m = ToInt(d.substr(0, 2)), day = ToInt(d.substr(3, 2));
  std::string ys = d.substr(6);
  int year = ToInt(ys);
  if (ys.size() <= 2) year += CenturyOf(ys);
  if (m < 3) {
    m += 12;
    year -= 1;
  }
  int c = year / 100, y = year % 100;
  int v = day + (m + 1) * 26 / 10 + y + y / 4 + c / 4 - 2 * c;
  v = ((v % 7) + 7) % 7;
  return v == 0 ? 7 : v;
}

int MonthOfInternal(const std::string& d) { return d.size() >= 2 ? ToInt(d.substr(0, 2)) : 0; }

}  // namespace

int DOW(std::string_view date) { return DowOfInternal(Internal(date)); }

std::string CDOW(std::string_view date) {
  std::string d = Internal(date);
  if (IsEmptyInternal(d)) return std::string(10, ' ');
  int w = DowOfInternal(d);
  if (w < 1 || w > 7) return std::string(10, ' ');
  const NameTable& t = NamesOf(TzDateFormat);
  return TzPadRight(t.days[w - 1], t.dayWidth);
}

std::string CMONTH(std::string_view date) {
  std::string d = Internal(date);
  int m = MonthOfInternal(d);
  if (IsEmptyInternal(d) || m < 1 || m > 12) return std::string(9, ' ');
  const NameTable& t = NamesOf(TzDateFormat);
  return TzPadRight(t.months[m - 1], t.monthWidth);
}

int DateMonth(std::string_view date) {
  std::string d = Internal(date);
  return d.size() >= 2 ? ToInt(d.substr(0, 2)) : 0;
}

int DateDay(std::string_view date) {
  std::string d = Internal(date);
  return d.size() >= 5 ? ToInt(d.substr(3, 2)) : 0;
}

int DateYear(std::string_view date) {
  std::string d = Internal(date);
  return d.size() >= 7 ? ToInt(d.substr(6)) : 0;
}

std::string DTOS(std::string_view date) {
  std::string d = Internal(date);
  if (d.size() < 8 || IsEmptyInternal(d)) return std::string(8, ' ');
  std::string y = AllTrim(d.substr(6));
  if (y.size() < 4) y = (y.size() == 2 ? CenturyDigits(y) : std::string(4 - y.size(), '0')) + y;
  return y + d.substr(0, 2) + d.substr(3, 2);
}

std::string STOD(std::string_view s) {
  if (s.size() < 8 || AllTrim(s).empty()) return EmptyDate(TzDateFormat);
  std::string y(s.substr(0, 4));
  std::string internal = std::string(s.substr(4, 2)) + "/" + std::string(s.substr(6, 2)) + "/" +
                         (TzCentury ? y : y.substr(2));
  DateToNational(internal);
  return internal;
}

std::uint32_t TickCount() { return platform::TickCount(); }
std::uint32_t TickSeconds() { return platform::TickCount() / 1000; }
