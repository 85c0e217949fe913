#include "framework/forms/config_form_plot.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

namespace {

QString Q(const std::string& s) { return platform::QStringFromDisplay(s); }
std::string S(const QString& s) { return platform::DisplayFromQString(s); }

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QLineEdit* Edit(QWidget* parent, const char* name, const QString& text) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  return e;
}

// A group of radio buttons named <group>_<n>, n from 0.
QButtonGroup* Radios(QGroupBox* box, const QStringList& items, int checked) {
  auto* group = new QButtonGroup(box);
  auto* layout = new QVBoxLayout(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* r = new QRadioButton(items[i], box);
    r->setObjectName(box->objectName() + "_" + QString::number(i));
    group->addButton(r, i);
    layout->addWidget(r);
  }
  group->button(checked)->setChecked(true);
  return group;
}

// A help text as a control's hint, when the help level asks for hints.
void Hint(QWidget* w, Word help) {
  if (HelpLevel == 0) return;
  std::string text;
  GetHelpEntryText(help, text);
  w->setToolTip(Q(text));
}

}  // namespace

TForm_confveskart::TForm_confveskart(QWidget* parent) : QDialog(parent) {
  setObjectName("TForm_confveskart");
  setWindowTitle("VESKART");
  TPlotProgramOptions d;
  d.OutputDir = TempDir;

  Edit_veskartPath = Edit(this, "Edit_veskartPath", ShownPath(d.ProgramPath));
  Button_veskartpath = Button(this, "Button_veskartpath", "...");
  RadioGroup_outcode = new QGroupBox("destination code", this);
  RadioGroup_outcode->setObjectName("RadioGroup_outcode");
  QStringList codes;
  for (const char* n : kPlotDestinationNames) codes << n;
  outcode_ = Radios(RadioGroup_outcode, codes, d.Destination);
  RadioGroup_d = new QGroupBox("output interface", this);
  RadioGroup_d->setObjectName("RadioGroup_d");
  interface_ = Radios(RadioGroup_d, {"serial", "parallel", "file"}, d.Interface);
  Edit_com = Edit(this, "Edit_com", Q(d.ComPort));
  Edit_lpt = Edit(this, "Edit_lpt", Q(d.LptPort));
  Edit_outdir = Edit(this, "Edit_outdir", ShownPath(d.OutputDir));
  Button_outDir = Button(this, "Button_outDir", "Dir...");
  Button_tempdir = Button(this, "Button_tempdir", "<");
  Edit_scale = Edit(this, "Edit_scale", Q(d.Scale));
  CheckBox_scale = new QCheckBox("scale fit limits ?", this);
  CheckBox_scale->setObjectName("CheckBox_scale");
  CheckBox_rotate = new QCheckBox("rotate 90 degrees ?", this);
  CheckBox_rotate->setObjectName("CheckBox_rotate");
  Edit_xnull = Edit(this, "Edit_xnull", Q(d.ShiftX));
  Edit_ynull = Edit(this, "Edit_ynull", Q(d.ShiftY));
  Edit_textbreitenfaktor = Edit(this, "Edit_textbreitenfaktor", Q(d.TextWidthFactor));
  ComboBox_psfont = new QComboBox(this);
  ComboBox_psfont->setObjectName("ComboBox_psfont");
  ComboBox_psfont->setEditable(true);
  for (const char* f : kPostscriptFonts) ComboBox_psfont->addItem(f);
  ComboBox_psfont->setCurrentIndex(-1);
  ComboBox_psfont->setEditText("");
  Label_commandline = new QLabel(this);
  Label_commandline->setObjectName("Label_commandline");
  Label_commandline->setWordWrap(true);
  Label_commandline->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label_commandline->setFrameShape(QFrame::StyledPanel);
  Label_commandline->setMinimumHeight(40);
  Button_ok = Button(this, "Button_ok", "OK");
  Button_ok->setDefault(true);
  Button_cancel = Button(this, "Button_cancel", "Cancel");
  Button_help = Button(this, "Button_help", "&Help");

  // Layout: program, destination and interface side by side, options, line.
  auto* path = new QHBoxLayout;
  path->addWidget(Edit_veskartPath, 1);
  path->addWidget(Button_veskartpath);
  auto* ports = new QFormLayout;
  ports->addRow("COM", Edit_com);
  ports->addRow("LPT", Edit_lpt);
  auto* outdir = new QHBoxLayout;
  outdir->addWidget(Edit_outdir, 1);
  outdir->addWidget(Button_outDir);
  outdir->addWidget(Button_tempdir);
  auto* iface = new QVBoxLayout;
  iface->addWidget(RadioGroup_d);
  iface->addLayout(ports);
  auto* choices = new QHBoxLayout;
  choices->addWidget(RadioGroup_outcode);
  choices->addLayout(iface);
  auto* options = new QFormLayout;
  auto* scale = new QHBoxLayout;
  scale->addWidget(Edit_scale);
  scale->addWidget(CheckBox_scale);
  options->addRow("scale", scale);
  options->addRow("reference point shifting x direction", Edit_xnull);
  options->addRow("reference point shifting y direction", Edit_ynull);
  options->addRow("Textwidth/height", Edit_textbreitenfaktor);
  options->addRow("Postscript font", ComboBox_psfont);
  options->addRow("", CheckBox_rotate);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_cancel);
  buttons->addWidget(Button_help);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("VESKART Program directory", this));
  layout->addLayout(path);
  layout->addLayout(choices);
  layout->addWidget(new QLabel("output directory", this));
  layout->addLayout(outdir);
  layout->addLayout(options);
  layout->addWidget(new QLabel("Command Line:", this));
  layout->addWidget(Label_commandline);
  layout->addLayout(buttons);

  Hint(RadioGroup_outcode, 2090);
  Hint(RadioGroup_d, 2120);
  Hint(Edit_scale, 2140);
  Hint(CheckBox_scale, 2140);
  Hint(Edit_com, 2120);
  Hint(Edit_lpt, 2120);
  Hint(Edit_outdir, 2130);
  Hint(ComboBox_psfont, 2280);
  Hint(CheckBox_rotate, 2145);
  Hint(Edit_xnull, 2150);
  Hint(Edit_ynull, 2150);
  Hint(Edit_textbreitenfaktor, 2160);
  Hint(Edit_veskartPath, 2080);

  auto rebuild = [this] { BuildVeskartCommandLine(); };
  for (QLineEdit* e : {Edit_veskartPath, Edit_com, Edit_lpt, Edit_outdir, Edit_scale, Edit_xnull, Edit_ynull,
                       Edit_textbreitenfaktor})
    connect(e, &QLineEdit::textChanged, this, rebuild);
  connect(ComboBox_psfont, &QComboBox::currentTextChanged, this, rebuild);
  connect(CheckBox_rotate, &QCheckBox::toggled, this, rebuild);
  connect(CheckBox_scale, &QCheckBox::toggled, this, &TForm_confveskart::CheckBox_scaleClick);
  connect(interface_, &QButtonGroup::idToggled, this, [this](int, bool on) { if (on) RadioGroup_dClick(); });
  connect(outcode_, &QButtonGroup::idToggled, this, [this](int, bool on) { if (on) RadioGroup_outcodeClick(); });
  connect(Button_veskartpath, &QPushButton::clicked, this, &TForm_confveskart::Button_veskartpathClick);
  connect(Button_outDir, &QPushButton::clicked, this, &TForm_confveskart::Button_outDirClick);
  connect(Button_tempdir, &QPushButton::clicked, this, &TForm_confveskart::Button_tempdirClick);
  connect(Button_ok, &QPushButton::clicked, this, &TForm_confveskart::Button_okClick);
  connect(Button_cancel, &QPushButton::clicked, this, &TForm_confveskart::Button_cancelClick);
  connect(Button_help, &QPushButton::clicked, this, &TForm_confveskart::Button_helpClick);

  RadioGroup_dClick();
  RadioGroup_outcodeClick();
  filling_ = false;
  ScaleCenterForm(*this);
}

TPlotProgramOptions TForm_confveskart::Options() const {
  TPlotProgramOptions o;
  o.ProgramPath = StoredPath(Edit_veskartPath->text());
  o.Destination = std::max(outcode_->checkedId(), 0);
  o.Interface = std::max(interface_->checkedId(), 0);
  o.ComPort = S(Edit_com->text());
  o.LptPort = S(Edit_lpt->text());
  o.OutputDir = StoredPath(Edit_outdir->text(), TempDir);
  o.Scale = S(Edit_scale->text());
  o.Rotate = CheckBox_rotate->isChecked();
  o.ShiftX = S(Edit_xnull->text());
  o.ShiftY = S(Edit_ynull->text());
  o.TextWidthFactor = S(Edit_textbreitenfaktor->text());
  o.PostscriptFont = S(ComboBox_psfont->currentText());
  return o;
}

void TForm_confveskart::ShowLine(const std::string& line) {
  const bool filling = filling_;
  filling_ = true;
  CommandLine = ShownPath(line);
  Label_commandline->setText(CommandLine);
  const std::vector<std::string> words = SplitCommandLine(line);
  if (!words.empty()) Edit_veskartPath->setText(ShownPath(words.front()));
  filling_ = filling;
}

void TForm_confveskart::BuildVeskartCommandLine() {
  if (filling_) return;
  composed_ = true;
  CommandLine = ShownPath(::BuildVeskartCommandLine(Options()));
  Label_commandline->setText(CommandLine);
}

void TForm_confveskart::RadioGroup_dClick() {
  const int chosen = interface_->checkedId();
  Edit_com->setEnabled(chosen == kPlotInterfaceSerial);
  Edit_lpt->setEnabled(chosen == kPlotInterfaceParallel);
  Edit_outdir->setEnabled(chosen == kPlotInterfaceFile);
  Button_outDir->setEnabled(chosen == kPlotInterfaceFile);
  Button_tempdir->setEnabled(chosen == kPlotInterfaceFile);
  BuildVeskartCommandLine();
}

void TForm_confveskart::RadioGroup_outcodeClick() {
  ComboBox_psfont->setEnabled(outcode_->checkedId() == kPlotDestinationPostscript);
  BuildVeskartCommandLine();
}

// Fitting the drawing to its limits is scale 0; unticking leaves the 0 until
// another value is typed.
void TForm_confveskart::CheckBox_scaleClick() {
  if (CheckBox_scale->isChecked()) {
    Edit_scale->setText("0");
    Edit_scale->setEnabled(false);
  } else {
    Edit_scale->setEnabled(true);
  }
  BuildVeskartCommandLine();
}

void TForm_confveskart::Button_veskartpathClick() {
  platform::FileDialogRequest request;
  request.title = "VESKART Program directory";
  request.directory = ExtractDirPart(StoredPath(Edit_veskartPath->text()));
  request.patterns = {"wveskart", "wveskart.exe", "veskart", "veskart.exe"};
  std::string chosen;
  if (!platform::AskOpenFile(request, chosen) || RefusedInCommandLine(chosen)) return;
  Edit_veskartPath->setText(ShownPath(chosen));
  BuildVeskartCommandLine();
}

void TForm_confveskart::Button_outDirClick() {
  const std::string start = StoredPath(Edit_outdir->text(), TempDir);
  std::string dir = start;
  SelectDirectory(start, dir);
  if (dir != start && !RefusedInCommandLine(dir)) Edit_outdir->setText(ShownPath(dir));
}

void TForm_confveskart::Button_tempdirClick() { Edit_outdir->setText(ShownPath(TempDir)); }

void TForm_confveskart::Button_okClick() {
  AbortFlag = 0;
  const TPlotProgramOptions o = Options();
  if (RefusedInCommandLine(o.ProgramPath) || RefusedInCommandLine(o.OutputDir)) return;
  if (composed_) {
    // Only a program that is there is stored; a folder is searched for it.
    std::string why;
    const std::string program = FindPlotProgram(o.ProgramPath, why);
    if (program.empty()) {
      ShowError(why + "; type the plot program or the folder that holds it.");
      Edit_veskartPath->setFocus();
      Edit_veskartPath->selectAll();
      return;
    }
    if (program != o.ProgramPath) Edit_veskartPath->setText(ShownPath(program));
  }
  accept();
}

void TForm_confveskart::Button_cancelClick() { reject(); }

void TForm_confveskart::reject() {
  AbortFlag = 1;
  QDialog::reject();
}

void TForm_confveskart::Button_helpClick() { ShowHelpText(2055, "", 1); }

bool EditPlotCommandLine(std::string& line) {
  TForm_confveskart form;
  form.ShowLine(line);
  AbortFlag = 0;
  if (platform::ExecModal(form, "VESKART") != platform::DialogResult::Ok || AbortFlag) return false;
  line = StoredPath(form.CommandLine, line);
  return true;
}
