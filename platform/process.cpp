#include "platform/process.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

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

DefaultOpener& Opener() {
  static DefaultOpener opener;
  return opener;
}

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

}  // namespace

bool ProgramExists(const std::string& program) { return !ProgramPath(program).empty(); }

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  if (Rec().on) {
    Rec().starts.push_back({program, arguments});
    return true;
  }
  const std::string path = ProgramPath(program);
  if (path.empty()) return false;
  // Everything the child needs is ready before fork: after it, only
  // async-signal-safe calls.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // Detached: the child starts the program in a session of its own and ends
  // at once, so the program is nobody's zombie and outlives this one.
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execv(path.c_str(), argv.data());
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

DefaultOpener SetDefaultOpener(DefaultOpener opener) {
  DefaultOpener old = std::move(Opener());
  Opener() = std::move(opener);
  return old;
}

bool OpenWithDefaultProgram(const std::string& file) {
  if (Rec().on) {
    Rec().starts.push_back({"default-opener", {file}});
    return true;
  }
  if (Opener()) return Opener()(file);
  return StartProgram("xdg-open", {file});
}

void RecordProgramStarts(bool on) {
  Rec().on = on;
  Rec().starts.clear();
}

const std::vector<ProgramStart>& RecordedProgramStarts() { return Rec().starts; }

}  // namespace platform
