#include "calc/strength.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "calc/designation.h"
#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "framework/calc_messages.h"
#include "framework/math_utils.h"
#include "framework/rounding_rule.h"

namespace {

// Thread tolerances of the nut after ISO 965-1.
void CalcNutTolerances() {
  MUTTERTYPE& n = Mutter;
  const Extended P = Gewinde.P;
  const Extended d = Gewinde.d;
  const Word tc = n.NutToleranceClass;
  n.EI = tc >= 4 && tc <= 6 ? 0.015L + 0.011L * P : 0;
  n.TD1 = P < 1 ? 0.433L * P - 0.19L * SafePower("TD1", P, 1.22L) : 0.23L * SafePower("TD1", P, 0.7L);
  n.TD2 = 0.1188L * SafePower("told2", P, 0.4L) * SafePower("told2", d, 0.1L);
  if (tc == 2 || tc == 5) {  // grade 5
    n.TD1 *= 0.8L;
    n.TD2 *= 0.8L;
  } else if (tc == 3 || tc == 6) {  // grade 4
    n.TD1 *= 0.63L;
    n.TD2 *= 0.63L;
  }
  n.D2nom = d - 0.649519L * P;
  n.D2min = n.D2nom + n.EI;
  n.D2max = n.D2min + n.TD2;
  n.D1nom = d - 1.0825318L * P;
  n.D1min = n.D1nom + n.EI;
  n.D1max = n.D1min + n.TD1;
}

// Minimum engaged length after VDI 2230.
void CalcVdiEngagement() {
  VDIENGAGETYPE& v = VdiEngage;
  const SCHRAUBTYPE& s = Schraube;
  const MUTTERTYPE& n = Mutter;
  const LASTTYPE& last = Last;
  const Extended P = Gewinde.P;
  v.C1 = 1;
  v.tauBMvdi = MatMutter.RmM * MatMutter.betaMVdi;
  v.tauBSvdi = MatBolt.Rm * MatBolt.betaBVdi;
  const Extended nutFlank = P / 2 + (s.dmin - n.D2max) * 0.57735L;
  const Extended boltFlank = (P / 2 + (s.d2min - n.D1max) * 0.57735L) * n.D1min;
  if (v.tauBSvdi == 0 || boltFlank == 0) {
    // Without the bolt's shear strength the strength ratio has no meaning.
    AddErrorMessage("Error  : tau BS (VDI) = 0 !");
    v.Rs = v.C3 = v.meffMin = v.SmRmVdi = v.SmFSVdi = v.meffFS = 0;
    return;
  }
  v.Rs = nutFlank * s.dmin / boltFlank * v.tauBMvdi / v.tauBSvdi;
  v.C3 = NutStrippingFactorC3(v.Rs);
  const Extended below = v.C1 * v.C3 * v.tauBMvdi * nutFlank * kPi * s.dmin;
  if (v.tauBMvdi == 0 || below == 0)
    v.meffMin = 0;
  else
    v.meffMin = BoltRmMax() * s.Amin * P / below + 0.8L * P;
  if (v.meffMin == 0 || last.FSmax == 0) {
    v.SmRmVdi = 0;
    v.SmFSVdi = 0;
  } else {
    v.SmRmVdi = MGeo / v.meffMin;
    v.SmFSVdi = v.SmRmVdi * last.Fm / last.FSmax;
  }
  v.meffFS = last.Fm > 0 ? v.meffMin * last.FSmax / last.Fm : 0;
}

}  // namespace

Extended NutStrippingFactorC3(Extended Rs) {
  return Rs < 1 ? 1.296L * Rs * Rs * Rs - 2.896L * Rs * Rs + 1.769L * Rs + 0.728L : 0.897L;
}

Extended PermissiblePressure(int i) {
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  Extended pG = k.pmax[i];
  if (Temperatur.TWork != Temperatur.T0)
    pG = std::min(pG, PlatePpermAtTemp(k.Material[i].view(), Temperatur.TWork, k.pmax[i], k.Re[i]));
  return pG;
}

bool CalcSurfacePressure(CalcRun& run) {
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  const LASTTYPE& last = Last;
  const int n = run.nPlates;
  const Extended FMp = run.FMp;
  const Extended FSAplus = std::max<Extended>(last.FSAmax, 0);
  const Extended d = Gewinde.d;
  const int pos1 = last.LoadIntroPos1;
  const int pos2 = last.LoadIntroPos2;

  // A part's faulty diameters also make its neighbours' bearing areas: each
  // cause is named before the first area that it empties.
  for (int i = 1; i <= n; ++i) {
    if (k.Di[i] >= k.De[i]) {
      FatalStop("Fatal  : De < Di !  (" + IndexText(i) + ")");
      return false;
    }
  }
  // Head or nut whose bearing circle lies within the bore bears on nothing.
  const bool nutBearsOnNothing = IsJointWithNut() && n >= 1 && !BelowBeyondRounding(k.Di[n], k.DAeff[n + 1]);
  if (n >= 1 && (!BelowBeyondRounding(k.Di[1], k.DAeff[0]) || nutBearsOnNothing)) {
    FatalStop("Fatal  : di > dw !");
    return false;
  }

  k.SPmin = 1000;
  for (int i = 1; i <= n; ++i) {
    if (d > k.Di[i]) AddErrorMessage("Error  : Di < d !  (" + IndexText(i) + ")");
    const Extended doUp = std::min(k.DAeff[i - 1], k.DAeff[i]);
    const Extended diUp = std::max(k.Di[i - 1], k.Di[i]);
    const Extended doDown = std::min(k.DAeff[i], k.DAeff[i + 1]);
    const Extended diDown = std::max(k.Di[i], k.Di[i + 1]);
    const Extended Ao = kPi / 4 * DifferenceWithinRounding(doUp * doUp, diUp * diUp);
    const Extended Au = kPi / 4 * DifferenceWithinRounding(doDown * doDown, diDown * diDown);
    // A bearing ring of no or negative width carries nothing.
    if (Ao <= 0) {
      FatalStop("Fatal  : Aomin = 0 !");
      return false;
    }
    if (Au <= 0) {
      FatalStop("Fatal  : Aumin = 0 !");
      return false;
    }
    if (i == pos1)
      k.pPart[i] = std::max((FMp + FSAplus) / Ao, FMp / Au);
    else if (i == pos2)
      k.pPart[i] = std::max((FMp + FSAplus) / Au, FMp / Ao);
    else if ((pos1 < i && i <= pos2) || (pos1 == n + 1 && i <= pos2))
      k.pPart[i] = FMp / std::min(Au, Ao);
    else
      k.pPart[i] = (FMp + FSAplus) / std::min(Au, Ao);
    if (k.pPart[i] == 0) {
      FatalStop("Fatal  : pmax = 0 ! (" + IndexText(i));
      return false;
    }
    const Extended pG = PermissiblePressure(i);
    if (AboveBeyondRounding(k.pPart[i], pG))
      AddErrorMessage("p perm. clamp.plate " + IndexText(i) + " ! (S= " + FixedText(pG / k.pPart[i], 2) + ")");
    k.SPmin = std::min(k.SPmin, pG / k.pPart[i]);
  }

  if (IsJointWithNut() && (Mutter.NutType == 4 || MatMutter.OwnNutMaterial != 0)) {
    const Extended outer = std::min(Mutter.dwNut, k.De[n]);
    const Extended inner = std::max(d, k.Di[n]);
    const Extended A = kPi / 4 * DifferenceWithinRounding(outer * outer, inner * inner);
    if (FMp + last.FSAmax != 0) k.SPmin = std::min(k.SPmin, MatMutter.pGNut / (FMp + last.FSAmax) * A);
    if (last.FM + last.FSAmax != 0 && BelowBeyondRounding(MatMutter.pGNut / (last.FM + last.FSAmax) * A, 1))
      AddErrorMessage("Error  : p perm. nut !");
  }
  return true;
}

bool CalcFatigue(CalcRun& run) {
  LASTTYPE& last = Last;
  const Extended d = Gewinde.d;
  const bool ed1986 = IsEdition1986();
  last.FSm = last.FM + (last.FSAmax + last.FSAmin) / 2;
  switch (last.EnduranceChoice) {
    case 1:
      last.sigmaASV = ed1986 ? 0.75L * (180 / d + 52) : 0.85L * (150 / d + 45);
      break;
    case 2:
      last.sigmaASV = ed1986 ? 0.75L * (180 / d + 52) * (2 - last.FVmax / last.F02min)
                             : 0.85L * (150 / d + 45) * (2 - last.FSm / last.F02min);
      break;
    case 3: {
      std::string name;
      last.sigmaASV = BoltSigmaAAtD(last.MatSaRow, name, d);
      last.EnduranceMaterial = name;
      break;
    }
    case 4:
      break;
    default:
      AddErrorMessage("Error  : Sigma a perm. !");
      break;
  }
  if (run.Ad3 == 0) {
    FatalStop("Fatal  : A d3 = 0 !");
    return false;
  }
  const Extended A = ed1986 ? run.Ad3 : Schraube.As;
  last.sigmaA = ZeroWithinRounding(last.FSAmax - last.FSAmin, {last.FSAmax, last.FSAmin}) / (2 * A);
  last.sigmaMax = (run.FMp + last.FSAmax) / Schraube.Amin;
  return true;
}

void CalcComparativeStress() {
  const Extended shear = Montage.ktau * Last.tau;
  Last.sigmaRed = std::sqrt(Last.sigmaMax * Last.sigmaMax + 3 * shear * shear);
}

void CalcTorsion(CalcRun&) {
  const SCHRAUBTYPE& s = Schraube;
  LASTTYPE& last = Last;
  const Extended D = s.DminBolt;
  if (s.diAtDmin <= 0)
    last.Wp = kPi / 16 * D * D * D;
  else
    last.Wp = kPi / 16 * (D * D * D * D - s.diAtDmin * s.diAtDmin * s.diAtDmin * s.diAtDmin) / D;
  last.tau = last.Wp > 0 ? Montage.MGapprox * 1000 / last.Wp : 0;
  if (Montage.ktau > 1) {
    AddErrorMessage("Error  : k tau > 1 !");
    Montage.ktau = 0.5L;
  }
  if (Montage.ktau < 0) Montage.ktau = 0;
  CalcComparativeStress();
}

bool ThreadShear(CalcRun&) {
  STRESSTYPE& st = Stress;
  const LASTTYPE& last = Last;
  const Extended P = Gewinde.P;
  st.tauBS = 1.2L * MatBolt.betaB * MatBolt.Rm;
  st.tauBM = MatMutter.RmM * MatMutter.betaM;
  if (st.tauBS == 0) {
    FatalStop("Fatal  : tau mB = 0 !");
    return false;
  }
  if (st.tauBM == 0) {
    FatalStop("Fatal  : tau mM = 0 !");
    return false;
  }
  st.Ftau = 1.2L * last.Fm * (1 / st.tauBM + 1 / st.tauBS);
  st.shareB = st.tauBM / (st.tauBS + st.tauBM);
  st.dTau = Schraube.d2 + std::sqrt(3.0L) * P * (0.5L - st.shareB);
  if (st.dTau == 0) {
    FatalStop("Fatal  : d tau = 0 !");
    return false;
  }
  st.mminRm = st.Ftau / (kPi * st.dTau);
  st.dmTol = 0.57735L * (Mutter.D2max - Schraube.d2min);
  st.mTol = st.dmTol * st.mminRm / P;
  st.mminRm += st.mTol;
  const Extended A = MGeo * kPi * st.dTau;
  const Extended AtauB = st.shareB * A;
  const Extended AtauM = (1 - st.shareB) * A;
  if (!(AtauB > 0)) {
    FatalStop("Fatal  : A tau B = 0 !");
    return false;
  }
  if (!(AtauM > 0)) {
    FatalStop("Fatal  : A tau M = 0 !");
    return false;
  }
  st.tauB = (last.FSAmax + last.FM) / AtauB;
  st.tauM = (last.FSAmax + last.FM) / AtauM;
  return true;
}

namespace {

// A safety below 1; one that could not be formed (a division by nothing) is
// no safety and falls short of nothing.
bool FallsShort(Extended safety) { return std::isfinite(safety) && BelowBeyondRounding(safety, 1); }

}  // namespace

bool CalcThreadEngagement(CalcRun& run) {
  const SCHRAUBTYPE& s = Schraube;
  // The thread beyond the clamped parts: b - lGew = l - lK.
  const Extended beyond = ZeroWithinRounding(s.b - s.lGew, {s.b, s.lGew, s.l, Klemmstuecke.lK});
  MEngaged = IsJointWithNut() ? std::min(Mutter.m, beyond) : beyond;
  MGeo = ZeroWithinRounding(MEngaged - Fase, {s.b, s.lGew, s.l, Klemmstuecke.lK, MEngaged, Fase});
  // A chamfer longer than the engaged thread leaves a negative engaged
  // length, which no result may be formed with.
  if (MEngaged >= 0 && MGeo < 0) {
    FatalStop("Fatal  : m tr < 0 (chamfer) !");
    return false;
  }
  if (!NutHasOwnStrength()) return true;
  // A bolt that ends within the clamped parts engages no thread at all; the
  // design checks name it, so that their messages are all made.
  if (MEngaged < 0) return true;

  CalcNutTolerances();
  if (!ThreadShear(run)) return false;
  STRESSTYPE& st = Stress;
  const LASTTYPE& last = Last;
  if (st.mminRm != 0) st.SmRm = MGeo / st.mminRm;
  if (st.tauB != 0) st.StauB = MatBolt.Rm * MatBolt.betaB / st.tauB;
  if (st.tauM != 0) st.StauM = MatMutter.RmM * MatMutter.betaM / st.tauM;
  if (CalcOptions.EngageVelk) {
    if (FallsShort(st.StauB)) AddErrorMessage("Error  : mtr<mmin FM (S=" + FixedText(st.StauB, 2) + ")");
    st.mminFS = last.Fm > 0 ? st.mminRm * last.FSmax / last.Fm : 0;
  } else {
    st.mminFS = 0;
  }
  CalcVdiEngagement();

  SAFETYTYPE& sf = Safety;
  const VDIENGAGETYPE& v = VdiEngage;
  if (CalcOptions.EngageVelk && CalcOptions.EngageVdi) {
    sf.SmRmSafe = std::min(st.SmRm, v.SmRmVdi);
    sf.SmFSSafe = std::min(st.StauB, v.SmFSVdi);
  } else if (CalcOptions.EngageVdi) {
    sf.SmRmSafe = v.SmRmVdi;
    sf.SmFSSafe = v.SmFSVdi;
  } else {
    sf.SmRmSafe = st.SmRm;
    sf.SmFSSafe = st.StauB;
  }
  if (FallsShort(sf.SmRmSafe)) AddErrorMessage("Warning: mtr<mmin Rm (S=" + FixedText(sf.SmRmSafe, 2) + ")");
  if (FallsShort(sf.SmFSSafe)) AddErrorMessage("Error  : mtr<mmin FM (S=" + FixedText(sf.SmFSSafe, 2) + ")");
  return true;
}
