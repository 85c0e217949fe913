// Helpers of the framework tests: their fixture, files read and written whole,
// a fresh folder per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "framework/init.h"
#include "platform/os.h"

inline std::string ReadBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteBytes(const std::string& name, const std::string& data) {
  std::ofstream(name, std::ios::binary) << data;
}

// An empty folder of the running test inside the process's temporary folder.
inline std::string FreshTestDir(const std::string& prefix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string dir = platform::ProcessTempDir() + "/" + prefix + "_" + info->name();
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The fixture of the framework tests: the framework's start values.
class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override { InitFrameworkModules(); }
};
