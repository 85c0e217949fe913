// An independent check of the HTML pages the program writes: tidy (Debian
// package tidy), where installed, must find no error in them.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "shell_quote.h"

// tidy's report on the page when it finds errors (exit status 2); empty when
// it finds none or is not installed.
inline std::string TidyErrors(const std::string& page) {
  if (std::system("command -v tidy >/dev/null") != 0) return {};
  const std::string report = page + ".tidy";
  const int status = std::system(("tidy -e -q " + ShellQuoted(page) + " > " + ShellQuoted(report) + " 2>&1").c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) < 2) return {};
  std::ifstream in(report);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.empty() ? "tidy failed" : text;
}
