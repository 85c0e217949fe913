#include "framework/forms/graph_window.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLayout>
#include <QPixmap>
#include <QRect>

#include "../../run_program.h"
#include "../../screenshot_dir.h"
#include "../graph_test_support.h"
#include "framework/drawing.h"
#include "framework/graph_transform.h"
#include "framework/graph_zoom.h"
#include "framework/hpgl.h"
#include "platform/os.h"
#include "platform/printer.h"

namespace {

class GraphWindowTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    BackgroundColour = 0xFFFFFF;
    window = std::make_unique<DUdoduvoz>();
    window->Canvas()->setFixedSize(641, 481);
    window->layout()->activate();
    ASSERT_EQ(window->Canvas()->width(), 641);
  }
  QImage Grab() { return window->Canvas()->grab().toImage(); }
  static bool IsColour(const QImage& img, int x, int y, QColor c) {
    return img.pixelColor(x, y).rgb() == c.rgb();
  }
  // The box around the pixels of one colour.
  static QRect BoxOf(const QImage& img, QColor c) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (IsColour(img, x, y, c)) r |= QRect(x, y, 1, 1);
    return r;
  }
  std::unique_ptr<DUdoduvoz> window;
};

TEST_F(GraphWindowTest, ReplayDrawsWhereTheRecordsSay) {
  GraphSetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  GraphSetColor(12);
  GraphLine(0, 24, 64, 24);  // y pixel 240
  GraphSetColor(9);
  GraphSolid(40, 30, 50, 30, 50, 40, 40, 40);  // pixels 400..500 by 80..180
  GraphSetColor(10);
  GraphCircle(16, 12, 5);  // centre (160, 360), radius 50
  GraphSetColor(1);
  GraphSetTextStyle(2, 0, 2, 2);
  GraphOutText(2, 40, "BQ4 Bolted Joint");
  GraphSetColor(13);
  GraphArc(48, 12, 0, 180, 5);  // upper half about (480, 360)
  QImage img = Grab();
  EXPECT_TRUE(IsColour(img, 100, 240, QColor(255, 0, 0)));
  EXPECT_TRUE(IsColour(img, 100, 230, Qt::white));
  EXPECT_TRUE(IsColour(img, 450, 130, QColor(0, 0, 255)));
  EXPECT_TRUE(IsColour(img, 160, 360, Qt::white));  // circles are not filled
  bool edge = false;
  for (int dx = -2; dx <= 2; ++dx) edge |= IsColour(img, 210 + dx, 360, QColor(0, 255, 0));
  EXPECT_TRUE(edge);
  bool upper = false, lower = false;
  for (int dy = -2; dy <= 2; ++dy) {
    upper |= IsColour(img, 480, 310 + dy, QColor(255, 0, 255));
    lower |= IsColour(img, 480, 410 + dy, QColor(255, 0, 255));
  }
  EXPECT_TRUE(upper);
  EXPECT_FALSE(lower);
  int textPixels = 0;
  for (int y = 50; y < 100; ++y)
    for (int x = 20; x < 300; ++x) textPixels += IsColour(img, x, y, QColor(0, 0, 128));
  EXPECT_GT(textPixels, 50);
}

// Texts are laid out once and kept: the same text in another size, colour
// or direction is drawn as that asks, and a repaint draws the same pixels.
TEST_F(GraphWindowTest, KeptTextLayoutsFollowSizeColourAndDirection) {
  GraphSetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  GraphSetColor(1);
  GraphSetTextStyle(2, 0, 1.5L, 1.5L);
  GraphOutText(2, 44, "Joint");
  GraphSetColor(12);
  GraphSetTextStyle(2, 0, 3, 3);
  GraphOutText(2, 30, "Joint");
  GraphSetColor(10);
  GraphSetTextStyle(2, 90, 3, 3);
  GraphOutText(50, 10, "Joint");
  const QImage first = Grab();
  window->Canvas()->repaint();
  EXPECT_EQ(Grab(), first);
  auto box = [&](QColor c) { return BoxOf(first, c); };
  const QRect small = box(QColor(0, 0, 128)), large = box(QColor(255, 0, 0)), turned = box(QColor(0, 255, 0));
  ASSERT_FALSE(small.isEmpty() || large.isEmpty() || turned.isEmpty());
  EXPECT_NEAR(double(large.width()) / small.width(), 2.0, 0.3);
  EXPECT_NEAR(double(large.height()) / small.height(), 2.0, 0.4);
  EXPECT_LT(small.bottom(), large.top());
  EXPECT_GT(turned.height(), turned.width());  // written upwards
  EXPECT_NEAR(turned.height(), large.width(), 3);
}

// A text ends within its box, its characters times the font's average
// width, however wide its letters: twenty "W"s fitted to a cell stay in it,
// upright and turned; a text of narrow letters is drawn as it is.
TEST_F(GraphWindowTest, WideLettersStayInTheTextsBox) {
  GraphSetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  GraphSetTextStyle(2, 0, 2, 1);
  GraphSetColor(12);
  GraphOutText(2, 40, std::string(20, 'W'));
  GraphSetColor(10);
  GraphOutText(2, 30, std::string(20, 'i'));
  GraphSetColor(9);
  GraphSetTextStyle(2, 90, 2, 1);
  GraphOutText(60, 2, std::string(20, 'W'));
  const QImage img = Grab();
  auto box = [&](QColor c) { return BoxOf(img, c); };
  // 20 characters of 1.1 * 0.8 world units at 10 pixels a unit.
  const double pixels = 641.0 / 64 * 20 * 1.1 * GraphicsTextSize;
  const QRect wide = box(QColor(255, 0, 0)), narrow = box(QColor(0, 255, 0)), turned = box(QColor(0, 0, 255));
  ASSERT_FALSE(wide.isEmpty() || narrow.isEmpty() || turned.isEmpty());
  EXPECT_LE(wide.width(), pixels + 2);
  EXPECT_GT(wide.width(), 0.8 * pixels);
  EXPECT_LE(turned.height(), pixels + 2);
  EXPECT_LT(narrow.width(), 0.6 * pixels);  // narrow letters are not stretched
}

// On square pixels a world unit is as long in x as in y, whatever the
// window's shape, and the drawing fits the window again after a resize.
TEST_F(GraphWindowTest, CirclesStayRoundAndFitTheWindow) {
  GraphHeader(0, 0, 100, 100);
  GraphSetColor(10);
  GraphCircle(50, 50, 40);
  const struct {
    int w, h;
  } sizes[] = {{1001, 401}, {401, 801}, {641, 481}};
  for (const auto& size : sizes) {
    window->Canvas()->setFixedSize(size.w, size.h);
    window->layout()->activate();
    QImage img = Grab();
    int x1 = img.width(), x2 = -1, y1 = img.height(), y2 = -1;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (IsColour(img, x, y, QColor(0, 255, 0))) {
          x1 = std::min(x1, x), x2 = std::max(x2, x);
          y1 = std::min(y1, y), y2 = std::max(y2, y);
        }
    SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
    ASSERT_GE(x2, 0);
    EXPECT_NEAR(x2 - x1, y2 - y1, 1);
    // 80 of the 100 units across the shorter side
    EXPECT_NEAR(x2 - x1, 0.8 * (std::min(size.w, size.h) - 3), 3);
  }
}

TEST_F(GraphWindowTest, KeysAndMouseZoomTheView) {
  GraphSetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  window->processKey(VkAdd);
  EXPECT_EQ(ZoomX1, 54);
  EXPECT_EQ(ZoomY2, 440);
  window->processKey('Q');
  EXPECT_EQ(ZoomX1, 54);
  window->processKey(VkEscape);
  EXPECT_EQ(ZoomX1, 0);

  std::size_t records = List().size();
  window->FormMouseDown(Qt::LeftButton, {}, 100, 100);  // a click without movement
  window->FormMouseUp(Qt::LeftButton, {}, 100, 100);
  EXPECT_EQ(ZoomX2, 640);
  window->FormMouseDown(Qt::LeftButton, {}, 320, 240);
  window->FormMouseMove({}, 160, 120);
  EXPECT_TRUE(window->Dragging);
  window->FormMouseUp(Qt::LeftButton, {}, 160, 120);
  EXPECT_FALSE(window->Dragging);
  EXPECT_EQ(ZoomX1, 160);  // 160 / 641 of the client width
  EXPECT_EQ(ZoomY1, 240);
  EXPECT_EQ(List().size(), records);  // zooming never changes the list
  window->FormMouseDown(Qt::RightButton, {}, 1, 1);
  EXPECT_EQ(ZoomX1, 0);
  EXPECT_EQ(ZoomX2, 640);

  Word key = DUdoduvoz::VirtualKey(Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(key, VkAdd);
  window->FormKeyDown(key, Qt::KeypadModifier);
  EXPECT_EQ(ZoomX1, 54);
  window->FormDblClick();
  window->FormMouseDown(Qt::LeftButton, {}, 5, 5);  // a double click restores the whole picture
  EXPECT_EQ(ZoomX1, 0);
  EXPECT_FALSE(window->DoubleClicked);
}

TEST_F(GraphWindowTest, WaitsAnimateStepByStep) {
  GraphSetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  GraphSetColor(12);
  GraphLine(0, 24, 64, 24);
  window->SleepMs(30);
  GraphLine(0, 12, 64, 12);
  GraphSetWindow(false, false, 0, 0, 1, 1, 0, 0, 32, 24);
  QImage first = Grab();
  EXPECT_EQ(WorldXMax, 32);  // the paused replay keeps the state of the whole list
  EXPECT_TRUE(IsColour(first, 100, 240, QColor(255, 0, 0)));
  EXPECT_TRUE(IsColour(first, 100, 360, Qt::white));
  EXPECT_TRUE(window->AnimationRunning());
  QElapsedTimer t;
  t.start();
  while (window->AnimationRunning() && t.elapsed() < 5000) QCoreApplication::processEvents();
  QImage second = Grab();
  EXPECT_TRUE(IsColour(second, 100, 360, QColor(255, 0, 0)));
  EXPECT_EQ(window->AnimatedRecords(), List().size());
  GraphClear();
  EXPECT_EQ(window->AnimatedRecords(), 0u);
}

TEST_F(GraphWindowTest, PrintsIntoAPdfFile) {
  GraphHeader(0, 0, 160, 120);
  GraphLine(0, 0, 160, 120);
  GraphOutText(10, 10, "print");
  std::string pdf = platform::ProcessTempDir() + "/graph.pdf";
  ASSERT_TRUE(window->PrintToPdf(pdf));
  EXPECT_GT(QFileInfo(QString::fromStdString(pdf)).size(), 500);
  EXPECT_FALSE(PrintingGraphics);
  EXPECT_FALSE(window->PrintToPdf("/nonexistent-dir/x.pdf"));

  // A print job of the program's printer: FormPaint replays onto its page.
  platform::PrintChoice choice;
  choice.outputFile = platform::ProcessTempDir() + "/job.pdf";
  platform::SetPrinterChoice(choice);
  ASSERT_TRUE(platform::BeginPrinterDocument("graphics"));
  PrintingGraphics = true;
  window->FormPaint();
  PrintingGraphics = false;
  EXPECT_TRUE(platform::EndPrinterDocument());
  EXPECT_GT(QFileInfo(QString::fromStdString(choice.outputFile)).size(), 500);
  platform::ResetPrinter();
}

// A stored text shows its characters as the dialogs and files show them:
// the message "Φen = 0 !" (code page 437) is no "Ðen" on the screen or its print.
TEST_F(GraphWindowTest, StoredTextsShowTheirOwnCharacters) {
  if (!ProgramSucceeds({"sh", "-c", "command -v pdftotext"})) GTEST_SKIP() << "pdftotext is not installed";
  GraphHeader(0, 0, 160, 120);
  GraphSetTextStyle(2, 0, 3, 3);
  GraphOutText(8, 98, "Fatal  : \xE8" "en = 0 !");
  GraphOutText(8, 90, "\xE6G = 0,125  \xF8" "C  Gr\x94\xE1" "e");
  const std::string pdf = platform::ProcessTempDir() + "/messages.pdf";
  ASSERT_TRUE(window->PrintToPdf(pdf));
  const std::string text = platform::ProcessTempDir() + "/messages.txt";
  ASSERT_EQ(RunProgram({"pdftotext", "-enc", "UTF-8", pdf, text}), 0);
  std::ifstream in(text);
  const std::string shown((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(shown.find("Fatal : \u03A6en = 0 !"), std::string::npos) << shown;
  EXPECT_NE(shown.find("\u00B5G = 0,125 \u00B0C Gr\u00F6\u00DFe"), std::string::npos) << shown;
}

// The shipped pictures are the HP-GL fuzz target's seeds: each plays
// without fault and records only records that read back.
TEST_F(GraphWindowTest, StartPicturePlaysInTheWindow) {
  PltDir = std::string(BQ4_SOURCE_DIR) + "/data/plt";
  ShowPltImage("tovi-rs");
  EXPECT_EQ(AbortFlag, 0);
  QImage img = Grab();
  img.save(QString::fromStdString(ScreenshotDir() + "/bq4_start_picture.png"));
  // The start picture's frame, 2 mm inside the 160 x 120 mm picture area.
  EXPECT_TRUE(IsColour(img, 9, 240, QColor(0, 0, 255)));
  // Zoomed in twice about the centre, the frame has left the window.
  window->processKey(VkAdd);
  window->processKey(VkAdd);
  img = Grab();
  img.save(QString::fromStdString(ScreenshotDir() + "/bq4_start_picture_zoomed.png"));
  EXPECT_FALSE(IsColour(img, 9, 240, QColor(0, 0, 255)));
}

}  // namespace
