#include "form_test_support.h"
#include "../../framework/output_test_support.h"

#include "calc/forms/calc_forms.h"
#include "calc/forms/bolt_form.h"
#include "calc/forms/calc_options_form.h"
#include "calc/forms/clamped_plate_form.h"
#include "calc/forms/eccentric_form.h"
#include "calc/forms/friction_form.h"
#include "calc/forms/load_form.h"
#include "calc/forms/preliminary_design_form.h"
#include "calc/forms/preload_form.h"
#include "calc/forms/tightening_form.h"
#include "calc/forms/bolt_section_form.h"
#include "calc/forms/nut_form.h"
#include "calc/project_file.h"
#include "calc/calculation.h"
#include "framework/file_utils.h"
#include "platform/os.h"
#include "calc/joint_records.h"
#include "framework/message_box.h"
#include "framework/units.h"
#include "platform/dialogs.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace {

// Preliminary design and calculation options forms ---------------------------

using PreliminaryDesignFormTest = FormTest;

// A bolt is not sized for a compressive load: a negative FA is named at its
// field. The force the load case does not use shows and stores 0.
TEST_F(PreliminaryDesignFormTest, ANegativeAxialLoadIsRefusedAndTheUnusedForceIsZero) {
  Last.LoadCase = 1;
  Last.FAmax = 8000;
  Last.FQ = 200;
  {
    TForm_vorauslegung form;
    ShowAndGrab(form, "vorauslegung_axial");
    EXPECT_FALSE(form.Edit_fq->isEnabled());
    EXPECT_EQ(Text(form.Edit_fq->text()), "0");
  }
  platform::DialogScript script;
  script.Ok({{"Edit_fa", "-5000"}});
  script.Ok().Expect("Axial load FA: Invalid Input \"-5000\" !  Valid Data are: 0 .. ");
  script.Ok({{"Edit_fa", "5000"}});
  RunPreliminaryDesignForm();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(Last.FAmax, 5000);
  EXPECT_EQ(Last.FQ, 0);

  // The transverse case: FA is 0, FQ as typed.
  Last.FAmax = 8000;
  script.Ok({{"RadioGroup_f", "#2"}, {"Edit_fq", "300"}});
  RunPreliminaryDesignForm();
  EXPECT_EQ(Last.FAmax, 0);
  EXPECT_EQ(Last.FQ, 300);
}

TEST_F(PreliminaryDesignFormTest, OkStoresByTheLoadCaseRulesUnitSwitchKeepsTheForceAndOptionsClearPresets) {
  Last.FAmin = 500;
  Last.FQ = 700;
  platform::DialogScript script;
  script.Ok({{"RadioGroup_f", "#2"}, {"Edit_fq", "3000"}, {"RadioGroup_anz", "#0"}, {"RadioGroup_statdyn", "#0"}});
  RunPreliminaryDesignForm();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Last.LoadCase, 3);
  EXPECT_EQ(Last.FAmax, 0);  // the transverse case clears the axial force
  EXPECT_EQ(Last.FQ, 3000);
  EXPECT_EQ(Last.FAmin, 0);
  EXPECT_EQ(Last.LoadKind, 1);
  EXPECT_EQ(Montage.TighteningMethod, 1);

  // Back to an axial case: FA stays 0 until typed, FQ is cleared.
  script.Ok({{"RadioGroup_f", "#0"}});
  RunPreliminaryDesignForm();
  EXPECT_EQ(Last.FAmax, 0);
  EXPECT_EQ(Last.FQ, 0);

  script.Cancel();
  Last.FAmax = 1234;
  RunPreliminaryDesignForm();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Last.FAmax, 1234);

  // The unit switch keeps the typed force.
  TForm_vorauslegung form;
  ShowAndGrab(form, "vorauslegung");
  form.Edit_fa->setText("1000");
  form.Button_metricClick();
  EXPECT_EQ(Text(form.Label_fau->text()), "lbf");
  EXPECT_NEAR(static_cast<double>(Last.FAmax), 1000, 1e-9);
  EXPECT_NEAR(static_cast<double>(TextToForce(form.Edit_fa->text().toStdString())), 1000, 0.5);

  // The calculation options form keeps the guideline rule on, and switched-off
  // presets clear their values.
  UnitSystem = 0;  // the unit switch above left inches
  CalcOptions.EngageVdi = 0;
  TForm_bq4conf options;
  ShowAndGrab(options, "bq4conf");
  EXPECT_EQ(CalcOptions.EngageVdi, 1);
  EXPECT_TRUE(options.CheckBox_vdi->isChecked());
  EXPECT_FALSE(options.CheckBox_vdi->isVisible());

  // Switched-off presets clear their values.
  CalcOptions.MApreOn = 1;
  CalcOptions.FApreOn = 1;
  Last.MApre = 80;
  Last.FApre = 2000;
  script.Ok({{"CheckBox_mapre", "0"}, {"ComboBox_metric", "#1"}, {"RadioGroup_vdi", "#0"},
             {"RadioGroup_d2d3", "#3"}, {"CheckBox_reibungstoleranz", "0"}});
  RunCalcOptionsForm();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CalcOptions.MApreOn, 0);
  EXPECT_EQ(Last.MApre, 0);
  EXPECT_EQ(Last.FApre, 2000);
  EXPECT_EQ(UnitSystem, 1);
  EXPECT_EQ(CalcOptions.VdiEdition, 1);
  EXPECT_EQ(CalcOptions.D2D3Choice, 3);
  EXPECT_EQ(CalcOptions.FrictionTolerances, 0);

  script.Cancel();
  CalcOptions.FApreOn = 0;  // not stored by a cancelled form
  CalcOptions.EngageVdi = 0;  // a project of an older version: Cancel keeps the rule on
  RunCalcOptionsForm();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Last.FApre, 2000);
  EXPECT_EQ(CalcOptions.FApreOn, 0);
  EXPECT_EQ(CalcOptions.EngageVdi, 1);
}

// Preload form ---------------------------------------------------------------

using PreloadFormTest = FormTest;

// The form belongs to the main window, so that a picture that raises the main
// window does not hide the form behind it.
TEST_F(PreloadFormTest, BelongsToTheMainWindowAndShowsAndStoresNewtonsWhateverTheUnitSystem) {
  QMainWindow main;
  main.setAttribute(Qt::WA_DontShowOnScreen, true);
  main.show();
  UnitSystem = 1;
  Last.FApre = 2500;
  Last.Fpre = 0;
  TForm_bq4pre form;
  EXPECT_EQ(form.parentWidget(), &main);
  EXPECT_TRUE(form.isWindow());
  ShowAndGrab(form, "bq4pre");
  EXPECT_EQ(Text(form.Edit_fapre->text()), "2500");
  form.hide();

  platform::DialogScript script;
  InputModified = 0;
  script.Ok({{"Edit_fapre", "3000,5"}, {"Edit_fpre", "abc"}});
  script.Ok().Expect("Fpre: Invalid Input \"abc\" !");  // the form stays open
  script.Ok({{"Edit_fpre", "0"}});
  RunPreloadForm();
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(Last.FApre, 3000.5L);
  EXPECT_EQ(Last.Fpre, 0);
  EXPECT_EQ(InputModified, 1);  // a confirmed preload is a change of the project
  InputModified = 0;
  script.Cancel();
  RunPreloadForm();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Last.FApre, 3000.5L);
  EXPECT_EQ(InputModified, 0);
}

// Number fields of every input form --------------------------------------------

using NumberFieldTest = FormTest;

// A text that is no number, an empty field and a value outside the field's
// range are refused with the field's name (and the range); the form stays
// open with the text as typed and nothing is stored. A value in range is taken.
TEST_F(NumberFieldTest, EveryFormRefusesTextEmptyFieldsAndValuesOutsideTheRange) {
  struct Case {
    std::function<std::unique_ptr<QDialog>()> make;
    const char* edit;
    const char* name;
    const char* outside;  // a value the method cannot use
    const char* range;    // as the message gives it
    const char* valid;
    std::function<Extended()> stored;
    Byte unitSystem = 0;  // the range is given in the unit shown
  };
  auto form = [](auto* f) { return std::unique_ptr<QDialog>(f); };
  const Case cases[] = {
      // A negative axial load is a compressive load.
      {[&] { return form(new TForm_bq4last); }, "Edit_fao", "FA max", "1e308", "-1000000000 .. 1000000000 N",
       "-5000", [] { return Last.FAmax; }},
      {[&] { return form(new TForm_bq4last); }, "Edit_n1", "n1", "5", "0 .. 1 !", "0.5", [] { return Last.n1; }},
      {[&] { return form(new TForm_bq4reib); }, "Edit_sigma", "Sigma", "9", "0.1 .. 8 !", "2",
       [] { return Montage.sigmaFactor; }},
      {[&] { return form(new TForm_bq4reib); }, "Edit_mueg", "G min", "-0.1", "0 .. 1 !", "0.12",
       [] { return Reibung.muGmin; }},
      {[&] { return form(new TForm_vorauslegung); }, "Edit_fa", "Axial load FA", "1e20", " N !", "12",
       [] { return Last.FAmax; }},
      {[&] { return form(new TForm_bq4anzi); }, "Edit_ktau", "reduction coefficient k tau", "1.5", "0 .. 1 !",
       "0.5", [] { return Montage.ktau; }},
      {[&] { return form(new TForm_bq4anzi); }, "Edit_nuerp", "yield point factor for tightening", "5", "0 .. 1 !",
       "0.9", [] { return Montage.nu; }},
      {[&] { return form(new TForm_bq4bolt); }, "Edit_dk", "diameter of the bolt head dk", "-5", "0 .. 100000 mm !",
       "12", [] { return Schraube.dK; }},
      // A bolt has a length: 0 is refused as in the run.
      {[&] { return form(new TForm_bq4bolt); }, "Edit_lschraube", "bolt length up to head l", "-5",
       "1 .. 100000 mm !", "60", [] { return Schraube.l; }},
      {[&] { return form(new TForm_bq4bolt); }, "Edit_lschraube", "bolt length up to head l", "0",
       "1 .. 100000 mm !", "60", [] { return Schraube.l; }},
      {[&] { return form(new TForm_bq4bolt); }, "Edit_lschraube", "bolt length up to head l", "4000",
       "0.0394 .. 3937 in !", "2.5", [] { return Schraube.l; }, 1},
      {[&] { return form(new TForm_klemmstueck); }, "Edit_l", "thickness L", "1e308", "0 .. 100000 mm !", "12",
       [] { return Klemmstuecke.L[1]; }},
      {[&] { return form(new TForm_schraubenabschn); }, "Edit_l", "Enter length section L", "-5",
       "0 .. 100000 mm !", "12", [] { return Schraube.lSec[1]; }},
      // The distances of an eccentric load have a sign.
      {[&] { return form(new TForm_exz); }, "Edit_a", "dist.betw.FA axis and axis of gravity a", "1e6",
       "-100000 .. 100000 mm !", "-12", [] { return ExzKraftangriff.a; }},
      {[&] { return form(new TForm_bq4nut); }, "Edit_h", "height of nut", "-1", "0 .. 100000 mm !", "12",
       [] { return Mutter.m; }},
      {[&] { return form(new TForm_bq4pre); }, "Edit_fpre", "Fpre", "-1", "0 .. 1000000000 !", "12",
       [] { return Last.Fpre; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.edit) + " " + c.name);
    Last.LoadIntroPos1 = 1;  // n1 is shown
    Verbindung.JointKind = kJointWithNut;
    Mutter.NutType = 4;  // a special nut: its height is typed
    Klemmstuecke.nPlates = 2;  // an eccentric load needs two
    for (int i = 1; i <= 2; ++i) {
      Klemmstuecke.De[i] = 40;
      Klemmstuecke.Di[i] = 13;
      Klemmstuecke.L[i] = 10;
    }
    Schraube.nSections = 1;
    UnitSystem = c.unitSystem;
    const Extended before = c.stored();
    std::unique_ptr<QDialog> f = c.make();
    f->setAttribute(Qt::WA_DontShowOnScreen, true);
    f->show();
    auto* edit = f->findChild<QLineEdit*>(c.edit);
    ASSERT_NE(edit, nullptr);
    edit->setEnabled(true);
    auto refused = [&](const std::string& typed, const std::string& says) {
      edit->setText(QString::fromStdString(typed));
      platform::DialogScript script;
      script.Ok().Expect(says);
      f->findChild<QPushButton*>("Button_ok")->click();
      EXPECT_EQ(script.Pending(), 0u) << typed;
      EXPECT_TRUE(f->isVisible()) << typed;
      EXPECT_EQ(Text(edit->text()), typed);
      EXPECT_EQ(c.stored(), before) << typed;
    };
    refused(" 12x ", std::string(c.name) + ": Invalid Input \"12x\" !");
    refused("", std::string(c.name) + ": Invalid Input \"\" !");
    refused(c.outside, std::string(c.name) + ": Invalid Input \"" + c.outside + "\" !  Valid Data are: ");
    refused(c.outside, c.range);
    // Blanks around a number are no reason to refuse it.
    edit->setText(QString(" %1 ").arg(c.valid));
    f->findChild<QPushButton*>("Button_ok")->click();
    EXPECT_EQ(f->result(), QDialog::Accepted);
  }
  UnitSystem = 0;
}

// Cancel puts the joint back as it was when the form opened, whatever the
// form stored on the way: typed values taken by a recalculation, a unit
// switch that stores the form, or a value refused on OK.
TEST_F(NumberFieldTest, CancelLeavesTheJointAsItWasInEveryForm) {
  auto form = [](auto* f) { return std::unique_ptr<QDialog>(f); };
  const std::function<std::unique_ptr<QDialog>()> forms[] = {
      [&] { return form(new TForm_bq4last); },      [&] { return form(new TForm_bq4reib); },
      [&] { return form(new TForm_vorauslegung); }, [&] { return form(new TForm_bq4anzi); },
      [&] { return form(new TForm_bq4bolt); },      [&] { return form(new TForm_klemmstueck); },
      [&] { return form(new TForm_schraubenabschn); }, [&] { return form(new TForm_exz); },
      [&] { return form(new TForm_bq4nut); },       [&] { return form(new TForm_bq4pre); },
      [&] { return form(new TForm_bq4conf); },
  };
  ConfirmOverwriteOn = 0;
  const std::string path = platform::TempFileName("cancel") + ".bq4";
  auto joint = [&] {
    WriteCalcFile(path);
    return ReadBytes(path);
  };
  int index = 0;
  for (const auto& make : forms) {
    SCOPED_TRACE(index++);
    UnitSystem = 0;
    Klemmstuecke.nPlates = 1;
    Klemmstuecke.De[1] = 40;
    Klemmstuecke.Di[1] = 13;
    Klemmstuecke.L[1] = 10;
    Schraube.nSections = 1;
    CalculateJoint();
    const std::string before = joint();
    const SAFETYTYPE safety = Safety;
    std::unique_ptr<QDialog> f = make();
    f->setAttribute(Qt::WA_DontShowOnScreen, true);
    f->show();
    int typed = 0;
    for (QLineEdit* e : f->findChildren<QLineEdit*>()) {
      if (!e->property("bq4NumberKind").isValid() || !e->isEnabled() || !e->isVisible()) continue;
      e->setText("1");
      ++typed;
    }
    for (const char* store : {"Button_metric", "ButtonMetric"})
      if (auto* b = f->findChild<QPushButton*>(store)) b->click();
    f->findChild<QPushButton*>("Button_cancel")->click();
    EXPECT_EQ(f->result(), QDialog::Rejected);
    EXPECT_EQ(AbortFlag, 1);
    EXPECT_EQ(joint(), before) << typed << " fields typed";
    EXPECT_EQ(Safety.SF, safety.SF);
  }

  // The clamped plate: a diameter refused on OK never reaches the plate.
  Klemmstuecke.De[1] = 40;
  const std::string before = joint();
  platform::DialogScript script;
  script.Ok({{"Edit_de", "5"}});
  script.Ok().Expect("De < Di !");
  script.Cancel();
  RunClampedPlateForm(1);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(Klemmstuecke.De[1], 40);
  EXPECT_EQ(joint(), before);
}

// The picture buttons store what is typed before the picture shows (Cancel
// still puts the joint back).
TEST_F(NumberFieldTest, PictureButtonsStoreTheFormFirst) {
  UnitSystem = 0;
  Klemmstuecke.nPlates = 1;
  Klemmstuecke.De[1] = 40;
  Klemmstuecke.Di[1] = 13;
  Klemmstuecke.L[1] = 10;
  {
    TForm_klemmstueck plate;
    plate.setAttribute(Qt::WA_DontShowOnScreen, true);
    plate.show();
    plate.Edit_de->setText("50");
    platform::DialogScript picture;
    picture.Ok().Expect("not found");  // the tests ship no picture for the entry
    plate.Button_hilfebildClick();
    EXPECT_EQ(Klemmstuecke.De[1], 50);
  }
  {
    TForm_bq4last load;
    load.setAttribute(Qt::WA_DontShowOnScreen, true);
    load.show();
    load.Edit_fao->setText("30000");
    platform::DialogScript pictures;
    pictures.Cancel();  // the picture browser
    load.Button_hilfebildClick();
    EXPECT_EQ(Last.FAmax, 30000);
    EXPECT_EQ(AbortFlag, 0);
  }
  {
    Mutter.NutType = 4;  // special nut: its height can be typed
    TForm_bq4nut nut;
    nut.setAttribute(Qt::WA_DontShowOnScreen, true);
    nut.show();
    nut.Edit_h->setText("17");
    platform::DialogScript script;
    script.Ok().Expect("not found");
    nut.Button_hilfebildClick();
    EXPECT_EQ(Mutter.m, 17);
    EXPECT_EQ(script.Pending(), 0u);
  }
}

}  // namespace
