#include "calc/forms/preliminary_design_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "calc/input_ranges.h"
#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "framework/charset.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"

TForm_vorauslegung::TForm_vorauslegung(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_vorauslegung");
  setWindowTitle(Disp(ProgTitle.view()));
  auto* outer = new QVBoxLayout(this);
  std::vector<std::string> kinds;
  for (int i = 1; i <= 2; ++i) kinds.push_back(LoadKindNames[i].str() + " (" + IntToText(i) + "x)");
  RadioGroup_statdyn = new TRadioGroup(this, "RadioGroup_statdyn", "Load", kinds);
  RadioGroup_f = new TRadioGroup(this, "RadioGroup_f", "Load",
                                 {"centrically applied axial load (1x)", "eccentrically applied axial load (2x)",
                                  "transverse load (4x)"});
  RadioGroup_anz = new TRadioGroup(this, "RadioGroup_anz", "tight.of the bolt",
                                   {"with screwdriver (4x)", "with torque wrench (2x)",
                                    "rotation-angle controlled or yield point controlled (1x)"});
  outer->addWidget(RadioGroup_statdyn);
  outer->addWidget(RadioGroup_f);
  outer->addWidget(RadioGroup_anz);
  auto* g = new QGridLayout;
  Label_fa = MakeLabel(this, "Label_fa", "Axial load FA");
  Edit_fa = MakeEdit(this, "Edit_fa");
  Label_fau = MakeLabel(this, "Label_fau", "");
  Label_fq = MakeLabel(this, "Label_fq", "transverse load FQ");
  Edit_fq = MakeEdit(this, "Edit_fq");
  Label_fqu = MakeLabel(this, "Label_fqu", "");
  MarkNumberField(Edit_fa, "Axial load FA");
  MarkNumberField(Edit_fq, "transverse load FQ");
  Label_mue = MakeLabel(this, "Label_mue", ReplaceBoxChars("(FA < FQ / \xE6Tr)"));
  Edit_mue = MakeEdit(this, "Edit_mue", 60);
  Edit_mue->setVisible(false);
  Edit_mue->setReadOnly(true);
  g->addWidget(Label_fa, 0, 0);
  g->addWidget(Edit_fa, 0, 1);
  g->addWidget(Label_fau, 0, 2);
  g->addWidget(Label_fq, 1, 0);
  g->addWidget(Edit_fq, 1, 1);
  g->addWidget(Label_fqu, 1, 2);
  g->addWidget(Label_mue, 1, 3);
  g->addWidget(Edit_mue, 1, 4);
  Label_fau->setMinimumWidth(30);
  Label_fqu->setMinimumWidth(30);
  outer->addLayout(g);
  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_hilfe = MakeButton(this, "Button_hilfe", "&Help");
  Button_metric = MakeButton(this, "Button_metric", "N <--> lbf");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_hilfe, Button_metric}) bottom->addWidget(b);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);
  RadioGroup_f->OnClick = [this] { RadioGroup_fClick(); };
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_hilfe, &QPushButton::clicked, this, [this] { Button_hilfeClick(); });
  connect(Button_metric, &QPushButton::clicked, this, [this] { Button_metricClick(); });
  ScaleCenterForm(*this);
  FillForm();
  SetFieldRanges(this, {
      {"Edit_fa", InputRange::DesignAxialLoad},
      {"Edit_fq", InputRange::TransverseLoad},
  });
}

void TForm_vorauslegung::showEvent(QShowEvent* e) {
  FillForm();
  TCalcForm::showEvent(e);
}

void TForm_vorauslegung::FillForm() {
  Label_fau->setText(Disp(ForceUnitText()));
  Label_fqu->setText(Disp(ForceUnitText()));
  RadioGroup_statdyn->SetItemIndex(Last.LoadKind - 1);
  RadioGroup_f->SetItemIndex(Last.LoadCase - 1);
  RadioGroup_anz->SetItemIndex(Montage.TighteningMethod - 1);
  // The force the load case does not size the bolt with shows 0, as stored.
  const bool transverse = Last.LoadCase == 3;
  Edit_fa->setText(Disp(ForceToText(transverse ? 0 : Last.FAmax)));
  Edit_fq->setText(Disp(ForceToText(transverse ? Last.FQ : 0)));
  Edit_mue->setText(Disp(FloatToText(Reibung.muTr)));
  UpdateLoadCaseControls();
}

bool TForm_vorauslegung::StoreInput() {
  if (!NumberFieldsValid(this)) return false;
  Last.LoadKind = static_cast<Word>(RadioGroup_statdyn->ItemIndex() + 1);
  Last.LoadCase = static_cast<Word>(RadioGroup_f->ItemIndex() + 1);
  Montage.TighteningMethod = static_cast<Word>(RadioGroup_anz->ItemIndex() + 1);
  // Only the enabled force is checked and taken; the other is 0 for the load case.
  const bool transverse = Last.LoadCase == 3;
  Last.FAmax = transverse ? 0 : ForceValue(Edit_fa, Last.FAmax);
  Last.FAmin = 0;
  Last.FQ = transverse ? ForceValue(Edit_fq, Last.FQ) : 0;
  return true;
}

// Which force edit counts for the chosen load case.
void TForm_vorauslegung::UpdateLoadCaseControls() {
  const bool transverse = RadioGroup_f->ItemIndex() == 2;
  Edit_fa->setEnabled(!transverse);
  Edit_fq->setEnabled(transverse);
  Label_mue->setVisible(transverse);
}

void TForm_vorauslegung::RadioGroup_fClick() {
  if (RadioGroup_f->ItemIndex() == 2) Edit_fa->setText("0");
  else Edit_fq->setText("0");
  UpdateLoadCaseControls();
}

void TForm_vorauslegung::Button_okClick() {
  AbortFlag = 0;
  if (!StoreInput()) return;
  accept();
}

void TForm_vorauslegung::Button_cancelClick() { reject(); }

void TForm_vorauslegung::Button_hilfeClick() {
  ShowHelpText(9010, "", 1);
  AbortFlag = 0;
}

void TForm_vorauslegung::Button_metricClick() {
  if (!StoreInput()) return;
  ToggleUnitSystem();
  FillForm();
}

void RunPreliminaryDesignForm() {
  TForm_vorauslegung form;
  platform::ExecModal(form, "preliminary design");
}
