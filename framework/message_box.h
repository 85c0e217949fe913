// Message boxes, the main-window caption, cursors and the checked file
// operations with their error texts. Texts passed in are stored (OEM) texts;
// they are converted for display here. Every failure shows a message (or
// hides it, for trace messages while TraceMessagesOn is clear) and sets
// AbortFlag; callers test AbortFlag after the call.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "framework/types.h"

using TMessageKind = int;
constexpr TMessageKind kMessageKindMessage = 0;
constexpr TMessageKind kMessageKindHelp = 3;
constexpr TMessageKind kMessageKindSilent = 10;
constexpr TMessageKind kMessageKindInfo = 11;
constexpr TMessageKind kMessageKindError = 12;

extern Byte ConfirmOverwriteOn;  // ConfirmOverwrite asks only while set

void InitMessageBox();

// Lets the file routines (framework/file_utils.h) report their errors through
// ShowTraceMessage. The program's start-up calls it; without it file errors
// only set AbortFlag and LastFileErrorText().
void ShowFileErrorsAsMessages();

// Message boxes with an OK button. Captions: "Error  : " for kind 12, "Help"
// for kind 3, "Message:" otherwise.
void ShowMessageKind(std::string_view text, TMessageKind kind);
void ShowError(std::string_view text);
void ShowInfo(std::string_view text);
void ShowMessageText(std::string_view text);
// File and I/O errors: shown only while TraceMessagesOn is set.
void ShowTraceMessage(std::string_view text);
void SilentMessage(std::string_view text);
int NoMessage();
void AppMessageBox(std::string_view caption, std::string_view text);
void ShowMessagePlain(std::string_view text);
// Yes, No, Cancel; true only for Yes; Cancel also sets AbortFlag.
bool AskYesNoCancel(std::string_view text);
// "Option is not available in archive mode." as a trace message.
void NotInArchiveMode();

void SetHelpNo(Word n);

// ProgTitle, then "  -  " and the current file name (with "." + InputFileExt
// when the name has no "."); the cursor becomes the arrow. The caption is a
// display text: the name's characters that Windows-1252 lacks show as "?".
void UpdateMainCaption(std::string& caption);
// The parts of that caption for a window title that shows the name exactly:
// the display text before the name ("ProgTitle  -  ", or ProgTitle alone
// without a file), and the name, the file system's bytes (UTF-8).
std::string MainCaptionTitle();
std::string MainCaptionFileName();

void SetBusyCursor();
void SetNormalCursor();
void RestoreCursor();

// Checked file operations --------------------------------------------------

// Error number of the last failed file operation, in the classic run-time
// numbering (2 not found, 5 access denied, 100 read error, 101 disk full,
// 150 write protected, ...), from errno.
int IoResultFromErrno(int err);

// Texts of the checked operations for a result code.
std::string WriteErrorText(int code);   // 100 "read error", 101 "disk full", 106, other "file access error"
std::string CloseErrorText(int code);   // 101 "disk full", other "file close error"
std::string CreateErrorText(int code);  // 101 "disk full", other "file write error"
std::string RetryErrorText(int code);   // 150 "remove write protect !", 152, other "I/O-Error " + code

class TTextFile;

// Writes text (no line end) unless AbortFlag is already set; a failed write
// is reported with WriteErrorText.
void WriteTextChecked(TTextFile& file, std::string_view text);
// Closes the file; a failure (the new file then was not stored) sets AbortFlag
// and is reported by the file layer.
void CheckCloseError(TTextFile& file);
// Creates (or truncates) the file; a failure is reported with CreateErrorText.
bool CheckWriteError(TTextFile& file);

// True when the file can be opened for reading; otherwise reports
// "file <name> not found or no access !" and sets AbortFlag.
bool OpenTextForRead(std::string_view name);

// Creates the file, trying a few times; each failure is reported. After the
// last failed try AbortFlag is set and false returned, so that a read-only
// folder cannot hang the program. `create` does the creating and returns 0
// or an error number (IoResultFromErrno).
bool RewriteRetry(const std::function<int()>& create);
constexpr int kRewriteAttempts = 3;

// True, with the message and AbortFlag set, when an output's name stands for
// an existing FIFO, device or folder (also through a link), which would be
// written forever or not at all: it is never opened.
bool RefuseSpecialOutput(std::string_view name);

// Before a file is written: refuses a FIFO, device or folder; asks when it exists (unless its name holds
// "actual" or ConfirmOverwriteOn is clear) and checks that it can be written.
// The old file is left in place: writers replace it through a temporary file,
// so a failed write cannot lose it. Refusal or failure sets AbortFlag.
void ConfirmOverwrite(std::string_view name);
// True when ConfirmOverwrite would ask before the file is replaced.
bool ConfirmOverwriteAsks(std::string_view name);
