// The number text of display-list records.
#pragma once

#include <string>
#include <string_view>

#include "framework/types.h"

// General format with 8 significant digits: fixed notation when the
// value is at least 1e-5 and has at most 8 digits before the point, else
// "d.dddE[-]x"; trailing zeros dropped, "." as decimal sign.
std::string GraphFloatText(Extended v);

// The value that GraphFloatText(v) reads back as, as a double: v rounded to
// its 8 significant digits. False for values GraphFloatText writes in its
// slow path (far outside drawing sizes, not finite), whose text must be read.
bool GraphRoundedReal(Extended v, double& out);
