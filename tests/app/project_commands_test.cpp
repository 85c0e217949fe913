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

// On a file system that keeps case, Joint.bq4 and joint.bq4 are two
// projects: once Joint.bq4 is gone, Save writes Joint.bq4 anew, the recent
// entry says it is not found, and the spreadsheet is given neither.
TEST_F(ProjectCommandsTest, AProjectIsOnlyTheFileOfItsName) {
  const std::string upper = Sample("hot.bq4", "Joint.bq4");
  const std::string lower = Sample("null.bq4", "joint.bq4");
  const std::string other = Bytes(lower);
  Thh main;
  Answered([&](auto& s) { s.File(upper); }, [&] { main.mi_fileOpenClick(); });
  ASSERT_EQ(CurrentFileName, "Joint");
  const Extended work = Temperatur.TWork;
  fs::remove(upper);
  // The spreadsheet finds no saved project.
  Answered([&](auto& s) { s.Ok().Expect("File not found"); }, [&] { StartExcel(); });
  EXPECT_TRUE(ExcelApp == nullptr || ExcelApp->Active().projectLines.empty());
  InputModified = 1;
  main.Item("mi_FileSave")->trigger();
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(Bytes(lower), other);
  ASSERT_TRUE(fs::exists(upper));
  ReadCalcFile(upper);
  EXPECT_EQ(Temperatur.TWork, work);

  // The recent entry of a file renamed away: not found, and the joint stays.
  ASSERT_EQ(RecentFiles[1], upper);
  fs::rename(upper, dir_ + "/renamed.bq4");
  InputModified = 0;
  Answered([&](auto& s) { s.Ok().Expect("File " + ShownPath(upper) + " not found !"); },
           [&] { main.Item("mi_file1")->trigger(); });
  EXPECT_EQ(CurrentFileName, "Joint");
  EXPECT_EQ(RecentFiles[1], "");
  EXPECT_NE(Title(main).find("Joint.bq4"), std::string::npos);
  EXPECT_EQ(Bytes(lower), other);
}

// Import Excel replaces the joint as File Open does: unsaved input is asked
// about first, and the workbook's values come back under the name of the
// project they were exported from, never under the one open meanwhile.
TEST_F(ProjectCommandsTest, ImportAsksFirstAndNamesTheWorkbooksProject) {
  const std::string mueller = Sample("hot.bq4", "M\xC3\xBCller \xC3\xA4.bq4");
  const std::string joint = Sample("null.bq4", "joint.bq4");
  const std::string jointBefore = Bytes(joint);
  Thh main;
  Answered([&](auto& s) { s.File(mueller); }, [&] { main.mi_fileOpenClick(); });
  const Extended work = Temperatur.TWork;
  main.Item("mi_oleStartExcel")->trigger();
  ASSERT_EQ(AbortFlag, 0);
  Answered([&](auto& s) { s.File(joint); }, [&] { main.mi_fileOpenClick(); });
  ASSERT_EQ(CurrentFileName, "joint");
  ASSERT_NE(Temperatur.TWork, work);
  DrawingName = "typed";
  InputModified = 1;
  // Cancel: nothing is replaced.
  Answered([&](auto& s) { s.Cancel().Expect("Save file (" + ShownPath(joint) + ") ?"); },
           [&] { main.Item("mi_oleImportExcel")->trigger(); });
  EXPECT_EQ(CurrentFileName, "joint");
  EXPECT_EQ(DrawingName.str(), "typed");
  EXPECT_EQ(InputModified, 1);
  // No drops the typed name; the workbook loads as the project it came from.
  Answered([&](auto& s) { s.No().Expect("Save file (" + ShownPath(joint) + ") ?"); },
           [&] { main.Item("mi_oleImportExcel")->trigger(); });
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CurrentFileName, "M\xC3\xBCller \xC3\xA4");
  EXPECT_EQ(CurrentDir, dir_ + "/");
  EXPECT_EQ(Temperatur.TWork, work);
  EXPECT_NE(Title(main).find("M\xC3\xBCller \xC3\xA4.bq4"), std::string::npos);
  EXPECT_EQ(InputModified, 1);
  // Saved, it goes to its own file; joint.bq4 stays as it was.
  Temperatur.TWork = 66.5;
  main.Item("mi_FileSave")->trigger();
  EXPECT_NE(Bytes(mueller).find("\r\n66.5000000\r\n"), std::string::npos);
  EXPECT_EQ(Bytes(joint), jointBefore);
}

// Every command that changes the joint marks it as changed, however it
// ended: a thread picked in the Database menu, and a new bolt whose thread
// was taken before Escape at the screw head. Exit then asks.
TEST_F(ProjectCommandsTest, EveryChangeOfTheJointIsAskedAboutAtExit) {
  const std::string project = Sample("null.bq4", "m12.bq4");
  Thh main;
  Answered([&](auto& s) { s.File(project); }, [&] { main.mi_fileOpenClick(); });
  ASSERT_EQ(Gewinde.d, 12);
  const auto picking = [](std::int32_t row) {
    TableDialogHook = [row](std::string_view, int, std::int32_t& rec) {
      rec = row;
      return true;
    };
  };
  // Browsing a head table takes nothing: nothing to ask.
  picking(9);
  main.Item("mi_dbkopf2")->trigger();
  EXPECT_EQ(InputModified, 0);
  picking(11);  // M10
  main.Item("mi_dbgewinde")->trigger();
  TableDialogHook = nullptr;
  ASSERT_EQ(Gewinde.d, 10);
  EXPECT_EQ(InputModified, 1);
  Answered([&](auto& s) { s.Cancel().Expect("Save file (" + ShownPath(project) + ") ?"); },
           [&] { EXPECT_FALSE(main.FormCloseQuery()); });

  // Back to the file; then Edit > Bolt > New: M10 taken, Escape at the head.
  Answered([&](auto& s) { s.No().Expect("Save file ("); }, [&] { main.Item("mi_file1")->trigger(); });
  ASSERT_EQ(Gewinde.d, 12);
  ASSERT_EQ(InputModified, 0);
  picking(11);
  Answered([&](auto& s) { s.Ok().Ok().Cancel(); }, [&] { main.Item("mi_editschraubeneu")->trigger(); });
  TableDialogHook = nullptr;
  EXPECT_EQ(Gewinde.d, 10);
  EXPECT_EQ(InputModified, 1);
  // A cancelled command that changed nothing leaves the mark as it was.
  InputModified = 0;
  Answered([&](auto& s) { s.Cancel(); }, [&] { main.Item("mi_editreibung")->trigger(); });
  EXPECT_EQ(InputModified, 0);
}

}  // namespace
