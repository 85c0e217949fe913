#include "calc/joint_records.h"

#include <gtest/gtest.h>

#include "calc/init.h"

namespace {

class JointRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCalcModules(); }
};

TEST_F(JointRecordsTest, ReinitialisingRestoresDefaultsAfterChanges) {
  Schraube.l = 99;
  Klemmstuecke.E[5] = 1;
  Klemmstuecke.Material[3] = "S235";
  InitCalcModules();
  EXPECT_EQ(Schraube.l, 60);
  EXPECT_EQ(Klemmstuecke.E[5], 210000);
  EXPECT_TRUE(Klemmstuecke.Material[3].empty());
}

}  // namespace
