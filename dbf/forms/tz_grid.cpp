#include "dbf/forms/tz_grid.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cstring>

#include "dbf/runtime.h"
#include "framework/globals.h"
#include "framework/message_box.h"
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

// Line editors of date columns get the engine's date layout as input mask.
class TTzGridDelegate : public QStyledItemDelegate {
 public:
  TTzGridDelegate(TTzGridModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}
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
};

}  // namespace

// ---- model -----------------------------------------------------------------------------

TTzGridModel::TTzGridModel(platform::TDataSource& source, QObject* parent)
    : QAbstractTableModel(parent), source_(source) {
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
  endResetModel();
  reloading_ = false;
}

void TTzGridModel::OnDataEvent(TDataEvent event) {
  if (reloading_) return;
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
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TTzGridModel::columnCount(const QModelIndex& parent) const {
  TTzDataSet* ds = DataSet();
  return parent.isValid() || !ds || !ds->Active() ? 0 : ds->FieldCount();
}

int TTzGridModel::CurrentRow() const {
  TTzDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return -1;
  platform::Bookmark bm = ds->GetBookmark();
  if (bm.empty()) return -1;
  auto it = std::find(rows_.begin(), rows_.end(), bm);
  return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

std::int32_t TTzGridModel::RecordNumberOfRow(int row) const {
  if (row < 0 || row >= rowCount()) return 0;
  const platform::Bookmark& bm = rows_[static_cast<std::size_t>(row)];
  std::int32_t n = 0;
  if (bm.size() >= 4) std::memcpy(&n, bm.data(), 4);
  return n;
}

const platform::RecordBuffer* TTzGridModel::RowBuffer(int row) const {
  TTzDataSet* ds = DataSet();
  if (!ds || row < 0 || row >= rowCount()) return nullptr;
  if (row == CurrentRow() && IsEditing(*ds)) return &ds->ActiveBuffer();
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
    if (OnChangeColorsEvent) OnChangeColorsEvent(index.row(), colors);
    bool deleted = (*b)[0] != 0;
    const QColor& c = role == Qt::BackgroundRole ? (deleted ? colors.DeletedColor : colors.CellColor)
                                                 : (deleted ? colors.DeletedTextColor : colors.CellTextColor);
    return c.isValid() ? QVariant(c) : QVariant();
  }
  const platform::TField& f = ds->Fields(index.column());
  if (role == Qt::TextAlignmentRole) {
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
  if (role != Qt::DisplayRole || !ds || !ds->Active()) return {};
  if (orientation == Qt::Horizontal) {
    if (section < 0 || section >= ds->FieldCount()) return {};
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
  if (field.ReadOnly || field.DataType() == TFieldType::Memo) return f;
  if (field.DataType() == TFieldType::Boolean) return f | Qt::ItemIsUserCheckable;
  return f | Qt::ItemIsEditable;
}

bool TTzGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  TTzDataSet* ds = DataSet();
  if (!ds || !index.isValid() || !Editing) return false;
  const std::size_t row = static_cast<std::size_t>(index.row());
  if (row >= rows_.size()) return false;
  platform::Bookmark bm = rows_[row];
  bool ok = Guarded([&] {
    if (ds->GetBookmark() != bm) ds->GotoBookmark(bm);
    ds->Edit();
    platform::TField& f = ds->Fields(index.column());
    if (role == Qt::CheckStateRole) f.SetAsBoolean(value.toInt() == Qt::Checked);
    else f.SetAsString(platform::DisplayFromQString(value.toString()));
    ds->Post();
  });
  // A value the field refuses is dropped; a failed lock keeps the edit.
  if (!ok && IsEditing(*ds) && AbortFlag && ds->Modified() == false) Guarded([&] { ds->Cancel(); });
  cache_.erase(index.row());
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  return ok;
}

// ---- grid ------------------------------------------------------------------------------

TTzGrid::TTzGrid(platform::TDataSource& source, QWidget* parent) : QTableView(parent), source_(source) {
  model_ = new TTzGridModel(source, this);
  setModel(model_);
  setItemDelegate(new TTzGridDelegate(*model_, this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  horizontalHeader()->viewport()->installEventFilter(this);
  horizontalHeader()->setSectionsMovable(true);
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
          depressed_ = column;
          horizontalHeader()->viewport()->update();
          if (OnDepressTitle) Guarded([&] { OnDepressTitle(column); });
        }
        return true;
      }
    } else if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::Leave) {
      if (depressed_ != -1) {
        depressed_ = -1;
        horizontalHeader()->viewport()->update();
      }
    }
  }
  return QTableView::eventFilter(watched, event);
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
      model_->Editing && ds->CanModify() && ds->IsDeleted()) {
    Guarded([&] { ds->SetDeleted(false); });
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
