// The screen device of the CAD output layer: pens of the graphics window,
// the temporary block files written while the block section is open, and
// inserts replayed from those files. Qt-free: it draws through
// framework/drawing.h into the display list.
#pragma once

#include <string>

#include "framework/types.h"

// Line style, colour and width of the graphics window for CAD colour n.
void ScreenSetColor(int n);

// Creates the block file of name and makes it the output file (TextFileVar);
// false (AbortFlag set) when it cannot be created.
bool OpenScreenBlock(const std::string& name);
// Ends the open block file with its EOF pair and stores it.
void CloseScreenBlock();
// True while a block file takes the block section's entities.
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
