#include "app/batch_runs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "app/startup.h"
#include "cad/cad_output.h"
#include "calc/project_file.h"
#include "calc/report.h"
#include "calc/table_access.h"
#include "dbf/ndx_index.h"
#include "framework/calc_messages.h"
#include "framework/charset.h"
#include "framework/config_file.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/file_replace.h"
#include "platform/folder_names.h"
#include "platform/os.h"

namespace fs = std::filesystem;

BatchProjectRun BatchPdfRun = nullptr;
void (*BatchWindowModulesInit)() = nullptr;

namespace {

void PrintToStderr(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

// Calculation messages are stored texts (code page 437): UTF-8 for the terminal.
// Those after the first `skip` ones.
void PrintCalcMessagesToStderr(std::size_t skip = 0) {
  for (std::size_t i = skip + 1; i <= CalcMessages.count; ++i) PrintToStderr(OemToUtf8(CalcMessages.texts[i].view()));
}

// A project file that is no regular file (a FIFO, a device, a folder) would
// be read forever or make no sense: refused before it is opened. So is an
// output in the place of such a file, which would be written forever or not
// at all.
bool RefuseSpecialFile(const std::string& file) {
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (ec || !fs::exists(status) || fs::is_regular_file(status)) return false;
  PrintToStderr(file + ": not a regular file");
  return true;
}

// The switch in upper case or in lower case.
bool IsMode(const std::string& modeSwitch, const std::string& upper) {
  return modeSwitch == upper || modeSwitch == LowerCaseText(upper);
}

// The file a mode writes for a project: beside it, named after it, under
// exactly that name; empty for a switch that names no output.
std::string BatchOutputName(const std::string& projectFile, const std::string& modeSwitch) {
  const std::string base = BatchOutputBase(projectFile);
  if (IsMode(modeSwitch, "/I")) return OutputPathName(base + ".txt");
  if (IsMode(modeSwitch, "/JSON")) return OutputPathName(base + ".json");
  if (IsMode(modeSwitch, "/PDF")) return OutputPathName(base + ".pdf");
  int device = 0, item = 0;
  std::string refusal;
  if (!ParseCadSwitch(modeSwitch, device, item, refusal)) return {};
  return OutputPathName(CadBatchFileName(static_cast<TCadDevice>(device), base));
}

// The files the projects of a run stand for, each as its load finds it
// (whatever the case of its name and folders, through links): by identity
// and by resolved name (a stick that folds case gives each spelling an
// identity of its own), the names resolved once an output that exists
// asks for them. No output of the run may take the place of any of them.
struct RunFiles {
  struct Project {
    std::string name, file;
  };
  std::map<std::pair<dev_t, ino_t>, Project> projectIds;
  bool named = false;
  std::unordered_map<std::string, std::string> projectNames;
  // The resolved name of each output the run wrote, and its project. Only
  // the run's own writes count: once another program replaces one, the
  // identity it had may come back as another file.
  std::unordered_map<std::string, std::string> outputs;
};

RunFiles FilesOfProjects(const std::vector<std::string>& projects) {
  RunFiles files;
  for (const std::string& project : projects) {
    const std::string file = ProjectFilePath(project);
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    files.projectIds.emplace(std::make_pair(st.st_dev, st.st_ino), RunFiles::Project{project, file});
  }
  return files;
}

const std::unordered_map<std::string, std::string>& ProjectNames(RunFiles& files) {
  if (!files.named)
    for (const auto& [id, project] : files.projectIds) files.projectNames.emplace(ResolvedFileName(project.file), project.name);
  files.named = true;
  return files.projectNames;
}

// The identity of a file: its device, inode and modification time (an
// output is renamed into place, so a new one differs from the file before).
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
};

FileStamp StampOf(const std::string& file) {
  FileStamp stamp;
  struct stat st {};
  if (file.empty() || ::stat(file.c_str(), &st) != 0) return stamp;
  return {true, st.st_dev, st.st_ino, st.st_mtim};
}

bool SameFile(const FileStamp& a, const FileStamp& b) {
  return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

bool SameStamp(const FileStamp& a, const FileStamp& b) {
  return SameFile(a, b) && a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

// The project of the run whose file output, which exists, names (by its
// resolved name `resolved`), or null.
const std::string* ProjectAt(RunFiles& files, const FileStamp& existing, const std::string& resolved) {
  // A project that another program replaced since has left its identity
  // free for another file.
  const auto id = files.projectIds.find({existing.device, existing.inode});
  if (id != files.projectIds.end() && SameFile(StampOf(id->second.file), existing)) return &id->second.name;
  const auto& names = ProjectNames(files);
  const auto named = names.find(resolved);
  return named == names.end() ? nullptr : &named->second;
}

// An output never takes the place of its own project (a project named x.txt
// run with "/I"), nor of another project of the run, nor of the output of an
// earlier project of the run (flange.bq4 and flange.bak both give
// flange.txt), nor of a FIFO, device or folder: refused before the project
// is loaded. Only a name that opens something can be one of them; one that
// opens a file whose entry cannot be told is refused too.
bool RefuseOutput(const std::string& projectFile, const std::string& output, RunFiles& files) {
  if (output.empty()) return false;
  const FileStamp existing = StampOf(output);
  if (!existing.exists) return false;
  bool undecided = false;
  const std::string resolved = ResolvedFileName(output, &undecided);
  // Whether it is one of them cannot be told: not written, rather than
  // written over one.
  if (undecided) {
    PrintToStderr(projectFile + ": its output " + output +
                  " opens a file that its folder lists under another name, which cannot be told; not written");
    return true;
  }
  if (const std::string* project = ProjectAt(files, existing, resolved)) {
    PrintToStderr(projectFile + ": its output " + output + " would replace " +
                  (*project == projectFile ? "the project itself" : "the project " + *project + " of this run") +
                  "; not written");
    return true;
  }
  if (const auto earlier = files.outputs.find(resolved); earlier != files.outputs.end()) {
    PrintToStderr(projectFile + ": its output " + output + " would replace the output of the project " +
                  earlier->second + " of this run; not written");
    return true;
  }
  return RefuseSpecialFile(output);
}

}  // namespace

std::string BatchOutputBase(const std::string& projectFile) {
  const std::string file = ProjectFilePath(projectFile);
  return OutputPathName(ExtractDirPart(file) + StripPathAndExt(file));
}

// A run that lacked a table's data has no valid output: named on stderr, the
// output it wrote removed.
bool BatchTableDataMissing(const std::string& projectFile, const std::string& output) {
  if (TableFailure().empty()) return false;
  PrintToStderr(projectFile + ": " + TableFailure());
  std::error_code ec;
  if (!output.empty()) fs::remove(output, ec);
  return true;
}

int LoadBatchProject(const std::string& projectFile) {
  if (RefuseSpecialFile(projectFile)) return kExitLoadFailed;
  // The user's settings (directories, units, number formats); a batch run
  // reports only what makes it fail.
  const Byte trace = TraceMessagesOn;
  TraceMessagesOn = 0;
  ReadConfigFile();
  ApplyDateLayout();
  AbortFlag = 0;
  // The checks of the directories would only report, and messages are off.
  FillConfigDirDefaults();
  AbortFlag = 0;
  ClearTableFailure();
  ReadCalcFile(projectFile);
  TraceMessagesOn = trace;
  if (BatchTableDataMissing(projectFile, "")) return kExitLoadFailed;
  if (AbortFlag) {
    PrintToStderr(LastFileErrorText().empty() ? projectFile + " cannot be loaded" : LastFileErrorText());
    return kExitLoadFailed;
  }
  // The output goes beside the project file: its path without the extension.
  CurrentFileName = BatchOutputBase(projectFile);
  CurrentDir.clear();
  FileNameWithPath = 1;
  if (CalcFatalFlag) {
    PrintToStderr(projectFile + ": the joint cannot be calculated:");
    PrintCalcMessagesToStderr();
    return kExitCalcFatal;
  }
  return kExitOk;
}

std::string UnwrittenOutputReason(const std::string& output) {
  std::string reason = platform::OutputRefusal(output);
  if (reason.empty()) reason = LastFileErrorText();
  return reason.empty() ? std::string() : ": " + reason;
}

int RunBatchReport(const std::string& projectFile) {
  const int loaded = LoadBatchProject(projectFile);
  if (loaded != kExitOk) return loaded;
  AskTextDevice = 0;
  TextDevice = kDeviceBatchTxt;
  InitFileErrors();
  // A report that cannot be written is told in one line with its reason
  // below, not also as the messages a window would show.
  const Byte trace = TraceMessagesOn;
  TraceMessagesOn = 0;
  WritePrintout();
  TraceMessagesOn = trace;
  const std::string report = CurrentFileName + ".txt";
  if (BatchTableDataMissing(projectFile, report)) return kExitLoadFailed;
  if (AbortFlag) {
    PrintToStderr("the report " + report + " cannot be written" + UnwrittenOutputReason(report));
    return kExitLoadFailed;
  }
  return kExitOk;
}

bool ParseCadSwitch(const std::string& parameter, int& device, int& item, std::string& message) {
  device = item = 0;
  const std::string digits = parameter.size() > 6 ? parameter.substr(6) : "";
  const bool wellFormed = parameter.rfind("/CAD", 0) == 0 && parameter.size() > 6 && parameter[5] == ':' &&
                          digits.size() <= 4 &&
                          std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  if (wellFormed) {
    device = parameter[4] - '0';
    item = std::stoi(digits);
  }
  if ((device == 1 || device == 2 || device == 5) && item >= 1 && item <= 14) return true;
  message = parameter + ": no such CAD output; /CADi:j takes the device i 1 (DXF), 2 (IGS) or 5 (TXT) and the item j 1..14";
  return false;
}

int RunBatchCadExport(const std::string& projectFile, const std::string& parameter) {
  int device = 0, item = 0;
  std::string refusal;
  if (!ParseCadSwitch(parameter, device, item, refusal)) {
    PrintToStderr(refusal);
    return kExitLoadFailed;
  }
  const int loaded = LoadBatchProject(projectFile);
  if (loaded != kExitOk) return loaded;
  CadBatchMode = 1;
  AbortFlag = 0;
  InitFileErrors();
  const std::size_t messagesBefore = CalcMessages.count;
  CommandLineCadExport(static_cast<TCadDevice>(device), item);
  CadBatchMode = 0;
  if (BatchTableDataMissing(projectFile, CadBatchFileName(static_cast<TCadDevice>(device)))) return kExitLoadFailed;
  if (AbortFlag) return ReportUnwrittenDrawing(device, messagesBefore);
  return kExitOk;
}

int ReportUnwrittenDrawing(int device, std::size_t messagesBefore) {
  // A drawing that could not be written is a failed run, with its reason:
  // the file's fault, or the messages of a drawing that stopped halfway.
  const std::string& reason = LastFileErrorText();
  const bool stopped = CalcMessages.count > messagesBefore;
  PrintToStderr("the drawing " + CadBatchFileName(static_cast<TCadDevice>(device)) + " cannot be written" +
                (!reason.empty() ? ": " + reason : stopped ? ", stopped by:" : ""));
  if (stopped) PrintCalcMessagesToStderr(messagesBefore);
  return kExitLoadFailed;
}

namespace {

int RunBatchPdf(const std::string& projectFile) {
  if (BatchPdfRun) return BatchPdfRun(projectFile);
  PrintToStderr(projectFile + ": the PDF document is made by the window program wbq4-gui");
  return kExitLoadFailed;
}

int RunProjectMode(const std::string& projectFile, const std::string& modeSwitch) {
  if (IsMode(modeSwitch, "/I")) return RunBatchReport(projectFile);
  if (IsMode(modeSwitch, "/JSON")) return RunBatchJson(projectFile);
  if (IsMode(modeSwitch, "/PDF")) return RunBatchPdf(projectFile);
  return RunBatchCadExport(projectFile, modeSwitch);
}

// One project of the run; an output it writes joins those that later
// projects of the run (when there are more) may not replace.
int RunOneProject(const std::string& projectFile, const std::string& modeSwitch, RunFiles& files, bool more) {
  const std::string output = BatchOutputName(projectFile, modeSwitch);
  if (RefuseOutput(projectFile, output, files)) return kExitLoadFailed;
  const FileStamp before = StampOf(output);
  const int result = RunProjectMode(projectFile, modeSwitch);
  const FileStamp after = StampOf(output);
  if (more && after.exists && !SameStamp(before, after)) files.outputs.emplace(ResolvedFileName(output), projectFile);
  return result;
}

}  // namespace

int RunBatchProjects(const std::vector<std::string>& projects, const std::string& modeSwitch) {
  int device = 0, item = 0;
  std::string refusal;
  if (modeSwitch.rfind("/CAD", 0) == 0 && !ParseCadSwitch(modeSwitch, device, item, refusal)) {
    PrintToStderr(refusal);
    return kExitLoadFailed;
  }
  const bool progress = projects.size() > 20 && ::isatty(STDERR_FILENO);
  // Outputs written one after another into a folder each look for a name
  // that differs only in case: the folder is listed once, not per output.
  platform::KeepFolderListings(projects.size() > 1);
  if (projects.size() > 1) platform::KeepFreedMemory();
  RunFiles files = FilesOfProjects(projects);
  int worst = kExitOk;
  for (std::size_t i = 0; i < projects.size(); ++i) {
    if (progress) std::fprintf(stderr, "%zu/%zu\r", i + 1, projects.size());
    // Every project starts from the start values, as a run of its own.
    if (i > 0) {
      InitProgramModules();
      if (BatchWindowModulesInit) BatchWindowModulesInit();
    }
    platform::SetBatchMode(true);
    // Tables are opened and closed at every lookup: their semaphore files
    // stay rather than being made and deleted each time.
    KeepSemaphoreFiles = true;
    worst = std::max(worst, RunOneProject(projects[i], modeSwitch, files, i + 1 < projects.size()));
  }
  if (progress) std::fprintf(stderr, "%zu/%zu\n", projects.size(), projects.size());
  CloseDbfTable();  // none stays open, nor holds its lock, past the run
  // What killed runs left in the temporary folder goes with this run.
  platform::RemoveLeftTempDirs();
  platform::KeepFolderListings(false);
  return worst;
}
