// The frame of a diagram: title, axis ranges scaled to whole steps (or taken
// from the axis limits the user enters), the plotter's world window, the two
// axes through zero with arrowheads, ticks, labels, axis texts and a grid.
// Qt-free; the axis-limits dialog is reached through AskDiagramLimits.
#pragma once

#include <string>

#include "framework/types.h"

// Lays out and draws the frame of one diagram. Texts are stored (code page
// 437) texts; limits are data limits in world units. xTextPlace: 0 or 1 the
// x-axis text beside the end of the x axis, 2 above its end, larger none.
// Before a file, plot program or listing output it may offer the axis-limits
// dialog (EnterDiagramLimits); Cancel there keeps the automatic ranges.
void PlotFrame(const std::string& xText, const std::string& yText, const std::string& title,
               Extended xmin, Extended ymin, Extended xmax, Extended ymax, Word xTextPlace);

// Number of steps from start to end (ticks start, start + step, ..., end);
// -1 for a step or range that cannot be counted (zero or negative step,
// values that are not finite, more than 1000 steps).
int AxisTickCount(Extended start, Extended end, Extended step);

// The axis-limits dialog (implemented with its form, cad/forms). Labels and
// caption are stored texts; x0..y1 are the automatic limits that "Calculate"
// offers. OK stores the entered limits in PlotState.UserAxisLimits and
// returns true; Cancel sets AbortFlag and returns false.
bool AskDiagramLimits(const std::string& xText, const std::string& yText,
                      const std::string& title, Extended x0, Extended y0, Extended x1,
                      Extended y1);
