// "VESKART": composes one command line of the external plot program from the
// program path, destination, output interface and plot options, and shows
// the line as the user edits.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

#include "framework/plot_program.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm_confveskart : public QDialog {
  Q_OBJECT

 public:
  explicit TForm_confveskart(QWidget* parent = nullptr);

  // The composed line: set by the caller before showing (ShowLine); the
  // controls start at their defaults, and the first change replaces it.
  QString CommandLine;
  // Shows a stored line and its program in the program field.
  void ShowLine(const std::string& line);

  QLineEdit* Edit_veskartPath;
  QPushButton* Button_veskartpath;
  QGroupBox* RadioGroup_outcode;
  QGroupBox* RadioGroup_d;
  QLineEdit* Edit_com;
  QLineEdit* Edit_lpt;
  QLineEdit* Edit_outdir;
  QPushButton* Button_outDir;
  QPushButton* Button_tempdir;
  QLineEdit* Edit_scale;
  QCheckBox* CheckBox_scale;
  QCheckBox* CheckBox_rotate;
  QLineEdit* Edit_xnull;
  QLineEdit* Edit_ynull;
  QLineEdit* Edit_textbreitenfaktor;
  QComboBox* ComboBox_psfont;
  QLabel* Label_commandline;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QPushButton* Button_help;

  // The options the controls hold.
  TPlotProgramOptions Options() const;
  void BuildVeskartCommandLine();

  void RadioGroup_dClick();
  void RadioGroup_outcodeClick();
  void CheckBox_scaleClick();
  void Button_veskartpathClick();
  void Button_outDirClick();
  void Button_tempdirClick();
  void Button_okClick();
  void Button_cancelClick();
  void Button_helpClick();
  void reject() override;

 private:
  QButtonGroup* outcode_;
  QButtonGroup* interface_;
  bool filling_ = true;  // no rebuild while the form fills its controls
  bool composed_ = false;  // the line was composed from the controls
};

// Opens the dialog on line (a stored text); true and line := the composed
// line on OK.
bool EditPlotCommandLine(std::string& line);
