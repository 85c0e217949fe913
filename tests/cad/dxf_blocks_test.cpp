#include "cad/dxf_blocks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "cad/cad_output.h"
#include "cad_test_support.h"
#include "framework/calc_messages.h"
#include "framework/display_list.h"
#include "framework/line_io.h"
#include "framework/message_box.h"

namespace {

class DxfBlocksTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    TraceMessagesOn = 0;  // trace messages are hidden: no dialog to answer
    CadState.CadDevice = kCadListing;
    CadState.CadFileName = Dir() + "/out.txt";
    TextFileVar.Assign(CadState.CadFileName);
    ASSERT_TRUE(TextFileVar.Rewrite());
  }

  // Writes a block file from pairs given as "code", "value", ...
  void Block(const std::string& name, std::initializer_list<const char*> pairs) {
    std::ofstream out(CadBlockFileName(name), std::ios::binary);
    for (const char* p : pairs) out << p << "\r\n";
  }

  // Replays the block at the origin and returns the listing lines it made.
  std::vector<std::string> Replay(const std::string& name, Extended x = 0, Extended y = 0,
                                  Extended angle = 0, Extended xs = 1, Extended ys = 1) {
    ResetInsertTransform();
    ReadDxfBlockFile(name, x, y, angle, xs, ys);
    TextFileVar.Close();
    return ReadLines(CadState.CadFileName);
  }
};

TEST_F(DxfBlocksTest, LayersReadBackAsColoursAndALineWithoutLayerIsColourZero) {
  CadState.CadLayerNames[5] = "VISIBLE";
  for (const auto& [layer, colour] : {std::pair{"VISIBLE", 5}, {"0", 0}, {"19", 19}, {"WALLS", 0}, {"-4", 0}})
    EXPECT_EQ(LayerToColor(layer), colour) << layer;
  Block("C", {"  0", "CIRCLE", "  8", "3", " 40", "1", "  0", "LINE", " 11", "1",
              "  0", "CIRCLE", " 40", "1", "  0", "EOF"});
  CadSetColor(7);
  ResetInsertTransform();
  ReadDxfBlockFile("C", 0, 0, 0, 1, 1);
  // The last circle carries no layer: it keeps the colour of the line before it.
  EXPECT_EQ(CadState.CadColor, 0);
}

TEST_F(DxfBlocksTest, EntitiesAreMappedByPointAngleAndScales) {
  CadState.CadDecimals = 1;
  Block("B", {"  0", "LINE", "  8", "5", " 10", "10", " 20", "0", " 11", "10", " 21", "5",
              "  0", "CIRCLE", " 10", "0", " 20", "0", " 40", "3",
              "  0", "ARC", " 10", "0", " 20", "0", " 40", "1", " 50", "0", " 51", "90",
              "  0", "SOLID", " 10", "0", " 20", "0", " 11", "1", " 21", "0", " 12", "1", " 22",
              "1", " 13", "0", " 23", "1", "  0", "EOF"});
  // (10, 0) scaled by 2 and turned by 90 degrees lies 20 above the insertion point.
  EXPECT_EQ(Replay("B", 100, 50, 90, 2, 1),
            (std::vector<std::string>{"LINE\t100.0\t70.0\t95.0\t70.0", "CIRCLE\t100.0\t50.0\t6.0",
                                      "ARC\t100.0\t50.0\t2.0\t90.0\t180.0",
                                      "SOLID\t100.0\t50.0\t100.0\t52.0\t99.0\t52.0\t99.0\t50.0"}));
  EXPECT_EQ(CadState.CadInsertLevel, 0);
}

TEST_F(DxfBlocksTest, TextIsScaledAndTurnedWithTheInsert) {
  Block("T", {"  0", "TEXT", "  8", "0", " 10", "0", " 20", "0", " 40", "4", "  1", "M12",
              " 41", "0.5", " 50", "10", " 51", "0", "  0", "EOF"});
  EXPECT_EQ(Replay("T", 0, 0, 30, 1, 0.5L), (std::vector<std::string>{"TEXT\t0.000000\t0.000000\tM12"}));
  EXPECT_EQ(CadState.CadTextHeight, 2);
  EXPECT_EQ(CadState.CadTextAngle, 40);
  EXPECT_NEAR(static_cast<double>(CadState.CadTextWidthFactor), 1.0, 1e-12);
}

TEST_F(DxfBlocksTest, PolylinesWithBulgesAndClosingSegment) {
  CadState.CadDecimals = 1;
  Block("P", {"  0", "POLYLINE", "  8", "0", " 66", "1", " 70", "1",
              "  0", "VERTEX", " 10", "0", " 20", "0", " 42", "1",
              "  0", "VERTEX", " 10", "10", " 20", "0",
              "  0", "VERTEX", " 10", "10", " 20", "10",
              "  0", "SEQEND", "  0", "LINE", " 11", "1", "  0", "EOF"});
  // Bulge 1: the lower half circle from (0, 0) to (10, 0) about (5, 0), counter-clockwise.
  EXPECT_EQ(Replay("P"), (std::vector<std::string>{"ARC\t5.0\t0.0\t5.0\t180.0\t0.0", "LINE\t10.0\t0.0\t10.0\t10.0",
                                                   "LINE\t10.0\t10.0\t0.0\t0.0", "LINE\t0.0\t0.0\t1.0\t0.0"}));
}

TEST_F(DxfBlocksTest, NestedInsertsAreFollowedToFourLevelsAndNoDeeper) {
  CadState.CadDecimals = 0;
  Block("L1", {"  0", "INSERT", "  2", "L2", " 10", "1", "  0", "EOF"});
  Block("L2", {"  0", "INSERT", "  2", "L3", " 10", "1", "  0", "EOF"});
  Block("L3", {"  0", "LINE", " 11", "1", "  0", "EOF"});
  auto lines = Replay("L1", 10, 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"LINE\t12\t0\t13\t0"}));

  // A block that inserts itself stops after four levels instead of ending the program.
  TextFileVar.Rewrite();
  Block("SELF", {"  0", "LINE", " 11", "1", "  0", "INSERT", "  2", "SELF", " 10", "1",
                 "  0", "EOF"});
  lines = Replay("SELF");
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CadState.CadInsertLevel, 0);
}

TEST_F(DxfBlocksTest, MissingBlockFileIsReported) {
  // Left out and noted by name; the rest of the block around it is drawn.
  CadState.CadDecimals = 0;
  Block("AROUND", {"  0", "INSERT", "  2", "NONE", "  0", "LINE", " 11", "4", "  0", "EOF"});
  EXPECT_EQ(Replay("AROUND"), (std::vector<std::string>{"LINE\t0\t0\t4\t0"}));
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CalcMessages.texts[1].str(), "Invalid temp directory");
  EXPECT_NE(MissingBlocksText().find("Block \"NONE\" is missing"), std::string::npos);
  ForgetMissingBlocks();
}

TEST_F(DxfBlocksTest, StrayEntitiesAndDamagedPairsAreSkipped) {
  CadState.CadDecimals = 0;
  // A polyline without a vertex is dropped and the reading goes on.
  Block("Q", {"  0", "POLYLINE", " 70", "0", "  0", "LINE", " 11", "3", "  0", "EOF"});
  EXPECT_EQ(Replay("Q"), (std::vector<std::string>{"LINE\t0\t0\t3\t0"}));
  TextFileVar.Rewrite();
  Block("S", {"  0", "VERTEX", " 10", "5", "  0", "SEQEND", "abc", "LINE", " 10", "x1",
              "  0", "LINE", " 11", "2", " 21"});  // the last value line is missing
  EXPECT_EQ(Replay("S"), (std::vector<std::string>{"LINE\t0\t0\t2\t0"}));
}

// A block's filled areas with a corner that is no number or lies beyond any
// sheet are left out, on every device: on the screen they filled the whole
// view. The good ones around them are drawn.
TEST_F(DxfBlocksTest, FilledAreasWithAbsurdCornersAreLeftOut) {
  CadState.CadDecimals = 0;
  Block("F", {"  0", "SOLID", " 10", "1e308", " 20", "0", " 11", "5", " 21", "0", " 12", "0", " 22", "5",
              "  0", "SOLID", " 10", "0", " 20", "-1e308", " 11", "5", " 21", "0", " 12", "0", " 22", "5",
              "  0", "SOLID", " 10", "1", " 20", "2", " 11", "5", " 21", "2", " 12", "1", " 22", "6",
              "  0", "EOF"});
  const auto listed = Replay("F");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].rfind("SOLID\t1\t2\t5\t2\t1\t6", 0), 0u) << listed[0];
  // Drawn straight, too, and a corner that is no number.
  TextFileVar.Rewrite();
  CadSolid(0, 0, NAN, 1, 2, 2, 0, 0);
  CadSolid(0, 0, 1, HUGE_VALL, 2, 2, 0, 0);
  CadSolid(0, 0, 1e300L, 1, 2, 2, 0, 0);
  TextFileVar.Close();
  EXPECT_TRUE(ReadLines(CadState.CadFileName).empty());
}

}  // namespace
