// The data grid and the record navigator over a DBF dataset. Rows are the
// records in the dataset's active order; records marked deleted are drawn on
// red and can be restored; logical fields are check boxes; date columns get
// the engine's date layout as their edit mask; a click on a column
// title reports the column (the table dialog sorts by it).
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QTableView>
#include <QToolBar>
#include <functional>
#include <map>
#include <vector>

#include "dbf/datasets.h"
#include "platform/dataset.h"

class QAction;
class TTzGrid;

enum class TTzBooleanBox { bbCheckBox, bbCheckMark, bbText, bbFillBox, bbFillBoxRed, bbRButton, bbRButtonRed,
                           bbDot, bbDotRed };

// The seven colours of a data cell, which the owner may change before the
// cell is drawn (an invalid colour keeps the style's).
struct TTzCellColors {
  QColor IndicatorColor, CellColor, CellTextColor, HiliteColor, HiliteTextColor;
  QColor DeletedColor{255, 0, 0};
  QColor DeletedTextColor;
};
// Sender is the grid; during the call the dataset's active record is the row
// being drawn (curRow), so the owner can read its fields.
using TTzChangeColorsEvent = std::function<void(TTzGrid& Sender, int curRow, TTzCellColors& colors)>;

// Stored settings of one column ("savedColumns"); unset values keep the
// grid's defaults.
struct TTzColumn {
  std::string FieldName;
  QColor Color, TitleColor;
  int Width = -1;
  bool HasFont = false, HasTitleFont = false;
  QFont Font, TitleFont;
  QColor FontColor, TitleFontColor;
  Qt::Alignment Alignment, TitleAlignment;
  bool ReadOnly = false;
  QString TitleCaption;
};

// The grid's rows and cells, read through the dataset without moving its
// active record.
class TTzGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  TTzGridModel(platform::TDataSource& source, TTzGrid& grid);
  ~TTzGridModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  // The message refusing `text` typed into a number cell when it reads two
  // ways with the grid's decimal sign ("1.000" where "," is shown); empty
  // when it reads one way or the cell holds no number.
  std::string AmbiguousNumber(const QModelIndex& index, const QString& text) const;

  TTzDataSet* DataSet() const;
  // The row of the dataset's active record, -1 when none.
  int CurrentRow() const;
  std::int32_t RecordNumberOfRow(int row) const;
  // The row of record recNo, -1 when it is not shown.
  int RowOfRecord(std::int32_t recNo) const;
  bool RowDeleted(int row) const;
  // Re-reads the row list (after a change of order or content).
  void Reload();
  bool Editing = true;
  TTzChangeColorsEvent OnChangeColorsEvent;
  // The cell colours of a row: the defaults from `palette` and the column,
  // then the owner's changes.
  TTzCellColors CellColors(int row, int column, const QPalette& palette) const;
  // The row of a record being appended (shown below the last record), -1 when none.
  int AppendRow() const;
  // Column settings by model column.
  std::map<int, TTzColumn> Columns;
  const TTzColumn* ColumnOf(int column) const;

 private:
  const platform::RecordBuffer* RowBuffer(int row) const;
  // The owner's colours event for a row, with that row as the active record.
  void ChangeColors(int row, TTzCellColors& colors) const;
  void OnDataEvent(platform::TDataEvent event);
  bool Appending() const;

  platform::TDataSource& source_;
  TTzGrid& grid_;
  int subscription_ = 0;
  std::vector<platform::Bookmark> rows_;
  mutable std::map<int, platform::RecordBuffer> cache_;
  bool reloading_ = false;
  bool appendShown_ = false;
};

// The column titles; the depressed title is drawn sunken.
class TTzGridHeader : public QHeaderView {
  Q_OBJECT
 public:
  explicit TTzGridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}
  int Depressed = -1;
  bool SectionSunken(int logical) const { return logical >= 0 && logical == Depressed; }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

class TTzGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TTzGrid(platform::TDataSource& source, QWidget* parent = nullptr);
  ~TTzGrid() override;

  TTzGridModel& Model() { return *model_; }
  bool AutoAppend = true;
  // Ctrl+Delete marks a live record deleted, asking "Delete record?" first
  // when ConfirmDelete is set; on a deleted record it restores it, asking
  // "Restore Record ?" first when ConfirmRestore is set.
  bool ConfirmDelete = true;
  bool ConfirmRestore = true;
  TTzBooleanBox BooleanBox = TTzBooleanBox::bbCheckBox;
  bool DepressDisabled = false;
  // Leading data columns that stay in place while the others scroll.
  void SetFixedColumns(int n);
  int FixedColumns() const { return fixedColumns_; }
  QTableView* FixedView() const { return fixed_; }
  int DepressedColumn() const { return depressed_; }
  // The stored column settings: key "=" value lines, "cvColumn" starting
  // each column. They are written as an empty list.
  void SetSavedColumns(const std::vector<std::string>& lines);
  std::vector<std::string> SavedColumns() const { return {}; }
  TTzChangeColorsEvent& OnChangeColorsEvent() { return model_->OnChangeColorsEvent; }
  // Read-only grid (the view mode): no editing.
  void SetEditing(bool on);

  // Events.
  std::function<void(int column)> OnDepressTitle;
  std::function<void()> OnCornerLeftClick, OnCornerRightClick;
  std::function<void(const QModelIndex&)> OnCellClick;
  std::function<void(int key, Qt::KeyboardModifiers modifiers)> OnKeyDown;

  // The date edit mask of the engine's layout ("99/99/99; " style).
  static QString DateEditMask();

  // Selects the row of the dataset's active record.
  void FollowDataSet();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 public:
  void RestoreOrToggle(const QModelIndex& index);

 private:
  void SetDepressed(int column);
  // The column whose title is at `at`, -1 on a column's edge or outside.
  int TitleClickColumn(QPoint at) const;
  // Columns as wide as their fields (up to 60 characters) or titles.
  void FitColumnsToFields();
  void PlaceFixedView();
  void ApplyColumnWidths();

  platform::TDataSource& source_;
  int subscription_ = 0;
  TTzGridModel* model_;
  TTzGridHeader* header_;
  QTableView* fixed_ = nullptr;
  int fixedColumns_ = 0;
  int depressed_ = -1;
  int lastColumn_ = 0;
  QPoint leftPress_;
  int leftColumn_ = -1;
  bool following_ = false;
};

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };

class TTzNavigator : public QToolBar {
  Q_OBJECT
 public:
  explicit TTzNavigator(platform::TDataSource& source, QWidget* parent = nullptr);
  ~TTzNavigator() override;

  bool ConfirmDelete = false;
  bool ConfirmRestore = false;
  // Shows the buttons whose bits (1 << TNavigateBtn) are set.
  void SetVisibleButtons(unsigned mask);
  QAction* Button(TNavigateBtn b) const { return buttons_[b]; }
  void BtnClick(TNavigateBtn b);
  std::function<void(TNavigateBtn)> OnClick;

 private:
  void UpdateButtons();

  platform::TDataSource& source_;
  int subscription_ = 0;
  QAction* buttons_[10] = {};
};
