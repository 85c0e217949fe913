// Head drawers of the hex socket head (part type 1), slotted countersunk
// head (3), slotted raised countersunk head (4), hex socket countersunk head
// (5), slotted cheese head (6) and special head (7), and the routines that
// draw a hex socket. Every head stands on its bearing face at y and rises
// to y + k. Qt-free.
#pragma once

#include "framework/types.h"

void DrawSocketHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut);
void DrawCountersunkHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut);
void DrawRaisedCountersunkHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut);
void DrawSocketCountersunkHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut);
void DrawCheeseHead(Word view, bool nutJoint, Extended x, Extended y);
void DrawSpecialHead(Word view, bool nutJoint, Extended x, Extended y, Extended runOut);

// The hex socket head's side outline as one polyline, top corners rounded by rK.
void DrawSocketPolygon(Extended x, Extended y, Extended dK, Extended k, Extended rK);
// A hex socket of width across flats s and depth t below the top face yT,
// seen across corners (A) and across flats (B).
void DrawSocketSideA(Extended x, Extended yT, Extended s, Extended t);
void DrawSocketSideB(Extended x, Extended yT, Extended s, Extended t);
// The socket seen from above: hexagon and its circumcircle.
void DrawSocketCircumcircle(Extended x, Extended y, Extended s);
