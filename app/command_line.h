// The command-line modes that run without a window: the help text ("?",
// "/?"), the batch modes on one or many projects ("wbq4 x.bq4 /I",
// "wbq4 a.bq4 b.bq4 /JSON", "/CADi:j", "/PDF"; app/batch_runs.h) and the
// refusal of a project name without ".". "/NOGUI" is accepted anywhere on the
// line.
#pragma once

#include <string>
#include <vector>

#include "app/batch_runs.h"

// The help lines of the command line: the 21 written lines (empty lines
// included), then the switches added since.
std::vector<std::string> CommandLineHelpLines();

// A batch command line: the projects before the first batch switch ("/I",
// "/JSON", "/PDF", "/CADi:j"), in the order given, and that switch, which
// decides; the parameters after it are not used. Empty when the line asks
// for no batch mode.
struct BatchCommand {
  std::vector<std::string> projects;
  std::string modeSwitch;
  std::vector<std::string> unused;
};
BatchCommand ReadBatchCommand(const std::vector<std::string>& params);
// Runs the batch command (RunBatchProjects) after naming on stderr each
// parameter it does not use.
int RunBatchCommand(const BatchCommand& command);

// True when the parameters (without the program name) ask for a mode that
// wbq4 runs itself, without a window and without Qt: the batch modes but
// "/PDF" (made by the window program), and without a display the help text
// and the refusal of a name without ".".
bool IsBatchCommandLine(const std::vector<std::string>& params);

// True when the parameters ask for the calculation document ("/PDF" after
// the project files): the window program writes it on the offscreen platform.
bool IsPdfCommandLine(const std::vector<std::string>& params);

// Runs the mode the parameters (without the program name) ask for. True
// when the program ends here, with exitCode; false when the window starts.
// Start-up has initialised the modules before.
bool RunCommandLineMode(const std::vector<std::string>& params, int& exitCode);
