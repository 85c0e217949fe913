#include "calc/forms/bolt_section_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "calc/input_ranges.h"
#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"

TForm_schraubenabschn::TForm_schraubenabschn(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_schraubenabschn");
  resize(476, 239);
  auto* outer = new QVBoxLayout(this);
  GroupBox1 = MakeGroup(this, "GroupBox1", "");
  auto* g = new QGridLayout(GroupBox1);
  AddEditRow(GroupBox1, g, 0, Label_de, "Label_de", "outer diameter De", Edit_de, "Edit_de", Label_deu, "Label_deu");
  AddEditRow(GroupBox1, g, 1, Label_di, "Label_di", "inner diameter Di", Edit_di, "Edit_di", Label_diu, "Label_diu");
  AddEditRow(GroupBox1, g, 2, Label_l, "Label_l", "Enter length section L", Edit_l, "Edit_l", Label_lu, "Label_lu");
  SpinButton1 = new TUpDown(GroupBox1, "SpinButton1");
  g->addWidget(SpinButton1, 0, 3, 3, 1);
  outer->addWidget(GroupBox1);
  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_hilfetext = MakeButton(this, "Button_hilfetext", "&Help Text");
  Button_hilfebild = MakeButton(this, "Button_hilfebild", "Aux. &Image");
  Button_metric = MakeButton(this, "Button_metric", "mm <--> inch");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_hilfetext, Button_hilfebild, Button_metric})
    bottom->addWidget(b);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);
  SpinButton1->OnClick = [this](bool up) {
    if (up) SpinButton1UpClick();
    else SpinButton1DownClick();
  };
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_hilfetext, &QPushButton::clicked, this, [this] { Button_hilfetextClick(); });
  connect(Button_hilfebild, &QPushButton::clicked, this, [this] { Button_hilfebildClick(); });
  connect(Button_metric, &QPushButton::clicked, this, [this] { Button_metricClick(); });
  ScaleCenterForm(*this);
  SetFieldRanges(this, {
      {"Edit_de", InputRange::SectionDiameter},
      {"Edit_di", InputRange::SectionDiameter},
      {"Edit_l", InputRange::SectionLength},
  });
}

void TForm_schraubenabschn::showEvent(QShowEvent* e) {
  FillSection();
  TCalcForm::showEvent(e);
}

namespace {
bool ValidSection(int i) { return i >= 1 && i <= Schraube.nSections && i <= kMaxBoltSections; }
}  // namespace

void TForm_schraubenabschn::FillSection() {
  setWindowTitle(Disp("section " + IntToText(SectionNo)));
  for (QLabel* u : {Label_deu, Label_diu, Label_lu}) u->setText(Disp(LengthUnitText()));
  // No such array entry: nothing to show or to check.
  const bool entry = SectionNo <= kMaxBoltSections;
  for (QLineEdit* e : {Edit_de, Edit_di, Edit_l}) e->setEnabled(entry);
  if (!entry) return;
  Edit_de->setText(Disp(LengthToText(Schraube.dSec[SectionNo])));
  Edit_di->setText(Disp(LengthToText(Schraube.diSec[SectionNo])));
  Edit_l->setText(Disp(LengthToText(Schraube.lSec[SectionNo])));
}

bool TForm_schraubenabschn::StoreSection() {
  if (!NumberFieldsValid(this)) return false;
  if (SectionNo > kMaxBoltSections) return true;
  Schraube.dSec[SectionNo] = LengthValue(Edit_de, Schraube.dSec[SectionNo]);
  Schraube.diSec[SectionNo] = LengthValue(Edit_di, Schraube.diSec[SectionNo]);
  Schraube.lSec[SectionNo] = LengthValue(Edit_l, Schraube.lSec[SectionNo]);
  return true;
}

void TForm_schraubenabschn::SpinButton1DownClick() {
  if (!ValidSection(SectionNo)) return;
  if (!StoreSection()) return;
  if (SectionNo > 1) --SectionNo;
  FillSection();
}

void TForm_schraubenabschn::SpinButton1UpClick() {
  if (!ValidSection(SectionNo)) return;
  if (!StoreSection()) return;
  if (SectionNo < Schraube.nSections) ++SectionNo;
  FillSection();
}

void TForm_schraubenabschn::Button_okClick() {
  AbortFlag = 0;
  if (!StoreSection()) return;
  accept();
}

void TForm_schraubenabschn::Button_cancelClick() { reject(); }

void TForm_schraubenabschn::Button_hilfetextClick() {
  ShowHelpText(HelpNumber, "", 1);
  AbortFlag = 0;
}

void TForm_schraubenabschn::Button_hilfebildClick() {
  ShowHelpText(HelpNumber, "", 2);
  AbortFlag = 0;
  BringToFront();
}

void TForm_schraubenabschn::Button_metricClick() {
  if (!StoreSection()) return;
  ToggleUnitSystem();
  FillSection();
}

void RunBoltSectionForm(int section) {
  TForm_schraubenabschn form;
  form.SectionNo = static_cast<Word>(section < 0 ? 0 : section);
  platform::ExecModal(form, "section " + std::to_string(section));
}
