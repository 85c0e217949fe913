// The hex parts with a round flange: the hex flange bolt's head (part type
// 8, with shank and bolt end) and the hex flange nut (part type 9), both
// drawn upwards from their bearing face at y; the joint drawing turns the
// nut over by inserting it as a block. Qt-free.
#pragma once

#include "framework/types.h"

// Codes other than 8 and 9 add "Fatal  : Flange Nut" to the message list,
// set AbortFlag and draw nothing.
void DrawFlangeHeadOrNut(Word view, bool nutJoint, Extended x, Extended y, Extended runOut,
                         Word code);
