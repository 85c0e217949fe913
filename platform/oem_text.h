// Stored texts (code page 437) for Qt: umlauts, Greek letters, degree and
// box-drawing characters become their Unicode characters, so that framed
// reports show real lines on the screen and on the printer.
#pragma once

#include <QString>
#include <string_view>

namespace platform {

QString QStringFromOem(std::string_view text);

}  // namespace platform
