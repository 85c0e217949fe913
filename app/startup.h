// Start-up of the main window: the command line's window modes, the default
// project and the first calculation; and the CAD output of one item that the
// command line's "/CADi:j" asks for (app/batch_runs.h).
#pragma once

#include <string>
#include <vector>

#include "cad/cad_output.h"
#include "framework/types.h"

// Module initialisation of the main application (its menu texts).
void InitAppModules();
// Every module's globals to their start values, in module order; the tables
// and the pictures lie in the data directory until the configuration says
// otherwise. The window's own modules follow in InitWindowModules (app/program.h).
void InitProgramModules();

// Evaluates the command line for the window: a project named on it is loaded
// (a name that cannot be loaded becomes the name of a new project), "/E" and
// "/G" skip the load, and without a file the default project "null" of the
// data directory is read when it is there. Mode 6..9 does not read the
// configuration again; modes 1, 4 and 8 calculate at the end. The batch
// modes never reach here: they end the program before a window exists.
void StartUp(Word mode);
// True when the last StartUp found that the program must end (exit code 0):
// a project named on the command line can be neither loaded nor created.
bool StartUpEndsProgram();

// Names, in one message, the tables of the table directory (DbfDir) beside
// which a newer shipped version lies (name.dbf.new: the build leaves one
// when the table was changed after it was built), what is known of each
// (changed or not, from the build's stamp), and how to take the newer one
// wherever the tables lie; nothing when there are none. The window calls it
// once, at start.
void ReportNewerShippedTables();

// Item 1..4 joint views, 5 bolt, 6 nut, 7 clamped parts, 8..12 diagram kinds
// 1..5, 13 drawing sheet, 14 forces table; other items draw nothing.
void CommandLineCadExport(TCadDevice device, int item);
