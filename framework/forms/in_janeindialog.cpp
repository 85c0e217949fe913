#include "framework/forms/in_janeindialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "framework/forms/input_forms.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "platform/dialogs.h"

Tin_janeindialog::Tin_janeindialog(const QString& prompt, char answer, QWidget* parent)
    : TInputDialogBase("Input", prompt, parent) {
  HelpClearsAbort = false;
  Label_prompt->setMinimumHeight(33);
  Label_prompt->setFixedWidth(250);
  Label_prompt->setWordWrap(true);
  RadioGroup_answer = new QGroupBox("Select", this);
  RadioGroup_answer->setObjectName("RadioGroup_answer");
  auto* lay = new QVBoxLayout(RadioGroup_answer);
  RadioButton_yes = new QRadioButton("&Yes", RadioGroup_answer);
  RadioButton_yes->setObjectName("RadioButton_yes");
  RadioButton_no = new QRadioButton("&No", RadioGroup_answer);
  RadioButton_no->setObjectName("RadioButton_no");
  lay->addWidget(RadioButton_yes);
  lay->addWidget(RadioButton_no);
  (answer == 'N' || answer == 'n' ? RadioButton_no : RadioButton_yes)->setChecked(true);
  Body->addWidget(RadioGroup_answer);
  ScaleCenterForm(*this);
  setFixedSize(size());  // a fixed dialog border
}

char Tin_janeindialog::Answer() const { return RadioButton_no->isChecked() ? 'N' : 'J'; }

bool RunYesNoDialog(const std::string& prompt, char& answer) {
  Tin_janeindialog dlg(ShownDisplayText(prompt), answer);
  if (platform::ExecModal(dlg, prompt) != platform::DialogResult::Ok) return false;
  answer = dlg.Answer();
  return true;
}
