#include "framework/forms/change_form.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "framework/change_history.h"
#include "framework/file_utils.h"
#include "framework/forms/placement.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

namespace {

QLineEdit* NewEdit(QWidget* parent, const char* name, int maxLength, std::string_view stored) {
  auto* edit = new QLineEdit(ShownText(stored), parent);
  edit->setObjectName(name);
  edit->setMaxLength(maxLength);
  return edit;
}

// The memo takes at most limit characters: what is typed or pasted beyond
// that is refused where it was put in, so that OK stores the text whole.
void LimitTyping(QPlainTextEdit* memo, int limit) {
  QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, limit] {
    const int excess = static_cast<int>(memo->toPlainText().size()) - limit;
    if (excess <= 0) return;
    QTextCursor cursor = memo->textCursor();
    const int end = cursor.position() >= excess ? cursor.position() : static_cast<int>(memo->toPlainText().size());
    cursor.setPosition(end - excess);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    memo->setTextCursor(cursor);
  });
}

}  // namespace

TForm_EinAend::TForm_EinAend(Word index, QWidget* parent)
    : TDocumentationForm("TForm_EinAend", QString("Modification %1").arg(index), "&Help", 3000, parent),
      index_(index) {
  const TChangeRecord& c = Changes[index];
  Edit_aenderung = NewEdit(this, "Edit_aenderung", 20, c.Change.view());
  Edit_datum = NewEdit(this, "Edit_datum", 10, c.Date.view());
  Edit_bearbeiter = NewEdit(this, "Edit_bearbeiter", 5, c.Editor.view());
  Memo_beschreibung = new QPlainTextEdit(ShownText(c.Description.view()), this);
  Memo_beschreibung->setObjectName("Memo_beschreibung");
  Memo_beschreibung->setTabChangesFocus(true);
  LimitTyping(Memo_beschreibung, kDescriptionLength);
  Button_datum = NewFormButton(this, "Button_datum", "<" + platform::QStringFromDisplay(TodayText()));
  connect(Button_datum, &QPushButton::clicked, this, &TForm_EinAend::Button_datumClick);

  auto* fields = new QGridLayout;
  auto label = [&](const char* text, int row) { fields->addWidget(new QLabel(ShownText(text), this), row, 0, Qt::AlignTop); };
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
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields, 1);
  AddButtonRow(*layout);
  resize(420, 300);
  ScaleCenterForm(*this);
}

void TForm_EinAend::Button_datumClick() { Edit_datum->setText(platform::QStringFromDisplay(TodayText())); }

void TForm_EinAend::Button_okClick() {
  AbortFlag = 0;
  TChangeRecord& c = Changes[index_];
  c.Change = StoredText(Edit_aenderung->text());
  c.Date = StoredText(Edit_datum->text());
  c.Editor = StoredText(Edit_bearbeiter->text());
  // One line, as the project file holds it; the memo may hold any line breaks.
  c.Description = OneLineDescription(StoredText(Memo_beschreibung->toPlainText()));
  accept();
}

void EditChange(Word Index) {
  if (Index < 1 || Index > kMaxChanges) return;
  TForm_EinAend form(Index);
  platform::ExecModal(form, "Modification");
}
