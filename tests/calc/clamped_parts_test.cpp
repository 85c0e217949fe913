#include "calc/clamped_parts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc_test_support.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/math_utils.h"

namespace {

class ClampedPartsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCalcTest(); }
};

double D(Extended x) { return static_cast<double>(x); }

TEST_F(ClampedPartsTest, BoreWiderThanTheBearingTakesTheRing) {
  Extended da = 0;
  const Extended A = SubstituteArea(20, 16, 18, 40, da);
  EXPECT_NEAR(D(A), D(kPi / 4 * (1600 - 324)), 1e-9);
  EXPECT_EQ(da, 40);
  EXPECT_TRUE(HasMessage("Warning: di > dw !"));
}

TEST_F(ClampedPartsTest, BearingWiderThanThePartTakesTheRing) {
  Extended da = 0;
  const Extended A = SubstituteArea(20, 30, 13, 25, da);
  EXPECT_NEAR(D(A), D(kPi / 4 * (625 - 169)), 1e-9);
  EXPECT_TRUE(HasMessage("Warning: de < dw !"));
}

TEST_F(ClampedPartsTest, ThickPartStopsAtTheRing) {
  // De ≤ dw + lK: DA = De; the cone reaches beyond the part, so the ring wins.
  Extended da = 0;
  const Extended A = SubstituteArea(60, 17, 13, 20, da);
  EXPECT_EQ(da, 20);
  EXPECT_NEAR(D(A), D(kPi / 4 * (400 - 169)), 1e-9);
}

TEST_F(ClampedPartsTest, WidePartUsesTheSleeveModel) {
  Extended da = 0;
  const Extended A = SubstituteArea(42, 17, 13, 80, da);
  EXPECT_EQ(da, 59);
  const double x = std::cbrt(42.0 * 17 / (59.0 * 59));
  EXPECT_NEAR(D(A), D(kPi / 4 * (289 - 169)) + static_cast<double>(kPi) / 8 * 17 * 42 * ((x + 1) * (x + 1) - 1), 1e-9);
}

TEST_F(ClampedPartsTest, TwoEqualPartsBetweenTheirOuterPlanes) {
  SetUpThroughBoltedM12Joint();
  Last.LoadIntroPos1 = 1;
  Last.LoadIntroPos2 = 2;
  Last.n1 = Last.n2 = 0.3L;
  CalculateJoint();
  // n = 1 - 0.7·(δ1 + δ2)/(2δ) with δ1 = δ2.
  EXPECT_NEAR(D(CalcOptions.nLoad), 0.3, 1e-12);
  EXPECT_NEAR(D(CalcOptions.Phi), D(CalcOptions.PhiK * 0.3L), 1e-15);
}

TEST_F(ClampedPartsTest, PlanesBeyondThePartsGiveFullLoadFactor) {
  SetUpThroughBoltedM12Joint();
  Last.LoadIntroPos1 = 3;
  Last.LoadIntroPos2 = 3;
  CalculateJoint();
  EXPECT_EQ(Klemmstuecke.deltaPn1, 0);
  EXPECT_EQ(Klemmstuecke.deltaPn2, 0);
  EXPECT_EQ(CalcOptions.nLoad, 1);
}

TEST_F(ClampedPartsTest, BearingDiameterLimitedAfter2003Only) {
  SetUpThroughBoltedM12Joint();
  Klemmstuecke.De[1] = Klemmstuecke.De[2] = 200;
  Klemmstuecke.L[1] = 5;
  CalculateJoint();
  EXPECT_LE(D(Klemmstuecke.DAeff[1]), 17 + 1.6 * 5 + 1e-9);
  CalcOptions.VdiEdition = 1;
  CalculateJoint();
  EXPECT_GT(D(Klemmstuecke.DAeff[1]), 17 + 1.6 * 5);
}

TEST_F(ClampedPartsTest, EccentricSeamWithoutMomentStops) {
  SetUpThroughBoltedM12Joint();
  ExzKraftangriff.ExzCode = 2;
  ExzKraftangriff.IBersPrime = 0;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : \xA1 B ers=0 !"));
  EXPECT_EQ(CalcFatalFlag, 1);
}

TEST_F(ClampedPartsTest, EmbeddingLossFromTheResiliences) {
  SetUpTappedM12Joint();
  Verbindung.fZ = 0.01L;
  CalculateJoint();
  EXPECT_NEAR(D(Last.FZ), D(0.01L / (Schraube.deltaS + Klemmstuecke.deltaPSum)), 1e-9);
}

}  // namespace
