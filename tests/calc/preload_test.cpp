#include "calc/preload.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "calc_test_support.h"
#include "dbf/init.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "platform/os.h"

namespace {

using PreloadTest = CalcTest;

struct TableRow {
  double d, P, dw, dh, mu;
  double FM[3];  // kN for 8.8, 10.9, 12.9
  double MA[3];  // N·m
};

// Assembly preloads and tightening torques of the guideline's tables for
// fine threads (90 % yield utilisation, µG = µK, hex heads, medium clearance
// holes); the tables cut their values to the last digit shown.
const TableRow kGuidelineTable[] = {
    {12, 1.25, 16.63, 13.5, 0.10, {49.1, 72.1, 84.4}, {79, 116, 135}},
    {12, 1.25, 16.63, 13.5, 0.14, {46.8, 68.7, 80.4}, {101, 149, 174}},
    {16, 1.5, 22.49, 17.5, 0.10, {89.6, 131.6, 154.0}, {189, 278, 325}},
    {16, 1.5, 22.49, 17.5, 0.14, {85.5, 125.5, 146.9}, {244, 359, 420}},
};

TEST_F(PreloadTest, AgreesWithTheGuidelineTables) {
  const int yieldPoints[3] = {640, 940, 1100};  // 8.8, 10.9, 12.9 after ISO 898-1
  for (const TableRow& row : kGuidelineTable) {
    for (int c = 0; c < 3; ++c) {
      InitCalcTest();
      SetUpThroughBoltedM12Joint();
      Gewinde.d = row.d;
      Gewinde.P = row.P;
      Schraube.dSec[1] = row.d;
      Schraube.dw = row.dw;
      Mutter.dwNut = row.dw;
      Mutter.dNut = row.d;
      Klemmstuecke.Di[1] = Klemmstuecke.Di[2] = row.dh;
      Klemmstuecke.De[1] = Klemmstuecke.De[2] = 60;
      Reibung.muGmin = Reibung.muGmax = Reibung.muKmin = Reibung.muKmax = row.mu;
      MatBolt.Rp02 = yieldPoints[c];
      CalculateJoint();
      SCOPED_TRACE(::testing::Message() << "M" << row.d << "x" << row.P << " mu " << row.mu << " Rp " << yieldPoints[c]);
      ASSERT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
      EXPECT_NEAR(D(Last.FM) / 1000, row.FM[c], row.FM[c] * 0.0025);
      EXPECT_NEAR(D(Last.MA), row.MA[c], row.MA[c] * 0.006);
    }
  }
}

TEST_F(PreloadTest, PrevailingTorqueLowersThePreloadAndVariantsWithNothingToDivideByAreReported) {
  SetUpTappedM12Joint();
  CalculateJoint();
  const Extended without = Last.FM;
  Last.MApre = 10;
  CalculateJoint();
  EXPECT_LT(D(Last.FM), D(without));
  EXPECT_FALSE(HasMessage("Error  : FM = f (..,MApre)"));
  // The bolt's yield still holds: F² + 3q(gF + M)² = Fy² at the result.
  // A prevailing torque that no preload can carry ends the run, also where
  // the yield condition has no root at all, rather than taking the preload
  // without it.
  for (Extended torque : {200.0L, 1e6L}) {
    Last.MApre = torque;
    CalculateJoint();
    EXPECT_TRUE(HasMessage("Fatal  : no preload (prev. torque) !")) << D(torque);
    EXPECT_EQ(CalcFatalFlag, 1) << D(torque);
  }
  // Without prevailing torque both preload forms agree; they round 1/(2π) and
  // 1.155/2 differently: to 0.01 %.
  Last.MApre = 0;
  CalculateJoint();
  const Extended withForm = PreloadWithPrevailingTorque(0.9L, 0.14L);
  EXPECT_NEAR(D(withForm), D(PreloadFromUtilisation(0.9L, 0.14L)), D(withForm) * 1e-4);

  // Variants with nothing to divide by are reported, at every calculation:
  // the given quantity stays as given.
  Last.AlphaAChoice = 2;
  Last.TorqueScatter = 1;
  for (int run = 0; run < 2; ++run) {
    CalculateJoint();
    EXPECT_TRUE(HasMessage("Error  : torque scatter !")) << run;
    EXPECT_TRUE(std::isfinite(D(Last.MAmin)));
    EXPECT_NEAR(D(Montage.alphaA), 1.6, 1e-15);  // the given factor is used
  }

  Last.AlphaAChoice = 4;
  Last.FMminGiven = 0;
  for (int run = 0; run < 2; ++run) {
    CalculateJoint();
    EXPECT_TRUE(HasMessage("Error  : FMmin given = 0 !")) << run;
    EXPECT_TRUE(std::isfinite(D(Montage.alphaA)));
  }

  Last.AlphaAChoice = 3;
  Last.MAmin = 0;
  for (int run = 0; run < 2; ++run) {
    CalculateJoint();
    EXPECT_TRUE(HasMessage("Error  : MAmin - MApre = 0 !")) << run;
    EXPECT_TRUE(std::isfinite(D(Montage.DeltaFMlow)));
  }
}

TEST_F(PreloadTest, TighteningFactorScatterAndUtilisationOfAGivenPreloadOrTorque) {
  SetUpTappedM12Joint();
  Reibung.muGmax = 0.2L;
  Reibung.muKmax = 0.16L;
  CalculateJoint();
  EXPECT_NEAR(D(Montage.PreloadScatter), 0.6 / 2.6, 1e-12);
  const Extended MAmin = Last.MAmin;
  const Extended scatter = Last.TorqueScatter;

  // The other given quantities lead back to the same tightening factor, which
  // checks the minimum preload, the torques and the scatter derived above.
  Last.AlphaAChoice = 3;
  Last.MAmin = MAmin;
  CalculateJoint();
  EXPECT_NEAR(D(Montage.alphaA), 1.6, 1e-12);
  Last.AlphaAChoice = 2;
  Last.TorqueScatter = scatter;
  CalculateJoint();
  EXPECT_NEAR(D(Montage.alphaA), 1.6, 1e-12);
  EXPECT_NEAR(D(Last.MAmin), D(MAmin), 1e-9);
  Last.AlphaAChoice = 4;
  Last.FMminGiven = Last.FM / 2;
  CalculateJoint();
  EXPECT_NEAR(D(Montage.alphaA), 2, 1e-12);

  // A given preload at yield gives full utilisation.
  const Extended FM02 = Last.FM02;
  Montage.GivenQuantity = 3;
  Last.FM = FM02;
  CalculateJoint();
  EXPECT_NEAR(D(Montage.nu), 1, 1e-15);

  // A given torque: nu from the torque at full utilisation.
  Montage.GivenQuantity = 2;
  Last.MA = Last.MA02 * 0.8L;
  CalculateJoint();
  EXPECT_NEAR(D(Montage.nu), 0.8, 1e-12);
}

// A given torque that the prevailing torque (with the friction torque of the
// preset axial load) takes up whole leaves no preload: fatal by name, before
// a negative utilisation is calculated with.
TEST_F(PreloadTest, AGivenTorqueThatThePrevailingTorqueTakesUpIsFatalByName) {
  struct Case {
    const char* name;
    Extended MA, MApre, FApre;
    bool fatal;
  };
  const Case cases[] = {
      {"MA 100 below MApre 150", 100, 150, 0, true},
      {"MA as large as MApre", 150, 150, 0, true},
      {"MA 0 beside MApre", 0, 150, 0, true},
      {"friction torque of FApre above MA", 1, 0, 1e6, true},
      {"MA above MApre", 151, 150, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitCalcTest();
    SetUpTappedM12Joint();
    Montage.GivenQuantity = 2;
    Last.MA = c.MA;
    Last.MApre = c.MApre;
    Last.FApre = c.FApre;
    Montage.nu = 0.9L;
    CalculateJoint();
    EXPECT_EQ(HasMessage("Fatal  : MA <= prevailing torque !"), c.fatal) << ::testing::PrintToString(MessageTexts());
    if (c.fatal) {
      EXPECT_EQ(CalcFatalFlag, 1);
      EXPECT_EQ(Montage.nu, 0.9L);  // no utilisation was derived
    } else {
      EXPECT_GT(Montage.nu, 0);
      EXPECT_GT(Last.FM, 0);
    }
  }
}

// A tightening factor derived from the torque scatter or from MA,min is no
// input: it is not "taken as 1" when below 1, and the record's value left by
// the last run changes nothing, so an unchanged joint gives the same messages
// and results at every calculation.
TEST_F(PreloadTest, ADerivedTighteningFactorIsUsedAsDerivedAndNotNamedAtAnyCalculation) {
  SetUpTappedM12Joint();
  Reibung.muGmax = 0.2L;
  Reibung.muKmax = 0.16L;
  CalculateJoint();
  ASSERT_EQ(CalcFatalFlag, 0);
  const Extended pre = Last.MApre + Last.MApreFrictionMax;
  // MA,min a quarter above the torque of the factor 1 gives a factor of 0.8.
  Last.AlphaAChoice = 3;
  Last.MAmin = 1.25L * (Last.FM / Last.FMmin) * (Last.MAmax2 - pre) + pre;
  std::vector<std::string> first;
  for (int run = 0; run < 3; ++run) {
    SCOPED_TRACE(::testing::Message() << "calculation " << run);
    CalculateJoint();
    EXPECT_NEAR(D(Montage.alphaA), 0.8, 1e-12);
    EXPECT_NEAR(D(Montage.alphaA), D((Last.FM / Last.FMmin) * (Last.MAmax2 - pre) / (Last.MAmin - pre)), 1e-15);
    EXPECT_FALSE(HasMessage("Error  : alpha A < 1, taken as 1 !"));
    if (run == 0) first = MessageTexts();
    EXPECT_EQ(MessageTexts(), first);
  }
  // From the torque scatter: the 0.8 the last run left in the record is no input.
  Last.AlphaAChoice = 2;
  Last.TorqueScatter = 0.2L;
  CalculateJoint();
  const Extended MAmin = Last.MA / (2 / (1 - 0.2L) - 1);
  EXPECT_NEAR(D(Last.MAmin), D(MAmin), 1e-9);
  EXPECT_NEAR(D(Montage.alphaA), D((Last.FM / Last.FMmin) * (Last.MAmax2 - pre) / (MAmin - pre)), 1e-12);
  EXPECT_FALSE(HasMessage("Error  : alpha A < 1, taken as 1 !")) << ::testing::PrintToString(MessageTexts());

  // A given factor below 1 is named and taken as 1.
  Last.AlphaAChoice = 1;
  Montage.alphaA = 0.8L;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Error  : alpha A < 1, taken as 1 !"));
  EXPECT_EQ(Montage.alphaA, 1);
}

// With a prevailing torque the preload is no longer proportional to the
// utilisation: the utilisation is solved so that the given torque or preload
// is met, and the given value stays through saving, reading (which
// recalculates) and recalculating.
TEST_F(PreloadTest, AGivenTorqueOrPreloadWithPrevailingTorqueIsMetAndKeptThroughSaveAndReload) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  ConfirmOverwriteOn = 0;
  const std::string path = platform::ProcessTempDir() + "/prevailing_torque.bq4";
  struct Given {
    Word quantity;
    Extended value;
    Extended LASTTYPE::*field;
  };
  for (const Given& g : {Given{2, 100, &LASTTYPE::MA}, Given{3, 50000, &LASTTYPE::FM}}) {
    SCOPED_TRACE(g.quantity == 2 ? "MA given" : "FM given");
    ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/own_nut.bq4");
    ASSERT_EQ(AbortFlag, 0);
    Last.MApre = 5;
    Montage.GivenQuantity = g.quantity;
    Last.*g.field = g.value;
    for (int cycle = 0; cycle < 3; ++cycle) {
      CalculateJoint();
      ASSERT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
      EXPECT_EQ(Last.*g.field, g.value) << "calculation " << cycle;
      WriteCalcFile(path);
      ReadCalcFile(path);
      ASSERT_EQ(AbortFlag, 0);
      EXPECT_EQ(Last.*g.field, g.value) << "reload " << cycle;
    }
    EXPECT_FALSE(HasMessage("Error  : FM = f (..,MApre)"));
    // The utilisation found gives the given value back in the prevailing-torque form.
    const Extended FM = Last.FM, MA = Last.MA;
    Montage.GivenQuantity = 1;
    CalculateJoint();
    EXPECT_NEAR(D(Last.FM), D(FM), D(FM) * 1e-12);
    EXPECT_NEAR(D(Last.MA), D(MA), D(MA) * 1e-12);
    EXPECT_NEAR(D(Last.*g.field), D(g.value), D(g.value) * 1e-12);
  }
}

}  // namespace

namespace {

// MA,min, its scatter and FM,min of the tightening factor alphaA, recomputed
// from the torques of the run.
struct TorquesOfFactor {
  Extended MAmin, scatter, FMmin;
};
TorquesOfFactor OfFactor(Extended alphaA) {
  const Extended pre = Last.MApre + Last.MApreFrictionMax;
  const Extended MAmin = (Last.FM / alphaA / Last.FMmin) * (Last.MAmax2 - pre) + pre;
  return {MAmin, (Last.MA - MAmin) / (Last.MA + MAmin), Last.FM / alphaA};
}

}  // namespace

// A minimum torque at or below the prevailing torque (with the friction
// torque of the preset axial load) leaves no tightening factor: the run names
// it and goes on with the record's factor, never with a negative one.
TEST_F(PreloadTest, AMinimumTorqueBelowThePrevailingTorqueFallsBackToTheGivenFactor) {
  struct Case {
    const char* name;
    Word choice, given;
    Extended MA, MAmin, scatter, MApre, FApre;
  };
  const Case cases[] = {
      {"MA,min 4 below MApre 5", 3, 1, 0, 4, 0, 5, 0},
      {"MA,min equal to MApre", 3, 1, 0, 5, 0, 5, 0},
      {"MA 5.9 with 10 % scatter below MApre 5 and FApre 800", 2, 2, 5.9L, 0, 0.1L, 5, 800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitCalcTest();
    SetUpTappedM12Joint();
    Montage.alphaA = 1.6L;
    Montage.GivenQuantity = c.given;
    Last.MA = c.MA;
    Last.AlphaAChoice = c.choice;
    Last.MAmin = c.MAmin;
    Last.TorqueScatter = c.scatter;
    Last.MApre = c.MApre;
    Last.FApre = c.FApre;
    CalculateJoint();
    const auto messages = ::testing::PrintToString(MessageTexts());
    ASSERT_EQ(CalcFatalFlag, 0) << messages;
    EXPECT_TRUE(HasMessage("Error  : MAmin - MApre = 0 !")) << messages;
    EXPECT_EQ(Montage.alphaA, 1.6L);
    EXPECT_FALSE(HasMessage("Error  : alpha A < 1, taken as 1 !"));
    const TorquesOfFactor used = OfFactor(1.6L);
    EXPECT_NEAR(D(TighteningUsed.MAmin), D(used.MAmin), 1e-9);
    EXPECT_NEAR(D(TighteningUsed.FMminGiven), D(used.FMmin), 1e-6);
    EXPECT_GT(TighteningUsed.FMminGiven, 0);
    EXPECT_GT(Montage.DeltaFM, 0);
    // The entered quantity stays in the record.
    EXPECT_EQ(c.choice == 3 ? Last.MAmin : Last.TorqueScatter, c.choice == 3 ? c.MAmin : c.scatter);
  }
}

// A quantity that leaves no tightening factor falls back to the record's
// factor, which is then checked as a given one: below 1 it is named and taken
// as 1. The record keeps the quantity entered, and names it at every run; the
// run's MA,min, scatter and FM,min are those of the factor used.
TEST_F(PreloadTest, TheFallBackFactorIsCheckedAsAGivenOneAndTheRunUsesItsTorques) {
  struct Case {
    const char* name;
    Word choice;
    Extended LASTTYPE::*field;
    Extended entered;
    const char* cause;
  };
  const Case cases[] = {
      {"scatter 100 %", 2, &LASTTYPE::TorqueScatter, 1, "Error  : torque scatter !"},
      {"MA,min 0", 3, &LASTTYPE::MAmin, 0, "Error  : MAmin - MApre = 0 !"},
      {"FM,min 0", 4, &LASTTYPE::FMminGiven, 0, "Error  : FMmin given = 0 !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitCalcTest();
    SetUpTappedM12Joint();
    Montage.alphaA = 0.5L;  // left by an earlier run or stored
    Last.AlphaAChoice = c.choice;
    Last.*c.field = c.entered;
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(run);
      CalculateJoint();
      const auto messages = ::testing::PrintToString(MessageTexts());
      ASSERT_EQ(CalcFatalFlag, 0) << messages;
      EXPECT_TRUE(HasMessage(c.cause)) << messages;
      // As a given factor, it is named once and kept as 1.
      EXPECT_EQ(HasMessage("Error  : alpha A < 1, taken as 1 !"), run == 0) << messages;
      EXPECT_EQ(Montage.alphaA, 1);
      EXPECT_EQ(Last.*c.field, c.entered);
      const TorquesOfFactor used = OfFactor(1);
      EXPECT_NEAR(D(TighteningUsed.MAmin), D(used.MAmin), 1e-9);
      EXPECT_NEAR(D(TighteningUsed.TorqueScatter), D(used.scatter), 1e-12);
      EXPECT_NEAR(D(TighteningUsed.FMminGiven), D(used.FMmin), 1e-6);
      EXPECT_NEAR(D(Last.MAmean), D((Last.MA + used.MAmin) / 2), 1e-9);
      // Without a friction scatter the factor 1 leaves MA,min at MA,max.
      EXPECT_NEAR(D(TighteningUsed.MAmin), D(Last.MA), 1e-9);
    }
  }
}
