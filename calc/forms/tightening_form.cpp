// Before any Qt header: the message list has a field named like a Qt macro.
#include "framework/calc_messages.h"

#include "calc/forms/tightening_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "calc/input_ranges.h"
#include "calc/calc_tables.h"
#include "calc/calculation.h"
#include "calc/forms/calc_forms.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "calc/table_rows.h"
#include "framework/charset.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/rounding_rule.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

QPushButton* Arrow(QWidget* parent, const char* name) {
  QPushButton* b = MakeButton(parent, name, "<");
  b->setFixedWidth(28);
  return b;
}

}  // namespace

TForm_bq4anzi::TForm_bq4anzi(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_bq4anzi");
  Filling = 1;
  setWindowTitle(Disp(ProgShortName + "  " + "tightening procedure"));
  auto* outer = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  outer->addLayout(columns);

  RadioGroup_vdi = new TRadioGroup(this, "RadioGroup_vdi", "calculation base FM, MA",
                                   {"VDI 2230 - 1986", "VDI 2230 - 2003"}, 2);
  SetHint(RadioGroup_vdi, 4860);
  left->addWidget(RadioGroup_vdi);
  RadioGroup_macode = new TRadioGroup(this, "RadioGroup_macode", "", {"v Re", "MA,max", "FM,max"}, 3);
  SetHint(RadioGroup_macode, 4830);
  left->addWidget(RadioGroup_macode);

  GroupBox_ma = MakeGroup(this, "GroupBox_ma", " MA max ");
  auto* gm = new QGridLayout(GroupBox_ma);
  QLabel* nuUnit = nullptr;
  AddEditRow(GroupBox_ma, gm, 0, Label_nuerp, "Label_nuerp", "yield point factor for tightening", Edit_nuerp,
             "Edit_nuerp", nuUnit, "Label_nuerpu");
  Button_nuerp = Arrow(GroupBox_ma, "Button_nuerp");
  gm->addWidget(Button_nuerp, 0, 3);
  AddEditRow(GroupBox_ma, gm, 1, Label_ma, "Label_ma", "", Edit_ma, "Edit_ma", Label_mau, "Label_mau");
  AddEditRow(GroupBox_ma, gm, 2, Label_fm, "Label_fm", "", Edit_fm, "Edit_fm", Label_fmu, "Label_fmu");
  SetHint(Label_nuerp, 4810);
  SetHint(Label_ma, 4820);
  SetHint(Label_fm, 4840);
  left->addWidget(GroupBox_ma);

  auto* gt = new QGridLayout;
  Label_montage = MakeLabel(this, "Label_montage", "tightening procedure");
  Edit_montage = MakeEdit(this, "Edit_montage", 220);
  Label_einstell = MakeLabel(this, "Label_einstell", "adjustment procedure");
  Edit_einstell = MakeEdit(this, "Edit_einstell", 220);
  Button_dbalphaa = MakeButton(this, "Button_dbalphaa", "DB");
  Button_dbalphaa->setFixedWidth(40);
  gt->addWidget(Label_montage, 0, 0);
  gt->addWidget(Edit_montage, 0, 1);
  gt->addWidget(Button_dbalphaa, 0, 2, 2, 1);
  gt->addWidget(Label_einstell, 1, 0);
  gt->addWidget(Edit_einstell, 1, 1);
  QLabel* ktauUnit = nullptr;
  QLabel* sigmaUnit = nullptr;
  AddEditRow(this, gt, 2, Label_ktau, "Label_ktau", "reduction coefficient k tau", Edit_ktau, "Edit_ktau", ktauUnit,
             "Label_ktauu");
  AddEditRow(this, gt, 3, Label_sigma, "Label_sigma", "Sigma", Edit_sigma, "Edit_sigma", sigmaUnit, "Label_sigmau");
  Button_ktau = Arrow(this, "Button_ktau");
  ButtonSigma = Arrow(this, "ButtonSigma");
  gt->addWidget(Button_ktau, 2, 2);
  gt->addWidget(ButtonSigma, 3, 2);
  SetHint(Label_ktau, 4850);
  SetHint(Label_sigma, 5040);
  left->addLayout(gt);
  RadioGroup_boltnut = new TRadioGroup(this, "RadioGroup_boltnut", "", {"Bolt driven", "Nut driven"}, 2);
  left->addWidget(RadioGroup_boltnut);
  left->addStretch(1);

  GroupBox_alphaa = MakeGroup(this, "GroupBox_alphaa", " MA min ");
  auto* ga = new QGridLayout(GroupBox_alphaa);
  RadioGroup_alphaa = new TRadioGroup(GroupBox_alphaa, "RadioGroup_alphaa", "",
                                      {"alpha A", "Tol MA %", "MA,min", "FM,min"}, 4);
  ga->addWidget(RadioGroup_alphaa, 0, 0, 1, 4);
  QLabel* alphaUnit = nullptr;
  AddEditRow(GroupBox_alphaa, ga, 1, Label_alphaa, "Label_alphaa", "Tightening Factor alpha A", Edit_alphaa,
             "Edit_alphaa", alphaUnit, "Label_alphaau");
  Button_alphaa = Arrow(GroupBox_alphaa, "Button_alphaa");
  Button_alphaa->setVisible(false);
  ga->addWidget(Button_alphaa, 1, 3);
  AddEditRow(GroupBox_alphaa, ga, 2, Label_tolma, "Label_tolma", "tolerance torque  MAtol/MA,nom", Edit_tolma,
             "Edit_tolma", Label4, "Label4");
  Label4->setText("%");
  AddEditRow(GroupBox_alphaa, ga, 3, Label_mamin, "Label_mamin", "min. tightening torque MA,min", Edit_mamin,
             "Edit_mamin", Label_maminu, "Label_maminu");
  AddEditRow(GroupBox_alphaa, ga, 4, Label_fmmin, "Label_fmmin", "min. assembly prestress. force FM,min", Edit_fmmin,
             "Edit_fmmin", Label_fmminu, "Label_fmminu");
  for (QLabel* l : {Label_alphaa, Label_tolma, Label_mamin, Label_fmmin}) SetHint(l, 4845);
  right->addWidget(GroupBox_alphaa);
  auto* results = MakeGroup(this, "GroupBox_results", "");
  auto* gr = new QVBoxLayout(results);
  Label_fmnom2 = MakeLabel(results, "Label_fmnom2", "");
  Label_mamin2 = MakeLabel(results, "Label_mamin2", "");
  Label_alpha2 = MakeLabel(results, "Label_alpha2", "");
  Label_mapre2 = MakeLabel(results, "Label_mapre2", "");
  Label_mueg2 = MakeLabel(results, "Label_mueg2", "");
  Label_muek2 = MakeLabel(results, "Label_muek2", "");
  for (QLabel* l : {Label_fmnom2, Label_mamin2, Label_alpha2, Label_mapre2, Label_mueg2, Label_muek2})
    gr->addWidget(l);
  right->addWidget(results);
  right->addStretch(1);

  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_help = MakeButton(this, "Button_help", "&Help Text");
  ButtonMetric = MakeButton(this, "ButtonMetric", "N <--> psi");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_help, ButtonMetric}) bottom->addWidget(b);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);

  if (!CalcOptions.FrictionTolerances) {
    RadioGroup_alphaa->SetItemIndex(0);
    RadioGroup_alphaa->setEnabled(false);
    Label_mamin2->setVisible(false);
  }
  ApplyDriveSideRule();
  Edit_ktau->setText(Disp(FloatToText(Montage.ktau)));
  FillForm();
  ScaleCenterForm(*this);  // after filling: the captions set the size

  for (QLineEdit* e : {Edit_nuerp, Edit_ma, Edit_fm, Edit_alphaa, Edit_tolma, Edit_mamin, Edit_fmmin})
    connect(e, &QLineEdit::textChanged, this, [this] { Recalc(); });
  RadioGroup_vdi->OnClick = [this] { Recalc(); };
  RadioGroup_boltnut->OnClick = [this] { Recalc(); };
  RadioGroup_macode->OnClick = [this] { RadioGroup_macodeClick(); };
  RadioGroup_alphaa->OnClick = [this] { RadioGroup_alphaaClick(); };
  auto onClick = [this](QPushButton* b, auto handler) { connect(b, &QPushButton::clicked, this, handler); };
  onClick(Button_nuerp, [this] { Edit_nuerp->setText(Disp(ShownDecimalText("0.9"))); });
  onClick(Button_ktau, [this] { Edit_ktau->setText(Disp(ShownDecimalText("0.5"))); });
  onClick(ButtonSigma, [this] { Edit_sigma->setText("3"); });
  onClick(Button_alphaa, [this] { Edit_alphaa->setText(Disp(ShownDecimalText("1.6"))); });
  onClick(Button_dbalphaa, [this] { Button_dbalphaaClick(); });
  onClick(Button_ok, [this] { Button_okClick(); });
  onClick(Button_cancel, [this] { Button_cancelClick(); });
  onClick(Button_help, [this] { Button_helpClick(); });
  onClick(ButtonMetric, [this] { ButtonMetricClick(); });
  SetFieldRanges(this, {
      {"Edit_nuerp", InputRange::YieldFactor},
      {"Edit_ma", InputRange::Torque},
      {"Edit_fm", InputRange::AssemblyPreload},
      {"Edit_ktau", InputRange::ReductionFactor},
      {"Edit_sigma", InputRange::SigmaFactor},
      {"Edit_alphaa", InputRange::TighteningFactor},
      {"Edit_tolma", InputRange::TorqueTolerance},
      {"Edit_mamin", InputRange::MinTorque},
      {"Edit_fmmin", InputRange::MinPreload},
  });
}

void TForm_bq4anzi::showEvent(QShowEvent* e) {
  FillForm();
  TCalcForm::showEvent(e);
}

void TForm_bq4anzi::ApplyDriveSideRule() {
  if (Verbindung.JointKind != kJointWithNut) {  // a tapped hole: the bolt is driven
    RadioGroup_boltnut->SetItemIndex(0);
    RadioGroup_boltnut->setEnabled(false);
  } else {
    RadioGroup_boltnut->setEnabled(true);
  }
}

void TForm_bq4anzi::ShowToolTexts() {
  Edit_montage->setText(Disp(Anzieh.Procedure));
  Edit_einstell->setText(Disp(Anzieh.Tool));
  Edit_ktau->setText(Disp(FloatToText(Anzieh.Dispersion)));
  SetEditText(Edit_alphaa, OemToAnsiStr(FloatToText(Anzieh.alphaA)));
}

void TForm_bq4anzi::FillForm() {
  Filling = 1;
  Label_mau->setText(Disp(MomentUnitText()));
  Label_maminu->setText(Disp(MomentUnitText()));
  Label_fmu->setText(Disp(ForceUnitText()));
  Label_fmminu->setText(Disp(ForceUnitText()));
  ApplyDriveSideRule();
  Edit_sigma->setText(Disp(FloatToText(Montage.sigmaFactor)));
  Label_ma->setText(Disp("tightening torque MA,max (" + MomentToText(Last.MA02) + "=" + "max" + ".)"));
  Label_fm->setText(Disp("assembly prestress. force FM,max (" + ForceToText(Last.FM02) + "=" + "max" + ".)"));
  Anzieh.alphaA = Montage.alphaA;
  Anzieh.Dispersion = Montage.ktau;
  ShowToolTexts();
  RadioGroup_vdi->SetItemIndex(CalcOptions.VdiEdition - 1);
  if (RadioGroup_boltnut->isEnabled()) RadioGroup_boltnut->SetItemIndex(Montage.DriveSide - 1);
  RadioGroup_macode->SetItemIndex(Montage.GivenQuantity - 1);
  switch (Montage.GivenQuantity) {
    case 1: Edit_nuerp->setText(Disp(FloatToText(Montage.nu))); break;
    case 2: Edit_ma->setText(Disp(MomentToText(Last.MA))); break;
    case 3: Edit_fm->setText(Disp(ForceToText(Last.FM))); break;
    default: break;
  }
  // Without friction tolerances the scatter is always stated by alpha A.
  const int choice = CalcOptions.FrictionTolerances ? Last.AlphaAChoice - 1 : 0;
  RadioGroup_alphaa->SetItemIndex(choice);
  switch (choice) {
    case 0: Edit_alphaa->setText(Disp(FloatToText(Montage.alphaA))); break;
    case 1: Edit_tolma->setText(Disp(FloatToText(Last.TorqueScatter * 100))); break;
    case 2: Edit_mamin->setText(Disp(MomentToText(Last.MAmin))); break;
    case 3: Edit_fmmin->setText(Disp(ForceToText(Last.FMminGiven))); break;
    default: break;
  }
  // A prevailing torque takes the utilisation as the given quantity. A torque
  // or preload given before it was switched on turns into the utilisation it
  // gives, so that the joint keeps it; one that gives none stays as given.
  bool toUtilisation = true;
  if (Last.MApre != 0 && Montage.GivenQuantity != 1) {
    const Extended stored = Montage.nu;
    Montage.nu = 0;
    CalculateJoint();
    toUtilisation = Montage.nu > 0;
    if (toUtilisation) Edit_nuerp->setText(Disp(FloatToText(Montage.nu)));
    else Montage.nu = stored;
  }
  if (toUtilisation) RadioGroup_macodeClick();
  else EnableGivenEdit();
  RadioGroup_alphaaClick();
  Filling = 0;
  Recalc();
  Label_mueg2->setText(Disp("\xE6G = " + MeanPercentText(Reibung.muGmin, Reibung.muGmax)));
  Label_muek2->setText(Disp("\xE6K = " + MeanPercentText(Reibung.muKmin, Reibung.muKmax)));
}

bool TForm_bq4anzi::StoreInput(bool report) {
  if (!NumberFieldsValid(this, report)) return false;
  if (Filling) return true;
  const int given = RadioGroup_macode->ItemIndex() + 1;
  if (given >= 1) Montage.GivenQuantity = static_cast<Word>(given);
  switch (given) {
    case 1: Montage.nu = NumberValue(Edit_nuerp, Montage.nu); break;
    case 2: Last.MA = MomentValue(Edit_ma, Last.MA); break;
    case 3: Last.FM = ForceValue(Edit_fm, Last.FM); break;
    default: break;
  }
  if (RadioGroup_vdi->ItemIndex() >= 0) CalcOptions.VdiEdition = static_cast<Word>(RadioGroup_vdi->ItemIndex() + 1);
  if (RadioGroup_boltnut->ItemIndex() >= 0) Montage.DriveSide = static_cast<Word>(RadioGroup_boltnut->ItemIndex() + 1);
  Montage.ktau = NumberValue(Edit_ktau, Montage.ktau);
  Anzieh.Dispersion = Montage.ktau;
  Anzieh.alphaA = NumberValue(Edit_alphaa, Montage.alphaA);
  Montage.alphaA = Anzieh.alphaA;
  Anzieh.Procedure = Stored(Edit_montage->text());
  Anzieh.Tool = Stored(Edit_einstell->text());
  Montage.sigmaFactor = NumberValue(Edit_sigma, Montage.sigmaFactor);
  const int choice = RadioGroup_alphaa->ItemIndex() + 1;
  if (choice >= 1) Last.AlphaAChoice = static_cast<Word>(choice);
  switch (choice) {
    case 1: break;  // alphaA, stored above
    case 2: {
      // Shown in percent: an unchanged text keeps the stored fraction.
      const Extended shown = Last.TorqueScatter * 100;
      const Extended percent = NumberValue(Edit_tolma, shown);
      if (percent != shown) Last.TorqueScatter = percent * 0.01L;
      break;
    }
    case 3: Last.MAmin = MomentValue(Edit_mamin, Last.MAmin); break;
    case 4: Last.FMminGiven = ForceValue(Edit_fmmin, Last.FMminGiven); break;
    default: break;
  }
  return true;
}

void TForm_bq4anzi::ShowScatterResults() {
  const int choice = Last.AlphaAChoice;
  if (choice != 1) SetEditText(Edit_alphaa, OemToAnsiStr(FloatToText(Montage.alphaA)));
  if (choice != 2) SetEditText(Edit_tolma, OemToAnsiStr(FloatToText(Last.TorqueScatter * 100)));
  if (choice != 3) SetEditText(Edit_mamin, OemToAnsiStr(MomentToText(Last.MAmin)));
  if (choice != 4) SetEditText(Edit_fmmin, OemToAnsiStr(ForceToText(Last.FMminGiven)));
}

void TForm_bq4anzi::Recalc() {
  // A result written into an edit may recalculate once more, not endlessly.
  if (Filling || RecalcDepth > 1) return;
  // A text that is no number yet waits for the user: no message per keystroke.
  if (!StoreInput(false)) return;
  ++RecalcDepth;
  CalculateJoint();
  // The quantities the run worked out from the given one. A run that stopped
  // before its tightening step worked out none: their fields stay empty
  // rather than show those of a run before.
  const bool reached = TighteningReached();
  const auto result = [reached](QLineEdit* edit, const std::string& text) {
    SetEditText(edit, reached ? text : std::string());
  };
  switch (Montage.GivenQuantity) {
    case 1:
      result(Edit_fm, ForceToText(Last.FM));
      result(Edit_ma, MomentToText(Last.MA));
      break;
    case 2:
      result(Edit_nuerp, FloatToText(Montage.nu));
      result(Edit_fm, ForceToText(Last.FM));
      break;
    case 3:
      result(Edit_nuerp, FloatToText(Montage.nu));
      result(Edit_ma, MomentToText(Last.MA));
      break;
    default: break;
  }
  // The labels show the minimum preload and torque the run used, which a
  // given quantity that left no tightening factor does not change. A run
  // that stopped before its tightening step has none of them, nor an angle:
  // those labels stay empty rather than mix its values with the project's.
  const TIGHTENINGUSEDTYPE used = TighteningShown();
  if (!reached) {
    Label_fmnom2->setText(QString());
    Label_mamin2->setText(QString());
    Label_alpha2->setText(QString());
  } else {
    Label_fmnom2->setText(
        Disp("FM = " + MeanPercentText(ForceToDisplay(used.FMminGiven), ForceToDisplay(Last.FM))));
    if (BelowBeyondRounding(Last.MA, used.MAmin)) {
      Label_mamin2->setText(Disp("MA min > MA !"));
    } else if (FloatEqual(Last.MAmean, 0)) {
      Label_mamin2->setText(Disp("MA ave = 0 !"));
    } else {
      Label_mamin2->setText(Disp("MA = " + MomentToText(Last.MAmean) + " " + MomentUnitText() + PlusMinusText() +
                                 FloatToTextFix(1, (Last.MAmean - used.MAmin) / Last.MAmean * 100) + " %"));
    }
    const Extended alpha = Montage.alphaA != 0 ? Montage.theta / Montage.alphaA : 0;
    Label_alpha2->setText(Disp("alpha = " + MeanPercentText(alpha, Montage.theta)));
  }
  Label_mapre2->setText(Last.MApre > 0 ? Disp("MA pre = " + MomentToText(Last.MApre) + " " + MomentUnitText())
                                       : QString());
  ShowScatterResults();
  --RecalcDepth;
}

void TForm_bq4anzi::RadioGroup_macodeClick() {
  if (Last.MApre != 0 && RadioGroup_macode->ItemIndex() != 0) RadioGroup_macode->SetItemIndex(0);
  EnableGivenEdit();
}

void TForm_bq4anzi::EnableGivenEdit() {
  const int item = RadioGroup_macode->ItemIndex();
  Edit_nuerp->setEnabled(item == 0);
  Button_nuerp->setEnabled(item == 0);
  Edit_ma->setEnabled(item == 1);
  Edit_fm->setEnabled(item == 2);
}

void TForm_bq4anzi::RadioGroup_alphaaClick() {
  const int item = RadioGroup_alphaa->ItemIndex();
  Edit_alphaa->setEnabled(item == 0);
  Edit_tolma->setEnabled(item == 1);
  Edit_mamin->setEnabled(item == 2);
  Edit_fmmin->setEnabled(item == 3);
}

void TForm_bq4anzi::Button_dbalphaaClick() {
  if (PickTighteningTool(1, "select tightening procedure and tool")) ShowToolTexts();
}

void TForm_bq4anzi::Button_okClick() {
  AbortFlag = 0;
  if (!StoreInput()) return;
  accept();
}

void TForm_bq4anzi::Button_cancelClick() { reject(); }

void TForm_bq4anzi::Button_helpClick() {
  ShowHelpText(4830, "", 1);
  AbortFlag = 0;
}

void TForm_bq4anzi::ButtonMetricClick() {
  if (!StoreInput()) return;
  ToggleUnitSystem();
  FillForm();
}

void RunTighteningForm() {
  if (Klemmstuecke.nPlates == 0 || Schraube.nSections == 0) {
    ShowTraceMessage("Please enter first bolt and clampng pieces");
    AbortFlag = 1;  // refused: nothing changed
    return;
  }
  TForm_bq4anzi form;
  platform::ExecModal(form, "tightening procedure");
}
