#include "framework/forms/report_window.h"

#include <QFont>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/report_window.h"
#include "framework/text_output.h"
#include "platform/dialogs.h"
#include "platform/oem_text.h"
#include "platform/printer.h"
#include "platform/process.h"
#include "platform/qt_text.h"

TForm_showtextfile::TForm_showtextfile(std::string outputFileName, QWidget* parent)
    : QDialog(parent), outputFile_(std::move(outputFileName)) {
  setObjectName("TForm_showtextfile");
  auto* menu = new QMenuBar(this);
  QMenu* file = menu->addMenu("&File");
  file->addAction("Export &Notepad", this, &TForm_showtextfile::mi_exportNotepadClick);
  file->addAction("&Print...", this, &TForm_showtextfile::mi_printClick);
  file->addAction("E&xit", this, &TForm_showtextfile::Button_okClick);
  QMenu* edit = menu->addMenu("&Edit");
  edit->addAction("Select &All", this, &TForm_showtextfile::mi_selectAllClick);
  edit->addAction("&Copy", this, &TForm_showtextfile::mi_copyClick);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);

  Button_print = new QPushButton("&Print", this);
  Button_print->setObjectName("Button_print");
  Button_ok = new QPushButton("OK", this);
  Button_ok->setObjectName("Button_ok");
  Button_ok->setDefault(true);
  connect(Button_print, &QPushButton::clicked, this, &TForm_showtextfile::mi_printClick);
  connect(Button_ok, &QPushButton::clicked, this, &TForm_showtextfile::Button_okClick);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button_print);
  buttons->addWidget(Button_ok);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menu);
  layout->addWidget(Memo1);
  layout->addLayout(buttons);

  SetTitle();
  if (TextWindowWidth > 0 && TextWindowHeight > 0)
    setGeometry(TextWindowLeft, TextWindowTop, TextWindowWidth, TextWindowHeight);
  else
    resize(700, 440);
}

void TForm_showtextfile::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!loaded_) FormShow();
}

// The report is named after its project, not after the temporary file.
void TForm_showtextfile::SetTitle() {
  if (!documentTitle_.empty())
    setWindowTitle(platform::QStringFromDisplay(documentTitle_));
  else
    setWindowTitle(platform::QStringFromDisplay(MainCaptionTitle()) + platform::QStringFromPath(MainCaptionFileName()));
}

void TForm_showtextfile::ShowDocument(std::string file, std::string title) {
  documentFile_ = std::move(file);
  documentTitle_ = std::move(title);
  outputFile_ = documentFile_;
  SetTitle();
}

void TForm_showtextfile::FormShow() {
  loaded_ = true;
  shownFile_ = documentFile_.empty() ? ReportWindowFileName() : documentFile_;
  QFont font(platform::QStringFromDisplay(PrintoutFont.str()));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(PrintoutTextSize > 0 ? PrintoutTextSize : 10);
  const int style = platform::FontStyleFromBits(PrintoutTextStyle);
  font.setBold(style & 1);
  font.setItalic(style & 2);
  font.setUnderline(style & 4);
  font.setStrikeOut(style & 8);
  Memo1->setFont(font);

  // The shown file is UTF-8, box-drawing characters included.
  std::vector<std::string> lines;
  if (!ReadTextFileLines(shownFile_, lines)) {
    ShowMessagePlain(shownFile_ + " not found !");
  } else {
    std::string text;
    for (const auto& line : lines) text += line + '\n';
    Memo1->setPlainText(QString::fromStdString(text));
  }
  SetTitle();
}

void TForm_showtextfile::mi_printClick() {
  if (shownFile_.empty()) shownFile_ = ReportWindowFileName();
  // The printer gets the output file in the stored code page when that
  // still exists, else the shown file.
  PrintTextFile(outputFile_.empty() || !TextFileExists(outputFile_) ? shownFile_ : outputFile_);
}

void TForm_showtextfile::mi_selectAllClick() {
  Memo1->selectAll();
  mi_copyClick();
}

void TForm_showtextfile::mi_copyClick() {
  Memo1->selectAll();
  Memo1->copy();
}

void TForm_showtextfile::mi_exportNotepadClick() {
  if (!platform::OpenWithDefaultProgram(ReportWindowFileName()))
    ShowTraceMessage("No program to open " + ReportWindowFileName() + " found");
}

void TForm_showtextfile::Button_okClick() { accept(); }

void TForm_showtextfile::StoreGeometry() {
  const QRect g = geometry();
  TextWindowLeft = g.x();
  TextWindowTop = g.y();
  TextWindowWidth = g.width();
  TextWindowHeight = g.height();
}

void TForm_showtextfile::done(int result) {
  StoreGeometry();
  QDialog::done(result);
}

void ShowTextDocument(const std::string& file, const std::string& title) {
  TForm_showtextfile form{file};
  form.ShowDocument(file, title);
  platform::ExecModal(form, "report window");
}

void ShowReportWindow(std::string_view ShownFileName) {
  TForm_showtextfile form{std::string(ShownFileName)};
  platform::ExecModal(form, "report window");
}
