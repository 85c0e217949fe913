#include "calc/eccentric.h"

#include <algorithm>
#include <string>

#include "calc/joint_records.h"
#include "calc/strength.h"
#include "framework/calc_messages.h"
#include "framework/math_utils.h"
#include "framework/rounding_rule.h"

bool CalcEccentricLoading(CalcRun& run) {
  EXZTYPE& e = ExzKraftangriff;
  if (e.ExzCode != 2) return true;
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  const LASTTYPE& last = Last;
  const int n = run.nPlates;

  if (n < 2 && IsJointWithNut()) AddErrorMessage("Error  : only 1 clamp.plate (exc.) !");
  // The seam part of a damaged project may lie outside the parts.
  const int i = std::clamp<int>(e.SeamPart, 1, std::max(1, n));
  const int j = (!AboveBeyondRounding(k.Aers[i], k.Aers[i + 1]) || i >= n) ? i : i + 1;
  e.AersSeam = k.Aers[j];

  if (e.AD <= 0) {
    FatalStop("Fatal  : AD<=0 !");
    return false;
  }
  if (e.IBT == 0) {
    FatalStop("Fatal  : I BT=0 !");
    return false;
  }
  if (e.IBers == 0) {
    FatalStop("Fatal  : I B ers=0 !");
    return false;
  }
  if (e.IBersPrime == 0) {
    FatalStop(std::string("Fatal  :  ") + "\xA1" + " B ers=0 !");
    return false;
  }

  const Extended FAo = last.FAmax + last.FApre + last.Fpre;
  const Extended FAu = last.FAmin + last.FApre + last.Fpre;
  // IBT/AD and s·u that cancel in decimals leave no lever.
  const Extended lever = ZeroWithinRounding(e.IBT / e.AD + e.s * e.u, {e.IBT / e.AD, e.s * e.u});
  if (lever != 0) {
    e.FAab = DifferenceWithinRounding(e.a, e.s) * e.u / lever * FAo;
  } else {
    AddErrorMessage("Error  : I BT/AD + s*u = 0 !");
    e.FAab = 0;
  }
  e.deltaPPP = (e.s * e.s * e.AersSeam / e.IBers + 1) * k.deltaPSum;
  e.deltaPP = (e.a * e.s * e.AersSeam / e.IBers + 1) * k.deltaPSum;
  const Extended resilience = Schraube.deltaS + e.deltaPPP;
  e.PhiEnK = resilience != 0 ? e.deltaPP / resilience : 0;
  e.PhiEn = CalcOptions.nLoad * e.PhiEnK;

  // Without a load factor the eccentric stresses cannot be formed: the run
  // ends here, so it is fatal like every other end.
  if (e.PhiEn == 0) {
    FatalStop(std::string("Fatal  : ") + "\xE8" + "en = 0 !");
    return false;
  }
  if (e.a == 0) {
    FatalStop("Fatal  : a (exz) = 0 !");
    return false;
  }
  if (Schraube.lers == 0) {
    FatalStop("Fatal  : l ers = 0 !");
    return false;
  }
  if (k.E[i] == 0) {
    FatalStop("Fatal  : E P = 0 !");
    return false;
  }
  if (run.Ad3 == 0) {
    FatalStop("Fatal  : A d3 = 0 !");
    return false;
  }

  const Extended d3 = Schraube.d3;
  const Extended W = kPi / 32 * d3 * d3 * d3;
  const Extended bending = Schraube.betaS != 0 ? k.betaPSum / Schraube.betaS : 0;
  // Bending and tension stress of the bolt at the opening edge under the axial load F.
  auto stressAtOpening = [&](Extended F) {
    return bending * ((e.s / e.a) * e.PhiEn + 1) * F * e.a / W + F * e.PhiEn / run.Ad3;
  };
  e.sigmaSAbo = stressAtOpening(FAo);
  e.sigmaSAbu = stressAtOpening(FAu);
  e.sigmaAb = DifferenceWithinRounding(e.sigmaSAbo, e.sigmaSAbu) / 2;

  LASTTYPE& load = Last;
  if (BelowBeyondRounding(load.FSAmax / Schraube.Amin, e.sigmaSAbo)) {
    load.sigmaMax = run.FMp / Schraube.Amin + e.sigmaSAbo;
    CalcComparativeStress();
  }
  // Without an alternating stress there is no safety against it to fall
  // short of (the fatigue safety is then 10000).
  if (e.sigmaAb != 0 && BelowBeyondRounding(load.sigmaASV, e.sigmaAb))
    AddErrorMessage("alternat.stress exc.! (S=" + FixedText(load.sigmaASV / e.sigmaAb, 2) + ")");
  return true;
}
