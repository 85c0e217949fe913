// Text output layer: every printed result (report, input listing, table
// print-outs, protocol of changes, message lists) is written through it.
//
// A caller names a device, writes lines, table rows and page headers, and
// closes it; the layer decides what each line becomes on that device: a framed
// 72-column page (window, text printer, printer, word processor, DOS file), a
// TAB-separated file for spreadsheets, or an HTML page with tables.
//
// Calling order of every print-out:
//   SetPageHeader(...); [SetColumnHeads(...);]
//   OpenOutput(device, name);  if AbortFlag: stop
//   RewriteOutput();  if AbortFlag: stop
//   OutputPageHeader(0, kind); OutputLine / OutputTableRow / ...;
//   CloseOutput();
//
// All output goes to the global TextFileVar. Texts are code page 437 bytes.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"

using TOutputDevice = Word;

// Device codes.
constexpr TOutputDevice kDeviceConfigured = 0;   // TextDevice, or ask
constexpr TOutputDevice kDeviceScreen = 1;       // report window
constexpr TOutputDevice kDeviceTextPrinter = 2;  // raw text printer device
constexpr TOutputDevice kDeviceFile = 3;         // a text file the user names
constexpr TOutputDevice kDevicePrinter = 4;      // system printer (or PDF)
constexpr TOutputDevice kDeviceWordProcessor = 5;
constexpr TOutputDevice kDeviceTxt = 6;          // TAB-separated text file
// The first rows of a TAB-separated text file: the title line, the file, the
// three header lines and a blank line; texts, however they look ("00123").
constexpr int kTxtHeaderRows = 6;
constexpr TOutputDevice kDeviceHtml = 7;
constexpr TOutputDevice kDeviceDosText = 8;      // "OUTDOS.TXT"
constexpr TOutputDevice kDeviceBatchTxt = 9;     // TAB file copied beside the input file
constexpr TOutputDevice kDeviceListNames = 90;   // only fills ItemTexts 1..7

using PageHeaderText = ShortString<65>;

struct TPageHeaderTexts {
  PageHeaderText Title;
  std::array<PageHeaderText, 4> Lines;  // header lines 1..4 at [0..3]
  int TotalPages = 0;                   // 0 = no total in "pg."
};

struct TColumnHeads {
  ShortString<30> Head1;
  std::array<ShortString<10>, 4> Heads;  // heads 2..5 at [0..3]
};

// Layer state: one output at a time.
extern TOutputDevice OutputDevice;
extern std::string OutputFileName;
extern int OutputLineCount;   // lines on the current page
extern int OutputPageCount;   // pages begun
extern int OutputHeaderKind;  // kind of the last page header, reused at automatic breaks
extern Byte PageHeadersOn;
extern Byte HtmlTableOpen;
extern Byte SinglePagePrinting;
extern ShortString<3> SavedInputFileExt;
extern TPageHeaderTexts PageHeaderTexts;
extern TColumnHeads ColumnHeads;
// Columns (from 1) of heads 2..5, and of the fourth value of a table row.
extern std::array<Byte, 4> ColumnPositions;
extern Byte RowValue3Column;

// While set, device 9 writes no file: a run that only reads the report's
// values as it prints them.
extern Byte DiscardBatchText;

// Device path of the raw text printer (device 2), e.g. "/dev/usb/lp0".
// Empty: the text printer is unavailable.
extern std::string TextPrinterDevice;

// Gives the layer its start values (device 1, counters 0, program title as
// page title, column heads "Symbol", "Unit", "1", "2").
void InitTextOutput();

// Chooses and prepares the device. FileName names the print-out for the caller;
// the files written follow from the device (device 9: CurrentFileName + ".txt").
// Device 90 only fills ItemTexts 1..7 with the device names.
void OpenOutput(TOutputDevice Device, std::string_view FileName);
// Opens TextFileVar for writing the print-out (the caller's "rewrite" after
// OpenOutput); a failure is reported and sets AbortFlag. A print-out is made
// from the project: the file is replaced whole but not synced.
bool RewriteOutput();
// Finishes the output: closes TextFileVar and shows, prints, copies or opens
// the result as the device requires.
void CloseOutput();
TOutputDevice GetOutputDevice();

void SetPageHeader(std::string_view Title, std::string_view Line1, std::string_view Line2,
                   std::string_view Line3, std::string_view Line4, int TotalPages);
void SetColumnHeads(std::string_view Head1, std::string_view Head2, std::string_view Head3,
                    std::string_view Head4, std::string_view Head5);

// Page header; Page 0 means the next page; Kind 1 adds the column head line.
void OutputPageHeader(int Page, int Kind);
void OutputLine(std::string_view Line);
// Writes Text without ending the line.
void OutputLineAll(std::string_view Text);
void OutputTableRow(std::string_view Name, std::string_view Value1, std::string_view Value2,
                    std::string_view Value3);
void OutputMessages();
void OutputMessagePage();
void OutputKeepLines(int Kind);
void OutputPageCheck();
void OutputCell(std::string_view Text);
void OutputWrappedText(std::string_view Text);
// An HTML table is begun by its first row: a table that gets no row is not
// written at all.
void OpenHtmlTable();
void CloseHtmlTable();
// One row of the open HTML table (opened when none is), written as it is.
void OutputHtmlTableRow(std::string_view Row);
// Writes Text (and a line end) to TextFileVar as it is; the HTML device
// writes it as UTF-8 with LF.
void OutputWriteRaw(std::string_view Text);
void OutputWriteRawText(std::string_view Text);
// A field of the TAB-separated report (the TXT devices): a TAB or another
// control byte in it would shift the columns that follow, so each is a blank.
std::string TabFieldText(std::string_view Text);
// A line of the TXT devices made of fields cleaned so, joined by TABs.
void OutputTabLine(std::string_view Line);

// Separator texts of the current PrintoutDisplayMode ("$!$" = no line).
std::string SeparatorLine();
std::string RuleLineText();
std::string FrameTopLine();
std::string FrameBottomLine();
std::string FrameMiddleLine();
char FrameChar();

// The marker of a line that is not there; never printed.
constexpr std::string_view kNoLine = "$!$";
// The characters of a printout line, without its indent.
constexpr std::size_t kLineWidth = 72;

// The message list of a calculation as a print-out in the report window.
void PrintCalculationMessages();
// Copies a file byte for byte into TextFileVar.
void CopyFileToOutput(std::string_view FileName);
// Reads Source (code page 437) line by line and writes each line as UTF-8
// with LF to Target, which may be Source itself; Target is replaced only
// when every line was written. Sets AbortFlag when either file fails.
void CopyTextFileToUtf8(std::string_view Source, std::string_view Target);

// Every line of a text file, line ends removed; false when it cannot be read.
bool ReadTextFileLines(std::string_view FileName, std::vector<std::string>& Lines);
// The same for a user's file (a saved project): the file of exactly that name.
bool ReadUserFileLines(std::string_view FileName, std::vector<std::string>& Lines);

// Layout helpers (pure): Text inserted before column Col (from 1) of Line,
// appended when Col lies beyond its end; then the line is cut to Width.
std::string InsertAtColumn(std::string Line, std::size_t Col, std::string_view Text,
                           std::size_t Width = 72);
// The text line of a table row: Name at column 1, Value1 and Value2 at
// ColumnPositions 0 and 1, Value3 at RowValue3Column; each text whole and
// apart from the one before it, a too wide number fitted (FitNumberToField).
std::string TableRowLine(std::string_view Name, std::string_view Value1, std::string_view Value2,
                         std::string_view Value3);
// Escapes "&", "<", ">" and '"' for HTML text.
std::string HtmlEscape(std::string_view Text);
// The first line of every HTML page the program writes: the mark-up is HTML 4.01 Transitional.
inline constexpr const char* kHtmlDoctype =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\">";
// The page's background colour attribute.
inline constexpr const char* kHtmlBody = "<BODY BGCOLOR=\"#C0C0C0\">";
