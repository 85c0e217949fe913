#include "framework/forms/in_codedialog.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "framework/forms/input_forms.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

Tin_codedialog::Tin_codedialog(const QString& prompt, const QStringList& items, int index, QWidget* parent)
    : TInputDialogBase("Select", prompt, parent) {
  Label_prompt->setMinimumHeight(39);
  Label_prompt->setWordWrap(true);
  ListBox_items = new QListWidget(this);
  ListBox_items->setObjectName("ListBox_items");
  ListBox_items->addItems(items);
  ListBox_items->setCurrentRow(index - 1);
  ListBox_items->setMinimumWidth(320);
  Body->addWidget(ListBox_items);
  connect(ListBox_items, &QListWidget::itemDoubleClicked, this, [this] { Button_okClick(); });
  ScaleCenterForm(*this);
  setFixedSize(size());  // a fixed dialog border
}

void Tin_codedialog::Button_okClick() {
  AbortFlag = 0;
  accept();
}

int Tin_codedialog::Result() const { return ListBox_items->currentRow() + 1; }

bool RunCodeDialog(const std::string& prompt, const std::vector<std::string>& items, int& index) {
  return RunChoiceForm<Tin_codedialog>(prompt, items, index);
}
