#include "framework/message_box.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/line_io.h"
#include "platform/cursor.h"
#include "platform/dialogs.h"
#include "platform/file_replace.h"

namespace fs = std::filesystem;

Byte ConfirmOverwriteOn = 1;

namespace {

std::string Display(std::string_view text) { return OemToAnsiNamingFiles(text); }

void ShowFileError(const std::string& text) { ShowTraceMessage(text); }

}  // namespace

void InitMessageBox() { ConfirmOverwriteOn = 1; }

void ShowFileErrorsAsMessages() { SetFileErrorHandler(ShowFileError); }

void ShowMessageKind(std::string_view text, TMessageKind kind) {
  const char* caption = kind == kMessageKindError ? "Error  : " : kind == kMessageKindHelp ? "Help" : "Message:";
  platform::MessageIcon icon = kind == kMessageKindError  ? platform::MessageIcon::Error
                               : kind == kMessageKindInfo ? platform::MessageIcon::Information
                                                          : platform::MessageIcon::None;
  platform::ShowMessageBox(caption, Display(text), platform::MessageButtons::Ok, icon);
}

void ShowError(std::string_view text) { ShowMessageKind(text, kMessageKindError); }
void ShowInfo(std::string_view text) { ShowMessageKind(text, kMessageKindInfo); }
void ShowMessageText(std::string_view text) { ShowMessageKind(text, kMessageKindMessage); }

void ShowTraceMessage(std::string_view text) {
  if (TraceMessagesOn) ShowMessageKind(text, kMessageKindError);
}

void SilentMessage(std::string_view) { NoMessage(); }

int NoMessage() { return 0; }

void AppMessageBox(std::string_view caption, std::string_view text) {
  platform::ShowMessageBox(Display(caption), Display(text));
}

void ShowMessagePlain(std::string_view text) { platform::ShowMessageBox(Display(ProgTitle.str()), Display(text)); }

bool AskYesNoCancel(std::string_view text) {
  auto r = platform::ShowMessageBox(Display(ProgTitle.str()), Display(text), platform::MessageButtons::YesNoCancel,
                                    platform::MessageIcon::Question);
  if (r == platform::DialogResult::Cancel) AbortFlag = 1;
  return r == platform::DialogResult::Yes;
}

void NotInArchiveMode() { ShowTraceMessage("Option is not available in archive mode."); }

void SetHelpNo(Word n) { HelpNumber = n; }

std::string MainCaptionFileName() {
  const std::string file = CurrentProjectFile();
  return file.substr(ExtractDirPart(file).size());
}

std::string MainCaptionTitle() {
  const std::string title = Display(ProgTitle.str());
  return CurrentFileName.empty() ? title : title + "  -  ";
}

void UpdateMainCaption(std::string& caption) {
  caption = MainCaptionTitle() + Utf8ToAnsi(MainCaptionFileName());
  RestoreCursor();
}

void SetBusyCursor() { platform::ShowBusyCursor(); }
void SetNormalCursor() { platform::ShowArrowCursor(); }
void RestoreCursor() { platform::ShowArrowCursor(); }

// ---------------------------------------------------------------------------

int IoResultFromErrno(int err) {
  switch (err) {
    case 0: return 0;
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EISDIR: return 5;
    case EBADF: return 6;
    case EINVAL:
    case ENAMETOOLONG: return 123;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG: return 101;
    case EROFS: return 150;
    case ENODEV:
    case ENXIO: return 152;
    case EIO: return 100;
    default: return 162;  // general failure
  }
}

std::string WriteErrorText(int code) {
  switch (code) {
    case 100: return "read error";
    case 101: return "disk full";
    case 106: return "invalid numeric code";
    default: return "file access error";
  }
}

std::string CloseErrorText(int code) { return code == 101 ? "disk full" : "file close error"; }

std::string CreateErrorText(int code) { return code == 101 ? "disk full" : "file write error"; }

std::string RetryErrorText(int code) {
  switch (code) {
    case 150: return "remove write protect !";
    case 152: return "put program disk into drive A !";
    default: return "I/O-Error " + std::to_string(code);
  }
}

namespace {

std::string TrimRightBlanks(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return std::string(s.substr(0, n));
}

bool IsRegularFile(const std::string& name) {
  std::error_code ec;
  return fs::is_regular_file(name, ec);
}

// A FIFO would block the open until a writer comes, a device or folder is no
// file to read: only a regular file is opened, without waiting.
bool CanOpenForRead(const std::string& name) { return ReadRefusalText(name).empty(); }

}  // namespace

void WriteTextChecked(TTextFile& file, std::string_view text) {
  if (AbortFlag) return;
  errno = 0;
  if (file.Write(text)) return;
  ShowTraceMessage(WriteErrorText(IoResultFromErrno(errno)) + " " + file.Name());
  AbortFlag = 1;
}

void CheckCloseError(TTextFile& file) {
  if (!file.Close()) AbortFlag = 1;
}

bool CheckWriteError(TTextFile& file) {
  errno = 0;
  if (file.Rewrite()) return true;
  ShowTraceMessage(CreateErrorText(IoResultFromErrno(errno)) + " " + file.Name());
  AbortFlag = 1;
  return false;
}

bool OpenTextForRead(std::string_view name) {
  const std::string refusal = ReadRefusalText(std::string(name), TrimRightBlanks(name));
  if (refusal.empty()) return true;
  ShowTraceMessage(refusal);
  AbortFlag = 1;
  return false;
}

bool RewriteRetry(const std::function<int()>& create) {
  for (int attempt = 1; attempt <= kRewriteAttempts; ++attempt) {
    int code = create();
    if (code == 0) return true;
    ShowTraceMessage(RetryErrorText(code));
  }
  AbortFlag = 1;
  return false;
}

bool RefuseSpecialOutput(std::string_view nameView) {
  const std::string name(nameView);
  std::error_code ec;
  if (!fs::exists(name, ec) || IsRegularFile(name)) return false;
  ShowTraceMessage("invalid file name \"" + name + "\": not a regular file (a FIFO, device or folder) !");
  AbortFlag = 1;
  return true;
}

bool ConfirmOverwriteAsks(std::string_view name) {
  return ConfirmOverwriteOn && name.find("actual") == std::string_view::npos && CanOpenForRead(std::string(name));
}

void ConfirmOverwrite(std::string_view nameView) {
  std::string name(nameView);
  // Refused whether or not the question is asked.
  if (RefuseSpecialOutput(name)) return;
  bool exists = CanOpenForRead(name);
  if (exists && ConfirmOverwriteAsks(name)) {
    SetHelpNo(3055);
    if (!AskYesNoCancel(name + " " + "already exists" + ".   " + "overwrite" + " ?")) AbortFlag = 1;
  }
  if (AbortFlag) return;
  // The file must be writable, and its folder take new files (the new file
  // is written beside it under a temporary name and renamed into place):
  // told without making, opening or removing a file, through a link too.
  const std::string refusal = name.empty() ? std::string() : platform::OutputRefusal(name);
  if (name.empty() || !refusal.empty()) {
    // With the reason: the file is not writable, its folder is gone, ...
    ShowTraceMessage("invalid file name \"" + name + "\"" + (refusal.empty() ? "" : ": " + refusal) + " !");
    AbortFlag = 1;
  }
}
