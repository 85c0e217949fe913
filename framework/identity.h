// Program identity: short names, title, version and the extension of
// calculation files. The globals themselves live in framework/globals.h.
#pragma once

constexpr const char* kProgShortName = "BQ4";
constexpr const char* kProgShortNameLower = "bq4";
constexpr const char* kProgTitleText = "Bolted Joint Design";
constexpr const char* kProgVersion = "17.0";

// Sets ProgShortName, ProgShortNameLower, InputFileExt, ProgTitle
// (short name, three blanks, title text), ProgVersion, and empties HeaderLines.
void InitProgramIdentity();

// Does nothing; passed where a callback is required but no action is wanted.
void EmptyProc();
