#include "app/calculation_document.h"

#include <cstdio>

#include "app/document_layout.h"
#include "app/main_window.h"
#include "calc/project_file.h"
#include "../run_program.h"
#include "app_test_support.h"
#include "framework/calc_messages.h"
#include "framework/clock.h"
#include "framework/display_list.h"

namespace {

TEST(DocumentLayout, BlocksGoOnPagesWithoutEmptyPagesAndHeadingsStayWithTheirBlock) {
  struct Case {
    const char* what;
    std::vector<TLayoutBlock> blocks;
    std::vector<int> pages;
  };
  const TLayoutBlock b4{4, false, false}, b6{6, false, false}, wide{15, false, false};
  const TLayoutBlock heading{1, false, true}, chapter{1, true, true};
  const Case cases[] = {
      {"blocks that fill the page exactly stay on it", {b4, b6, b4}, {0, 0, 1}},
      {"a page break before the first block gives no empty page", {chapter, b4}, {0, 0}},
      {"a page break asked for starts a new page", {b4, chapter, b4}, {0, 1, 1}},
      {"a block taller than a page is not preceded by an empty page", {wide, b4}, {0, 1}},
      {"a block taller than a page after others gets its own page", {b4, wide, b4}, {0, 1, 2}},
      {"a heading moves on with the block it heads", {b6, b4, heading, b4}, {0, 0, 1, 1}},
      {"a heading that fits with its block stays", {b4, heading, b4}, {0, 0, 0}},
      {"a heading before a block taller than a page is not left alone", {b4, heading, wide}, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PaginateBlocks(c.blocks, 10), c.pages);
  }
}

TEST(DocumentLayout, ReportLinesAreSortedIntoHeadingsRowsAndTables) {
  const std::vector<std::string> lines = {
      "BQ4   Bolted Joint Design V17.0\t12/07/2026\t7:24",
      "x.bq4", "", "", "", " ",
      "hexagon head bolt ISO 4014 - M12 x 60 - 8.8",
      "i\tde [mm]\tdi [mm]\tl [mm]\tA [mm²]\tx [mm]\tdelta mm/N",
      "1\t12,00\t0,00\t24,00\t113,1\t24,00\t1,03E-6",
      "",
      "major diameter\td\tmm\t   12,00\r",
      "BOLTED JOINT: tapped blind hole joint (ESV)",
      "i\ta\tb\tc",
      "1\t2\t3\t4",
      "   ",
      "material\t\tSt 50\t",
      "",
      "REMARKS, WARNINGS AND ERROR MESSAGES",
      "Warning: exz. FK<FKerf2 !\torigin\tremedy",
  };
  using K = TReportLine;
  const std::vector<std::pair<K::Kind, std::vector<std::string>>> expected = {
      {K::kHeading, {"hexagon head bolt ISO 4014 - M12 x 60 - 8.8"}},
      {K::kTableRow, {"i", "de [mm]", "di [mm]", "l [mm]", "A [mm²]", "x [mm]", "delta mm/N"}},
      {K::kTableRow, {"1", "12,00", "0,00", "24,00", "113,1", "24,00", "1,03E-6"}},
      {K::kBlank, {}},
      {K::kRow, {"major diameter", "d", "mm", "   12,00"}},
      {K::kHeading, {"BOLTED JOINT: tapped blind hole joint (ESV)"}},
      // Four cells under the column titles of a table are a table row.
      {K::kTableRow, {"i", "a", "b", "c"}},
      {K::kTableRow, {"1", "2", "3", "4"}},
      {K::kBlank, {}},
      {K::kRow, {"material", "", "St 50", ""}},
  };
  const std::vector<TReportLine> got = ReportLinesForDocument(lines);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].kind, expected[i].first);
    EXPECT_EQ(got[i].cells, expected[i].second);
  }
  // Without the header's blank line nothing is taken for a header.
  EXPECT_EQ(FirstBodyLine({"LOAD", "FA max = 0"}), 0u);
}

TEST(DocumentLayout, VerdictCountsErrorsAndWarningsByTheirPrefixes) {
  struct Case {
    std::vector<std::string> messages;
    const char* verdict;
  };
  const Case cases[] = {
      {{}, "no errors"},
      // A text without a kind reports a failed check.
      {{"Remark without a kind"}, "1 error, 0 warnings"},
      {{"Warning: exz. FK<FKerf2 !"}, "0 errors, 1 warning"},
      {{"Error  : SF < 1 !", "Error  : Sp < 1 !", "Warning: a"}, "2 errors, 1 warning"},
      {{"Fatal  : dK = 0!", "Error  : b", "Warning: c", "Warning: d"}, "1 fatal error, 1 error, 2 warnings"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verdict);
    EXPECT_EQ(VerdictText(CountMessages(c.messages)), c.verdict);
  }
}

// A failed check whose text carries no kind still counts: a joint with one
// never reads "no errors". The data checks without a kind that stop the run
// are fatal, the estimates of a material's values warnings.
TEST(DocumentLayout, VerdictCountsFailedChecksWithoutAKindPrefix) {
  struct Case {
    std::vector<std::string> messages;
    const char* verdict;
  };
  const Case cases[] = {
      {{"p perm. clamp.plate 1 ! (S= 0.45)"}, "1 error, 0 warnings"},
      {{"alternat.stress exc.! (S=0.50)", "alternat.stress! (S=0.70)", "Warning: FSm/F0.2min > 1"},
       "2 errors, 1 warning"},
      {{"yield point override !", "\xE6 tr = 0 !"}, "2 errors, 0 warnings"},
      // A material missing from a table over temperature is estimated from
      // its 20 °C value: a notice; the endurance table's row is a failure.
      {{"mat_b_e.dbf not found !"}, "0 errors, 1 warning"},
      {{"mat_b_re.dbf: 6.8 not found !", "mat_p_e.dbf: S235JR not found !"}, "0 errors, 2 warnings"},
      {{"Error  : mat_b_sa.dbf not found !", "DBF #3 not found."}, "2 errors, 0 warnings"},
      {{"Error: function tan in Unit math"}, "1 error, 0 warnings"},
      {{"dK = 0! (screw head)", "dw = 0! (screw head)", "P = 0 ! "}, "3 fatal errors, 0 errors, 0 warnings"},
      {{"Rm,B = 0 !", "Re,B = 0 !", "beta b,B = 0 !", "p perm. clamp.plate 2 ! (S= 0.85)"},
       "3 fatal errors, 1 error, 0 warnings"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verdict);
    EXPECT_EQ(VerdictText(CountMessages(c.messages)), c.verdict);
  }
}

TEST(DocumentLayout, DrawingScaleIsTheLargestStandardScaleThatFits) {
  struct Case {
    double fit;
    const char* scale;
  };
  const Case cases[] = {
      {1.875, "1:1"}, {2.0, "2:1"},   {1.0, "1:1"},    {0.999, "1:2"}, {0.3, "1:5"},
      {0.05, "1:20"}, {12.0, "10:1"}, {5.0001, "5:1"}, {0, "1:1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fit);
    EXPECT_EQ(DrawingScaleText(StandardDrawingScale(c.fit)), c.scale);
  }
}

using CalculationDocumentTest = AppTest;

std::string PdfText(const std::string& pdf) {
  return ProgramOutput({"pdftotext", "-layout", pdf, "-"});
}

// The File menu's command: the file the user names, the date of the
// program's clock in every header, and the window's own view afterwards.
TEST_F(CalculationDocumentTest, MenuCommandWritesTheChosenFileAndGivesTheWindowItsViewBack) {
  PinClock({2031, 2, 3, 10, 20, 0, 0});
  Sample("null.bq4");
  Thh main;
  DateFormatCode = 1;  // after the start, which takes the system's layout
  const std::vector<std::string> view = CreateDisplayList()->Lines();
  ASSERT_FALSE(view.empty());
  const std::string pdf = dir_ + "/document";  // the extension is added
  Answered([&](auto& s) { s.File(pdf).Ok().Expect("document.pdf has been created"); },
           [&] { main.mi_fileCalcDocumentClick(); });
  EXPECT_EQ(CreateDisplayList()->Lines(), view);
  const std::string text = PdfText(pdf + ".pdf");
  if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
  EXPECT_NE(text.find("03.02.2031"), std::string::npos);
  EXPECT_NE(text.find("page 1 of"), std::string::npos);

  // Cancel in the file dialog writes nothing.
  std::filesystem::remove(pdf + ".pdf");
  Answered([&](auto& s) { s.Cancel(); }, [&] { main.mi_fileCalcDocumentClick(); });
  EXPECT_FALSE(std::filesystem::exists(pdf + ".pdf"));
  UnpinClock();
}

// One decimal sign in one document: the input listing and the report's
// tables both take the configured sign of printed numbers, whatever the
// spreadsheet's sign of table rows is.
TEST_F(CalculationDocumentTest, ListingAndReportTablesShareOneDecimalSign) {
  ReadCalcFile(Sample("hot.bq4"));
  ASSERT_EQ(AbortFlag, 0);
  for (const Word comma : {1, 2}) {
    SCOPED_TRACE(comma);
    DecimalCommaMode = comma;
    DecimalMode = comma == 2 ? 1 : 2;  // the other sign for the spreadsheet
    const std::string pdf = dir_ + "/sign" + std::to_string(comma) + ".pdf";
    ASSERT_TRUE(WriteCalculationDocument(pdf));
    EXPECT_EQ(DecimalMode, comma == 2 ? 1 : 2);  // the setting itself is kept
    const std::string text = PdfText(pdf);
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    const std::string mine = comma == 2 ? "," : ".", other = comma == 2 ? "." : ",";
    EXPECT_NE(text.find("\u00B5G = 0" + mine + "14"), std::string::npos) << text;
    EXPECT_NE(text.find("12" + mine + "00"), std::string::npos) << text;
    EXPECT_EQ(text.find("12" + other + "00"), std::string::npos) << text;
    EXPECT_EQ(text.find("30" + other + "00"), std::string::npos) << text;
  }
}

}  // namespace
