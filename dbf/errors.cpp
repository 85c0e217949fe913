#include "dbf/errors.h"

#include <cstdio>
#include <cstdlib>

#include "platform/dialogs.h"
#include "platform/os.h"

std::uint16_t TzLastError = 0;
std::uint16_t TzPendingError = 0;
std::string TzErrorDetail;
bool TzErrorDispatchOn = true;
bool TzRaiseErrors = false;
TzErrorProc TzErrorHandler = nullptr;
bool TzHalting = false;

void InitDbfErrors() {
  TzLastError = 0;
  TzPendingError = 0;
  TzErrorDetail.clear();
  TzErrorDispatchOn = true;
  TzRaiseErrors = false;
  TzErrorHandler = nullptr;
  TzHalting = false;
}

namespace {

const char* CodeText(std::uint16_t c) {
  static const char* const kOs[] = {
      nullptr, "Invalid DOS function code", "File not found", "Path not found",
      "Too many open files", "File access denied", "Invalid file handle", nullptr,
      "Not enough memory", "Memory block address invalid", "Environment invalid",
      "Format invalid", "Invalid file access code", "Data invalid", "Unknown unit",
      "Invalid drive number", "Cannot remove current directory", "Cannot rename across drives",
      "Too many open files", "Disk write-protected", "Unknown unit", "Drive not ready",
      "Unknown command", "CRC error in data", "Bad drive request structure length",
      "Disk seek error", "Unknown media type", "Disk sector not found", "Printer out of paper",
      "Device write fault", "Device read fault", "General failure", "File sharing violation",
      "File lock violation", "Disk change invalid", "File Control Block unavailable",
      "File sharing buffer overflow"};
  static const char* const kNet[] = {
      "Unsupported network request", "Remote machine not listening", "Duplicate name on network",
      "Network name not found", "Network busy", "Device no longer exists on network",
      "Net-Bios command limit exceeded", "Error in network adapter hardware",
      "Incorrect response from network", "Unexpected network error",
      "Remote adapter incompatible"};
  static const char* const kIo[] = {"Disk read error",
                                    "Disk write error (probable cause: Disk Full).",
                                    "File not assigned",
                                    "File not open",
                                    "File not open for input",
                                    "File not open for output",
                                    "Invalid numeric format"};
  static const char* const kCrit[] = {
      "Disk write-protected", "Unknown unit", "Drive not ready", "Unknown command",
      "CRC error in data", "Bad drive request structure length", "Disk seek error",
      "Unknown media type", "Disk sector not found", "Printer out of paper",
      "Device write fault", "Device read fault", "File sharing violation"};
  static const char* const kRun[] = {
      "Division by zero error", "Range check error", "Stack overflow error",
      "Heap overflow error", "Invalid pointer operation", "Floating point overflow",
      "Floating point underflow", "Invalid floating point operation",
      "Overlay-manager not installed", "Overlay file read error"};
  static const char* const kLib[] = {
      "Not a dBASE data file", "Invalid database field type encountered",
      "Request beyond range", "End of file found unexpectedly", "File already in use",
      "No database in use", "GP Fault", "Insufficient memory", "Invalid pointer specified",
      "Cannot duplicate file handle", "Invalid parameter", "Index file not open",
      "Corrupted index file", "Index version mismatch", "Cyclical relationship detected",
      "Exclusive Use() required", "BROWSE not active", "Insufficient disk space ",
      "Unbalanced Push/Pop operation ", "dBASE IV memo files not supported",
      "No dBASE memory variables loaded", "Screen library not open"};
  if (c >= 1 && c <= 36) return kOs[c];
  if (c >= 50 && c <= 60) return kNet[c - 50];
  if (c >= 100 && c <= 106) return kIo[c - 100];
  if (c >= 150 && c <= 162) return kCrit[c - 150];
  if (c >= 200 && c <= 209) return kRun[c - 200];
  if (c >= 210 && c <= 231) return kLib[c - 210];
  switch (c) {
    case 239: return "Missing colon in time";
    case 240: return "Non-numeric character in time";
    case 241: return "Invalid time specified";
    case 242: return "Negative time specified";
    case 243: return "TimeDiff result negative";
    case 254: return "Deder internal error";
    case 266: return "Invalid size";
    case 1003: return "Invalid memo address";
    case 1004: return "Disk full";
    case 1005: return "Memo file write error";
    case 1007: return "Memo file is already open";
    case 1012: return "Insufficient disk space to pack memo file";
    case 1017: return "Cannot lock memo file";
    case 1018: return "Cannot unlock memo file";
    case 1019: return "Invalid memo operation: database not open or no memo field in database";
    case 1100: return "Not a valid operation on Linked List";
    case 1101: return "Virtual File Manager Unit not Linked in";
    case 1102: return "Virtual File Memory Management Error";
    case 1103: return "Invalid Operation ";
    case 1200: return "Record not locked";
    case 1201: return "File not locked";
    case 1202:
      return "Semaphore file error. Possible solutions: log into network or load SHARE.EXE "
             "before running Windows";
    case 1300: return "File format not supported";
    default: break;
  }
  if (c >= 1203 && c <= 1299) return "Network Error";
  return nullptr;
}

// The one place where a halting error reaches the user: always on stderr,
// so that no run ends silently, and in a box when a user is there to see it.
void ShowHaltMessage(const std::string& message) {
  std::fprintf(stderr, "Program halted.\n%s\n", message.c_str());
  std::fflush(stderr);
  if (!platform::BatchMode() && !platform::IsHeadless())
    platform::ShowMessageBox("Program halted.", message, platform::MessageButtons::Ok, platform::MessageIcon::Error);
}

}  // namespace

std::string TzErrorText(std::uint16_t code) {
  if (code == 0) return std::string();
  const char* text = CodeText(code);
  return "Error # " + std::to_string(code) + " (" + (text ? text : "Undefined error") + ")";
}

std::string TakeErrorDetail() {
  std::string d = std::move(TzErrorDetail);
  TzErrorDetail.clear();
  TzPendingError = 0;
  return d;
}

std::string GetTzErrorText() {
  if (TzPendingError == 0) return std::string();
  std::string s = TzErrorText(TzPendingError) + "\r\n";
  return s + TakeErrorDetail();
}

void RaiseDederError(const std::string& message) { throw EDederError(message); }

int HaltExitCode(std::uint16_t code) {
  if (code >= 1 && code <= 255) return code;
  return 255;
}

int TzMessageBox(const std::string& text, const std::string& caption, std::uint16_t flags) {
  // The dialog layer has no OK/Cancel pair: a question is asked as Yes/No.
  bool question = (flags & 0x0F) != kMbOk;
  platform::MessageIcon icon = (flags & 0xF0) == kMbIconStop ? platform::MessageIcon::Error
                               : question                    ? platform::MessageIcon::Question
                                                             : platform::MessageIcon::None;
  platform::DialogResult r = platform::ShowMessageBox(
      caption, text, question ? platform::MessageButtons::YesNo : platform::MessageButtons::Ok, icon);
  if (!question) return kIdOk;
  return r == platform::DialogResult::Yes || r == platform::DialogResult::Ok ? kIdOk : kIdCancel;
}

void DispatchTzError() {
  if (TzHalting) return;
  TzPendingError = TzLastError;
  if (TzErrorHandler) {
    TzErrorHandler();
    return;
  }
  if (TzLastError == 0) return;
  std::string message = TzErrorText(TzLastError) + "\r\n" + TakeErrorDetail();
  if (TzRaiseErrors) RaiseDederError(message);
  if (message.size() > 255) message.resize(255);
  std::uint16_t code = TzLastError;
  ShowHaltMessage(message);
  TzHalting = true;
  std::exit(HaltExitCode(code));
}

void DederError(std::uint16_t code, const std::string& detail) {
  TzLastError = code;
  TzPendingError = code;
  TzErrorDetail = detail;
  if (TzErrorDispatchOn) DispatchTzError();
}

bool SetErrorDispatch(bool on) {
  bool old = TzErrorDispatchOn;
  TzErrorDispatchOn = on;
  return old;
}

bool SetRaiseErrors(bool on) {
  bool old = TzRaiseErrors;
  TzRaiseErrors = on;
  return old;
}
