// Shared set-up of the graphics tests: framework defaults on a 640 x 480
// graphics area, an empty display list.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/display_list.h"
#include "framework/globals.h"
#include "framework/graph_replay.h"
#include "framework/init.h"

class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    HorizontalPixels = 640;
    VerticalPixels = 480;
  }
  static const TDisplayList& List() { return *CreateDisplayList(); }
};

// A canvas that writes every call as a line of text.
class LogCanvas : public TGraphCanvas {
 public:
  std::vector<std::string> calls;
  void MoveTo(int x, int y) override { Log("M", {x, y}); }
  void LineTo(int x, int y) override { Log("L", {x, y}); }
  void Ellipse(int x1, int y1, int x2, int y2) override { Log("E", {x1, y1, x2, y2}); }
  void Arc(int x1, int y1, int x2, int y2, int xs, int ys, int xe, int ye) override {
    Log("A", {x1, y1, x2, y2, xs, ys, xe, ye});
  }
  void Polygon(const int (&p)[8]) override {
    Log("P", {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]});
  }
  void Text(int x, int y, const std::string& text, const TGraphFont& f, TColorRef c) override {
    Log("T", {x, y, f.height, f.width, f.escapement, static_cast<int>(c)});
    calls.back() += " " + text;
  }
  void SetPenColour(TColorRef c) override { Log("pen", {static_cast<int>(c)}); }
  void SetBrushColour(TColorRef c) override { Log("brush", {static_cast<int>(c)}); }
  void SetPenStyle(TPenStyle s) override { Log("style", {static_cast<int>(s)}); }
  void SetPenWidth(int w) override { Log("width", {w}); }

  bool Has(const std::string& call) const {
    for (const auto& c : calls)
      if (c == call) return true;
    return false;
  }

 private:
  void Log(const char* what, std::initializer_list<int> v) {
    std::string s = what;
    for (int i : v) s += " " + std::to_string(i);
    calls.push_back(s);
  }
};
