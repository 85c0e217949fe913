// Helpers of the calculation tests: defaults, a complete joint, the joint's
// fields by name, and the message list as texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"


// Framework and calculation defaults; the table directory points at a
// folder that holds (empty) head tables, so the head-table check passes.
void InitCalcTest();
// Directory of InitCalcTest's head tables.
std::string TestTableDir();

// A complete tapped M12 12.9 joint (ISO 4762 head, one 42 mm steel plate,
// steel tapped part), the joint the hand calculation follows.
void SetUpTappedM12Joint();
// The same M12 bolt through two plates with a hex nut.
void SetUpThroughBoltedM12Joint();

// Joint fields by their record name, e.g. "Klemmstuecke.De[1]".
bool SetJointField(std::string_view name, Extended value);
bool GetJointField(std::string_view name, Extended& value);

// Fixture of the calculation tests: InitCalcTest before each test.
class CalcTest;
// An Extended as double, for EXPECT_NEAR.
double D(Extended x);

std::vector<std::string> MessageTexts();
bool HasMessage(std::string_view text);  // compares the first 36 characters
bool HasMessageStartingWith(std::string_view head);

// Definitions

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <variant>

#include "calc/init.h"
#include "dbf/init.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "platform/os.h"

namespace calc_test_detail {

using FieldRef = std::variant<Extended*, Word*, std::int32_t*, Byte*>;

inline std::map<std::string, FieldRef, std::less<>> BuildFields() {
  std::map<std::string, FieldRef, std::less<>> f;
  SCHRAUBTYPE& s = Schraube;
  f["Gewinde.d"] = &Gewinde.d; f["Gewinde.P"] = &Gewinde.P;
  f["Schraube.HeadType"] = &s.HeadType; f["Schraube.BoltType"] = &s.BoltType;
  f["Schraube.b"] = &s.b; f["Schraube.dK"] = &s.dK; f["Schraube.dw"] = &s.dw;
  f["Schraube.ToleranceClass"] = &s.ToleranceClass; f["Schraube.nSections"] = &s.nSections;
  f["Schraube.As"] = &s.As; f["Schraube.Amin"] = &s.Amin; f["Schraube.deltaS"] = &s.deltaS;
  for (int i = 0; i < kSectionEntries; ++i) {
    const std::string k = "[" + std::to_string(i) + "]";
    f["Schraube.lSec" + k] = &s.lSec[i]; f["Schraube.dSec" + k] = &s.dSec[i];
    f["Schraube.diSec" + k] = &s.diSec[i];
  }
  KLEMMSTUECKTYPE& kl = Klemmstuecke;
  f["Klemmstuecke.nPlates"] = &kl.nPlates; f["Klemmstuecke.deltaPSum"] = &kl.deltaPSum;
  for (int i = 0; i < kPlateEntries; ++i) {
    const std::string k = "[" + std::to_string(i) + "]";
    f["Klemmstuecke.De" + k] = &kl.De[i]; f["Klemmstuecke.Di" + k] = &kl.Di[i];
    f["Klemmstuecke.L" + k] = &kl.L[i]; f["Klemmstuecke.E" + k] = &kl.E[i];
    f["Klemmstuecke.pmax" + k] = &kl.pmax[i]; f["Klemmstuecke.alphaT" + k] = &kl.alphaT[i];
    f["Klemmstuecke.Re" + k] = &kl.Re[i]; f["Klemmstuecke.pPart" + k] = &kl.pPart[i];
  }
  LASTTYPE& l = Last;
  f["Last.FAmax"] = &l.FAmax; f["Last.FAmin"] = &l.FAmin; f["Last.FQ"] = &l.FQ; f["Last.FKreq"] = &l.FKreq;
  f["Last.LoadIntroPos1"] = &l.LoadIntroPos1; f["Last.LoadIntroPos2"] = &l.LoadIntroPos2;
  f["Last.n1"] = &l.n1; f["Last.n2"] = &l.n2; f["Last.EnduranceChoice"] = &l.EnduranceChoice;
  f["Last.AlphaAChoice"] = &l.AlphaAChoice; f["Last.FM02"] = &l.FM02; f["Last.MA02"] = &l.MA02;
  f["Last.FM"] = &l.FM; f["Last.FMmin"] = &l.FMmin; f["Last.MA"] = &l.MA; f["Last.MAmax2"] = &l.MAmax2;
  f["Last.MAmin"] = &l.MAmin; f["Last.MLoose"] = &l.MLoose; f["Last.FZ"] = &l.FZ;
  f["Last.FMreq"] = &l.FMreq; f["Last.FMreqMax"] = &l.FMreqMax; f["Last.FSAmax"] = &l.FSAmax;
  f["Last.FKRo"] = &l.FKRo; f["Last.FKRu"] = &l.FKRu; f["Last.FSmax"] = &l.FSmax;
  f["Last.sigmaASV"] = &l.sigmaASV; f["Last.sigmaA"] = &l.sigmaA; f["Last.tau"] = &l.tau;
  f["Last.sigmaMax"] = &l.sigmaMax; f["Last.sigmaRed"] = &l.sigmaRed;
  f["Verbindung.JointKind"] = &Verbindung.JointKind; f["Verbindung.fZ"] = &Verbindung.fZ;
  f["Sackloch.tg"] = &Sackloch.tg;
  REIBUNGTYPE& r = Reibung;
  f["Reibung.muGmin"] = &r.muGmin; f["Reibung.muGmax"] = &r.muGmax; f["Reibung.muKmin"] = &r.muKmin;
  f["Reibung.muKmax"] = &r.muKmax; f["Reibung.muTr"] = &r.muTr;
  MONTAGETYPE& m = Montage;
  f["Montage.nu"] = &m.nu; f["Montage.alphaA"] = &m.alphaA; f["Montage.ktau"] = &m.ktau;
  f["Montage.DriveSide"] = &m.DriveSide;
  f["Mutter.NutType"] = &Mutter.NutType; f["Mutter.dwNut"] = &Mutter.dwNut; f["Mutter.m"] = &Mutter.m;
  f["Mutter.dNut"] = &Mutter.dNut;
  f["MatBolt.Rp02"] = &MatBolt.Rp02; f["MatBolt.Rm"] = &MatBolt.Rm; f["MatBolt.betaB"] = &MatBolt.betaB;
  f["MatBolt.E"] = &MatBolt.E; f["MatBolt.alphaTBolt"] = &MatBolt.alphaTBolt;
  f["MatBolt.betaBVdi"] = &MatBolt.betaBVdi;
  MUTTERMATTYPE& mm = MatMutter;
  f["MatMutter.RmM"] = &mm.RmM; f["MatMutter.ReM"] = &mm.ReM; f["MatMutter.betaM"] = &mm.betaM;
  f["MatMutter.pGNut"] = &mm.pGNut; f["MatMutter.EM"] = &mm.EM; f["MatMutter.betaMVdi"] = &mm.betaMVdi;
  f["MatMutter.OwnNutMaterial"] = &mm.OwnNutMaterial;
  f["Temperatur.T0"] = &Temperatur.T0; f["Temperatur.TWork"] = &Temperatur.TWork;
  f["Temperatur.FMT"] = &Temperatur.FMT;
  f["CalcOptions.VdiEdition"] = &CalcOptions.VdiEdition; f["CalcOptions.D2D3Choice"] = &CalcOptions.D2D3Choice;
  f["CalcOptions.PhiK"] = &CalcOptions.PhiK; f["CalcOptions.nLoad"] = &CalcOptions.nLoad;
  f["CalcOptions.Phi"] = &CalcOptions.Phi;
  EXZTYPE& e = ExzKraftangriff;
  f["ExzKraftangriff.ExzCode"] = &e.ExzCode; f["ExzKraftangriff.SeamPart"] = &e.SeamPart;
  f["ExzKraftangriff.a"] = &e.a; f["ExzKraftangriff.s"] = &e.s; f["ExzKraftangriff.u"] = &e.u;
  f["ExzKraftangriff.IBT"] = &e.IBT; f["ExzKraftangriff.AD"] = &e.AD; f["ExzKraftangriff.IBers"] = &e.IBers;
  f["ExzKraftangriff.IBersPrime"] = &e.IBersPrime; f["ExzKraftangriff.FAab"] = &e.FAab;
  f["ExzKraftangriff.PhiEn"] = &e.PhiEn; f["ExzKraftangriff.sigmaAb"] = &e.sigmaAb;
  f["VdiEngage.Rs"] = &VdiEngage.Rs; f["VdiEngage.meffMin"] = &VdiEngage.meffMin;
  f["Stress.mminRm"] = &Stress.mminRm;
  SAFETYTYPE& sf = Safety;
  f["Safety.SFM"] = &sf.SFM; f["Safety.SyService"] = &sf.SyService; f["Safety.SD"] = &sf.SD;
  f["Safety.SP"] = &sf.SP; f["Safety.SDexz"] = &sf.SDexz; f["Safety.SKab"] = &sf.SKab;
  f["Safety.SG"] = &sf.SG; f["Safety.SF"] = &sf.SF; f["Safety.SmRmSafe"] = &sf.SmRmSafe;
  f["Safety.SmFSSafe"] = &sf.SmFSSafe;
  return f;
}

inline const std::map<std::string, FieldRef, std::less<>>& Fields() {
  static const auto fields = BuildFields();
  return fields;
}

}  // namespace calc_test_detail

using namespace calc_test_detail;

inline std::string TestTableDir() { return platform::ProcessTempDir() + "/calc_tables"; }

inline void InitCalcTest() {
  InitFrameworkModules();
  InitDbfModules();  // the material tables are read through the engine
  InitCalcModules();
  const std::string dir = TestTableDir();
  std::filesystem::create_directories(dir);
  for (const char* name : {"din912", "din931", "din963", "din964", "iso10642", "cylslot", "sondkopf",
                           "flangesc", "din934"})
    std::ofstream(dir + "/" + name + ".dbf").flush();
  // The material tables as built but with one blank row: every material
  // takes the fallback formulas over its 20 °C value, as the reference
  // computation does.
  const auto word = [](const std::string& h, int at) {
    return static_cast<unsigned char>(h[at]) + 256u * static_cast<unsigned char>(h[at + 1]);
  };
  for (const char* name : {"mat_b_re", "mat_p_re", "mat_b_e", "mat_p_e", "mat_b_sa"}) {
    std::ifstream in(std::string(BQ4_BINARY_DIR "/data/tables/") + name + ".dbf", std::ios::binary);
    std::string header(32, '\0');
    in.read(header.data(), 32);
    header.resize(std::max<std::size_t>(word(header, 8), 32));
    in.read(header.data() + 32, static_cast<std::streamsize>(header.size() - 32));
    header[4] = 1;
    std::fill(header.begin() + 5, header.begin() + 8, '\0');
    std::ofstream(dir + "/" + name + ".dbf", std::ios::binary) << header << std::string(word(header, 10), ' ')
                                                               << '\x1A';
  }
  DbfDir = dir;
}

class CalcTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCalcTest(); }
};

inline double D(Extended x) { return static_cast<double>(x); }

inline void SetUpTappedM12Joint() {
  Schraube.dK = 18;
  Schraube.dw = 17;
  Schraube.nSections = 1;
  Schraube.lSec[1] = 60;
  Schraube.dSec[1] = 12;
  Klemmstuecke.nPlates = 1;
  Klemmstuecke.De[1] = 80;
  Klemmstuecke.Di[1] = 13;
  Klemmstuecke.L[1] = 42;
  Klemmstuecke.pmax[1] = 700;
  Klemmstuecke.Re[1] = 300;
  Verbindung.fZ = 0.011L;
  MatMutter.RmM = 500;
  MatMutter.ReM = 300;
  MatMutter.betaM = 0.6L;
  MatMutter.pGNut = 700;
  MatMutter.betaMVdi = 0.6L;
}

inline void SetUpThroughBoltedM12Joint() {
  SetUpTappedM12Joint();
  Verbindung.JointKind = kJointWithNut;
  Mutter.dwNut = 16.6L;
  Mutter.m = 10.8L;
  Mutter.dNut = 12;
  Klemmstuecke.nPlates = 2;
  for (int i = 1; i <= 2; ++i) {
    Klemmstuecke.De[i] = 40;
    Klemmstuecke.Di[i] = 13.5L;
    Klemmstuecke.L[i] = 21;
  }
}

inline bool SetJointField(std::string_view name, Extended value) {
  const auto it = Fields().find(name);
  if (it == Fields().end()) return false;
  std::visit([value](auto* p) { *p = static_cast<std::remove_pointer_t<decltype(p)>>(value); }, it->second);
  return true;
}

inline bool GetJointField(std::string_view name, Extended& value) {
  const auto it = Fields().find(name);
  if (it == Fields().end()) return false;
  std::visit([&value](auto* p) { value = static_cast<Extended>(*p); }, it->second);
  return true;
}

inline std::vector<std::string> MessageTexts() {
  std::vector<std::string> texts;
  for (std::size_t i = 1; i <= CalcMessages.count; ++i) texts.push_back(CalcMessages.texts[i].str());
  return texts;
}

inline bool HasMessage(std::string_view text) {
  const std::string_view head = text.substr(0, kCalcMessageWidth);
  for (const std::string& m : MessageTexts())
    if (m == head) return true;
  return false;
}

inline bool HasMessageStartingWith(std::string_view head) {
  for (const std::string& m : MessageTexts())
    if (m.rfind(head, 0) == 0) return true;
  return false;
}
