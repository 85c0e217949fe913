// The HP-GL picture player: plays plotter files (a subset of HP-GL and
// HP-GL/2, extension ".plt") into the graphics window through the drawing
// routines, so a picture can be zoomed, panned and printed like any drawing.
// Plotter units become millimetres with the factor 0.025.
#pragma once

#include <string>

#include "framework/types.h"

// Player state.
// The pen position at the start of a file, before any move: unknown.
constexpr Extended kPenUnknown = -999;
extern Extended PenX, PenY;  // current point in mm; kPenUnknown at the start of a file
extern bool PenIsDown;
extern Byte CurrentPen;
extern Extended CharWidth, CharHeight;  // label character size in cm (kept between files)
extern Extended DirRun, DirRise;        // label direction (kept between files)
extern int CharSetNumber;               // 3 switches on the umlaut transcription of labels

void InitHpgl();

// Colour number of a plotter pen: 0 stays 0, pens 1..7 red, yellow, green,
// cyan, blue, magenta, white; higher pens their own number.
int PenColour(int pen);

// Plays one file in the window set up by the caller. A missing file is
// reported and leaves AbortFlag set; otherwise AbortFlag is clear afterwards.
void PlayHpglFile(const std::string& FileName);

// Plays the named picture of the PLT directory in a 160 x 120 mm area.
void ShowPltImage(const std::string& Name);

// Plays picture data already read (the body of PlayHpglFile).
void PlayHpglText(const std::string& data);
