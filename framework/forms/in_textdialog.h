// "Input": one line of text.
#pragma once

#include "framework/forms/input_dialog_base.h"

class QLineEdit;

class Tin_textdialog : public TInputDialogBase {
 public:
  Tin_textdialog(const QString& prompt, int maxLength, const QString& text, QWidget* parent = nullptr);

  QLineEdit* Edit_text;

  QString Text() const;
};
