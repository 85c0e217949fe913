#include "framework/hpgl.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "framework/file_values.h"
#include "framework/graph_recorder.h"
#include "graph_test_support.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace {

class HpglTest : public GraphTest {
 protected:
  static void ExpectRecord(const std::string& rec, int code, std::initializer_list<double> v) {
    TGraphRecord r;
    ASSERT_TRUE(ParseGraphRecord(rec, r)) << rec;
    EXPECT_EQ(r.code, code) << rec;
    int i = 0;
    for (double x : v) EXPECT_NEAR(double(r.v[i++]), x, 1e-9) << rec;
  }
  TDisplayList Play(const std::string& data) {
    PlayHpglText(data);
    return List();
  }
};

// Pen down draws in the pen colour; commands are case blind and skip blanks
// and line breaks; a circle stands about the current point.
TEST_F(HpglTest, LinesAndCirclesInThePenColour) {
  const struct { const char* data; TDisplayList expected; } cases[] = {
      {"PU40,80;CI40;", {"8;0", "3;1;2;1"}},
      {"SP1;PU0,0;PD400,0,400,400;", {"8;12", "4;0;0;10;0", "4;10;0;10;10"}},
      {"in;\r\nsp 2;\npu 40 ,40;pd80,40;VS10;", {"8;14", "4;1;1;2;1"}},
  };
  for (const auto& c : cases) {
    InitDisplayList();
    EXPECT_EQ(Play(c.data), c.expected) << c.data;
    EXPECT_EQ(AbortFlag, 0);
  }
  EXPECT_EQ(PenX, 2);  // the pen stands at the last point
}

TEST_F(HpglTest, PenSelectionDefaultsToOne) {
  Play("SP;");
  EXPECT_EQ(CurrentPen, 1);
  Play("SP9;");
  EXPECT_EQ(CurrentPen, 9);
  EXPECT_EQ(PenColour(9), 9);
  EXPECT_EQ(PenColour(7), 15);
}

TEST_F(HpglTest, LabelsAtTheCurrentPoint) {
  // 5 cm characters, direction 0
  TDisplayList l = Play("SP1;PU400,200;LBabc\x03;");
  EXPECT_EQ(l, (TDisplayList{"8;12", "9;50;50;2;0", "6;10;5;abc"}));
  EXPECT_EQ(PenX, 10);  // the label does not move the pen
  // Character set 3 transcribes umlauts: code page 437 character 132 is shown
  // as the Windows-1252 a umlaut.
  l = Play("CS3;SI0.2,0.3;DI0,1;LBa}Uber\x03");
  EXPECT_EQ(l.back(), std::string("6;-999;-999;\xE4Uber"));
  EXPECT_EQ(l[l.size() - 2], "9;3;2;2;90");
  Play("CS1;LBa}\x03");
  EXPECT_EQ(List().back().substr(List().back().rfind(';') + 1), "a}");
}

// An arc runs counterclockwise from the current point; the pen then stands
// at its centre, also after an arc with the pen up.
TEST_F(HpglTest, ArcsRunCounterclockwiseAndLeaveThePenAtTheirCentre) {
  TDisplayList l = Play("SP1;PU400,0;PD;AA0,0,90;PD0,800;");
  ASSERT_EQ(l.size(), 3u);
  ExpectRecord(l[1], gcArc, {-10, -10, 10, 10, 10, 0, 0, 10});
  ExpectRecord(l[2], gcLine, {0, 0, 0, 20});  // from the centre
  InitDisplayList();
  l = Play("PU400,0;PD;AA0,0,360;");
  ExpectRecord(l.back(), gcArc, {-10, -10, 10, 10, 10, 0, 10, 0});  // a full circle
  EXPECT_EQ(PenX, 0);
  EXPECT_EQ(PenY, 0);
  InitDisplayList();
  l = Play("PU400,0;AA800,400,90;PD1200,400;");
  ASSERT_EQ(l.size(), 1u) << ::testing::PrintToString(l);
  ExpectRecord(l[0], gcLine, {20, 10, 30, 10});
}

TEST_F(HpglTest, EncodedPolylines) {
  // Base 64: 40 units = 80 (sign in the lowest bit) = 16 + 1 * 64: the
  // digit 16 ('O') and the final digit 1 (191 + 1).
  std::string data = "PU400,400;PE<=";
  data += "O\xC0O\xC0";  // absolute move to (1, 1)
  data += "O\xC0\xBF";   // relative (1, 0)
  data += "P\xC0\xBF";   // relative (-1, 0): 81 is odd
  data += ";";
  EXPECT_EQ(Play(data), (TDisplayList{"8;0", "4;1;1;2;1", "4;2;1;1;1"}));
  Play("PE7:\x02;");
  EXPECT_EQ(CurrentPen, 2);
}

// Empty, unknown or truncated input and an overlong label: no fault, and
// nothing drawn but what the input holds.
TEST_F(HpglTest, DamagedInputKeepsWhatWasDrawnAndNothingElse) {
  EXPECT_TRUE(Play("").empty());
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_TRUE(Play("\x1b.I81;;17:XX1,2;99;RO90;IP0,0,1,1;").empty());
  EXPECT_EQ(AbortFlag, 0);
  TDisplayList l = Play("SP1;PU0,0;PD400,0,400");
  EXPECT_EQ(l.size(), 2u);
  EXPECT_EQ(AbortFlag, 0);
  // The pen put down before any move draws nothing from the unknown position;
  // an arc there draws nothing either, and leaves the pen at its centre.
  InitDisplayList();
  EXPECT_EQ(Play("SP2;PD;PE\xC1\xC1;PD400,0,800,0;"), (TDisplayList{"8;14", "4;10;0;20;0"}));
  InitDisplayList();
  EXPECT_EQ(Play("SP3;PD;AA0,0,90;PE\xC1\xC1;PD400,0;"),
            (TDisplayList{"8;10", "4;0;0;0.025;0.025", "4;0.025;0.025;10;0"}));
  InitDisplayList();
  EXPECT_EQ(Play("PU0,0;LBnever ends").size(), 0u);
  std::string data = "LB" + std::string(300, 'x') + "\x03;SP3;";
  Play(data);
  for (const auto& r : List()) EXPECT_NE(r[0], '6') << r;
}

TEST_F(HpglTest, MissingFileIsReportedAndPicturesPlayFromThePictureDirectory) {
  platform::DialogScript script;
  script.Ok().Expect("/nowhere/myfile.plt not found !");
  PlayHpglFile("/nowhere/my file.plt");
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_TRUE(List().empty());
  // A picture is played from the picture directory, found whatever the case of its name.
  AbortFlag = 0;
  PltDir = platform::ProcessTempDir();
  std::ofstream(PltDir + "/hpgl_test_pic.plt") << "IN;SP3;PU0,0;PD4000,0;";
  ShowPltImage("HPGL_Test_Pic");  // found whatever the case of its name
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(WorldXMax, 160);
  EXPECT_EQ(List().back(), "4;0;0;100;0");
}

// A picture file that is no regular file, or larger than a picture may be,
// is named and nothing is drawn; none of them stops the program (a FIFO
// without a writer would wait in the open, /dev/zero would fill memory).
TEST_F(HpglTest, PicturesThatAreNoFilesOrTooLargeAreNamedAndNothingIsDrawn) {
  namespace fs = std::filesystem;
  PltDir = platform::ProcessTempDir() + "/hpgl_special";
  fs::create_directories(PltDir);
  ASSERT_EQ(::mkfifo((PltDir + "/pipe.plt").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", PltDir + "/zero.plt");
  {
    std::ofstream big(PltDir + "/big.plt", std::ios::binary);
    big << "PU0,0;PD4000,0;";
    big << std::string(kLargestPicture, ';');
  }
  const struct {
    const char* name;
    std::string said;
  } cases[] = {
      {"pipe", PltDir + "/pipe.plt is no regular file !"},
      {"zero", PltDir + "/zero.plt is no regular file !"},
      {"big", "file " + PltDir + "/big.plt is too large (more than 16 MB) !"},
  };
  for (const auto& c : cases) {
    InitDisplayList();
    AbortFlag = 0;
    platform::DialogScript script;
    script.Ok().Expect(c.said);
    ShowPltImage(c.name);
    EXPECT_EQ(AbortFlag, 1) << c.name;
    for (const auto& r : List()) EXPECT_NE(r[0], '4') << c.name << ": " << r;
  }
  fs::remove_all(PltDir);
}

}  // namespace
