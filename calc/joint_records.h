// The model of the one bolted joint in memory: global records of the bolt,
// thread, clamped parts, loads, joint kind, tapped hole, friction, tightening,
// nut, eccentric loading, flange, options, materials and temperatures, and the
// result records the calculation fills. Values are held in metric units:
// mm, mm², N, N·m, N/mm², °C, degrees.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "framework/types.h"

// Limits of the arrays.
constexpr int kMaxBoltSections = 10;  // sections 1..10; entry 0 unused
constexpr int kMaxPlates = 20;        // parts 1..20; entry 0 head, nPlates+1 nut
constexpr int kPlateEntries = 22;     // array entries 0..21
constexpr int kSectionEntries = 11;   // array entries 0..10

using SectionValues = std::array<Extended, kSectionEntries>;
using PlateValues = std::array<Extended, kPlateEntries>;

// The bolt.
struct SCHRAUBTYPE {
  Word HeadType = 1;  // 1 din912 .. 8 flangesc, 0 = nut row
  Word HeadRow = 0;
  Word MatBoltRow = 0;
  Word StrengthClassCode = 1;
  Word ThreadRow = 12;
  Word BoltType = 1;  // 1 shank, 2 necked 0.9·d3, 3 self-defined, 4, 5 necked
  Extended l = 60;    // length up to the head
  Extended b = 26;    // thread length
  Extended dK = 0;    // head diameter
  Extended dw = 0;    // minimum bearing diameter of the head
  Extended DKm = 0;   // result: friction diameter of the head bearing
  Extended DminBolt = 0;
  Extended d2 = 0;
  Extended d3 = 9.853L;
  Extended ds = 0;
  Extended Amin = 0;
  Extended As = 84.3L;
  Word nSections = 1;
  SectionValues lSec{};
  SectionValues dSec{};
  SectionValues diSec{};
  SectionValues ASec{};
  SectionValues deltaSec{};
  Extended deltaSK = 0, deltaM = 0, deltaG = 0, deltaSecSum = 0, deltaS = 0, deltaGew = 0, lGew = 0;
  SectionValues betaSec{};
  Extended betaSK = 0, betaG = 0, betaSecSum = 0, betaS = 0, betaGew = 0, lers = 0, deltaST = 0;
  Word ToleranceClass = 2;  // 1 input, 2 6h, 3 4h, 4 6g, 5 4g, 6 6e, 7 4e
  std::string BoltText;
  Extended diAtDmin = 0;
  Extended Td = 0, Td2 = 0, es = 0, dmax = 0, dmin = 0, d2min = 0, d2max = 0, d2nom = 0, d3max = 0,
           d3min = 0, d3nom = 0;
};

// The thread: one row of the thread table.
struct GEWINDE_Record {
  std::int32_t RowNo = 0;
  std::string Designation = "M12";
  Extended d = 12;
  Extended P = 1.75L;
  ShortString<3> Kind = "M";
  std::string Column5;
  std::string Column6;
  Extended Column7 = 0;
  Extended Column8 = 0;
};

// The clamped parts. Entry 0 stands for the head and entry nPlates+1 for the
// nut or tapped part while the calculation runs.
struct KLEMMSTUECKTYPE {
  Word nPlates = 0;
  Extended lK = 0;
  PlateValues De{}, Di{}, L{}, E{}, Aers{}, deltaP{}, betaP{}, pPart{}, alphaT{}, DAeff{}, pmax{};
  std::array<ShortString<25>, kPlateEntries> Material{};
  std::array<std::array<Word, 2>, kPlateEntries> Codes{};  // rows in tables 10 and 24
  std::array<std::int32_t, kPlateEntries> MatTable{};     // 0 pressung, 1 mat_p_1
  Extended deltaPSum = 0, deltaPT = 0, betaPSum = 0, deltaPn1 = 0, deltaPn2 = 0, SPmin = 1;
  PlateValues Re{};
  std::array<ShortString<25>, kPlateEntries> Description{};
};

// The loads and the force results.
struct LASTTYPE {
  Word LoadKind = 2;  // 1 statical, 2 dynamic
  Word LoadCase = 1;  // 1 centric, 2 eccentric, 3 transverse
  Extended FAmax = 24900;
  Extended FAmin = 0;
  Extended FQ = 0;
  Extended FM = 0;
  Extended MA = 0;
  Extended MA02 = 0, MA02Rm = 0, FZ = 0, FVreq = 0, FSAmax = 0, FSAmin = 0, FPAmax = 0, FPAmin = 0,
           FMreqMax = 0, FMreq = 0, FM02 = 0, FM02Rm = 0;
  Extended FKreq = 1000;
  Extended FKRo = 0, FKRu = 0, FSo = 0, FSu = 0, FVmin = 0, FVmax = 0;
  Word LoadIntroPos1 = 1;
  Word LoadIntroPos2 = 2;
  Extended n1 = 0.3L;
  Extended n2 = 0.3L;
  Extended sigmaA = 0, sigmaASV = 0, sigmaMax = 0;
  Word MatSaRow = 0;
  Extended Fm = 0, F02min = 0;
  Word EnduranceChoice = 1;  // 1 rolled before, 2 after heat treatment, 3 table, 4 input
  ShortString<30> EnduranceMaterial;
  Extended sigmaRed = 0, tau = 0, MLoose = 0;
  Extended FApre = 0, MApreFriction = 0, MApre = 0, Fpre = 0;
  Extended FMmin = 0, MAmax2 = 0, MApreFrictionMax = 0;
  Extended MAmin = 0, TorqueScatter = 0, FMminGiven = 0, MAmean = 0, MApreFrictionMean = 0;
  Word AlphaAChoice = 1;  // 1 alphaA, 2 torque scatter, 3 MAmin, 4 FMmin given
  Extended Wp = 0, FSmax = 0, FSm = 0, ND = 0, NDexz = 0;
};

constexpr Word kJointTapped = 1;   // tapped blind hole joint (ESV)
constexpr Word kJointWithNut = 2;  // through bolted joint with nut (DSV)

struct VERBINDUNGTYPE {
  Word JointKind = kJointTapped;
  Extended fZ = 0;  // embedding amount
};

struct SACKLOCHTYPE {
  Extended tg = 20;  // thread depth
  Extended tb = 25;  // bore depth
  Word HoleCode = 1;
  Word NutMatRow = 4;
  std::int32_t MatTable = 0;
};

struct REIBUNGTYPE {
  Extended muGmin = 0.14L;
  Extended muKmin = 0.1L;
  Extended muTr = 0.12L;
  Extended muGmax = 0.14L;
  Extended muKmax = 0.1L;
  Word ThreadFrictionRow = 0;     // table mue_g
  Word HeadFrictionRow = 0;       // table mue_k
  Word InterfaceFrictionRow = 0;  // table mue_tr
  Word ThreadFrictionTolRow = 0;
  Word HeadFrictionTolRow = 0;
  Word FrictionCode = 2;
  Extended muGes = 0.5L;
};

struct MONTAGETYPE {
  Extended nu = 0.9L;
  Extended alphaA = 1.6L;
  Extended PreloadScatter = 0.1L;
  Word TighteningRow = 8;
  Word TighteningMethod = 2;
  Word GivenQuantity = 1;  // 1 nu, 2 MA,max, 3 FM,max
  Extended theta = 0, dMAdTheta = 0, dMAdThetaMax = 0, dFdTheta = 0, FM0 = 0, MP0 = 0, theta0 = 0,
           thetaMax = 0, TighteningAux = 0, MGapprox = 0;
  Extended ktau = 0.5L;
  Extended MP = 0, MGmu = 0, MKmu = 0, DeltaFMlow = 0, DeltaFMrest = 0, DeltaFM = 0;
  Extended sigmaFactor = 3;
  Word DriveSide = 1;  // 1 bolt driven, 2 nut driven
};

struct MUTTERTYPE {
  Word NutType = 1;  // 1 hex, 2 heavy hex, 3 flange, 4 special
  Extended dwNut = 0;
  Extended DKmNut = 0;
  Extended m = 0;
  std::int32_t NutRow = 1;
  Extended D1min = 0, D2min = 0, D1max = 0, D2max = 0, D1nom = 0, D2nom = 0, EI = 0, TD1 = 0, TD2 = 0;
  Word NutToleranceClass = 1;  // 1 6H, 2 5H, 3 4H, 4 6G, 5 5G, 6 4G
  Extended dNut = 0;
};

struct CALCOPTIONSTYPE {
  Word VdiEdition = 2;  // 1 VDI 2230 of 1986, 2 of 2003
  Extended Phi = 0, PhiK = 0, nLoad = 0;
  Byte EngageVelk = 1;
  Byte EngageVdi = 1;
  Byte FrictionTolerances = 1;
  Byte MApreOn = 0;
  Byte FApreOn = 0;
  Byte FpreOn = 0;
  Byte FSmaxOn = 1;
  std::int32_t D2D3Choice = 0;  // 0 maximum, 1 minimum, 2 average, 3 nominal
};

struct CALCAUXTYPE {
  Extended ExtensionMax = 0;  // ((1 - n)·δP + δS)·FSAmax
  Extended ExtensionMin = 0;  // the same with FSAmin
};

struct EXZTYPE {
  Word ExzCode = 1;  // 1 centric, 2 eccentric
  Word SeamPart = 1;
  Extended a = 0, s = 0, u = 0, v = 0;
  Extended IBT = 1000;
  Extended AD = 100;
  Extended FAab = 100;
  Extended PhiEn = 0, PhiEnK = 0;
  Extended IBersPrime = 0, IBers = 0;
  Extended sigmaSAbo = 0, sigmaSAbu = 0, sigmaAb = 0, deltaPPP = 0, deltaPP = 0, AersSeam = 0;
};

// Kept for the project file and the flange drawing; the calculation does not read it.
struct FLANSCHTYPE {
  std::int32_t nBolts = 12;
  Extended DT = 370;
  Extended Da = 436;
  Extended Value4 = 0, Value5 = 0, Value6 = 0;
  std::int32_t Value7 = 0;
  Extended Value8 = 0, Value9 = 0, Value10 = 0, Value11 = 0, Value12 = 0;
};

// The bolt material: one row of the bolt material table.
struct MAT_BOLT_Record {
  std::int32_t RowNo = 0;
  std::string StrengthClass = "12.9";
  // The nominal values of ISO 898-1 (a row of the bolt material table).
  std::int32_t Rp02 = 1080;
  std::int32_t Rm = 1200;
  Extended betaB = 0.577L;
  std::int32_t E = 206000;
  Extended alphaTBolt = 0;
  std::string Comment1;
  std::string Comment2;
  Extended betaBVdi = 0.577L;
};

struct MUTTERMATTYPE {
  ShortString<25> Name;
  Extended RmM = 1;
  Extended ReM = 1;
  Extended betaM = 0.577L;
  Extended pGNut = 1;
  Extended EM = 206000;
  Extended betaMVdi = 0.577L;
  Byte OwnNutMaterial = 0;
};

struct TEMPERATURTYPE {
  Extended T0 = 20;
  Extended TWork = 20;
  Extended dlPT = 0, dlST = 0, dFVth = 0, FMT = 0;
  Extended Rp02T = 1, RmT = 1, RmMT = 1, ReMT = 1;
};

// Stresses and the engaged lengths after the shear-strength method.
struct STRESSTYPE {
  Extended tauBS = 0, tauBM = 0, tauB = 0, tauM = 0, Ftau = 0, dTau = 0, shareB = 0, mminRm = 0,
           mminFS = 0, SmRm = 0, StauB = 0, StauM = 0, dmTol = 0, mTol = 0;
};

// Engaged lengths after VDI 2230.
struct VDIENGAGETYPE {
  Extended meffMin = 0, tauBMvdi = 0, tauBSvdi = 0, C1 = 0, C3 = 0, Rs = 0, SmRmVdi = 0, SmFSVdi = 0,
           meffFS = 0;
};

struct SAFETYTYPE {
  Extended SFM = 0, SyService = 0, SD = 0, SP = 0, SDexz = 0, SKab = 0, SG = 0, SF = 0, SmRmSafe = 0,
           SmFSSafe = 0;
};

extern SCHRAUBTYPE Schraube;
extern GEWINDE_Record Gewinde;
extern KLEMMSTUECKTYPE Klemmstuecke;
extern LASTTYPE Last;
extern VERBINDUNGTYPE Verbindung;
extern SACKLOCHTYPE Sackloch;
extern REIBUNGTYPE Reibung;
extern MONTAGETYPE Montage;
extern MUTTERTYPE Mutter;
extern CALCOPTIONSTYPE CalcOptions;
extern CALCAUXTYPE CalcAux;
extern EXZTYPE ExzKraftangriff;
extern FLANSCHTYPE Flansch;
extern MAT_BOLT_Record MatBolt;
extern MUTTERMATTYPE MatMutter;
extern TEMPERATURTYPE Temperatur;
extern STRESSTYPE Stress;
extern VDIENGAGETYPE VdiEngage;
extern SAFETYTYPE Safety;
extern Extended MEngaged;  // engaged thread length
extern Extended MGeo;      // engaged length less the chamfer
extern Extended Fase;      // chamfer, an input of the load form

// The minimum tightening torque, torque scatter and minimum preload the last
// calculation worked with. They are Last's, except when the given one of them
// left no tightening factor: Last keeps what was entered, and the run went on
// with the values of the given tightening factor.
struct TIGHTENINGUSEDTYPE {
  Extended MAmin = 0, TorqueScatter = 0, FMminGiven = 0;
};
extern TIGHTENINGUSEDTYPE TighteningUsed;
// The tightening values to show: those the last run used, or the project's
// own (Last) when that run stopped before its tightening step, which every
// run starts from a cleared record.
// Whether the last run reached its tightening step.
inline bool TighteningReached() {
  const TIGHTENINGUSEDTYPE& t = TighteningUsed;
  return t.MAmin != 0 || t.TorqueScatter != 0 || t.FMminGiven != 0;
}
inline TIGHTENINGUSEDTYPE TighteningShown() {
  if (TighteningReached()) return TighteningUsed;
  return {Last.MAmin, Last.TorqueScatter, Last.FMminGiven};
}

// Display names of the joint's codes.
extern const std::array<ShortString<50>, 9> HeadKindNames;        // 1..8 by HeadType
extern const std::array<ShortString<40>, 5> NutKindNames;         // 1..4 by NutType
extern const std::array<ShortString<2>, 6> NutAllowanceClasses;   // 0..5 = NutToleranceClass-1
extern const std::array<ShortString<2>, 7> BoltAllowanceClasses;  // 0..6 = ToleranceClass-1
extern const std::array<ShortString<8>, 25> CalcTableNames;       // 1..24 by table number
extern const std::array<ShortString<35>, 3> JointKindNames;       // 0..2
extern const std::array<ShortString<30>, 3> DriveSideNames;       // 0..2
extern const std::array<ShortString<30>, 3> LoadKindNames;        // 1..2
extern const std::array<ShortString<6>, 7> StrengthClassNames;    // 0..6 = code-1

// Per-part values of all 22 entries to their start values.
void InitClampedParts();
// Every field of every joint record to its default.
void InitCalcDefaults();
// Start-up of the joint model: clamped parts, then defaults.
void InitCalcRecords();
// Shutdown: releases the long texts of the records.
void FinalizeCalcRecords();
