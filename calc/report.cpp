#include "calc/report.h"

#include <cerrno>
#include <cmath>

#include "calc/bolt_geometry.h"
#include "calc/designation.h"
#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc/table_rows.h"
#include "dbf/table_writer.h"
#include "framework/calc_messages.h"
#include "framework/error_explanations.h"
#include "framework/globals.h"
#include "framework/line_io.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "framework/units.h"

namespace {

constexpr Extended kQuarterPi = 0.7853981633974483L;
const std::string kMu = "\xE6";         // code page 437 µ
const std::string kPlusMinus = "\xF1";  // code page 437 ±

// The numbers printed since the last row, for the collector: each text with
// the value it shows.
std::vector<std::pair<std::string, std::vector<Extended>>> Printed;
std::string CurrentSection;
std::string CurrentTableTitle;

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// A value that is not finite (formed by dividing by nothing) is no result:
// it prints as a dash in the width of its text, and is read as that text.
std::string NoValue(const std::string& text) {
  return std::string(text.size() > 1 ? text.size() - 1 : 0, ' ') + "-";
}

// Keeps the value behind a printed text while a collector reads the report.
std::string Shown(std::string text, Extended value) {
  if (!std::isfinite(value)) return NoValue(text);
  if (ReportValueCollector) Printed.push_back({Trim(text), {value}});
  return text;
}

// The printed text with its value, taken from the numbers printed since the
// last row; a text that no number printed is a text.
ReportNumber TakeNumber(std::string_view text) {
  ReportNumber n{Trim(text), {}};
  for (auto it = Printed.begin(); it != Printed.end(); ++it) {
    if (it->first != n.text) continue;
    n.values = it->second;
    Printed.erase(it);
    break;
  }
  return n;
}

// Value formats of the report rows.
std::string L(int w, int d, Extended x) { return Shown(LengthToTextFmt(w, d, x), LengthToDisplay(x)); }
std::string A(int w, int d, Extended x) { return Shown(AreaToTextFmt(w, d, x), AreaToDisplay(x)); }
std::string I(int w, int d, Extended x) { return Shown(InertiaToTextFmt(w, d, x), InertiaToDisplay(x)); }
std::string S(int w, Extended x) { return Shown(StressToTextFmt(w, 0, x), StressToDisplay(x)); }
std::string T8(Extended x) { return Shown(TemperatureToTextFmt(8, 0, x), TemperatureToDisplay(x)); }
std::string F(Extended x) { return Shown(FloatToTextPrec(8, ForceToDisplay(x)), ForceToDisplay(x)); }
std::string M(Extended x) { return Shown(FloatToTextPrec(8, MomentToDisplay(x)), MomentToDisplay(x)); }
std::string N(int w, int d, Extended x) { return Shown(FormatFloatText(w, d, x), x); }
std::string P(Extended x) { return Shown(FloatToTextPrec(8, x), x); }
std::string E(Extended x) { return Shown(FloatToTextEng(x), x); }
std::string Idx(int i) { return Shown(IntToTextWidth(i, 2), i); }
std::string Range(int w, int d, Extended lo, Extended hi) {
  std::string text = RangeText(w, d, lo, hi);
  if (!std::isfinite(lo) || !std::isfinite(hi)) return NoValue(text);
  if (ReportValueCollector) Printed.push_back({Trim(text), FloatEqual(lo, hi) ? std::vector<Extended>{lo} : std::vector<Extended>{lo, hi}});
  return text;
}

void Row(std::string_view desc, std::string_view sym, std::string_view unit, std::string_view value) {
  OutputTableRow(desc, sym, unit, value);
  if (!ReportValueCollector) return;
  ReportValueCollector->rows.push_back({CurrentSection, Trim(desc), Trim(sym), Trim(unit), TakeNumber(value)});
  Printed.clear();
}

// A table of the report, written as the table writer writes it and read
// into the collector with the values of its cells.
class ReportTableWriter {
 public:
  void Init(const TTableWriter::Widths& widths, const TTableWriter::Texts& heads) {
    writer_.Init(widths, heads);
    if (!ReportValueCollector) return;
    ReportTable table{CurrentSection, CurrentTableTitle, {}, {}};
    for (const auto& h : heads)
      if (!h.empty()) table.columns.push_back(Trim(h));
    ReportValueCollector->tables.push_back(std::move(table));
  }
  void WriteRow(const TTableWriter::Texts& cells) {
    writer_.WriteRow(cells);
    if (!ReportValueCollector) return;
    std::vector<ReportNumber> row;
    for (std::size_t i = 0; i < ReportValueCollector->tables.back().columns.size(); ++i)
      row.push_back(TakeNumber(cells[i]));
    ReportValueCollector->tables.back().rows.push_back(std::move(row));
    Printed.clear();
  }
  void Done() { writer_.Done(); }

 private:
  TTableWriter writer_{TTableWriter::Layout::Compact};
};

// A line that names the table below it.
void TableTitle(std::string_view text) {
  OutputLine(text);
  CurrentTableTitle = Trim(text);
}

void Heading(std::string_view text) {
  OutputLine(text);
  CurrentSection = Trim(text);
  OutputLine(RuleLineText());
}

void Section(std::string_view text) {
  OutputLine("");
  Heading(text);
}

void Separator() { OutputLine(SeparatorLine()); }

bool Stopped() { return AbortFlag != 0; }

// A new page with its header and empty lines; false when the output failed.
bool NewPage(int emptyLines) {
  OutputPageCheck();
  OutputPageHeader(0, 0);
  if (Stopped()) return false;
  for (int i = 0; i < emptyLines; ++i) OutputLine("");
  return true;
}

bool KeepLines() {
  OutputKeepLines(0);
  return !Stopped();
}

bool IsTapped() { return Verbindung.JointKind == kJointTapped; }
bool IsWithNut() { return Verbindung.JointKind == kJointWithNut; }
// Tapped joint, or a nut with its own material or a special nut: the nut
// thread and its material are shown.
bool NutThreadShown() {
  return IsTapped() || (IsWithNut() && (Mutter.NutType == 4 || MatMutter.OwnNutMaterial));
}

std::string LenUnit() { return LengthUnitText(); }

template <typename Table>
std::string TableText(const Table& table, std::size_t i) {
  return i < table.size() ? table[i].str() : std::string();
}

// Bolt -----------------------------------------------------------------------

void BoltGroup() {
  const SCHRAUBTYPE& s = Schraube;
  const int n = s.nSections <= kMaxBoltSections ? s.nSections : kMaxBoltSections;
  const std::string u = LenUnit();
  const std::string designation = PlainBoltDesignation();
  const bool standardBolt = s.BoltType == 1 || s.BoltType == 2;
  CurrentSection = "BOLT";
  if (s.BoltType == 3) {
    TableTitle("SPECIAL BOLT:  " + designation + " (" + "DIMENSIONS" + ")");
    ReportTableWriter t;
    t.Init({6, 10, 10, 10, 10, 0, 0}, {"i", "de [" + u + "]", "di [" + u + "]", "l [" + u + "]", "x [" + u + "]"});
    Extended x = 0;
    for (int i = 1; i <= n; ++i) {
      x += s.lSec[i];
      t.WriteRow({Idx(i), L(4, 2, s.dSec[i]), L(4, 2, s.diSec[i]), L(4, 2, s.lSec[i]), L(4, 2, x)});
    }
    t.Done();
    OutputLine("");
  }
  TableTitle(standardBolt ? TableText(HeadKindNames, s.HeadType) + " " + designation
                          : "SPECIAL BOLT:  " + designation);
  ReportTableWriter t;
  t.Init({6, 10, 10, 10, 12, 10, 10},
         {"i", "de [" + u + "]", "di [" + u + "]", "l [" + u + "]", "A [" + AreaUnitText() + "]", "x [" + u + "]",
          "delta mm/N"});
  const SectionValues shank = ShankLengths(n, s.b);
  Extended x = 0;
  for (int i = 1; i <= n; ++i) {
    const Extended l = shank[i];
    x += l;
    t.WriteRow({Idx(i), L(3, 2, s.dSec[i]), L(3, 2, s.diSec[i]), L(3, 2, l), A(6, 1, s.ASec[i]), L(3, 2, x),
                E(s.deltaSec[i])});
  }
  const Extended di = s.diSec[n];
  t.WriteRow({"G3", L(3, 2, s.d3), L(3, 2, di), L(3, 2, s.lGew), A(6, 1, kQuarterPi * (s.d3 * s.d3 - di * di)),
              L(3, 2, Klemmstuecke.lK), E(s.deltaGew)});
  t.WriteRow({"G2", L(3, 2, s.d2), L(3, 2, di), L(3, 2, s.b - s.lGew),
              A(6, 1, kQuarterPi * (s.d2 * s.d2 - di * di)), L(3, 2, s.l), ""});
  t.Done();
  OutputLine("");
  Separator();

  const bool tol = s.ToleranceClass > 1;
  Row("major diameter", "d", u, L(5, 2, Gewinde.d));
  if (tol) {
    Row("allowance class", "", "", "     " + TableText(BoltAllowanceClasses, s.ToleranceClass - 1u));
    Row("major diameter max", "dmax", u, L(4, 3, s.dmax));
  }
  Row("major diameter min", "dmin", u, L(4, 3, s.dmin));
  Row("thread pitch", "P", u, L(5, 2, Gewinde.P));
  Row("stress cross-section", "As", AreaUnitText(), A(6, 1, s.As));
  Row("diameter to As", "ds", u, L(4, 3, s.ds));
  Row("minor diameter", "d3", u, L(4, 3, s.d3));
  if (tol) {
    Row("minor diameter nom.", "d3 nom", u, L(4, 3, s.d3nom));
    Row("minor diameter max.", "d3 max", u, L(4, 3, s.d3max));
    Row("minor diameter min.", "d3 min", u, L(4, 3, s.d3min));
  }
  Row("pitch diameter", "d2", u, L(4, 3, s.d2));
  if (tol) {
    Row("pitch diameter nom.", "d2 nom", u, L(4, 3, s.d2nom));
    Row("pitch diameter max.", "d2 max", u, L(4, 3, s.d2max));
    Row("pitch diameter min.", "d2 min", u, L(4, 3, s.d2min));
  }
  if (s.diAtDmin > 0.01L) Row("inner diameter", "db", u, L(4, 3, s.diAtDmin));
  Row("minimum cross-section", "A0", AreaUnitText(), A(6, 1, s.Amin));
  const std::string su = StressUnitText();
  Row("yield point", "Re,Rp0,2", su, S(8, MatBolt.Rp02));
  Row("tensile strength min", "Rm", su, S(8, MatBolt.Rm));
  Row("tensile strength max", "Rm,max", su, S(8, BoltRmMax()));
  Row("Young`s modulus", "ES", su, S(8, MatBolt.E));
  if (CalcOptions.EngageVelk) Row("shear stress coefficient Velk", "betaB", "", N(4, 3, MatBolt.betaB));
  Row("bolt length up to head", "l", u, L(5, 2, s.l));
  Row("thread length", "lG", u, L(5, 2, s.b));
  if (s.HeadType == 1 || s.HeadType == 2 || s.HeadType == 8)
    Row("width across flats", "SW", u, L(5, 2, BoltWidthAcrossFlats()));
  if (s.HeadType >= 1 && s.HeadType <= 3) Row("head diameter", "DK", u, L(5, 2, s.dK));
  Row("min.bear.surface dia", "dw", u, L(5, 2, s.dw));
  Row("clamping length", "lk", u, L(5, 2, Klemmstuecke.lK));
}

bool PlateGroup() {
  if (!KeepLines()) return false;
  OutputLine("");
  OutputLine("");
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  const int n = k.nPlates <= kMaxPlates ? k.nPlates : kMaxPlates;
  const std::string u = LenUnit();
  TableTitle("CLAMPED PLATES (DIMENSIONS)");
  ReportTableWriter dims;
  dims.Init({6, 10, 10, 10, 10, 12, 10},
            {"i", "de [" + u + "]", "di [" + u + "]", "l [" + u + "]", " x[" + u + "]", "Aequ[" + AreaUnitText() + "]",
             "de pmax"});
  Extended x = 0;
  for (int i = 1; i <= n; ++i) {
    x += k.L[i];
    dims.WriteRow({Idx(i), L(3, 2, k.De[i]), L(3, 2, k.Di[i]), L(3, 2, k.L[i]), L(3, 2, x), A(5, 1, k.Aers[i]),
                   L(5, 1, k.DAeff[i])});
  }
  dims.Done();
  OutputLine("");
  TableTitle("CLAMPED PLATES (MATERIAL AND LOAD)");
  ReportTableWriter mat;
  mat.Init({4, 18, 10, 8, 8, 11, 10},
           {"i", "material ", "E [" + StressUnitText() + "]", "pperm", "pBmax", "d.[mm/N]", "a.[mm/K]"});
  for (int i = 1; i <= n; ++i)
    mat.WriteRow({Idx(i), PadRight(k.Material[i].view(), 15), S(7, k.E[i]), S(4, k.pmax[i]), S(4, k.pPart[i]),
                  E(k.deltaP[i]), E(k.alphaT[i])});
  mat.Done();
  if (!KeepLines()) return false;
  OutputLine("");
  OutputLine("");
  return true;
}

bool JointGroup() {
  const std::string u = LenUnit();
  const std::string su = StressUnitText();
  Heading("BOLTED JOINT: " + TableText(JointKindNames, Verbindung.JointKind));
  if (IsTapped()) {
    Row("material", "", MatMutter.Name.view(), "");
    Row("tensile strength", "Rm", su, S(8, MatMutter.RmM));
    Row("yield point", "Re", su, S(8, MatMutter.ReM));
    Row("modulus of elasticity", "E M", su, S(8, MatMutter.EM));
    Row("bore depth", "tB", u, L(6, 1, Sackloch.tb));
    Row("thread depth", "tG", u, L(6, 1, Sackloch.tg));
  } else if (IsWithNut()) {
    Heading(TableText(NutKindNames, Mutter.NutType) + " " + NutStandardText() + " - SW " + NutWidthAcrossFlatsText());
    Row("min.bear.surface dia nut", "dw M", u, L(5, 2, Mutter.dwNut));
    Row("height of nut", "h M", u, L(6, 1, Mutter.m));
    if (Mutter.NutType == 4 || MatMutter.OwnNutMaterial) {
      Row("material", "", MatMutter.Name.view(), "");
      Row("tensile strength", "Rm", su, S(8, MatMutter.RmM));
      Row("yield point", "Re", su, S(8, MatMutter.ReM));
    }
  }
  Row("thread length engaged", "m geo", u, L(6, 1, MEngaged));
  Row("engaged thread length", "m tr", u, L(6, 1, MGeo));
  if (NutThreadShown()) {
    const MUTTERTYPE& m = Mutter;
    Row("allowance class", "", "", "      " + TableText(NutAllowanceClasses, m.NutToleranceClass - 1u));
    Row("pitch diameter nom.", "D2 nom", u, L(4, 3, m.D2nom));
    Row("pitch diameter min.", "D2 min", u, L(4, 3, m.D2min));
    Row("pitch diameter max.", "D2 max", u, L(4, 3, m.D2max));
    Row("minor diameter nom.", "D1 nom", u, L(4, 3, m.D1nom));
    Row("minor diameter min.", "D1 min", u, L(4, 3, m.D1min));
    Row("minor diameter max.", "D1 max", u, L(4, 3, m.D1max));
    const bool vdi = CalcOptions.EngageVdi, velk = CalcOptions.EngageVelk;
    if (vdi) Row("shear stress coefficient VDI2230", "taub/Rm", "", N(4, 3, MatMutter.betaMVdi));
    if (velk) Row("shear stress coefficient Velk", "beta M", "", N(4, 3, MatMutter.betaM));
    if (vdi) Row("min.thread length engag. Rm VDI", "meffmin", u, L(6, 1, VdiEngage.meffMin));
    if (velk) Row("min.thread length engag. Rm Velk", "m min", u, L(6, 1, Stress.mminRm));
    if (CalcOptions.FSmaxOn) {
      if (vdi) Row("min.thread length engag. FS VDI", "m min FS", u, L(6, 1, VdiEngage.meffFS));
      if (velk) Row("min.thread length engag. FS Velk", "m min FS", u, L(6, 1, Stress.mminFS));
    }
  }
  return KeepLines();
}

// Results --------------------------------------------------------------------

bool ResilienceSections() {
  OutputLine("");
  Section("ELASTIC RESILIENCE");
  const SCHRAUBTYPE& s = Schraube;
  Row("elastic resilience head", "delta SK", "mm/N", E(s.deltaSK));
  Row("elastic resilience bolt sect.", "delta is", "mm/N", E(s.deltaSecSum));
  Row("elastic resilience free thread", "del.Gew", "mm/N", E(s.deltaGew));
  Row("elastic resilience thread", "delta G", "mm/N", E(s.deltaG));
  Row("elastic resilience nut", "delta M", "mm/N", E(s.deltaM));
  Row("elastic resilience bolt", "delta S", "mm/N", E(s.deltaS));
  Row("elastic resilience plates", "delta P", "mm/N", E(Klemmstuecke.deltaPSum));

  const Extended dP = Klemmstuecke.deltaPSum;
  Section("SPRING RATE");
  if (s.deltaS != 0) Row("spring rate bolt", "R S", "N/mm", E(1 / s.deltaS));
  if (dP != 0) Row("spring rate plates", "R P", "N/mm", E(1 / dP));
  Section("ELONGATION");
  if (s.deltaS != 0) Row("elongation bolt at FM,max", "fSM", LenUnit(), L(4, 3, s.deltaS * Last.FM));
  if (dP != 0) Row("shortening plates at FM,max", "fPM", LenUnit(), L(4, 3, dP * Last.FM));
  Section("BENDING RESILIENCE");
  Row("clamp.length ratio", "lk/d", "", N(5, 2, Gewinde.d != 0 ? Klemmstuecke.lK / Gewinde.d : 0));
  Row("bending resilience bolt", "beta S", "1/Nmm", E(s.betaS));
  return KeepLines();
}

bool LoadSection() {
  const LASTTYPE& l = Last;
  const std::string fu = ForceUnitText();
  Section("LOAD");
  Row("calculation base FM, MA", "", VdiEditionText(CalcOptions.VdiEdition), "");
  Row("max. axial force", "FA max", fu, F(l.FAmax));
  Row("min. axial force", "FA min", fu, F(l.FAmin));
  if (l.FApre != 0) Row("preload", "FA pre", fu, F(l.FApre));
  if (l.Fpre != 0) Row("preload", "F pre", fu, F(l.Fpre));
  Row("transverse load", "FQ", fu, F(l.FQ));
  Row("reqd.residual clamp.load", "FKreq", fu, F(l.FKreq));
  if (l.FAmax < 0)
    Row("min.resid.bear.load at FAmax", "FSRmax", fu, F(l.FSo));
  else
    Row("min.residual clamp.load at FAmax", "FKRmax", fu, F(l.FKRo));
  if (l.FAmin < 0)
    Row("min.resid.bear.load at FAmin", "FSRmin", fu, F(l.FSu));
  else
    Row("min.residual clamp.load at FAmin", "FKRmin", fu, F(l.FKRu));
  Row("theor.preload at Rp0.2", "FM0.2", fu, F(l.FM02));
  Row("assembly preload FMzul,max", "FM,max", fu, N(8, 0, ForceToDisplay(l.FM)));
  const Extended alphaA = Montage.alphaA != 0 ? Montage.alphaA : 1;
  Row("assembly preload FMzul,min", "FM,min", fu, N(8, 0, ForceToDisplay(l.FM / alphaA)));
  Row("max.req.assembly preload", "FMmax,req", fu, F(l.FMreqMax));
  Row("min.req.assembly preload", "FMmin,req", fu, F(l.FMreq));
  Row("total amount of embedding", "fz", LenUnit(), L(4, 3, Verbindung.fZ));
  Row("loss of preload by embedding", "Fz", fu, F(l.FZ));
  Row("req.preload", "FVmin,req", fu, F(l.FVreq));
  Row("min.preload", "FVmin", fu, F(l.FVmin));
  Row("max.preload", "FVmax", fu, F(l.FVmax));
  Row("additional bolt load from FA", "FSAmax", fu, F(l.FSAmax));
  if (l.FAmin < 0) Row("additional bolt load from FAu", "FSAmin", fu, F(l.FSAmin));
  Row("additional plate load from FA", "FPAmax", fu, F(l.FPAmax));
  if (l.FAmin < 0) Row("additional plate load from FAu", "FPAmin", fu, F(l.FPAmin));
  Row("total bolt load", "FS max", fu, F(l.FSmax));
  Row("bolt fracture load", "FS Rm", fu, F(l.Fm));
  Row("yield load, bolt", "FS Re", fu, F(l.F02min));
  if (l.FAmax != 0) Row("prestressing load factor", "FM/FA", "", P(l.FM / l.FAmax));
  if (!KeepLines()) return false;
  OutputLine("");
  return true;
}

// The load enters at a plate, or at the bolt head (in) or the nut thread
// (out), which the model counts as position nPlates + 1.
void LoadIntroduction(Word pos, std::string_view dir, std::string_view end, std::string_view factorSym,
                      Extended factor, std::string_view shareSym, std::string_view shareDesc, Extended share) {
  if (pos == Klemmstuecke.nPlates + 1) {
    OutputLine("introd.of load (" + std::string(dir) + "): " + std::string(end));
    Separator();
    return;
  }
  OutputLine("introd.of load (" + std::string(dir) + "): to clamping plate " + IntToText(pos));
  Separator();
  Row("load introduction factor", factorSym, "", N(5, 2, factor));
  Row(shareDesc, shareSym, "", E(share));
}

void DistributionSection() {
  Section("DISTRIBUTION OF LOAD");
  LoadIntroduction(Last.LoadIntroPos1, "in", "at bolt head", "n1", Last.n1, "delta1",
                   "share of elast.on introd. FA(in)", Klemmstuecke.deltaPn1);
  OutputLine("");
  Separator();
  LoadIntroduction(Last.LoadIntroPos2, "out", "at nut thread", "n2", Last.n2, "delta2",
                   "share of elast.on introd. FA(out)", Klemmstuecke.deltaPn2);
  OutputLine("");
  Separator();
  Row("load ratio", "phi K", "", N(4, 3, CalcOptions.PhiK));
  Row("load ratio", "phi n", "", N(4, 3, CalcOptions.Phi));
  Row("load introduction factor", "n", "", N(4, 3, CalcOptions.nLoad));
}

// The fatigue safety row: eccentric when it applies, else centric, none at
// 1000 or more. Shared by the fatigue and the safety sections.
void FatigueSafetyRow() {
  const EXZTYPE& e = ExzKraftangriff;
  if (e.ExzCode != 1 && e.sigmaSAbo > 0 && Safety.SDexz < 1000)
    Row("safety ag.fatigue fract.(eccen.)", "SD=Sig.AS/Sig.ab", "", N(5, 2, Safety.SDexz));
  else if (Last.sigmaA > 0 && Safety.SD < 1000)
    Row("safety ag.fatigue fract.(centr.)", "SD=Sig.AS/Sig.a", "", N(5, 2, Safety.SD));
}

void FatigueSection() {
  OutputLine("");
  Section("FATIGUE STRESS");
  const std::string su = StressUnitText();
  const std::string sa = S(8, Last.sigmaASV);
  switch (Last.EnduranceChoice) {
    case 1: Row("perm.fatigue stress RTBHT", kPlusMinus + "sig.ASV", su, sa); break;
    case 2: Row("perm.fatigue stress RTAHT", kPlusMinus + "sig.ASG", su, sa); break;
    case 3: Row(Last.EnduranceMaterial.view(), kPlusMinus + "sig.AS", su, sa); break;
    case 4: Row("perm.fatigue stress  bolt", kPlusMinus + "sig.AS", su, sa); break;
    default: break;
  }
  Row("fatigue stress on bolt (centr.)", kPlusMinus + "sigma a", su, S(8, Last.sigmaA));
  if (ExzKraftangriff.ExzCode == 2)
    Row("fatigue stress on bolt (eccen.)", kPlusMinus + "sig.ab", su, S(8, ExzKraftangriff.sigmaAb));
  FatigueSafetyRow();
  if (CalcOptions.VdiEdition == 2 && Last.ND > 0) {
    // In millions; a number too large for that has an exponent of its own.
    std::string cycles = FloatToTextSig(2, Last.ND * 0.000001L);
    cycles = cycles.find('E') == std::string::npos ? cycles + "E6" : FloatToTextSig(2, Last.ND);
    Row("number of load cycles", "NZ", "", Shown("   " + cycles, Last.ND));
  }
}

bool FrictionSection() {
  OutputLine("");
  Section("FRICTION");
  const REIBUNGTYPE& r = Reibung;
  auto pair = [](std::string_view sym, std::string_view desc, Extended lo, Extended hi) {
    Row(desc, kMu + std::string(sym), "", Range(4, 3, lo, hi));
    if (!FloatEqual(lo, hi)) {
      Row(desc, kMu + std::string(sym) + "nom", "", N(4, 3, (lo + hi) * 0.5L));
      Row("tolerance coeff.of friction", "Tol " + kMu + std::string(sym), "%",
          Shown(FloatToTextPrec(7, (hi - lo) / (hi + lo) * 100), (hi - lo) / (hi + lo) * 100));
    }
  };
  pair("G", "coeff.of friction in thread", r.muGmin, r.muGmax);
  pair("K", "coeff.of friction in head seat", r.muKmin, r.muKmax);
  Row("coeff.of friction at interface", kMu + "Tr min", "", N(4, 3, r.muTr));
  Row("friction rate", "K=M/(d*F)", "", N(4, 3, r.muGes));
  if (!KeepLines()) return false;
  OutputLine("");
  return true;
}

void AssemblySection() {
  Section("ASSEMBLY (tightening torque)");
  const MONTAGETYPE& m = Montage;
  const LASTTYPE& l = Last;
  const std::string procedure = TrimRightText(Anzieh.Procedure);
  if (!procedure.empty()) {
    OutputLine("tightening procedure: " + procedure);
    Separator();
    const std::string setting = TrimRightText(Anzieh.Tool);
    if (!setting.empty()) {
      OutputLine("setting procedure: " + setting);
      Separator();
    }
    Row("reduction coefficient", "k tau", "", N(5, 2, m.ktau));
  }
  Row("yield point tightening factor", "nue Re", "", N(5, 2, m.nu));
  Row("tightening factor", "alpha A", "", N(5, 2, m.alphaA));
  Row("dispersion of assembly load", "Tol FM", "%", N(6, 1, m.PreloadScatter * 100));
  const std::string mu = MomentUnitText();
  if (l.MApre != 0) Row("preload torque", "MA pre", mu, M(l.MApre));
  OutputLine("tightening procedure: " + TableText(DriveSideNames, m.DriveSide));
  Separator();
  Row("tightening torque MA", "MA,max", mu, M(l.MA));
  const bool tol = CalcOptions.FrictionTolerances;
  if (tol) {
    // The values the calculation used, which differ from the record's input
    // when the given one left no tightening factor.
    Row("tightening torque", "MA,min", mu, M(TighteningUsed.MAmin));
    Row("tightening torque", "MA,nom", mu, M(l.MAmean));
    Row("tolerance tightening torque", "Tol MA", "%", N(6, 1, TighteningUsed.TorqueScatter * 100));
  }
  Row("loosening torque", "MA-", mu, M(l.MLoose));
  Row("tightening torque f yield point", "MA Re", mu, M(l.MA02));
  if (Gewinde.P > 0) {
    Row("tightening angle", "al.max", "deg", N(6, 1, m.theta));
    if (tol) Row("tightening angle", "al.min", "deg", N(6, 1, m.alphaA != 0 ? m.theta / m.alphaA : 0));
    Row("rate for tightening torque", "R MA", "Nm/deg", P(m.dMAdTheta));
    Row("rate for prestressing load", "R FM", "N/deg", P(m.dFdTheta));
  }
}

bool TemperatureSection() {
  const TEMPERATURTYPE& t = Temperatur;
  if (t.TWork == t.T0) return true;
  if (!NewPage(1)) return false;
  Heading("TEMPERATURE");
  const std::string tt = FloatToTextFix(0, t.TWork);
  const std::string su = StressUnitText();
  const std::string u = LenUnit();
  Row("Reference Temperature", "T0", TemperatureUnitText(), T8(t.T0));
  Row("Working Temperature", "T", TemperatureUnitText(), T8(t.TWork));
  Row("modulus of elasticity bolt", "ES", su, S(8, MatBolt.E));
  Row("modulus of elasticity bolt " + tt, "ES" + tt, su, S(8, BoltEAtTemp(MatBolt.StrengthClass, t.TWork)));
  Row("temperature coefficient", "alpha TS", "1/K", Shown(FloatToTextExp(4, 1, -6, MatBolt.alphaTBolt), MatBolt.alphaTBolt));
  Row("difference length bolt", "delta LS", u, L(4, 3, t.dlST));
  OutputLine("");
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  const int n = k.nPlates <= kMaxPlates ? k.nPlates : kMaxPlates;
  const std::string plates = "CLAMPED PLATES (T = " + TemperatureToText(t.TWork) + " " + TemperatureUnitText() + ")";
  TableTitle(plates);
  ReportTableWriter lengths;
  lengths.Init({5, 12, 12, 12, 12, 12, 0},
               {"i", "alpha T", "l  [" + u + "]", "l" + tt + " " + u, "E " + su, "E " + tt});
  for (int i = 1; i <= n; ++i)
    lengths.WriteRow({Idx(i), Shown(FloatToTextExp(2, 1, -6, k.alphaT[i]), k.alphaT[i]), L(4, 3, k.L[i]),
                      L(4, 3, ((t.TWork - t.T0) * k.alphaT[i] + 1) * k.L[i]), S(6, k.E[i]),
                      S(8, PlateEAtTemp(k.Material[i].view(), i, t.TWork))});
  lengths.Done();
  OutputLine("");
  TableTitle(plates);
  ReportTableWriter pressure;
  pressure.Init({5, 11, 11, 11, 11, 11, 11},
                {"i", "p perm", "pperm" + tt, " p max", "pmax" + tt, "delta mm/N", "delta " + tt});
  for (int i = 1; i <= n; ++i) {
    const Extended eT = PlateEAtTemp(k.Material[i].view(), i, t.TWork);
    const Extended stiffness = eT * k.Aers[i];
    pressure.WriteRow({Idx(i), N(6, 0, k.pmax[i]), N(6, 0, PlatePpermAtTemp(k.Material[i].view(), t.TWork, k.pmax[i], k.Re[i])),
                       S(6, t.FMT != 0 ? k.pPart[i] * Last.FM / t.FMT : 0), S(6, k.pPart[i]), E(k.deltaP[i]),
                       E(stiffness != 0 ? k.L[i] / stiffness : 0)});
  }
  pressure.Done();
  OutputLine("");
  Row("difference length clamping plates", "delta LP", u, L(4, 3, t.dlPT));
  Row("elastic resilience bolt", "delta St", "mm/N", E(Schraube.deltaST));
  Row("elastic resilience plates", "delta Pt", "mm/N", E(k.deltaPT));
  Row("yield point bolt", "Re", su, S(8, MatBolt.Rp02));
  Row("yield point bolt " + tt + " C", "Re" + tt, su, S(8, t.Rp02T));
  Row("dec./inc.clamping load work.temp.", "delta FM", ForceUnitText(), F(t.dFVth));
  Row("assembly preload " + tt + " C", "FM " + tt, ForceUnitText(), F(t.FMT));
  Row("tensile strength bolt", "Rm", su, S(8, MatBolt.Rm));
  Row("tensile strength bolt " + tt + " C", "Rm" + tt, su, S(8, t.RmT));
  if (NutThreadShown()) {
    Row("yield point nut", "Re", su, S(8, MatMutter.ReM));
    Row("yield point nut " + tt + " C", "Re" + tt, su, S(8, t.ReMT));
    Row("tensile strength nut", "Rm", su, S(8, MatMutter.RmM));
    Row("tensile strength nut " + tt + " C", "Rm" + tt, su, S(8, t.RmMT));
  }
  return true;
}

bool StressSection() {
  if (!NewPage(2)) return false;
  Heading("STRESS");
  const std::string su = StressUnitText();
  Row("max.tensile stress at FM+FSA", "Sigma 0", su, S(8, Last.sigmaMax));
  Row("Max.shear stress", "tau max", su, S(8, Last.tau));
  Row("Max.comparative stress(k tau=" + FloatToText(Montage.ktau) + ")", "Sig.redB", su, S(8, Last.sigmaRed));
  // Results of the shear-strength method, shown for the nut threads it examines.
  if ((IsTapped() || (IsWithNut() && Mutter.NutType == 4)) && CalcOptions.EngageVelk) {
    Row("shear stress bolt at FM", "tau B", su, S(8, Stress.tauB));
    Row("shear stress nut at FM", "tau M", su, S(8, Stress.tauM));
    Row("shear stress coefficient nut", "beta M", "", N(5, 2, MatMutter.betaM));
  }
  Section("FACTORS OF SAFETY");
  const SAFETYTYPE& sf = Safety;
  if (Last.FMreqMax > 0) Row("safety against loosening", "FM,max/FMmax,req", "", N(5, 2, sf.SFM));
  Row("safety yield point red.B", "SF=Re/Sig.redB", "", N(5, 2, sf.SF));
  FatigueSafetyRow();
  Row("safety plate surface pressure", "Sp=pperm/pmax", "", N(5, 2, sf.SP));
  if (Last.FQ > 0 && Reibung.muTr > 0) Row("safety against slipping due to FQ", "SG=FKRmin/FKQreq", "", N(5, 2, sf.SG));
  if (ExzKraftangriff.ExzCode != 1 && ExzKraftangriff.FAab > 0)
    Row("safety against disengagement", "FKRmin/FKab", "", N(5, 2, sf.SKab));
  if (NutThreadShown() && (CalcOptions.EngageVelk || CalcOptions.EngageVdi)) {
    Row("thread strip safety at Rm,max", "m tr/m min.", "", N(5, 2, sf.SmRmSafe));
    if (CalcOptions.FSmaxOn) Row("thread strip safety at (FM+FSA)", "tau Rm / tau B,M", "", N(5, 2, sf.SmFSSafe));
  }
  return true;
}

bool EccentricSection() {
  const EXZTYPE& e = ExzKraftangriff;
  if (e.ExzCode == 1) return true;
  if (!NewPage(2)) return false;
  Heading("ECCENTRIC APPLICATION OF LOAD");
  const std::string u = LenUnit();
  Row("dist.deform.axis/gravity axis", "a", u, L(5, 2, e.a));
  Row("dist.bolt axis/gravity axis", "s", u, L(5, 2, e.s));
  Row("edge dist.of U from gravity axis", "u", u, L(5, 2, e.u));
  Row("edge dist.of V from gravity axis", "v", u, L(5, 2, e.v));
  Row("interface surface minus bore", "AD", AreaUnitText(), A(6, 1, e.AD));
  Row("equivalent cross-section", "Aequ", AreaUnitText(), A(6, 1, e.AersSeam));
  Row("mom.of gyration interface area", "I BT", InertiaUnitText(), I(6, 1, e.IBT));
  Row("equiv.moment of gyration", "IBequ", InertiaUnitText(), I(6, 1, e.IBers));
  Row("equiv.moment of gyration no bore", "I'Bequ", InertiaUnitText(), I(6, 1, e.IBersPrime));
  OutputLine("seam for bending body calculation: between clamping plate " + IntToText(e.SeamPart) + " and " +
             IntToText(e.SeamPart + 1));
  Separator();
  Row("elastic resilience", "delta P*", "mm/N", E(e.deltaPPP));
  Row("elastic resilience", "del.P**", "mm/N", E(e.deltaPP));
  Row("bending resilience plates", "beta P", "1/Nmm", E(Klemmstuecke.betaPSum));
  Row("load ratio", "phi eK", "", N(4, 3, e.PhiEnK));
  Row("load ratio", "phi en", "", N(4, 3, e.PhiEn));
  Row("reqd.residual clamp.load", "FKreq2", ForceUnitText(), Shown(ForceToTextFmt(6, 1, e.FAab), ForceToDisplay(e.FAab)));
  Row("fatigue stress on bolt", "sig.SAbo", StressUnitText(), S(8, e.sigmaSAbo));
  Row("fatigue stress on bolt", "sig.SAbu", StressUnitText(), S(8, e.sigmaSAbu));
  return true;
}

// Everything between the page header and the closing; false when a step
// stopped the report.
bool ReportBody() {
  OutputLine("");
  if (Stopped()) return false;
  BoltGroup();
  if (!PlateGroup() || !JointGroup() || !ResilienceSections() || !LoadSection()) return false;
  DistributionSection();
  FatigueSection();
  if (!FrictionSection()) return false;
  AssemblySection();
  if (!TemperatureSection() || !StressSection() || !EccentricSection()) return false;
  OutputPageCheck();
  if (CalcMessages.count > 0) {
    OutputPageHeader(0, 0);
    OutputMessages();
    OutputPageCheck();
  }
  return true;
}

}  // namespace

ReportValues* ReportValueCollector = nullptr;

void WritePrintout() {
  Printed.clear();
  CurrentSection.clear();
  CurrentTableTitle.clear();
  ShortString<68> title = ProgShortName + " V" + ProgVersion + "  " + "calc. of bolted joints" + " " + "to" +
                          " VDI 2230";
  SetPageHeader(title.view(), HeaderLines[1].view(), HeaderLines[2].view(), "", HeaderLines[3].view(), 0);
  if (CalcFatalFlag) {
    ShowCalculationMessages();
    return;
  }
  OpenOutput(kDeviceConfigured, CurrentFileName);
  if (AbortFlag) return;
  if (!TextFileVar.Rewrite(platform::ReplaceSync::Derived)) {
    ShowTraceMessage(CreateErrorText(IoResultFromErrno(errno)) + " " + OutputFileName);
    AbortFlag = 1;
    return;
  }
  OutputPageHeader(0, 0);
  const bool complete = !Stopped() && ReportBody();
  // The output is closed whatever stopped the report, so that no file stays open.
  const Byte stopped = AbortFlag;
  AbortFlag = 0;
  CloseOutput();
  AbortFlag = AbortFlag || stopped || !complete;
  RestoreCursor();
}
