// The program's start: module initialisation, command line, main window.
#pragma once

int RunProgram(int argc, char** argv);
