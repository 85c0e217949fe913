#include "framework/forms/error_help_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/charset.h"
#include "framework/error_explanations.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/help_texts.h"
#include "framework/message_box.h"
#include "platform/dialogs.h"

Thelperr::Thelperr(const std::string& message, const std::string& origin, const std::string& remedy,
                   QWidget* parent)
    : QDialog(parent), message_(message) {
  setObjectName("Thelperr");
  setWindowTitle("Error Message");
  Label_message = new QLabel(ShownDisplayText(message), this);
  Label_message->setObjectName("Label_message");
  Memo_origin = new QPlainTextEdit(ShownDisplayText(origin), this);
  Memo_origin->setObjectName("Memo_origin");
  Memo_remedy = new QPlainTextEdit(ShownDisplayText(remedy), this);
  Memo_remedy->setObjectName("Memo_remedy");
  Button_ok = new QPushButton("OK", this);
  Button_ok->setObjectName("Button_ok");
  Button_ok->setDefault(true);
  Button_help = new QPushButton("&Help", this);
  Button_help->setObjectName("Button_help");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Error Message", this));
  layout->addWidget(Label_message);
  layout->addWidget(new QLabel("Origin", this));
  layout->addWidget(Memo_origin);
  layout->addWidget(new QLabel("Remedy", this));
  layout->addWidget(Memo_remedy);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_help);
  layout->addLayout(buttons);

  for (QPlainTextEdit* memo : {Memo_origin, Memo_remedy})
    connect(memo, &QPlainTextEdit::textChanged, this, [this] { Modified = true; });
  connect(Button_ok, &QPushButton::clicked, this, &Thelperr::Button_okClick);
  connect(Button_help, &QPushButton::clicked, this, &Thelperr::Button_helpClick);
  resize(520, 360);
  ScaleCenterForm(*this);
}

void Thelperr::Button_helpClick() { ShowHelpText(1970, "", 1); }

void Thelperr::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Modified = false;
}

void Thelperr::Button_okClick() {
  if (Modified && AskYesNoCancel("Save Changes ?")) {
    SaveErrorExplanation(AnsiToOemText(message_),
                         StoredText(Memo_origin->toPlainText()),
                         StoredText(Memo_remedy->toPlainText()));
  }
  accept();
}

void ShowErrorHelp(std::string_view Message, std::string_view Origin, std::string_view Remedy) {
  Thelperr form(OemToAnsiText(Message), OemToAnsiText(Origin), OemToAnsiText(Remedy));
  platform::ExecModal(form, "error explanation");
}
