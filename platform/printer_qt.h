// Qt side of the printer, for the code that paints on it (graphics printout).
#pragma once

class QPainter;
class QPrinter;

namespace platform {

QPrinter& Printer();
// The painter of the active document; null when none is active.
QPainter* PrinterPainter();

}  // namespace platform
