#include "cad/cad_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

#include "cad/cad_screen.h"
#include "cad/dxf_blocks.h"
#include "../shown_path.h"
#include "cad_test_support.h"
#include "framework/calc_messages.h"
#include "framework/display_list.h"
#include "framework/graph_recorder.h"
#include "platform/cursor.h"
#include "platform/process.h"

namespace {

class CadScreenTest : public CadTest {
 protected:
  static void Open() { StartDrawing(kCadScreen); }
  // A drawing without border, in its entity section.
  void OpenEntities() {
    CadState.CadBorderOn = 0;
    Open();
    CadBeginEntities();
  }
};

TEST_F(CadScreenTest, OpenClearsTheWindowAndBeginDrawsBorderAndStamp) {
  AppendGraphRecord(gcLine, {"1", "1", "2", "2"});
  CadState.CadBorderOn = 1;
  FileNameWithPath = 0;
  CurrentDir = "/work";
  CurrentFileName = "joint";
  Open();
  EXPECT_TRUE(platform::BusyCursorShown());
  // The border: four lines around the window in colour 19.
  const auto lines = Parsed(gcLine);
  ASSERT_EQ(lines.size(), 4u);
  ExpectPoint(lines[0], 0, 0, 0);
  ExpectPoint(lines[0], 2, 0, 120);
  EXPECT_EQ(CadState.CadColor, 30);  // the stamp's colour
  const auto texts = Parsed(gcOutTextXY);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "03/14/2026 9:05 - TOVIMAR BQ4 V17.0 - /work/joint.bq4");
  ExpectPoint(texts[0], 0, 0.8L, 0.24L);
  CadClose(0);
  EXPECT_FALSE(platform::BusyCursorShown());
}

// The stamp is written small (0.006 of the window's height, 0.0045 of its
// width) in the bottom left corner, so that it stays clear of the axis labels
// of the diagrams drawn along the bottom; on A4 landscape too.
TEST_F(CadScreenTest, TheStampIsSmallInTheBottomLeftCorner) {
  CadState.CadTextWidthSetting = 1;
  for (const auto& [w, h] : {std::pair{160.0L, 120.0L}, std::pair{297.0L, 210.0L}}) {
    SCOPED_TRACE(static_cast<double>(w));
    CadOpen(kCadScreen, "");
    CadBeginDrawing(0, 0, w, h);
    const auto styles = Parsed(gcSetTextStyle);
    ASSERT_FALSE(styles.empty());
    // Height, then width as the window's text style gets it.
    EXPECT_NEAR(styles.back().v[0], static_cast<double>(0.006L * h), 1e-6);
    EXPECT_NEAR(styles.back().v[1], static_cast<double>(0.95L * 0.0045L * w), 1e-6);
    EXPECT_NEAR(static_cast<double>(CadState.CadTextHeight), static_cast<double>(0.006L * h), 1e-9);
    EXPECT_NEAR(static_cast<double>(CadState.CadTextWidthFactor), static_cast<double>(0.0045L * w / (0.006L * h)),
                1e-9);
    const auto texts = Parsed(gcOutTextXY);
    ASSERT_EQ(texts.size(), 1u);
    ExpectPoint(texts[0], 0, 0.005L * w, 0.002L * h);
    CadClose(0);
  }
}

TEST_F(CadScreenTest, ColoursSetLineStyleColourAndWidthOfTheWindow) {
  Open();
  struct Case { int colour, penWidth; Word style, width; };
  // Pen widths beyond 50 are thin.
  for (const Case c : {Case{1, 0, 2, 1}, Case{2, 0, 3, 1}, Case{5, 0, 0, 3}, Case{20, 0, 0, 1}, Case{20, 7, 0, 7},
                       Case{20, 70, 0, 1}}) {
    if (c.penWidth) CadState.CadPenWidths[4] = c.penWidth;
    CadSetColor(c.colour);
    EXPECT_EQ(MainGraphWindow().LineStyle, c.style) << c.colour;
    EXPECT_EQ(MainGraphWindow().LineWidth, c.width) << c.colour << " " << c.penWidth;
  }
  CadClose(0);
}

// The border switched off: the first line is the one drawn.
TEST_F(CadScreenTest, PrimitivesCarryTheOriginArcsOfRadiusZeroVanishAndTextsAlignAndStep) {
  OpenEntities();
  CadSetOrigin(10, 20);
  CadLine(0, 0, 1, 1);
  CadCircle(5, 5, 2);
  CadArc(0, 0, 0, 90, 0);
  CadArc(0, 0, 0, 90, 3);
  CadSolid(0, 0, 1, 0, 1, 1, 0, 1);
  CadText("T", 1, 1);
  CadEndSection();
  CadClose(0);
  ExpectPoint(Parsed(gcOutTextXY).back(), 0, 11, 21);
  ExpectPoint(Parsed(gcLine).at(0), 0, 10, 20);
  ExpectPoint(Parsed(gcCircle).at(0), 0, 15, 25);
  EXPECT_EQ(Parsed(gcArc).size(), 1u);
  ExpectPoint(Parsed(gcSolid).at(0), 4, 11, 21);
  OpenEntities();
  const std::size_t before = Parsed(gcOutTextXY).size();
  CadSetTextStyle(2, 0, 5, 0);
  CadSetTextAlign(2, 2);
  CadText("ABCD", 100, 50);  // 4 * 5 * 0.7 = 14 to the left, 5 down
  CadSetTextAlign(0, 0);
  CadMoveTo(10, 100);
  CadTextLine("first");
  CadTextLine("");
  CadTextLine("second");
  CadClose(0);
  const auto texts = Parsed(gcOutTextXY);
  ASSERT_EQ(texts.size(), before + 3);
  ExpectPoint(texts[before], 0, 86, 45);
  ExpectPoint(texts[before + 1], 0, 10, 100);
  ExpectPoint(texts[before + 2], 0, 10, 92);  // one step of 1.6 x height, the empty line none
}

// The regular polygon is pinned by the golden sample drawings.
TEST_F(CadScreenTest, GridSineAndThreePointArc) {
  CadState.CadDevice = kCadScreen;
  CadGrid(2, 3, 0, 0, 10, 10);
  EXPECT_EQ(Parsed(gcLine).size(), 7u);
  InitDisplayList();
  CadGrid(-1, 1, 0, 0, 10, 10);
  EXPECT_EQ(Parsed(gcLine).size(), 2u);

  InitDisplayList();
  CadSineCurve(0, 0, 1, 8, 0, 1);  // 0 .. 360 degrees in 4 degree steps
  const auto lines = Parsed(gcLine);
  ASSERT_EQ(lines.size(), 90u);
  ExpectPoint(lines.back(), 2, 8, 0);

  InitDisplayList();
  CadArc3P(10, 0, 0, 10, -10, 0);
  const auto arcs = Parsed(gcArc);
  ASSERT_EQ(arcs.size(), 1u);
  ExpectPoint(arcs[0], 0, -10, -10);  // the circle's box, then start and end point
  ExpectPoint(arcs[0], 4, 10, 0);
  ExpectPoint(arcs[0], 6, -10, 0);
  CadArc3P(0, 0, 1, 1, 2, 2);  // collinear: nothing
  EXPECT_EQ(Parsed(gcArc).size(), 1u);
}

// The screen's blocks go to their temporary block files unless told to stay
// in memory.
TEST_F(CadScreenTest, BlocksGoToTheirTemporaryFilesByDefault) {
  ASSERT_TRUE(ScreenBlocksInFiles);
  CadState.CadBorderOn = 0;
  Open();
  CadBeginBlocks();
  CadBeginBlock("PEG");
  CadLine(0, 0, 10, 0);
  CadEndBlock();
  CadEndSection();
  EXPECT_TRUE(std::filesystem::exists(CadBlockFileName("PEG")));
  CadBeginEntities();
  const std::size_t lines = Parsed(gcLine).size();
  CadInsertBlock("PEG", 5, 5, 0, 1, 1);
  EXPECT_EQ(Parsed(gcLine).size(), lines + 1);
  CadClose(0);
  // Kept for the next drawing, which does not read it before it draws it.
  EXPECT_TRUE(std::filesystem::exists(CadBlockFileName("PEG")));
}

// A block file holds the block whole, as the DXF writer writes its pairs, by
// the time the block ends; its inserts draw what the file holds.
TEST_F(CadScreenTest, ABlockFileIsWholeWhenItsBlockEndsAndInsertsDrawWhatItHolds) {
  CadState.CadBorderOn = 0;
  Open();
  CadBeginBlocks();
  CadBeginBlock("RING");
  CadLine(0.25L, 0, 10, 1.0L / 3);
  CadCircle(1, 2, 3.5L);
  CadEndBlock();
  std::ifstream in(CadBlockFileName("RING"), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("  0\r\nLINE\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n0.25"), std::string::npos);
  EXPECT_NE(text.find("  0\r\nCIRCLE\r\n"), std::string::npos);
  EXPECT_NE(text.find(" 40\r\n3.5"), std::string::npos);
  ASSERT_GE(text.size(), 10u);
  EXPECT_EQ(text.substr(text.size() - 10), "  0\r\nEOF\r\n");
  CadEndSection();
  CadBeginEntities();
  CadInsertBlock("RING", 5, 5, 0, 1, 1);
  const auto lines = Parsed(gcLine), circles = Parsed(gcCircle);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(circles.size(), 1u);
  // The same block read back from its file alone draws the same.
  CreateDisplayList()->clear();
  InitCadScreen();
  CadInsertBlock("RING", 5, 5, 0, 1, 1);
  const auto fileLines = Parsed(gcLine), fileCircles = Parsed(gcCircle);
  ASSERT_EQ(fileLines.size(), 1u);
  ASSERT_EQ(fileCircles.size(), 1u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(fileLines[0].v[i], lines[0].v[i]) << i;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(fileCircles[0].v[i], circles[0].v[i]) << i;
  CadClose(0);
}

TEST_F(CadScreenTest, BlockSectionKeepsBlocksAndInsertsReplayThem) {
  for (const bool files : {false, true}) {
    SCOPED_TRACE(files ? "block files" : "blocks in memory");
    ScreenBlocksInFiles = files;
    CreateDisplayList()->clear();
    CadState.CadBorderOn = 0;
    Open();
    const std::size_t before = CreateDisplayList()->size();
    CadBeginBlocks();
    CadBeginBlock("PIN");
    CadSetColor(5);
    CadLine(0, 0, 10, 0);
    CadCircle(0, 0, 2);
    CadEndBlock();
    CadBeginBlock("TWO");
    CadInsertBlock("pin", 0, 0, 0, 1, 1);  // found whatever the case of its name
    CadInsertBlock("PIN", 0, 5, 0, 1, 1);
    CadEndBlock();
    CadBeginBlock("LABEL");
    CadSetTextStyle(2, 0, 4, 0);
    CadText("A", 0, 0);
    CadEndBlock();
    CadEndSection();
    // Nothing of the block section reached the window.
    EXPECT_EQ(CreateDisplayList()->size(), before);
    EXPECT_EQ(Exists(Dir() + "/$PIN.dx$"), files);

    CadBeginEntities();
    CadSetColor(3);
    CadInsertBlock("PIN", 100, 50, 90, 2, 1);
    EXPECT_EQ(CadState.CadColor, 3);  // the colour before the insert
    auto lines = Parsed(gcLine);
    ASSERT_EQ(lines.size(), 1u);
    ExpectPoint(lines[0], 0, 100, 50);
    ExpectPoint(lines[0], 2, 100, 70);  // (10, 0) scaled by 2 and turned by 90 degrees
    EXPECT_NEAR(static_cast<double>(Parsed(gcCircle).at(0).v[2]), 4, 1e-9);

    CadInsertBlock("TWO", 0, 0, 0, 1, 1);
    EXPECT_EQ(Parsed(gcLine).size(), 3u);
    // A text of a block scales with the insert; the drawer's style is back after it.
    CadSetTextStyle(2, 0, 7, 0);
    const std::size_t texts = Parsed(gcOutTextXY).size();
    CadInsertBlock("LABEL", 0, 0, 0, 1, 0.5L);
    const auto styles = Parsed(gcSetTextStyle);
    ASSERT_GE(styles.size(), 2u);
    EXPECT_NEAR(static_cast<double>(styles[styles.size() - 2].v[0]), 2, 1e-9);  // half of 4
    EXPECT_EQ(Parsed(gcOutTextXY).size(), texts + 1);
    EXPECT_EQ(CadState.CadTextHeight, 7);
    CadEndSection();
    CadClose(0);
    EXPECT_EQ(MatchingFiles(Dir(), "$*.dx$").size(), files ? 3u : 0u);  // kept for the next drawing
    EXPECT_EQ(CadState.CadInsertLevel, 0);
    // The close forgets the blocks: a later drawing does not find them.
    Open();
    CadBeginEntities();
    CadInsertBlock("PIN", 0, 0, 0, 1, 1);
    EXPECT_NE(MissingBlocksText().find("Block \"PIN\" is missing"), std::string::npos);
    ForgetMissingBlocks();
    CadClose(0);
    AbortFlag = 0;
  }
  ScreenBlocksInFiles = true;
}

// A block file stays for the next drawing, which reads it only once it has
// drawn its block, and writes it again only when the block changed or
// another program changed the file. Other block files go at the close.
TEST_F(CadScreenTest, BlockFilesStayForTheNextDrawingAndAreWrittenAgainOnlyWhenTheirBlockChanged) {
  namespace fs = std::filesystem;
  // A folder outside the process's own, where every file is written through
  // a temporary and renamed: a file written again is another file. In the
  // process's own folder a file is written again over its old bytes.
  for (const bool own : {false, true}) {
    SCOPED_TRACE(own ? "own folder" : "other folder");
    const fs::path dir = own ? fs::path(Dir()) / "blocks"
                             : fs::temp_directory_path() / ("bq4_blocks_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    TempDir = dir.string();
    CadState.CadBorderOn = 0;
    auto inode = [&](const char* name) {
      struct stat st {};
      return ::stat((dir / name).c_str(), &st) == 0 ? st.st_ino : 0;
    };
    auto text = [&](const char* name) {
      std::ifstream in(dir / name, std::ios::binary);
      return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    auto draw = [&](Extended length, bool probe) {
      CreateDisplayList()->clear();
      Open();
      if (probe) {
        CadInsertBlock("SAME", 0, 0, 0, 1, 1);  // left by the last drawing, not yet drawn in this one
        EXPECT_NE(MissingBlocksText().find("Block \"SAME\" is missing"), std::string::npos);
        ForgetMissingBlocks();
        EXPECT_TRUE(Parsed(gcLine).empty());
        AbortFlag = 0;
      }
      CadBeginBlocks();
      CadBeginBlock("SAME");
      CadLine(0, 0, 10, 0);
      CadEndBlock();
      CadBeginBlock("MOVED");
      CadLine(-1.25L, 0, length, 0);
      CadEndBlock();
      CadEndSection();
      CadBeginEntities();
      CadInsertBlock("MOVED", 0, 0, 0, 1, 1);
      const auto lines = Parsed(gcLine);
      if (lines.size() == 1u) ExpectPoint(lines[0], 2, length, 0);
      EXPECT_EQ(lines.size(), 1u);
      EXPECT_EQ(AbortFlag, 0);
    };
    draw(5, false);
    std::ofstream(dir / "$OTHER.dx$") << "  0\r\nEOF\r\n";
    CadClose(0);
    const auto same = inode("$SAME.dx$"), moved = inode("$MOVED.dx$");
    ASSERT_NE(same, 0u);
    ASSERT_NE(moved, 0u);
    EXPECT_FALSE(fs::exists(dir / "$OTHER.dx$"));
    EXPECT_NE(text("$MOVED.dx$").find("\r\n-1.25"), std::string::npos);

    draw(5, true);
    EXPECT_EQ(inode("$SAME.dx$"), same);
    EXPECT_EQ(inode("$MOVED.dx$"), moved);
    CadClose(0);

    draw(7, true);
    EXPECT_EQ(inode("$SAME.dx$"), same);
    if (!own) {
      EXPECT_NE(inode("$MOVED.dx$"), moved);
    }
    EXPECT_EQ(text("$MOVED.dx$").find("\r\n5.0"), std::string::npos);
    EXPECT_NE(text("$MOVED.dx$").find("\r\n7.0"), std::string::npos);
    CadClose(0);

    // Changed by another program, or written with other decimals: written again.
    std::ofstream(dir / "$SAME.dx$", std::ios::binary | std::ios::app) << "  0\r\nLINE\r\n";
    draw(7, true);
    EXPECT_EQ(text("$SAME.dx$").find("LINE"), text("$SAME.dx$").rfind("LINE"));
    CadClose(0);
    const int decimals = CadState.CadDecimals;
    CadState.CadDecimals = 0;
    draw(7, true);
    EXPECT_NE(text("$MOVED.dx$").find("\r\n-1.0\r\n"), std::string::npos) << text("$MOVED.dx$");
    EXPECT_NE(text("$MOVED.dx$").find("\r\n7.0\r\n"), std::string::npos);
    // Shorter than before: nothing of the old file after its end.
    EXPECT_EQ(text("$MOVED.dx$").find("EOF"), text("$MOVED.dx$").size() - 5);
    CadClose(0);
    CadState.CadDecimals = decimals;

    // A drawing without them leaves none.
    Open();
    CadClose(0);
    EXPECT_TRUE(MatchingFiles(dir.string(), "$*.dx$").empty());
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  TempDir = Dir();
}

// Blocks of one drawing after another, and a block defined again, each
// replay only their own entities, whatever the blocks before them held.
TEST_F(CadScreenTest, BlocksOfALaterDrawingHoldOnlyTheirOwnEntities) {
  ScreenBlocksInFiles = false;
  CadState.CadBorderOn = 0;
  struct Row {
    int first, second;  // lines of the block in the first and the second definition
  };
  for (const Row& row : {Row{40, 1}, Row{1, 40}, Row{0, 3}, Row{5, 0}}) {
    SCOPED_TRACE(std::to_string(row.first) + " then " + std::to_string(row.second));
    for (int drawing = 0; drawing < 2; ++drawing) {
      CreateDisplayList()->clear();
      Open();
      CadBeginBlocks();
      for (const int count : {row.first, row.second}) {
        CadBeginBlock(drawing == 0 ? "BIG" : "OTHER");
        for (int i = 0; i < count; ++i) CadLine(0, i, 10, i);
        CadEndBlock();
      }
      CadEndSection();
      CadBeginEntities();
      CadInsertBlock(drawing == 0 ? "BIG" : "OTHER", 0, 0, 0, 1, 1);
      EXPECT_EQ(Parsed(gcLine).size(), static_cast<std::size_t>(row.second));
      CadClose(0);
    }
  }
  ScreenBlocksInFiles = true;
}

TEST_F(CadScreenTest, BlockNamesNeverLeaveTheTemporaryDirectoryAndAFailedBlockFileIsLeftOut) {
  EXPECT_EQ(CadBlockFileName("../../etc/x"), Dir() + "/$.._.._etc_x.dx$");
  TempDir.clear();
  EXPECT_EQ(CadBlockFileName("A"), platform::ProcessTempDir() + "/$A.dx$");
  ScreenBlocksInFiles = true;
  TempDir = Dir() + "/no/such/dir";
  Open();
  CadBeginBlocks();
  CadBeginBlock("LOST");
  EXPECT_EQ(AbortFlag, 1);
  CadLine(0, 0, 1, 1);
  CadEndBlock();
  EXPECT_EQ(AbortFlag, 0);
  CadEndSection();
  CadBeginEntities();
  CadInsertBlock("LOST", 0, 0, 0, 1, 1);
  // Left out, and the drawing goes on; the end of the drawing names it.
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CalcMessages.count, 1);
  EXPECT_EQ(CalcMessages.texts[1].str(), "Invalid temp directory");
  {
    platform::DialogScript script;
    script.Ok().Expect("Block \"LOST\" is missing: file " + ShownPath(Dir()) + "/no/such/dir/$LOST.dx$ not found");
    CadClose(0);
  }
  ScreenBlocksInFiles = true;
}

TEST_F(CadScreenTest, ALogoInsertingMissingBlocksIsDrawnWithoutThemAndTheirNamesAreShown) {
  // Each missing block is named once, also one whose name holds "/" and one
  // without a name; what follows the inserts is drawn.
  std::ofstream(Dir() + "/$LOGO_2.dx$") << "  0\r\nINSERT\r\n  2\r\nNOSUCH\r\n 10\r\n0\r\n 20\r\n0\r\n"
                                           "  0\r\nINSERT\r\n  2\r\na/b\r\n  0\r\nINSERT\r\n  2\r\n\r\n"
                                           "  0\r\nINSERT\r\n  2\r\nNOSUCH\r\n"
                                           "  0\r\nLINE\r\n 10\r\n0\r\n 20\r\n0\r\n 11\r\n480\r\n 21\r\n0\r\n"
                                           "  0\r\nEOF\r\n";
  ASSERT_EQ(::mkfifo((Dir() + "/$LOGO_3.dx$").c_str(), 0600), 0);
  OpenEntities();
  EXPECT_EQ(AbortFlag, 0);
  CadLine(1, 1, 2, 2);
  EXPECT_EQ(Parsed(gcLine).size(), 2u);  // the logo's line and the drawing's
  const std::string text = MissingBlocksText();
  EXPECT_NE(text.find("Block \"NOSUCH\" is missing: file " + Dir() + "/$NOSUCH.dx$ not found"), std::string::npos);
  EXPECT_EQ(text.find("NOSUCH", text.find("NOSUCH.dx$") + 10), std::string::npos) << text;
  EXPECT_NE(text.find("Block \"a/b\" is missing: file " + Dir() + "/$a_b.dx$"), std::string::npos);
  EXPECT_NE(text.find("A block without a name is missing: file " + Dir() + "/$.dx$"), std::string::npos);
  EXPECT_NE(text.find("Block \"LOGO_3\" is missing: file " + Dir() + "/$LOGO_3.dx$ is no regular file !"),
            std::string::npos);
  EXPECT_NE(text.find("The drawing is shown without them."), std::string::npos);
  {
    platform::DialogScript script;
    script.Ok().Expect("Block \"NOSUCH\" is missing");
    CadClose(0);
  }
  EXPECT_EQ(MissingBlocksText(), "");
  EXPECT_EQ(AbortFlag, 0);
}

TEST_F(CadScreenTest, LogoBlocksAreInsertedWhenPresentUnlessSuppressed) {
  std::ofstream(Dir() + "/$LOGO_2.dx$") << "  0\r\nLINE\r\n 10\r\n0\r\n 20\r\n0\r\n 11\r\n480\r\n"
                                           " 21\r\n0\r\n  0\r\nEOF\r\n";
  OpenEntities();
  auto lines = Parsed(gcLine);
  ASSERT_EQ(lines.size(), 1u);
  ExpectPoint(lines[0], 0, 0.91L * 160, 0.01L * 120);
  ExpectPoint(lines[0], 2, 0.91L * 160 + 160, 0.01L * 120);
  CadClose(0);
  EXPECT_FALSE(Exists(Dir() + "/$LOGO_2.dx$"));  // deleted with the block files

  std::ofstream(Dir() + "/$LOGO_2.dx$") << "  0\r\nEOF\r\n";
  Open();
  CadSetOutputMode(2);
  const std::size_t before = CreateDisplayList()->size();
  CadBeginEntities();
  EXPECT_EQ(CreateDisplayList()->size(), before + 0u);
  CadClose(0);
}

TEST_F(CadScreenTest, OpenResetsAlignmentOriginScaleAndOutputMode) {
  CadState.CadUnitFactor = 2;
  CadSetOrigin(5, 5);
  CadSetTextAlign(2, 2);
  CadSetLineSpacing(3);
  CadSetOutputMode(2);
  CadSetScale(7);
  EXPECT_EQ(CadState.CadScale, 14);
  CadOpen(kCadScreen, "ignored");
  EXPECT_EQ(CadState.CadOriginX, 0);
  EXPECT_EQ(CadState.CadAlignH, 0);
  EXPECT_EQ(CadState.CadLineSpacing, 1);
  EXPECT_EQ(CadState.CadOutputMode, 0);
  EXPECT_EQ(CadState.CadScale, 2);
  EXPECT_EQ(CadState.CadRequestedDevice, kCadScreen);
  EXPECT_TRUE(CadLastPass());
  CadClose(0);
}

// Cancel of the device choice: see the diagram command test.
TEST_F(CadScreenTest, DeviceZeroAsksForTheDevice) {
  {
    platform::DialogScript script;
    script.Ok({{"RadioGroup_items", "#4"}});
    CadOpen(kCadAskDevice, "");
  }
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(CadState.CadDevice, kCadListing);
  CadBeginDrawing(0, 0, 1, 1);
  CadClose(0);
  EXPECT_TRUE(Exists(Dir() + "/drawing.lst"));
}

// The save dialogs of the DXF, IGES and listing outputs start in the CAD
// folder, else in the project's folder, with the project's name.
TEST_F(CadScreenTest, SaveDialogsStartInTheCadFolderElseInTheProjectsFolder) {
  CadBatchMode = 0;
  CurrentDir = Dir() + "/project";
  CurrentFileName = "joint";
  for (const std::string& cadDir : {std::string(), Dir() + "/cad"}) {
    CadDir = cadDir;
    for (TCadDevice device : {kCadDxf, kCadIges, kCadListing}) {
      platform::DialogScript script;
      script.Cancel();
      AbortFlag = 0;
      CadOpen(device, "");
      EXPECT_EQ(AbortFlag, 1);
      ASSERT_EQ(script.Shown().size(), 1u);
      EXPECT_EQ(script.Shown()[0].kind, "save");
      EXPECT_EQ(script.Shown()[0].text, (cadDir.empty() ? CurrentDir : cadDir) + "/joint") << device;
    }
  }
}

// The IGES writer leaves no temporary parameter file either.
TEST_F(CadScreenTest, OutputFileThatCannotBeCreatedIsReportedOnEveryFileDevice) {
  CurrentFileName = Dir() + "/no/such/dir/drawing";
  for (TCadDevice device : {kCadDxf, kCadIges, kCadListing}) {
    AbortFlag = 0;
    CadOpen(device, "");
    EXPECT_EQ(AbortFlag, 1) << device;
  }
  EXPECT_FALSE(Exists(platform::ProcessTempDir() + "/ZUZIZURI.$$$"));
}

// A drawing stopped halfway (AbortFlag, as a failed write or a drawer sets
// it), or one left open when the next begins, leaves the file it would have
// replaced byte for byte and no temporary beside it, on every file device;
// the plot program is then handed no drawing.
TEST_F(CadScreenTest, DrawingThatFailedLeavesTheOldFileAsItWas) {
  const std::string old = "an earlier drawing\r\n";
  const auto bytes = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const auto draw = [](TCadDevice device, bool stop) {
    AbortFlag = 0;
    StartDrawing(device);
    CadBeginEntities();
    CadLine(0, 0, 10, 10);
    if (stop) AbortFlag = 1;
    CadLine(0, 0, 500, 500);  // beyond the window: the DXF header is widened
    CadEndSection();
  };
  platform::RecordProgramStarts(true);
  CadState.PlotCommandLines[0] = "/bin/true veskart.dxf";
  CadState.PlotCommandIndex = 1;
  for (TCadDevice device : {kCadDxf, kCadIges, kCadListing, kCadPlotProgram}) {
    SCOPED_TRACE(device);
    const std::string file = device == kCadPlotProgram ? Dir() + "/veskart.dxf" : CadBatchFileName(device);
    std::ofstream(file, std::ios::binary) << old;
    draw(device, true);
    CadClose(0);
    EXPECT_EQ(bytes(file), old);
    // Left open by a drawer that returned early: the next drawing does not store it.
    draw(device, false);
    draw(kCadListing, true);
    CadClose(0);
    EXPECT_EQ(bytes(file), old);
    for (const auto& e : std::filesystem::directory_iterator(Dir()))
      EXPECT_EQ(e.path().filename().string().find(".~"), std::string::npos) << e.path();
  }
  EXPECT_TRUE(platform::RecordedProgramStarts().empty());
  // Whole, the widened drawing replaces the old one.
  draw(kCadDxf, false);
  CadClose(0);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_NE(bytes(CadBatchFileName(kCadDxf)).find("$EXTMAX\r\n 10\r\n500.000000"), std::string::npos);
  platform::RecordProgramStarts(false);
}

// Odd values on every device: no crash, no endless loop, files still closed.
TEST_F(CadScreenTest, DegenerateCallsAreHarmlessOnEveryDevice) {
  TraceMessagesOn = 0;
  for (TCadDevice device : {kCadDxf, kCadIges, kCadScreen, kCadListing}) {
    SCOPED_TRACE(device);
    AbortFlag = 0;
    CadOpen(device, "");
    ASSERT_EQ(AbortFlag, 0);
    CadBeginDrawing(0, 0, 0, 0);
    CadWriteTables(7);
    CadBeginBlocks();
    CadBeginBlock("");
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    for (Word n : {0, 1, 2}) CadRegularPolygon(n, 0, 0, 10, 0);
    CadGrid(-5, -5, 0, 0, 1, 1);
    CadSineCurve(0, 0, 1, 1, 0, -3);
    CadSetColor(-7);
    CadSetColor(1000);
    CadSetTextStyle(2, 0, 0, 5);
    CadText(std::string("a\0b", 3), 0, 0);
    CadArc(0, 0, std::nan(""), 10, 1);
    CadBeginPolyline(0);
    CadVertex(0, 0, 2 * 3.14159265358979323846L);
    CadVertex(0, 0, 0);
    CadEndPolyline();
    CadInsertBlock("missing", 0, 0, 0, 1, 1);
    AbortFlag = 0;
    ForgetMissingBlocks();  // named at the close on the screen, as tested above
    CadEndSection();
    CadClose(0);
  }
  EXPECT_TRUE(Exists(Dir() + "/drawing.dxf"));
  EXPECT_TRUE(Exists(Dir() + "/drawing.igs"));
  EXPECT_TRUE(Exists(Dir() + "/drawing.lst"));
}

}  // namespace
