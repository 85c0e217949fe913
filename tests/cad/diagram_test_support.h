// Shared set-up of the diagram tests: CAD and calculation defaults, the
// default M12 12.9 tapped joint calculated, and readers of what a diagram
// drew (display list records, DXF entities).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../calc/calc_test_support.h"
#include "cad/diagram_plotter.h"
#include "cad_test_support.h"
#include "calc/calculation.h"
#include "calc/init.h"
#include "drawing_test_support.h"
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

  // The entities of the DXF file's ENTITIES section (not the blocks).
  std::vector<drawing_test::Entity> DxfEntities() const { return drawing_test::ParseDxf(ReadLines(DxfFile())); }
  static bool Has(const std::vector<drawing_test::Entity>& es, const std::string& text, bool prefix = false) {
    return std::any_of(es.begin(), es.end(), [&](const drawing_test::Entity& e) {
      return prefix ? e.text.rfind(text, 0) == 0 : e.text == text;
    });
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
};

// The diagram fixture for the sample projects, with the shipped tables.
class SampleDiagramTest : public DiagramTest {
 protected:
  void SetUp() override {
    DiagramTest::SetUp();
    DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables/";
  }
  // The sample projects' paths, in name order.
  static std::vector<std::string> Samples() {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(std::string(BQ4_SOURCE_DIR) + "/data/samples"))
      if (e.path().extension() == ".bq4") out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
  }
};

// The diagram fixture with the default joint calculated.
class CalculatedDiagramTest : public DiagramTest {
 protected:
  void SetUp() override {
    DiagramTest::SetUp();
    CalculateDefaultJoint();
  }
};
