// No line of a joint diagram (grid, dashed value line, curve, hatch line)
// runs through one of its texts, on any sample project: each text's box by
// the program's own character width (height x width ratio per character,
// turned by the text's angle), against every LINE of the DXF file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "cad/diagram_commands.h"
#include "cad/sheets.h"
#include "calc/project_file.h"
#include "diagram_test_support.h"

namespace {

struct Line {
  double x1, y1, x2, y2;
};
struct Text {
  std::string text;
  double x, y, height, widthFactor, angle;
};
struct Drawn {
  std::vector<Line> lines;
  std::vector<Text> texts;
};

// LINE and TEXT entities of the ENTITIES section, or of one block.
Drawn ReadDxf(const std::vector<std::string>& lines, const std::string& block = "") {
  Drawn d;
  std::string section, current;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    if (lines[i] != "  0") continue;
    const std::string kind = lines[i + 1];
    std::vector<std::pair<int, std::string>> g;
    for (std::size_t j = i + 2; j + 1 < lines.size() && lines[j] != "  0"; j += 2)
      g.push_back({std::stoi(lines[j]), lines[j + 1]});
    auto real = [&](int code) {
      for (const auto& [c, v] : g)
        if (c == code) return std::stod(v);
      return 0.0;
    };
    if (kind == "SECTION") {
      for (const auto& [c, v] : g)
        if (c == 2) section = v;
      continue;
    }
    if (kind == "BLOCK") {
      for (const auto& [c, v] : g)
        if (c == 2) current = v;
      continue;
    }
    if (kind == "ENDBLK") current.clear();
    const bool wanted = block.empty() ? section == "ENTITIES" : section == "BLOCKS" && current == block;
    if (!wanted) continue;
    if (kind == "LINE") d.lines.push_back({real(10), real(20), real(11), real(21)});
    if (kind == "TEXT") {
      Text t{"", real(10), real(20), real(40), real(41), real(50)};
      for (const auto& [c, v] : g)
        if (c == 1) t.text = v;
      d.texts.push_back(t);
    }
  }
  return d;
}

// True when the segment runs through the inside of the text's box (its
// letters from the first to the last that is not blank, baseline to height).
bool Crosses(const Line& l, const Text& t) {
  const std::size_t first = t.text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const std::size_t last = t.text.find_last_not_of(' ');
  const double cw = t.height * t.widthFactor, eps = 1e-4;
  const double u1 = first * cw + eps, u2 = (last + 1) * cw - eps, v1 = eps, v2 = t.height - eps;
  const double a = t.angle * M_PI / 180, c = std::cos(a), s = std::sin(a);
  auto u = [&](double x, double y) { return (x - t.x) * c + (y - t.y) * s; };
  auto v = [&](double x, double y) { return -(x - t.x) * s + (y - t.y) * c; };
  const double pu = u(l.x1, l.y1), pv = v(l.x1, l.y1);
  const double du = u(l.x2, l.y2) - pu, dv = v(l.x2, l.y2) - pv;
  double lo = 0, hi = 1;
  const double p[4] = {-du, du, -dv, dv}, q[4] = {pu - u1, u2 - pu, pv - v1, v2 - pv};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
    } else if (p[i] < 0) {
      lo = std::max(lo, q[i] / p[i]);
    } else {
      hi = std::min(hi, q[i] / p[i]);
    }
  }
  return lo < hi;
}

void ExpectNoLineThroughText(const Drawn& d) {
  ASSERT_FALSE(d.lines.empty());
  ASSERT_FALSE(d.texts.empty());
  for (const Text& t : d.texts)
    for (const Line& l : d.lines)
      EXPECT_FALSE(Crosses(l, t)) << "\"" << t.text << "\" at " << t.x << " " << t.y << " crossed by " << l.x1 << " "
                                  << l.y1 << " - " << l.x2 << " " << l.y2;
}

using DiagramTextsTest = SampleDiagramTest;

TEST_F(DiagramTextsTest, NoLineOfAnyDiagramRunsThroughItsTexts) {
  const auto samples = Samples();
  ASSERT_GE(samples.size(), 6u);
  int drawn = 0;
  for (const std::string& sample : samples) {
    ReadCalcFile(sample);
    ASSERT_EQ(AbortFlag, 0) << sample;
    CurrentFileName = Dir() + "/drawing";  // the DXF file goes to the test's folder
    if (CalcFatalFlag) continue;  // the message list stands in for the diagrams
    for (int kind = 1; kind <= 11; ++kind) {
      SCOPED_TRACE(sample + " diagram " + std::to_string(kind));
      DiagramCommand(static_cast<TDiagramKind>(kind), kCadDxf);
      ASSERT_EQ(AbortFlag, 0);
      ExpectNoLineThroughText(ReadDxf(ReadLines(DxfFile())));
      ++drawn;
    }
    SCOPED_TRACE(sample + " quick sheet");
    DrawSheet(kSheetQuickView, kCadDxf);
    ASSERT_EQ(AbortFlag, 0);
    ExpectNoLineThroughText(ReadDxf(ReadLines(DxfFile()), "DIAG1"));
  }
  EXPECT_GE(drawn, 5 * 11);
}

}  // namespace
