// Assembly side of the calculation: permissible assembly preload, tightening
// torque and its scatter, tightening factor, loosening torque, torque
// components and tightening angles, change of preload by temperature, and the
// forces in service. Forces in N, torques in N·m, angles in degrees.
#pragma once

#include "calc/calc_run.h"
#include "framework/types.h"

// Permissible assembly preload at utilisation nu and thread friction muG.
Extended PreloadFromUtilisation(Extended nu, Extended muG);
// The same when a prevailing torque MApre is given.
Extended PreloadWithPrevailingTorque(Extended nu, Extended muG);
// Tightening torque for the preload F; preFriction is the friction torque of
// the extra axial force FApre.
Extended TighteningTorque(const CalcRun& run, Extended F, Extended muG, Extended muK,
                          Extended preFriction);

// Preload at full yield utilisation and its torque, up to the check of nu;
// false when the run ends.
bool CalcPreloadAtYield(CalcRun& run);
// Preload, torques and the tightening factor at the utilisation nu; false
// when the run ends (a prevailing torque that leaves no preload).
bool CalcTightening(CalcRun& run);
// Strength values and preload at the working temperature.
void CalcTemperature(CalcRun& run);
// Required preload, additional bolt loads and residual clamp loads.
void CalcServiceForces(CalcRun& run);
// Bolt forces and residual clamp loads from the preload (alphaA checked).
void CalcResidualForces(CalcRun& run);
// Tightening angles and torque components.
void CalcAnglesAndTorques(CalcRun& run);
// Relative scatter of the preload and total friction coefficient.
void CalcScatterAndFriction(CalcRun& run);
