// Block files and the DXF block reader of the screen device. While the block
// section is open, each block's entities are written as DXF into
// "$" + name + ".dx$" in the temporary directory; an insert on the screen
// reads that file back and re-emits its entities through the CAD primitives,
// placed by the insert's point, angle and scales. Inserts inside a block
// file are followed up to four levels deep.
#pragma once

#include <string>

#include "framework/types.h"

constexpr int kMaxBlockInsertLevel = 4;

// Replays block name at the placement (x, y, angle in degrees, scales)
// relative to the current insert transform of CadState. A block file that
// cannot be opened adds "Invalid temp directory" to the calculation messages
// and sets AbortFlag; a fifth nested level is reported and left out.
void ReadDxfBlockFile(const std::string& name, Extended x, Extended y, Extended angle,
                      Extended xscale, Extended yscale);

// Colour of a layer name: the index of an equal CadLayerNames entry (first
// match), else the name as a number (0 when it is none).
int LayerToColor(const std::string& layer);

// Resets the insert transform (level 0, no shift, no turn, scale 1).
void ResetInsertTransform();
