// "Select": a radio group of choices (fewer than eight).
#pragma once

#include <QStringList>

#include "framework/forms/input_dialog_base.h"

class QButtonGroup;
class QGroupBox;

class Tin_radiodialog : public TInputDialogBase {
 public:
  // index counts from 1.
  Tin_radiodialog(const QString& prompt, const QStringList& items, int index, QWidget* parent = nullptr);

  QGroupBox* RadioGroup_items;
  QButtonGroup* Buttons;

  int Result() const;  // chosen entry, from 1
};
