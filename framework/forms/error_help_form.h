// The explanation window of one calculation message: origin and remedy,
// which the user may edit; OK offers to save a change to the user's copy of
// the explanation file.
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
  // Set by any change in the two memos, cleared when the window is shown.
  bool Modified = false;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::string message_;  // display code page
};
