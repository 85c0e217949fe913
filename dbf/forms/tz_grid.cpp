#include "dbf/forms/tz_grid.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "dbf/runtime.h"
#include "framework/forms/shown_text.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

using platform::TDataEvent;
using platform::TDataSetState;
using platform::TFieldType;

namespace {

bool Guarded(const std::function<void()>& f) { return RunReportingErrors(f); }

bool IsEditing(const TTzDataSet& ds) {
  return ds.State() == TDataSetState::Edit || ds.State() == TDataSetState::Insert;
}

bool IsLogical(TTzGridModel& model, const QModelIndex& index) {
  TTzDataSet* ds = model.DataSet();
  return ds && ds->Active() && index.isValid() && index.column() < ds->FieldCount() &&
         ds->Fields(index.column()).DataType() == TFieldType::Boolean;
}

// The true and false texts of a logical field: its display values
// ("yes;no"), else "true" and "false".
void BooleanTexts(const platform::TField& f, QString& yes, QString& no) {
  yes = "true";
  no = "false";
  std::size_t semi = f.DisplayValues.find(';');
  if (semi == std::string::npos) return;
  yes = platform::QStringFromDisplay(f.DisplayValues.substr(0, semi));
  no = platform::QStringFromDisplay(f.DisplayValues.substr(semi + 1));
}

// A logical value drawn as a box of the grid's style, laid into `cell`.
void DrawBooleanBox(QPainter& p, const QRect& cell, TTzBooleanBox style, bool on, const QColor& text) {
  int w = cell.width(), h = cell.height();
  QRect box = w > h ? QRect(cell.x() + (w - h) / 2, cell.y(), h, h) : QRect(cell.x(), cell.y(), w, w);
  box.adjust(0, 0, -1, -1);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(text, 1));
  using B = TTzBooleanBox;
  if (style == B::bbCheckBox || style == B::bbFillBox || style == B::bbFillBoxRed) p.drawRect(box);
  if (style == B::bbRButton || style == B::bbRButtonRed) p.drawEllipse(box);
  if (on) {
    const QColor red(255, 0, 0);
    switch (style) {
      case B::bbCheckBox: {
        p.setPen(QPen(text, 2));
        QRect in = box.adjusted(3, 3, -3, -3);
        p.drawLine(in.topLeft(), in.bottomRight());
        p.drawLine(in.bottomLeft(), in.topRight());
        break;
      }
      case B::bbCheckMark: {
        p.setPen(QPen(text, 2));
        QPoint a(box.left() + 2, box.top() + box.width() / 2), b(box.left() + box.width() / 3, box.bottom() - 2),
            c(box.right() - 2, box.top());
        p.drawLine(a, b);
        p.drawLine(b, c);
        break;
      }
      case B::bbFillBox:
      case B::bbFillBoxRed:
        p.fillRect(box.adjusted(1, 1, 0, 0), style == B::bbFillBox ? text : red);
        break;
      case B::bbRButton:
      case B::bbDot:
      case B::bbRButtonRed:
      case B::bbDotRed: {
        QColor fill = style == B::bbRButton || style == B::bbDot ? text : red;
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawEllipse(box.adjusted(2, 2, -2, -2));
        break;
      }
      case B::bbText: break;
    }
  }
  p.restore();
}

// Cells in the grid's colours, logical fields as boxes or texts; line
// editors of date columns get the engine's date layout as input mask.
class TTzGridDelegate : public QStyledItemDelegate {
 public:
  TTzGridDelegate(TTzGridModel& model, TTzGrid& grid) : QStyledItemDelegate(&grid), model_(model), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    TTzCellColors c = model_.CellColors(index.row(), index.column(), opt.palette);
    QColor back = c.CellColor, text = c.CellTextColor;
    if (model_.RowDeleted(index.row())) {
      back = c.DeletedColor;
      text = c.DeletedTextColor;
    }
    if (opt.state & QStyle::State_Selected) {
      back = c.HiliteColor;
      text = c.HiliteTextColor;
    }
    if (!grid_.isEnabled()) text = opt.palette.color(QPalette::Disabled, QPalette::Text);
    painter->fillRect(opt.rect, back);
    if (IsLogical(model_, index)) {
      bool on = model_.data(index, Qt::CheckStateRole).toInt() == Qt::Checked;
      if (grid_.BooleanBox == TTzBooleanBox::bbText) {
        QString yes, no;
        BooleanTexts(model_.DataSet()->Fields(index.column()), yes, no);
        opt.text = on ? yes : no;
      } else {
        DrawBooleanBox(*painter, opt.rect, grid_.BooleanBox, on, text);
        return;
      }
    }
    painter->save();
    painter->setPen(text);
    painter->setFont(opt.font);
    QRect r = opt.rect.adjusted(2, 0, -2, 0);
    painter->drawText(r, static_cast<int>(opt.displayAlignment),
                      opt.fontMetrics.elidedText(opt.text, Qt::ElideRight, r.width()));
    painter->restore();
  }

  // A click on a logical cell drawn as a box toggles it.
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
    if (IsLogical(model_, index) && grid_.BooleanBox != TTzBooleanBox::bbText) {
      if (event->type() == QEvent::MouseButtonRelease &&
          static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        grid_.RestoreOrToggle(index);
        return true;
      }
      if (event->type() == QEvent::MouseButtonDblClick) return true;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
  }

  // A typed number that reads two ways is not stored; the message naming
  // both readings comes once the editor has closed (a message box while it
  // commits would take its focus and commit it again).
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      const std::string message = model_.AmbiguousNumber(index, line->text());
      if (!message.empty()) {
        QMetaObject::invokeMethod(&grid_, [message] { ShowError(message); }, Qt::QueuedConnection);
        return;
      }
    }
    QStyledItemDelegate::setModelData(editor, model, index);
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    TTzDataSet* ds = model_.DataSet();
    if (auto* line = qobject_cast<QLineEdit*>(editor); line && ds && ds->Active() &&
                                                        index.column() < ds->FieldCount()) {
      const platform::TField& f = ds->Fields(index.column());
      if (f.DataType() == TFieldType::Date)
        line->setInputMask(f.EditMask.empty() ? TTzGrid::DateEditMask() : QString::fromStdString(f.EditMask));
      else if (f.DataType() == TFieldType::String)
        line->setMaxLength(f.Size());
    }
    return editor;
  }

 private:
  TTzGridModel& model_;
  TTzGrid& grid_;
};

}  // namespace

// ---- model -----------------------------------------------------------------------------

TTzGridModel::TTzGridModel(platform::TDataSource& source, TTzGrid& grid)
    : QAbstractTableModel(&grid), source_(source), grid_(grid) {
  subscription_ = source_.Subscribe([this](TDataEvent e) { OnDataEvent(e); });
  Reload();
}

TTzGridModel::~TTzGridModel() { source_.Unsubscribe(subscription_); }

TTzDataSet* TTzGridModel::DataSet() const { return dynamic_cast<TTzDataSet*>(source_.DataSet()); }

void TTzGridModel::Reload() {
  reloading_ = true;
  beginResetModel();
  cache_.clear();
  rows_.clear();
  if (TTzDataSet* ds = DataSet(); ds && ds->Active()) Guarded([&] { ds->CollectBookmarks(rows_); });
  appendShown_ = Appending();
  endResetModel();
  reloading_ = false;
}

bool TTzGridModel::Appending() const {
  TTzDataSet* ds = DataSet();
  return ds && ds->Active() && ds->State() == TDataSetState::Insert;
}

int TTzGridModel::AppendRow() const { return appendShown_ ? static_cast<int>(rows_.size()) : -1; }

const TTzColumn* TTzGridModel::ColumnOf(int column) const {
  auto it = Columns.find(column);
  return it == Columns.end() ? nullptr : &it->second;
}

TTzCellColors TTzGridModel::CellColors(int row, int column, const QPalette& palette) const {
  TTzCellColors c;
  const TTzColumn* col = ColumnOf(column);
  c.IndicatorColor = palette.color(QPalette::Base);
  c.CellColor = col && col->Color.isValid() ? col->Color : palette.color(QPalette::Base);
  c.CellTextColor = col && col->FontColor.isValid() ? col->FontColor : palette.color(QPalette::Text);
  c.HiliteColor = palette.color(QPalette::Highlight);
  c.HiliteTextColor = palette.color(QPalette::HighlightedText);
  c.DeletedTextColor = palette.color(QPalette::Text);
  ChangeColors(row, c);
  return c;
}

void TTzGridModel::ChangeColors(int row, TTzCellColors& colors) const {
  if (!OnChangeColorsEvent) return;
  TTzDataSet* ds = DataSet();
  const platform::RecordBuffer* b = RowBuffer(row);
  if (!ds || !ds->Active() || !b) {
    Guarded([&] { OnChangeColorsEvent(grid_, row, colors); });
    return;
  }
  // The row being edited is the active record already.
  if (b == &ds->ActiveBuffer()) {
    Guarded([&] { OnChangeColorsEvent(grid_, row, colors); });
    return;
  }
  const platform::RecordBuffer shown = *b;
  platform::TActiveRecordScope scope(*ds, shown);
  Guarded([&] { OnChangeColorsEvent(grid_, row, colors); });
}

void TTzGridModel::OnDataEvent(TDataEvent event) {
  if (reloading_) return;
  // A record being appended shows as a row of its own below the last one.
  if (Appending() != appendShown_) {
    Reload();
    return;
  }
  int row = CurrentRow();
  switch (event) {
    case TDataEvent::DataSetChange: Reload(); break;
    case TDataEvent::RecordChange:
    case TDataEvent::FieldChange:
    case TDataEvent::UpdateState:
      if (row >= 0) {
        cache_.erase(row);
        emit dataChanged(index(row, 0), index(row, std::max(0, columnCount() - 1)));
        emit headerDataChanged(Qt::Vertical, row, row);
      }
      break;
    case TDataEvent::DataSetScroll: emit headerDataChanged(Qt::Vertical, 0, std::max(0, rowCount() - 1)); break;
  }
}

int TTzGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size()) + (appendShown_ ? 1 : 0);
}

int TTzGridModel::columnCount(const QModelIndex& parent) const {
  TTzDataSet* ds = DataSet();
  return parent.isValid() || !ds || !ds->Active() ? 0 : ds->FieldCount();
}

int TTzGridModel::CurrentRow() const {
  TTzDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return -1;
  if (appendShown_) return AppendRow();
  platform::Bookmark bm = ds->GetBookmark();
  if (bm.empty()) return -1;
  auto it = std::find(rows_.begin(), rows_.end(), bm);
  return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

int TTzGridModel::RowOfRecord(std::int32_t recNo) const {
  for (std::size_t row = 0; row < rows_.size(); ++row)
    if (RecordNumberOfRow(static_cast<int>(row)) == recNo) return static_cast<int>(row);
  return -1;
}

std::int32_t TTzGridModel::RecordNumberOfRow(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return 0;
  const platform::Bookmark& bm = rows_[static_cast<std::size_t>(row)];
  std::int32_t n = 0;
  if (bm.size() >= 4) std::memcpy(&n, bm.data(), 4);
  return n;
}

const platform::RecordBuffer* TTzGridModel::RowBuffer(int row) const {
  TTzDataSet* ds = DataSet();
  if (!ds || row < 0 || row >= rowCount()) return nullptr;
  if (row == CurrentRow() && IsEditing(*ds)) return &ds->ActiveBuffer();
  if (row >= static_cast<int>(rows_.size())) return nullptr;
  auto it = cache_.find(row);
  if (it != cache_.end()) return &it->second;
  platform::RecordBuffer buffer;
  bool ok = false;
  Guarded([&] { ok = ds->ReadRecordAt(rows_[static_cast<std::size_t>(row)], buffer); });
  if (!ok) return nullptr;
  return &(cache_[row] = std::move(buffer));
}

bool TTzGridModel::RowDeleted(int row) const {
  const platform::RecordBuffer* b = RowBuffer(row);
  return b && !b->empty() && (*b)[0] != 0;
}

QVariant TTzGridModel::data(const QModelIndex& index, int role) const {
  TTzDataSet* ds = DataSet();
  if (!ds || !index.isValid() || index.column() >= columnCount()) return {};
  const platform::RecordBuffer* b = RowBuffer(index.row());
  if (!b) return {};
  if (role == Qt::BackgroundRole || role == Qt::ForegroundRole) {
    TTzCellColors colors;
    if (const TTzColumn* col = ColumnOf(index.column())) {
      colors.CellColor = col->Color;
      colors.CellTextColor = col->FontColor;
    }
    ChangeColors(index.row(), colors);
    bool deleted = (*b)[0] != 0;
    const QColor& c = role == Qt::BackgroundRole ? (deleted ? colors.DeletedColor : colors.CellColor)
                                                 : (deleted ? colors.DeletedTextColor : colors.CellTextColor);
    return c.isValid() ? QVariant(c) : QVariant();
  }
  const platform::TField& f = ds->Fields(index.column());
  const TTzColumn* col = ColumnOf(index.column());
  if (role == Qt::FontRole) return col && col->HasFont ? QVariant(col->Font) : QVariant();
  if (role == Qt::TextAlignmentRole) {
    if (col && col->Alignment) return QVariant::fromValue(Qt::AlignVCenter | col->Alignment);
    bool number = f.DataType() == TFieldType::Integer || f.DataType() == TFieldType::Float;
    return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
  }
  bool logical = f.DataType() == TFieldType::Boolean;
  if (role == Qt::CheckStateRole && logical) {
    bool on = false;
    ds->SetReadBuffer(b);
    Guarded([&] { on = f.AsBoolean(); });
    ds->SetReadBuffer(nullptr);
    return on ? Qt::Checked : Qt::Unchecked;
  }
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (logical && role == Qt::DisplayRole) return {};
  std::string text;
  ds->SetReadBuffer(b);
  Guarded([&] { text = f.AsString(); });
  ds->SetReadBuffer(nullptr);
  if (role == Qt::EditRole) text = AllTrim(text);
  return platform::QStringFromDisplay(text);
}

QVariant TTzGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  TTzDataSet* ds = DataSet();
  if (orientation == Qt::Horizontal && role != Qt::DisplayRole) {
    const TTzColumn* col = ColumnOf(section);
    if (!col) return {};
    if (role == Qt::BackgroundRole && col->TitleColor.isValid()) return col->TitleColor;
    if (role == Qt::ForegroundRole && col->TitleFontColor.isValid()) return col->TitleFontColor;
    if (role == Qt::FontRole && col->HasTitleFont) return col->TitleFont;
    if (role == Qt::TextAlignmentRole && col->TitleAlignment)
      return QVariant::fromValue(Qt::AlignVCenter | col->TitleAlignment);
    return {};
  }
  if (role != Qt::DisplayRole || !ds || !ds->Active()) return {};
  if (orientation == Qt::Horizontal) {
    if (section < 0 || section >= ds->FieldCount()) return {};
    const TTzColumn* col = ColumnOf(section);
    if (col && !col->TitleCaption.isEmpty()) return col->TitleCaption;
    return platform::QStringFromDisplay(ds->Fields(section).FieldName());
  }
  if (section == CurrentRow()) return IsEditing(*ds) ? QStringLiteral("I") : QStringLiteral("\u25B6");
  return QString();
}

Qt::ItemFlags TTzGridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  TTzDataSet* ds = DataSet();
  if (!Editing || !ds || !index.isValid() || index.column() >= columnCount() || !ds->CanModify()) return f;
  const platform::TField& field = ds->Fields(index.column());
  const TTzColumn* col = ColumnOf(index.column());
  if (field.ReadOnly || field.Calculated() || (col && col->ReadOnly) || field.DataType() == TFieldType::Memo)
    return f;
  if (field.DataType() == TFieldType::Boolean) return f | Qt::ItemIsUserCheckable;
  return f | Qt::ItemIsEditable;
}

std::string TTzGridModel::AmbiguousNumber(const QModelIndex& index, const QString& text) const {
  TTzDataSet* ds = DataSet();
  if (!ds || !ds->Active() || !index.isValid() || index.column() >= ds->FieldCount()) return {};
  const platform::TField& field = ds->Fields(index.column());
  if (field.DataType() != TFieldType::Float && field.DataType() != TFieldType::Integer) return {};
  return AmbiguousNumberMessage(field.FieldName(), AllTrim(DisplayTextOf(text)), TzDecimalSep);
}

bool TTzGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  TTzDataSet* ds = DataSet();
  if (!ds || !index.isValid() || !Editing) return false;
  const std::size_t row = static_cast<std::size_t>(index.row());
  const bool appendRow = index.row() == AppendRow();
  if (row >= rows_.size() && !appendRow) return false;
  platform::Bookmark bm = appendRow ? platform::Bookmark() : rows_[row];
  // A character the code page lacks is stored as "?", as the forms store it.
  const std::string typed = DisplayTextOf(value.toString());
  if (role != Qt::CheckStateRole) {
    const std::string ambiguous = AmbiguousNumber(index, value.toString());
    if (!ambiguous.empty()) {
      ShowError(ambiguous);
      return false;
    }
  }
  // The value goes into the record, which stays in edit until the row is
  // left or the dialog is accepted (then it is stored) or cancelled.
  bool ok = Guarded([&] {
    if (!appendRow) {
      if (ds->GetBookmark() != bm) {
        if (IsEditing(*ds)) ds->Post();
        ds->GotoBookmark(bm);
      }
      if (!IsEditing(*ds)) ds->Edit();
    }
    platform::TField& f = ds->Fields(index.column());
    if (role == Qt::CheckStateRole) f.SetAsBoolean(value.toInt() == Qt::Checked);
    else f.SetAsString(typed);
  });
  // A value the field refuses is dropped; a failed lock keeps the edit.
  if (!ok && IsEditing(*ds) && AbortFlag && ds->Modified() == false) Guarded([&] { ds->Cancel(); });
  cache_.erase(index.row());
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  return ok;
}

// ---- grid ------------------------------------------------------------------------------

void TTzGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!SectionSunken(logicalIndex)) {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    return;
  }
  QStyleOptionHeader opt;
  initStyleOption(&opt);
  opt.rect = rect;
  opt.section = logicalIndex;
  opt.state |= QStyle::State_Sunken | QStyle::State_Enabled;
  opt.text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
  opt.textAlignment = defaultAlignment();
  painter->save();
  style()->drawControl(QStyle::CE_Header, &opt, painter, this);
  painter->restore();
}

TTzGrid::TTzGrid(platform::TDataSource& source, QWidget* parent) : QTableView(parent), source_(source) {
  model_ = new TTzGridModel(source, *this);
  header_ = new TTzGridHeader(this);
  setHorizontalHeader(header_);
  setModel(model_);
  setItemDelegate(new TTzGridDelegate(*model_, *this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  horizontalHeader()->viewport()->installEventFilter(this);
  horizontalHeader()->setSectionsMovable(true);
  // A click on a title sorts; it does not select the column (and move the record).
  horizontalHeader()->setSectionsClickable(false);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { FitColumnsToFields(); });
  FitColumnsToFields();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  if (auto* corner = findChild<QAbstractButton*>()) {
    corner->installEventFilter(this);
    corner->setObjectName("TzGridCorner");
  }
  subscription_ = source.Subscribe([this](TDataEvent e) {
    if (e == TDataEvent::DataSetChange || e == TDataEvent::DataSetScroll) FollowDataSet();
  });
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (OnCellClick) Guarded([&] { OnCellClick(index); });
  });
  FollowDataSet();
}

TTzGrid::~TTzGrid() { source_.Unsubscribe(subscription_); }

void TTzGrid::SetEditing(bool on) {
  model_->Editing = on;
  setEditTriggers(on ? (QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed)
                     : QAbstractItemView::NoEditTriggers);
}

QString TTzGrid::DateEditMask() {
  QString year = TzCentury ? "9999" : "99";
  if (TzDateFormat == 1) return year + "/99/99; ";
  return "99/99/" + year + "; ";
}

void TTzGrid::FollowDataSet() {
  int row = model_->CurrentRow();
  if (row < 0) return;
  following_ = true;
  int column = currentIndex().isValid() ? currentIndex().column() : lastColumn_;
  setCurrentIndex(model_->index(row, column));
  following_ = false;
}

void TTzGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid()) lastColumn_ = current.column();
  if (following_ || !current.isValid()) return;
  if (current.row() == model_->CurrentRow()) return;
  TTzDataSet* ds = model_->DataSet();
  if (!ds || !ds->Active()) return;
  std::int32_t n = model_->RecordNumberOfRow(current.row());
  // Leaving the row of a record being appended posts it when it was
  // changed and drops it otherwise.
  if (model_->AppendRow() >= 0) {
    int column = current.column();
    Guarded([&] {
      if (ds->Modified()) ds->Post();
      else ds->Cancel();
    });
    following_ = true;
    setCurrentIndex(model_->index(current.row(), column));
    following_ = false;
  }
  // Leaving a record being edited stores it; when that changes the order, the
  // row moved to is found again by its record number.
  if (model_->AppendRow() < 0 && ds->State() == TDataSetState::Edit) {
    const int column = current.column();
    Guarded([&] {
      if (ds->Modified()) ds->Post();
      else ds->Cancel();
    });
    following_ = true;
    const int row = model_->RowOfRecord(n);
    if (row >= 0) setCurrentIndex(model_->index(row, column));
    following_ = false;
  }
  platform::Bookmark bm(4);
  std::memcpy(bm.data(), &n, 4);
  Guarded([&] { ds->GotoBookmark(bm); });
}

bool TTzGrid::eventFilter(QObject* watched, QEvent* event) {
  auto* corner = findChild<QAbstractButton*>("TzGridCorner");
  if (watched == corner && event->type() == QEvent::MouseButtonPress) {
    auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() == Qt::LeftButton && OnCornerLeftClick) Guarded([&] { OnCornerLeftClick(); });
    if (me->button() == Qt::RightButton && OnCornerRightClick) Guarded([&] { OnCornerRightClick(); });
    return true;
  }
  if (watched == horizontalHeader()->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) {
      auto* me = static_cast<QMouseEvent*>(event);
      if (me->button() == Qt::RightButton) {
        if (DepressDisabled) return true;
        int column = horizontalHeader()->logicalIndexAt(me->position().toPoint());
        if (column >= 0) {
          SetDepressed(column);
          if (OnDepressTitle) Guarded([&] { OnDepressTitle(column); });
        }
        return true;
      }
      if (me->button() == Qt::LeftButton) {
        leftPress_ = me->position().toPoint();
        leftColumn_ = TitleClickColumn(leftPress_);
      }
    } else if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::Leave) {
      if (depressed_ != -1) SetDepressed(-1);
      // A left click on a title, not a drag of a column or its edge, sorts too.
      auto* me = event->type() == QEvent::MouseButtonRelease ? static_cast<QMouseEvent*>(event) : nullptr;
      const int pressed = leftColumn_;
      leftColumn_ = -1;
      if (me && me->button() == Qt::LeftButton && pressed >= 0 && !DepressDisabled &&
          (me->position().toPoint() - leftPress_).manhattanLength() < QApplication::startDragDistance() &&
          TitleClickColumn(me->position().toPoint()) == pressed && OnDepressTitle)
        Guarded([&] { OnDepressTitle(pressed); });
    }
  }
  return QTableView::eventFilter(watched, event);
}

int TTzGrid::TitleClickColumn(QPoint at) const {
  const int column = horizontalHeader()->logicalIndexAt(at);
  if (column < 0) return -1;
  const int start = horizontalHeader()->sectionViewportPosition(column);
  const int end = start + horizontalHeader()->sectionSize(column);
  constexpr int kEdge = 4;  // the grip that resizes a column
  return at.x() - start > kEdge && end - at.x() > kEdge ? column : -1;
}

void TTzGrid::FitColumnsToFields() {
  TTzDataSet* ds = model_->DataSet();
  if (!ds || !ds->Active()) return;
  const QFontMetrics fm(font());
  const int digit = fm.horizontalAdvance(QLatin1Char('0'));
  constexpr int kMaxCharacters = 60;
  for (int c = 0; c < model_->columnCount(); ++c) {
    const TTzColumn* col = model_->ColumnOf(c);
    if (col && col->Width > 0) continue;
    const platform::TField& f = ds->Fields(c);
    // The stored width of the field: numbers without decimals have no size
    // of their own in the dataset.
    const int stored = c < ds->FieldProps().Count() ? ds->FieldProps().Length(c + 1) : f.Size();
    const int characters = f.DataType() == TFieldType::Boolean ? 2
                           : f.DataType() == TFieldType::Date  ? 10
                                                               : std::min(std::max(stored, f.Size()), kMaxCharacters);
    const int title = horizontalHeader()->fontMetrics().horizontalAdvance(
        model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    setColumnWidth(c, std::max(digit * characters, title) + 2 * digit);
  }
}

void TTzGrid::SetDepressed(int column) {
  depressed_ = column;
  header_->Depressed = column;
  header_->viewport()->update();
}

void TTzGrid::SetFixedColumns(int n) {
  fixedColumns_ = std::max(0, n);
  if (fixedColumns_ == 0) {
    delete fixed_;
    fixed_ = nullptr;
    return;
  }
  if (!fixed_) {
    // A second view over the same rows shows the fixed columns on top of
    // the left edge; the two scroll together vertically.
    fixed_ = new QTableView(this);
    fixed_->setObjectName("TzGridFixed");
    fixed_->setModel(model_);
    fixed_->setItemDelegate(itemDelegate());
    fixed_->setSelectionModel(selectionModel());
    fixed_->setFocusPolicy(Qt::NoFocus);
    fixed_->verticalHeader()->hide();
    fixed_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    fixed_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fixed_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setFrameShape(QFrame::NoFrame);
    fixed_->setEditTriggers(editTriggers());
    viewport()->stackUnder(fixed_);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, fixed_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(fixed_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
      ApplyColumnWidths();
      PlaceFixedView();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
      ApplyColumnWidths();
      PlaceFixedView();
    });
  }
  ApplyColumnWidths();
  PlaceFixedView();
  fixed_->show();
}

void TTzGrid::ApplyColumnWidths() {
  if (!fixed_) return;
  for (int c = 0; c < model_->columnCount(); ++c) {
    fixed_->setColumnHidden(c, c >= fixedColumns_);
    fixed_->setColumnWidth(c, columnWidth(c));
  }
}

void TTzGrid::PlaceFixedView() {
  if (!fixed_) return;
  int width = 0;
  for (int c = 0; c < std::min(fixedColumns_, model_->columnCount()); ++c) width += columnWidth(c);
  fixed_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), width,
                      viewport()->height() + horizontalHeader()->height());
}

void TTzGrid::showEvent(QShowEvent* event) {
  QTableView::showEvent(event);
  // The current row is brought into view once the window around the grid
  // has taken its final size (a dialog scales itself as it is shown, a
  // scroll bar takes a line): scrolled now, it could end below the edge.
  QTimer::singleShot(0, this, [this] {
    if (currentIndex().isValid()) scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
  });
}

void TTzGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceFixedView();
}

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Colour values of stored settings: a colour name ("clRed") or a number
// in the 0x00BBGGRR layout (decimal, "$" or "0x" hexadecimal).
QColor ColorOf(const std::string& text) {
  static const std::pair<const char*, QRgb> kNames[] = {
      {"clblack", 0x000000}, {"clmaroon", 0x800000}, {"clgreen", 0x008000}, {"clolive", 0x808000},
      {"clnavy", 0x000080},  {"clpurple", 0x800080}, {"clteal", 0x008080},  {"clgray", 0x808080},
      {"clsilver", 0xC0C0C0}, {"clred", 0xFF0000},   {"cllime", 0x00FF00},  {"clyellow", 0xFFFF00},
      {"clblue", 0x0000FF},  {"clfuchsia", 0xFF00FF}, {"claqua", 0x00FFFF}, {"clwhite", 0xFFFFFF}};
  std::string t = Lower(AllTrim(text));
  for (const auto& [name, rgb] : kNames)
    if (t == name) return QColor(rgb);
  long value = 0;
  char* end = nullptr;
  if (!t.empty() && t[0] == '$') value = std::strtol(t.c_str() + 1, &end, 16);
  else value = std::strtol(t.c_str(), &end, 0);
  if (t.empty() || !end || *end != '\0' || value < 0 || value > 0xFFFFFF) return QColor();
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

// "name,colour,size"; bits 8 to 11 of the size add bold, italic,
// underline and strike-out.
void FontOf(const std::string& text, QFont& font, QColor& color) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  if (!parts[0].empty()) font.setFamily(QString::fromStdString(AllTrim(parts[0])));
  if (parts.size() > 1) color = ColorOf(parts[1]);
  if (parts.size() > 2) {
    long size = std::strtol(parts[2].c_str(), nullptr, 10);
    if ((size & 0xFF) > 0) font.setPointSize(static_cast<int>(size & 0xFF));
    font.setBold(size & 0x100);
    font.setItalic(size & 0x200);
    font.setUnderline(size & 0x400);
    font.setStrikeOut(size & 0x800);
  }
}

Qt::Alignment AlignmentOf(const std::string& text) {
  std::string t = Lower(AllTrim(text));
  if (t == "tarightjustify") return Qt::AlignRight;
  if (t == "tacenter") return Qt::AlignHCenter;
  if (t == "taleftjustify") return Qt::AlignLeft;
  return {};
}

}  // namespace

void TTzGrid::SetSavedColumns(const std::vector<std::string>& lines) {
  std::vector<TTzColumn> columns;
  for (const std::string& line : lines) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = Lower(AllTrim(line.substr(0, eq)));
    std::string value = line.substr(eq + 1);
    if (key == "cvcolumn") {
      columns.emplace_back();
      continue;
    }
    if (columns.empty()) continue;
    TTzColumn& c = columns.back();
    if (key == "cvcolorstr") c.Color = ColorOf(value);
    else if (key == "cvwidthstr") c.Width = static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
    else if (key == "cvfontstr") c.HasFont = true, FontOf(value, c.Font, c.FontColor);
    else if (key == "cvalignmentstr") c.Alignment = AlignmentOf(value);
    else if (key == "cvreadonlystr") c.ReadOnly = TzUpperCase(AllTrim(value)) == "TRUE";
    else if (key == "cvtitlecolorstr") c.TitleColor = ColorOf(value);
    else if (key == "cvtitlecaptionstr") c.TitleCaption = platform::QStringFromDisplay(value);
    else if (key == "cvtitlealignmentstr") c.TitleAlignment = AlignmentOf(value);
    else if (key == "cvtitlefontstr") c.HasTitleFont = true, FontOf(value, c.TitleFont, c.TitleFontColor);
    else if (key == "cvfieldnamestr") c.FieldName = AllTrim(value);
  }
  // A column goes to the field it names; the others take the places that
  // are left, in order.
  TTzDataSet* ds = model_->DataSet();
  model_->Columns.clear();
  std::vector<bool> placed(columns.size(), false);
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (ds && ds->Active() && !columns[i].FieldName.empty())
      for (int f = 0; f < ds->FieldCount() && !placed[i]; ++f)
        if (TzUpperCase(ds->Fields(f).FieldName()) == TzUpperCase(columns[i].FieldName)) {
          model_->Columns[f] = columns[i];
          placed[i] = true;
        }
  int free = 0;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (placed[i] || !columns[i].FieldName.empty()) continue;
    while (model_->Columns.count(free)) ++free;
    model_->Columns[free] = columns[i];
  }
  model_->Reload();
  for (const auto& [column, c] : model_->Columns)
    if (c.Width > 0) setColumnWidth(column, c.Width);
}

void TTzGrid::RestoreOrToggle(const QModelIndex& index) {
  TTzDataSet* ds = model_->DataSet();
  if (!ds || !ds->Active() || !index.isValid()) return;
  const platform::TField& f = ds->Fields(index.column());
  if (f.DataType() != TFieldType::Boolean || !(model_->flags(index) & Qt::ItemIsUserCheckable)) return;
  bool on = model_->data(index, Qt::CheckStateRole).toInt() == Qt::Checked;
  model_->setData(index, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void TTzGrid::keyPressEvent(QKeyEvent* event) {
  if (OnKeyDown) Guarded([&] { OnKeyDown(event->key(), event->modifiers()); });
  TTzDataSet* ds = model_->DataSet();
  QModelIndex index = currentIndex();
  if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier) && ds && ds->Active() &&
      model_->Editing && ds->CanModify() && !ds->IsEmpty()) {
    const bool deleted = ds->IsDeleted();
    const bool confirm = deleted ? ConfirmRestore : ConfirmDelete;
    if (!confirm || platform::ShowMessageBox("Confirm", deleted ? "Restore Record ?" : "Delete record?",
                                             platform::MessageButtons::YesNo, platform::MessageIcon::Question) ==
                        platform::DialogResult::Yes)
      Guarded([&] {
        if (deleted) ds->SetDeleted(false);
        else ds->Delete();
      });
    return;
  }
  // Moving below the last row appends a record.
  const bool down = event->key() == Qt::Key_Down ||
                    (event->key() == Qt::Key_Tab && index.isValid() && index.column() == model_->columnCount() - 1);
  if (down && AutoAppend && ds && ds->Active() && model_->Editing && ds->CanModify() &&
      ds->State() != TDataSetState::Insert && (!index.isValid() || index.row() == model_->rowCount() - 1)) {
    int column = index.isValid() ? index.column() : 0;
    if (down && event->key() == Qt::Key_Tab) column = 0;
    Guarded([&] {
      if (ds->State() == TDataSetState::Edit) ds->Post();
      ds->Append();
    });
    following_ = true;
    setCurrentIndex(model_->index(model_->AppendRow(), column));
    following_ = false;
    return;
  }
  if ((event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      index.isValid() && ds && ds->Active() && ds->Fields(index.column()).DataType() == TFieldType::Boolean &&
      BooleanBox != TTzBooleanBox::bbText) {
    RestoreOrToggle(index);
    return;
  }
  QTableView::keyPressEvent(event);
}

// ---- navigator ---------------------------------------------------------------------------

TTzNavigator::TTzNavigator(platform::TDataSource& source, QWidget* parent) : QToolBar(parent), source_(source) {
  static const char* const kGlyphs[] = {"|\u25C0", "\u25C0", "\u25B6", "\u25B6|", "+", "\u2212", "\u270E",
                                        "\u2713", "\u2715", "\u21BB"};
  static const char* const kHints[] = {"First record", "Prior record", "Next record", "Last record",
                                       "Insert record", "Delete record", "Edit record", "Post edit",
                                       "Cancel edit", "Refresh data"};
  static const char* const kNames[] = {"nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert",
                                       "nbDelete", "nbEdit", "nbPost", "nbCancel", "nbRefresh"};
  setObjectName("TzNavigator1");
  for (int i = 0; i < 10; ++i) {
    QAction* a = addAction(QString::fromUtf8(kGlyphs[i]));
    a->setObjectName(kNames[i]);
    a->setToolTip(kHints[i]);
    connect(a, &QAction::triggered, this, [this, i] { BtnClick(static_cast<TNavigateBtn>(i)); });
    buttons_[i] = a;
  }
  subscription_ = source_.Subscribe([this](TDataEvent) { UpdateButtons(); });
  UpdateButtons();
}

TTzNavigator::~TTzNavigator() { source_.Unsubscribe(subscription_); }

void TTzNavigator::SetVisibleButtons(unsigned mask) {
  for (int i = 0; i < 10; ++i) buttons_[i]->setVisible((mask >> i) & 1u);
}

void TTzNavigator::UpdateButtons() {
  auto* ds = dynamic_cast<TTzDataSet*>(source_.DataSet());
  bool active = ds && ds->Active();
  bool editing = active && IsEditing(*ds);
  bool canModify = active && ds->CanModify();
  buttons_[nbFirst]->setEnabled(active && !ds->Bof());
  buttons_[nbPrior]->setEnabled(active && !ds->Bof());
  buttons_[nbNext]->setEnabled(active && !ds->Eof());
  buttons_[nbLast]->setEnabled(active && !ds->Eof());
  buttons_[nbInsert]->setEnabled(canModify);
  buttons_[nbDelete]->setEnabled(canModify && !ds->IsEmpty());
  buttons_[nbEdit]->setEnabled(canModify && !editing && !ds->IsEmpty());
  buttons_[nbPost]->setEnabled(editing);
  buttons_[nbCancel]->setEnabled(editing);
  buttons_[nbRefresh]->setEnabled(active);
}

void TTzNavigator::BtnClick(TNavigateBtn b) {
  auto* ds = dynamic_cast<TTzDataSet*>(source_.DataSet());
  if (!ds || !ds->Active()) return;
  Guarded([&] {
    switch (b) {
      case nbFirst: ds->First(); break;
      case nbPrior: ds->Prior(); break;
      case nbNext: ds->Next(); break;
      case nbLast: ds->Last(); break;
      case nbInsert: ds->Insert(); break;
      case nbEdit: ds->Edit(); break;
      case nbPost: ds->Post(); break;
      case nbCancel: ds->Cancel(); break;
      case nbRefresh: ds->Refresh(); break;
      case nbDelete: {
        if (!ds->CanModify()) break;
        // A record marked deleted is restored by the same button.
        bool deleted = ds->IsDeleted();
        bool confirm = deleted ? ConfirmRestore : ConfirmDelete;
        if (confirm && platform::ShowMessageBox("Confirm", deleted ? "Restore Record ?" : "Delete Record ?",
                                                platform::MessageButtons::YesNo,
                                                platform::MessageIcon::Question) != platform::DialogResult::Yes)
          break;
        ds->SetDeleted(!deleted);
        break;
      }
    }
  });
  if (OnClick) Guarded([&] { OnClick(b); });
  UpdateButtons();
}
