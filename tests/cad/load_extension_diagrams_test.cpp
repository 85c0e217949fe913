#include "cad/load_extension_diagrams.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cad/diagram_commands.h"
#include "diagram_test_support.h"
#include "framework/calc_messages.h"
#include "framework/units.h"

namespace {

class LoadExtensionTest : public CalculatedDiagramTest {
 protected:
  // Draws the kind into the DXF file and reads its entities back.
  std::vector<drawing_test::Entity> Draw(TDiagramKind kind) {
    DiagramCommand(kind, kCadDxf);
    EXPECT_EQ(AbortFlag, 0);
    return DxfEntities();
  }
};

// Each frame reaches above the highest force its level draws.
TEST_F(LoadExtensionTest, FramesHoldTheForcesOfTheirLevelAndTheDiagramItsPanel) {
  TDiagramFrame f;
  ASSERT_TRUE(LoadExtensionFrame(kDiagramAssemblyReq, f));
  EXPECT_GE(f.ymax, Last.FM02);
  ASSERT_TRUE(LoadExtensionFrame(kDiagramWorkingMax, f));
  EXPECT_GE(f.ymax, Last.FVmax + Last.FSAmax);
  EXPECT_FALSE(LoadExtensionFrame(kDiagramTorqueAngle, f));
  const auto es = Draw(kDiagramLoadExtension);
  for (const std::string& text :
       {std::string("    Load Extension Diagram"), std::string("Load:"),
        "FVmin,req=" + ForceToTextFmt(6, 0, Last.FVreq) + " N", "FM,max   =" + ForceToTextFmt(6, 0, Last.FM) + " N",
        "FZ  = " + ForceToTextFmt(6, 0, Last.FZ) + " N", std::string("Coefficients:"), std::string("n = 0.30"),
        std::string("alpha a =1.60"), std::string("FMmax,req=FMmin,req*al.a")})
    EXPECT_TRUE(Has(es, text)) << text;
  EXPECT_FALSE(Has(es, "FKR = FV - FPA"));
  // Five joint triangles of two lines each, in their colours.
  // (Colour 17 is the frame's grid as well.)
  for (const char* layer : {"19", "16", "20", "18"}) EXPECT_EQ(Count(es, "LINE", layer), 2) << layer;
  // Working line, reduced triangle (n < 1), vertical, and the sine of a pulsating load.
  EXPECT_GT(Count(es, "LINE", "21"), 10);
}

TEST_F(LoadExtensionTest, WorkingLinesOnlyWithAnAxialLoadAndTheReducedTriangleOnlyBelowOne) {
  ASSERT_GT(Last.FAmax, 0);
  auto es = Draw(kDiagramAssemblyReq);  // the assembly has no working lines
  EXPECT_EQ(Count(es, "LINE", "21"), 0);
  EXPECT_EQ(Count(es, "LINE", "20"), 2);
  EXPECT_TRUE(Has(es, "FMmin,req = FVreq+FZ"));
  Last.FAmin = 100;  // no pulsating load: no sine symbol
  ASSERT_LT(CalcOptions.nLoad, 1);
  EXPECT_EQ(Count(Draw(kDiagramWorkingReq), "LINE", "21"), 4);
  CalcOptions.nLoad = 1;
  EXPECT_EQ(Count(Draw(kDiagramWorkingReq), "LINE", "21"), 2);
  Last.FAmax = 0;
  es = Draw(kDiagramWorkingReq);
  EXPECT_EQ(Count(es, "LINE", "21"), 0);
  EXPECT_TRUE(Has(es, "FAmax= " + ForceToTextFmt(6, 0, 0) + " N"));
  EXPECT_TRUE(Has(es, "FKR = FV - FPA"));
}

TEST_F(LoadExtensionTest, CompressiveLoadDrawsReliefLinesAndTheirValues) {
  Last.FAmin = -5000;
  Last.FPAmin = -4800;
  Last.FSAmin = -200;
  Last.FSu = 60000;
  auto es = Draw(kDiagramWorkingMax);
  EXPECT_EQ(Count(es, "LINE", "27"), 2);
  for (const char* head : {"FAmin= ", "FSR = ", "FSAmin = ", "FPAmin = "}) EXPECT_TRUE(Has(es, head, true)) << head;
  EXPECT_TRUE(Has(es, "FSR = FV + FSA"));
  es = Draw(kDiagramLoadExtension);
  EXPECT_EQ(Count(es, "LINE", "27"), 2);
  EXPECT_FALSE(Has(es, "FSR = ", true));
}

TEST_F(LoadExtensionTest, PanelEndsWithTheCalculationMessages) {
  ClearCalcMessages();
  const std::vector<std::string> expected = {"Warning: one", "Warning: two", "Error  : three",
                                             "Warning: four", "Warning: five"};
  for (const auto& m : expected) AddErrorMessage(m);
  const auto es = Draw(kDiagramWorkingMin);
  std::vector<drawing_test::Entity> texts;
  for (const auto& e : es)
    if (e.kind == "TEXT") texts.push_back(e);
  ASSERT_GE(texts.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(texts[texts.size() - 5 + i].text, expected[i]);
    EXPECT_EQ(texts[texts.size() - 5 + i].layer, "16");
  }
  EXPECT_TRUE(Has(es, "FKR = ", true));
}

// However many lines a panel holds (every optional value and eleven long
// messages), each stands on the sheet and clear of every other text of its
// diagram, the axis text "f [mm]" below it among them; a short panel keeps
// its letters and spacing.
TEST_F(LoadExtensionTest, FullPanelsEndOnTheSheetAboveTheAxisText) {
  auto panelHeights = [&](TDiagramKind kind) {
    DiagramCommand(kind, kCadDxf);
    EXPECT_EQ(AbortFlag, 0);
    const auto texts = drawing_test::DxfTexts(ReadLines(DxfFile()));
    const auto found = drawing_test::TextsOverEachOtherOrOffSheet(texts, 160, 120);
    EXPECT_TRUE(found.empty()) << "diagram " << kind << ": " << found.size() << ", first " << found.front();
    std::vector<double> heights;
    for (const auto& t : texts)
      if (t.x == kPanelX) heights.push_back(t.height);
    return heights;
  };
  for (int k : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
    ClearCalcMessages();
    const auto plain = panelHeights(static_cast<TDiagramKind>(k));
    ASSERT_FALSE(plain.empty());
    EXPECT_DOUBLE_EQ(plain.front(), 2.2) << k;
  }
  Last.FApre = 1000;
  Last.Fpre = 2000;
  Last.FAmin = -500;
  for (int i = 1; i <= 11; ++i) AddErrorMessage("Error  : a long message number " + std::to_string(i) + " !!!");
  ASSERT_EQ(CalcMessages.count, 11);
  for (int k : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
    SCOPED_TRACE(k);
    const auto full = panelHeights(static_cast<TDiagramKind>(k));
    ASSERT_FALSE(full.empty());
    EXPECT_GT(full.front(), 1.5) << "squeezed no more than it needs";
  }
}

TEST_F(LoadExtensionTest, ImperialDiagramDrawsTheMetricCurvesInTheImperialFrame) {
  ToggleUnitSystem();
  OnScreen([] { DrawDiagram(kDiagramAssemblyReq); });
  // The window is metric again; the triangle of FM,Re reaches its top at FM02 N.
  EXPECT_GE(PlotState.WinYMax, Last.FM02);
  EXPECT_LT(PlotState.WinYMax, 1.5L * Last.FM02);
  EXPECT_TRUE(ShowsText("F [lbf]"));
  EXPECT_TRUE(ShowsText("FM,Re    =" + ForceToTextFmt(6, 0, Last.FM02) + " lbf"));
}

}  // namespace
