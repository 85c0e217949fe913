// TForm_bq4reib: friction coefficients of thread, head bearing and
// interface, their maxima and the spread factor when friction tolerances are
// on, and the preset tightening torque when it is switched on.
#pragma once

#include "calc/forms/form_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm_bq4reib : public TCalcForm {
 public:
  explicit TForm_bq4reib(QWidget* parent = nullptr);

  QLabel *Label_mueg, *Label_muek, *Label_muetr, *Label_max, *Label_sigma, *Label_mapre, *Label_mapreu;
  QLineEdit *Edit_mueg, *Edit_muegmax, *Edit_muek, *Edit_muekmax, *Edit_muetr, *Edit_sigma, *Edit_mapre;
  QPushButton *Button_muegmax, *Button_muekmax, *Button_mueg10, *Button_mueg25, *Button_mueg50, *Button_muek10,
      *Button_muek25, *Button_muek50, *Button_sigma;
  QPushButton *Button_mueg, *Button_muek, *Button_muetr, *Button_muegtol, *Button_muektol;
  QPushButton *Button_ok, *Button_cancel, *Button_help, *Button_hilfebildsigma;

  void Button_muegClick();
  void Button_muekClick();
  void Button_muetrClick();
  void Button_muegtolClick();
  void Button_muektolClick();
  void Button_hilfebildsigmaClick();
  void Button_helpClick();
  void Button_okClick();
  void Button_cancelClick();

 private:
  // Rows picked in the friction tables; they become the start rows on OK.
  Word ThreadRow, HeadRow, InterfaceRow, ThreadTolRow, HeadTolRow;
  void PickFriction(int table, QLineEdit* edit, Word& row);
  void PickTolerance(int table, QLineEdit* minEdit, QLineEdit* maxEdit, Word& row);
};
