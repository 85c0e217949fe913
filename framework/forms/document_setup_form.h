// "Document Setup": the program and the file of each of the five documents.
#pragma once

#include <array>

#include "framework/forms/documentation_form.h"

class QLineEdit;

class TForm_confDoku : public TDocumentationForm {
 public:
  explicit TForm_confDoku(QWidget* parent = nullptr);

  // Index 0..4 for documents 1..5: "Edit_prog1", "Edit_file1", ...
  std::array<QLineEdit*, 5> Edit_prog;
  std::array<QLineEdit*, 5> Edit_file;
  std::array<QPushButton*, 5> Button_prog;
  std::array<QPushButton*, 5> Button_file;

  void Button_progClick(int i);  // i 0..4
  void Button_fileClick(int i);
  void Button_okClick() override;
};
