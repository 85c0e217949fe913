// A joint edited and saved in the window, then run by the batch program in a
// process of its own, and opened again: the same joint or the same refusal.
#include "framework/calc_messages.h"

#include "app/main_window.h"

#include <cstdio>
#include <fstream>
#include <regex>

#include "../run_program.h"
#include "app_test_support.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "framework/display_list.h"
#include "platform/dialogs.h"

namespace {

using WindowAndBatchTest = AppTest;

struct BatchRun {
  int exitCode = -1;
  std::string output;  // stdout and stderr
};

// The built wbq4 on a project, with the test's folders for its settings.
BatchRun RunBatch(const std::string& dir, const std::string& project, const std::string& mode) {
  BatchRun run;
  run.output = ProgramOutput({"sh", "-c", "cd \"$1\" && BQ4_CONFIG_DIR=\"$1\" exec \"$2\" \"$3\" \"$4\" 2>&1", "sh", dir,
                              std::string(BQ4_BINARY_DIR) + "/wbq4", project, mode},
                             &run.exitCode);
  return run;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Listed(const std::string& text) {
  for (int i = 1; i <= CalcMessages.count; ++i)
    if (CalcMessages.texts[i].str() == text) return true;
  return false;
}

bool DisplayHas(const std::string& fragment) {
  for (const std::string& line : DisplayList->Lines())
    if (line.find(fragment) != std::string::npos) return true;
  return false;
}

// A head kind whose table stops below the thread's size (slotted countersunk,
// up to M10, for an M12 bolt): the form's fatal message stays with the
// calculation after OK, the batch run of the saved project refuses it, and
// the window refuses it again when it opens the project.
TEST_F(WindowAndBatchTest, AHeadKindWithoutTheSizeIsRefusedInTheWindowAndInBatch) {
  const std::string project = Sample("null.bq4", "joint.bq4");
  Thh main;
  Answered([&](auto& s) { s.File(project); }, [&] { main.mi_fileOpenClick(); });
  ASSERT_EQ(CalcFatalFlag, 0);
  ASSERT_EQ(Gewinde.d, 12);
  const SCHRAUBTYPE before = Schraube;
  Answered(
      [&](auto& s) {
        s.Ok({{"ComboBox_schraubenkopf", "#2"}, {"Button_schraubenkopf", "click"}});
        s.Ok().Expect("Database: Append d= 12.00");
        s.Cancel().Expect("Select message for more info");
      },
      [&] { main.mi_editschraubeeditClick(); });
  EXPECT_EQ(Schraube.HeadType, 3);
  EXPECT_EQ(Schraube.dK, before.dK);  // the head values stay
  EXPECT_EQ(Schraube.dw, before.dw);
  EXPECT_EQ(Schraube.b, before.b);
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_TRUE(Listed("Fatal  : Database bolt head"));
  EXPECT_TRUE(Listed("head table: no row for d = 12.00 !"));
  EXPECT_TRUE(DisplayHas("Calculation messages:"));
  main.mi_FileSaveClick();
  ASSERT_EQ(AbortFlag, 0);

  const BatchRun batch = RunBatch(dir_, "joint.bq4", "/I");
  EXPECT_EQ(batch.exitCode, 1);
  EXPECT_NE(batch.output.find("record slotted countersunk screw for d = 12.00 not found !"), std::string::npos)
      << batch.output;

  Answered([&](auto& s) { s.File(project).Cancel().Expect("Select message for more info"); },
           [&] { main.mi_fileOpenClick(); });
  EXPECT_EQ(CurrentFileName, "joint");
  EXPECT_EQ(Schraube.HeadType, 3);
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_TRUE(Listed("Fatal  : Database bolt head"));
}

// Another nut kind chosen without the table button: the nut takes that
// kind's row of the thread's size, in the calculation, the quick view and the
// saved project that the batch run reports.
TEST_F(WindowAndBatchTest, AnotherNutKindTakesItsRowInTheWindowAndInBatch) {
  const std::string project = Sample("null.bq4", "nut.bq4");
  Thh main;
  Answered([&](auto& s) { s.File(project); }, [&] { main.mi_fileOpenClick(); });
  ASSERT_EQ(Verbindung.JointKind, kJointWithNut);
  ASSERT_EQ(Mutter.NutType, 1);
  Answered([&](auto& s) { s.Ok({{"RadioGroup_form", "#1"}}); }, [&] { main.mi_editmuttereditClick(); });
  EXPECT_EQ(Mutter.NutType, 2);
  EXPECT_EQ(Din6915.d, 12);
  EXPECT_EQ(Mutter.dwNut, Din6915.dw);
  EXPECT_EQ(Mutter.m, Din6915.m);
  EXPECT_EQ(Mutter.dNut, 12);
  EXPECT_EQ(CalcFatalFlag, 0);
  main.show();
  main.Item("mi_viewQuick")->trigger();
  EXPECT_TRUE(DisplayHas("EN 14399-4 - SW 22"));
  EXPECT_FALSE(DisplayHas(" - SW 0"));
  main.mi_FileSaveClick();
  ASSERT_EQ(AbortFlag, 0);

  const BatchRun batch = RunBatch(dir_, "nut.bq4", "/I");
  ASSERT_EQ(batch.exitCode, 0) << batch.output;
  const std::string report = FileText(dir_ + "/nut.txt");
  EXPECT_NE(report.find("heavy hex nut EN 14399-4 - SW 22"), std::string::npos) << report;
  EXPECT_TRUE(std::regex_search(report, std::regex("dw M\\s+mm\\s+20[.,]10"))) << report;
  EXPECT_TRUE(std::regex_search(report, std::regex("h M\\s+mm\\s+10[.,]0\\b"))) << report;
}

}  // namespace
