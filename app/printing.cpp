#include "app/printing.h"

#include <QCheckBox>

#include "app/drawing_commands.h"
#include "app/forms/printconf_form.h"
#include "app/main_window.h"
#include "calc/joint_records.h"
#include "calc/report.h"
#include "framework/display_list.h"
#include "framework/error_explanations.h"
#include "framework/forms/printmac_form.h"
#include "framework/globals.h"
#include "framework/graph_transform.h"
#include "framework/menu_captions.h"
#include "framework/message_box.h"
#include "framework/printer_setup.h"
#include "framework/text_output.h"
#include "app/menu_texts.h"
#include "platform/dialogs.h"
#include "platform/printer.h"

void ShowPrintConfiguration(bool printerSetupMode) {
  TForm_printconf form(printerSetupMode, MainWindow());
  if (platform::ExecModal(form, "TForm_printconf") != platform::DialogResult::Ok) AbortFlag = 1;
}

namespace {
// The picture last drawn on the screen, with the display list's clear count
// after its drawing: once the list is cleared again it shows something else.
std::string g_screenPicture;
std::size_t g_screenPictureClears = 0;
const std::string kAnyPicture = "picture";

std::size_t DisplayClears() { return DisplayList ? DisplayList->ClearCount() : 0; }
}  // namespace

void SetScreenPictureName(const std::string& name) {
  g_screenPicture = name;
  g_screenPictureClears = DisplayClears();
}

const std::string& ScreenPictureName() {
  if (g_screenPicture.empty() || g_screenPictureClears != DisplayClears()) return kAnyPicture;
  return g_screenPicture;
}

std::string CurrentViewName() {
  if (HelpLevel == 0) return {};
  if (CalcFatalFlag) return "messages";
  if (Klemmstuecke.nPlates < 1 || Schraube.nSections < 1) return {};
  switch (CurrentViewCode) {
    case 2: return "diagrams";
    case 3: return "table drawing";
    case 4: return "load-extension diagram";
    case 5: return "drawing";
    default: return "quick";
  }
}

void PrintDisplayList(Thh& window, bool setupPage, const std::string& picture, bool fileChosen) {
  if (setupPage) SetupPrinterPage(PrintMode);
  if (!fileChosen) ChoosePdfFileForJob(picture);
  if (AbortFlag) return;
  BeginPrintoutDocument();
  if (AbortFlag) return;
  PrintingGraphics = true;
  PrintingToPrinter = 1;
  window.FormPaint();
  PrintingGraphics = false;
  PrintingToPrinter = 0;
  EndPrintoutDocument();
}

namespace {

// The print-outs of the macro, box 1..13 (box 14 is not used).
struct MacroEntry {
  int productText;   // caption from the product texts, or 0
  int captionRow;    // caption from the framework's texts, or 0
  void (*draw)();
};

void MacroSheet1() { RunDrawSheet(1, kCadScreen); }
void MacroDiagram3() { RunDiagramCommand(3, kCadScreen); }
void MacroDiagram1() { RunDiagramCommand(1, kCadScreen); }
void MacroDiagram4() { RunDiagramCommand(4, kCadScreen); }
void MacroDiagram2() { RunDiagramCommand(2, kCadScreen); }
void MacroDiagram5() { RunDiagramCommand(5, kCadScreen); }
void MacroDrawing() { RunDrawBoltedJoint(1, kCadScreen); }
void MacroDiagram6() { RunDiagramCommand(6, kCadScreen); }
void MacroDiagram7() { RunDiagramCommand(7, kCadScreen); }
void MacroDiagram8() { RunDiagramCommand(8, kCadScreen); }
void MacroFlange() { RunDrawFlange(kCadScreen); }
void MacroSheet2() { RunDrawSheet(2, kCadScreen); }

const MacroEntry kMacro[13] = {
    {0, kCaptionPrintout, nullptr},
    {kTextTableDrawing, 0, MacroSheet1},
    {kTextLoadExtension, 0, MacroDiagram3},
    {kTextAssemblyReqd, 0, MacroDiagram1},
    {kTextAssembly, 0, MacroDiagram4},
    {kTextWorkingReqd, 0, MacroDiagram2},
    {kTextWorkingMax, 0, MacroDiagram5},
    {0, kCaptionDrawing, MacroDrawing},
    {kTextMAlphaDiagram, 0, MacroDiagram6},
    {kTextFAlphaDiagram, 0, MacroDiagram7},
    {kTextFmMaDiagram, 0, MacroDiagram8},
    {kTextFlange, 0, MacroFlange},
    {kTextForces, 0, MacroSheet2},
};

const std::string& CaptionOf(const MacroEntry& e) {
  return e.productText ? ProductTexts[static_cast<std::size_t>(e.productText)]
                       : MenuCaptions[static_cast<std::size_t>(e.captionRow)];
}

}  // namespace

void RunPrintMacro(Thh& window) {
  if (CalcFatalFlag) {
    ShowCalculationMessages();
    return;
  }
  TForm_printmac form(&window);
  for (int k = 1; k <= 13; ++k) form.CheckBox(k)->setText(QString::fromUtf8(CaptionOf(kMacro[k - 1]).c_str()));
  // The flange picture is never offered.
  form.CheckBox(12)->setChecked(false);
  form.CheckBox(12)->setEnabled(false);
  form.CheckBox(14)->setVisible(false);
  if (platform::ExecModal(form, "TForm_printmac") != platform::DialogResult::Ok || AbortFlag) return;
  platform::PrintChoice choice = platform::PrinterChoice();
  if (!platform::AskPrint(choice)) {
    AbortFlag = 1;
    return;
  }
  const bool confirmed = choice.fileConfirmed;
  choice.fileConfirmed = false;
  platform::SetPrinterChoice(choice);
  // Into a PDF file, the print-outs go into the one file chosen, each from a
  // page of its own; a printer prints each as a job of its own. Nothing asks
  // for the printer or the file again.
  const bool pdf = !platform::PrinterChoice().outputFile.empty();
  if (pdf) ConfirmPdfOverwrite(confirmed);
  if (AbortFlag) return;
  BeginPrintRun(pdf);
  for (int k = 1; k <= 13; ++k) {
    if (k == 12 || !(PrintMacroSelection & (1 << (k - 1)))) continue;
    AbortFlag = 0;
    if (k == 1) {
      const Word device = TextDevice;
      const Byte ask = AskTextDevice;
      AskTextDevice = 0;
      TextDevice = kDevicePrinter;
      WritePrintout();
      TextDevice = device;
      AskTextDevice = ask;
      continue;
    }
    kMacro[k - 1].draw();
    if (AbortFlag) continue;
    PrintDisplayList(window, true, CaptionOf(kMacro[k - 1]));
  }
  AbortFlag = 0;
  EndPrintRun();
}
