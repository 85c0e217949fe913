// The ASCII DXF writer: a minimal two-dimensional DXF (HEADER with extents
// and limits, TABLES with three line types, the layers and one text style,
// optional BLOCKS, one ENTITIES section, EOF). Serves the DXF file, the plot
// program's drawing and the screen's temporary block files. Everything is
// written to TextFileVar; coordinates arrive with the origin already added.
// Every item is a group code line (right-aligned in 3 columns) and a value line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"

// One group pair as a reader gets it back from the file.
struct TDxfPair {
  int code = -1;
  std::string value;
  // A real kept in memory: its value as read back from its text, which is
  // not made (value stays empty).
  bool real = false;
  Extended number = 0;
  // A real whose text is kept: number is scaled / 10^decimals, written with
  // that many decimals by DxfPairsText (decimals -1: value holds the text).
  long long scaled = 0;
  int decimals = -1;
};

// Same code and same value, as their file would hold them.
bool operator==(const TDxfPair& a, const TDxfPair& b);

// While set, group pairs are appended here instead of being written to
// TextFileVar (the screen keeps its blocks in memory this way). With
// keepText, reals keep their text too, so that DxfPairsText can write them.
void SetDxfPairSink(std::vector<TDxfPair>* sink, bool keepText = false);

// The pairs as the DXF writer writes them to a file: code line, value line.
std::string DxfPairsText(const std::vector<TDxfPair>& pairs);

// A real as DXF and the listing write it: CadDecimals decimals, always ".".
std::string DxfRealText(Extended x);

// Group pairs.
void WriteDxfString(int code, std::string_view value);
void WriteDxfInt(int code, long long value);
void WriteDxfReal(int code, Extended value);

// The layer of colour n: numbered ("16") unless named layers are on and n <= 5.
void SetDxfLayerByColor(int n);

// The $DWGCODEPAGE of the texts the umlaut mode writes.
std::string DxfCodePage();
void WriteDxfHeader(Extended xmin, Extended ymin, Extended xmax, Extended ymax);
void WriteDxfTables(Word variant);
void WriteDxfBlocksSection();
void WriteDxfEntitiesSection();
void WriteDxfEndSec();
void WriteDxfBlock(const std::string& name);
void WriteDxfEndBlk();
void WriteDxfLine(Extended x1, Extended y1, Extended x2, Extended y2);
void WriteDxfCircle(Extended x, Extended y, Extended r);
// A full turn (a1 = a2, or 0 and 360) is written as a CIRCLE.
void WriteDxfArc(Extended x, Extended y, Extended a1, Extended a2, Extended r);
void WriteDxfText(const std::string& text, Extended x, Extended y);
void WriteDxfSolid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
                   Extended x4, Extended y4);
void WriteDxfInsert(const std::string& name, Extended x, Extended y, Extended angle,
                    Extended xscale, Extended yscale);
void WriteDxfPolyline(int closed);
void WriteDxfVertex(Extended x, Extended y, Extended bulge);
void WriteDxfSeqEnd();
// 0 "EOF", then TextFileVar is closed: stored unless a write failed (then
// reported) or AbortFlag is set; the old file stays otherwise. True when stored.
bool WriteDxfEof();

// True for an arc that is a full circle (a1 = a2, or 0 to 360 either way).
bool ArcIsFullCircle(Extended a1, Extended a2);
