// "Input": a yes/no question; the answer travels as 'J' or 'N'.
#pragma once

#include "framework/forms/input_dialog_base.h"

class QGroupBox;
class QRadioButton;

class Tin_janeindialog : public TInputDialogBase {
 public:
  Tin_janeindialog(const QString& prompt, char answer, QWidget* parent = nullptr);

  QGroupBox* RadioGroup_answer;
  QRadioButton* RadioButton_yes;
  QRadioButton* RadioButton_no;

  char Answer() const;  // 'N' when No is selected, else 'J'
};
