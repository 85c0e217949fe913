// Before any Qt header: the message list has a field named like a Qt macro.
#include "../calc/table_test_support.h"

#include "cad/material_sheets.h"

#include "cad/diagram_plotter.h"
#include "calc/joint_records.h"
#include "calc/table_access.h"
#include "calc/table_rows.h"
#include "framework/display_list.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "sheet_test_support.h"

using sheet_test::HasText;

namespace {

class MaterialSheetsTest : public DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    InitDbfModules();
    InitCalcModules();
    DbfDir = table_test::CopyBuiltTables();
  }
  void TearDown() override {
    CloseDbfTable();
    TableDialogHook = nullptr;
    DrawingTest::TearDown();
  }
  std::vector<sheet_test::PlacedText> Sheet(const std::function<void()>& draw) {
    draw();
    return sheet_test::Texts(ReadLines(Dir() + "/drawing.lst"));
  }
};

// True when a text of that content starts right of x.
bool HasTextAt(const std::vector<drawing_test::DxfText>& texts, const std::string& text, double x) {
  return std::any_of(texts.begin(), texts.end(), [&](const auto& t) { return t.text == text && t.x > x; });
}

TEST_F(MaterialSheetsTest, BoltSheetListsTheRowAndDrawsBothDiagrams) {
  Schraube.MatBoltRow = 2;
  MatBolt.Rm = 1234;  // the joint's own value, unlike the table's
  const auto t = Sheet([] { DrawBoltMaterialSheet(0, kCadListing); });
  ASSERT_GE(t.size(), 9u);
  EXPECT_EQ(t[0].text, "12.9");
  EXPECT_EQ(t[1].text, "Re = " + StressToText(1080) + " MPa");
  EXPECT_EQ(t[2].text, "Rm = " + StressToText(1200) + " MPa");
  EXPECT_EQ(t[3].text, "E = " + StressToText(206000) + " MPa");
  EXPECT_EQ(t[4].text.rfind("alpha = ", 0), 0u);
  EXPECT_EQ(t[5].text, "beta b = " + FloatToText(0.6L));
  EXPECT_EQ(t[8].text, "nominal values");
  EXPECT_EQ(t[9].text, "mat_bolt.dbf");
  for (const char* s : {"    Re = f (T)", "    E = f (T)", "T (\xF8" "C)", "Re [MPa]"}) EXPECT_TRUE(HasText(t, s)) << s;
  // The joint keeps its material.
  EXPECT_EQ(Schraube.MatBoltRow, 2);
  EXPECT_EQ(MatBolt.Rm, 1234);
}

// Every text of the bolt and plate sheets ends on the 160 mm sheet, the E
// diagram's axis text "T (°C)" at its right edge among them, and none
// stands over another.
TEST_F(MaterialSheetsTest, EveryTextEndsOnTheSheetClearOfTheOthers) {
  CurrentFileName = Dir() + "/sheet";
  auto check = [&](const std::string& what) {
    ASSERT_EQ(AbortFlag, 0) << what;
    const auto texts = drawing_test::DxfTexts(ReadLines(Dir() + "/sheet.dxf"));
    EXPECT_TRUE(HasTextAt(texts, "T (\xF8" "C)", 90)) << what;
    const auto found = drawing_test::TextsOverEachOtherOrOffSheet(texts, 160, 120);
    EXPECT_TRUE(found.empty()) << what << ": " << found.front();
  };
  for (Word row : {1, 2, 5}) {
    Schraube.MatBoltRow = row;
    DrawBoltMaterialSheet(0, kCadDxf);
    check("bolt row " + std::to_string(row));
  }
  for (Word kind : {0, 1}) {
    DrawPlateMaterialSheet(0, kCadDxf, kind, 1);
    check("plate table " + std::to_string(kind));
  }
}

TEST_F(MaterialSheetsTest, ReCurveEndsAtTheLastTemperatureWithAValueAndAMissingMaterialDrawsNoFrame) {
  // 12.9 in mat_b_re: values at 20, 100, 200 and 300 degrees only.
  const auto es = Listing([] {
    PlotInit();
    SetPlotSize(60, 60);
    SetPlotOrigin(10, 10);
    DrawBoltReDiagram("12.9");
  });
  const auto lines = drawing_test::Only(es, "LINE");
  ASSERT_GE(lines.size(), 3u);
  const auto& last = lines.back();
  const auto& first = lines[lines.size() - 3];
  EXPECT_NEAR(first.v[0], static_cast<double>(PlotX(20)), 1e-6);
  EXPECT_NEAR(first.v[1], static_cast<double>(PlotY(1100)), 1e-6);
  EXPECT_NEAR(last.v[2], static_cast<double>(PlotX(300)), 1e-6);
  EXPECT_NEAR(last.v[3], static_cast<double>(PlotY(825)), 1e-6);
  const auto none = Listing([] {
    PlotInit();
    DrawPlateReDiagram("no such material");
    DrawBoltEDiagram("");
  });
  EXPECT_TRUE(none.empty());
}

TEST_F(MaterialSheetsTest, PlateSheetEndsWithItsTableAndRowAndShowsPsiInImperialUnits) {
  const auto t = Sheet([] { DrawPlateMaterialSheet(0, kCadListing, 1, 3); });
  ASSERT_GE(t.size(), 10u);
  EXPECT_EQ(t[0].text, "S355J0");
  EXPECT_EQ(t[5].text, "beta m = " + FloatToText(0.7L));
  EXPECT_EQ(t[8].text, " ");
  EXPECT_EQ(t[9].text, "mat_p_1.dbf   (3)");
  UnitSystem = 1;
  const auto psi = Sheet([] { DrawPlateMaterialSheet(0, kCadListing, 0, 1); });
  ASSERT_GE(psi.size(), 2u);
  EXPECT_EQ(psi[1].text, "Re = " + StressToText(Pressung.Re) + " psi");
  EXPECT_EQ(psi.back().text.find("MPa"), std::string::npos);
}

TEST_F(MaterialSheetsTest, CancelledPickWritesNoFileAndKeepsTheJointsMaterial) {
  Schraube.MatBoltRow = 2;
  MatBolt.Rm = 999;  // edited by hand
  TableDialogHook = [](std::string_view, int, std::int32_t&) { return false; };
  DrawBoltMaterialSheet(1, kCadListing);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(Exists(Dir() + "/drawing.lst"));
  EXPECT_EQ(MatBolt.Rm, 999);
  EXPECT_EQ(Schraube.MatBoltRow, 2);

  AbortFlag = 0;
  TableDialogHook = [](std::string_view, int, std::int32_t& rec) { rec = 1; return true; };
  const auto t = Sheet([] { DrawBoltMaterialSheet(1, kCadListing); });
  ASSERT_GE(t.size(), 2u);
  EXPECT_EQ(t[1].text, "Re = " + StressToText(1100) + " MPa");  // row 1: minimum values
  EXPECT_EQ(MatBolt.Rm, 999);
}

TEST_F(MaterialSheetsTest, BrowsersEndWithOkAndLeaveTheJointAlone) {
  Schraube.MatBoltRow = 2;
  MatBolt.Rm = 999;
  // Each browser and a text of the row it shows.
  const std::pair<void (*)(), const char*> browsers[] = {{ViewBoltMaterial, "12.9"},
                                                         {[] { ViewNutMaterial(0); }, "pressung.dbf   (1)"}};
  for (const auto& [view, shown] : browsers) {
    platform::DialogScript script;
    script.Press("Button1");
    view();
    EXPECT_EQ(AbortFlag, 0);
    const auto& list = CreateDisplayList()->Lines();
    EXPECT_TRUE(std::any_of(list.begin(), list.end(),
                            [&](const std::string& r) { return r.find(shown) != std::string::npos; }))
        << shown;
  }
  EXPECT_EQ(Schraube.MatBoltRow, 2);
  EXPECT_EQ(MatBolt.Rm, 999);
}

}  // namespace
