// Paths as the program shows them. The program keeps its texts in the
// display code page, so a folder holding "ä" reaches a message as one byte;
// tests compare what the user sees, not the bytes of the file system.
#pragma once

#include <string>

#include "framework/charset.h"

// The path as a message or a form of the program shows it.
inline std::string ShownPath(const std::string& path) { return Utf8ToAnsi(path); }

// Whether the path holds a character that no command line of the plot
// program can hold (such names are refused by design).
inline bool HoldsQuoteOrLineBreak(const std::string& path) { return path.find_first_of("\"\n") != std::string::npos; }

// Whether names made in the folder, up to `room` bytes longer, fit the
// 255-byte name fields of the settings and projects (longer ones are
// refused by design).
inline bool FitsNameFields(const std::string& folder, std::size_t room) { return folder.size() + room <= 255; }
