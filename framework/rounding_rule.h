// The one rounding rule of the calculation and the drawings. A difference
// of computed numbers that lies within a few units in the last place of the
// largest of them is rounding: it counts as 0, so that a check against 0, a
// limit or a whole number decides on it as on the exact decimals.
#pragma once

#include <initializer_list>

#include "framework/types.h"

// value, or 0 when it lies within rounding of the largest finite number it
// was formed from; a value that is not finite stays as it is.
Extended ZeroWithinRounding(Extended value, std::initializer_list<Extended> from);
// a - b by that rule.
Extended DifferenceWithinRounding(Extended a, Extended b);
// a < b and a > b by that rule: false where a and b differ by rounding alone.
bool BelowBeyondRounding(Extended a, Extended b);
bool AboveBeyondRounding(Extended a, Extended b);
// The whole number at or below q; a q within rounding of a whole number is
// that number.
Extended RoundDownWithinRounding(Extended q);
