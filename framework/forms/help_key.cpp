#include "framework/forms/help_key.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QVariant>

#include "framework/globals.h"
#include "framework/help_texts.h"

namespace {

constexpr const char* kHelpProperty = "bq4HelpNumber";
constexpr Word kOverviewHelp = 4000;

// The forms name their help button in one of these ways.
QAbstractButton* FormHelpButton(QWidget* form) {
  for (const char* name : {"Button_help", "Button_hilfetext", "Button_hilfe"}) {
    auto* b = form->findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (b && !b->isHidden() && b->isEnabled()) return b;
  }
  return nullptr;
}

class HelpKeyFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
      return QObject::eventFilter(watched, event);
    QWidget* focus = QApplication::focusWidget();
    if (!focus) focus = qobject_cast<QWidget*>(watched);
    if (!focus) return false;
    ShowHelpForFocus(focus);
    return true;
  }
};

}  // namespace

void SetWidgetHelpNumber(QWidget* widget, Word number) {
  if (widget) widget->setProperty(kHelpProperty, QVariant(static_cast<int>(number)));
}

Word WidgetHelpNumber(const QWidget* focus) {
  if (!focus) return 0;
  // A field whose label carries the help: the label names the field as its buddy.
  if (!focus->property(kHelpProperty).isValid())
    for (const QLabel* label : focus->window()->findChildren<QLabel*>())
      if (label->buddy() == focus && label->property(kHelpProperty).toInt() > 0)
        return static_cast<Word>(label->property(kHelpProperty).toInt());
  for (const QWidget* w = focus; w; w = w->parentWidget()) {
    const QVariant v = w->property(kHelpProperty);
    if (v.isValid() && v.toInt() > 0) return static_cast<Word>(v.toInt());
    if (w->isWindow()) break;
  }
  return 0;
}

void ShowHelpForFocus(QWidget* focus) {
  if (!focus) return;
  const Byte keptAbort = AbortFlag;
  if (const Word own = WidgetHelpNumber(focus)) {
    ShowHelpText(own, "", 1);
  } else if (QAbstractButton* button = FormHelpButton(focus->window())) {
    button->click();
  } else {
    const bool dialog = qobject_cast<QDialog*>(focus->window()) != nullptr;
    ShowHelpText(dialog && HelpNumber ? HelpNumber : kOverviewHelp, "", 1);
  }
  AbortFlag = keptAbort;
}

void InstallHelpKey() {
  static HelpKeyFilter* filter = nullptr;
  if (filter || !qApp) return;
  filter = new HelpKeyFilter(qApp);
  qApp->installEventFilter(filter);
}
