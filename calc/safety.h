// Safety factors of the joint and the closing design checks.
#pragma once

#include "calc/calc_run.h"

void CalcSafetyFactors(CalcRun& run);
// Adds the Errors and Warnings of the design checks; "thread depth" sets the
// fatal flag but the checks go on.
void CheckDesign(CalcRun& run);
