// Room for texts: the box a text covers on the sheet, and the parts of a
// line that stay outside a set of such boxes. The CAD output layer cuts the
// lines of a diagram with these, so that no line strikes through a text.
// Qt-free.
#pragma once

#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/types.h"

// A text's box in its own frame: u along the baseline from the insertion
// point, v across it; the frame is turned by the text's angle.
struct TTextBox {
  Extended x = 0, y = 0;        // insertion point (baseline start) on the sheet
  Extended cosA = 1, sinA = 0;  // the text's direction
  Extended u1 = 0, v1 = 0, u2 = 0, v2 = 0;
  // The box's bounds on the sheet, a little wide: a segment wholly beyond
  // them cannot touch the box. Unbounded unless set.
  Extended minX = -HUGE_VALL, minY = -HUGE_VALL, maxX = HUGE_VALL, maxY = HUGE_VALL;
};

// The box of a text written at (x, y) with the height, the width ratio of a
// character and the angle (degrees): its letters from the first to the last
// that is not blank, with room for descenders, accents and the pen. A text
// of blanks only covers nothing (empty box).
TTextBox TextBoxOf(const std::string& text, Extended x, Extended y, Extended height, Extended widthFactor,
                   Extended angle);

// The pieces of the segment from (x1, y1) to (x2, y2) that run through none
// of the boxes, in order along it, each as x1, y1, x2, y2.
std::vector<std::array<Extended, 4>> SegmentOutsideBoxes(Extended x1, Extended y1, Extended x2, Extended y2,
                                                         const std::vector<TTextBox>& boxes);

// The bounds on the sheet of every box that covers something (an empty
// box's bounds, min above max, when none does).
TTextBox BoundsOfBoxes(const std::vector<TTextBox>& boxes);

// The boxes that cover something, ready for many segments: their bounds on
// the sheet in a compact list by their left edge.
struct TTextBoxIndex {
  struct Bounds {
    Extended minX, minY, maxX, maxY;
  };
  TTextBox bounds;                // BoundsOfBoxes of all of them
  std::vector<Bounds> byLeft;     // finite bounds, by minX
  std::vector<Bounds> anywhere;   // bounds that are not finite
};

TTextBoxIndex IndexOfBoxes(const std::vector<TTextBox>& boxes);

// True when the segment is long enough to be drawn and lies wholly beyond the
// bounds of every box: SegmentOutsideBoxes would give it back whole.
bool SegmentClearOfBoxes(Extended x1, Extended y1, Extended x2, Extended y2, const TTextBoxIndex& index);

// The room a text takes, which other texts keep clear of: every character,
// blanks at either end too, from below its descenders up to above its
// accents (as TextBoxOf across the baseline); for a text turned by another
// angle than a right one, the upright box around that. Covers nothing for
// a text of blanks only.
TTextBox TextFootprintOf(const std::string& text, Extended x, Extended y, Extended height, Extended widthFactor,
                         Extended angle);
// The room a filled area takes: the box around its corners (x, y).
TTextBox AreaFootprintOf(std::initializer_list<std::array<Extended, 2>> corners);
// True when two footprints overlap, more than touching at an edge.
bool FootprintsMeet(const TTextBox& a, const TTextBox& b);
