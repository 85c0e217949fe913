// TForm_schraubenabschn: one shank section of a self-defined bolt, with a
// spin button to step to the neighbouring sections.
#pragma once

#include "calc/forms/form_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm_schraubenabschn : public TCalcForm {
 public:
  explicit TForm_schraubenabschn(QWidget* parent = nullptr);

  QGroupBox* GroupBox1;
  QLabel *Label_de, *Label_di, *Label_l, *Label_deu, *Label_diu, *Label_lu;
  QLineEdit *Edit_de, *Edit_di, *Edit_l;
  QPushButton *Button_ok, *Button_cancel, *Button_hilfetext, *Button_hilfebild, *Button_metric;
  TUpDown* SpinButton1;

  Word SectionNo = 1;

  void FillSection();
  bool StoreSection();  // false when a number field is refused
  void SpinButton1DownClick();
  void SpinButton1UpClick();
  void Button_okClick();
  void Button_cancelClick();
  void Button_hilfetextClick();
  void Button_hilfebildClick();
  void Button_metricClick();

 protected:
  void showEvent(QShowEvent* e) override;
};
