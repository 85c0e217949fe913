// Joints of the non-preferred thread sizes, bolted through hexagon nuts: the
// size picked for the bolt finds its head, nut and washers in the shipped
// tables, and the batch run calculates the saved project.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app_test_support.h"
#include "calc/calc_tables.h"
#include "calc/designation.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "calc/table_access.h"
#include "calc/table_rows.h"
#include "platform/dialogs.h"

#include <QAction>

namespace {

using ThreadSizesTest = AppTest;

std::string Text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(ThreadSizesTest, BoltsThroughHexagonNutsOfTheNonPreferredSizesCalculate) {
  std::vector<std::string> projects;
  for (int d : {18, 22, 27}) {
    const std::string name = "m" + std::to_string(d);
    ReadCalcFile(Sample("null.bq4", "null_" + name + ".bq4"));
    ASSERT_EQ(AbortFlag, 0);
    ASSERT_EQ(Verbindung.JointKind, kJointWithNut);
    ASSERT_EQ(Mutter.NutType, 1);
    for (int i = 1; i <= Klemmstuecke.nPlates; ++i) Klemmstuecke.De[i] = 4 * d;  // room for the larger hole
    EXPECT_TRUE(TakeThreadSize(0, d, SizeChange::ThreadPick, "M" + std::to_string(d) + " not taken:", ""))
        << "M" << d;
    EXPECT_EQ(Gewinde.d, d);
    EXPECT_EQ(Mutter.dNut, d);
    WriteCalcFile(dir_ + "/" + name + ".bq4");
    ASSERT_EQ(AbortFlag, 0);
    projects.push_back(dir_ + "/" + name + ".bq4");
  }
  const int code = RunBatchProjects(projects, "/I");
  platform::SetBatchMode(false);
  EXPECT_EQ(code, kExitOk);
  for (int d : {18, 22, 27}) {
    const std::string report = Text(dir_ + "/m" + std::to_string(d) + ".txt");
    EXPECT_NE(report.find("M" + std::to_string(d)), std::string::npos) << report;
    EXPECT_EQ(report.find("not found"), std::string::npos) << report;
  }
}

// What the window shows of the bolt and nut, as the report of the saved
// project names them.
std::string Parts() {
  return PlainBoltDesignation() + " | " + NutStandardText() + " SW " + NutWidthAcrossFlatsText() + " | dw " +
         std::to_string(static_cast<double>(Schraube.dw)) + " | nut dw " + std::to_string(static_cast<double>(Mutter.dwNut));
}

// Each Database menu pick changes the joint as a whole or not at all: the
// window and the saved project, read back, name the same parts.
TEST_F(ThreadSizesTest, DatabaseMenuPicksChangeTheJointWholeOrShowNothingOfIt) {
  Sample("null.bq4");
  Thh main;
  ASSERT_EQ(Gewinde.d, 12);
  const std::string m12 = Parts();
  const auto pick = [&](const char* item, std::int32_t row) {
    TableDialogHook = [row](std::string_view, int, std::int32_t& rec) {
      rec = row;
      return true;
    };
    main.Item(item)->trigger();
    TableDialogHook = nullptr;
  };
  int saves = 0;
  const auto saved = [&] {
    const Extended alphaA = Montage.alphaA;
    const std::string file = dir_ + "/picked" + std::to_string(++saves) + ".bq4";
    WriteCalcFile(file);
    ReadCalcFile(file);
    EXPECT_EQ(Montage.alphaA, alphaA);
    return Parts();
  };

  // The d = 16 rows of the head and nut tables: browsed, nothing taken.
  pick("mi_dbkopf2", 9);
  EXPECT_EQ(Din931.d, 12);
  EXPECT_EQ(Parts(), m12);
  pick("mi_dbmutter2", 2);
  pick("mi_dbmutter1", 9);
  EXPECT_EQ(Parts(), m12);
  EXPECT_EQ(saved(), m12);

  // M10: its head, nut and shank with it.
  pick("mi_dbgewinde", 11);  // M10
  EXPECT_EQ(Gewinde.d, 10);
  const std::string m10 = Parts();
  EXPECT_EQ(m10, "ISO 4014 - M10 x 60 - 12.9 SW16 | ISO 4032 SW 16 | dw 14.630000 | nut dw 14.600000") << m10;
  EXPECT_EQ(Schraube.dSec[1], 10);
  EXPECT_EQ(Mutter.dNut, 10);
  EXPECT_EQ(saved(), m10);

  // The tightening tool: its factor with its texts.
  pick("mi_dbanziehwerkzeug", 12);
  EXPECT_EQ(Anzieh.Procedure.substr(0, 18), "impulse-controlled");
  EXPECT_EQ(Montage.alphaA, 4);
  EXPECT_EQ(Montage.TighteningRow, 12);
  saved();
}

}  // namespace
