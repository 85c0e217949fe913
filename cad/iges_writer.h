// The IGES writer: the CAD output API's calls as an ASCII IGES file in the
// fixed 80-column format (start, global, directory entry, parameter data and
// terminate sections). Lines 110, arcs and circles 100, filled four-corner
// figures 106, texts 212, blocks 308, inserts 408 (with a 124 matrix when
// turned); millimetres. S, G and D records go to TextFileVar as they come;
// the P records wait in the temporary file "ZUZIZURI.$$$" of this process
// until CloseIgesFile appends them.
//
// A block is kept in memory until it is inserted. Its geometry becomes a 308
// at the first insert of scale 1, and each such insert a 408; an insert of
// any other scale writes the geometry in place instead, since readers drop
// scaled instances. The block's texts are written in place at every insert,
// never inside a 308. A block that no insert names is not written at all:
// readers show a 308 without an instance as geometry of the drawing. The
// insert of an unknown block is an instance of a 308 holding only a point.
// Only ASCII is written; lines whose ends coincide are left out.
#pragma once

#include <string>
#include <vector>

#include "framework/types.h"

// Opens the temporary parameter-data file; false (reported, AbortFlag) on failure.
bool OpenIgesTempFile();
// Closes and erases the temporary file when the output file cannot be opened.
void DiscardIgesTempFile();
// Resets the writer, then writes the start and global sections.
void WriteIgesStartGlobal(const std::string& baseName, Extended maxCoordinate);
void WriteIgesLine(Extended x1, Extended y1, Extended x2, Extended y2);
// Centre, start point and end point, counter-clockwise.
void WriteIgesArc(Extended xc, Extended yc, Extended xs, Extended ys, Extended xe, Extended ye);
void WriteIgesCircle(Extended x, Extended y, Extended r);
void WriteIgesCopious(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3,
                      Extended y3, Extended x4, Extended y4);
void WriteIgesNote(const std::string& text, Extended x, Extended y);
void BeginIgesSubfigure(const std::string& name);
void WriteIgesSubfigure();
// The block's instance at (x, y), turned by angle (degrees) and scaled.
void WriteIgesInstance(const std::string& name, Extended x, Extended y, Extended angle,
                       Extended xscale, Extended yscale);
void SetIgesColor(int n);
// Index (from 1) of the block in the table; 0, with a calculation message,
// when it was never defined.
int FindIgesBlock(const std::string& name);
// Appends the P records and the terminate record, stores the file and
// erases the temporary file. A failed write of either file, or AbortFlag,
// leaves the old drawing file as it was.
void CloseIgesFile();

// A CAD text (code page 437) in plain ASCII: umlauts, degree, plus-minus,
// micro and superscript two spelt out; other non-ASCII characters as "?".
std::string IgesText(const std::string& text);
// The Hollerith form of a text: length, "H", text.
std::string Hollerith(const std::string& text);
// The P lines of one parameter text: at most 64 characters, broken after a ",".
std::vector<std::string> SplitIgesParameters(const std::string& text);

void InitIgesWriter();
