// Printer set-up of the graphic print-outs: page scale, origin, frame flag and
// orientation per print mode, and the bracket around one print job.
// The printer variables (PrintScaleX/Y, PrintOriginX/Y, PrintBorder,
// PrintMode) live in framework/globals.h; PrintingGraphics with the graphics
// window.
#pragma once

#include "framework/types.h"

// Mode 0: scale 1, no frame, landscape; 1: the same with a frame; 2: x scale
// 1.4, no frame, portrait; any other mode changes nothing.
void SetupPrinterPage(Word Mode);
// SetupPrinterPage(PrintMode), PrintingGraphics on, start the printer document.
// Sets AbortFlag when the printer cannot be opened.
void BeginPrintJob();
// PrintingGraphics off, end the printer document.
void EndPrintJob();
