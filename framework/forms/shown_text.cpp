#include "framework/forms/shown_text.h"

#include "framework/charset.h"
#include "platform/oem_text.h"

QString ShownText(std::string_view stored) { return platform::QStringFromOem(stored); }

std::string StoredText(const QString& shown) { return platform::OemFromQString(shown); }

QString ShownDisplayText(std::string_view display) { return ShownText(AnsiToOemText(display)); }

std::string DisplayTextOf(const QString& shown) { return OemToAnsiText(StoredText(shown)); }
