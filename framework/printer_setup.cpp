#include "framework/printer_setup.h"

#include "framework/globals.h"
#include "framework/graph_transform.h"
#include "framework/message_box.h"
#include "platform/printer.h"

void SetupPrinterPage(Word Mode) {
  if (Mode > 2) return;
  PrintScaleX = Mode == 2 ? 1.4L : 1.0L;
  PrintScaleY = 1;
  PrintOriginX = 0;
  PrintOriginY = 0;
  PrintBorder = Mode == 1 ? 1 : 0;
  platform::SetPrinterLandscape(Mode != 2);
}

void BeginPrintJob() {
  SetupPrinterPage(PrintMode);
  if (!platform::BeginPrinterDocument(ProgShortName)) {
    ShowTraceMessage("The printer could not be opened.");
    AbortFlag = 1;
    return;
  }
  PrintingGraphics = true;
  PrintingToPrinter = 1;
}

void EndPrintJob() {
  PrintingGraphics = false;
  PrintingToPrinter = 0;
  if (platform::PrinterDocumentActive() && !platform::EndPrinterDocument()) {
    ShowTraceMessage("The printer reported an error; the print-out may be incomplete.");
    AbortFlag = 1;
  }
}
