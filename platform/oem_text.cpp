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

}  // namespace platform
