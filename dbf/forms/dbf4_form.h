// The form of the table dialog: navigator, search buttons, OK and Cancel
// above the grid, and the File, Edit, View and Help menus. Its handlers
// keep their names and call the dialog's operations on Tdbf4.
#pragma once

#include <QDialog>

#include "dbf/dbf4.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class TTzGrid;
class TTzNavigator;

class Tdbf4Form : public QDialog {
  Q_OBJECT
 public:
  explicit Tdbf4Form(Tdbf4& owner, QWidget* parent = nullptr);

  // Sets caption, buttons, menus and grid for Tdbf4::Mode.
  void Configure();

  TTzNavigator* TzNavigator1;
  TTzGrid* TzGrid1;
  QPushButton *Button_ok, *Button_cancel, *Button_search, *Button_SearchNext;
  QLabel* Label_recno;
  QMenuBar* MainMenu1;
  QMenu *mi_File, *mi_edit, *mi_view, *mi_Help;
  QAction *mi_fileExportHtml, *mi_fileSaveAsDelimited, *N1, *mi_fileAppenddbf, *mi_fileAppendDelimited, *N2,
      *mi_filePrint, *N3, *mi_fileExit, *mi_editAppend, *mi_editPack, *mi_viewSearch, *mi_viewSearchNext,
      *mi_helpdbf, *mi_helpCommon, *mi_helphilfebild, *mi_helpDatei;

  void Button_okClick();
  void Button_cancelClick();
  void Button_searchClick();
  void Button_SearchNextClick();
  void Button_packClick();
  void mi_editAppendClick();
  void TzGrid1CellClick(const QModelIndex& index);
  void TzGrid1KeyDown(int key);
  void TzGrid1DepressTitle(int column);
  void mi_fileExportHtmlClick();
  void mi_fileSaveAsDelimitedClick();
  void mi_fileAppenddbfClick();
  void mi_fileAppendDelimitedClick();
  void mi_filePrintClick();
  void mi_helpdbfClick();
  void mi_helpCommonClick();
  void mi_helphilfebildClick();
  void mi_helpDateiClick();
  // The help text of the current help number; wired to no button.
  void Button_hilfeClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void AcceptSelection();
  void ShowRecordCounter();
  Tdbf4& owner_;
  bool closing_ = false;
};
