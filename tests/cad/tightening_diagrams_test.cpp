#include "cad/tightening_diagrams.h"

#include <gtest/gtest.h>

#include "cad/diagram_commands.h"
#include "diagram_test_support.h"
#include "framework/calc_messages.h"
#include "framework/charset.h"
#include "framework/math_utils.h"
#include "framework/number_format.h"
#include "framework/units.h"

namespace {

// The Greek mu as the window shows it (the drawing holds code page 437's 0xE6).
const std::string kMu = OemToAnsiText("\xE6");

class TighteningTest : public CalculatedDiagramTest {
 protected:
  static void Draw(TDiagramKind kind) { OnScreen([=] { DrawDiagram(kind); }); }
  static void Panel(int mode) { OnScreen([=] { DrawTorqueTextPanel(mode); }, false); }
};

TEST_F(TighteningTest, AngleFramesReachTheTensileStrength) {
  TDiagramFrame f;
  ASSERT_TRUE(TighteningFrame(kDiagramTorqueAngle, f));
  const Extended xmax = f.xmax;
  MatBolt.Rm *= 2;  // a stronger bolt turns further before it breaks
  ASSERT_TRUE(TighteningFrame(kDiagramTorqueAngle, f));
  EXPECT_GT(f.xmax, xmax);
  EXPECT_FALSE(TighteningFrame(kDiagramLoadExtension, f));
  // A bolt material without yield point gives a frame that still draws.
  MatBolt.Rp02 = 0;
  Draw(kDiagramPreloadAngle);
  EXPECT_GT(PlotState.WinXRange, 0);
}

TEST_F(TighteningTest, TorqueAndPreloadDiagramsMarkTheirValues) {
  Draw(kDiagramTorqueAngle);
  for (const std::string& text :
       {std::string(" M-alpha-Diagram (Proj.from elastic origin)"), "MA,max = " + MomentToText(Last.MA) + " Nm",
        "MA Re = " + MomentToText(Last.MA02) + " Nm", "MA Rm = " + MomentToText(Last.MA02Rm) + " Nm", kMu + "min",
        kMu + "=0"})
    EXPECT_TRUE(ShowsText(text)) << text;
  EXPECT_TRUE(ShowsText("MG (" + kMu + "G=0.14) = ", true));
  // No friction scatter: no line of the highest friction.
  EXPECT_FALSE(ShowsText(kMu + "max"));
  EXPECT_TRUE(ShowsText("R MA = ", true));
  // The preload diagrams mark their preloads.
  Draw(kDiagramPreloadAngle);
  EXPECT_TRUE(ShowsText("FM,max = " + ForceToText(Last.FM) + " N"));
  EXPECT_TRUE(ShowsText("FM,Rm = " + ForceToText(Last.FM02Rm) + " N"));
  EXPECT_TRUE(ShowsText("FM Re (" + kMu + "G=" + kMu + "K=0) = ", true));
  Draw(kDiagramPreloadTorque);
  EXPECT_TRUE(ShowsText(" FM Re " + kMu + "0"));
  EXPECT_TRUE(ShowsText("FM,min = " + ForceToText(Last.FM / Montage.alphaA) + " N"));
  Draw(kDiagramTorquePreload);
  EXPECT_TRUE(ShowsText("MAmin = " + MomentToText(Last.MAmin) + " Nm"));
  // Nor in the torque over the preload, where it would lie on the line "µmin".
  EXPECT_TRUE(ShowsText(kMu + "min"));
  EXPECT_FALSE(ShowsText(kMu + "max"));
}

TEST_F(TighteningTest, FrictionScatterAddsTheHighestFrictionLine) {
  Reibung.muGmax = 0.2L;
  Reibung.muKmax = 0.16L;
  CalculateJoint();
  ASSERT_EQ(CalcFatalFlag, 0);
  ASSERT_FALSE(FloatEqual(Last.MA, Last.MAmax2));
  for (TDiagramKind kind : {kDiagramTorqueAngle, kDiagramPreloadTorque, kDiagramTorquePreload}) {
    Draw(kind);
    EXPECT_TRUE(ShowsText(kMu + "max")) << kind;
  }
  EXPECT_TRUE(ShowsText(kMu + "G = 0.14 .. 0.2", true));
  // The fields of the scatter and beyond the friction-free line are hatched
  // with lines only, in the colour of thin lines.
  DiagramCommand(kDiagramTorqueAngle, kCadDxf);
  const auto es = DxfEntities();
  EXPECT_GT(Count(es, "LINE", CadState.CadLayerNames[3].str()), 20);
  EXPECT_EQ(Count(es, "POLYLINE"), 2);
  EXPECT_FALSE(HasMessageStartingWith("Fatal  : schraff"));
  EXPECT_FALSE(HasMessage("Schraffurfehler"));
}

TEST_F(TighteningTest, PanelModesDifferInTheirRiseAndEmbeddingLines) {
  Panel(1);
  EXPECT_TRUE(ShowsText("R MA = ", true));
  EXPECT_FALSE(ShowsText("FZ = ", true));
  EXPECT_FALSE(ShowsText("R FM = ", true));
  Panel(2);
  for (const char* head :
       {"FZ = ", "FVmax = ", "R FM = ", "SD=Sig.AS/Sig.a= ", "mtr/mmin = " /* tapped joint */, "tau,Rm/tau,FSmax = "})
    EXPECT_TRUE(ShowsText(head, true)) << head;
  for (const char* text : {"-M12x60-12.9", "nue Re = 0.9"}) EXPECT_TRUE(ShowsText(text)) << text;
  // The angles name their unit in a word, also where the axes show the degree sign.
  EXPECT_NE(DegreeUnitText(), "deg");
  for (const std::string& text : {"alpha max = " + FloatToText(Montage.theta) + " deg",
                                  "alpha Re = " + FloatToText(Montage.theta / Montage.nu) + " deg",
                                  "alpha " + kMu + "0= " + FloatToText(Montage.theta0) + " deg"})
    EXPECT_TRUE(ShowsText(text)) << text;
  // Lines that depend on the joint.
  EXPECT_FALSE(ShowsText("MA pre= ", true));
  Last.MApre = 5;
  Last.sigmaA = 0;
  CalcOptions.FSmaxOn = 0;
  Panel(2);
  EXPECT_TRUE(ShowsText("MA pre= " + MomentToText(5) + " Nm"));
  EXPECT_FALSE(ShowsText("SD=Sig.AS/Sig.a= ", true));
  EXPECT_TRUE(ShowsText("mtr/mmin = ", true));
  EXPECT_FALSE(ShowsText("tau,Rm/tau,FSmax = ", true));
}

TEST_F(TighteningTest, ThroughBoltedJointWithStandardNutShowsNoThreadEngagement) {
  SetUpThroughBoltedM12Joint();
  CalculateJoint();
  ASSERT_EQ(CalcFatalFlag, 0);
  MatMutter.OwnNutMaterial = 0;
  Mutter.NutType = 1;
  Panel(2);
  EXPECT_FALSE(ShowsText("mtr/mmin = ", true));
  EXPECT_FALSE(ShowsText("tau,Rm/tau,FSmax = ", true));
  Mutter.NutType = 4;  // the special nut is checked
  Panel(2);
  EXPECT_TRUE(ShowsText("mtr/mmin = ", true));
}

TEST_F(TighteningTest, ImperialTorqueAxisGoesBackToNewtonMetres) {
  TDiagramFrame f;
  ASSERT_TRUE(TighteningFrame(kDiagramTorqueAngle, f));
  ToggleUnitSystem();
  Draw(kDiagramTorqueAngle);
  EXPECT_TRUE(ShowsText("MA [lbfin]"));
  EXPECT_TRUE(ShowsText("MA,max = " + MomentToText(Last.MA) + " lbfin"));
  // The window holds metric torques again, about as high as the metric frame.
  EXPECT_GE(PlotState.WinYMax, f.ymax);
  EXPECT_LT(PlotState.WinYMax, 1.5L * f.ymax);
}

}  // namespace
