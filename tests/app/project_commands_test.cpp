// The File, OLE, Edit and Database commands as a user meets them: a project
// is saved only where its name says, a workbook comes back only as the
// project it was made from, and every change of the joint is asked about
// before it is lost.
#include <QAction>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/main_window.h"
#include "app/project_files.h"
#include "app/spreadsheet.h"
#include "app_test_support.h"
#include "calc/calc_tables.h"
#include "calc/table_access.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "framework/drawing_info.h"
#include "platform/dialogs.h"
#include "../shown_path.h"

namespace {

using ProjectCommandsTest = AppTest;
namespace fs = std::filesystem;

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Title(const Thh& w) { return w.windowTitle().toStdString(); }

std::vector<std::string> Recent() { return {RecentFiles.begin(), RecentFiles.end()}; }

// Save As over an existing file answered No, or the dialog cancelled, leaves
// the project where and as it was: the next Save writes its own file, never
// a file named like it in the folder that was refused.
TEST_F(ProjectCommandsTest, ARefusedSaveAsLeavesTheProjectWhereItWas) {
  const std::string nb = Sample("hot.bq4", "nb.bq4");
  fs::create_directories(dir_ + "/other");
  const std::string x = Sample("null.bq4", "other/x.bq4");
  const std::string xBefore = Bytes(x);
  Thh main;
  Answered([&](auto& s) { s.File(nb); }, [&] { main.mi_fileOpenClick(); });
  ASSERT_EQ(CurrentFileName, "nb");
  const std::string dir = CurrentDir, title = Title(main);
  const std::vector<std::string> recent = Recent();
  Temperatur.TWork = 87.25;
  InputModified = 1;
  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "No");
    if (cancel)
      Answered([&](auto& s) { s.Cancel(); }, [&] { main.Item("mi_FileSaveAs")->trigger(); });
    else
      Answered([&](auto& s) { s.File(x).No().Expect("already exists"); },
               [&] { main.Item("mi_FileSaveAs")->trigger(); });
    EXPECT_EQ(AbortFlag, 1);
    EXPECT_EQ(CurrentDir, dir);
    EXPECT_EQ(CurrentFileName, "nb");
    EXPECT_EQ(Title(main), title);
    EXPECT_EQ(Recent(), recent);
    EXPECT_EQ(InputModified, 1);
    EXPECT_EQ(Bytes(x), xBefore);
  }
  main.Item("mi_FileSave")->trigger();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_NE(Bytes(nb).find("\r\n87.2500000\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ + "/other/nb.bq4"));
  EXPECT_EQ(Bytes(x), xBefore);
  // Yes moves it.
  Answered([&](auto& s) { s.File(x).Yes().Expect("already exists"); }, [&] { main.Item("mi_FileSaveAs")->trigger(); });
  EXPECT_EQ(CurrentFileName, "x");
  EXPECT_EQ(CurrentDir, dir_ + "/other");
  EXPECT_EQ(RecentFiles[1], x);
  EXPECT_NE(Bytes(x).find("\r\n87.2500000\r\n"), std::string::npos);
}

}  // namespace
