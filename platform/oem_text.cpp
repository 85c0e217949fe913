#include "platform/oem_text.h"

#include "platform/cp437.h"

namespace platform {

QString QStringFromOem(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    out.append(QChar(b < 0x80 ? char16_t(b) : kCp437High[b - 0x80]));
  }
  return out;
}

std::string OemFromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    char code = '?';
    if (c < 0x80) {
      code = static_cast<char>(c);
    } else if (QChar::isHighSurrogate(c)) {
      // A character beyond the plane: one "?" for its two halves.
      if (i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    } else {
      for (int k = 0; k < 128; ++k) {
        if (kCp437High[k] == c) {
          code = static_cast<char>(0x80 + k);
          break;
        }
      }
    }
    out.push_back(code);
  }
  return out;
}

}  // namespace platform
