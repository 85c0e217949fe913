#include "calc/calculation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <vector>

#include "calc/calc_run.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "calc_test_support.h"
#include "dbf/init.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "platform/dialogs.h"

namespace {

using CalculationTest = CalcTest;

// A run on the tapped or the through-bolted M12 joint after a change.
void RunChanged(bool withNut, const std::function<void()>& change) {
  InitCalcTest();
  if (withNut) SetUpThroughBoltedM12Joint();
  else SetUpTappedM12Joint();
  change();
  CalculateJoint();
}

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
    RunChanged(c.withNut, c.change);
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

// A bolt without sections is refused by name and the run ends there: no
// safeties of a bolt that is not there. One whose thread is longer than its
// last section is named, and the run goes on.
TEST_F(CalculationTest, BoltSectionsNoBoltCanHaveEndTheRunByName) {
  SetUpThroughBoltedM12Joint();
  Schraube.BoltType = 3;
  Schraube.nSections = 0;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : no bolt !"));
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_FALSE(HasMessageStartingWith("Error  : mtr<mmin")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(Last.FM, 0);

  // l 60 from the sections 20 + 15 + 25, thread 30.
  InitCalcTest();
  SetUpThroughBoltedM12Joint();
  Schraube.BoltType = 3;
  Schraube.nSections = 3;
  const Extended lengths[] = {20, 15, 25};
  for (int i = 1; i <= 3; ++i) {
    Schraube.lSec[i] = lengths[i - 1];
    Schraube.dSec[i] = 12;
  }
  Schraube.b = 30;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Error  : thread length bolt !")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(CalcFatalFlag, 0);
  EXPECT_EQ(Schraube.deltaSec[3], 0);
  EXPECT_GT(Schraube.deltaS, 0);

  // A thread as long as the last section is a bolt, and so is a shorter one.
  Schraube.b = 25;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  EXPECT_FALSE(HasMessage("Error  : thread length bolt !"));
  Schraube.b = 20;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0);
  EXPECT_GT(Schraube.deltaSec[3], 0);
}

// Material values, thread and tightening inputs that no joint can have are
// refused by name before the physics; those a joint can have, and 0 where
// the run names it itself, are not.
struct RangeCase {
  const char* name;
  bool withNut;
  std::function<void()> change;
  const char* refused;  // the name in "Fatal  : out of range: <name> !", or nullptr
};

// Runs each case: refused by its name, or not refused at all.
void ExpectRefusals(const std::vector<RangeCase>& cases) {
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    RunChanged(c.withNut, c.change);
    const auto messages = ::testing::PrintToString(MessageTexts());
    if (c.refused) {
      EXPECT_TRUE(HasMessage("Fatal  : out of range: " + std::string(c.refused) + " !")) << messages;
      EXPECT_EQ(CalcFatalFlag, 1);
    } else {
      EXPECT_FALSE(HasMessageStartingWith("Fatal  : out of range")) << messages;
    }
  }
}

TEST_F(CalculationTest, ValuesNoJointCanHaveAreRefusedByName) {
  ExpectRefusals({
      {"negative bolt modulus", false, [] { MatBolt.E = -206000; }, "E bolt"},
      {"bolt modulus beyond diamond", false, [] { MatBolt.E = 5000000; }, "E bolt"},
      {"negative bolt yield point", false, [] { MatBolt.Rp02 = -1080; }, "Rp0.2 bolt"},
      {"bolt tensile strength 1e9", false, [] { MatBolt.Rm = 1000000000; }, "Rm bolt"},
      {"negative bolt shear ratio", false, [] { MatBolt.betaB = -0.6L; }, "beta b,B"},
      {"bolt shear ratio 1e20", false, [] { MatBolt.betaBVdi = 1e20L; }, "beta B VDI"},
      {"bolt expansion 1", false, [] { MatBolt.alphaTBolt = 1; }, "alpha T"},
      {"negative plate modulus", false, [] { Klemmstuecke.E[1] = -210000; }, "E plate"},
      {"plate modulus 1e-300", false, [] { Klemmstuecke.E[1] = 1e-300L; }, "E plate"},
      {"negative plate yield point", true, [] { Klemmstuecke.Re[2] = -300; }, "Re plate"},
      {"plate yield point 1e-300", false, [] { Klemmstuecke.Re[1] = 1e-300L; }, "Re plate"},
      {"plate yield point 1e20", false, [] { Klemmstuecke.Re[1] = 1e20L; }, "Re plate"},
      {"negative permissible pressure", false, [] { Klemmstuecke.pmax[1] = -700; }, "pG plate"},
      {"plate expansion -1", false, [] { Klemmstuecke.alphaT[1] = -1; }, "alpha T"},
      {"negative tapped part shear ratio", false, [] { MatMutter.betaM = -0.6L; }, "beta M"},
      {"tapped part shear ratio 5", false, [] { MatMutter.betaMVdi = 5; }, "beta M VDI"},
      {"tapped part yield point 1e20", false, [] { MatMutter.ReM = 1e20L; }, "Re,M"},
      {"negative tapped part strength", false, [] { MatMutter.RmM = -500; }, "Rm,M"},
      {"tapped part modulus 1e-300", false, [] { MatMutter.EM = 1e-300L; }, "EM"},
      {"special nut pressure 1e20", true, [] { Mutter.NutType = 4; MatMutter.pGNut = 1e20L; }, "pG nut"},
      {"below absolute zero", false, [] { Temperatur.TWork = -300; }, "T"},
      {"reference temperature 1e6", false, [] { Temperatur.T0 = 1e6L; }, "T"},
      {"pitch 1e6", false, [] { Gewinde.P = 1e6L; }, "P"},
      {"thread diameter 1e9", false, [] { Gewinde.d = 1e9L; }, "d"},
      {"negative nut diameter", true, [] { Mutter.dNut = -12; }, "d nut"},
      {"given negative torque", false, [] { Montage.GivenQuantity = 2; Last.MA = -100; }, "MA"},
      {"given preload 1e20", false, [] { Montage.GivenQuantity = 3; Last.FM = 1e20L; }, "FM"},
      {"tightening factor 50", false, [] { Montage.alphaA = 50; }, "alpha A"},
      {"torque scatter -50 %", false, [] { Last.AlphaAChoice = 2; Last.TorqueScatter = -0.5L; }, "MAtol/MA"},
      {"negative minimum torque", false, [] { Last.AlphaAChoice = 3; Last.MAmin = -1; }, "MA min"},
      {"minimum preload 1e20", false, [] { Last.AlphaAChoice = 4; Last.FMminGiven = 1e20L; }, "FM min"},
      {"negative torsion reduction", false, [] { Montage.ktau = -1e6L; }, "k tau"},
      // Values a joint can have.
      {"plastic plate", false, [] { Klemmstuecke.E[1] = 3000; Klemmstuecke.alphaT[1] = 8e-5L; }, nullptr},
      {"grey cast iron", false, [] { MatMutter.betaM = MatMutter.betaMVdi = 1.1L; }, nullptr},
      {"hot and cold", false, [] { Temperatur.TWork = 650; Temperatur.T0 = -40; }, nullptr},
      {"no torsion", false, [] { Montage.ktau = 0; }, nullptr},
      // Results of the last run, not inputs: nu above 1, a large alpha A worked out.
      {"nu of a given preload", false, [] { Montage.GivenQuantity = 3; Last.FM = 50000; Montage.nu = 1.5L; }, nullptr},
      {"alpha A of a given minimum preload", false, [] { Last.AlphaAChoice = 4; Montage.alphaA = 50; }, nullptr},
      // A nut's own material is no input of a standard nut.
      {"standard nut", true, [] { MatMutter.pGNut = -1; MatMutter.EM = -1; MatMutter.RmM = -1; }, nullptr},
  });
}

// Lengths, areas, forces and moments far below any joint's would be divided
// by into numbers beyond any report: refused by name. Small ones a joint can
// have are not.
TEST_F(CalculationTest, MagnitudesFarBelowAnyJointAreRefusedByName) {
  auto section = [](Extended d) {
    Schraube.nSections = std::max<Word>(Schraube.nSections, 1);
    Schraube.lSec[1] = 10;
    Schraube.dSec[1] = d;
  };
  ExpectRefusals({
      {"section diameter 1e-300", false, [&] { section(1e-300L); }, "d section"},
      {"eccentricity 1e-300", false, [] { ExzKraftangriff.u = 1e-300L; }, "a/s/u/v"},
      {"sealing area 1e-300", false, [] { ExzKraftangriff.AD = 1e-300L; }, "AD"},
      {"bending inertia 1e-300", false, [] { ExzKraftangriff.IBT = 1e-300L; }, "IB"},
      {"axial load 1e-300", false, [] { Last.FAmax = 1e-300L; }, "FA"},
      {"compressive load -1e-300", false, [] { Last.FAmin = -1e-300L; }, "FA"},
      {"transverse load 1e-300", true, [] { Last.FQ = 1e-300L; }, "FQ"},
      {"given torque 1e-300", false, [] { Montage.GivenQuantity = 2; Last.MA = 1e-300L; }, "MA"},
      {"axial load 1 N", false, [] { Last.FAmax = 1; }, nullptr},
      {"embedding of 2 micrometres", false, [] { Verbindung.fZ = 0.002L; }, nullptr},
      {"section diameter 0.5 mm", false, [&] { section(0.5L); }, nullptr},
  });
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

namespace {

// A run that ends on a fatal message is fatal, whichever step ends it: the
// eccentric joint without a load-introduction share ends at its load factor
// Φen = 0, and the messages of every other ending of the random joints
// come with the flag (random_joints_test).
TEST_F(CalculationTest, AnEccentricJointWithoutLoadFactorEndsTheRunFatally) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/eccentric.bq4");
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  Last.n1 = 0;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_TRUE(HasMessage("Fatal  : \xE8" "en = 0 !")) << ::testing::PrintToString(MessageTexts());
  // A load-introduction share at the other plane gives the factor back.
  Last.n1 = 0.3L;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
}

}  // namespace

namespace {

// Lengths no joint can have stop the run by name, as their zero cases do: a
// chamfer longer than the engaged thread (a negative engaged length), and a
// thread longer than the bolt (a free thread longer than the clamp length).
TEST_F(CalculationTest, ImpossibleEngagedAndThreadLengthsEndTheRunByName) {
  struct Case {
    const char* name;
    bool withNut;
    std::function<void()> change;
    const char* fatal;  // nullptr: no fatal ending
    const char* before = nullptr;  // a message listed ahead of the fatal one
  };
  // The tapped joint engages l - lK = 60 - 42 = 18 mm, the nut joint its
  // nut height of 10.8 mm.
  const Case cases[] = {
      {"tapped: chamfer 24 beyond 18 engaged", false, [] { Fase = 24; }, "Fatal  : m tr < 0 (chamfer) !"},
      {"tapped: chamfer as long as the engaged thread", false, [] { Fase = 18; }, "Fatal  : A tau B = 0 !"},
      {"tapped: chamfer 17", false, [] { Fase = 17; }, nullptr},
      {"standard nut: chamfer 12 beyond the nut", true, [] { Fase = 12; }, "Fatal  : m tr < 0 (chamfer) !"},
      {"special nut: chamfer 12 beyond the nut", true,
       [] {
         Mutter.NutType = 4;
         Fase = 12;
       },
       "Fatal  : m tr < 0 (chamfer) !"},
      {"standard nut: chamfer 10", true, [] { Fase = 10; }, nullptr},
      {"bolt type 3: thread 65 on a bolt of 60", true,
       [] {
         Schraube.BoltType = 3;
         Schraube.b = 65;
       },
       "Fatal  : lG > l !", "Error  : thread length bolt !"},
      {"bolt type 3: thread as long as the bolt", true,
       [] {
         Schraube.BoltType = 3;
         Schraube.b = 60;
       },
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunChanged(c.withNut, c.change);
    const auto messages = ::testing::PrintToString(MessageTexts());
    if (c.fatal) {
      EXPECT_TRUE(HasMessage(c.fatal)) << messages;
      EXPECT_EQ(CalcFatalFlag, 1);
      if (c.before) {
        const auto texts = MessageTexts();
        const auto at = [&texts](const char* m) { return std::find(texts.begin(), texts.end(), m) - texts.begin(); };
        EXPECT_LT(at(c.before), at(c.fatal)) << messages;
      }
    } else {
      EXPECT_EQ(CalcFatalFlag, 0) << messages;
      EXPECT_GE(MGeo, 0);
    }
    EXPECT_FALSE(HasMessageStartingWith("Error  : mtr<mmin FM (S=-")) << messages;
    EXPECT_FALSE(HasMessageStartingWith("Warning: mtr<mmin Rm (S=-")) << messages;
  }

  // A bolt that ends within the clamped parts engages nothing: the design
  // checks name it, with no engaged-length safety below 0 beside it.
  RunChanged(false, [] { Schraube.lSec[1] = 40; });
  EXPECT_TRUE(HasMessage("Fatal  : thread depth !")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(CalcFatalFlag, 1);
  EXPECT_FALSE(HasMessageStartingWith("Error  : mtr<mmin")) << ::testing::PrintToString(MessageTexts());
  EXPECT_FALSE(HasMessageStartingWith("Warning: mtr<mmin")) << ::testing::PrintToString(MessageTexts());
}

// An eccentric joint under a constant load has no alternating stress: no
// fatigue safety is formed against it, so none is reported as exceeded, and
// its safety is the 10000 of no alternating stress.
TEST_F(CalculationTest, AConstantEccentricLoadHasNoAlternatingStressToExceed) {
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  ReadCalcFile(std::string(BQ4_SOURCE_DIR) + "/data/samples/eccentric.bq4");
  ASSERT_EQ(AbortFlag, 0);
  Last.FAmin = Last.FAmax;
  Last.EnduranceChoice = 2;
  Montage.GivenQuantity = 3;
  Last.FM = 300000;
  CalculateJoint();
  const auto messages = ::testing::PrintToString(MessageTexts());
  ASSERT_EQ(CalcFatalFlag, 0) << messages;
  EXPECT_EQ(ExzKraftangriff.sigmaAb, 0);
  EXPECT_LT(Last.sigmaASV, 0) << "the permissible amplitude beyond twice the yield load";
  EXPECT_FALSE(HasMessageStartingWith("alternat.stress")) << messages;
  EXPECT_TRUE(HasMessage("Error  : Sigma a = 0 !")) << messages;
  EXPECT_EQ(Safety.SDexz, 10000);
  for (const std::string& m : MessageTexts()) {
    EXPECT_EQ(m.find("inf"), std::string::npos) << m;
    EXPECT_EQ(m.find("nan"), std::string::npos) << m;
  }
}

}  // namespace

namespace {

// A project as the batch run reads it.
void LoadProject(const std::string& path) {
  InitCalcTest();
  InitDbfModules();
  DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  ReadCalcFile(path);
  ASSERT_EQ(AbortFlag, 0);
}

// A sample joint.
void LoadSample(const char* name) { LoadProject(std::string(BQ4_SOURCE_DIR) + "/data/samples/" + name); }

// Plates 2.. as copies of plate 1 with the given thicknesses.
void SetPlates(std::initializer_list<Extended> thicknesses) {
  KLEMMSTUECKTYPE& k = Klemmstuecke;
  int i = 0;
  for (Extended L : thicknesses) {
    ++i;
    k.De[i] = k.De[1], k.Di[i] = k.Di[1], k.E[i] = k.E[1], k.pmax[i] = k.pmax[1], k.Re[i] = k.Re[1];
    k.alphaT[i] = k.alphaT[1];
    k.Material[i] = k.Material[1];
    k.L[i] = L;
  }
  k.nPlates = static_cast<Word>(i);
}

// A length, factor or stress formed as a difference that rounding leaves a
// few units in the last place off 0 decides its checks as an exact 0 does.
TEST_F(CalculationTest, ZerosThatRoundingLeavesDecideAsExactZeros) {
  // The bolt of 40.8 mm ends at the surface of the plates 19.9 + 20.9: it
  // engages no thread, and the chamfer of 3.5 mm is longer than that.
  RunChanged(false, [] {
    SetPlates({19.9L, 20.9L});
    Schraube.lSec[1] = 40.8L;
    Schraube.b = 25;
    Fase = 3.5L;
  });
  EXPECT_EQ(MEngaged, 0);
  EXPECT_TRUE(HasMessage("Fatal  : m tr < 0 (chamfer) !")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(CalcFatalFlag, 1);

  // The load goes in at the bolt head and out at the top of plate 1: the
  // whole of the plates lies outside, n = 0, and the eccentric joint has no
  // load factor.
  const auto headToPlate1 = [] {
    SetPlates({5.5L, 13.1L, 23.4L});
    Last.LoadIntroPos1 = 0;
    Last.n1 = 0;
    Last.LoadIntroPos2 = 1;
    Last.n2 = 0;
  };
  LoadSample("eccentric.bq4");
  headToPlate1();
  CalculateJoint();
  EXPECT_EQ(CalcOptions.nLoad, 0);
  EXPECT_TRUE(HasMessage("Fatal  : \xE8" "en = 0 !")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(CalcFatalFlag, 1);

  // The same joint centric: no additional bolt load, so no stress amplitude
  // and a fatigue safety of no alternating stress.
  LoadSample("eccentric.bq4");
  headToPlate1();
  ExzKraftangriff.ExzCode = 1;
  CalculateJoint();
  ASSERT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(CalcOptions.nLoad, 0);
  EXPECT_EQ(Last.sigmaA, 0);
  EXPECT_EQ(Safety.SD, 10000);
}

// A project of the rounding cases in the test data.
void LoadRoundingCase(const char* name) { LoadProject(std::string(BQ4_TEST_DATA) + "/calc/rounding/" + name); }

// Limits and differences that the entered decimals meet exactly decide as
// met, though the binary numbers miss them by a unit in the last place.
TEST_F(CalculationTest, LimitsMetInDecimalsDecideAsMet) {
  // Plates 1.1 + 38.8 clamp what l - b = 60 - 20.1 leaves, as 19.9 + 20.0 do.
  for (const char* name : {"plates_sum_rounding.bq4", "plates_sum_exact.bq4"}) {
    SCOPED_TRACE(name);
    LoadRoundingCase(name);
    CalculateJoint();
    EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
    EXPECT_FALSE(HasMessage("Error  : LK < l - lG !")) << ::testing::PrintToString(MessageTexts());
    EXPECT_NEAR(static_cast<double>(Klemmstuecke.lK), 39.9, 1e-12);
  }

  // The minimum torque is the prevailing torque and the friction torque of
  // the preset axial load exactly: no tightening factor can be derived, and
  // the project's own is used.
  LoadRoundingCase("torque_difference_rounding.bq4");
  const Extended projectFactor = std::max<Extended>(1, Montage.alphaA);
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  EXPECT_TRUE(HasMessage("Error  : MAmin - MApre = 0 !")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(Montage.alphaA, projectFactor);
  EXPECT_NEAR(static_cast<double>(TighteningUsed.FMminGiven), static_cast<double>(Last.FM / projectFactor), 1e-9);
}

// Residual and required loads, the lever of the opening limit, the bore
// against d3 and the thread against the bolt length that meet their limits
// in the entered decimals decide as met, though the numbers they come from
// are far larger or cancel; a step beyond rounding still decides as before.
TEST_F(CalculationTest, ForcesLeversAndBoresMetInDecimalsDecideAsMet) {
  const auto messages = [] { return ::testing::PrintToString(MessageTexts()); };
  // FM 10000.3 over Fpre 10000.2 leaves FKreq 0.1, at both axial loads, also
  // one unit in the last place below; 0.01 N less is short of it.
  for (const Extended fm : {10000.3L, std::nextafter(10000.3L, 0.0L), 10000.29L}) {
    LoadRoundingCase("fkro_tie.bq4");
    Last.FM = fm;
    CalculateJoint();
    ASSERT_EQ(CalcFatalFlag, 0) << messages();
    const bool short_ = fm == 10000.29L;
    EXPECT_EQ(HasMessage("Error  : FKRo < FK req !"), short_) << static_cast<double>(fm) << messages();
    EXPECT_EQ(HasMessage("Error  : FKRu < FK req !"), short_) << static_cast<double>(fm) << messages();
  }
  // A compressive minimum load: FMq of a given 64137.14/1.6 and the preset 0.2 give
  // FKreq 40085.9125 in decimals (a unit in the last place below in binary).
  for (const Extended fkreq : {40085.9125L, 40085.9126L}) {
    LoadRoundingCase("fv_tie.bq4");
    Montage.GivenQuantity = 3;
    Last.FM = 64137.14L;
    Last.FAmin = -1;
    Last.Fpre = 0.2L;
    Last.FKreq = fkreq;
    CalculateJoint();
    ASSERT_EQ(CalcFatalFlag, 0) << messages();
    EXPECT_EQ(HasMessage("Error  : FSR<FKreq (FAu) !"), fkreq != 40085.9125L) << messages();
  }
  // FApre -0.3 + FKreq 0.2 + Fpre 0.1 require no preload, not a negative one.
  for (const Extended fkreq : {0.2L, 0.1999L}) {
    LoadRoundingCase("fv_tie.bq4");
    Last.FKreq = fkreq;
    CalculateJoint();
    ASSERT_EQ(CalcFatalFlag, 0) << messages();
    EXPECT_EQ(HasMessage("Error  : FV < 0 !"), fkreq != 0.2L) << messages();
    if (fkreq == 0.2L) {
      EXPECT_EQ(Last.FMreq, 0);
      EXPECT_EQ(Last.FVreq, 0);
    }
  }

  // IBT/AD + s·u = 13/10 - 0.1·13: no lever, so no opening load.
  LoadRoundingCase("lever_zero.bq4");
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Error  : I BT/AD + s*u = 0 !")) << messages();
  EXPECT_EQ(ExzKraftangriff.FAab, 0);
  EXPECT_FALSE(HasMessageStartingWith("Error  : exz. FK<FKerf2")) << messages();
  LoadRoundingCase("lever_zero.bq4");
  ExzKraftangriff.u = 13.1L;
  CalculateJoint();
  EXPECT_FALSE(HasMessage("Error  : I BT/AD + s*u = 0 !")) << messages();
  EXPECT_TRUE(std::isfinite(ExzKraftangriff.FAab));

  // A bore of d3 max of M24 6g in decimals, or one unit above it, leaves no
  // minor cross-section and is named as a bore that reaches d3.
  LoadRoundingCase("d3_bore_equal.bq4");
  const int n = Schraube.nSections;
  const Extended bore = Schraube.diSec[n];
  for (const Extended b : {bore, std::nextafter(bore, 100.0L), bore + 0.5L}) {
    LoadRoundingCase("d3_bore_equal.bq4");
    Schraube.diSec[n] = b;
    CalculateJoint();
    EXPECT_EQ(CalcFatalFlag, 1);
    EXPECT_TRUE(HasMessage("Fatal  : d3 <= Di !")) << static_cast<double>(b) << messages();
    EXPECT_FALSE(HasMessage("Fatal  : d3 bolt = 0 !")) << messages();
  }
  LoadRoundingCase("d3_bore_equal.bq4");
  Schraube.diSec[n] = bore - 0.01L;
  CalculateJoint();
  EXPECT_FALSE(HasMessage("Fatal  : d3 <= Di !")) << messages();

  // A thread length of l in decimals is no thread longer than the bolt; one
  // a millionth of a micrometre longer is.
  for (const Extended excess : {0.0L, 60 * 1e-18L, 60 * 1e-12L, 60 * 1e-9L}) {
    RunChanged(true, [excess] {
      Schraube.BoltType = 2;
      Schraube.b = 60 + excess;
    });
    const bool longer = excess > 1e-15L;
    EXPECT_EQ(HasMessage("Fatal  : lG > l !"), longer) << static_cast<double>(excess) << messages();
    if (!longer) EXPECT_EQ(CalcFatalFlag, 0) << messages();
  }
}

// A given utilisation at which the prevailing torque leaves no positive
// preload ends the run by name, as a given torque below it does; one that
// leaves a preload is calculated.
TEST_F(CalculationTest, APrevailingTorqueThatLeavesNoPreloadEndsTheRun) {
  LoadSample("null.bq4");
  Last.MApre = 150;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : no preload (prev. torque) !")) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(CalcFatalFlag, 1);

  LoadSample("null.bq4");
  Last.MApre = 150;
  Montage.GivenQuantity = 2;
  Last.MA = 100;
  CalculateJoint();
  EXPECT_TRUE(HasMessage("Fatal  : MA <= prevailing torque !")) << ::testing::PrintToString(MessageTexts());

  LoadSample("null.bq4");
  Last.MApre = 10;
  CalculateJoint();
  EXPECT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
  EXPECT_GT(Last.FMmin, 0);
}

// A stress amplitude below 0 (FA min above FA max) is checked against the
// endurance limit as any other that is not 0, centric and eccentric.
TEST_F(CalculationTest, ANegativeStressAmplitudeIsCheckedAgainstTheEnduranceLimit) {
  struct Case {
    const char* sample;
    const char* message;
    const Extended& amplitude;
  };
  const Case cases[] = {{"null.bq4", "alternat.stress! (S=", Last.sigmaA},
                        {"eccentric.bq4", "alternat.stress exc.! (S=", ExzKraftangriff.sigmaAb}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    LoadSample(c.sample);
    Last.FAmax = 3000000;
    Last.FAmin = 3005000;
    Last.EnduranceChoice = 2;
    CalculateJoint();
    ASSERT_EQ(CalcFatalFlag, 0) << ::testing::PrintToString(MessageTexts());
    ASSERT_LT(c.amplitude, 0);
    ASSERT_LT(Last.sigmaASV, c.amplitude);
    EXPECT_TRUE(HasMessage(c.message + FixedText(Last.sigmaASV / c.amplitude, 2) + ")"))
        << ::testing::PrintToString(MessageTexts());
    EXPECT_TRUE(HasMessage("Error  : FAo < FAu !"));
  }
}

}  // namespace

namespace {

// Eleven plates that all fail their pressure check fill the message list;
// the chamfer longer than the engaged thread still names why the run ended.
TEST_F(CalculationTest, AFullMessageListStillNamesTheFatalEnding) {
  RunChanged(false, [] {
    Klemmstuecke.De[1] = 14;
    SetPlates({4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4});
    Schraube.lSec[1] = 50;
    Fase = 8;
  });
  const auto texts = MessageTexts();
  ASSERT_EQ(texts.size(), kCalcMessageSlots) << ::testing::PrintToString(texts);
  EXPECT_EQ(texts.back(), "Fatal  : m tr < 0 (chamfer) !");
  EXPECT_EQ(texts[texts.size() - 2].substr(0, 20), "p perm. clamp.plate ");
  EXPECT_EQ(CalcFatalFlag, 1);
}

}  // namespace
