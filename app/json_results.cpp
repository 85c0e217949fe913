#include "app/batch_runs.h"

int RunBatchJson(const std::string&) { return kExitLoadFailed; }
