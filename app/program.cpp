#include "app/program.h"

#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "app/calculation_document.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/spreadsheet.h"
#include "app/startup.h"
#include "cad/plot_handoff.h"
#include "framework/file_utils.h"
#include "framework/forms/config_form_plot.h"
#include "framework/message_box.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/os.h"

void InitWindowModules() {
  InitSpreadsheet();
  SetPlotCommandEditor(&EditPlotCommandLine);
  // A file that cannot be read or written is named in a message in the
  // window; a batch run names it on stderr itself.
  if (platform::BatchMode())
    SetFileErrorHandler(nullptr);
  else
    ShowFileErrorsAsMessages();
}

int RunProgram(int argc, char** argv) {
  platform::FailWritesBeyondFileSizeLimit();
  // The font system loads while the window is built; the first text waits for it.
  platform::FontSystemStart fonts;
  platform::ApplicationScope app(argc, argv);
  InitProgramModules();
  InitWindowModules();
  std::vector<std::string> params;
  for (int i = 1; i < argc; ++i) params.emplace_back(argv[i]);
  SetCommandLineParams(params);
  if (IsPdfCommandLine(params)) {
    fonts.Ready();
    return RunBatchPdfProjects(params);
  }
  int exitCode = 0;
  if (RunCommandLineMode(params, exitCode)) return exitCode;
  auto* window = new Thh;
  // The project named can be neither loaded nor created (said in a message).
  if (StartUpEndsProgram()) {
    delete window;
    return kExitLoadFailed;
  }
  fonts.Ready();
  window->show();
  // Once the window is up, the temporary folders of killed runs are cleared
  // away on a thread of their own.
  std::unique_ptr<platform::StartupTask> clearing;
  QTimer::singleShot(2000, [&clearing] {
    clearing = std::make_unique<platform::StartupTask>([] { platform::RemoveLeftTempDirs(); });
  });
  exitCode = platform::RunApplication();
  delete window;
  return exitCode;
}
