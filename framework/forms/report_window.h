// The report window: a read-only view of "outwin.txt" with print, clipboard
// and editor actions. Its position and size are kept in the text window
// setting for the next report.
#pragma once

#include <QDialog>
#include <string>

class QAction;
class QPlainTextEdit;
class QPushButton;

class TForm_showtextfile : public QDialog {
  Q_OBJECT

 public:
  explicit TForm_showtextfile(std::string outputFileName, QWidget* parent = nullptr);
  // A document of the program (UTF-8 text) in place of the report, under its own title.
  void ShowDocument(std::string file, std::string title);

  // Loads the shown file into the memo (the window does this when shown).
  void FormShow();
  // Stores the window's position and size into the text window setting.
  void StoreGeometry();

  void mi_printClick();
  void mi_selectAllClick();
  void mi_copyClick();
  void mi_exportNotepadClick();
  void Button_okClick();

  const std::string& ShownFileName() const { return shownFile_; }

  QPlainTextEdit* Memo1;
  QPushButton* Button_ok;
  QPushButton* Button_print;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void SetTitle();
  std::string outputFile_;
  std::string shownFile_;
  std::string documentFile_;
  std::string documentTitle_;
  bool loaded_ = false;
};
