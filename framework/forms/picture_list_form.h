// The auxiliary pictures: the window TForm_hilfebild that lists them, and
// AuxGraphicsManager, which shows the chosen picture in the graphics window
// and runs the list commands (append, delete, edit, insert, plot).
#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class QToolButton;

class TForm_hilfebild : public QDialog {
  Q_OBJECT

 public:
  // Actions chosen in the window.
  static constexpr int kShow = 0;  // the chosen picture, then the window again
  static constexpr int kNew = 1;
  static constexpr int kInsert = 2;
  static constexpr int kDelete = 3;
  static constexpr int kPlot = 6;
  static constexpr int kModify = 9;
  static constexpr int kShowAndEnd = 11;  // OK: the chosen picture, then the manager ends

  // Lists ItemTexts 1..count (stored texts) and selects entry select (from 1).
  TForm_hilfebild(const QString& caption, int count, int select, QWidget* parent = nullptr);
  ~TForm_hilfebild() override;

  QPushButton* Button_ok;
  QPushButton* Button_help;
  QPushButton* Button_neu;
  QPushButton* Button_aendern;
  QPushButton* Button_einfuegen;
  QPushButton* Button_loeschen;
  QPushButton* Button_plot;
  QPushButton* Button_show;
  QComboBox* ListBox1;
  QToolButton* SpinButton1Up;
  QToolButton* SpinButton1Down;

  int Action = kShow;
  // The entry chosen (list index + 1); 0 when none is selected.
  int Chosen() const;

  void ListBox1Change();
  void SpinButton1UpClick();
  void SpinButton1DownClick();
  void Button_okClick();
  void Button_helpClick();
  void Button_neuClick();
  void Button_einfuegenClick();
  void Button_loeschenClick();
  void Button_aendernClick();
  void Button_plotClick();
  void Button_showClick();
  void reject() override;
  void done(int result) override;

 private:
  void Close(int action);
  bool busy_ = true;       // events are ignored while set
  bool finished_ = false;  // closed: later events change nothing
  int count_ = 0;
  int chosenOverride_ = -1;
};

// Runs the picture dialog until the user ends it. Clears AbortFlag on entry
// and on exit.
void AuxGraphicsManager();
