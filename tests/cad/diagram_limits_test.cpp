// Every entity of every joint diagram lies on its 160 x 120 sheet, on every
// sample project, whatever axis limits the user enters: x or y minimum above
// zero or below it, limits inside the data, a narrow range, limits entered
// the wrong way round. Texts count with their whole box (height x width
// ratio per character, turned by their angle). The same on the screen's
// display list, and read back by ezdxf.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cad/diagram_commands.h"
#include "cad/load_extension_diagrams.h"
#include "cad/tightening_diagrams.h"
#include "calc/joint_records.h"
#include "calc/project_file.h"
#include "diagram_test_support.h"
#include "framework/display_list.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "platform/dialogs.h"

namespace {

constexpr double kSheetW = 160, kSheetH = 120, kEps = 0.05;

// What of a drawing lies off the sheet, one line per entity.
struct OffSheet {
  std::vector<std::string> found;
  int checked = 0;
  void Point(const std::string& what, double x, double y) {
    ++checked;
    if (!(x > -kEps && x < kSheetW + kEps && y > -kEps && y < kSheetH + kEps)) {
      std::ostringstream s;
      s << what << " at " << x << " " << y;
      found.push_back(s.str());
    }
  }
  // The four corners of a text's box: its letters, baseline to height.
  void Text(const std::string& text, double x, double y, double height, double charWidth, double angle) {
    const double a = angle * M_PI / 180, c = std::cos(a), s = std::sin(a);
    const double len = static_cast<double>(text.size()) * charWidth;
    for (double u : {0.0, len})
      for (double v : {0.0, height}) Point("text \"" + text + "\"", x + u * c - v * s, y + u * s + v * c);
  }
};

struct Box {
  double x1, y1, x2, y2;
  bool Meets(const Box& b) const { return x1 < b.x2 && b.x1 < x2 && y1 < b.y2 && b.y1 < y2; }
};

// The ENTITIES section of a DXF file: line ends, polyline vertices, solid
// corners and text boxes; and no arrowhead (a solid) over the letters of the
// title (the tallest text, descenders included).
OffSheet DxfOffSheet(const std::vector<std::string>& lines) {
  OffSheet off;
  std::vector<Box> solids;
  Box title{0, 0, 0, 0};
  double titleHeight = 0;
  for (const drawing_test::Entity& e : drawing_test::ParseDxf(lines)) {
    if (e.kind == "LINE" || e.kind == "POLYLINE") {
      for (std::size_t k = 0; k + 1 < e.v.size(); k += 2) off.Point(e.kind, e.v[k], e.v[k + 1]);
    } else if (e.kind == "SOLID") {
      Box b{1e9, 1e9, -1e9, -1e9};
      for (std::size_t k = 0; k + 1 < e.v.size(); k += 2) {
        off.Point("solid", e.v[k], e.v[k + 1]);
        b = {std::min(b.x1, e.v[k]), std::min(b.y1, e.v[k + 1]), std::max(b.x2, e.v[k]), std::max(b.y2, e.v[k + 1])};
      }
      solids.push_back(b);
    }
  }
  for (const drawing_test::DxfText& t : drawing_test::DxfTexts(lines)) {
    const double cw = t.height * t.widthFactor;
    off.Text(t.text, t.x, t.y, t.height, cw, t.angle);
    const std::size_t first = t.text.find_first_not_of(' ');
    if (t.height > titleHeight && first != std::string::npos) {
      titleHeight = t.height;
      title = {t.x + first * cw, t.y - 0.25 * t.height, t.x + (t.text.find_last_not_of(' ') + 1) * cw,
               t.y + t.height};
    }
  }
  for (const Box& b : solids)
    if (b.Meets(title)) off.found.push_back("an arrowhead over the title's letters");
  return off;
}

// The display list of the screen, in sheet units.
OffSheet ScreenOffSheet() {
  OffSheet off;
  double height = 0, width = 0, angle = 0;
  for (const std::string& line : *CreateDisplayList()) {
    TGraphRecord r;
    if (!ParseGraphRecord(line, r)) continue;
    switch (r.code) {
      case gcLine:
        off.Point("line", r.v[0], r.v[1]);
        off.Point("line", r.v[2], r.v[3]);
        break;
      case gcMoveTo:
      case gcLineTo:
        off.Point("line", r.v[0], r.v[1]);
        break;
      case gcSolid:
        for (int k = 0; k < 4; ++k) off.Point("solid", r.v[2 * k], r.v[2 * k + 1]);
        break;
      case gcSetTextStyle:
        height = r.v[0];
        width = r.v[1];
        angle = r.v[2];
        break;
      case gcOutTextXY:
        off.Text(r.text, r.v[0], r.v[1], height, width, angle);
        break;
      default:
        break;
    }
  }
  return off;
}

std::string Joined(const std::vector<std::string>& found) {
  std::string s;
  for (std::size_t i = 0; i < found.size() && i < 12; ++i) s += "\n  " + found[i];
  if (found.size() > 12) s += "\n  ... " + std::to_string(found.size() - 12) + " more";
  return s;
}

// Limits as parts of the automatic range: x from, x to, y from, y to.
struct LimitSet {
  const char* name;
  double x0, x1, y0, y1;
};

constexpr LimitSet kLimitSets[] = {
    {"x minimum near the points", 0.4, 1.0, 0.0, 1.0},
    {"y minimum above zero", 0.0, 1.0, 0.3, 1.0},
    {"inside the data", 0.5, 0.75, 0.5, 0.75},
    {"narrow", 0.9, 0.905, 0.2, 0.205},
    {"wrong way round", 1.0, 0.2, 0.9, 0.1},
    {"wider, from below zero", -0.5, 2.0, -0.5, 1.5},
};

class DiagramLimitsTest : public SampleDiagramTest {
 protected:
  static std::string Sample(const std::string& name) {
    return std::string(BQ4_SOURCE_DIR) + "/data/samples/" + name + ".bq4";
  }
  void Read(const std::string& sample) {
    ReadCalcFile(sample);
    ASSERT_EQ(AbortFlag, 0) << sample;
    CurrentFileName = Dir() + "/drawing";  // the DXF file goes to the test's folder
  }

  // The diagram drawn into a DXF file with the limits entered (in display
  // units, as the dialog shows them).
  void DrawWithLimits(TDiagramKind kind, double x0, double x1, double y0, double y1) {
    EnterDiagramLimits = 1;
    platform::DialogScript script;
    script.Ok({{"Edit_xmin", FloatToTextSig3(x0)},
               {"Edit_xmax", FloatToTextSig3(x1)},
               {"Edit_ymin", FloatToTextSig3(y0)},
               {"Edit_ymax", FloatToTextSig3(y1)}});
    DiagramCommand(kind, kCadDxf);
    EnterDiagramLimits = 0;
  }

  static bool Frame(TDiagramKind kind, TDiagramFrame& f) {
    return LoadExtensionFrame(kind, f) || TighteningFrame(kind, f);
  }

  void ExpectOnSheet(const std::string& what) {
    const OffSheet off = DxfOffSheet(ReadLines(DxfFile()));
    EXPECT_GT(off.checked, 20) << what;
    EXPECT_TRUE(off.found.empty()) << what << ": " << off.found.size() << " off the sheet" << Joined(off.found);
  }

  // The hot sample's diagram with the limits of a user who looked at it.
  void ExpectOnSheetWithLimits(TDiagramKind kind, double x0, double x1, double y0, double y1) {
    Read(Sample("hot"));
    ASSERT_EQ(CalcFatalFlag, 0);
    DrawWithLimits(kind, x0, x1, y0, y1);
    ASSERT_EQ(AbortFlag, 0);
    std::ostringstream what;
    what << "diagram " << kind << " x " << x0 << ".." << x1 << " y " << y0 << ".." << y1;
    ExpectOnSheet(what.str());
  }

  // Sheet x of the first DXF text that starts with the prefix, or NaN.
  double TextX(const std::string& prefix) const {
    for (const auto& e : DxfEntities())
      if (e.kind == "TEXT" && e.text.rfind(prefix, 0) == 0) return e.v[0];
    return NAN;
  }
};

// The limits users entered and saw the texts, hatches and labels leave the sheet with.
TEST_F(DiagramLimitsTest, LimitsUsersEnteredKeepEveryEntityOnTheSheet) {
  ExpectOnSheetWithLimits(kDiagramPreloadAngle, 32, 80, 0, 120000);
  ExpectOnSheetWithLimits(kDiagramTorquePreload, 15000, 30000, 30, 60);
  ExpectOnSheetWithLimits(kDiagramPreloadTorque, 72, 180, 0, 120000);
  ExpectOnSheetWithLimits(kDiagramTorquePreload, 22500, 23500, 0, 120);
}

// Tick labels stand under their ticks and the x-axis text beside the axis'
// end, wherever the axis starts.
TEST_F(DiagramLimitsTest, TickLabelsAndAxisTextsStandBesideTheirAxes) {
  Read(Sample("hot"));
  DrawWithLimits(kDiagramTorquePreload, 22500, 23500, 0, 120);
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_GT(static_cast<double>(PlotState.WinXMin), 22000);
  int labels = 0;
  for (const auto& e : DxfEntities()) {
    if (e.kind != "TEXT") continue;
    if (e.text.find('E') != std::string::npos && e.v[1] < 10) {
      // "22.4E3" and the like under the x axis: within a few millimetres of its tick.
      const double tick = std::strtod(e.text.c_str(), nullptr);
      const double sheetX = static_cast<double>(PlotX(tick));
      EXPECT_NEAR(e.v[0], sheetX, 6) << e.text;
      ++labels;
    }
  }
  EXPECT_GE(labels, 2);
  // The force axis' text beside the end of the x axis (at 114 mm), not metres
  // away, and after the last tick's label.
  const double axisText = TextX("FM [");
  EXPECT_GT(axisText, 114);
  EXPECT_LT(axisText, 130);
  for (const auto& e : DxfEntities()) {
    if (e.kind == "TEXT" && e.text.find('E') != std::string::npos && e.v[1] < 10) {
      const double letter = 1.9 * 0.98 * static_cast<double>(CadState.CadTextWidthSetting);  // labels of a 100 x 98 plot
      EXPECT_LT(e.v[0] + static_cast<double>(e.text.size()) * letter, axisText) << e.text;
    }
  }
}

// A value mark whose point lies left of the plot area's edge writes no text
// beside the y axis or beyond the sheet; one inside stays on the plot area.
TEST_F(DiagramLimitsTest, ValueMarksStayOnThePlotArea) {
  Read(Sample("hot"));
  DrawWithLimits(kDiagramPreloadAngle, 32, 80, 0, 120000);
  ASSERT_EQ(AbortFlag, 0);
  for (const auto& e : DxfEntities()) {
    if (e.kind == "TEXT" && e.text.rfind("FM,m", 0) == 0) {
      EXPECT_GE(e.v[0], 14 - 1e-6) << e.text;
    }
  }
}

// The panel of the assembly diagrams ends on the sheet without entered limits.
TEST_F(DiagramLimitsTest, PanelLinesEndOnTheSheet) {
  CalculateDefaultJoint();
  for (const TDiagramKind kind : {kDiagramAssemblyReq, kDiagramLoadExtension, kDiagramTorqueAngle}) {
    DiagramCommand(kind, kCadDxf);
    ASSERT_EQ(AbortFlag, 0);
    ExpectOnSheet("diagram " + std::to_string(kind));
  }
}

// No text of a diagram stands over another or over an arrowhead, on every
// kind of every sample, with the automatic limits and with every set of
// entered limits, wide ones (-1e100 .. 1e100), negative ones and ones whose
// ticks differ far behind their leading digits (1e15 .. 1e15 + 1), whose
// tick labels are told apart.
TEST_F(DiagramLimitsTest, NoTextStandsOverAnotherWhateverTheLimits) {
  const auto samples = Samples();
  int drawings = 0;
  auto check = [&](const std::string& what) {
    ASSERT_EQ(AbortFlag, 0) << what;
    const auto lines = ReadLines(DxfFile());
    const auto texts = drawing_test::DxfTexts(lines);
    auto found = drawing_test::TextsOverEachOtherOrOffSheet(texts, 160, 120);
    // Arrowheads (solids) over the letters of a text.
    for (const auto& e : drawing_test::ParseDxf(lines)) {
      if (e.kind != "SOLID") continue;
      std::vector<drawing_test::DxfText> one = texts;
      double x1 = 1e300, y1 = 1e300, x2 = -1e300, y2 = -1e300;
      for (std::size_t k = 0; k + 1 < e.v.size(); k += 2) {
        x1 = std::min(x1, e.v[k]);
        x2 = std::max(x2, e.v[k]);
        y1 = std::min(y1, e.v[k + 1]);
        y2 = std::max(y2, e.v[k + 1]);
      }
      // The solid's box as a text of one letter, its height the box's.
      if (!(y2 > y1)) continue;
      one.push_back({"#", x1, y1 + 0.1 * (y2 - y1) / 1.1, (y2 - y1) / 1.1, (x2 - x1) / ((y2 - y1) / 1.1), 0});
      for (const auto& f : drawing_test::TextsOverEachOtherOrOffSheet(one, 160, 120))
        if (f.find("\"#\"") != std::string::npos) found.push_back("an arrowhead: " + f);
    }
    // Tick labels under the x axis are told apart.
    std::vector<std::string> below;
    for (const auto& t : texts)
      if (t.y < 6 && t.x < 120) below.push_back(t.text);
    std::sort(below.begin(), below.end());
    if (std::adjacent_find(below.begin(), below.end()) != below.end()) found.push_back("two x labels alike");
    EXPECT_TRUE(found.empty()) << what << ": " << found.size() << Joined(found);
    ++drawings;
  };
  std::vector<LimitSet> sets(std::begin(kLimitSets), std::end(kLimitSets));
  sets.push_back({"negative", -1.0, -0.1, -1.0, -0.1});
  sets.push_back({"negative to zero", -1.0, 0.0, -1.0, 0.0});
  for (const std::string& sample : samples) {
    Read(sample);
    if (CalcFatalFlag) continue;
    const std::string name = std::filesystem::path(sample).stem().string();
    for (int k = 1; k <= 11; ++k) {
      const auto kind = static_cast<TDiagramKind>(k);
      const std::string what = name + " diagram " + std::to_string(k);
      DiagramCommand(kind, kCadDxf);
      check(what);
      TDiagramFrame f;
      if (!Frame(kind, f)) continue;
      const double xa = static_cast<double>(f.xmin * f.xFactor), xb = static_cast<double>(f.xmax * f.xFactor);
      const double ya = static_cast<double>(f.ymin * f.yFactor), yb = static_cast<double>(f.ymax * f.yFactor);
      for (const LimitSet& l : sets) {
        DrawWithLimits(kind, xa + l.x0 * (xb - xa), xa + l.x1 * (xb - xa), ya + l.y0 * (yb - ya),
                       ya + l.y1 * (yb - ya));
        check(what + " limits " + l.name);
      }
      DrawWithLimits(kind, -1e100, 1e100, -1e100, 1e100);
      check(what + " limits -1e100 .. 1e100");
      DrawWithLimits(kind, 1e15, 1e15 + 1, 1e15, 1e15 + 1);
      check(what + " limits 1e15 .. 1e15 + 1");
    }
  }
  EXPECT_GE(drawings, 5 * (11 + 10 * 10));
}

// Every kind on every sample, with every set of limits, on the sheet: in the
// DXF file (read by ezdxf too) and, with the automatic limits, on the screen.
TEST_F(DiagramLimitsTest, EveryKindOnEverySampleWithAnyLimitsStaysOnTheSheet) {
  const auto samples = Samples();
  ASSERT_GE(samples.size(), 6u);
  int drawings = 0;
  std::vector<std::string> files;
  for (const std::string& sample : samples) {
    Read(sample);
    if (CalcFatalFlag) continue;  // the message list stands in for the diagrams
    const std::string name = std::filesystem::path(sample).stem().string();
    for (int k = 1; k <= 11; ++k) {
      const auto kind = static_cast<TDiagramKind>(k);
      const std::string what = name + " diagram " + std::to_string(k);
      InitDisplayList();
      DiagramCommand(kind, kCadScreen);
      ASSERT_EQ(AbortFlag, 0) << what;
      const OffSheet screen = ScreenOffSheet();
      EXPECT_TRUE(screen.found.empty()) << what << " on the screen:" << Joined(screen.found);
      DiagramCommand(kind, kCadDxf);
      ASSERT_EQ(AbortFlag, 0) << what;
      ExpectOnSheet(what);
      ++drawings;
      TDiagramFrame f;
      if (!Frame(kind, f)) continue;
      const double xa = static_cast<double>(f.xmin * f.xFactor), xb = static_cast<double>(f.xmax * f.xFactor);
      const double ya = static_cast<double>(f.ymin * f.yFactor), yb = static_cast<double>(f.ymax * f.yFactor);
      for (const LimitSet& l : kLimitSets) {
        const std::string with = what + " limits " + l.name;
        DrawWithLimits(kind, xa + l.x0 * (xb - xa), xa + l.x1 * (xb - xa), ya + l.y0 * (yb - ya),
                       ya + l.y1 * (yb - ya));
        ASSERT_EQ(AbortFlag, 0) << with;
        ExpectOnSheet(with);
        ++drawings;
        if (&l == &kLimitSets[0] || &l == &kLimitSets[2]) {
          const std::string copy = Dir() + "/" + name + "_" + std::to_string(k) + "_" + std::to_string(&l - kLimitSets) + ".dxf";
          std::filesystem::copy_file(DxfFile(), copy);
          files.push_back(copy);
        }
      }
    }
  }
  EXPECT_GE(drawings, 5 * (11 + 10 * 6));
  if (!HasEzdxf()) return;
  // ezdxf's own bounding boxes of the entities (texts as its fonts measure
  // them, a little wider than ours) stay on the sheet too.
  const std::string check =
      "import ezdxf.bbox\n"
      "bad = 0\n"
      "for name in sys.argv[1:]:\n"
      "    doc = ezdxf.readfile(name)\n"
      "    for e in doc.modelspace():\n"
      "        if e.dxftype() == 'TEXT':\n"
      "            p = e.dxf.insert\n"
      "            w = len(e.dxf.text) * e.dxf.height * e.dxf.get('width', 1)\n"
      "            pts = [p, p + (w, e.dxf.height)] if not e.dxf.get('rotation', 0) else [p]\n"
      "        else:\n"
      "            b = ezdxf.bbox.extents([e], fast=True)\n"
      "            pts = [b.extmin, b.extmax] if b.has_data else []\n"
      "        for q in pts:\n"
      "            if not (-0.05 < q.x < 160.05 and -0.05 < q.y < 120.05):\n"
      "                print(name, e.dxftype(), q)\n"
      "                bad += 1\n"
      "sys.exit(bad > 0)\n";
  EXPECT_TRUE(Ezdxf(check, files));
}

}  // namespace
