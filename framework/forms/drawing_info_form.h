// "Info drawing": replacement notes, the four signature rows and the eight
// positioned drawing texts.
#pragma once

#include <QStringList>

#include <array>

#include "framework/forms/documentation_form.h"

class QLineEdit;
class QTableWidget;

class TForm_zeichInfo : public TDocumentationForm {
 public:
  explicit TForm_zeichInfo(QWidget* parent = nullptr);

  QLineEdit* Edit_ersatzfuer;
  QLineEdit* Edit_ersetztdurch;
  QTableWidget* StringGrid1;  // rows Compl., Check, Stand., fourth row; columns Date, Name
  QTableWidget* StringGrid2;  // rows 1..8; columns x, y, h, phi, Text
  std::array<QPushButton*, 4> DateButtons;  // "Button1".."Button4"

  void DateButtonClick(int row);  // row 0..3
  void Button_okClick() override;

 private:
  QStringList shownNumbers_;  // the number cells as first shown, row by row
};
