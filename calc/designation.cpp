#include "calc/designation.h"

#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"

namespace {

std::string TrimRight(std::string text) {
  const auto end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

}  // namespace

std::string NutWidthAcrossFlatsText() {
  switch (Mutter.NutType) {
    case 1: return FloatToText(Din934.s);
    case 2: return FloatToText(Din6915.s);
    case 3: return FloatToText(Flangnut.s);
    default: return "";
  }
}

Extended BoltWidthAcrossFlats() {
  switch (Schraube.HeadType) {
    case 1: return Din912.s;
    case 2: return Din931.s;
    case 5: return Iso10642.s;
    case 8: return Flangesc.s;
    default: return 0;
  }
}

std::string BoltStandardText() {
  switch (Schraube.HeadType) {
    case 1: return TrimRight(Din912.Standard);
    case 2: return TrimRight(Din931.Standard);
    case 3: return TrimRight(Din963.Standard);
    case 4: return TrimRight(Din964.Standard);
    case 5: return TrimRight(Iso10642.Standard);
    case 6: return TrimRight(Cylslot.Standard);
    case 7: return TrimRight(Sondkopf.Standard);
    case 8: return TrimRight(Flangesc.Standard);
    default: return "";
  }
}

Extended HeadRowNominalDiameter() {
  Extended d = 0;
  switch (Schraube.HeadType) {
    case 1: d = Din912.d; break;
    case 2: d = Din931.d; break;
    case 3: d = Din963.d; break;
    case 4: d = Din964.d; break;
    case 5: d = Iso10642.d; break;
    case 6: d = Cylslot.d; break;
    case 7: d = Sondkopf.d; break;
    case 8: d = Flangesc.d; break;
    default: return 0;
  }
  return RoundToReal48(d);
}

std::string NutStandardText() {
  switch (Mutter.NutType) {
    case 1: return TrimRight(Din934.Standard);
    case 2: return TrimRight(Din6915.Standard);
    case 3: return TrimRight(Flangnut.Standard);
    default: return "";
  }
}

std::string PlainBoltDesignation() {
  const std::string S = BoltStandardText();
  const std::string D = TrimRight(Gewinde.Designation);
  const std::string L = FloatToTextFix(0, Schraube.l);
  const std::string C = TrimRight(MatBolt.StrengthClass);
  std::string text = S + " - " + D + " x " + L + " - " + C;
  if (Schraube.HeadType == 2 || Schraube.HeadType == 8) text += " SW" + FloatToText(BoltWidthAcrossFlats());
  return text;
}

std::string BoltDesignation() {
  if (Schraube.BoltType != 1 && Schraube.BoltType != 2) return "SPECIAL BOLT: " + PlainBoltDesignation();
  return PlainBoltDesignation();
}

std::string VdiEditionText(int code) {
  if (code == 1) return "VDI 2230-1986";
  if (code == 2) return "VDI 2230-2003";
  return "";
}

Extended BoltRmMax() { return 1.2L * MatBolt.Rm; }
