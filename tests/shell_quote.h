// Paths handed to a shell by the tests: the checkout, the build tree and the
// temporary folder may lie in folders whose names hold blanks, quotes or
// non-ASCII letters.
#pragma once

#include <string>

// `text` as one word of a POSIX shell command, whatever it holds.
inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
