#include "framework/graph_transform.h"

#include <gtest/gtest.h>

#include <array>

#include "framework/graph_recorder.h"
#include "framework/graph_zoom.h"
#include "graph_test_support.h"

namespace {

using GraphTransformTest = GraphTest;

TEST(NInt, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(NInt(2.5L), 2);
  EXPECT_EQ(NInt(3.5L), 4);
  EXPECT_EQ(NInt(-2.5L), -2);
  EXPECT_EQ(NInt(2.4999L), 2);
  EXPECT_EQ(NInt(1e300L), kPixelLimit);
  EXPECT_EQ(NInt(-1e300L), -kPixelLimit);
}

TEST_F(GraphTransformTest, WorldToPixelWithYUpwards) {
  MainGraphWindow().SetWindow(false, false, 0.1L, 0.05L, 0.95L, 0.95L, 0, 0, 36.9L, 32);
  EXPECT_EQ((std::array<int, 4>{ViewX1, ViewY1, ViewX2, ViewY2}), (std::array<int, 4>{64, 24, 608, 456}));
  // The world's corners fall on the view's corners.
  EXPECT_EQ((std::array<int, 5>{PX(0), PX(36.9L), PY(0), PY(32), LY(16)}), (std::array<int, 5>{64, 608, 456, 24, 216}));
}

TEST_F(GraphTransformTest, ZoomRectangleSelectsPartOfTheWorldAndThePrinterScalesTheScreen) {
  MainGraphWindow().SetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  SetScale(320, 240, 640, 480);  // upper right quarter (y counts upwards)
  EXPECT_EQ(VisibleXMin, 32);
  EXPECT_EQ(VisibleYMin, 24);
  EXPECT_EQ(ScaleX, 20);
  EXPECT_EQ(PX(32), 0);
  EXPECT_EQ(PY(48), 0);
  SetScale(5, 5, 5, 100);  // empty: ignored
  EXPECT_EQ(ZoomX1, 320);
  ResetZoom();
  EXPECT_EQ(ScaleX, 10);

  // Printer pixels scale the screen to the page.
  TPrinterPage page{2100, 2970};
  PrintOriginX = 10;  // mm of a 210 mm page width
  PrintOriginY = 21;
  PrintScaleX = 0.5L;
  EXPECT_EQ(PrX(page, 64), 100 + 1050);
  EXPECT_EQ(PrY(page, 48), 210);
  EXPECT_EQ(PrLX(page, 64), 1050);
  EXPECT_EQ(PrLY(page, 48), 2970);
}

TEST(KeyZoom, ZoomAndPanNumbers) {
  const TZoomRect z{0, 0, 640, 480};
  TZoomRect out;
  struct Case { Word key; TZoomRect expected; };
  const Case cases[] = {
      {VkAdd, {54, 40, 586, 440}},      {VkSubtract, {-64, -48, 704, 528}},
      {VkUp, {0, -48, 640, 432}},       {VkDown, {0, 48, 640, 528}},
      {VkPageUp, {0, -240, 640, 240}},  {VkPageDown, {0, 240, 640, 720}},
      {VkLeft, {64, 0, 704, 480}},      {VkRight, {-64, 0, 576, 480}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeyZoom(c.key, z, 1.2L, 0.1L, out), TZoomAction::SetScale) << c.key;
    EXPECT_EQ(out, c.expected) << c.key;
  }
  EXPECT_EQ(KeyZoom(VkEscape, z, 1.2L, 0.1L, out), TZoomAction::Reset);
  EXPECT_EQ(KeyZoom(VkF5, z, 1.2L, 0.1L, out), TZoomAction::Reset);
  EXPECT_EQ(KeyZoom('A', z, 1.2L, 0.1L, out), TZoomAction::None);
  // Endless panning and zooming out stay within the pixel range.
  TZoomRect far = z;
  for (int i = 0; i < 500; ++i) {
    KeyZoom(i % 2 ? VkSubtract : VkPageDown, far, 1.2L, 0.1L, out);
    far = out;
  }
  EXPECT_LE(far.y2, kPixelLimit);
  // A damaged zoom increment keeps the rectangle.
  EXPECT_EQ(KeyZoom(VkAdd, z, 0, 0.1L, out), TZoomAction::SetScale);
  EXPECT_EQ(out, z);
}

// The box's contents fill the window after the zoom, on the plain transform
// and on a wide window that keeps a world unit square.
TEST_F(GraphTransformTest, RubberBandBoxSelectsTheWorldUnderIt) {
  MainGraphWindow().SetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  TZoomRect out;
  // Dragged from lower right to upper left over world (16..32, 24..36).
  ASSERT_TRUE(BoxZoom(320, 240, 160, 120, out));
  EXPECT_EQ(out, (TZoomRect{160, 240, 320, 360}));
  EXPECT_FALSE(BoxZoom(10, 10, 10, 50, out));  // a click without width

  SetCanvasSize(1281, 481);  // twice as wide as the recorded screen
  MainGraphWindow().Header(0, 0, 100, 100);
  const Extended x = 20, y = 30, x2 = 40, y2 = 50;
  ASSERT_TRUE(BoxZoom(PX(x), PY(y2), PX(x2), PY(y), out));
  SetScale(out.x1, out.y1, out.x2, out.y2);
  EXPECT_NEAR(VisibleXMin + VisibleXMax, x + x2, 1);  // the box in the middle of the wide window
  EXPECT_NEAR(VisibleYMin, y, 0.5);
  EXPECT_NEAR(ScaleX * CanvasFactorX, ScaleY * CanvasFactorY, 1e-9);  // still true to scale
  EXPECT_NEAR(PY(y2), PY(y) - (PX(x2) - PX(x)), 2);  // the square box fills the height
}

TEST_F(GraphTransformTest, ADrawingTrueToScaleStandsInTheMiddleOfAnyWindow) {
  MainGraphWindow().SetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  for (const auto& [w, h] : {std::pair{1281, 481}, std::pair{401, 1201}, std::pair{641, 481}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    SetCanvasSize(w, h);
    MainGraphWindow().Header(0, 0, 100, 100);
    EXPECT_NEAR(ScaleX * CanvasFactorX, ScaleY * CanvasFactorY, 1e-9);
    EXPECT_NEAR(PX(50), (w - 1) / 2.0, 2);
    EXPECT_NEAR(PY(50), (h - 1) / 2.0, 2);
  }
}

}  // namespace
