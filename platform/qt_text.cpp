#include "platform/qt_text.h"

#include <QFile>

#include "platform/cp1252.h"

namespace platform {

namespace {

constexpr const char16_t* kHigh = kCp1252High;

}  // namespace

QString QStringFromDisplay(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char ch : text) {
    auto b = static_cast<unsigned char>(ch);
    out.append(QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b)));
  }
  return out;
}

std::string DisplayFromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar qc : text) {
    char16_t c = qc.unicode();
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i) {
      if (kHigh[i] == c) {
        mapped = static_cast<char>(0x80 + i);
        break;
      }
    }
    out.push_back(mapped);
  }
  return out;
}

QString WindowTitleFromDisplay(std::string_view caption) {
  QString title = QStringFromDisplay(caption);
  while (title.endsWith(QLatin1Char(' '))) title.chop(1);
  const QChar noBreak(0xA0);
  for (qsizetype i = 0; i < title.size(); ++i) {
    const bool run = title[i] == QLatin1Char(' ') &&
                     ((i > 0 && (title[i - 1] == QLatin1Char(' ') || title[i - 1] == noBreak)) ||
                      (i + 1 < title.size() && title[i + 1] == QLatin1Char(' ')));
    if (run) title[i] = noBreak;
  }
  return title;
}

QString QStringFromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace platform
