// A character of the Basic Multilingual Plane appended as UTF-8.
#pragma once

#include <string>

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

}  // namespace platform
