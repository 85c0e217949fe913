#include "platform/os.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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

// Only the folders of this user's killed runs go, once left alone for a
// while; a running program's, and anything else named alike, stay.
TEST(PlatformOs, LeftTempDirsOfKilledRunsAreRemoved) {
  const fs::path base = fs::path(platform::ProcessTempDir()) / "sweep";
  fs::create_directories(base);
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
  const std::string dead = "bq4-" + std::to_string(gone) + "-";
  const std::string live = "bq4-" + std::to_string(getppid()) + "-";
  struct Entry {
    std::string name;
    bool dir, old, removed;
  } entries[] = {
      {dead + "aB3xYz", true, true, true},     // killed run, left alone
      {dead + "fresh1", true, false, false},   // killed just now: not yet
      {live + "aB3xYz", true, true, false},    // its program still runs
      {dead + "file00", false, true, false},   // not a folder
      {dead + "toolong7", true, true, false},  // not a name the program makes
      {"bq4--aB3xYz", true, true, false},
      {"other-" + std::to_string(gone) + "-aB3xYz", true, true, false},
  };
  for (const Entry& e : entries) {
    const fs::path p = base / e.name;
    if (e.dir) fs::create_directories(p / "inner");
    std::FILE* f = std::fopen((e.dir ? p / "inner" / "x.tmp" : p).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    if (e.old) fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(2));
  }
  EXPECT_EQ(platform::RemoveLeftTempDirs(base.string(), 3600), 1);
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(fs::exists(base / e.name), !e.removed);
  }
  EXPECT_EQ(platform::RemoveLeftTempDirs((base / "missing").string()), 0);
  fs::remove_all(base);
}
