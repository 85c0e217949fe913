#include "cad/forms/axis_limits_form.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "cad/axis_frame.h"
#include "cad/diagram_plotter.h"
#include "framework/charset.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/number_format.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

namespace {

// A number field, named in the message when its text is no number.
QLineEdit* NewEdit(QWidget* parent, const char* name, const char* shown) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  MarkNumberField(edit, shown);
  return edit;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QString Text(Extended x) { return platform::QStringFromDisplay(FloatToText(x)); }

Extended Value(const QLineEdit* edit) {
  return TextToFloat(platform::DisplayFromQString(edit->text()));
}

}  // namespace

TEinDiagramLimits::TEinDiagramLimits(QWidget* parent) : QDialog(parent) {
  setObjectName("TEinDiagramLimits");
  Label_x = new QLabel(this);
  Label_x->setObjectName("Label_x");
  Label_y = new QLabel(this);
  Label_y->setObjectName("Label_y");
  GroupBox1 = new QGroupBox(this);
  GroupBox1->setObjectName("GroupBox1");
  Edit_xmin = NewEdit(GroupBox1, "Edit_xmin", "x min");
  Edit_xmax = NewEdit(GroupBox1, "Edit_xmax", "x max");
  Edit_ymin = NewEdit(GroupBox1, "Edit_ymin", "y min");
  Edit_ymax = NewEdit(GroupBox1, "Edit_ymax", "y max");
  Button_ok = NewButton(this, "Button_ok", "OK");
  Button_cancel = NewButton(this, "Button_cancel", "Cancel");
  Button_help = NewButton(this, "Button_help", "&Help Text");
  Button_calc = NewButton(this, "Button_calc", "Calculate");

  auto* grid = new QGridLayout(GroupBox1);
  grid->addWidget(new QLabel("min", GroupBox1), 0, 1);
  grid->addWidget(new QLabel("max", GroupBox1), 0, 2);
  grid->addWidget(Label_x, 1, 0);
  grid->addWidget(Edit_xmin, 1, 1);
  grid->addWidget(Edit_xmax, 1, 2);
  grid->addWidget(Label_y, 2, 0);
  grid->addWidget(Edit_ymin, 2, 1);
  grid->addWidget(Edit_ymax, 2, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button_calc);
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_cancel);
  buttons->addWidget(Button_help);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1);
  layout->addLayout(buttons);

  connect(Button_ok, &QPushButton::clicked, this, &TEinDiagramLimits::Button_okClick);
  connect(Button_cancel, &QPushButton::clicked, this, &TEinDiagramLimits::Button_cancelClick);
  connect(Button_help, &QPushButton::clicked, this, &TEinDiagramLimits::Button_helpClick);
  connect(Button_calc, &QPushButton::clicked, this, &TEinDiagramLimits::Button_calcClick);
  FormCreate();
}

void TEinDiagramLimits::FormCreate() {
  ScaleCenterForm(*this);
  setWindowTitle(platform::QStringFromDisplay(ProgShortName));
  Button_ok->setDefault(true);
  const TAxisLimits& u = PlotState.UserAxisLimits;
  Edit_xmin->setText(Text(u.xmin));
  Edit_xmax->setText(Text(u.xmax));
  Edit_ymin->setText(Text(u.ymin));
  Edit_ymax->setText(Text(u.ymax));
}

void TEinDiagramLimits::Button_okClick() {
  if (!NumberFieldsValid(this)) return;
  TAxisLimits& u = PlotState.UserAxisLimits;
  u.xmin = Value(Edit_xmin);
  u.xmax = Value(Edit_xmax);
  u.ymin = Value(Edit_ymin);
  u.ymax = Value(Edit_ymax);
  accept();
}

void TEinDiagramLimits::Button_cancelClick() { reject(); }

// Esc and the close box count as Cancel.
void TEinDiagramLimits::reject() {
  AbortFlag = 1;
  QDialog::reject();
}

void TEinDiagramLimits::Button_helpClick() {
  ShowHelpText(1950, "", 1);
  AbortFlag = 0;
}

void TEinDiagramLimits::Button_calcClick() {
  Edit_xmin->setText(Text(CalcXMin));
  Edit_xmax->setText(Text(CalcXMax));
  Edit_ymin->setText(Text(CalcYMin));
  Edit_ymax->setText(Text(CalcYMax));
}

void SetDiagramLimitsCalc(TEinDiagramLimits& form, Extended xmin, Extended ymin, Extended xmax,
                          Extended ymax) {
  form.CalcXMin = xmin;
  form.CalcYMin = ymin;
  form.CalcXMax = xmax;
  form.CalcYMax = ymax;
}

bool AskDiagramLimits(const std::string& xText, const std::string& yText,
                      const std::string& title, Extended x0, Extended y0, Extended x1,
                      Extended y1) {
  TEinDiagramLimits form(QApplication::activeWindow());
  SetDiagramLimitsCalc(form, x0, y0, x1, y1);
  form.Label_x->setText(ShownText(xText));
  form.Label_y->setText(ShownText(yText));
  form.setWindowTitle(platform::QStringFromDisplay(OemToAnsiText(title)));
  if (platform::ExecModal(form, "axis limits") == platform::DialogResult::Ok) return true;
  AbortFlag = 1;
  return false;
}
