#include "framework/report_window.h"

#include <string>
#include <vector>

#include "framework/globals.h"
#include "framework/file_utils.h"
#include "framework/line_io.h"
#include "framework/message_box.h"
#include "framework/charset.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "framework/printer_setup.h"
#include "platform/printer.h"

namespace {

constexpr char kFormFeed = '\f';

SpreadsheetCellWriter g_cellWriter = nullptr;

bool ReadLines(const std::string& name, std::vector<std::string>& lines, bool& endsWithFormFeed) {
  if (!ReadTextFileLines(name, lines)) return false;
  endsWithFormFeed = !lines.empty() && !lines.back().empty() && lines.back()[0] == kFormFeed;
  return true;
}

bool IsFormFeedLine(const std::string& line) { return !line.empty() && line[0] == kFormFeed; }

int PageCount(const std::vector<std::string>& lines, bool endsWithFormFeed) {
  int n = 0;
  for (const auto& l : lines) n += IsFormFeedLine(l) ? 1 : 0;
  return endsWithFormFeed ? std::max(n, 1) : n + 1;
}

}  // namespace

std::string ReportWindowFileName() {
  std::string dir = AddBackslash(TempDir);
  if (dir.empty()) dir = AddBackslash(platform::ProcessTempDir());
  return dir + "outwin.txt";
}

int CountTextPages(std::string_view FileName) {
  std::vector<std::string> lines;
  bool endsWithFormFeed = false;
  if (!ReadLines(std::string(FileName), lines, endsWithFormFeed)) return 0;
  return PageCount(lines, endsWithFormFeed);
}

void PrintTextFile(std::string_view FileName) {
  std::vector<std::string> lines;
  bool endsWithFormFeed = false;
  if (!ReadLines(std::string(FileName), lines, endsWithFormFeed)) {
    ShowMessagePlain(std::string(FileName) + " not found !");
    return;
  }
  const int pages = PageCount(lines, endsWithFormFeed);

  int from = 1;
  int to = pages;
  if (InPrintRun()) {
    // Printer and file were chosen for the whole run: every page.
    platform::SetPrinterLandscape(false);
  } else {
    platform::PrintChoice choice = platform::PrinterChoice();
    choice.landscape = false;
    choice.fromPage = 1;
    choice.toPage = pages;
    // Into a PDF: the print dialog proposes a file named after the project.
    if (!choice.outputFile.empty()) choice.outputFile = ProposedPdfFileName("report");
    if (!platform::AskPrint(choice)) return;
    from = choice.fromPage > 0 ? choice.fromPage : 1;
    to = choice.toPage > 0 ? std::min(choice.toPage, pages) : pages;
    choice.landscape = false;
    const bool confirmed = choice.fileConfirmed;
    choice.fileConfirmed = false;
    platform::SetPrinterChoice(choice);
    ConfirmPdfOverwrite(confirmed);
    if (AbortFlag) return;
  }

  BeginPrintoutDocument();
  if (AbortFlag) return;
  const int step = platform::PrinterPageHeight() / (LinesPerPage > 0 ? LinesPerPage : 66);
  platform::SetPrinterFont(PrintoutFont.str(), PrintoutTextSize, PrintoutTextStyle);
  // Pages count from 1 and advance at each form feed; a printer page is begun
  // only inside the range, so no empty sheet precedes the first printed page.
  int page = 1;
  int y = 0;
  for (const auto& line : lines) {
    if (IsFormFeedLine(line)) {
      ++page;
      y = 0;
      if (page >= from + 1 && page <= to) platform::NewPrinterPage();
      continue;
    }
    // The display conversion as the screen shows it, printed with real
    // box-drawing characters.
    if (page >= from && page <= to) platform::PrinterDrawOemText(0, y, AnsiToOemText(OemToAnsiText(line)));
    y += step;
  }
  EndPrintoutDocument();
}

SpreadsheetCellWriter SetSpreadsheetCellWriter(SpreadsheetCellWriter writer) {
  SpreadsheetCellWriter old = g_cellWriter;
  g_cellWriter = writer;
  return old;
}

// The stored input file of a calculation name: with its directory unless the
// name already carries one, with the input file extension unless it has one.
std::string StoredInputFileName(std::string_view Name) { return ProjectFileOfName(Name); }

void ShowStoredResultFile(std::string_view Name) {
  std::vector<std::string> lines;
  // The saved project itself, never a file whose name differs in case.
  if (Name.empty() || !ReadUserFileLines(StoredInputFileName(Name), lines)) {
    ShowMessagePlain("File not found. Use \"File->Save\"");
    AbortFlag = 1;
    return;
  }
  if (!g_cellWriter) return;
  int row = 0;
  for (const auto& line : lines) g_cellWriter(++row, 1, OemToAnsiText(line));
}
