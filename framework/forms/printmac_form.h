// Print selection of the print macro: which of up to 14 print-outs one run
// produces. Check box k stands for bit k - 1 of PrintMacroSelection; the main
// window sets the check box captions from its language texts.
#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QPushButton;

class TForm_printmac : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kBoxCount = 14;

  explicit TForm_printmac(QWidget* parent = nullptr);

  // Check box k (1..14); object names "CheckBox_1" .. "CheckBox_14".
  QCheckBox* CheckBox(int k) const { return boxes_[static_cast<std::size_t>(k - 1)]; }

  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void reject() override;

  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;

 private:
  std::array<QCheckBox*, kBoxCount> boxes_{};
};
