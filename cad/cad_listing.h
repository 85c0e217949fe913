// The CAD text listing: one line per entity, block boundary or section, a
// keyword first and the values after it, all separated by TAB characters.
// Numbers as DXF reals (CadDecimals decimals), with "," for "." while the
// decimal comma setting is 2. Written to TextFileVar.
#pragma once

#include <string>

#include "framework/types.h"

void WriteTxtMinMax(Extended xmin, Extended ymin, Extended xmax, Extended ymax);
void WriteTxtBlocksSection();
void WriteTxtBlock(const std::string& name);
void WriteTxtEndBlock();
void WriteTxtEntitiesSection();
void WriteTxtLine(Extended x1, Extended y1, Extended x2, Extended y2);
void WriteTxtCircle(Extended x, Extended y, Extended r);
// A full turn is written as a CIRCLE line, as in the DXF writer.
void WriteTxtArc(Extended x, Extended y, Extended a1, Extended a2, Extended r);
void WriteTxtText(const std::string& text, Extended x, Extended y);
void WriteTxtSolid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
                   Extended x4, Extended y4);
void WriteTxtInsert(const std::string& name, Extended x, Extended y, Extended angle,
                    Extended xscale, Extended yscale);
// "EOF", then TextFileVar is closed.
void WriteTxtEof();
