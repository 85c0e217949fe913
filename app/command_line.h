// The command-line modes that run without a window: the help text ("?",
// "/?"), the batch report ("wbq4 x.bq4 /I"), the CAD output of one item
// ("wbq4 x.bq4 /CAD1:13", app/startup.h) and the refusal of a project name
// without ".". "/NOGUI" is accepted anywhere on the line.
#pragma once

#include <string>
#include <vector>

// Exit codes of the batch modes.
constexpr int kExitOk = 0;
constexpr int kExitLoadFailed = 1;    // the project file cannot be loaded
constexpr int kExitCalcFatal = 2;     // the joint cannot be calculated (messages on stderr)

// The help lines of the command line, 1..21 (empty lines included).
std::vector<std::string> CommandLineHelpLines();

// True when the parameters (without the program name) ask for a mode that
// needs no window: the batch report, the CAD output, and without a display
// the help text and the refusal of a name without ".".
bool IsBatchCommandLine(const std::vector<std::string>& params);

// True when the parameters ask for the calculation document ("/PDF" after
// the project files): the window program writes it on the offscreen platform.
bool IsPdfCommandLine(const std::vector<std::string>& params);

// Runs the mode the parameters (without the program name) ask for. True
// when the program ends here, with exitCode; false when the window starts.
// Start-up has initialised the modules before.
bool RunCommandLineMode(const std::vector<std::string>& params, int& exitCode);

// Start of every batch mode: the user's settings, the project loaded and
// calculated, CurrentFileName the project's path without the extension.
// kExitOk, or the exit code of the failure (its reason on stderr).
int LoadBatchProject(const std::string& projectFile);

// The batch report: loads the project, calculates it and writes its report
// as a TAB-separated text file beside the project (x.bq4 gives x.txt).
int RunBatchReport(const std::string& projectFile);
