#include "calc/safety.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/math_utils.h"
#include "framework/rounding_rule.h"

namespace {

// Endurable cycles of the 2003 edition for rolled threads.
Extended EndurableCycles(Extended S) {
  if (IsEdition1986()) return 0;
  if (Last.EnduranceChoice == 1) return S * S * S * 2000000;
  if (Last.EnduranceChoice == 2) return S * S * S * S * S * S * 2000000;
  return 0;
}

// Whether a residual force, formed from FMq less or plus a load, falls short
// of the limit: within rounding of the largest number it came from it meets it.
bool ResidualBelow(const CalcRun& run, Extended residual, Extended load, Extended limit) {
  const LASTTYPE& last = Last;
  return ZeroWithinRounding(residual - limit, {run.FMq, last.FZ, load, last.Fpre, limit}) < 0;
}

}  // namespace

void CalcSafetyFactors(CalcRun& run) {
  SAFETYTYPE& sf = Safety;
  LASTTYPE& last = Last;
  const Extended minFM = std::min(Temperatur.FMT, last.FM);
  sf.SFM = last.FMreqMax > 0 ? minFM / last.FMreqMax : 0;
  const Extended utilisation = run.RpMin * Schraube.Amin != 0
                                   ? last.FSAmax / (run.RpMin * Schraube.Amin) + Montage.nu
                                   : 0;
  sf.SyService = last.FVmax > 0 && utilisation != 0 ? 1 / utilisation : 0;
  sf.SD = last.sigmaA > 0 ? last.sigmaASV / last.sigmaA : 10000;
  last.ND = EndurableCycles(sf.SD);
  sf.SP = Klemmstuecke.SPmin;
  const Extended minFK = std::min(last.FKRo, last.FKRu);
  sf.SG = last.FQ > 0 && Reibung.muTr > 0 ? minFK / (last.FQ / Reibung.muTr) : 1;

  const EXZTYPE& e = ExzKraftangriff;
  if (e.ExzCode != 1) {
    if (e.sigmaAb > 0) {
      sf.SDexz = last.sigmaASV / e.sigmaAb;
      last.NDexz = EndurableCycles(sf.SDexz);
    } else {
      sf.SDexz = 10000;
      last.NDexz = 0;
    }
    if (last.NDexz != 0 && AboveBeyondRounding(last.ND, last.NDexz)) last.ND = last.NDexz;
    sf.SKab = e.FAab <= 0 ? 1 : minFK / std::fabs(e.FAab);
  }
  // No comparative stress means nothing to yield.
  sf.SF = last.sigmaRed > 0 ? run.RpMin / last.sigmaRed : 10000;
  if (BelowBeyondRounding(sf.SF, 1)) AddErrorMessage("Error  : SF < 1 !");
}

void CheckDesign(CalcRun& run) {
  const SCHRAUBTYPE& s = Schraube;
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  const LASTTYPE& last = Last;
  const Extended RpMin = run.RpMin;

  if (k.Di[1] > s.dw) AddErrorMessage("Error  : dw < di1 !");
  if (BelowBeyondRounding(last.sigmaASV, last.sigmaA)) {
    if (last.sigmaA != 0)
      AddErrorMessage("alternat.stress! (S=" + FixedText(last.sigmaASV / last.sigmaA, 2) + ")");
    else
      AddErrorMessage("Error  : Sigma a = 0 !");
  }
  if (AboveBeyondRounding(last.sigmaMax, MatBolt.Rp02)) AddErrorMessage("Error  : Sigma 0 > Rp !");
  if (AboveBeyondRounding(last.FSAmax, RpMin * DifferenceWithinRounding(1, Montage.nu) * s.As)) AddErrorMessage("yield point override !");
  if (ZeroWithinRounding(k.lK - (s.l - s.b), {k.lK, s.l, s.b}) < 0) AddErrorMessage("Error  : LK < l - lG !");
  if (BelowBeyondRounding(s.l, k.lK)) {
    AddErrorMessage("Fatal  : thread depth !");
    CalcFatalFlag = 1;
  }
  if (!IsJointWithNut() && ZeroWithinRounding(s.l - (k.lK + Sackloch.tg), {s.l, k.lK, Sackloch.tg}) > 0) AddErrorMessage("Error  : thread depth !");
  if (last.LoadIntroPos1 >= last.LoadIntroPos2 && last.LoadIntroPos1 != k.nPlates + 1)
    AddErrorMessage("Error  : load introd. !");
  if (BelowBeyondRounding(last.FM, last.FMreqMax)) AddErrorMessage("Error  : FMmax > FM !");
  if (last.FQ > 0 && Reibung.muTr > 0 && BelowBeyondRounding(last.FKreq, last.FQ / Reibung.muTr))
    AddErrorMessage("Error  : FK < FKerf (shear.force) !");
  if (last.FAmin < 0 && ResidualBelow(run, last.FSu, last.FSAmin, last.FKreq)) AddErrorMessage("Error  : FSR<FKreq (FAu) !");
  if (last.FAmin > last.FAmax) AddErrorMessage("Error  : FAo < FAu !");
  if (ZeroWithinRounding(last.FVmax + last.FSAmax - RpMin * s.Amin, {last.FVmax, last.FSAmax, RpMin * s.Amin}) > 0) AddErrorMessage("Error  : Rp * Ao < FVmax + FSA !");
  if (last.FVreq < 0) AddErrorMessage("Error  : FV < 0 !");
  if (ResidualBelow(run, last.FKRo, last.FPAmax, last.FKreq)) AddErrorMessage("Error  : FKRo < FK req !");
  if (ResidualBelow(run, last.FKRu, last.FPAmin, last.FKreq)) AddErrorMessage("Error  : FKRu < FK req !");
  if (ExzKraftangriff.ExzCode == 2) {
    const Extended opening = std::fabs(ExzKraftangriff.FAab);
    if (BelowBeyondRounding(last.FKreq, opening)) AddErrorMessage("Warning: exz. FK<FKerf2 !");
    const bool upper = last.FKRo <= last.FKRu;
    if (ResidualBelow(run, upper ? last.FKRo : last.FKRu, upper ? last.FPAmax : last.FPAmin, opening))
      AddErrorMessage("Error  : exz. FK<FKerf2 disengag.!");
  }
  if (BelowBeyondRounding(last.MA, TighteningUsed.MAmin)) AddErrorMessage("Error  : MAmin > MA !");
  if (AboveBeyondRounding(TighteningUsed.FMminGiven, last.FMmin)) AddErrorMessage(std::string("Error  : FMzul/al.A > FM") + "\xE6" + "max !");
  if (IsJointWithNut() && Mutter.NutType < 4 && !FloatEqual(Mutter.dNut, Gewinde.d))
    AddErrorMessage("Error  : d nut <> d bolt !");
  switch (s.HeadType) {
    case 3:
    case 4: AddErrorMessage("Warning: slotted countersunk screw"); break;
    case 5: AddErrorMessage("Warning: hex socket countersunk head"); break;
    case 6: AddErrorMessage("Warning: slotted cheese head screw"); break;
    default: break;
  }
  if (last.FAmax > 0 && last.F02min != 0) {
    const Extended ratio = last.FSm / last.F02min;
    if (BelowBeyondRounding(ratio, 0.3L)) AddErrorMessage("Warning: FSm/F0.2min < 0.3");
    if (AboveBeyondRounding(ratio, 1)) AddErrorMessage("Warning: FSm/F0.2min > 1");
  }
}
