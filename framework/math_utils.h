// Guarded math, angles, points, rounding, tolerant comparisons, diagram axis
// scaling and the metric/imperial factors. All on 80-bit extended values;
// angles in radians unless a routine says degrees.
//
// The guarded routines never stop a calculation on a domain error: they add
// a message to CalcMessages and return a fixed substitute value.
#pragma once

#include <cstdint>
#include <string_view>

#include "framework/types.h"

constexpr Extended kPi = 3.141592653589793238462643383279502884L;
constexpr Extended kFloatTolerance = 1e-5L;  // tolerance of FloatEqual

// Guarded functions
Extended SafeTan(Extended x);      // cos x = 0: message, 1e30
Extended SafeArcSin(Extended x);   // |x| > 1: message, pi/2
// x to the power y. x < 0: Name + " (pow)" (when Name is not empty) and
// |x|^y; x = 0 gives 0; results beyond e^3000 saturate to 1e3000, below e^-3000 to 0.
Extended SafePower(std::string_view name, Extended x, Extended y);
Extended Log10(Extended x);        // x <= 0: -1e30, no message

// Plain routines
Extended IntPower(int n, Extended x);
Extended Power10(Extended x);
Extended RoundDown(Extended x);    // floor as a float
int DecimalExponent(Extended x);   // 0 for x = 0, else floor(log10 |x|)
Extended RadToDeg(Extended x);
Extended DegToRad(Extended x);
Extended Hypot(Extended a, Extended b);
// Angle of the point (x, y) in -pi/2 .. 3pi/2 (exclusive).
Extended ArcTan2(Extended x, Extended y);
Extended VectorAngle(Extended y, Extended x);  // ArcTan2(x, y)
void PolarToXY(Extended& x, Extended& y, Extended r, Extended a);
void RotateRad(Extended& x1, Extended& y1, Extended x, Extended y, Extended a);
void RotatePoint(Extended& x1, Extended& y1, Extended x0, Extended y0, Extended deg, Extended x,
                 Extended y);
void ScaleRotatePoint(Extended& x1, Extended& y1, Extended sx, Extended sy, Extended x0,
                      Extended y0, Extended deg, Extended x, Extended y);
// Counter-clockwise angle in degrees from direction a to direction b (degrees), 0 .. <360.
Extended ArcSweepAngle(Extended a, Extended b);
bool FloatEqual(Extended a, Extended b);
Extended FloatMax(Extended a, Extended b);
Extended FloatMin(Extended a, Extended b);
int IntMax(int a, int b);
int IntMin(int a, int b);
int IntClamp(int lo, int hi, int v);
Extended Average2(Extended a, Extended b);
Extended RelativeDifference(Extended a, Extended b);  // (b - a) / (a + b)
// x rounded to the 6-byte real format (39-bit fraction, 8-bit exponent), so
// that it compares equal to a value read back from storage in that format.
Extended RoundToReal48(Extended x);
bool GetBit(std::uint32_t w, int n);             // bits counted from 1 (lowest)
void SetBit(std::uint32_t& w, int n, int on);    // on = 1 sets, else clears
// Position of v on a logarithmic axis starting at v0, scale units per
// decade: the integer part of the position + 0.5; -9999 when v <= 0.
int LogScalePixel(Extended v, Extended v0, Extended scale);
// Rounded axis limits and step for a diagram from a to b with about n divisions.
void ScaleAxisRange(Extended& lo, Extended& hi, Extended& step, Extended a, Extended b, int n);

// Metric/imperial factors
constexpr Extended kMmPerInch = 25.4L;
constexpr Extended kMm2PerIn2 = 645.16L;
constexpr Extended kMm4PerIn4 = 416231.4256L;
constexpr Extended kNewtonPerLbf = 4.44822L;
constexpr Extended kNmPerLbfIn = 0.112984788L;
constexpr Extended kPsiPerMPa = 145.037L;

Extended InchToMm(Extended x);
Extended MmToInch(Extended x);
Extended PsiToMPa(Extended x);
Extended MPaToPsi(Extended x);
Extended LbfInToNm(Extended x);
Extended NmToLbfIn(Extended x);
Extended NewtonToLbf(Extended x);
Extended LbfToNewton(Extended x);
Extended CelsiusToFahrenheit(Extended x);
Extended In2ToMm2(Extended x);
Extended Mm2ToIn2(Extended x);
Extended In4ToMm4(Extended x);
Extended Mm4ToIn4(Extended x);
