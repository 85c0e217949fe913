// Stored texts (code page 437) for Qt: umlauts, Greek letters, degree and
// box-drawing characters become their Unicode characters, so that framed
// reports show real lines on the screen and on the printer. Back from Qt, a
// character that code page 437 lacks becomes "?": it is never stored as
// another letter.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {

QString QStringFromOem(std::string_view text);
std::string OemFromQString(const QString& text);

}  // namespace platform
