// DrawDiagram: one joint diagram into the current CAD drawing, with its
// common start (plot area, frame, window back in metric units), and the six
// load-extension diagrams of the joint (kinds 1 to 5 and 11). The values come
// from the results the last calculation left in the joint records; nothing of
// the joint is computed here. Qt-free.
#pragma once

#include <string>

#include "framework/types.h"

// The joint diagrams; 0 means that the user chooses.
using TDiagramKind = Word;
constexpr TDiagramKind kDiagramChoose = 0;
constexpr TDiagramKind kDiagramAssemblyReq = 1;      // load-extension, assembly, required preloads
constexpr TDiagramKind kDiagramWorkingReq = 2;       // working condition at the required preload
constexpr TDiagramKind kDiagramLoadExtension = 3;    // assembly and working condition
constexpr TDiagramKind kDiagramAssembly = 4;         // assembly, preload scatter
constexpr TDiagramKind kDiagramWorkingMax = 5;       // working condition at the maximum preload
constexpr TDiagramKind kDiagramTorqueAngle = 6;      // M-alpha
constexpr TDiagramKind kDiagramPreloadAngle = 7;     // F-alpha
constexpr TDiagramKind kDiagramPreloadTorque = 8;    // FM-MA
constexpr TDiagramKind kDiagramTorquePreload = 9;    // MA-FM
constexpr TDiagramKind kDiagramPreloadStatistics = 10;
constexpr TDiagramKind kDiagramWorkingMin = 11;      // working condition at the minimum preload

// What PlotFrame is given for a framed diagram, and the factors (display
// units per metric unit) that turn its window back into metric units.
struct TDiagramFrame {
  std::string xText, yText, title;  // stored texts
  Extended xmin = 0, ymin = 0, xmax = 1, ymax = 1;  // metric limits
  Extended xFactor = 1, yFactor = 1;
  Word xTextPlace = 2;
};

// Sheet y of the next line of the text panel beside the load-extension diagrams.
extern Extended PanelPenY;

// Sheet x where the text panels beside the plot area start; they end at the
// sheet's right edge.
constexpr Extended kPanelX = 122;
// A text panel from (x, y) down: its lines are collected and written by
// EndTextPanel, which keeps them above what stands below the panel.
void BeginTextPanel(Extended x, Extended y);
// A line of a text panel at the current point, which moves one line down
// (CadTextLine); its letters narrowed where it would run past the sheet's
// right edge. Outside a panel it is written at once.
void PanelTextLine(const std::string& text);
// Writes the lines collected since BeginTextPanel in their colours and
// styles. Where the last would reach below the sheet or into a text or
// filled area drawn below the panel (an axis text), lines and their spacing
// are made smaller alike, from the first line down, so that all end above it.
void EndTextPanel();

// Draws diagram kind 1..11 inside the drawing pass of a CAD command, after
// PlotInit. Other kinds draw nothing.
void DrawDiagram(TDiagramKind kind);
// The frame of a load-extension kind (1 to 5, 11); false for other kinds.
bool LoadExtensionFrame(TDiagramKind kind, TDiagramFrame& frame);
// The joint triangle of preload level F in the colour, and its panel line.
void PlotForceLevel(int colour, const std::string& name, Extended F);
// Moves the CAD current point one (empty) text line down.
void PanelBlankLine();

void InitLoadExtensionDiagrams();
