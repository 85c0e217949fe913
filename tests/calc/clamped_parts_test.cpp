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

using ClampedPartsTest = CalcTest;

// Where the bore is wider than the bearing, the bearing wider than the part,
// or the cone reaches beyond a thick part (De <= dw + lK), the ring is the area.
TEST_F(ClampedPartsTest, RingAreaLoadPlanesBeyondThePartsAndTheBearingDiameterAfter2003) {
  const struct { Extended lK, dw, Di, De; const char* message; } cases[] = {
      {20, 16, 18, 40, "Warning: di > dw !"},
      {20, 30, 13, 25, "Warning: de < dw !"},
      {60, 17, 13, 20, ""},
  };
  for (const auto& c : cases) {
    ClearCalcMessages();
    Extended da = 0;
    const Extended A = SubstituteArea(c.lK, c.dw, c.Di, c.De, da);
    EXPECT_EQ(da, c.De);
    EXPECT_NEAR(D(A), D(kPi / 4 * (c.De * c.De - c.Di * c.Di)), 1e-9);
    if (*c.message) EXPECT_TRUE(HasMessage(c.message));
    else EXPECT_EQ(CalcMessages.count, 0);
  }

  // Planes beyond the parts give the full load factor.
  SetUpThroughBoltedM12Joint();
  Last.LoadIntroPos1 = 3;
  Last.LoadIntroPos2 = 3;
  CalculateJoint();
  EXPECT_EQ(Klemmstuecke.deltaPn1, 0);
  EXPECT_EQ(Klemmstuecke.deltaPn2, 0);
  EXPECT_EQ(CalcOptions.nLoad, 1);

  // The bearing diameter is limited after 2003 only.
  Klemmstuecke.De[1] = Klemmstuecke.De[2] = 200;
  Klemmstuecke.L[1] = 5;
  CalculateJoint();
  EXPECT_LE(D(Klemmstuecke.DAeff[1]), 17 + 1.6 * 5 + 1e-9);
  CalcOptions.VdiEdition = 1;
  CalculateJoint();
  EXPECT_GT(D(Klemmstuecke.DAeff[1]), 17 + 1.6 * 5);
}

}  // namespace
