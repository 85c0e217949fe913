// The dialog layer's two halves: the answers from a script or a batch run
// (dialogs.cpp, Qt-free, linked by every program) and the window's real
// dialogs (dialogs_qt.cpp), which the application start installs here.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "platform/dialogs.h"

namespace platform::dialog_detail {

// Where the answer to a dialog comes from.
enum class Source { User, Scripted, Cancelled };

// Decides how a dialog is answered; fills `answer` when it comes from the
// script. `allowed` lists the results that fit the dialog. User only when the
// window's dialogs are installed and nothing else answers.
Source NextAnswer(const std::string& kind, const std::string& caption, const std::string& text,
                  std::initializer_list<DialogResult> allowed, ScriptedAnswer& answer);
// Records the dialog while a script is active.
void Log(const std::string& kind, const std::string& caption, const std::string& text, DialogResult r);
// A misuse of the dialog layer: the failure handler, or stderr and abort.
void Fail(const std::string& message);
bool ScriptActive();

const std::string* FindValue(const DialogValues& values, const std::string& key);
std::optional<long long> ParseInt(const std::string& text);
bool ParseBool(const std::string& v);
// "#n" selects by position (from 0), returns -1 otherwise.
int PositionValue(const std::string& v);

// The window's dialogs that a user answers.
struct WindowDialogs {
  DialogResult (*messageBox)(const std::string& caption, const std::string& text, MessageButtons buttons,
                             MessageIcon icon);
  // Returns the chosen file, empty for Cancel.
  std::string (*askFile)(const FileDialogRequest& request, bool save);
  std::string (*askDirectory)(const std::string& title, const std::string& start);
  std::optional<std::uint32_t> (*askColour)(std::uint32_t rgb);
  bool (*askFont)(FontChoice& font);
  bool (*askPrint)(PrintChoice& print);
  void (*beep)();
};

// Installed by the application start (nullptr: no window, so no user answers).
void SetWindowDialogs(const WindowDialogs* dialogs);
const WindowDialogs* GetWindowDialogs();

// Installs the Qt dialogs (dialogs_qt.cpp); the application start calls it.
void InstallWindowDialogs();

}  // namespace platform::dialog_detail
