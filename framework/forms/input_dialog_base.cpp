#include "framework/forms/input_dialog_base.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"

TInputDialogBase::TInputDialogBase(const QString& caption, const QString& prompt, QWidget* parent)
    : QDialog(parent) {
  OwnByOpeningWindow(*this);
  setWindowTitle(caption);
  auto* outer = new QVBoxLayout(this);
  Label_prompt = new QLabel(prompt, this);
  Label_prompt->setObjectName("Label_prompt");
  outer->addWidget(Label_prompt);
  Body = new QVBoxLayout;
  outer->addLayout(Body, 1);
  auto* buttons = new QHBoxLayout;
  auto make = [&](const char* name, const char* text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  Button_ok = make("Button_ok", "OK");
  Button_cancel = make("Button_cancel", "Cancel");
  Button_help = make("Button_help", "&Help Text");
  Button_image = make("Button_image", "Aux. &Image");
  Button_ok->setDefault(true);  // Enter
  outer->addLayout(buttons);
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_help, &QPushButton::clicked, this, [this] { Button_helpClick(); });
  connect(Button_image, &QPushButton::clicked, this, [this] { Button_imageClick(); });
}

void TInputDialogBase::Button_okClick() { accept(); }

void TInputDialogBase::Button_cancelClick() { reject(); }

void TInputDialogBase::Button_helpClick() {
  ShowHelpText(HelpNumber, "", 1);
  if (HelpClearsAbort) AbortFlag = 0;
}

void TInputDialogBase::Button_imageClick() {
  ShowHelpText(HelpNumber, "", 2);
  if (HelpClearsAbort) AbortFlag = 0;
}

void TInputDialogBase::reject() {
  AbortFlag = 1;
  QDialog::reject();
}
