#include "calc/input_ranges.h"

#include <algorithm>
#include <cmath>

#include "calc/calc_run.h"
#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"

bool InRange(const TInputRange& r, Extended value) {
  return value >= r.lo && value <= r.hi && (value == 0 || std::fabs(value) >= r.tiny);
}

namespace {

void Check(const TInputRange& r, Extended value) {
  if (!InRange(r, value)) FatalStop("Fatal  : out of range: " + std::string(r.name) + " !");
}

// A material value of 0 has a message of its own later in the run, or
// stands for a value not given.
void CheckNonZero(const TInputRange& r, Extended value) {
  if (value != 0) Check(r, value);
}

// The tightening quantities the run reads: the given one of nu, MA,max and
// FM,max, and the given one of the ways the scatter is stated. The others
// hold results of the last run (nu above 1 when a torque or preload beyond
// the yield point is given), which are not inputs.
void CheckTighteningInputs() {
  namespace R = InputRange;
  const LASTTYPE& l = Last;
  switch (Montage.GivenQuantity) {
    case 2: Check(R::Torque, l.MA); break;
    case 3: Check(R::AssemblyPreload, l.FM); break;
    default: Check(R::YieldFactor, Montage.nu); break;
  }
  switch (l.AlphaAChoice) {
    case 2: Check(R::TorqueTolerance, l.TorqueScatter * 100); break;
    case 3: Check(R::MinTorque, l.MAmin); break;
    case 4: Check(R::MinPreload, l.FMminGiven); break;
    default:
      // Below 1 the run takes 1 and says so (below).
      if (Montage.alphaA >= 1) Check(R::TighteningFactor, Montage.alphaA);
      break;
  }
}

// Moduli, strengths, shear ratios, thermal expansion and temperatures of
// bolt, clamped parts and nut or tapped part, as far as the run uses them.
void CheckMaterialInputs(int plates) {
  namespace R = InputRange;
  const MAT_BOLT_Record& b = MatBolt;
  CheckNonZero(R::BoltModulus, b.E);
  CheckNonZero(R::BoltYield, b.Rp02);
  CheckNonZero(R::BoltTensile, b.Rm);
  CheckNonZero(R::BoltShear, b.betaB);
  CheckNonZero(R::BoltShearVdi, b.betaBVdi);
  Check(R::ThermalExpansion, b.alphaTBolt);
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  for (int i = 1; i <= plates; ++i) {
    CheckNonZero(R::PlateModulus, k.E[i]);
    CheckNonZero(R::PlateYield, k.Re[i]);
    CheckNonZero(R::PlatePressure, k.pmax[i]);
    Check(R::ThermalExpansion, k.alphaT[i]);
  }
  const MUTTERMATTYPE& m = MatMutter;
  if (NutHasOwnStrength()) {
    CheckNonZero(R::NutYield, m.ReM);
    CheckNonZero(R::NutTensile, m.RmM);
    CheckNonZero(R::NutShear, m.betaM);
    CheckNonZero(R::NutShearVdi, m.betaMVdi);
    if (IsJointWithNut()) CheckNonZero(R::NutPressure, m.pGNut);
  }
  if (!IsJointWithNut()) CheckNonZero(R::NutModulus, m.EM);  // the tapped part's modulus
  for (Extended t : {Temperatur.T0, Temperatur.TWork}) Check(R::Temperature, t);
}

}  // namespace

void CheckInputRanges() {
  namespace R = InputRange;
  const SCHRAUBTYPE& s = Schraube;
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  const LASTTYPE& l = Last;
  const int sections = std::min<int>(s.nSections, kMaxBoltSections);
  const int plates = std::min<int>(k.nPlates, kMaxPlates);

  Check(R::BoltLength, s.l);
  Check(R::ThreadLength, s.b);
  Check(R::HeadDiameter, s.dK);
  Check(R::HeadBearing, s.dw);
  // A thread diameter of 0 (d also below 0) and a pitch of 0 or below have
  // fatal messages of their own.
  for (Extended d : {s.d2, s.d3, s.dmin}) Check(R::ThreadDiameter, d);
  if (Gewinde.d > 0) Check(R::ThreadDiameter, Gewinde.d);
  if (Gewinde.P > 0) Check(R::Pitch, Gewinde.P);
  for (int i = 1; i <= sections; ++i) {
    Check(R::SectionLength, s.lSec[i]);
    Check(R::SectionDiameter, s.dSec[i]);
    Check(R::SectionDiameter, s.diSec[i]);
  }
  for (int i = 1; i <= plates; ++i) {
    Check(R::PlateDiameter, k.De[i]);
    Check(R::PlateDiameter, k.Di[i]);
    Check(R::PlateThickness, k.L[i]);
  }
  for (Extended f : {l.FAmax, l.FAmin}) Check(R::AxialLoad, f);
  Check(R::TransverseLoad, l.FQ);
  Check(R::ClampLoad, l.FKreq);
  Check(R::Preload, l.Fpre);
  Check(R::PresetAxialLoad, l.FApre);
  Check(R::PresetTorque, l.MApre);
  Check(R::Embedding, Verbindung.fZ);
  Check(R::Chamfer, Fase);
  if (l.EnduranceChoice == 4) Check(R::Strength, l.sigmaASV);  // otherwise the run works it out
  for (Extended mu : {Reibung.muGmin, Reibung.muKmin, Reibung.muTr, Reibung.muGmax, Reibung.muKmax})
    Check(R::Friction, mu);
  CheckTighteningInputs();
  // Above 1 the run says so and takes 0.5 (below); a negative one is no input.
  if (Montage.ktau < 0) Check(R::ReductionFactor, Montage.ktau);
  CheckMaterialInputs(plates);
  for (Extended n : {l.n1, l.n2}) Check(R::LoadIntroduction, n);
  for (Extended depth : {Sackloch.tb, Sackloch.tg}) Check(R::HoleDepth, depth);
  const EXZTYPE& e = ExzKraftangriff;
  for (Extended x : {e.a, e.s, e.u, e.v}) Check(R::Eccentricity, x);
  Check(R::SealingArea, e.AD);
  for (Extended i : {e.IBT, e.IBers, e.IBersPrime}) Check(R::Inertia, i);

  // The run takes a given tightening factor below 1 as 1: a smaller scatter
  // of the preload than the input says, so it is named. A factor derived from
  // the torque scatter, MA,min or FM,min is no input: the value in the record
  // is the last run's result.
  const bool factorGiven = l.AlphaAChoice < 2 || l.AlphaAChoice > 4;
  if (factorGiven && !(Montage.alphaA >= 1)) AddErrorMessage("Error  : alpha A < 1, taken as 1 !");
  // Away from the reference temperature a coefficient of 0 drops that part's
  // thermal length change from the preload change without a word.
  if (Temperatur.TWork != Temperatur.T0) {
    if (MatBolt.alphaTBolt == 0) AddErrorMessage("Error  : alpha T of bolt = 0 !");
    for (int i = 1; i <= plates; ++i)
      if (k.alphaT[i] == 0) {
        AddErrorMessage("Error  : alpha T of plate = 0 !");
        break;
      }
  }
  if (IsJointWithNut()) {
    Check(R::NutHeight, Mutter.m);
    Check(R::NutBearing, Mutter.dwNut);
    if (Mutter.NutType < 4) Check(R::NutDiameter, Mutter.dNut);  // compared with the bolt's d
    if (Mutter.NutType < 1 || Mutter.NutType > 4) AddErrorMessage("Error  : unknown nut type !");
    if (!(Mutter.m > 0)) AddErrorMessage("Error  : height of nut = 0 !");
  }
}
