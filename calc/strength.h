// Strength checks after the forces: surface pressure under every clamped part
// and under the nut, endurance limit and stress amplitude, torsional and
// comparative stress, and the minimum engaged thread length against
// stripping after VDI 2230 and after the shear-strength method.
#pragma once

#include "calc/calc_run.h"
#include "framework/types.h"

// Strength reduction factor C3 of the nut thread by the strength ratio Rs.
Extended NutStrippingFactorC3(Extended Rs);
// Permissible surface pressure of part i at the working temperature.
Extended PermissiblePressure(int i);
// Shear strengths and stresses of the engaged thread (shear-strength method);
// false when the run ends.
bool ThreadShear(CalcRun& run);

// Surface pressure of the parts and under the nut; false when the run ends.
bool CalcSurfacePressure(CalcRun& run);
// Endurance limit, stress amplitude and maximum stress; false when the run ends.
bool CalcFatigue(CalcRun& run);
// Torsional and comparative stress in assembly.
void CalcTorsion(CalcRun& run);
// Comparative stress from the current sigmaMax and tau.
void CalcComparativeStress();
// Engaged lengths and thread stripping; false when the run ends.
bool CalcThreadEngagement(CalcRun& run);
