// Index keys: Soundex and descending keys, key comparison, the canonical
// form of key expressions, and the day numbers that date keys and the
// expression language share (0001-01-01 is day 1721426).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

extern std::uint8_t SoundexLength;  // 4

void InitIndexKeys();

int CompareBytes(const void* a, const void* b, std::size_t length);
int CompareDoubles(double a, double b);
std::string Soundex(std::string_view text);
std::string Descend(std::string_view text);
void CanonicalExpression(std::string& text, bool keepBlanks);

constexpr std::int32_t kFirstDay = 1721426;   // 0001-01-01
constexpr std::int32_t kLastDay = 5373484;    // 9999-12-31

std::int32_t JulianFromYmd(int year, int month, int day);
std::int32_t JulianFromDbf(std::string_view yyyymmdd);
std::int32_t JulianFromText(std::string_view display);
std::string DbfFromJulian(std::int32_t day);
std::string DisplayFromJulian(std::int32_t day);
std::string DbfFromDisplay(std::string_view display);
// Year, month and day of a day number; false outside the valid range.
bool YmdFromJulian(std::int32_t day, int& year, int& month, int& dayOfMonth);
// The day number of a computed date (DAY + 1e12, a NaN): one outside the
// calendar is the blank date 0.
std::int32_t DayNumber(double day);
