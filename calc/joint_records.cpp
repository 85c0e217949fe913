#include "calc/joint_records.h"

SCHRAUBTYPE Schraube;
GEWINDE_Record Gewinde;
KLEMMSTUECKTYPE Klemmstuecke;
LASTTYPE Last;
VERBINDUNGTYPE Verbindung;
SACKLOCHTYPE Sackloch;
REIBUNGTYPE Reibung;
MONTAGETYPE Montage;
MUTTERTYPE Mutter;
CALCOPTIONSTYPE CalcOptions;
CALCAUXTYPE CalcAux;
EXZTYPE ExzKraftangriff;
FLANSCHTYPE Flansch;
MAT_BOLT_Record MatBolt;
MUTTERMATTYPE MatMutter;
TEMPERATURTYPE Temperatur;
STRESSTYPE Stress;
VDIENGAGETYPE VdiEngage;
SAFETYTYPE Safety;
Extended MEngaged = 0;
Extended MGeo = 0;
TIGHTENINGUSEDTYPE TighteningUsed;
Extended Fase = 0;

// "hexagon" is the word of the standard titles for the six-sided parts.
const std::array<ShortString<50>, 9> HeadKindNames = {
    "",
    "hexagon socket head bolt",
    "hexagon head bolt",
    "slotted countersunk screw",
    "slotted raised countersunk screw",
    "hexagon socket countersunk head screw",
    "slotted cheese head screw",
    "special head bolt",
    "hex flange bolt",
};

const std::array<ShortString<40>, 5> NutKindNames = {
    "", "hexagon nut", "heavy hex nut", "hex flange nut", "special",
};

const std::array<ShortString<2>, 6> NutAllowanceClasses = {"6H", "5H", "4H", "6G", "5G", "4G"};

const std::array<ShortString<2>, 7> BoltAllowanceClasses = {"0", "6h", "4h", "6g", "4g", "6e", "4e"};

const std::array<ShortString<8>, 25> CalcTableNames = {
    "",         "gewinde",  "din912",   "din931",   "din963",   "din964",   "iso10642",
    "cylslot",  "sondkopf", "flangesc", "pressung", "din934",   "din6915",  "flangnut",
    "anzieh",   "mue_g",    "mue_k",    "mue_tr",   "klemmstk", "lschraub", "mat_bolt",
    "mue_gtol", "mue_ktol", "mue_gtm",  "mat_p_1",
};

const std::array<ShortString<35>, 3> JointKindNames = {
    "undefined", "tapped blind hole joint (ESV)", "through bolted joint with nut (DSV)"};

const std::array<ShortString<30>, 3> DriveSideNames = {"undefined", "Bolt driven", "Nut driven"};

const std::array<ShortString<30>, 3> LoadKindNames = {"", "statical", "dynamic"};

// The last is the word for a special class, cut to six characters.
const std::array<ShortString<6>, 7> StrengthClassNames = {"12.9", "10.9", "8.8", "6.8",
                                                          "5.8",  "5.6",  "special"};

void InitClampedParts() {
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  for (int i = 0; i < kPlateEntries; ++i) {
    k.De[i] = k.Di[i] = k.L[i] = k.Aers[i] = k.deltaP[i] = k.betaP[i] = 0;
    k.pPart[i] = k.alphaT[i] = k.DAeff[i] = k.Re[i] = 0;
    k.E[i] = 210000;
    k.pmax[i] = 100;
    k.Material[i] = "";
    k.Description[i] = "";
    k.MatTable[i] = 0;
    k.Codes[i] = {0, 0};
  }
}

void InitCalcDefaults() {
  Schraube = SCHRAUBTYPE{};
  Schraube.lSec[1] = 60;
  Gewinde = GEWINDE_Record{};
  Klemmstuecke = KLEMMSTUECKTYPE{};
  InitClampedParts();
  Klemmstuecke.De[1] = 80;
  Klemmstuecke.L[1] = 42;
  Last = LASTTYPE{};
  Verbindung = VERBINDUNGTYPE{};
  Sackloch = SACKLOCHTYPE{};
  Reibung = REIBUNGTYPE{};
  Montage = MONTAGETYPE{};
  Mutter = MUTTERTYPE{};
  CalcOptions = CALCOPTIONSTYPE{};
  CalcAux = CALCAUXTYPE{};
  ExzKraftangriff = EXZTYPE{};
  Flansch = FLANSCHTYPE{};
  MatBolt = MAT_BOLT_Record{};
  MatMutter = MUTTERMATTYPE{};
  Temperatur = TEMPERATURTYPE{};
  Stress = STRESSTYPE{};
  VdiEngage = VDIENGAGETYPE{};
  Safety = SAFETYTYPE{};
  MEngaged = 0;
  MGeo = 0;
  Fase = 0;
  TighteningUsed = TIGHTENINGUSEDTYPE{};
}

void InitCalcRecords() {
  InitClampedParts();
  InitCalcDefaults();
}

void FinalizeCalcRecords() {
  MatBolt.Comment2.clear();
  MatBolt.Comment1.clear();
  MatBolt.StrengthClass.clear();
  Gewinde.Column6.clear();
  Gewinde.Column5.clear();
  Gewinde.Designation.clear();
  Schraube.BoltText.clear();
}
