// "Modification": one change of the change history.
#pragma once

#include "framework/forms/documentation_form.h"

class QLineEdit;
class QPlainTextEdit;

class TForm_EinAend : public TDocumentationForm {
 public:
  explicit TForm_EinAend(Word index, QWidget* parent = nullptr);

  QLineEdit* Edit_aenderung;
  QLineEdit* Edit_datum;
  QLineEdit* Edit_bearbeiter;
  QPlainTextEdit* Memo_beschreibung;
  QPushButton* Button_datum;

  void Button_datumClick();
  void Button_okClick() override;

 private:
  Word index_;
};
