// The preload statistics diagram (kind 10): the normal distribution of the
// assembly preload in units of sigma, the band of the preload tolerance with
// the per cent of assemblies outside it, and three scales under the curve
// (preload values, cumulative per cent, sigma). Qt-free.
#pragma once

#include <string>

#include "framework/types.h"

// Per cent of a normal distribution outside +-a sigma (a >= 0); 200 * Phi(-a)
// in general, so 0.5 * GaussTailPercent(-x) is the per cent below x. A
// trapezoid integral from -8 sigma in steps of 0.001.
Extended GaussTailPercent(Extended a);
// e^(-x^2/2): 1 at the centre.
Extended GaussDensity(Extended x);
// The diagram of a quantity `name` of mean A whose half scatter B spans C
// sigma, with the tolerance band A + E .. A + D. Nothing when B is 0.
void DrawGaussDiagram(const std::string& name, Extended A, Extended B, Extended C, Extended D,
                      Extended E);
// Kind 10 for the assembly preload, then the tightening text panel.
void DrawPreloadStatistics();
