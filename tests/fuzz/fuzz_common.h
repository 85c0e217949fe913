// Shared start of the table engine's libFuzzer targets: defaults, errors
// stored instead of ending the run, and a scratch file for the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "dbf/errors.h"
#include "dbf/init.h"
#include "dbf/work_areas.h"
#include "framework/clock.h"
#include "framework/globals.h"
#include "platform/os.h"

inline void FuzzStart() {
  InitGlobals();
  InitClock();
  InitDbfModules();
  SetErrorDispatch(false);
}

inline std::string FuzzFile(const char* name, const std::uint8_t* data, std::size_t size) {
  std::string path = platform::ProcessTempDir() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  return path;
}
