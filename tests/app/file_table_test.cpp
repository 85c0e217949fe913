#include "framework/calc_messages.h"

#include "app/file_table.h"

#include <QTableWidget>

#include <fstream>

#include "app/forms/preview_form.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "calc/project_file.h"
#include "framework/file_utils.h"
#include "framework/message_box.h"
#include "platform/dialogs.h"

namespace {

using FileTableTest = AppTest;

// The form sorts its rows by a right-clicked header, comparing the texts as
// they are: "1" before "9", upper case before lower.
TEST_F(FileTableTest, FormSortsByAHeaderComparingTextsAsTheyAre) {
  TForm_preview form;
  form.SetHeaders(FileTableHeaders());
  for (const char* key : {"9.2", "10.5", "2026/01/03", "2025/12/31", "b", "B"}) {
    std::vector<std::string> row(kFileTableColumns, key);
    row[0] = "x";
    form.AddRow(row);
  }
  form.SortByColumn(8);
  std::vector<std::string> column;
  for (int r = 1; r < form.RowCount(); ++r) column.push_back(form.CellText(9, r));
  EXPECT_EQ(column, (std::vector<std::string>{"10.5", "2025/12/31", "2026/01/03", "9.2", "B", "b"}));
  EXPECT_EQ(form.StringGrid1->item(0, 9)->text().toStdString(), "10.5");
  // A click in a row picks it once.
  form.StringGrid1SelectCell(3, 2);
  EXPECT_EQ(form.SelectedRow(), 2);
}

TEST_F(FileTableTest, ListsEveryProjectAndOpensThePickedOne) {
  Thh main;
  CurrentDir = dir_ + "/";
  {
    // An empty directory gives the header row only.
    TForm_preview empty;
    FillFileTable(main, empty);
    EXPECT_EQ(empty.RowCount(), 1);
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
  EXPECT_EQ(CurrentFileName, "hot");
  EXPECT_EQ(InputModified, 0);
  EXPECT_NE(main.windowTitle().toStdString().find("hot.bq4"), std::string::npos);

  // A picked file that cannot be read is reported; the project in memory
  // keeps its name, the table stays open, and a save goes to its own file.
  form.StringGrid1SelectCell(0, 1);
  {
    platform::DialogScript script;
    script.Ok().Expect("broken.bq4");
    OpenFileTableRow(main, form);
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CurrentFileName, "hot");
  EXPECT_EQ(CurrentDir, dir_ + "/");
  {
    // Where file errors are shown anyway, the message comes once.
    ShowFileErrorsAsMessages();
    platform::DialogScript script;
    script.Ok().Expect("broken.bq4");
    OpenFileTableRow(main, form);
    EXPECT_EQ(script.Pending(), 0u);
    SetFileErrorHandler(nullptr);
  }
  EXPECT_EQ(CurrentFileName, "hot");
  main.mi_FileSaveClick();
  EXPECT_EQ(AbortFlag, 0);
  std::ifstream broken(dir_ + "/broken.bq4");
  std::string line;
  std::getline(broken, line);
  EXPECT_EQ(line, "not a project\r");

  // Names of files and folders are shown and opened as they are.
  const std::string folder = dir_ + "/Projekte \u00e4";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(Sample("hot.bq4"), folder + "/Gr\u00f6\u00dfe \u00fc.bq4");
  CurrentDir = folder + "/";
  TForm_preview named;
  FillFileTable(main, named);
  ASSERT_EQ(named.RowCount(), 2);
  EXPECT_EQ(named.StringGrid1->item(0, 0)->text(), QString::fromUtf8("Gr\u00f6\u00dfe \u00fc.bq4"));
  EXPECT_TRUE(named.windowTitle().endsWith(QString::fromUtf8("Projekte \u00e4/")));
  named.StringGrid1SelectCell(0, 1);
  OpenFileTableRow(main, named);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_TRUE(main.windowTitle().endsWith(QString::fromUtf8("Gr\u00f6\u00dfe \u00fc.bq4")));
}

}  // namespace
