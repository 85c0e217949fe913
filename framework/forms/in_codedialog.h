// "Select": a list of choices (eight or more).
#pragma once

#include <QStringList>

#include "framework/forms/input_dialog_base.h"

class QListWidget;

class Tin_codedialog : public TInputDialogBase {
 public:
  // index counts from 1.
  Tin_codedialog(const QString& prompt, const QStringList& items, int index, QWidget* parent = nullptr);

  QListWidget* ListBox_items;

  void Button_okClick() override;
  int Result() const;  // chosen entry, from 1
};
