// Clamped parts: substitute deformation body of every part, its elastic and
// bending resilience, the shares above and below the load-introduction
// planes, the load factors and the preload loss by embedding.
#pragma once

#include "calc/calc_run.h"
#include "framework/types.h"

// Cross-section of the substitute deformation body of one clamped part; da
// receives the outer diameter used.
Extended SubstituteArea(Extended lK, Extended dw, Extended Di, Extended De, Extended& da);

// Friction diameters of the head and nut bearings.
void CalcFrictionDiameters(CalcRun& run);
// Resiliences of the parts and the load factor; false when the run ends.
bool CalcClampedParts(CalcRun& run);
