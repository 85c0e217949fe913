// TForm_bq4idxf5: the small borderless stepping dialog of the material
// browsers. An arrow click moves the row by one and closes; OK ends browsing.
#pragma once

#include "calc/forms/form_support.h"

class QPushButton;

class TForm_bq4idxf5 : public QDialog {
 public:
  explicit TForm_bq4idxf5(QWidget* parent = nullptr);

  TUpDown* UpDown1;
  QPushButton* Button1;

  void UpDown1Click(bool up);
  void Button1Click();
};
