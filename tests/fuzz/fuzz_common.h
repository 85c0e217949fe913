// Shared start of the table engine's libFuzzer targets: defaults, errors
// stored instead of ending the run, and a scratch file for the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "dbf/errors.h"
#include "dbf/dbf_file.h"
#include "dbf/expressions.h"
#include "dbf/index_keys.h"
#include "dbf/locks.h"
#include "dbf/ndx_index.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "framework/clock.h"
#include "framework/globals.h"
#include "platform/os.h"

inline void FuzzStart() {
  InitGlobals();
  InitClock();
  InitDbfErrors();
  InitDbfRuntime();
  InitDbfFile();
  InitWorkAreas();
  InitDbfLocks();
  InitRecordCache();
  InitIndexKeys();
  InitExpressions();
  InitNdxIndex();
  SetErrorDispatch(false);
}

inline std::string FuzzFile(const char* name, const std::uint8_t* data, std::size_t size) {
  std::string path = platform::ProcessTempDir() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  return path;
}
