// Blocks and the DXF block reader of the screen device. While the block
// section is open, each block's entities are kept in memory as the DXF group
// pairs a block file would hold; an insert on the screen replays them (or,
// for a block not kept, reads the block file "$" + name + ".dx$" of the
// temporary directory) and re-emits the entities through the CAD primitives,
// placed by the insert's point, angle and scales. Inserts inside a block are
// followed up to four levels deep.
#pragma once

#include <string>
#include <vector>

#include "cad/dxf_writer.h"

#include "framework/types.h"

constexpr int kMaxBlockInsertLevel = 4;

// Keeps the pairs of block name for the inserts that follow (a block of the
// same name is replaced), until ClearStoredBlocks.
void StoreBlock(const std::string& name, std::vector<TDxfPair> pairs);
void ClearStoredBlocks();
// Takes the stored pairs of the block whose file is path out of the store;
// false when none is stored under it.
bool TakeStoredBlock(const std::string& path, std::vector<TDxfPair>& pairs);
// An empty list for the pairs of a new block, with the room of a block gone when there is one.
std::vector<TDxfPair> TakeSparePairList();
// True for a block kept in memory or one whose block file exists.
bool BlockAvailable(const std::string& name);

// Replays block name at the placement (x, y, angle in degrees, scales)
// relative to the current insert transform of CadState. A block neither kept
// nor with a block file that can be opened is left out: "Invalid temp
// directory" goes to the calculation messages, the block is noted for
// ReportMissingBlocks and the drawing goes on. A fifth nested level is
// reported and left out.
void ReadDxfBlockFile(const std::string& name, Extended x, Extended y, Extended angle,
                      Extended xscale, Extended yscale);

// The blocks inserted since the last report that could not be read, each
// named with its reason ("" when there are none); ReportMissingBlocks shows
// that text as an error and forgets them, ForgetMissingBlocks only forgets.
std::string MissingBlocksText();
void ReportMissingBlocks();
void ForgetMissingBlocks();

// Colour of a layer name: the index of an equal CadLayerNames entry (first
// match), else the name as a number (0 when it is none).
int LayerToColor(const std::string& layer);

// Resets the insert transform (level 0, no shift, no turn, scale 1).
void ResetInsertTransform();
