#include "app/forms/printconf_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/printing.h"
#include "calc/table_access.h"
#include "framework/charset.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/printer_setup.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/qt_text.h"

namespace {

QString Q(const std::string& display) { return platform::QStringFromDisplay(display); }
std::string T(const QLineEdit* edit) { return platform::DisplayFromQString(edit->text().trimmed()); }

// The named settings: "printout.dbf" in the table directory, else the table
// engine's registered "printout".
void OpenPrintoutTable() {
  OpenDbfTable(DbfTableExists("printout.dbf") ? "printout.dbf" : "printout");
}

bool Logical(const std::string& text) { return !text.empty() && (text[0] == 'T' || text[0] == 't' || text[0] == 'Y' || text[0] == 'J'); }

int FieldIndex(const std::string& name) {
  for (int i = 1; i <= DbfFieldCount(); ++i)
    if (DbfFieldName(i) == name) return i;
  return 0;
}

std::string FieldByName(const std::string& name) {
  const int i = FieldIndex(name);
  return i > 0 ? DbfFieldText(i) : std::string();
}

}  // namespace

TForm_printconf::TForm_printconf(bool setupMode, QWidget* parent) : QDialog(parent), printerSetupMode(setupMode) {
  setObjectName("TForm_printconf");
  setWindowTitle("Printout");
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  auto addEdit = [&](const char* name, const char* label, int row, int column) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    auto* caption = new QLabel(label, this);
    caption->setBuddy(edit);
    MarkNumberField(edit, {}, row == 0 ? NumberKind::Float : NumberKind::Integer);
    grid->addWidget(caption, row, column * 2);
    grid->addWidget(edit, row, column * 2 + 1);
    return edit;
  };
  Edit_scalex = addEdit("Edit_scalex", "Scale x", 0, 0);
  Edit_scaley = addEdit("Edit_scaley", "Scale y", 0, 1);
  Edit_xorigin = addEdit("Edit_xorigin", "Origin x", 1, 0);
  Edit_yorigin = addEdit("Edit_yorigin", "Origin y", 1, 1);
  layout->addLayout(grid);
  CheckBox_anpassen = new QCheckBox("fit limits", this);
  CheckBox_anpassen->setObjectName("CheckBox_anpassen");
  CheckBox_umrandung = new QCheckBox("Border line", this);
  CheckBox_umrandung->setObjectName("CheckBox_umrandung");
  layout->addWidget(CheckBox_anpassen);
  layout->addWidget(CheckBox_umrandung);
  auto radioGroup = [&](const char* name, const char* caption, const char* first, const char* second,
                        QRadioButton*& a, QRadioButton*& b) {
    auto* box = new QGroupBox(caption, this);
    box->setObjectName(name);
    auto* l = new QHBoxLayout(box);
    a = new QRadioButton(first, box);
    b = new QRadioButton(second, box);
    l->addWidget(a);
    l->addWidget(b);
    layout->addWidget(box);
    return box;
  };
  RadioGroup_hochquer = radioGroup("RadioGroup_hochquer", "Printout", "Portrait", "Landscape", Radio_portrait,
                                   Radio_landscape);
  RadioGroup_printmono = radioGroup("RadioGroup_printmono", "shading", "Monochrome", "Color / grey-scale",
                                    Radio_mono, Radio_colour);
  Label_printer = new QLabel(this);
  Label_printer->setObjectName("Label_printer");
  layout->addWidget(Label_printer);
  auto* buttons = new QHBoxLayout;
  auto addButton = [&](const char* name, const char* caption, void (TForm_printconf::*handler)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, handler);
    buttons->addWidget(b);
    return b;
  };
  Button_ok = addButton("Button_ok", "OK", &TForm_printconf::Button_okClick);
  Button_ok->setDefault(true);
  Button_cancel = addButton("Button_cancel", "Cancel", &TForm_printconf::Button_cancelClick);
  Button_help = addButton("Button_help", "&Help", &TForm_printconf::Button_helpClick);
  Button_db = addButton("Button_db", "Database", &TForm_printconf::Button_dbClick);
  Button_append = addButton("Button_append", "&Apply Database", &TForm_printconf::Button_appendClick);
  Button_printer = addButton("Button_printer", "Printer", &TForm_printconf::Button_printerClick);
  layout->addLayout(buttons);
  ScaleCenterForm(*this);

  if (PrintMode == 2) {
    PrintScaleX = 1.9;
    PrintScaleY = 1.0;
    PrintOriginX = 0;
    PrintOriginY = 0;
    PrintBorder = 0;
  } else {
    PrintOriginX = ScreendumpOriginX;
    PrintOriginY = ScreendumpOriginY;
    PrintBorder = ScreendumpBorder;
    PrintScaleX = ScreendumpScale;
    PrintScaleY = ScreendumpScale;
    platform::SetPrinterLandscape(PrintMode == 0);
  }
  Edit_scalex->setText(Q(FloatToText(PrintScaleX)));
  Edit_scaley->setText(Q(FloatToText(PrintScaleY)));
  Edit_xorigin->setText(QString::number(PrintOriginX));
  Edit_yorigin->setText(QString::number(PrintOriginY));
  (WindowsPrintMode == 1 ? Radio_mono : Radio_colour)->setChecked(true);
  (platform::PrinterLandscape() ? Radio_landscape : Radio_portrait)->setChecked(true);
  CheckBox_umrandung->setChecked(PrintBorder != 0);
  ShowPrinterName();
}

void TForm_printconf::ShowPrinterName() {
  const platform::PrintChoice choice = platform::PrinterChoice();
  // A PDF file by its name: the folder would not fit the 40 characters. Until
  // a file is chosen here, the print proposes the file of the picture shown.
  const std::string file = printerSetupMode || fileChosen_ ? choice.outputFile
                                                           : ProposedPdfFileName(ScreenPictureName());
  if (choice.outputFile.empty()) {
    const std::string name = choice.printerName.empty() ? "default printer" : choice.printerName;
    Label_printer->setText(Q(name.substr(0, 40)));
    return;
  }
  // The file's whole name: a cut one could name another file.
  Label_printer->setText("PDF file " + QFileInfo(platform::QStringFromPath(file)).fileName());
  Label_printer->setToolTip(platform::QStringFromPath(file));
}

void TForm_printconf::StoreForm() {
  PrintScaleX = TextToFloat(T(Edit_scalex));
  PrintScaleY = TextToFloat(T(Edit_scaley));
  PrintOriginX = TextToInt(T(Edit_xorigin));
  PrintOriginY = TextToInt(T(Edit_yorigin));
  PrintBorder = CheckBox_umrandung->isChecked() ? 1 : 0;
  WindowsPrintMode = Radio_colour->isChecked() ? 2 : 1;
  platform::SetPrinterLandscape(Radio_landscape->isChecked());
}

void TForm_printconf::Button_okClick() {
  if (!NumberFieldsValid(this)) return;
  AbortFlag = 0;
  StoreForm();
  Thh* window = MainWindow();
  if (printerSetupMode) {
    // An empty job brings a printer's properties up to date; into a PDF file
    // it would only replace the file with an empty page.
    if (platform::PrinterChoice().outputFile.empty() && platform::BeginPrinterDocument(ProgShortName))
      platform::EndPrinterDocument();
    TForm_printerinfo info(this);
    platform::ExecModal(info, "TForm_printerinfo");
  } else if (window) {
    if (CheckBox_anpassen->isChecked()) {
      window->RestoreLimit();
      window->ResetZoom();
      window->ReSetWindow();
      window->ClearViewPort();
    }
    window->FormPaint();
    PrintDisplayList(*window, false, ScreenPictureName(), fileChosen_);
  }
  accept();
}

void TForm_printconf::Button_cancelClick() {
  AbortFlag = 1;
  reject();
}

void TForm_printconf::Button_helpClick() { ShowHelpText(1030, "", 1); }

void TForm_printconf::Button_dbClick() {
  AbortFlag = 0;
  OpenPrintoutTable();
  if (AbortFlag) return;
  SetDbfDialogCaptions("Printout", "");
  ShowDbfDialog("CLOSE", 1);
  if (!AbortFlag) {
    Edit_scalex->setText(Q(FieldByName("XSCALE")));
    Edit_scaley->setText(Q(FieldByName("YSCALE")));
    Edit_xorigin->setText(Q(FieldByName("XORIGIN")));
    Edit_yorigin->setText(Q(FieldByName("YORIGIN")));
    (Logical(FieldByName("LANDSCAPE")) ? Radio_landscape : Radio_portrait)->setChecked(true);
    (Logical(FieldByName("MONOCHROM")) ? Radio_mono : Radio_colour)->setChecked(true);
    CheckBox_anpassen->setChecked(Logical(FieldByName("VARIABLE")));
    CheckBox_umrandung->setChecked(Logical(FieldByName("BORDERLINE")));
  }
  CloseDbfTable();
  AbortFlag = 0;
}

void TForm_printconf::Button_appendClick() {
  if (!NumberFieldsValid(this)) return;
  AbortFlag = 0;
  std::string name;
  InputText("Name", 25, name);
  if (AbortFlag) return;
  OpenPrintoutTable();
  if (AbortFlag) return;
  AppendDbfBlank();
  SetDbfFieldString("NAME", OemToAnsiText(name));  // the table converts display text to its code page
  SetDbfFieldFloat("XSCALE", TextToFloat(T(Edit_scalex)));
  SetDbfFieldFloat("YSCALE", TextToFloat(T(Edit_scaley)));
  SetDbfFieldInteger("XORIGIN", TextToInt(T(Edit_xorigin)));
  SetDbfFieldInteger("YORIGIN", TextToInt(T(Edit_yorigin)));
  SetDbfFieldBoolean("LANDSCAPE", Radio_landscape->isChecked());
  SetDbfFieldBoolean("MONOCHROM", Radio_mono->isChecked());
  SetDbfFieldBoolean("VARIABLE", CheckBox_anpassen->isChecked());
  SetDbfFieldBoolean("BORDERLINE", CheckBox_umrandung->isChecked());
  CloseDbfTable();
}

void TForm_printconf::Button_printerClick() {
  platform::PrintChoice choice = platform::PrinterChoice();
  if (platform::AskPrint(choice)) {
    const bool confirmed = choice.fileConfirmed;
    choice.fileConfirmed = false;
    platform::SetPrinterChoice(choice);
    fileChosen_ = !choice.outputFile.empty();
    AbortFlag = 0;
    if (fileChosen_) ConfirmPdfOverwrite(confirmed);
    if (AbortFlag) fileChosen_ = false;  // not to be replaced: the print asks again
    AbortFlag = 0;
  }
  ShowPrinterName();
}

TForm_printerinfo::TForm_printerinfo(QWidget* parent) : QDialog(parent) {
  setObjectName("TForm_printerinfo");
  setWindowTitle("Printer");
  auto* layout = new QVBoxLayout(this);
  StringGrid1 = new QTableWidget(this);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setColumnCount(2);
  StringGrid1->horizontalHeader()->setVisible(false);
  StringGrid1->verticalHeader()->setVisible(false);
  const platform::PrinterFacts f = platform::CurrentPrinterFacts();
  std::string name = f.name;
  if (name.empty()) name = "default printer";
  // Brushes and pens have no limit on these printers (-1, as the device
  // capabilities say it); colours: -1 for full colour, 2 for black and white.
  const std::pair<const char*, std::string> rows[] = {
      {"Name", name},
      {"Treiberversion", f.model.empty() ? std::string("?") : f.model},
      {"Technologie", f.pdf ? "Metafile" : "Rasterdrucker"},
      {"Druckbreite (mm)", std::to_string(f.paperWidthMm)},
      {"Druckhöhe (mm)", std::to_string(f.paperHeightMm)},
      {"Breite (Pixel)", std::to_string(f.widthPixels)},
      {"Höhe (Pixel)", std::to_string(f.heightPixels)},
      {"Linker Seitenoffset (Pixel)", std::to_string(f.leftOffsetPixels)},
      {"Oberer Seitenoffset (Pixel)", std::to_string(f.topOffsetPixels)},
      {"DPI (horizontal)", std::to_string(f.dpiX)},
      {"DPI (vertikal)", std::to_string(f.dpiY)},
      {"Pinsel", "-1"},
      {"Stifte", "-1"},
      {"Markierer", "0"},
      {"Farben", f.colour ? "-1" : "2"},
      {"Schriften", std::to_string(f.fonts)},
  };
  StringGrid1->setRowCount(static_cast<int>(std::size(rows)));
  int r = 0;
  for (const auto& [label, value] : rows) {
    StringGrid1->setItem(r, 0, new QTableWidgetItem(QString::fromUtf8(label)));
    StringGrid1->setItem(r, 1, new QTableWidgetItem(platform::QStringFromDisplay(value)));
    ++r;
  }
  layout->addWidget(StringGrid1);
  Button_ok = new QPushButton("OK", this);
  Button_ok->setObjectName("Button_ok");
  connect(Button_ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(Button_ok);
  resize(420, 480);
}
