// Device 4 of the CAD output layer: the drawing is written as "veskart.dxf"
// into the temporary directory and handed to the external plot program by
// the selected one of up to five stored command lines. The user picks a line
// when choosing the device and may build a new one by questions.
#pragma once

#include <string>
#include <vector>

// The plot part of SelectCadDevice: picks one of the stored command lines
// (PlotCommandIndex), lets the options form and a text line edit it, and
// builds a new one by SetupPlotProgram when the line is empty or starts
// with "0". Cancel sets AbortFlag.
void SelectPlotCommandLine();

// Builds a new command line by asking (mode 0: for the drawing file of the
// temporary directory; 1: for a file name or wildcard). Cancel sets
// AbortFlag and leaves the line unchanged. A line longer than 60 characters
// is put into a batch file "<name>.bat" in the configuration directory, and
// the line becomes that file's name.
void SetupPlotProgram(std::string& commandLine, int mode);

// Runs the selected command line, split at blanks (quotes keep blanks in a
// word), without a shell; a batch file made by SetupPlotProgram is run by the
// line it holds. The drawing's place is filled in (FillInPlotDrawing). A
// program that is missing or cannot be started is reported, naming it and
// the drawing, and sets AbortFlag.
void RunPlotCommandLine();

// The drawing of a command line is its first argument when that names
// "veskart" or "veskart.dxf" (any case, in any folder or none): it becomes
// that name in folder, where this run writes the drawing. A stored line
// thus names no run's folder, which goes when that run ends.
void FillInPlotDrawing(std::vector<std::string>& words, const std::string& folder);

// The plot program's options form (EditPlotCommandLine of the framework's
// forms): edits the line in place, false when cancelled. Start-up registers
// it; without one (tests, batch runs) the step is left out.
using TPlotCommandEditor = bool (*)(std::string& commandLine);
void SetPlotCommandEditor(TPlotCommandEditor editor);
