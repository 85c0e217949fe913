// Cross-hatching of closed polygons with parallel lines, drawn as ordinary
// CAD lines so that every output device receives plain line entities.
//
// One global polygon of at most 50 vertices is collected (from points,
// rectangles, or polylines with arc segments) and then hatched by scan lines
// with at most 10 crossings per line. No allocation while hatching. Qt-free.
#pragma once

#include <array>

#include "framework/types.h"

constexpr int kHatchMaxVertices = 50;   // vertices a polygon may hold
constexpr int kHatchMaxCrossings = 10;  // crossings one hatch line may have

struct THatchVertex {
  Extended x = 0, y = 0;
};

// Vertices 1..50 of the polygon, plus entry 51 for the vertex that closes a
// polygon of 50 open vertices (entry 0 unused).
extern std::array<THatchVertex, kHatchMaxVertices + 2> HatchVertices;
// Points added since HatchBegin; it goes on counting past 50 (those points
// are not stored), so that hatching such a polygon is refused.
extern Word HatchCount;
// Included angle (radians) given with the previous polyline point; applies to
// the segment from that point to the next.
extern Extended HatchCurrentArc;

// Starts a new polygon.
void HatchBegin();
// Appends a vertex; beyond 50 adds "Schraffurfehler" to the message list
// and stores nothing.
void HatchAddPoint(Extended x, Extended y);
// 1 outline and hatch lines in their own colours (5 and 3), 2 hatch lines
// only, other values everything in the current colour.
void SetHatchMode(Word mode);
// Hatches vertices 1..n (n = 0: the current count).
void HatchPolygon(int n, Extended spacing, Extended angle);
// Hatches the rectangle (x1, y1)-(x2, y2) through vertices 1..4, leaving the
// count alone; spacing 0 takes a fifth of the longer side, rounded.
void HatchRectangle(Extended x1, Extended y1, Extended x2, Extended y2, Extended spacing,
                    Extended angle);

// A polyline that is drawn and hatched at once: its points are CAD polyline
// vertices, arc segments (included angle in radians, given with the point
// they start at) are split into 15-degree steps for the hatch polygon.
void HatchPolyBegin();
void HatchPolyPoint(Extended x, Extended y, Extended arc);
void HatchPolyEnd(int n, Extended spacing, Extended angle);

// While a clip box is set (sheet values, x1 < x2, y1 < y2), hatch lines are
// cut to it: a diagram's hatches end at its plot area as its curves do.
void SetHatchClipBox(Extended x1, Extended y1, Extended x2, Extended y2);
void ClearHatchClipBox();

// Sorts values[1..n] ascending (as 6-byte reals are held) and moves the
// index entries with them; index[i] starts as i for all ten entries. n above
// 10 adds "Fatal  : QSORT2 error", sets AbortFlag and sorts nothing.
void QSort2(std::array<Extended, kHatchMaxCrossings + 1>& values,
            std::array<int, kHatchMaxCrossings + 1>& index, int n);

// Hatches vertices 1..n of the store at angle (degrees), spacing measured
// across the hatch lines (0: a tenth of the polygon's extent). More than 10
// crossings on one line add "Fatal  : schraff schnittp" and set AbortFlag.
void Schraff(int n, Extended spacing, Extended angle);

void InitHatching();
