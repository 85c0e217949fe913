// What the steps of one calculation run share: intermediate values that are
// not kept in the joint records, and the helpers every step uses to report.
#pragma once

#include <string>
#include <string_view>

#include "framework/rounding_rule.h"
#include "framework/types.h"

struct CalcRun {
  int nSections = 0;  // bolt sections in use, limited to the array
  int nPlates = 0;    // clamped parts in use, limited to the array
  Extended AN = 0;    // nominal cross-section π/4·d²
  Extended Ad3 = 0;   // minor-diameter cross-section less the bore
  Extended Dkm = 0;   // friction diameter of the driven side
  Extended phi = 0;   // lead angle of the thread
  Extended FMp = 0;   // max(FMT, FM)
  Extended FMq = 0;   // min(FMT, FM)/alphaA, the preload the residual forces start from
  Extended RpMin = 0; // min(Rp0.2, Rp0.2 at working temperature)
  // The utilisation was solved for the given MA or FM: the given value is
  // kept as entered, not formed again from it with a rounding of its own.
  bool keepGiven = false;
  // The tightening factor of the record as the run found it, before a factor
  // below 1 is taken as 1.
  Extended givenAlphaA = 1;
};

// Adds a message that stops the run and sets CalcFatalFlag.
void FatalStop(std::string_view text);
// The value as a text with a fixed number of decimals, as the messages show it.
std::string FixedText(Extended value, int decimals);
// Whole number as text, for the part and section numbers in messages.
std::string IndexText(int i);
bool IsEdition1986();
bool IsJointWithNut();
// Whether the run takes the nut or tapped part's own material values (a
// tapped hole, a special nut, or a nut with a material of its own).
bool NutHasOwnStrength();
