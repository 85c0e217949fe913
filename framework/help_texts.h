// Help texts and auxiliary pictures: entries looked up by number in the help
// files beside the program ("tovimar.hlp" below 4000, the program's own
// "<short name>.hlp" from 4000 on, both in the PLT directory).
//
// Help file: OEM text, one line each. A line whose first four characters are a
// number is a header and is followed by exactly one text line; "4711:pict"
// names the picture pict.plt. Entry n is the text of header n plus up to four
// following lines, until a header whose number is a multiple of 5.
#pragma once

#include <array>
#include <string>

#include "framework/types.h"

extern Word HelpNumber;  // the entry that "&Help Text" shows; 0 given to a routine means this

void InitHelpTexts();

void SetHelpNumber(Word n);

// The help file that holds entry n.
std::string HelpFileName(Word n);

// Number := the first four characters as an integer, or -1; Tail := the text
// after the first ":", or "NULL" when the line has none.
void ParseHelpHeader(const std::string& line, int& number, std::string& tail);

// "help text No 4711: No help available."
std::string NoHelpText(Word n);

struct HelpEntry {
  std::array<std::string, 5> lines;  // stored (OEM) texts
  std::string picture = "null";      // picture name without ".plt"; "NULL": none
};

// Looks entry n up (0: HelpNumber). A missing file or entry gives a line that
// says so. Clears AbortFlag.
HelpEntry LookupHelpEntry(Word n);

// Mode 0: message box, then picture; 1: message box; 2: picture (in the
// graphics window, in a 160 x 120 area); other modes: nothing.
void ShowHelpText(Word n, const std::string& text, Word mode);

// The five lines in display text, joined by single blanks.
// The picture of help entry n in the graphics window, drawn only when the
// entry names one that exists (no "No picture" for a text-only entry).
// AbortFlag is kept.
void ShowHelpPictureIfNamed(Word n);
void GetHelpEntryText(Word n, std::string& result);
