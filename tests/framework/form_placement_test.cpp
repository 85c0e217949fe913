#include "framework/form_placement.h"

#include <gtest/gtest.h>

#include "framework/globals.h"
#include "framework/init.h"
#include "output_test_support.h"

namespace {

using FormPlacementTest = FrameworkTest;

TEST_F(FormPlacementTest, FormIsScaledAndCentredTwentyPixelsLowAndThePictureWindowKeepsItsPlace) {
  InputWindowScale = 120;
  FormRect r = ScaleCenterRect({0, 0, 400, 300}, {10, 10, 800, 600});
  EXPECT_EQ(r.width, 480);
  EXPECT_EQ(r.height, 360);
  EXPECT_EQ(r.left, 170);
  EXPECT_EQ(r.top, 150);
  // A larger form sits at the main window's left edge.
  InputWindowScale = 100;
  r = ScaleCenterRect({0, 0, 1000, 900}, {10, 30, 800, 600});
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 50);
  // The picture window keeps its place and scales.
  InputWindowScale = 50;
  PicWindowLeft = 7;
  PicWindowTop = 9;
  r = PictureWindowRect({100, 100, 400, 300});
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.top, 9);
  EXPECT_EQ(r.width, 200);
}

}  // namespace
