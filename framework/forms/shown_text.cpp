#include "framework/forms/shown_text.h"

#include "framework/charset.h"
#include "platform/oem_text.h"
#include "platform/qt_text.h"
#include "platform/utf8.h"

QString ShownText(std::string_view stored) { return platform::QStringFromOem(stored); }

std::string StoredText(const QString& shown) { return platform::OemFromQString(shown); }

QString ShownDisplayText(std::string_view display) { return ShownText(AnsiToOemText(display)); }

// The inverse of ShownDisplayText: the code page's own conversion, whatever
// CharSetMode is, so that AnsiToOemText gives back what was typed ("Φ" stays
// "Φ" where the plain-ASCII transcription has no letter for it).
std::string DisplayTextOf(const QString& shown) {
  std::string text = StoredText(shown);
  for (char& c : text) c = static_cast<char>(OemToAnsiChar(static_cast<unsigned char>(c)));
  return text;
}

QString ShownPath(std::string_view path) {
  return platform::IsUtf8(path) ? platform::QStringFromPath(path) : platform::QStringFromDisplay(path);
}

std::string StoredPath(const QString& shown, std::string_view was) {
  if (shown == ShownPath(was)) return std::string(was);
  return shown.toUtf8().toStdString();
}
