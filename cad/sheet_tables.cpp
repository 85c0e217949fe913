#include "cad/sheet_tables.h"

#include <vector>

#include "cad/cad_output.h"
#include "cad/draw_table.h"
#include "cad/title_block.h"
#include "calc/designation.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "framework/units.h"

namespace {

constexpr Extended h = kSheetTableTextHeight;
constexpr char kMu = '\xE6';  // µ in code page 437

// Value cells of the tables.
std::string F(Extended n) { return FloatToTextPrec(8, ForceToDisplay(n)); }
std::string M7(Extended nm) { return FloatToTextPrec(7, MomentToDisplay(nm)); }
std::string P7(Extended x) { return FloatToTextPrec(7, x); }
std::string L(int w, int d, Extended mm) { return LengthToTextFmt(w, d, mm); }
std::string X3(Extended x) { return FloatToTextFix(3, x); }
std::string Mu(const char* suffix) { return std::string(1, kMu) + suffix; }

bool TemperaturesDiffer() { return Temperatur.TWork != Temperatur.T0; }

bool SpecialNut() { return Mutter.NutType == 4; }

// The joint's nut or tapped part has a material of its own whose strength
// limits the engaged length.
bool EngagementOfOwnMaterial() {
  return Verbindung.JointKind == kJointTapped ||
         (Verbindung.JointKind == kJointWithNut && (MatMutter.OwnNutMaterial || SpecialNut()));
}

std::string Name(const ShortString<25>& s) {
  std::string t = s.str();
  t.resize(25, ' ');
  return t;
}

void MinimumEngagedRows(TDrawTable& t) {
  const std::string unit = " " + LengthUnitText();
  if (CalcOptions.EngageVelk)
    t.AddRow({"m min Rmmax VDI2230 / Velk", unit,
              LengthToTextDigits(1, VdiEngage.meffMin) + " / " + LengthToTextDigits(1, Stress.mminRm)});
  else
    t.AddRow({"m eff min Rmmax  VDI 2230", unit, L(5, 1, VdiEngage.meffMin)});
  if (!CalcOptions.FSmaxOn) return;
  if (CalcOptions.EngageVelk)
    t.AddRow({"m min FSmax VDI2230 / Velk", unit,
              LengthToTextDigits(1, VdiEngage.meffFS) + " / " + LengthToTextDigits(1, Stress.mminFS)});
  else
    t.AddRow({"m eff min FSmax  VDI 2230", unit, L(5, 1, VdiEngage.meffFS)});
}

void DesignationTable() {
  auto t = TDrawTable::Init(BoltDesignation(), 110, 283, h, {40});
  t->Done();
}

// The plates table stands between the designation and the engagement table.
constexpr Extended kPlatesTop = 270, kEngagementTop = 216;

// The text height of a table from top with rows below its header: smaller
// than the tables' own where its rows would reach below floor (a row is
// twice the text high), so that one millimetre stays free above it.
Extended HeightAbove(Extended top, std::size_t rows, Extended floor) {
  const Extended fit = (top - floor - 1) / (2 * (static_cast<Extended>(rows) + 1));
  return fit < h ? fit : h;
}

// A table's rows, collected before it is drawn so that its height can fit them.
using Rows = std::vector<std::vector<std::string>>;

void AddRows(TDrawTable& t, const Rows& rows) {
  for (const auto& r : rows) t.AddRow(r);
}

void PlatesTable() {
  const std::string u = LengthUnitText();
  const int n = Klemmstuecke.nPlates < kMaxPlates ? Klemmstuecke.nPlates : kMaxPlates;
  // Smaller where its rows would reach the engagement table below.
  const std::size_t plates = n > 0 ? static_cast<std::size_t>(n) : 0;
  auto t = TDrawTable::Init("i", 110, kPlatesTop, HeightAbove(kPlatesTop, plates, kEngagementTop), {2, 6, 6, 6, 20},
                            {"de [" + u + "]", "di [" + u + "]", " l [" + u + "]", " material "});
  for (int i = 1; i <= n; ++i)
    t->AddRow({IntToText(i), L(4, 1, Klemmstuecke.De[i]), L(4, 1, Klemmstuecke.Di[i]),
               L(4, 1, Klemmstuecke.L[i]), Name(Klemmstuecke.Material[i])});
  t->Done();
}

void EngagementTable() {
  const Word kind = Verbindung.JointKind;
  const std::string title = kind < JointKindNames.size() ? JointKindNames[kind].str() : std::string();
  auto t = TDrawTable::Init(title, 110, kEngagementTop, h, {24, 6, 10});
  const std::string unit = " " + LengthUnitText();
  if (kind == kJointTapped) {
    t->ClearOuterLines();
    t->AddRow({"material : " + MatMutter.Name.str()});
    t->SetOuterLines();
    t->AddRow({"m", unit, L(5, 1, MEngaged)});
    t->AddRow({"m tr", unit, L(5, 1, MGeo)});
    MinimumEngagedRows(*t);
  } else if (kind == kJointWithNut) {
    t->ClearOuterLines();
    t->AddRow({"nut  dw= " + LengthToText(Mutter.dwNut) + ",  h= " + LengthToText(Mutter.m) + " " +
               LengthUnitText()});
    if (!SpecialNut()) t->AddRow({NutStandardText() + " - SW " + NutWidthAcrossFlatsText()});
    t->SetOuterLines();
    t->AddRow({"h M", unit, L(5, 1, Mutter.m)});
    t->AddRow({"m tr", unit, L(5, 1, MGeo)});
    if (SpecialNut() || MatMutter.OwnNutMaterial) MinimumEngagedRows(*t);
  }
  t->Done();
}

void LoadTable() {
  const std::string fu = ForceUnitText();
  Rows rows;
  auto row = [&](const std::string& label, Extended value) { rows.push_back({label, fu, F(value)}); };
  row("FA max", Last.FAmax);
  row("FA min", Last.FAmin);
  if (Last.FApre > 0) row("FA pre", Last.FApre);
  if (Last.Fpre > 0) row("F pre", Last.Fpre);
  row("FQ", Last.FQ);
  row("FKreq", Last.FKreq);
  row("FKR min", Last.FKRo);
  row("FM,Re", Last.FM02);
  row("FM,max", Last.FM);
  if (TemperaturesDiffer()) row("FM,max" + TemperatureToTextFix(0, Temperatur.TWork), Temperatur.FMT);
  row("FMmax,req", Last.FMreqMax);
  row("FMmin,req", Last.FMreq);
  rows.push_back({"fz", LengthUnitText(), FloatToTextPrec(8, LengthToDisplay(Verbindung.fZ))});
  row("Fz", Last.FZ);
  row("FV min,req", Last.FVreq);
  row("FV min", Last.FVmin);
  row("FV max", Last.FVmax);
  row("FSA max", Last.FSAmax);
  row("FPA max", Last.FPAmax);
  row("FS max", Last.FSmax);
  row("FS,Re", Last.F02min);
  if (Last.Fpre == 0 || Last.FApre == 0) row("FS,Rm", Last.Fm);
  // Its rows end above the title block of the drawing sheet.
  constexpr Extended top = 152;
  auto t = TDrawTable::Init("LOAD" + SheetTemperatureSuffix(), 22, top,
                            HeightAbove(top, rows.size(), kTitleBlockTop), {8, 4, 8});
  AddRows(*t, rows);
  t->Done();
}

void HeaderLinesTable() {
  auto t = TDrawTable::Init(HeaderLines[1].str(), 22, 174, h, {78});
  t->AddRow({HeaderLines[2].str()});
  t->AddRow({HeaderLines[3].str()});
  t->Done();
}

void FrictionTable() {
  const bool tolerances = CalcOptions.FrictionTolerances != 0;
  auto t = tolerances ? TDrawTable::Init("FRICTION", 153, 152, h, {7, 6, 6}, {"   min", "max"})
                      : TDrawTable::Init("FRICTION", 153, 152, h, {7, 6}, {"   min"});
  if (tolerances) {
    t->AddRow({Mu("G"), X3(Reibung.muGmin), X3(Reibung.muGmax)});
    t->AddRow({Mu("K"), X3(Reibung.muKmin), X3(Reibung.muKmax)});
  } else {
    t->AddRow({Mu("G"), X3(Reibung.muGmin)});
    t->AddRow({Mu("K"), X3(Reibung.muKmin)});
  }
  t->AddRow({Mu("Tr"), X3(Reibung.muTr)});
  if (Last.MApre == 0) {
    t->AddRow({"K", X3(Reibung.muGes)});
  } else {
    const std::string torque = MomentToText(Last.MApre) + " " + MomentUnitText();
    if (tolerances) t->AddRow({"MApre", torque, torque});
    else t->AddRow({"MApre", torque});
  }
  t->Done();
}

void AssemblyTable() {
  const Word side = Montage.DriveSide;
  const std::string sideName = side < DriveSideNames.size() ? DriveSideNames[side].str() : std::string();
  auto t = TDrawTable::Init("ASSEMBLY (" + sideName + ")", 72, 152, h, {13, 6, 14});
  t->AddRow({"nue Rp", "", FormatFloatText(8, 2, Montage.nu)});
  t->AddRow({"alpha A", "", FormatFloatText(8, 2, Montage.alphaA)});
  const bool pitch = Gewinde.P > 0;
  if (CalcOptions.FrictionTolerances) {
    t->AddRow({"MA max/min", MomentUnitText(), M7(Last.MA) + " / " + M7(TighteningUsed.MAmin)});
    // A tightening factor of 0 is unusable input: its angle stays 0.
    const Extended thetaMin = Montage.alphaA != 0 ? Montage.theta / Montage.alphaA : 0;
    if (pitch) t->AddRow({"alpha max/min", "deg", P7(Montage.theta) + " / " + P7(thetaMin)});
  } else {
    t->AddRow({"MA max", MomentUnitText(), M7(Last.MA)});
    if (pitch) t->AddRow({"alpha max", "deg", P7(Montage.theta)});
  }
  t->Done();
}

void SafetyTable() {
  Rows rows;
  auto row = [&](const char* text, const char* symbol, Extended value) {
    rows.push_back({text, symbol, FormatFloatText(3, 2, value)});
  };
  const bool eccentric = ExzKraftangriff.ExzCode != 1;
  if (Last.FMreqMax > 0) row("safety against loosening", "FM,max/FMmax,req", Safety.SFM);
  if (Last.FVmax > 0) row("safety yield point red.B", "SF=Rp/Sig.redB", Safety.SF);
  const bool eccentricRow = eccentric && ExzKraftangriff.sigmaSAbo > 0 && Safety.SDexz < 1000;
  if (eccentricRow) row("safety ag.fatigue fract.(eccen.)", "SD=sig.AS/Sig.ab", Safety.SDexz);
  if (!eccentricRow && Last.sigmaA > 0 && Safety.SD < 1000)
    row("safety ag.fatigue fract.(centr.)", "SD=Sig.AS/Sig.a", Safety.SD);
  row("safety plate surface pressure", "Sp=pG/pmax", Klemmstuecke.SPmin);
  if (Last.FQ > 0 && Reibung.muTr > 0) row("safety against slipping due to FQ", "SG=FKRmin/FKQreq", Safety.SG);
  if (eccentric && ExzKraftangriff.FAab > 0 && Safety.SKab < 1000)
    row("safety against disengagement", "FKRmin/FKab", Safety.SKab);
  if (EngagementOfOwnMaterial() && (CalcOptions.EngageVelk || CalcOptions.EngageVdi)) {
    row("thread strip safety at Rm,max", "m tr / m min.", Safety.SmRmSafe);
    if (CalcOptions.FSmaxOn) row("thread strip safety at FM,max+FSA", "tau Rm / tau B,M", Safety.SmFSSafe);
  }
  for (int i = 1; i <= CalcMessages.count && i <= static_cast<int>(kCalcMessageSlots); ++i)
    rows.push_back({CalcMessages.texts[i].str()});
  // Its rows, the messages with them, end above the title block of the drawing sheet.
  constexpr Extended top = 121;
  auto t = TDrawTable::Init("FACTORS OF SAFETY" + SheetTemperatureSuffix(), 72, top,
                            HeightAbove(top, rows.size(), kTitleBlockTop), {32, 17, 6});
  AddRows(*t, rows);
  t->Done();
}

// One of the four tables of the forces sheet: description, symbol, unit, value.
struct ForceRow {
  std::string description, symbol, unit, value;
};

void ForcesTable(const std::string& title, Extended y, const std::vector<ForceRow>& rows) {
  auto t = TDrawTable::Init(title, 30, y, h, {30, 24, 6, 10});
  for (const auto& r : rows) t->AddRow({r.description, r.symbol, r.unit, r.value});
  t->Done();
}

}  // namespace

std::string SheetTemperatureSuffix() {
  if (!TemperaturesDiffer()) return "";
  return " (T=" + TemperatureToTextFix(0, Temperatur.T0) + " .. " + TemperatureToTextFix(0, Temperatur.TWork) +
         " " + TemperatureUnitText() + ")";
}

namespace {

void PlatesTableParts() {
  DesignationTable();
  PlatesTable();
  EngagementTable();
  LoadTable();
  HeaderLinesTable();
  FrictionTable();
  AssemblyTable();
  SafetyTable();
}

void ForcesTableParts() {
  const std::string fu = ForceUnitText();
  std::vector<ForceRow> input = {{"tensile load max.", "FA max", fu, F(Last.FAmax)},
                                 {"tensile load min.", "FA min", fu, F(Last.FAmin)}};
  if (Last.FApre > 0) input.push_back({"preload", "FA pre", fu, F(Last.FApre)});
  if (Last.Fpre > 0) input.push_back({"preload", "F pre", fu, F(Last.Fpre)});
  input.push_back({"transverse load", "FQ", fu, F(Last.FQ)});
  input.push_back({"reqd.residual clamp.load", "FKR", fu, F(Last.FKreq)});
  input.push_back({"amount of embedding", "fz", LengthUnitText(), FloatToTextPrec(8, LengthToDisplay(Verbindung.fZ))});
  input.push_back({"loss of preload by embedding", "Fz", fu, F(Last.FZ)});
  input.push_back({"tightening factor", "alpha A", "", FloatToTextPrec(8, Montage.alphaA)});
  input.push_back({"tightening torque (max.)", "MA", MomentUnitText(), FloatToTextPrec(8, MomentToDisplay(Last.MA))});
  ForcesTable("input", 195, input);

  ForcesTable("Load Extension Diagram", 145,
              {{"FSA / FA", "phi n", "", FloatToTextPrec(8, CalcOptions.Phi)},
               {"additional bolt load from FA", "FSA max", fu, F(Last.FSAmax)},
               {"additional plate load from FA", "FPA max", fu, F(Last.FPAmax)}});

  ForcesTable("Load, required", 120,
              {{"req. preload", "FV = FKR + FA - FSA", fu, F(Last.FVreq)},
               {"req. assembly preload min.", "FM min = FV + Fz", fu, F(Last.FMreq)},
               {"req. assembly preload max.", "FM max = FM min * alpha A", fu, F(Last.FMreqMax)}});

  ForcesTable("Load, real", 95,
              {{"real assembly preload (max)", "FM (zul,max)", fu, F(Last.FM)},
               {"assembly preload at Rp", "FM 0.2", fu, F(Last.FM02)},
               {"real assembly preload max.", "FV max = FM - Fz", fu, F(Last.FVmax)},
               {"real assembly preload min.", "FV min = FM / alphaA - Fz", fu, F(Last.FVmin)},
               {"real residual clamp.load", "FKR min = FV min - FPA", fu, F(Last.FKRo)},
               {"bolt load max.", "FS max = FV max + FSA", fu, F(Last.FSmax)},
               {"bolt fracture load", "F Rm", fu, F(Last.Fm)},
               {"yield load, bolt", "F Rp", fu, F(Last.F02min)}});
}

}  // namespace

void DrawPlatesTable() {
  CadSetColor(4);
  PlatesTableParts();
}

void DrawForcesTable() {
  CadSetColor(4);
  ForcesTableParts();
}

Extended SheetTablesBottom(Extended start) {
  TDrawTable::Measure measure;
  PlatesTableParts();
  ForcesTableParts();
  return measure.Lowest(start);
}
