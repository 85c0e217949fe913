#include "form_test_support.h"

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
#include "calc/joint_records.h"
#include "framework/units.h"
#include "platform/dialogs.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace {

// Preliminary design and calculation options forms ---------------------------

using PreliminaryDesignFormTest = FormTest;

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
  RunCalcOptionsForm();
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(Last.FApre, 2000);
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
  script.Ok({{"Edit_fpre", ""}});                       // an empty field is 0
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

// A text that is no number is refused with the field's name; the form stays
// open with the text as typed and nothing is stored.
TEST_F(NumberFieldTest, EveryFormRefusesTextInANumberField) {
  struct Case {
    std::function<std::unique_ptr<QDialog>()> make;
    const char* edit;
    const char* name;
    std::function<Extended()> stored;
  };
  auto form = [](auto* f) { return std::unique_ptr<QDialog>(f); };
  const Case cases[] = {
      {[&] { return form(new TForm_bq4last); }, "Edit_fao", "FA max", [] { return Last.FAmax; }},
      {[&] { return form(new TForm_bq4last); }, "Edit_n1", "n1", [] { return Last.n1; }},
      {[&] { return form(new TForm_bq4reib); }, "Edit_sigma", "Sigma", [] { return Montage.sigmaFactor; }},
      {[&] { return form(new TForm_vorauslegung); }, "Edit_fa", "Axial load FA", [] { return Last.FAmax; }},
      {[&] { return form(new TForm_bq4anzi); }, "Edit_ktau", "reduction coefficient k tau",
       [] { return Montage.ktau; }},
      {[&] { return form(new TForm_bq4bolt); }, "Edit_dk", "diameter of the bolt head dk",
       [] { return Schraube.dK; }},
      {[&] { return form(new TForm_klemmstueck); }, "Edit_l", "thickness L", [] { return Klemmstuecke.L[1]; }},
      {[&] { return form(new TForm_exz); }, "Edit_a", "dist.betw.FA axis and axis of gravity a",
       [] { return ExzKraftangriff.a; }},
  };
  for (const Case& c : cases) {
    Last.LoadIntroPos1 = 1;  // n1 is shown
    Klemmstuecke.nPlates = 1;
    Klemmstuecke.De[1] = 40;
    Klemmstuecke.Di[1] = 13;
    Klemmstuecke.L[1] = 10;
    const Extended before = c.stored();
    std::unique_ptr<QDialog> f = c.make();
    f->setAttribute(Qt::WA_DontShowOnScreen, true);
    f->show();
    auto* edit = f->findChild<QLineEdit*>(c.edit);
    ASSERT_NE(edit, nullptr) << c.edit;
    edit->setEnabled(true);
    edit->setText(" 12x ");
    platform::DialogScript script;
    script.Ok().Expect(std::string(c.name) + ": Invalid Input \"12x\" !");
    f->findChild<QPushButton*>("Button_ok")->click();
    EXPECT_EQ(script.Pending(), 0u) << c.edit;
    EXPECT_TRUE(f->isVisible()) << c.edit;
    EXPECT_EQ(Text(edit->text()), " 12x ") << c.edit;
    EXPECT_EQ(c.stored(), before) << c.edit;
    // Blanks around a number are no reason to refuse it.
    edit->setText(" 12 ");
    f->findChild<QPushButton*>("Button_ok")->click();
    EXPECT_EQ(f->result(), QDialog::Accepted) << c.edit;
  }
}

}  // namespace
