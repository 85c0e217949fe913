#include "framework/forms/number_fields.h"

#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>

#include <algorithm>
#include <cmath>
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

bool ReadNumber(const std::string& text, NumberKind kind, Extended& value) {
  if (kind == NumberKind::Integer) {
    int i = 0;
    if (!TryTextToInt(text, i)) return false;
    value = i;
    return true;
  }
  return TryTextToFloat(text, value) && std::isfinite(static_cast<double>(value));
}

// The edit's range in the unit it shows; false when it has none.
bool ShownRange(const QLineEdit* edit, Extended& lo, Extended& hi, TQuantity& quantity) {
  const QVariant low = edit->property(kLowProperty), high = edit->property(kHighProperty);
  if (!low.isValid() || !high.isValid()) return false;
  quantity = static_cast<TQuantity>(edit->property(kQuantityProperty).toInt());
  lo = QuantityToDisplay(quantity, low.toDouble());
  hi = QuantityToDisplay(quantity, high.toDouble());
  return true;
}

// Within the edit's range; a limit that another unit rounds still counts.
bool WithinRange(const QLineEdit* edit, Extended value) {
  Extended lo = 0, hi = 0;
  TQuantity quantity{};
  // Without a range of its own: no more than a file line can hold.
  if (!ShownRange(edit, lo, hi, quantity)) return std::fabs(value) <= kLargestStoredNumber;
  auto slack = [](Extended limit) { return 1e-9L * std::max(Extended(1), std::fabs(limit)); };
  return value >= lo - slack(lo) && value <= hi + slack(hi);
}

std::string RangeText(const QLineEdit* edit) {
  Extended lo = 0, hi = 0;
  TQuantity quantity{};
  if (!ShownRange(edit, lo, hi, quantity)) return {};
  std::string unit = QuantityUnitText(quantity);
  if (!unit.empty()) unit = " " + unit;
  return "Valid Data are: " + FloatToText(lo) + " .. " + FloatToText(hi) + unit + " !";
}

}  // namespace

void MarkNumberField(QLineEdit* edit, std::string_view name, NumberKind kind) {
  edit->setProperty(kNameProperty, platform::QStringFromDisplay(OemToAnsiStr(name)));
  edit->setProperty(kKindProperty, static_cast<int>(kind));
}

void SetNumberRange(QLineEdit* edit, Extended lo, Extended hi, TQuantity quantity) {
  edit->setProperty(kLowProperty, static_cast<double>(lo));
  edit->setProperty(kHighProperty, static_cast<double>(hi));
  edit->setProperty(kQuantityProperty, static_cast<int>(quantity));
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
    Extended value = 0;
    // In a field with a range an empty text is no 0: the user cleared it and
    // has to say the value. Elsewhere it stands for the field's default.
    const bool ranged = edit->property(kLowProperty).isValid();
    if (text.empty() && !ranged) continue;
    // Only what the user typed: a text the form put there is its own.
    const bool ambiguous = edit->isModified() && !AmbiguousNumberMessage({}, text, ShownDecimalSign()).empty();
    if (!ambiguous && ReadNumber(text, static_cast<NumberKind>(kind.toInt()), value) && WithinRange(edit, value))
      continue;
    if (!report) return false;
    const std::string name = AnsiToOemText(platform::DisplayFromQString(FieldName(edit, form)));
    if (ambiguous) {
      AmbiguousNumberRefused(name, text, true);
    } else {
      const std::string range = RangeText(edit);
      ShowError(name + ": Invalid Input \"" + AnsiToOemText(text) + "\" !" + (range.empty() ? "" : "  " + range));
    }
    BringPageToFront(edit, form);
    edit->setFocus();
    edit->selectAll();
    return false;
  }
  return true;
}
