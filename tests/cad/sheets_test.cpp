#include "cad/sheets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "cad/cad_screen.h"
#include "cad/drawing_elements.h"
#include "cad/head_nut_drawing.h"
#include "cad/joint_drawing.h"
#include "calc/designation.h"
#include "framework/display_list.h"
#include "framework/drawing_info.h"
#include "framework/file_utils.h"
#include "framework/text_utils.h"
#include "joint_test_support.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "sheet_test_support.h"

namespace {

// What an independent reader finds in a sheet's DXF file.
struct SheetDxf {
  std::vector<std::string> blocks;                          // block names in file order
  std::map<std::string, std::vector<std::string>> texts;    // texts of each block; "" = model space
  struct Insert {
    std::string name;
    double x, y, xs, ys;
  };
  std::vector<Insert> inserts;  // of the model space
  bool Has(const std::string& block, const std::string& text) const {
    const auto it = texts.find(block);
    return it != texts.end() && std::find(it->second.begin(), it->second.end(), text) != it->second.end();
  }
  std::vector<std::string> InsertNames() const {
    std::vector<std::string> names;
    for (const auto& i : inserts) names.push_back(i.name);
    return names;
  }
};

using Names = std::vector<std::string>;

class SheetsTest : public JointDrawingFixture {
 protected:
  void SetUp() override {
    JointDrawingFixture::SetUp();
    CalculatedM12Joint();
    DrawingName = "BOLTED JOINT M12";
    DrawingName2 = "housing cover";
    DrawingNumber = "BQ4-100-01";
  }


  // The sheet drawn to DXF and read back with ezdxf.
  SheetDxf ReadSheet(TSheetKind kind) {
    DrawSheet(kind, kCadDxf);
    EXPECT_EQ(AbortFlag, 0);
    const std::string out = Dir() + "/sheet.out";
    EXPECT_TRUE(Ezdxf("doc = ezdxf.readfile(sys.argv[1])\n"
                      "o = open(sys.argv[2], 'w', encoding='cp437', errors='backslashreplace', newline='\\n')\n"
                      "for b in doc.blocks:\n"
                      "    if b.name.startswith('*'): continue\n"
                      "    o.write('BLOCK\\t%s\\n' % b.name)\n"
                      "    for e in b.query('TEXT'): o.write('TEXT\\t%s\\t%s\\n' % (b.name, e.dxf.text))\n"
                      "for e in doc.modelspace():\n"
                      "    if e.dxftype() == 'TEXT': o.write('TEXT\\t\\t%s\\n' % e.dxf.text)\n"
                      "    if e.dxftype() == 'INSERT':\n"
                      "        o.write('INSERT\\t%s\\t%r\\t%r\\t%r\\t%r\\n' % (e.dxf.name, e.dxf.insert.x,\n"
                      "                e.dxf.insert.y, e.dxf.xscale, e.dxf.yscale))\n",
                      {DxfFile(), out}));
    SheetDxf s;
    for (const auto& line : ReadLines(out)) {
      const auto p = drawing_test::SplitTabs(line);
      if (p[0] == "BLOCK") s.blocks.push_back(p[1]);
      if (p[0] == "TEXT" && p.size() >= 3) s.texts[p[1]].push_back(p[2]);
      if (p[0] == "INSERT" && p.size() >= 6)
        s.inserts.push_back({p[1], std::stod(p[2]), std::stod(p[3]), std::stod(p[4]), std::stod(p[5])});
    }
    return s;
  }

  // The block names of the sheet drawn to the listing.
  std::vector<std::string> ListingBlocks(TSheetKind kind) {
    DrawSheet(kind, kCadListing);
    EXPECT_EQ(AbortFlag, 0);
    std::vector<std::string> names;
    for (const auto& l : ReadLines(Dir() + "/drawing.lst"))
      if (l.rfind("BLOCK\t", 0) == 0) names.push_back(l.substr(6));
    return names;
  }

  static std::string ProgramLine() {
    return "TOVIMAR   " + ProgTitle.str() + " to VDI 2230   V" + ProgVersion;
  }
};

TEST_F(SheetsTest, EverySheetKindIsReadByTheIndependentReaderWithItsBlocksInsertsAndTexts) {
  SKIP_WITHOUT_EZDXF();
  const SheetDxf s = ReadSheet(kSheetDrawing);
  EXPECT_EQ(s.blocks, (Names{"FRAME_1", "DESIGN1", "TABLES"}));  // no nut block for a tapped joint
  ASSERT_EQ(s.InsertNames(), (Names{"FRAME_1", "TABLES", "DESIGN1"}));
  // The joint, undistorted, inside the frame.
  const double f = static_cast<double>(SheetDrawingScale());
  EXPECT_NEAR(s.inserts[2].x, 60, 1e-6);
  EXPECT_GT(s.inserts[2].y, 0);
  EXPECT_LT(s.inserts[2].y, 290);
  EXPECT_NEAR(s.inserts[2].xs, f, 1e-9);
  EXPECT_NEAR(s.inserts[2].ys, f, 1e-9);
  // The title block and the tables (their texts are pinned by the golden title block and the table tests).
  EXPECT_TRUE(s.Has("FRAME_1", "BOLTED JOINT M12"));
  EXPECT_TRUE(s.Has("FRAME_1", "housing cover"));
  EXPECT_TRUE(s.Has("FRAME_1", TodayText() + " " + TimeText()));
  EXPECT_TRUE(s.Has("TABLES", " " + BoltDesignation()));
  EXPECT_TRUE(s.Has("TABLES", " FACTORS OF SAFETY"));
  EXPECT_TRUE(s.Has("", ProgramLine()));
  const SheetDxf forces = ReadSheet(kSheetForces);
  EXPECT_EQ(forces.blocks, (Names{"FRAME_1", "DIAG1", "FTABLE"}));
  ASSERT_EQ(forces.InsertNames(), (Names{"FRAME_1", "FTABLE", "DIAG1"}));
  EXPECT_NEAR(forces.inserts[2].x, 30, 1e-9);
  EXPECT_NEAR(forces.inserts[2].y, 200, 1e-9);
  EXPECT_NEAR(forces.inserts[2].ys, 0.75, 1e-9);
  EXPECT_TRUE(forces.Has("FTABLE", " Load, real"));  // the table's texts are pinned by the table tests
  EXPECT_FALSE(forces.texts.at("DIAG1").empty());
  EXPECT_TRUE(forces.Has("FRAME_1", "BQ4-100-01"));
  CadState.CadNoProgramLine = 1;
  const SheetDxf quick = ReadSheet(kSheetQuickView);
  ASSERT_EQ(quick.InsertNames(), (Names{"TABLES", "DESIGN1", "FTABLE", "DIAG1"}));  // no frame
  EXPECT_NEAR(quick.inserts[2].x, 180, 1e-9);
  EXPECT_NEAR(quick.inserts[3].x, 210, 1e-9);
  EXPECT_EQ(quick.texts.count(""), 0u);  // no program line
  EXPECT_EQ(CadState.CadOutputMode, 1);
  DrawSheet(kSheetDrawing, kCadListing);
  EXPECT_EQ(CadState.CadOutputMode, 2);
}

TEST_F(SheetsTest, FlangeNutJointDefinesTheNutBlock) {
  CalculatedM12Joint(kJointWithNut);
  EXPECT_EQ(ListingBlocks(kSheetDrawing), (Names{"FRAME_1", "DESIGN1", "TABLES"}));
  Mutter.NutType = 3;
  // The nut is defined before the joint drawing that inserts it.
  EXPECT_EQ(ListingBlocks(kSheetDrawing), (Names{"FRAME_1", "NUT", "DESIGN1", "TABLES"}));
}

TEST_F(SheetsTest, UnknownSheetKindHasOnlyTheFrameAndACancelledFileChoiceStopsTheSheet) {
  EXPECT_EQ(ListingBlocks(7), (Names{"FRAME_1"}));
  const auto lines = ReadLines(Dir() + "/drawing.lst");
  EXPECT_EQ(drawing_test::Count(drawing_test::ParseListing(lines), "INSERT"), 0);
  EXPECT_FALSE(sheet_test::HasText(sheet_test::Texts(lines), ProgramLine()));
  CadBatchMode = 0;
  platform::DialogScript script;
  script.Cancel();
  DrawSheet(kSheetDrawing, kCadDxf);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(Exists(DxfFile()));
}

// An IGES file shows what the listing of the same drawing shows: a block
// that no insert names (the quick view's frame, the flange nut of an end
// view from the head side) is none of its geometry.
TEST_F(SheetsTest, IgesFilesHoldNoBlockThatNoInsertNames) {
  // The type, label and parameters of each entity of an IGES file.
  struct IgesEntity {
    std::string type, label, parameters;
  };
  const auto iges = [this] {
    std::vector<IgesEntity> out;
    std::vector<std::string> d, p;
    for (const auto& l : ReadLines(Dir() + "/drawing.igs")) {
      if (l.size() == 80 && l[72] == 'D') d.push_back(l);
      if (l.size() == 80 && l[72] == 'P') p.push_back(l);
    }
    for (std::size_t i = 0; i + 1 < d.size(); i += 2) {
      // Directory fields are right-justified in their 8 columns.
      const auto field = [](const std::string& text) {
        const std::size_t first = text.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : TrimRightText(text.substr(first));
      };
      IgesEntity e{field(d[i].substr(0, 8)), field(d[i + 1].substr(56, 8)), ""};
      for (const auto& l : p)
        if (std::stoul(l.substr(64, 8)) == i + 1) e.parameters += TrimRightText(l.substr(0, 64));
      out.push_back(e);
    }
    return out;
  };
  DrawSheet(kSheetQuickView, kCadIges);
  ASSERT_EQ(AbortFlag, 0);
  const auto quick = iges();
  ASSERT_GT(quick.size(), 100u);
  for (const auto& e : quick) {
    EXPECT_NE(e.label, "FRAME_1");
    EXPECT_EQ(e.parameters.find("BQ4-100-01"), std::string::npos);
    // No line of the frame: the sheet's edge and the fold mark start at x = 0,
    // the frame at x = 18, left of everything the quick view shows.
    if (e.type != "110") continue;
    double x1 = 0, y1 = 0, z = 0, x2 = 0, y2 = 0;
    ASSERT_EQ(std::sscanf(e.parameters.c_str(), "110,%lf,%lf,%lf,%lf,%lf", &x1, &y1, &z, &x2, &y2), 5);
    EXPECT_GT(std::min(x1, x2), 18.5) << e.parameters;
  }
  // A through-bolted M12, flange head and hex flange nut, seen from the head:
  // the lines and arcs of the listing, and no nut.
  CalculatedM12Joint(kJointWithNut, kPartFlangeHead);
  Mutter.NutType = 3;
  for (TJointView view : {kViewTop, kViewBottom, kViewFront}) {
    SCOPED_TRACE(view);
    DrawBoltedJoint(view, kCadListing);
    DrawBoltedJoint(view, kCadIges);
    ASSERT_EQ(AbortFlag, 0);
    // The listing's entity section: the block section defines, and shows nothing.
    auto lines = ReadLines(Dir() + "/drawing.lst");
    lines.erase(lines.begin(), std::find(lines.begin(), lines.end(), "SECTION ENTITIES"));
    const auto listed = drawing_test::ParseListing(lines);
    int curves = 0, nuts = 0;
    for (const auto& e : iges()) {
      curves += e.type == "110" || e.type == "100";
      nuts += e.label == "NUT";
    }
    const int inserts = drawing_test::Count(listed, "INSERT");
    EXPECT_EQ(nuts > 0, inserts > 0);
    if (inserts == 0) {
      EXPECT_EQ(curves, drawing_test::Count(listed, "LINE") + drawing_test::Count(listed, "CIRCLE") +
                            drawing_test::Count(listed, "ARC"));
    }
  }
}

// A longer bolt is drawn smaller; a joint not yet sized is drawn at full size.
TEST_F(SheetsTest, LongerBoltIsDrawnSmallerAndAnUnsizedJointAtFullSize) {
  Schraube.l = 20;
  const Extended shortBolt = SheetDrawingScale();
  Schraube.l = 200;
  EXPECT_LT(SheetDrawingScale(), shortBolt);
  Gewinde.d = 0;
  Schraube.dK = 0;
  Schraube.l = 0;
  EXPECT_EQ(SheetDrawingScale(), 1);
}

// Blocks kept in memory give the screen record for record what the
// temporary block files give.
TEST_F(SheetsTest, EverySheetReachesTheScreen) {
  for (TSheetKind kind : {kSheetDrawing, kSheetForces, kSheetQuickView}) {
    SCOPED_TRACE(kind);
    SeedFreehandLine(kind);  // the same break lines in both drawings
    ScreenBlocksInFiles = false;
    DrawSheet(kind, kCadScreen);
    ASSERT_EQ(AbortFlag, 0);
    EXPECT_GT(CreateDisplayList()->size(), 200u);
    EXPECT_EQ(ShowsText("BQ4-100-01"), kind != kSheetQuickView);
    EXPECT_EQ(ShowsText(" FACTORS OF SAFETY"), kind != kSheetForces);
    EXPECT_EQ(ShowsText(" Load, real"), kind != kSheetDrawing);
    const std::vector<std::string> fromMemory = CreateDisplayList()->Lines();
    ScreenBlocksInFiles = true;
    SeedFreehandLine(kind);
    DrawSheet(kind, kCadScreen);
    ASSERT_EQ(AbortFlag, 0);
    const std::vector<std::string>& fromFiles = CreateDisplayList()->Lines();
    ASSERT_EQ(fromMemory.size(), fromFiles.size());
    for (std::size_t i = 0; i < fromFiles.size(); ++i) ASSERT_EQ(fromMemory[i], fromFiles[i]) << i;
  }
}

// Messages and a working temperature add table rows; the quick view's
// window reaches down to the last of them.
TEST_F(SheetsTest, QuickViewShowsEveryTableRow) {
  Temperatur.TWork = Temperatur.T0 + 100;
  for (int i = 1; i <= 10; ++i) AddErrorMessage("Warning: message " + std::to_string(i));
  DrawSheet(kSheetQuickView, kCadScreen);
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_TRUE(ShowsText(" Warning: message 10"));
  const auto windows = Parsed(gcSetWindow);
  ASSERT_FALSE(windows.empty());
  const Extended ymin = windows[0].v[5];
  EXPECT_LT(ymin, 45);
  for (const auto& l : Parsed(gcLine)) EXPECT_GE(std::min(l.v[1], l.v[3]), ymin);
  for (const auto& t : Parsed(gcOutTextXY)) EXPECT_GE(t.v[1], ymin) << t.text;
}

TEST_F(SheetsTest, CurrentViewCodesChooseTheDrawing) {
  for (int code : {0, 1, 6}) {
    CreateDisplayList()->clear();
    CurrentViewCode = code;
    RedrawCurrentView();
    EXPECT_TRUE(ShowsText(" FACTORS OF SAFETY") && ShowsText(" Load, real")) << code;
  }
  CurrentViewCode = 3;
  RedrawCurrentView();
  EXPECT_TRUE(ShowsText("Compl."));
  CurrentViewCode = 5;
  RedrawCurrentView();
  EXPECT_FALSE(ShowsText(" LOAD"));
  EXPECT_GT(CreateDisplayList()->size(), 50u);
}

TEST_F(SheetsTest, RedrawLeavesTheWindowWithoutJointOrHelpLevel) {
  DrawSheet(kSheetQuickView, kCadScreen);
  const auto before = *CreateDisplayList();
  HelpLevel = 0;
  RedrawCurrentView();
  Klemmstuecke.nPlates = 0;
  HelpLevel = 1;
  RedrawCurrentView();
  EXPECT_EQ(*CreateDisplayList(), before);
}

TEST_F(SheetsTest, FatalCalculationShowsTheMessagesInsteadOfASheet) {
  DrawSheet(kSheetQuickView, kCadScreen);
  const auto before = *CreateDisplayList();
  AddErrorMessage("Fatal  : no clamp.piece !");
  CalcFatalFlag = 1;
  {
    platform::DialogScript script;
    script.Cancel().Expect("Calculation done");
    RedrawCurrentView();
    EXPECT_EQ(script.Shown().size(), 1u);
  }
  // No result of the earlier inputs stays in sight: the window shows the messages.
  EXPECT_NE(*CreateDisplayList(), before);
  EXPECT_FALSE(ShowsText(" FACTORS OF SAFETY"));
  EXPECT_TRUE(ShowsText("Fatal  : no clamp.piece !"));
  platform::DialogScript script;
  script.Cancel();
  DrawSheet(kSheetDrawing, kCadDxf);
  EXPECT_FALSE(Exists(DxfFile()));
}

}  // namespace
