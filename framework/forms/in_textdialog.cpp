#include "framework/forms/in_textdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "framework/forms/input_forms.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "platform/dialogs.h"

Tin_textdialog::Tin_textdialog(const QString& prompt, int maxLength, const QString& text, QWidget* parent)
    : TInputDialogBase("Input", prompt, parent) {
  Label_prompt->setMinimumHeight(33);
  Label_prompt->setFixedWidth(300);
  Label_prompt->setWordWrap(true);
  Edit_text = new QLineEdit(this);
  Edit_text->setObjectName("Edit_text");
  // The limit holds for typing; a longer text the dialog is given stays whole.
  if (maxLength > 0) Edit_text->setMaxLength(std::max(maxLength, static_cast<int>(text.size())));
  Edit_text->setText(text);
  Edit_text->selectAll();
  Body->addWidget(Edit_text);
  // Typing goes into the edit at once, not to the buttons made before it.
  setFocusProxy(Edit_text);
  Edit_text->setFocus();
  QWidget::setTabOrder(Edit_text, Button_ok);
  Body->addStretch();
  setSizeGripEnabled(true);
  ScaleFormOnly(*this);
}

QString Tin_textdialog::Text() const { return Edit_text->text(); }

bool RunTextDialog(const std::string& prompt, int maxLength, std::string& text) {
  const QString shown = ShownDisplayText(text);
  Tin_textdialog dlg(ShownDisplayText(prompt), maxLength, shown);
  if (platform::ExecModal(dlg, prompt) != platform::DialogResult::Ok) return false;
  // A text left as shown is given back as it came.
  if (dlg.Text() != shown) text = DisplayTextOf(dlg.Text());
  return true;
}
