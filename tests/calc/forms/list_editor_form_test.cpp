#include "form_test_support.h"

#include "calc/forms/list_editor_form.h"

#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>

#include "calc/forms/bolt_section_form.h"
#include "calc/forms/calc_forms.h"
#include "calc/forms/clamped_plate_form.h"
#include "calc/forms/index_selection_form.h"
#include "calc/joint_records.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

using ListEditorTest = FormTest;

TEST_F(ListEditorTest, ShowsTheEntriesAndThePreselectionAndEndsByDoubleClickOkCancelOrItsButtons) {
  for (int i = 1; i <= 3; ++i) ItemTexts[i] = "entry " + std::to_string(i);
  TForm_einarray form;
  form.ItemCount = 3;
  form.Selected = 2;
  form.Action = 7;
  ShowAndGrab(form, "einarray");
  EXPECT_EQ(Text(form.ListBox1->item(2)->text()), "entry 3");
  EXPECT_EQ(form.SelectedEntry(), 2);
  EXPECT_EQ(form.Action, 0);
  EXPECT_FALSE(form.Button_error->isVisible());  // no calculation message

  form.hide();
  form.Selected = 0;
  AddErrorMessage("Warning: something");
  form.show();
  EXPECT_EQ(form.SelectedEntry(), 0);
  EXPECT_TRUE(form.Button_error->isVisible());
  // Taking the focus makes the first line current without marking it.
  form.ListBox1->selectionModel()->setCurrentIndex(form.ListBox1->model()->index(0, 0),
                                                   QItemSelectionModel::NoUpdate);
  EXPECT_EQ(form.SelectedEntry(), 0);
  form.ListBox1Click();
  EXPECT_EQ(form.Selected, 0);

  // Double click, OK and Cancel.
  form.ListBox1->setCurrentRow(1);
  form.ListBox1Click();
  EXPECT_EQ(form.Selected, 2);
  form.ListBox1DblClick();
  EXPECT_EQ(form.Action, 10);

  AbortFlag = 1;
  platform::DialogScript script;
  script.Ok();
  int selected = 1;
  EXPECT_EQ(RunListEditor("list", 2, selected), 0);
  EXPECT_EQ(AbortFlag, 0);
  script.Cancel();
  EXPECT_EQ(RunListEditor("list", 2, selected), 0);
  EXPECT_EQ(AbortFlag, 1);

  // Each button ends with its action code.
  struct Case {
    const char* button;
    int action;
  };
  for (Case c : {Case{"Button_neu", 1}, Case{"Button_einfuegen", 2}, Case{"Button_loeschen", 3},
                 Case{"Button_156", 6}, Case{"Button_157", 7}, Case{"Button_158", 8}, Case{"Button_aendern", 9}}) {
    script.Press(c.button, {{"ListBox1", "#1"}});
    selected = 1;
    EXPECT_EQ(RunListEditor("list", 3, selected, {"a", "b", "c"}), c.action) << c.button;
    // New leaves no entry marked, so the caller reads 0.
    EXPECT_EQ(selected, c.action == 1 ? 0 : 2) << c.button;
  }
}

// Bolt section form ---------------------------------------------------------

using BoltSectionFormTest = FormTest;

TEST_F(BoltSectionFormTest, ShowsStepsSwitchesUnitsStoresOnOkAndRefusesBadText) {
  Schraube.nSections = 3;
  for (int i = 1; i <= 3; ++i) {
    Schraube.dSec[i] = 10 + i;
    Schraube.diSec[i] = 0;
    Schraube.lSec[i] = 20 * i;
  }
  TForm_schraubenabschn form;
  form.SectionNo = 3;
  ShowAndGrab(form, "schraubenabschn");
  EXPECT_EQ(Text(form.Edit_l->text()), "60");

  form.Edit_l->setText("61");
  form.SpinButton1UpClick();  // last section: stored, the same shown again
  EXPECT_EQ(form.SectionNo, 3);
  EXPECT_EQ(Schraube.lSec[3], 61);
  form.Edit_de->setText("9");
  form.SpinButton1DownClick();
  EXPECT_EQ(Schraube.dSec[3], 9);
  EXPECT_EQ(form.SectionNo, 2);
  EXPECT_EQ(Text(form.Edit_de->text()), "12");
  form.SpinButton1DownClick();
  form.SpinButton1DownClick();
  EXPECT_EQ(form.SectionNo, 1);

  form.SectionNo = 5;  // outside 1..nSections: spin does nothing
  form.SpinButton1UpClick();
  EXPECT_EQ(form.SectionNo, 5);

  // Inches shown, millimetres kept.
  Schraube.lSec[1] = 25.4L;
  form.SectionNo = 1;
  form.FillSection();
  form.Button_metricClick();
  EXPECT_EQ(UnitSystem, 1);
  EXPECT_EQ(Text(form.Label_lu->text()), "in");
  EXPECT_EQ(Text(form.Edit_l->text()), "1.0000");
  form.Button_metricClick();
  EXPECT_NEAR(static_cast<double>(Schraube.lSec[1]), 25.4, 1e-9);

  // OK stores, Cancel keeps, bad text is refused.
  Schraube.nSections = 1;
  Schraube.lSec[1] = 40;
  Schraube.dSec[1] = 12;
  platform::DialogScript script;
  script.Cancel();
  RunBoltSectionForm(1);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Schraube.lSec[1], 40);
  script.Ok({{"Edit_l", "45,5"}, {"Edit_de", "twelve"}});
  script.Ok().Expect("outer diameter De: Invalid Input \"twelve\" !");
  script.Ok({{"Edit_de", "0"}});
  RunBoltSectionForm(1);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Schraube.lSec[1], 45.5L);
  EXPECT_EQ(Schraube.dSec[1], 0);
}

// Clamped plate form ---------------------------------------------------------

using ClampedPlateFormTest = FormTest;

TEST_F(ClampedPlateFormTest, OkRefusesBadGeometryAndOnlyTheDatabaseButtonsStoreBeforeOk) {
  Klemmstuecke.nPlates = 1;
  Klemmstuecke.De[1] = 40;
  Klemmstuecke.Di[1] = 13;
  Klemmstuecke.L[1] = 10;
  platform::DialogScript script;
  script.Ok({{"Edit_di", "40"}});
  script.Ok().Expect("De < Di !");
  script.Ok({{"Edit_di", "0"}});
  script.Ok().Expect("Di = 0 !");
  script.Ok({{"Edit_di", "13"}, {"Edit_l", "0"}});
  script.Ok().Expect("l = 0 !");
  script.Ok({{"Edit_l", "12"}, {"Edit_name", "a description longer than 25"}});
  RunClampedPlateForm(1);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Klemmstuecke.Di[1], 13);
  EXPECT_EQ(Klemmstuecke.L[1], 12);
  EXPECT_EQ(Klemmstuecke.Description[1].str(), "a description longer than");

  // Cancel and the proposals store nothing; the database buttons do.
  Klemmstuecke.Di[1] = 13.5L;
  Klemmstuecke.L[1] = 10;
  Klemmstuecke.Description[1] = "flange";
  script.Cancel();
  RunClampedPlateForm(1);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Klemmstuecke.L[1], 10);

  TForm_klemmstueck form;
  form.PlateNo = 1;
  ShowAndGrab(form, "klemmstueck");
  form.Button1Click();
  EXPECT_EQ(Text(form.Edit_di->text()), "13");  // the bore for M12
  form.Button_nameClick();
  EXPECT_EQ(Text(form.Edit_name->text()), "P 1");
  EXPECT_EQ(Klemmstuecke.Di[1], 13.5L);
  EXPECT_EQ(Klemmstuecke.Description[1].str(), "flange");
  AcceptRow(2);
  form.RadioGroup_dbmat->SetItemIndex(0);
  form.Button_dbwstClick();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Klemmstuecke.Material[1].str(), "St 50");
  EXPECT_EQ(Text(form.Label_mat->text()), "St 50");

  AcceptRow(10);  // a washer row, then the material row 10 of pressung
  form.Button_dbClick();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Klemmstuecke.MatTable[1], 0);
  EXPECT_EQ(Klemmstuecke.Codes[1][0], 10);
  EXPECT_EQ(Text(form.Edit_l->text()), Text(Disp(LengthToText(Klemmstuecke.L[1]))));

  CancelTable();
  const auto kept = Klemmstuecke.Material[1];
  form.RadioGroup_dbmat->SetItemIndex(1);
  form.Button_dbwstClick();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Klemmstuecke.MatTable[1], 0);  // a cancelled pick keeps the table choice
  EXPECT_EQ(Klemmstuecke.Material[1], kept);
}

// Index selection -------------------------------------------------------------

using IndexSelectionTest = FormTest;

TEST_F(IndexSelectionTest, ArrowsStepWithoutWrapAndOkEndsBrowsing) {
  TForm_bq4idxf5 form;
  ShowAndGrab(form, "bq4idxf5");

  platform::DialogScript script;
  script.Press("UpDown1_down");
  EXPECT_EQ(RunIndexSelection(5, 1), 1);  // no wrap at the lower end
  EXPECT_EQ(AbortFlag, 0);
  script.Press("UpDown1_up");
  EXPECT_EQ(RunIndexSelection(5, 5), 5);
  script.Press("UpDown1_up");
  EXPECT_EQ(RunIndexSelection(5, 2), 3);
  EXPECT_EQ(AbortFlag, 0);
  script.Cancel();  // closed by the keyboard: browsing goes on
  EXPECT_EQ(RunIndexSelection(5, 2), 2);
  EXPECT_EQ(AbortFlag, 0);
  script.Press("Button1");
  EXPECT_EQ(RunIndexSelection(5, 4), 4);
  EXPECT_EQ(AbortFlag, 1);
}

}  // namespace
