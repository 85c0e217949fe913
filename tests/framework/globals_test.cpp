#include "framework/globals.h"

#include <gtest/gtest.h>

#include "framework/identity.h"
#include "framework/init.h"

namespace {

class GlobalsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitFrameworkModules(); }
};

TEST_F(GlobalsTest, ModesStartMetricWithDecimalPointAndMonthDayYear) {
  EXPECT_EQ(UnitSystem, 0);
  EXPECT_EQ(DecimalCommaMode, 1);
  EXPECT_EQ(DecimalMode, 2);
  EXPECT_EQ(FloatDigits, 3);
  EXPECT_EQ(DateFormatCode, 2);
  EXPECT_EQ(UmlautMode, 2);
  EXPECT_EQ(TraceMessagesOn, 1);
  EXPECT_EQ(AbortFlag, 0);
}

TEST_F(GlobalsTest, TextSlotsStartAsBlanksAndCutOnAssignment) {
  for (const auto& t : ItemTexts) EXPECT_EQ(t.view(), std::string(60, ' '));
  for (const auto& t : LineTable) EXPECT_EQ(t.view(), std::string(64, ' '));
  ItemTexts[135] = std::string(80, 'x');
  EXPECT_EQ(ItemTexts[135].size(), kItemTextWidth);
  ItemTexts[1] = "changed";
  InitFrameworkModules();
  EXPECT_EQ(ItemTexts[1].view(), std::string(60, ' '));
}

TEST_F(GlobalsTest, ExternalProgramsDefaultToTheDesktopOpener) {
  EXPECT_TRUE(WordProcessorPath.empty());
  EXPECT_TRUE(HtmlBrowserPath.empty());
  EXPECT_EQ(DatabaseMode, 1);
  for (const auto& f : RecentFiles) EXPECT_TRUE(f.empty());
}

TEST_F(GlobalsTest, IdentityReplacesTheProvisionalNames) {
  EXPECT_EQ(ProgShortName, "BQ4");
  EXPECT_EQ(ProgShortNameLower, "bq4");
  EXPECT_EQ(InputFileExt.view(), "bq4");
  EXPECT_EQ(ProgTitle.view(), "BQ4   Bolted Joint Design");
  EXPECT_EQ(ProgVersion, "17.0");
  for (const auto& h : HeaderLines) EXPECT_TRUE(h.empty());
}

TEST_F(GlobalsTest, CadDefaultsWithoutConfiguration) {
  EXPECT_EQ(CadState.PlotCommandLines[0], "C:\\VESKART\\WVESKART VESKART.DXF /M1.0");
  EXPECT_EQ(CadState.PlotCommandCount, 1);
  EXPECT_EQ(CadState.PlotCommandIndex, 1);
  const int colors[6] = {1, 2, 2, 2, 3, 1};
  const int widths[6] = {3, 1, 1, 1, 2, 3};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(CadState.CadLayerNames[i].view(), std::to_string(i));
    EXPECT_EQ(CadState.CadLayerColors[i], colors[i]);
    EXPECT_EQ(CadState.CadLayerWidths[i], widths[i]);
  }
  EXPECT_EQ(CadState.CadPenColors[0], 1);    // layer 16
  EXPECT_EQ(CadState.CadPenColors[15], 16);  // layer 31
  EXPECT_EQ(CadState.CadTextFont.view(), "TXT8");
  EXPECT_EQ(CadState.CadDecimals, 6);
  EXPECT_EQ(CadState.CadDevice, 3);
  CadState.CadDevice = 1;
  InitFrameworkModules();
  EXPECT_EQ(CadState.CadDevice, 3);
}

TEST_F(GlobalsTest, GraphicsAndPrinterDefaults) {
  InitGraphicsDefaults();  // alone; the graphics window's start-up then sets 1.2 and 0.1
  EXPECT_EQ(ZoomIncrement, 1.02L);
  EXPECT_EQ(PanFactor, 0.02L);
  EXPECT_EQ(GraphicsTextFont.view(), "Arial");
  EXPECT_EQ(PrintoutFont.view(), "Courier New");
  EXPECT_EQ(PrinterOrientation, 2);
  EXPECT_EQ(TextWindowWidth, 700);
  EXPECT_NEAR(static_cast<double>(View3DAngleZ), 3.6651914, 1e-9);
}

}  // namespace
