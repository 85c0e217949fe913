#include "app/command_line.h"

#include "app/startup.h"

#include <cstdio>

#include "calc/project_file.h"
#include "calc/report.h"
#include "calc/table_access.h"
#include "framework/calc_messages.h"
#include "framework/config_file.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

bool IsSwitch(const std::string& p, std::string_view upper, std::string_view lower) {
  return p == upper || p == lower;
}

void PrintToStderr(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

void ShowHelp() {
  const auto lines = CommandLineHelpLines();
  if (platform::IsHeadless()) {
    for (const auto& line : lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return;
  }
  for (std::size_t i = 1; i <= kItemTextCount; ++i) ItemTexts[i] = "";
  for (std::size_t i = 0; i < lines.size() && i < kItemTextCount; ++i) ItemTexts[i + 1] = LeftText(lines[i], 64);
  ShowScreenForm();
}

}  // namespace

std::vector<std::string> CommandLineHelpLines() {
  const std::string w = "w" + ProgShortNameLower;
  const std::string test = " test." + InputFileExt.str();
  std::vector<std::string> lines(21);
  lines[0] = ProgShortName + " Command Line Mode";
  lines[2] = w + " Filename [/I] [/CADi:j] [/NOGUI]";
  lines[4] = "/I       -> TXT file";
  lines[6] = "/CADi:j  -> CAD File";
  lines[7] = "            i: 1=DXF, 2=IGS, 5=TXT";
  lines[8] = "            j: index (1,2,3, ..)";
  lines[10] = "/NOGUI   -> No GUI, exit on fatal error";
  lines[14] = "/?       -> Help";
  lines[17] = "Example: " + w + test + "             ->  GUI";
  lines[18] = "Example: " + w + test + " /I /NOGUI   ->  test.txt";
  lines[19] = "Example: " + w + test + " /CAD1:1     ->  test.dxf";
  lines[20] = "Example: " + w + " test.edi /E /NOGUI   ->  test.edi";
  // The switches added since, after the written lines.
  lines.push_back("");
  lines.push_back("/JSON    -> JSON file (results for programs)");
  lines.push_back("/PDF     -> PDF file (calculation document)");
  lines.push_back("/CAD5:j  -> test.lst (listing)");
  lines.push_back(w + " a." + InputFileExt.str() + " b." + InputFileExt.str() + " ... /I  -> each project in one run");
  for (auto& line : lines) line = LeftText(line, 64);
  return lines;
}

namespace {

// The parameters without "/NOGUI", which may stand anywhere.
std::vector<std::string> ModeParams(const std::vector<std::string>& all) {
  std::vector<std::string> params;
  for (const auto& p : all)
    if (UpperCaseText(p) != "/NOGUI") params.push_back(p);
  return params;
}

bool IsHelp(const std::string& first) { return first == "?" || first == "/?"; }
// "/CAD" begins the CAD switch, whatever follows but a further "/" (then it is
// the path of a project in a folder named so).
bool IsBatchSwitch(const std::string& p) {
  return IsSwitch(p, "/I", "/i") || IsSwitch(p, "/JSON", "/json") || IsSwitch(p, "/PDF", "/pdf") ||
         (p.rfind("/CAD", 0) == 0 && p.find('/', 1) == std::string::npos);
}
bool IsWindowSwitch(const std::string& second) { return IsSwitch(second, "/E", "/e") || second == "/G"; }
bool LacksExtension(const std::string& first) { return !NameHoldsDot(first); }

}  // namespace

BatchCommand ReadBatchCommand(const std::vector<std::string>& all) {
  const std::vector<std::string> params = ModeParams(all);
  BatchCommand command;
  if (params.size() < 2 || IsHelp(params[0]) || IsWindowSwitch(params[1])) return command;
  for (std::size_t k = 1; k < params.size(); ++k) {
    if (!IsBatchSwitch(params[k])) continue;
    command.projects.assign(params.begin(), params.begin() + static_cast<std::ptrdiff_t>(k));
    command.modeSwitch = params[k];
    command.unused.assign(params.begin() + static_cast<std::ptrdiff_t>(k) + 1, params.end());
    break;
  }
  return command;
}

int RunBatchCommand(const BatchCommand& command) {
  for (const auto& p : command.unused)
    PrintToStderr(p + ": not used; the first switch, " + command.modeSwitch + ", decides");
  return RunBatchProjects(command.projects, command.modeSwitch);
}

bool IsPdfCommandLine(const std::vector<std::string>& params) {
  return IsSwitch(ReadBatchCommand(params).modeSwitch, "/PDF", "/pdf");
}

bool IsBatchCommandLine(const std::vector<std::string>& all) {
  const std::vector<std::string> params = ModeParams(all);
  if (params.empty()) return false;
  const std::string& first = params[0];
  if (IsHelp(first)) return platform::IsHeadless();
  const BatchCommand batch = ReadBatchCommand(params);
  if (!batch.modeSwitch.empty()) return !IsSwitch(batch.modeSwitch, "/PDF", "/pdf");
  if (params.size() > 1 && IsWindowSwitch(params[1])) return false;
  return LacksExtension(first) && platform::IsHeadless();
}

bool RunCommandLineMode(const std::vector<std::string>& all, int& exitCode) {
  const std::vector<std::string> params = ModeParams(all);
  exitCode = kExitOk;
  if (params.empty()) return false;
  const std::string& first = params[0];
  const std::string second = params.size() > 1 ? params[1] : "";
  // A batch run or a run without a display never waits for a user: every
  // dialog it would show answers Cancel and goes to stderr.
  const bool headless = platform::IsHeadless();
  if (IsHelp(first)) {
    ShowHelp();
    return true;
  }
  const BatchCommand batch = ReadBatchCommand(params);
  if (!batch.modeSwitch.empty()) {
    platform::SetBatchMode(true);
    exitCode = RunBatchCommand(batch);
    return true;
  }
  if (IsWindowSwitch(second)) return false;
  if (LacksExtension(first)) {
    const std::string text = "extension ." + InputFileExt.str() + " " + "missing";
    if (headless)
      PrintToStderr(text);
    else
      ShowTraceMessage(text);
    // Told, not failed: the program ends as after the help.
    exitCode = kExitOk;
    return true;
  }
  return false;
}
