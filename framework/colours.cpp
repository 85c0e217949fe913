#include "framework/colours.h"

namespace {

constexpr TColorRef kPalette[PaletteSize] = {
    MakeColorRef(0, 0, 0),       MakeColorRef(0, 0, 128),     MakeColorRef(0, 255, 0),
    MakeColorRef(0, 255, 255),   MakeColorRef(255, 0, 0),     MakeColorRef(128, 0, 128),
    MakeColorRef(128, 0, 0),     MakeColorRef(192, 192, 192), MakeColorRef(176, 176, 176),
    MakeColorRef(0, 0, 255),     MakeColorRef(0, 255, 0),     MakeColorRef(0, 255, 255),
    MakeColorRef(255, 0, 0),     MakeColorRef(255, 0, 255),   MakeColorRef(255, 255, 0),
    MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0)};

constexpr Byte kCadToPalette[8] = {0, 12, 14, 10, 11, 9, 13, 15};

}  // namespace

TColorRef PaletteColour(int n) {
  return n >= 0 && n < PaletteSize ? kPalette[n] : kPalette[0];
}

Byte MapColorIndex(Byte n) {
  if (n > 15) n = static_cast<Byte>((n & 15) + 1);
  return n <= 7 ? kCadToPalette[n] : static_cast<Byte>(n - 7);
}
