#include "cad/forms/drawing_title_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/drawing_info.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "platform/dialogs.h"

Tform_uni3::Tform_uni3(QWidget* parent) : TCalcForm(parent) {
  setObjectName("Tform_uni3");
  auto* outer = new QVBoxLayout(this);
  auto* g = new QGridLayout;
  auto row = [&](int r, QLabel*& label, const char* labelName, QLineEdit*& edit, const char* editName,
                 int width) {
    label = MakeLabel(this, labelName, "");
    edit = new QLineEdit(this);
    edit->setObjectName(editName);
    edit->setMaxLength(width);  // the stored text keeps no more
    edit->setMinimumWidth(width * 7);
    g->addWidget(label, r, 0);
    g->addWidget(edit, r, 1);
  };
  row(0, Label_zeichname, "Label_zeichname", Edit_zeichname, "Edit_zeichname", 25);
  row(1, Label_zeichname2, "Label_zeichname2", Edit_zeichname2, "Edit_zeichname2", 30);
  row(2, Label_zeichnr, "Label_zeichnr", Edit_zeichnr, "Edit_zeichnr", 18);
  row(3, Label_bemerk1, "Label_bemerk1", Edit_bemerk1, "Edit_bemerk1", 65);
  row(4, Label_bemerk2, "Label_bemerk2", Edit_bemerk2, "Edit_bemerk2", 65);
  row(5, Label_bemerk3, "Label_bemerk3", Edit_bemerk3, "Edit_bemerk3", 65);
  outer->addLayout(g);
  auto* bottom = new QHBoxLayout;
  Button_ok = MakeButton(this, "Button_ok", "");
  Button_cancel = MakeButton(this, "Button_cancel", "");
  bottom->addStretch(1);
  bottom->addWidget(Button_ok);
  bottom->addWidget(Button_cancel);
  outer->addLayout(bottom);
  Button_ok->setDefault(true);
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  FormCreate();
}

void Tform_uni3::FormCreate() {
  ScaleCenterForm(*this);
  setWindowTitle(Disp(ProgTitle.view()));
  Label_zeichname->setText(Disp("Drawing name"));
  Label_zeichname2->setText(Disp("2.Drawing name"));
  Label_zeichnr->setText(Disp("Drawing number"));
  Label_bemerk1->setText(Disp("Line 1"));
  Label_bemerk2->setText(Disp("Line 2"));
  Label_bemerk3->setText(Disp("Line 3"));
  Button_ok->setText(Disp("OK"));
  Button_cancel->setText(Disp("Cancel"));
  Edit_zeichname->setText(Disp(DrawingName.view()));
  Edit_zeichname2->setText(Disp(DrawingName2.view()));
  Edit_zeichnr->setText(Disp(DrawingNumber.view()));
  Edit_bemerk1->setText(Disp(HeaderLines[1].view()));
  Edit_bemerk2->setText(Disp(HeaderLines[2].view()));
  Edit_bemerk3->setText(Disp(HeaderLines[3].view()));
}

void Tform_uni3::Button_okClick() {
  // The short strings cut each text to its variable's width.
  HeaderLines[1] = Stored(Edit_bemerk1->text());
  HeaderLines[2] = Stored(Edit_bemerk2->text());
  HeaderLines[3] = Stored(Edit_bemerk3->text());
  DrawingName = Stored(Edit_zeichname->text());
  DrawingName2 = Stored(Edit_zeichname2->text());
  DrawingNumber = Stored(Edit_zeichnr->text());
  accept();
}

void Tform_uni3::Button_cancelClick() { reject(); }

void ShowDrawingTitleDialog() {
  Tform_uni3 form;
  platform::ExecModal(form, "drawing title");
}
