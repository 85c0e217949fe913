// "Select Directory": a root chooser, the path being chosen, and the
// sub-directories of it ("..": one level up; double click: go into).
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

class TForm_selectDir : public QDialog {
 public:
  explicit TForm_selectDir(const QString& start, QWidget* parent = nullptr);

  QComboBox* ComboBox_drive;
  QLineEdit* Edit_directory;
  QListWidget* DirListBox;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;

  void ShowDirectory(const QString& dir);
  void Button_okClick();
  QString Directory() const;

 private:
  void DirListBoxDblClick();
};
