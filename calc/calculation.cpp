#include "calc/calculation.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "calc/bolt_geometry.h"
#include "calc/calc_run.h"
#include "calc/calc_tables.h"
#include "calc/clamped_parts.h"
#include "calc/eccentric.h"
#include "calc/input_ranges.h"
#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc/preload.h"
#include "calc/safety.h"
#include "calc/strength.h"
#include "calc/table_access.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "framework/rounding_rule.h"

void FatalStop(std::string_view text) {
  AddFatalMessage(text);
  CalcFatalFlag = 1;
}

std::string FixedText(Extended value, int decimals) { return FloatToTextFix(decimals, value); }

std::string IndexText(int i) { return IntToText(i); }

bool IsEdition1986() { return CalcOptions.VdiEdition == 1; }

bool IsJointWithNut() { return Verbindung.JointKind == kJointWithNut; }

bool NutHasOwnStrength() {
  return !IsJointWithNut() || Mutter.NutType == 4 || MatMutter.OwnNutMaterial != 0;
}

namespace {

// A part kind whose table lacks the thread's size has no dimensions to
// calculate or draw with, as a batch run of the joint finds when it loads it.
void CheckPartRow(PartRowStatus status, std::string_view fatal, std::string_view part) {
  if (status != PartRowStatus::NoRow) return;
  FatalStop(fatal);
  AddErrorMessage(std::string(part) + " table: no row for d = " + FloatToTextFix(2, Gewinde.d) + " !");
}

void CheckHeadTable() {
  const int table = Schraube.HeadType + 1;
  const bool part = table >= 2 && table <= 9;
  const PartRowStatus head = part ? PartRowOfThread(table)
                             : table == 1 && DbfTableExists(CalcTableNames[1].view()) ? PartRowStatus::Found
                                                                                      : PartRowStatus::NoTable;
  if (head == PartRowStatus::NoTable) FatalStop("Fatal  : Database screw head !");
  CheckPartRow(head, "Fatal  : Database bolt head", "head");
  const int nut = Mutter.NutType;
  if (IsJointWithNut() && nut >= 1 && nut <= 3) CheckPartRow(PartRowOfThread(nut + 10), "Fatal  : Database nut !", "nut");
}

void CheckInputs(const CalcRun& run) {
  if (Schraube.BoltType == 2 && !(Schraube.lSec[1] > 0)) AddErrorMessage("Error  : thread length screw !");
  if (Reibung.muTr == 0) AddErrorMessage(std::string("\xE6") + " tr = 0 !");
  if (run.nPlates == 0) AddErrorMessage("Fatal  : no clamp.piece !");
  // A bolt without sections has no cross-section to calculate with: the run
  // ends after the data checks.
  if (run.nSections == 0) FatalStop("Fatal  : no bolt !");
}

void NormaliseInputs() {
  REIBUNGTYPE& r = Reibung;
  const bool tolerances = CalcOptions.FrictionTolerances != 0;
  if (!(r.muGmin <= r.muGmax && tolerances)) r.muGmax = r.muGmin;
  if (!(r.muKmin <= r.muKmax && tolerances)) r.muKmax = r.muKmin;
  MONTAGETYPE& m = Montage;
  if (m.sigmaFactor < 0.1L || m.sigmaFactor > 8) m.sigmaFactor = 2;
  if (m.alphaA < 1) m.alphaA = 1;
}

void SumClampLength(const CalcRun& run) {
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  TEMPERATURTYPE& t = Temperatur;
  k.lK = 0;
  for (int i = 1; i <= run.nPlates; ++i) k.lK += k.L[i];
  if (t.TWork != t.T0) {
    t.dlPT = 0;
    for (int i = 1; i <= run.nPlates; ++i) t.dlPT += k.L[i] * k.alphaT[i] * (t.TWork - t.T0);
  }
}

// The fatal data checks whose texts carry no kind.
enum UnmarkedFatal { kNoHeadDiameter, kNoBoltRm, kNoBoltRe, kNoBoltBeta, kNoBearingDiameter, kNoPitch };
constexpr std::string_view kUnmarkedFatal[] = {"dK = 0! (screw head)", "Rm,B = 0 !", "Re,B = 0 !",
                                               "beta b,B = 0 !", "dw = 0! (screw head)", "P = 0 ! "};

// All checks are made; true when none of them was fatal.
bool CheckMaterialData() {
  bool ok = true;
  auto fatal = [&ok](std::string_view text) {
    FatalStop(text);
    ok = false;
  };
  if (Schraube.dK == 0) fatal(kUnmarkedFatal[kNoHeadDiameter]);
  if (!IsJointWithNut()) {
    if (MatMutter.betaM == 0) fatal("Fatal  : beta M = 0 ! ");
    if (MatMutter.RmM == 0) fatal("Fatal  : Rm,M = 0 !");
    if (MatMutter.ReM == 0) fatal("Fatal  : Re,M = 0 !");
    if (MatMutter.EM == 0) fatal("Fatal  : EM = 0 !");
  }
  if (MatBolt.Rm == 0) fatal(kUnmarkedFatal[kNoBoltRm]);
  if (MatBolt.Rp02 == 0) fatal(kUnmarkedFatal[kNoBoltRe]);
  if (MatBolt.betaB == 0) fatal(kUnmarkedFatal[kNoBoltBeta]);
  if (Schraube.dw == 0) fatal(kUnmarkedFatal[kNoBearingDiameter]);
  // A negative pitch is as unusable as none.
  if (Gewinde.P <= 0) fatal(kUnmarkedFatal[kNoPitch]);
  return ok && CalcFatalFlag == 0;
}

bool Stop(std::string_view text) {
  FatalStop(text);
  return false;
}

// A table that could not be read (reported by the table access, AbortFlag
// set) ends the run: its lookups gave no values.
bool TableFailed() {
  if (!AbortFlag) return false;
  if (!CalcFatalFlag) FatalStop("Fatal  : Database material !");
  return true;
}

// The chain of guarded steps; false when a step ends the run.
bool RunGuardedChain(CalcRun& run) {
  SCHRAUBTYPE& s = Schraube;
  if (s.d2 == 0) return Stop("Fatal  : d2 bolt = 0 !");
  if (s.d3 == 0) return Stop("Fatal  : d3 = 0 !");
  if (!CalcPreloadAtYield(run)) return false;
  if (!CalcTightening(run)) return false;
  // A negative diameter from a damaged project is as unusable as none.
  if (run.AN == 0 || Gewinde.d <= 0) return Stop("Fatal  : d bolt = 0 !");
  // A bore that reaches d3 (equal in decimals included) leaves no minor
  // cross-section: it is named as such below, not as a d3 of 0.
  const Extended lastBore = s.diSec[run.nSections];
  const bool boreBelowD3 = BelowBeyondRounding(lastBore, s.d3);
  if (run.Ad3 == 0 && boreBelowD3) return Stop("Fatal  : d3 bolt = 0 !");
  if (MatBolt.E == 0) return Stop("Fatal  : E-Modul S = 0 !");
  if (!BelowBeyondRounding(lastBore, Gewinde.d)) return Stop("Fatal  : d <= Di !");
  if (!boreBelowD3) return Stop("Fatal  : d3 <= Di !");
  CalcBoltResilience(run);
  if (TableFailed()) return false;
  if (!CalcClampedParts(run) || TableFailed()) return false;
  CalcTemperature(run);
  if (TableFailed()) return false;
  CalcServiceForces(run);
  if (Montage.alphaA == 0) return Stop("Fatal  : alpha A = 0 !");
  CalcResidualForces(run);
  CalcAnglesAndTorques(run);
  if (!CalcSurfacePressure(run) || TableFailed()) return false;
  if (Last.F02min == 0) return Stop("Fatal  : Fp = 0 !");
  if (!CalcFatigue(run) || TableFailed()) return false;
  CalcTorsion(run);
  CalcScatterAndFriction(run);
  if (!CalcThreadEngagement(run)) return false;
  if (!CalcEccentricLoading(run)) return false;
  CalcSafetyFactors(run);
  CheckDesign(run);
  return true;
}

}  // namespace

namespace {

void RunCalculation() {
  ClearCalcMessages();
  CalcFatalFlag = 0;
  // The tightening values used are this run's or none: a run that stops
  // before the tightening step leaves no value of an earlier one.
  TighteningUsed = TIGHTENINGUSEDTYPE{};
  CalcRun run;
  // Counts from a damaged project never reach beyond the arrays.
  run.nSections = std::min<int>(Schraube.nSections, kMaxBoltSections);
  run.nPlates = std::min<int>(Klemmstuecke.nPlates, kMaxPlates);

  CheckHeadTable();
  CheckInputs(run);
  CheckInputRanges();
  run.givenAlphaA = Montage.alphaA;
  NormaliseInputs();
  SumClampLength(run);
  if (!CheckMaterialData()) return;

  if (!CalcBoltSections(run)) return;
  CalcThreadDiameters(run);
  CalcFrictionDiameters(run);
  if (Schraube.DminBolt == 0) return FatalStop("Fatal  : D min bolt = 0 !");
  // Every step that ends the run names why; ending it is fatal whichever
  // step it was, so that no result of a part of the run counts as one.
  if (!RunGuardedChain(run)) CalcFatalFlag = 1;
}

}  // namespace

void CalculateJoint() {
  // The run stops on a flag that its own steps raise, not on one left by the
  // caller (a cancelled form). Its own ends as a fatal message, so that the
  // caller, to whom AbortFlag means a cancel or a file that could not be
  // read, gets its flag back as it was.
  const Byte before = AbortFlag;
  AbortFlag = 0;
  RunCalculation();
  AbortFlag = before;
}

CalcMessageKind KindOfCalcMessage(std::string_view text) {
  // "Error:" without blanks comes from the math routines.
  if (text.substr(0, 5) == "Fatal") return CalcMessageKind::Fatal;
  if (text.substr(0, 5) == "Error") return CalcMessageKind::Error;
  if (text.substr(0, 7) == "Warning") return CalcMessageKind::Warning;
  for (std::string_view fatal : kUnmarkedFatal)
    if (text == fatal) return CalcMessageKind::Fatal;
  if (IsMaterialEstimateMessage(text)) return CalcMessageKind::Warning;
  return CalcMessageKind::Error;
}
