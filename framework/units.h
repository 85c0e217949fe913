// Physical quantities in the unit system of the display. Values are always
// held metric (mm, N, Nm, MPa, degrees C); UnitSystem 1 shows them in
// inch, lbf, lbf in, psi and degrees F and reads typed input back to metric.
// Unit texts are code page 437 (degree sign 248, superscript two 253).
#pragma once

#include <string>
#include <string_view>

#include "framework/types.h"

// Value in the display unit (a number, not a text)
Extended LengthToDisplay(Extended mm);
Extended AreaToDisplay(Extended mm2);
Extended InertiaToDisplay(Extended mm4);
Extended ForceToDisplay(Extended n);
Extended StressToDisplay(Extended mpa);
Extended MomentToDisplay(Extended nm);
Extended TemperatureToDisplay(Extended celsius);

// Texts in the display unit
std::string LengthToText(Extended mm);                   // imperial: 4 decimals
std::string LengthToTextDigits(int d, Extended mm);      // imperial: one decimal more
std::string LengthToTextFmt(int w, int d, Extended mm);
std::string ForceToTextFmt(int w, int d, Extended n);
std::string StressToTextFmt(int w, int d, Extended mpa);
std::string AreaToTextFmt(int w, int d, Extended mm2);
std::string InertiaToTextFmt(int w, int d, Extended mm4);
std::string TemperatureToTextFmt(int w, int d, Extended celsius);
std::string TemperatureToTextFix(int d, Extended celsius);
std::string StressToText(Extended mpa);
std::string MomentToText(Extended nm);
std::string ForceToText(Extended n);
std::string TemperatureToText(Extended celsius);
std::string AreaToText(Extended mm2);
std::string InertiaToText(Extended mm4);

// Typed input in the display unit, back to metric; invalid text gives 0.
Extended TextToLength(std::string_view text);
Extended TextToArea(std::string_view text);
Extended TextToInertia(std::string_view text);
Extended TextToForce(std::string_view text);
Extended TextToStress(std::string_view text);
Extended TextToMoment(std::string_view text);

// Unit texts
std::string LengthUnitText();       // "mm" / "in"
std::string ForceUnitText();        // "N" / "lbf"
std::string MomentUnitText();       // "Nm" / "lbfin"
std::string StressUnitText();       // "MPa" / "psi"
std::string AreaUnitText();         // "mm" + superscript two / "in" + superscript two; "mm2" / "in2" in CharSetMode 1
std::string InertiaUnitText();      // "mm4" / "in4"
std::string TemperatureUnitText();  // degree sign + "C" / "F"; " C" / " F" in CharSetMode 1
std::string DegreeUnitText();       // degree sign; "deg" in CharSetMode 1

// The kinds of quantity a number input holds, for conversions by kind: the
// value in the display unit and that unit's text (empty for plain numbers).
enum class TQuantity { Number, Length, Force, Moment, Stress, Area, Inertia };
Extended QuantityToDisplay(TQuantity q, Extended value);
Extended QuantityFromDisplay(TQuantity q, Extended shown);  // a typed value back to metric
std::string QuantityUnitText(TQuantity q);

void ToggleUnitSystem();            // metric <-> imperial
