// The program's printer: one per process, like the class library's printer
// object. A print job goes to a system printer (CUPS) or, when an output file
// is chosen, into a PDF file. Texts are display texts (Windows-1252 bytes).
#pragma once

#include <string>

#include "platform/dialogs.h"

namespace platform {

// Printer, output file and copies chosen last (the print dialog's answer).
void SetPrinterChoice(const PrintChoice& choice);
PrintChoice PrinterChoice();
void SetPrinterLandscape(bool landscape);
bool PrinterLandscape();

// Starts a document on the printer; false when the printer cannot be opened.
bool BeginPrinterDocument(const std::string& title);
bool PrinterDocumentActive();
void NewPrinterPage();
// Ends the document; false when the printer reported a failure.
bool EndPrinterDocument();
// Pages begun in the active (or last) document.
int PrinterPagesPrinted();

// Printable page size in printer pixels, and the printer's resolution.
int PrinterPageWidth();
int PrinterPageHeight();
int PrinterResolution();

// What the printer information shows of the current printer.
struct PrinterFacts {
  std::string name;          // the system printer, or the PDF file printed to
  std::string model;         // make and model, or "PDF"
  bool pdf = false;          // output goes into a PDF file
  int paperWidthMm = 0;      // printable area
  int paperHeightMm = 0;
  int widthPixels = 0;
  int heightPixels = 0;
  int leftOffsetPixels = 0;  // unprintable margin left and top
  int topOffsetPixels = 0;
  int dpiX = 0;
  int dpiY = 0;
  bool colour = true;
  int fonts = 0;             // font families available for printing
};
PrinterFacts CurrentPrinterFacts();
// True when the system has a printer to print on; without one, printing
// goes into a PDF file.
bool SystemPrinterAvailable();

// Font of the following texts; style bits: 1 bold, 2 italic, 4 underline, 8 strike-out.
void SetPrinterFont(const std::string& family, int pointSize, int styleBits);
// Draws Text with its top-left corner at (x, y) in printer pixels.
void PrinterDrawText(int x, int y, const std::string& text);
// The same for a stored text (code page 437): box-drawing characters print as lines.
void PrinterDrawOemText(int x, int y, const std::string& text);

// Keeps only the four low bits of a font style number (0..15 map to themselves).
int FontStyleFromBits(int bits);

// Resets to the default printer, portrait, one copy; ends a running document.
void ResetPrinter();

}  // namespace platform
