#include "framework/forms/show_screen.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/forms/input_forms.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "platform/dialogs.h"

TShowScreen::TShowScreen(const QString& caption, const QStringList& lines, QWidget* parent) : QDialog(parent) {
  setWindowTitle(caption);
  auto* lay = new QVBoxLayout(this);
  Memo_text = new QPlainTextEdit(this);
  Memo_text->setObjectName("Memo_text");
  Memo_text->setReadOnly(true);
  Memo_text->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Memo_text->setPlainText(lines.join('\n'));
  QFontMetrics fm(Memo_text->font());
  Memo_text->setMinimumSize(fm.horizontalAdvance(QString(66, 'x')), fm.lineSpacing() * 23);
  lay->addWidget(Memo_text, 1);
  auto* buttons = new QHBoxLayout;
  Button_ok = new QPushButton("OK", this);
  Button_ok->setObjectName("Button_ok");
  Button_ok->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addStretch();
  lay->addLayout(buttons);
  connect(Button_ok, &QPushButton::clicked, this, &QDialog::accept);
  ScaleCenterForm(*this);
}

void RunShowScreen(const std::string& caption, const std::vector<std::string>& lines) {
  QStringList list;
  for (const auto& line : lines) list << ShownDisplayText(line);
  TShowScreen dlg(ShownDisplayText(caption), list);
  platform::ExecModal(dlg, caption);
}
