#include "platform/os.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(PlatformOs, TempDirIsPrivateAndExists) {
  const std::string& dir = platform::ProcessTempDir();
  EXPECT_TRUE(fs::is_directory(dir));
  std::string a = platform::TempFileName("x");
  std::string b = platform::TempFileName("x");
  EXPECT_NE(a, b);
  EXPECT_EQ(fs::path(a).parent_path().string(), dir);
  // The configuration directory follows the environment.
  const std::string config = platform::ConfigDirectory();
  EXPECT_EQ(config, platform::GetEnvironment("BQ4_CONFIG_DIR"));
  EXPECT_TRUE(fs::is_directory(config));
}

// A forked child that ends with exit() runs the static destructors, and the
// directory belongs to the parent that made it.
TEST(PlatformOs, ForkedChildThatExitsKeepsTheParentsTempDir) {
  const std::string dir = platform::ProcessTempDir();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) std::exit(0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));  // its code may be the leak checker's
  EXPECT_TRUE(fs::is_directory(dir));
}
