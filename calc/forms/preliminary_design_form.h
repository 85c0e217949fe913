// TForm_vorauslegung: the few quantities from which the preliminary design
// proposes a thread size and a strength class.
#pragma once

#include "calc/forms/form_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm_vorauslegung : public TCalcForm {
 public:
  explicit TForm_vorauslegung(QWidget* parent = nullptr);

  TRadioGroup *RadioGroup_statdyn, *RadioGroup_f, *RadioGroup_anz;
  QLabel *Label_fa, *Label_fau, *Label_fq, *Label_fqu, *Label_mue;
  QLineEdit *Edit_fa, *Edit_fq, *Edit_mue;
  QPushButton *Button_ok, *Button_cancel, *Button_hilfe, *Button_metric;

  void FillForm();
  bool StoreInput();  // false when a number field is refused
  void RadioGroup_fClick();
  void Button_okClick();
  void Button_cancelClick();
  void Button_hilfeClick();
  void Button_metricClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void UpdateLoadCaseControls();
};
