#include "platform/process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/os.h"

namespace platform {

namespace {

struct Recorder {
  bool on = false;
  std::vector<ProgramStart> starts;
};

Recorder& Rec() {
  static Recorder r;
  return r;
}

int g_openerWaitMs = 2000;

// Execute permission bits, not access(): root may "execute" any file.
bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH));
}

// The program's path: itself when it holds a "/", else the first executable
// of that name on $PATH; empty when there is none.
std::string ProgramPath(const std::string& program) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return IsExecutableFile(program) ? program : std::string();
  const std::string path = GetEnvironment("PATH");
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t colon = path.find(':', start);
    if (colon == std::string::npos) colon = path.size();
    const std::string dir = colon > start ? path.substr(start, colon - start) : ".";
    const std::string candidate = dir + "/" + program;
    if (IsExecutableFile(candidate)) return candidate;
    start = colon + 1;
  }
  return {};
}

// Starts Program in a session of its own, its input from /dev/null, and
// waits up to waitMs: false when it cannot be started or ends with a failure
// in that time. One still running is left to run, reaped by a thread of its
// own when it ends, so it is nobody's zombie and outlives this process; one
// that ended with success has done its work (an opener that handed the file
// to a program).
bool StartAndWatch(const std::string& program, const std::vector<std::string>& arguments, int waitMs) {
  const std::string path = ProgramPath(program);
  if (path.empty()) return false;
  // Ready before fork: after it, the child makes only async-signal-safe calls.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setsid();
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) ::dup2(null, STDIN_FILENO);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
  }
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  while (true) {
    int status = 0;
    const pid_t ended = ::waitpid(child, &status, WNOHANG);
    if (ended == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (ended < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= until) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::thread([child] {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace

bool ProgramExists(const std::string& program) { return !ProgramPath(program).empty(); }

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  if (Rec().on) {
    Rec().starts.push_back({program, arguments});
    return true;
  }
  return StartAndWatch(program, arguments, 0);
}

bool OpenWithDefaultProgram(const std::string& target, const std::string& program,
                            const std::vector<ProgramLine>& alternatives) {
  if (Rec().on) {
    Rec().starts.push_back({program.empty() ? "default-opener" : program, {target}});
    return true;
  }
  if (target.empty()) return false;
  // A file named "-x" is no option of the program that opens it.
  const std::string file = target.front() == '-' ? "./" + target : target;
  if (!program.empty()) return StartAndWatch(program, {file}, g_openerWaitMs);
  if (StartAndWatch("xdg-open", {file}, g_openerWaitMs)) return true;
  for (const ProgramLine& line : alternatives) {
    if (!ProgramExists(line.program)) continue;
    std::vector<std::string> arguments = line.arguments;
    arguments.push_back(file);
    if (StartAndWatch(line.program, arguments, g_openerWaitMs)) return true;
  }
  return false;
}

int SetOpenerWaitMs(int milliseconds) {
  const int old = g_openerWaitMs;
  g_openerWaitMs = milliseconds;
  return old;
}

void RecordProgramStarts(bool on) {
  Rec().on = on;
  Rec().starts.clear();
}

const std::vector<ProgramStart>& RecordedProgramStarts() { return Rec().starts; }

}  // namespace platform
