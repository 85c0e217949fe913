// The number text of display-list records.
#pragma once

#include <string>
#include <string_view>

#include "framework/types.h"

// General format with 8 significant digits: fixed notation when the
// value is at least 1e-5 and has at most 8 digits before the point, else
// "d.dddE[-]x"; trailing zeros dropped, "." as decimal sign.
std::string GraphFloatText(Extended v);
