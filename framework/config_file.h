// The configuration file (<short name>.cfg) with every user setting, and the
// state file (<short name>.cff) with the current directory and the four
// recent files, both in ConfigDir.
//
// The configuration is read by position: a header of two lines, then 100
// entries in a fixed order, each a label line (written, never checked) and
// its value lines, and last the device path of the raw text printer (kept
// when an older file ends before it). Values that make no sense are corrected on reading; a file
// that ends early leaves the later settings at their defaults. Both files
// are written to a temporary file that replaces the old one only when every
// line was written.
#pragma once

#include <string>

std::string ConfigFileName();
std::string SessionFileName();

// Writes every setting. Nothing is written when AbortFlag is set, or when the
// file cannot be created (reported; AbortFlag set).
void WriteConfigFile();
// The same into another file (a copy of the settings).
void WriteConfigFile(const std::string& path);

// Reads the settings. A missing file leaves the defaults, fits the screen
// sizes to the screen and sets AbortFlag.
void ReadConfigFile();
// The same from another file.
void ReadConfigFile(const std::string& path);
// Whether the file begins as a configuration file does: "<name> Configuration",
// then "Version ...". False when it cannot be read.
bool IsConfigFile(const std::string& path);

// Fills empty directories with their defaults and reports the ones that
// cannot be used; asks for the temporary directory when it is not writable.
void RepairConfigDirs();
// Only fills empty directories with their defaults: for runs that neither
// report nor ask (batch runs, whose messages are off and dialogs cancelled).
void FillConfigDirDefaults();

// "Horizontal Pixels" / "Vertical Pixels" of 0 or 65535 become the screen's
// width - 9 and height - 91.
void DefaultScreenSize();

void WriteSessionFile();
// A missing file empties the recent files.
void ReadSessionFile();
