#include "app/project_files.h"

#include "calc/project_file.h"
#include "cad/cad_output.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"
#include "framework/text_utils.h"

void QuerySaveChanges() {
  if (StartedWithFile && ArchiveFlag) {
    InputModified = 0;
    return;
  }
  if (!CurrentFileName.empty() && InputModified) {
    const std::string shown = CurrentProjectFile();
    const bool yes = AskYesNoCancel("Save file (" + shown + ") ?");
    if (AbortFlag) return;
    if (yes) SaveInputFile(CurrentFileName);
    if (!AbortFlag) InputModified = 0;
    return;
  }
  if (InputModified) {
    // A new project has no file to save to: Yes drops the input, No and
    // Cancel keep it and stop the command.
    const bool reject = AskYesNoCancel("Reject old data ?");
    if (reject) InputModified = 0;
    else AbortFlag = 1;
  }
}

void SaveInputFile(const std::string& name) {
  ConfirmOverwriteOn = 0;
  WriteCalcFile(name);
  ConfirmOverwriteOn = 1;
}

std::string ShortenPathForMenu(std::string_view path) {
  if (path.size() < 50) return std::string(path);
  const std::size_t first = path.find('/');
  const std::size_t last = path.rfind('/');
  if (first == std::string_view::npos || first >= last) return std::string(path);
  return std::string(path.substr(0, first + 1)) + "..." + std::string(path.substr(last));
}

std::string RecentFileCaption(int n) {
  const std::string& entry = RecentFiles[static_cast<std::size_t>(n)];
  if (entry.empty()) return {};
  return "&" + std::to_string(n) + " " + ShortenPathForMenu(entry);
}

void RemoveRecentFile(int n) {
  if (n < 1 || n > 4) return;
  for (int i = n; i < 4; ++i) RecentFiles[static_cast<std::size_t>(i)] = RecentFiles[static_cast<std::size_t>(i + 1)];
  RecentFiles[4].clear();
}

void AddRecentFile(const std::string& name) {
  if (name.empty()) return;
  const std::string full = ProjectFileOfName(name);
  // The state file keeps one name a line: a name holding a line break stays out.
  if (HoldsLineBreak(full)) return;
  const std::string key = LowerCaseText(full);
  // One forward pass; a removal moves the next entry into the place just
  // tested, so look at the same place again.
  for (int n = 1; n <= 4;) {
    if (LowerCaseText(RecentFiles[static_cast<std::size_t>(n)]) == key)
      RemoveRecentFile(n);
    else
      ++n;
  }
  for (int i = 4; i > 1; --i) RecentFiles[static_cast<std::size_t>(i)] = RecentFiles[static_cast<std::size_t>(i - 1)];
  RecentFiles[1] = full;
}

bool DeleteTempFiles() {
  AbortFlag = 0;
  SilentMessage("Delete temporary files ...");
  DeleteFiles(AddBackslash(CadTempDir()), "$*.dx$");
  return true;
}
