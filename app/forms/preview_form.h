// TForm_preview: the file table of a directory. A left click in a row picks
// that project; a right click on a header sorts by that column.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QAction;
class QMenuBar;
class QPushButton;
class QTableWidget;

class TForm_preview : public QDialog {
  Q_OBJECT

 public:
  explicit TForm_preview(QWidget* parent = nullptr);

  void SetHeaders(const std::vector<std::string>& headers);
  void AddRow(const std::vector<std::string>& cells);
  // Cell text of column c, row r (row 0: the headers), as given.
  std::string CellText(int column, int row) const;
  int RowCount() const;  // with the header row
  // The row last picked; it stays picked when the table shows again, and
  // moves with its file when the table is sorted.
  int SelectedRow() const { return selectedRow_; }

  // Sorts rows 1..RowCount-1 by the texts of one column.
  void SortByColumn(int column);
  // A click on a cell: a row other than the stored one picks it; the
  // stored row again does nothing.
  void StringGrid1SelectCell(int column, int row);
  // A right click at a point of the grid: the header cell holding it sorts.
  void StringGrid1MouseDown(int x, int y);
  void mi_fileExportExcelClick();
  void mi_fileExitClick();
  void mi_HelpHelpClick();
  void Button_hilfebildClick();
  // OK and Cancel leave the table, as Exit does.
  void Button_okClick();
  void reject() override;

  QTableWidget* StringGrid1;
  QPushButton* Button_help;
  QPushButton* Button_hilfebild;
  QPushButton* Button_ok;
  QPushButton* Button_cancel;
  QMenuBar* MainMenu1;
  QAction* mi_fileExportExcel;
  QAction* mi_fileExit;
  QAction* mi_HelpHelp;

 private:
  // Row 0 holds the headers, as the grid's fixed row.
  std::vector<std::vector<std::string>> rows_;
  int selectedRow_ = 0;
  void Refill();
};

// True when the point lies strictly inside the rectangle.
bool PointInRect(int x, int y, int left, int top, int right, int bottom);
