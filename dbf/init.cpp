#include "dbf/init.h"

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/locks.h"
#include "dbf/memo.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"
#include "dbf/vfiles.h"
#include "dbf/work_areas.h"

void InitDbfModules() {
  InitDbfErrors();
  InitDbfRuntime();
  InitDbfFile();
  InitWorkAreas();
  InitDbfLocks();
  InitRecordCache();
  InitMemo();
  InitVFiles();
}
