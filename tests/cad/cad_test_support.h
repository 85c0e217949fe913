// Shared set-up of the CAD output tests: framework and CAD defaults, a
// temporary directory of the test's own, batch naming of the output files
// (no save dialog), and readers of the written files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cad/cad_output.h"
#include "cad/init.h"
#include "framework/clock.h"
#include "framework/display_list.h"
#include "framework/globals.h"
#include "framework/file_utils.h"
#include "framework/init.h"
#include "platform/dialogs.h"
#include "platform/os.h"
#include "../run_program.h"
#include "../shell_quote.h"

#define SKIP_WITHOUT_EZDXF() \
  if (!HasEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed"

class CadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    InitCadModules();
    HorizontalPixels = 640;
    VerticalPixels = 480;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = platform::ProcessTempDir() + "/cad_" + info->test_suite_name() + "_" + info->name();
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    TempDir = dir_;
    CadBatchMode = 1;
    FileNameWithPath = 1;
    UmlautMode = 1;  // drawing texts as stored, the code page the tests spell them in
    CurrentFileName = dir_ + "/drawing";
    PinClock({2026, 3, 14, 9, 5, 0, 0});
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  const std::string& Dir() const { return dir_; }
  // Where the file devices write in batch mode.
  std::string DxfFile() const { return dir_ + "/drawing.dxf"; }

  // The lines of a file, line ends removed.
  static std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

  // The independent DXF reader: a Python check with ezdxf imported, run on args; true when it passes.
  static bool HasEzdxf() { return ProgramSucceeds({"/usr/bin/python3", "-c", "import ezdxf"}); }
  bool Ezdxf(const std::string& body, const std::vector<std::string>& args) const {
    const std::string script = Dir() + "/check.py";
    std::ofstream(script) << "import sys, ezdxf\n" << body;
    std::vector<std::string> argv{"/usr/bin/python3", script};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, {"/dev/null", "", ""}) == 0;
  }

  // Opens a drawing of window 0..160 x 0..120 on the device and writes its tables.
  static void StartDrawing(TCadDevice device, Word tables = 0) {
    CadOpen(device, "");
    ASSERT_EQ(AbortFlag, 0);
    CadBeginDrawing(0, 0, 160, 120);
    CadWriteTables(tables);
  }

  // A small drawing through every kind of call: one block, its insert
  // (turned), lines, circle, arc, text, solid and a polyline.
  // With keepOut the entities go through CadBeginTextKeepOut/CadEndTextKeepOut.
  static void DrawSample(TCadDevice device, bool keepOut = false) {
    CadOpen(device, "");
    if (AbortFlag) return;
    CadBeginDrawing(0, 0, 160, 120);
    CadWriteTables(0);
    CadBeginBlocks();
    CadBeginBlock("NUT");
    CadSetColor(5);
    CadRegularPolygon(6, 0, 0, 10, 0);
    CadSetColor(3);
    CadCircle(0, 0, 3);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    if (keepOut) CadBeginTextKeepOut();
    CadSetColor(1);
    CadLine(-10, 60, 170, 60);
    CadSetColor(5);
    CadRectangle(20, 40, 60, 80);
    CadArc(100, 60, 30, 150, 12.5L);
    CadSetColor(19);
    CadSetTextStyle(2, 0, 3.5L, 0);
    CadSetTextAlign(1, 0);
    CadText("M12 x 60 - 12.9", 80, 10);
    CadSolid(0, 0, 5, 0, 5, 5, 0, 5);
    CadInsertBlock("NUT", 40, 60, 30, 1, 1);
    CadSetColor(2);
    CadBeginPolyline(0);
    CadVertex(120, 20, 0);
    CadVertex(140, 20, 1.5707963267948966L);
    CadVertex(140, 40, 0);
    CadEndPolyline();
    if (keepOut) CadEndTextKeepOut();
    CadEndSection();
    CadClose(0);
  }

  // Compares a written file with its golden file in tests/data/cad;
  // BQ4_UPDATE_GOLDEN=1 rewrites the golden file instead.
  static void ExpectGolden(const std::string& written, const std::string& golden) {
    const std::string path = std::string(BQ4_TEST_DATA) + "/cad/" + golden;
    auto slurp = [](const std::string& p) {
      std::ifstream in(p, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    if (platform::GetEnvironment("BQ4_UPDATE_GOLDEN") == "1") {
      std::filesystem::create_directories(std::string(BQ4_TEST_DATA) + "/cad");
      std::filesystem::copy_file(written, path, std::filesystem::copy_options::overwrite_existing);
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_TRUE(slurp(written) == slurp(path)) << written << " differs from " << path;
  }

  // The display list records of one primitive code, read back.
  static std::vector<TGraphRecord> Parsed(int code) {
    std::vector<TGraphRecord> out;
    for (const auto& r : *CreateDisplayList()) {
      TGraphRecord rec;
      if (ParseGraphRecord(r, rec) && rec.code == code) out.push_back(rec);
    }
    return out;
  }

  // True when the display list shows the text (or, with prefix, a text that begins with it).
  static bool ShowsText(const std::string& text, bool prefix = false) {
    for (const auto& r : Parsed(gcOutTextXY))
      if (prefix ? r.text.rfind(text, 0) == 0 : r.text == text) return true;
    return false;
  }

  // The point at values i and i + 1 of a display list record.
  static void ExpectPoint(const TGraphRecord& r, int i, Extended x, Extended y) {
    EXPECT_NEAR(static_cast<double>(r.v[i]), static_cast<double>(x), 1e-6);
    EXPECT_NEAR(static_cast<double>(r.v[i + 1]), static_cast<double>(y), 1e-6);
  }

 private:
  std::string dir_;
};
