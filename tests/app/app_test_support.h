// Start-up state of the application tests: every module at its defaults and
// every directory in a folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/program.h"
#include "app/spreadsheet.h"
#include "app/startup.h"
#include "../calc/dialog_answers.h"
#include "cad/init.h"
#include "calc/init.h"
#include "dbf/init.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "platform/os.h"
#include "platform/process.h"

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProgramModules();
    InitWindowModules();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = platform::ProcessTempDir() + "/" + info->test_suite_name() + "." + info->name();
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    UseTestDirs();
    SetCommandLineParams({});
    platform::RecordProgramStarts(true);
  }
  // Every directory in the test's folder, the tables and pictures of the build.
  void UseTestDirs() {
    ConfigDir = TempDir = CadDir = EdiDir = DefaultDataDir = dir_;
    DbfDir = std::string(BQ4_BINARY_DIR) + "/data/tables";
    PltDir = std::string(BQ4_SOURCE_DIR) + "/data/plt";
  }
  void TearDown() override { platform::RecordProgramStarts(false); }

  // A sample project copied into the test's folder; its full path.
  std::string Sample(const std::string& name, const std::string& as = "") {
    const std::string target = dir_ + "/" + (as.empty() ? name : as);
    std::filesystem::copy_file(std::string(BQ4_BINARY_DIR) + "/data/samples/" + name, target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
  }

  std::string dir_;
};
