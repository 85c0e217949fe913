// A read-only page of text in a fixed-pitch font with an OK button.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TShowScreen : public QDialog {
 public:
  TShowScreen(const QString& caption, const QStringList& lines, QWidget* parent = nullptr);

  QPlainTextEdit* Memo_text;
  QPushButton* Button_ok;
};
