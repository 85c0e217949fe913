#include "calc/clamped_parts.h"

#include <algorithm>
#include <cmath>

#include "calc/bolt_geometry.h"
#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "framework/calc_messages.h"
#include "framework/math_utils.h"
#include "framework/rounding_rule.h"

Extended SubstituteArea(Extended lK, Extended dw, Extended Di, Extended De, Extended& da) {
  const Extended ring = kPi / 4 * DifferenceWithinRounding(De * De, Di * Di);
  if (Di > dw) {
    AddErrorMessage("Warning: di > dw !");
    da = De;
    return ring;
  }
  if (dw > De) {
    AddErrorMessage("Warning: de < dw !");
    da = De;
    return ring;
  }
  da = De <= dw + lK ? De : dw + lK;
  if (da == 0) {
    AddErrorMessage("Fatal  : da ers = 0 !");
    da = 0;
    return 0;
  }
  const Extended x = SafePower("Error  : Aers", lK * dw / (da * da), 1.0L / 3.0L);
  Extended aers = kPi / 4 * (dw * dw - Di * Di) + kPi / 8 * dw * (da - dw) * ((x + 1) * (x + 1) - 1);
  if (BelowBeyondRounding(ring, aers)) {
    aers = ring;
    da = De;
  }
  return aers;
}

void CalcFrictionDiameters(CalcRun& run) {
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  SCHRAUBTYPE& s = Schraube;
  const Extended bearing = std::min(k.De[1], s.dw) + k.Di[1];
  const bool countersunk = s.HeadType == 3 || s.HeadType == 4 || s.HeadType == 5;
  s.DKm = countersunk ? bearing / std::sqrt(2.0L) : bearing / 2;
  const int n = run.nPlates;
  if (IsJointWithNut()) Mutter.DKmNut = (std::min(k.De[n], Mutter.dwNut) + k.Di[n]) / 2;
  const bool nutDriven = IsJointWithNut() && Montage.DriveSide == 2;
  run.Dkm = nutDriven ? Mutter.DKmNut : s.DKm;
}

bool CalcClampedParts(CalcRun& run) {
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  const SCHRAUBTYPE& s = Schraube;
  const int n = run.nPlates;
  const bool withNut = IsJointWithNut();
  const bool hot = Temperatur.TWork != Temperatur.T0;

  k.De[0] = s.dw;
  k.DAeff[0] = s.dw;
  k.E[0] = MatBolt.E;
  k.pmax[0] = 1000;
  k.De[n + 1] = withNut ? Mutter.dwNut : k.De[n];
  k.Di[n + 1] = k.Di[n];
  k.DAeff[n + 1] = k.De[n + 1];
  k.deltaPSum = 0;
  k.deltaPT = 0;
  k.betaPSum = 0;

  const Extended dwUsed = withNut ? std::min(Mutter.dwNut, s.dw) : s.dw;
  const EXZTYPE& exz = ExzKraftangriff;
  for (int i = 1; i <= n; ++i) {
    Extended da = 0;
    k.Aers[i] = SubstituteArea(k.lK, dwUsed, k.Di[i], k.De[i], da);
    k.DAeff[i] = std::sqrt(std::max<Extended>(0, k.Di[i] * k.Di[i] + 4 * k.Aers[i] / kPi));
    if (da == 0) {
      FatalStop("Fatal  : da ers = 0 !");
      return false;
    }
    if (k.E[i] == 0) {
      FatalStop("Fatal  : elast.mod.clamp.plate " + IndexText(i) + " = 0 !");
      return false;
    }
    if (k.Aers[i] == 0) {
      FatalStop("Fatal  : A P i = 0 !");
      return false;
    }
    k.deltaP[i] = k.L[i] / (k.E[i] * k.Aers[i]);
    k.deltaPSum += k.deltaP[i];
    if (hot) {
      const Extended ET = PlateEAtTemp(k.Material[i].view(), i, Temperatur.TWork);
      if (ET != 0) k.deltaPT += k.L[i] / (ET * k.Aers[i]);
    }
    const bool atSeam = exz.ExzCode != 1 && (i == exz.SeamPart || i == exz.SeamPart + 1);
    if (atSeam) {
      if (exz.IBersPrime == 0) {
        FatalStop(std::string("Fatal  : ") + "\xA1" + " B ers=0 !");
        return false;
      }
      k.betaP[i] = k.L[i] / (k.E[i] * exz.IBersPrime);
    } else {
      const Extended moment = CircleAreaMoment(da, k.Di[i]);
      k.betaP[i] = moment != 0 ? k.L[i] / (k.E[i] * moment) : 0;
    }
    k.betaPSum += k.betaP[i];
  }

  if (!IsEdition1986()) {
    if (n > 1) k.DAeff[1] = std::min(k.DAeff[1], s.dw + 1.6L * k.L[1]);
    if (withNut && n > 1 && Mutter.dwNut > 0)
      k.DAeff[n] = std::min(k.DAeff[n], Mutter.dwNut + 1.6L * k.L[n]);
  }

  const LASTTYPE& last = Last;
  k.deltaPn1 = 0;
  if (last.LoadIntroPos1 <= n) {
    for (int i = 1; i <= last.LoadIntroPos1; ++i)
      k.deltaPn1 += i == last.LoadIntroPos1 ? k.deltaP[i] * (1 - last.n1) : k.deltaP[i];
  }
  k.deltaPn2 = 0;
  if (last.LoadIntroPos2 <= n) {
    for (int i = n; i >= last.LoadIntroPos2 && i >= 1; --i)
      k.deltaPn2 += i == last.LoadIntroPos2 ? k.deltaP[i] * (1 - last.n2) : k.deltaP[i];
  }

  CALCOPTIONSTYPE& o = CalcOptions;
  if (k.deltaPSum + s.deltaS == 0) {
    FatalStop("Fatal  : elasticity = 0 !");
    return false;
  }
  if (k.deltaPSum == 0) {
    FatalStop("Fatal  : delta P = 0 !");
    return false;
  }
  o.PhiK = k.deltaPSum / (s.deltaS + k.deltaPSum);
  const Extended outside = (k.deltaPn1 + k.deltaPn2) / k.deltaPSum;
  o.nLoad = ZeroWithinRounding(1 - outside, {1, outside});
  o.Phi = o.PhiK * o.nLoad;
  if (o.PhiK == 0) {
    FatalStop(std::string("Fatal  : ") + "\xE8" + "K = 0 !");
    return false;
  }
  Last.FZ = Verbindung.fZ / (s.deltaS + k.deltaPSum);
  return true;
}
