#include "framework/calc_messages.h"

#include "app/file_table.h"

#include <QPushButton>
#include <QTableWidget>

#include <fstream>
#include <iterator>

#include "app/forms/preview_form.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "calc/project_file.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/text_utils.h"
#include "framework/units.h"
#include "calc/joint_records.h"
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

// Only the files' own numbers: a folder named like a project gets no row, a
// file that cannot be read is marked and shows no numbers of the joint read
// before it, and a joint whose calculation stopped before its tightening
// step shows the project's MA,min and no results.
TEST_F(FileTableTest, RowsShowOnlyNumbersOfTheirOwnFile) {
  Thh main;
  CurrentDir = dir_ + "/";
  ReadCalcFile(Sample("hot.bq4"));
  ASSERT_EQ(AbortFlag, 0);
  Montage.GivenQuantity = 2;  // MA given, all of it taken by the prevailing torque
  Last.MA = 50;
  Last.MApre = 100;
  Last.MAmin = 40;
  WriteCalcFile(dir_ + "/stop.bq4");
  ASSERT_EQ(AbortFlag, 0);
  std::ofstream(dir_ + "/leer.bq4").flush();  // empty
  std::filesystem::create_directory(dir_ + "/ordner.bq4");

  TForm_preview form;
  FillFileTable(main, form);
  ASSERT_EQ(form.RowCount(), 4);
  EXPECT_EQ(form.CellText(0, 1), "hot.bq4");
  EXPECT_NE(form.CellText(26, 1), "");
  EXPECT_EQ(form.CellText(0, 2), "leer.bq4");
  EXPECT_EQ(form.CellText(1, 2).size(), 10u);
  EXPECT_EQ(form.CellText(3, 2), kFileNotRead);
  for (int c = 4; c < kFileTableColumns; ++c) EXPECT_EQ(form.CellText(c, 2), "") << "column " << c;
  EXPECT_EQ(form.CellText(0, 3), "stop.bq4");
  EXPECT_EQ(form.CellText(17, 3), TrimRightText(MomentToText(40)).substr(MomentToText(40).find_first_not_of(' ')));
  EXPECT_EQ(form.CellText(26, 3), kCalculationStopped);
  for (int c : {15, 18, 19, 27, 28, 29, 30}) EXPECT_EQ(form.CellText(c, 3), "") << "column " << c;
}

// The form's buttons; a row picked once is not picked again when the table
// shows again, and it stays picked with its file when the rows are sorted.
TEST_F(FileTableTest, APickedRowStaysPickedAndTheButtonsLeaveOrHelp) {
  TForm_preview form;
  form.SetHeaders(FileTableHeaders());
  for (const char* name : {"b.bq4", "a.bq4", "c.bq4"}) {
    std::vector<std::string> row(kFileTableColumns, "");
    row[0] = name;
    row[1] = "2026/12/08";
    form.AddRow(row);
  }
  EXPECT_GE(form.StringGrid1->columnWidth(1),
            form.StringGrid1->fontMetrics().horizontalAdvance(QStringLiteral("2026/12/08")));
  for (QPushButton* b : {form.Button_help, form.Button_hilfebild, form.Button_ok, form.Button_cancel})
    EXPECT_FALSE(b->text().isEmpty()) << b->objectName().toStdString();
  form.StringGrid1SelectCell(0, 1);
  ASSERT_EQ(form.SelectedRow(), 1);
  AbortFlag = 1;
  form.StringGrid1SelectCell(2, 1);  // the same row again: nothing
  EXPECT_EQ(AbortFlag, 1);
  form.SortByColumn(0);
  EXPECT_EQ(form.CellText(0, form.SelectedRow()), "b.bq4");
  AbortFlag = 0;
  form.Button_okClick();
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  form.Button_cancel->click();
  EXPECT_EQ(AbortFlag, 1);
}

// The scan calculates every project it reads. Left with Cancel, the table
// leaves the last of them as calculated: the window calculates nothing again
// and shows no messages of it; a pick shows its project's messages once.
TEST_F(FileTableTest, LeavingTheTableCalculatesNothingAgainAndAPickShowsItsMessagesOnce) {
  std::ifstream in(Sample("hot.bq4"), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A bolt section bored as wide as itself: the calculation stops.
  const std::string section = "ABSCHNITT 1\r\n60.0000000\r\n12.0000000\r\n0\r\n";
  const std::size_t at = text.find(section);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, section.size(), "ABSCHNITT 1\r\n60.0000000\r\n12.0000000\r\n12.5000000\r\n");
  std::ofstream(dir_ + "/stops.bq4", std::ios::binary) << text;

  Thh main;
  HelpLevel = 1;
  ReadCalcFile(dir_ + "/hot.bq4");
  ASSERT_EQ(AbortFlag, 0);
  main.NoteCalculated();
  main.ShowMessageCount();
  ASSERT_FALSE(main.Item("mi_viewErrorMessages")->isEnabled());
  InputModified = 0;
  {
    platform::DialogScript script;
    script.Cancel();
    main.Item("mi_fileOpenTable")->trigger();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(script.Shown().size(), 1u);
  }
  EXPECT_EQ(CurrentFileName, "stops");
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_TRUE(main.Item("mi_viewErrorMessages")->isEnabled());

  TForm_preview form;
  FillFileTable(main, form);
  ASSERT_EQ(form.RowCount(), 3);
  ASSERT_EQ(form.CellText(0, 2), "stops.bq4");
  form.StringGrid1SelectCell(0, 1);
  OpenFileTableRow(main, form);
  ASSERT_EQ(CalcFatalFlag, 0);
  {
    platform::DialogScript script;
    script.Ok().Expect("Select message for more info");
    form.StringGrid1SelectCell(0, 2);
    OpenFileTableRow(main, form);
    main.KeepResultsCurrent();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(script.Shown().size(), 1u);
  }
  EXPECT_EQ(CurrentFileName, "stops");
}

}  // namespace
