// Basic types shared by every subsystem.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

using Extended = long double;  // 80-bit x87 extended precision
using Byte = std::uint8_t;
using Word = std::uint16_t;
using LongWord = std::uint32_t;

// A text of at most N characters that cuts on assignment, like the stored
// fixed-width texts of settings and records: no assignment can overflow it.
// Texts are byte strings (code page 437 where stored).
template <std::size_t N>
class ShortString {
 public:
  static constexpr std::size_t capacity = N;

  ShortString() = default;
  ShortString(std::string_view s) { assign(s); }          // NOLINT: implicit by design
  ShortString(const char* s) { assign(s ? std::string_view(s) : std::string_view()); }  // NOLINT
  ShortString(const std::string& s) { assign(s); }        // NOLINT
  template <std::size_t M>
  ShortString(const ShortString<M>& o) { assign(o.view()); }  // NOLINT

  ShortString& operator=(std::string_view s) { assign(s); return *this; }
  ShortString& operator=(const char* s) { assign(s ? std::string_view(s) : std::string_view()); return *this; }
  ShortString& operator=(const std::string& s) { assign(s); return *this; }
  template <std::size_t M>
  ShortString& operator=(const ShortString<M>& o) { assign(o.view()); return *this; }

  void assign(std::string_view s) {
    len_ = s.size() < N ? s.size() : N;
    if (len_) std::memcpy(buf_.data(), s.data(), len_);
  }

  std::size_t size() const { return len_; }
  std::size_t length() const { return len_; }
  bool empty() const { return len_ == 0; }
  const char* data() const { return buf_.data(); }
  std::string_view view() const { return std::string_view(buf_.data(), len_); }
  std::string str() const { return std::string(buf_.data(), len_); }
  operator std::string() const { return str(); }  // NOLINT
  operator std::string_view() const { return view(); }  // NOLINT

  char operator[](std::size_t i) const { return i < len_ ? buf_[i] : '\0'; }
  char& at(std::size_t i) { return buf_[i]; }

  ShortString& operator+=(std::string_view s) {
    std::size_t room = N - len_;
    std::size_t n = s.size() < room ? s.size() : room;
    if (n) std::memcpy(buf_.data() + len_, s.data(), n);
    len_ += n;
    return *this;
  }
  ShortString& operator+=(char c) {
    if (len_ < N) buf_[len_++] = c;
    return *this;
  }

  friend bool operator==(const ShortString& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const ShortString& a, const ShortString& b) { return a.view() == b.view(); }

 private:
  std::array<char, N == 0 ? 1 : N> buf_{};
  std::size_t len_ = 0;
};

using ShortString255 = ShortString<255>;
