#include "calc/forms/eccentric_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include "calc/input_ranges.h"
#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/math_utils.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

Extended Pow4(Extended x) { return SafePower("", x, 4); }

// Diameter of the interface area AD around a bore di.
Extended SealingDiameter(Extended di, Extended ad) {
  const Extended d2 = di * di + 4 * ad / kPi;
  return d2 > 0 ? std::sqrt(d2) : 0;
}

}  // namespace

TForm_exz::TForm_exz(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_exz");
  ShowOpeningPicture(4710);  // the sketch of the eccentric joint
  setWindowTitle(Disp(ProgShortName + " " + "eccentric load"));
  auto* outer = new QVBoxLayout(this);
  auto* g = new QGridLayout;
  int row = 0;
  auto add = [&](QLabel*& label, const char* ln, const char* caption, Word hint, QLineEdit*& edit, const char* en,
                 QLabel*& unit, const char* un, QPushButton** button, const char* bn) {
    AddEditRow(this, g, row, label, ln, caption, edit, en, unit, un);
    SetHint(label, hint);
    if (button) {
      *button = MakeButton(this, bn, "<");
      (*button)->setFixedWidth(28);
      g->addWidget(*button, row, 3);
    }
    ++row;
  };
  add(Label_s, "Label_s", "dist.betw.bolt axis and axis of gravity s", 4710, Edit_s, "Edit_s", Label_su, "Label_su",
      nullptr, nullptr);
  add(Label_a, "Label_a", "dist.betw.FA axis and axis of gravity a", 4720, Edit_a, "Edit_a", Label_au, "Label_au",
      nullptr, nullptr);
  add(Label_u, "Label_u", "edge dist.of U from gravity axis u", 4730, Edit_u, "Edit_u", Label_uu, "Label_uu",
      &Button_u, "Button_u");
  add(Label_v, "Label_v", "edge dist.of V from gravity axis v", 4740, Edit_v, "Edit_v", Label_vu, "Label_vu",
      &Button_v, "Button_v");
  add(Label_ad, "Label_ad", "sealing area (interf.area less bore) AD", 4760, Edit_ad, "Edit_ad", Label_adu,
      "Label_adu", &Button_ad, "Button_ad");
  add(Label_ibt, "Label_ibt", "Mom.of gyration of interface area IBT", 4770, Edit_ibt, "Edit_ibt", Label_ibtu,
      "Label_ibtu", &Button_ibt, "Button_ibt");
  add(Label_ibers, "Label_ibers", "Equ.moment of gyration bending body IBers", 4780, Edit_ibers, "Edit_ibers",
      Label_ibersu, "Label_ibersu", &Button_ibers, "Button_ibers");
  add(Label_i_bers, "Label_i_bers", "Equ.moment of gyration bend.-holl.body I'Bers", 4790, Edit_i_bers,
      "Edit_i_bers", Label_i_bersu, "Label_i_bersu", &Button_i_bers, "Button_i_bers");
  Label_iklemm = MakeLabel(this, "Label_iklemm", "seam for bending body calculation");
  Label_iklemm->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  SetHint(Label_iklemm, 4750);
  ComboBox_iklemm = MakeCombo(this, "ComboBox_iklemm", {});
  g->addWidget(Label_iklemm, row, 0);
  g->addWidget(ComboBox_iklemm, row, 1, 1, 3);
  outer->addLayout(g);
  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_help = MakeButton(this, "Button_help", "&Help Text");
  Button_metric = MakeButton(this, "Button_metric", "mm <--> inch");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_help, Button_metric}) bottom->addWidget(b);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);
  ScaleCenterForm(*this);

  // The seam: with three or more parts the user chooses it.
  const int n = Klemmstuecke.nPlates;
  const bool choose = n >= 3;
  Label_iklemm->setVisible(choose);
  ComboBox_iklemm->setVisible(choose);
  if (choose) {
    for (int i = 1; i < n && i <= kMaxPlates; ++i)
      ComboBox_iklemm->addItem(Disp("between clamping piece " + IntToText(i) + " " + "and" + " " + IntToText(i + 1)));
  } else if (n == 2 || (n == 1 && Verbindung.JointKind == kJointTapped)) {
    ExzKraftangriff.SeamPart = 1;
  } else {
    ShowMessageText("Calculation of eccentric load only for a minimum of 2 clamping pieces !");
  }

  // Second moments that are 0 get the values of the sealing area around the bore.
  EXZTYPE& e = ExzKraftangriff;
  const Extended di = Klemmstuecke.Di[SeamIndex()];
  const Extended d = SealingDiameter(di, e.AD);
  if (e.IBT == 0) e.IBT = (Pow4(d) - Pow4(di)) * kPi / 64;
  if (e.IBers == 0) e.IBers = Pow4(d) * kPi / 64;
  if (e.IBersPrime == 0) e.IBersPrime = e.IBers - Pow4(di) * kPi / 64;
  FormShow();

  connect(ComboBox_iklemm, &QComboBox::currentIndexChanged, this, [this] { ComboBox_iklemmChange(); });
  connect(Button_u, &QPushButton::clicked, this, [this] { Button_uClick(); });
  connect(Button_v, &QPushButton::clicked, this, [this] { Button_vClick(); });
  connect(Button_ad, &QPushButton::clicked, this, [this] { Button_adClick(); });
  connect(Button_ibt, &QPushButton::clicked, this, [this] { Button_ibtClick(); });
  connect(Button_ibers, &QPushButton::clicked, this, [this] { Button_ibersClick(); });
  connect(Button_i_bers, &QPushButton::clicked, this, [this] { Button_i_bersClick(); });
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_help, &QPushButton::clicked, this, [this] { Button_helpClick(); });
  connect(Button_metric, &QPushButton::clicked, this, [this] { Button_metricClick(); });
  SetFieldRanges(this, {
      {"Edit_s", InputRange::Eccentricity},
      {"Edit_a", InputRange::Eccentricity},
      {"Edit_u", InputRange::Eccentricity},
      {"Edit_v", InputRange::Eccentricity},
      {"Edit_ad", InputRange::SealingArea},
      {"Edit_ibt", InputRange::Inertia},
      {"Edit_ibers", InputRange::Inertia},
      {"Edit_i_bers", InputRange::Inertia},
  });
}

int TForm_exz::SeamIndex() const {
  const int i = ExzKraftangriff.SeamPart;
  return i < 1 ? 1 : (i > kMaxPlates ? kMaxPlates : i);
}

void TForm_exz::showEvent(QShowEvent* e) {
  FormShow();
  TCalcForm::showEvent(e);
}

void TForm_exz::FormShow() {
  const EXZTYPE& e = ExzKraftangriff;
  for (QLabel* u : {Label_su, Label_au, Label_uu, Label_vu}) u->setText(Disp(LengthUnitText()));
  Label_adu->setText(Disp(AreaUnitText()));
  for (QLabel* u : {Label_ibtu, Label_ibersu, Label_i_bersu}) u->setText(Disp(InertiaUnitText()));
  Edit_s->setText(Disp(LengthToText(e.s)));
  Edit_a->setText(Disp(LengthToText(e.a)));
  Edit_u->setText(Disp(LengthToText(e.u)));
  Edit_v->setText(Disp(LengthToText(e.v)));
  Edit_ad->setText(Disp(AreaToText(e.AD)));
  Edit_ibt->setText(Disp(InertiaToText(e.IBT)));
  Edit_ibers->setText(Disp(InertiaToText(e.IBers)));
  Edit_i_bers->setText(Disp(InertiaToText(e.IBersPrime)));
  if (ComboBox_iklemm->count() > 0) {
    const bool kept = ComboBox_iklemm->blockSignals(true);
    ComboBox_iklemm->setCurrentIndex(e.SeamPart >= 1 && e.SeamPart <= ComboBox_iklemm->count() ? e.SeamPart - 1 : -1);
    ComboBox_iklemm->blockSignals(kept);
  }
}

bool TForm_exz::StoreInput() {
  if (!NumberFieldsValid(this)) return false;
  EXZTYPE& e = ExzKraftangriff;
  e.s = LengthValue(Edit_s, e.s);
  e.a = LengthValue(Edit_a, e.a);
  e.u = LengthValue(Edit_u, e.u);
  e.v = LengthValue(Edit_v, e.v);
  e.AD = AreaValue(Edit_ad, e.AD);
  e.IBT = InertiaValue(Edit_ibt, e.IBT);
  e.IBers = InertiaValue(Edit_ibers, e.IBers);
  e.IBersPrime = InertiaValue(Edit_i_bers, e.IBersPrime);
  if (ComboBox_iklemm->isVisible() || ComboBox_iklemm->count() > 0)
    if (ComboBox_iklemm->currentIndex() >= 0) e.SeamPart = static_cast<Word>(ComboBox_iklemm->currentIndex() + 1);
  return true;
}

void TForm_exz::ComboBox_iklemmChange() {
  if (ComboBox_iklemm->currentIndex() >= 0)
    ExzKraftangriff.SeamPart = static_cast<Word>(ComboBox_iklemm->currentIndex() + 1);
}

void TForm_exz::Button_uClick() { Edit_u->setText(Disp(LengthToText(Klemmstuecke.De[SeamIndex()] / 2))); }

// v takes u as stored, not as its rounded text.
void TForm_exz::Button_vClick() { CopyEditValue(Edit_v, Edit_u, LengthValue(Edit_u, ExzKraftangriff.u)); }

void TForm_exz::Button_adClick() {
  const Extended de = Klemmstuecke.De[SeamIndex()], di = Klemmstuecke.Di[SeamIndex()];
  Edit_ad->setText(Disp(AreaToText((de * de - di * di) * kPi / 4)));
}

void TForm_exz::Button_ibtClick() {
  const Extended di = Klemmstuecke.Di[SeamIndex()];
  const Extended d = SealingDiameter(di, TextToArea(DisplayText(Edit_ad->text())));
  Edit_ibt->setText(Disp(InertiaToText((Pow4(d) - Pow4(di)) * kPi / 64)));
}

void TForm_exz::Button_ibersClick() {
  const Extended di = Klemmstuecke.Di[SeamIndex()];
  const Extended d = SealingDiameter(di, TextToArea(DisplayText(Edit_ad->text())));
  Edit_ibers->setText(Disp(InertiaToText(Pow4(d) * kPi / 64)));
}

void TForm_exz::Button_i_bersClick() {
  const Extended di = Klemmstuecke.Di[SeamIndex()];
  Edit_i_bers->setText(
      Disp(InertiaToText(TextToInertia(DisplayText(Edit_ibers->text())) - Pow4(di) * kPi / 64)));
}

void TForm_exz::Button_okClick() {
  AbortFlag = 0;
  if (!StoreInput()) return;
  accept();
}

void TForm_exz::Button_cancelClick() { reject(); }

void TForm_exz::Button_helpClick() { ShowHelpText(4700, "", 1); }

void TForm_exz::Button_metricClick() {
  if (!StoreInput()) return;
  ToggleUnitSystem();
  FormShow();
}

void RunEccentricForm() {
  TForm_exz form;
  platform::ExecModal(form, "eccentric load");
}
