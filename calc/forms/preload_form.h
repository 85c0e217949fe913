// TForm_bq4pre: the two preset preloads, in newtons whatever the unit system.
#pragma once

#include "calc/forms/form_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm_bq4pre : public TCalcForm {
 public:
  explicit TForm_bq4pre(QWidget* parent = nullptr);

  QLabel *Label_fapre, *Label_fapreu, *Label_fpre, *Label_fpreu;
  QLineEdit *Edit_fapre, *Edit_fpre;
  QPushButton *Button_ok, *Button_cancel;

  void Button_okClick();
  void Button_cancelClick();
};
