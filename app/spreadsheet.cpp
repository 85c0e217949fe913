#include "app/spreadsheet.h"

#include <xlsxwriter.h>

#include <charconv>
#include <cstdio>

#include "app/project_files.h"
#include "calc/project_file.h"
#include "calc/report.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/report_window.h"
#include "framework/text_output.h"
#include "platform/os.h"
#include "platform/process.h"
#include "platform/qt_text.h"

std::unique_ptr<TSpreadsheetApp> ExcelApp;

namespace {

constexpr const char* kCouldNotStart = "Could not start Excel";
int g_workbookCounter = 0;

std::string Utf8FromDisplay(const std::string& text) {
  return platform::QStringFromDisplay(text).toStdString();
}

// The cell writer of ShowStoredResultFile: into the active workbook.
void WriteStoredLine(int row, int column, const std::string& text) {
  if (ExcelApp) ExcelApp->Active().SetCell(row, column, Utf8FromDisplay(text));
}

bool PlainNumber(const std::string& text, double& value) {
  if (text.empty() || text.size() > 30) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

std::string WorkbookDir() {
  std::string dir = AddBackslash(TempDir);
  return dir.empty() ? AddBackslash(platform::ProcessTempDir()) : dir;
}

bool OpenWorkbookFile(const std::string& file) {
  if (!DatabaseProgram.empty()) return platform::StartProgram(DatabaseProgram, {file});
  return platform::OpenWithDefaultProgram(file);
}

}  // namespace

void TWorkbook::SetCell(int row, int column, std::string text) {
  if (row < 1 || column < 1) return;
  cells[{row, column}] = std::move(text);
}

const std::string* TWorkbook::Cell(int row, int column) const {
  auto it = cells.find({row, column});
  return it == cells.end() ? nullptr : &it->second;
}

bool TWorkbook::OpenText(const std::string& path) {
  std::vector<std::string> lines;
  if (!ReadTextFileLines(path, lines)) return false;
  int row = 0;
  for (const std::string& line : lines) {
    ++row;
    int column = 0;
    std::size_t start = 0;
    while (true) {
      const std::size_t tab = line.find('\t', start);
      const std::string field = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
      ++column;
      if (!field.empty()) SetCell(row, column, Utf8FromDisplay(field));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
  }
  return true;
}

bool TWorkbook::Save(const std::string& path, std::string& error) const {
  lxw_workbook* book = workbook_new(path.c_str());
  if (!book) {
    error = "file " + path + " cannot be created";
    return false;
  }
  lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
  for (const auto& [place, text] : cells) {
    // The format's limits: 1048576 rows and 16384 columns.
    if (place.first > 1048576 || place.second > 16384) continue;
    const lxw_row_t row = static_cast<lxw_row_t>(place.first - 1);
    const lxw_col_t column = static_cast<lxw_col_t>(place.second - 1);
    double value = 0;
    if (PlainNumber(text, value))
      worksheet_write_number(sheet, row, column, value, nullptr);
    else
      worksheet_write_string(sheet, row, column, text.c_str(), nullptr);
  }
  const lxw_error result = workbook_close(book);
  if (result != LXW_NO_ERROR) {
    error = "file " + path + " cannot be written (" + lxw_strerror(result) + ")";
    return false;
  }
  return true;
}

TWorkbook& TSpreadsheetApp::Add() {
  workbooks.emplace_back();
  return workbooks.back();
}

TWorkbook& TSpreadsheetApp::Active() {
  if (workbooks.empty()) Add();
  return workbooks.back();
}

bool TSpreadsheetApp::Show() {
  const std::string file = WorkbookDir() + "$$" + std::to_string(++g_workbookCounter) + ".xlsx";
  std::string error;
  if (!Active().Save(file, error)) {
    ShowTraceMessage(error);
    return false;
  }
  lastFile = file;
  return OpenWorkbookFile(file);
}

void InitSpreadsheet() {
  ExcelApp.reset();
  g_workbookCounter = 0;
  SetSpreadsheetCellWriter(&WriteStoredLine);
}

void StartExcel() {
  if (CurrentFileName.empty()) {
    ShowMessageText("You must save your input data before you can use Excel interface (Menu \"File -> Save\")");
    AbortFlag = 1;
    return;
  }
  SetBusyCursor();
  ExcelApp = std::make_unique<TSpreadsheetApp>();
  ExcelApp->Add();
  SetSpreadsheetCellWriter(&WriteStoredLine);
  // A missing project file is reported; the spreadsheet starts all the same.
  ShowStoredResultFile(CurrentFileName);
  AbortFlag = 0;
  const bool shown = ExcelApp->Show();
  SetNormalCursor();
  if (!shown) {
    ExcelApp.reset();
    ShowMessageText(kCouldNotStart);
    AbortFlag = 1;
  }
}

void ExportInputToExcel() {
  if (!ExcelApp) {
    ShowMessageText(kCouldNotStart);
    AbortFlag = 1;
    return;
  }
  // The current project is saved under its own name: no overwrite question.
  if (InputModified) SaveInputFile(CurrentFileName);
  if (AbortFlag) return;
  InputModified = 0;
  SetSpreadsheetCellWriter(&WriteStoredLine);
  ExcelApp->Active().cells.clear();
  ShowStoredResultFile(CurrentFileName);
  if (AbortFlag) return;
  if (!ExcelApp->Show()) {
    ShowMessageText(kCouldNotStart);
    AbortFlag = 1;
  }
}

void PrintoutToExcel() {
  if (CalcFatalFlag) {
    ShowCalculationMessages();
    return;
  }
  TSpreadsheetApp app;
  app.Add();
  const Word device = TextDevice;
  const Byte ask = AskTextDevice;
  AskTextDevice = 0;
  TextDevice = kDeviceTxt;
  const int before = TxtFileCounter;
  WritePrintout();
  TextDevice = device;
  AskTextDevice = ask;
  if (AbortFlag || TxtFileCounter == before) return;
  const std::string report = WorkbookDir() + "$$" + std::to_string(TxtFileCounter) + ".txt";
  TWorkbook& book = app.Add();
  if (!book.OpenText(report)) {
    ShowTraceMessage("file " + report + " not found or no access !");
    AbortFlag = 1;
    return;
  }
  if (!app.Show()) {
    ShowMessageText(kCouldNotStart);
    AbortFlag = 1;
  }
}

void ExportGridToExcel(const std::vector<std::vector<std::string>>& rows) {
  TSpreadsheetApp app;
  TWorkbook& book = app.Add();
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      if (!rows[r][c].empty()) book.SetCell(static_cast<int>(r + 1), static_cast<int>(c + 1), rows[r][c]);
  if (!app.Show()) {
    ShowMessageText(kCouldNotStart);
    AbortFlag = 1;
  }
}
