#include "calc/bolt_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc/table_rows.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/rounding_rule.h"

namespace {

// ISO 965-1 tolerance Td of grade 6 by pitch (key: pitch·100).
struct PitchTolerance {
  int key;
  Extended td;
};
constexpr std::array<PitchTolerance, 24> kTdGrade6 = {{
    {20, 0.056L},  {25, 0.067L},  {30, 0.075L},  {35, 0.085L},  {40, 0.095L},  {45, 0.100L},
    {50, 0.106L},  {60, 0.125L},  {70, 0.140L},  {75, 0.140L},  {80, 0.150L},  {100, 0.180L},
    {125, 0.212L}, {150, 0.236L}, {175, 0.265L}, {200, 0.280L}, {250, 0.335L}, {300, 0.375L},
    {350, 0.425L}, {400, 0.475L}, {450, 0.500L}, {500, 0.530L}, {550, 0.560L}, {600, 0.600L},
}};

// Nearest integer, halves to even.
long RoundHalfEven(Extended x) { return std::lrint(static_cast<double>(x)); }

}  // namespace

Extended HeadDimension() {
  switch (Schraube.HeadType) {
    case 0: return Din934.m;
    case 1: return Din912.k;
    case 2: return Din931.k;
    case 3: return Din963.k;
    case 4: return Din964.k;
    case 5: return Iso10642.k;
    case 6: return Cylslot.k;
    case 7: return Sondkopf.k;
    case 8: return Flangesc.k;
    default: return 0;
  }
}

Extended CircleAreaMoment(Extended D, Extended d) {
  if (d <= 0) return kPi / 64 * D * D * D * D;
  if (D <= d) return 0;
  return kPi / 64 * (D * D * D * D - d * d * d * d);
}

Extended ThreadTolTd(Extended P) {
  const long key = RoundHalfEven(P * 100);
  for (const PitchTolerance& row : kTdGrade6)
    if (row.key == key) return row.td;
  return 0.18L * SafePower("told", P, 2.0L / 3.0L) - 0.00315L / std::sqrt(P);
}

Extended ThreadTolTd2(Extended d, Extended P) {
  // Geometric mean of the ISO 965-1 diameter band that holds d.
  const long key = RoundHalfEven(d * 10 + 0.5L);
  Extended dm = d;
  if (key >= 15 && key <= 28) dm = 2.05L;
  else if (key >= 29 && key <= 56) dm = 3.96L;
  else if (key >= 57 && key <= 112) dm = 7.92L;
  else if (key >= 113 && key <= 224) dm = 15.84L;
  else if (key >= 225 && key <= 450) dm = 31.75L;
  else if (key >= 451 && key <= 900) dm = 63.64L;
  else if (key >= 901 && key <= 1800) dm = 127.28L;
  else if (key >= 1801 && key <= 3550) dm = 252.78L;
  return 0.09L * SafePower("told2", P, 0.4L) * SafePower("told2", dm, 0.1L);
}

BoltLengths LengthsFromSections(int n) {
  const SCHRAUBTYPE& s = Schraube;
  const Extended P = Gewinde.P;
  BoltLengths r{0, s.b};
  for (int i = 1; i <= n; ++i) r.l += s.lSec[i];
  if (s.HeadType == 3 || s.HeadType == 4) r.b = r.l - 2.5L * P - HeadDimension();
  if (s.BoltType == 1 && r.l > 0) {
    const Extended k = s.HeadType == 5 ? Iso10642.k : 0;
    r.b = std::min(r.l - 2 * P - k, r.b);
  }
  return r;
}

bool ThreadFitsLastSection(int n, Extended b) { return n >= 1 && !AboveBeyondRounding(b, Schraube.lSec[n]); }

SectionValues ShankLengths(int n, Extended b) {
  SectionValues lengths{};
  Extended excess = b;
  for (int i = n; i >= 1; --i) {
    const Extended section = Schraube.lSec[i];
    if (excess > 0 && AboveBeyondRounding(excess, section)) {
      excess -= section;
    } else {
      lengths[i] = DifferenceWithinRounding(section, excess);
      excess = 0;
    }
  }
  return lengths;
}

bool CalcBoltSections(CalcRun& run) {
  SCHRAUBTYPE& s = Schraube;
  const int n = run.nSections;

  const BoltLengths lengths = LengthsFromSections(n);
  s.l = lengths.l;
  s.b = lengths.b;
  // A thread longer than the bolt would leave a free thread longer than the
  // clamp length and shank sections shorter than nothing.
  if (AboveBeyondRounding(s.b, s.l)) {
    AddErrorMessage("Error  : thread length bolt !");
    FatalStop("Fatal  : lG > l !");
    return false;
  }
  const SectionValues shank = ShankLengths(n, s.b);

  s.deltaSecSum = 0;
  s.betaSecSum = 0;
  s.DminBolt = 1000000;
  s.Amin = 1000000;
  const Extended E = MatBolt.E;
  for (int i = 1; i <= n; ++i) {
    s.ASec[i] = kPi / 4 * DifferenceWithinRounding(s.dSec[i] * s.dSec[i], s.diSec[i] * s.diSec[i]);
    if (s.DminBolt > s.dSec[i]) s.diAtDmin = s.diSec[i];
    s.DminBolt = std::min(s.dSec[i], s.DminBolt);
    s.Amin = std::min(s.ASec[i], s.Amin);
    if (E == 0) {
      FatalStop("Fatal  : elast.mod.bolt=0!");
      return false;
    }
    // A bore as wide as the section leaves no area at all.
    if (s.ASec[i] <= 0 || s.dSec[i] == 0) {
      FatalStop("Fatal  : cross-section bolt=0!");
      return false;
    }
    s.deltaSec[i] = shank[i] / (E * s.ASec[i]);
    s.betaSec[i] = shank[i] / (E * CircleAreaMoment(s.dSec[i], s.diSec[i]));
    s.deltaSecSum += s.deltaSec[i];
    s.betaSecSum += s.betaSec[i];
  }
  if (!ThreadFitsLastSection(n, s.b)) AddErrorMessage("Error  : thread length bolt !");
  if (!FloatEqual(Gewinde.d, s.dSec[n])) AddErrorMessage("Warning: den <> d !");
  return true;
}

void CalcThreadDiameters(CalcRun& run) {
  SCHRAUBTYPE& s = Schraube;
  const Extended P = Gewinde.P;
  const Extended d = Gewinde.d;

  if (s.ToleranceClass == 1) {
    // d2, d3 and dmin are entered.
    s.Td2 = 0;
    s.es = 0;
    s.d2max = s.d2min = s.d2nom = s.d2;
    s.d3max = s.d3min = s.d3nom = s.d3;
    s.dmax = d;
    s.Td = s.dmax - s.dmin;
  } else {
    s.Td = ThreadTolTd(P);
    s.Td2 = ThreadTolTd2(d, P);
    const Word tc = s.ToleranceClass;
    if (tc == 3 || tc == 5 || tc == 7) {  // grade 4
      s.Td *= 0.63L;
      s.Td2 *= 0.63L;
    }
    if (tc == 4 || tc == 5) s.es = -(0.015L + 0.011L * P);       // g
    else if (tc == 6 || tc == 7) s.es = -(0.05L + 0.011L * P);   // e
    else s.es = 0;                                                // h
    s.d2nom = d - 0.649519L * P;
    s.d2max = s.d2nom + s.es;
    s.d2min = s.d2max - s.Td2;
    s.d3nom = d - 1.22687L * P;
    s.d3max = s.d3nom + s.es;
    s.d3min = s.d2min - 0.616025L * P;
    s.dmax = d + s.es;
    s.dmin = s.dmax - s.Td;
  }
  switch (CalcOptions.D2D3Choice) {
    case 0: s.d2 = s.d2max; s.d3 = s.d3max; break;
    case 1: s.d2 = s.d2min; s.d3 = s.d3min; break;
    case 2: s.d2 = (s.d2max + s.d2min) / 2; s.d3 = (s.d3max + s.d3min) / 2; break;
    case 3: s.d2 = s.d2nom; s.d3 = s.d3nom; break;
    default: break;
  }

  const int n = run.nSections;
  const Extended di = s.diSec[n];
  s.As = kPi / 4 * ((s.d2 + s.d3) / 2) * ((s.d2 + s.d3) / 2);
  run.AN = kPi / 4 * d * d;
  run.Ad3 = kPi / 4 * DifferenceWithinRounding(s.d3 * s.d3, di * di);
  s.ds = std::sqrt(4 * s.As / kPi);
  if (s.DminBolt > s.ds) s.diAtDmin = di;
  s.DminBolt = std::min(s.ds, s.DminBolt);
  s.Amin = std::min(kPi / 4 * (s.ds * s.ds - di * di), s.Amin);
}

void CalcBoltResilience(CalcRun& run) {
  SCHRAUBTYPE& s = Schraube;
  const Extended d = Gewinde.d;
  const Extended E = MatBolt.E;
  const Extended di = s.diSec[run.nSections];

  s.deltaG = 0.5L * d / (E * run.Ad3);
  s.deltaGew = s.lGew / (E * run.Ad3);
  if (IsEdition1986()) {
    s.deltaSK = 0.4L * d / (E * run.AN);
    s.deltaM = 0.4L * d / (E * run.AN);
  } else {
    const Extended bore = Klemmstuecke.Di[run.nPlates] > 0 ? kPi / 4 * di * di : 0;
    const Extended headFactor = s.HeadType == 1 ? 0.4L : 0.5L;
    s.deltaSK = headFactor * d / (E * (run.AN - bore));
    if (IsJointWithNut())
      s.deltaM = 0.4L * d / (E * run.AN);
    else
      s.deltaM = 0.33L * d / (MatMutter.EM * run.AN);
  }
  s.deltaS = s.deltaSecSum + s.deltaG + s.deltaM + s.deltaGew + s.deltaSK;
  if (Temperatur.TWork != Temperatur.T0) {
    const Extended ET = BoltEAtTemp(MatBolt.StrengthClass, Temperatur.TWork);
    s.deltaST = ET != 0 ? E * s.deltaS / ET : s.deltaS;
  }

  s.betaSK = 0.4L * d / (E * CircleAreaMoment(d, di));
  s.betaG = 0.5L * d / (E * CircleAreaMoment(s.d3, di));
  s.betaGew = s.lGew / (E * CircleAreaMoment(s.d3, di));
  s.betaS = s.betaSecSum + s.betaG + s.betaGew + s.betaSK;
  s.lers = CircleAreaMoment(s.d3, 0) * E * s.betaS;
}
