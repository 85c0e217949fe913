#include "calc/strength.h"

#include <gtest/gtest.h>

#include <cmath>

#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc/material_values.h"
#include "calc_test_support.h"
#include "framework/globals.h"
#include "framework/math_utils.h"

namespace {

using StrengthTest = CalcTest;

// n equal plates of 30 mm outer diameter.
void SetUpPlates(int n, Extended length, Extended pmax) {
  Klemmstuecke.nPlates = static_cast<Word>(n);
  for (int i = 1; i <= n; ++i) {
    Klemmstuecke.De[i] = 30;
    Klemmstuecke.Di[i] = 13.5L;
    Klemmstuecke.L[i] = length;
    Klemmstuecke.pmax[i] = pmax;
  }
}

TEST_F(StrengthTest, PartBetweenThePlanesCarriesOnlyThePreload) {
  SetUpThroughBoltedM12Joint();
  SetUpPlates(3, 14, 700);
  Last.LoadIntroPos1 = 1;
  Last.LoadIntroPos2 = 3;
  CalculateJoint();
  ASSERT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  const auto& k = Klemmstuecke;
  auto ring = [](Extended outer, Extended inner) { return kPi / 4 * (outer * outer - inner * inner); };
  const Extended FMp = std::max(Temperatur.FMT, Last.FM);
  const Extended Ao2 = ring(std::min(k.DAeff[1], k.DAeff[2]), 13.5L);
  const Extended Au2 = ring(std::min(k.DAeff[2], k.DAeff[3]), 13.5L);
  EXPECT_NEAR(D(k.pPart[2]), D(FMp / std::min(Ao2, Au2)), 1e-9);
  // The part at the upper plane, which also takes the working load, is
  // checked by the reference joints.
}

TEST_F(StrengthTest, EnduranceLimitChoicesTheTorsionFactorLimitAndTheEngagedLengthMethods) {
  SetUpTappedM12Joint();
  Last.EnduranceChoice = 4;
  Last.sigmaASV = 77;
  Montage.ktau = 1.5L;
  CalculateJoint();
  EXPECT_EQ(Last.sigmaASV, 77);
  EXPECT_TRUE(HasMessage("Error  : k tau > 1 !"));
  EXPECT_EQ(Montage.ktau, 0.5L);
  Last.EnduranceChoice = 9;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Error  : Sigma a perm. !"));

  MaterialRows.ReadRow = [](std::string_view, int, MaterialRow& row) {
    row = {"rolled 10.9", {100, 90, 80, 70, 60, 50, 45, 40, 35}};
    return MaterialRowStatus::Found;
  };
  Last.EnduranceChoice = 3;
  Last.MatSaRow = 1;
  CalculateJoint();
  EXPECT_NEAR(D(Last.sigmaASV), 70 - 10 * 2 / 6.0, 1e-9);
  EXPECT_EQ(Last.EnduranceMaterial.view(), "rolled 10.9");

  // The engaged length methods; with both on, the reference joints check the
  // stripping safety.
  Fase = 1;
  CalculateJoint();
  EXPECT_NEAR(D(MGeo), D(MEngaged - 1), 1e-12);
  EXPECT_EQ(VdiEngage.C1, 1);
  CalcOptions.EngageVelk = 0;
  CalculateJoint();
  EXPECT_EQ(Safety.SmRmSafe, VdiEngage.SmRmVdi);
  EXPECT_EQ(Stress.mminFS, 0);
  CalcOptions.EngageVdi = 0;
  CalculateJoint();
  EXPECT_EQ(Safety.SmRmSafe, Stress.SmRm);
  EXPECT_EQ(Safety.SmFSSafe, Stress.StauB);
}

TEST_F(StrengthTest, StandardNutIsNotStrippedC3IsConstantFromRatioOneAndATwoDigitPartKeepsItsSafety) {
  SetUpThroughBoltedM12Joint();
  Safety.SmRmSafe = 42;
  CalculateJoint();
  EXPECT_EQ(Safety.SmRmSafe, 42);
  EXPECT_NEAR(D(MEngaged), 10.8, 1e-12);  // the nut height
  Mutter.NutType = 4;
  CalculateJoint();
  EXPECT_NE(Safety.SmRmSafe, 42);

  // The reference joints reach only strength ratios below 1; from 1 on the nut thread's stripping factor is constant.
  EXPECT_NEAR(D(NutStrippingFactorC3(1)), 0.897, 1e-15);
  EXPECT_NEAR(D(NutStrippingFactorC3(2)), 0.897, 1e-15);

  // The pressure message of a two-digit part keeps its safety.
  SetUpPlates(10, 4, 2000);
  Klemmstuecke.pmax[10] = 100;
  CalculateJoint();
  const Extended S = 100 / Klemmstuecke.pPart[10];
  char expected[40];
  std::snprintf(expected, sizeof expected, "p perm. clamp.plate 10 ! (S= %.2f)", static_cast<double>(S));
  EXPECT_TRUE(HasMessage(expected)) << expected << " in " << ::testing::PrintToString(MessageTexts());
  EXPECT_NEAR(D(Klemmstuecke.SPmin), D(S), 1e-12);
}

// A part's bore beyond its outer diameter, or beyond the bearing circle of
// head or nut, empties a neighbour's bearing area too: the run stops naming
// the cause, not the area.
TEST_F(StrengthTest, ABearingAreaThatADiameterEmptiesStopsTheRunNamingTheDiameter) {
  struct Case {
    const char* name;
    void (*change)();
    const char* cause;
    const char* area;  // the stop that named the area instead
  };
  const Case cases[] = {
      {"part 2 with De 12 < Di 13", [] { Klemmstuecke.De[2] = 12; Klemmstuecke.Di[2] = 13; },
       "Fatal  : De < Di !  (2)", "Fatal  : Aumin = 0 !"},
      {"part 1 bore 17.5 beyond the head's dw 17", [] { Klemmstuecke.Di[1] = 17.5L; },
       "Fatal  : di > dw !", "Fatal  : Aomin = 0 !"},
      {"part 2 bore 17 beyond the nut's dw 16.6", [] { Klemmstuecke.Di[2] = 17; },
       "Fatal  : di > dw !", "Fatal  : Aumin = 0 !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitCalcTest();
    SetUpThroughBoltedM12Joint();
    c.change();
    CalculateJoint();
    EXPECT_TRUE(HasMessage(c.cause)) << ::testing::PrintToString(MessageTexts());
    EXPECT_FALSE(HasMessage(c.area));
    EXPECT_EQ(CalcFatalFlag, 1);
  }
  // A bore as wide as the bearing circle leaves a bearing ring of no width.
  InitCalcTest();
  SetUpThroughBoltedM12Joint();
  Klemmstuecke.Di[1] = 17;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : di > dw !")) << ::testing::PrintToString(MessageTexts());
}

}  // namespace
