#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include "framework/display_list.h"
#include "framework/drawing.h"
#include "framework/globals.h"
#include "framework/hpgl.h"
#include "framework/init.h"
#include "platform/os.h"

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    HorizontalPixels = 640;
    VerticalPixels = 480;
  }
};

TEST_F(MainWindowTest, IsTheGraphicsWindowAndPrintsItsList) {
  {
    Thh main;
    EXPECT_EQ(&MainGraphWindow(), &main);
    EXPECT_EQ(main.windowTitle().toStdString(), ProgTitle.str());
    EXPECT_EQ(main.width(), 641);  // the configured graphics area
    ASSERT_NE(DisplayList, nullptr);
    PltDir = std::string(BQ4_SOURCE_DIR) + "/data/plt";
    ShowPltImage("tovi-rs");
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_GT(DisplayList->size(), 50u);
    std::string pdf = platform::ProcessTempDir() + "/start.pdf";
    ASSERT_TRUE(main.PrintToPdf(pdf));
    EXPECT_GT(QFileInfo(QString::fromStdString(pdf)).size(), 1000);
  }
  EXPECT_EQ(DisplayList, nullptr);  // freed with the main window
  GraphLine(0, 0, 1, 1);            // drawing afterwards records into a new list
  ASSERT_NE(DisplayList, nullptr);
  EXPECT_EQ(DisplayList->size(), 1u);
}

}  // namespace
