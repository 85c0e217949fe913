// The 17-colour palette of the graphics window and the mapping from CAD
// colour numbers to it.
#pragma once

#include <cstdint>

#include "framework/types.h"

// A Windows colour value: red in the low byte, then green, then blue.
using TColorRef = std::uint32_t;

constexpr TColorRef MakeColorRef(int r, int g, int b) {
  return static_cast<TColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColorRefRed(TColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int ColorRefGreen(TColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColorRefBlue(TColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

// Number of palette entries: 0 black, 1..16 the drawing colours.
constexpr int PaletteSize = 17;

// Palette colour n (0..16); numbers outside the palette give black.
TColorRef PaletteColour(int n);

// CAD colour number (1 red, 2 yellow, 3 green, 4 cyan, 5 blue, 6 magenta,
// 7 white, 8.. grey shades) to palette number. Above 15 the number wraps.
Byte MapColorIndex(Byte n);
