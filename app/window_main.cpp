// wbq4-gui: the program with its window, started by wbq4 for every command
// line that is not a batch run.
#include "app/program.h"

int main(int argc, char** argv) { return RunProgram(argc, argv); }
