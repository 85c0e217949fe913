#include "cad/sheet_tables.h"

#include "cad/title_block.h"
#include "calc/designation.h"
#include "framework/number_format.h"
#include "framework/units.h"
#include "sheet_test_support.h"

using sheet_test::HasText;
using sheet_test::TextStartingWith;

namespace {

class SheetTablesTest : public SheetTest {
 protected:
  void SetUp() override {
    SheetTest::SetUp();
    Calculate();
    ASSERT_EQ(CalcFatalFlag, 0);
  }
  std::vector<sheet_test::PlacedText> Plates() { return ListedTexts([] { DrawPlatesTable(); }); }
  std::vector<sheet_test::PlacedText> Forces() { return ListedTexts([] { DrawForcesTable(); }); }
};

TEST_F(SheetTablesTest, PlatesTableOfTheTappedJointInMetricUnits) {
  const auto t = Plates();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[0].text, " " + BoltDesignation());
  for (const char* s : {" i", " de [mm]", " di [mm]", "  l [mm]", "  material ", " 1", "   80.0",
                        "   13.0", "   42.0", " tapped blind hole joint (ESV)", " m", " m tr",
                        " m min Rmmax VDI2230 / Velk", " LOAD", " FA max", " N", " FKR min", " FS,Rm",
                        " FRICTION", "    min", " max", " \xE6G", " \xE6K", " \xE6Tr", " K", " 0.140",
                        " ASSEMBLY (Bolt driven)", " nue Rp", " MA max/min", " Nm", " alpha max/min",
                        " FACTORS OF SAFETY", " safety plate surface pressure"})
    EXPECT_TRUE(HasText(t, s)) << s;
  EXPECT_EQ(TextStartingWith(t, " material : "), " material : " + MatMutter.Name.str());
  EXPECT_FALSE(HasText(t, " MApre"));
  // Reference temperature = working temperature: no temperature preload row.
  EXPECT_EQ(TextStartingWith(t, " FM,max2"), "");
  // The load value is the force with eight characters.
  bool found = false;
  for (std::size_t i = 0; i + 2 < t.size(); ++i)
    if (t[i].text == " FA max") found = t[i + 2].text == " " + FloatToTextPrec(8, Last.FAmax);
  EXPECT_TRUE(found);
}

// Ten or twenty plates end above the engagement table at 216 mm: their rows
// are written smaller, and every plate has its row.
TEST_F(SheetTablesTest, ManyPlatesEndAboveTheEngagementTable) {
  for (const int n : {2, 10, 20}) {
    SCOPED_TRACE(n);
    Klemmstuecke.nPlates = static_cast<Word>(n);
    const auto texts = drawing_test::DxfTexts(Draw(kCadDxf, "/drawing.dxf", [] { DrawPlatesTable(); }));
    int rows = 0;
    for (const auto& t : texts) {
      if (t.x != 110 || t.y < 216 || t.text == " i" || t.text.find("  ") == 0) continue;
      ++rows;
      // A row's bottom line lies half the text height below its text.
      EXPECT_GE(t.y - 0.5 * t.height, 216 + 0.5) << t.text;
      if (n == 2) {
        EXPECT_DOUBLE_EQ(t.height, static_cast<double>(kSheetTableTextHeight));
      }
    }
    EXPECT_EQ(rows, n);
  }
}

TEST_F(SheetTablesTest, ImperialTablesShowImperialUnitsAndValues) {
  UnitSystem = 1;
  const auto t = Plates();
  for (const std::string& s : {std::string(" de [in]"), std::string(" lbf"), std::string(" lbfin"),
                               " " + LengthToTextFmt(4, 1, 80)})
    EXPECT_TRUE(HasText(t, s)) << s;
  EXPECT_FALSE(HasText(t, " N"));
  const auto f = Forces();
  EXPECT_TRUE(HasText(f, " " + FloatToTextPrec(8, ForceToDisplay(Last.FAmax))));
  EXPECT_TRUE(HasText(f, " in"));
}

TEST_F(SheetTablesTest, WorkingTemperatureNamesTheRangeAndAddsThePreloadRow) {
  Temperatur.TWork = 120;
  const auto t = Plates();
  const std::string range = " (T=20 .. 120 " + TemperatureUnitText() + ")";
  EXPECT_TRUE(HasText(t, " LOAD" + range));
  EXPECT_TRUE(HasText(t, " FACTORS OF SAFETY" + range));
  EXPECT_TRUE(HasText(t, " FM,max120"));
}

TEST_F(SheetTablesTest, BothPresetPreloadsDropTheFractureRow) {
  Last.FApre = 1000;
  Last.Fpre = 2000;
  const auto t = Plates();
  EXPECT_TRUE(HasText(t, " FA pre"));
  EXPECT_TRUE(HasText(t, " F pre"));
  EXPECT_FALSE(HasText(t, " FS,Rm"));
}

TEST_F(SheetTablesTest, PresetTorqueReplacesTheFrictionTotalRow) {
  Last.MApre = 50;
  auto t = Plates();
  EXPECT_FALSE(HasText(t, " K"));
  EXPECT_TRUE(HasText(t, " MApre"));
  EXPECT_TRUE(HasText(t, " 50 Nm"));
  CalcOptions.FrictionTolerances = 0;
  t = Plates();
  EXPECT_FALSE(HasText(t, " max"));
  EXPECT_TRUE(HasText(t, " MA max"));
}

TEST_F(SheetTablesTest, CalculationMessagesCloseTheSafetyTable) {
  AddErrorMessage("Warning: first remark");
  AddErrorMessage("Error  : second remark");
  const auto t = Plates();
  // Each message fills the first of the table's three columns.
  ASSERT_GE(t.size(), 6u);
  EXPECT_EQ(t[t.size() - 6].text, " Warning: first remark");
  EXPECT_EQ(t[t.size() - 3].text, " Error  : second remark");
  EXPECT_EQ(t.back().text, " ");
}

// With every optional row and eleven messages, the load and safety tables
// end above the title block's top line of the drawing sheet, each row there.
TEST_F(SheetTablesTest, FullTablesEndAboveTheTitleBlock) {
  Temperatur.TWork = 120;
  Last.FApre = 1000;
  Last.Fpre = 2000;
  ClearCalcMessages();
  for (int i = 1; i <= 11; ++i) AddErrorMessage("Error  : message " + std::to_string(i));
  ASSERT_EQ(CalcMessages.count, 11);
  const auto texts = drawing_test::DxfTexts(Draw(kCadDxf, "/drawing.dxf", [] { DrawPlatesTable(); }));
  int messages = 0;
  bool loadRow = false;
  for (const auto& t : texts) {
    // A row's bottom line lies half the text height below its text.
    EXPECT_GE(t.y - 0.5 * t.height, static_cast<double>(kTitleBlockTop) + 0.5) << t.text;
    if (t.text.rfind(" Error  : message ", 0) == 0) ++messages;
    if (t.text == " FS,Re") loadRow = true;
  }
  EXPECT_EQ(messages, 11);
  EXPECT_TRUE(loadRow);
  // Without them the tables keep their letters.
  ClearCalcMessages();
  Temperatur.TWork = Temperatur.T0;
  for (const auto& t : drawing_test::DxfTexts(Draw(kCadDxf, "/drawing.dxf", [] { DrawPlatesTable(); })))
    if (t.text == " FACTORS OF SAFETY" || t.text == " LOAD") {
      EXPECT_DOUBLE_EQ(t.height, 2.5) << t.text;
    }
}

TEST_F(SheetTablesTest, SpecialNutHasNoStandardLineButTheEngagedLengthRows) {
  SetUpThroughBoltedM12Joint();
  Calculate();
  auto t = Plates();
  EXPECT_TRUE(HasText(t, " through bolted joint with nut (DSV)"));
  EXPECT_NE(TextStartingWith(t, " nut  dw= "), "");
  EXPECT_NE(TextStartingWith(t, " " + NutStandardText() + " - SW "), "");
  EXPECT_FALSE(HasText(t, " m min Rmmax VDI2230 / Velk"));
  EXPECT_TRUE(HasText(t, " h M"));

  Mutter.NutType = 4;
  CalcOptions.EngageVelk = 0;
  t = Plates();
  EXPECT_EQ(TextStartingWith(t, " - SW "), "");
  EXPECT_TRUE(HasText(t, " m eff min Rmmax  VDI 2230"));
  EXPECT_TRUE(HasText(t, " m eff min FSmax  VDI 2230"));
}

TEST_F(SheetTablesTest, ForcesTableHasItsFourTablesAtTheirPlaces) {
  const auto t = Forces();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[0].text, " input");
  for (const char* s : {" Load Extension Diagram", " Load, required", " Load, real", " tensile load max.",
                        " FM max = FM min * alpha A", " yield load, bolt", " F Rp", " phi n", " alpha A"})
    EXPECT_TRUE(HasText(t, s)) << s;
  EXPECT_TRUE(HasText(t, " " + FloatToTextPrec(8, Last.F02min)));
  EXPECT_FALSE(HasText(t, " preload"));  // no preset preloads
}

}  // namespace

namespace {

TEST_F(SheetTablesTest, HugeForcesStayInsideTheirCellsAsThemselves) {
  for (Extended fa : {1e20L, 1e308L}) {
    // Results of that size, as the records would hold them (the run refuses
    // such a load as input).
    Last.FAmax = fa;
    Last.FKRo = -0.9454L * fa;
    Last.FMreqMax = Last.FSAmax = Last.FPAmax = 1.5126L * fa;
    for (const auto& t : {Plates(), Forces()}) {
      SCOPED_TRACE(static_cast<double>(fa));
      bool faFound = false;
      for (std::size_t i = 0; i < t.size(); ++i) {
        Extended v = 0;
        std::string number = t[i].text;
        number.erase(0, number.find_first_not_of(' '));
        if (!TryTextToFloat(number, v)) continue;
        if (i >= 2 && t[i - 2].text == " FA max") {
          faFound = true;
          EXPECT_NEAR(static_cast<double>(v / fa), 1.0, 0.01) << t[i].text;
        }
        // The next text of the row begins after the number's last character.
        const double end = t[i].x + 0.75 * kSheetTableTextHeight * static_cast<double>(t[i].text.size());
        for (const auto& other : t)
          if (other.y == t[i].y && other.x > t[i].x) {
            EXPECT_LE(end, other.x + 1e-6) << t[i].text << " / " << other.text;
          }
      }
      EXPECT_TRUE(faFound);
    }
  }
}

}  // namespace
