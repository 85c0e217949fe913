#include "calc/forms/form_support.h"

#include "calc/input_ranges.h"
#include "calc/joint_state.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "framework/forms/help_key.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "platform/qt_text.h"

// OemToAnsiStr applies the character-set mode; each character then shows as itself.
QString Disp(std::string_view stored) { return ShownDisplayText(OemToAnsiStr(stored)); }

std::string Stored(const QString& text) { return StoredText(text); }

std::string DisplayText(const QString& text) { return DisplayTextOf(text.trimmed()); }

QPushButton* MakeButton(QWidget* parent, const char* name, std::string_view caption) {
  auto* b = new QPushButton(Disp(caption), parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, std::string_view caption) {
  auto* l = new QLabel(Disp(caption), parent);
  l->setObjectName(name);
  return l;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int width) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  if (width > 0) e->setMinimumWidth(width);
  e->setMaximumWidth(width > 0 ? width + 60 : 160);  // numbers need no more room
  return e;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const std::vector<std::string>& items) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  for (const auto& item : items) c->addItem(Disp(item));
  c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return c;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, std::string_view caption) {
  auto* g = new QGroupBox(Disp(caption), parent);
  g->setObjectName(name);
  return g;
}

void AddEditRow(QWidget* parent, QGridLayout* grid, int row, QLabel*& label, const char* labelName,
                std::string_view caption, QLineEdit*& edit, const char* editName, QLabel*& unit,
                const char* unitName) {
  label = MakeLabel(parent, labelName, caption);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edit = MakeEdit(parent, editName);
  unit = MakeLabel(parent, unitName, "");
  unit->setMinimumWidth(36);
  label->setBuddy(edit);
  MarkNumberField(edit);
  grid->addWidget(label, row, 0);
  grid->addWidget(edit, row, 1);
  grid->addWidget(unit, row, 2);
}

namespace {

constexpr const char* kTakenTextProperty = "bq4TakenText";
constexpr const char* kTakenValueProperty = "bq4TakenValue";
constexpr const char* kTakenHookProperty = "bq4TakenHook";

// The value an edit was given with its text (TakeEditValue), while it still
// shows that text and the user has not typed into it.
bool TakenValue(const QLineEdit* e, Extended& value) {
  const QVariant text = e->property(kTakenTextProperty);
  if (e->isModified() || !text.isValid() || text.toString() != e->text()) return false;
  value = VariantExtended(e->property(kTakenValueProperty), value);
  return true;
}

Extended EditValue(const QLineEdit* e, Extended stored, std::string (*show)(Extended),
                   Extended (*read)(std::string_view)) {
  Extended taken = 0;
  if (TakenValue(e, taken)) return taken;
  const std::string text = DisplayText(e->text());
  // What the user typed is read as typed, even where it equals the text
  // shown; so is the text of an open field whose stored value the
  // calculation would refuse (the text passed the field's check).
  const bool usable = !e->isEnabled() || StoredValueInRange(e, stored);
  const bool kept = !e->isModified() && text == OemToAnsiStr(show(stored)) && usable;
  return kept ? stored : read(text);
}

}  // namespace

void TakeEditValue(QLineEdit* e, const QString& text, Extended value) {
  // Any other text, or a keystroke, ends what the value stood for.
  if (!e->property(kTakenHookProperty).toBool()) {
    e->setProperty(kTakenHookProperty, true);
    QObject::connect(e, &QLineEdit::textChanged, e, [e](const QString& now) {
      if (now != e->property(kTakenTextProperty).toString()) e->setProperty(kTakenTextProperty, QVariant());
    });
    QObject::connect(e, &QLineEdit::textEdited, e, [e] { e->setProperty(kTakenTextProperty, QVariant()); });
  }
  e->setProperty(kTakenTextProperty, QVariant());
  e->setText(text);
  e->setProperty(kTakenTextProperty, text);
  e->setProperty(kTakenValueProperty, ExtendedVariant(value));
}

void CopyEditValue(QLineEdit* to, const QLineEdit* from, Extended fromValue) {
  if (from->isModified()) {  // typed: the copy reads as the same typed text
    to->setText(from->text());
    to->setModified(true);
  } else {
    TakeEditValue(to, from->text(), fromValue);
  }
}

Extended LengthValue(const QLineEdit* e, Extended stored) { return EditValue(e, stored, LengthToText, TextToLength); }
Extended ForceValue(const QLineEdit* e, Extended stored) { return EditValue(e, stored, ForceToText, TextToForce); }
Extended MomentValue(const QLineEdit* e, Extended stored) { return EditValue(e, stored, MomentToText, TextToMoment); }
Extended StressValue(const QLineEdit* e, Extended stored) { return EditValue(e, stored, StressToText, TextToStress); }
Extended AreaValue(const QLineEdit* e, Extended stored) { return EditValue(e, stored, AreaToText, TextToArea); }
Extended InertiaValue(const QLineEdit* e, Extended stored) {
  return EditValue(e, stored, InertiaToText, TextToInertia);
}
Extended NumberValue(const QLineEdit* e, Extended stored) { return EditValue(e, stored, FloatToText, TextToFloat); }

void SetFieldRanges(QWidget* form, std::initializer_list<std::pair<const char*, const TInputRange&>> ranges) {
  for (const auto& [name, range] : ranges)
    if (auto* edit = form->findChild<QLineEdit*>(name))
      SetNumberRange(edit, range.lo, range.hi, range.quantity, range.tiny);
}

void SetHint(QWidget* w, Word helpNo, std::string_view prefix) {
  SetWidgetHelpNumber(w, helpNo);
  const Byte keptAbort = AbortFlag;  // the help lookup clears it
  std::string text;
  GetHelpEntryText(helpNo, text);
  AbortFlag = keptAbort;
  w->setToolTip(platform::QStringFromDisplay(OemToAnsiStr(prefix) + text));
}

void ShowOpeningPicture(Word helpNo) { ShowHelpPictureIfNamed(helpNo); }

void SetEditText(QLineEdit* edit, const std::string& text) {
  const QString t = platform::QStringFromDisplay(text);
  if (edit->text() != t) edit->setText(t);
}

// ---------------------------------------------------------------------------

TRadioGroup::TRadioGroup(QWidget* parent, const char* name, std::string_view caption,
                         const std::vector<std::string>& items, int columns)
    : QGroupBox(Disp(caption), parent), Buttons(new QButtonGroup(this)) {
  setObjectName(name);
  auto* lay = new QGridLayout(this);
  const int n = static_cast<int>(items.size());
  const int rows = columns > 1 ? (n + columns - 1) / columns : n;
  for (int i = 0; i < n; ++i) {
    auto* r = new QRadioButton(Disp(items[i]), this);
    r->setObjectName(QString("%1_%2").arg(name).arg(i));
    Buttons->addButton(r, i);
    lay->addWidget(r, rows ? i % rows : 0, rows ? i / rows : 0);
  }
  // A choice counts when it changes, by a click or by a script; SetItemIndex
  // does not count.
  connect(Buttons, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on && !Filling && OnClick) OnClick();
  });
}

int TRadioGroup::ItemIndex() const { return Buttons->checkedId(); }

void TRadioGroup::SetItemIndex(int i) {
  Filling = true;
  if (auto* b = Buttons->button(i)) {
    b->setChecked(true);
  } else if (auto* c = Buttons->checkedButton()) {
    Buttons->setExclusive(false);
    c->setChecked(false);
    Buttons->setExclusive(true);
  }
  Filling = false;
}

int TRadioGroup::Count() const { return static_cast<int>(Buttons->buttons().size()); }

// ---------------------------------------------------------------------------

TUpDown::TUpDown(QWidget* parent, const char* name, bool vertical) : QWidget(parent) {
  setObjectName(name);
  ButtonUp = new QToolButton(this);
  ButtonDown = new QToolButton(this);
  ButtonUp->setObjectName(QString(name) + "_up");
  ButtonDown->setObjectName(QString(name) + "_down");
  ButtonUp->setArrowType(vertical ? Qt::UpArrow : Qt::RightArrow);
  ButtonDown->setArrowType(vertical ? Qt::DownArrow : Qt::LeftArrow);
  QBoxLayout* lay = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(this))
                             : static_cast<QBoxLayout*>(new QHBoxLayout(this));
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(0);
  lay->addWidget(ButtonUp);
  lay->addWidget(ButtonDown);
  connect(ButtonUp, &QToolButton::clicked, this, [this] { Click(true); });
  connect(ButtonDown, &QToolButton::clicked, this, [this] { Click(false); });
}

void TUpDown::Click(bool up) {
  int p = Position + (up ? Increment : -Increment);
  if (p > Max) p = Wrap ? Min : Max;
  if (p < Min) p = Wrap ? Max : Min;
  Position = p;
  if (OnClick) OnClick(up);
}

// ---------------------------------------------------------------------------

TCalcForm::TCalcForm(QWidget* parent)
    : QDialog(parent), Opened(std::make_unique<TJointState>()), OpenedUnits(UnitSystem) {
  OwnByOpeningWindow(*this);
}

TCalcForm::~TCalcForm() = default;

void TCalcForm::KeepAsOpened() { Opened = std::make_unique<TJointState>(); }

void TCalcForm::reject() {
  Opened->Restore();
  UnitSystem = OpenedUnits;
  AbortFlag = 1;
  QDialog::reject();
}

void TCalcForm::showEvent(QShowEvent* e) {
  const QSize wanted = sizeHint().expandedTo(size());
  if (wanted != size()) resize(wanted);
  QDialog::showEvent(e);
}

void TCalcForm::BringToFront() {
  raise();
  activateWindow();
}
