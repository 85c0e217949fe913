// Shared set-up of the diagram tests: CAD and calculation defaults, the
// default M12 12.9 tapped joint calculated, and readers of what a diagram
// drew (display list records, DXF entities).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../calc/calc_test_support.h"
#include "cad/diagram_plotter.h"
#include "cad_test_support.h"
#include "calc/calculation.h"
#include "calc/init.h"
#include "framework/display_list.h"

class DiagramTest : public CadTest {
 protected:
  void SetUp() override {
    InitCalcTest();  // creates the (empty) head tables
    CadTest::SetUp();
    InitCalcModules();
    DbfDir = TestTableDir();
  }

  // The default joint, calculated without a fatal message.
  static void CalculateDefaultJoint() {
    SetUpTappedM12Joint();
    CalculateJoint();
    ASSERT_EQ(CalcFatalFlag, 0);
  }

  static std::vector<TGraphRecord> Parsed(int code) { return ParsedRecords(code); }

  static std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const auto& r : Parsed(gcOutTextXY)) out.push_back(r.text);
    return out;
  }

  static bool HasText(const std::string& text) {
    for (const auto& t : Texts())
      if (t == text) return true;
    return false;
  }

  static bool HasTextStartingWith(const std::string& head) {
    for (const auto& t : Texts())
      if (t.rfind(head, 0) == 0) return true;
    return false;
  }

  std::string DxfFile() const { return Dir() + "/drawing.dxf"; }

  // (entity type, layer, text) of every entity in the ENTITIES section of the
  // DXF file (not the blocks).
  struct DxfEntity {
    std::string type, layer, text;
  };
  std::vector<DxfEntity> DxfEntities() const {
    const auto lines = ReadLines(DxfFile());
    std::vector<DxfEntity> out;
    bool inEntities = false;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
      const std::string code = TrimCode(lines[i]), value = lines[i + 1];
      if (code == "2" && value == "ENTITIES") inEntities = true;
      if (code == "0" && value == "ENDSEC") inEntities = false;
      if (!inEntities) continue;
      if (code == "0") out.push_back({value, "", ""});
      else if (code == "8" && !out.empty()) out.back().layer = value;
      else if (code == "1" && !out.empty()) out.back().text = value;
    }
    return out;
  }
  static int Count(const std::vector<DxfEntity>& es, const std::string& type, const std::string& layer = "") {
    return static_cast<int>(std::count_if(es.begin(), es.end(), [&](const DxfEntity& e) {
      return e.type == type && (layer.empty() || e.layer == layer);
    }));
  }
  static bool Has(const std::vector<DxfEntity>& es, const std::string& text) {
    return std::any_of(es.begin(), es.end(), [&](const DxfEntity& e) { return e.text == text; });
  }
  static bool HasPrefix(const std::vector<DxfEntity>& es, const std::string& head) {
    return std::any_of(es.begin(), es.end(), [&](const DxfEntity& e) { return e.text.rfind(head, 0) == 0; });
  }

  // The body drawn on the screen (after the plotter's start when asked); the display list holds what it drew.
  static void OnScreen(const std::function<void()>& body, bool plotInit = true) {
    CadOpen(kCadScreen, "");
    CadBeginDrawing(0, 0, 160, 120);
    InitDisplayList();
    if (plotInit) PlotInit();
    body();
    CadClose(0);
  }

 private:
  static std::string TrimCode(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    return b == std::string::npos ? "" : s.substr(b);
  }
};
