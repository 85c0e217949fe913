#include "calc/calculation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "calc/joint_records.h"
#include "calc_test_support.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"

namespace {

class CalculationTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCalcTest(); }
};

void ExpectNear(Extended actual, Extended expected, Extended relative = 1e-6L) {
  EXPECT_NEAR(static_cast<double>(actual), static_cast<double>(expected),
              std::fabs(static_cast<double>(expected * relative)));
}

TEST_F(CalculationTest, DefaultsStopAfterTheDataChecks) {
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : no clamp.piece !"));
  EXPECT_TRUE(HasMessage("dK = 0! (screw head)"));
  EXPECT_TRUE(HasMessage("dw = 0! (screw head)"));
  EXPECT_EQ(CalcFatalFlag, 1);
  // The run ended before the bolt sections.
  EXPECT_EQ(Schraube.deltaS, 0);
  EXPECT_EQ(Last.FM, 0);
}

TEST_F(CalculationTest, MissingHeadTableIsFatalButTheChecksGoOn) {
  DbfDir = TestTableDir() + "/none";
  Reibung.muTr = 0;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : Database screw head !"));
  EXPECT_TRUE(HasMessage("\xE6 tr = 0 !"));
  EXPECT_TRUE(HasMessage("Fatal  : no clamp.piece !"));
  EXPECT_TRUE(HasMessage("dK = 0! (screw head)"));
  EXPECT_EQ(CalcFatalFlag, 1);
}

TEST_F(CalculationTest, HeadTableIsFoundWhateverTheCaseOfItsName) {
  std::filesystem::remove(TestTableDir() + "/din912.dbf");
  std::ofstream(TestTableDir() + "/DIN912.DBF").flush();
  SetUpTappedM12Joint();
  CalculateJoint();
  EXPECT_FALSE(HasMessage("Fatal  : Database screw head !"));
  std::filesystem::remove(TestTableDir() + "/DIN912.DBF");
}

TEST_F(CalculationTest, HeadDataWithoutClampedPartEndsInTheLoadFactor) {
  SetUpTappedM12Joint();
  Klemmstuecke.nPlates = 0;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : no clamp.piece !"));
  EXPECT_TRUE(HasMessage("Fatal  : delta P = 0 !"));
  EXPECT_EQ(CalcFatalFlag, 1);
}

TEST_F(CalculationTest, FrictionAndFactorsAreNormalised) {
  SetUpTappedM12Joint();
  Reibung.muGmin = 0.14L;
  Reibung.muGmax = 0.10L;
  Reibung.muKmin = 0.12L;
  Reibung.muKmax = 0.16L;
  Montage.sigmaFactor = 9;
  Montage.alphaA = 0.8L;
  CalculateJoint();
  EXPECT_EQ(Reibung.muGmax, 0.14L);
  EXPECT_EQ(Reibung.muKmax, 0.16L);
  EXPECT_EQ(Montage.sigmaFactor, 2);
  EXPECT_EQ(Montage.alphaA, 1);

  Montage.sigmaFactor = 0.1L;
  CalcOptions.FrictionTolerances = 0;
  CalculateJoint();
  EXPECT_EQ(Montage.sigmaFactor, 0.1L);
  EXPECT_EQ(Reibung.muKmax, 0.12L);  // tolerances off: the maximum follows the minimum
}

// The default tapped joint worked by hand after the 2003 edition:
//   M12: d2 = 12 - 0.649519·1.75 = 10.86334175, d3 = 12 - 1.22687·1.75 = 9.8529775 (6h, es = 0)
//   As = π/4·((d2 + d3)/2)² = 84.266524, ds = √(4·As/π) = 10.358160 = d0 (smallest diameter)
//   t = (1.155·0.14 + P/(π·d2))·1.5·d0·d2/d0² = 0.3350467
//   FM = 0.9·As·1100/√(1 + 3t²) = 72154.28 N
//   φ = atan(P/(π·d2)) = 0.0512324, ρ' = atan(1.155·0.14) = 0.1603124, Dkm = (min(80, 17) + 13)/2 = 15
//   MA = FM·(d2/2·tan(φ + ρ') + 15/2·0.1)·0.001 = 138.2833 N·m
//   b = min(60 - 2·1.75, 26) = 26, lGew = b + lK - l = 26 + 42 - 60 = 8
//   δsection = (60 - 26)/(E·π/4·12²) = 1.459350e-6; δG = 0.5·12/(E·Ad3) = 3.819963e-7;
//   δGew = 8/(E·Ad3) = 5.093284e-7; δSK = 0.4·12/(E·AN) = 2.060258e-7 (socket head);
//   δM = 0.33·12/(EM·AN) = 1.699713e-7 (tapped), δS = 2.726671e-6 mm/N
//   DA = min(80, 17 + 42) = 59, x = (42·17/59²)^(1/3) = 0.5897456,
//   Aers = π/4·(17² - 13²) + π/8·17·(59 - 17)·((x + 1)² - 1) = 522.48059 mm²
//   δP = 42/(210000·Aers) = 3.827893e-7, ΦK = δP/(δS + δP) = 0.1231047
//   n = 1 - (δP·(1 - 0.3))/δP = 0.3 (one part at both planes), Φ = 0.0369314
//   FZ = 0.011/(δS + δP) = 3537.591 N
//   FMreq = (1 - Φ)·24900 + 1000 + FZ = 28517.999, FMreqMax = 1.6·FMreq = 45628.80
//   FSA = Φ·24900 = 919.592, σASV = 0.85·(150/12 + 45) = 48.875, σa = FSA/(2·As) = 5.456451
//   SFM = FM/FMreqMax = 1.581332, SD = 48.875/5.456451 = 8.957287
TEST_F(CalculationTest, DefaultTappedJointMatchesTheHandCalculation2003) {
  SetUpTappedM12Joint();
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  ExpectNear(Schraube.d2, 10.86334175L);
  ExpectNear(Schraube.d3, 9.8529775L);
  ExpectNear(Schraube.As, 84.266524L);
  ExpectNear(Last.FM, 72154.28L);
  ExpectNear(Last.MA, 138.2833L);
  ExpectNear(Schraube.lGew, 8);
  ExpectNear(Schraube.deltaS, 2.726671e-6L);
  ExpectNear(Klemmstuecke.Aers[1], 522.48059L);
  ExpectNear(Klemmstuecke.deltaPSum, 3.827893e-7L);
  ExpectNear(CalcOptions.PhiK, 0.1231047L);
  ExpectNear(CalcOptions.nLoad, 0.3L);
  ExpectNear(CalcOptions.Phi, 0.0369314L, 1e-5L);
  ExpectNear(Last.FZ, 3537.591L);
  ExpectNear(Last.FMreqMax, 45628.80L);
  ExpectNear(Last.FSAmax, 919.592L);
  ExpectNear(Last.sigmaASV, 48.875L);
  ExpectNear(Last.sigmaA, 5.456451L);
  ExpectNear(Safety.SFM, 1.581332L);
  ExpectNear(Safety.SD, 8.957287L);
  ExpectNear(Montage.PreloadScatter, 0.6L / 2.6L);
}

// The same joint after 1986: k = 2 in place of 1.5 and the 1986 resiliences.
//   t = (1.155·0.14 + P/(π·d2))·2·d2/d0 = 0.4467289, FM = 0.9·As·1100/√(1 + 3t²) = 65979.16 N
//   δSK = δM = 0.4·12/(E·AN) = 2.060258e-7, δS = 1.459350e-6 + 3.819963e-7 + 5.093284e-7
//   + 2·2.060258e-7 = 2.762727e-6; σASV = 0.75·(180/12 + 52) = 50.25; σa = FSA/(2·Ad3)
TEST_F(CalculationTest, DefaultTappedJointMatchesTheHandCalculation1986) {
  SetUpTappedM12Joint();
  CalcOptions.VdiEdition = 1;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0);
  ExpectNear(Last.FM, 65979.16L);
  ExpectNear(Schraube.deltaS, 2.762727e-6L);
  ExpectNear(Last.sigmaASV, 50.25L);
  const Extended Ad3 = 3.14159265358979L / 4 * 9.8529775L * 9.8529775L;
  ExpectNear(Last.sigmaA, Last.FSAmax / (2 * Ad3));
  EXPECT_EQ(Last.ND, 0);  // endurable cycles only after 2003
}

TEST_F(CalculationTest, MessagesOfTheInputChecks) {
  SetUpTappedM12Joint();
  Schraube.BoltType = 2;
  Schraube.lSec[1] = 0;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Error  : thread length screw !"));

  InitCalcTest();
  SetUpTappedM12Joint();
  MatMutter.betaM = 0;
  MatMutter.RmM = 0;
  MatMutter.ReM = 0;
  MatMutter.EM = 0;
  MatBolt.Rm = 0;
  MatBolt.Rp02 = 0;
  MatBolt.betaB = 0;
  Gewinde.P = 0;
  CalculateJoint();
  for (const char* text : {"Fatal  : beta M = 0 ! ", "Fatal  : Rm,M = 0 !", "Fatal  : Re,M = 0 !",
                           "Fatal  : EM = 0 !", "Rm,B = 0 !", "Re,B = 0 !", "beta b,B = 0 !", "P = 0 ! "})
    EXPECT_TRUE(HasMessage(text)) << text;
  EXPECT_EQ(CalcFatalFlag, 1);

  // The nut material is not checked on a joint with nut.
  InitCalcTest();
  SetUpThroughBoltedM12Joint();
  MatMutter.EM = 0;
  CalculateJoint();
  EXPECT_FALSE(HasMessage("Fatal  : EM = 0 !"));
}

TEST_F(CalculationTest, BoltSectionGuards) {
  SetUpTappedM12Joint();
  MatBolt.E = 0;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : elast.mod.bolt=0!"));

  InitCalcTest();
  SetUpTappedM12Joint();
  Schraube.diSec[1] = 12;  // the bore takes the whole section
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : cross-section bolt=0!"));
  EXPECT_EQ(CalcFatalFlag, 1);

  InitCalcTest();
  SetUpTappedM12Joint();
  Schraube.nSections = 2;
  Schraube.lSec[1] = 40;
  Schraube.dSec[1] = 12;
  Schraube.lSec[2] = 20;  // shorter than the thread length 26
  Schraube.dSec[2] = 12;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Error  : thread length bolt !"));
  EXPECT_EQ(CalcFatalFlag, 0);
}

TEST_F(CalculationTest, HollowLastSectionReachingDiameterStops) {
  SetUpTappedM12Joint();
  Schraube.nSections = 2;
  Schraube.lSec[1] = 30;
  Schraube.dSec[1] = 12;
  Schraube.lSec[2] = 30;
  Schraube.dSec[2] = 14;
  Schraube.diSec[2] = 12;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : d <= Di !"));
  EXPECT_EQ(CalcFatalFlag, 1);
}

TEST_F(CalculationTest, PlateWithoutModulusNamesItsIndex) {
  SetUpThroughBoltedM12Joint();
  Klemmstuecke.E[2] = 0;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : elast.mod.clamp.plate 2 = 0 !"));
  EXPECT_EQ(CalcFatalFlag, 1);
}

TEST_F(CalculationTest, DesignChecksGoOnAfterThreadDepth) {
  SetUpTappedM12Joint();
  Klemmstuecke.L[1] = 70;  // longer than the bolt
  Klemmstuecke.De[1] = 200;
  Schraube.HeadType = 6;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : thread depth !"));
  EXPECT_EQ(CalcFatalFlag, 1);
  // A check after it still ran.
  EXPECT_TRUE(HasMessage("Warning: slotted cheese head screw"));
}

TEST_F(CalculationTest, TappedBoltReachingBeyondTheThreadDepth) {
  SetUpTappedM12Joint();
  Sackloch.tg = 10;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Error  : thread depth !"));
}

TEST_F(CalculationTest, HeadTypeWarnings) {
  SetUpTappedM12Joint();
  Schraube.HeadType = 6;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Warning: slotted cheese head screw"));
  Schraube.HeadType = 5;
  CalculateJoint();
  EXPECT_TRUE(HasMessageStartingWith("Warning: hex socket countersunk"));
}

TEST_F(CalculationTest, TransverseLoadGivesSlippingSafetyAndCheck) {
  SetUpTappedM12Joint();
  CalculateJoint();
  EXPECT_EQ(Safety.SG, 1);
  Last.FQ = 2000;
  CalculateJoint();
  EXPECT_NEAR(static_cast<double>(Safety.SG),
              static_cast<double>(std::min(Last.FKRo, Last.FKRu) / (2000 / 0.12L)), 1e-9);
  EXPECT_TRUE(HasMessage("Error  : FK < FKerf (shear.force) !"));
}

TEST_F(CalculationTest, StaticLoadHasNoAlternatingStress) {
  SetUpTappedM12Joint();
  Last.FAmin = Last.FAmax;
  CalculateJoint();
  EXPECT_EQ(Safety.SD, 10000);
}

TEST_F(CalculationTest, CentricJointLeavesEccentricResultsAlone) {
  SetUpTappedM12Joint();
  Safety.SDexz = 123;
  Safety.SKab = 456;
  CalculateJoint();
  EXPECT_EQ(Safety.SDexz, 123);
  EXPECT_EQ(Safety.SKab, 456);
}

TEST_F(CalculationTest, NutOfAnotherSizeIsReported) {
  SetUpThroughBoltedM12Joint();
  Mutter.dNut = 16;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Error  : d nut <> d bolt !"));
}

TEST_F(CalculationTest, NegativePitchOrDiameterIsUnusable) {
  SetUpTappedM12Joint();
  Gewinde.P = -1.75L;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("P = 0 ! "));
  EXPECT_EQ(CalcFatalFlag, 1);

  InitCalcTest();
  SetUpTappedM12Joint();
  Gewinde.d = -12;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : d bolt = 0 !"));
  EXPECT_EQ(CalcFatalFlag, 1);
}

TEST_F(CalculationTest, CountsBeyondTheArraysAreLimited) {
  SetUpTappedM12Joint();
  Klemmstuecke.nPlates = 60000;
  Schraube.nSections = 60000;
  CalculateJoint();  // must not read beyond the arrays (ASan would stop here)
  EXPECT_EQ(CalcFatalFlag, 1);
}

}  // namespace
