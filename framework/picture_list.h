// The list of auxiliary pictures (<short name>.dbh in the PLT directory):
// HP-GL pictures with a short description each, one line per picture,
//     "name","description"
// the name without directory and ".plt" for a picture of the PLT directory,
// else the picture's whole file name, as the file system names it (UTF-8);
// the description in the DOS character set. A double quote inside a field is
// written twice.
//
// Changes rewrite the whole list through a temporary file that replaces the
// list only when it was written completely. Lines beyond the 130 that are
// shown are kept as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"

constexpr int kMaxPictureEntries = 130;
constexpr int kPictureNameWidth = 8;         // shown width of a name
constexpr int kPictureDescriptionLength = 50;  // longest description entered
constexpr int kPicturePathLength = 255;        // longest file name entered

struct TPictureEntry {
  std::string Name;
  std::string Description;
};

struct TPictureList {
  std::vector<std::string> Lines;      // every line of the file as stored, without line end
  std::vector<TPictureEntry> Entries;  // the first 130 lines; an empty file gives one empty entry
  int Count() const { return static_cast<int>(Entries.size()); }
};

// The command entries that follow the N pictures in ItemTexts.
constexpr int kPictureAppend = 1;  // N + 1
constexpr int kPictureDelete = 2;  // N + 2
constexpr int kPictureEdit = 3;    // N + 3
constexpr int kPictureInsert = 4;  // N + 4
constexpr int kPicturePlot = 5;    // N + 5

std::string PictureListFileName();

// One field of a line from pos on: an optional leading comma, an opening
// double quote (anything else is reported as "DBH file error" when trace
// messages are on, and reading goes on), then the text up to the next single
// double quote or the end of the line (two double quotes are one in the
// text). pos is left after the closing quote.
void ReadDbhField(std::string_view line, std::size_t& pos, std::string& field);
TPictureEntry ParseDbhLine(std::string_view line);
// "name","description" (the writer adds CR LF).
std::string FormatDbhLine(std::string_view name, std::string_view description);

// False when the file does not exist or cannot be read (list left empty).
bool LoadPictureList(const std::string& file, TPictureList& list);
// The file of a picture entry: a name alone is a ".plt" file of the PLT
// directory; a name with a directory is the file itself.
std::string PictureFilePath(std::string_view name);
// Name cut or filled to 8 characters (a file elsewhere: its file name, the
// end of a long one), ": ", the description.
std::string PictureItemText(const TPictureEntry& entry);
// ItemTexts 1..N := the entries, N + 1..N + 5 the command entries.
void FillPictureItemTexts(const TPictureList& list);

// Changes of the list in memory; entry numbers count from 1.
void AppendPictureEntry(TPictureList& list, const TPictureEntry& entry);
void InsertPictureEntry(TPictureList& list, int before, const TPictureEntry& entry);
void ReplacePictureEntry(TPictureList& list, int index, const TPictureEntry& entry);
void DeletePictureEntry(TPictureList& list, int index);

// Writes every line through a temporary file that then replaces the list.
// A failure is reported, leaves the old list and sets AbortFlag.
bool SavePictureList(const std::string& file, const TPictureList& list);

// Raw output to a printer port. Port n (1..3) is the configured text printer
// device (TextPrinterDevice); without one the port is reported unavailable.
std::string PrinterPortDevice(int port);
// ESC E ESC % 0 B: printer reset, then HP-GL/2 mode.
bool PlotterToHpgl2(const std::string& device);
// ESC % 0 A ESC E: back to the printer language, then reset.
bool PlotterFromHpgl2(const std::string& device);
// The picture file copied to the device, framed by the two switches when
// hpgl2 is set. Failures are reported and set AbortFlag.
bool SendPictureToPort(const std::string& pltFile, const std::string& device, bool hpgl2);

// Asks for a picture file, starting in the PLT directory; name := its name
// without directory and extension when it is a ".plt" file of the PLT
// directory, else its whole file name. Cancel sets AbortFlag and gives false.
bool ChoosePictureFile(std::string& name);

// The list commands of the picture manager, each asking what it needs
// (selected: the entry chosen in the window, 0 for none). Each returns the
// entry to select afterwards; a cancel sets AbortFlag.
int AppendPictureCommand(TPictureList& list);
int DeletePictureCommand(TPictureList& list, int selected);
int EditPictureCommand(TPictureList& list, int selected);
int InsertPictureCommand(TPictureList& list, int selected);
int PlotPictureCommand(const TPictureList& list, int selected);

// Draws picture entry (1..N) of the list in the graphics window. A missing
// file is reported and gives false.
bool ShowPictureEntry(const TPictureList& list, int entry);
