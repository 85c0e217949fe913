// The report window (a print-out sent to the screen), text printing with a
// page range, and the hand-over of a stored input file to the spreadsheet.
#pragma once

#include <string>
#include <string_view>

// Shows "outwin.txt" of the temporary directory in the report window, modally.
// ShownFileName is the output file behind it (kept for the window's caption).
void ShowReportWindow(std::string_view ShownFileName);

// Prints a text file (code page 437) on the printer: a line that starts with a
// form feed starts a new page; the user chooses printer and page range.
void PrintTextFile(std::string_view FileName);

// Pages of a text file as PrintTextFile counts them: the form-feed lines, plus
// one when the file does not end with a form feed.
int CountTextPages(std::string_view FileName);

// Puts line n of the stored input file Name (display text) into row n,
// column 1 of the spreadsheet through the cell writer that the main window
// installs. An empty Name or a missing file: message and AbortFlag.
using SpreadsheetCellWriter = void (*)(int row, int column, const std::string& text);
SpreadsheetCellWriter SetSpreadsheetCellWriter(SpreadsheetCellWriter writer);
void ShowStoredResultFile(std::string_view Name);
// The file ShowStoredResultFile reads: ProjectFileOfName (framework/file_utils.h),
// the current project's own file for CurrentFileName.
std::string StoredInputFileName(std::string_view Name);

// Shows a document of the program (UTF-8 text) in the report window, modally.
void ShowTextDocument(const std::string& file, const std::string& title);

// The file the report window shows: "outwin.txt" in the temporary directory.
std::string ReportWindowFileName();
