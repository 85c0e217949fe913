// Before any Qt header: the message list has a field named like a Qt macro.
#include "framework/calc_messages.h"

#include "calc/forms/nut_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "calc/input_ranges.h"
#include "calc/calc_tables.h"
#include "calc/designation.h"
#include "calc/forms/calc_forms.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

QString Length(Extended mm) { return Disp(LengthToText(mm)); }
Extended Length(const QLineEdit* e) { return TextToLength(DisplayText(e->text())); }

QPushButton* Arrow(QWidget* parent, const char* name) {
  QPushButton* b = MakeButton(parent, name, "<");
  b->setFixedWidth(28);
  return b;
}

}  // namespace

TForm_bq4nut::TForm_bq4nut(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_bq4nut");
  setWindowTitle(Disp("nut  d = " + LengthToText(Gewinde.d) + " " + LengthUnitText()));
  auto* outer = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  RadioGroup_typ = new TRadioGroup(this, "RadioGroup_typ", " bolt-nut type ",
                                   {JointKindNames[1].str(), JointKindNames[2].str()});
  SetHint(RadioGroup_typ, 4120);
  top->addWidget(RadioGroup_typ);
  auto* tol = new QVBoxLayout;
  Label_tolgew = MakeLabel(this, "Label_tolgew", "Allowance class");
  ComboBox_tolgew = MakeCombo(this, "ComboBox_tolgew", {"6 H", "5 H", "4 H", "6 G", "5 G", "4 G"});
  tol->addWidget(Label_tolgew);
  tol->addWidget(ComboBox_tolgew);
  tol->addStretch(1);
  top->addLayout(tol);
  outer->addLayout(top);

  auto* middle = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  GroupBox_sackloch = MakeGroup(this, "GroupBox_sackloch", " " + JointKindNames[1].str() + " ");
  auto* gs = new QGridLayout(GroupBox_sackloch);
  AddEditRow(GroupBox_sackloch, gs, 0, Label_tg, "Label_tg", "thread depth", Edit_tg, "Edit_tg", Label_tgu, "Label_tgu");
  AddEditRow(GroupBox_sackloch, gs, 1, Label_tb, "Label_tb", "bore depth", Edit_tb, "Edit_tb", Label_tbu, "Label_tbu");
  Button_tg = Arrow(GroupBox_sackloch, "Button_tg");
  Button_tb = Arrow(GroupBox_sackloch, "Button_tb");
  gs->addWidget(Button_tg, 0, 3);
  gs->addWidget(Button_tb, 1, 3);
  SetHint(Label_tg, 4130);
  SetHint(Label_tb, 4140);
  left->addWidget(GroupBox_sackloch);

  GroupBox_mutter = MakeGroup(this, "GroupBox_mutter", " nut ");
  auto* gm = new QVBoxLayout(GroupBox_mutter);
  std::vector<std::string> kinds;
  for (int i = 1; i <= 4; ++i) kinds.push_back(NutKindNames[i].str());
  RadioGroup_form = new TRadioGroup(GroupBox_mutter, "RadioGroup_form", "Type", kinds, 2);
  gm->addWidget(RadioGroup_form);
  auto* db = new QHBoxLayout;
  Button_dbnut = MakeButton(GroupBox_mutter, "Button_dbnut", "Database");
  Label_dbnut = MakeLabel(GroupBox_mutter, "Label_dbnut", "");
  db->addWidget(Button_dbnut);
  db->addWidget(Label_dbnut, 1);
  gm->addLayout(db);
  GroupBox_spezial = MakeGroup(GroupBox_mutter, "GroupBox_spezial", " special nut ");
  auto* gz = new QGridLayout(GroupBox_spezial);
  AddEditRow(GroupBox_spezial, gz, 0, Label_dw, "Label_dw", "min. bearing surface nut dw", Edit_dw, "Edit_dw",
             Label_dwu, "Label_dwu");
  AddEditRow(GroupBox_spezial, gz, 1, Label_h, "Label_h", "height of nut", Edit_h, "Edit_h", Label_hu, "Label_hu");
  SetHint(Label_dw, 4160);
  SetHint(Label_h, 4170);
  gm->addWidget(GroupBox_spezial);
  CheckBox_jamatnut = new QCheckBox(Disp("Input nut material ?"), GroupBox_mutter);
  CheckBox_jamatnut->setObjectName("CheckBox_jamatnut");
  gm->addWidget(CheckBox_jamatnut);
  left->addWidget(GroupBox_mutter);
  left->addStretch(1);
  middle->addLayout(left);

  GroupBox_mat = MakeGroup(this, "GroupBox_mat", " material ");
  auto* gmat = new QVBoxLayout(GroupBox_mat);
  Label_mat = MakeLabel(GroupBox_mat, "Label_mat", "");
  Label_pmax = MakeLabel(GroupBox_mat, "Label_pmax", "");
  Label_re = MakeLabel(GroupBox_mat, "Label_re", "");
  Label_rm = MakeLabel(GroupBox_mat, "Label_rm", "");
  Label_e = MakeLabel(GroupBox_mat, "Label_e", "");
  for (QLabel* l : {Label_mat, Label_pmax, Label_re, Label_rm, Label_e}) gmat->addWidget(l);
  RadioGroup_dbmat = new TRadioGroup(GroupBox_mat, "RadioGroup_dbmat", "Database",
                                     {"0 (pressung.dbf)", "1 (mat_p_1.dbf)"});
  gmat->addWidget(RadioGroup_dbmat);
  Button_dbwst = MakeButton(GroupBox_mat, "Button_dbwst", "Database");
  gmat->addWidget(Button_dbwst);
  gmat->addStretch(1);
  middle->addWidget(GroupBox_mat);
  outer->addLayout(middle);

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
  // A nut of another size than the thread's is taken again from its table.
  TableKind = FloatEqual(Mutter.dNut, Gewinde.d) ? Mutter.NutType : 0;
  FillForm();
  ScaleCenterForm(*this);  // after filling: the captions set the size

  RadioGroup_typ->OnClick = [this] { UpdateNutControls(); };
  RadioGroup_form->OnClick = [this] { RadioGroup_formClick(); };
  RadioGroup_dbmat->OnClick = [this] { RadioGroup_dbmatClick(); };
  connect(CheckBox_jamatnut, &QCheckBox::toggled, this, [this] { UpdateNutControls(); });
  auto onClick = [this](QPushButton* b, auto handler) { connect(b, &QPushButton::clicked, this, handler); };
  onClick(Button_tg, [this] { Button_tgClick(); });
  onClick(Button_tb, [this] { Button_tbClick(); });
  onClick(Button_dbnut, [this] { Button_dbnutClick(); });
  onClick(Button_dbwst, [this] { Button_dbwstClick(); });
  onClick(Button_ok, [this] { Button_okClick(); });
  onClick(Button_cancel, [this] { Button_cancelClick(); });
  onClick(Button_hilfetext, [this] { Button_hilfetextClick(); });
  onClick(Button_hilfebild, [this] { Button_hilfebildClick(); });
  onClick(Button_metric, [this] { Button_metricClick(); });
  SetFieldRanges(this, {
      {"Edit_tg", InputRange::HoleDepth},
      {"Edit_tb", InputRange::HoleDepth},
      {"Edit_dw", InputRange::NutBearing},
      {"Edit_h", InputRange::NutHeight},
  });
}

void TForm_bq4nut::showEvent(QShowEvent* e) {
  FillForm();
  TCalcForm::showEvent(e);
}

void TForm_bq4nut::FillForm() {
  for (QLabel* u : {Label_tgu, Label_tbu, Label_dwu, Label_hu}) u->setText(Disp(LengthUnitText()));
  RadioGroup_typ->SetItemIndex(Verbindung.JointKind - 1);
  RadioGroup_dbmat->SetItemIndex(Sackloch.MatTable);
  ComboBox_tolgew->setCurrentIndex(Mutter.NutToleranceClass >= 1 && Mutter.NutToleranceClass <= 6
                                       ? Mutter.NutToleranceClass - 1
                                       : 0);
  Edit_tg->setText(Length(Sackloch.tg));
  Edit_tb->setText(Length(Sackloch.tb));
  Edit_dw->setText(Length(Mutter.dwNut));
  Edit_h->setText(Length(Mutter.m));
  RadioGroup_form->SetItemIndex(Mutter.NutType - 1);
  const bool kept = CheckBox_jamatnut->blockSignals(true);
  CheckBox_jamatnut->setChecked(MatMutter.OwnNutMaterial != 0);
  CheckBox_jamatnut->blockSignals(kept);
  Label_dbnut->setText(Disp(LengthToText(Gewinde.d) + " - " + NutStandardText()));
  ShowNutMaterial();
  UpdateNutControls();
  ShowNutOfKind();
}

namespace {

int ChosenKind(const TRadioGroup* group) { return group->ItemIndex() + 1; }
bool TableNutKind(int kind) { return kind >= 1 && kind <= 3; }

// Why a nut of this kind cannot be taken from its table; empty when it can.
std::string NoNutRowText(int kind) {
  const PartRowStatus row = PartRowOfThread(kind + 10);
  if (row == PartRowStatus::Found) return {};
  const std::string name = NutKindNames[kind].str();
  if (row != PartRowStatus::NoRow) return name + ": the table " + CalcTableNames[kind + 10].str() + ".dbf cannot be read";
  return name + ": no row for " + TrimRightText(Gewinde.Designation) + " in the table";
}

}  // namespace

// A nut kind of another table shows that table's row of the thread's size,
// as OK takes it; nothing is stored before OK.
void TForm_bq4nut::ShowNutOfKind() {
  const int kind = ChosenKind(RadioGroup_form);
  if (!TableNutKind(kind) || kind == TableKind) return;
  const NutSnapshot kept;
  Mutter.NutType = static_cast<Word>(kind);
  if (!TakeNutRowOfThread(kind)) {
    Label_dbnut->setText(Disp(NoNutRowText(kind)));
    return;
  }
  Edit_dw->setText(Length(Mutter.dwNut));
  Edit_h->setText(Length(Mutter.m));
  Label_dbnut->setText(Disp(LengthToText(Gewinde.d) + " - " + NutStandardText()));
}

void TForm_bq4nut::ShowNutMaterial() {
  const std::string unit = " " + StressUnitText();
  Label_mat->setText(Disp(MatMutter.Name.view()));
  Label_pmax->setText(Disp("p max = " + StressToTextFmt(4, 0, MatMutter.pGNut) + unit));
  Label_re->setText(Disp("Re = " + StressToText(MatMutter.ReM) + unit));
  Label_rm->setText(Disp("Rm = " + StressToText(MatMutter.RmM) + unit));
  Label_e->setText(Disp("E = " + StressToText(MatMutter.EM) + unit));
}

bool TForm_bq4nut::StoreInput() {
  if (!NumberFieldsValid(this)) return false;
  if (RadioGroup_typ->ItemIndex() >= 0) Verbindung.JointKind = static_cast<Word>(RadioGroup_typ->ItemIndex() + 1);
  if (RadioGroup_dbmat->ItemIndex() >= 0) Sackloch.MatTable = RadioGroup_dbmat->ItemIndex();
  Mutter.NutToleranceClass = static_cast<Word>(ComboBox_tolgew->currentIndex() + 1);
  Sackloch.tg = LengthValue(Edit_tg, Sackloch.tg);
  Sackloch.tb = LengthValue(Edit_tb, Sackloch.tb);
  Mutter.dwNut = LengthValue(Edit_dw, Mutter.dwNut);
  Mutter.m = LengthValue(Edit_h, Mutter.m);
  if (RadioGroup_form->ItemIndex() >= 0) Mutter.NutType = static_cast<Word>(RadioGroup_form->ItemIndex() + 1);
  MatMutter.OwnNutMaterial = CheckBox_jamatnut->isChecked() ? 1 : 0;
  // Another kind of table nut: its row, or the values stay until OK refuses.
  if (TableNutKind(Mutter.NutType) && Mutter.NutType != TableKind && TakeNutRowOfThread(Mutter.NutType)) {
    TableKind = Mutter.NutType;
    Edit_dw->setText(Length(Mutter.dwNut));
    Edit_h->setText(Length(Mutter.m));
  }
  return true;
}

void TForm_bq4nut::UpdateNutControls() {
  const bool tapped = RadioGroup_typ->ItemIndex() == 0;
  GroupBox_sackloch->setVisible(tapped);
  GroupBox_mutter->setVisible(!tapped);
  const bool special = RadioGroup_form->ItemIndex() == 3;
  Edit_dw->setEnabled(special);
  Edit_h->setEnabled(special);
  Button_dbnut->setVisible(!special);
  const bool material = tapped || CheckBox_jamatnut->isChecked();
  GroupBox_mat->setVisible(material);
  Button_dbwst->setVisible(material);
}

void TForm_bq4nut::RadioGroup_formClick() {
  UpdateNutControls();
  if (TableNutKind(ChosenKind(RadioGroup_form)) && ChosenKind(RadioGroup_form) == TableKind) {
    Edit_dw->setText(Length(Mutter.dwNut));
    Edit_h->setText(Length(Mutter.m));
    Label_dbnut->setText(Disp(LengthToText(Gewinde.d) + " - " + NutStandardText()));
  }
  ShowNutOfKind();
}

void TForm_bq4nut::RadioGroup_dbmatClick() {
  if (RadioGroup_dbmat->ItemIndex() >= 0) Sackloch.MatTable = RadioGroup_dbmat->ItemIndex();
}

void TForm_bq4nut::Button_tgClick() {
  Edit_tg->setText(Length(2 * Gewinde.P + (Schraube.l - Klemmstuecke.lK)));
}

void TForm_bq4nut::Button_tbClick() {
  Edit_tb->setText(Length(Length(Edit_tg) + std::max<Extended>(2 * Gewinde.P, 3)));
}

// Only a row of the thread's size is taken; after Cancel the nut stays.
void TForm_bq4nut::Button_dbnutClick() {
  const int type = RadioGroup_form->ItemIndex() + 1;
  if (type < 1 || type > 3) return;  // the special nut has no table
  NutSnapshot before;
  Mutter.NutType = static_cast<Word>(type);
  OpenCalcTable(type + 10);
  if (AbortFlag) {
    AddErrorMessage("Fatal  : Database nut !");
    AbortFlag = 0;
    return;
  }
  const bool picked = PickNutRowOfBoltSize(type);
  CloseDbfTable();
  AbortFlag = 0;
  if (!picked) return;
  before.Keep();
  TableKind = type;
  Edit_dw->setText(Length(Mutter.dwNut));
  Edit_h->setText(Length(Mutter.m));
  Label_dbnut->setText(Disp(LengthToText(Gewinde.d) + " - " + NutStandardText()));
}

void TForm_bq4nut::Button_dbwstClick() {
  const int item = RadioGroup_dbmat->ItemIndex();
  if (item < 0) return;
  AbortFlag = 0;
  if (PickNutMaterial(item)) ShowNutMaterial();
  AbortFlag = 0;
}

// A through-bolted joint whose nut kind has no row of the thread's size in
// its table is refused by name: the nut would have no dimensions.
void TForm_bq4nut::Button_okClick() {
  AbortFlag = 0;
  const int kind = ChosenKind(RadioGroup_form);
  if (ChosenKind(RadioGroup_typ) == kJointWithNut && TableNutKind(kind) && kind != TableKind) {
    const std::string why = NoNutRowText(kind);
    if (!why.empty()) {
      ShowError(why + ".\nAppend the row with \"Database\", or choose another kind.");
      return;
    }
  }
  if (!MaterialChosen() || !StoreInput()) return;
  accept();
}

// A tapped part, or a nut of its own material, needs a material of the
// tables: without one (no name) the pick is offered before anything is
// stored, and OK is refused while none is chosen.
bool TForm_bq4nut::MaterialChosen() {
  const bool needed = ChosenKind(RadioGroup_typ) == kJointTapped || CheckBox_jamatnut->isChecked();
  if (!needed || !TrimRightText(MatMutter.Name.str()).empty()) return true;
  if (RadioGroup_dbmat->ItemIndex() < 0) RadioGroup_dbmat->SetItemIndex(0);
  Button_dbwstClick();
  if (!TrimRightText(MatMutter.Name.str()).empty()) return true;
  ShowError(std::string(ChosenKind(RadioGroup_typ) == kJointTapped ? "tapped part" : "nut") +
            ": no material chosen.\nChoose it with \"Database\".");
  return false;
}

void TForm_bq4nut::Button_cancelClick() { reject(); }

void TForm_bq4nut::Button_hilfetextClick() {
  ShowHelpText(4150, "", 1);
  AbortFlag = 0;
}

void TForm_bq4nut::Button_hilfebildClick() {
  if (!StoreInput()) return;
  ShowHelpText(4120, "", 2);
  AbortFlag = 0;
  BringToFront();
}

void TForm_bq4nut::Button_metricClick() {
  if (!StoreInput()) return;
  ToggleUnitSystem();
  FillForm();
}

void RunNutForm() {
  TForm_bq4nut form;
  platform::ExecModal(form, "nut");
}
