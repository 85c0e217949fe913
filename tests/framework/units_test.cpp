#include "framework/units.h"

#include <gtest/gtest.h>

#include "framework/globals.h"
#include "framework/init.h"
#include "output_test_support.h"

namespace {

using UnitsTest = FrameworkTest;

// Metric values are shown unchanged: the report goldens hold them with
// their unit texts.
TEST_F(UnitsTest, ImperialConversions) {
  UnitSystem = 1;
  EXPECT_EQ(LengthToText(25.4L), "1.0000");
  EXPECT_NEAR(static_cast<double>(TextToLength("1")), 25.4, 1e-15);
  EXPECT_EQ(LengthToTextDigits(2, 25.4L), "1.000");
  EXPECT_EQ(LengthToTextFmt(5, 2, 25.4L), "   1.000");  // width 4, 3 decimals
  EXPECT_EQ(StressToTextFmt(6, 2, 1), "     145");            // width 8, no decimals
  EXPECT_EQ(ForceToText(4.44822L), "1");
  EXPECT_NEAR(static_cast<double>(TextToForce("1")), 4.44822, 1e-15);
  EXPECT_EQ(MomentToText(1), "8.85");
  EXPECT_NEAR(static_cast<double>(TextToMoment("1")), 0.112984788, 1e-15);
  EXPECT_EQ(TemperatureToText(100), "212");
  EXPECT_EQ(AreaToText(645.16L), "1");
  EXPECT_NEAR(static_cast<double>(TextToArea("2")), 1290.32, 1e-12);
  EXPECT_EQ(InertiaToText(416231.4256L), "1");
  EXPECT_NEAR(static_cast<double>(TextToStress("145.037")), 1, 1e-15);
  EXPECT_EQ(AreaToTextFmt(4, 1, 645.16L), "1.0000");
  EXPECT_EQ(InertiaToTextFmt(2, 0, 416231.4256L), "1.00000");
  EXPECT_EQ(InertiaUnitText(), "in4");
  EXPECT_EQ(TemperatureUnitText(), "\xF8""F");
  CharSetMode = 1;
  EXPECT_EQ(AreaUnitText(), "in2");
  EXPECT_EQ(TemperatureUnitText(), " F");
  EXPECT_EQ(DegreeUnitText(), "deg");
  ToggleUnitSystem();
  EXPECT_EQ(UnitSystem, 0);
}

}  // namespace
