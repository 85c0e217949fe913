#include "framework/printer_setup.h"

#include <cctype>

#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/graph_transform.h"
#include "framework/message_box.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/printer.h"

namespace {

std::string g_lastPdfFolder;  // where the user put the last PDF
bool g_inPrintRun = false;
bool g_oneDocument = false;   // the run's print-outs share one document

// Lower-case letters and digits; every other run of characters one "-".
// A menu caption's "&" marks its access key, no word break.
std::string FileNamePart(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '&') continue;
    if (std::isalnum(c)) {
      out += static_cast<char>(std::tolower(c));
    } else if (!out.empty() && out.back() != '-') {
      out += '-';
    }
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

}  // namespace

void SetupPrinterPage(Word Mode) {
  if (Mode > 2) return;
  PrintScaleX = Mode == 2 ? 1.4L : 1.0L;
  PrintScaleY = 1;
  PrintOriginX = 0;
  PrintOriginY = 0;
  PrintBorder = Mode == 1 ? 1 : 0;
  platform::SetPrinterLandscape(Mode != 2);
}

std::string PrintoutTitle() {
  const std::string project = MainCaptionFileName();
  return project.empty() ? ProgShortName : ProgShortName + " - " + Utf8ToAnsi(project);
}

void BeginPrintoutDocument() {
  if (g_inPrintRun && g_oneDocument && platform::PrinterDocumentActive()) {
    platform::NewPrinterPage();
    return;
  }
  if (!platform::BeginPrinterDocument(PrintoutTitle())) {
    ShowTraceMessage("The printer could not be opened.");
    AbortFlag = 1;
  }
}

namespace {

void EndPrinterDocumentChecked() {
  if (platform::PrinterDocumentActive() && !platform::EndPrinterDocument()) {
    ShowTraceMessage("The printer reported an error; the print-out may be incomplete.");
    AbortFlag = 1;
  }
}

}  // namespace

void EndPrintoutDocument() {
  if (!(g_inPrintRun && g_oneDocument)) EndPrinterDocumentChecked();
}

void BeginPrintRun(bool oneDocument) {
  g_inPrintRun = true;
  g_oneDocument = oneDocument;
}

bool InPrintRun() { return g_inPrintRun; }

void EndPrintRun() {
  const bool document = g_oneDocument;
  g_inPrintRun = false;
  g_oneDocument = false;
  if (document) EndPrinterDocumentChecked();
}

void BeginPrintJob() {
  SetupPrinterPage(PrintMode);
  BeginPrintoutDocument();
  if (AbortFlag) return;
  PrintingGraphics = true;
  PrintingToPrinter = 1;
}

void EndPrintJob() {
  PrintingGraphics = false;
  PrintingToPrinter = 0;
  EndPrintoutDocument();
}

void InitPrinterSetup() {
  g_lastPdfFolder.clear();
  g_inPrintRun = false;
  g_oneDocument = false;
}

std::string ProposedPdfFileName(std::string_view picture) {
  std::string project = CurrentProjectName();
  if (project.empty()) project = ProgShortNameLower;
  std::string folder = g_lastPdfFolder;
  // The project's own folder (a window started on a file keeps it in CurrentDir).
  if (folder.empty()) folder = ExtractDirPart(CurrentProjectFile());
  if (folder.empty()) folder = CurrentDir;
  if (folder.empty()) folder = ExtractDirPart(platform::PrinterChoice().outputFile);
  const std::string name = FileNamePart(picture);
  return AddBackslash(folder) + project + (name.empty() ? "" : "-" + name) + ".pdf";
}

void ChoosePdfFileForJob(std::string_view picture) {
  platform::PrintChoice choice = platform::PrinterChoice();
  if (choice.outputFile.empty() || g_inPrintRun) return;
  const std::string proposed = ProposedPdfFileName(picture);
  platform::FileDialogRequest request;
  request.title = "Print into PDF file";
  const std::string folder = ExtractDirPart(proposed);
  request.directory = folder.size() > 1 ? RemoveTrailingBackslash(folder) : folder;
  request.fileName = proposed.substr(folder.size());
  request.patterns = {"*.pdf"};
  std::string chosen;
  if (!platform::AskSaveFile(request, chosen) || chosen.empty()) {
    AbortFlag = 1;
    return;
  }
  if (chosen.size() < 4 || LowerCaseText(chosen.substr(chosen.size() - 4)) != ".pdf") chosen += ".pdf";
  choice.outputFile = chosen;
  platform::SetPrinterChoice(choice);
  ConfirmPdfOverwrite();
  if (!AbortFlag) g_lastPdfFolder = ExtractDirPart(chosen);
}

void ConfirmPdfOverwrite(bool dialogAsked) {
  const std::string file = platform::PrinterChoice().outputFile;
  if (file.empty()) return;
  const Byte confirm = ConfirmOverwriteOn;
  ConfirmOverwriteOn = dialogAsked ? 0 : 1;
  ConfirmOverwrite(file);
  ConfirmOverwriteOn = confirm;
}
