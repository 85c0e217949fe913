#include "calc/forms/calc_options_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "platform/dialogs.h"

namespace {

QCheckBox* MakeCheck(QWidget* parent, const char* name, std::string_view caption) {
  auto* c = new QCheckBox(Disp(caption), parent);
  c->setObjectName(name);
  return c;
}

}  // namespace

TForm_bq4conf::TForm_bq4conf(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_bq4conf");
  setWindowTitle(Disp(ProgShortName + "  " + "calculation base"));
  auto* outer = new QVBoxLayout(this);
  RadioGroup_vdi = new TRadioGroup(this, "RadioGroup_vdi", "calculation base FM, MA",
                                   {"VDI 2230 : 1986", "VDI 2230 : 2003"});
  outer->addWidget(RadioGroup_vdi);
  CheckBox_velk = MakeCheck(this, "CheckBox_velk", "thread length engaged to Velk");
  CheckBox_vdi = MakeCheck(this, "CheckBox_vdi", "thread length engaged to VDI 2230");
  CheckBox_vdi->setVisible(false);
  CheckBox_reibungstoleranz = MakeCheck(this, "CheckBox_reibungstoleranz", "Tolerances for friction coefficients ?");
  CheckBox_fsmax = MakeCheck(this, "CheckBox_fsmax", "calc.min.thread length engag.for FSmax (=FM,max+FSA)");
  for (QCheckBox* c : {CheckBox_velk, CheckBox_vdi, CheckBox_reibungstoleranz, CheckBox_fsmax}) outer->addWidget(c);
  auto* units = new QHBoxLayout;
  Label_metric = MakeLabel(this, "Label_metric", "Units metric/imperial");
  ComboBox_metric = MakeCombo(this, "ComboBox_metric",
                              {"metric: mm, N, N/mm\xFD, \xF8" "C", "imperial: in, lbf, psi, deg F"});
  units->addWidget(Label_metric);
  units->addWidget(ComboBox_metric, 1);
  outer->addLayout(units);
  auto* presets = new QHBoxLayout;
  CheckBox_fapre = MakeCheck(this, "CheckBox_fapre", "FA pre");
  CheckBox_mapre = MakeCheck(this, "CheckBox_mapre", "MA pre");
  CheckBox_fpre = MakeCheck(this, "CheckBox_fpre", "F pre");
  for (QCheckBox* c : {CheckBox_fapre, CheckBox_mapre, CheckBox_fpre}) presets->addWidget(c);
  outer->addLayout(presets);
  RadioGroup_d2d3 = new TRadioGroup(this, "RadioGroup_d2d3", " tolerances d2, d3 for FM, MA ? ",
                                    {"max (d2=d2max, d3=d3max)", "min (d2=d2min, d3=d3min)",
                                     "average dim. (d2=(d2min+d2max)/2,  d3=(d3min+d3max)/2",
                                     "nom. dim. (d2=d2nom, d3=d3nom)"});
  outer->addWidget(RadioGroup_d2d3);
  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_help = MakeButton(this, "Button_help", "&Help Text");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_help}) bottom->addWidget(b);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);
  SetHint(RadioGroup_vdi, 4860);
  SetHint(CheckBox_velk, 4870);
  SetHint(CheckBox_vdi, 4870);
  SetHint(CheckBox_reibungstoleranz, 4880);
  SetHint(Label_metric, 2800);
  SetHint(CheckBox_fsmax, 4890);
  SetHint(CheckBox_fpre, 4680);
  SetHint(CheckBox_fapre, 4685);
  SetHint(CheckBox_mapre, 4690);
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_help, &QPushButton::clicked, this, [this] { Button_helpClick(); });
  ScaleCenterForm(*this);
  // The guideline's rule for the engaged length is always on.
  CalcOptions.EngageVdi = 1;
  CheckBox_vdi->setChecked(true);
  KeepAsOpened();  // Cancel keeps the rule on
}

void TForm_bq4conf::showEvent(QShowEvent* e) {
  FormShow();
  TCalcForm::showEvent(e);
}

void TForm_bq4conf::FormShow() {
  RadioGroup_vdi->SetItemIndex(CalcOptions.VdiEdition - 1);
  CheckBox_velk->setChecked(CalcOptions.EngageVelk != 0);
  CheckBox_vdi->setChecked(CalcOptions.EngageVdi != 0);
  CheckBox_reibungstoleranz->setChecked(CalcOptions.FrictionTolerances != 0);
  ComboBox_metric->setCurrentIndex(UnitSystem == 1 ? 1 : 0);
  CheckBox_fapre->setChecked(CalcOptions.FApreOn != 0);
  CheckBox_mapre->setChecked(CalcOptions.MApreOn != 0);
  CheckBox_fpre->setChecked(CalcOptions.FpreOn != 0);
  CheckBox_fsmax->setChecked(CalcOptions.FSmaxOn != 0);
  RadioGroup_d2d3->SetItemIndex(CalcOptions.D2D3Choice);
}

void TForm_bq4conf::Button_okClick() {
  if (RadioGroup_vdi->ItemIndex() >= 0) CalcOptions.VdiEdition = static_cast<Word>(RadioGroup_vdi->ItemIndex() + 1);
  CalcOptions.EngageVelk = CheckBox_velk->isChecked();
  CalcOptions.EngageVdi = CheckBox_vdi->isChecked();
  CalcOptions.FrictionTolerances = CheckBox_reibungstoleranz->isChecked();
  UnitSystem = static_cast<Word>(ComboBox_metric->currentIndex() == 1 ? 1 : 0);
  CalcOptions.FApreOn = CheckBox_fapre->isChecked();
  CalcOptions.MApreOn = CheckBox_mapre->isChecked();
  CalcOptions.FpreOn = CheckBox_fpre->isChecked();
  CalcOptions.FSmaxOn = CheckBox_fsmax->isChecked();
  if (RadioGroup_d2d3->ItemIndex() >= 0) CalcOptions.D2D3Choice = RadioGroup_d2d3->ItemIndex();
  // A preset switched off no longer acts.
  if (!CalcOptions.FApreOn) Last.FApre = 0;
  if (!CalcOptions.FpreOn) Last.Fpre = 0;
  if (!CalcOptions.MApreOn) Last.MApre = 0;
  AbortFlag = 0;
  accept();
}

void TForm_bq4conf::Button_cancelClick() { reject(); }

void TForm_bq4conf::Button_helpClick() { ShowHelpText(4860, "", 1); }

void RunCalcOptionsForm() {
  TForm_bq4conf form;
  platform::ExecModal(form, "calculation base");
}
