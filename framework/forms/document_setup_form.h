// "Document Setup": the program and the file of each of the five documents.
#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;

class TForm_confDoku : public QDialog {
 public:
  explicit TForm_confDoku(QWidget* parent = nullptr);

  // Index 0..4 for documents 1..5: "Edit_prog1", "Edit_file1", ...
  std::array<QLineEdit*, 5> Edit_prog;
  std::array<QLineEdit*, 5> Edit_file;
  std::array<QPushButton*, 5> Button_prog;
  std::array<QPushButton*, 5> Button_file;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;

  void Button_progClick(int i);  // i 0..4
  void Button_fileClick(int i);
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void reject() override;  // Esc and Cancel set AbortFlag
};
