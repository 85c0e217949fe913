// Identification of a project's drawing: the drawings it replaces and is
// replaced by, the four signature rows (completed, checked, standard check and
// a fourth row whose label is the setting CadState.CadApprovalLabel4), up to
// eight texts placed freely on the drawing sheet, and the drawing title texts.
// All texts are stored (OEM) texts. The "CHANGES" section of the project file
// holds them (framework/change_history.h).
#pragma once

#include <string>
#include <vector>

#include "framework/globals.h"
#include "framework/types.h"

constexpr int kMaxDrawingTexts = 8;

struct TDrawingTextRecord {
  Extended x = 0, y = 0;  // position on the drawing
  Extended h = 0;         // text height
  Extended phi = 0;       // text angle
  ShortString<80> Text;
};

extern ShortString<15> ReplacementFor;
extern ShortString<15> ReplacedBy;
extern ShortString<10> ComplDate, ComplName;  // row "Compl."
extern ShortString<10> CheckDate, CheckName;  // row "Check"
extern ShortString<10> StandDate, StandName;  // row "Stand."
extern ShortString<10> Row4Date, Row4Name;    // fourth row
extern OneBasedArray<TDrawingTextRecord, kMaxDrawingTexts> DrawingTexts;
extern Word DrawingTextCount;  // 0..8

// Drawing title texts, edited by the drawing-title dialog and stored at the
// end of the project file.
extern ShortString<18> DrawingNumber;
extern ShortString<25> DrawingName;
extern ShortString<30> DrawingName2;
// Three further identification texts with no fixed meaning: cleared at start
// and kept for the modules that fill and print them (the number is the length).
extern ShortString<20> DrawingIdentText20;
extern ShortString<25> DrawingIdentText25;
extern ShortString<32> DrawingIdentText32;

// Start values: the dates of the rows "Compl.", "Check" and "Stand." today,
// every other text empty, the eight text records zero, no texts in use.
void InitDrawingInfo();

// Takes the rows of the drawing-text grid (stored texts) from the first on:
// the first row always, each further one while its text holds more than
// blanks, at most eight. DrawingTextCount := the number taken (at least 1
// when rows is not empty).
void StoreDrawingTextRows(const std::vector<TDrawingTextRecord>& rows);

// The dialog "Info drawing" (TForm_zeichInfo); returns 0.
int ShowChangeInfoForm();
