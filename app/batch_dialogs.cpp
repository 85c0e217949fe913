// The window's services in a program without a window (wbq4's batch modes,
// the table tool): the Qt-free libraries reach forms, the cursor, the screen
// and the printer through Qt-free headers, and here they link to stand-ins.
// Every form answers Cancel, as the dialog layer answers it in a batch run
// (its text on stderr); the cursor and the screen keep their defaults; no
// printer can be opened. The window program links the Qt forms instead.
#include <string>
#include <vector>

#include "cad/axis_frame.h"
#include "calc/forms/calc_forms.h"
#include "dbf/dbf4.h"
#include "dbf/forms/message_window.h"
#include "framework/change_history.h"
#include "framework/drawing_info.h"
#include "framework/error_explanations.h"
#include "framework/forms/input_forms.h"
#include "framework/globals.h"
#include "framework/report_window.h"
#include "platform/application.h"
#include "platform/cursor.h"
#include "platform/dialog_answers.h"
#include "platform/printer.h"
#include "platform/screen.h"

namespace {

// A form that cannot be shown: answered Cancel (in a batch run with its name
// on stderr), AbortFlag set.
void CancelForm(const std::string& name) {
  using namespace platform::dialog_detail;
  platform::ScriptedAnswer answer;
  NextAnswer("form", name, "", {platform::DialogResult::Ok, platform::DialogResult::Cancel}, answer);
  Log("form", name, "", platform::DialogResult::Cancel);
  AbortFlag = 1;
}

}  // namespace

// Forms ----------------------------------------------------------------------

bool RunCodeDialog(const std::string& prompt, const std::vector<std::string>&, int&) {
  CancelForm(prompt);
  return false;
}
bool RunRadioDialog(const std::string& prompt, const std::vector<std::string>&, int&) {
  CancelForm(prompt);
  return false;
}
bool RunTextDialog(const std::string& prompt, int, std::string&) {
  CancelForm(prompt);
  return false;
}
bool RunYesNoDialog(const std::string& prompt, char&) {
  CancelForm(prompt);
  return false;
}
bool RunSelectDirDialog(const std::string& start, std::string&) {
  CancelForm("directory " + start);
  return false;
}
void RunShowScreen(const std::string& caption, const std::vector<std::string>&) { CancelForm(caption); }

void EditChange(Word) { CancelForm("Modification"); }
int ShowChangeInfoForm() {
  CancelForm("Info drawing");
  return 0;
}
void ShowErrorHelp(std::string_view message, std::string_view, std::string_view) {
  CancelForm(std::string(message));
}
void ShowReportWindow(std::string_view shownFileName) { CancelForm(std::string(shownFileName)); }

std::unique_ptr<TzMsgWindow> CreateTzMsgWindow(void*) { return nullptr; }
void RunTableDialogForm(Tdbf4&) { CancelForm("table dialog"); }

int RunIndexSelection(int, int position) {
  CancelForm("index selection");
  return position;
}
void RunBoltForm() { CancelForm("bolt"); }
void RunNutForm() { CancelForm("nut"); }
void RunTighteningForm() { CancelForm("tightening"); }

bool AskDiagramLimits(const std::string&, const std::string&, const std::string& title, Extended, Extended,
                      Extended, Extended) {
  CancelForm(title);
  return false;
}

// Application, cursor, screen, printer ---------------------------------------

namespace platform {

bool ApplicationExists() { return false; }

namespace {
bool busyCursor = false;
PrintChoice printChoice;
}  // namespace

void ShowBusyCursor() { busyCursor = true; }
void ShowArrowCursor() { busyCursor = false; }
bool BusyCursorShown() { return busyCursor; }

ScreenInfo GetScreenInfo() { return {}; }
bool AreaBesideModalForm(double, AreaFractions&) { return false; }

void SetPrinterChoice(const PrintChoice& choice) { printChoice = choice; }
PrintChoice PrinterChoice() { return printChoice; }
void SetPrinterLandscape(bool landscape) { printChoice.landscape = landscape; }
bool PrinterLandscape() { return printChoice.landscape; }
bool BeginPrinterDocument(const std::string&) { return false; }
bool PrinterDocumentActive() { return false; }
void NewPrinterPage() {}
bool EndPrinterDocument() { return false; }
int PrinterPagesPrinted() { return 0; }
// A4 at 300 dpi, so that layouts computed without a printer stay sane.
int PrinterPageWidth() { return 2480; }
int PrinterPageHeight() { return 3508; }
int PrinterResolution() { return 300; }
void SetPrinterFont(const std::string&, int, int) {}
void PrinterDrawText(int, int, const std::string&) {}
void PrinterDrawOemText(int, int, const std::string&) {}
void ResetPrinter() { printChoice = PrintChoice{}; }

}  // namespace platform
