// Windows-1252, the character set of the display texts, as Unicode; and
// display texts as UTF-8 for the terminal.
#pragma once

#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace platform {

// Codes 0x80..0x9F; the five unassigned codes keep their C1 value. Codes
// 0xA0..0xFF are Latin-1, the lower half is ASCII.
inline constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline std::string Utf8FromDisplay(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
  }
  return out;
}

}  // namespace platform
