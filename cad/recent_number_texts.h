// The texts of the numbers a routine formatted last. Drawings format the same
// few values again on every redraw (axis labels, text ratios and angles), and
// formatting one costs more than the rest of its record. A text is kept with
// the number settings it was made under (FloatDigits, DecimalCommaMode), so a
// change of the settings formats afresh. Qt-free.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <string>

#include "framework/globals.h"
#include "framework/types.h"

template <std::size_t N>
class TRecentNumberTexts {
 public:
  // The text format(x) gives, kept from an earlier call under the same settings.
  template <typename Format>
  std::string Text(Extended x, Format format) {
    for (std::size_t i = 0; i < filled_; ++i) {
      const Entry& e = entries_[i];
      if (e.x == x && std::signbit(e.x) == std::signbit(x) && e.digits == FloatDigits &&
          e.comma == DecimalCommaMode)
        return e.text;
    }
    Entry& e = entries_[next_];
    e.x = x;
    e.digits = FloatDigits;
    e.comma = DecimalCommaMode;
    e.text = format(x);
    next_ = (next_ + 1) % N;
    if (filled_ < N) ++filled_;
    return e.text;
  }

 private:
  struct Entry {
    Extended x = 0;
    int digits = 0;
    Word comma = 0;
    std::string text;
  };
  std::array<Entry, N> entries_;
  std::size_t next_ = 0, filled_ = 0;
};
