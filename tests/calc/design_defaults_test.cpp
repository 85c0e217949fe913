#include "calc/design_defaults.h"

#include <gtest/gtest.h>

#include "calc_test_support.h"

namespace {

class DesignDefaultsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCalcTest(); }
};

TEST_F(DesignDefaultsTest, BoreDiameterByBoltDiameter) {
  EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(8.3L)), 8.4, 1e-9);
  EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(9)), 9.9, 1e-9);
  EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(11)), 12.1, 1e-9);
  EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(11.2L)), 12.2, 1e-9);
  EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(12)), 13, 1e-9);
  EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(16)), 17, 1e-9);
  EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(3)), 3.2, 1e-9);
  EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(10)), 10.5, 1e-9);
}

TEST_F(DesignDefaultsTest, StrengthClassRows) {
  EXPECT_EQ(StrengthClassIndex(1, 12), 1);
  EXPECT_EQ(StrengthClassIndex(2, 12), 3);
  EXPECT_EQ(StrengthClassIndex(3, 16), 5);
  EXPECT_EQ(StrengthClassIndex(3, 16.5L), 6);
  EXPECT_EQ(StrengthClassIndex(4, 12), 7);
  EXPECT_EQ(StrengthClassIndex(9, 12), 12);
}

TEST_F(DesignDefaultsTest, EmbeddingAmounts) {
  EXPECT_NEAR(static_cast<double>(TotalEmbedding(2, 3, 2, 0)), 0.013, 1e-12);
  EXPECT_NEAR(static_cast<double>(TotalEmbedding(2, 3, 1, 0)), 0.012, 1e-12);
  EXPECT_NEAR(static_cast<double>(TotalEmbedding(3, 1, 1, 500)), (3 + 6.5 + 3.5) * 0.001, 1e-12);
  EXPECT_NEAR(static_cast<double>(EmbeddingAmount(1, 0, 0)), 0.013, 1e-12);
  EXPECT_NEAR(static_cast<double>(EmbeddingAmount(2, 1, 0)), 0.010, 1e-12);
  EXPECT_NEAR(static_cast<double>(EmbeddingAmount(1, 10, 0)), 0.030, 1e-12);
  EXPECT_NEAR(static_cast<double>(EmbeddingAmount(2, 10, 1)), 0.030, 1e-12);
  EXPECT_NEAR(static_cast<double>(EmbeddingAmount(1, 3, 1)), 0.035, 1e-12);
}

}  // namespace
