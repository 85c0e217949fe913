// The diagram plotter: x-y diagrams in world units (forces, extensions,
// torques, angles, sigma) drawn into a rectangular plot area of the current
// CAD drawing. Every operation maps world values to sheet values (drawing
// units) and hands the result to the CAD output layer, so a diagram goes
// unchanged to every CAD device. The plotter never opens or closes a drawing.
// Qt-free.
#pragma once

#include <string>

#include "framework/types.h"

// The sheet of a diagram (or its cell of the overview sheet), from the
// origin: every text of a diagram ends on it.
constexpr Extended kDiagramSheetWidth = 160, kDiagramSheetHeight = 120;

struct TAxisLimits {
  Extended xmin = 0, ymin = 0, xmax = 1, ymax = 1;
};

// The one plot state of the program.
struct TPlotState {
  Extended PlotWidth = 160, PlotHeight = 120;    // plot area on the sheet
  Extended WinXMin = 0, WinXMax = 160;           // world window
  Extended WinYMin = 100, WinYMax = 120;
  Extended WinXRange = 1, WinYRange = 1;         // kept by SetPlotWindow
  Extended PlotOriginX = 0, PlotOriginY = 0;     // lower-left corner of the plot area
  Extended PenX = 0, PenY = 0;                   // world position of the pen
  Extended XTickStep = 0;                        // x tick step of the last frame
  Word XAxisMode = 0;                            // 0 ordinary, 2 or 3 angle axis
  Word LogMode = 0;                              // 0/1 linear, 2 log y, 3 log x and y, 4 log x
  TAxisLimits UserAxisLimits;                    // last limits entered in the axis-limits dialog
};

extern TPlotState PlotState;

// Every field but UserAxisLimits to its start value.
void ResetPlotVars();
// ResetPlotVars, plot area 160 x 120 at the sheet origin.
void PlotInit();
void SetPlotSize(Extended width, Extended height);
void SetPlotOrigin(Extended x0, Extended y0);
void SetPlotWindow(Extended xmin, Extended ymin, Extended xmax, Extended ymax);
// Divides the x window and XTickStep by fx and the y window by fy.
void ScalePlotWindow(Extended fx, Extended fy);

// World to sheet.
Extended PlotX(Extended x);
Extended PlotY(Extended y);
Extended PlotDX(Extended dx);
Extended PlotDY(Extended dy);

void PlotMoveTo(Extended x, Extended y);
// Clipped line from the pen; the pen moves to (x, y).
void PlotLineTo(Extended x, Extended y);
// A line drawn whole when both ends lie within the window, cut to the
// window when one end lies inside it or both lie within the window widened
// by 1 %, else not at all.
void PlotClipLine(Extended x1, Extended y1, Extended x2, Extended y2);
void PlotLine(Extended x1, Extended y1, Extended x2, Extended y2);
void PlotText(const std::string& text, Extended x, Extended y);
// Text style scaled to the plot area: s = max(PlotWidth * 0.00625, PlotHeight * 0.01).
void PlotTextSize(int font, Extended angle, Extended height, Extended width);
// Filled arrowhead of length L (sheet units), tip at sheet (x, y): kind 0/1
// right, 2 up, 3 left, 4 down; other kinds draw nothing.
void DrawArrowHead(Word kind, Extended x, Extended y, Extended length);
// DrawArrowHead at a world point, length in world x units.
void PlotMarker(Word kind, Extended x, Extended y, Extended length);
// A point of a curve with its value text and drop lines to both axes.
void PlotValueMark(const std::string& text, Extended x, Extended y);
// A clipped line with its text along it, at its middle.
void PlotLineLabel(const std::string& text, Extended x1, Extended y1, Extended x2, Extended y2);
// Sine curve y = y0 + a sin t from phase (degrees) over turns full turns,
// advancing b (world x) per turn; a is a world y length.
void PlotSineCurve(Extended x, Extended y, Extended a, Extended b, Extended phase, Extended turns);

// Hatched areas in world values, through the polygon hatching: the points
// go on the sheet through PlotX and PlotY, the spacing through PlotDX.
void PlotHatchBegin();
void PlotHatchPoint(Extended x, Extended y, Extended arc);
void PlotHatchFill(int n, Extended spacing, Extended angle);

// Start state: UserAxisLimits (0, 0, 1, 1), then ResetPlotVars.
void InitDiagramPlotter();
