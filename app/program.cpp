#include "app/program.h"

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/spreadsheet.h"
#include "app/startup.h"
#include "cad/init.h"
#include "cad/plot_handoff.h"
#include "calc/init.h"
#include "dbf/init.h"
#include "framework/file_utils.h"
#include "framework/forms/config_form_plot.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "platform/application.h"
#include "platform/os.h"

namespace {

// Every module's globals to their start values, in module order; the tables
// and the pictures lie in the data directory until the configuration says
// otherwise.
void InitModules() {
  InitFrameworkModules();
  InitDbfModules();
  InitCalcModules();
  InitCadModules();
  InitAppModules();
  InitSpreadsheet();
  SetPlotCommandEditor(&EditPlotCommandLine);
  if (DbfDir.empty()) DbfDir = AddBackslash(platform::DataDirectory()) + "tables";
  if (PltDir.empty()) PltDir = AddBackslash(platform::DataDirectory()) + "plt";
}

}  // namespace

int RunProgram(int argc, char** argv) {
  platform::ApplicationScope app(argc, argv);
  InitModules();
  std::vector<std::string> params;
  for (int i = 1; i < argc; ++i) params.emplace_back(argv[i]);
  SetCommandLineParams(params);
  int exitCode = 0;
  if (RunCommandLineMode(params, exitCode)) return exitCode;
  auto* window = new Thh;
  window->show();
  exitCode = platform::RunApplication();
  delete window;
  return exitCode;
}
