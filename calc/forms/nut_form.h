// TForm_bq4nut: the counterpart of the bolt: tapped hole or nut with its
// kind, row or dimensions, the allowance class of the nut thread and the
// material of the nut or the tapped part.
#pragma once

#include "calc/forms/form_support.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm_bq4nut : public TCalcForm {
 public:
  explicit TForm_bq4nut(QWidget* parent = nullptr);

  TRadioGroup *RadioGroup_typ, *RadioGroup_form, *RadioGroup_dbmat;
  QLabel* Label_tolgew;
  QComboBox* ComboBox_tolgew;
  QGroupBox *GroupBox_sackloch, *GroupBox_mutter, *GroupBox_spezial, *GroupBox_mat;
  QLabel *Label_tg, *Label_tb, *Label_tgu, *Label_tbu, *Label_dw, *Label_dwu, *Label_h, *Label_hu;
  QLineEdit *Edit_tg, *Edit_tb, *Edit_dw, *Edit_h;
  QPushButton *Button_tg, *Button_tb, *Button_dbnut, *Button_dbwst;
  QLabel* Label_dbnut;
  QCheckBox* CheckBox_jamatnut;
  QLabel *Label_mat, *Label_pmax, *Label_re, *Label_rm, *Label_e;
  QPushButton *Button_ok, *Button_cancel, *Button_hilfetext, *Button_hilfebild, *Button_metric;

  // The nut kind whose table row the nut's dw, height and d come from; a
  // change of kind takes the row of the new kind before anything else is stored.
  int TableKind = 0;

  void FillForm();
  void ShowNutOfKind();
  void ShowNutMaterial();
  bool StoreInput();  // false when a number field is refused
  void UpdateNutControls();
  void RadioGroup_formClick();
  void RadioGroup_dbmatClick();
  void Button_tgClick();
  void Button_tbClick();
  void Button_dbnutClick();
  void Button_dbwstClick();
  bool MaterialChosen();  // asks for it where the joint needs one and none is chosen
  void Button_okClick();
  void Button_cancelClick();
  void Button_hilfetextClick();
  void Button_hilfebildClick();
  void Button_metricClick();

 protected:
  void showEvent(QShowEvent* e) override;
};
