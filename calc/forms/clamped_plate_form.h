// TForm_klemmstueck: one clamped part with its diameters, thickness,
// description and material.
#pragma once

#include "calc/forms/form_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm_klemmstueck : public TCalcForm {
 public:
  explicit TForm_klemmstueck(QWidget* parent = nullptr);

  QGroupBox *GroupBox1, *GroupBox_mat;
  QLabel *Label_de, *Label_di, *Label_l, *Label_deu, *Label_diu, *Label_lu, *Label_name;
  QLineEdit *Edit_de, *Edit_di, *Edit_l, *Edit_name;
  QPushButton *Button1, *Button_name;
  QLabel *Label_mat, *Label_pmax, *Label_re, *Label_e, *Label_alphat;
  TRadioGroup* RadioGroup_dbmat;
  QPushButton* Button_dbwst;
  QPushButton *Button_ok, *Button_cancel, *Button_hilfetext, *Button_hilfebild, *Button_db, *Button_metric;

  Word PlateNo = 1;

  void FillPlate();
  void ShowMaterial();
  bool StorePlate();  // false when a number field is refused
  void Button1Click();
  void Button_nameClick();
  void Button_dbClick();
  void Button_dbwstClick();
  void Button_okClick();
  void Button_cancelClick();
  void Button_hilfetextClick();
  void Button_hilfebildClick();
  void Button_metricClick();

 protected:
  void showEvent(QShowEvent* e) override;
};
