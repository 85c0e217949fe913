#include "calc/forms/preload_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "calc/input_ranges.h"
#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "platform/dialogs.h"

TForm_bq4pre::TForm_bq4pre(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_bq4pre");
  setWindowTitle(Disp(ProgShortName));
  auto* g = new QGridLayout(this);
  Label_fapre = MakeLabel(this, "Label_fapre", "Axial Preload FA pre");
  Edit_fapre = MakeEdit(this, "Edit_fapre");
  Label_fapreu = MakeLabel(this, "Label_fapreu", "N");
  Label_fpre = MakeLabel(this, "Label_fpre", "Preload Fpre between plate 1 and plate n");
  Edit_fpre = MakeEdit(this, "Edit_fpre");
  Label_fpreu = MakeLabel(this, "Label_fpreu", "N");
  MarkNumberField(Edit_fapre, "FA pre");
  MarkNumberField(Edit_fpre, "Fpre");
  g->addWidget(Label_fapre, 0, 0);
  g->addWidget(Edit_fapre, 0, 1);
  g->addWidget(Label_fapreu, 0, 2);
  g->addWidget(Label_fpre, 1, 0);
  g->addWidget(Edit_fpre, 1, 1);
  g->addWidget(Label_fpreu, 1, 2);
  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  bottom->addWidget(Button_ok);
  bottom->addWidget(Button_cancel);
  g->addLayout(bottom, 2, 0, 1, 3);
  Button_ok->setDefault(true);
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  ScaleCenterForm(*this);
  Edit_fapre->setText(Disp(FloatToText(Last.FApre)));
  Edit_fpre->setText(Disp(FloatToText(Last.Fpre)));
  // The form shows newtons whatever the unit system.
  namespace R = InputRange;
  constexpr TInputRange presetAxialLoad{R::PresetAxialLoad.name, R::PresetAxialLoad.lo, R::PresetAxialLoad.hi,
                                        TQuantity::Number, R::PresetAxialLoad.tiny};
  constexpr TInputRange preload{R::Preload.name, R::Preload.lo, R::Preload.hi, TQuantity::Number, R::Preload.tiny};
  SetFieldRanges(this, {{"Edit_fapre", presetAxialLoad}, {"Edit_fpre", preload}});
}

void TForm_bq4pre::Button_okClick() {
  if (!NumberFieldsValid(this)) return;
  AbortFlag = 0;
  Last.FApre = NumberValue(Edit_fapre, Last.FApre);
  Last.Fpre = NumberValue(Edit_fpre, Last.Fpre);
  accept();
}

void TForm_bq4pre::Button_cancelClick() { reject(); }

void RunPreloadForm() {
  TForm_bq4pre form;
  // The presets belong to the project: a confirmed edit is a change to save.
  if (platform::ExecModal(form, "preload") == platform::DialogResult::Ok && !AbortFlag) InputModified = 1;
}
