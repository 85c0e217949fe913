// Bolt geometry: length and thread length from the sections, section areas
// and resiliences, thread tolerances after ISO 965-1, and the elastic and
// bending resilience of the whole bolt.
#pragma once

#include "calc/calc_run.h"
#include "calc/joint_records.h"
#include "framework/types.h"

// Head height k of the current head row chosen by HeadType (0: the hex nut row).
Extended HeadDimension();
// Second moment of area of a ring, π/64·(D⁴ − d⁴); 0 when D ≤ d.
Extended CircleAreaMoment(Extended D, Extended d);
// Tolerance of the major diameter, grade 6.
Extended ThreadTolTd(Extended P);
// Tolerance of the pitch diameter, grade 6.
Extended ThreadTolTd2(Extended d, Extended P);

// The bolt length l and thread length b that the calculation takes from the
// first n sections and the head.
struct BoltLengths {
  Extended l, b;
};
BoltLengths LengthsFromSections(int n);
// Whether a thread of length b fits in the last of n sections (n ≥ 1).
bool ThreadFitsLastSection(int n, Extended b);
// Lengths of sections 1..n beside the thread of length b, which is counted
// apart at the end of the last section. A thread longer than the last section
// takes its excess off the sections before it, the nearest first, so that no
// section counts a negative length.
SectionValues ShankLengths(int n, Extended b);

// Length, thread length and sections; false when the run ends.
bool CalcBoltSections(CalcRun& run);
// Thread tolerances, the diameters used and the cross-sections.
void CalcThreadDiameters(CalcRun& run);
// Elastic and bending resilience of the bolt (after the guards on its diameters).
void CalcBoltResilience(CalcRun& run);
