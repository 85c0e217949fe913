// The batch modes of the command line: each project given is loaded,
// calculated and written beside itself ("/I" report, "/JSON" results,
// "/CADi:j" drawing, "/PDF" document), one after another in one process, each
// from the modules' start values, so that every output is the one a run of its
// own writes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Exit codes of the batch modes; a run of many projects ends with the highest.
constexpr int kExitOk = 0;
constexpr int kExitLoadFailed = 1;    // the project file cannot be loaded, or the output not written
constexpr int kExitCalcFatal = 2;     // the joint cannot be calculated (messages on stderr)

// The path of a project's outputs without their extension: beside the file
// the load reads (its folder found whatever the case of the name given),
// named after it without its extension alone ("Flansch 1.5" for
// "Flansch 1.5.bq4").
std::string BatchOutputBase(const std::string& projectFile);

// Start of every batch mode: the user's settings, the project loaded and
// calculated, CurrentFileName the path of its outputs without extension
// (BatchOutputBase; also when the joint cannot be calculated).
// kExitOk, or the exit code of the failure (its reason on stderr, naming the
// project).
int LoadBatchProject(const std::string& projectFile);

// True, with the project and the reason on stderr and the output removed,
// when a table the run needed could not be opened or indexed since the load:
// such a run has no valid output.
bool BatchTableDataMissing(const std::string& projectFile, const std::string& output);

// The reason an output of a batch run was not written, as ": <reason>" for
// "... cannot be written": what its name stands against (a file that is not
// writable, a folder that does not exist, also through a link), else the
// file layer's last error; empty when neither tells one.
std::string UnwrittenOutputReason(const std::string& output);

// The batch report: loads the project, calculates it and writes its report
// as a TAB-separated text file beside the project (x.bq4 gives x.txt).
int RunBatchReport(const std::string& projectFile);
// The results that programs read: x.json beside the project (app/json_results.h),
// also for a joint that cannot be calculated (its messages, no results; exit
// code 2).
int RunBatchJson(const std::string& projectFile);

// A "/CADi:j" switch read: device i 1 (DXF), 2 (IGES) or 5 (listing), item j
// 1..14. False, with the message, for anything else.
bool ParseCadSwitch(const std::string& parameter, int& device, int& item, std::string& message);
// The "/CADi:j" batch run on a project file. The drawing is written beside
// the project, named after it (the listing as x.lst, so that it never
// replaces the report x.txt). Exit code 0; 1 when the switch is not valid, the
// file cannot be loaded or the drawing not written; 2 when the joint cannot
// be calculated.
int RunBatchCadExport(const std::string& projectFile, const std::string& parameter);
// The failure of a drawing of the CAD device not written, on stderr: the
// file's fault, or the messages after the first messagesBefore of the list,
// which a drawing that stopped halfway added. Returns kExitLoadFailed.
int ReportUnwrittenDrawing(int device, std::size_t messagesBefore);

// The PDF document of one project; set by the window program, which makes it
// (a batch run without it refuses "/PDF").
using BatchProjectRun = int (*)(const std::string& projectFile);
extern BatchProjectRun BatchPdfRun;
// The window program's own modules, reset after the others between projects
// (none in wbq4).
extern void (*BatchWindowModulesInit)();

// Runs one mode on every project in the order given, each from the modules'
// start values. A project that fails is named on stderr with its reason and
// the others go on; the result is the highest exit code. A project whose
// output would replace a project of the run, or the output an earlier
// project of the run wrote, is refused (exit code 1). With more than 20
// projects and stderr a terminal, stderr shows the progress ("37/1000").
int RunBatchProjects(const std::vector<std::string>& projects, const std::string& modeSwitch);
