#include "calc/forms/friction_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "calc/input_ranges.h"
#include "calc/calc_tables.h"
#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "calc/table_rows.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

constexpr int kThreadFrictionTolTable = 21;  // mue_gtol
constexpr int kHeadFrictionTolTable = 22;    // mue_ktol

QPushButton* Small(QWidget* parent, const char* name, std::string_view caption, int width) {
  QPushButton* b = MakeButton(parent, name, caption);
  b->setFixedWidth(width);
  return b;
}

std::string Number(QLineEdit* e) { return DisplayText(e->text()); }

}  // namespace

TForm_bq4reib::TForm_bq4reib(QWidget* parent)
    : TCalcForm(parent),
      ThreadRow(Reibung.ThreadFrictionRow),
      HeadRow(Reibung.HeadFrictionRow),
      InterfaceRow(Reibung.InterfaceFrictionRow),
      ThreadTolRow(Reibung.ThreadFrictionTolRow),
      HeadTolRow(Reibung.HeadFrictionTolRow) {
  setObjectName("TForm_bq4reib");
  setWindowTitle(Disp(ProgShortName + "  " + "Friction"));
  auto* outer = new QVBoxLayout(this);
  auto* g = new QGridLayout;
  Label_mueg = MakeLabel(this, "Label_mueg", "coeff.of friction in thread \xE6G");
  Label_muek = MakeLabel(this, "Label_muek", "coeff.of friction in head seat \xE6K");
  Label_muetr = MakeLabel(this, "Label_muetr", "coeff.of friction at interface \xE6Tr");
  Label_max = MakeLabel(this, "Label_max", "Max.");
  Edit_mueg = MakeEdit(this, "Edit_mueg", 60);
  Edit_muegmax = MakeEdit(this, "Edit_muegmax", 60);
  Edit_muek = MakeEdit(this, "Edit_muek", 60);
  Edit_muekmax = MakeEdit(this, "Edit_muekmax", 60);
  Edit_muetr = MakeEdit(this, "Edit_muetr", 60);
  MarkNumberField(Edit_mueg, "\xE6G min");
  MarkNumberField(Edit_muegmax, "\xE6G max");
  MarkNumberField(Edit_muek, "\xE6K min");
  MarkNumberField(Edit_muekmax, "\xE6K max");
  MarkNumberField(Edit_muetr, "\xE6Tr");
  Button_mueg = Small(this, "Button_mueg", "\xE6G min", 64);
  Button_muek = Small(this, "Button_muek", "\xE6K min", 64);
  Button_muetr = Small(this, "Button_muetr", "\xE6Tr min", 64);
  Button_muegmax = Small(this, "Button_muegmax", "<", 28);
  Button_muekmax = Small(this, "Button_muekmax", "<", 28);
  Button_mueg10 = Small(this, "Button_mueg10", "+10%", 48);
  Button_mueg25 = Small(this, "Button_mueg25", "+25%", 48);
  Button_mueg50 = Small(this, "Button_mueg50", "+50%", 48);
  Button_muek10 = Small(this, "Button_muek10", "+10%", 48);
  Button_muek25 = Small(this, "Button_muek25", "+25%", 48);
  Button_muek50 = Small(this, "Button_muek50", "+50%", 48);
  Button_muegtol = Small(this, "Button_muegtol", "\xE6 G", 48);
  Button_muektol = Small(this, "Button_muektol", "\xE6 K", 48);
  g->addWidget(Label_max, 0, 4);
  g->addWidget(Label_mueg, 1, 0);
  g->addWidget(Button_mueg, 1, 1);
  g->addWidget(Edit_mueg, 1, 2);
  g->addWidget(Button_muegmax, 1, 3);
  g->addWidget(Edit_muegmax, 1, 4);
  g->addWidget(Button_mueg10, 1, 5);
  g->addWidget(Button_mueg25, 1, 6);
  g->addWidget(Button_mueg50, 1, 7);
  g->addWidget(Button_muegtol, 1, 8);
  g->addWidget(Label_muek, 2, 0);
  g->addWidget(Button_muek, 2, 1);
  g->addWidget(Edit_muek, 2, 2);
  g->addWidget(Button_muekmax, 2, 3);
  g->addWidget(Edit_muekmax, 2, 4);
  g->addWidget(Button_muek10, 2, 5);
  g->addWidget(Button_muek25, 2, 6);
  g->addWidget(Button_muek50, 2, 7);
  g->addWidget(Button_muektol, 2, 8);
  g->addWidget(Label_muetr, 3, 0);
  g->addWidget(Button_muetr, 3, 1);
  g->addWidget(Edit_muetr, 3, 2);
  Label_sigma = MakeLabel(this, "Label_sigma", "Sigma");
  Edit_sigma = MakeEdit(this, "Edit_sigma", 60);
  MarkNumberField(Edit_sigma, "Sigma");
  Button_sigma = Small(this, "Button_sigma", "<", 28);
  Button_hilfebildsigma = MakeButton(this, "Button_hilfebildsigma", "Aux. &Image");
  g->addWidget(Label_sigma, 4, 0);
  g->addWidget(Edit_sigma, 4, 2);
  g->addWidget(Button_sigma, 4, 3);
  g->addWidget(Button_hilfebildsigma, 4, 4, 1, 3);
  Label_mapre = MakeLabel(this, "Label_mapre", "MA pre");
  Edit_mapre = MakeEdit(this, "Edit_mapre", 60);
  MarkNumberField(Edit_mapre, "MA pre");
  Label_mapreu = MakeLabel(this, "Label_mapreu", MomentUnitText());
  g->addWidget(Label_mapre, 5, 0);
  g->addWidget(Edit_mapre, 5, 2);
  g->addWidget(Label_mapreu, 5, 3, 1, 2);
  outer->addLayout(g);
  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_help = MakeButton(this, "Button_help", "&Help Text");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_help}) bottom->addWidget(b);
  bottom->addStretch(1);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);
  SetHint(Label_mueg, 4360);
  SetHint(Label_muek, 4370);
  SetHint(Label_muetr, 4380);
  SetHint(Label_sigma, 5040);
  SetHint(Label_mapre, 4690);
  ScaleCenterForm(*this);

  Edit_mueg->setText(Disp(FloatToText(Reibung.muGmin)));
  Edit_muegmax->setText(Disp(FloatToText(Reibung.muGmax)));
  Edit_muek->setText(Disp(FloatToText(Reibung.muKmin)));
  Edit_muekmax->setText(Disp(FloatToText(Reibung.muKmax)));
  Edit_muetr->setText(Disp(FloatToText(Reibung.muTr)));
  Edit_sigma->setText(Disp(FloatToText(Montage.sigmaFactor)));
  Edit_mapre->setText(Disp(MomentToText(Last.MApre)));
  const bool torque = CalcOptions.MApreOn != 0;
  for (QWidget* w : std::initializer_list<QWidget*>{Label_mapre, Label_mapreu, Edit_mapre}) w->setVisible(torque);
  const bool tolerances = CalcOptions.FrictionTolerances != 0;
  for (QWidget* w : std::initializer_list<QWidget*>{
           Edit_muegmax, Edit_muekmax, Label_max, Button_muegmax, Button_muekmax, Button_mueg10, Button_mueg25,
           Button_mueg50, Button_muek10, Button_muek25, Button_muek50, Button_muegtol, Button_muektol, Label_sigma,
           Edit_sigma, Button_sigma, Button_hilfebildsigma})
    w->setVisible(tolerances);

  auto onClick = [this](QPushButton* b, auto handler) { connect(b, &QPushButton::clicked, this, handler); };
  onClick(Button_muegmax, [this] { Edit_muegmax->setText(Edit_mueg->text()); });
  onClick(Button_muekmax, [this] { Edit_muekmax->setText(Edit_muek->text()); });
  auto percent = [this, onClick](QPushButton* b, QLineEdit* from, QLineEdit* to, Extended factor) {
    onClick(b, [from, to, factor] { to->setText(Disp(FloatToTextFix(2, TextToFloat(Number(from)) * factor))); });
  };
  percent(Button_mueg10, Edit_mueg, Edit_muegmax, 1.1L);
  percent(Button_mueg25, Edit_mueg, Edit_muegmax, 1.25L);
  percent(Button_mueg50, Edit_mueg, Edit_muegmax, 1.5L);
  percent(Button_muek10, Edit_muek, Edit_muekmax, 1.1L);
  percent(Button_muek25, Edit_muek, Edit_muekmax, 1.25L);
  percent(Button_muek50, Edit_muek, Edit_muekmax, 1.5L);
  onClick(Button_sigma, [this] { Edit_sigma->setText("3"); });
  onClick(Button_hilfebildsigma, [this] { Button_hilfebildsigmaClick(); });
  onClick(Button_help, [this] { Button_helpClick(); });
  onClick(Button_mueg, [this] { Button_muegClick(); });
  onClick(Button_muek, [this] { Button_muekClick(); });
  onClick(Button_muetr, [this] { Button_muetrClick(); });
  onClick(Button_muegtol, [this] { Button_muegtolClick(); });
  onClick(Button_muektol, [this] { Button_muektolClick(); });
  onClick(Button_ok, [this] { Button_okClick(); });
  onClick(Button_cancel, [this] { Button_cancelClick(); });
  SetFieldRanges(this, {
      {"Edit_mueg", InputRange::Friction},
      {"Edit_muegmax", InputRange::Friction},
      {"Edit_muek", InputRange::Friction},
      {"Edit_muekmax", InputRange::Friction},
      {"Edit_muetr", InputRange::Friction},
      {"Edit_sigma", InputRange::SigmaFactor},
      {"Edit_mapre", InputRange::PresetTorque},
  });
}

// A coefficient from a friction table into the minimum edit.
void TForm_bq4reib::PickFriction(int table, QLineEdit* edit, Word& row) {
  AbortFlag = 0;
  SetDbfDialogCaptions("", CalcTableCaption(table));
  OpenCalcTable(table);
  if (!AbortFlag) {
    if (row >= 1 && row <= DbfRecordCount()) GotoDbfRecord(row);
    ShowDbfDialog("", 1);
    if (!AbortFlag) {
      MUE_Record picked;
      ReadMueRecord(picked);
      row = static_cast<Word>(SelectedRecordNo);
      edit->setText(Disp(FloatToText(picked.mu)));
    }
    CloseDbfTable();
  }
  RestoreCursor();
  AbortFlag = 0;
}

// Minimum and maximum of a friction class from a tolerance table.
void TForm_bq4reib::PickTolerance(int table, QLineEdit* minEdit, QLineEdit* maxEdit, Word& row) {
  AbortFlag = 0;
  SetDbfDialogCaptions("", CalcTableNames[table].str());
  OpenCalcTable(table);
  if (!AbortFlag) {
    if (row >= 1 && row <= DbfRecordCount()) GotoDbfRecord(row);
    ShowDbfDialog("", 1);
    if (!AbortFlag) {
      row = static_cast<Word>(SelectedRecordNo);
      minEdit->setText(Disp(FloatToText(TextToFloat(DbfFieldText(2)))));
      maxEdit->setText(Disp(FloatToText(TextToFloat(DbfFieldText(3)))));
    }
    CloseDbfTable();
  }
  RestoreCursor();
  AbortFlag = 0;
}

void TForm_bq4reib::Button_muegClick() { PickFriction(kThreadFrictionTable, Edit_mueg, ThreadRow); }
void TForm_bq4reib::Button_muekClick() { PickFriction(kHeadFrictionTable, Edit_muek, HeadRow); }
void TForm_bq4reib::Button_muetrClick() { PickFriction(kInterfaceFrictionTable, Edit_muetr, InterfaceRow); }
void TForm_bq4reib::Button_muegtolClick() {
  PickTolerance(kThreadFrictionTolTable, Edit_mueg, Edit_muegmax, ThreadTolRow);
}
void TForm_bq4reib::Button_muektolClick() {
  PickTolerance(kHeadFrictionTolTable, Edit_muek, Edit_muekmax, HeadTolRow);
}

void TForm_bq4reib::Button_hilfebildsigmaClick() {
  ShowHelpText(5040, "", 2);
  BringToFront();
  AbortFlag = 0;
}

void TForm_bq4reib::Button_helpClick() { ShowHelpText(4360, "", 1); }

void TForm_bq4reib::Button_okClick() {
  if (!NumberFieldsValid(this)) return;
  AbortFlag = 0;
  Reibung.muGmin = NumberValue(Edit_mueg, Reibung.muGmin);
  Reibung.muKmin = NumberValue(Edit_muek, Reibung.muKmin);
  Reibung.muTr = NumberValue(Edit_muetr, Reibung.muTr);
  Reibung.muGmax = NumberValue(Edit_muegmax, Reibung.muGmax);
  Reibung.muKmax = NumberValue(Edit_muekmax, Reibung.muKmax);
  Montage.sigmaFactor = NumberValue(Edit_sigma, Montage.sigmaFactor);
  Last.MApre = MomentValue(Edit_mapre, Last.MApre);
  Reibung.ThreadFrictionRow = ThreadRow;
  Reibung.HeadFrictionRow = HeadRow;
  Reibung.InterfaceFrictionRow = InterfaceRow;
  Reibung.ThreadFrictionTolRow = ThreadTolRow;
  Reibung.HeadFrictionTolRow = HeadTolRow;
  accept();
}

void TForm_bq4reib::Button_cancelClick() { reject(); }

void RunFrictionForm() {
  TForm_bq4reib form;
  platform::ExecModal(form, "friction");
}
