// Tconfig, the configuration dialog: directories, graphics window, CAD
// output, layer and colour tables, printer, text printout, general settings,
// external programs and the title block of drawings.
//
// It works on copies: the controls are filled from the settings when the
// dialog is created; OK copies them back, "&Save" copies them back and writes
// the configuration file, Cancel leaves every setting as it was.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

#include "framework/types.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QWidget;

class Tconfig : public QDialog {
  Q_OBJECT

 public:
  explicit Tconfig(QWidget* parent = nullptr);

  QTabWidget* Pagecontrol1;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_save;
  QPushButton* Button_import;

  // "Directories"
  QWidget* Tab_dir;
  QLineEdit* Edit_dirdbf;
  QLineEdit* Edit_dirplt;
  QLineEdit* Edit_dirtemp;
  QLineEdit* Edit_dirdata;
  QLineEdit* Edit_dircad;
  QLineEdit* Edit_direxe;
  QLineEdit* Edit_diredi;
  QLineEdit* Edit_dirworking;
  QPushButton* Button_dirtempenv;
  QPushButton* Button_workingDir;

  // "Graphics"
  QWidget* Tab_grafik;
  QGroupBox* RadioGroup_bildschirmgrafik;
  QLineEdit* Edit_font;
  QPushButton* Button_font;
  QLabel* Label_hstyle;
  QLineEdit* Edit_textbreitenfaktor;
  QLineEdit* Edit_texthoehenfaktor;
  QPushButton* Button_hintergrundfarbe;
  QLabel* Panel_colour;
  QLineEdit* Edit_x;
  QLineEdit* Edit_y;
  QPushButton* Button_aufloesung;
  QLineEdit* Edit_zoomfaktor;
  QPushButton* Button_zoom;
  QLineEdit* Edit_panfaktor;
  QPushButton* Button_pan;
  QCheckBox* CheckBox_umrandung;
  QSpinBox* SpinEdit_dialogfenster;
  QPushButton* Button_dialogsize;
  QSpinBox* SpinEdit_dialogelemente;
  QPushButton* Button_dialogelemente;
  QLineEdit* Edit_3dx;
  QLineEdit* Edit_3dy;
  QLineEdit* Edit_3dz;
  QCheckBox* CheckBox_3dxyz;

  // "CAD"
  QWidget* Tab_cad;
  QLineEdit* Edit_cadfont;
  QLineEdit* Edit_cadtextbreite;
  QLineEdit* Edit_cadtextwinkel;
  QCheckBox* CheckBox_diagrammgrenzen;
  QSpinBox* SpinEdit_dxfdec;
  QGroupBox* radiogroupcadtexttyp;
  QTableWidget* StringGrid_layer;  // row r (0..4) holds layer 5 - r
  QPushButton* Button_selectlayercolor;
  QCheckBox* CheckBox_layermonochrom;

  // "Colour"
  QWidget* Tab_color;
  QTableWidget* StringGrid_color;  // row r (0..15) holds layer r + 16
  QPushButton* Button_selectcolor;

  // "Printer"
  QWidget* Tab_drucker;
  QLineEdit* Edit_printxorigin;
  QLineEdit* Edit_printyorigin;
  QLineEdit* Edit_printscale;
  QLineEdit* Edit_printscaley;
  QGroupBox* RadioGroup_printmono;
  QGroupBox* RadioGroup_orientation;
  QCheckBox* CheckBox_printerDialogbox;

  // "Printout"
  QWidget* Tab_textdruck;
  QGroupBox* RadioGroup_lpt;
  QLineEdit* Edit_printerdevice;  // device path of the raw text printer
  QGroupBox* RadioGroup_trenn;
  QGroupBox* RadioGroup_date;
  QSpinBox* SpinEdit_linesperpage;
  QSpinBox* SpinEdit_spacelines;
  QComboBox* ComboBox_ausdruckdefault;
  QCheckBox* CheckBox_ausdruckshowdialog;
  QLineEdit* Edit_left;
  QLineEdit* Edit_top;
  QLineEdit* Edit_width;
  QLineEdit* Edit_height;
  QPushButton* Button_Textwindow;
  QGroupBox* RadioGroup_ff;
  QLabel* Label_courier;
  QLabel* Label_couriersize;
  QLabel* Label_courierstyle;
  QPushButton* Button_textfont;
  QGroupBox* RadioGroup_unit;
  QGroupBox* RadioGroup_ausgrad;

  // "Settings"
  QWidget* Tab_einstellung;
  QGroupBox* RadioGroup_hilfegrad;
  QGroupBox* RadioGroup_punktkomma;
  QGroupBox* RadioGroup_ExcelDot;
  QSpinBox* SpinEdit_dezimalstellen;
  QCheckBox* CheckBox_archivmode;
  QGroupBox* RadioGroup_chars;
  QGroupBox* RadioGroup_ergebnisgrafik;

  // "external"
  QWidget* Tab_extern;
  QListWidget* ListBox_veskart;
  QPushButton* Button_confveskart;
  QPushButton* Button_editveskartcommandline;
  QLineEdit* Edit_externtxt;
  QLineEdit* Edit_externhtml;

  // "Drawing"
  QWidget* Tab_zeichnung;
  QLineEdit* Edit_freigabefeld;
  QLineEdit* Edit_massfaktorconfig;
  QGroupBox* RadioGroup_index;
  QCheckBox* CheckBox_zeichtovimartitel;
  QCheckBox* CheckBox_zeichfilename;
  QCheckBox* CheckBox_zeichdatum;
  QCheckBox* CheckBox_zeichlogo;
  QLabel* Label_fertigungszeichnung;

  ~Tconfig() override;

  void LoadConfigControls();
  void StoreConfigControls();

  void Button_okClick();
  void Button_saveClick();
  void Button_cancelClick();
  void Button_importClick();
  void Button_dirtempenvClick();
  void Button_fontClick();
  void Button_textfontClick();
  void Button_hintergrundfarbeClick();
  void Button_aufloesungClick();
  void Button_dialogsizeClick();
  void Button_dialogelementeClick();
  void Button_TextwindowClick();
  void Button_selectcolorClick();
  void Button_selectlayercolorClick();
  void Button_confveskartClick();
  void Button_editveskartcommandlineClick();
  // Layer default buttons 1..5 and pen width buttons 1..3.
  void Button_layerClick(int row);
  void Button_dickClick(int width);
  // Leaving Edit_x or Edit_y sizes the main window at once.
  void ApplyWindowSize();

  // Radio group helpers: the checked item (0 when none) and checking one.
  static int RadioIndex(QGroupBox* group);
  static void SetRadioIndex(QGroupBox* group, int index);

 private:
  void BuildDirectoryPage();
  void BuildGraphicsPage();
  void BuildCadPage();
  void BuildColourPage();
  void BuildPrinterPage();
  void BuildPrintoutPage();
  void BuildSettingsPage();
  void BuildExternalPage();
  void BuildDrawingPage();
  void RefreshColourNames();
  void ShowBackgroundColour();
  void ShowPrintoutFont();

  // Values held by the dialog between loading and storing.
  int backgroundColour_ = 0;
  Word graphicsStyle_ = 0;
  std::string printoutFont_;
  Word printoutSize_ = 10;
  Word printoutStyle_ = 0;
  Word plotCount_ = 1;     // plot program lines in use
  QString angleTexts_[3];  // as loaded; an unchanged angle keeps its exact value
  // Every setting of an imported file, kept in a file of its own until OK or
  // Save takes it (empty: nothing imported).
  std::string importedSettings_;
  // OK and Save: the imported settings first, then the controls.
  void StoreImportAndControls();
  // False, with the name refused, when a folder, program or plot line holds
  // a line break, which the settings file cannot keep.
  bool PathsFitSettings();
  // False, with the field named, when a value would not be kept by the next
  // start's reading of the settings file.
  bool ValuesKeptAtNextStart();
};
