#include "calc/bolt_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc/table_rows.h"
#include "calc_test_support.h"
#include "framework/math_utils.h"

namespace {

using BoltGeometryTest = CalcTest;

TEST_F(BoltGeometryTest, ThreadTolerancesAllowanceClassesDiameterChoicesAndLengthsOfAnM12Bolt) {
  EXPECT_NEAR(D(ThreadTolTd(1.75L)), 0.265, 1e-12);
  EXPECT_NEAR(D(ThreadTolTd(0.2L)), 0.056, 1e-12);
  EXPECT_NEAR(D(ThreadTolTd(6)), 0.600, 1e-12);
  // 1.1 is not in the table: 0.18·P^(2/3) - 0.00315/√P.
  EXPECT_NEAR(D(ThreadTolTd(1.1L)), 0.18 * std::pow(1.1, 2.0 / 3) - 0.00315 / std::sqrt(1.1), 1e-12);

  // The pitch diameter tolerance by diameter band.
  // d 12 lies in the band 11.2..22.4 with the mean 15.84.
  EXPECT_NEAR(D(ThreadTolTd2(12, 1.75L)), 0.09 * std::pow(1.75, 0.4) * std::pow(15.84, 0.1), 1e-12);
  // 2.8 is the upper end of the band 1.4..2.8 (key 28.5 rounds to 28).
  EXPECT_NEAR(D(ThreadTolTd2(2.8L, 0.45L)), 0.09 * std::pow(0.45, 0.4) * std::pow(2.05, 0.1), 1e-12);
  // Outside every band the diameter itself is used.
  EXPECT_NEAR(D(ThreadTolTd2(1, 0.25L)), 0.09 * std::pow(0.25, 0.4), 1e-12);

  // The allowance classes 6g and 4h of M12.
  SetUpTappedM12Joint();
  Schraube.ToleranceClass = 4;  // 6g
  CalculateJoint();
  EXPECT_NEAR(D(Schraube.es), -0.03425, 1e-12);
  EXPECT_NEAR(D(Schraube.d2nom), 10.86334175, 1e-9);
  EXPECT_NEAR(D(Schraube.d3nom), 9.8529775, 1e-9);
  EXPECT_NEAR(D(Schraube.Td), 0.265, 1e-12);
  EXPECT_NEAR(D(Schraube.dmax), 12 - 0.03425, 1e-12);
  EXPECT_NEAR(D(Schraube.dmin), 12 - 0.03425 - 0.265, 1e-12);
  // Maximum diameters used by default.
  EXPECT_NEAR(D(Schraube.d2), 10.86334175 - 0.03425, 1e-9);
  EXPECT_NEAR(D(Schraube.d3), 9.8529775 - 0.03425, 1e-9);
  EXPECT_NEAR(D(Schraube.d3min), D(Schraube.d2min) - 0.616025 * 1.75, 1e-9);

  // Grade 4 shrinks the grade 6 tolerances.
  Schraube.ToleranceClass = 3;  // 4h
  CalculateJoint();
  EXPECT_NEAR(D(Schraube.Td), 0.265 * 0.63, 1e-12);
  EXPECT_NEAR(D(Schraube.Td2), D(ThreadTolTd2(12, 1.75L)) * 0.63, 1e-12);
  EXPECT_EQ(Schraube.es, 0);

  // The diameter choice: minimum, mean, nominal; entered diameters stay.
  Schraube.ToleranceClass = 6;  // 6e
  CalcOptions.D2D3Choice = 1;
  CalculateJoint();
  EXPECT_EQ(Schraube.d2, Schraube.d2min);
  EXPECT_EQ(Schraube.d3, Schraube.d3min);
  CalcOptions.D2D3Choice = 2;
  CalculateJoint();
  EXPECT_NEAR(D(Schraube.d2), D((Schraube.d2min + Schraube.d2max) / 2), 1e-12);
  CalcOptions.D2D3Choice = 3;
  CalculateJoint();
  EXPECT_EQ(Schraube.d2, Schraube.d2nom);
  EXPECT_EQ(Schraube.d3, Schraube.d3nom);

  // Entered diameters stay whatever the choice.
  Schraube.ToleranceClass = 1;
  Schraube.d2 = 10.8L;
  Schraube.d3 = 9.8L;
  Schraube.dmin = 11.7L;
  for (int choice = 0; choice <= 3; ++choice) {
    CalcOptions.D2D3Choice = choice;
    CalculateJoint();
    EXPECT_EQ(Schraube.d2, 10.8L);
    EXPECT_EQ(Schraube.d3, 9.8L);
  }
  EXPECT_NEAR(D(Schraube.Td), 12 - 11.7, 1e-12);

  // The length and the thread length come from the sections.
  Schraube.nSections = 2;
  Schraube.lSec[1] = 3;
  Schraube.dSec[1] = 10;
  Schraube.lSec[2] = 62;
  Schraube.dSec[2] = 12;
  Schraube.b = 64;
  CalculateJoint();
  EXPECT_EQ(Schraube.l, 65);
  EXPECT_NEAR(D(Schraube.b), 65 - 2 * 1.75, 1e-12);  // shank bolt: b at most l - 2P
  EXPECT_EQ(Schraube.DminBolt, 10);
  EXPECT_FALSE(HasMessage("Error  : thread length bolt !"));  // the thread fits the last section

  // Slotted countersunk heads: b := l - 2.5·P - k.
  InitCalcTest();
  SetUpTappedM12Joint();
  Schraube.HeadType = 3;
  Schraube.BoltType = 3;
  Din963.k = 6;
  CalculateJoint();
  EXPECT_NEAR(D(Schraube.b), 60 - 2.5 * 1.75 - 6, 1e-12);
}

// A thread longer than the last section is named and the run goes on: the
// excess comes off the sections before the last, the nearest first, and no
// section counts a negative length.
TEST_F(BoltGeometryTest, AThreadLongerThanTheLastSectionTakesItsExcessOffTheSectionsBeforeIt) {
  struct Case {
    const char* name;
    std::vector<std::array<Extended, 2>> sections;  // length, diameter
    std::vector<Extended> counted;                  // length counted of each section
  };
  const Case cases[] = {
      {"35 + 25 of one diameter", {{35, 12}, {25, 12}}, {30, 0}},
      {"20 + 15 (d 9) + 25", {{20, 12}, {15, 9}, {25, 12}}, {20, 10, 0}},
      {"excess beyond the section before the last", {{20, 12}, {4, 9}, {25, 12}}, {19, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitCalcTest();
    SetUpThroughBoltedM12Joint();
    Schraube.BoltType = 3;  // the thread length as entered
    Schraube.b = 30;
    Schraube.nSections = static_cast<Word>(c.sections.size());
    for (std::size_t i = 0; i < c.sections.size(); ++i) {
      Schraube.lSec[i + 1] = c.sections[i][0];
      Schraube.dSec[i + 1] = c.sections[i][1];
    }
    CalculateJoint();
    EXPECT_TRUE(HasMessage("Error  : thread length bolt !")) << ::testing::PrintToString(MessageTexts());
    EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
    EXPECT_GT(Safety.SF, 0);
    const Extended E = MatBolt.E;
    Extended delta = 0, beta = 0;
    for (std::size_t i = 0; i < c.sections.size(); ++i) {
      const Extended d = c.sections[i][1];
      const Extended l = c.counted[i];
      EXPECT_NEAR(D(Schraube.deltaSec[i + 1]), D(l / (E * kPi / 4 * d * d)), 1e-18) << i + 1;
      delta += l / (E * kPi / 4 * d * d);
      beta += l / (E * kPi / 64 * d * d * d * d);
    }
    EXPECT_NEAR(D(Schraube.deltaSecSum), D(delta), 1e-18);
    EXPECT_NEAR(D(Schraube.betaSecSum), D(beta), 1e-20);
  }

  // A thread that fits is not named.
  InitCalcTest();
  SetUpThroughBoltedM12Joint();
  CalculateJoint();
  EXPECT_FALSE(HasMessage("Error  : thread length bolt !"));
}

}  // namespace
