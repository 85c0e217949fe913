// TForm_printconf: scale, origin, orientation, shading and border of the
// graphics printout, with named settings in the table "printout.dbf"; in
// printer-setup mode OK shows the printer's properties instead of printing.
#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TForm_printconf : public QDialog {
  Q_OBJECT

 public:
  explicit TForm_printconf(bool printerSetupMode, QWidget* parent = nullptr);

  // Copies the controls into the print variables and the printer orientation.
  void StoreForm();
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void Button_dbClick();
  void Button_appendClick();
  void Button_printerClick();
  void ShowPrinterName();

  QLineEdit* Edit_scalex;
  QLineEdit* Edit_scaley;
  QLineEdit* Edit_xorigin;
  QLineEdit* Edit_yorigin;
  QCheckBox* CheckBox_anpassen;
  QCheckBox* CheckBox_umrandung;
  QGroupBox* RadioGroup_hochquer;
  QRadioButton* Radio_portrait;
  QRadioButton* Radio_landscape;
  QGroupBox* RadioGroup_printmono;
  QRadioButton* Radio_mono;
  QRadioButton* Radio_colour;
  QLabel* Label_printer;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;
  QPushButton* Button_db;
  QPushButton* Button_append;
  QPushButton* Button_printer;

  bool printerSetupMode;
  // A PDF file chosen with "Printer" in this form: the print goes there.
  bool fileChosen_ = false;
};

// TForm_printerinfo: the current printer's properties in a two-column grid.
class QTableWidget;
class TForm_printerinfo : public QDialog {
  Q_OBJECT

 public:
  explicit TForm_printerinfo(QWidget* parent = nullptr);
  QTableWidget* StringGrid1;
  QPushButton* Button_ok;
};
