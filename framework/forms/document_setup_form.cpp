#include "framework/forms/document_setup_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

#include "framework/charset.h"
#include "framework/documents.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/help_texts.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

namespace {

// Fills edit with a name chosen in the file-open dialog; a cancelled choice
// leaves it and the dialog's state as they were.
void ChooseInto(QLineEdit* edit, const std::string& mask) {
  std::string chosen;
  SelectOpenFile(StoredPath(edit->text()), mask, chosen);
  if (!AbortFlag && chosen.size() > static_cast<std::size_t>(edit->maxLength()))
    ShowError("The name " + chosen + " is longer than " + std::to_string(edit->maxLength()) +
              " characters and cannot be kept");
  else if (!AbortFlag)
    edit->setText(ShownPath(chosen));
  AbortFlag = 0;
}

}  // namespace

TForm_confDoku::TForm_confDoku(QWidget* parent)
    : TDocumentationForm("TForm_confDoku", "Document Setup", "&Help Text", 2730, parent) {
  std::string programHint, fileHint;
  GetHelpEntryText(2710, programHint);
  GetHelpEntryText(2720, fileHint);

  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < kDocumentSlots; ++i) {
    const QString n = QString::number(i + 1);
    const TDocumentRecord& d = Documents[static_cast<std::size_t>(i + 1)];
    auto* box = new QGroupBox(" Document " + n + " ", this);
    box->setObjectName("GroupBox" + n);
    auto* grid = new QGridLayout(box);
    auto* programLabel = new QLabel("Program " + n, box);
    programLabel->setToolTip(platform::QStringFromDisplay(programHint));
    auto* fileLabel = new QLabel("File " + n, box);
    fileLabel->setToolTip(platform::QStringFromDisplay(fileHint));
    Edit_prog[i] = new QLineEdit(ShownPath(d.Program.view()), box);
    Edit_prog[i]->setObjectName("Edit_prog" + n);
    Edit_prog[i]->setMaxLength(kDocumentTextLength);
    Edit_file[i] = new QLineEdit(ShownPath(d.DocFile.view()), box);
    Edit_file[i]->setObjectName("Edit_file" + n);
    Edit_file[i]->setMaxLength(kDocumentTextLength);
    Edit_prog[i]->setPlaceholderText("(default program for the file)");
    Button_prog[i] = NewFormButton(box, "Button_prog" + n, "...");
    Button_file[i] = NewFormButton(box, "Button_file" + n, "...");
    Button_prog[i]->setFixedWidth(32);
    Button_file[i]->setFixedWidth(32);
    connect(Button_prog[i], &QPushButton::clicked, this, [this, i] { Button_progClick(i); });
    connect(Button_file[i], &QPushButton::clicked, this, [this, i] { Button_fileClick(i); });
    grid->addWidget(programLabel, 0, 0);
    grid->addWidget(Edit_prog[i], 0, 1);
    grid->addWidget(Button_prog[i], 0, 2);
    grid->addWidget(fileLabel, 1, 0);
    grid->addWidget(Edit_file[i], 1, 1);
    grid->addWidget(Button_file[i], 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(box);
  }

  AddButtonRow(*layout);
  resize(460, sizeHint().height());
  ScaleCenterForm(*this);
}

// Programs here carry no ".exe", and files need no extension: both show every file.
void TForm_confDoku::Button_progClick(int i) { ChooseInto(Edit_prog[i], "*"); }

void TForm_confDoku::Button_fileClick(int i) { ChooseInto(Edit_file[i], "*"); }

// A name longer than the record holds (its characters may take several
// bytes each) is refused by name, and the dialog stays open.
void TForm_confDoku::Button_okClick() {
  AbortFlag = 0;
  std::array<std::string, kDocumentSlots> programs, files;
  for (int i = 0; i < kDocumentSlots; ++i) {
    const TDocumentRecord& d = Documents[static_cast<std::size_t>(i + 1)];
    programs[i] = StoredPath(Edit_prog[i]->text(), d.Program.view());
    files[i] = StoredPath(Edit_file[i]->text(), d.DocFile.view());
    for (const std::string* name : {&programs[i], &files[i]}) {
      if (name->size() > static_cast<std::size_t>(kDocumentTextLength)) {
        ShowError("The name " + *name + " is longer than " + std::to_string(kDocumentTextLength) +
                  " bytes and cannot be kept");
        return;
      }
    }
  }
  for (int i = 0; i < kDocumentSlots; ++i) {
    TDocumentRecord& d = Documents[static_cast<std::size_t>(i + 1)];
    d.Program = programs[i];
    d.DocFile = files[i];
  }
  accept();
}

int ShowDocumentSetup() {
  TForm_confDoku form;
  if (platform::ExecModal(form, "Document Setup") == platform::DialogResult::Ok) InputModified = 1;
  return 0;
}
