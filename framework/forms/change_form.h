// "Modification": one change of the change history.
#pragma once

#include <QDialog>

#include "framework/types.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TForm_EinAend : public QDialog {
 public:
  explicit TForm_EinAend(Word index, QWidget* parent = nullptr);

  QLineEdit* Edit_aenderung;
  QLineEdit* Edit_datum;
  QLineEdit* Edit_bearbeiter;
  QPlainTextEdit* Memo_beschreibung;
  QPushButton* Button_datum;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;

  void Button_datumClick();
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void reject() override;  // Esc and Cancel set AbortFlag

 private:
  Word index_;
};
