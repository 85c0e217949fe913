// "Info drawing": replacement notes, the four signature rows and the eight
// positioned drawing texts.
#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QLineEdit;
class QPushButton;
class QTableWidget;

class TForm_zeichInfo : public QDialog {
 public:
  explicit TForm_zeichInfo(QWidget* parent = nullptr);

  QLineEdit* Edit_ersatzfuer;
  QLineEdit* Edit_ersetztdurch;
  QTableWidget* StringGrid1;  // rows Compl., Check, Stand., fourth row; columns Date, Name
  QTableWidget* StringGrid2;  // rows 1..8; columns x, y, h, phi, Text
  std::array<QPushButton*, 4> DateButtons;  // "Button1".."Button4"
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;

  void DateButtonClick(int row);  // row 0..3
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void reject() override;  // Esc and Cancel set AbortFlag

 private:
  QStringList shownNumbers_;  // the number cells as first shown, row by row
};
