// Common frame of the input dialogs: prompt, OK, Cancel, "&Help Text" and
// "Aux. &Image"; Enter is OK, Esc and Cancel set AbortFlag.
#pragma once

#include <QDialog>
#include <QStringList>

#include <string>
#include <vector>

#include "framework/forms/shown_text.h"
#include "platform/dialogs.h"

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

class TInputDialogBase : public QDialog {
 public:
  TInputDialogBase(const QString& caption, const QString& prompt, QWidget* parent = nullptr);

  QLabel* Label_prompt;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;
  QPushButton* Button_image;

  virtual void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void Button_imageClick();
  void reject() override;

 protected:
  QVBoxLayout* Body;               // the dialog's own controls go here
  bool HelpClearsAbort = true;     // the yes/no dialog keeps AbortFlag
};

// Runs a choice form (list or radio group) built from display texts; index
// counts from 1 in and out.
template <typename Form>
bool RunChoiceForm(const std::string& prompt, const std::vector<std::string>& items, int& index) {
  QStringList list;
  for (const auto& item : items) list << ShownDisplayText(item);
  Form dlg(ShownDisplayText(prompt), list, index);
  if (platform::ExecModal(dlg, prompt) != platform::DialogResult::Ok) return false;
  index = dlg.Result();
  return true;
}
