// The device-independent CAD output layer. Every drawing, diagram and sheet
// is produced once, in drawing coordinates (millimetres on the sheet),
// through these routines; the current device decides what each call becomes:
// a DXF file, an IGES file, the graphics window, a DXF file handed to the
// external plot program, or a text listing.
//
// A drawing command always runs the same skeleton:
//   CadOpen(device, name); if (AbortFlag) stop;
//   CadBeginDrawing(xmin, ymin, xmax, ymax); CadWriteTables(variant);
//   [CadBeginBlocks(); { CadBeginBlock(name); ...; CadEndBlock(); } CadEndSection();]
//   do { CadBeginEntities(); ...primitives and inserts...; CadEndSection(); } while (!CadLastPass());
//   CadClose(0); RestoreCursor();   // RestoreCursor: framework/message_box.h
//
// Angles of arcs, texts, polygons and inserts are degrees; the polar moves
// and the polyline vertex angle take radians. Every primitive adds the origin
// (CadSetOrigin) to its coordinates; CadInsertBlock passes its point as given.
// The state lives in CadState (framework/globals.h). Qt-free.
#pragma once

#include <cmath>
#include <string>

#include "framework/globals.h"
#include "framework/types.h"

// The CAD output devices; the second argument of every drawing command.
using TCadDevice = Word;
constexpr TCadDevice kCadAskDevice = 0;    // ask the user (SelectCadDevice)
constexpr TCadDevice kCadDxf = 1;          // DXF file
constexpr TCadDevice kCadIges = 2;         // IGES file
constexpr TCadDevice kCadScreen = 3;       // graphics window and its display list
constexpr TCadDevice kCadPlotProgram = 4;  // DXF file handed to the plot program
constexpr TCadDevice kCadListing = 5;      // CAD text listing

// Opening and closing -------------------------------------------------------

// Begins output on a device (0 asks). Cancel or a file that cannot be created
// set AbortFlag; the caller then stops. The name is not used.
// The file a batch run ("/CADi:j") writes on a file device: beside the
// project (CurrentFileName), x.dxf, x.igs, or x.lst for the listing.
std::string CadBatchFileName(TCadDevice device);
// The same for the project path without its extension, base.
std::string CadBatchFileName(TCadDevice device, const std::string& base);
void CadOpen(TCadDevice device, const std::string& name);
// Ends output: closes the file (stored only when every write succeeded),
// starts the plot program, or deletes the screen's block files.
void CadClose(Byte flag = 0);
// Asks for the device (and the plot program's command line); Cancel sets AbortFlag.
void SelectCadDevice();
void SetCadDevice(TCadDevice device);

// Sections ------------------------------------------------------------------

// Sets the drawing window and writes the file head (screen: window header).
void CadBeginDrawing(Extended xmin, Extended ymin, Extended xmax, Extended ymax);
// DXF tables: variant 0 joint drawings, 1 numbered layers 0..15, 2 diagrams.
void CadWriteTables(Word variant);
void CadBeginBlocks();
void CadBeginBlock(const std::string& name);
void CadEndBlock();
void CadEndSection();
void CadBeginEntities();
// End test of the pass loop; every device makes one pass.
bool CadLastPass();

// State ---------------------------------------------------------------------

void CadSetOrigin(Extended x0, Extended y0);
void CadSetScale(Extended s);  // CadScale := s * CadUnitFactor
void CadSetOutputMode(Word mode);
// Colours 0..31 (above 31: 16 + n mod 16); selects the layer or screen pen.
void CadSetColor(int colour);
// Screen line style 0 solid, 2 and 3 broken; outside the block section only.
void CadSetScreenPen(Word style);
// Height in drawing units; width 0 means the standard width ratio 0.7. The
// font code is accepted and not used.
void CadSetTextStyle(int font, Extended angle, Extended height, Extended width);
// Horizontal 0 left, 1 centre, 2 right; vertical 0 base, 1 middle, 2 top.
void CadSetTextAlign(int horizontal, int vertical);
void CadSetLineSpacing(Extended factor);

// Primitives ----------------------------------------------------------------

void CadLine(Extended x1, Extended y1, Extended x2, Extended y2);
void CadHorizontalLine(Extended x, Extended y, Extended length);
void CadRectangle(Extended x1, Extended y1, Extended x2, Extended y2);
void CadMoveTo(Extended x, Extended y);
void CadLineTo(Extended x, Extended y);
// Relative moves by length in direction angle + CadRotation (radians).
void CadMoveToPolar(Extended length, Extended angle);
void CadLineToPolar(Extended length, Extended angle);
void CadCircle(Extended x, Extended y, Extended r);
// Counter-clockwise from a1 to a2 (degrees); r = 0 draws nothing.
void CadArc(Extended x, Extended y, Extended a1, Extended a2, Extended r);
void CadArc3P(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3);
// Side view of a helix: start angle in degrees, advance per turn.
void CadSineCurve(Extended x, Extended y, Extended amplitude, Extended advance, Extended start,
                  Extended turns);
// Regular n-gon of width across flats s about (x, y), first corner at angle (degrees).
void CadRegularPolygon(Word n, Extended x, Extended y, Extended s, Extended angle);
void CadGrid(int nx, int ny, Extended x0, Extended y0, Extended dx, Extended dy);
void CadSolid(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
              Extended x4, Extended y4);
void CadBeginPolyline(int closed);
// angle: included angle (radians) of the arc to the next vertex, 0 straight.
void CadVertex(Extended x, Extended y, Extended angle);
void CadEndPolyline();
// Stored (code page 437) text with the current style and alignment; empty draws nothing.
void CadText(const std::string& text, Extended x, Extended y);
// CadText at the current point, then one line down.
void CadTextLine(const std::string& text);
// CadText and CadTextLine with the letters narrowed where the text would be
// wider than room (drawing units from its start), so that it just fills it;
// the text style is the same afterwards.
void CadTextFitted(const std::string& text, Extended x, Extended y, Extended room);
void CadTextLineFitted(const std::string& text, Extended room);
void CadInsertBlock(const std::string& name, Extended x, Extended y, Extended angle,
                    Extended xscale, Extended yscale);

// Texts keep lines off --------------------------------------------------------

// From CadBeginTextKeepOut to CadEndTextKeepOut nothing reaches the device at
// once: at the end every line drawn between them is cut where it would run
// through the box of a text drawn between them (before or after it), and
// then all goes to the device in the order it was drawn. Pairs nest; the
// outermost end sends. CadOpen forgets what an unfinished pair held.
void CadBeginTextKeepOut();
void CadEndTextKeepOut();
// Between them: true when a text written at (x, y) with the current style and
// alignment, narrowed to room as CadTextFitted does, would stand clear of the
// letters of every text and of every filled area drawn since the outermost
// CadBeginTextKeepOut (always true outside such a pair).
bool CadTextClear(const std::string& text, Extended x, Extended y, Extended room = HUGE_VALL);
// Between them: the highest top of those texts and filled areas that reach
// into x1 .. x2 and end below y; -HUGE_VALL when none does.
Extended CadHeldTopBelow(Extended x1, Extended x2, Extended y);

// Helpers shared by the devices ---------------------------------------------

// The directory of the block files, the plot drawing and the logo blocks:
// TempDir, or this process's own temporary directory while TempDir is unset.
std::string CadTempDir();
// "$" + name + ".dx$" in CadTempDir().
std::string CadBlockFileName(const std::string& name);

// Start state of the CAD output modules (the settings themselves are reset
// by InitCadDefaults).
void InitCadOutput();
