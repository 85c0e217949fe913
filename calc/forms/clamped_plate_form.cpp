#include "calc/forms/clamped_plate_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "calc/input_ranges.h"
#include "calc/calc_tables.h"
#include "calc/design_defaults.h"
#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"

TForm_klemmstueck::TForm_klemmstueck(QWidget* parent) : TCalcForm(parent) {
  SetBusyCursor();
  setObjectName("TForm_klemmstueck");
  auto* outer = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  GroupBox1 = MakeGroup(this, "GroupBox1", "");
  auto* g = new QGridLayout(GroupBox1);
  AddEditRow(GroupBox1, g, 0, Label_de, "Label_de", "outer diameter De", Edit_de, "Edit_de", Label_deu, "Label_deu");
  AddEditRow(GroupBox1, g, 1, Label_di, "Label_di", "inner diameter Di", Edit_di, "Edit_di", Label_diu, "Label_diu");
  AddEditRow(GroupBox1, g, 2, Label_l, "Label_l", "thickness L", Edit_l, "Edit_l", Label_lu, "Label_lu");
  Button1 = MakeButton(GroupBox1, "Button1", "<");
  Button1->setFixedWidth(28);
  g->addWidget(Button1, 1, 3);
  Label_name = MakeLabel(GroupBox1, "Label_name", "Description");
  Label_name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Edit_name = MakeEdit(GroupBox1, "Edit_name", 160);
  Edit_name->setMaxLength(25);
  Button_name = MakeButton(GroupBox1, "Button_name", "<");
  Button_name->setFixedWidth(28);
  g->addWidget(Label_name, 3, 0);
  g->addWidget(Edit_name, 3, 1, 1, 2);
  g->addWidget(Button_name, 3, 3);
  SetHint(Label_de, 4480);
  SetHint(Label_di, 4490);
  top->addWidget(GroupBox1);

  GroupBox_mat = MakeGroup(this, "GroupBox_mat", "material");
  auto* m = new QVBoxLayout(GroupBox_mat);
  Label_mat = MakeLabel(GroupBox_mat, "Label_mat", "");
  Label_pmax = MakeLabel(GroupBox_mat, "Label_pmax", "");
  Label_re = MakeLabel(GroupBox_mat, "Label_re", "");
  Label_e = MakeLabel(GroupBox_mat, "Label_e", "");
  Label_alphat = MakeLabel(GroupBox_mat, "Label_alphat", "");
  for (QLabel* l : {Label_mat, Label_pmax, Label_re, Label_e, Label_alphat}) m->addWidget(l);
  RadioGroup_dbmat = new TRadioGroup(GroupBox_mat, "RadioGroup_dbmat", "Database",
                                     {"0 (pressung.dbf)", "1 (mat_p_1.dbf)"});
  m->addWidget(RadioGroup_dbmat);
  Button_dbwst = MakeButton(GroupBox_mat, "Button_dbwst", "Database");
  m->addWidget(Button_dbwst);
  top->addWidget(GroupBox_mat);
  outer->addLayout(top);

  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_hilfetext = MakeButton(this, "Button_hilfetext", "&Help Text");
  Button_hilfebild = MakeButton(this, "Button_hilfebild", "Aux. &Image");
  Button_db = MakeButton(this, "Button_db", "Database clamp.plate");
  Button_metric = MakeButton(this, "Button_metric", "mm <--> inch");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_hilfetext, Button_hilfebild, Button_db, Button_metric})
    bottom->addWidget(b);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);
  for (QPushButton* b : {Button1, Button_name, Button_hilfetext, Button_hilfebild, Button_db, Button_metric})
    b->setFocusPolicy(Qt::NoFocus);  // not in the tab order

  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button_name, &QPushButton::clicked, this, [this] { Button_nameClick(); });
  connect(Button_db, &QPushButton::clicked, this, [this] { Button_dbClick(); });
  connect(Button_dbwst, &QPushButton::clicked, this, [this] { Button_dbwstClick(); });
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_hilfetext, &QPushButton::clicked, this, [this] { Button_hilfetextClick(); });
  connect(Button_hilfebild, &QPushButton::clicked, this, [this] { Button_hilfebildClick(); });
  connect(Button_metric, &QPushButton::clicked, this, [this] { Button_metricClick(); });
  ScaleCenterForm(*this);
  RestoreCursor();
  SetFieldRanges(this, {
      {"Edit_de", InputRange::PlateDiameter},
      {"Edit_di", InputRange::PlateDiameter},
      {"Edit_l", InputRange::PlateThickness},
  });
}

void TForm_klemmstueck::showEvent(QShowEvent* e) {
  FillPlate();
  TCalcForm::showEvent(e);
}

namespace {
bool ValidPlate(int i) { return i >= 1 && i <= kMaxPlates; }
}  // namespace

void TForm_klemmstueck::FillPlate() {
  const int i = PlateNo;
  setWindowTitle(Disp("clamp.plate " + IntToText(i)));
  for (QLabel* u : {Label_deu, Label_diu, Label_lu}) u->setText(Disp(LengthUnitText()));
  // No such array entry: nothing to show or to check.
  for (QLineEdit* e : {Edit_de, Edit_di, Edit_l}) e->setEnabled(ValidPlate(i));
  if (!ValidPlate(i)) return;
  Edit_de->setText(Disp(LengthToText(Klemmstuecke.De[i])));
  Edit_di->setText(Disp(LengthToText(Klemmstuecke.Di[i])));
  Edit_l->setText(Disp(LengthToText(Klemmstuecke.L[i])));
  Edit_name->setText(Disp(Klemmstuecke.Description[i].view()));
  ShowMaterial();
}

void TForm_klemmstueck::ShowMaterial() {
  const int i = PlateNo;
  if (!ValidPlate(i)) return;
  RadioGroup_dbmat->SetItemIndex(Klemmstuecke.MatTable[i]);
  Label_mat->setText(Disp(Klemmstuecke.Material[i].view()));
  const std::string unit = " " + StressUnitText();
  Label_pmax->setText(Disp("p max = " + StressToTextFmt(4, 0, Klemmstuecke.pmax[i]) + unit));
  Label_re->setText(Disp("Re = " + StressToText(Klemmstuecke.Re[i]) + unit));
  Label_e->setText(Disp("E = " + StressToText(Klemmstuecke.E[i]) + unit));
  Label_alphat->setText(Disp("alphaT = " + FloatToText(Klemmstuecke.alphaT[i])));
}

bool TForm_klemmstueck::StorePlate() {
  if (!NumberFieldsValid(this)) return false;
  const int i = PlateNo;
  if (!ValidPlate(i)) return true;
  Klemmstuecke.De[i] = LengthValue(Edit_de, Klemmstuecke.De[i]);
  Klemmstuecke.Di[i] = LengthValue(Edit_di, Klemmstuecke.Di[i]);
  Klemmstuecke.L[i] = LengthValue(Edit_l, Klemmstuecke.L[i]);
  Klemmstuecke.Description[i] = Stored(Edit_name->text());  // cut to 25 characters
  return true;
}

void TForm_klemmstueck::Button1Click() { Edit_di->setText(Disp(LengthToText(DefaultBoreDiameter(Gewinde.d)))); }

void TForm_klemmstueck::Button_nameClick() { Edit_name->setText(Disp("P " + IntToText(PlateNo))); }

void TForm_klemmstueck::Button_dbClick() {
  AbortFlag = 0;
  if (!StorePlate()) return;
  SelectWasherAsPlate(PlateNo);
  if (!AbortFlag && ValidPlate(PlateNo)) {
    Klemmstuecke.MatTable[PlateNo] = 0;
    Klemmstuecke.Codes[PlateNo][0] = 2;  // the part came from the washer table
    SelectPlateMaterial(PlateNo, 0);
    FillPlate();
  }
  AbortFlag = 0;
}

void TForm_klemmstueck::Button_dbwstClick() {
  const int item = RadioGroup_dbmat->ItemIndex();
  if (item < 0 || !ValidPlate(PlateNo)) return;
  AbortFlag = 0;
  SelectPlateMaterial(PlateNo, item);
  if (!AbortFlag) {
    Klemmstuecke.MatTable[PlateNo] = item;
    ShowMaterial();
  }
  AbortFlag = 0;
}

void TForm_klemmstueck::Button_okClick() {
  AbortFlag = 0;
  if (!NumberFieldsValid(this)) return;
  const int i = PlateNo;
  if (ValidPlate(i)) {
    // Checked before storing: a refused value never reaches the record.
    const Extended de = LengthValue(Edit_de, Klemmstuecke.De[i]);
    const Extended di = LengthValue(Edit_di, Klemmstuecke.Di[i]);
    const Extended l = LengthValue(Edit_l, Klemmstuecke.L[i]);
    if (di == 0) {
      ShowMessagePlain("Di = 0 !");
      Edit_di->setFocus();
      return;
    }
    if (di >= de) {
      ShowMessagePlain("De < Di !");
      Edit_de->setFocus();
      return;
    }
    if (l == 0) {
      ShowMessagePlain("l = 0 !");
      Edit_l->setFocus();
      return;
    }
  }
  if (!StorePlate()) return;
  accept();
}

void TForm_klemmstueck::Button_cancelClick() { reject(); }

void TForm_klemmstueck::Button_hilfetextClick() {
  ShowHelpText(4450, "", 1);
  AbortFlag = 0;
}

void TForm_klemmstueck::Button_hilfebildClick() {
  if (!StorePlate()) return;
  ShowHelpText(4450, "", 2);
  AbortFlag = 0;
  BringToFront();
}

void TForm_klemmstueck::Button_metricClick() {
  if (!StorePlate()) return;
  ToggleUnitSystem();
  FillPlate();
}

void RunClampedPlateForm(int plate) {
  TForm_klemmstueck form;
  form.PlateNo = static_cast<Word>(plate < 0 ? 0 : plate);
  platform::ExecModal(form, "clamp.plate " + std::to_string(plate));
}
