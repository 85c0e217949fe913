#include "framework/forms/drawing_info_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <vector>

#include "framework/charset.h"
#include "framework/drawing_info.h"
#include "framework/file_utils.h"
#include "framework/forms/number_fields.h"
#include "framework/forms/placement.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "platform/dialogs.h"
#include "platform/qt_text.h"

namespace {

constexpr int kNumberColumns = 4;  // x, y, h, phi; then the text
constexpr const char* kNumberNames[kNumberColumns] = {"x", "y", "h", "phi"};

QString Cell(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
  grid->setItem(row, column, new QTableWidgetItem(text));
}

QTableWidget* NewGrid(QWidget* parent, const char* name, const QStringList& columns, const QStringList& rows) {
  auto* grid = new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(columns.size()), parent);
  grid->setObjectName(name);
  grid->setHorizontalHeaderLabels(columns);
  grid->setVerticalHeaderLabels(rows);
  grid->verticalHeader()->setDefaultSectionSize(24);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return grid;
}

// Fixed height that shows every row of the grid.
void FitRows(QTableWidget* grid) {
  int h = grid->horizontalHeader()->sizeHint().height() + 2 * grid->frameWidth();
  for (int r = 0; r < grid->rowCount(); ++r) h += grid->rowHeight(r);
  grid->setFixedHeight(h);
}

}  // namespace

TForm_zeichInfo::TForm_zeichInfo(QWidget* parent)
    : TDocumentationForm("TForm_zeichInfo", "Info drawing", "&Help", 3010, parent) {

  Edit_ersatzfuer = new QLineEdit(ShownText(ReplacementFor.view()), this);
  Edit_ersatzfuer->setObjectName("Edit_ersatzfuer");
  Edit_ersatzfuer->setMaxLength(15);
  Edit_ersetztdurch = new QLineEdit(ShownText(ReplacedBy.view()), this);
  Edit_ersetztdurch->setObjectName("Edit_ersetztdurch");
  Edit_ersetztdurch->setMaxLength(15);

  StringGrid1 = NewGrid(this, "StringGrid1", {"Date", "Name"},
                        {"Compl.", "Check", "Stand.", ShownText(CadState.CadApprovalLabel4)});
  const std::array<std::pair<std::string_view, std::string_view>, 4> signatures = {{
      {ComplDate.view(), ComplName.view()},
      {CheckDate.view(), CheckName.view()},
      {StandDate.view(), StandName.view()},
      {Row4Date.view(), Row4Name.view()},
  }};
  for (int r = 0; r < 4; ++r) {
    SetCell(StringGrid1, r, 0, platform::QStringFromDisplay(signatures[r].first));
    SetCell(StringGrid1, r, 1, ShownText(signatures[r].second));
  }
  StringGrid1->setColumnWidth(0, 90);
  StringGrid1->setColumnWidth(1, 110);
  FitRows(StringGrid1);

  QStringList rowHeads;
  for (int r = 1; r <= kMaxDrawingTexts; ++r) rowHeads << QString::number(r);
  StringGrid2 = NewGrid(this, "StringGrid2", {"x", "y", "h", "phi", "Text"}, rowHeads);
  for (int r = 0; r < kMaxDrawingTexts; ++r) {
    const bool used = r < DrawingTextCount;
    const TDrawingTextRecord& t = DrawingTexts[static_cast<std::size_t>(r + 1)];
    const Extended numbers[kNumberColumns] = {t.x, t.y, t.h, t.phi};
    for (int c = 0; c < kNumberColumns; ++c) {
      const QString text = used ? platform::QStringFromDisplay(FloatToText(numbers[c])) : QString();
      SetCell(StringGrid2, r, c, text);
      shownNumbers_ << text;
    }
    SetCell(StringGrid2, r, kNumberColumns, used ? ShownText(t.Text.view()) : QString());
  }
  for (int c = 0; c < kNumberColumns; ++c) StringGrid2->setColumnWidth(c, 60);
  StringGrid2->horizontalHeader()->setStretchLastSection(true);
  FitRows(StringGrid2);

  auto* top = new QGridLayout;
  top->addWidget(new QLabel("Replacement for", this), 0, 0);
  top->addWidget(Edit_ersatzfuer, 0, 1);
  top->addWidget(new QLabel("Replaced by", this), 1, 0);
  top->addWidget(Edit_ersetztdurch, 1, 1);
  top->setColumnStretch(2, 1);

  auto* dateButtons = new QVBoxLayout;
  dateButtons->setSpacing(0);
  dateButtons->addSpacing(StringGrid1->horizontalHeader()->sizeHint().height() + StringGrid1->frameWidth());
  const QString today = "< " + platform::QStringFromDisplay(TodayText());
  for (int r = 0; r < 4; ++r) {
    DateButtons[r] = NewFormButton(this, QString("Button%1").arg(r + 1), today);
    DateButtons[r]->setFixedHeight(StringGrid1->rowHeight(r));
    dateButtons->addWidget(DateButtons[r]);
    connect(DateButtons[r], &QPushButton::clicked, this, [this, r] { DateButtonClick(r); });
  }
  dateButtons->addStretch();
  auto* signatureRow = new QHBoxLayout;
  signatureRow->addWidget(StringGrid1);
  signatureRow->addLayout(dateButtons);
  signatureRow->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(signatureRow);
  layout->addWidget(StringGrid2);
  AddButtonRow(*layout);
  resize(560, sizeHint().height());
  ScaleCenterForm(*this);
}

void TForm_zeichInfo::DateButtonClick(int row) {
  if (row < 0 || row > 3) return;
  SetCell(StringGrid1, row, 0, platform::QStringFromDisplay(TodayText()));
}

void TForm_zeichInfo::Button_okClick() {
  // The numbers first: a cell that is no number keeps the dialog open.
  std::vector<TDrawingTextRecord> rows(kMaxDrawingTexts);
  for (int r = 0; r < kMaxDrawingTexts; ++r) {
    TDrawingTextRecord& t = rows[static_cast<std::size_t>(r)];
    const TDrawingTextRecord& old = DrawingTexts[static_cast<std::size_t>(r + 1)];
    Extended* numbers[kNumberColumns] = {&t.x, &t.y, &t.h, &t.phi};
    const Extended oldNumbers[kNumberColumns] = {old.x, old.y, old.h, old.phi};
    for (int c = 0; c < kNumberColumns; ++c) {
      const QString text = Cell(StringGrid2, r, c).trimmed();
      if (r < DrawingTextCount && text == shownNumbers_.value(r * kNumberColumns + c).trimmed()) {
        *numbers[c] = oldNumbers[c];  // left as shown: the stored value keeps all its digits
        continue;
      }
      if (text.isEmpty()) continue;
      const std::string typed = platform::DisplayFromQString(text);
      const std::string name = "row " + IntToText(r + 1) + ", " + kNumberNames[c];
      if (AmbiguousNumberRefused(name, typed, true)) {
        StringGrid2->setCurrentCell(r, c);
        return;
      }
      if (!TryTextToFloat(typed, *numbers[c])) {
        ShowError("Invalid Input \"" + AnsiToOemText(typed) + "\" !");
        StringGrid2->setCurrentCell(r, c);
        return;
      }
    }
    t.Text = StoredText(Cell(StringGrid2, r, kNumberColumns));
  }

  AbortFlag = 0;
  ReplacementFor = StoredText(Edit_ersatzfuer->text());
  ReplacedBy = StoredText(Edit_ersetztdurch->text());
  const std::array<std::pair<ShortString<10>*, ShortString<10>*>, 4> signatures = {{
      {&ComplDate, &ComplName},
      {&CheckDate, &CheckName},
      {&StandDate, &StandName},
      {&Row4Date, &Row4Name},
  }};
  for (int r = 0; r < 4; ++r) {
    *signatures[r].first = StoredText(Cell(StringGrid1, r, 0));
    *signatures[r].second = StoredText(Cell(StringGrid1, r, 1));
  }
  StoreDrawingTextRows(rows);
  accept();
}

int ShowChangeInfoForm() {
  TForm_zeichInfo form;
  if (platform::ExecModal(form, "Info drawing") == platform::DialogResult::Ok) InputModified = 1;
  return 0;
}
