#include "calc/design_defaults.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "calc_test_support.h"

namespace {

using DesignDefaultsTest = CalcTest;

TEST_F(DesignDefaultsTest, TheStartJointIsAStrengthClass12_9BoltAtItsNominalValues) {
  InitCalcDefaults();
  EXPECT_EQ(MatBolt.StrengthClass, "12.9");
  EXPECT_EQ(MatBolt.Rp02, 1080);
  EXPECT_EQ(MatBolt.Rm, 1200);
}

TEST_F(DesignDefaultsTest, BoreDiametersStrengthClassRowsAndEmbeddingAmounts) {
  for (auto [d, bore] : {std::pair{8.3L, 8.4}, {9, 9.9}, {11, 12.1}, {11.2L, 12.2}, {12, 13}, {16, 17}, {3, 3.2},
                         {10, 10.5}})
    EXPECT_NEAR(static_cast<double>(DefaultBoreDiameter(d)), bore, 1e-9) << d;
  for (auto [kind, d, row] : {std::tuple{1, 12.0L, 1}, {2, 12.0, 3}, {3, 16.0, 5}, {3, 16.5L, 6}, {4, 12.0, 7},
                              {9, 12.0, 12}})
    EXPECT_EQ(StrengthClassIndex(kind, d), row) << kind << " " << d;

  // Embedding amounts.
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
