// The explanation window of one calculation message: origin and remedy,
// shown read-only.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class Thelperr : public QDialog {
  Q_OBJECT

 public:
  // Texts in the display code page.
  Thelperr(const std::string& message, const std::string& origin, const std::string& remedy,
           QWidget* parent = nullptr);

  void Button_okClick();
  void Button_helpClick();

  QLabel* Label_message;
  QPlainTextEdit* Memo_origin;
  QPlainTextEdit* Memo_remedy;
  QPushButton* Button_ok;
  QPushButton* Button_help;

};
