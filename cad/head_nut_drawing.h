// Bolt heads and nuts drawn to scale by kind, in the views of the joint
// drawing: the part type codes, the dispatcher, and the constructions the
// family shares (hex chamfer arcs, thread end views, thread-length clipping).
//
// (x, y) is the part's reference point: in the long views (1 front, 2 side,
// 5 screen = front) the bearing face on the bolt axis x, y growing upwards;
// in the end views (3 top, 4 bottom) the centre of the view. Heads rise from
// y; the hex nut and the special nut hang down from y. Geometry comes from
// the current rows of the standard-part tables. Qt-free.
#pragma once

#include "framework/types.h"

// The kind of head or nut to draw; for heads the bolt's head-type code.
using TPartTypeCode = Word;
constexpr TPartTypeCode kPartHexNut = 0;           // hex or heavy hex nut
constexpr TPartTypeCode kPartSocketHead = 1;
constexpr TPartTypeCode kPartHexHead = 2;
constexpr TPartTypeCode kPartCountersunk = 3;
constexpr TPartTypeCode kPartRaisedCountersunk = 4;
constexpr TPartTypeCode kPartSocketCountersunk = 5;
constexpr TPartTypeCode kPartCheeseHead = 6;
constexpr TPartTypeCode kPartSpecialHead = 7;
constexpr TPartTypeCode kPartFlangeHead = 8;
constexpr TPartTypeCode kPartFlangeNut = 9;

// Draws the head or nut of the code into the current pass; side is not
// used; nutJoint (the bolt goes through a nut) is handed to the bolt end.
// Codes above 9 and views outside 1..5 draw nothing.
void DrawHeadOrNut(TPartTypeCode code, Word view, Word side, Extended x, Extended y, bool nutJoint);

// Shared constructions of the family ----------------------------------------

// Width across corners of a hex of width across flats s.
Extended HexAcrossCorners(Extended s);

// A row's thread length longer than the first shank section is cut to that
// section less the run-out and the under-head length r (in the row record).
void ClipThreadLength(Extended& b, Extended r, Extended runOut);

// The chamfer (30 degrees unless said) of a hex end face at height H above y0, seen across
// corners (front view): chamfer line and the three face arcs. Mirrored, the
// same chamfer at the other end of a part whose faces end at y0 and y0 + H.
void DrawHexChamferFront(Extended x, Extended y0, Extended s, Extended H, bool mirrored = false,
                         Extended angle = 30);
// The two face arcs of radius e/2 of that end face seen across flats (side view).
void DrawHexChamferSide(Extended x, Extended y0, Extended s, Extended H, bool mirrored = false);

// The bolt's thread seen from below: circle d (colour 5), root arc d - P (colour 3).
void DrawBoltThreadEnd(Extended x, Extended y, Extended d, Extended P);
// A nut's thread seen from its end: core circle d - P (colour 5), arc d (colour 3).
void DrawNutThreadEnd(Extended x, Extended y, Extended d, Extended P);
// Centre lines of half length h through (x, y) in colour 1 (colour stays 1).
void DrawCentreLines(Extended x, Extended y, Extended h);
// Arc through three points: the arc from the first to the third point that
// passes the second, whichever way round that is.
void DrawArcThrough(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3);
