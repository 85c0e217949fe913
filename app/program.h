// The program's start: module initialisation, command line, main window.
#pragma once

// The window's own modules, after InitProgramModules: the spreadsheet link,
// the plot program's options form, and file errors shown as messages (unless
// a batch run is on).
void InitWindowModules();

int RunProgram(int argc, char** argv);
