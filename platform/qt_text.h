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

// File names are the file system's bytes (UTF-8 on this system), not display
// texts: they go to and come from Qt unchanged, whatever their characters.
QString QStringFromPath(std::string_view path);
std::string PathFromQString(const QString& path);

}  // namespace platform
