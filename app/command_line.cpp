#include "app/command_line.h"

#include "app/startup.h"

#include <cstdio>

#include "calc/project_file.h"
#include "calc/report.h"
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

void PrintCalcMessagesToStderr() {
  for (std::size_t i = 1; i <= CalcMessages.count; ++i) PrintToStderr(CalcMessages.texts[i].str());
}

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
  for (auto& line : lines) line = LeftText(line, 64);
  return lines;
}

int LoadBatchProject(const std::string& projectFile) {
  // The user's settings (directories, units, number formats); a batch run
  // reports only what makes it fail.
  const Byte trace = TraceMessagesOn;
  TraceMessagesOn = 0;
  ReadConfigFile();
  AbortFlag = 0;
  RepairConfigDirs();
  AbortFlag = 0;
  ReadCalcFile(projectFile);
  TraceMessagesOn = trace;
  if (AbortFlag) {
    PrintToStderr(LastFileErrorText().empty() ? projectFile + " cannot be loaded" : LastFileErrorText());
    return kExitLoadFailed;
  }
  if (CalcFatalFlag) {
    PrintToStderr(projectFile + ": the joint cannot be calculated:");
    PrintCalcMessagesToStderr();
    return kExitCalcFatal;
  }
  // The output goes beside the project file: its path without the extension.
  CurrentFileName = ExtractDirPart(projectFile) + StripPathAndExt(projectFile);
  CurrentDir.clear();
  FileNameWithPath = 1;
  return kExitOk;
}

int RunBatchReport(const std::string& projectFile) {
  const int loaded = LoadBatchProject(projectFile);
  if (loaded != kExitOk) return loaded;
  AskTextDevice = 0;
  TextDevice = kDeviceBatchTxt;
  WritePrintout();
  if (AbortFlag) {
    PrintToStderr("the report " + CurrentFileName + ".txt cannot be written");
    return kExitLoadFailed;
  }
  return kExitOk;
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
bool IsBatchSwitch(const std::string& second) {
  return IsSwitch(second, "/I", "/i") || second.rfind("/CAD", 0) == 0;
}
bool IsWindowSwitch(const std::string& second) { return IsSwitch(second, "/E", "/e") || second == "/G"; }
bool LacksExtension(const std::string& first) {
  const std::size_t slash = first.rfind('/');
  return first.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos;
}

}  // namespace

bool IsPdfCommandLine(const std::vector<std::string>& all) {
  const std::vector<std::string> params = ModeParams(all);
  for (std::size_t i = 1; i < params.size(); ++i)
    if (IsSwitch(params[i], "/PDF", "/pdf")) return true;
  return false;
}

bool IsBatchCommandLine(const std::vector<std::string>& all) {
  const std::vector<std::string> params = ModeParams(all);
  if (params.empty()) return false;
  const std::string& first = params[0];
  const std::string second = params.size() > 1 ? params[1] : "";
  if (IsHelp(first)) return platform::IsHeadless();
  if (IsBatchSwitch(second)) return true;
  if (IsWindowSwitch(second)) return false;
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
  if (IsSwitch(second, "/I", "/i")) {
    platform::SetBatchMode(true);
    exitCode = RunBatchReport(first);
    return true;
  }
  if (second.rfind("/CAD", 0) == 0) {
    platform::SetBatchMode(true);
    exitCode = RunBatchCadExport(first, second);
    return true;
  }
  if (IsWindowSwitch(second)) return false;
  if (LacksExtension(first)) {
    const std::string text = "extension ." + InputFileExt.str() + " " + "missing";
    if (headless)
      PrintToStderr(text);
    else
      ShowTraceMessage(text);
    return true;
  }
  return false;
}
