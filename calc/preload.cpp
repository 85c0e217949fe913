#include "calc/preload.h"

#include <algorithm>
#include <cmath>

#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "framework/calc_messages.h"
#include "framework/math_utils.h"
#include "framework/rounding_rule.h"

namespace {

// Factor of the thread torque in the comparative stress.
Extended TorsionFactor() { return IsEdition1986() ? 2.0L : 1.5L; }

// Preload at nu in the form that suits the prevailing torque.
Extended PreloadAt(Extended nu, Extended muG) {
  return Last.MApre != 0 ? PreloadWithPrevailingTorque(nu, muG) : PreloadFromUtilisation(nu, muG);
}

// MAmin and the torque scatter from a given tightening factor.
void TorquesFromTighteningFactor() {
  LASTTYPE& last = Last;
  const Extended pre = last.MApreFrictionMax + last.MApre;
  last.MAmin = (last.FM / Montage.alphaA / last.FMmin) * (last.MAmax2 - pre) + pre;
  last.TorqueScatter = (last.MA - last.MAmin) / (last.MA + last.MAmin);
}

// Whether a derived tightening factor can be one.
bool IsFactor(Extended alphaA) { return alphaA > 0 && std::isfinite(alphaA); }

// Tightening factor from MAmin; false when MAmin leaves no factor: a minimum
// torque at or below the prevailing torque (and the friction torque of the
// preset axial load) gives nothing or a negative factor.
bool TighteningFactorFromMinTorque() {
  LASTTYPE& last = Last;
  const Extended pre = last.MApreFrictionMax + last.MApre;
  const Extended below = ZeroWithinRounding(last.MAmin - pre, {last.MAmin, last.MApreFrictionMax, last.MApre});
  const Extended alphaA = below > 0 && last.FMmin != 0 ? (last.FM / last.FMmin) * (last.MAmax2 - pre) / below : 0;
  if (!IsFactor(alphaA)) {
    AddErrorMessage("Error  : MAmin - MApre = 0 !");
    return false;
  }
  Montage.alphaA = alphaA;
  return true;
}

}  // namespace

Extended PreloadFromUtilisation(Extended nu, Extended muG) {
  const SCHRAUBTYPE& s = Schraube;
  const Extended P = Gewinde.P;
  const Extended d0 = s.DminBolt;
  const Extended di = s.diAtDmin;
  const Extended t = (1.155L * muG + P / (kPi * s.d2)) * TorsionFactor() * d0 * s.d2 / (d0 * d0 + di * di);
  return nu * s.Amin * MatBolt.Rp02 / std::sqrt(1 + 3 * t * t);
}

namespace {

// Terms of the yield condition with prevailing torque, F² + 3·q·(g·F + M)² =
// Fy², for the thread friction muG.
struct PrevailingTorqueTerms {
  Extended q, g, M;
};

// Yield force Fy of the bolt's narrowest section at the utilisation nu.
Extended YieldForce(Extended nu) {
  const Extended d0 = Schraube.DminBolt;
  const Extended di = Schraube.diAtDmin;
  return kPi * nu * MatBolt.Rp02 * (d0 * d0 - di * di) * 0.25L;
}

PrevailingTorqueTerms PrevailingTerms(Extended muG) {
  const SCHRAUBTYPE& s = Schraube;
  const Extended d0 = s.DminBolt;
  const Extended di = s.diAtDmin;
  const Extended root = 2 * TorsionFactor() * d0 / (d0 * d0 + di * di);
  return {root * root, 0.15915494L * Gewinde.P + 0.5773672L * s.d2 * muG, Last.MApre * 1000};
}

// The utilisation at which the prevailing-torque form gives the preload F > 0;
// 0 when the bolt has no yield force.
Extended UtilisationForPreload(Extended F, Extended muG) {
  const Extended Fy1 = YieldForce(1);
  if (Fy1 == 0) return 0;
  const PrevailingTorqueTerms t = PrevailingTerms(muG);
  const Extended torsion = t.g * F + t.M;
  return std::sqrt(F * F + 3 * t.q * torsion * torsion) / Fy1;
}

// Whether the prevailing torque leaves the bolt a preload at the utilisation
// nu: its torsion alone must stay below the yield force. Otherwise every
// root of the yield condition is negative or none is real.
bool PrevailingTorqueLeavesPreload(Extended nu) {
  const PrevailingTorqueTerms t = PrevailingTerms(Reibung.muGmin);  // q and M hold for any friction
  const Extended Fy = YieldForce(nu);
  return BelowBeyondRounding(3 * t.q * t.M * t.M, Fy * Fy);
}

}  // namespace

Extended PreloadWithPrevailingTorque(Extended nu, Extended muG) {
  const PrevailingTorqueTerms t = PrevailingTerms(muG);
  const Extended Fy = YieldForce(nu);
  const Extended a = 3 * t.q * t.g * t.g + 1;
  const Extended b = 6 * t.g * t.q * t.M;
  const Extended c = 3 * t.q * t.M * t.M - Fy * Fy;
  const Extended D = ZeroWithinRounding(b * b - 4 * a * c, {b * b, 4 * a * c});
  if (D > 0) {
    const Extended root = std::sqrt(D);
    return ZeroWithinRounding(root - b, {root, b}) / (2 * a);
  }
  AddErrorMessage("Error  : FM = f (..,MApre)");
  return PreloadFromUtilisation(nu, muG);
}

Extended TighteningTorque(const CalcRun& run, Extended F, Extended muG, Extended muK,
                          Extended preFriction) {
  const Extended rho = std::atan(1.155L * muG);
  return F * (Schraube.d2 / 2 * std::tan(run.phi + rho) + run.Dkm / 2 * muK) * 0.001L + Last.MApre +
         preFriction;
}

bool CalcPreloadAtYield(CalcRun& run) {
  LASTTYPE& last = Last;
  const REIBUNGTYPE& r = Reibung;
  run.phi = std::atan(Gewinde.P / (kPi * Schraube.d2));

  last.MApreFriction = 0.5L * last.FApre * run.Dkm * r.muKmin * 0.001L;
  last.MApreFrictionMax = 0.5L * last.FApre * run.Dkm * r.muKmax * 0.001L;
  last.MApreFrictionMean = 0.5L * last.FApre * run.Dkm * (r.muKmax + r.muKmin) / 2 * 0.001L;

  if (MatBolt.Rp02 == 0) {
    FatalStop("Fatal  : Re Bolt = 0 !");
    return false;
  }
  const Extended strengthRatio = static_cast<Extended>(MatBolt.Rm) / MatBolt.Rp02;
  last.FM02 = PreloadAt(1, r.muGmin);
  last.FM02Rm = last.FM02 * strengthRatio;
  last.MA02 = TighteningTorque(run, last.FM02, r.muGmin, r.muKmin, last.MApreFriction);
  last.MA02Rm = last.MA02 * strengthRatio;

  MONTAGETYPE& m = Montage;
  run.keepGiven = false;
  // A given torque that the prevailing torque (and the friction torque of the
  // preset axial load) takes up whole leaves no preload: a negative
  // utilisation would be calculated on.
  const Extended beyondPrevailing =
      ZeroWithinRounding(last.MA - last.MApre - last.MApreFriction, {last.MA, last.MApre, last.MApreFriction});
  if (m.GivenQuantity == 2 && (last.MApre != 0 || last.MApreFriction != 0) && !(beyondPrevailing > 0)) {
    FatalStop("Fatal  : MA <= prevailing torque !");
    return false;
  }
  if (m.GivenQuantity == 2 || m.GivenQuantity == 3) {
    // The preload that the given quantity asks for.
    const Extended perNewton = DifferenceWithinRounding(TighteningTorque(run, 1, r.muGmin, r.muKmin, 0), last.MApre);
    const Extended F = m.GivenQuantity == 3 ? last.FM
                       : perNewton != 0    ? beyondPrevailing / perNewton
                                           : 0;
    if (last.MApre != 0 && F > 0) {
      m.nu = UtilisationForPreload(F, r.muGmin);
    } else if (m.GivenQuantity == 2) {
      const Extended atYield =
          ZeroWithinRounding(last.MA02 - last.MApre - last.MApreFriction, {last.MA02, last.MApre, last.MApreFriction});
      m.nu = atYield != 0 ? beyondPrevailing / atYield : 0;
    } else {
      m.nu = last.FM02 != 0 ? last.FM / last.FM02 : 0;
    }
    // The utilisation leads back to the given value, but for rounding: the
    // given value is kept as entered, so that every run and save holds it.
    run.keepGiven = m.nu != 0 && (last.MApre == 0 || F > 0);
  }
  if (m.nu == 0) {
    FatalStop(std::string("Fatal  : n") + "\x81" + " Rp = 0 !");
    return false;
  }
  return true;
}

bool CalcTightening(CalcRun& run) {
  LASTTYPE& last = Last;
  MONTAGETYPE& m = Montage;
  const REIBUNGTYPE& r = Reibung;

  const Extended givenFM = last.FM;
  const Extended givenMA = last.MA;
  // A prevailing torque that takes up all the bolt can carry at the given
  // utilisation leaves no preload: every force after it would be negative,
  // and the preload without it, which the yield condition falls back on
  // where it has no root, would grow with the torque.
  const bool leavesPreload = last.MApre == 0 || PrevailingTorqueLeavesPreload(m.nu);
  if (leavesPreload) {
    last.FM = PreloadAt(m.nu, r.muGmin);
    if (run.keepGiven && m.GivenQuantity == 3) last.FM = givenFM;
    last.FMmin = PreloadAt(m.nu, r.muGmax);
  }
  if (!leavesPreload || (last.MApre != 0 && !(last.FM > 0 && last.FMmin > 0))) {
    FatalStop("Fatal  : no preload (prev. torque) !");
    return false;
  }
  last.MA = TighteningTorque(run, last.FM, r.muGmin, r.muKmin, last.MApreFriction);
  if (run.keepGiven && m.GivenQuantity == 2) last.MA = givenMA;
  last.MAmax2 = TighteningTorque(run, last.FMmin, r.muGmax, r.muKmax, last.MApreFrictionMax);

  // Each given quantity that leaves nothing to divide by is reported and the
  // given tightening factor is used instead.
  bool fromFactor = true;
  switch (last.AlphaAChoice) {
    case 2: {
      const Extended open = DifferenceWithinRounding(1, last.TorqueScatter);
      const Extended ratio = open != 0 ? DifferenceWithinRounding(2 / open, 1) : 0;
      if (ratio == 0) {
        AddErrorMessage("Error  : torque scatter !");
        break;
      }
      last.MAmin = last.MA / ratio;
      if (TighteningFactorFromMinTorque()) {
        last.FMminGiven = last.FM / m.alphaA;
        fromFactor = false;
      }
      break;
    }
    case 3:
      if (TighteningFactorFromMinTorque()) {
        last.TorqueScatter = (last.MA - last.MAmin) / (last.MA + last.MAmin);
        last.FMminGiven = last.FM / m.alphaA;
        fromFactor = false;
      }
      break;
    case 4: {
      const Extended alphaA = last.FMminGiven > 0 ? last.FM / last.FMminGiven : 0;
      if (!IsFactor(alphaA)) {
        AddErrorMessage("Error  : FMmin given = 0 !");
        break;
      }
      m.alphaA = alphaA;
      TorquesFromTighteningFactor();
      fromFactor = false;
      break;
    }
    default:
      break;
  }
  if (!fromFactor) {
    TighteningUsed = {last.MAmin, last.TorqueScatter, last.FMminGiven};
  } else {
    const bool derived = last.AlphaAChoice >= 2 && last.AlphaAChoice <= 4;
    // In place of a derived factor the record's factor is used, and checked
    // as a given one is.
    if (derived && !(run.givenAlphaA >= 1)) AddErrorMessage("Error  : alpha A < 1, taken as 1 !");
    // The given quantity that left no factor stays in the record as entered,
    // so that the next run of the joint names it again; the results show the
    // values of the factor used.
    const Extended scatter = last.TorqueScatter, minTorque = last.MAmin, minPreload = last.FMminGiven;
    TorquesFromTighteningFactor();
    last.FMminGiven = last.FM / m.alphaA;
    TighteningUsed = {last.MAmin, last.TorqueScatter, last.FMminGiven};
    switch (last.AlphaAChoice) {
      case 2: last.TorqueScatter = scatter; break;
      case 3: last.MAmin = minTorque; break;
      case 4: last.FMminGiven = minPreload; break;
      default: break;
    }
  }
  last.MAmean = (last.MA + TighteningUsed.MAmin) / 2;

  const Extended rho = std::atan(1.155L * r.muGmin);
  last.MLoose = last.FM * (Schraube.d2 / 2 * std::tan(rho - run.phi) + run.Dkm / 2 * r.muKmin) * 0.001L +
                last.MApre + last.MApreFriction;
  Schraube.lGew = Schraube.b + Klemmstuecke.lK - Schraube.l;
  return true;
}

void CalcTemperature(CalcRun& run) {
  TEMPERATURTYPE& t = Temperatur;
  const Extended FM = Last.FM;
  if (t.TWork == t.T0) {
    t.Rp02T = MatBolt.Rp02;
    t.RmT = MatBolt.Rm;
    t.FMT = FM;
  } else {
    t.Rp02T = BoltReAtTemp(MatBolt.StrengthClass, t.TWork);
    t.RmT = BoltRmAtTemp(MatBolt.StrengthClass, t.TWork);
    t.dlST = Klemmstuecke.lK * MatBolt.alphaTBolt * (t.TWork - t.T0);
    const Extended resilience = Schraube.deltaST + Klemmstuecke.deltaPT;
    t.dFVth = resilience != 0 ? (t.dlST - t.dlPT) / resilience : 0;
    t.FMT = FM - t.dFVth;
  }
  const bool ownNutMaterial =
      IsJointWithNut() && (Mutter.NutType == 4 || MatMutter.OwnNutMaterial != 0);
  if (t.TWork != t.T0 && (!IsJointWithNut() || ownNutMaterial)) {
    t.ReMT = PlateReAtTemp(MatMutter.Name.view(), t.TWork, MatMutter.ReM);
    t.RmMT = PlateScaledAtTemp(MatMutter.Name.view(), t.TWork, MatMutter.RmM, MatMutter.ReM);
  } else {
    t.ReMT = MatMutter.ReM;
    t.RmMT = MatMutter.RmM;
  }
  run.FMp = std::max(t.FMT, FM);
  run.RpMin = std::min<Extended>(MatBolt.Rp02, t.Rp02T);
}

void CalcServiceForces(CalcRun&) {
  LASTTYPE& last = Last;
  const Extended Phi = CalcOptions.Phi;
  // The required preload and the part of it left after embedding are sums
  // of loads that may cancel: within rounding of the largest load they are 0.
  const Extended external = (1 - Phi) * (last.FAmax + last.FApre);
  const Extended compressive = last.FAmin < 0 ? Phi * last.FAmin : 0;
  const auto sum = [&](Extended value) {
    return ZeroWithinRounding(value, {external, compressive, last.FAmax, last.FApre, last.FKreq, last.FZ, last.Fpre});
  };
  last.FMreq = sum(external + last.FKreq + last.FZ + last.Fpre);
  if (last.FAmin < 0) last.FMreq = std::max(last.FMreq, sum(last.FKreq - compressive + last.FZ + last.Fpre));
  last.FMreqMax = last.FMreq * Montage.alphaA;
  last.FVreq = sum(last.FMreq - last.FZ);
  last.FSAmax = Phi * (last.FAmax + last.FApre);
  last.FSAmin = Phi * (last.FAmin + last.FApre);
  last.FPAmax = last.FAmax + last.FApre - last.FSAmax;
  last.FPAmin = last.FAmin + last.FApre - last.FSAmin;
}

void CalcResidualForces(CalcRun& run) {
  LASTTYPE& last = Last;
  const Extended FMq = std::min(Temperatur.FMT, last.FM) / Montage.alphaA;
  run.FMq = FMq;
  last.FSo = FMq - last.FZ + last.FSAmax + last.Fpre;
  last.FKRo = FMq - last.FZ - last.FPAmax - last.Fpre;
  last.FSu = FMq - last.FZ + last.FSAmin + last.Fpre;
  last.FKRu = FMq - last.FZ - last.FPAmin - last.Fpre;
  last.FVmin = DifferenceWithinRounding(FMq, last.FZ);
  last.FVmax = DifferenceWithinRounding(run.FMp, last.FZ);
  last.F02min = MatBolt.Rp02 * Schraube.Amin;
  last.Fm = MatBolt.Rm * Schraube.Amin;
  last.FSmax = run.FMp + last.FSAmax;
  const Extended extension = (1 - CalcOptions.nLoad) * Klemmstuecke.deltaPSum + Schraube.deltaS;
  CalcAux.ExtensionMax = extension * last.FSAmax;
  CalcAux.ExtensionMin = extension * last.FSAmin;
}

void CalcAnglesAndTorques(CalcRun& run) {
  MONTAGETYPE& m = Montage;
  LASTTYPE& last = Last;
  const Extended P = Gewinde.P;
  const Extended d2 = Schraube.d2;
  const Extended resilience = Klemmstuecke.deltaPSum + Schraube.deltaS;

  m.theta = P != 0 ? resilience * last.FM / P * 360 : 0;
  if (m.theta != 0) {
    m.dMAdTheta = (last.MA - last.MApre - last.MApreFriction) / m.theta;
    m.dFdTheta = last.FM / m.theta;
  }
  m.FM0 = PreloadFromUtilisation(m.nu, 0);
  m.MP0 = std::tan(run.phi) * d2 / 2 * m.FM0 * 0.001L;
  m.theta0 = P != 0 ? resilience * m.FM0 / P * 360 : 0;
  m.thetaMax = P != 0 ? resilience * last.FMmin / P * 360 : 0;
  if (m.thetaMax != 0) m.dMAdThetaMax = (last.MAmax2 - last.MApre - last.MApreFrictionMax) / m.thetaMax;

  const REIBUNGTYPE& r = Reibung;
  m.MGapprox = last.FM * d2 / 2 * (P / (kPi * d2) + 1.155L * r.muGmin) * 0.001L + last.MApre +
               last.MApreFriction;
  m.MP = last.FM * d2 / 2 * P / (kPi * d2) * 0.001L;
  m.MGmu = last.FM * d2 / 2 * r.muGmin * 1.155L * 0.001L;
  m.MKmu = last.FM * run.Dkm / 2 * r.muKmin * 0.001L;

  const Extended MAmin = TighteningUsed.MAmin;
  const Extended below =
      ZeroWithinRounding(MAmin - last.MApre - last.MApreFrictionMax, {MAmin, last.MApre, last.MApreFrictionMax});
  if (below != 0) {
    m.DeltaFMlow = last.FM / m.alphaA * (last.MA - MAmin) / below;
  } else {
    AddErrorMessage("Error  : MAmin - MApre = 0 !");
    m.DeltaFMlow = 0;
  }
  m.DeltaFM = (1 - 1 / m.alphaA) * last.FM;
  m.DeltaFMrest = m.DeltaFM - m.DeltaFMlow;
}

void CalcScatterAndFriction(CalcRun& run) {
  MONTAGETYPE& m = Montage;
  const Extended a = m.alphaA;
  if (a + 1 != 0) {
    const Extended inv = 1 / (a + 1);
    m.PreloadScatter = -inv + std::sqrt(std::max<Extended>(0, inv * inv - (1 - a) * inv));
  }
  Reibung.muGes = (0.159L * Gewinde.P + 0.578L * Schraube.d2 * Reibung.muGmin +
                   run.Dkm / 2 * Reibung.muKmin) / Gewinde.d;
}
