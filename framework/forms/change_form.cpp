#include "framework/forms/change_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/change_history.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/forms/placement.h"
#include "framework/help_texts.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

namespace {

QString Shown(std::string_view stored) { return platform::QStringFromDisplay(OemToAnsiText(stored)); }
std::string Stored(const QString& shown) { return AnsiToOemText(platform::DisplayFromQString(shown)); }

QLineEdit* NewEdit(QWidget* parent, const char* name, int maxLength, std::string_view stored) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(maxLength);
  edit->setText(Shown(stored));
  return edit;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TForm_EinAend::TForm_EinAend(Word index, QWidget* parent) : QDialog(parent), index_(index) {
  setObjectName("TForm_EinAend");
  setWindowTitle(QString("Modification %1").arg(index));
  const TChangeRecord& c = Changes[index];
  Edit_aenderung = NewEdit(this, "Edit_aenderung", 20, c.Change.view());
  Edit_datum = NewEdit(this, "Edit_datum", 10, c.Date.view());
  Edit_bearbeiter = NewEdit(this, "Edit_bearbeiter", 5, c.Editor.view());
  Memo_beschreibung = new QPlainTextEdit(this);
  Memo_beschreibung->setObjectName("Memo_beschreibung");
  Memo_beschreibung->setPlainText(Shown(c.Description.view()));
  Memo_beschreibung->setTabChangesFocus(true);
  Button_datum = NewButton(this, "Button_datum", "<" + platform::QStringFromDisplay(TodayText()));
  Button_ok = NewButton(this, "Button_ok", "OK");
  Button_ok->setDefault(true);
  Button_cancel = NewButton(this, "Button_cancel", "Cancel");
  Button_help = NewButton(this, "Button_help", "&Help");

  auto* fields = new QGridLayout;
  auto label = [&](const char* text, int row) {
    fields->addWidget(new QLabel(Shown(text), this), row, 0, Qt::AlignTop);
  };
  label("text of changes", 0);
  fields->addWidget(Edit_aenderung, 0, 1, 1, 2);
  label("Date", 1);
  fields->addWidget(Edit_datum, 1, 1);
  fields->addWidget(Button_datum, 1, 2);
  label("responible", 2);
  fields->addWidget(Edit_bearbeiter, 2, 1);
  label("Description", 3);
  fields->addWidget(Memo_beschreibung, 3, 1, 1, 2);
  fields->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_cancel);
  buttons->addWidget(Button_help);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields, 1);
  layout->addLayout(buttons);

  connect(Button_datum, &QPushButton::clicked, this, &TForm_EinAend::Button_datumClick);
  connect(Button_ok, &QPushButton::clicked, this, &TForm_EinAend::Button_okClick);
  connect(Button_cancel, &QPushButton::clicked, this, &TForm_EinAend::Button_cancelClick);
  connect(Button_help, &QPushButton::clicked, this, &TForm_EinAend::Button_helpClick);
  resize(420, 300);
  ScaleCenterForm(*this);
}

void TForm_EinAend::Button_datumClick() { Edit_datum->setText(platform::QStringFromDisplay(TodayText())); }

void TForm_EinAend::Button_okClick() {
  AbortFlag = 0;
  TChangeRecord& c = Changes[index_];
  c.Change = Stored(Edit_aenderung->text());
  c.Date = Stored(Edit_datum->text());
  c.Editor = Stored(Edit_bearbeiter->text());
  // One line, as the project file holds it; the memo may hold any line breaks.
  c.Description = OneLineDescription(Stored(Memo_beschreibung->toPlainText()));
  accept();
}

void TForm_EinAend::Button_cancelClick() { reject(); }

void TForm_EinAend::Button_helpClick() { ShowHelpText(3000, "", 1); }

void TForm_EinAend::reject() {
  AbortFlag = 1;
  QDialog::reject();
}

void EditChange(Word Index) {
  if (Index < 1 || Index > kMaxChanges) return;
  TForm_EinAend form(Index);
  platform::ExecModal(form, "Modification");
}
