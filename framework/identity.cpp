#include "framework/identity.h"

#include <string>

#include "framework/globals.h"

void InitProgramIdentity() {
  ProgShortName = kProgShortName;
  ProgShortNameLower = kProgShortNameLower;
  InputFileExt = kProgShortNameLower;
  ProgTitle = std::string(kProgShortName) + "   " + kProgTitleText;
  ProgVersion = kProgVersion;
  for (auto& line : HeaderLines) line = "";
}

void EmptyProc() {}
