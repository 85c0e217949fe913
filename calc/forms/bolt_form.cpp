// Before any Qt header: the message list has a field named like a Qt macro.
#include "framework/calc_messages.h"

#include "calc/forms/bolt_form.h"

#include <algorithm>
#include <utility>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "calc/input_ranges.h"
#include "calc/bolt_geometry.h"
#include "calc/calc_tables.h"
#include "calc/designation.h"
#include "calc/forms/calc_forms.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
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

QPushButton* Arrow(QWidget* parent, const char* name) {
  QPushButton* b = MakeButton(parent, name, "<");
  b->setFixedWidth(28);
  return b;
}

QString Length(Extended mm) { return Disp(LengthToText(mm)); }

// The head row's standard and size, or that the head kind's table lacks the size.
QString HeadButtonText() {
  const int type = Schraube.HeadType;
  if (type >= 1 && type <= 8 && PartRowOfThread(type + 1) == PartRowStatus::NoRow)
    return Disp("no row for " + TrimRightText(Gewinde.Designation));
  return Disp(BoltStandardText() + "  -  " + LengthToText(HeadRowNominalDiameter()) + " " + LengthUnitText());
}

}  // namespace

TForm_bq4bolt::TForm_bq4bolt(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_bq4bolt");
  setWindowTitle(Disp(ProgShortName + "  " + "bolt"));
  auto* outer = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  outer->addLayout(columns);

  // Bolt type and sections
  auto* left = new QVBoxLayout;
  ComboBox_typ = MakeCombo(this, "ComboBox_typ",
                           {"shank bolt", "necked-down bolt de1 = 0.9*d3", "self-defined bolt",
                            "necked-down bolt de1=d, l1=0.5*d, de2=d2", "necked-down bolt de1=d2"});
  SetHint(ComboBox_typ, 4350);
  left->addWidget(ComboBox_typ);
  auto* gridRow = new QHBoxLayout;
  StringGrid_boltgeo = new QTableWidget(1, 4, this);
  StringGrid_boltgeo->setObjectName("StringGrid_boltgeo");
  StringGrid_boltgeo->setHorizontalHeaderLabels({"", "de", "di", "L"});
  StringGrid_boltgeo->verticalHeader()->setVisible(false);
  StringGrid_boltgeo->setColumnWidth(0, 30);
  for (int c = 1; c <= 3; ++c) StringGrid_boltgeo->setColumnWidth(c, 70);
  StringGrid_boltgeo->setMinimumSize(250, 240);
  // The position counts the header row with the sections: 1 to 10 sections.
  UpDown1 = new TUpDown(this, "UpDown1");
  UpDown1->Min = 2;
  UpDown1->Max = kMaxBoltSections + 1;
  UpDown1->Increment = -1;
  UpDown1->Position = 2;
  gridRow->addWidget(StringGrid_boltgeo);
  gridRow->addWidget(UpDown1, 0, Qt::AlignTop);
  left->addLayout(gridRow);
  Button_sonder = MakeButton(this, "Button_sonder", "bolt");
  left->addWidget(Button_sonder);
  left->addStretch(1);
  columns->addLayout(left);

  // Thread
  auto* right = new QVBoxLayout;
  GroupBox_gewinde = MakeGroup(this, "GroupBox_gewinde", "thread");
  auto* gt = new QGridLayout(GroupBox_gewinde);
  Label_gewinde = MakeLabel(GroupBox_gewinde, "Label_gewinde", "thread");
  Button_gewinde = MakeButton(GroupBox_gewinde, "Button_gewinde", "");
  gt->addWidget(Label_gewinde, 0, 0);
  gt->addWidget(Button_gewinde, 0, 1);
  Label_toleranzklasse = MakeLabel(GroupBox_gewinde, "Label_toleranzklasse", "Allowance class");
  ComboBox_toleranzklasse =
      MakeCombo(GroupBox_gewinde, "ComboBox_toleranzklasse",
                {"input d2, d3, dmin", "Allowance class 6h", "Allowance class 4h", "Allowance class 6g",
                 "Allowance class 4g", "Allowance class 6e", "Allowance class 4e"});
  SetHint(Label_toleranzklasse, 5110);
  gt->addWidget(Label_toleranzklasse, 1, 0);
  gt->addWidget(ComboBox_toleranzklasse, 1, 1, 1, 3);
  AddEditRow(GroupBox_gewinde, gt, 2, Label_d2, "Label_d2", "pitch diameter d2", Edit_d2, "Edit_d2", Label_d2u,
             "Label_d2u");
  AddEditRow(GroupBox_gewinde, gt, 3, Label_d3, "Label_d3", "core diameter d3", Edit_d3, "Edit_d3", Label_d3u,
             "Label_d3u");
  AddEditRow(GroupBox_gewinde, gt, 4, Label_dmin, "Label_dmin", "thread diameter dmin", Edit_dmin, "Edit_dmin",
             Label_dminu, "Label_dminu");
  AddEditRow(GroupBox_gewinde, gt, 5, Label_lschraube, "Label_lschraube", "bolt length up to head l",
             Edit_lschraube, "Edit_lschraube", Label_lschraubeu, "Label_lschraubeu");
  Button_d2 = Arrow(GroupBox_gewinde, "Button_d2");
  Button_d3 = Arrow(GroupBox_gewinde, "Button_d3");
  Button_dmin = Arrow(GroupBox_gewinde, "Button_dmin");
  Button_lschraube = Arrow(GroupBox_gewinde, "Button_lschraube");
  gt->addWidget(Button_d2, 2, 3);
  gt->addWidget(Button_d3, 3, 3);
  gt->addWidget(Button_dmin, 4, 3);
  gt->addWidget(Button_lschraube, 5, 3);
  SetHint(Label_d2, 5120);
  SetHint(Label_d3, 5130);
  SetHint(Label_dmin, 5140);
  SetHint(Label_lschraube, 4210);
  right->addWidget(GroupBox_gewinde);

  // Head
  GroupBox_schraubenkopf = MakeGroup(this, "GroupBox_schraubenkopf", "bolt head");
  auto* gh = new QGridLayout(GroupBox_schraubenkopf);
  std::vector<std::string> heads;
  for (int i = 1; i <= 8; ++i) heads.push_back(HeadKindNames[i].str());
  ComboBox_schraubenkopf = MakeCombo(GroupBox_schraubenkopf, "ComboBox_schraubenkopf", heads);
  SetHint(ComboBox_schraubenkopf, 4180);
  Button_schraubenkopf = MakeButton(GroupBox_schraubenkopf, "Button_schraubenkopf", "");
  gh->addWidget(ComboBox_schraubenkopf, 0, 0, 1, 2);
  gh->addWidget(Button_schraubenkopf, 0, 2, 1, 2);
  AddEditRow(GroupBox_schraubenkopf, gh, 1, Label_dk, "Label_dk", "diameter of the bolt head dk", Edit_dk,
             "Edit_dk", Label_dku, "Label_dku");
  AddEditRow(GroupBox_schraubenkopf, gh, 2, Label_dw, "Label_dw", "min bearing surface bolt head dw", Edit_dw,
             "Edit_dw", Label_dwu, "Label_dwu");
  AddEditRow(GroupBox_schraubenkopf, gh, 3, Label_lgew, "Label_lgew", "thread length lG", Edit_lgew, "Edit_lgew",
             Label_lgewu, "Label_lgewu");
  Edit_dk->setEnabled(false);
  Edit_dw->setEnabled(false);
  SetHint(Label_dk, 4190);
  SetHint(Label_dw, 4195);
  SetHint(Label_lgew, 4220);
  right->addWidget(GroupBox_schraubenkopf);

  // Material
  GroupBox_werkstoff = MakeGroup(this, "GroupBox_werkstoff", "material");
  auto* gw = new QGridLayout(GroupBox_werkstoff);
  Label_werkstoff = MakeLabel(GroupBox_werkstoff, "Label_werkstoff", "material");
  Button_werkstoff = MakeButton(GroupBox_werkstoff, "Button_werkstoff", "");
  SetHint(Button_werkstoff, 9680);
  gw->addWidget(Label_werkstoff, 0, 0);
  gw->addWidget(Button_werkstoff, 0, 1);
  Label_dauerfest = MakeLabel(GroupBox_werkstoff, "Label_dauerfest", "endurance strength");
  ComboBox_dauerfest = MakeCombo(GroupBox_werkstoff, "ComboBox_dauerfest", EnduranceChoiceTexts());
  SetHint(Label_dauerfest, 5050);
  gw->addWidget(Label_dauerfest, 1, 0);
  gw->addWidget(ComboBox_dauerfest, 1, 1, 1, 2);
  AddEditRow(GroupBox_werkstoff, gw, 2, Label_sigmaazul, "Label_sigmaazul", "endurance strength Sig.a.zul",
             Edit_sigmaazul, "Edit_sigmaazul", Label_sigmaazulu, "Label_sigmaazulu");
  SetHint(Label_sigmaazul, 5060);
  right->addWidget(GroupBox_werkstoff);
  columns->addLayout(right);

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
  FillForm();
  ScaleCenterForm(*this);  // after filling: the captions set the size

  UpDown1->OnClick = [this](bool up) { UpDown1Click(up); };
  connect(ComboBox_typ, &QComboBox::activated, this, [this] { UpdateBoltTypeControls(); });
  connect(ComboBox_toleranzklasse, &QComboBox::currentIndexChanged, this, [this] { UpdateToleranceControls(); });
  connect(ComboBox_dauerfest, &QComboBox::activated, this, [this] { UpdateEnduranceControls(true); });
  connect(ComboBox_schraubenkopf, &QComboBox::activated, this, [this] { HeadPick(); });
  connect(Edit_lschraube, &QLineEdit::textChanged, this, [this] { Edit_lschraubeChange(); });
  auto onClick = [this](QPushButton* b, auto handler) { connect(b, &QPushButton::clicked, this, handler); };
  onClick(Button_sonder, [this] { Button_sonderClick(); });
  onClick(Button_d2, [this] { Button_d2Click(); });
  onClick(Button_d3, [this] { Button_d3Click(); });
  onClick(Button_dmin, [this] { Button_dminClick(); });
  onClick(Button_lschraube, [this] { Button_lschraubeClick(); });
  onClick(Button_gewinde, [this] { Button_gewindeClick(); });
  onClick(Button_schraubenkopf, [this] { Button_schraubenkopfClick(); });
  onClick(Button_werkstoff, [this] { Button_werkstoffClick(); });
  onClick(Button_ok, [this] { Button_okClick(); });
  onClick(Button_cancel, [this] { Button_cancelClick(); });
  onClick(Button_hilfetext, [this] { Button_hilfetextClick(); });
  onClick(Button_hilfebild, [this] { Button_hilfebildClick(); });
  onClick(Button_metric, [this] { Button_metricClick(); });
  SetFieldRanges(this, {
      {"Edit_d2", InputRange::ThreadDiameter},
      {"Edit_d3", InputRange::ThreadDiameter},
      {"Edit_dmin", InputRange::ThreadDiameter},
      {"Edit_lschraube", InputRange::BoltLength},
      {"Edit_dk", InputRange::HeadDiameter},
      {"Edit_dw", InputRange::HeadBearing},
      {"Edit_lgew", InputRange::ThreadLength},
      {"Edit_sigmaazul", InputRange::Strength},
  });
}

void TForm_bq4bolt::showEvent(QShowEvent* e) {
  Filling = 1;
  Shown = true;
  FillForm();
  Filling = 0;
  TCalcForm::showEvent(e);
}

bool TForm_bq4bolt::SelfDefined() const { return ComboBox_typ->currentIndex() == 2; }

// Once the form is on screen, a filling ends with the endurance-limit table
// offered when the endurance strength comes from it.
void TForm_bq4bolt::FillForm() {
  FillControls();
  if (Shown) UpdateEnduranceControls(true);
}

void TForm_bq4bolt::FillControls() {
  const Byte kept = Filling;
  Filling = 1;
  const SCHRAUBTYPE& s = Schraube;
  ComboBox_typ->setCurrentIndex(s.BoltType >= 1 && s.BoltType <= 5 ? s.BoltType - 1 : 0);
  Button_gewinde->setText(Disp(Gewinde.Designation));
  Edit_d2->setText(Length(s.d2));
  Edit_d3->setText(Length(s.d3));
  Edit_dmin->setText(Length(s.dmin));
  ComboBox_toleranzklasse->setCurrentIndex(s.ToleranceClass >= 1 && s.ToleranceClass <= 7 ? s.ToleranceClass - 1 : 0);
  Edit_lschraube->setText(Length(s.l));
  ComboBox_schraubenkopf->setCurrentIndex(s.HeadType >= 1 && s.HeadType <= 8 ? s.HeadType - 1 : 0);
  Edit_dk->setText(Length(s.dK));
  Edit_dw->setText(Length(s.dw));
  Edit_lgew->setText(Length(s.b));
  ComboBox_dauerfest->setCurrentIndex(Last.EnduranceChoice >= 1 && Last.EnduranceChoice <= 4 ? Last.EnduranceChoice - 1
                                                                                               : 0);
  Edit_sigmaazul->setText(Disp(StressToText(Last.sigmaASV)));
  for (QLabel* u : {Label_d2u, Label_d3u, Label_dminu, Label_lschraubeu, Label_dku, Label_dwu, Label_lgewu})
    u->setText(Disp(LengthUnitText()));
  Label_sigmaazulu->setText(Disp(StressUnitText()));
  Button_schraubenkopf->setText(HeadButtonText());
  Button_werkstoff->setText(Disp(MatBolt.StrengthClass));
  FillGrid();
  ShowBoltTypeControls();
  UpdateToleranceControls();
  UpdateEnduranceControls(false);
  Filling = kept;
}

void TForm_bq4bolt::FillGrid() {
  const int n = Schraube.nSections > kMaxBoltSections ? kMaxBoltSections : Schraube.nSections;
  StringGrid_boltgeo->clearContents();
  StringGrid_boltgeo->setRowCount(n);
  NumberGridRows();
  for (int i = 1; i <= n; ++i) {
    StringGrid_boltgeo->setItem(i - 1, 1, new QTableWidgetItem(Length(Schraube.dSec[i])));
    StringGrid_boltgeo->setItem(i - 1, 2, new QTableWidgetItem(Length(Schraube.diSec[i])));
    StringGrid_boltgeo->setItem(i - 1, 3, new QTableWidgetItem(Length(Schraube.lSec[i])));
  }
  UpDown1->Position = n + 1;
}

bool TForm_bq4bolt::StoreInput(bool report) {
  if (!NumberFieldsValid(this, report)) return false;
  SCHRAUBTYPE& s = Schraube;
  std::vector<GridSection> sections;
  if (SelfDefined() && !ReadGridSections(report, sections)) return false;
  s.BoltType = static_cast<Word>(ComboBox_typ->currentIndex() + 1);
  if (SelfDefined()) {
    s.nSections = static_cast<Word>(sections.size());
    for (std::size_t k = 0; k < sections.size(); ++k) {
      s.dSec[k + 1] = sections[k].d;
      s.diSec[k + 1] = sections[k].di;
      s.lSec[k + 1] = sections[k].l;
    }
  }
  s.d2 = LengthValue(Edit_d2, s.d2);
  s.d3 = LengthValue(Edit_d3, s.d3);
  s.dmin = LengthValue(Edit_dmin, s.dmin);
  s.ToleranceClass = static_cast<Word>(ComboBox_toleranzklasse->currentIndex() + 1);
  s.l = LengthValue(Edit_lschraube, s.l);
  s.HeadType = static_cast<Word>(ComboBox_schraubenkopf->currentIndex() + 1);
  s.dK = LengthValue(Edit_dk, s.dK);
  s.dw = LengthValue(Edit_dw, s.dw);
  s.b = LengthValue(Edit_lgew, s.b);
  Last.EnduranceChoice = static_cast<Word>(ComboBox_dauerfest->currentIndex() + 1);
  Last.sigmaASV = StressValue(Edit_sigmaazul, Last.sigmaASV);
  return true;
}

// The sections of the grid's rows. A cell that still shows the stored value
// keeps it unrounded; a typed one is read as typed, and refused by name when
// it holds no number or one the calculation cannot take, as the forms refuse
// their fields (an empty inner diameter is a section without a bore). A row
// left empty is no section: the rows below it move up.
bool TForm_bq4bolt::ReadGridSections(bool report, std::vector<GridSection>& sections) {
  const SCHRAUBTYPE& s = Schraube;
  const int n = IntClamp(0, kMaxBoltSections, UpDown1->Position - 1);
  auto text = [this](int row, int col) {
    const QTableWidgetItem* item = StringGrid_boltgeo->item(row, col);
    return item ? DisplayText(item->text()) : std::string();
  };
  sections.clear();
  for (int i = 1; i <= n; ++i) {
    if (text(i - 1, 1).empty() && text(i - 1, 2).empty() && text(i - 1, 3).empty()) continue;
    Extended values[4] = {0, s.dSec[i], s.diSec[i], s.lSec[i]};
    for (int col = 1; col <= 3; ++col) {
      const std::string t = text(i - 1, col);
      if (t == OemToAnsiStr(LengthToText(values[col]))) continue;
      if (col == 2 && t.empty()) {
        values[col] = 0;
        continue;
      }
      const TInputRange& r = col == 3 ? InputRange::SectionLength : InputRange::SectionDiameter;
      const std::string name =
          "section " + IntToText(i) + ", " + Stored(StringGrid_boltgeo->horizontalHeaderItem(col)->text());
      const std::string refusal =
          NumberTextRefusal(name, t, NumberKind::Float, {r.lo, r.hi, r.quantity, r.tiny}, true);
      if (!refusal.empty()) {
        if (report) {
          ShowError(refusal);
          StringGrid_boltgeo->setCurrentCell(i - 1, col);
          StringGrid_boltgeo->setFocus();
        }
        return false;
      }
      values[col] = TextToLength(t);
    }
    sections.push_back({values[1], values[2], values[3]});
  }
  return true;
}

// Column 0 numbers the rows 1..n.
void TForm_bq4bolt::NumberGridRows() {
  for (int row = 0; row < StringGrid_boltgeo->rowCount(); ++row) {
    auto* number = new QTableWidgetItem(QString::number(row + 1));
    number->setFlags(number->flags() & ~Qt::ItemIsEditable);
    StringGrid_boltgeo->setItem(row, 0, number);
  }
}

// The down arrow adds a section, the up arrow removes the last one; at the
// most sections the grid holds, a section more is refused by name rather
// than a row taken away.
void TForm_bq4bolt::UpDown1Click(bool up) {
  const int rows = StringGrid_boltgeo->rowCount();
  if (!up && rows >= kMaxBoltSections) {
    UpDown1->Position = kMaxBoltSections + 1;
    ShowMessageText("A bolt has at most " + IntToText(kMaxBoltSections) + " sections.");
    return;
  }
  StringGrid_boltgeo->setRowCount(std::clamp(UpDown1->Position - 1, 1, kMaxBoltSections));
  NumberGridRows();
}

void TForm_bq4bolt::ShowBoltTypeControls() {
  const bool own = SelfDefined();
  Button_sonder->setVisible(own);
  StringGrid_boltgeo->setEnabled(own);
  UpDown1->setVisible(own);
  for (QWidget* w : std::initializer_list<QWidget*>{Label_lschraube, Edit_lschraube, Label_lschraubeu,
                                                    Button_lschraube})
    w->setVisible(!own);
}

void TForm_bq4bolt::UpdateBoltTypeControls() {
  ShowBoltTypeControls();
  if (SelfDefined()) return;
  if (!StoreInput()) return;
  BuildBoltSections();
  FillForm();
}

void TForm_bq4bolt::Edit_lschraubeChange() {
  if (Filling || SelfDefined()) return;
  if (!StoreInput(false)) return;  // no message while the user is typing
  BuildBoltSections();
  FillGrid();
}

void TForm_bq4bolt::Button_sonderClick() {
  if (!StoreInput()) return;
  EditBoltSections();
  FillGrid();
}

void TForm_bq4bolt::UpdateToleranceControls() {
  const bool input = ComboBox_toleranzklasse->currentIndex() == 0;
  for (QWidget* w : std::initializer_list<QWidget*>{Label_d2, Edit_d2, Label_d2u, Button_d2, Label_d3, Edit_d3,
                                                    Label_d3u, Button_d3, Label_dmin, Edit_dmin, Label_dminu,
                                                    Button_dmin})
    w->setVisible(input);
}

// With pick, "Database" offers the endurance-limit table; a cancelled pick
// keeps the row chosen before.
void TForm_bq4bolt::UpdateEnduranceControls(bool pick) {
  const int item = ComboBox_dauerfest->currentIndex();
  if (pick && item == 2) {
    AbortFlag = 0;
    ShowBoltSigmaATable(1, Last.MatSaRow);
    if (!AbortFlag) Last.MatSaRow = static_cast<Word>(SelectedRecordNo);
    AbortFlag = 0;
  }
  const bool input = item == 3;
  for (QWidget* w : std::initializer_list<QWidget*>{Label_sigmaazul, Edit_sigmaazul, Label_sigmaazulu})
    w->setVisible(input);
}

void TForm_bq4bolt::Button_d2Click() { Edit_d2->setText(Length(ProposedPitchDiameter())); }
void TForm_bq4bolt::Button_d3Click() { Edit_d3->setText(Length(ProposedMinorDiameter())); }
void TForm_bq4bolt::Button_dminClick() { Edit_dmin->setText(Length(ProposedMinMajorDiameter())); }

void TForm_bq4bolt::Button_lschraubeClick() {
  AbortFlag = 0;
  const Extended minimum = 1.5L * Gewinde.d + Klemmstuecke.lK;
  Extended l = SelectBoltLength(minimum);
  if (l == 0) l = minimum;
  Edit_lschraube->setText(Length(l));
}

// A thread of another size takes the head row of the same head kind, the
// nut and the washers of that size with it, or nothing when a table lacks
// the size.
void TForm_bq4bolt::Button_gewindeClick() {
  AbortFlag = 0;
  if (!StoreInput()) return;
  PickBoltThread(1, "Database thread");
  AbortFlag = 0;
  FillControls();
}

// A head kind is taken with a row of its table; after Cancel the head,
// its kind included, stays as it was.
void TForm_bq4bolt::HeadPick() {
  const Word oldType = Schraube.HeadType, oldRow = Schraube.HeadRow;
  if (!StoreInput()) return;
  const int type = Schraube.HeadType;
  const TCalcTableNo table = type + 1;
  RowRecordKeeper record(table);
  OpenCalcTable(table);
  if (AbortFlag || type < 1 || type > 8) {
    AddErrorMessage("Fatal  : Database bolt head");
    CalcFatalFlag = 1;
    CloseDbfTable();
    AbortFlag = 0;
    return;
  }
  const std::string key = ThreadKeyText(Gewinde.d);
  FindDbfKey(key);
  const bool lacksSize = !DbfKeyFound();
  if (lacksSize) {
    AddErrorMessage("Fatal  : Database bolt head");
    ShowTraceMessage("Database: Append d= " + FloatToTextFix(2, Gewinde.d));
    Schraube.HeadRow = 0;
    DbfFirst();
    AbortFlag = 1;  // the head values stay as they were
    Button_schraubenkopf->setText(HeadButtonText());
  } else {
    if (Schraube.HeadRow == 0) Schraube.HeadRow = static_cast<Word>(DbfRecNo());
    if (DbfRecordCount() > 0) {
      SetDbfDialogCaptions("", HeadKindNames[type].view());
      if (Schraube.HeadRow >= 1 && Schraube.HeadRow <= DbfRecordCount()) {
        GotoDbfRecord(Schraube.HeadRow);
        CopyCalcRecord(table);
        if (!FloatEqual(HeadRowNominalDiameter(), Gewinde.d)) FindDbfKey(key);
      }
      CopyCalcRecord(table);
      if (PickHeadRowOfBoltSize(type, 1)) Schraube.HeadRow = static_cast<Word>(SelectedRecordNo);
    }
  }
  if (!AbortFlag) {
    record.Keep();
    CopyCalcRecord(table);
    CloseDbfTable();
    TakeHeadRowValues();
    Schraube.b = StandardThreadLength();
    FillForm();
  } else if (!lacksSize) {  // a kind whose table lacks the size stays, named on the button
    CloseDbfTable();
    Schraube.HeadType = oldType;
    Schraube.HeadRow = oldRow;
    ComboBox_schraubenkopf->setCurrentIndex(oldType >= 1 && oldType <= 8 ? oldType - 1 : 0);
    Button_schraubenkopf->setText(HeadButtonText());
  } else {
    CloseDbfTable();
  }
  AbortFlag = 0;
}

void TForm_bq4bolt::Button_schraubenkopfClick() {
  AbortFlag = 0;
  CalcFatalFlag = 0;
  HeadPick();
}

void TForm_bq4bolt::Button_werkstoffClick() {
  AbortFlag = 0;
  SetDbfDialogCaptions("", CalcTableCaption(kBoltMaterialTable));
  OpenCalcTable(kBoltMaterialTable);
  if (AbortFlag) {
    AddErrorMessage("Fatal  : Database MAT_BOLT");
    CloseDbfTable();
    return;
  }
  if (Schraube.MatBoltRow >= 1 && Schraube.MatBoltRow <= DbfRecordCount()) GotoDbfRecord(Schraube.MatBoltRow);
  ShowDbfDialog("", 1);
  if (!AbortFlag) {
    CopyCalcRecord(kBoltMaterialTable);
    Schraube.MatBoltRow = static_cast<Word>(SelectedRecordNo);
  }
  CloseDbfTable();
  Button_werkstoff->setText(Disp(MatBolt.StrengthClass));
}

namespace {

// A bolt that no calculation can take is refused by name; the form stays open.
// A thread longer than the last section is named, and the bolt is taken.
bool BoltSectionsUsable() {
  const SCHRAUBTYPE& s = Schraube;
  const int n = std::min<int>(s.nSections, kMaxBoltSections);
  if (n == 0) {
    ShowError("The bolt has no section: enter at least one (button \"bolt\").");
    return false;
  }
  const Extended b = LengthsFromSections(n).b;
  if (!ThreadFitsLastSection(n, b)) {
    const std::string unit = LengthUnitText();
    std::string text = "thread length lG = ";
    text += LengthToText(b) + " " + unit + " is longer than the last section (L = ";
    text += LengthToText(s.lSec[n]) + " " + unit + ") !";
    ShowInfo(text + "\nThe calculation takes the excess off the sections before the last.");
    AbortFlag = 0;
  }
  return true;
}

}  // namespace

void TForm_bq4bolt::Button_okClick() {
  AbortFlag = 0;
  if (!StoreInput() || !BoltSectionsUsable()) return;
  accept();
}

void TForm_bq4bolt::Button_cancelClick() { reject(); }

void TForm_bq4bolt::Button_hilfetextClick() {
  ShowHelpText(HelpNumber, "", 1);
  AbortFlag = 0;
}

void TForm_bq4bolt::Button_hilfebildClick() {
  ShowHelpText(HelpNumber, "", 2);
  AbortFlag = 0;
  BringToFront();
}

void TForm_bq4bolt::Button_metricClick() {
  if (!StoreInput()) return;
  Filling = 1;
  ToggleUnitSystem();
  FillForm();
  Filling = 0;
}

void RunBoltForm() {
  SetHelpNo(4350);  // the form's help: the bolt and its dimensions
  TForm_bq4bolt form;
  platform::ExecModal(form, "bolt");
}
