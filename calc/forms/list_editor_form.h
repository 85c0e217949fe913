// TForm_einarray: the generic list editor. Shows entries 1..ItemCount of
// ItemTexts and tells the caller which entry and which action were chosen;
// the caller carries out the action.
#pragma once

#include "calc/forms/form_support.h"

class QListWidget;
class QPushButton;

class TForm_einarray : public TCalcForm {
 public:
  explicit TForm_einarray(QWidget* parent = nullptr);

  QListWidget* ListBox1;
  QPushButton *Button_ok, *Button_cancel, *Button_help, *Button_hilfebild, *Button_error;
  QPushButton *Button_neu, *Button_aendern, *Button_einfuegen, *Button_loeschen;
  QPushButton *Button_156, *Button_157, *Button_158;

  Word ItemCount = 1;
  Word Selected = 1;  // from 1; 0 none
  Word Action = 0;

  void FormShow();
  void ListBox1Click();
  void ListBox1DblClick();
  void Button_neuClick();
  void Button_einfuegenClick();
  void Button_loeschenClick();
  void Button_aendernClick();
  void SpareButtonClick(int code);  // 6, 7, 8
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void Button_hilfebildClick();
  void Button_errorClick();
  // The entry marked when the dialog ended, from 1; 0 when none.
  int SelectedEntry() const;

 protected:
  void showEvent(QShowEvent* e) override;
};
