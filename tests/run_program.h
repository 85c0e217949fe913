// Programs the tests start (independent readers, converters): with an
// argument list and no shell, so that paths holding blanks, quotes, "$" or
// non-ASCII letters reach the program as they are.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

// Where a started program's standard streams go: a file (empty: the test's
// own stream); its standard input comes from a file, or "/dev/null".
struct ProgramFiles {
  std::string in;
  std::string out;
  std::string err;
};

namespace runprogram {

// Starts argv[0] (looked up in $PATH) with the file actions: its process
// number, or -1.
inline pid_t Start(const std::vector<std::string>& argv, const posix_spawn_file_actions_t& actions) {
  if (argv.empty()) return -1;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0 ? pid : -1;
}

// Waits for the process: its exit code, or -1 when it did not exit.
inline int Wait(pid_t pid) {
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace runprogram

// Runs argv[0] (looked up in $PATH) with the arguments and waits for it: its
// exit code, or -1 when it could not be started or did not exit.
inline int RunProgram(const std::vector<std::string>& argv, const ProgramFiles& files = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!files.in.empty()) posix_spawn_file_actions_addopen(&actions, 0, files.in.c_str(), O_RDONLY, 0);
  if (!files.out.empty())
    posix_spawn_file_actions_addopen(&actions, 1, files.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!files.err.empty())
    posix_spawn_file_actions_addopen(&actions, 2, files.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t pid = runprogram::Start(argv, actions);
  posix_spawn_file_actions_destroy(&actions);
  return runprogram::Wait(pid);
}

// Whether the program runs and ends with 0, its output thrown away.
inline bool ProgramSucceeds(const std::vector<std::string>& argv) {
  return RunProgram(argv, {"/dev/null", "/dev/null", "/dev/null"}) == 0;
}

// What the program printed on its standard output (its errors to /dev/null);
// exitCode gets its exit code, or -1 as RunProgram gives it.
inline std::string ProgramOutput(const std::vector<std::string>& argv, int* exitCode = nullptr) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
    if (exitCode) *exitCode = -1;
    return {};
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const pid_t pid = runprogram::Start(argv, actions);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; pid >= 0 && ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR));)
    if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeEnds[0]);
  const int code = runprogram::Wait(pid);
  if (exitCode) *exitCode = code;
  return text;
}
