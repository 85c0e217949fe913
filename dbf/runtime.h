// Base routines of the table engine: national settings (explicit settings,
// never the C locale), character-set conversion, xBase string, number and
// date functions, and file helpers. Failures go through DederError.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// National settings and system information.
extern std::uint8_t TzCountry;      // 0-8, see DetectCountry
extern std::uint8_t TzDateFormat;   // 0-8
extern bool TzCentury;              // dates carry four-digit years
extern char TzDecimalSep;
extern char TzThousandSep;
extern int TzBaseYear;              // first year of the two-digit-year window
extern std::int32_t TzDosError;
extern std::uint8_t TzFloppyCount;
extern std::uint32_t TzTotalMemKB;
extern std::string TzWinVersion;
// The run time's short date picture and separator, set by SetDateFormat.
extern std::string TzShortDatePicture;
extern char TzDateSeparator;

// Today's date for the engine (headers, DATE()), from the program's clock
// (framework/clock.h), which tests pin.
struct TzDate {
  int year = 0, month = 0, day = 0;
};
TzDate TzToday();

void InitDbfRuntime();

// Memory.
void TzGetMem(void*& block, std::uint16_t size);
void TzFreeMem(void*& block, std::uint16_t size);
std::int32_t TzMaxAvail();

// System.
std::uint16_t GetWinVersion();
std::uint32_t TotalMemory(int unit);
std::uint8_t FloppyCount();
void GetTodayDate(std::uint16_t& year, std::uint16_t& month, std::uint16_t& day,
                  std::uint16_t& dayOfWeek);
struct TzDateTime {
  std::uint16_t year, month, day, hour, minute, second;
};
void UnpackFileTime(std::uint32_t fileTime, TzDateTime& dt);
// Country code from the user's language ($LC_ALL, $LC_MESSAGES, $LANG).
std::uint8_t DetectCountry();
void ApplyCountrySeparators(std::uint8_t country);

// DOS code page 437 <-> Windows code page 1252 (framework/charset.h).
std::string TzOemToAnsi(std::string_view s);
std::string TzAnsiToOem(std::string_view s);
void OemToAnsiBuffer(char* p, std::size_t n);
// Whether OemToAnsiBuffer leaves these n bytes as they are (checked a word at a time).
bool OemToAnsiKeeps(const char* p, std::size_t n);
void AnsiToOemBuffer(char* p, std::size_t n);

// Strings.
std::string TzTrimRight(std::string_view s);
std::string TzTrimLeft(std::string_view s);
std::string AllTrim(std::string_view s);
std::string TzUpperCase(std::string_view s);
char UpCaseChar(char c);
char LoCaseChar(char c);
bool IsAlphaChar(char c);
bool IsAlpha(std::string_view s);
std::string Replicate(char c, int count);
std::string TzPadRight(std::string_view s, int width);
int Occurs(std::string_view sub, std::string_view text);
int AtN(int n, std::string_view sub, std::string_view text);
int PosNoCase(const char* s1, std::size_t len1, const char* s2, std::size_t len2);
inline std::string IIfStr(bool cond, std::string_view a, std::string_view b) {
  return std::string(cond ? a : b);
}
bool RemoveKeyword(std::string_view keyword, std::string& command);
// The folders of a command's path, up to its last "/": the option words of a
// command follow the file name, so a folder that holds such a word is still a folder.
std::string FolderPart(const std::string& command);

// Numbers. CleanNumber, ValReal and ValLong read a number text as a user
// typed it, with the national decimal sign TzDecimalSep (the other of "."
// and "," is a thousands separator and dropped).
void CleanNumber(std::string& text);
long double ValReal(std::string_view text);
std::int32_t ValLong(std::string_view text);
// A number text that the program, a table or a file wrote, read whole:
// blanks around it, a sign, digits with one decimal sign, an exponent. Its
// decimal sign is "." whatever the national settings, and a "," that another
// program wrote is read as one too, never dropped to join the digits around
// it. Where both appear, the last one is the decimal sign and the other must
// group the whole digits by three ("1.234,5" and "1,234.5" are 1234.5); a
// sign repeated with groups of three is a thousands sign ("1,234,567").
// Anything else is no number; a value beyond the range of a double is out of
// range (value then the infinity of its sign). Blanks alone read as 0;
// zero bytes count as blanks.
enum class TStoredRead { Number, Blank, NoNumber, OutOfRange };
TStoredRead ReadStoredNumber(std::string_view text, long double& value);
TStoredRead ReadStoredNumber(std::string_view text, double& value);
// Whether a text is "*"s alone (blanks around them): a value too wide for
// the number field that wrote it, which reads as 0.
bool OverflowStars(std::string_view text);
// What a failed read is named with: "\"1e400\" is beyond range".
std::string StoredNumberFault(std::string_view text, TStoredRead read);
// Its value (0 for blanks, no number or beyond range), and its whole part
// clamped to 32 bits (a value beyond range at the limit of its sign).
long double StoredReal(std::string_view text);
std::int32_t StoredLong(std::string_view text);
// The number at [first, last) as std::from_chars reads it into a long
// double, never looking at a character past last (a field of a record has
// no terminating zero).
std::from_chars_result ReadLongDouble(const char* first, const char* last, long double& value);
std::int16_t ValInt16(std::string_view text);
// Whether a logical field's letter stands for true: T, Y or J (ja), either case.
inline bool TrueLetter(char c) { return c == 'T' || c == 't' || c == 'Y' || c == 'y' || c == 'J' || c == 'j'; }
void FloatToStrDec(long double value, int width, int decimals, std::string& text);
// Numbers stored in fields and given by STR are rounded here, halves away
// from zero (2.5 gives 3, -2.5 gives -3), as the shortest decimal text of the
// value reads (1.005 to two decimals gives 1.01). "-" only before a value
// that is not 0 once rounded; a value that is no number is 0.
std::string RoundedNumberText(long double value, int decimals);
long double RoundedNumber(long double value, int decimals);
// The value right-aligned in `width` characters with `decimals` decimals and
// "." (a value that is no number as 0); wider when it does not fit.
std::string FixedNumberText(long double value, int width, int decimals);
void IntToStrWidth(long value, int width, std::string& text);

// Dates.
void SetDateFormat(int code);
int CenturyOf(std::string_view twoDigitYear);
std::string CenturyDigits(std::string_view twoDigitYear);
std::string ExpandYear(std::string_view year);
std::string EmptyDate(int code);
void DateToInternal(std::string& date);
void DateToNational(std::string& date);
bool ValidDate(std::string& date);
bool IsLeapYear(int year);
int DOW(std::string_view date);
std::string CDOW(std::string_view date);
std::string CMONTH(std::string_view date);
int DateMonth(std::string_view date);
int DateDay(std::string_view date);
int DateYear(std::string_view date);
std::string DTOS(std::string_view date);
std::string STOD(std::string_view yyyymmdd);
std::uint32_t TickCount();
std::uint32_t TickSeconds();

// Files.
void SplitPath(std::string_view path, std::string& dir, std::string& name, std::string& ext);
std::string StripExtension(std::string_view name);
std::string FullPath(std::string_view name);
std::string DefaultExtension(std::string_view name, std::string_view ext);
std::string ForceExtension(std::string_view name, std::string_view ext);
std::string ShortPathName(std::string_view name);
bool TzFileExists(std::string_view name);
bool FileDatedToday(std::string_view name);
int EraseFile(std::string_view name);
void EraseFiles(std::string_view mask);
std::int32_t DiskFreeKB(std::string_view path);
// 0 the current directory's drive, any other number the root of the file
// tree (there are no drive letters); 2147483647 when the query fails.
std::int32_t DiskFreeOfDrive(int drive);

// Directory search. Attributes as DOS has them: read-only 0x01, hidden 0x02,
// system 0x04, volume 0x08, directory 0x10, archive 0x20 (every regular
// file). Normal files are always found; hidden, system files and
// directories only when `attributes` asks for them.
constexpr std::uint8_t kTzAnyFile = 0x3F;
struct TzSearchRec {
  std::string Name;  // without the directory
  std::int64_t Size = 0;
  std::uint32_t Time = 0;  // packed DOS date and time
  std::uint8_t Attr = 0;
  // The matches not yet handed out.
  std::vector<TzSearchRec> rest;
};
// 0 = found; 2 nothing matches, 3 the directory is missing; 18 no more files.
// The result also goes into TzDosError.
std::int32_t TzFindFirst(std::string_view path, std::uint8_t attributes, TzSearchRec& rec);
std::int32_t TzFindNext(TzSearchRec& rec);
void TzFindClose(TzSearchRec& rec);
// The packed date of an open file; 0 and the error in TzDosError on failure.
void FileDateOfHandle(int handle, std::uint32_t& date);
// The files the last EraseFiles with wildcards could not erase.
extern std::vector<TzSearchRec> UnerasableFiles;
void UniqueFilename(std::string& name);
// Called on every pass of lock waits and record moves.
extern void (*IdleHook)();
// An existing file whose name equals `name` but for case, else `name`.
std::string FindFileAnyCase(std::string_view name);
// True when `name` matches a DOS wildcard mask ("*", "?"), ignoring case.
bool WildcardMatch(std::string_view mask, std::string_view name);
