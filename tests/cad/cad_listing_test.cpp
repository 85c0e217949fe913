#include "cad/cad_listing.h"

#include <gtest/gtest.h>

#include "cad_test_support.h"

namespace {

class CadListingTest : public CadTest {
 protected:
  std::vector<std::string> Draw(void (*body)()) {
    StartDrawing(kCadListing);
    body();
    CadClose(0);
    return ReadLines(Dir() + "/drawing.lst");
  }
};

// The golden sample below holds the plain format.
TEST_F(CadListingTest, NumbersTakeTheDecimalSignAndTextsKeepTheFields) {
  DecimalCommaMode = 2;
  const auto lines = Draw([] {
    CadBeginEntities();
    CadLine(0, 0, 10, 5);
  });
  EXPECT_EQ(lines.at(2), "LINE\t0,000000\t0,000000\t10,000000\t5,000000");
  // Tabs and line breaks in texts do not split fields.
  CadState.CadDecimals = 0;
  const auto texts = Draw([] {
    CadBeginEntities();
    CadText("a\tb\nc", 1, 2);
  });
  EXPECT_EQ(texts.at(2), "TEXT\t1\t2\ta b c");
}

// Numbers beyond 1e15 are written in their shortest exponent form, which
// reads back as the value, not as a thousand digits (1e999); smaller ones
// keep the fixed form.
TEST_F(CadListingTest, HugeNumbersTakeTheExponentForm) {
  CadState.CadDecimals = 2;
  const auto lines = Draw([] {
    CadBeginEntities();
    CadLine(1e999L, -2.5e20L, 123456789012345.0L, 0);
  });
  EXPECT_EQ(lines.at(2), "LINE\t1E+999\t-2.5E+20\t123456789012345.00\t0.00");
  DecimalCommaMode = 2;
  EXPECT_EQ(Draw([] {
              CadBeginEntities();
              CadCircle(1.25e16L, 0, 1);
            }).at(2),
            "CIRCLE\t1,25E+16\t0,00\t1,00");
}

// The golden sample holds texts, solids and a turned insert; the origin is shared by every device.
TEST_F(CadListingTest, BlockAndInsertComeInCallOrder) {
  CadState.CadDecimals = 1;
  const auto lines = Draw([] {
    CadBeginBlocks();
    CadBeginBlock("B");
    CadArc(1, 1, 0, 360, 2);
    CadArc(1, 1, 0, 90, 2);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("B", 5, 5, 30, 1, 2);
    CadEndSection();
  });
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "MINMAX\t0.0\t0.0\t160.0\t120.0", "SECTION BLOCKS", "BLOCK\tB",
                       "CIRCLE\t1.0\t1.0\t2.0", "ARC\t1.0\t1.0\t2.0\t0.0\t90.0", "END OF BLOCK",
                       "SECTION ENTITIES", "INSERT\tB\t5.0\t5.0\t30.0\t1.0\t2.0", "EOF"}));
}

TEST_F(CadListingTest, SampleDrawingMatchesItsGoldenFile) {
  DrawSample(kCadListing);
  ASSERT_EQ(AbortFlag, 0);
  ExpectGolden(Dir() + "/drawing.lst", "sample.txt");
}

}  // namespace
