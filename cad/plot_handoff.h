// Device 4 of the CAD output layer: the drawing is written as "veskart.dxf"
// into the temporary directory and handed to the external plot program by
// the selected one of up to five stored command lines. The user picks a line
// when choosing the device and may build a new one by questions.
#pragma once

#include <string>

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
// line it holds. A program that cannot be started gives a trace message
// ("file not found", "Exec error 31").
void RunPlotCommandLine();

// The plot program's options form (EditPlotCommandLine of the framework's
// forms): edits the line in place, false when cancelled. Start-up registers
// it; without one (tests, batch runs) the step is left out.
using TPlotCommandEditor = bool (*)(std::string& commandLine);
void SetPlotCommandEditor(TPlotCommandEditor editor);
