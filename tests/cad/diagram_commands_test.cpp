#include "cad/diagram_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "diagram_test_support.h"

#include "calc/init.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "platform/os.h"

namespace {

class DiagramCommandTest : public CalculatedDiagramTest {
 protected:
  // The world window of the drawing: the last four fields of the window record.
  static std::string DrawingExtents() {
    for (const auto& r : *CreateDisplayList())
      if (r.rfind("10;", 0) == 0) {
        std::size_t p = r.size();
        for (int i = 0; i < 4 && p != std::string::npos; ++i) p = r.rfind(';', p - 1);
        return p == std::string::npos ? r : r.substr(p + 1);
      }
    return "";
  }
};

TEST_F(DiagramCommandTest, UserChoosesTheDiagramFromTheListAndCancelDrawsNothing) {
  {
    platform::DialogScript script;
    script.Ok({{"ListBox_items", "#0"}}).Expect("Diagram");
    script.Ok({{"ListBox_items", "#10"}});
    DiagramCommand(kDiagramChoose, kCadScreen);
    EXPECT_TRUE(ShowsText("    Load Extension Diagram"));
    DiagramCommand(kDiagramChoose, kCadScreen);
  }
  EXPECT_TRUE(ShowsText("Load Extension Diagram (Working condition min.)"));
  InitDisplayList();
  for (const TDiagramKind kind : {kDiagramChoose, kDiagramLoadExtension}) {
    platform::DialogScript script;
    script.Cancel();  // the list, then the device
    DiagramCommand(kind, kind == kDiagramChoose ? kCadScreen : kCadAskDevice);
    EXPECT_EQ(AbortFlag, 1);
    EXPECT_TRUE(CreateDisplayList()->empty());
    AbortFlag = 0;
  }
}

TEST_F(DiagramCommandTest, FatalCalculationShowsTheMessagesInstead) {
  AddErrorMessage("Fatal  : no clamp.piece !");
  CalcFatalFlag = 1;
  InitDisplayList();
  {
    platform::DialogScript script;
    script.Ok().Expect("Calculation done");
    DiagramCommand(kDiagramLoadExtension, kCadDxf);
  }
  {
    platform::DialogScript script;
    script.Cancel().Expect("Calculation done");
    DiagramSheet(1, kCadScreen);
  }
  EXPECT_FALSE(Exists(DxfFile()));
  // The screen shows the messages and no diagram.
  const auto& list = CreateDisplayList()->Lines();
  EXPECT_EQ(std::count_if(list.begin(), list.end(),
                          [](const std::string& r) { return r.ends_with(";Fatal  : no clamp.piece !"); }),
            1);
  EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const std::string& r) { return r[0] == '4'; }), 0);
}

TEST_F(DiagramCommandTest, EveryDiagramIsAReadableDxfFile) {
  SKIP_WITHOUT_EZDXF();
  // One reader run for all files: starting the reader is the slow part.
  const std::string check = "for name in sys.argv[1:]:\n"
                            "    doc = ezdxf.readfile(name)\n"
                            "    msp = doc.modelspace()\n"
                            "    assert len(msp.query('LINE')) > 20, (name, len(msp.query('LINE')))\n"
                            "    assert len(msp.query('TEXT')) > 10, name\n"
                            "    lo, hi = doc.header['$EXTMIN'], doc.header['$EXTMAX']\n"
                            "    assert lo[0] <= 0 and hi[0] >= 160, name\n"
                            "    for e in msp:\n"
                            "        if e.dxftype() == 'LINE':\n"
                            "            for p in (e.dxf.start, e.dxf.end):\n"
                            "                assert -20 < p.x < 200 and -20 < p.y < 140, (name, p)\n"
                            "                assert lo[0] <= p.x <= hi[0] and lo[1] <= p.y <= hi[1], (name, p)\n";
  std::vector<std::string> files;
  for (int kind = 1; kind <= 11; ++kind) {
    DiagramCommand(static_cast<TDiagramKind>(kind), kCadDxf);
    ASSERT_EQ(AbortFlag, 0);
    const std::string copy = Dir() + "/kind" + std::to_string(kind) + ".dxf";
    std::filesystem::copy_file(DxfFile(), copy);
    files.push_back(copy);
  }
  EXPECT_TRUE(Ezdxf(check, files));
}

// Axis limits entered for a file keep the value marks on the sheet, left of
// their points: an x axis from 20000 N puts no text metres away.
TEST_F(DiagramCommandTest, EnteredAxisLimitsKeepTheValueMarksOnTheSheet) {
  EnterDiagramLimits = 1;
  {
    platform::DialogScript script;
    script.Ok({{"Edit_xmin", "20000"}, {"Edit_xmax", std::to_string(static_cast<long>(1.2L * Last.FM))}, {"Edit_ymin", "0"},
               {"Edit_ymax", "400"}});
    DiagramCommand(kDiagramTorquePreload, kCadDxf);
  }
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_NEAR(static_cast<double>(PlotState.WinXMin), 20000, 1e-6);
  int marks = 0;
  for (const auto& e : DxfEntities()) {
    if (e.kind != "TEXT") continue;
    EXPECT_TRUE(e.v[0] > -20 && e.v[0] < 200) << e.text << " at " << e.v[0];
    if (e.text.rfind("MA = ", 0) == 0) {
      ++marks;
      EXPECT_LT(e.v[0], static_cast<double>(PlotX(Last.FM))) << e.text;
      EXPECT_GT(e.v[0], 14) << e.text;
    }
  }
  EXPECT_EQ(marks, 1);
}

TEST_F(DiagramCommandTest, EveryDeviceTakesTheDiagrams) {
  DiagramCommand(kDiagramTorqueAngle, kCadIges);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_TRUE(Exists(Dir() + "/drawing.igs"));
  DiagramCommand(kDiagramLoadExtension, kCadListing);
  EXPECT_EQ(AbortFlag, 0);
  bool title = false;
  for (const auto& line : ReadLines(Dir() + "/drawing.lst"))
    title |= line.find("Load Extension Diagram") != std::string::npos;
  EXPECT_TRUE(title);
  DiagramSheet(kDiagramAssemblyReq, kCadIges);
  EXPECT_EQ(AbortFlag, 0);
}

// Results of zero (a joint never calculated) or of a division by zero must
// neither hang a diagram nor put "nan" or "inf" into a file.
TEST_F(DiagramCommandTest, UncalculatedOrBrokenResultsDrawWithoutFault) {
  InitCalcModules();
  Montage.nu = 0;
  Montage.alphaA = 0;
  for (int kind = 1; kind <= 11; ++kind) {
    DiagramCommand(static_cast<TDiagramKind>(kind), kCadDxf);
    ASSERT_EQ(AbortFlag, 0) << kind;
    // Every value but the texts (group 1) is a number that reads back.
    const auto lines = ReadLines(DxfFile());
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
      const int code = std::atoi(lines[i].c_str());
      if ((code >= 10 && code < 60) || code == 70) {
        char* end = nullptr;
        const double v = std::strtod(lines[i + 1].c_str(), &end);
        EXPECT_TRUE(std::isfinite(v) && *end == '\0') << kind << ": " << lines[i + 1];
      }
    }
  }
}

TEST_F(DiagramCommandTest, SheetDefinesNineBlocksAndTheWorkingConditionsSheetIsRefusedWithoutAxialLoad) {
  DiagramSheet(1, kCadDxf);
  ASSERT_EQ(AbortFlag, 0);
  const auto lines = ReadLines(DxfFile());
  int blocks = 0;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    if (lines[i] == "  0" && lines[i + 1] == "BLOCK") ++blocks;
  EXPECT_EQ(blocks, 9);
  const auto es = DxfEntities();
  EXPECT_EQ(Count(es, "INSERT"), 9);
  EXPECT_EQ(Count(es, "LINE"), 8);  // the 3 x 3 grid
  if (HasEzdxf()) {
    EXPECT_TRUE(Ezdxf("doc = ezdxf.readfile(sys.argv[1])\n"
                      "ins = {i.dxf.name: (i.dxf.insert.x, i.dxf.insert.y) for i in doc.modelspace().query('INSERT')}\n"
                      "assert ins['DIAG1'] == (0, 240) and ins['DIAG9'] == (320, 0), ins\n"
                      "assert len(doc.blocks.get('DIAG6').query('TEXT')) > 10\n",
                      {DxfFile()}));
  }
  Last.FAmax = 0;
  InitDisplayList();
  {
    platform::DialogScript script;
    script.Ok().Expect("No diagram for FSa min < 0.");
    DiagramSheet(kDiagramWorkingReq, kCadScreen);
  }
  EXPECT_TRUE(CreateDisplayList()->empty());
  DiagramSheet(kDiagramAssemblyReq, kCadScreen);
  EXPECT_EQ(DrawingExtents(), "0;0;480;360");
  EXPECT_FALSE(Parsed(gcLine).empty());
}

}  // namespace
