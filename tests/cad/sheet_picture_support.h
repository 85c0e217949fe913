// A drawing rendered in the graphics window off screen and saved as a PNG
// for a look by eye (folder of the test process, or BQ4_DRAWING_PICTURES).
// Include after the other headers: Qt's keyword macros would clash with the
// message list's fields.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <QImage>

#include "framework/forms/graph_window.h"
#include "framework/globals.h"
#include "platform/os.h"

// Draws into a graphics window of width x height pixels, checks that the
// picture shows at least minInk sampled pixels off the background, and
// saves it as name + ".png".
inline void SaveWindowPicture(int width, int height, const std::function<void()>& draw,
                              const std::string& name, int minInk) {
  HorizontalPixels = static_cast<Word>(width);
  VerticalPixels = static_cast<Word>(height);
  DUdoduvoz window;
  window.Canvas()->setFixedSize(width, height);
  window.resize(width, height);
  draw();
  const QImage image = window.Canvas()->grab().toImage();
  int ink = 0;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) ink += image.pixelColor(x, y) != image.pixelColor(0, 0);
  EXPECT_GT(ink, minInk) << name << " shows too little";
  std::string dir = platform::GetEnvironment("BQ4_DRAWING_PICTURES");
  if (dir.empty()) dir = platform::ProcessTempDir();
  EXPECT_TRUE(image.save(QString::fromStdString(dir + "/" + name + ".png")));
}
