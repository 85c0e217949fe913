#include "framework/forms/number_fields.h"

#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>

#include <string>

#include "framework/charset.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "platform/qt_text.h"

namespace {

constexpr const char* kNameProperty = "bq4NumberField";
constexpr const char* kKindProperty = "bq4NumberKind";

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

bool IsNumber(const std::string& text, NumberKind kind) {
  if (kind == NumberKind::Integer) {
    int i = 0;
    return TryTextToInt(text, i);
  }
  Extended x = 0;
  return TryTextToFloat(text, x);
}

}  // namespace

void MarkNumberField(QLineEdit* edit, std::string_view name, NumberKind kind) {
  edit->setProperty(kNameProperty, platform::QStringFromDisplay(OemToAnsiStr(name)));
  edit->setProperty(kKindProperty, static_cast<int>(kind));
}

bool NumberFieldsValid(QWidget* form, bool report) {
  for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
    const QVariant kind = edit->property(kKindProperty);
    if (!kind.isValid() || !Offered(edit, form) || !edit->isEnabled() || edit->isReadOnly()) continue;
    const std::string text = platform::DisplayFromQString(edit->text().trimmed());
    if (text.empty() || IsNumber(text, static_cast<NumberKind>(kind.toInt()))) continue;
    if (!report) return false;
    const std::string name = AnsiToOemText(platform::DisplayFromQString(FieldName(edit, form)));
    ShowError(name + ": Invalid Input \"" + AnsiToOemText(text) + "\" !");
    BringPageToFront(edit, form);
    edit->setFocus();
    edit->selectAll();
    return false;
  }
  return true;
}
