// Many joints of random (also unusable) inputs: the calculation never reads
// beyond its records, and a run that ends without a fatal message leaves no
// infinite or undefined result.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <random>

#include "calc/calculation.h"
#include "calc/joint_records.h"
#include "calc_test_support.h"
#include "framework/globals.h"

namespace {

using RandomJointsTest = CalcTest;

TEST_F(RandomJointsTest, ResultsStayFinite) {
  std::mt19937 gen(2230);
  auto pick = [&gen](std::initializer_list<double> values) {
    std::uniform_int_distribution<std::size_t> d(0, values.size() - 1);
    return static_cast<Extended>(*(values.begin() + d(gen)));
  };
  auto code = [&gen](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
  int finished = 0;
  for (int run = 0; run < 2000; ++run) {
    InitCalcTest();
    SetUpTappedM12Joint();
    Verbindung.JointKind = static_cast<Word>(code(1, 2));
    Mutter.dwNut = pick({0, 16.6, 22});
    Mutter.m = pick({0, 10.8, 3});
    Mutter.NutType = static_cast<Word>(code(1, 4));
    Mutter.NutToleranceClass = static_cast<Word>(code(1, 6));
    Mutter.dNut = 12;
    CalcOptions.VdiEdition = static_cast<Word>(code(1, 2));
    Schraube.HeadType = static_cast<Word>(code(1, 8));
    Schraube.nSections = static_cast<Word>(code(1, 3));
    for (int i = 1; i <= Schraube.nSections; ++i) {
      Schraube.lSec[i] = pick({20, 30, 60, 5});
      Schraube.dSec[i] = pick({12, 9, 10.5, 14});
      Schraube.diSec[i] = pick({0, 0, 3, 8});
    }
    // A thread longer than the last section takes its excess off the
    // sections before it.
    Klemmstuecke.nPlates = static_cast<Word>(code(1, 4));
    for (int i = 1; i <= Klemmstuecke.nPlates; ++i) {
      Klemmstuecke.De[i] = pick({40, 80, 20, 15});
      Klemmstuecke.Di[i] = pick({13, 13.5, 18, 0});
      Klemmstuecke.L[i] = pick({10, 20, 42, 1});
      Klemmstuecke.E[i] = pick({210000, 70000, 1});
      Klemmstuecke.pmax[i] = pick({700, 300, 1});
      Klemmstuecke.Re[i] = pick({300, 0});
    }
    Last.FAmax = pick({24900, 0, 1e6, -5000});
    Last.FAmin = pick({0, -20000, 24900, 1e6});
    Last.FQ = pick({0, 5000});
    Last.MApre = pick({0, 0, 5, 1e5});
    Last.LoadIntroPos1 = static_cast<Word>(code(0, 5));
    Last.LoadIntroPos2 = static_cast<Word>(code(0, 5));
    Last.n1 = pick({0.3, 0, 1});
    Last.n2 = pick({0.3, 0, 1});
    Last.EnduranceChoice = static_cast<Word>(code(1, 5));
    Last.AlphaAChoice = static_cast<Word>(code(1, 4));
    Last.TorqueScatter = pick({0.2, 1, -1, 0});
    Last.MAmin = pick({0, 50, 200});
    Last.FMminGiven = pick({0, 30000});
    Montage.GivenQuantity = static_cast<Word>(code(1, 3));
    Last.MA = pick({0, 100, 1e6});
    Last.FM = pick({0, 50000});
    Montage.nu = pick({0.9, 0.5, 1.2});
    Montage.ktau = pick({0.5, 2, -1});
    Reibung.muGmin = pick({0.14, 0, 0.3});
    Reibung.muKmin = pick({0.1, 0, 0.3});
    Reibung.muTr = pick({0.12, 0});
    Temperatur.TWork = pick({20, 150, 800, -60});
    MatBolt.betaBVdi = pick({0.577, 0});
    MatMutter.OwnNutMaterial = static_cast<Byte>(code(0, 1));
    ExzKraftangriff.ExzCode = static_cast<Word>(code(1, 2));
    ExzKraftangriff.SeamPart = static_cast<Word>(code(0, 5));
    ExzKraftangriff.a = pick({20, 0, -10});
    ExzKraftangriff.s = pick({5, 0});
    ExzKraftangriff.IBers = pick({50000, 0});
    ExzKraftangriff.IBersPrime = pick({50000, 0});
    Verbindung.fZ = pick({0.011, 0, 1});
    // A chamfer beyond the engaged thread ends the run by name.
    Fase = pick({0, 1, 3, 30});

    CalculateJoint();
    // Every ending on a fatal message is a fatal run.
    if (!CalcFatalFlag) {
      ASSERT_FALSE(HasMessageStartingWith("Fatal")) << "run " << run << " " << ::testing::PrintToString(MessageTexts());
    }
    if (CalcFatalFlag) continue;
    ++finished;
    const Extended values[] = {
        Last.FM, Last.MA, Last.MAmin, Last.FMminGiven, Montage.alphaA, Last.TorqueScatter, Last.FZ,
        Last.FKRo, Last.FKRu, Last.sigmaA, Last.sigmaASV, Last.sigmaRed, Last.tau, Last.MLoose,
        Montage.DeltaFMlow, Montage.PreloadScatter, Montage.theta, Reibung.muGes, Schraube.deltaS,
        Klemmstuecke.deltaPSum, CalcOptions.Phi, Temperatur.FMT, Safety.SFM, Safety.SyService, Safety.SD,
        Safety.SP, Safety.SG, Safety.SF, Safety.SmRmSafe, Safety.SmFSSafe, Stress.SmRm, VdiEngage.Rs,
        VdiEngage.SmRmVdi, Last.ND, Safety.SDexz, Safety.SKab, ExzKraftangriff.sigmaAb, Schraube.betaS,
        Schraube.lers, Klemmstuecke.SPmin, Montage.DeltaFMrest, Montage.dMAdTheta, Stress.mminRm, VdiEngage.C3,
        VdiEngage.meffMin, ExzKraftangriff.FAab, ExzKraftangriff.PhiEn};
    for (std::size_t i = 0; i < std::size(values); ++i)
      ASSERT_TRUE(std::isfinite(static_cast<double>(values[i])))
          << "run " << run << " value #" << i << " " << ::testing::PrintToString(MessageTexts());
  }
  // A prevailing torque of 1e5 N·m, which no preload carries, ends its runs.
  EXPECT_GT(finished, 75) << finished;  // enough runs reached the end
}

}  // namespace
