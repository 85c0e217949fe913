// Programs that stand in for the desktop's (xdg-open, a spreadsheet program):
// shell scripts in a folder that is the whole $PATH while the object lives.
// Each writes the arguments it was given, one a line, into "<name>.args"
// beside it, and ends with the exit code it was made with.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell_quote.h"

class FakePrograms {
 public:
  explicit FakePrograms(std::string dir) : dir_(std::move(dir)) {
    std::filesystem::create_directories(dir_);
    const char* path = std::getenv("PATH");
    hadPath_ = path != nullptr;
    if (path) oldPath_ = path;
    setenv("PATH", dir_.c_str(), 1);
  }
  ~FakePrograms() {
    if (hadPath_) setenv("PATH", oldPath_.c_str(), 1);
    else unsetenv("PATH");
  }
  FakePrograms(const FakePrograms&) = delete;
  FakePrograms& operator=(const FakePrograms&) = delete;

  // A program that ends with exitCode, after runSeconds (then it is still
  // running when the opener stops waiting for it).
  std::string Add(const std::string& name, int exitCode, int runSeconds = 0) {
    const std::string file = dir_ + "/" + name;
    std::ofstream(file, std::ios::trunc) << "#!/bin/sh\n"
                                         << "for a in \"$@\"; do printf '%s\\n' \"$a\" >> " << ShellQuoted(file + ".args") << "; done\n"
                                         << "exec >/dev/null 2>&1\n"
                                         << (runSeconds > 0 ? "/bin/sleep " + std::to_string(runSeconds) + "\n" : "")
                                         << "exit " << exitCode << "\n";
    ::chmod(file.c_str(), 0755);
    std::filesystem::remove(file + ".args");
    return file;
  }
  // The arguments the program was started with; empty when it did not run.
  std::vector<std::string> Arguments(const std::string& name) const {
    std::vector<std::string> lines;
    std::ifstream in(dir_ + "/" + name + ".args");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  bool Ran(const std::string& name) const { return std::filesystem::exists(dir_ + "/" + name + ".args"); }

 private:
  std::string dir_;
  std::string oldPath_;
  bool hadPath_ = false;
};
