// UTF-8: a character of the Basic Multilingual Plane appended, and the
// characters of a text read back.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline void AppendUtf8(std::string& out, char16_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
    return;
  }
  if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
  } else {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (u & 0x3F));
}

// The character of the well-formed sequence at text[i] (shortest form, no
// surrogate, at most U+10FFFF); i moves past it. False, i unchanged, when
// text[i] starts no such sequence.
inline bool NextUtf8(std::string_view text, std::size_t& i, char32_t& c) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b = byte(i);
  if (b < 0x80) {
    c = b;
    ++i;
    return true;
  }
  const std::size_t n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > text.size()) return false;
  char32_t value = b & (0xFF >> (n + 1));
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return false;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  const char32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  c = value;
  i += n;
  return true;
}

// Whether the whole text is well-formed UTF-8 (plain ASCII is).
inline bool IsUtf8(std::string_view text) {
  char32_t c;
  for (std::size_t i = 0; i < text.size();)
    if (!NextUtf8(text, i, c)) return false;
  return true;
}

}  // namespace platform
