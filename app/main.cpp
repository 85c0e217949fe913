// wbq4: the batch modes of the command line run here, in a process that loads
// no Qt library; every other command line goes to the window program wbq4-gui
// beside this one, which takes over this process with the same arguments.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
#include "framework/file_utils.h"
#include "platform/os.h"

namespace {

int StartWindowProgram(char** argv) {
  const std::string program = platform::ExecutableDirectory() + "/wbq4-gui";
  argv[0] = const_cast<char*>(program.c_str());
  ::execv(program.c_str(), argv);
  std::fprintf(stderr, "wbq4: %s cannot be started: %s\n", program.c_str(), std::strerror(errno));
  return kExitLoadFailed;
}

constexpr int kExitNeedsDisplay = 2;

// The window needs a display. An explicit QT_QPA_PLATFORM (the tests' offscreen
// platform, a VNC or framebuffer platform) is the caller's choice and is kept.
bool DisplayMissing() {
  return platform::GetEnvironment("DISPLAY").empty() && platform::GetEnvironment("WAYLAND_DISPLAY").empty() &&
         platform::GetEnvironment("QT_QPA_PLATFORM").empty();
}

// A first parameter such as "/X" is a switch the batch modes do not know, not
// a project name: without a display it gets the help, not "extension missing".
bool UnknownSwitchFirst(const std::vector<std::string>& params) {
  for (const auto& p : params) {
    if (p == "/NOGUI" || p == "/nogui") continue;
    return p.size() > 1 && p[0] == '/' && p != "/?" && p.find('.') == std::string::npos;
  }
  return false;
}

int RefuseWindowWithoutDisplay() {
  InitProgramModules();
  std::fprintf(stderr, "wbq4: this command line opens the window, and no display is set (DISPLAY or WAYLAND_DISPLAY)\n");
  for (const auto& line : CommandLineHelpLines()) std::fprintf(stderr, "%s\n", line.c_str());
  return kExitNeedsDisplay;
}

}  // namespace

int main(int argc, char** argv) {
  platform::FailWritesBeyondFileSizeLimit();
  const std::vector<std::string> params(argv + 1, argv + argc);
  // The document is painted with Qt: the window program writes it, with no
  // window and no display.
  if (IsPdfCommandLine(params)) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return StartWindowProgram(argv);
  }
  if (DisplayMissing() && (!IsBatchCommandLine(params) || UnknownSwitchFirst(params)))
    return RefuseWindowWithoutDisplay();
  if (!IsBatchCommandLine(params)) return StartWindowProgram(argv);
  InitProgramModules();
  SetCommandLineParams(params);
  int exitCode = kExitOk;
  RunCommandLineMode(params, exitCode);
  return exitCode;
}
