// Shared set-up of the CAD output tests: framework and CAD defaults, a
// temporary directory of the test's own, batch naming of the output files
// (no save dialog), and readers of the written files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
    CurrentFileName = dir_ + "/drawing";
    PinClock({2026, 3, 14, 9, 5, 0, 0});
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  const std::string& Dir() const { return dir_; }

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

  // The display list records that start with prefix ("4;" lines, "6;" texts).
  static std::vector<std::string> Records(const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& r : *CreateDisplayList())
      if (r.rfind(prefix, 0) == 0) out.push_back(r);
    return out;
  }

 private:
  std::string dir_;
};
