// The values the calculation can use for each number input: one table that
// both the calculation run (for values read from a project file) and the
// input forms (for values typed) check against. Limits are held in the
// stored units (mm, N, Nm, MPa); forms show them in the display unit.
#pragma once

#include <string>

#include "framework/types.h"
#include "framework/units.h"

struct TInputRange {
  const char* name;  // as the run's messages name the value (short: a message keeps 36 characters)
  Extended lo, hi;
  TQuantity quantity = TQuantity::Number;
};

// Whether a stored value lies within the range (NaN never does).
bool InRange(const TInputRange& r, Extended value);

namespace InputRange {
// Lengths and diameters: none is negative, none beyond 100 m.
inline constexpr TInputRange BoltLength{"l", 0, 100000, TQuantity::Length};
inline constexpr TInputRange ThreadLength{"b", 0, 100000, TQuantity::Length};
inline constexpr TInputRange HeadDiameter{"dK", 0, 100000, TQuantity::Length};
inline constexpr TInputRange HeadBearing{"dw", 0, 100000, TQuantity::Length};
inline constexpr TInputRange ThreadDiameter{"d", 0, 100000, TQuantity::Length};
inline constexpr TInputRange SectionLength{"l section", 0, 100000, TQuantity::Length};
inline constexpr TInputRange SectionDiameter{"d section", 0, 100000, TQuantity::Length};
inline constexpr TInputRange PlateDiameter{"De/Di plate", 0, 100000, TQuantity::Length};
inline constexpr TInputRange PlateThickness{"L plate", 0, 100000, TQuantity::Length};
inline constexpr TInputRange NutBearing{"dw nut", 0, 100000, TQuantity::Length};
inline constexpr TInputRange NutHeight{"m nut", 0, 100000, TQuantity::Length};
inline constexpr TInputRange HoleDepth{"tb/tg", 0, 100000, TQuantity::Length};
inline constexpr TInputRange Chamfer{"chamfer", 0, 100000, TQuantity::Length};
inline constexpr TInputRange Embedding{"fZ", 0, 100, TQuantity::Length};
// Distances of the eccentric load have a sign.
inline constexpr TInputRange Eccentricity{"a/s/u/v", -100000, 100000, TQuantity::Length};
inline constexpr TInputRange SealingArea{"AD", 0, 1e12L, TQuantity::Area};
inline constexpr TInputRange Inertia{"IB", 0, 1e24L, TQuantity::Inertia};
// An axial load may be negative: a compressive load.
inline constexpr TInputRange AxialLoad{"FA", -1e9L, 1e9L, TQuantity::Force};
inline constexpr TInputRange TransverseLoad{"FQ", 0, 1e9L, TQuantity::Force};
inline constexpr TInputRange ClampLoad{"FK reqd.", 0, 1e9L, TQuantity::Force};
inline constexpr TInputRange Preload{"F pre", 0, 1e9L, TQuantity::Force};
inline constexpr TInputRange PresetAxialLoad{"FA pre", -1e9L, 1e9L, TQuantity::Force};
inline constexpr TInputRange Torque{"MA", 0, 1e7L, TQuantity::Moment};
inline constexpr TInputRange Strength{"Sig.a.zul", 0, 100000, TQuantity::Stress};
// Plain numbers.
inline constexpr TInputRange Friction{"\xE6", 0, 1};
inline constexpr TInputRange YieldFactor{"nu", 0, 1};
inline constexpr TInputRange TighteningFactor{"alpha A", 1, 10};
// The torque tolerance is typed in percent.
inline constexpr TInputRange TorqueTolerance{"MAtol/MA", 0, 100};
inline constexpr TInputRange SigmaFactor{"Sigma", 0.1L, 8};
inline constexpr TInputRange ReductionFactor{"k tau", 0, 1};
inline constexpr TInputRange LoadIntroduction{"n", 0, 1};
}  // namespace InputRange

// The run's check of the stored inputs against the table: every value
// outside its range adds "Fatal  : out of range: <name> !" and sets
// CalcFatalFlag. A tightening factor below 1 is named as an error (the run
// takes 1), and so are a nut of unknown type or of height 0 (no engaged
// thread). A k tau above 1 and a thread diameter of 0 have messages of
// their own.
void CheckInputRanges();
