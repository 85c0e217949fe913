#include "framework/forms/documentation_form.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "framework/charset.h"
#include "framework/globals.h"
#include "framework/help_texts.h"

QPushButton* NewFormButton(QWidget* parent, const QString& name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

TDocumentationForm::TDocumentationForm(const char* name, const QString& caption, const QString& helpText,
                                       Word helpNumber, QWidget* parent)
    : QDialog(parent), helpNumber_(helpNumber) {
  setObjectName(name);
  setWindowTitle(caption);
  Button_ok = NewFormButton(this, "Button_ok", "OK");
  Button_ok->setDefault(true);
  Button_cancel = NewFormButton(this, "Button_cancel", "Cancel");
  Button_help = NewFormButton(this, "Button_help", helpText);
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_help, &QPushButton::clicked, this, [this] { Button_helpClick(); });
}

void TDocumentationForm::AddButtonRow(QBoxLayout& layout) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_cancel);
  buttons->addWidget(Button_help);
  layout.addLayout(buttons);
}

void TDocumentationForm::Button_cancelClick() { reject(); }

void TDocumentationForm::Button_helpClick() { ShowHelpText(helpNumber_, "", 1); }

void TDocumentationForm::reject() {
  AbortFlag = 1;
  QDialog::reject();
}
