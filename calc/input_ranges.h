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
  // The smallest magnitude other than 0: far below it no joint has the value,
  // and the run would divide by it into numbers beyond any report.
  Extended tiny = 0;
};

// Whether a stored value lies within the range (NaN never does).
bool InRange(const TInputRange& r, Extended value);

namespace InputRange {
// Smallest magnitudes: a micrometre, a millinewton, a micro-newton-metre.
inline constexpr Extended kTinyLength = 1e-3L;
inline constexpr Extended kTinyForce = 1e-3L;
inline constexpr Extended kTinyMoment = 1e-6L;
// Lengths and diameters: none is negative, none beyond 100 m. A bolt has a length.
inline constexpr TInputRange BoltLength{"l", 1, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange ThreadLength{"b", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange HeadDiameter{"dK", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange HeadBearing{"dw", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange ThreadDiameter{"d", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange SectionLength{"l section", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange SectionDiameter{"d section", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange PlateDiameter{"De/Di plate", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange PlateThickness{"L plate", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange NutBearing{"dw nut", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange NutHeight{"m nut", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange HoleDepth{"tb/tg", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange Chamfer{"chamfer", 0, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange Embedding{"fZ", 0, 100, TQuantity::Length, 1e-6L};
// Distances of the eccentric load have a sign.
inline constexpr TInputRange Eccentricity{"a/s/u/v", -100000, 100000, TQuantity::Length, kTinyLength};
inline constexpr TInputRange SealingArea{"AD", 0, 1e12L, TQuantity::Area, 1e-6L};
inline constexpr TInputRange Inertia{"IB", 0, 1e24L, TQuantity::Inertia, 1e-6L};
// An axial load may be negative: a compressive load.
inline constexpr TInputRange AxialLoad{"FA", -1e9L, 1e9L, TQuantity::Force, kTinyForce};
inline constexpr TInputRange TransverseLoad{"FQ", 0, 1e9L, TQuantity::Force, kTinyForce};
// A bolt is sized for the load that pulls it: a compressive one sizes none.
inline constexpr TInputRange DesignAxialLoad{"FA", 0, 1e9L, TQuantity::Force, kTinyForce};
inline constexpr TInputRange ClampLoad{"FK reqd.", 0, 1e9L, TQuantity::Force, kTinyForce};
inline constexpr TInputRange Preload{"F pre", 0, 1e9L, TQuantity::Force, kTinyForce};
inline constexpr TInputRange PresetAxialLoad{"FA pre", -1e9L, 1e9L, TQuantity::Force, kTinyForce};
inline constexpr TInputRange Torque{"MA", 0, 1e7L, TQuantity::Moment, kTinyMoment};
inline constexpr TInputRange MinTorque{"MA min", 0, 1e7L, TQuantity::Moment, kTinyMoment};
inline constexpr TInputRange PresetTorque{"MA pre", 0, 1e7L, TQuantity::Moment, kTinyMoment};
inline constexpr TInputRange AssemblyPreload{"FM", 0, 1e9L, TQuantity::Force, kTinyForce};
inline constexpr TInputRange MinPreload{"FM min", 0, 1e9L, TQuantity::Force, kTinyForce};
inline constexpr TInputRange Strength{"Sig.a.zul", 0, 100000, TQuantity::Stress, 1e-3L};
// Plain numbers.
inline constexpr TInputRange Friction{"\xE6", 0, 1};
inline constexpr TInputRange YieldFactor{"nu", 0, 1};
inline constexpr TInputRange TighteningFactor{"alpha A", 1, 10};
// The torque tolerance is typed in percent.
inline constexpr TInputRange TorqueTolerance{"MAtol/MA", 0, 100};
inline constexpr TInputRange SigmaFactor{"Sigma", 0.1L, 8};
inline constexpr TInputRange ReductionFactor{"k tau", 0, 1};
inline constexpr TInputRange LoadIntroduction{"n", 0, 1};
// The thread: a pitch of some micrometres to 100 mm, a nut's diameter as the bolt's.
inline constexpr TInputRange Pitch{"P", 0.01L, 100, TQuantity::Length, kTinyLength};
inline constexpr TInputRange NutDiameter{"d nut", 0, 100000, TQuantity::Length, kTinyLength};
// Material values. Moduli from the softest plastics to diamond (1.2e6 N/mm2),
// strengths and permissible pressures to 10000 N/mm2, shear strength as a
// ratio of the tensile strength (cast iron reaches 1.1 and more), thermal
// expansion from the negative one of some composites to that of plastics,
// temperatures from absolute zero.
inline constexpr TInputRange BoltModulus{"E bolt", 1, 1.2e6L, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange PlateModulus{"E plate", 1, 1.2e6L, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange NutModulus{"EM", 1, 1.2e6L, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange BoltYield{"Rp0.2 bolt", 1, 10000, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange BoltTensile{"Rm bolt", 1, 10000, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange NutYield{"Re,M", 1, 10000, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange NutTensile{"Rm,M", 1, 10000, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange PlateYield{"Re plate", 1, 10000, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange PlatePressure{"pG plate", 1, 10000, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange NutPressure{"pG nut", 1, 10000, TQuantity::Stress, 1e-3L};
inline constexpr TInputRange BoltShear{"beta b,B", 0.1L, 2};
inline constexpr TInputRange BoltShearVdi{"beta B VDI", 0.1L, 2};
inline constexpr TInputRange NutShear{"beta M", 0.1L, 2};
inline constexpr TInputRange NutShearVdi{"beta M VDI", 0.1L, 2};
inline constexpr TInputRange ThermalExpansion{"alpha T", -1e-4L, 1e-3L};
inline constexpr TInputRange Temperature{"T", -273.15L, 3000};
}  // namespace InputRange

// The run's check of the stored inputs against the table: every value the
// run reads as an input (not a result a former run left, such as nu worked
// out from a given torque or preload) outside its range adds
// "Fatal  : out of range: <name> !" and sets CalcFatalFlag. A material value
// of 0 is left to the run's own message for it (or means "not given"). A tightening factor below 1 is named as an error (the run
// takes 1), and so are a nut of unknown type or of height 0 (no engaged
// thread). A k tau above 1 and a thread diameter of 0 have messages of
// their own.
void CheckInputRanges();
