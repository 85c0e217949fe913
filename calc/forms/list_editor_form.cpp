// Before any Qt header: the message list has a field named like a Qt macro.
#include "framework/calc_messages.h"

#include "calc/forms/list_editor_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "calc/forms/calc_forms.h"
#include "framework/error_explanations.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "platform/dialogs.h"

TForm_einarray::TForm_einarray(QWidget* parent) : TCalcForm(parent) {
  setObjectName("TForm_einarray");
  resize(521, 297);
  auto* grid = new QGridLayout(this);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName("ListBox1");
  QFont fixed("Monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  ListBox1->setFont(fixed);  // the entries are laid out in columns
  grid->addWidget(ListBox1, 0, 0);
  auto* side = new QVBoxLayout;
  Button_neu = MakeButton(this, "Button_neu", "&New");
  Button_aendern = MakeButton(this, "Button_aendern", "&Modify");
  Button_einfuegen = MakeButton(this, "Button_einfuegen", "&Insert");
  Button_loeschen = MakeButton(this, "Button_loeschen", "&Delete");
  Button_156 = MakeButton(this, "Button_156", "");
  Button_157 = MakeButton(this, "Button_157", "");
  Button_158 = MakeButton(this, "Button_158", "");
  for (QPushButton* b : {Button_neu, Button_aendern, Button_einfuegen, Button_loeschen, Button_156, Button_157,
                         Button_158})
    side->addWidget(b);
  side->addStretch(1);
  grid->addLayout(side, 0, 1);
  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "OK");
  Button_cancel = MakeButton(this, "Button_cancel", "Cancel");
  Button_help = MakeButton(this, "Button_help", "&Help");
  Button_hilfebild = MakeButton(this, "Button_hilfebild", "Aux. &Image");
  Button_error = MakeButton(this, "Button_error", "&Error Messages");
  for (QPushButton* b : {Button_ok, Button_cancel, Button_help, Button_hilfebild, Button_error}) bottom->addWidget(b);
  bottom->addStretch(1);
  grid->addLayout(bottom, 1, 0, 1, 2);
  Button_ok->setDefault(true);

  connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
  connect(Button_neu, &QPushButton::clicked, this, [this] { Button_neuClick(); });
  connect(Button_aendern, &QPushButton::clicked, this, [this] { Button_aendernClick(); });
  connect(Button_einfuegen, &QPushButton::clicked, this, [this] { Button_einfuegenClick(); });
  connect(Button_loeschen, &QPushButton::clicked, this, [this] { Button_loeschenClick(); });
  connect(Button_156, &QPushButton::clicked, this, [this] { SpareButtonClick(6); });
  connect(Button_157, &QPushButton::clicked, this, [this] { SpareButtonClick(7); });
  connect(Button_158, &QPushButton::clicked, this, [this] { SpareButtonClick(8); });
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_help, &QPushButton::clicked, this, [this] { Button_helpClick(); });
  connect(Button_hilfebild, &QPushButton::clicked, this, [this] { Button_hilfebildClick(); });
  connect(Button_error, &QPushButton::clicked, this, [this] { Button_errorClick(); });
  ScaleCenterForm(*this);
}

void TForm_einarray::showEvent(QShowEvent* e) {
  FormShow();
  TCalcForm::showEvent(e);
}

void TForm_einarray::FormShow() {
  ListBox1->clear();
  for (int i = 1; i <= ItemCount && i <= static_cast<int>(kItemTextCount); ++i)
    ListBox1->addItem(Disp(ItemTexts[i].view()));
  ListBox1->setCurrentRow(Selected >= 1 && Selected <= ListBox1->count() ? Selected - 1 : -1);
  Action = 0;
  Button_error->setVisible(CalcMessages.count > 0);
}

void TForm_einarray::ListBox1Click() { Selected = static_cast<Word>(SelectedEntry()); }

void TForm_einarray::ListBox1DblClick() {
  Action = 10;
  accept();
}

void TForm_einarray::Button_neuClick() {
  Action = 1;
  ListBox1->setCurrentRow(-1);  // past the last entry: none stays marked
  ListBox1->clearSelection();
  accept();
}

void TForm_einarray::Button_einfuegenClick() {
  Action = 2;
  accept();
}

void TForm_einarray::Button_loeschenClick() {
  Action = 3;
  accept();
}

void TForm_einarray::Button_aendernClick() {
  Action = 9;
  accept();
}

void TForm_einarray::SpareButtonClick(int code) {
  Action = static_cast<Word>(code);
  accept();
}

void TForm_einarray::Button_okClick() {
  AbortFlag = 0;
  accept();
}

void TForm_einarray::Button_cancelClick() {
  Action = 0;
  reject();
}

void TForm_einarray::Button_helpClick() {
  ShowHelpText(HelpNumber, "", 1);
  AbortFlag = 0;
}

void TForm_einarray::Button_hilfebildClick() {
  ShowHelpText(HelpNumber, "", 2);
  AbortFlag = 0;
  BringToFront();
}

void TForm_einarray::Button_errorClick() {
  ShowCalculationMessages();
  AbortFlag = 0;
}

// Only a line the user marked counts: the list makes its first line current
// when it takes the focus, without marking it.
int TForm_einarray::SelectedEntry() const {
  const QModelIndexList rows = ListBox1->selectionModel()->selectedRows();
  return rows.isEmpty() ? 0 : rows.front().row() + 1;
}

int RunListEditor(std::string_view caption, int count, int& selected, const std::array<std::string, 3>& spare) {
  TForm_einarray form;
  form.setWindowTitle(Disp(caption));
  form.ItemCount = static_cast<Word>(count < 0 ? 0 : count);
  form.Selected = static_cast<Word>(selected < 0 ? 0 : selected);
  QPushButton* spares[3] = {form.Button_156, form.Button_157, form.Button_158};
  for (int i = 0; i < 3; ++i) {
    spares[i]->setText(Disp(spare[i]));
    spares[i]->setVisible(!spare[i].empty());
  }
  platform::ExecModal(form, std::string(caption));
  selected = form.SelectedEntry();
  return form.Action;
}
