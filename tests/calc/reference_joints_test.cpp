// Compares CalculateJoint with the joints that the independent reference
// computation (tests/calc/reference/vdi2230_reference.py) worked out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc_test_support.h"
#include "framework/globals.h"
#include "platform/os.h"

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

class ReferenceJointsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCalcTest(); }
};

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
  ASSERT_EQ(std::system(("python3 " + script + " > " + out).c_str()), 0);
  std::ifstream a(out), b(std::string(BQ4_TEST_DATA) + "/calc/reference_joints.txt");
  const std::string generated((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
  const std::string stored((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
  EXPECT_EQ(generated, stored);
}

// Every result field of every reference joint, and of a few joints pushed to
// the edges, is a finite number.
TEST_F(ReferenceJointsTest, NoResultIsInfiniteOrNotANumber) {
  auto expectFinite = [](const std::string& where) {
    const std::vector<Extended> values = {
        Schraube.deltaS, Schraube.betaS, Schraube.lers, Klemmstuecke.deltaPSum, Klemmstuecke.SPmin,
        CalcOptions.Phi, Last.FM, Last.MA, Last.MAmin, Last.FMminGiven, Last.TorqueScatter, Last.FZ,
        Last.FKRo, Last.FKRu, Last.sigmaA, Last.sigmaASV, Last.sigmaRed, Last.tau, Last.MLoose, Last.ND,
        Montage.alphaA, Montage.DeltaFMlow, Montage.DeltaFMrest, Montage.PreloadScatter, Montage.theta,
        Montage.dMAdTheta, Reibung.muGes, Stress.mminRm, Stress.SmRm, VdiEngage.Rs, VdiEngage.C3,
        VdiEngage.meffMin, VdiEngage.SmRmVdi, Safety.SFM, Safety.SyService, Safety.SD, Safety.SP,
        Safety.SDexz, Safety.SKab, Safety.SG, Safety.SF, Safety.SmRmSafe, Safety.SmFSSafe,
        ExzKraftangriff.FAab, ExzKraftangriff.PhiEn, ExzKraftangriff.sigmaAb, Temperatur.FMT};
    for (std::size_t i = 0; i < values.size(); ++i)
      EXPECT_TRUE(std::isfinite(static_cast<double>(values[i]))) << where << " value #" << i;
  };
  for (const ReferenceJoint& joint : ReadReferenceJoints()) {
    InitCalcTest();
    for (const NamedValue& in : joint.inputs) SetJointField(in.name, in.value);
    CalculateJoint();
    expectFinite(joint.name);
    // The tightening-factor variants on the same joint, with values that
    // leave nothing to divide by.
    Last.AlphaAChoice = 2;
    Last.TorqueScatter = 1;
    CalculateJoint();
    expectFinite(joint.name + " torque scatter 1");
    Last.AlphaAChoice = 4;
    Last.FMminGiven = 0;
    CalculateJoint();
    expectFinite(joint.name + " minimum preload 0");
    Last.AlphaAChoice = 3;
    Last.MAmin = 0;
    CalculateJoint();
    expectFinite(joint.name + " minimum torque 0");
    Last.AlphaAChoice = 1;
    MatBolt.betaBVdi = 0;
    CalculateJoint();
    expectFinite(joint.name + " betaBVdi 0");
  }
}

}  // namespace
