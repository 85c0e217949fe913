// Joints of the non-preferred thread sizes, bolted through hexagon nuts: the
// size picked for the bolt finds its head, nut and washers in the shipped
// tables, and the batch run calculates the saved project.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/command_line.h"
#include "app_test_support.h"
#include "calc/input_procedures.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "platform/dialogs.h"

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

}  // namespace
