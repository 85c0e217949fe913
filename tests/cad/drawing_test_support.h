// Shared set-up of the drawing tests: the CAD test fixture plus readers
// that turn a drawing written to the text listing or to a DXF file back into
// entities, so that tests can count and measure what was drawn.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "cad_test_support.h"
#include "framework/calc_messages.h"

namespace drawing_test {

// One entity of a drawing: its kind ("LINE", "ARC", ...), its layer (DXF
// only), its numbers in the order the listing writes them: LINE x1 y1 x2
// y2; CIRCLE x y r; ARC x y r a1 a2; TEXT x y; SOLID eight values; and the
// text of a DXF TEXT.
struct Entity {
  std::string kind;
  std::string layer;
  std::vector<double> v;
  std::string text;
};

inline std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return out;
    start = tab + 1;
  }
}

// The entities of a text listing.
inline std::vector<Entity> ParseListing(const std::vector<std::string>& lines) {
  std::vector<Entity> out;
  for (const auto& line : lines) {
    const auto parts = SplitTabs(line);
    const std::string& k = parts[0];
    if (k != "LINE" && k != "CIRCLE" && k != "ARC" && k != "TEXT" && k != "SOLID" && k != "INSERT")
      continue;
    Entity e{k, "", {}, ""};
    for (std::size_t i = 1; i < parts.size(); ++i) {
      if (k == "INSERT" && i == 1) {
        e.layer = parts[i];  // the block name
        continue;
      }
      if (k == "TEXT" && i == 3) break;
      e.v.push_back(std::stod(parts[i]));
    }
    out.push_back(e);
  }
  return out;
}

// The entities of the ENTITIES section of a DXF file (or of every BLOCK when
// blocks is set), with their layer and the listing's order of numbers;
// polylines come as one entity "POLYLINE" with its vertices' x y pairs.
inline std::vector<Entity> ParseDxf(const std::vector<std::string>& lines, bool blocks = false) {
  std::vector<Entity> out;
  bool inside = false;
  std::string section;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    const std::string code = lines[i];
    const std::string value = lines[i + 1];
    if (code == "  2" && i >= 2 && lines[i - 1] == "SECTION") section = value;
    if (code != "  0") continue;
    if (value == "ENDSEC") section.clear();
    inside = section == (blocks ? "BLOCKS" : "ENTITIES");
    if (!inside || value == "SECTION" || value == "BLOCK" || value == "ENDBLK" || value == "ENDSEC" ||
        value == "SEQEND")
      continue;
    Entity e{value, "", {}, ""};
    double g[80] = {};
    std::vector<double> verts;
    std::size_t j = i + 2;
    for (; j + 1 < lines.size() && lines[j] != "  0"; j += 2) {
      const int c = std::stoi(lines[j]);
      if (c == 8) e.layer = lines[j + 1];
      else if (c == 1) e.text = lines[j + 1];
      else if ((c >= 10 && c <= 51) || c == 40 || c == 42) g[c] = std::stod(lines[j + 1]);
    }
    if (value == "VERTEX") {
      if (!out.empty() && out.back().kind == "POLYLINE") {
        out.back().v.push_back(g[10]);
        out.back().v.push_back(g[20]);
      }
      continue;
    }
    if (value == "LINE") e.v = {g[10], g[20], g[11], g[21]};
    else if (value == "CIRCLE") e.v = {g[10], g[20], g[40]};
    else if (value == "ARC") e.v = {g[10], g[20], g[40], g[50], g[51]};
    else if (value == "SOLID") e.v = {g[10], g[20], g[11], g[21], g[12], g[22], g[13], g[23]};
    else if (value == "TEXT" || value == "INSERT") e.v = {g[10], g[20]};
    out.push_back(e);
  }
  return out;
}

inline int Count(const std::vector<Entity>& es, const std::string& kind,
                 const std::string& layer = "") {
  int n = 0;
  for (const auto& e : es) n += e.kind == kind && (layer.empty() || e.layer == layer);
  return n;
}

inline std::vector<Entity> Only(const std::vector<Entity>& es, const std::string& kind) {
  std::vector<Entity> out;
  for (const auto& e : es)
    if (e.kind == kind) out.push_back(e);
  return out;
}

// Extents of every point of the entities (arcs and circles by their full circle).
struct Box {
  double xmin = 1e300, ymin = 1e300, xmax = -1e300, ymax = -1e300;
  void Add(double x, double y) {
    xmin = std::fmin(xmin, x);
    xmax = std::fmax(xmax, x);
    ymin = std::fmin(ymin, y);
    ymax = std::fmax(ymax, y);
  }
};

inline Box Extents(const std::vector<Entity>& es) {
  Box b;
  for (const auto& e : es) {
    if (e.kind == "LINE") {
      b.Add(e.v[0], e.v[1]);
      b.Add(e.v[2], e.v[3]);
    } else if (e.kind == "CIRCLE") {
      b.Add(e.v[0] - e.v[2], e.v[1] - e.v[2]);
      b.Add(e.v[0] + e.v[2], e.v[1] + e.v[2]);
    } else if (e.kind == "ARC") {
      // The end points and every axis direction the counter-clockwise sweep passes.
      const double a1 = e.v[3], sweep = std::fmod(std::fmod(e.v[4] - a1, 360) + 360, 360);
      auto at = [&](double deg) {
        b.Add(e.v[0] + e.v[2] * std::cos(deg * M_PI / 180), e.v[1] + e.v[2] * std::sin(deg * M_PI / 180));
      };
      at(a1);
      at(a1 + sweep);
      for (int q = -4; q <= 8; ++q)
        if (q * 90.0 > a1 && q * 90.0 < a1 + sweep) at(q * 90.0);
    } else if (e.kind == "POLYLINE") {
      for (std::size_t i = 0; i + 1 < e.v.size(); i += 2) b.Add(e.v[i], e.v[i + 1]);
    }
  }
  return b;
}

// True when every number of every entity is finite.
inline bool AllFinite(const std::vector<Entity>& es) {
  for (const auto& e : es)
    for (double x : e.v)
      if (!std::isfinite(x)) return false;
  return true;
}

// A TEXT entity of the ENTITIES section of a DXF file with its style, and
// where its letters end on the sheet (an unturned text).
struct DxfText {
  std::string text;
  double x = 0, y = 0, height = 0, widthFactor = 1, angle = 0;
  double End() const { return x + static_cast<double>(text.size()) * height * widthFactor; }
};

inline std::vector<DxfText> DxfTexts(const std::vector<std::string>& lines) {
  std::vector<DxfText> out;
  std::string section;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    if (lines[i] == "  2" && i >= 2 && lines[i - 1] == "SECTION") section = lines[i + 1];
    if (lines[i] != "  0" || lines[i + 1] != "TEXT" || section != "ENTITIES") continue;
    DxfText t;
    for (std::size_t j = i + 2; j + 1 < lines.size() && lines[j] != "  0"; j += 2) {
      const int c = std::stoi(lines[j]);
      const std::string& v = lines[j + 1];
      if (c == 1) t.text = v;
      else if (c == 10) t.x = std::stod(v);
      else if (c == 20) t.y = std::stod(v);
      else if (c == 40) t.height = std::stod(v);
      else if (c == 41) t.widthFactor = std::stod(v);
      else if (c == 50) t.angle = std::stod(v);
    }
    out.push_back(t);
  }
  return out;
}

// Where texts stand over each other or past the sheet (0..width x 0..height),
// one line each: a text's box runs along all its characters, blanks too
// (characters x height x width factor), and from a little below the baseline
// (descenders, a tenth of the height) to its height, turned by its angle.
inline std::vector<std::string> TextsOverEachOtherOrOffSheet(const std::vector<DxfText>& texts, double width,
                                                             double height) {
  struct Box {
    std::array<std::array<double, 2>, 4> c;
    const DxfText* t;
  };
  std::vector<Box> boxes;
  std::vector<std::string> found;
  for (const DxfText& t : texts) {
    const std::size_t first = t.text.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    const double cw = t.height * t.widthFactor, a = t.angle * M_PI / 180, co = std::cos(a), si = std::sin(a);
    const double u1 = 0, u2 = static_cast<double>(t.text.size()) * cw;
    const double v1 = -0.1 * t.height, v2 = t.height;
    Box b{{{{t.x + u1 * co - v1 * si, t.y + u1 * si + v1 * co},
            {t.x + u2 * co - v1 * si, t.y + u2 * si + v1 * co},
            {t.x + u2 * co - v2 * si, t.y + u2 * si + v2 * co},
            {t.x + u1 * co - v2 * si, t.y + u1 * si + v2 * co}}},
          &t};
    for (const auto& p : b.c)
      if (!(p[0] > -0.05 && p[0] < width + 0.05 && p[1] > -0.05 && p[1] < height + 0.05)) {
        found.push_back("\"" + t.text + "\" past the sheet at " + std::to_string(p[0]) + " " + std::to_string(p[1]));
        break;
      }
    boxes.push_back(b);
  }
  // Separating axes of two quadrilaterals.
  auto apart = [](const Box& a, const Box& b) {
    for (const Box* f : {&a, &b})
      for (int i = 0; i < 2; ++i) {
        const double ax = f->c[i + 1][1] - f->c[i][1], ay = f->c[i][0] - f->c[i + 1][0];
        double loA = 1e300, hiA = -1e300, loB = 1e300, hiB = -1e300;
        for (const auto& p : a.c) {
          loA = std::min(loA, p[0] * ax + p[1] * ay);
          hiA = std::max(hiA, p[0] * ax + p[1] * ay);
        }
        for (const auto& p : b.c) {
          loB = std::min(loB, p[0] * ax + p[1] * ay);
          hiB = std::max(hiB, p[0] * ax + p[1] * ay);
        }
        const double slack = 1e-6 * std::hypot(ax, ay);
        if (hiA <= loB + slack || hiB <= loA + slack) return true;
      }
    return false;
  };
  for (std::size_t i = 0; i < boxes.size(); ++i)
    for (std::size_t j = i + 1; j < boxes.size(); ++j)
      if (!apart(boxes[i], boxes[j]))
        found.push_back("\"" + boxes[i].t->text + "\" at " + std::to_string(boxes[i].t->x) + " " +
                        std::to_string(boxes[i].t->y) + " over \"" + boxes[j].t->text + "\" at " +
                        std::to_string(boxes[j].t->x) + " " + std::to_string(boxes[j].t->y));
  return found;
}

}  // namespace drawing_test

// The CAD fixture with helpers that draw a body into a listing or a DXF file
// and read the result back.
class DrawingTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    ClearCalcMessages();
    CadState.CadBorderOn = 0;
  }

  // The body drawn into one entity pass of a text listing of window 0..160 x 0..120.
  std::vector<drawing_test::Entity> Listing(const std::function<void()>& body) {
    return drawing_test::ParseListing(Draw(kCadListing, "/drawing.lst", body));
  }

  // The same into a DXF file (entities with their layers).
  std::vector<drawing_test::Entity> Dxf(const std::function<void()>& body) {
    return drawing_test::ParseDxf(Draw(kCadDxf, "/drawing.dxf", body));
  }

  std::vector<std::string> Draw(TCadDevice device, const std::string& file,
                                const std::function<void()>& body) {
    StartDrawing(device);
    CadBeginEntities();
    body();
    CadEndSection();
    CadClose(0);
    return ReadLines(Dir() + file);
  }

  static std::string FirstMessage() {
    return CalcMessages.count ? CalcMessages.texts[1].str() : std::string();
  }

  static bool HasMessage(const std::string& text) {
    for (int i = 1; i <= CalcMessages.count; ++i)
      if (CalcMessages.texts[i].view() == text) return true;
    return false;
  }
};
