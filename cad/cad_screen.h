// The screen device of the CAD output layer: pens of the graphics window,
// the blocks kept while the block section is open, and inserts replayed
// from them. Qt-free: it draws through
// framework/drawing.h into the display list.
#pragma once

#include <string>

#include "framework/types.h"

// Line style, colour and width of the graphics window for CAD colour n.
void ScreenSetColor(int n);

// Set (the default), each block goes to its temporary block file and inserts
// read the file back; clear, blocks are kept in memory (the two give the
// same display list).
extern bool ScreenBlocksInFiles;

// Begins block name: its DXF pairs are kept in memory (or its block file
// becomes the output file, TextFileVar); false (AbortFlag set) when the file
// cannot be created.
bool OpenScreenBlock(const std::string& name);
// Ends the open block: kept for the inserts, or its file ended with the EOF
// pair and stored.
void CloseScreenBlock();
// At the end of a drawing: the block files of this drawing stay, kept for
// the next drawing, which writes a block's file again only when the block
// changed; every other "$*.dx$" file of dir is deleted. Clears the blocks
// kept in memory.
void EndScreenBlockFiles(const std::string& dir);
// True for a block file that an earlier drawing left and this one has not
// written: it is read as if deleted.
bool ScreenBlockFileGone(const std::string& path);
// True while a block takes the block section's entities.
bool ScreenBlockOpen();

// Replays a block file into the window; colour and text style are the same
// after the insert as before it, as on the file devices.
void ScreenInsertBlock(const std::string& name, Extended x, Extended y, Extended angle,
                       Extended xscale, Extended yscale);

// After a fatal calculation: on the screen device the drawing gives way to
// the calculation messages, written on the cleared window, so that no result
// of earlier inputs stays in sight; then the message list is shown.
void ShowFatalCalculation(int device);

void InitCadScreen();
