// The number text of display-list records.
#pragma once

#include <string>
#include <string_view>

#include "framework/types.h"

// General format with 8 significant digits: fixed notation when the
// value is at least 1e-5 and has at most 8 digits before the point, else
// "d.dddE[-]x"; trailing zeros dropped, "." as decimal sign.
std::string GraphFloatText(Extended v);

// Reads a number written by GraphFloatText (a "," is taken as decimal sign
// too, blanks around it are ignored). False for anything else.
bool GraphTextToFloat(std::string_view text, Extended& v);
bool GraphTextToInt(std::string_view text, long& v);
