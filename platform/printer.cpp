#include "platform/printer.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <memory>

#include "platform/oem_text.h"
#include "platform/printer_qt.h"
#include "platform/qt_text.h"

namespace platform {

namespace {

struct PrinterState {
  std::unique_ptr<QPrinter> printer;
  std::unique_ptr<QPainter> painter;
  PrintChoice choice;
  int pages = 0;
};

PrinterState& State() {
  static PrinterState s;
  return s;
}

void ApplyChoice(QPrinter& p, const PrintChoice& c) {
  if (!c.outputFile.empty()) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QStringFromDisplay(c.outputFile));
  } else {
    p.setOutputFormat(QPrinter::NativeFormat);
    p.setOutputFileName(QString());
    if (!c.printerName.empty()) p.setPrinterName(QStringFromDisplay(c.printerName));
  }
  p.setCopyCount(c.copies > 0 ? c.copies : 1);
  p.setPageOrientation(c.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

// The printer goes with the application object, not at process exit when Qt
// is already gone.
void ReleasePrinter() {
  auto& s = State();
  if (s.painter) s.painter->end();
  s.painter.reset();
  s.printer.reset();
}

}  // namespace

QPrinter& Printer() {
  auto& s = State();
  if (!s.printer) {
    s.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    ApplyChoice(*s.printer, s.choice);
    if (QCoreApplication::instance()) qAddPostRoutine(ReleasePrinter);
  }
  return *s.printer;
}

QPainter* PrinterPainter() { return State().painter.get(); }

void SetPrinterChoice(const PrintChoice& choice) {
  State().choice = choice;
  if (!PrinterDocumentActive()) ApplyChoice(Printer(), choice);
}

PrintChoice PrinterChoice() { return State().choice; }

void SetPrinterLandscape(bool landscape) {
  State().choice.landscape = landscape;
  if (!PrinterDocumentActive())
    Printer().setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool PrinterLandscape() { return State().choice.landscape; }

bool BeginPrinterDocument(const std::string& title) {
  auto& s = State();
  if (s.painter) EndPrinterDocument();
  QPrinter& p = Printer();
  p.setDocName(QStringFromDisplay(title));
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(&p)) return false;
  s.painter = std::move(painter);
  s.pages = 1;
  return true;
}

bool PrinterDocumentActive() { return State().painter != nullptr; }

void NewPrinterPage() {
  auto& s = State();
  if (!s.painter) return;
  if (Printer().newPage()) ++s.pages;
}

bool EndPrinterDocument() {
  auto& s = State();
  if (!s.painter) return false;
  const bool ok = s.painter->end();
  s.painter.reset();
  return ok && Printer().printerState() != QPrinter::Error;
}

int PrinterPagesPrinted() { return State().pages; }

int PrinterPageWidth() { return Printer().pageLayout().paintRectPixels(Printer().resolution()).width(); }
int PrinterPageHeight() { return Printer().pageLayout().paintRectPixels(Printer().resolution()).height(); }
int PrinterResolution() { return Printer().resolution(); }

int FontStyleFromBits(int bits) { return bits & 15; }

void SetPrinterFont(const std::string& family, int pointSize, int styleBits) {
  QPainter* painter = PrinterPainter();
  if (!painter) return;
  QFont font(QStringFromDisplay(family));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(pointSize > 0 ? pointSize : 10);
  const int style = FontStyleFromBits(styleBits);
  font.setBold(style & 1);
  font.setItalic(style & 2);
  font.setUnderline(style & 4);
  font.setStrikeOut(style & 8);
  painter->setFont(font);
}

namespace {

void DrawAt(int x, int y, const QString& text) {
  QPainter* painter = PrinterPainter();
  if (!painter) return;
  const QFontMetrics m(painter->font(), painter->device());
  painter->drawText(x, y + m.ascent(), text);
}

}  // namespace

void PrinterDrawText(int x, int y, const std::string& text) { DrawAt(x, y, QStringFromDisplay(text)); }

void PrinterDrawOemText(int x, int y, const std::string& text) { DrawAt(x, y, QStringFromOem(text)); }

void ResetPrinter() {
  auto& s = State();
  if (s.painter) EndPrinterDocument();
  s.choice = PrintChoice{};
  s.pages = 0;
  if (s.printer) ApplyChoice(*s.printer, s.choice);
}

}  // namespace platform
