// TEinDiagramLimits: the axis limits of a diagram before it goes to a file,
// the plot program or the text listing. The edits start with the limits last
// entered; "Calculate" offers the automatic limits of the present diagram.
#pragma once

#include <QDialog>

#include "framework/types.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TEinDiagramLimits : public QDialog {
  Q_OBJECT

 public:
  explicit TEinDiagramLimits(QWidget* parent = nullptr);

  void FormCreate();
  void FormShow() {}
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void Button_calcClick();
  void reject() override;

  QLabel* Label_x;
  QLabel* Label_y;
  QGroupBox* GroupBox1;
  QLineEdit* Edit_xmin;
  QLineEdit* Edit_xmax;
  QLineEdit* Edit_ymin;
  QLineEdit* Edit_ymax;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;
  QPushButton* Button_calc;

  // The automatic limits for "Calculate".
  Extended CalcXMin = 0, CalcYMin = 0, CalcXMax = 1, CalcYMax = 1;
};

// Stores the automatic limits in the form for its "Calculate" button.
void SetDiagramLimitsCalc(TEinDiagramLimits& form, Extended xmin, Extended ymin, Extended xmax,
                          Extended ymax);
