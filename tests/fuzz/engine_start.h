// Start of the table engine's fuzz targets: the framework, then the engine
// at its defaults with errors stored instead of shown.
#pragma once

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/init.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "fuzz_common.h"

inline void EngineFuzzStart() {
  FuzzStart();
  InitDbfModules();
  SetErrorDispatch(false);
}
