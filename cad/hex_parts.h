// The hex family of heads and nuts: the hex nut and heavy hex nut (part
// type 0), the hex head (part type 2) with its outline, and the special
// nut, a plain round nut drawn from the nut record's own dimensions.
// Qt-free.
#pragma once

#include "framework/types.h"

// Hex nut (Mutter.NutType 1: hex nut row, else heavy hex nut row) with its
// bearing face on top at y; its end views are centred at (x, y - m).
void DrawHexNut(Word view, Extended x, Extended y);
// Hex head with its bearing face at y, with shank and bolt end.
void DrawHexHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut);
// Outline of a hex head with a collar of height c under a hex of height kh,
// chamfered at angle (degrees): front outline in views 1 and 5, side outline
// in view 2.
void DrawHexHeadOutline(Word view, Extended x, Extended y, Extended s, Extended kh, Extended angle,
                        Extended c);
// The special nut hanging down from y: side 1 the nut alone (bore hidden),
// side 2 cut in half in the joint, with the bolt end inside it.
void DrawSpecialNut(Word view, Word side, Extended x, Extended y);
