#include "framework/rounding_rule.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/math_utils.h"

Extended ZeroWithinRounding(Extended value, std::initializer_list<Extended> from) {
  // The rounding of a few steps, each up to half a unit in the last place,
  // with room for the sums of up to twenty parts the lengths come from.
  constexpr Extended kUnits = 64;
  if (!std::isfinite(value)) return value;
  Extended largest = 0;
  for (Extended x : from)
    if (std::isfinite(x)) largest = std::max(largest, std::fabs(x));
  return std::fabs(value) <= kUnits * std::numeric_limits<Extended>::epsilon() * largest ? 0 : value;
}

Extended DifferenceWithinRounding(Extended a, Extended b) { return ZeroWithinRounding(a - b, {a, b}); }
bool BelowBeyondRounding(Extended a, Extended b) { return DifferenceWithinRounding(a, b) < 0; }
bool AboveBeyondRounding(Extended a, Extended b) { return DifferenceWithinRounding(a, b) > 0; }

Extended RoundDownWithinRounding(Extended q) {
  const Extended whole = std::nearbyint(q);
  return ZeroWithinRounding(q - whole, {q}) == 0 ? whole : RoundDown(q);
}
