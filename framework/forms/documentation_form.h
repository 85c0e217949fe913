// Common frame of the project documentation forms (change, drawing
// information, document set-up): OK, Cancel and a help button in a row at
// the bottom; Cancel and Esc set AbortFlag.
#pragma once

#include <QDialog>
#include <QString>

#include <string>
#include <string_view>

#include "framework/forms/shown_text.h"
#include "framework/types.h"

class QBoxLayout;
class QPushButton;

// A push button that Enter does not press.
QPushButton* NewFormButton(QWidget* parent, const QString& name, const QString& text);

class TDocumentationForm : public QDialog {
 public:
  // helpText: the help button's caption; helpNumber: the entry it shows.
  TDocumentationForm(const char* name, const QString& caption, const QString& helpText, Word helpNumber,
                     QWidget* parent = nullptr);

  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;

  virtual void Button_okClick() = 0;
  void Button_cancelClick();
  void Button_helpClick();
  void reject() override;

 protected:
  // Puts the button row under the form's own layout.
  void AddButtonRow(QBoxLayout& layout);

 private:
  Word helpNumber_;
};
