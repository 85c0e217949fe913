// Small text routines: decimal signs, case, padding, trimming, searching and
// line wrapping. Texts are byte strings (code page 437); only "a".."z" and
// "A".."Z" change case.
#pragma once

#include <string>
#include <string_view>

std::string DotToComma(std::string_view s);
std::string CommaToDot(std::string_view s);
// Decimal sign of output table rows: "." when DecimalMode is 1, else "," (in
// place of each point before a digit).
std::string RowDecimalText(std::string_view s);

std::string UpperCaseText(std::string_view s);
char LowerChar(char c);
std::string LowerCaseText(std::string_view s);

std::string PadRight(std::string_view s, int n);      // cut or padded with blanks: left-aligned field
std::string TrimPadRight(std::string_view s, int n);  // trimmed, cut or blanks in front: right-aligned field
// Without leading and trailing blanks (both ends, despite the name).
std::string TrimRightText(std::string_view s);
void TrimTextVar(std::string& s);
std::string LeftText(std::string_view s, int n);
std::string RightText(std::string_view s, int n);
std::string RemoveBlanks(std::string_view s);
void DeleteBlanks(std::string& s);
void ReplaceChar(char oldChar, char newChar, std::string& s);
// 1-based position of the last (possibly overlapping) occurrence of sub; 0 when none.
int CountSubstr(std::string_view sub, std::string_view s);
// s when not longer than n; else its head and tail joined by " ... ".
std::string ShortenText(std::string_view s, int n);

// Wraps s into LineTable (framework/globals.h): lines of at most n
// characters, broken after the last break character before position n
// (the break character ends the line). Lines beyond the fifth are counted
// but not stored. longest is the longest line, count the number of lines.
void WrapTextLines(std::string_view s, char brk, int n, int& longest, int& count);
