// TForm_bq4conf: the calculation options: guideline edition, engaged-length
// rules, friction tolerances, unit system, preset loads and the thread
// diameters d2, d3 of the calculation.
#pragma once

#include "calc/forms/form_support.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class TForm_bq4conf : public TCalcForm {
 public:
  explicit TForm_bq4conf(QWidget* parent = nullptr);

  TRadioGroup* RadioGroup_vdi;
  QCheckBox *CheckBox_velk, *CheckBox_vdi, *CheckBox_reibungstoleranz;
  QLabel* Label_metric;
  QComboBox* ComboBox_metric;
  QCheckBox *CheckBox_fapre, *CheckBox_mapre, *CheckBox_fpre, *CheckBox_fsmax;
  TRadioGroup* RadioGroup_d2d3;
  QPushButton *Button_ok, *Button_cancel, *Button_help;

  void FormShow();
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();

 protected:
  void showEvent(QShowEvent* e) override;
};
