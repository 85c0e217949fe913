#include "framework/forms/number_fields.h"

#include <QByteArray>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "framework/charset.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "platform/qt_text.h"

namespace {

constexpr const char* kNameProperty = "bq4NumberField";
constexpr const char* kKindProperty = "bq4NumberKind";
constexpr const char* kLowProperty = "bq4NumberLow";
constexpr const char* kHighProperty = "bq4NumberHigh";
constexpr const char* kQuantityProperty = "bq4NumberQuantity";
constexpr const char* kTinyProperty = "bq4NumberTiny";

// The field's name as the user sees it beside the edit.
QString FieldName(const QLineEdit* edit, const QWidget* form) {
  QString name = edit->property(kNameProperty).toString();
  if (name.isEmpty()) {
    for (const QLabel* label : form->findChildren<QLabel*>())
      if (label->buddy() == edit && !label->text().trimmed().isEmpty()) {
        name = label->text();
        break;
      }
  }
  if (name.isEmpty()) name = edit->objectName();
  return name.remove('&').trimmed();
}

// Shown, or on a page of a tab control that is not the current one.
bool Offered(const QWidget* edit, const QWidget* form) {
  for (const QWidget* w = edit; w && w != form; w = w->parentWidget())
    if (w->isHidden() && !qobject_cast<const QStackedWidget*>(w->parentWidget())) return false;
  return true;
}

// Makes the pages that hold the edit current.
void BringPageToFront(QWidget* edit, const QWidget* form) {
  for (QWidget* w = edit; w && w != form; w = w->parentWidget()) {
    auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
    if (!stack) continue;
    if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) tabs->setCurrentWidget(w);
    else stack->setCurrentWidget(w);
  }
}

bool ReadNumber(std::string_view text, NumberKind kind, Extended& value) {
  if (kind == NumberKind::Integer) {
    int i = 0;
    if (!TryTextToInt(text, i)) return false;
    value = i;
    return true;
  }
  return TryTextToFloat(text, value) && std::isfinite(static_cast<double>(value));
}

TNumberRange RangeOf(const QLineEdit* edit) {
  TNumberRange r;
  const QVariant low = edit->property(kLowProperty), high = edit->property(kHighProperty);
  if (!low.isValid() || !high.isValid()) return r;
  r.lo = VariantExtended(low, 1);
  r.hi = VariantExtended(high, 0);
  r.quantity = static_cast<TQuantity>(edit->property(kQuantityProperty).toInt());
  r.tiny = VariantExtended(edit->property(kTinyProperty), 0);
  return r;
}

bool HasRange(const TNumberRange& r) { return r.lo <= r.hi; }

// Within the range; a limit that another unit rounds still counts. The
// smallest magnitude is checked on the value as stored, as the calculation
// checks it.
bool WithinRange(const TNumberRange& r, Extended value) {
  // Without a range of its own: no more than a file line can hold.
  if (!HasRange(r)) return std::fabs(value) <= kLargestStoredNumber;
  const Extended lo = QuantityToDisplay(r.quantity, r.lo), hi = QuantityToDisplay(r.quantity, r.hi);
  auto slack = [](Extended limit) { return 1e-9L * std::max(Extended(1), std::fabs(limit)); };
  if (value < lo - slack(lo) || value > hi + slack(hi)) return false;
  const Extended stored = QuantityFromDisplay(r.quantity, value);
  return stored == 0 || std::fabs(stored) >= r.tiny;
}

// A limit as the user can type it: a small one in exponent form, which
// the plain form would show as 0.
std::string LimitText(Extended x) {
  return x != 0 && std::fabs(x) < 1e-3L ? FloatToTextFitted(x, 0) : FloatToText(x);
}

std::string RangeText(const TNumberRange& r) {
  if (!HasRange(r)) return {};
  std::string unit = QuantityUnitText(r.quantity);
  if (!unit.empty()) unit = " " + unit;
  std::string text = "Valid Data are: " + LimitText(QuantityToDisplay(r.quantity, r.lo)) + " .. " +
                     LimitText(QuantityToDisplay(r.quantity, r.hi)) + unit + " !";
  if (r.tiny > 0)
    text += "  Other than 0 at least " + LimitText(QuantityToDisplay(r.quantity, r.tiny)) + unit +
            (r.lo < 0 ? " in size." : ".");
  return text;
}

}  // namespace

QVariant ExtendedVariant(Extended value) {
  return QByteArray(reinterpret_cast<const char*>(&value), static_cast<int>(sizeof value));
}

Extended VariantExtended(const QVariant& v, Extended fallback) {
  const QByteArray bytes = v.toByteArray();
  if (bytes.size() != static_cast<int>(sizeof fallback)) return fallback;
  Extended value = 0;
  std::memcpy(&value, bytes.constData(), sizeof value);
  return value;
}

void MarkNumberField(QLineEdit* edit, std::string_view name, NumberKind kind) {
  edit->setProperty(kNameProperty, platform::QStringFromDisplay(OemToAnsiStr(name)));
  edit->setProperty(kKindProperty, static_cast<int>(kind));
}

void SetNumberRange(QLineEdit* edit, Extended lo, Extended hi, TQuantity quantity, Extended tiny) {
  edit->setProperty(kLowProperty, ExtendedVariant(lo));
  edit->setProperty(kHighProperty, ExtendedVariant(hi));
  edit->setProperty(kQuantityProperty, static_cast<int>(quantity));
  edit->setProperty(kTinyProperty, ExtendedVariant(tiny));
}

bool StoredValueInRange(const QLineEdit* edit, Extended value) {
  const TNumberRange r = RangeOf(edit);
  if (!HasRange(r)) return true;
  return value >= r.lo && value <= r.hi && (value == 0 || std::fabs(value) >= r.tiny);
}

std::string NumberTextRefusal(std::string_view name, std::string_view text, NumberKind kind,
                              const TNumberRange& range, bool typed) {
  if (typed) {
    std::string ambiguous = AmbiguousNumberMessage(name, text, ShownDecimalSign());
    if (!ambiguous.empty()) return ambiguous;
  }
  Extended value = 0;
  if (ReadNumber(text, kind, value) && WithinRange(range, value)) return {};
  const std::string limits = RangeText(range);
  return std::string(name) + ": Invalid Input \"" + AnsiToOemText(std::string(text)) + "\" !" +
         (limits.empty() ? "" : "  " + limits);
}

bool AmbiguousNumberRefused(std::string_view name, std::string_view text, bool report) {
  const std::string message = AmbiguousNumberMessage(name, text, ShownDecimalSign());
  if (message.empty()) return false;
  if (report) ShowError(message);
  return true;
}

bool NumberFieldsValid(QWidget* form, bool report) {
  for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
    const QVariant kind = edit->property(kKindProperty);
    if (!kind.isValid() || !Offered(edit, form) || !edit->isEnabled() || edit->isReadOnly()) continue;
    const std::string text = platform::DisplayFromQString(edit->text().trimmed());
    const TNumberRange range = RangeOf(edit);
    // In a field with a range an empty text is no 0: the user cleared it and
    // has to say the value. Elsewhere it stands for the field's default.
    if (text.empty() && !HasRange(range)) continue;
    const std::string name = AnsiToOemText(platform::DisplayFromQString(FieldName(edit, form)));
    // Only what the user typed can read two ways: a text the form put there is its own.
    const std::string refusal =
        NumberTextRefusal(name, text, static_cast<NumberKind>(kind.toInt()), range, edit->isModified());
    if (refusal.empty()) continue;
    if (!report) return false;
    ShowError(refusal);
    BringPageToFront(edit, form);
    edit->setFocus();
    edit->selectAll();
    return false;
  }
  return true;
}
