#include "platform/os.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(PlatformOs, TempDirIsPrivateAndExists) {
  const std::string& dir = platform::ProcessTempDir();
  EXPECT_TRUE(fs::is_directory(dir));
  EXPECT_NE(dir.find("/bq4-"), std::string::npos);
  std::string a = platform::TempFileName("x");
  std::string b = platform::TempFileName("x");
  EXPECT_NE(a, b);
  EXPECT_EQ(fs::path(a).parent_path().string(), dir);
}

TEST(PlatformOs, ConfigDirectoryFollowsEnvironment) {
  std::string dir = platform::ConfigDirectory();
  EXPECT_EQ(dir, platform::GetEnvironment("BQ4_CONFIG_DIR"));
  EXPECT_TRUE(fs::is_directory(dir));
}

TEST(PlatformOs, TickCountIsMonotonic) {
  auto t0 = platform::TickCount();
  platform::SleepMs(5);
  EXPECT_GE(static_cast<std::uint32_t>(platform::TickCount() - t0), 5u);
}
