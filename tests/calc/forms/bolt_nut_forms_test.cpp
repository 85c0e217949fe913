#include "form_test_support.h"

#include <QTableWidget>

#include "calc/forms/bolt_form.h"
#include "calc/forms/calc_forms.h"
#include "calc/forms/nut_form.h"
#include "calc/calc_tables.h"
#include "calc/calculation.h"
#include "calc/designation.h"
#include "calc/input_procedures.h"
#include "calc/project_file.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

class BoltFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    FindCalcRecord(2);  // the head row of the default M12
    Schraube.BoltType = 1;
    Schraube.l = 60;
    Schraube.b = 30;
    Schraube.nSections = 1;
    Schraube.lSec[1] = 60;
    Schraube.dSec[1] = 12;
  }
};

TEST_F(BoltFormTest, ShowsTheBoltHidesWhatTheChoicesDoNotNeedAndProposes) {
  Schraube.ToleranceClass = 2;
  Last.EnduranceChoice = 1;
  TForm_bq4bolt form;
  ShowAndGrab(form, "bq4bolt");
  EXPECT_FALSE(form.StringGrid_boltgeo->isEnabled());
  EXPECT_FALSE(form.Button_sonder->isVisible());
  EXPECT_FALSE(form.Edit_d2->isVisible());  // allowance class 6h
  EXPECT_FALSE(form.Edit_sigmaazul->isVisible());
  EXPECT_FALSE(form.Edit_dk->isEnabled());
  EXPECT_EQ(Text(form.Button_schraubenkopf->text()), "ISO 4762  -  12 mm");
  form.ComboBox_toleranzklasse->setCurrentIndex(0);
  EXPECT_TRUE(form.Edit_d2->isVisible());

  // The proposals of the thread diameters and the length, and the head pick.
  Klemmstuecke.lK = 42;
  form.Button_d2Click();
  EXPECT_EQ(Text(form.Edit_d2->text()), Text(Disp(LengthToText(12 - 0.649519L * 1.75L))));
  AcceptRow(0);
  form.Filling = 0;
  form.Button_lschraubeClick();
  EXPECT_GE(Schraube.l, 60);  // the rebuild stored it
  form.ComboBox_schraubenkopf->setCurrentIndex(1);  // hexagon head
  form.HeadPick();
  EXPECT_EQ(Schraube.HeadType, 2);
  EXPECT_EQ(Schraube.dK, Din931.s);
  EXPECT_EQ(Schraube.dw, Din931.dw);
  EXPECT_EQ(Text(form.Edit_dk->text()), Text(Disp(LengthToText(Din931.s))));
}

TEST_F(BoltFormTest, LengthChangeRebuildsTheSectionsOfAStandardBolt) {
  TForm_bq4bolt form;
  form.Filling = 0;
  form.Edit_lschraube->setText("80");
  EXPECT_EQ(Schraube.l, 80);
  EXPECT_EQ(Schraube.lSec[1], 80);
  EXPECT_EQ(Text(form.StringGrid_boltgeo->item(0, 3)->text()), "80");

  form.ComboBox_typ->setCurrentIndex(1);  // necked-down: two sections at once
  form.UpdateBoltTypeControls();
  EXPECT_EQ(Schraube.BoltType, 2);
  EXPECT_EQ(Schraube.nSections, 2);
  EXPECT_EQ(Schraube.lSec[1], 80 - 30);  // l - b
  EXPECT_EQ(form.StringGrid_boltgeo->rowCount(), 2);
}

TEST_F(BoltFormTest, SelfDefinedBoltKeepsItsSectionsAndReadsTheGrid) {
  TForm_bq4bolt form;
  form.Filling = 0;
  form.ComboBox_typ->setCurrentIndex(2);
  form.UpdateBoltTypeControls();
  EXPECT_TRUE(form.StringGrid_boltgeo->isEnabled());
  EXPECT_FALSE(form.Edit_lschraube->isVisibleTo(&form));
  EXPECT_EQ(Schraube.nSections, 1);
  form.UpDown1->Click(false);  // increment -1: the down arrow adds a row
  EXPECT_EQ(form.StringGrid_boltgeo->rowCount(), 2);
  form.StringGrid_boltgeo->setItem(1, 1, new QTableWidgetItem("10"));
  form.StringGrid_boltgeo->setItem(1, 3, new QTableWidgetItem("35"));  // the 30 of thread fit in
  form.Button_okClick();
  EXPECT_EQ(Schraube.BoltType, 3);
  EXPECT_EQ(Schraube.nSections, 2);
  EXPECT_EQ(Schraube.dSec[2], 10);
  EXPECT_EQ(Schraube.lSec[2], 35);
  for (int i = 0; i < 8; ++i) form.UpDown1->Click(false);
  ASSERT_EQ(form.StringGrid_boltgeo->rowCount(), 10);
  for (int row = 0; row < 10; ++row)  // numbered at once, not at the next filling
    EXPECT_EQ(Text(form.StringGrid_boltgeo->item(row, 0)->text()), std::to_string(row + 1));
}

// Ten sections fill the grid: the arrow that adds one says so and takes
// none away, and OK keeps all ten; the other arrow removes the last.
TEST_F(BoltFormTest, TheArrowAddsNoEleventhSectionAndRemovesNone) {
  Schraube.BoltType = 3;
  Schraube.nSections = 10;
  for (int i = 1; i <= 10; ++i) {
    Schraube.dSec[i] = 12;
    Schraube.lSec[i] = 30 + i;  // longer than the thread, each its own
  }
  TForm_bq4bolt form;
  form.Filling = 0;
  ASSERT_EQ(form.StringGrid_boltgeo->rowCount(), 10);
  platform::DialogScript script;
  script.Ok().Expect("at most 10 sections").Ok().Expect("at most 10 sections");
  form.UpDown1->Click(false);
  form.UpDown1->Click(false);
  EXPECT_EQ(form.StringGrid_boltgeo->rowCount(), 10);
  form.Button_okClick();
  EXPECT_EQ(Schraube.nSections, 10);
  EXPECT_EQ(Schraube.lSec[10], 40);
  form.UpDown1->Click(true);
  EXPECT_EQ(form.StringGrid_boltgeo->rowCount(), 9);
  form.Button_okClick();
  EXPECT_EQ(Schraube.nSections, 9);
}

TEST_F(BoltFormTest, HeadKindWithoutRowForTheDiameterKeepsTheHead) {
  Schraube.dK = 18;
  Schraube.dw = 17;
  Schraube.b = 30;
  std::filesystem::remove(DbfDir + "/din931.dbf");
  table_test::WriteDbf(DbfDir + "/din931.dbf", {{"D", 'N', 6, 2}, {"STANDARD", 'C', 12, 0}, {"B", 'N', 6, 2}},
                       {{"8", "ISO 4017", "22"}});
  TForm_bq4bolt form;
  form.ComboBox_schraubenkopf->setCurrentIndex(1);
  platform::DialogScript script;
  script.Ok().Expect("Database: Append d= 12.00");
  form.HeadPick();
  EXPECT_TRUE(HasMessage("Fatal  : Database bolt head"));
  EXPECT_EQ(Schraube.dK, 18);
  EXPECT_EQ(Schraube.dw, 17);
  EXPECT_EQ(Schraube.b, 30);
  EXPECT_EQ(AbortFlag, 0);
}

// A head kind without a row for the bolt's size keeps the head values, names
// the gap on its button, and the calculation after OK ends on it; a kind with
// the size calculates again.
TEST_F(BoltFormTest, AHeadKindWithoutTheSizeStaysFatalAfterOk) {
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
  ASSERT_EQ(AbortFlag, 0);
  const SCHRAUBTYPE before = Schraube;
  {
    TForm_bq4bolt form;
    form.ComboBox_schraubenkopf->setCurrentIndex(2);  // slotted countersunk: its table ends at M10
    platform::DialogScript script;
    script.Ok().Expect("Database: Append d= 12.00");
    form.HeadPick();
    EXPECT_EQ(Text(form.Button_schraubenkopf->text()), "no row for M12");
    EXPECT_EQ(Text(form.Edit_dk->text()), Text(Disp(LengthToText(before.dK))));
    form.Button_okClick();
  }
  EXPECT_EQ(Schraube.HeadType, 3);
  EXPECT_EQ(Schraube.dK, before.dK);
  EXPECT_EQ(Schraube.b, before.b);
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_TRUE(HasMessage("Fatal  : Database bolt head"));
  EXPECT_TRUE(HasMessage("head table: no row for d = 12.00 !"));
  {
    TForm_bq4bolt form;
    EXPECT_EQ(Text(form.Button_schraubenkopf->text()), "no row for M12");
    form.ComboBox_schraubenkopf->setCurrentIndex(4);  // hexagon socket countersunk: M12 is there
    AcceptRow(0);
    form.HeadPick();
    EXPECT_EQ(Text(form.Button_schraubenkopf->text()), "ISO 10642  -  12 mm");
    form.Button_okClick();
  }
  CalculateJoint();
  EXPECT_FALSE(HasMessage("Fatal  : Database bolt head"));
}

// With the endurance strength from the table, the form offers the table when
// it is shown and after the unit switch, starting on the row chosen before; a
// cancelled offer keeps that row, and a thread pick does not offer it.
TEST_F(BoltFormTest, TheEnduranceTableIsOfferedWhenTheFormIsFilledOnScreen) {
  Last.EnduranceChoice = 3;
  Last.MatSaRow = 2;
  std::vector<std::int32_t> offered;
  std::int32_t answer = 0;  // 0: Cancel
  TableDialogHook = [&](std::string_view, int, std::int32_t& rec) {
    offered.push_back(rec);
    if (answer == 0) return false;
    rec = answer;
    return true;
  };
  {
    TForm_bq4bolt form;
    EXPECT_TRUE(offered.empty());  // not while it is built
    answer = 1;
    ShowAndGrab(form, "bq4bolt_endurance");
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], 2);
    EXPECT_EQ(Last.MatSaRow, 1);
    EXPECT_FALSE(form.Edit_sigmaazul->isVisible());
    answer = 0;
    form.Button_metricClick();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[1], 1);
    EXPECT_EQ(Last.MatSaRow, 1);
    EXPECT_EQ(AbortFlag, 0);
    form.Button_metricClick();
  }
  offered.clear();
  Last.EnduranceChoice = 1;
  TForm_bq4bolt form;
  ShowAndGrab(form, "bq4bolt");
  EXPECT_TRUE(offered.empty());
}

TEST_F(BoltFormTest, AThreadOfAnotherSizeTakesTheHeadNutAndWashersOfThatSizeOrNothing) {
  // The eccentric sample: M12 socket head; M16 picked.
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/eccentric.bq4");
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_EQ(Schraube.HeadType, 1);
  ASSERT_EQ(Gewinde.d, 12);
  {
    TForm_bq4bolt form;
    AcceptRow(13);  // M16
    form.Button_gewindeClick();
    EXPECT_EQ(Gewinde.Designation, "M16");
    EXPECT_EQ(Din912.d, 16);
    EXPECT_EQ(Schraube.HeadRow, 12);  // the M16 row
    EXPECT_EQ(Schraube.dK, Din912.dK);
    EXPECT_EQ(Schraube.dw, Din912.dw);
    EXPECT_EQ(Text(form.Edit_dk->text()), Text(Disp(LengthToText(Din912.dK))));
    EXPECT_EQ(Text(form.Button_schraubenkopf->text()), "ISO 4762  -  16 mm");
    form.Button_okClick();
  }
  EXPECT_EQ(Schraube.b, 44);  // of the head row, as after a head pick
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0);
  // With the M12 head: 308.4 N m and a surface-pressure safety of 0.63.
  EXPECT_NEAR(D(Last.MA), 328.5, 0.05);
  EXPECT_NEAR(D(Safety.SP), 1.807, 0.0005);

  // A bolt with a hex nut and a washer: both follow the thread.
  AbortFlag = 0;
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/null.bq4");
  ASSERT_EQ(Verbindung.JointKind, kJointWithNut);
  Klemmstuecke.nPlates = 3;
  Klemmstuecke.Description[3] = "ISO 7089 - 12";
  Klemmstuecke.Di[3] = 13;
  Klemmstuecke.De[3] = 24;
  Klemmstuecke.L[3] = 2.5L;
  {
    TForm_bq4bolt form;
    AcceptRow(13);
    form.Button_gewindeClick();
    form.Button_okClick();
  }
  EXPECT_EQ(Gewinde.d, 16);
  EXPECT_EQ(Din934.d, 16);
  EXPECT_EQ(Mutter.dwNut, Din934.dw);
  EXPECT_EQ(Mutter.m, Din934.m);
  EXPECT_EQ(Klemmstuecke.Description[3].str(), "ISO 7089 - 16");
  EXPECT_EQ(Klemmstuecke.Di[3], 17);
  EXPECT_EQ(Klemmstuecke.De[3], 30);
  EXPECT_EQ(Schraube.dSec[1], 16);

  // A head table without the size: one message, and nothing changes.
  AbortFlag = 0;
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/eccentric.bq4");
  std::filesystem::remove(DbfDir + "/din912.dbf");
  table_test::WriteDbf(DbfDir + "/din912.dbf",
                       {{"D", 'N', 6, 2}, {"STANDARD", 'C', 12, 0}, {"DK", 'N', 6, 2}, {"DW", 'N', 6, 2},
                        {"B", 'N', 6, 2}},
                       {{"12", "ISO 4762", "18", "17.23", "36"}});
  const SCHRAUBTYPE bolt = Schraube;
  const KLEMMSTUECKTYPE plates = Klemmstuecke;
  platform::DialogScript script;
  script.Ok().Expect("M16 not taken:\nhexagon socket head bolt: no row for M16 in the table");
  {
    TForm_bq4bolt form;
    AcceptRow(13);
    form.Button_gewindeClick();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(Text(form.Button_gewinde->text()), "M12");
    form.Button_okClick();
  }
  EXPECT_EQ(Gewinde.d, 12);
  EXPECT_EQ(Gewinde.Designation, "M12");
  EXPECT_EQ(Schraube.ThreadRow, bolt.ThreadRow);
  EXPECT_EQ(Schraube.dK, bolt.dK);
  EXPECT_EQ(Schraube.dw, bolt.dw);
  EXPECT_EQ(Schraube.b, bolt.b);
  EXPECT_EQ(Schraube.lSec, bolt.lSec);
  EXPECT_EQ(Schraube.dSec, bolt.dSec);
  EXPECT_EQ(Klemmstuecke.Di, plates.Di);
}

TEST_F(BoltFormTest, OkStoresCancelKeepsAndNeitherRoundsTheValues) {
  platform::DialogScript script;
  script.Cancel();
  RunBoltForm();
  EXPECT_EQ(AbortFlag, 1);
  // A thread length of 0: none given; an empty field is no 0 and is refused.
  script.Ok({{"ComboBox_dauerfest", "#3"}, {"Edit_sigmaazul", "48"}, {"Edit_lgew", ""}});
  script.Ok().Expect("thread length lG: Invalid Input \"\" !");
  script.Ok({{"Edit_lgew", "0"}});
  RunBoltForm();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Last.EnduranceChoice, 4);
  EXPECT_EQ(Last.sigmaASV, 48);
  EXPECT_EQ(Schraube.b, 0);

  // Showing and storing does not round the values.
  Schraube.ToleranceClass = 1;
  Schraube.d2 = 10.86319L;
  Schraube.l = 60.123456L;
  script.Ok();
  RunBoltForm();
  EXPECT_EQ(Schraube.d2, 10.86319L);
  EXPECT_EQ(Schraube.l, 60.123456L);
  script.Ok({{"Edit_d2", "10.5"}});
  RunBoltForm();
  EXPECT_EQ(Schraube.d2, 10.5L);
}

// OK refuses, by name, a bolt that no calculation can take: one without
// sections; the form stays open until the bolt is one. A thread longer than
// the last section is named, and the bolt is taken as entered.
TEST_F(BoltFormTest, OkRefusesABoltWithoutSectionsAndNamesAThreadLongerThanItsLastSection) {
  Schraube.BoltType = 3;
  Schraube.nSections = 0;
  platform::DialogScript script;
  script.Ok();
  script.Ok().Expect("The bolt has no section: enter at least one (button \"bolt\").");
  script.Cancel();
  RunBoltForm();
  EXPECT_EQ(AbortFlag, 1);

  // l 60 from 20 + 15 + 25 with a thread of 30.
  Schraube.nSections = 3;
  const Extended lengths[] = {20, 15, 25};
  for (int i = 1; i <= 3; ++i) {
    Schraube.lSec[i] = lengths[i - 1];
    Schraube.dSec[i] = 12;
  }
  script.Ok();
  script.Ok().Expect("thread length lG = 30 mm is longer than the last section (L = 25 mm) !");
  RunBoltForm();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Schraube.b, 30);
}

// Nut form -----------------------------------------------------------------------

class NutFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    SetUpThroughBoltedM12Joint();
  }
};

TEST_F(NutFormTest, GroupsFollowTheJointAndNutKindProposalsAndPicksFillTheFormAndOkStores) {
  Mutter.NutType = 1;
  MatMutter.OwnNutMaterial = 0;
  TForm_bq4nut form;
  ShowAndGrab(form, "bq4nut");
  EXPECT_TRUE(form.GroupBox_mutter->isVisible());
  EXPECT_FALSE(form.GroupBox_sackloch->isVisible());
  EXPECT_FALSE(form.GroupBox_mat->isVisible());
  EXPECT_FALSE(form.Edit_dw->isEnabled());
  form.RadioGroup_form->SetItemIndex(3);
  form.UpdateNutControls();
  EXPECT_TRUE(form.Edit_dw->isEnabled());
  EXPECT_FALSE(form.Button_dbnut->isVisible());
  form.RadioGroup_typ->SetItemIndex(0);
  form.UpdateNutControls();
  EXPECT_TRUE(form.GroupBox_sackloch->isVisible());
  EXPECT_FALSE(form.GroupBox_mutter->isVisible());
  EXPECT_TRUE(form.GroupBox_mat->isVisible());

  // The depth proposals, the nut pick of the current diameter, the material
  // pick, then OK and Cancel.
  Schraube.l = 60;
  Klemmstuecke.lK = 42;
  Mutter.NutRow = 1;  // M1.6
  int shown = 0;
  AcceptRow(0, &shown);
  TForm_bq4nut picks;
  picks.Button_tgClick();
  EXPECT_EQ(Text(picks.Edit_tg->text()), "21.5");
  picks.Button_tbClick();
  EXPECT_EQ(Text(picks.Edit_tb->text()), "25");
  picks.Button_dbnutClick();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Mutter.dNut, 12);
  EXPECT_GT(Mutter.NutRow, 1);
  EXPECT_EQ(Text(picks.Edit_h->text()), Text(Disp(LengthToText(Mutter.m))));

  CancelTable();  // keeps the nut as it was
  const auto row = Mutter.NutRow;
  picks.Button_dbnutClick();
  EXPECT_EQ(Mutter.NutRow, row);
  EXPECT_EQ(Mutter.dNut, 12);

  // The material pick, then OK and Cancel.
  AcceptRow(2);
  picks.RadioGroup_dbmat->SetItemIndex(0);
  picks.Button_dbwstClick();
  EXPECT_EQ(MatMutter.Name.str(), "St 50");
  EXPECT_EQ(Sackloch.NutMatRow, 2);
  EXPECT_EQ(Text(picks.Label_rm->text()), "Rm = 500 MPa");

  platform::DialogScript script;
  script.Ok({{"RadioGroup_typ", "#0"}, {"Edit_tg", "18"}, {"ComboBox_tolgew", "#2"}});
  RunNutForm();
  EXPECT_EQ(Verbindung.JointKind, kJointTapped);
  EXPECT_EQ(Sackloch.tg, 18);
  EXPECT_EQ(Mutter.NutToleranceClass, 3);
  script.Cancel();
  RunNutForm();
  EXPECT_EQ(AbortFlag, 1);
}

// Another nut kind shows and takes its table's row of the thread's size;
// Cancel takes nothing; a kind whose table lacks the size is refused by name
// at OK, and a joint that holds one anyway ends its calculation on it.
TEST_F(NutFormTest, AnotherNutKindTakesItsRowOrOkRefusesItByName) {
  FindCalcRecord(kHexNutTable);
  Mutter.NutType = 1;
  TakeNutRowValues(1);
  const MUTTERTYPE hex = Mutter;
  {
    TForm_bq4nut form;
    form.RadioGroup_form->SetItemIndex(1);  // heavy hex nut
    form.RadioGroup_formClick();
    EXPECT_EQ(Text(form.Edit_dw->text()), "20.1");
    EXPECT_EQ(Text(form.Edit_h->text()), "10");
    EXPECT_EQ(Text(form.Label_dbnut->text()), "12 - EN 14399-4");
    EXPECT_EQ(Mutter.dwNut, hex.dwNut);  // nothing stored yet
    form.RadioGroup_form->SetItemIndex(0);
    form.RadioGroup_formClick();
    EXPECT_EQ(Text(form.Edit_dw->text()), Text(Disp(LengthToText(hex.dwNut))));
    form.RadioGroup_form->SetItemIndex(1);
    form.RadioGroup_formClick();
    form.Button_cancelClick();
  }
  EXPECT_EQ(Mutter.NutType, 1);
  EXPECT_EQ(Mutter.dwNut, hex.dwNut);
  EXPECT_EQ(Mutter.NutRow, hex.NutRow);

  platform::DialogScript script;
  script.Ok({{"RadioGroup_form", "#1"}});
  RunNutForm();
  EXPECT_EQ(Mutter.NutType, 2);
  EXPECT_EQ(Mutter.dwNut, Din6915.dw);
  EXPECT_EQ(Mutter.m, Din6915.m);
  EXPECT_EQ(Mutter.dNut, 12);
  EXPECT_EQ(Din6915.d, 12);
  EXPECT_EQ(NutStandardText(), "EN 14399-4");

  // A heavy hex nut table without M12: refused, then the special nut is taken.
  Mutter.NutType = 1;
  TakeNutRowValues(1);
  std::filesystem::remove(DbfDir + "/din6915.dbf");
  table_test::WriteDbf(DbfDir + "/din6915.dbf",
                       {{"D", 'N', 6, 2}, {"M", 'N', 6, 2}, {"S", 'N', 6, 2}, {"DW", 'N', 6, 2},
                        {"STANDARD", 'C', 12, 0}},
                       {{"16", "13", "27", "24.9", "EN 14399-4"}});
  script.Ok({{"RadioGroup_form", "#1"}});
  script.Ok().Expect("heavy hex nut: no row for M12 in the table.\nAppend the row with \"Database\"");
  script.Ok({{"RadioGroup_form", "#3"}, {"Edit_dw", "21"}, {"Edit_h", "11"}});
  RunNutForm();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(Mutter.NutType, 4);
  EXPECT_EQ(Mutter.dwNut, 21);
  EXPECT_EQ(Mutter.m, 11);

  Mutter.NutType = 2;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_TRUE(HasMessage("Fatal  : Database nut !"));
  EXPECT_TRUE(HasMessage("nut table: no row for d = 12.00 !"));
}

// The endurance formulas offered are those of the project's edition, as in
// the guided input.
TEST_F(BoltFormTest, TheEnduranceListOffersTheFormulasOfTheProjectsEdition) {
  Last.EnduranceChoice = 1;
  for (Word edition : {Word{1}, Word{2}}) {
    CalcOptions.VdiEdition = edition;
    TForm_bq4bolt form;
    const std::vector<std::string> texts = EnduranceChoiceTexts();
    ASSERT_EQ(form.ComboBox_dauerfest->count(), 4);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Text(form.ComboBox_dauerfest->itemText(i)), Text(Disp(texts[static_cast<std::size_t>(i)])));
    EXPECT_NE(Text(form.ComboBox_dauerfest->itemText(0)).find(edition == 2 ? "0.85*(150/d+45)" : "0.75*(180/d+52)"),
              std::string::npos);
  }
}

// A tapped part needs a material: without one the pick is offered at OK,
// and OK is refused by name while none is chosen.
TEST_F(NutFormTest, ATappedPartWithoutMaterialIsAskedForOneBeforeOkStores) {
  Verbindung.JointKind = kJointWithNut;
  MatMutter = MUTTERMATTYPE{};
  const MUTTERMATTYPE none = MatMutter;
  int offered = 0;
  TableDialogHook = [&](std::string_view, int, std::int32_t& rec) {
    rec = 2;  // St 50
    return ++offered > 1;
  };
  platform::DialogScript script;
  script.Ok({{"RadioGroup_typ", "#0"}});
  script.Ok().Expect("tapped part: no material chosen.");
  script.Ok();
  RunNutForm();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(offered, 2);
  EXPECT_EQ(Verbindung.JointKind, kJointTapped);
  EXPECT_EQ(MatMutter.Name.str(), "St 50");
  EXPECT_EQ(MatMutter.RmM, 500);
  EXPECT_NE(none.RmM, MatMutter.RmM);
}

}  // namespace
