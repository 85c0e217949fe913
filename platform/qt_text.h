// Display texts (Windows-1252 bytes) at the Qt boundary. The mapping is a
// bijection on 0..255, so a text that the user leaves alone round-trips.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {

QString QStringFromDisplay(std::string_view text);
// Characters outside Windows-1252 become '?'.
std::string DisplayFromQString(const QString& text);
// A caption as a window title that keeps its padding ("Error  : "): trailing
// blanks go, runs of blanks become no-break spaces, which no window manager
// collapses.
QString WindowTitleFromDisplay(std::string_view caption);

}  // namespace platform
