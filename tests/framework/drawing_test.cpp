#include "framework/drawing.h"

#include <gtest/gtest.h>

#include "framework/graph_recorder.h"
#include "graph_test_support.h"

namespace {

using DrawingTest = GraphTest;

TEST(MapColorIndex, CadColoursToPalette) {
  struct Case { Byte cad, palette; };
  const Case cases[] = {{0, 0},  {1, 12}, {2, 14}, {3, 10}, {4, 11}, {5, 9}, {6, 13},
                        {7, 15}, {8, 1},  {15, 8}, {16, 12}, {17, 14}, {255, 9}};
  for (const auto& c : cases) EXPECT_EQ(MapColorIndex(c.cad), c.palette) << int(c.cad);
  EXPECT_EQ(PaletteColour(14), MakeColorRef(255, 255, 0));
  EXPECT_EQ(PaletteColour(99), 0u);
}

TEST_F(DrawingTest, WrappersRecordIntoTheMainWindow) {
  GraphHeader(0, 0, 160, 120);
  GraphSetColorIndex(1);
  GraphLine(0, 0, 1, 1);
  GraphCircle(1, 2, 3);
  GraphArc(0, 0, 0, 360, 1);
  GraphSetLineStyle(2);
  GraphSetTextStyle(1, 0, 2, 3);
  GraphOutText(4, 5, "x");
  GraphSolid(0, 0, 1, 0, 1, 1, 0, 1);
  const TDisplayList expected = {"10;1;1;639;479;0;0;160;120", "11;0", "8;12",      "4;0;0;1;1", "3;1;2;3",
                                 "5;-1;-1;1;1;1;0;1;0",        "11;2", "9;2;3;1;0", "6;4;5;x",   "7;0;0;1;0;1;1;0;1"};
  EXPECT_EQ(List(), expected);
  GraphClear();
  EXPECT_TRUE(List().empty());
  GraphLogo();
  EXPECT_GT(List().size(), 6u);
}

TEST_F(DrawingTest, CurrentFilePath) {
  CurrentDir = "/data";
  CurrentFileName = "joint";
  InputFileExt = "bq4";
  EXPECT_EQ(CurrentFilePath(), "/data/joint.bq4");
  CurrentDir = "/data/";
  EXPECT_EQ(CurrentFilePath(), "/data/joint.bq4");
  FileNameWithPath = 1;
  CurrentFileName = "/x/joint";
  EXPECT_EQ(CurrentFilePath(), "/x/joint.bq4");
  CurrentFileName = "";
  EXPECT_EQ(CurrentFilePath(), "");
}

}  // namespace
