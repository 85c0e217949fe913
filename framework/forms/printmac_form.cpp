#include "framework/forms/printmac_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "platform/qt_text.h"

TForm_printmac::TForm_printmac(QWidget* parent) : QDialog(parent) {
  setObjectName("TForm_printmac");
  setWindowTitle(platform::QStringFromDisplay(ProgShortName));
  auto* grid = new QGridLayout;
  for (int k = 1; k <= kBoxCount; ++k) {
    auto* box = new QCheckBox(QString("Print-out %1").arg(k), this);
    box->setObjectName(QString("CheckBox_%1").arg(k));
    box->setChecked((static_cast<unsigned>(PrintMacroSelection) >> (k - 1)) & 1u);
    boxes_[static_cast<std::size_t>(k - 1)] = box;
    grid->addWidget(box, (k - 1) % 7, (k - 1) / 7);
  }
  Button_ok = new QPushButton("OK", this);
  Button_ok->setObjectName("Button_ok");
  Button_ok->setDefault(true);
  Button_cancel = new QPushButton("Cancel", this);
  Button_cancel->setObjectName("Button_cancel");
  Button_help = new QPushButton("&Help Text", this);
  Button_help->setObjectName("Button_help");
  connect(Button_ok, &QPushButton::clicked, this, &TForm_printmac::Button_okClick);
  connect(Button_cancel, &QPushButton::clicked, this, &TForm_printmac::Button_cancelClick);
  connect(Button_help, &QPushButton::clicked, this, &TForm_printmac::Button_helpClick);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_cancel);
  buttons->addWidget(Button_help);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  ScaleCenterForm(*this);
}

void TForm_printmac::Button_okClick() {
  AbortFlag = 0;
  unsigned bits = static_cast<unsigned>(PrintMacroSelection);
  for (int k = 1; k <= kBoxCount; ++k) {
    const unsigned bit = 1u << (k - 1);
    if (boxes_[static_cast<std::size_t>(k - 1)]->isChecked())
      bits |= bit;
    else
      bits &= ~bit;
  }
  PrintMacroSelection = static_cast<int>(bits);
  accept();
}

void TForm_printmac::Button_cancelClick() { reject(); }

// Esc and the close box count as Cancel.
void TForm_printmac::reject() {
  AbortFlag = 1;
  QDialog::reject();
}

void TForm_printmac::Button_helpClick() { ShowHelpText(3520, "", 1); }
