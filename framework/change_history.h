// Change history of a project: up to 25 documented changes of its drawing,
// the change menu and dialog, the "Protocol of changes" print-out, and the
// project file's "CHANGES" section, which also holds the drawing
// identification (framework/drawing_info.h). Texts are stored (OEM) texts.
#pragma once

#include <string>
#include <string_view>

#include "framework/drawing_info.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/types.h"

constexpr int kMaxChanges = 25;

constexpr int kDescriptionLength = 255;  // the dialog's memo takes no more

struct TChangeRecord {
  ShortString<20> Change;       // index text of the drawing revision
  ShortString<10> Date;
  ShortString<5> Editor;        // initials of the person responsible
  ShortString<kDescriptionLength> Description; // one line: line breaks are held as "|"
};

// Slots 1..25; 1..ChangeCount are valid, the others keep their old texts.
extern OneBasedArray<TChangeRecord, kMaxChanges> Changes;
extern Word ChangeCount;
extern Word ChangeIndexStyle;  // 1 numbers the protocol's changes, else letters a, b, c ...

// The revision index style of the configuration (View3DSetting: 0 letters
// a.., 1 numbers, 2 letters A..) for the CAD title block and the protocol.
void ApplyIndexStyle();

// Start values: no changes, and the drawing identification's start values
// (InitDrawingInfo).
void InitChangeHistory();

// For a new project: no changes, no replacement texts, the completion date
// today and every other signature date and name empty. The positioned
// drawing texts stay.
void ResetChangeHistory();

// The change command: 1 new, 2 edit the last change, 3 delete the last
// change, 4 show the protocol, 5 print it, 6 drawing information; 0 asks.
void ChangesMenu(Word Command);

// The dialog "Modification" (TForm_EinAend) for change Index (1..25).
// OK stores the record; Cancel sets AbortFlag and changes nothing.
void EditChange(Word Index);

// The "Protocol of changes" on Device (1 the report window, 0 the
// configured device).
void WriteChangeProtocol(Word Device);

// The index of change i in the protocol: "3", or "c" with letters.
std::string ChangeIndexText(int i);

// A description as one line: CR LF, CR and LF each become "|".
std::string OneLineDescription(std::string_view text);

// Writes the "CHANGES" section to TextFileVar (write errors set AbortFlag).
void WriteChangesSection();
// Reads the section from its first line "CHANGES". False when the file
// ends inside the section (the values read so far stay) or the section is
// damaged (a fault is recorded in the cursor).
bool ReadChangesSection(TLineCursor& in);
