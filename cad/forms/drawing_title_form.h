// Tform_uni3: the texts of the drawing sheet's title block and of the
// printout headers: drawing name, a second drawing-name line, drawing number
// and three header lines. OK stores them cut to their widths; Cancel sets
// AbortFlag and stores nothing.
#pragma once

#include "calc/forms/form_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

class Tform_uni3 : public TCalcForm {
 public:
  explicit Tform_uni3(QWidget* parent = nullptr);

  QLabel *Label_zeichname, *Label_zeichname2, *Label_zeichnr, *Label_bemerk1, *Label_bemerk2, *Label_bemerk3;
  QLineEdit *Edit_zeichname, *Edit_zeichname2, *Edit_zeichnr, *Edit_bemerk1, *Edit_bemerk2, *Edit_bemerk3;
  QPushButton *Button_ok, *Button_cancel;

  void FormCreate();
  void Button_okClick();
  void Button_cancelClick();
};

// Creates the form, shows it modally and frees it. The caller marks the
// project as modified unless AbortFlag is set afterwards.
void ShowDrawingTitleDialog();
