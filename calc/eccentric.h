// Eccentric clamping and loading: opening limit, load factors of the
// eccentric joint and the bending stress in the bolt.
#pragma once

#include "calc/calc_run.h"

// Runs only when ExzCode is 2; false when the run ends.
bool CalcEccentricLoading(CalcRun& run);
