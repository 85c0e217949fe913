// The calculated bolted joint drawn to scale on any CAD output device: the
// bolt with its head, the clamped plates as hatched sections and the nut or
// the tapped part, in one of the joint views; and the drawings of the single
// parts and of a flange's bolt circle.
//
// Drawing coordinates are millimetres of the joint: x across the bolt, y
// along it; the bolt axis at x = 0, the head's bearing face at y = 0, the
// plates from 0 down to -lK, the nut or tapped part below them. Qt-free.
#pragma once

#include "cad/cad_output.h"
#include "framework/types.h"

// The views of the joint drawing.
using TJointView = Word;
constexpr TJointView kViewFront = 1;   // longitudinal section
constexpr TJointView kViewSide = 2;    // longitudinal section, turned 90 degrees
constexpr TJointView kViewTop = 3;     // end view from the head side
constexpr TJointView kViewBottom = 4;  // end view from the nut side
constexpr TJointView kViewScreen = 5;  // the front section plus the plates' deformation diameters

// Draws the whole joint with the head's bearing face at (x, y) into the
// current pass (also used inside the drawing sheet's block). A hex flange
// nut is inserted as the block "NUT", which the caller defines.
void DrawJointAssembly(TJointView view, Extended x, Extended y);

// The drawing commands: each opens the device, draws and closes it. Without
// bolt or plates they show a trace message; after a fatal calculation they
// show the calculation messages instead.
void DrawBoltedJoint(TJointView view, TCadDevice device);
void DrawBoltPart(TJointView view, TCadDevice device);
// The nut, or the tapped part of a tapped joint.
void DrawNutPart(TJointView view, TCadDevice device);
void DrawClampingPieces(TJointView view, TCadDevice device);
// The top view of a flange with the heads on its bolt circle.
void DrawFlangeBoltCircle(TCadDevice device);
