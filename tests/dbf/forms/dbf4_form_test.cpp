#include "dbf/forms/dbf4_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <filesystem>
#include <map>
#include <set>

#include <sys/stat.h>

#include "../dataset_test_support.h"
#include "dbf/dbf4.h"
#include "dbf/forms/tz_grid.h"
#include "dbf/runtime.h"
#include "framework/globals.h"
#include "platform/os.h"

using dbftest::DatasetTest;
using dbftest::F;
using platform::DialogScript;

class TableDialog : public DatasetTest {
 protected:
  void SetUp() override {
    DatasetTest::SetUp();
    CreateTableDialog();
  }
  void TearDown() override {
    FreeTableDialog();
    DatasetTest::TearDown();
  }

  // Sample table of `n` records open in dbf4 in `mode`, record 2 marked deleted if asked.
  std::string OpenSample(int n, int mode, bool deleteSecond = false) {
    std::string p = SampleTable(n);
    dbf4->OpenTable(p);
    dbf4->Mode = mode;
    if (deleteSecond) {
      dbf4->Go(2);
      dbf4->tzdbf.SetDeleted(true);
      dbf4->First();
    }
    return p;
  }

  // The table dialog over dbf4, configured.
  struct Form : Tdbf4Form {
    Form() : Tdbf4Form(*dbf4) { Configure(); }
  };

  // Sends a press or release of `button` at `at` to `target`.
  static void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QMouseEvent e(type, at, target->mapToGlobal(at), button, type == QEvent::MouseButtonPress ? button : Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  }
  static void Click(TTzGrid& grid, int row, int column) {
    QModelIndex index = grid.Model().index(row, column);
    grid.setCurrentIndex(index);
    emit grid.clicked(index);
  }
};

// The caption shows the table's file name as its characters (the file
// system's UTF-8) beside the titles, which are display texts.
TEST_F(TableDialog, CaptionShowsTheTablesFileNameAsItsCharacters) {
  const std::string p = SampleTable(1, "tabelle_\xC3\xA4.dbf");
  dbf4->OpenTable(p);
  dbf4->Label_title1 = "Gr\xF6\xDF" "e";  // Windows-1252
  dbf4->Label_title2 = "Bolts";
  dbf4->Mode = 2;
  Form form;
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Bolts  Gr\xC3\xB6\xC3\x9F" "e  (") + QString::fromUtf8(p) + ")");
  EXPECT_TRUE(form.windowTitle().contains(QString::fromUtf8("tabelle_\xC3\xA4.dbf")));
}

// View mode hides deleted records and offers no changes; a click or Down closes a picking dialog with the
// record under the cursor; another close word than CLOSE ends picking.
TEST_F(TableDialog, ViewAndPickModes) {
  OpenSample(5, 1, true);
  dbf4->CloseOnPick = true;
  dbf4->tzdbf.SetHideDeletedRecs(true);
  {
    Form form;
    ASSERT_EQ(form.TzGrid1->Model().rowCount(), 4);
    EXPECT_TRUE(!form.mi_editPack->isVisible() && !form.TzNavigator1->Button(nbDelete)->isVisible() &&
                form.TzNavigator1->Button(nbLast)->isVisible() &&
                !(form.TzGrid1->Model().flags(form.TzGrid1->Model().index(0, 0)) & Qt::ItemIsEditable));
    Click(*form.TzGrid1, 2, 1);  // rows 1, 3, 4, 5: the third is record 4
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(std::vector<int>({LastDialogKey, AbortFlag, SelectedRecordNo, GridRow, GridColumn}),
              std::vector<int>({13, 0, 4, 2, 1}));
  }
  dbf4->tzdbf.SetHideDeletedRecs(false);
  SelectedRecordNo = 0;
  {
    Form form;
    form.TzGrid1->setCurrentIndex(form.TzGrid1->Model().index(3, 0));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(form.TzGrid1, &down);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(SelectedRecordNo, 4);
  }
  DialogScript script;
  script.Ok();
  dbf4->ShowTable("close", 1);
  EXPECT_FALSE(dbf4->CloseOnPick);
  EXPECT_EQ(LastDialogKey, 13);
}

TEST_F(TableDialog, RightClickOnATitleSortsAndKeepsTheRecord) {
  OpenSample(12, 2);
  Form form;
  form.resize(630, 464);
  form.TzGrid1->setCurrentIndex(form.TzGrid1->Model().index(9, 1));  // record 10
  ASSERT_EQ(dbf4->RecNo(), 10);
  QWidget* titles = form.TzGrid1->horizontalHeader()->viewport();
  QPoint at(form.TzGrid1->horizontalHeader()->sectionViewportPosition(0) + 5, 5);
  Mouse(titles, QEvent::MouseButtonPress, at, Qt::RightButton);
  EXPECT_TRUE(static_cast<TTzGridHeader*>(form.TzGrid1->horizontalHeader())->SectionSunken(0));  // while pressed
  Mouse(titles, QEvent::MouseButtonRelease, at, Qt::RightButton);
  EXPECT_FALSE(static_cast<TTzGridHeader*>(form.TzGrid1->horizontalHeader())->SectionSunken(0));
  EXPECT_EQ(dbf4->RecNo(), 10);
  // Order R1, R10, R11, R12, R2, ...: record 10 is now the second row.
  EXPECT_EQ(form.TzGrid1->currentIndex().row(), 1);
  EXPECT_EQ(form.TzGrid1->Model().RecordNumberOfRow(4), 2);
  // With DepressDisabled nothing happens.
  form.TzGrid1->DepressDisabled = true;
  int fired = 0;
  form.TzGrid1->OnDepressTitle = [&](int) { ++fired; };
  Mouse(titles, QEvent::MouseButtonPress, at, Qt::RightButton);
  EXPECT_EQ(fired, 0);
}

// Ok gives the record under the cursor, Cancel sets the abort flag; either way the table is closed again.
TEST_F(TableDialog, PickFromTableReturnsTheAcceptedRecordAndClosesTheTable) {
  std::string p = SampleTable(4);
  for (bool ok : {false, true}) {
    SCOPED_TRACE(ok);
    std::int32_t rec = 3;
    SelectedRecordNo = 0;
    {
      DialogScript script;
      ok ? script.Ok() : script.Cancel();
      EXPECT_EQ(PickFromTable(p, "Title", "Table", ok ? "CLOSE" : "", ok ? 1 : 2, rec), ok);
    }
    EXPECT_EQ(std::vector<int>({rec, SelectedRecordNo, AbortFlag, LastDialogKey}),
              ok ? std::vector<int>({3, 3, 0, 13}) : std::vector<int>({3, 0, 1, 27}));
    EXPECT_FALSE(dbf4->tzdbf.Active());
  }
}

// Edit mode shows deleted records on red and logical fields as check boxes; corner clicks that never sort,
// owner-chosen colours, box styles, appending, fixed columns, stored settings; the navigator's delete button;
// edited cells and boxes reach the file.
TEST_F(TableDialog, GridColoursBoxesAppendFixedColumnsAndStoredSettings) {
  std::string p = OpenSample(3, 2, true);
  Form form;
  form.resize(630, 464);
  TTzGrid& grid = *form.TzGrid1;
  TTzGridModel& m = grid.Model();
  ASSERT_EQ(m.rowCount(), 3);
  EXPECT_EQ(m.data(m.index(1, 0), Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
  EXPECT_FALSE(m.data(m.index(0, 0), Qt::BackgroundRole).isValid());
  EXPECT_EQ(m.data(m.index(1, 4), Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(m.data(m.index(0, 4), Qt::CheckStateRole).toInt(), Qt::Unchecked);
  EXPECT_TRUE(m.flags(m.index(0, 4)) & Qt::ItemIsUserCheckable);
  int left = 0, right = 0, titles = 0;
  grid.OnCornerLeftClick = [&] { ++left; };
  grid.OnCornerRightClick = [&] { ++right; };
  grid.OnDepressTitle = [&](int) { ++titles; };
  auto* corner = grid.findChild<QAbstractButton*>("TzGridCorner");
  ASSERT_NE(corner, nullptr);
  Mouse(corner, QEvent::MouseButtonPress, QPoint(2, 2), Qt::RightButton);
  EXPECT_EQ(std::vector<int>({right, left, titles}), std::vector<int>({1, 0, 0}));
  grid.OnDepressTitle = nullptr;
  // The model's colours event repaints deleted rows.
  m.OnChangeColorsEvent = [](TTzGrid&, int, TTzCellColors& c) { c.DeletedColor = QColor(0, 0, 255); };
  EXPECT_EQ(m.data(m.index(1, 0), Qt::BackgroundRole).value<QColor>(), QColor(0, 0, 255));
  m.OnChangeColorsEvent = nullptr;
  // The grid's colours event sees the defaults; what it changes is drawn.
  int seenRow = -1;
  grid.OnChangeColorsEvent() = [&](TTzGrid&, int row, TTzCellColors& c) {
    seenRow = row;
    EXPECT_EQ(c.DeletedColor, QColor(255, 0, 0));
    c.HiliteColor = QColor(0, 200, 0);
    c.CellColor = QColor(10, 20, 30);
  };
  TTzCellColors c = m.CellColors(2, 0, grid.palette());
  EXPECT_EQ(seenRow, 2);
  EXPECT_EQ(c.HiliteColor, QColor(0, 200, 0));
  grid.setCurrentIndex(m.index(0, 0));
  QImage shot = grid.grab().toImage();
  QRect selected = grid.visualRect(m.index(0, 0)).translated(grid.viewport()->pos());
  QRect plain = grid.visualRect(m.index(2, 1)).translated(grid.viewport()->pos());
  EXPECT_EQ(shot.pixelColor(selected.topLeft() + QPoint(1, 1)), QColor(0, 200, 0));
  EXPECT_EQ(shot.pixelColor(plain.topLeft() + QPoint(1, 1)), QColor(10, 20, 30));
  grid.OnChangeColorsEvent() = nullptr;
  // Every box style of logical fields draws its own way; a click toggles a box.
  QRect okCell = grid.visualRect(m.index(1, 4));
  std::set<QRgb> looks;
  for (TTzBooleanBox b : {TTzBooleanBox::bbCheckBox, TTzBooleanBox::bbCheckMark, TTzBooleanBox::bbText,
                          TTzBooleanBox::bbFillBox, TTzBooleanBox::bbFillBoxRed, TTzBooleanBox::bbRButton,
                          TTzBooleanBox::bbRButtonRed, TTzBooleanBox::bbDot, TTzBooleanBox::bbDotRed}) {
    grid.BooleanBox = b;
    QImage cell = grid.viewport()->grab(okCell).toImage();
    QRgb sum = 0;
    for (int y = 0; y < cell.height(); ++y)
      for (int x = 0; x < cell.width(); ++x) sum = sum * 31 + cell.pixel(x, y);
    looks.insert(sum);
  }
  EXPECT_EQ(looks.size(), 9u);  // record 2 is true: every style looks its own way
  grid.BooleanBox = TTzBooleanBox::bbFillBoxRed;
  okCell = grid.visualRect(m.index(2, 4));
  bool before = m.data(m.index(2, 4), Qt::CheckStateRole).toInt() == Qt::Checked;
  QPoint mid = okCell.center();
  for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
    Mouse(grid.viewport(), t, mid, Qt::LeftButton);
  EXPECT_NE(m.data(m.index(2, 4), Qt::CheckStateRole).toInt() == Qt::Checked, before);
  // Down on the last row appends; leaving it unchanged drops it; without AutoAppend nothing is appended.
  grid.setCurrentIndex(m.index(2, 0));
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(&grid, &down);
  EXPECT_EQ(std::vector<int>({m.rowCount(), grid.currentIndex().row()}), std::vector<int>({4, 3}));
  grid.setCurrentIndex(m.index(1, 0));
  EXPECT_EQ(std::vector<int>({m.rowCount(), dbf4->RecNo()}), std::vector<int>({3, 2}));
  grid.setCurrentIndex(m.index(2, 0));
  QApplication::sendEvent(&grid, &down);
  ASSERT_TRUE(m.setData(m.index(3, 0), "added", Qt::EditRole));
  EXPECT_EQ(m.rowCount(), 4);  // the added record is stored when its row is left
  grid.AutoAppend = false;
  grid.setCurrentIndex(m.index(3, 0));
  QApplication::sendEvent(&grid, &down);
  EXPECT_EQ(m.rowCount(), 4);
  // Fixed columns stay where they are while the others scroll.
  grid.SetFixedColumns(1);
  ASSERT_NE(grid.FixedView(), nullptr);
  EXPECT_TRUE(!grid.FixedView()->isColumnHidden(0) && grid.FixedView()->isColumnHidden(1) &&
              grid.FixedView()->width() == grid.columnWidth(0));
  grid.SetFixedColumns(0);
  EXPECT_EQ(grid.FixedView(), nullptr);
  // Stored column settings; they are written as an empty list.
  grid.SetSavedColumns({"cvColumn=first", "cvFieldNameStr=QTY", "cvWidthStr=77", "cvTitleCaptionStr=Amount",
                        "cvColorStr=clYellow", "CVREADONLYSTR=TRUE", "cvAlignmentStr=taCenter",
                        "cvFontStr=Sans,$0000FF,265", "cvColumn=second", "cvTitleColorStr=255", "bad line"});
  EXPECT_EQ(m.headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
  EXPECT_EQ(grid.columnWidth(1), 77);
  EXPECT_EQ(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Amount");
  EXPECT_FALSE(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);
  EXPECT_EQ(m.data(m.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter, Qt::AlignHCenter);
  EXPECT_TRUE(m.data(m.index(0, 1), Qt::FontRole).value<QFont>().bold());
  EXPECT_EQ(m.CellColors(0, 1, grid.palette()).CellColor, QColor(255, 255, 0));
  EXPECT_EQ(m.CellColors(0, 1, grid.palette()).CellTextColor, QColor(255, 0, 0));
  EXPECT_TRUE(grid.SavedColumns().empty());
  // The navigator's delete button restores a deleted record at once.
  grid.setCurrentIndex(m.index(1, 0));
  EXPECT_EQ(dbf4->RecordCount(), 4);
  form.TzNavigator1->BtnClick(nbDelete);
  EXPECT_FALSE(m.RowDeleted(1));
  // The cell edited in the added row and the box clicked are in the file.
  dbf4->CloseTable();
  Use(p);
  Go(4);
  EXPECT_EQ(FieldAsString(1), "added     ");
  Go(3);
  EXPECT_NE(GetFieldLogical(5), before);
}

namespace {

// Qt warnings written while a test step runs.
struct QtWarnings {
  QtWarnings() { previous_ = qInstallMessageHandler(&Collect); Seen().clear(); }
  ~QtWarnings() { qInstallMessageHandler(previous_); }
  static QStringList& Seen() {
    static QStringList seen;
    return seen;
  }
  static void Collect(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) Seen() << text;
  }
  QtMessageHandler previous_;
};

// Types `text` into the cell's editor and ends the edit with Enter, as a user does.
void TypeIntoCell(TTzGrid& grid, int row, int column, const QString& text) {
  QModelIndex index = grid.Model().index(row, column);
  grid.setCurrentIndex(index);
  grid.edit(index);
  auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(index));
  ASSERT_NE(editor, nullptr);
  editor->setText(text);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(editor, &enter);
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents();  // what the grid does once the editor has closed
}

}  // namespace

// Enter after a cell edit stays on the row, without Qt warnings; the record
// counter follows the row; the edit of the current row is stored when the
// row is left or on OK, and only that pending edit is what Cancel drops.
TEST_F(TableDialog, CellEditsStayOnTheirRowAndCancelDropsOnlyThePendingOne) {
  std::string p = OpenSample(20, 2);
  {
    QtWarnings warnings;
    Form form;
    form.resize(630, 464);
    TTzGrid& grid = *form.TzGrid1;
    TypeIntoCell(grid, 12, 0, "first");
    EXPECT_EQ(grid.currentIndex().row(), 12);
    EXPECT_EQ(dbf4->RecNo(), 13);
    EXPECT_EQ(form.Label_recno->text(), "13/20");
    EXPECT_EQ(grid.Model().data(grid.Model().index(12, 0), Qt::DisplayRole).toString().trimmed(), "first");
    // Leaving the row stores it; the counter follows the arrow keys too.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&grid, &down);
    EXPECT_EQ(form.Label_recno->text(), "14/20");
    TypeIntoCell(grid, 13, 0, "second");
    EXPECT_EQ(grid.currentIndex().row(), 13);
    form.Button_cancelClick();
    EXPECT_TRUE(warnings.Seen().isEmpty()) << warnings.Seen().join("\n").toStdString();
  }
  dbf4->CloseTable();
  Use(p);
  Go(13);
  EXPECT_EQ(FieldAsString(1), "first     ");
  Go(14);
  EXPECT_EQ(FieldAsString(1), "R14       ");  // Cancel dropped the pending edit
  CloseDatabase();
  dbf4->OpenTable(p);
  dbf4->Mode = 2;
  {
    Form form;
    TypeIntoCell(*form.TzGrid1, 3, 0, "kept");
    form.Button_okClick();
  }
  dbf4->CloseTable();
  Use(p);
  Go(4);
  EXPECT_EQ(FieldAsString(1), "kept      ");
}

// A left click on a column title sorts by it as the right click does, keeping
// the record; the columns are wide enough for their fields.
TEST_F(TableDialog, LeftClickOnATitleSortsAndColumnsFitTheirFields) {
  OpenSample(12, 2);
  Form form;
  form.resize(630, 464);
  TTzGrid& grid = *form.TzGrid1;
  grid.setCurrentIndex(grid.Model().index(9, 2));  // record 10
  QWidget* titles = grid.horizontalHeader()->viewport();
  QPoint at(grid.horizontalHeader()->sectionViewportPosition(0) + 5, 5);
  Mouse(titles, QEvent::MouseButtonPress, at, Qt::LeftButton);
  Mouse(titles, QEvent::MouseButtonRelease, at, Qt::LeftButton);
  EXPECT_EQ(dbf4->RecNo(), 10);
  EXPECT_EQ(grid.currentIndex().row(), 1);  // R1, R10, ...
  EXPECT_EQ(grid.Model().RecordNumberOfRow(4), 2);
  const QFontMetrics fm(grid.font());
  EXPECT_GE(grid.columnWidth(0), fm.horizontalAdvance("WWWWWWWWWW") * 3 / 4);  // NAME, 10 characters
  EXPECT_LT(grid.columnWidth(4), grid.columnWidth(0));                         // OK, one character
  EXPECT_GE(grid.columnWidth(1), fm.horizontalAdvance("999990"));  // QTY: five digits and a margin
}

// Ctrl+Delete on a deleted record restores it only when the user agrees.
TEST_F(TableDialog, CtrlDeleteAsksBeforeItRestoresADeletedRecord) {
  std::string p = OpenSample(3, 2, true);
  Form form;
  TTzGrid& grid = *form.TzGrid1;
  QKeyEvent ctrlDelete(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
  struct Row {
    const char* name;
    bool confirm;
    platform::DialogResult answer;
    const char* flag;  // deletion flag in the file afterwards
  };
  for (const Row& r : {Row{"No keeps it deleted", true, platform::DialogResult::No, "*"},
                       Row{"Yes restores", true, platform::DialogResult::Yes, " "},
                       Row{"without confirmation at once", false, platform::DialogResult::Cancel, " "}}) {
    SCOPED_TRACE(r.name);
    dbf4->Go(2);
    if (!dbf4->tzdbf.IsDeleted()) dbf4->tzdbf.SetDeleted(true);
    grid.setCurrentIndex(grid.Model().index(1, 0));
    ASSERT_TRUE(dbf4->tzdbf.IsDeleted());
    grid.ConfirmRestore = r.confirm;
    DialogScript script;
    if (r.confirm) (r.answer == platform::DialogResult::Yes ? script.Yes() : script.No()).Expect("Restore Record ?");
    QApplication::sendEvent(&grid, &ctrlDelete);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(dbftest::RecordText(p, 2, 0, 1), r.flag);
  }
}

// The colours event gets the grid as its Sender and, for each row drawn,
// that row as the dataset's active record, which comes back afterwards.
// Ctrl+Delete on a live record deletes it (asking first when ConfirmDelete
// is set), as on a deleted one it restores it.
TEST_F(TableDialog, ColoursEventSeesTheDrawnRowAndCtrlDeleteDeletesALiveRecord) {
  std::string p = OpenSample(3, 2, true);
  Form form;
  form.resize(630, 464);
  TTzGrid& grid = *form.TzGrid1;
  TTzGridModel& m = grid.Model();
  dbf4->First();
  std::map<int, std::string> names;
  std::map<int, std::int32_t> records;
  std::map<int, bool> deleted;
  grid.OnChangeColorsEvent() = [&](TTzGrid& sender, int row, TTzCellColors& c) {
    EXPECT_EQ(&sender, &grid);
    records[row] = dbf4->tzdbf.RecNo();
    names[row] = AllTrim(dbf4->tzdbf.FieldByName("NAME").AsString());
    deleted[row] = dbf4->tzdbf.IsDeleted();
    if (names[row] == "R3") c.CellColor = QColor(0, 0, 200);
  };
  QImage shot = grid.grab().toImage();
  EXPECT_EQ(names, (std::map<int, std::string>{{0, "R1"}, {1, "R2"}, {2, "R3"}}));
  EXPECT_EQ(records, (std::map<int, std::int32_t>{{0, 1}, {1, 2}, {2, 3}}));
  EXPECT_EQ(deleted, (std::map<int, bool>{{0, false}, {1, true}, {2, false}}));
  QRect third = grid.visualRect(m.index(2, 1)).translated(grid.viewport()->pos());
  EXPECT_EQ(shot.pixelColor(third.topLeft() + QPoint(1, 1)), QColor(0, 0, 200));
  EXPECT_EQ(dbf4->RecNo(), 1);  // the active record is back
  EXPECT_EQ(AllTrim(dbf4->tzdbf.FieldByName("NAME").AsString()), "R1");
  grid.OnChangeColorsEvent() = nullptr;

  QKeyEvent ctrlDelete(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
  grid.ConfirmDelete = true;
  grid.setCurrentIndex(m.index(0, 0));
  {
    DialogScript script;
    script.No().Expect("Delete record?");
    QApplication::sendEvent(&grid, &ctrlDelete);
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_EQ(dbftest::RecordText(p, 1, 0, 1), " ");
  {
    DialogScript script;
    script.Yes().Expect("Delete record?");
    QApplication::sendEvent(&grid, &ctrlDelete);
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_EQ(dbftest::RecordText(p, 1, 0, 1), "*");
  // The dialog's own grid asks nothing.
  Form plain;
  EXPECT_FALSE(plain.TzGrid1->ConfirmDelete || plain.TzGrid1->ConfirmRestore);
  plain.TzGrid1->setCurrentIndex(plain.TzGrid1->Model().index(2, 0));
  QApplication::sendEvent(plain.TzGrid1, &ctrlDelete);
  EXPECT_EQ(dbftest::RecordText(p, 3, 0, 1), "*");
  QApplication::sendEvent(plain.TzGrid1, &ctrlDelete);
  EXPECT_EQ(dbftest::RecordText(p, 3, 0, 1), " ");
}

// A right click on a title sorts through "$tovtemp.ndx" in the configured
// temporary directory and keeps the record as SelectedRecordNo; the help
// button's handler shows the help text; the form holds its virtual file.
TEST_F(TableDialog, TitleSortUsesTheConfiguredTempDirAndSetsTheSelectedRecord) {
  const std::string temp = Path("configured-temp");
  std::filesystem::create_directories(temp);
  TempDir = temp;
  OpenSample(4, 2);
  Form form;
  form.TzGrid1->setCurrentIndex(form.TzGrid1->Model().index(2, 1));  // record 3
  SelectedRecordNo = 0;
  form.TzGrid1DepressTitle(1);  // QTY
  EXPECT_EQ(SelectedRecordNo, 3);
  EXPECT_TRUE(std::filesystem::exists(temp + "/$tovtemp.ndx"));
  EXPECT_EQ(Tdbf4::SortIndexName(), temp + "/$tovtemp");
  EXPECT_EQ(dbf4->RecNo(), 3);
  {
    DialogScript script;
    script.Ok().Ok();  // the text, then the picture's file is missing here
    form.Button_hilfeClick();
    EXPECT_EQ(script.Pending(), 0u);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_NE(script.Shown()[0].caption.find("HELP TEXT"), std::string::npos);
  }
  EXPECT_EQ(dbf4->TzVFile1.Name(), "TzVFile1");
  EXPECT_FALSE(dbf4->TzVFile1.Active());
  TempDir.clear();
}

// The dialog opens scrolled to the current record, far down a table, also
// when the dialog takes another size as it is shown (it scales itself to
// the screen, a scroll bar appears), in both the plain and the picking
// dialog: OK takes a row the user sees.
TEST_F(TableDialog, OpensWithTheCurrentRowInView) {
  const std::string p = Path("thread.dbf");
  std::filesystem::copy_file(BQ4_BINARY_DIR "/data/tables/gewinde.dbf", p);
  dbf4->OpenTable(p);
  dbf4->Mode = 1;
  struct Scaling : Form {
    void showEvent(QShowEvent* event) override {
      Form::showEvent(event);
      resize(width(), height() * 2 / 3);
    }
  };
  for (bool pick : {false, true}) {
    SCOPED_TRACE(pick);
    dbf4->CloseOnPick = pick;
    int row = 0;
    TTzDbf& table = dbf4->tzdbf;
    for (table.First(); !table.Eof() && AllTrim(table.SField(1)) != "M14"; table.Next()) ++row;
    ASSERT_FALSE(table.Eof());
    Scaling form;
    form.show();
    QApplication::processEvents();
    QTableView& grid = *form.TzGrid1;
    ASSERT_EQ(grid.currentIndex().row(), row);
    const int top = grid.rowViewportPosition(row), bottom = top + grid.rowHeight(row);
    EXPECT_TRUE(top >= 0 && bottom <= grid.viewport()->height())
        << "row " << row << " at " << top << ".." << bottom << " of " << grid.viewport()->height();
    form.hide();
  }
}

// An export named after a FIFO or a device is refused with a message; the
// FIFO is never opened (which would block until a reader came).
TEST_F(TableDialog, ExportsRefuseAFifoOrADevice) {
  OpenSample(3, 2);
  Form form;
  const std::string fifo = Path("out.txt");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/null", Path("device.htm"));
  for (const std::string& name : {fifo, Path("device.htm")}) {
    SCOPED_TRACE(name);
    DialogScript script;
    script.File(name).Ok().Expect("not a regular file");
    form.mi_fileSaveAsDelimitedClick();
    script.File(name).Ok().Expect("not a regular file");
    form.mi_fileExportHtmlClick();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(AbortFlag, 0);
  }
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

namespace {

// The national decimal sign of a test, put back at its end.
struct DecimalSign {
  explicit DecimalSign(char sign) : kept(TzDecimalSep) { TzDecimalSep = sign; }
  ~DecimalSign() { TzDecimalSep = kept; }
  char kept;
};

QString Shown(TTzGrid& grid, int row, int column) {
  return grid.Model().data(grid.Model().index(row, column), Qt::DisplayRole).toString().trimmed();
}

}  // namespace

// A typed number that reads two ways with the grid's decimal sign is refused
// naming both readings; a cell shows the value as it is stored, and a
// character the code page lacks is stored as "?".
TEST_F(TableDialog, TypedCellsAreStoredAsTheyShow) {
  const std::string p =
      FilledTable("typed.dbf", {F("NAME", 'C', 10), F("D", 'N', 6, 3)}, {{"M2", "2.000"}, {"M3", "3.000"}});
  dbf4->OpenTable(p);
  dbf4->Mode = 2;
  {
    DecimalSign comma(',');
    DialogScript script;
    Form form;
    TTzGrid& grid = *form.TzGrid1;
    EXPECT_EQ(Shown(grid, 0, 1), "2,000");
    script.Ok().Expect("D: \"1.000\" is ambiguous: 1000 or 1 ?  Please type 1000, or 1.");
    TypeIntoCell(grid, 0, 1, "1.000");
    EXPECT_EQ(Shown(grid, 0, 1), "2,000");
    TypeIntoCell(grid, 0, 1, "1,2345");
    EXPECT_EQ(Shown(grid, 0, 1), "1,235");
    TypeIntoCell(grid, 0, 0, QString::fromUtf8("5 \u20AC"));
    EXPECT_EQ(Shown(grid, 0, 0), "5 ?");
    EXPECT_EQ(script.Pending(), 0u);
    form.Button_okClick();
  }
  {
    DecimalSign dot('.');
    DialogScript script;
    Form form;
    TTzGrid& grid = *form.TzGrid1;
    script.Ok().Expect("D: \"1,500\" is ambiguous: 1500 or 1.5 ?");
    TypeIntoCell(grid, 1, 1, "1,500");
    EXPECT_EQ(Shown(grid, 1, 1), "3.000");
    TypeIntoCell(grid, 1, 1, "1,5");
    EXPECT_EQ(Shown(grid, 1, 1), "1.500");
    form.Button_okClick();
  }
  dbf4->CloseTable();
  Use(p);
  Go(1);
  EXPECT_EQ(FieldAsString(1), "5 ?       ");
  EXPECT_EQ(FieldAsString(2), " 1.235");
  Go(2);
  EXPECT_EQ(FieldAsString(2), " 1.500");
}

// Search finds a number as the grid shows it (with "," where the grid
// shows ",") and a letter the code page holds elsewhere than the Windows one.
TEST_F(TableDialog, SearchFindsWhatTheGridShows) {
  const std::string p = FilledTable("found.dbf", {F("NAME", 'C', 10), F("D", 'N', 6, 3)},
                                    {{"M2", "2.000"}, {"Gr\xF6\xDF" "e", "2.500"}, {"x 2,500", "9.000"}});
  dbf4->OpenTable(p);
  DecimalSign comma(',');
  DialogScript script;
  dbf4->SearchText = "2,500";
  EXPECT_TRUE(dbf4->SearchStored(true));
  EXPECT_EQ(dbf4->RecNo(), 2);
  EXPECT_TRUE(dbf4->SearchStored(false));  // the text "2,500" of the name
  EXPECT_EQ(dbf4->RecNo(), 3);
  dbf4->SearchText = "2.500";  // never shown so
  script.Ok().Expect("2.500 not found");
  EXPECT_FALSE(dbf4->SearchStored(true));
  EXPECT_EQ(dbf4->RecNo(), 3);
  dbf4->SearchText = "\x94\xE1";  // typed "öß", in code page 437
  EXPECT_TRUE(dbf4->SearchStored(true));
  EXPECT_EQ(dbf4->RecNo(), 2);
  TzDecimalSep = '.';
  dbf4->SearchText = "2.5";
  EXPECT_TRUE(dbf4->SearchStored(true));
  EXPECT_EQ(dbf4->RecNo(), 2);
  EXPECT_EQ(script.Pending(), 0u);
}

// Picking: a search that finds nothing, or is cancelled, takes no row and
// leaves the dialog open; a found row is taken. A deleted row is refused.
TEST_F(TableDialog, APickTakesOnlyAFoundOrLiveRow) {
  OpenSample(5, 2, true);
  dbf4->CloseOnPick = true;
  SelectedRecordNo = 0;
  LastDialogKey = 0;
  {
    DialogScript script;
    Form form;
    script.Ok({{"Edit_text", "nothing"}}).Ok().Expect("nothing not found");
    form.Button_searchClick();
    script.Cancel();
    form.Button_searchClick();
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_EQ(LastDialogKey, 0);
    script.Ok({{"Edit_text", "R4"}});
    form.Button_searchClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(SelectedRecordNo, 4);
  }
  dbf4->CloseOnPick = false;
  LastDialogKey = 0;
  {
    DialogScript script;
    Form form;
    form.TzGrid1->setCurrentIndex(form.TzGrid1->Model().index(1, 0));
    ASSERT_EQ(dbf4->RecNo(), 2);
    script.Ok().Expect("Record 2 is marked deleted and cannot be taken");
    form.Button_okClick();
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_NE(LastDialogKey, 13);
    form.TzGrid1->setCurrentIndex(form.TzGrid1->Model().index(2, 0));
    form.Button_okClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(SelectedRecordNo, 3);
  }
}
