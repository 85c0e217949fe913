#include "framework/forms/colour_form.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/charset.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "platform/dialogs.h"

namespace {

const char* const kColourNames[kDrawingColourCount] = {
    "red",      "yellow",    "green",    "cyan",         "blue",  "magenta",    "white",     "dark blue",
    "dark green", "dark cyan", "dark red", "dark magenta", "brown", "light grey", "dark grey", "black"};

}  // namespace

const char* DrawingColourName(int n) {
  if (n < 1 || n > kDrawingColourCount) return "";
  return kColourNames[n - 1];
}

void FillColourNames() {
  for (int n = 1; n <= kDrawingColourCount; ++n) ItemTexts[static_cast<std::size_t>(n)] = kColourNames[n - 1];
}

TForm_selectcolor::TForm_selectcolor(QWidget* parent) : QDialog(parent) {
  setObjectName("TForm_selectcolor");
  setWindowTitle("Select Color");
  ListBox_colors = new QListWidget(this);
  ListBox_colors->setObjectName("ListBox_colors");
  for (int n = 1; n <= kDrawingColourCount; ++n) {
    std::string line = std::to_string(n) + " (" + OemToAnsiText(ItemTexts[static_cast<std::size_t>(n)].view()) + ")";
    ListBox_colors->addItem(ShownDisplayText(line));
  }
  ListBox_colors->setCurrentRow(0);
  Button_ok = new QPushButton("OK", this);
  Button_ok->setObjectName("Button_ok");
  Button_ok->setDefault(true);
  Button_cancel = new QPushButton("Cancel", this);
  Button_cancel->setObjectName("Button_cancel");
  connect(Button_ok, &QPushButton::clicked, this, &TForm_selectcolor::Button_okClick);
  connect(Button_cancel, &QPushButton::clicked, this, &TForm_selectcolor::Button_cancelClick);
  connect(ListBox_colors, &QListWidget::itemDoubleClicked, this, &TForm_selectcolor::Button_okClick);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ListBox_colors);
  layout->addLayout(buttons);
  resize(240, 380);
  ScaleCenterForm(*this);
}

void TForm_selectcolor::Button_okClick() { accept(); }

void TForm_selectcolor::Button_cancelClick() { reject(); }

// Esc and the close box count as Cancel.
void TForm_selectcolor::reject() {
  AbortFlag = 1;
  QDialog::reject();
}

bool SelectDrawingColour(int& colour) {
  FillColourNames();
  TForm_selectcolor form;
  form.ListBox_colors->setCurrentRow(colour >= 1 && colour <= kDrawingColourCount ? colour - 1 : 0);
  AbortFlag = 0;
  platform::ExecModal(form, "Select Color");
  bool chosen = !AbortFlag && form.ListBox_colors->currentRow() >= 0;
  if (chosen) colour = form.ListBox_colors->currentRow() + 1;
  AbortFlag = 0;
  return chosen;
}
