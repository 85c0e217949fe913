#include "platform/printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <memory>

#include "platform/file_replace.h"
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
  QString pdfTarget;  // the PDF file of the running job, written under pdfPartial
  QString pdfPartial;
};

PrinterState& State() {
  static PrinterState s;
  return s;
}

// Without a system printer the only printer there is prints into a PDF file.
PrintChoice Effective(PrintChoice c) {
  if (c.outputFile.empty() && c.printerName.empty() && !SystemPrinterAvailable())
    c.outputFile = PathFromQString(QDir::current().absoluteFilePath("printout.pdf"));
  return c;
}

void ApplyChoice(QPrinter& p, const PrintChoice& choice) {
  const PrintChoice c = Effective(choice);
  if (!c.outputFile.empty()) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QStringFromPath(c.outputFile));
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

// A printer left active by a failed job takes no new output file or
// printer name: it is replaced by a fresh one with the same choice.
void ReplaceStuckPrinter() {
  auto& s = State();
  if (!s.painter && s.printer && s.printer->printerState() != QPrinter::Idle) s.printer.reset();
}

}  // namespace

QPrinter& Printer() {
  auto& s = State();
  ReplaceStuckPrinter();
  if (!s.printer) {
    s.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    ApplyChoice(*s.printer, s.choice);
    static bool releaseRegistered = false;
    if (!releaseRegistered && QCoreApplication::instance()) {
      qAddPostRoutine(ReleasePrinter);
      releaseRegistered = true;
    }
  }
  return *s.printer;
}

QPainter* PrinterPainter() { return State().painter.get(); }

void SetPrinterChoice(const PrintChoice& choice) {
  State().choice = choice;
  if (!PrinterDocumentActive()) ApplyChoice(Printer(), choice);
}

PrintChoice PrinterChoice() { return Effective(State().choice); }

void SetPrinterLandscape(bool landscape) {
  State().choice.landscape = landscape;
  // A PDF document being written takes it from its next page on.
  QPrinter& p = Printer();
  if (!PrinterDocumentActive() || p.outputFormat() == QPrinter::PdfFormat)
    p.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool PrinterLandscape() { return State().choice.landscape; }

bool BeginPrinterDocument(const std::string& title) {
  auto& s = State();
  if (s.painter) EndPrinterDocument();
  QPrinter& p = Printer();
  p.setDocName(QStringFromDisplay(title));
  // A PDF is written beside its file into a temporary of the program's own
  // and renamed into place when complete, so a failed job leaves the old
  // file as it was. Only a regular file is replaced: a FIFO, device or
  // folder of that name is refused before anything is opened.
  s.pdfTarget.clear();
  s.pdfPartial.clear();
  if (p.outputFormat() == QPrinter::PdfFormat && !p.outputFileName().isEmpty()) {
    const std::string target = PathFromQString(p.outputFileName());
    const std::string partial = ReplaceableTarget(target) ? CreateTemporaryBeside(target) : std::string();
    if (partial.empty()) {
      s.printer.reset();
      return false;
    }
    s.pdfTarget = p.outputFileName();
    s.pdfPartial = QStringFromPath(partial);
    p.setOutputFileName(s.pdfPartial);
  }
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(&p)) {
    if (!s.pdfPartial.isEmpty()) DiscardTemporary(PathFromQString(s.pdfPartial));
    s.printer.reset();  // a failed start must not block the next job
    return false;
  }
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
  bool printed = ok && s.printer && s.printer->printerState() != QPrinter::Error;
  if (!s.pdfPartial.isEmpty()) {
    const std::string partial = PathFromQString(s.pdfPartial);
    const std::string target = PathFromQString(s.pdfTarget);
    // What came to stand at the name while the job ran is looked at again.
    printed = printed && ReplaceableTarget(target) &&
              CommitTemporary(partial, target, ReplaceSync::Derived);
    if (!printed) DiscardTemporary(partial);
    if (s.printer) s.printer->setOutputFileName(s.pdfTarget);
    s.pdfPartial.clear();
  }
  if (!printed) s.printer.reset();
  return printed;
}

int PrinterPagesPrinted() { return State().pages; }

int PrinterPageWidth() { return Printer().pageLayout().paintRectPixels(Printer().resolution()).width(); }
int PrinterPageHeight() { return Printer().pageLayout().paintRectPixels(Printer().resolution()).height(); }
int PrinterResolution() { return Printer().resolution(); }

PrinterFacts CurrentPrinterFacts() {
  QPrinter& p = Printer();
  PrinterFacts f;
  f.pdf = p.outputFormat() == QPrinter::PdfFormat;
  f.name = DisplayFromQString(f.pdf ? p.outputFileName() : p.printerName());
  if (f.pdf) {
    f.model = "PDF";
  } else {
    const QPrinterInfo info = QPrinterInfo::printerInfo(p.printerName());
    f.model = DisplayFromQString(info.makeAndModel());
  }
  const QPageLayout layout = p.pageLayout();
  const QRectF mm = layout.paintRect(QPageLayout::Millimeter);
  f.paperWidthMm = qRound(mm.width());
  f.paperHeightMm = qRound(mm.height());
  const QRect px = layout.paintRectPixels(p.resolution());
  f.widthPixels = px.width();
  f.heightPixels = px.height();
  f.leftOffsetPixels = px.left();
  f.topOffsetPixels = px.top();
  f.dpiX = p.logicalDpiX();
  f.dpiY = p.logicalDpiY();
  f.colour = p.colorMode() == QPrinter::Color;
  f.fonts = static_cast<int>(QFontDatabase::families().size());
  return f;
}

bool SystemPrinterAvailable() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

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
