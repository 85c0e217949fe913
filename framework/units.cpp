#include "framework/units.h"

#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"

namespace {

bool Imperial() { return UnitSystem == 1; }
bool PlainSigns() { return CharSetMode == 1; }

constexpr char kDegreeSign = '\xF8';   // code page 437
constexpr char kSuperscript2 = '\xFD';

}  // namespace

Extended LengthToDisplay(Extended mm) { return Imperial() ? MmToInch(mm) : mm; }
Extended AreaToDisplay(Extended mm2) { return Imperial() ? Mm2ToIn2(mm2) : mm2; }
Extended InertiaToDisplay(Extended mm4) { return Imperial() ? Mm4ToIn4(mm4) : mm4; }
Extended ForceToDisplay(Extended n) { return Imperial() ? NewtonToLbf(n) : n; }
Extended StressToDisplay(Extended mpa) { return Imperial() ? MPaToPsi(mpa) : mpa; }
Extended MomentToDisplay(Extended nm) { return Imperial() ? NmToLbfIn(nm) : nm; }
Extended TemperatureToDisplay(Extended c) { return Imperial() ? CelsiusToFahrenheit(c) : c; }

std::string LengthToText(Extended mm) {
  return Imperial() ? FloatToTextFix(4, MmToInch(mm)) : FloatToText(mm);
}

std::string LengthToTextDigits(int d, Extended mm) {
  return Imperial() ? FloatToTextFix(d + 1, MmToInch(mm)) : FloatToTextFix(d, mm);
}

std::string LengthToTextFmt(int w, int d, Extended mm) {
  return Imperial() ? FormatFloatText(IntMax(w - 1, 1), d + 1, MmToInch(mm))
                    : FormatFloatText(w, d, mm);
}

std::string ForceToTextFmt(int w, int d, Extended n) {
  return Imperial() ? FormatFloatText(IntMax(w - 1, 1), d + 1, NewtonToLbf(n))
                    : FormatFloatText(w, d, n);
}

std::string StressToTextFmt(int w, int d, Extended mpa) {
  return Imperial() ? FormatFloatText(w + 2, IntMax(d - 2, 0), MPaToPsi(mpa))
                    : FormatFloatText(w, d, mpa);
}

std::string AreaToTextFmt(int w, int d, Extended mm2) {
  return Imperial() ? FormatFloatText(IntMax(w - 3, 1), d + 3, Mm2ToIn2(mm2))
                    : FormatFloatText(w, d, mm2);
}

std::string InertiaToTextFmt(int w, int d, Extended mm4) {
  return Imperial() ? FormatFloatText(IntMax(w - 5, 1), d + 5, Mm4ToIn4(mm4))
                    : FormatFloatText(w, d, mm4);
}

std::string TemperatureToTextFmt(int w, int d, Extended c) {
  return FormatFloatText(w, d, TemperatureToDisplay(c));
}

std::string TemperatureToTextFix(int d, Extended c) {
  return FloatToTextFix(d, TemperatureToDisplay(c));
}

std::string StressToText(Extended mpa) { return FloatToText(StressToDisplay(mpa)); }
std::string MomentToText(Extended nm) { return FloatToText(MomentToDisplay(nm)); }
std::string ForceToText(Extended n) { return FloatToText(ForceToDisplay(n)); }
std::string TemperatureToText(Extended c) { return FloatToText(TemperatureToDisplay(c)); }
std::string AreaToText(Extended mm2) { return FloatToText(AreaToDisplay(mm2)); }
std::string InertiaToText(Extended mm4) { return FloatToText(InertiaToDisplay(mm4)); }

namespace {

// Typed input in the display unit, converted back to metric.
Extended TypedToMetric(std::string_view text, Extended (*fromImperial)(Extended)) {
  const Extended v = TextToFloat(text);
  return Imperial() ? fromImperial(v) : v;
}

}  // namespace

Extended TextToLength(std::string_view t) { return TypedToMetric(t, InchToMm); }
Extended TextToArea(std::string_view t) { return TypedToMetric(t, In2ToMm2); }
Extended TextToInertia(std::string_view t) { return TypedToMetric(t, In4ToMm4); }
Extended TextToForce(std::string_view t) { return TypedToMetric(t, LbfToNewton); }
Extended TextToStress(std::string_view t) { return TypedToMetric(t, PsiToMPa); }
Extended TextToMoment(std::string_view t) { return TypedToMetric(t, LbfInToNm); }

std::string LengthUnitText() { return Imperial() ? "in" : "mm"; }
std::string ForceUnitText() { return Imperial() ? "lbf" : "N"; }
std::string MomentUnitText() { return Imperial() ? "lbfin" : "Nm"; }
std::string StressUnitText() { return Imperial() ? "psi" : "MPa"; }
std::string InertiaUnitText() { return Imperial() ? "in4" : "mm4"; }

std::string AreaUnitText() {
  const std::string base = Imperial() ? "in" : "mm";
  return PlainSigns() ? base + "2" : base + kSuperscript2;
}

std::string TemperatureUnitText() {
  const char letter = Imperial() ? 'F' : 'C';
  return PlainSigns() ? std::string(" ") + letter : std::string(1, kDegreeSign) + letter;
}

std::string DegreeUnitText() { return PlainSigns() ? "deg" : std::string(1, kDegreeSign); }

void ToggleUnitSystem() { UnitSystem = Imperial() ? 0 : 1; }

Extended QuantityToDisplay(TQuantity q, Extended value) {
  switch (q) {
    case TQuantity::Length: return LengthToDisplay(value);
    case TQuantity::Force: return ForceToDisplay(value);
    case TQuantity::Moment: return MomentToDisplay(value);
    case TQuantity::Stress: return StressToDisplay(value);
    case TQuantity::Area: return AreaToDisplay(value);
    case TQuantity::Inertia: return InertiaToDisplay(value);
    case TQuantity::Number: break;
  }
  return value;
}

Extended QuantityFromDisplay(TQuantity q, Extended shown) {
  if (!Imperial()) return shown;
  switch (q) {
    case TQuantity::Length: return InchToMm(shown);
    case TQuantity::Force: return LbfToNewton(shown);
    case TQuantity::Moment: return LbfInToNm(shown);
    case TQuantity::Stress: return PsiToMPa(shown);
    case TQuantity::Area: return In2ToMm2(shown);
    case TQuantity::Inertia: return In4ToMm4(shown);
    case TQuantity::Number: break;
  }
  return shown;
}

std::string QuantityUnitText(TQuantity q) {
  switch (q) {
    case TQuantity::Length: return LengthUnitText();
    case TQuantity::Force: return ForceUnitText();
    case TQuantity::Moment: return MomentUnitText();
    case TQuantity::Stress: return StressUnitText();
    case TQuantity::Area: return AreaUnitText();
    case TQuantity::Inertia: return InertiaUnitText();
    case TQuantity::Number: break;
  }
  return {};
}
