#include "framework/calc_messages.h"

#include "app/file_table.h"

#include <QTableWidget>

#include <fstream>

#include "app/forms/preview_form.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "calc/project_file.h"
#include "platform/dialogs.h"

namespace {

using FileTableTest = AppTest;

TEST_F(FileTableTest, SortComparesTextsAsTheyAreAndTheFormSortsByAHeader) {
  std::vector<std::string> keys = {"", "9.2", "10.5", "2026/01/03", "2025/12/31", "b", "B"};
  std::vector<int> index;
  QuickSortStrings(keys, index, 1, 6);
  // Texts: "1" before "9", upper case before lower; index 0 is not sorted.
  EXPECT_EQ(keys, (std::vector<std::string>{"", "10.5", "2025/12/31", "2026/01/03", "9.2", "B", "b"}));
  EXPECT_EQ(index[1], 2);
  EXPECT_EQ(index[6], 5);
  // The form sorts its rows by a right-clicked header.
  TForm_preview form;
  form.SetHeaders(FileTableHeaders());
  EXPECT_EQ(form.CellText(8, 0), "d mm");
  EXPECT_EQ(form.StringGrid1->columnCount(), kFileTableColumns);
  std::vector<std::string> a(kFileTableColumns, "x"), b(kFileTableColumns, "y");
  a[0] = "a.bq4";
  a[8] = "9.20";
  b[0] = "b.bq4";
  b[8] = "10.50";
  form.AddRow(a);
  form.AddRow(b);
  form.SortByColumn(8);
  EXPECT_EQ(form.CellText(0, 1), "b.bq4");
  EXPECT_EQ(form.CellText(0, 2), "a.bq4");
  EXPECT_EQ(form.StringGrid1->item(0, 0)->text().toStdString(), "b.bq4");
  // A click in a row picks it once.
  form.StringGrid1SelectCell(3, 2);
  EXPECT_EQ(form.SelectedRow(), 2);
  EXPECT_TRUE(PointInRect(5, 5, 0, 0, 10, 10));
  EXPECT_FALSE(PointInRect(0, 5, 0, 0, 10, 10));
}

TEST_F(FileTableTest, ListsEveryProjectAndOpensThePickedOne) {
  Thh main;
  CurrentDir = dir_ + "/";
  {
    // An empty directory gives the header row only.
    TForm_preview empty;
    FillFileTable(main, empty);
    EXPECT_EQ(empty.RowCount(), 1);
    EXPECT_EQ(empty.CellText(0, 0), "File");
    EXPECT_EQ(empty.CellText(30, 0), "SG");
  }
  Sample("hot.bq4");
  Sample("null.bq4", "zero.bq4");
  Sample("vdi1986.bq4");
  std::ofstream(dir_ + "/broken.bq4") << "not a project\r\n";
  TForm_preview form;
  FillFileTable(main, form);
  ASSERT_EQ(form.RowCount(), 5);  // a file that cannot be read keeps its row
  EXPECT_EQ(form.CellText(0, 1), "broken.bq4");
  EXPECT_EQ(form.CellText(0, 2), "hot.bq4");
  EXPECT_EQ(form.CellText(7, 2).substr(0, 4), "ISO ");
  EXPECT_EQ(form.CellText(1, 2).size(), 10u);  // yyyy/mm/dd
  EXPECT_EQ(form.CellText(0, 4), "zero.bq4");
  // The last file read stays in memory under its name.
  EXPECT_EQ(CurrentFileName, "zero");

  form.StringGrid1SelectCell(0, 2);
  InputModified = 1;
  OpenFileTableRow(main, form);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CurrentFileName, "hot");
  EXPECT_EQ(InputModified, 0);
  EXPECT_NE(main.windowTitle().toStdString().find("hot.bq4"), std::string::npos);
}

}  // namespace
