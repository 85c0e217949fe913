// Compares CalculateJoint with the joints that the independent reference
// computation (tests/calc/reference/vdi2230_reference.py) worked out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include "../framework/output_test_support.h"
#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc_test_support.h"
#include "framework/globals.h"
#include "platform/os.h"
#include "../shell_quote.h"

namespace {

struct NamedValue {
  std::string name;
  Extended value;
};

struct ReferenceJoint {
  std::string name;
  std::vector<NamedValue> inputs;
  std::vector<NamedValue> results;
};

std::vector<ReferenceJoint> ReadReferenceJoints() {
  std::vector<ReferenceJoint> joints;
  std::ifstream in(std::string(BQ4_TEST_DATA) + "/calc/reference_joints.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      joints.push_back({line.substr(1, line.find(']') - 1), {}, {}});
      continue;
    }
    const auto space = line.find(' ');
    const auto eq = line.find('=');
    if (joints.empty() || space == std::string::npos || eq == std::string::npos) continue;
    NamedValue v{line.substr(space + 1, eq - space - 1), std::stold(line.substr(eq + 1))};
    (line.compare(0, 3, "in ") == 0 ? joints.back().inputs : joints.back().results).push_back(v);
  }
  return joints;
}

using ReferenceJointsTest = CalcTest;

TEST_F(ReferenceJointsTest, MainResultsAgreeToOneTenthPercent) {
  const auto joints = ReadReferenceJoints();
  ASSERT_GE(joints.size(), 6u);
  for (const ReferenceJoint& joint : joints) {
    SCOPED_TRACE(joint.name);
    InitCalcTest();
    for (const NamedValue& in : joint.inputs) ASSERT_TRUE(SetJointField(in.name, in.value)) << in.name;
    CalculateJoint();
    EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
    for (const NamedValue& out : joint.results) {
      Extended actual = 0;
      ASSERT_TRUE(GetJointField(out.name, actual)) << out.name;
      const double tolerance = std::max(1e-3 * std::fabs(static_cast<double>(out.value)), 1e-12);
      EXPECT_NEAR(static_cast<double>(actual), static_cast<double>(out.value), tolerance) << out.name;
    }
  }
}

// The stored results are what the reference computation writes today.
TEST_F(ReferenceJointsTest, StoredResultsComeFromTheReferenceComputation) {
  if (std::system("python3 --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  const std::string out = platform::ProcessTempDir() + "/reference_joints.txt";
  const std::string script = std::string(BQ4_SOURCE_DIR) + "/tests/calc/reference/vdi2230_reference.py";
  ASSERT_EQ(std::system(("python3 " + ShellQuoted(script) + " > " + ShellQuoted(out)).c_str()), 0);
  EXPECT_EQ(ReadBytes(out), ReadBytes(std::string(BQ4_TEST_DATA) + "/calc/reference_joints.txt"));
}

}  // namespace
