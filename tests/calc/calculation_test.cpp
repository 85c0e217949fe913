#include "calc/calculation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <vector>

#include "calc/joint_records.h"
#include "calc_test_support.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "platform/dialogs.h"

namespace {

using CalculationTest = CalcTest;

TEST_F(CalculationTest, FactorsAreNormalisedStaticJointsSkipAlternatingResultsAndDefaultsStopAtTheChecks) {
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

  // A static load has no alternating stress; a centric joint leaves the eccentric results alone.
  Last.FAmin = Last.FAmax;
  Safety.SDexz = 123;
  Safety.SKab = 456;
  CalculateJoint();
  EXPECT_EQ(Safety.SD, 10000);
  EXPECT_EQ(Safety.SDexz, 123);
  EXPECT_EQ(Safety.SKab, 456);

  // The defaults stop after the data checks; a missing head table is fatal,
  // but the checks go on.
  InitCalcTest();
  DbfDir = TestTableDir() + "/none";
  Reibung.muTr = 0;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : Database screw head !"));
  EXPECT_TRUE(HasMessage("\xE6 tr = 0 !"));
  EXPECT_TRUE(HasMessage("Fatal  : no clamp.piece !"));
  EXPECT_TRUE(HasMessage("dK = 0! (screw head)"));
  EXPECT_TRUE(HasMessage("dw = 0! (screw head)"));
  EXPECT_EQ(CalcFatalFlag, 1);
  // The run ended before the bolt sections.
  EXPECT_EQ(Schraube.deltaS, 0);
  EXPECT_EQ(Last.FM, 0);
}

// Each faulty input gives its messages; fatal ones end the run.
TEST_F(CalculationTest, MessagesOfTheInputChecks) {
  struct Case {
    const char* name;
    bool withNut;
    std::function<void()> change;
    std::vector<const char*> messages;  // each the message or its start
    int fatal;
  };
  const Case cases[] = {
      {"no plate", false, [] { Klemmstuecke.nPlates = 0; }, {"Fatal  : no clamp.piece !", "Fatal  : delta P = 0 !"}, 1},
      {"no thread length", false, [] { Schraube.BoltType = 2; Schraube.lSec[1] = 0; },
       {"Error  : thread length screw !"}, -1},
      {"materials", false,
       [] {
         MatMutter.betaM = MatMutter.RmM = MatMutter.ReM = MatMutter.EM = 0;
         MatBolt.Rm = MatBolt.Rp02 = MatBolt.betaB = 0;
         Gewinde.P = 0;
       },
       {"Fatal  : beta M = 0 ! ", "Fatal  : Rm,M = 0 !", "Fatal  : Re,M = 0 !", "Fatal  : EM = 0 !", "Rm,B = 0 !",
        "Re,B = 0 !", "beta b,B = 0 !", "P = 0 ! "},
       1},
      {"negative pitch", false, [] { Gewinde.P = -1.75L; }, {"P = 0 ! "}, 1},
      {"negative diameter", false, [] { Gewinde.d = -12; }, {"Fatal  : d bolt = 0 !"}, 1},
      {"bolt modulus", false, [] { MatBolt.E = 0; }, {"Fatal  : elast.mod.bolt=0!"}, 1},
      {"bore takes the section", false, [] { Schraube.diSec[1] = 12; }, {"Fatal  : cross-section bolt=0!"}, 1},
      {"last section shorter than the thread", false,
       [] {
         Schraube.nSections = 2;
         Schraube.lSec[1] = 40;
         Schraube.lSec[2] = 20;
         Schraube.dSec[2] = 12;
       },
       {"Error  : thread length bolt !"}, 0},
      {"hollow last section", false,
       [] {
         Schraube.nSections = 2;
         Schraube.lSec[1] = Schraube.lSec[2] = 30;
         Schraube.dSec[2] = 14;
         Schraube.diSec[2] = 12;
       },
       {"Fatal  : d <= Di !"}, 1},
      {"plate modulus", true, [] { Klemmstuecke.E[2] = 0; }, {"Fatal  : elast.mod.clamp.plate 2 = 0 !"}, 1},
      // The checks after the thread depth still run.
      {"plate longer than the bolt", false,
       [] {
         Klemmstuecke.L[1] = 70;
         Klemmstuecke.De[1] = 200;
         Schraube.HeadType = 6;
       },
       {"Fatal  : thread depth !", "Warning: slotted cheese head screw"}, 1},
      {"bolt beyond the thread depth", false, [] { Sackloch.tg = 10; }, {"Error  : thread depth !"}, -1},
      {"countersunk head", false, [] { Schraube.HeadType = 5; }, {"Warning: hex socket countersunk"}, -1},
      {"nut of another size", true, [] { Mutter.dNut = 16; }, {"Error  : d nut <> d bolt !"}, -1},
      {"section of another diameter", false, [] { Schraube.dSec[1] = 12.5L; }, {"Warning: den <> d !"}, -1},
      {"no utilisation", false, [] { Montage.nu = 0; }, {"Fatal  : n\x81 Rp = 0 !"}, 1},
      // Inputs of a project file that the method cannot use are named or refused.
      {"tightening factor 0", false, [] { Montage.alphaA = 0; }, {"Error  : alpha A < 1, taken as 1 !"}, 0},
      {"nut of height 0", true, [] { Mutter.m = 0; }, {"Error  : height of nut = 0 !"}, 0},
      {"nut of unknown type", true, [] { Mutter.NutType = 7; }, {"Error  : unknown nut type !"}, 0},
      {"axial load beyond any joint", false, [] { Last.FAmax = 1e99L; }, {"Fatal  : out of range: FA !"}, 1},
      {"negative bolt length", false, [] { Schraube.l = -5; }, {"Fatal  : out of range: l !"}, 1},
      {"utilisation beyond the yield point", false, [] { Montage.nu = 5; }, {"Fatal  : out of range: nu !"}, 1},
      {"negative friction", true, [] { Reibung.muGmin = -0.1L; }, {"Fatal  : out of range: \xE6 !"}, 1},
      {"compressive axial load", false, [] { Last.FAmax = -5000; }, {}, 0},
      {"bolt without thermal expansion when hot", true,
       [] {
         Temperatur.TWork = 150;
         MatBolt.alphaTBolt = 0;
         Klemmstuecke.alphaT[1] = 0;
       },
       {"Error  : alpha T of bolt = 0 !", "Error  : alpha T of plate = 0 !"}, -1},
      {"bore narrower than the bolt", true, [] { Klemmstuecke.Di[1] = 11; }, {"Error  : Di < d !  (1)"}, -1},
      {"bore as wide as the part", true, [] { Klemmstuecke.Di[2] = 40; }, {"Fatal  : A P i = 0 !"}, 1},
      {"bore wider than the part", true, [] { Klemmstuecke.Di[1] = 45; }, {"Fatal  : De < Di !  (1)"}, 1},
      {"short engagement", false, [] { Klemmstuecke.L[1] = 52; }, {"Warning: mtr<mmin Rm (S="}, -1},
      // The slipping safety itself is checked by the reference joints.
      {"transverse load above the clamp load", false, [] { Last.FQ = 2000; },
       {"Error  : FK < FKerf (shear.force) !"}, -1},
      {"no bolt shear strength", false, [] { MatBolt.betaBVdi = 0; }, {"Error  : tau BS (VDI) = 0 !"}, -1},
      {"eccentric seam without moment", true,
       [] {
         ExzKraftangriff.ExzCode = 2;
         ExzKraftangriff.IBersPrime = 0;
       },
       {"Fatal  : \xA1 B ers=0 !"}, 1},
      // Counts beyond the arrays must not read past them (ASan would stop here).
      {"counts beyond the arrays", false, [] { Klemmstuecke.nPlates = Schraube.nSections = 60000; }, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitCalcTest();
    if (c.withNut) SetUpThroughBoltedM12Joint();
    else SetUpTappedM12Joint();
    c.change();
    CalculateJoint();
    for (const char* text : c.messages)
      EXPECT_TRUE(HasMessage(text) || HasMessageStartingWith(text))
          << text << " in " << ::testing::PrintToString(MessageTexts());
    if (c.fatal >= 0) {
      EXPECT_EQ(CalcFatalFlag, c.fatal);
    }
  }
  // The nut material is not checked on a joint with nut.
  InitCalcTest();
  SetUpThroughBoltedM12Joint();
  MatMutter.EM = 0;
  CalculateJoint();
  EXPECT_FALSE(HasMessage("Fatal  : EM = 0 !"));
}

}  // namespace

namespace {

// A material table that cannot be read at a working temperature is named by
// the table access and ends the run fatally: no value made of its 1.0. The
// caller's AbortFlag comes back as it was, so a project that loaded stays loaded.
TEST_F(CalculationTest, AMissingMaterialTableStopsTheRunFatallyAndKeepsTheCallersFlag) {
  TraceMessagesOn = 1;
  for (const char* table : {"mat_b_e", "mat_b_re", "mat_p_e"}) {
    for (Byte callerFlag : {0, 1}) {
      SCOPED_TRACE(std::string(table) + (callerFlag ? ", flag set before" : ""));
      InitCalcTest();
      SetUpTappedM12Joint();
      Temperatur.TWork = 150;
      std::filesystem::remove(TestTableDir() + "/" + table + ".dbf");
      platform::DialogScript script;
      script.Ok().Expect(std::string(table) + ".dbf not found or no access !");
      AbortFlag = callerFlag;
      CalculateJoint();
      EXPECT_EQ(script.Pending(), 0u);
      EXPECT_EQ(AbortFlag, callerFlag);
      EXPECT_EQ(CalcFatalFlag, 1);
      EXPECT_TRUE(HasMessage("Fatal  : " + std::string(table) + ".dbf not found !"));
      EXPECT_EQ(Safety.SF, 0);
    }
  }
  // With every table there, a flag left by the caller does not stop the run.
  InitCalcTest();
  SetUpTappedM12Joint();
  Temperatur.TWork = 150;
  AbortFlag = 1;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0);
  EXPECT_GT(Safety.SF, 0);
  EXPECT_EQ(AbortFlag, 1);
}

}  // namespace
