// Tconfig: copying the settings into the controls and back, and the buttons.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "framework/change_history.h"
#include "framework/charset.h"
#include "framework/colours.h"
#include "framework/config_file.h"
#include "framework/drawing.h"
#include "framework/file_utils.h"
#include "framework/form_placement.h"
#include "framework/forms/colour_form.h"
#include "framework/forms/config_form.h"
#include "framework/forms/config_form_plot.h"
#include "framework/forms/graph_window.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/graph_recorder.h"
#include "framework/input_dialogs.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/c_numbers.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "platform/qt_text.h"
#include "platform/screen.h"

namespace {

QString Q(const std::string& s) { return platform::QStringFromDisplay(s); }
std::string S(const QString& s) { return platform::DisplayFromQString(s); }
QString QOem(std::string_view s) { return ShownText(s); }
std::string SOem(const QString& s) { return StoredText(s); }

// Numbers with "." and at most 7 decimals, the precision of the configuration file.
QString Num(Extended x) {
  char buf[64];
  platform::FormatC(buf, sizeof buf, "%.7Lf", x);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return QString::fromStdString(s);
}
QString Int(long long n) { return QString::number(n); }

Extended FloatOf(const QLineEdit* e) { return TextToFloat(TrimRightText(S(e->text()))); }
int IntOf(const QLineEdit* e) { return TextToInt(TrimRightText(S(e->text()))); }
int IntOf(const QTableWidget* g, int row, int col) {
  const QTableWidgetItem* item = g->item(row, col);
  return item ? TextToInt(TrimRightText(S(item->text()))) : 0;
}
void SetCell(QTableWidget* g, int row, int col, const QString& text) {
  if (!g->item(row, col)) g->setItem(row, col, new QTableWidgetItem);
  g->item(row, col)->setText(text);
}

template <typename T>
T Clamp(T v, T lo, T hi) { return v < lo ? lo : v > hi ? hi : v; }

constexpr Extended kDegree = std::numbers::pi_v<long double> / 180;

// Font style bits: 1 bold, 2 italic, 4 underline, 8 strike-out.
std::string StyleText(Word style) {
  std::string s;
  if (style & 1) s += "bold ";
  if (style & 2) s += "italic ";
  if (style & 4) s += "underline ";
  if (style & 8) s += "strike-out ";
  return s.empty() ? "regular" : TrimRightText(s);
}

// The main window, when one exists (none in batch runs and most tests).
DUdoduvoz* MainWindow() { return dynamic_cast<DUdoduvoz*>(&MainGraphWindow()); }

// Width and height of a window's frame and borders around its client area.
int FrameWidth(const QWidget* w) { return w->frameGeometry().width() - w->geometry().width(); }
int FrameHeight(const QWidget* w) { return w->frameGeometry().height() - w->geometry().height(); }

// Sets the main window's client area (the canvas) to width x height.
void SizeMainClient(int width, int height) {
  DUdoduvoz* w = MainWindow();
  if (!w || !w->Canvas()) return;
  QWidget* canvas = w->Canvas();
  const int dw = w->width() - canvas->width();
  const int dh = w->height() - canvas->height();
  if (width > 0) w->resize(width + dw, w->height());
  if (height > 0) w->resize(w->width(), height + dh);
}

}  // namespace

int Tconfig::RadioIndex(QGroupBox* group) {
  const auto buttons = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
  for (int i = 0; i < buttons.size(); ++i)
    if (buttons[i]->isChecked()) return i;
  return 0;
}

void Tconfig::SetRadioIndex(QGroupBox* group, int index) {
  const auto buttons = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
  if (buttons.isEmpty()) return;
  buttons[Clamp<int>(index, 0, static_cast<int>(buttons.size()) - 1)]->setChecked(true);
}

void Tconfig::LoadConfigControls() {
  // Directories
  Edit_dirdbf->setText(ShownPath(DbfDir));
  Edit_dirplt->setText(ShownPath(PltDir));
  Edit_dirtemp->setText(ShownPath(TempDir));
  Edit_dirdata->setText(ShownPath(DefaultDataDir));
  Edit_dircad->setText(ShownPath(CadDir));
  Edit_direxe->setText(ShownPath(MakerDir));
  Edit_diredi->setText(ShownPath(EdiDir));
  Edit_dirworking->setText(ShownPath(PrintWorkDir));

  // Graphics
  SetRadioIndex(RadioGroup_bildschirmgrafik, ColorGraphics ? 0 : 1);
  Edit_font->setText(QOem(GraphicsTextFont.view()));
  graphicsStyle_ = GraphicsTextStyle;
  Label_hstyle->setText(Q(StyleText(graphicsStyle_)));
  Edit_textbreitenfaktor->setText(Num(GraphicsTextSize));
  Edit_texthoehenfaktor->setText(Num(TextHeightFactor));
  backgroundColour_ = BackgroundColour;
  ShowBackgroundColour();
  Edit_x->setText(Int(HorizontalPixels + 1));
  Edit_y->setText(Int(VerticalPixels + 1));
  Edit_zoomfaktor->setText(Num(ZoomIncrement));
  Edit_panfaktor->setText(Num(PanFactor));
  CheckBox_umrandung->setChecked(ScreendumpBorder != 0);
  SpinEdit_dialogfenster->setValue(InputWindowScale);
  SpinEdit_dialogelemente->setValue(FormScalePercent);
  const Extended angles[3] = {View3DAngleX, View3DAngleY, View3DAngleZ};
  QLineEdit* angleEdits[3] = {Edit_3dx, Edit_3dy, Edit_3dz};
  for (int i = 0; i < 3; ++i) {
    angleTexts_[i] = Num(std::round(angles[i] / kDegree * 10000) / 10000);
    angleEdits[i]->setText(angleTexts_[i]);
  }
  CheckBox_3dxyz->setChecked(Edit3DAngles != 0);

  // CAD
  const TCadState& cad = CadState;
  Edit_cadfont->setText(QOem(cad.CadTextFont.view()));
  Edit_cadtextbreite->setText(Num(cad.CadTextWidthSetting));
  Edit_cadtextwinkel->setText(Num(cad.CadTextSlantSetting));
  CheckBox_diagrammgrenzen->setChecked(EnterDiagramLimits != 0);
  SpinEdit_dxfdec->setValue(cad.CadDecimals);
  SetRadioIndex(radiogroupcadtexttyp, UmlautMode - 1);
  for (int r = 0; r < 5; ++r) {
    const std::size_t layer = static_cast<std::size_t>(5 - r);
    SetCell(StringGrid_layer, r, 0, QOem(cad.CadLayerNames[layer].view()));
    SetCell(StringGrid_layer, r, 1, Int(cad.CadLayerColors[layer]));
    SetCell(StringGrid_layer, r, 2, Int(cad.CadLayerWidths[layer]));
  }
  CheckBox_layermonochrom->setChecked(cad.CadLayerMonochrome != 0);

  // Colour
  for (int r = 0; r < 16; ++r) {
    SetCell(StringGrid_color, r, 1, Int(cad.CadPenColors[static_cast<std::size_t>(r)]));
    SetCell(StringGrid_color, r, 2, Int(cad.CadPenWidths[static_cast<std::size_t>(r)]));
  }
  RefreshColourNames();

  // Printer
  Edit_printxorigin->setText(Int(ScreendumpOriginX));
  Edit_printyorigin->setText(Int(ScreendumpOriginY));
  Edit_printscale->setText(Num(ScreendumpScale));
  Edit_printscaley->setText(Num(PrintScaleVertical));
  SetRadioIndex(RadioGroup_printmono, WindowsPrintMode - 1);
  SetRadioIndex(RadioGroup_orientation, PrinterOrientation - 1);
  CheckBox_printerDialogbox->setChecked(GraphicPrintoutDialog != 0);

  // Printout
  SetRadioIndex(RadioGroup_lpt, PrinterInterface - 1);
  Edit_printerdevice->setText(ShownPath(TextPrinterDevice));
  SetRadioIndex(RadioGroup_trenn, PrintoutDisplayMode - 1);
  SetRadioIndex(RadioGroup_date, DateFormatCode - 1);
  SpinEdit_linesperpage->setValue(LinesPerPage);
  SpinEdit_spacelines->setValue(HeaderSpaceLines);
  // Devices 8 and 9 are not offered: no entry is selected and the setting stays.
  ComboBox_ausdruckdefault->setCurrentIndex(TextDevice >= 1 && TextDevice <= 7 ? TextDevice - 1 : -1);
  CheckBox_ausdruckshowdialog->setChecked(AskTextDevice != 0);
  Edit_left->setText(Int(TextWindowLeft));
  Edit_top->setText(Int(TextWindowTop));
  Edit_width->setText(Int(TextWindowWidth));
  Edit_height->setText(Int(TextWindowHeight));
  SetRadioIndex(RadioGroup_ff, PrintoutHeaderMode - 1);
  printoutFont_ = PrintoutFont.str();
  printoutSize_ = PrintoutTextSize;
  printoutStyle_ = PrintoutTextStyle;
  ShowPrintoutFont();
  SetRadioIndex(RadioGroup_unit, UnitSystem);
  SetRadioIndex(RadioGroup_ausgrad, ConfigTailMode - 1);

  // Settings
  SetRadioIndex(RadioGroup_hilfegrad, HelpLevel);
  SetRadioIndex(RadioGroup_punktkomma, DecimalCommaMode - 1);
  SetRadioIndex(RadioGroup_ExcelDot, DecimalMode == 1 ? 0 : 1);
  SpinEdit_dezimalstellen->setValue(FloatDigits);
  CheckBox_archivmode->setChecked(ArchiveFlag != 0);
  SetRadioIndex(RadioGroup_chars, CharSetMode);
  SetRadioIndex(RadioGroup_ergebnisgrafik, ConfigTailSetting);

  // External
  ListBox_veskart->clear();
  for (const std::string& line : cad.PlotCommandLines) ListBox_veskart->addItem(ShownPath(line));
  ListBox_veskart->setCurrentRow(Clamp<int>(cad.PlotCommandIndex, 1, 5) - 1);
  plotCount_ = cad.PlotCommandCount;
  Edit_externtxt->setText(ShownPath(WordProcessorPath));
  Edit_externhtml->setText(ShownPath(HtmlBrowserPath));

  // Drawing
  Edit_freigabefeld->setText(QOem(cad.CadApprovalLabel4));
  Edit_massfaktorconfig->setText(Num(cad.CadFactor));
  SetRadioIndex(RadioGroup_index, View3DSetting);
  CheckBox_zeichtovimartitel->setChecked(!cad.CadNoProgramLine);
  CheckBox_zeichfilename->setChecked(!cad.CadNoFilePath);
  CheckBox_zeichdatum->setChecked(!cad.CadNoDateTime);
  CheckBox_zeichlogo->setChecked(!cad.CadNoLogo);
}

void Tconfig::StoreConfigControls() {
  // Directories
  DbfDir = StoredPath(Edit_dirdbf->text(), DbfDir);
  PltDir = StoredPath(Edit_dirplt->text(), PltDir);
  TempDir = StoredPath(Edit_dirtemp->text(), TempDir);
  DefaultDataDir = StoredPath(Edit_dirdata->text(), DefaultDataDir);
  CadDir = StoredPath(Edit_dircad->text(), CadDir);
  MakerDir = StoredPath(Edit_direxe->text(), MakerDir);
  EdiDir = StoredPath(Edit_diredi->text(), EdiDir);

  // Graphics
  ColorGraphics = RadioIndex(RadioGroup_bildschirmgrafik) == 0 ? 1 : 0;
  GraphicsTextFont = SOem(Edit_font->text());
  GraphicsTextStyle = graphicsStyle_;
  GraphicsTextSize = FloatOf(Edit_textbreitenfaktor);
  if (GraphicsTextSize == 0) GraphicsTextSize = 1;
  TextHeightFactor = FloatOf(Edit_texthoehenfaktor);
  if (TextHeightFactor == 0) TextHeightFactor = 1;
  BackgroundColour = backgroundColour_;
  HorizontalPixels = static_cast<Word>(Clamp(IntOf(Edit_x) - 1, 0, 5000));
  VerticalPixels = static_cast<Word>(Clamp(IntOf(Edit_y) - 1, 0, 5000));
  ZoomIncrement = FloatOf(Edit_zoomfaktor);
  if (ZoomIncrement == 0) ZoomIncrement = 1;
  PanFactor = FloatOf(Edit_panfaktor);
  ScreendumpBorder = CheckBox_umrandung->isChecked() ? 1 : 0;
  PrintBorder = ScreendumpBorder;
  InputWindowScale = SpinEdit_dialogfenster->value();
  if (InputWindowScale == 0) InputWindowScale = 100;
  FormScalePercent = SpinEdit_dialogelemente->value();
  if (FormScalePercent == 0) FormScalePercent = 100;
  Extended* angles[3] = {&View3DAngleX, &View3DAngleY, &View3DAngleZ};
  QLineEdit* angleEdits[3] = {Edit_3dx, Edit_3dy, Edit_3dz};
  for (int i = 0; i < 3; ++i)
    if (angleEdits[i]->text() != angleTexts_[i]) *angles[i] = FloatOf(angleEdits[i]) * kDegree;
  Edit3DAngles = CheckBox_3dxyz->isChecked() ? 1 : 0;

  // CAD
  TCadState& cad = CadState;
  cad.CadTextFont = SOem(Edit_cadfont->text());
  cad.CadTextWidthSetting = FloatOf(Edit_cadtextbreite);
  cad.CadTextSlantSetting = FloatOf(Edit_cadtextwinkel);
  EnterDiagramLimits = CheckBox_diagrammgrenzen->isChecked() ? 1 : 0;
  cad.CadDecimals = SpinEdit_dxfdec->value();
  UmlautMode = static_cast<Word>(RadioIndex(radiogroupcadtexttyp) + 1);
  for (int r = 0; r < 5; ++r) {
    const std::size_t layer = static_cast<std::size_t>(5 - r);
    cad.CadLayerNames[layer] = SOem(StringGrid_layer->item(r, 0)->text());
    cad.CadLayerColors[layer] = IntOf(StringGrid_layer, r, 1);
    cad.CadLayerWidths[layer] = IntOf(StringGrid_layer, r, 2);
  }
  cad.CadLayerMonochrome = CheckBox_layermonochrom->isChecked() ? 1 : 0;

  // Colour
  for (int r = 0; r < 16; ++r) {
    cad.CadPenColors[static_cast<std::size_t>(r)] = IntOf(StringGrid_color, r, 1);
    cad.CadPenWidths[static_cast<std::size_t>(r)] = IntOf(StringGrid_color, r, 2);
  }

  // Printer: a scale of 0 would print nothing, so it falls back as on reading.
  ScreendumpOriginX = IntOf(Edit_printxorigin);
  ScreendumpOriginY = IntOf(Edit_printyorigin);
  ScreendumpScale = FloatOf(Edit_printscale);
  if (ScreendumpScale == 0) ScreendumpScale = 1;
  PrintScaleVertical = FloatOf(Edit_printscaley);
  if (PrintScaleVertical < 0.0001L) PrintScaleVertical = ScreendumpScale;
  WindowsPrintMode = static_cast<Word>(RadioIndex(RadioGroup_printmono) + 1);
  PrinterOrientation = static_cast<Word>(RadioIndex(RadioGroup_orientation) + 1);
  GraphicPrintoutDialog = CheckBox_printerDialogbox->isChecked() ? 1 : 0;

  // Printout
  PrinterInterface = static_cast<Word>(RadioIndex(RadioGroup_lpt) + 1);
  // A device's name is kept byte for byte; blanks alone name none.
  const std::string device = StoredPath(Edit_printerdevice->text(), TextPrinterDevice);
  TextPrinterDevice = TrimRightText(device).empty() ? std::string() : device;
  PrintoutDisplayMode = static_cast<Word>(RadioIndex(RadioGroup_trenn) + 1);
  // The layout in force is the system's until another one is chosen.
  if (const Word date = static_cast<Word>(RadioIndex(RadioGroup_date) + 1); date != DateFormatCode) {
    DateCodeSetting = date;
    ApplyDateLayout();
  }
  LinesPerPage = SpinEdit_linesperpage->value();
  HeaderSpaceLines = SpinEdit_spacelines->value();
  if (ComboBox_ausdruckdefault->currentIndex() >= 0)
    TextDevice = static_cast<Word>(ComboBox_ausdruckdefault->currentIndex() + 1);
  AskTextDevice = CheckBox_ausdruckshowdialog->isChecked() ? 1 : 0;
  TextWindowLeft = IntOf(Edit_left);
  TextWindowTop = IntOf(Edit_top);
  TextWindowWidth = IntOf(Edit_width);
  TextWindowHeight = IntOf(Edit_height);
  PrintoutHeaderMode = static_cast<Word>(RadioIndex(RadioGroup_ff) + 1);
  PrintoutFont = printoutFont_;
  PrintoutTextSize = printoutSize_;
  PrintoutTextStyle = printoutStyle_;
  UnitSystem = static_cast<Word>(RadioIndex(RadioGroup_unit));
  ConfigTailMode = static_cast<Word>(RadioIndex(RadioGroup_ausgrad) + 1);

  // Settings
  HelpLevel = static_cast<Word>(RadioIndex(RadioGroup_hilfegrad));
  DecimalCommaMode = static_cast<Word>(RadioIndex(RadioGroup_punktkomma) + 1);
  DecimalMode = static_cast<Word>(RadioIndex(RadioGroup_ExcelDot) + 1);
  FloatDigits = SpinEdit_dezimalstellen->value();
  ArchiveFlag = CheckBox_archivmode->isChecked() ? 1 : 0;
  CharSetMode = static_cast<Word>(RadioIndex(RadioGroup_chars));
  ConfigTailSetting = RadioIndex(RadioGroup_ergebnisgrafik);

  // External
  for (int i = 0; i < ListBox_veskart->count() && i < 5; ++i)
    cad.PlotCommandLines[static_cast<std::size_t>(i)] =
        StoredPath(ListBox_veskart->item(i)->text(), cad.PlotCommandLines[static_cast<std::size_t>(i)]);
  cad.PlotCommandCount = plotCount_;
  if (ListBox_veskart->currentRow() >= 0) cad.PlotCommandIndex = static_cast<Word>(ListBox_veskart->currentRow() + 1);
  if (cad.PlotCommandIndex > cad.PlotCommandCount) cad.PlotCommandIndex = 1;
  WordProcessorPath = StoredPath(Edit_externtxt->text(), WordProcessorPath);
  HtmlBrowserPath = StoredPath(Edit_externhtml->text(), HtmlBrowserPath);

  // Drawing
  cad.CadApprovalLabel4 = SOem(Edit_freigabefeld->text());
  cad.CadFactor = FloatOf(Edit_massfaktorconfig);
  if (cad.CadFactor < 0.01L) cad.CadFactor = 1;
  View3DSetting = static_cast<Word>(RadioIndex(RadioGroup_index));
  ApplyIndexStyle();
  cad.CadNoProgramLine = CheckBox_zeichtovimartitel->isChecked() ? 0 : 1;
  cad.CadNoFilePath = CheckBox_zeichfilename->isChecked() ? 0 : 1;
  cad.CadNoDateTime = CheckBox_zeichdatum->isChecked() ? 0 : 1;
  cad.CadNoLogo = CheckBox_zeichlogo->isChecked() ? 0 : 1;

  // A window size of 0 means the whole screen.
  const platform::ScreenInfo screen = platform::GetScreenInfo();
  if (HorizontalPixels == 0) HorizontalPixels = static_cast<Word>(std::max(1, screen.width - FrameWidth(this)));
  if (VerticalPixels == 0) VerticalPixels = static_cast<Word>(std::max(1, screen.height - FrameHeight(this)));
  SizeMainClient(HorizontalPixels + 1, VerticalPixels + 1);
  GraphClearViewPort();
}

void Tconfig::StoreImportAndControls() {
  if (!importedSettings_.empty()) {
    const auto abort = AbortFlag;
    ReadConfigFile(importedSettings_);
    AbortFlag = abort;
    DeleteTextFile(importedSettings_);
    importedSettings_.clear();
  }
  StoreConfigControls();
}

bool Tconfig::PathsFitSettings() {
  for (QLineEdit* edit : {Edit_dirdbf, Edit_dirplt, Edit_dirtemp, Edit_dirdata, Edit_dircad, Edit_direxe, Edit_diredi,
                          Edit_printerdevice, Edit_externtxt, Edit_externhtml}) {
    if (RefusedWithLineBreak(StoredPath(edit->text()))) {
      edit->setFocus();
      return false;
    }
  }
  for (int i = 0; i < ListBox_veskart->count(); ++i)
    if (RefusedWithLineBreak(StoredPath(ListBox_veskart->item(i)->text()))) return false;
  return true;
}

bool Tconfig::ValuesKeptAtNextStart() {
  const auto refuse = [this](QLineEdit* edit, const std::string& why) {
    ShowError(why);
    Pagecontrol1->setCurrentWidget(Tab_grafik);
    edit->setFocus();
    edit->selectAll();
    return false;
  };
  // 0 stands for the default 1; the settings file reads any other value below 0.1 as 1.
  const Extended factor = FloatOf(Edit_texthoehenfaktor);
  if (factor != 0 && factor < 0.1L)
    return refuse(Edit_texthoehenfaktor, "Text height factor: " + TrimRightText(S(Edit_texthoehenfaktor->text())) +
                                             " is below 0.1, which the next start would read as 1.  Valid Data "
                                             "are: 0.1 and more (0 for 1) !");
  // The settings file reads a pan factor of 0 as 0.01.
  if (FloatOf(Edit_panfaktor) == 0)
    return refuse(Edit_panfaktor, "pan faktor: 0 would move nothing, and the next start would read it as 0.01.  "
                                  "Please type the factor (0.02 by default).");
  return true;
}

void Tconfig::Button_okClick() {
  if (!NumberFieldsValid(this) || !PathsFitSettings() || !ValuesKeptAtNextStart()) return;
  StoreImportAndControls();
  accept();
}

void Tconfig::Button_saveClick() {
  if (!NumberFieldsValid(this) || !PathsFitSettings() || !ValuesKeptAtNextStart()) return;
  StoreImportAndControls();
  AbortFlag = 0;  // an earlier cancel must not keep the file from being written
  WriteConfigFile();
  accept();
}

void Tconfig::Button_cancelClick() { reject(); }

Tconfig::~Tconfig() {
  if (!importedSettings_.empty()) DeleteTextFile(importedSettings_);
}

// The chosen file is read into the controls, and every setting of it is kept
// aside: the settings themselves stay as they were until OK or Save, which
// take all of them, also those without a control.
void Tconfig::Button_importClick() {
  AbortFlag = 0;
  platform::FileDialogRequest request;
  request.title = "Import";
  request.directory = ConfigDir;
  request.patterns = {"*.cfg"};
  std::string chosen;
  if (!platform::AskOpenFile(request, chosen)) {
    AbortFlag = 1;
    return;
  }
  if (!IsConfigFile(chosen)) {
    ShowError(chosen + " is no configuration file or cannot be read; nothing imported");
    AbortFlag = 1;
    return;
  }
  const std::string tempDir = AddBackslash(platform::ProcessTempDir());
  const std::string before = tempDir + "config-before-import.cfg";
  const std::string imported = tempDir + "config-imported.cfg";
  // The current settings are kept in a file of their own while the import is read.
  WriteConfigFile(before);
  if (AbortFlag) return;  // reported
  ReadConfigFile(chosen);
  const bool read = !AbortFlag;
  AbortFlag = 0;
  if (read) {
    LoadConfigControls();
    WriteConfigFile(imported);
  }
  const bool kept = read && !AbortFlag;
  AbortFlag = 0;
  ReadConfigFile(before);
  DeleteTextFile(before);
  if (!read) ShowError(chosen + " cannot be read; nothing imported");
  if (kept) importedSettings_ = imported;
  AbortFlag = kept ? 0 : 1;
}

void Tconfig::Button_dirtempenvClick() {
  std::string temp = GetEnvVar("TEMP");
  if (temp.empty()) temp = GetEnvVar("TMPDIR");
  if (!temp.empty()) Edit_dirtemp->setText(ShownPath(temp));
}

void Tconfig::Button_fontClick() {
  platform::FontChoice font;
  font.family = S(Edit_font->text());
  font.bold = graphicsStyle_ & 1;
  font.italic = graphicsStyle_ & 2;
  font.underline = graphicsStyle_ & 4;
  if (!platform::AskFont(font)) return;
  Edit_font->setText(Q(font.family));
  graphicsStyle_ = static_cast<Word>((font.bold ? 1 : 0) | (font.italic ? 2 : 0) | (font.underline ? 4 : 0) |
                                     (graphicsStyle_ & 8));
  Label_hstyle->setText(Q(StyleText(graphicsStyle_)));
}

void Tconfig::Button_textfontClick() {
  platform::FontChoice font;
  font.family = OemToAnsiText(printoutFont_);
  font.pointSize = printoutSize_ > 0 ? printoutSize_ : 10;
  font.bold = printoutStyle_ & 1;
  font.italic = printoutStyle_ & 2;
  font.underline = printoutStyle_ & 4;
  if (!platform::AskFont(font)) return;
  printoutFont_ = AnsiToOemText(font.family).substr(0, 60);
  printoutSize_ = static_cast<Word>(Clamp(font.pointSize, 1, 999));
  printoutStyle_ = static_cast<Word>((font.bold ? 1 : 0) | (font.italic ? 2 : 0) | (font.underline ? 4 : 0) |
                                     (printoutStyle_ & 8));
  ShowPrintoutFont();
}

void Tconfig::ShowPrintoutFont() {
  Label_courier->setText(QOem(printoutFont_));
  Label_couriersize->setText(Int(printoutSize_));
  Label_courierstyle->setText(Q(StyleText(printoutStyle_)));
}

void Tconfig::ShowBackgroundColour() {
  const auto c = static_cast<TColorRef>(backgroundColour_);
  const QColor colour(ColorRefRed(c), ColorRefGreen(c), ColorRefBlue(c));
  QPalette p = Panel_colour->palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::WindowText, colour.lightness() < 128 ? Qt::white : Qt::black);
  Panel_colour->setPalette(p);
  const platform::ScreenInfo screen = platform::GetScreenInfo();
  Panel_colour->setText(Int(screen.width) + " x " + Int(screen.height));
}

void Tconfig::Button_hintergrundfarbeClick() {
  const auto c = static_cast<TColorRef>(backgroundColour_);
  std::uint32_t rgb = (static_cast<std::uint32_t>(ColorRefRed(c)) << 16) |
                      (static_cast<std::uint32_t>(ColorRefGreen(c)) << 8) | static_cast<std::uint32_t>(ColorRefBlue(c));
  if (!platform::AskColour(rgb)) return;
  backgroundColour_ = static_cast<int>(MakeColorRef((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  ShowBackgroundColour();
}

void Tconfig::Button_aufloesungClick() {
  const platform::ScreenInfo screen = platform::GetScreenInfo();
  const QWidget* main = MainWindow();
  const int fw = main ? FrameWidth(main) : 0;
  const int fh = main ? FrameHeight(main) : 0;
  Edit_x->setText(Int(screen.width - fw));
  Edit_y->setText(Int(screen.height - std::lround(1.65 * fh)));
  ApplyWindowSize();
}

void Tconfig::ApplyWindowSize() { SizeMainClient(IntOf(Edit_x), IntOf(Edit_y)); }

void Tconfig::Button_dialogsizeClick() {
  const platform::ScreenInfo screen = platform::GetScreenInfo();
  double ratio = 1;
  if (screen.mainHeight > 0) ratio = static_cast<double>(screen.mainClientHeight + 46) / screen.mainHeight;
  SpinEdit_dialogfenster->setValue(static_cast<int>(std::lround(100.0 * (screen.dpiY / 96.0) * (ratio + 0.009))));
}

void Tconfig::Button_dialogelementeClick() {
  const platform::ScreenInfo screen = platform::GetScreenInfo();
  double ratio = 1;
  if (screen.mainHeight > 0) ratio = static_cast<double>(screen.mainClientHeight + 46) / screen.mainHeight;
  const int window = std::max(1, SpinEdit_dialogfenster->value());
  const double dpiX = logicalDpiX() > 0 ? logicalDpiX() : 96;
  SpinEdit_dialogelemente->setValue(
      static_cast<int>(std::lround(100.0 * (dpiX / 96.0) * (ratio + 0.009) * 100.0 / window)));
}

void Tconfig::Button_TextwindowClick() {
  Edit_left->setText("10");
  Edit_top->setText("40");
  int width = IntOf(Edit_x) < 641 ? 620 : static_cast<int>(std::lround(printoutSize_ * 700 * 0.1));
  if (width == 0) width = 700;
  Edit_width->setText(Int(width));
  Edit_height->setText(Int(IntOf(Edit_y) - 20));
}

void Tconfig::RefreshColourNames() {
  for (int r = 0; r < 16; ++r) {
    const int colour = IntOf(StringGrid_color, r, 1);
    SetCell(StringGrid_color, r, 0,
            QString("Colour of layer %1 (%2)").arg(r + 16).arg(DrawingColourName(colour)));
  }
}

void Tconfig::Button_selectcolorClick() {
  if (StringGrid_color->currentColumn() != 1 || StringGrid_color->currentRow() < 0) return;
  const int row = StringGrid_color->currentRow();
  int colour = IntOf(StringGrid_color, row, 1);
  if (SelectDrawingColour(colour)) SetCell(StringGrid_color, row, 1, Int(colour));
  RefreshColourNames();
}

void Tconfig::Button_selectlayercolorClick() {
  const int row = StringGrid_layer->currentRow();
  if (row < 0) return;
  int colour = IntOf(StringGrid_layer, row, 1);
  if (SelectDrawingColour(colour)) SetCell(StringGrid_layer, row, 1, Int(colour));
}

void Tconfig::Button_layerClick(int row) {
  static const char* const defaults[5][3] = {{"5", "1", "3"}, {"4", "3", "2"}, {"3", "2", "1"}, {"2", "2", "1"},
                                             {"1", "2", "1"}};
  if (row < 1 || row > 5) return;
  for (int c = 0; c < 3; ++c) SetCell(StringGrid_layer, row - 1, c, defaults[row - 1][c]);
}

void Tconfig::Button_dickClick(int width) {
  for (int r = 0; r < 16; ++r) SetCell(StringGrid_color, r, 2, Int(width));
}

void Tconfig::Button_confveskartClick() {
  AbortFlag = 0;
  int row = ListBox_veskart->currentRow();
  if (row < 0 || row > 4) row = 0;
  ListBox_veskart->setCurrentRow(row);
  const std::string was = StoredPath(ListBox_veskart->item(row)->text(), CadState.PlotCommandLines[static_cast<std::size_t>(row)]);
  std::string line = was;
  if (EditPlotCommandLine(line)) {
    ListBox_veskart->item(row)->setText(ShownPath(line));
    plotCount_ = static_cast<Word>(std::max<int>(plotCount_, row + 1));
  }
  AbortFlag = 0;
}

void Tconfig::Button_editveskartcommandlineClick() {
  AbortFlag = 0;
  const int row = ListBox_veskart->currentRow();
  if (row < 0 || row > 4) return;
  const std::string was = StoredPath(ListBox_veskart->item(row)->text(), CadState.PlotCommandLines[static_cast<std::size_t>(row)]);
  std::string line = was;
  InputPath("VESKART Command Line", 80, line);
  if (!AbortFlag) {
    ListBox_veskart->item(row)->setText(ShownPath(line));
    plotCount_ = static_cast<Word>(std::max<int>(plotCount_, row + 1));
  }
  AbortFlag = 0;
}
