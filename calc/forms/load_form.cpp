#include "calc/forms/load_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include "calc/input_ranges.h"
#include "calc/calculation.h"
#include "calc/design_defaults.h"
#include "calc/forms/calc_forms.h"
#include "calc/joint_records.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/picture_list_form.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/dialogs.h"

namespace {

QPushButton* SmallButton(QWidget* parent, const char* name, std::string_view caption, int width = 48) {
  QPushButton* b = MakeButton(parent, name, caption);
  b->setMinimumWidth(width);
  return b;
}

std::string PlateItem(int i) {
  const KLEMMSTUECKTYPE& k = Klemmstuecke;
  return "clamp.plate " + IntToText(i) + "  ( l= " + LengthToTextDigits(1, k.L[i]) +
         ", de= " + LengthToTextDigits(1, k.De[i]) + ", di= " + LengthToTextDigits(1, k.Di[i]) + " " +
         LengthUnitText() + ")";
}

// The chosen item is a clamped part, not the last item (head or nut).
bool IsPlateItem(const QComboBox* c) { return c->currentIndex() >= 0 && c->currentIndex() < c->count() - 1; }

std::string EmbeddingText(Extended mm) { return LengthToTextDigits(3, mm); }

// A required clamp load offered as FK reqd.: rounded up to the whole display
// unit, so that the value read back from it is not below the load itself.
std::string RequiredLoadText(Extended n) {
  Extended shown = std::ceil(ForceToDisplay(n));
  for (int i = 0; i < 2 && TextToForce(FloatToText(shown)) < n; ++i) shown += 1;
  return FloatToText(shown);
}

}  // namespace

TForm_bq4last::TForm_bq4last(QWidget* parent) : TCalcForm(parent) {
  AbortFlag = 0;  // a Cancel before is no reason to open the form empty
  setObjectName("TForm_bq4last");
  Filling = true;
  setWindowTitle(Disp(ProgShortName + " " + "Load"));
  auto* outer = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  outer->addLayout(columns);

  // Axial load
  GroupBox_fa = MakeGroup(this, "GroupBox_fa", "Axial load FA");
  auto* ga = new QGridLayout(GroupBox_fa);
  AddEditRow(GroupBox_fa, ga, 0, Label_fao, "Label_fao", "FA max", Edit_fao, "Edit_fao", Label_faou, "Label_faou");
  AddEditRow(GroupBox_fa, ga, 1, Label_fau, "Label_fau", "FA min", Edit_fau, "Edit_fau", Label_fauu, "Label_fauu");
  Button_statisch = SmallButton(GroupBox_fa, "Button_statisch", "statical", 70);
  ga->addWidget(Button_statisch, 1, 3);
  SetHint(Label_fao, 4600);
  SetHint(Label_fau, 4610);
  left->addWidget(GroupBox_fa);

  // Load introduction
  GroupBox_einl = MakeGroup(this, "GroupBox_einl", "load introduction, load introduction factor");
  auto* ge = new QGridLayout(GroupBox_einl);
  std::vector<std::string> plates;
  for (int i = 1; i <= Klemmstuecke.nPlates && i <= kMaxPlates; ++i) plates.push_back(PlateItem(i));
  auto first = plates, second = plates;
  first.push_back("bolt head");
  second.push_back("inner thread or nut");
  auto introRow = [&](int r, QLabel*& label, const char* ln, QComboBox*& combo, const char* cn,
                      const std::vector<std::string>& items, QLabel*& nLabel, const char* nln, const char* nCaption,
                      QLineEdit*& edit, const char* en, QPushButton*& b10, const char* b10n, QPushButton*& b05,
                      const char* b05n, QPushButton*& b00, const char* b00n) {
    label = MakeLabel(GroupBox_einl, ln, r == 0 ? "upper" : "lower");
    combo = MakeCombo(GroupBox_einl, cn, items);
    nLabel = MakeLabel(GroupBox_einl, nln, nCaption);
    edit = MakeEdit(GroupBox_einl, en, 60);
    MarkNumberField(edit, nCaption);
    b10 = SmallButton(GroupBox_einl, b10n, "1", 32);
    b05 = SmallButton(GroupBox_einl, b05n, ShownDecimalText("0.5"), 32);
    b00 = SmallButton(GroupBox_einl, b00n, "0", 32);
    ge->addWidget(label, r, 0);
    ge->addWidget(combo, r, 1);
    ge->addWidget(nLabel, r, 2);
    ge->addWidget(edit, r, 3);
    ge->addWidget(b10, r, 4);
    ge->addWidget(b05, r, 5);
    ge->addWidget(b00, r, 6);
  };
  introRow(0, Label_feinl, "Label_feinl", ComboBox_feinl, "ComboBox_feinl", first, Label_n1, "Label_n1", "n1",
           Edit_n1, "Edit_n1", Button_n110, "Button_n110", Button_n105, "Button_n105", Button_n100, "Button_n100");
  introRow(1, Label_fausl, "Label_fausl", ComboBox_fausl, "ComboBox_fausl", second, Label_n2, "Label_n2", "n2",
           Edit_n2, "Edit_n2", Button_n210, "Button_n210", Button_n205, "Button_n205", Button_n200, "Button_n200");
  auto* medium = MakeLabel(GroupBox_einl, "Label_medium", "medium");
  ge->addWidget(medium, 2, 1);
  Button_hbn = SmallButton(GroupBox_einl, "Button_hbn", "?", 28);
  ge->addWidget(Button_hbn, 2, 6);
  SetHint(Label_feinl, 4620);
  SetHint(Label_n1, 4630);
  SetHint(Label_fausl, 4640, "At which clamp.piece is the application of force ? ");
  SetHint(Label_n2, 4650, "load introduction factor n2: ");
  left->addWidget(GroupBox_einl);

  // Transverse load
  GroupBox_fq = MakeGroup(this, "GroupBox_fq", " transverse load FQ ");
  auto* gq = new QGridLayout(GroupBox_fq);
  AddEditRow(GroupBox_fq, gq, 0, Label_fq, "Label_fq", "FQ", Edit_fq, "Edit_fq", Label_fqu, "Label_fqu");
  Button_hblast = SmallButton(GroupBox_fq, "Button_hblast", "?", 28);
  gq->addWidget(Button_hblast, 0, 3);
  Label_fqtext = MakeLabel(GroupBox_fq, "Label_fqtext", "");
  Label_muetext = MakeLabel(GroupBox_fq, "Label_muetext", "");
  gq->addWidget(Label_fqtext, 1, 0, 1, 2);
  gq->addWidget(Label_muetext, 1, 2, 1, 2);
  SetHint(Label_fq, 4660);
  left->addWidget(GroupBox_fq);
  left->addStretch(1);

  // Embedding
  GroupBox_setz = MakeGroup(this, "GroupBox_setz", " loss of preload by embedding ");
  auto* gs = new QGridLayout(GroupBox_setz);
  AddEditRow(GroupBox_setz, gs, 0, Label_setz, "Label_setz", "amount of embedding", Edit_setz, "Edit_setz",
             Label_setzu, "Label_setzu");
  SetHint(Label_setz, 4390);
  int r = 1;
  auto proposal = [&](QLabel*& label, const char* ln, const char* caption, QPushButton*& button, const char* bn) {
    label = MakeLabel(GroupBox_setz, ln, caption);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    button = SmallButton(GroupBox_setz, bn, "", 70);
    gs->addWidget(label, r, 0);
    gs->addWidget(button, r, 1);
    ++r;
  };
  proposal(Label_setzvdi, "Label_setzvdi", "VDI 2230 (Release 1986)", Button_setzvdi, "Button_setzvdi");
  proposal(Label_setzgeschliffen, "Label_setzgeschliffen", "Vademecum (interface area grinded)",
           Button_setzgeschliffen, "Button_setzgeschliffen");
  proposal(Label_setzgedreht, "Label_setzgedreht", "Vademecum (interface area lathed)", Button_setzgedreht,
           "Button_setzgedreht");
  Label_vdi = MakeLabel(GroupBox_setz, "Label_vdi", "VDI 2230 (Rel.2003) - suggestions for steel materials");
  gs->addWidget(Label_vdi, r++, 0, 1, 3);
  proposal(Label_vdi99fein, "Label_vdi99fein", "Rz < 10 \xE6m", Button_vdi99fein, "Button_vdi99fein");
  proposal(Label_vdi99mittel, "Label_vdi99mittel", "10 <= Rz < 40 \xE6m", Button_vdi99mittel, "Button_vdi99mittel");
  proposal(Label_vdi99grob, "Label_vdi99grob", "40 <= Rz < 160 \xE6m", Button_vdi99grob, "Button_vdi99grob");
  right->addWidget(GroupBox_setz);

  // Required residual clamp load
  GroupBox_fkr = MakeGroup(this, "GroupBox_fkr", " reqd. residual clamping force ");
  auto* gk = new QGridLayout(GroupBox_fkr);
  AddEditRow(GroupBox_fkr, gk, 0, Label_fkr, "Label_fkr", "FK reqd.", Edit_fkr, "Edit_fkr", Label_fkru,
             "Label_fkru");
  SetHint(Label_fkr, 4670);
  Button_calc = SmallButton(GroupBox_fkr, "Button_calc", "<", 28);
  gk->addWidget(Button_calc, 0, 3);
  auto fkrRow = [&](int row, QLabel*& label, const char* ln, QPushButton*& button, const char* bn) {
    label = MakeLabel(GroupBox_fkr, ln, "");
    button = SmallButton(GroupBox_fkr, bn, "", 70);
    gk->addWidget(label, row, 0, 1, 2);
    gk->addWidget(button, row, 2, 1, 2);
  };
  fkrRow(1, Label_fkrfq, "Label_fkrfq", Button_fkrfq, "Button_fkrfq");
  fkrRow(2, Label_fkrmax, "Label_fkrmax", Button_fkrmax, "Button_fkrmax");
  fkrRow(3, Label_fkrexz, "Label_fkrexz", Button_fkrexz, "Button_fkrexz");
  right->addWidget(GroupBox_fkr);

  // Presets and chamfer
  auto* gp = new QGridLayout;
  AddEditRow(this, gp, 0, Label_fpre, "Label_fpre", "F pre", Edit_fpre, "Edit_fpre", Label_fpreu, "Label_fpreu");
  AddEditRow(this, gp, 1, Label_fapre, "Label_fapre", "FA pre", Edit_fapre, "Edit_fapre", Label_fapreu,
             "Label_fapreu");
  AddEditRow(this, gp, 2, Label_mapre, "Label_mapre", "MA pre", Edit_mapre, "Edit_mapre", Label_mapreu,
             "Label_mapreu");
  AddEditRow(this, gp, 3, Label_fase, "Label_fase", "- chamfer, cone", Edit_fase, "Edit_fase", Label_faseu,
             "Label_faseu");
  Button_fase = SmallButton(this, "Button_fase", "<", 28);
  gp->addWidget(Button_fase, 3, 3);
  Label_m = MakeLabel(this, "Label_m", "");
  Label_mtr = MakeLabel(this, "Label_mtr", "");
  gp->addWidget(Label_m, 3, 4);
  gp->addWidget(Label_mtr, 3, 5);
  SetHint(Label_fpre, 4680);
  SetHint(Label_fapre, 4685);
  SetHint(Label_mapre, 4690);
  SetHint(Label_fase, 4675);
  outer->addLayout(gp);

  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_hilfebild = MakeButton(this, "Button_hilfebild", "Aux. Image&s");
  Button_hilfetext = MakeButton(this, "Button_hilfetext", "&Help Text");
  Button_metric = MakeButton(this, "Button_metric", "N <--> psi");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_hilfetext, Button_hilfebild, Button_metric})
    bottom->addWidget(b);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);

  Label_m->setText(Disp("thread length engaged" + std::string(" m geo = ") + FloatToTextFix(1, MEngaged)));
  const int n = ComboBox_feinl->count() - 1;  // clamped parts in the lists
  ComboBox_feinl->setCurrentIndex(Last.LoadIntroPos1 >= 1 && Last.LoadIntroPos1 <= n + 1 ? Last.LoadIntroPos1 - 1 : n);
  ComboBox_fausl->setCurrentIndex(Last.LoadIntroPos2 >= 1 && Last.LoadIntroPos2 <= n + 1 ? Last.LoadIntroPos2 - 1 : n);

  if (!AbortFlag) {
    CalculateJoint();
    Label_fpre->setVisible(CalcOptions.FpreOn);
    Edit_fpre->setVisible(CalcOptions.FpreOn);
    Label_fpreu->setVisible(CalcOptions.FpreOn);
    Label_fapre->setVisible(CalcOptions.FApreOn);
    Edit_fapre->setVisible(CalcOptions.FApreOn);
    Label_fapreu->setVisible(CalcOptions.FApreOn);
    Label_mapre->setVisible(CalcOptions.MApreOn);
    Edit_mapre->setVisible(CalcOptions.MApreOn);
    Label_mapreu->setVisible(CalcOptions.MApreOn);
    Show();
    EnableProposals();
  }
  Filling = false;
  Edit_faseChange();
  ScaleCenterForm(*this);  // after filling: the captions set the size

  auto onClick = [this](QPushButton* b, auto handler) { connect(b, &QPushButton::clicked, this, handler); };
  auto copyTo = [this, onClick](QPushButton* b, QLineEdit* e) {
    onClick(b, [b, e] { e->setText(b->text()); });
  };
  // Static load: FA min takes FA max as stored, not as its rounded text.
  onClick(Button_statisch, [this] { CopyEditValue(Edit_fau, Edit_fao, ForceValue(Edit_fao, Last.FAmax)); });
  onClick(Button_n110, [this] { Edit_n1->setText("1"); });
  onClick(Button_n105, [this] { Edit_n1->setText(Disp(ShownDecimalText("0.5"))); });
  onClick(Button_n100, [this] { Edit_n1->setText("0"); });
  onClick(Button_n210, [this] { Edit_n2->setText("1"); });
  onClick(Button_n205, [this] { Edit_n2->setText(Disp(ShownDecimalText("0.5"))); });
  onClick(Button_n200, [this] { Edit_n2->setText("0"); });
  // An embedding proposal is taken as calculated, not as its rounded caption.
  const std::array<QPushButton*, 6> embedding = EmbeddingButtons();
  for (int k = 0; k < 6; ++k)
    onClick(embedding[k], [this, b = embedding[k], k] { TakeEditValue(Edit_setz, b->text(), EmbeddingProposals[k]); });
  for (QPushButton* b : {Button_fkrfq, Button_fkrmax, Button_fkrexz}) copyTo(b, Edit_fkr);
  onClick(Button_calc, [this] { Button_calcClick(); });
  onClick(Button_fase, [this] { Button_faseClick(); });
  onClick(Button_metric, [this] { Button_metricClick(); });
  onClick(Button_hblast, [this] { Button_hblastClick(); });
  onClick(Button_hbn, [this] { Button_hbnClick(); });
  onClick(Button_hilfebild, [this] { Button_hilfebildClick(); });
  onClick(Button_hilfetext, [this] { Button_hilfetextClick(); });
  onClick(Button_ok, [this] { Button_okClick(); });
  onClick(Button_cancel, [this] { Button_cancelClick(); });
  for (QLineEdit* e : {Edit_fao, Edit_setz, Edit_n1, Edit_n2, Edit_fpre, Edit_fapre})
    connect(e, &QLineEdit::textChanged, this, [this] { ProposalsOutdated(); });
  for (QComboBox* c : {ComboBox_feinl, ComboBox_fausl})
    connect(c, &QComboBox::currentIndexChanged, this, [this] {
      ProposalsOutdated();
      Refresh();
    });
  connect(Edit_fq, &QLineEdit::textChanged, this, [this] { Refresh(); });
  connect(Edit_fase, &QLineEdit::textChanged, this, [this] { Edit_faseChange(); });
  SetFieldRanges(this, {
      {"Edit_fao", InputRange::AxialLoad},
      {"Edit_fau", InputRange::AxialLoad},
      {"Edit_n1", InputRange::LoadIntroduction},
      {"Edit_n2", InputRange::LoadIntroduction},
      {"Edit_fq", InputRange::TransverseLoad},
      {"Edit_setz", InputRange::Embedding},
      {"Edit_fkr", InputRange::ClampLoad},
      {"Edit_fpre", InputRange::Preload},
      {"Edit_fapre", InputRange::PresetAxialLoad},
      {"Edit_mapre", InputRange::PresetTorque},
      {"Edit_fase", InputRange::Chamfer},
  });
}

std::array<QPushButton*, 6> TForm_bq4last::EmbeddingButtons() const {
  return {Button_setzvdi, Button_setzgeschliffen, Button_setzgedreht, Button_vdi99fein, Button_vdi99mittel,
          Button_vdi99grob};
}

void TForm_bq4last::Show() {
  const bool kept = Filling;
  Filling = true;
  for (QLabel* u : {Label_faou, Label_fauu, Label_fqu, Label_fkru, Label_fpreu, Label_fapreu})
    u->setText(Disp(ForceUnitText()));
  Label_setzu->setText(Disp(LengthUnitText()));
  Label_faseu->setText(Disp(LengthUnitText()));
  Label_mapreu->setText(Disp(MomentUnitText()));
  Edit_fao->setText(Disp(ForceToText(Last.FAmax)));
  Edit_fau->setText(Disp(ForceToText(Last.FAmin)));
  Edit_n1->setText(IsPlateItem(ComboBox_feinl) ? Disp(FloatToText(Last.n1)) : QString());
  Edit_n2->setText(IsPlateItem(ComboBox_fausl) ? Disp(FloatToText(Last.n2)) : QString());
  Edit_fq->setText(Disp(ForceToText(Last.FQ)));
  Edit_setz->setText(Disp(LengthToText(Verbindung.fZ)));
  Edit_fkr->setText(Disp(ForceToText(Last.FKreq)));
  Edit_fpre->setText(Disp(ForceToText(Last.Fpre)));
  Edit_fapre->setText(Disp(ForceToText(Last.FApre)));
  Edit_mapre->setText(Disp(MomentToText(Last.MApre)));
  Edit_fase->setText(Disp(LengthToText(Fase)));
  Filling = kept;
  Edit_faseChange();
  ShowEccentricProposal();
  Refresh();
}

void TForm_bq4last::ShowEccentricProposal() {
  const Extended fab = ExzKraftangriff.FAab;
  const bool shown = ExzKraftangriff.ExzCode == 2 && fab > 0;
  Label_fkrexz->setText(shown ? Disp("FK req by eccentric clamping: " + ForceToText(fab) + " " + ForceUnitText())
                              : QString());
  Button_fkrexz->setText(Disp(RequiredLoadText(fab)));
  Button_fkrexz->setVisible(shown);
}

void TForm_bq4last::Refresh() {
  const Extended d = Gewinde.d;
  const Extended fq = TextToForce(DisplayText(Edit_fq->text()));
  const int plates = Klemmstuecke.nPlates;
  if (d > 0) {
    Extended* p = EmbeddingProposals;
    p[0] = 3.29L * SafePower("", Klemmstuecke.lK / d, 0.34L) * 0.001L;
    p[1] = EmbeddingAmount(2, plates, fq);
    p[2] = EmbeddingAmount(1, plates, fq);
    for (int k = 0; k < 3; ++k) p[3 + k] = TotalEmbedding(k + 1, plates, Verbindung.JointKind, fq);
    for (int k = 0; k < 6; ++k) EmbeddingButtons()[k]->setText(Disp(EmbeddingText(p[k])));
  }
  const bool n1 = IsPlateItem(ComboBox_feinl), n2 = IsPlateItem(ComboBox_fausl);
  // A factor shown again starts from its stored value, not from an empty field.
  if (n1 && Edit_n1->text().trimmed().isEmpty()) Edit_n1->setText(Disp(FloatToText(Last.n1)));
  if (n2 && Edit_n2->text().trimmed().isEmpty()) Edit_n2->setText(Disp(FloatToText(Last.n2)));
  Edit_n1->setVisible(n1);
  Label_n1->setVisible(n1);
  Edit_n2->setVisible(n2);
  Label_n2->setVisible(n2);

  const Extended mu = Reibung.muTr;
  const std::string unit = " " + ForceUnitText();
  if (fq == 0 || mu == 0) {
    Label_fqtext->setText(fq == 0 ? QString() : Disp("Fatal: \xE6 Tr = 0 !"));
    Label_fkrfq->clear();
    Label_muetext->clear();
    Button_fkrfq->setVisible(false);
  } else {
    const Extended fk = fq / mu;
    Label_fkrfq->setText(Disp("FQ/\xE6 = " + ForceToText(fq) + "/" + FloatToText(mu) + " = " + ForceToText(fk) + unit));
    Label_muetext->setText(Disp("\xE6=" + FloatToTextFix(2, mu)));
    Label_fqtext->setText(Disp("FKmin=FQ/\xE6=" + ForceToText(fk) + unit));
    Button_fkrfq->setText(Disp(RequiredLoadText(fk)));
    Button_fkrfq->setVisible(true);
  }
  Label_fkrmax->setText(Disp("max=" + ForceToText(Last.FKRo) + unit + "  (FM max = FM)"));
  Button_fkrmax->setText(Disp(ForceToText(Last.FKRo)));
}

void TForm_bq4last::ProposalsOutdated() {
  if (Filling) return;
  Button_fkrmax->setEnabled(false);
  Button_fkrexz->setEnabled(false);
  Label_fkrmax->setVisible(false);
  Label_fkrexz->setVisible(false);
}

void TForm_bq4last::EnableProposals() {
  for (QPushButton* b : {Button_fkrfq, Button_fkrmax, Button_fkrexz}) b->setEnabled(true);
  Label_fkrmax->setVisible(true);
  Label_fkrexz->setVisible(true);
}

bool TForm_bq4last::StoreInput() {
  if (!NumberFieldsValid(this)) return false;
  LASTTYPE& l = Last;
  l.FAmax = ForceValue(Edit_fao, l.FAmax);
  l.FAmin = ForceValue(Edit_fau, l.FAmin);
  l.LoadIntroPos1 = static_cast<Word>(ComboBox_feinl->currentIndex() + 1);
  l.LoadIntroPos2 = static_cast<Word>(ComboBox_fausl->currentIndex() + 1);
  // A factor whose edit is hidden (head or nut chosen) keeps its value.
  if (IsPlateItem(ComboBox_feinl)) l.n1 = NumberValue(Edit_n1, l.n1);
  if (IsPlateItem(ComboBox_fausl)) l.n2 = NumberValue(Edit_n2, l.n2);
  l.FQ = ForceValue(Edit_fq, l.FQ);
  Verbindung.fZ = LengthValue(Edit_setz, Verbindung.fZ);
  l.FKreq = ForceValue(Edit_fkr, l.FKreq);
  l.Fpre = CalcOptions.FpreOn ? ForceValue(Edit_fpre, l.Fpre) : 0;
  l.FApre = CalcOptions.FApreOn ? ForceValue(Edit_fapre, l.FApre) : 0;
  l.MApre = CalcOptions.MApreOn ? MomentValue(Edit_mapre, l.MApre) : 0;
  Fase = LengthValue(Edit_fase, Fase);
  return true;
}

void TForm_bq4last::Edit_faseChange() {
  if (Filling) return;
  Fase = LengthValue(Edit_fase, Fase);
  Label_mtr->setText(Disp("m tr = " + FloatToTextFix(2, MEngaged) + " - " + FloatToTextFix(2, Fase) + " = " +
                          FloatToTextFix(2, MEngaged - Fase)));
}

void TForm_bq4last::Button_calcClick() {
  if (!StoreInput()) return;
  CalculateJoint();
  Refresh();
  ShowEccentricProposal();
  EnableProposals();
}

void TForm_bq4last::Button_faseClick() {
  const Extended p = Gewinde.P;
  Edit_fase->setText(Disp(LengthToText(Verbindung.JointKind == kJointTapped ? 3 * p : 2 * p)));
}

void TForm_bq4last::Button_metricClick() {
  if (!StoreInput()) return;
  ToggleUnitSystem();
  Show();
}

void TForm_bq4last::Button_hblastClick() {
  if (!StoreInput()) return;
  ShowHelpText(4660, "", 2);
  AbortFlag = 0;
  BringToFront();
}

void TForm_bq4last::Button_hbnClick() {
  if (!StoreInput()) return;
  ShowHelpText(4630, "", 2);
  AbortFlag = 0;
  BringToFront();
}

void TForm_bq4last::Button_hilfebildClick() {
  if (!StoreInput()) return;
  AuxGraphicsManager();  // the browser of all auxiliary pictures
  AbortFlag = 0;
  BringToFront();
}

void TForm_bq4last::Button_hilfetextClick() { ShowHelpText(3500, "", 1); }

void TForm_bq4last::Button_okClick() {
  AbortFlag = 0;
  if (!StoreInput()) return;
  accept();
}

void TForm_bq4last::Button_cancelClick() { reject(); }

void RunLoadForm() {
  TForm_bq4last form;
  platform::ExecModal(form, "load");
}
