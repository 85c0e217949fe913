// Tconfig: the pages and their controls.
#include "framework/forms/help_key.h"
#include "framework/forms/config_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/input_dialogs.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/qt_text.h"

namespace {

QString Q(const std::string& s) { return platform::QStringFromDisplay(s); }

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

// A small button that fits its caption ("...", "<", "0").
QPushButton* SmallButton(QWidget* parent, const QString& name, const QString& caption) {
  QPushButton* b = NewButton(parent, name, caption);
  b->setMaximumWidth(std::max(32, b->fontMetrics().horizontalAdvance(caption) + 16));
  return b;
}

// Folders, programs and devices are paths: a field holds any the system
// takes, so that OK never cuts a setting the user left alone.
constexpr int kPathLength = 4096;

QLineEdit* NewEdit(QWidget* parent, const QString& name, int maxLength = 0) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  if (maxLength > 0) e->setMaxLength(maxLength);
  return e;
}

QSpinBox* NewSpin(QWidget* parent, const QString& name, int lo, int hi) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(name);
  s->setRange(lo, hi);
  return s;
}

QCheckBox* NewCheck(QWidget* parent, const QString& name, const QString& caption) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(name);
  return c;
}

// A group of radio buttons named <group>_<n>, n from 0, in columns rows deep.
QGroupBox* NewRadioGroup(QWidget* parent, const QString& name, const QString& caption,
                         const QStringList& items, int rows = 99) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(name);
  auto* grid = new QGridLayout(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* r = new QRadioButton(items[i], box);
    r->setObjectName(name + "_" + QString::number(i));
    grid->addWidget(r, i % rows, i / rows);
  }
  return box;
}

// An edit with a button beside it.
QHBoxLayout* Beside(QWidget* edit, QWidget* button, QWidget* more = nullptr) {
  auto* row = new QHBoxLayout;
  row->addWidget(edit, 1);
  row->addWidget(button);
  if (more) row->addWidget(more);
  return row;
}

// A help text as a hint, when the help level asks for hints.
void Hint(QWidget* w, Word help) {
  SetWidgetHelpNumber(w, help);
  if (HelpLevel == 0) return;
  std::string text;
  GetHelpEntryText(help, text);
  w->setToolTip(Q(text));
}

QPushButton* HelpButton(QWidget* parent, Word help) {
  QPushButton* b = NewButton(parent, "Button_help" + QString::number(help), "&Help");
  QObject::connect(b, &QPushButton::clicked, [help] { ShowHelpText(help, "", 1); });
  return b;
}

// A page: a vertical layout whose last row holds the page's help button.
QVBoxLayout* PageLayout(QWidget* page, Word help) {
  auto* layout = new QVBoxLayout(page);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  if (help) bottom->addWidget(HelpButton(page, help));
  layout->addLayout(bottom);
  return layout;
}

// Inserts row before the page's help row.
void AddRow(QVBoxLayout* page, QLayout* row) { page->insertLayout(page->count() - 1, row); }
void AddRow(QVBoxLayout* page, QWidget* w) { page->insertWidget(page->count() - 1, w); }

QTableWidget* NewGrid(QWidget* parent, const QString& name, int rows, const QStringList& columns) {
  auto* grid = new QTableWidget(rows, static_cast<int>(columns.size()), parent);
  grid->setObjectName(name);
  grid->setHorizontalHeaderLabels(columns);
  grid->verticalHeader()->setDefaultSectionSize(22);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns.size(); ++c) grid->setItem(r, c, new QTableWidgetItem);
  return grid;
}

}  // namespace

Tconfig::Tconfig(QWidget* parent) : QDialog(parent) {
  setObjectName("Tconfig");
  setWindowTitle(Q(OemToAnsiText(ProgShortName + " " + "\rConfiguration")).remove('\r'));
  Pagecontrol1 = new QTabWidget(this);
  Pagecontrol1->setObjectName("Pagecontrol1");
  BuildDirectoryPage();
  BuildGraphicsPage();
  BuildCadPage();
  BuildColourPage();
  BuildPrinterPage();
  BuildPrintoutPage();
  BuildSettingsPage();
  BuildExternalPage();
  BuildDrawingPage();
  Pagecontrol1->setCurrentWidget(Tab_grafik);
  const std::pair<QLineEdit*, const char*> floats[] = {
      {Edit_textbreitenfaktor, "Textwidth/height"}, {Edit_texthoehenfaktor, "Text height factor"},
      {Edit_zoomfaktor, "Zoom factor"}, {Edit_panfaktor, "Pan factor"}, {Edit_3dx, "x angle"},
      {Edit_3dy, "y angle"}, {Edit_3dz, "z angle"}, {Edit_cadtextbreite, "CAD Textwidth/height"},
      {Edit_cadtextwinkel, "Font angle"}, {Edit_printscale, "Scale x"}, {Edit_printscaley, "Scale y"},
      {Edit_massfaktorconfig, "Size coeff. Dimensioning"}};
  for (const auto& [edit, name] : floats) MarkNumberField(edit, name);
  const std::pair<QLineEdit*, const char*> integers[] = {
      {Edit_x, "Resolution x"}, {Edit_y, "Resolution y"}, {Edit_printxorigin, "Origin x"},
      {Edit_printyorigin, "Origin y"}, {Edit_left, "Text window left"}, {Edit_top, "Text window top"},
      {Edit_width, "Text window width"}, {Edit_height, "Text window height"}};
  for (const auto& [edit, name] : integers) MarkNumberField(edit, name, NumberKind::Integer);

  Button_ok = NewButton(this, "Button_ok", "OK");
  Button_ok->setDefault(true);
  Button_cancel = NewButton(this, "Button_cancel", "Cancel");
  Button_save = NewButton(this, "Button_save", "&Save");
  Button_import = NewButton(this, "Button_import", "Import..");
  connect(Button_ok, &QPushButton::clicked, this, &Tconfig::Button_okClick);
  connect(Button_cancel, &QPushButton::clicked, this, &Tconfig::Button_cancelClick);
  connect(Button_save, &QPushButton::clicked, this, &Tconfig::Button_saveClick);
  connect(Button_import, &QPushButton::clicked, this, &Tconfig::Button_importClick);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button_import);
  buttons->addStretch();
  buttons->addWidget(Button_ok);
  buttons->addWidget(Button_cancel);
  buttons->addWidget(Button_save);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Pagecontrol1);
  layout->addLayout(buttons);

  LoadConfigControls();
  resize(640, 560);
  ScaleCenterForm(*this);
  move(x(), std::max(0, y() - 10));
}

void Tconfig::BuildDirectoryPage() {
  Tab_dir = new QWidget;
  Tab_dir->setObjectName("Tab_dir");
  Pagecontrol1->addTab(Tab_dir, "Directories");
  QVBoxLayout* page = PageLayout(Tab_dir, 0);
  auto* form = new QFormLayout;
  auto dirRow = [&](QLineEdit*& edit, const char* name, const char* button, const QString& caption, Word help,
                    QWidget* more = nullptr) {
    edit = NewEdit(Tab_dir, name, kPathLength);
    QPushButton* b = SmallButton(Tab_dir, button, "...");
    QLineEdit* target = edit;
    connect(b, &QPushButton::clicked, this, [target] {
      std::string dir = StoredPath(target->text());
      const std::string start = dir;
      SelectDirectory(start, dir);
      if (dir != start && !RefusedWithLineBreak(dir)) target->setText(ShownPath(dir));
    });
    auto* label = new QLabel(caption, Tab_dir);
    Hint(label, help);
    form->addRow(label, Beside(edit, b, more));
  };
  Button_dirtempenv = SmallButton(Tab_dir, "Button_dirtempenv", "<");
  connect(Button_dirtempenv, &QPushButton::clicked, this, &Tconfig::Button_dirtempenvClick);
  dirRow(Edit_dirdbf, "Edit_dirdbf", "Button_dirdbf", "Database directory (dbf)", 1600);
  dirRow(Edit_dirplt, "Edit_dirplt", "Button_dirplt", "Help and image directory", 1590);
  dirRow(Edit_dirtemp, "Edit_dirtemp", "Button_dirtemp", "Temporary directory or virtual disk", 1610,
         Button_dirtempenv);
  // The label holds a tab before "Directory", as the project extension is short.
  dirRow(Edit_dirdata, "Edit_dirdata", "Button_dirdata",
         Q("." + std::string(InputFileExt.view()) + " " + "\tDirectory").replace('\t', ' '), 1615);
  dirRow(Edit_dircad, "Edit_dircad", "Button_dircad", "CAD Directory", 1570);
  dirRow(Edit_direxe, "Edit_direxe", "Button_direxe", "TOVIMAR EXE Directory", 1830);
  dirRow(Edit_diredi, "Edit_diredi", "Button_diredi", "EDI Directory", 1595);
  Edit_dirworking = NewEdit(Tab_dir, "Edit_dirworking");
  Edit_dirworking->setReadOnly(true);
  Button_workingDir = SmallButton(Tab_dir, "Button_workingDir", "?");
  connect(Button_workingDir, &QPushButton::clicked, this, [] { ShowHelpText(1605, "", 1); });
  auto* working = new QLabel("Working Directory", Tab_dir);
  Hint(working, 1605);
  form->addRow(working, Beside(Edit_dirworking, Button_workingDir));
  AddRow(page, form);
  page->insertStretch(page->count() - 1);
}

void Tconfig::BuildGraphicsPage() {
  Tab_grafik = new QWidget;
  Tab_grafik->setObjectName("Tab_grafik");
  Pagecontrol1->addTab(Tab_grafik, "Graphics");
  QVBoxLayout* page = PageLayout(Tab_grafik, 1940);

  RadioGroup_bildschirmgrafik =
      NewRadioGroup(Tab_grafik, "RadioGroup_bildschirmgrafik", "Color graphics", {"colour", "monochrome"});
  Hint(RadioGroup_bildschirmgrafik, 1670);

  auto* text = new QGroupBox("Text", Tab_grafik);
  auto* textForm = new QFormLayout(text);
  Edit_font = NewEdit(text, "Edit_font", 32);
  Button_font = NewButton(text, "Button_font", "Font...");
  connect(Button_font, &QPushButton::clicked, this, &Tconfig::Button_fontClick);
  Label_hstyle = new QLabel(text);
  Label_hstyle->setObjectName("Label_hstyle");
  textForm->addRow("Font", Beside(Edit_font, Button_font, Label_hstyle));
  Edit_textbreitenfaktor = NewEdit(text, "Edit_textbreitenfaktor");
  QPushButton* widthDefault = SmallButton(text, "Button_textbreite", "0.8");
  connect(widthDefault, &QPushButton::clicked, this, [this] { Edit_textbreitenfaktor->setText("0.8"); });
  textForm->addRow("Textwidth/height", Beside(Edit_textbreitenfaktor, widthDefault));
  Edit_texthoehenfaktor = NewEdit(text, "Edit_texthoehenfaktor");
  QPushButton* heightDefault = SmallButton(text, "Button_texthoehe", "1");
  connect(heightDefault, &QPushButton::clicked, this, [this] { Edit_texthoehenfaktor->setText("1"); });
  textForm->addRow("Text height factor", Beside(Edit_texthoehenfaktor, heightDefault));
  Hint(Edit_textbreitenfaktor, 1680);
  Hint(Edit_texthoehenfaktor, 1685);

  auto* top = new QHBoxLayout;
  top->addWidget(RadioGroup_bildschirmgrafik);
  top->addWidget(text, 1);
  AddRow(page, top);

  auto* window = new QGroupBox("Window", Tab_grafik);
  auto* grid = new QGridLayout(window);
  Button_hintergrundfarbe = NewButton(window, "Button_hintergrundfarbe", "background colour...");
  connect(Button_hintergrundfarbe, &QPushButton::clicked, this, &Tconfig::Button_hintergrundfarbeClick);
  Panel_colour = new QLabel(window);
  Panel_colour->setObjectName("Panel_colour");
  Panel_colour->setAutoFillBackground(true);
  Panel_colour->setFrameShape(QFrame::Panel);
  Panel_colour->setFrameShadow(QFrame::Sunken);
  Panel_colour->setAlignment(Qt::AlignCenter);
  Panel_colour->setMinimumWidth(110);
  grid->addWidget(Button_hintergrundfarbe, 0, 0);
  grid->addWidget(Panel_colour, 0, 1);
  Edit_x = NewEdit(window, "Edit_x", 4);
  Edit_y = NewEdit(window, "Edit_y", 4);
  Button_aufloesung = NewButton(window, "Button_aufloesung", "<");
  connect(Button_aufloesung, &QPushButton::clicked, this, &Tconfig::Button_aufloesungClick);
  connect(Edit_x, &QLineEdit::editingFinished, this, &Tconfig::ApplyWindowSize);
  connect(Edit_y, &QLineEdit::editingFinished, this, &Tconfig::ApplyWindowSize);
  Edit_zoomfaktor = NewEdit(window, "Edit_zoomfaktor");
  Button_zoom = NewButton(window, "Button_zoom", "1.02");
  connect(Button_zoom, &QPushButton::clicked, this, [this] { Edit_zoomfaktor->setText("1.02"); });
  Edit_panfaktor = NewEdit(window, "Edit_panfaktor");
  Button_pan = NewButton(window, "Button_pan", "0.02");
  connect(Button_pan, &QPushButton::clicked, this, [this] { Edit_panfaktor->setText("0.02"); });
  for (QLineEdit* e : {Edit_x, Edit_y, Edit_zoomfaktor, Edit_panfaktor}) e->setFixedWidth(60);
  for (QPushButton* b : {Button_aufloesung, Button_zoom, Button_pan}) b->setFixedWidth(50);
  auto* size = new QHBoxLayout;
  size->addWidget(Edit_x);
  size->addWidget(new QLabel("x", window));
  size->addWidget(Edit_y);
  size->addWidget(Button_aufloesung);
  size->addStretch();
  grid->addWidget(new QLabel("Window Size", window), 1, 0);
  grid->addLayout(size, 1, 1);
  auto* zoom = new QHBoxLayout;
  zoom->addWidget(Edit_zoomfaktor);
  zoom->addWidget(Button_zoom);
  zoom->addStretch();
  grid->addWidget(new QLabel("zoom increment", window), 2, 0);
  grid->addLayout(zoom, 2, 1);
  auto* pan = new QHBoxLayout;
  pan->addWidget(Edit_panfaktor);
  pan->addWidget(Button_pan);
  pan->addStretch();
  grid->addWidget(new QLabel("pan faktor", window), 3, 0);
  grid->addLayout(pan, 3, 1);
  CheckBox_umrandung = NewCheck(window, "CheckBox_umrandung", "Border line");
  grid->addWidget(CheckBox_umrandung, 4, 0);
  Hint(Edit_x, 1690);
  Hint(Edit_zoomfaktor, 1700);
  Hint(Edit_panfaktor, 1705);

  auto* dialogs = new QGroupBox("Dialogs and 3D view", Tab_grafik);
  auto* dgrid = new QGridLayout(dialogs);
  SpinEdit_dialogfenster = NewSpin(dialogs, "SpinEdit_dialogfenster", 30, 300);
  Button_dialogsize = NewButton(dialogs, "Button_dialogsize", "<");
  connect(Button_dialogsize, &QPushButton::clicked, this, &Tconfig::Button_dialogsizeClick);
  dgrid->addWidget(new QLabel("dialog window size", dialogs), 0, 0);
  dgrid->addWidget(SpinEdit_dialogfenster, 0, 1);
  dgrid->addWidget(Button_dialogsize, 0, 2);
  SpinEdit_dialogelemente = NewSpin(dialogs, "SpinEdit_dialogelemente", 30, 300);
  Button_dialogelemente = NewButton(dialogs, "Button_dialogelemente", "<");
  connect(Button_dialogelemente, &QPushButton::clicked, this, &Tconfig::Button_dialogelementeClick);
  dgrid->addWidget(new QLabel("Dialog element size", dialogs), 1, 0);
  dgrid->addWidget(SpinEdit_dialogelemente, 1, 1);
  dgrid->addWidget(Button_dialogelemente, 1, 2);
  Edit_3dx = NewEdit(dialogs, "Edit_3dx");
  Edit_3dy = NewEdit(dialogs, "Edit_3dy");
  Edit_3dz = NewEdit(dialogs, "Edit_3dz");
  auto* angles = new QHBoxLayout;
  angles->addWidget(new QLabel(Q(OemToAnsiText("x \xF8")), dialogs));
  angles->addWidget(Edit_3dx);
  angles->addWidget(new QLabel(Q(OemToAnsiText("y \xF8")), dialogs));
  angles->addWidget(Edit_3dy);
  angles->addWidget(new QLabel(Q(OemToAnsiText("z \xF8")), dialogs));
  angles->addWidget(Edit_3dz);
  dgrid->addLayout(angles, 2, 0, 1, 3);
  CheckBox_3dxyz = NewCheck(dialogs, "CheckBox_3dxyz", "Edit 3D x,y,z ?");
  dgrid->addWidget(CheckBox_3dxyz, 3, 0, 1, 3);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(window, 1);
  bottom->addWidget(dialogs, 1);
  AddRow(page, bottom);
  page->insertStretch(page->count() - 1);
}

void Tconfig::BuildCadPage() {
  Tab_cad = new QWidget;
  Tab_cad->setObjectName("Tab_cad");
  Pagecontrol1->addTab(Tab_cad, "CAD");
  QVBoxLayout* page = PageLayout(Tab_cad, 1920);

  auto* text = new QGridLayout;
  Edit_cadfont = NewEdit(Tab_cad, "Edit_cadfont", 32);
  text->addWidget(new QLabel("Text font", Tab_cad), 0, 0);
  text->addWidget(Edit_cadfont, 0, 1);
  Edit_cadtextbreite = NewEdit(Tab_cad, "Edit_cadtextbreite");
  QPushButton* widthDefault = SmallButton(Tab_cad, "Button_cadtextbreite", "1");
  connect(widthDefault, &QPushButton::clicked, this, [this] { Edit_cadtextbreite->setText("1"); });
  text->addWidget(new QLabel("Textwidth/height", Tab_cad), 1, 0);
  text->addLayout(Beside(Edit_cadtextbreite, widthDefault), 1, 1);
  Edit_cadtextwinkel = NewEdit(Tab_cad, "Edit_cadtextwinkel");
  QPushButton* angleDefault = SmallButton(Tab_cad, "Button_cadtextwinkel", "0");
  connect(angleDefault, &QPushButton::clicked, this, [this] { Edit_cadtextwinkel->setText("0"); });
  text->addWidget(new QLabel("Font angle", Tab_cad), 2, 0);
  text->addLayout(Beside(Edit_cadtextwinkel, angleDefault), 2, 1);
  SpinEdit_dxfdec = NewSpin(Tab_cad, "SpinEdit_dxfdec", 3, 16);
  QPushButton* decDefault = SmallButton(Tab_cad, "Button_dxfdec", "6");
  connect(decDefault, &QPushButton::clicked, this, [this] { SpinEdit_dxfdec->setValue(6); });
  text->addWidget(new QLabel("number of digits for floating point numbers DXF, TXT", Tab_cad), 3, 0);
  text->addLayout(Beside(SpinEdit_dxfdec, decDefault), 3, 1);
  CheckBox_diagrammgrenzen = NewCheck(Tab_cad, "CheckBox_diagrammgrenzen", "Enter limits of diagrams");
  text->addWidget(CheckBox_diagrammgrenzen, 4, 0, 1, 2);
  Hint(Edit_cadfont, 1720);
  Hint(Edit_cadtextbreite, 1730);
  Hint(Edit_cadtextwinkel, 1740);
  Hint(SpinEdit_dxfdec, 1960);
  Hint(CheckBox_diagrammgrenzen, 1980);
  radiogroupcadtexttyp = NewRadioGroup(Tab_cad, "radiogroupcadtexttyp", "CAD Text Mode",
                                       {"OEM (ASCII)", "ANSI", Q(OemToAnsiText("\x8E->Ae, \xE1->ss..."))});
  auto* top = new QHBoxLayout;
  top->addLayout(text, 1);
  top->addWidget(radiogroupcadtexttyp);
  AddRow(page, top);

  StringGrid_layer = NewGrid(Tab_cad, "StringGrid_layer", 5, {"Layer", "Colour", "pen width"});
  StringGrid_layer->setVerticalHeaderLabels(
      {"continuous line      0.50 mm", "continuous line      0.35 mm", "continuous line      0.25 mm",
       "dashed line          0.25 mm", "center line          0.25 mm"});
  StringGrid_layer->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  // The row captions line up their widths in a fixed-pitch font.
  StringGrid_layer->verticalHeader()->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  StringGrid_layer->setFixedHeight(5 * 22 + StringGrid_layer->horizontalHeader()->sizeHint().height() + 4);
  auto* side = new QVBoxLayout;
  Button_selectlayercolor = NewButton(Tab_cad, "Button_selectlayercolor", "Colour...");
  connect(Button_selectlayercolor, &QPushButton::clicked, this, &Tconfig::Button_selectlayercolorClick);
  side->addWidget(Button_selectlayercolor);
  auto* defaults = new QGridLayout;
  for (int r = 1; r <= 5; ++r) {
    QPushButton* b = NewButton(Tab_cad, "Button_layer" + QString::number(r), QString::number(6 - r));
    b->setMaximumWidth(40);
    b->setToolTip("default layer " + QString::number(6 - r));
    connect(b, &QPushButton::clicked, this, [this, r] { Button_layerClick(r); });
    defaults->addWidget(b, (r - 1) / 3, (r - 1) % 3);
  }
  side->addLayout(defaults);
  side->addStretch();
  side->addWidget(HelpButton(Tab_cad, 1910));  // the layer table
  auto* layers = new QHBoxLayout;
  layers->addWidget(StringGrid_layer, 1);
  layers->addLayout(side);
  AddRow(page, layers);
  CheckBox_layermonochrom = NewCheck(Tab_cad, "CheckBox_layermonochrom", "Layer Monochrome ?");
  AddRow(page, CheckBox_layermonochrom);
  page->insertStretch(page->count() - 1);
}

void Tconfig::BuildColourPage() {
  Tab_color = new QWidget;
  Tab_color->setObjectName("Tab_color");
  Pagecontrol1->addTab(Tab_color, "Colour");
  QVBoxLayout* page = PageLayout(Tab_color, 1555);
  StringGrid_color = NewGrid(Tab_color, "StringGrid_color", 16, {"", "Colour", "pen width"});
  StringGrid_color->verticalHeader()->hide();
  StringGrid_color->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int r = 0; r < 16; ++r) StringGrid_color->item(r, 0)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  auto* side = new QVBoxLayout;
  Button_selectcolor = NewButton(Tab_color, "Button_selectcolor", "Colour...");
  connect(Button_selectcolor, &QPushButton::clicked, this, &Tconfig::Button_selectcolorClick);
  side->addWidget(Button_selectcolor);
  for (int w = 1; w <= 3; ++w) {
    QPushButton* b = NewButton(Tab_color, "Button_dick" + QString::number(w), "pen width=" + QString::number(w));
    connect(b, &QPushButton::clicked, this, [this, w] { Button_dickClick(w); });
    side->addWidget(b);
  }
  side->addStretch();
  auto* row = new QHBoxLayout;
  row->addWidget(StringGrid_color, 1);
  row->addLayout(side);
  AddRow(page, row);
}

void Tconfig::BuildPrinterPage() {
  Tab_drucker = new QWidget;
  Tab_drucker->setObjectName("Tab_drucker");
  Pagecontrol1->addTab(Tab_drucker, "Printer");
  QVBoxLayout* page = PageLayout(Tab_drucker, 1935);
  auto* grid = new QGridLayout;
  Edit_printxorigin = NewEdit(Tab_drucker, "Edit_printxorigin");
  Edit_printyorigin = NewEdit(Tab_drucker, "Edit_printyorigin");
  QPushButton* x0 = SmallButton(Tab_drucker, "Button_printxorigin", "0");
  QPushButton* y0 = SmallButton(Tab_drucker, "Button_printyorigin", "0");
  connect(x0, &QPushButton::clicked, this, [this] { Edit_printxorigin->setText("0"); });
  connect(y0, &QPushButton::clicked, this, [this] { Edit_printyorigin->setText("0"); });
  grid->addWidget(new QLabel("Origin", Tab_drucker), 0, 0);
  grid->addWidget(new QLabel("x", Tab_drucker), 0, 1);
  grid->addLayout(Beside(Edit_printxorigin, x0), 0, 2);
  grid->addWidget(new QLabel("y", Tab_drucker), 0, 3);
  grid->addLayout(Beside(Edit_printyorigin, y0), 0, 4);
  Edit_printscale = NewEdit(Tab_drucker, "Edit_printscale");
  Edit_printscaley = NewEdit(Tab_drucker, "Edit_printscaley");
  QPushButton* scaleDefault = SmallButton(Tab_drucker, "Button_printscale", "1.0");
  QPushButton* scaleCopy = SmallButton(Tab_drucker, "Button_printscaley", "= x");
  connect(scaleDefault, &QPushButton::clicked, this, [this] { Edit_printscale->setText("1.0"); });
  connect(scaleCopy, &QPushButton::clicked, this, [this] { Edit_printscaley->setText(Edit_printscale->text()); });
  grid->addWidget(new QLabel("Scale x", Tab_drucker), 1, 0, 1, 2);
  grid->addLayout(Beside(Edit_printscale, scaleDefault), 1, 2);
  grid->addWidget(new QLabel("Scale y", Tab_drucker), 1, 3);
  grid->addLayout(Beside(Edit_printscaley, scaleCopy), 1, 4);
  AddRow(page, grid);
  RadioGroup_printmono = NewRadioGroup(Tab_drucker, "RadioGroup_printmono", "shading",
                                       {"Monochrome", "Color / grey-scale"});
  RadioGroup_orientation =
      NewRadioGroup(Tab_drucker, "RadioGroup_orientation", "Printout", {"Portrait", "Landscape"});
  auto* groups = new QHBoxLayout;
  groups->addWidget(RadioGroup_printmono);
  groups->addWidget(RadioGroup_orientation);
  AddRow(page, groups);
  CheckBox_printerDialogbox = NewCheck(Tab_drucker, "CheckBox_printerDialogbox", "Show output code dialogue box");
  AddRow(page, CheckBox_printerDialogbox);
  page->insertStretch(page->count() - 1);
}

void Tconfig::BuildPrintoutPage() {
  Tab_textdruck = new QWidget;
  Tab_textdruck->setObjectName("Tab_textdruck");
  Pagecontrol1->addTab(Tab_textdruck, "Printout");
  QVBoxLayout* page = PageLayout(Tab_textdruck, 1930);

  auto* lptBox = new QVBoxLayout;
  RadioGroup_lpt = NewRadioGroup(Tab_textdruck, "RadioGroup_lpt", "LPT-Interface for text printing",
                                 {"LPT1", "LPT2", "LPT3", "LPT4"}, 2);
  lptBox->addWidget(RadioGroup_lpt);
  Edit_printerdevice = NewEdit(Tab_textdruck, "Edit_printerdevice", kPathLength);
  Edit_printerdevice->setPlaceholderText("/dev/usb/lp0");
  auto* device = new QFormLayout;
  device->addRow("Printer device", Edit_printerdevice);
  lptBox->addLayout(device);
  // Line kinds: dashes, box-drawing lines (single and double), blanks, compressed.
  RadioGroup_trenn = NewRadioGroup(
      Tab_textdruck, "RadioGroup_trenn", "Select linetype",
      {"lines  ---- ====  ****", QString::fromUtf8("lines  \u2500\u2500\u2500\u2500 \u2550\u2550\u2550\u2550  ****"),
       "blanks and empty lines", "compressed, without space lines"});
  RadioGroup_date = NewRadioGroup(Tab_textdruck, "RadioGroup_date", "date",
                                  {"DD.MM.YYYY", "MM/DD/YYYY", "YYYY/MM/DD", "DD/MM/YYY"});
  auto* top = new QHBoxLayout;
  top->addLayout(lptBox);
  top->addWidget(RadioGroup_trenn);
  top->addWidget(RadioGroup_date);
  AddRow(page, top);

  auto* grid = new QGridLayout;
  // Fewer than 5 lines a page would be read as 66 at the next start.
  SpinEdit_linesperpage = NewSpin(Tab_textdruck, "SpinEdit_linesperpage", 5, 999);
  SpinEdit_spacelines = NewSpin(Tab_textdruck, "SpinEdit_spacelines", 0, 30);
  grid->addWidget(new QLabel("Max. lines per page for printer", Tab_textdruck), 0, 0);
  grid->addWidget(SpinEdit_linesperpage, 0, 1);
  grid->addWidget(new QLabel("header space lines", Tab_textdruck), 1, 0);
  grid->addWidget(SpinEdit_spacelines, 1, 1);
  ComboBox_ausdruckdefault = new QComboBox(Tab_textdruck);
  ComboBox_ausdruckdefault->setObjectName("ComboBox_ausdruckdefault");
  // The names of the text output devices 1..7.
  {
    const Byte abort = AbortFlag;
    OpenOutput(90, "");
    AbortFlag = abort;
    for (std::size_t d = 1; d <= 7; ++d)
      ComboBox_ausdruckdefault->addItem(Q(OemToAnsiText(TrimRightText(ItemTexts[d].view()))));
  }
  grid->addWidget(new QLabel("output code", Tab_textdruck), 2, 0);
  grid->addWidget(ComboBox_ausdruckdefault, 2, 1);
  CheckBox_ausdruckshowdialog = NewCheck(Tab_textdruck, "CheckBox_ausdruckshowdialog", "Show output code dialogue box");
  grid->addWidget(CheckBox_ausdruckshowdialog, 3, 0, 1, 2);
  RadioGroup_ff = NewRadioGroup(Tab_textdruck, "RadioGroup_ff", "text printout", {"with header", "header only page 1"});
  grid->addWidget(RadioGroup_ff, 0, 2, 4, 1);

  auto* window = new QGroupBox("Text window", Tab_textdruck);
  auto* wgrid = new QGridLayout(window);
  Edit_left = NewEdit(window, "Edit_left", 5);
  Edit_top = NewEdit(window, "Edit_top", 5);
  Edit_width = NewEdit(window, "Edit_width", 5);
  Edit_height = NewEdit(window, "Edit_height", 5);
  wgrid->addWidget(new QLabel("left", window), 0, 0);
  wgrid->addWidget(Edit_left, 0, 1);
  wgrid->addWidget(new QLabel("top", window), 0, 2);
  wgrid->addWidget(Edit_top, 0, 3);
  wgrid->addWidget(new QLabel("width", window), 1, 0);
  wgrid->addWidget(Edit_width, 1, 1);
  wgrid->addWidget(new QLabel("height", window), 1, 2);
  wgrid->addWidget(Edit_height, 1, 3);
  Button_Textwindow = NewButton(window, "Button_Textwindow", "<");
  connect(Button_Textwindow, &QPushButton::clicked, this, &Tconfig::Button_TextwindowClick);
  wgrid->addWidget(Button_Textwindow, 0, 4, 2, 1);
  grid->addWidget(window, 4, 0, 1, 2);

  auto* font = new QGroupBox("Text Font Printout", Tab_textdruck);
  auto* fgrid = new QVBoxLayout(font);
  Label_courier = new QLabel(font);
  Label_courier->setObjectName("Label_courier");
  Label_couriersize = new QLabel(font);
  Label_couriersize->setObjectName("Label_couriersize");
  Label_courierstyle = new QLabel(font);
  Label_courierstyle->setObjectName("Label_courierstyle");
  Button_textfont = NewButton(font, "Button_textfont", "Font...");
  connect(Button_textfont, &QPushButton::clicked, this, &Tconfig::Button_textfontClick);
  fgrid->addWidget(Label_courier);
  fgrid->addWidget(Label_couriersize);
  fgrid->addWidget(Label_courierstyle);
  fgrid->addWidget(Button_textfont);
  grid->addWidget(font, 4, 2);
  AddRow(page, grid);

  RadioGroup_unit = NewRadioGroup(Tab_textdruck, "RadioGroup_unit", "Unit",
                                  {"Metric (mm, N, MPa)", "English (in, lbf, psi)"});
  RadioGroup_ausgrad = NewRadioGroup(Tab_textdruck, "RadioGroup_ausgrad", " Angle ",
                                     {Q(OemToAnsiText("15.1234\xF8")), Q(OemToAnsiText("15\xF8 7' 26\""))});
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(RadioGroup_unit);
  bottom->addWidget(RadioGroup_ausgrad);
  bottom->addStretch();
  AddRow(page, bottom);
  page->insertStretch(page->count() - 1);
}

void Tconfig::BuildSettingsPage() {
  Tab_einstellung = new QWidget;
  Tab_einstellung->setObjectName("Tab_einstellung");
  Pagecontrol1->addTab(Tab_einstellung, "Settings");
  QVBoxLayout* page = PageLayout(Tab_einstellung, 0);
  RadioGroup_hilfegrad =
      NewRadioGroup(Tab_einstellung, "RadioGroup_hilfegrad", "Help level",
                    {"0 : No info window", "1 : default help level", "2 : extended help, single input"});
  RadioGroup_ergebnisgrafik =
      NewRadioGroup(Tab_einstellung, "RadioGroup_ergebnisgrafik", "Result Screen",
                    {"default", "Quick 1", "Quick 2", "Production drawing", "Diagram", "Drawing"}, 3);
  auto* top = new QHBoxLayout;
  top->addWidget(RadioGroup_hilfegrad);
  top->addWidget(RadioGroup_ergebnisgrafik);
  AddRow(page, top);
  RadioGroup_punktkomma = NewRadioGroup(Tab_einstellung, "RadioGroup_punktkomma", "Decimal sign", {"x.xx", "x,xx"});
  RadioGroup_ExcelDot =
      NewRadioGroup(Tab_einstellung, "RadioGroup_ExcelDot", "Decimal sign Excel", {"English x.xx", "German x,xx"});
  RadioGroup_chars = NewRadioGroup(Tab_einstellung, "RadioGroup_chars", "Special characters",
                                   {Q(OemToAnsiText("\xFD  \xE6  \xF8")), "2  u  deg"});
  auto* middle = new QHBoxLayout;
  middle->addWidget(RadioGroup_punktkomma);
  middle->addWidget(RadioGroup_ExcelDot);
  middle->addWidget(RadioGroup_chars);
  AddRow(page, middle);
  auto* form = new QFormLayout;
  SpinEdit_dezimalstellen = NewSpin(Tab_einstellung, "SpinEdit_dezimalstellen", 3, 6);
  form->addRow("number of digits for floating point numbers", SpinEdit_dezimalstellen);
  CheckBox_archivmode = NewCheck(Tab_einstellung, "CheckBox_archivmode", "Archive flag ?");
  form->addRow("", CheckBox_archivmode);
  AddRow(page, form);
  page->insertStretch(page->count() - 1);
}

void Tconfig::BuildExternalPage() {
  Tab_extern = new QWidget;
  Tab_extern->setObjectName("Tab_extern");
  Pagecontrol1->addTab(Tab_extern, "external");
  QVBoxLayout* page = PageLayout(Tab_extern, 0);
  auto* plot = new QGroupBox("VESKART Command Lines", Tab_extern);
  auto* plotLayout = new QHBoxLayout(plot);
  ListBox_veskart = new QListWidget(plot);
  ListBox_veskart->setObjectName("ListBox_veskart");
  ListBox_veskart->setMinimumHeight(5 * 20 + 8);
  Button_confveskart = NewButton(plot, "Button_confveskart", "Config");
  Button_editveskartcommandline = NewButton(plot, "Button_editveskartcommandline", "Edit");
  connect(Button_confveskart, &QPushButton::clicked, this, &Tconfig::Button_confveskartClick);
  connect(ListBox_veskart, &QListWidget::itemDoubleClicked, this, &Tconfig::Button_confveskartClick);
  connect(Button_editveskartcommandline, &QPushButton::clicked, this, &Tconfig::Button_editveskartcommandlineClick);
  auto* side = new QVBoxLayout;
  side->addWidget(Button_confveskart);
  side->addWidget(Button_editveskartcommandline);
  side->addStretch();
  plotLayout->addWidget(ListBox_veskart, 1);
  plotLayout->addLayout(side);
  AddRow(page, plot);

  auto* programs = new QGroupBox("Programs", Tab_extern);
  auto* form = new QFormLayout(programs);
  auto programRow = [&](QLineEdit*& edit, const char* name, const char* button, const QString& caption) {
    edit = NewEdit(programs, name, kPathLength);
    QPushButton* b = NewButton(programs, button, caption);
    QLineEdit* target = edit;
    connect(b, &QPushButton::clicked, this, [target] {
      const std::string path = StoredPath(target->text());
      std::string chosen;
      const Byte abort = AbortFlag;
      SelectOpenFile(path, "*", chosen);
      if (!AbortFlag && !RefusedWithLineBreak(chosen)) target->setText(ShownPath(chosen));
      AbortFlag = abort;
    });
    form->addRow(b, edit);
  };
  programRow(Edit_externtxt, "Edit_externtxt", "Button_externtxt", "word processor");
  programRow(Edit_externhtml, "Edit_externhtml", "Button_externhtml", "HTML Browser");
  AddRow(page, programs);
  page->insertStretch(page->count() - 1);
}

void Tconfig::BuildDrawingPage() {
  Tab_zeichnung = new QWidget;
  Tab_zeichnung->setObjectName("Tab_zeichnung");
  Pagecontrol1->addTab(Tab_zeichnung, "Drawing");
  QVBoxLayout* page = PageLayout(Tab_zeichnung, 0);
  auto* form = new QFormLayout;
  Edit_freigabefeld = NewEdit(Tab_zeichnung, "Edit_freigabefeld", 60);
  QPushButton* approved = SmallButton(Tab_zeichnung, "Button_freigabefeld", "App");
  connect(approved, &QPushButton::clicked, this, [this] { Edit_freigabefeld->setText("App"); });
  form->addRow("Drawing approved", Beside(Edit_freigabefeld, approved));
  Edit_massfaktorconfig = NewEdit(Tab_zeichnung, "Edit_massfaktorconfig");
  QPushButton* factor = SmallButton(Tab_zeichnung, "Button_massfaktor", "1.0");
  connect(factor, &QPushButton::clicked, this, [this] { Edit_massfaktorconfig->setText("1.0"); });
  form->addRow("Size coeff. Dimensioning", Beside(Edit_massfaktorconfig, factor));
  AddRow(page, form);

  RadioGroup_index =
      NewRadioGroup(Tab_zeichnung, "RadioGroup_index", "Index", {"a,b,c...", "1,2,3...", "A,B,C...", "......"});
  auto* title = new QGroupBox(Tab_zeichnung);
  auto* titleLayout = new QVBoxLayout(title);
  Label_fertigungszeichnung = new QLabel("Production drawing", title);
  Label_fertigungszeichnung->setObjectName("Label_fertigungszeichnung");
  QFont bold = Label_fertigungszeichnung->font();
  bold.setBold(true);
  Label_fertigungszeichnung->setFont(bold);
  std::string file = CurrentFileName.substr(0, 50);
  CheckBox_zeichtovimartitel = NewCheck(
      title, "CheckBox_zeichtovimartitel", Q(OemToAnsiText("TOVIMAR " + ProgTitle.str() + " V" + ProgVersion + " ?")));
  CheckBox_zeichfilename = NewCheck(title, "CheckBox_zeichfilename", Q(OemToAnsiText("file name " + file + " ?")));
  CheckBox_zeichdatum = NewCheck(title, "CheckBox_zeichdatum", Q(TodayText() + " " + TimeText() + " ?"));
  CheckBox_zeichlogo = NewCheck(title, "CheckBox_zeichlogo", "$logo_1.dx$ ?");
  titleLayout->addWidget(Label_fertigungszeichnung);
  titleLayout->addWidget(CheckBox_zeichtovimartitel);
  titleLayout->addWidget(CheckBox_zeichfilename);
  titleLayout->addWidget(CheckBox_zeichdatum);
  titleLayout->addWidget(CheckBox_zeichlogo);
  auto* row = new QHBoxLayout;
  row->addWidget(RadioGroup_index);
  row->addWidget(title, 1);
  AddRow(page, row);
  page->insertStretch(page->count() - 1);
}
