// The table engine's one failure path: a numeric code and a detail text
// handed to DederError, which stores them and then calls a user handler,
// raises EDederError, or reports the error and ends the program.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

using TzErrorProc = void (*)();

extern std::uint16_t TzLastError;
extern std::uint16_t TzPendingError;
extern std::string TzErrorDetail;
extern bool TzErrorDispatchOn;
extern bool TzRaiseErrors;
extern TzErrorProc TzErrorHandler;
extern bool TzHalting;

class EDederError : public std::runtime_error {
 public:
  explicit EDederError(const std::string& message) : std::runtime_error(message) {}
};

void InitDbfErrors();

void DederError(std::uint16_t code, const std::string& detail);
void DispatchTzError();
bool SetErrorDispatch(bool on);
bool SetRaiseErrors(bool on);

// "Error # <code> (<text>)"; empty for 0.
std::string TzErrorText(std::uint16_t code);
std::string TakeErrorDetail();
std::string GetTzErrorText();
[[noreturn]] void RaiseDederError(const std::string& message);

// Message box styles and answers used by the engine.
constexpr std::uint16_t kMbOk = 0x00;
constexpr std::uint16_t kMbOkCancel = 0x01;
constexpr std::uint16_t kMbIconStop = 0x10;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Shows a message box (platform/dialogs.h) and returns kIdOk or kIdCancel;
// a batch run answers Cancel and writes the text to stderr.
int TzMessageBox(const std::string& text, const std::string& caption, std::uint16_t flags);

// Process exit code for an engine error code: codes that the operating
// system would cut to 0 (or beyond 255) end with 255, never as success.
int HaltExitCode(std::uint16_t code);

// Switches dispatch off for a scope, for callers that handle a failure
// themselves and read TzLastError.
class ErrorDispatchOff {
 public:
  ErrorDispatchOff() : previous_(SetErrorDispatch(false)) {}
  ~ErrorDispatchOff() { SetErrorDispatch(previous_); }
  ErrorDispatchOff(const ErrorDispatchOff&) = delete;
  ErrorDispatchOff& operator=(const ErrorDispatchOff&) = delete;

 private:
  bool previous_;
};

// Runs `step` with TzLastError cleared and tells whether it reported no error
// of its own; when it did not, an error the caller held before stands again.
template <class Step>
bool SucceedsAlone(Step&& step) {
  const std::uint16_t before = TzLastError;
  TzLastError = 0;
  step();
  if (TzLastError != 0) return false;
  TzLastError = before;
  return true;
}
