// Spreadsheet export. The program writes a workbook file (.xlsx) and opens it
// with the configured table program ("external database"), else the desktop's
// default program for workbooks, else a spreadsheet program found on the PATH;
// when none opens it, the message names the workbook. Start Excel and Export put the saved project
// file into column 1, Printout -> Excel puts the report's TAB-separated rows
// into a workbook of their own, and the file table exports its grid.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

// One sheet of cells, rows and columns counted from 1; texts are UTF-8.
struct TWorkbook {
  std::map<std::pair<int, int>, std::string> cells;
  // Cells written as texts whatever they look like ("00123", "1,5").
  std::set<std::pair<int, int>> textCells;
  // The project file's lines put into column 1 (code page 437), to tell on
  // import which cells the user left as they were.
  std::vector<std::string> projectLines;
  // The project whose file was put into column 1 (folder, name, extension
  // as CurrentDir, CurrentFileName, CurrentFileExt): an import loads the
  // workbook as that project, whatever project is open meanwhile.
  std::string projectDir, projectName, projectExt;
  void TakeCurrentProject();

  void SetCell(int row, int column, std::string text);
  const std::string* Cell(int row, int column) const;
  void Clear();
  // Every line of a TAB-separated text file (UTF-8) into the
  // rows from 1, one field per column; false when the file cannot be read.
  bool OpenText(const std::string& path);
  // Writes the workbook (one sheet): a text that is a number (ParseNumberCell)
  // and not among textCells as a number whose display format shows it as
  // written (NumberCellFormat), any other as text with control characters as
  // blanks. False with the reason when it cannot be written.
  bool Save(const std::string& path, std::string& error) const;
};

// A cell text read as a number: blanks around it, an optional sign, digits
// with a decimal comma or point, an optional exponent ("   12,00", "1,288E-6").
struct NumberCell {
  double value = 0;
  int decimals = 0;       // digits after the separator, at most 15
  bool exponent = false;  // written with an exponent
  int integerDigits = 0;      // digits before the separator, leading zeros too
  int significantDigits = 0;  // digits from the first that is not 0
  bool leadingZero = false;   // "00123", "0,764E-6": a zero before other digits or a mantissa below 1
  int exponentValue = 0;
  int exponentDigits = 0;
  bool exponentPlus = false;  // the exponent written with "+"
};
bool ParseNumberCell(const std::string& text, NumberCell& cell);
// The display format that shows the number as its text was written: its
// integer digits, decimals and exponent ("345,2E3": "##0.0E-0", "6867E6":
// "#####0E-0", "00123": "00000"). A mantissa no format shows as written
// ("0,764E-6") keeps its digits in the standard form ("7,64E-7").
std::string NumberCellFormat(const NumberCell& n);

// The running spreadsheet: its workbooks, the last one active.
struct TSpreadsheetApp {
  std::vector<TWorkbook> workbooks;
  TWorkbook& Add();
  TWorkbook& Active();
  // Writes the active workbook to a new file in the user's workbooks folder
  // ($XDG_DATA_HOME/bq4/workbooks), where it outlives the run, and opens it;
  // false, told to the user, when it cannot be written or opened.
  bool Show();
  std::string lastFile;  // the file written by the last Show
};

// Created by Start Excel; lives until the program ends.
extern std::unique_ptr<TSpreadsheetApp> ExcelApp;

void InitSpreadsheet();

// OLE menu commands.
void StartExcel();
void ExportInputToExcel();
void PrintoutToExcel();
// Loads the input from column 1 of the workbook that Start Excel or Export
// wrote, as File Open does: unsaved input is asked about first
// (QuerySaveChanges), then tables and recalculation; the joint is named after
// the project the workbook was made from and counts as modified. A cell the
// user left as it was gives back the project file's line (a number within
// the 15 digits a spreadsheet keeps). A workbook of another shape is reported
// and leaves the joint unchanged, nothing asked (AbortFlag).
void ImportExcelInput();

// One cell of a column read back: its text as shown, and for a number cell
// the number itself.
struct TReadCell {
  std::string text;
  bool number = false;
  double value = 0;
};

// The cells of one column of a workbook's first sheet (.xlsx), row 1 first,
// numbers as their display format shows them; false with the reason when
// the file is no readable workbook.
bool ReadWorkbookColumn(const std::string& path, int column, std::vector<TReadCell>& cells, std::string& error);
// The same, the texts alone.
bool ReadWorkbookColumn(const std::string& path, int column, std::vector<std::string>& texts,
                        std::string& error);

// A new workbook with the given rows (row 0 of the grid into row 1) shown.
void ExportGridToExcel(const std::vector<std::vector<std::string>>& rows);
