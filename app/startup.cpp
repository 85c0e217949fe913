#include "framework/calc_messages.h"

#include "app/startup.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/command_line.h"
#include "app/drawing_commands.h"
#include "app/menu_texts.h"
#include "cad/init.h"
#include "calc/init.h"
#include "dbf/init.h"
#include "dbf/table_stamps.h"
#include "framework/init.h"
#include "platform/os.h"
#include "calc/calculation.h"
#include "calc/project_file.h"
#include "framework/config_file.h"
#include "framework/display_list.h"
#include "framework/drawing_info.h"
#include "framework/drawing.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/text_utils.h"
#include "framework/number_format.h"

void InitAppModules() { InitMenuTexts(); }

void InitProgramModules() {
  InitFrameworkModules();
  InitDbfModules();
  InitCalcModules();
  InitCadModules();
  InitAppModules();
  if (DbfDir.empty()) DbfDir = AddBackslash(platform::DataDirectory()) + "tables";
  if (PltDir.empty()) PltDir = AddBackslash(platform::DataDirectory()) + "plt";
}

namespace {

bool g_endProgram = false;

bool IsSwitch(const std::string& p, const char* upper, const char* lower) { return p == upper || p == lower; }

// The parameters without "/NOGUI", which may stand anywhere.
std::vector<std::string> WindowParams() {
  std::vector<std::string> params;
  for (const auto& p : CommandLineParams())
    if (UpperCaseText(p) != "/NOGUI") params.push_back(p);
  return params;
}

// A project named on the command line, for the window.
void LoadCommandLineFile(const std::string& file) {
  InitFileErrors();
  TraceMessagesOn = 0;
  ReadCalcFile(file);
  RunRedrawCurrentView();
  StartedWithFile = 1;
  TraceMessagesOn = 1;
  if (!AbortFlag) {
    // The name carries its own directory.
    FileNameWithPath = 1;
    return;
  }
  // A file that cannot be loaded becomes the name of a new project, unless
  // no file of that name can be created.
  AbortFlag = 0;
  StartedWithFile = 0;
  std::error_code ec;
  const bool exists = std::filesystem::exists(file, ec);
  const bool asked = ConfirmOverwriteAsks(file);
  if (exists) {
    // Why it was not loaded comes before the question whether a new project
    // may replace it; a file that is replaced without that question stays
    // until the user saves under a name of his choice.
    std::string why = LastFileErrorText().empty() ? file + " cannot be loaded" : LastFileErrorText();
    if (!asked) why += "\nThe window starts with a new project without a name; the file stays as it is.";
    ShowTraceMessage(why);
    AbortFlag = 0;
    if (!asked) {
      CurrentDir = ExtractDirPart(file);
      CurrentFileName.clear();
      return;
    }
  }
  ConfirmOverwrite(file);
  if (AbortFlag) {
    CurrentFileName.clear();
    g_endProgram = true;
    return;
  }
  // The new project lives where its name says, under the name as typed.
  CurrentDir = ExtractDirPart(file);
  CurrentFileName = StripPathAndExt(file);
  CurrentFileExt = ProjectExtensionOf(file);
  AbortFlag = 0;
}

}  // namespace

bool StartUpEndsProgram() { return g_endProgram; }

void StartUp(Word mode) {
  g_endProgram = false;
  if (mode < 6 || mode > 9) ReadConfigFile();
  ApplyDateLayout();
  // The drawing's dates of today were set before the layout was known.
  InitDrawingInfo();
  AbortFlag = 0;
  TraceMessagesOn = 1;
  RepairConfigDirs();
  AbortFlag = 0;
  CurrentDir.clear();
  std::string newProjectName, newProjectExt;
  const std::vector<std::string> params = WindowParams();
  if (!params.empty()) {
    const std::string& first = params[0];
    const std::string second = params.size() > 1 ? params[1] : "";
    if (!IsSwitch(second, "/E", "/e") && second != "/G" && NameHoldsDot(first)) {
      // A relative name is taken in the folder the program was started in,
      // which the project's folder (and the session's) then names whole.
      std::error_code ec;
      const std::filesystem::path whole = std::filesystem::absolute(first, ec);
      LoadCommandLineFile(ec ? first : whole.lexically_normal().string());
      if (!StartedWithFile && !CurrentFileName.empty()) {
        newProjectName = CurrentFileName;
        newProjectExt = CurrentFileExt;
      }
    }
  }
  if (StartedWithFile) {
    // The loader set CurrentDir and CurrentFileName from the path.
  } else {
    const std::string keepDir = CurrentDir;
    SetBusyCursor();
    CurrentDir = keepDir.empty() ? AddBackslash(DefaultDataDir) : keepDir;
    GraphSetWindow(true, true, 0.1, 0.05, 0.95, 0.95, 0, 0, 36.9, 32);
    GraphLogo();
    // The default project; one that is no regular file is named by the load.
    const std::string defaults = AddBackslash(CurrentDir) + "null." + InputFileExt.str();
    if (TextFileExists(defaults) || NoRegularFileAt(defaults)) {
      ReadCalcFile("null");
      CurrentFileName.clear();
      CurrentDir = keepDir.empty() ? AddBackslash(DefaultDataDir) : keepDir;
    }
    CurrentFileName = newProjectName;
    CurrentFileExt = newProjectExt;
    RestoreCursor();
  }
  AbortFlag = 0;
  if (mode == 1 || mode == 4 || mode == 8) CalculateJoint();
  AbortFlag = 0;
  InputModified = 0;
}

namespace {

// What is known of a table beside which a newer shipped version lies: from
// its build's stamp, whether it was changed since; without one, nothing.
std::string ShippedTableState(const std::string& table) {
  std::string bytes, newer;
  if (!ReadTableBytes(table, bytes)) return std::string();
  if (ReadTableBytes(table + ".new", newer) && TableContentPrint(bytes) == TableContentPrint(newer))
    return ": the same records as the newer version";
  TableStamp stamp;
  if (!ReadTableStamp(table + ".built", stamp)) return std::string();
  return stamp.Built(bytes) ? ": unchanged since it was built" : ": changed after it was built";
}

}  // namespace

void ReportNewerShippedTables() {
  namespace fs = std::filesystem;
  const std::string dir = AddBackslash(DbfDir.empty() ? std::string(".") : DbfDir);
  const std::string kNew = ".dbf.new";
  std::vector<std::string> tables;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= kNew.size() || LowerCaseText(name.substr(name.size() - kNew.size())) != kNew) continue;
    const std::string table = name.substr(0, name.size() - 4);
    std::error_code statEc;
    if (it->is_regular_file(statEc) && fs::is_regular_file(dir + table, statEc)) tables.push_back(table);
  }
  if (tables.empty()) return;
  std::sort(tables.begin(), tables.end());
  std::string text = "A newer shipped version lies beside these tables in " + dir.substr(0, dir.size() - 1) + ":";
  for (const std::string& t : tables) text += "\n" + t + " (newer: " + t + ".new)" + ShippedTableState(dir + t);
  text += "\nThe tables are used as they are. To take the newer version of one, rename its .new file to the "
          "table's name in that folder (" + tables[0] + ".new to " + tables[0] +
          "); any changes made to the table are then lost, so copy it first to keep them.";
  ShowInfo(text);
}

void CommandLineCadExport(TCadDevice device, int item) {
  if (item >= 1 && item <= 4)
    RunDrawBoltedJoint(item, device);
  else if (item == 5)
    RunDrawBoltPart(device);
  else if (item == 6)
    RunDrawNutPart(device);
  else if (item == 7)
    RunDrawClampingPieces(device);
  else if (item >= 8 && item <= 12)
    RunDiagramCommand(item - 7, device);
  else if (item == 13)
    RunDrawSheet(1, device);
  else if (item == 14)
    RunDrawSheet(2, device);
}
