#include "framework/forms/in_radiodialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "framework/forms/input_forms.h"
#include "framework/forms/placement.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

Tin_radiodialog::Tin_radiodialog(const QString& prompt, const QStringList& items, int index, QWidget* parent)
    : TInputDialogBase("Select", prompt, parent) {
  Label_prompt->setMinimumHeight(39);
  Label_prompt->setWordWrap(true);
  RadioGroup_items = new QGroupBox(this);
  RadioGroup_items->setObjectName("RadioGroup_items");
  RadioGroup_items->setMinimumHeight((static_cast<int>(items.size()) + 1) * 25);
  Buttons = new QButtonGroup(this);
  auto* lay = new QVBoxLayout(RadioGroup_items);
  for (int i = 0; i < items.size(); ++i) {
    auto* r = new QRadioButton(items[i], RadioGroup_items);
    r->setObjectName(QString("RadioButton_%1").arg(i + 1));
    r->setMinimumWidth(r->sizeHint().width());  // a choice is never cut, however the form is scaled
    Buttons->addButton(r, i);
    lay->addWidget(r);
    if (i == index - 1) r->setChecked(true);
  }
  // The group's own minimum would otherwise let the layout cut the choices.
  RadioGroup_items->setMinimumWidth(std::max(320, RadioGroup_items->minimumSizeHint().width()));
  Body->addWidget(RadioGroup_items);
  ScaleCenterForm(*this);
  setFixedSize(size());  // a fixed dialog border
}

int Tin_radiodialog::Result() const { return Buttons->checkedId() + 1; }

bool RunRadioDialog(const std::string& prompt, const std::vector<std::string>& items, int& index) {
  return RunChoiceForm<Tin_radiodialog>(prompt, items, index);
}
