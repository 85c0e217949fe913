// The bolt body below the head, drawn by the head drawers after the head:
// the shank as the bolt's sections (each with outer and optional bore
// diameter), the fillet under the head, the thread run-out, the threaded end
// with its chamfer (broken where a nut covers it) and the bolt's end view;
// and two head profiles with conical flanks and blending arcs.
//
// (x, y) is the centre of the head's bearing face; the shank runs down from
// y; the thread occupies the lowest b of the bolt. Colours: 5 visible edges,
// 3 thread lines, 2 hidden lines, 1 centre lines. Qt-free.
#pragma once

#include "framework/types.h"

// Views 1, 2 and 5: shank, fillets of radius r under the head and the
// thread run-out of length u; view 4: the end view of the thread.
void DrawShankSections(Word view, Extended x, Extended y, Extended P, Extended d, Extended r,
                       Extended u);
// The same for the hex socket countersunk head, whose head height k is part
// of the bolt length; no fillets.
void DrawShankSectionsCsk(Word view, Extended x, Extended y, Extended P, Extended d, Extended r,
                          Extended u, Extended k);
// The threaded end below yt (the upper end of the thread): edges, chamfer,
// thread root, with a gap where the nut of a joint with nut covers it.
void DrawBoltEnd(Word view, bool nutJoint, Extended x, Extended yt, Extended P, Extended b,
                 Extended d);
// Head profile with conical flanks and blending arcs of radius r.
void DrawChamferOutline(Word view, Extended x, Extended y, Extended D1, Extended D2, Extended D3,
                        Extended h, Extended r);
// Head profile with a cone, fillets of radius g and thread lines; drawn
// only when b > 2 g.
void DrawHeadChamfer(Word view, Extended x, Extended y, Extended a, Extended b, Extended c,
                     Extended e, Extended f, Extended g);

// The bolt's section count limited to the arrays (1..10; 0 without sections).
int BoltSectionCount();
// True for the views drawn as a longitudinal section (1 front, 2 side, 5 screen).
bool IsLongView(Word view);
// How far the bolt reaches below the head's bearing face: l, less the head
// height k for the countersunk heads (codes 3, 4, 5), whose l includes it.
Extended BoltLengthBelowHead();
