#include "dbf/init.h"

#include <cstdlib>

#include "dbf/datasets.h"
#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/expressions.h"
#include "dbf/import_export.h"
#include "dbf/index_keys.h"
#include "dbf/locate.h"
#include "dbf/locks.h"
#include "dbf/memo.h"
#include "dbf/message_windows.h"
#include "dbf/ndx_index.h"
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
  InitLocate();
  InitImportExport();
  InitMessageWindows();
  // Optional units fill their hooks.
  InitMemo();
  InitVFiles();
  InitIndexKeys();
  InitExpressions();
  IndexInit();
  InitDatasets();
  // The end step runs once, when the program ends (also after a halt on an
  // error), before the temporary directory goes (its holder is older).
  static bool started = false;
  if (!started) {
    started = true;
    std::atexit(EndDbfModules);
  }
}

void EndDbfModules() {
  ErrorDispatchOff quiet;  // nothing is shown while the program ends
  IndexExit();
  CloseAllAtExit();
}
