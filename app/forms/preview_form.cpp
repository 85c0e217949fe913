#include "app/forms/preview_form.h"

#include <algorithm>

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/file_table.h"
#include "app/spreadsheet.h"
#include "framework/charset.h"
#include "framework/forms/picture_list_form.h"
#include "framework/forms/placement.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/menu_captions.h"
#include "platform/qt_text.h"

bool PointInRect(int x, int y, int left, int top, int right, int bottom) {
  return left < x && x < right && top < y && y < bottom;
}

TForm_preview::TForm_preview(QWidget* parent) : QDialog(parent) {
  setObjectName("TForm_preview");
  auto* layout = new QVBoxLayout(this);
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* file = MainMenu1->addMenu(QString::fromUtf8(MenuCaptions[kCaptionFile].c_str()));
  file->setObjectName("mi_File");
  mi_fileExportExcel = file->addAction("Export Excel");
  mi_fileExportExcel->setObjectName("mi_fileExportExcel");
  mi_fileExit = file->addAction(QString::fromUtf8(MenuCaptions[kCaptionFileExit].c_str()));
  mi_fileExit->setObjectName("mi_fileExit");
  QMenu* help = MainMenu1->addMenu(QString::fromUtf8(MenuCaptions[kCaptionHelp].c_str()));
  help->setObjectName("mi_Help");
  mi_HelpHelp = help->addAction(QString::fromUtf8(MenuCaptions[kCaptionHelp].c_str()));
  mi_HelpHelp->setObjectName("mi_HelpHelp");
  connect(mi_fileExportExcel, &QAction::triggered, this, &TForm_preview::mi_fileExportExcelClick);
  connect(mi_fileExit, &QAction::triggered, this, &TForm_preview::mi_fileExitClick);
  connect(mi_HelpHelp, &QAction::triggered, this, &TForm_preview::mi_HelpHelpClick);
  layout->setMenuBar(MainMenu1);

  StringGrid1 = new QTableWidget(this);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->verticalHeader()->setVisible(false);
  StringGrid1->horizontalHeader()->setSectionsClickable(false);
  StringGrid1->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(StringGrid1->horizontalHeader(), &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    StringGrid1MouseDown(p.x(), p.y());
  });
  connect(StringGrid1, &QTableWidget::cellClicked, this,
          [this](int row, int column) { StringGrid1SelectCell(column, row + 1); });
  layout->addWidget(StringGrid1);

  auto* buttons = new QHBoxLayout;
  auto button = [&](QPushButton*& b, const char* name, const std::string& caption, void (TForm_preview::*click)()) {
    b = new QPushButton(platform::QStringFromDisplay(caption), this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, click);
    buttons->addWidget(b);
  };
  button(Button_help, "Button_help", MenuCaptions[kCaptionHelp], &TForm_preview::mi_HelpHelpClick);
  button(Button_hilfebild, "Button_hilfebild", MenuCaptions[kCaptionAuxiliaryImages],
         &TForm_preview::Button_hilfebildClick);
  buttons->addStretch(1);
  button(Button_ok, "Button_ok", "OK", &TForm_preview::Button_okClick);
  button(Button_cancel, "Button_cancel", "Cancel", &TForm_preview::mi_fileExitClick);
  layout->addLayout(buttons);
  resize(900, 500);
  ScaleCenterForm(*this);
  setWindowTitle(platform::QStringFromDisplay(ProgShortName + "  ") + platform::QStringFromPath(CurrentDir));
  rows_.assign(1, std::vector<std::string>{"File", "Date"});
  Refill();
}

void TForm_preview::SetHeaders(const std::vector<std::string>& headers) {
  rows_[0] = headers;
  Refill();
  StringGrid1->setColumnWidth(0, 150);
  // Wide enough for a whole "yyyy/mm/dd" in the grid's font.
  StringGrid1->setColumnWidth(1, std::max(64, StringGrid1->fontMetrics().horizontalAdvance("0000/00/00  ") + 8));
  if (StringGrid1->columnCount() > 7) StringGrid1->setColumnWidth(7, 120);
}

void TForm_preview::AddRow(const std::vector<std::string>& cells) {
  rows_.push_back(cells);
  Refill();
}

std::string TForm_preview::CellText(int column, int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  const auto& cells = rows_[static_cast<std::size_t>(row)];
  return column >= 0 && column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)] : std::string();
}

int TForm_preview::RowCount() const { return static_cast<int>(rows_.size()); }

void TForm_preview::Refill() {
  const int columns = static_cast<int>(rows_[0].size());
  StringGrid1->setColumnCount(columns);
  StringGrid1->setRowCount(RowCount() - 1);
  for (int c = 0; c < columns; ++c)
    StringGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem(platform::QStringFromDisplay(CellText(c, 0))));
  // The first column holds file names (the file system's bytes), the others
  // the projects' stored texts.
  for (int r = 1; r < RowCount(); ++r)
    for (int c = 0; c < columns; ++c)
      StringGrid1->setItem(r - 1, c,
                           new QTableWidgetItem(c == 0 ? platform::QStringFromPath(CellText(c, r))
                                                       : platform::QStringFromDisplay(OemToAnsiText(CellText(c, r)))));
}

void TForm_preview::SortByColumn(int column) {
  const int n = RowCount() - 1;
  if (n < 1) return;
  std::vector<std::string> keys(static_cast<std::size_t>(n + 1));
  std::vector<int> index(static_cast<std::size_t>(n + 1));
  for (int r = 1; r <= n; ++r) keys[static_cast<std::size_t>(r)] = CellText(column, r);
  QuickSortStrings(keys, index, 1, n);
  std::vector<std::vector<std::string>> sorted(rows_.size());
  sorted[0] = rows_[0];
  for (int r = 1; r <= n; ++r) sorted[static_cast<std::size_t>(r)] = rows_[static_cast<std::size_t>(index[static_cast<std::size_t>(r)])];
  rows_ = std::move(sorted);
  for (int r = 1; r <= n; ++r)
    if (selectedRow_ > 0 && index[static_cast<std::size_t>(r)] == selectedRow_) {
      selectedRow_ = r;
      break;
    }
  Refill();
}

void TForm_preview::StringGrid1SelectCell(int, int row) {
  if (row == selectedRow_ || row < 1 || row >= RowCount()) return;
  selectedRow_ = row;
  AbortFlag = 0;
  accept();
}

void TForm_preview::StringGrid1MouseDown(int x, int y) {
  QHeaderView* header = StringGrid1->horizontalHeader();
  for (int c = 0; c < StringGrid1->columnCount(); ++c) {
    const int left = header->sectionViewportPosition(c);
    if (PointInRect(x, y, left, 0, left + header->sectionSize(c), header->height())) {
      SortByColumn(c);
      return;
    }
  }
}

void TForm_preview::mi_fileExportExcelClick() { ExportGridToExcel(rows_); }

void TForm_preview::mi_fileExitClick() { reject(); }

void TForm_preview::mi_HelpHelpClick() {
  ShowHelpText(3400, "", 1);
  AbortFlag = 0;
}

void TForm_preview::Button_hilfebildClick() {
  AuxGraphicsManager();
  raise();
  activateWindow();
  AbortFlag = 0;
}

void TForm_preview::Button_okClick() { reject(); }

void TForm_preview::reject() {
  AbortFlag = 1;
  QDialog::reject();
}
