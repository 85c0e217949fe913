#include "app/program.h"

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "framework/file_utils.h"
#include "platform/application.h"

int RunProgram(int argc, char** argv) {
  platform::ApplicationScope app(argc, argv);
  InitProgramModules();
  std::vector<std::string> params;
  for (int i = 1; i < argc; ++i) params.emplace_back(argv[i]);
  SetCommandLineParams(params);
  int exitCode = 0;
  if (RunCommandLineMode(params, exitCode)) return exitCode;
  auto* window = new Thh;
  if (StartUpEndsProgram()) {
    delete window;
    return kExitOk;
  }
  window->show();
  exitCode = platform::RunApplication();
  delete window;
  return exitCode;
}
