// External programs: started with an argument list, never through a shell.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// True when Program names an existing executable file, or a program found on
// $PATH when it holds no "/".
bool ProgramExists(const std::string& program);

// Starts Program detached with Arguments; false when it could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments);

// Opens File with the desktop's default program for its kind: through the
// opener the window installs, else xdg-open.
bool OpenWithDefaultProgram(const std::string& file);
using DefaultOpener = std::function<bool(const std::string& file)>;
// Returns the opener it replaces.
DefaultOpener SetDefaultOpener(DefaultOpener opener);

// Tests: while recording, programs are not started; each start is kept
// (the program, or "default-opener" for OpenWithDefaultProgram, then the arguments).
struct ProgramStart {
  std::string program;
  std::vector<std::string> arguments;
};
void RecordProgramStarts(bool on);
const std::vector<ProgramStart>& RecordedProgramStarts();

}  // namespace platform
