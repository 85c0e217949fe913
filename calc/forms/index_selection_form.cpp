#include "calc/forms/index_selection_form.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "calc/forms/calc_forms.h"
#include "framework/globals.h"
#include "platform/dialogs.h"

TForm_bq4idxf5::TForm_bq4idxf5(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName("TForm_bq4idxf5");
  auto* lay = new QHBoxLayout(this);
  lay->setContentsMargins(2, 2, 2, 2);
  UpDown1 = new TUpDown(this, "UpDown1");
  UpDown1->setFixedSize(41, 41);
  UpDown1->Min = 1;
  UpDown1->Position = 1;
  UpDown1->Wrap = false;
  Button1 = new QPushButton("OK", this);
  Button1->setObjectName("Button1");
  Button1->setFixedSize(45, 41);
  lay->addWidget(UpDown1);
  lay->addWidget(Button1);
  setFixedSize(104, 48);
  move(484, 106);  // neither scaled nor centred: it stands beside the sheet
  UpDown1->OnClick = [this](bool up) { UpDown1Click(up); };
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

// The position has already moved within Min..Max.
void TForm_bq4idxf5::UpDown1Click(bool) { accept(); }

void TForm_bq4idxf5::Button1Click() {
  AbortFlag = 1;
  accept();
}

int RunIndexSelection(int maximum, int position) {
  TForm_bq4idxf5 form;
  form.UpDown1->Max = maximum < 1 ? 1 : maximum;
  form.UpDown1->Position = position < 1 ? 1 : (position > form.UpDown1->Max ? form.UpDown1->Max : position);
  platform::ExecModal(form, "row " + std::to_string(position));
  return form.UpDown1->Position;
}
