// A table of one character field KEY of width 10, created empty at `path`,
// for the index benchmarks.
#pragma once

#include <string>

#include "dbf/dbf_file.h"
#include "dbf/init.h"
#include "framework/init.h"

inline void CreateKeyTable(const std::string& path) {
  InitFrameworkModules();
  InitDbfModules();
  TDbfFieldEntry f;
  f.name = "KEY";
  f.type = 'C';
  f.length = 10;
  TDbfWorkArea wa;
  CreateDbf(wa, path, 1, &f);
}
