// TForm_bq4anzi: how the joint is tightened. Every change of a value stores
// the form and recalculates the joint, and the form shows the resulting
// torque, preload, angle and scatter beside the inputs.
#pragma once

#include "calc/forms/form_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm_bq4anzi : public TCalcForm {
 public:
  explicit TForm_bq4anzi(QWidget* parent = nullptr);

  TRadioGroup *RadioGroup_vdi, *RadioGroup_macode, *RadioGroup_boltnut, *RadioGroup_alphaa;
  QGroupBox *GroupBox_ma, *GroupBox_alphaa;
  QLabel *Label_nuerp, *Label_ma, *Label_mau, *Label_fm, *Label_fmu, *Label_montage, *Label_einstell, *Label_ktau,
      *Label_sigma, *Label_alphaa, *Label_tolma, *Label4, *Label_mamin, *Label_maminu, *Label_fmmin, *Label_fmminu;
  QLineEdit *Edit_nuerp, *Edit_ma, *Edit_fm, *Edit_montage, *Edit_einstell, *Edit_ktau, *Edit_sigma, *Edit_alphaa,
      *Edit_tolma, *Edit_mamin, *Edit_fmmin;
  QPushButton *Button_nuerp, *Button_dbalphaa, *Button_ktau, *ButtonSigma, *Button_alphaa;
  QLabel *Label_fmnom2, *Label_mamin2, *Label_alpha2, *Label_mapre2, *Label_mueg2, *Label_muek2;
  QPushButton *Button_ok, *Button_cancel, *Button_help, *ButtonMetric;

  Byte Filling = 1;

  void FillForm();
  void ShowToolTexts();
  bool StoreInput(bool report = true);  // false when a number field is refused
  void Recalc();
  void RadioGroup_macodeClick();
  void RadioGroup_alphaaClick();
  void Button_dbalphaaClick();
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void ButtonMetricClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  int RecalcDepth = 0;
  void ApplyDriveSideRule();
  void EnableGivenEdit();  // only the edit of the chosen given quantity
  void ShowScatterResults();
};
