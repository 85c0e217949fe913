// The program's start: module initialisation, command line, main window.
#pragma once

// The window's own modules, after InitProgramModules: the spreadsheet link
// and the plot program's options form.
void InitWindowModules();

int RunProgram(int argc, char** argv);
