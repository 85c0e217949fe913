// The main window's placement: the configured drawing area at the screen's
// corner in the background colour, with the application's hints switched on
// for a long hide pause.
#include "framework/forms/placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>
#include <QWidget>

#include "framework/globals.h"
#include "platform/application.h"

namespace {

TEST(FullScreenGraphFormTest, FillsTheDrawingAreaAndSwitchesTheHintsOnForALongPause) {
  const Word keptH = HorizontalPixels, keptV = VerticalPixels;
  HorizontalPixels = 399;
  VerticalPixels = 299;
  platform::SetApplicationHints(false, 0);
  ASSERT_FALSE(platform::ApplicationShowHint());
  QWidget form;
  form.move(50, 60);
  FullScreenGraphForm(form, 0x102030);
  EXPECT_EQ(form.size(), QSize(400, 300));
  EXPECT_EQ(form.pos(), QPoint(0, 0));
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0x10, 0x20, 0x30));
  EXPECT_TRUE(platform::ApplicationShowHint());
  EXPECT_EQ(platform::ApplicationHintHidePause(), 100000);
  // A widget's hint is shown; with hints off it is not.
  auto* label = new QLabel("x", &form);
  label->setToolTip("a hint");
  form.show();
  QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), label->mapToGlobal(QPoint(1, 1)));
  QApplication::sendEvent(label, &help);
  EXPECT_EQ(QToolTip::text(), "a hint");
  platform::SetApplicationHints(false, 100000);
  label->setToolTip("another hint");
  QHelpEvent again(QEvent::ToolTip, QPoint(1, 1), label->mapToGlobal(QPoint(1, 1)));
  QApplication::sendEvent(label, &again);
  EXPECT_NE(QToolTip::text(), "another hint");
  // Setting the colour again leaves size and place alone.
  form.resize(200, 100);
  SetFormColour(form, 0xFF0000);
  EXPECT_EQ(form.size(), QSize(200, 100));
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(255, 0, 0));
  platform::SetApplicationHints(true, -1);
  HorizontalPixels = keptH;
  VerticalPixels = keptV;
}

}  // namespace
