// The reusable pieces of the joint drawing: freehand break lines, a
// rectangle bounded by break lines, centre lines and crosses, the end view
// of a hex part, the hatched section of a clamped plate and of the tapped
// part of a blind-hole joint, and the end view of the joint from the nut
// side. All drawn through the CAD output layer; sections are hatched.
//
// Colours: 1 centre lines, 3 thin lines (break, thread and hatch lines),
// 5 visible edges. Routines that say so restore the colour they found.
// Qt-free.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "framework/types.h"

struct TDrawPoint {
  Extended x, y;
};

// A path of lines: a move to the first point, lines to the others.
void DrawPath(std::initializer_list<TDrawPoint> points);

// Sets a colour for its lifetime and restores the colour it found.
class TColourScope {
 public:
  explicit TColourScope(int colour);
  ~TColourScope();
  TColourScope(const TColourScope&) = delete;
  TColourScope& operator=(const TColourScope&) = delete;

 private:
  int saved_;
};

// Break line from (x1, y1) to (x2, y2) in the current colour: seven points,
// the five inner ones displaced across the line by less than 2 amplitude.
// With addToHatch every point is also added to the hatch polygon.
void FreehandLine(bool addToHatch, Extended x1, Extended y1, Extended x2, Extended y2,
                  Extended amplitude);
// Uniform values in [0, 1) of the break lines' generator, and its seed
// (start-up seeds it with a fixed value, so that a run can be repeated).
Extended FreehandRandom();
void SeedFreehandLine(std::uint32_t seed);

// Rectangle with break-line sides, colour 3; restores the colour.
void DrawBreakOutRect(Extended x1, Extended y1, Extended x2, Extended y2);
// Line in colour 1; restores the colour.
void DrawCentreLine(Extended x1, Extended y1, Extended x2, Extended y2);
// Horizontal and vertical line of half length r through (x, y), colour 1; restores the colour.
void DrawCentreCross(Extended x, Extended y, Extended r);
// Hexagon of width across flats s and its chamfer circle of diameter s,
// colour 5; restores the colour.
void DrawHexEndView(Extended x, Extended y, Extended s);

// One clamped plate in section from ytop down to ytop - L between the bore
// Di and the outside De, both sides of the axis x, hatched at angle. A plate
// of at least 6 d is cut short at 3 Di by a break line. Mode 1 also draws
// the lines across the bore.
void DrawPlateSection(Word mode, Extended x, Extended ytop, Extended Di, Extended L, Extended De,
                      Extended angle);
// The tapped part of a blind-hole joint below ytop, W wide: bore of drill
// diameter d - P to depth tb with its drill point, internal thread to depth
// tg, entry countersink, bolt engaged to depth e; hatched at angle. Mode 1
// ends the part at ytop - depth, other modes follow the drill point.
void DrawSteppedSection(Word mode, Extended x, Extended ytop, Extended d, Extended depth, Extended P,
                        Extended tg, Extended e, Extended tb, Extended W, Extended angle);
// The joint seen from the nut side: bolt thread and the nut's outline.
void DrawJointEndView(Extended x, Extended y);

void InitDrawingElements();
