// TForm_exz: geometry of eccentric clamping and loading, and the seam at
// which the bending body is taken.
#pragma once

#include "calc/forms/form_support.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm_exz : public TCalcForm {
 public:
  explicit TForm_exz(QWidget* parent = nullptr);

  QLabel *Label_s, *Label_a, *Label_u, *Label_v, *Label_ad, *Label_ibt, *Label_ibers, *Label_i_bers;
  QLineEdit *Edit_s, *Edit_a, *Edit_u, *Edit_v, *Edit_ad, *Edit_ibt, *Edit_ibers, *Edit_i_bers;
  QLabel *Label_su, *Label_au, *Label_uu, *Label_vu, *Label_adu, *Label_ibtu, *Label_ibersu, *Label_i_bersu;
  QPushButton *Button_u, *Button_v, *Button_ad, *Button_ibt, *Button_ibers, *Button_i_bers;
  QLabel* Label_iklemm;
  QComboBox* ComboBox_iklemm;
  QPushButton *Button_ok, *Button_cancel, *Button_help, *Button_metric;

  void FormShow();
  bool StoreInput();  // false when a number field is refused
  void ComboBox_iklemmChange();
  void Button_uClick();
  void Button_vClick();
  void Button_adClick();
  void Button_ibtClick();
  void Button_ibersClick();
  void Button_i_bersClick();
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void Button_metricClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  int SeamIndex() const;  // the clamped part whose lower interface is the seam
};
