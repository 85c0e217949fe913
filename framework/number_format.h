// Number formatting and parsing. Every number the program shows, prints or
// writes into a text file passes through these routines; every number a user
// types passes through TextToFloat / TextToInt. They honour FloatDigits,
// DecimalCommaMode and CharSetMode (framework/globals.h) and never depend on
// the C locale.
#pragma once

#include <string>
#include <string_view>

#include "framework/types.h"

// Integers
std::string IntToText(long long n);
std::string IntToTextZeros(long long n, int width);  // zeros after the sign up to width
std::string IntToTextWidth(long long n, int width);  // blanks in front up to width

// Parsers. Invalid text (including trailing blanks, a second decimal sign
// or an empty text) reads as 0; the first "," counts as the decimal point.
int TextToInt(std::string_view text);
Extended TextToFloat(std::string_view text);
// The same rules, but they tell invalid text from zero: false leaves value unchanged.
bool TryTextToInt(std::string_view text, int& value);
bool TryTextToFloat(std::string_view text, Extended& value);

// A number typed into a field that shows `shownSign` ("." or ",") as its
// decimal sign reads two ways when the other sign stands before exactly
// three digits, after one to three digits that do not start with 0: "1.000"
// where "," is shown, "1,500" where "." is (a thousands group, or the other
// sign typed as the decimal one). Then the message that refuses it, naming
// both readings with the shown sign ("name: \"1,500\" is ambiguous: 1500 or
// 1.5 ?  Please type 1500, or 1.5."); empty when the text reads one way.
std::string AmbiguousNumberMessage(std::string_view name, std::string_view text, char shownSign);
// The decimal sign of the forms and input dialogs: "," when DecimalCommaMode is 2.
char ShownDecimalSign();

// Digit analysis: integer digits and decimals of x for s significant
// digits, trailing zeros of the decimals dropped.
void FloatToDigitsExp(Extended x, int s, int& intDigits, int& decimals);

// The core routine: d decimals (shifted by FloatDigits - 3, within 0..10),
// blanks in front up to w + d + 1 characters (w when d = 0), "," as decimal
// sign when DecimalCommaMode is 2. Values below 1e-8 print as zero; values
// from 1e15 on in exponent form ("1.23E20"), within w + d + 1 characters
// as far as a digit fits, since their fixed form would run over any field.
std::string FormatFloatText(int w, int d, Extended x);
// x in exponent form ("1.23E20", "-4.5E-9"), with as many of 3 significant
// digits as fit width characters (no limit when width is 0); a run of width
// "*" when not even one digit fits.
std::string FloatToTextFitted(Extended x, int width);
// Text of a number that is wider than its field of width characters: in
// exponent form that fits, or "*"s (blanks around the number do not count).
// Any other text comes back unchanged.
std::string FitNumberToField(std::string_view text, int width);
// Exactly d decimals, blanks in front up to w + d + 1 (w when d = 0); always ".".
std::string FloatToTextWidth(int w, int d, Extended x);
// A number written with "." ("0.5") with the decimal sign the forms show:
// "0,5" when DecimalCommaMode is 2.
std::string ShownDecimalText(std::string_view number);
std::string FloatToText(Extended x);            // 3 significant digits; "0" below 1e-5
std::string FloatToTextSig(int k, Extended x);  // 3 - k significant digits
std::string FloatToTextSig3(Extended x);        // 6 significant digits
std::string FloatToTextFix(int d, Extended x);  // d decimals, no padding
std::string FloatToTextPrec(int n, Extended x); // 3 significant digits in a field of n
std::string FloatToTextAuto(Extended x);        // engineering notation outside 1e-5 .. 10000
std::string FloatToTextEng(Extended x);         // exponent a multiple of 3, e.g. 12.3E3
std::string FloatToTextExp(int w, int d, int p, Extended x);  // x / 10^p + "E" + p

// "+/-" in CharSetMode 1, else blank, plus-minus sign (code 241), blank.
std::string PlusMinusText();
// Upper/lower deviation pair: "" for 0/0, plus-minus form when symmetric.
std::string ToleranceText(Extended upper, Extended lower);
std::string RangeText(int w, int d, Extended a, Extended b);
// Mean of a and b with their relative half-spread in percent.
std::string MeanPercentText(Extended a, Extended b);
