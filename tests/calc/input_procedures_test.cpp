#include "forms/form_test_support.h"

#include <memory>
#include <vector>

#include "calc/calc_tables.h"
#include "calc/calculation.h"
#include "calc/design_defaults.h"
#include "calc/designation.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "calc/table_access.h"
#include "calc/table_rows.h"
#include "framework/calc_messages.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

class InputProceduresTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    AcceptRow(0);  // the table dialog accepts the row it stands on
  }
};

TEST_F(InputProceduresTest, StandardBoltChainAsksStepByStepCancelStopsItAndTheMaterialTakesAGivenEndurance) {
  Schraube.l = 60;
  Schraube.b = 0;
  platform::DialogScript script;
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("select type of bolt");
  script.Ok({{"RadioGroup_items", "#1"}}).Expect("allowance class");
  script.Ok({{"ListBox_items", "#1"}}).Expect("screw head");
  script.Ok().Expect("bolt length up to head (0=Database) [mm]");
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("endurance strength");
  InputBoltType();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Schraube.BoltType, 1);
  EXPECT_EQ(Schraube.HeadType, 2);
  EXPECT_EQ(Schraube.dK, Din931.s);  // the head diameters of the row
  EXPECT_EQ(Schraube.dw, Din931.dw);
  EXPECT_EQ(Schraube.nSections, 1);
  EXPECT_EQ(Schraube.lSec[1], 60);
  EXPECT_EQ(Schraube.b, Din931.b);
  EXPECT_EQ(Last.EnduranceChoice, 1);
  // Cancel stops the chain and keeps what was not asked.
  Schraube.l = 77;
  script.Ok({{"RadioGroup_items", "#0"}});
  script.Cancel().Expect("allowance class");
  InputBoltType();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Schraube.l, 77);

  // The bolt material with a given endurance strength.
  AbortFlag = 0;
  Schraube.MatBoltRow = 0;
  Schraube.StrengthClassCode = 2;
  script.Ok({{"RadioGroup_items", "#3"}}).Expect("endurance strength");
  script.Ok({{"Edit_text", "55"}}).Expect("endurance strength thread (d=12) Sig.a.zul [MPa]");
  InputBoltMaterial();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_GT(Schraube.MatBoltRow, 0);
  EXPECT_EQ(MatBolt.StrengthClass, "10.9");
  EXPECT_EQ(Last.EnduranceChoice, 4);
  EXPECT_EQ(Last.sigmaASV, 55);
}

TEST_F(InputProceduresTest, BoltLengthSectionsAndThreadLengthOfAStandardBolt) {
  Schraube.l = 0;
  Klemmstuecke.lK = 42;
  Klemmstuecke.nPlates = 1;
  platform::DialogScript script;
  script.Ok().Expect("bolt length up to head (0=suggest) [mm]");
  InputBoltLength();
  EXPECT_GE(Schraube.l, 60);  // at least 1.5 d + lK
  EXPECT_LT(Schraube.l, 70);

  CancelTable();  // no pick: the proposal itself
  Schraube.l = 0;
  script.Ok();
  InputBoltLength();
  EXPECT_EQ(Schraube.l, 60);

  // The sections of each standard bolt type; the necked-down bolt of two
  // sections is built by the bolt form's test (the length stays 60).
  Schraube.b = 30;
  Schraube.BoltType = 4;
  BuildBoltSections();
  ASSERT_EQ(Schraube.nSections, 3);
  EXPECT_EQ(Schraube.lSec[1], 6);
  EXPECT_EQ(Schraube.lSec[2], 24);
  EXPECT_NEAR(D(Schraube.dSec[2]), 12 - 0.649519 * 1.75, 1e-9);
  Schraube.BoltType = 3;
  BuildBoltSections();
  EXPECT_EQ(Schraube.nSections, 3);  // self-defined sections stay

  // A shank bolt takes the standard thread length without asking.
  Schraube.BoltType = 1;
  Schraube.HeadType = 1;
  Schraube.HeadRow = 0;
  Schraube.l = 100;
  InputThreadLength();
  EXPECT_EQ(Schraube.b, 36);  // ISO 4762 M12
  Schraube.l = 30;
  InputThreadLength();
  EXPECT_NEAR(D(Schraube.b), 30 - 3.5, 1e-9);  // cut to l - 2 P
  Gewinde.d = 13;  // no head row: 2.5 d
  Schraube.l = 100;
  InputThreadLength();
  EXPECT_NEAR(D(Schraube.b), 32.5, 1e-9);
}

TEST_F(InputProceduresTest, TappedHoleAndHexNutTakeTheirProposalsRowsAndMaterial) {
  Schraube.l = 60;
  Klemmstuecke.lK = 30;
  Sackloch.tg = 0;
  Sackloch.tb = 0;
  Pressung = PRESSUNG_Record{};
  platform::DialogScript script;
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("bolt-nut type");
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("Database");
  script.Ok({{"RadioGroup_items", "#1"}}).Expect("allowance class");
  script.Ok().Expect("thread depth");
  script.Ok().Expect("bore depth");
  InputNut();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Verbindung.JointKind, kJointTapped);
  EXPECT_EQ(Mutter.NutToleranceClass, 2);
  EXPECT_NEAR(D(Sackloch.tg), 33.5, 1e-9);
  EXPECT_NEAR(D(Sackloch.tb), 37.0, 1e-9);
  EXPECT_EQ(MatMutter.Name.str(), Pressung.Name.substr(0, 25));
  EXPECT_EQ(MatMutter.RmM, Pressung.Rm);
  // A nut material without a second ratio takes the first.
  Pressung.Ratio1 = 0.7L;
  Pressung.Ratio2 = 0;
  TakeNutMaterialRow();
  EXPECT_EQ(MatMutter.betaM, 0.7L);
  EXPECT_EQ(MatMutter.betaMVdi, 0.7L);

  // A hex nut comes from the nut table.
  Mutter.NutRow = 1;  // a row of another diameter: the key is searched
  script.Ok({{"RadioGroup_items", "#1"}});
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("nut");
  script.Ok({{"RadioButton_no", "1"}}).Expect("Input nut material ?");
  InputNut();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Mutter.NutType, 1);
  EXPECT_EQ(Mutter.dNut, 12);
  EXPECT_GT(Mutter.m, 0);
  EXPECT_GT(Mutter.dwNut, 12);
  EXPECT_EQ(MatMutter.OwnNutMaterial, 0);
}

TEST_F(InputProceduresTest, ThreadDataProposalsAndAPreliminaryDesignThatCalculates) {
  Schraube.d2 = Schraube.d3 = Schraube.dmin = 0;
  platform::DialogScript script;
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("allowance class");
  script.Ok().Expect("pitch diameter d2 [mm]  (0=suggest)");
  script.Ok().Expect("minor diameter d3");
  script.Ok().Expect("major diameter dmin");
  InputThreadData();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Schraube.ThreadRow, 12);
  EXPECT_EQ(Schraube.ToleranceClass, 1);
  EXPECT_NEAR(D(Schraube.d2), 10.863, 0.0005);
  EXPECT_NEAR(D(Schraube.d3), 9.853, 0.0005);
  EXPECT_NEAR(D(Schraube.dmin), 11.736, 0.0005);
  // Entered diameters stand; a cancelled table keeps the class.
  Schraube.d2 = 5;
  script.Ok({{"RadioGroup_items", "#1"}});  // allowance class 6h
  InputThreadData();
  EXPECT_EQ(Schraube.ToleranceClass, 2);
  EXPECT_EQ(Schraube.d2, 5);
  CancelTable();
  InputThreadData();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Schraube.ToleranceClass, 2);

  // The preliminary design steps up the force class.
  EXPECT_EQ(ForceClass(1000), 0);
  EXPECT_EQ(ForceClass(1600), 1);
  EXPECT_EQ(ForceClass(10000), 5);
  EXPECT_EQ(ForceClass(0), -9999);
  AbortFlag = 0;
  script.Ok({{"Edit_fa", "24900"}, {"RadioGroup_statdyn", "#1"}, {"RadioGroup_f", "#0"}, {"RadioGroup_anz", "#1"}});
  script.Ok({{"RadioGroup_items", "#2"}}).Expect("possible variations");
  PreliminaryDesign();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(ItemTexts[1].str(), "M 12 at class of resistance 12.9");
  EXPECT_EQ(ItemTexts[3].str(), "M 16 at class of resistance 8.8");
  EXPECT_EQ(Gewinde.d, 16);
  EXPECT_EQ(Gewinde.Designation, "M16");
  EXPECT_EQ(Schraube.ThreadRow, 13);
  EXPECT_EQ(Schraube.StrengthClassCode, 3);

  script.Cancel();
  PreliminaryDesign();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Gewinde.d, 16);

  // The sample a new project starts from, every proposal accepted: the plates
  // keep the holes the user entered; the calculation says that the head of
  // the smaller bolt does not cover them, and stops.
  AbortFlag = 0;
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
  ASSERT_GT(Klemmstuecke.nPlates, 0);
  ASSERT_EQ(Klemmstuecke.Di[1], DefaultBoreDiameter(12));
  const KLEMMSTUECKTYPE plates = Klemmstuecke;
  script.Ok();  // the form as it stands
  script.Ok().Expect("possible variations");
  PreliminaryDesign();
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_EQ(Gewinde.d, 8);
  EXPECT_EQ(Klemmstuecke.Di, plates.Di);
  EXPECT_EQ(Klemmstuecke.De, plates.De);
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 1);
  std::string all;
  for (int i = 1; i <= CalcMessages.count && i <= static_cast<int>(kCalcMessageSlots); ++i)
    all += CalcMessages.texts[i].str() + "\n";
  EXPECT_NE(all.find("Warning: di > dw !"), std::string::npos) << all;
}

namespace {

// Answers the preliminary design with the form as it stands (the axial force
// typed in) and the proposal whose text is given.
void AcceptProposal(platform::DialogScript& script, const std::string& fa, int item) {
  script.Ok({{"Edit_fa", fa}});
  script.Ok({{"RadioGroup_items", "#" + std::to_string(item)}}).Expect("possible variations");
}

std::string Messages() {
  std::string all;
  for (int i = 1; i <= CalcMessages.count && i <= static_cast<int>(kCalcMessageSlots); ++i)
    all += CalcMessages.texts[i].str() + "\n";
  return all;
}

}  // namespace

void LoadSample() {
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_EQ(Klemmstuecke.nPlates, 2);
}

// Adds a third plate, a washer of the table for M12.
void AddWasher(const char* name, Extended di, Extended de, Extended h) {
  Klemmstuecke.nPlates = 3;
  Klemmstuecke.Description[3] = name;
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  k.Material[3] = k.Material[2];  // of the same steel
  k.E[3] = k.E[2];
  k.pmax[3] = k.pmax[2];
  k.Re[3] = k.Re[2];
  k.alphaT[3] = k.alphaT[2];
  Klemmstuecke.Di[3] = di;
  Klemmstuecke.De[3] = de;
  Klemmstuecke.L[3] = h;
}

TEST_F(InputProceduresTest, TheForceStepsUpToTheNextTabulatedForceAndACancelledProposalPutsTheLoadBack) {
  // The smallest tabulated force not below F, the tabulated ones exactly.
  const std::pair<Extended, int> steps[] = {{500, -1}, {1000, 0}, {1001, 1}, {1600, 1}, {1601, 2}, {2500, 2},
                                            {2510, 3}, {6300, 4}, {6301, 5}, {10000, 5}, {10001, 6}, {12000, 6},
                                            {16000, 6}, {24900, 7}, {25000, 7}, {63000, 9}, {1e6L, 15}};
  for (const auto& [force, k] : steps) EXPECT_EQ(ForceClass(force), k) << D(force);

  // 12000 N, static, centric, yield-point controlled: the row of 16000 N.
  LoadSample();
  Last.FAmin = 2000;  // what the form does not show or sets otherwise
  Last.FQ = 500;
  Montage.TighteningMethod = 1;
  const LASTTYPE load = Last;
  const Word method = Montage.TighteningMethod;
  platform::DialogScript script;
  script.Ok({{"Edit_fa", "12000"}, {"RadioGroup_statdyn", "#0"}, {"RadioGroup_f", "#0"}, {"RadioGroup_anz", "#2"}});
  script.Cancel().Expect("possible variations");
  PreliminaryDesign();
  EXPECT_EQ(ItemTexts[1].str(), "M  6 at class of resistance 12.9");
  EXPECT_EQ(ItemTexts[3].str(), "M 10 at class of resistance 8.8");
  // Cancelled at the proposal: the load of the form is taken back.
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Last.LoadKind, load.LoadKind);
  EXPECT_EQ(Last.LoadCase, load.LoadCase);
  EXPECT_EQ(Last.FAmax, load.FAmax);
  EXPECT_EQ(Last.FAmin, load.FAmin);
  EXPECT_EQ(Last.FQ, load.FQ);
  EXPECT_EQ(Montage.TighteningMethod, method);
  EXPECT_EQ(Gewinde.d, 12);
  // And so when the proposal cannot be applied.
  Schraube.HeadType = 3;  // no slotted countersunk screw of M16
  AcceptProposal(script, "25000", 2);
  script.Ok().Expect("not applied");
  PreliminaryDesign();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Last.FAmax, load.FAmax);
  EXPECT_EQ(Last.LoadCase, load.LoadCase);
}

TEST_F(InputProceduresTest, AnAcceptedProposalTakesSizeClassHeadNutAndWasherThePlatesKeepTheirHoles) {
  LoadSample();
  AddWasher("ISO 7089 - 12", 13, 24, 2.5L);
  CalculateJoint();
  ASSERT_EQ(CalcFatalFlag, 0);
  ASSERT_EQ(CalcMessages.count, 0) << Messages();
  platform::DialogScript script;
  struct Step {
    int item;
    const char* designation;
    Extended bore, washerDi, washerDe, washerH;
  };
  // M 16 at 8.8 first, then back to M 12 at the class 12.9.
  for (const Step& step : {Step{2, "ISO 4014 - M16 x 60 - 8.8 SW24", DefaultBoreDiameter(16), 17, 30, 3},
                           Step{0, "ISO 4014 - M12 x 60 - 12.9 SW18", DefaultBoreDiameter(12), 13, 24, 2.5L}}) {
    SCOPED_TRACE(step.designation);
    const Extended hole = Klemmstuecke.Di[1];
    AcceptProposal(script, "25000", step.item);
    PreliminaryDesign();
    ASSERT_EQ(AbortFlag, 0);
    EXPECT_EQ(script.Pending(), 0u);
    // The plates keep the holes entered for the old size; drilled for the
    // new one, the joint calculates.
    EXPECT_NE(hole, step.bore);
    EXPECT_EQ(Klemmstuecke.Di[1], hole);
    EXPECT_EQ(Klemmstuecke.Di[2], hole);
    Klemmstuecke.Di[1] = Klemmstuecke.Di[2] = step.bore;
    CalculateJoint();
    EXPECT_EQ(CalcFatalFlag, 0);
    EXPECT_EQ(CalcMessages.count, 0) << Messages();
    EXPECT_EQ(PlainBoltDesignation(), step.designation);
    EXPECT_EQ(Schraube.dw, Din931.dw);  // the head row of the size
    EXPECT_EQ(Din931.d, Gewinde.d);
    EXPECT_EQ(Din934.d, Gewinde.d);  // and the nut's
    EXPECT_EQ(Mutter.dwNut, Din934.dw);
    EXPECT_EQ(Mutter.m, Din934.m);
    EXPECT_EQ(Schraube.lSec[1], Schraube.l);
    EXPECT_EQ(Schraube.dSec[1], Gewinde.d);
    EXPECT_EQ(Klemmstuecke.Di[3], step.washerDi);
    EXPECT_EQ(Klemmstuecke.De[3], step.washerDe);
    EXPECT_EQ(Klemmstuecke.L[3], step.washerH);
  }
}

TEST_F(InputProceduresTest, WhatTheUserEnteredForTheOldSizeIsNamedAndTheJointStaysAsItWas) {
  struct Case {
    const char* what;
    void (*enter)();
    const char* fa;
    const char* named;
  };
  const Case cases[] = {
      {"self-defined bolt", [] { Schraube.BoltType = 3; }, "25000",
       "self-defined bolt: its sections were entered for d = 12 mm"},
      {"thread diameters", [] { Schraube.ToleranceClass = 1; }, "25000", "d2, d3 and dmin were entered for d = 12 mm"},
      {"head without the size", [] { Schraube.HeadType = 3; }, "25000",
       "slotted countersunk screw: no row for M16 in the table"},
      {"washer without the size", [] { AddWasher("EN 14399-6 - 12", 13, 24, 3); }, "2500",
       "M 6 at class of resistance 8.8 not applied:\n"
       "clamping plate 3 (EN 14399-6 - 12): no washer for M6 in the table"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadSample();
    c.enter();
    const KLEMMSTUECKTYPE plates = Klemmstuecke;
    const SCHRAUBTYPE bolt = Schraube;
    platform::DialogScript script;
    AcceptProposal(script, c.fa, 2);
    script.Ok().Expect(c.named);
    PreliminaryDesign();
    EXPECT_EQ(AbortFlag, 1);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(Gewinde.d, 12);
    EXPECT_EQ(Schraube.StrengthClassCode, bolt.StrengthClassCode);
    EXPECT_EQ(Schraube.dw, bolt.dw);
    EXPECT_EQ(Schraube.lSec, bolt.lSec);
    EXPECT_EQ(Klemmstuecke.Di, plates.Di);
  }
  // A plate too narrow for the hole of the new size is no obstacle, for a
  // joint as for a new one: the plates keep the holes entered.
  for (bool newJoint : {false, true}) {
    SCOPED_TRACE(newJoint);
    LoadSample();
    Klemmstuecke.De[1] = 15;
    const KLEMMSTUECKTYPE plates = Klemmstuecke;
    platform::DialogScript script;
    AcceptProposal(script, "25000", 2);
    PreliminaryDesign(newJoint);
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(Gewinde.d, 16);
    EXPECT_EQ(Klemmstuecke.Di, plates.Di);
    EXPECT_EQ(Klemmstuecke.De, plates.De);
  }
}

// Section editor -------------------------------------------------------------

void SetSections(std::initializer_list<Extended> lengths) {
  Schraube.nSections = 0;
  for (Extended l : lengths) {
    ++Schraube.nSections;
    Schraube.lSec[Schraube.nSections] = l;
    Schraube.dSec[Schraube.nSections] = 12;
  }
}

TEST_F(InputProceduresTest, SectionEditorTakesBackACancelledSectionRefusesAnEleventhInsertsAndDeletes) {
  SetSections({10});
  platform::DialogScript script;
  script.Press("Button_neu");
  script.Cancel().Expect("section 2");
  EditBoltSections();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Schraube.nSections, 1);
  AbortFlag = 0;
  SetSections({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  script.Press("Button_neu");
  script.Ok().Expect("bolt too complex !");
  EditBoltSections();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Schraube.nSections, 10);
  EXPECT_EQ(ItemTexts[1].str(), "01:  De= 12.00 mm     Di=  0.0 mm     L=   1.0 mm");

  // Insert, delete and end with OK.
  AbortFlag = 0;
  SetSections({10, 20});
  script.Press("Button_einfuegen", {{"ListBox1", "#1"}});
  script.Ok({{"Edit_l", "15"}}).Expect("section 2");
  script.Press("Button_loeschen", {{"ListBox1", "#0"}});
  script.Ok();  // OK ends with "continue..."
  EditBoltSections();
  EXPECT_EQ(AbortFlag, 0);
  ASSERT_EQ(Schraube.nSections, 2);
  EXPECT_EQ(Schraube.lSec[1], 15);
  EXPECT_EQ(Schraube.lSec[2], 20);
}

// Clamped parts ----------------------------------------------------------------

void SetPlates(int n) {
  Klemmstuecke.nPlates = static_cast<Word>(n);
  for (int i = 1; i <= n; ++i) {
    Klemmstuecke.De[i] = 40;
    Klemmstuecke.Di[i] = 14;
    Klemmstuecke.L[i] = i;
    Klemmstuecke.Material[i] = "St " + std::to_string(i);
  }
}

void ExpectPlates(const std::vector<int>& thicknesses, const std::string& when) {
  ASSERT_EQ(Klemmstuecke.nPlates, thicknesses.size()) << when;
  for (std::size_t i = 1; i <= thicknesses.size(); ++i) {
    EXPECT_EQ(Klemmstuecke.L[i], thicknesses[i - 1]) << when << ", part " << i;
    EXPECT_EQ(Klemmstuecke.Material[i].str(), "St " + std::to_string(thicknesses[i - 1])) << when << ", part " << i;
  }
}

// A head kind whose table lacks the bolt's size (slotted countersunk, up to
// M10, for M12): the table opens under its own caption, in edit mode so that
// the row can be appended, on the row nearest the size; a row of another
// size is refused by name at OK and the table shown again.
TEST_F(InputProceduresTest, AHeadTableWithoutTheBoltsSizeOpensOnItAndRefusesAnotherSize) {
  ASSERT_EQ(Gewinde.d, 12);
  const SCHRAUBTYPE before = Schraube;
  struct Shown {
    std::string caption;
    int mode;
    Extended d;
  };
  std::vector<Shown> shown;
  TableDialogHook = [&](std::string_view, int mode, std::int32_t& rec) {
    CopyCalcRecord(4);
    shown.push_back({DbfDialogCaption(2), mode, Din963.d});
    if (shown.size() > 1) return false;  // then Cancel
    rec = 5;                             // the row of M4
    return true;
  };
  platform::DialogScript script;
  script.Ok({{"ListBox_items", "#2"}}).Expect("screw head");
  script.Ok().Expect("Database: Append d= 12.00");
  script.Ok().Expect(": the row of d = 4.00 is for another size than the bolt's d = 12.00; choose or append a row of d = 12.00.");
  InputScrewHead();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 1);
  ASSERT_EQ(shown.size(), 2u);
  for (const Shown& s : shown) {
    EXPECT_EQ(s.caption, "slotted countersunk screw for d= 12.00 enter with <Append>");
    EXPECT_EQ(s.mode, 2);
    EXPECT_EQ(s.d, 10);  // the largest size, next to 12
  }
  EXPECT_EQ(Schraube.dK, before.dK);
  EXPECT_EQ(Schraube.dw, before.dw);
}

// The row of the bolt's size appended in that table (Append, the fields
// typed, OK) is stored, taken at OK, and found again by its size.
TEST_F(InputProceduresTest, ARowOfTheBoltsSizeAppendedInTheHeadTableIsStoredAndTaken) {
  ASSERT_EQ(Gewinde.d, 12);
  std::int32_t appended = 0;
  std::int32_t rowsBefore = 0;
  TableDialogHook = [&](std::string_view, int mode, std::int32_t& rec) {
    EXPECT_EQ(mode, 2);
    rowsBefore = DbfRecordCount();
    AppendDbfBlank();
    SetDbfFieldFloat("D", 12);
    SetDbfFieldString("STANDARD", "ISO 2009");
    SetDbfFieldFloat("B", 38);
    SetDbfFieldFloat("DK", 24);
    SetDbfFieldFloat("K", 6);
    SetDbfFieldFloat("T", 3);
    SetDbfFieldFloat("N", 2.5L);
    SetDbfFieldFloat("R", 3);
    SetDbfFieldFloat("DKACT", 22);
    appended = rec = DbfRecNo();
    return true;
  };
  platform::DialogScript script;
  script.Ok({{"ListBox_items", "#2"}}).Expect("screw head");
  script.Ok().Expect("Database: Append d= 12.00");
  InputScrewHead();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  ASSERT_GT(appended, rowsBefore);
  EXPECT_EQ(Schraube.HeadType, 3);
  EXPECT_EQ(Schraube.HeadRow, appended);
  EXPECT_EQ(Schraube.dK, 24);

  // A second pick opens on the stored row, without the append question.
  std::int32_t shownOn = 0;
  TableDialogHook = [&](std::string_view, int mode, std::int32_t& rec) {
    EXPECT_EQ(mode, 1);
    shownOn = rec = DbfRecNo();
    return true;
  };
  script.Ok({{"ListBox_items", "#2"}}).Expect("screw head");
  InputScrewHead();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(shownOn, appended);
  EXPECT_EQ(Schraube.HeadRow, appended);
}

TEST_F(InputProceduresTest, CancelOfTheListPutsTheEntriesBackAsTheyWereWhenItOpened) {
  SetPlates(3);
  Klemmstuecke.Codes[2] = {7, 8};
  Klemmstuecke.lK = 6;  // a result: put back with the parts
  platform::DialogScript script;
  script.Press("Button_loeschen", {{"ListBox1", "#1"}}).Expect("clamping plates");
  script.Cancel().Expect("clamping plates");
  EditClampingPieces();
  EXPECT_EQ(AbortFlag, 1);
  ExpectPlates({1, 2, 3}, "Delete, Cancel");
  EXPECT_EQ(Klemmstuecke.Codes[2][1], 8);
  EXPECT_EQ(Klemmstuecke.lK, 6);

  // Insert confirmed in the part's form, a second Delete, then Cancel.
  script.Press("Button_einfuegen", {{"ListBox1", "#0"}});
  script.Ok({{"Edit_l", "9"}}).Expect("clamp.plate 1");
  script.Press("Button_loeschen", {{"ListBox1", "#3"}});
  script.Cancel();
  EditClampingPieces();
  EXPECT_EQ(AbortFlag, 1);
  ExpectPlates({1, 2, 3}, "Insert, Delete, Cancel");

  // The bolt's sections the same way.
  Schraube.nSections = 2;
  Schraube.lSec[1] = 10;
  Schraube.lSec[2] = 20;
  script.Press("Button_loeschen", {{"ListBox1", "#0"}});
  script.Cancel();
  EditBoltSections();
  ASSERT_EQ(Schraube.nSections, 2);
  EXPECT_EQ(Schraube.lSec[1], 10);

  // A Cancel in a part's form ends the editor and takes back only that
  // form: the delete before it stays, and the input counts as changed.
  InputModified = 0;
  script.Press("Button_loeschen", {{"ListBox1", "#0"}});
  script.Press("Button_aendern", {{"ListBox1", "#0"}});
  script.Press("Button_cancel", {{"Edit_l", "7"}}).Expect("clamp.plate 1");
  EditClampingPieces();
  EXPECT_EQ(AbortFlag, 1);
  ExpectPlates({2, 3}, "Delete, Modify cancelled");
  EXPECT_EQ(InputModified, 1);

  // OK keeps what was done.
  AbortFlag = 0;
  script.Press("Button_loeschen", {{"ListBox1", "#0"}});
  script.Ok();
  EditClampingPieces();
  EXPECT_EQ(AbortFlag, 0);
  ExpectPlates({3}, "Delete, OK");
  EXPECT_EQ(script.Pending(), 0u);
}

TEST_F(InputProceduresTest, ClampedPartEditorRefusesATwentyFirstMovesDrillsAndDeletesParts) {
  SetPlates(20);
  platform::DialogScript script;
  script.Press("Button_neu");
  script.Ok().Expect("Too many clamping pieces !");
  EditClampingPieces();
  EXPECT_EQ(AbortFlag, 1);
  script.Press("Button_einfuegen", {{"ListBox1", "#3"}});
  script.Ok().Expect("Too many clamping pieces !");
  EditClampingPieces();
  EXPECT_EQ(Klemmstuecke.nPlates, 20);
  EXPECT_EQ(Klemmstuecke.L[4], 4);

  // Parts move with all their fields; the drill-hole button sets every bore to the proposal.
  AbortFlag = 0;
  SetPlates(3);
  Klemmstuecke.Codes[2] = {7, 8};
  Klemmstuecke.Description[2] = "second";
  script.Press("Button_einfuegen", {{"ListBox1", "#1"}});
  script.Ok({{"Edit_l", "9"}}).Expect("clamp.plate 2");
  script.Press("Button_156");
  script.Ok().Expect("New bore diameter Di");
  script.Ok();
  EditClampingPieces();
  ASSERT_EQ(Klemmstuecke.nPlates, 4);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(Klemmstuecke.Di[i], 13) << i;
  EXPECT_EQ(Klemmstuecke.L[2], 9);
  EXPECT_EQ(Klemmstuecke.L[3], 2);
  EXPECT_EQ(Klemmstuecke.Material[3].str(), "St 2");
  EXPECT_EQ(Klemmstuecke.Description[3].str(), "second");
  EXPECT_EQ(Klemmstuecke.Codes[3][1], 8);
  EXPECT_EQ(Klemmstuecke.L[4], 3);
  EXPECT_EQ(ItemTexts[1].str(), "01: de=  40.0  di=  13.0  l=   1.00  St 1");

  // Deleting the only part asks which one, leaves none, and the force introduction asks for parts.
  SetPlates(1);
  script.Press("Button_loeschen");
  script.Ok().Expect("select section to delete...");
  script.Ok();
  EditClampingPieces();
  EXPECT_EQ(Klemmstuecke.nPlates, 0);
  // Both are refused: nothing changed, which the caller tells by AbortFlag.
  script.Ok().Expect("First you have to define the clamping pieces");
  InputLoad();
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  script.Ok().Expect("Please enter first screw and clampng pieces !");
  InputForceIntroduction();
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  // With parts again, a centric force introduction shows no form.
  SetPlates(2);
  ExzKraftangriff.ExzCode = 2;
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("force introduction");
  InputForceIntroduction();
  EXPECT_EQ(ExzKraftangriff.ExzCode, 1);
  EXPECT_EQ(AbortFlag, 0);
}

// A dialog of the tables that accepts the given rows in turn, then the row
// it stands on.
void AcceptRows(std::vector<std::int32_t> rows) {
  auto next = std::make_shared<std::size_t>(0);
  TableDialogHook = [rows, next](std::string_view, int, std::int32_t& rec) {
    if (*next < rows.size()) rec = rows[(*next)++];
    return true;
  };
}

// A thread picked in the guided input of the bolt comes with the head, nut
// and shank of its size, whichever later step is cancelled.
TEST_F(InputProceduresTest, AGuidedThreadPickKeepsHeadNutAndShankOfItsSizeAtEveryCancel) {
  for (const char* cancelled : {"screw head", "bolt length up to head"}) {
    SCOPED_TRACE(cancelled);
    LoadSample();
    ASSERT_EQ(PlainBoltDesignation(), "ISO 4014 - M12 x 60 - 12.9 SW18");
    AcceptRows({13});  // M16, then the rows the tables stand on
    platform::DialogScript script;
    script.Ok({{"RadioGroup_items", "#0"}}).Expect("select type of bolt");
    script.Ok({{"RadioGroup_items", "#1"}}).Expect("allowance class");
    if (std::string(cancelled) == "screw head") {
      script.Cancel().Expect("screw head");
    } else {
      script.Ok({{"ListBox_items", "#1"}}).Expect("screw head");
      script.Cancel().Expect(cancelled);
    }
    InputBoltType();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(AbortFlag, 1);
    EXPECT_EQ(PlainBoltDesignation(), "ISO 4014 - M16 x 60 - 12.9 SW24");
    EXPECT_EQ(Din931.d, 16);
    EXPECT_EQ(Schraube.dw, Din931.dw);
    EXPECT_EQ(Schraube.dK, Din931.s);
    EXPECT_EQ(Schraube.dSec[1], 16);
    EXPECT_EQ(Din934.d, 16);
    EXPECT_EQ(Mutter.dNut, 16);
    EXPECT_EQ(Mutter.dwNut, Din934.dw);
    CalculateJoint();
    EXPECT_EQ(CalcFatalFlag, 0) << Messages();
  }
}

// A thread of another size brings its own pitch, minor and major diameter
// in place of those entered for the old size, and says so; a self-defined
// bolt keeps its sections with a word when they were not made for the size.
TEST_F(InputProceduresTest, AThreadOfAnotherSizeBringsItsDiametersAndNamesTheSectionsItKeeps) {
  LoadSample();
  Schraube.ToleranceClass = 1;
  Schraube.d2 = 10.86L;
  Schraube.d3 = 9.853L;
  Schraube.dmin = 11.73L;
  AcceptRows({13});  // M16
  platform::DialogScript script;
  script.Ok().Expect("M16 taken:\nd2, d3 and dmin entered for d = 12.000 mm are now those of M16: d2 = 14.701 mm, "
                     "d3 = 13.546 mm, dmin = 15.712 mm");
  EXPECT_TRUE(PickBoltThread(0, "Database thread"));
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(Gewinde.d, 16);
  EXPECT_EQ(Schraube.ToleranceClass, 1);
  EXPECT_NEAR(D(Schraube.d2), 14.701, 0.0005);
  EXPECT_NEAR(D(Schraube.d3), 13.546, 0.0005);
  EXPECT_NEAR(D(Schraube.dmin), 15.712, 0.0005);
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0) << Messages();
  EXPECT_NEAR(D(Schraube.As), 156.7, 0.05);
  // Another thread of the same size changes nothing entered and says nothing.
  Schraube.d2 = 14.7L;
  AcceptRows({40});  // M16x1.5
  EXPECT_TRUE(PickBoltThread(0, "Database thread"));
  EXPECT_EQ(Schraube.d2, 14.7L);

  // A self-defined bolt of sections for d = 12 keeps them under M16 with a
  // word; sections made for the size are taken in silence.
  LoadSample();
  Schraube.BoltType = 3;
  const SCHRAUBTYPE bolt = Schraube;
  AcceptRows({13});
  script.Ok().Expect("M16 taken:\nthe self-defined bolt keeps its sections, its threaded end of De = 12.000 mm: "
                     "edit them for d = 16.000 mm with the bolt");
  EXPECT_TRUE(PickBoltThread(1, "Database thread"));
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(Schraube.nSections, bolt.nSections);
  for (int i = 1; i <= bolt.nSections; ++i) EXPECT_EQ(Schraube.dSec[i], bolt.dSec[i]) << i;
  for (int i = 1; i <= bolt.nSections; ++i) Schraube.dSec[i] = 12;
  AcceptRows({12});  // back to M12, which the sections fit
  EXPECT_TRUE(PickBoltThread(1, "Database thread"));
  EXPECT_EQ(Gewinde.d, 12);
}

// A head or nut kind comes with a row of its table of the bolt's size: a row
// of another size is refused by name, and Cancel leaves the part, its kind
// included, as it was.
TEST_F(InputProceduresTest, AHeadOrNutKindIsTakenOnlyWithARowOfTheBoltsSize) {
  LoadSample();
  const std::string bolt = PlainBoltDesignation();
  const SCHRAUBTYPE head = Schraube;
  const MUTTERTYPE nut = Mutter;
  const DIN934_Record hexRow = Din934;
  const DIN934_Record heavyRow = Din6915;
  int shown = 0;
  TableDialogHook = [&](std::string_view, int, std::int32_t& rec) {
    rec = 2;  // the d = 16 row of the heavy hex nuts
    return ++shown == 1;
  };
  platform::DialogScript script;
  script.Ok({{"RadioGroup_items", "#1"}}).Expect("bolt-nut type");
  script.Ok({{"RadioGroup_items", "#1"}}).Expect("nut");
  script.Ok().Expect("heavy hex nut: the row of d = 16.00 is for another size than the bolt's d = 12.00");
  InputNut();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Mutter.NutType, nut.NutType);
  EXPECT_EQ(Mutter.NutRow, nut.NutRow);
  EXPECT_EQ(Mutter.dwNut, nut.dwNut);
  EXPECT_EQ(Mutter.m, nut.m);
  EXPECT_EQ(Din934.dw, hexRow.dw);
  EXPECT_EQ(Din6915.d, heavyRow.d);
  EXPECT_EQ(NutStandardText() + " SW " + NutWidthAcrossFlatsText(), "ISO 4032 SW 18");

  // Another head kind, its table cancelled: the hex head stays.
  CancelTable();
  AbortFlag = 0;
  script.Ok({{"ListBox_items", "#0"}}).Expect("screw head");
  InputScrewHead();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Schraube.HeadType, head.HeadType);
  EXPECT_EQ(Schraube.HeadRow, head.HeadRow);
  EXPECT_EQ(PlainBoltDesignation(), bolt);
}

// A tapped hole is taken with a material: Escape at the choice of the table
// or in the table leaves the joint kind and the material as they were;
// Escape at the allowance class keeps the material picked before it.
TEST_F(InputProceduresTest, ATappedHoleIsTakenOnlyWithItsMaterial) {
  LoadSample();
  ASSERT_EQ(Verbindung.JointKind, kJointWithNut);
  const MUTTERMATTYPE material = MatMutter;
  const SACKLOCHTYPE hole = Sackloch;
  auto unchanged = [&] {
    EXPECT_EQ(AbortFlag, 1);
    EXPECT_EQ(Verbindung.JointKind, kJointWithNut);
    EXPECT_EQ(MatMutter.Name.str(), material.Name.str());
    EXPECT_EQ(MatMutter.RmM, material.RmM);
    EXPECT_EQ(MatMutter.ReM, material.ReM);
    EXPECT_EQ(Sackloch.MatTable, hole.MatTable);
    EXPECT_EQ(Sackloch.NutMatRow, hole.NutMatRow);
    AbortFlag = 0;
  };
  platform::DialogScript script;
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("bolt-nut type");
  script.Cancel().Expect("Database");
  InputNut();
  unchanged();
  CancelTable();
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("bolt-nut type");
  script.Ok({{"RadioGroup_items", hole.MatTable == 1 ? "#0" : "#1"}}).Expect("Database");
  InputNut();
  unchanged();
  EXPECT_EQ(script.Pending(), 0u);

  AcceptRows({3});
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("bolt-nut type");
  script.Ok({{"RadioGroup_items", "#0"}}).Expect("Database");
  script.Cancel().Expect("allowance class");
  InputNut();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Verbindung.JointKind, kJointTapped);
  EXPECT_EQ(Sackloch.MatTable, 0);
  EXPECT_EQ(Sackloch.NutMatRow, 3);
  EXPECT_EQ(MatMutter.Name.str(), Pressung.Name.substr(0, 25));
  EXPECT_EQ(MatMutter.RmM, Pressung.Rm);
}

}  // namespace
