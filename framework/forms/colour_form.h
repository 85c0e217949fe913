// "Select Color": one of the 16 drawing colours, listed by number and name.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

constexpr int kDrawingColourCount = 16;

// ItemTexts 1..16 := the names of the drawing colours (stored texts).
void FillColourNames();
// Name of drawing colour n (1..16); empty outside.
const char* DrawingColourName(int n);

class TForm_selectcolor : public QDialog {
  Q_OBJECT

 public:
  // Lists the names held in ItemTexts 1..16 (the caller fills them first).
  explicit TForm_selectcolor(QWidget* parent = nullptr);

  QListWidget* ListBox_colors;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;

  void Button_okClick();
  void Button_cancelClick();
  void reject() override;
};

// Asks for a drawing colour with colour preselected (1..16; others select
// the first). True and colour := the choice on OK; false on Cancel, which
// leaves colour unchanged. AbortFlag is clear afterwards in both cases.
bool SelectDrawingColour(int& colour);
