#include "framework/display_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

#include "framework/graph_recorder.h"
#include "framework/graph_support.h"
#include "framework/graph_transform.h"
#include "framework/number_format.h"
#include "graph_test_support.h"

namespace {

class DisplayListTest : public GraphTest {
 protected:
  TGraphRecorder& w = MainGraphWindow();
};

TEST(GraphFloatText, GeneralFormatWithEightSignificantDigits) {
  struct Case { long double v; const char* text; };
  const Case cases[] = {
      {0, "0"},           {-0.0L, "0"},          {10, "10"},
      {2.5L, "2.5"},      {-2.5L, "-2.5"},       {1.0L / 3, "0.33333333"},
      {12345678, "12345678"}, {123456789, "1.2345679E8"}, {99999999.5L, "1E8"},
      {0.00001L, "0.00001"}, {0.000001L, "1E-6"}, {1.5e-7L, "1.5E-7"},
      {1e20L, "1E20"},    {1234.5678901L, "1234.5679"}, {100, "100"},
  };
  for (const auto& c : cases) EXPECT_EQ(GraphFloatText(c.v), c.text) << double(c.v);
  // and reads back what it writes
  for (long double v : {3.14159265358979L, -1e-9L, 6.02e23L, 0.1L, 640.0L}) {
    Extended back = 0;
    ASSERT_TRUE(TryTextToFloat(GraphFloatText(v), back));
    EXPECT_NEAR(double(back), double(v), std::fabs(double(v)) * 1e-7);
  }
}

// The drawing test has the records of the other primitives.
TEST_F(DisplayListTest, EachPrimitiveWritesItsRecord) {
  w.circle(10, 20, 2.5L);
  w.SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  w.line(1.5L, -2, 3, 4);
  w.OutTextXY(1, 2, "a;b");
  w.SleepMs(250);
  w.SleepMs(250);
  w.Rectangle(0, 0, 2, 1);  // four lines
  const TDisplayList expected = {"3;10;20;2.5",  "10;0;0;640;480;0;0;100;50",
                                 "4;1.5;-2;3;4", "6;1;2;a;b",
                                 "13;250",       "13;250",
                                 "4;0;0;2;0",    "4;2;0;2;1",
                                 "4;2;1;0;1",    "4;0;1;0;0"};
  EXPECT_EQ(List(), expected);
}

TEST_F(DisplayListTest, CachesKeepRepeatedStylesOut) {
  w.SetColor(5);
  w.SetColor(5);
  w.SetColor(17);  // beyond the palette
  w.SetColor(16);
  w.SetLineStyle(2);
  w.SetLineStyle(2);
  w.SetLineWidth(1);  // the start value
  w.SetLineWidth(3);
  w.SetLineWidth(3);
  const TDisplayList expected = {"8;5", "8;16", "11;2", "12;3"};
  EXPECT_EQ(List(), expected);
  EXPECT_EQ(w.GetColor(), 16);

  // A replay resets the style caches, so the same values record again.
  w.ResetStyleCaches();
  w.SetLineStyle(2);
  w.SetLineWidth(3);
  w.SetColor(16);  // the colour cache survives a replay
  EXPECT_EQ(List(), (TDisplayList{"8;5", "8;16", "11;2", "12;3", "11;2", "12;3"}));

  // Clear forgets the last colour and style too: the replay of the new list
  // starts from its defaults.
  w.Clear();
  EXPECT_TRUE(List().empty());
  w.SetColor(16);
  w.SetLineStyle(2);
  EXPECT_EQ(List(), (TDisplayList{"8;16", "11;2"}));
}

TEST_F(DisplayListTest, LineStyleNamesAndColourNumbers) {
  struct Case { const char* name; Word style; };
  const Case cases[] = {{"DOTTED", 1}, {"PUNKT", 1}, {"CENTER", 2}, {"DASHDOT", 2},
                        {"STRICHPUNKT", 2}, {"DASHED", 3}, {"HIDDEN", 3}, {"VERDECKT", 3},
                        {"CONTINUOUS", 0}, {"", 0}};
  for (const auto& c : cases) {
    w.SetLineStyleName(c.name);
    EXPECT_EQ(w.LineStyle, c.style) << c.name;
  }
  w.SetColorAcad(1);
  EXPECT_EQ(w.GetColor(), 12);
  EXPECT_EQ(TGraphRecorder::GetColorTurbo(17), 14);
}

TEST_F(DisplayListTest, ShortArcsAreLinesAndFullTurnsAreCircles) {
  w.Arc(0, 0, 10, 13, 2);  // 3 degrees
  w.Arc(0, 0, 2, -2, 1);   // 356 degrees
  w.Arc(5, 5, 0, 360, 1);  // a whole turn
  ASSERT_EQ(List().size(), 3u);
  TGraphRecord r;
  ASSERT_TRUE(ParseGraphRecord(List()[0], r));
  EXPECT_EQ(r.code, gcLine);
  EXPECT_NEAR(double(r.v[0]), 2 * std::cos(10 * M_PI / 180), 1e-7);
  EXPECT_NEAR(double(r.v[3]), 2 * std::sin(13 * M_PI / 180), 1e-7);

  ASSERT_TRUE(ParseGraphRecord(List()[1], r));
  EXPECT_EQ(r.code, gcArc);
  EXPECT_EQ(List()[1].substr(0, 13), "5;-1;-1;1;1;0");
  EXPECT_NEAR(double(r.v[5]), std::sin(2 * M_PI / 180), 1e-7);
  EXPECT_NEAR(double(r.v[7]), -std::sin(2 * M_PI / 180), 1e-7);

  EXPECT_EQ(List()[2], "5;4;4;6;6;6;5;6;5");
}

// Keeping the aspect gives equal scales; a header sets the aspect factor and
// saves the limits; an empty world window is recorded and aborts.
TEST_F(DisplayListTest, WindowScalesHeaderLimitsAndEmptyWorld) {
  w.SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  EXPECT_EQ(ScaleX, ScaleY);
  EXPECT_NEAR(double(ScaleX), 6.4, 1e-12);
  w.SetWindow(false, false, 0, 0, 1, 1, 0, 0, 100, 50);
  EXPECT_NEAR(double(ScaleY), 9.6, 1e-12);

  w.SetWindow(false, false, 0, 0, 1, 1, 0, 0, 320, 480);
  w.Header(0, 0, 160, 120);
  EXPECT_NEAR(double(AspectFactor), 2.0, 1e-12);
  EXPECT_EQ(SavedXMax, 160);
  EXPECT_EQ(List()[3], "10;1;1;639;479;0;0;160;120");
  EXPECT_EQ(List()[4], "11;0");
  w.SetWindow(false, false, 0, 0, 1, 1, 0, 0, 1, 1);
  w.RestoreLimit();
  EXPECT_EQ(WorldXMax, 160);
  EXPECT_TRUE(KeepAspect);

  const Extended sx = ScaleX;
  w.SetWindow(false, true, 0, 0, 1, 1, 5, 0, 5, 50);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(List().back(), "10;1;1;639;479;5;0;5;50");
  EXPECT_EQ(ScaleX, sx);
}

TEST(ParseGraphRecord, DamagedRecordsAreRejected) {
  TGraphRecord r;
  for (const char* bad : {"", "4", ";", "x;1;2", "4;1;2;3", "4;a;b;c;d", "3;1;;2", "8;", "8;x",
                          "10;0;0;640", "9;1;2;3"}) {
    EXPECT_FALSE(ParseGraphRecord(bad, r)) << bad;
  }
  EXPECT_TRUE(ParseGraphRecord("1;10;20;0", r));
  EXPECT_TRUE(ParseGraphRecord("1;10;20", r));  // the further field is not needed
  EXPECT_TRUE(ParseGraphRecord("99;whatever", r));
  EXPECT_EQ(r.code, 99);
  ASSERT_TRUE(ParseGraphRecord("6;1;2;", r));
  EXPECT_EQ(r.text, "");
}

// The recording routines keep records binary and make their text on demand:
// the text must be what the 8-digit writer gives for the values recorded,
// and the binary record what reading that text gives.
TEST_F(DisplayListTest, BinaryRecordsAreWhatTheirTextReadsAs) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> size(-5000, 5000), small(-1e-4, 1e-4);
  std::vector<Extended> values = {0, -0.0L, 2.5L, 1.0L / 3, 99999999.5L, 12345678.5L, 10000000.5L,
                                  1234.56785L, 0.00001L, 1e-21L, 1e30L, -1e4000L, 6.02e23L,
                                  std::numeric_limits<Extended>::quiet_NaN(),
                                  std::numeric_limits<Extended>::infinity()};
  for (int i = 0; i < 400; ++i) values.push_back(i % 4 ? size(random) : small(random));
  std::vector<std::string> expected;
  for (std::size_t i = 0; i + 8 <= values.size(); ++i) {
    const Extended* v = &values[i];
    w.line(v[0], v[1], v[2], v[3]);
    expected.push_back("4;" + RealField(v[0]) + ";" + RealField(v[1]) + ";" + RealField(v[2]) + ";" +
                       RealField(v[3]));
    w.Solid(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    std::string solid = "7";
    for (int k = 0; k < 8; ++k) solid += ";" + RealField(v[k]);
    expected.push_back(solid);
    w.SetTextStyle(3, v[2], v[0], v[1]);
    expected.push_back("9;" + RealField(v[0]) + ";" + RealField(v[1]) + ";3;" + RealField(v[2]));
    w.OutTextXY(v[0], v[1], "a;b");
    expected.push_back("6;" + RealField(v[0]) + ";" + RealField(v[1]) + ";a;b");
  }
  ASSERT_EQ(List().Lines(), expected);
  for (std::size_t i = 0; i < List().size(); ++i) {
    SCOPED_TRACE(List()[i]);
    TGraphRecord read;
    const bool ok = ParseGraphRecord(List()[i], read);
    const TGraphRecord* kept = List().Record(i);
    ASSERT_EQ(kept != nullptr, ok);  // a field that is no number damages the record either way
    if (!kept) continue;
    EXPECT_EQ(kept->code, read.code);
    EXPECT_EQ(kept->text, read.text);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(kept->v[k], read.v[k]) << k;
  }
}

TEST_F(DisplayListTest, TextRecordsGoInAmongBinaryOnes) {
  w.line(1, 2, 3, 4);
  w.SetColor(5);
  TDisplayList& list = *CreateDisplayList();
  list.insert(list.begin() + 1, {"3;1;2;x", "12;4"});
  w.circle(1, 2, 3);
  const TDisplayList copy = list;
  EXPECT_EQ(copy, (TDisplayList{"4;1;2;3;4", "3;1;2;x", "12;4", "8;5", "3;1;2;3"}));
  EXPECT_EQ(copy.Record(1), nullptr);
  EXPECT_EQ(copy.Record(2)->n, 4);
  EXPECT_EQ(copy.Record(3)->n, 5);
  EXPECT_EQ(copy.Record(4)->v[2], 3);
  list.clear();
  EXPECT_TRUE(List().Lines().empty());
  w.line(0, 0, 1, 1);
  EXPECT_EQ(List().back(), "4;0;0;1;1");
}

class ReplayTest : public DisplayListTest {
 protected:
  LogCanvas screen, printer;
  bool Replay() { return ReplayDisplayList(List(), List().size(), &screen, &printer, page); }
  TPrinterPage page{2100, 2970};
};

TEST_F(ReplayTest, PrimitivesBecomePixelsOfTheWindow) {
  w.SetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);  // 10 pixels per unit
  w.line(1, 1, 2, 3);
  w.circle(32, 24, 1);
  w.Solid(0, 0, 1, 0, 1, 1, 0, 1);
  w.SetLineStyle(3);
  w.SetLineWidth(2);
  ASSERT_TRUE(Replay());
  for (const char* call :
       {"M 10 470", "L 20 450", "E 310 250 330 230", "P 0 480 10 480 10 470 0 470", "style 3", "width 2"})
    EXPECT_TRUE(screen.Has(call)) << call;
  EXPECT_TRUE(printer.calls.empty());  // not printing
}

TEST_F(ReplayTest, ColoursFollowTheSettings) {
  BackgroundColour = 0xFFFFFF;
  w.SetColor(12);
  w.SetColor(0);
  ASSERT_TRUE(Replay());
  EXPECT_TRUE(screen.Has("pen " + std::to_string(PaletteColour(12))));
  EXPECT_TRUE(screen.Has("pen 16777215"));  // colour 0 erases in the background colour

  screen.calls.clear();
  ColorGraphics = 0;
  ASSERT_TRUE(Replay());
  EXPECT_TRUE(screen.Has("pen 0"));
  EXPECT_TRUE(screen.Has("brush 16777215"));
}

TEST_F(ReplayTest, TextGoesToThePrinterOnlyWhilePrinting) {
  w.SetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  w.SetColor(9);
  w.SetTextStyle(2, 0, 2, 2);
  w.OutTextXY(10, 10, "abc");
  w.line(0, 0, 1, 1);
  ASSERT_TRUE(Replay());
  // Height 2 * 1.6 = 3.2 units = 32 pixels; width 2 * 1.1 * 0.8; top at y + 0.75 h.
  // Blue text on the black window is lightened so that it can be read.
  const std::string blue = std::to_string(MakeColorRef(76, 76, 255));
  EXPECT_TRUE(screen.Has("T 100 356 32 18 0 " + blue + " abc"));

  screen.calls.clear();
  PrintingGraphics = true;
  PrintBorder = 1;
  ASSERT_TRUE(Replay());
  EXPECT_TRUE(screen.Has("L 10 470"));
  EXPECT_FALSE(screen.Has("T 100 356 32 18 0 " + blue + " abc"));
  // Monochrome printing: black text; the border goes round the world window.
  EXPECT_TRUE(printer.Has("T 328 2203 198 58 0 0 abc"));
  EXPECT_EQ(printer.calls[1], "pen " + std::to_string(PaletteColour(11)));
  EXPECT_EQ(printer.calls[2], "M 0 2970");
}

TEST_F(ReplayTest, EmptyWindowRecordStopsTheReplay) {
  w.line(0, 0, 1, 1);
  AppendGraphRecord(gcSetWindow, {"0", "0", "640", "480", "3", "0", "3", "1"});
  w.line(0, 0, 1, 1);
  EXPECT_FALSE(Replay());
  EXPECT_EQ(AbortFlag, 1);
  int lines = 0;
  for (const auto& c : screen.calls) lines += c[0] == 'L';
  EXPECT_EQ(lines, 1);
}

TEST_F(ReplayTest, DamagedRecordsAreSkipped) {
  w.SetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  CreateDisplayList()->insert(CreateDisplayList()->end(),
                              {"4;1;x;2;2", "", "garbage", "6", "12;-5", "12;99999999", "8;77",
                               "5;1;1;1;1;1;1;1", "42;1;2"});
  w.line(0, 0, 1, 1);
  ASSERT_TRUE(Replay());
  EXPECT_TRUE(screen.Has("L 10 470"));
  EXPECT_TRUE(screen.Has("width 0"));
  EXPECT_TRUE(screen.Has("width 1000"));
}

// The replay transforms in double: its pixels are those of the transforms
// of the window and the printer for the same values.
TEST_F(ReplayTest, ReplayPixelsAreThoseOfTheTransforms) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> coordinate(-40, 140);
  PrintingGraphics = true;
  PrintScaleX = 0.93L;
  PrintScaleY = 1.07L;
  PrintOriginX = 12;
  PrintOriginY = 7;
  const struct { int width, height, zoom[4]; } cases[] = {
      {641, 481, {0, 0, 640, 480}}, {1281, 901, {50, 30, 410, 300}}, {997, 613, {-90, 20, 700, 333}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    InitDisplayList();
    screen.calls.clear();
    printer.calls.clear();
    w.SetWindow(true, true, 0.1L, 0.05L, 0.9L, 0.95L, -12.5L, 3, 117.25L, 81);
    SetScale(c.zoom[0], c.zoom[1], c.zoom[2], c.zoom[3]);
    SetCanvasSize(c.width, c.height);
    std::vector<std::string> onScreen, onPrinter;
    for (int i = 0; i < 300; ++i) {
      w.line(coordinate(random), coordinate(random), coordinate(random), coordinate(random));
      const TGraphRecord& r = *List().Record(List().size() - 1);
      auto call = [](const char* what, int x, int y) {
        return std::string(what) + " " + std::to_string(x) + " " + std::to_string(y);
      };
      onScreen.push_back(call("M", PX(r.v[0]), PY(r.v[1])));
      onScreen.push_back(call("L", PX(r.v[2]), PY(r.v[3])));
      onPrinter.push_back(call("M", PrX(page, r.v[0]), PrY(page, r.v[1])));
      onPrinter.push_back(call("L", PrX(page, r.v[2]), PrY(page, r.v[3])));
    }
    ASSERT_TRUE(Replay());
    auto lines = [](const std::vector<std::string>& calls) {
      std::vector<std::string> out;
      for (const auto& call : calls)
        if (call[0] == 'M' || call[0] == 'L') out.push_back(call);
      return out;
    };
    EXPECT_EQ(lines(screen.calls), onScreen);
    EXPECT_EQ(lines(printer.calls), onPrinter);
  }
}

TEST_F(ReplayTest, ReplayKeepsTheZoomForEveryWindow) {
  w.SetWindow(false, false, 0, 0, 1, 1, 0, 0, 64, 48);
  SetScale(0, 0, 320, 240);  // zoom on the lower left quarter
  w.line(0, 0, 32, 24);
  ASSERT_TRUE(Replay());
  EXPECT_TRUE(screen.Has("M 0 480"));
  EXPECT_TRUE(screen.Has("L 640 0"));
}

TEST_F(ReplayTest, NextWaitRecordFindsTimedPauses) {
  w.line(0, 0, 1, 1);
  w.SleepMs(40);
  w.line(0, 0, 1, 1);
  w.SleepMs(99999999);
  int ms = 0;
  EXPECT_EQ(NextWaitRecord(List(), 0, ms), 1u);
  EXPECT_EQ(ms, 40);
  EXPECT_EQ(NextWaitRecord(List(), 2, ms), 3u);
  EXPECT_EQ(ms, 60000);  // a damaged pause waits one minute at most
  EXPECT_EQ(NextWaitRecord(List(), 4, ms), 4u);
}

}  // namespace
