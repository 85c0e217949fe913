// Change history and drawing identification of a project: up to 25
// documented changes, the replacement texts, the signature rows, up to eight
// positioned drawing texts and the drawing title texts. The project file
// stores them in its "CHANGES" section through WriteChangesSection and reads
// them back with ReadChangesSection.
#pragma once

#include <string>

#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/types.h"

constexpr int kMaxChanges = 25;
constexpr int kMaxDrawingTexts = 8;

struct TChangeRecord {
  ShortString<20> Change;       // index text of the drawing revision
  ShortString<10> Date;
  ShortString<5> Editor;        // initials of the person responsible
  ShortString<255> Description; // one line: line breaks are stored as "|"
};

struct TDrawingTextRecord {
  Extended x = 0, y = 0, h = 0, phi = 0;
  ShortString<80> Text;
};

extern OneBasedArray<TChangeRecord, kMaxChanges> Changes;
extern Word ChangeCount;       // valid records 1..ChangeCount
extern Word ChangeIndexStyle;  // 1 numbers, else letters a, b, c ...

// Drawing identification
extern ShortString<15> ReplacementFor;
extern ShortString<15> ReplacedBy;
extern ShortString<10> ComplDate, ComplName;
extern ShortString<10> CheckDate, CheckName;
extern ShortString<10> StandDate, StandName;
extern ShortString<10> Row4Date, Row4Name;
extern OneBasedArray<TDrawingTextRecord, kMaxDrawingTexts> DrawingTexts;
extern Word DrawingTextCount;  // 0..8

// Drawing title texts, stored at the end of the project file.
extern ShortString<18> DrawingNumber;
extern ShortString<25> DrawingName;
extern ShortString<30> DrawingName2;

// Start values: no changes, no texts, the three dates of the signature rows today.
void InitChangeHistory();

// A description as one line: CR LF, CR and LF each become "|".
std::string OneLineDescription(std::string_view text);

// Writes the "CHANGES" section to TextFileVar (write errors set AbortFlag).
void WriteChangesSection();
// Reads the section from its first line "CHANGES". False when the file
// ends inside the section (the values read so far stay) or the section is
// damaged (a fault is recorded in the cursor).
bool ReadChangesSection(TLineCursor& in);
