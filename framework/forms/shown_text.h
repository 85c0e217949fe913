// Texts of the program in the controls. A stored (code page 437) text shows
// each character as itself; what the user types is stored with "?" for a
// character that code page 437 lacks, so that the screen, the project file
// and every output show the same text. Display texts (Windows-1252, the
// stored text converted for display) are shown and read back the same way.
#pragma once

#include <QString>

#include <string>
#include <string_view>

QString ShownText(std::string_view stored);
std::string StoredText(const QString& shown);

QString ShownDisplayText(std::string_view display);
std::string DisplayTextOf(const QString& shown);

// File and folder names (and command lines naming them) are the file
// system's bytes, UTF-8: shown as their characters and stored as typed,
// never through a code page. A name that is no UTF-8 (one on disk named in
// a code page) shows its bytes as Windows-1252; left as shown, it is stored
// byte for byte as it was.
QString ShownPath(std::string_view path);
std::string StoredPath(const QString& shown, std::string_view was = {});
