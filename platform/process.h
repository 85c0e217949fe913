// External programs: started with an argument list, never through a shell.
#pragma once

#include <string>
#include <vector>

namespace platform {

// True when Program names an existing executable file, or a program found on
// $PATH when it holds no "/".
bool ProgramExists(const std::string& program);

// Starts Program detached with Arguments; false when it could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments);

// A program with the arguments that go before the file it opens
// ({"libreoffice", {"--calc"}}).
struct ProgramLine {
  std::string program;
  std::vector<std::string> arguments;
};

// Opens Target, a file or an address ("https://...", "mailto:...?subject=..."),
// with the first of these that takes it:
//   - Program, when one is configured (nothing else is tried then);
//   - the desktop's opener (xdg-open), when it has a program for the target;
//   - the first of Alternatives that is found on $PATH and starts.
// A program that ends with a failure at once did not open it; one that is
// still running after a short wait, or ends with success, did. False when
// nothing opened the target: the caller tells the user.
bool OpenWithDefaultProgram(const std::string& target, const std::string& program = {},
                            const std::vector<ProgramLine>& alternatives = {});

// How long a program may take to fail before it counts as running (tests
// shorten it); returns the wait it replaces.
int SetOpenerWaitMs(int milliseconds);

// Tests: while recording, programs are not started; each start is kept
// (the program, or "default-opener" for OpenWithDefaultProgram with no
// configured program, then the arguments).
struct ProgramStart {
  std::string program;
  std::vector<std::string> arguments;
};
void RecordProgramStarts(bool on);
const std::vector<ProgramStart>& RecordedProgramStarts();

}  // namespace platform
