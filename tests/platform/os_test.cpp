#include "platform/os.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <fcntl.h>

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

// The number of a process that has ended (a child reaped); 0 when none
// could be started.
pid_t GoneProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  return child > 0 && waitpid(child, nullptr, 0) == child ? child : 0;
}

// Only the folders of this user's ended runs go, at once, also where their
// number runs another program started since; a running program's, and
// anything else named alike, stay.
TEST(PlatformOs, LeftTempDirsOfKilledRunsAreRemoved) {
  const fs::path base = fs::path(platform::ProcessTempDir()) / "sweep";
  fs::create_directories(base);
  const pid_t gone = GoneProcess();
  ASSERT_GT(gone, 0);
  const std::string dead = "bq4-" + std::to_string(gone) + "-";
  const std::string live = "bq4-" + std::to_string(getppid()) + "-";
  struct Entry {
    std::string name;
    bool dir, old, removed;
  } entries[] = {
      {dead + "aB3xYz", true, true, true},     // killed run, left alone
      {dead + "fresh1", true, false, true},    // killed just now
      {live + "aB3xYz", true, false, false},   // its program still runs
      {live + "Old123", true, true, true},     // older than the program of its number: taken again
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
  EXPECT_EQ(platform::RemoveLeftTempDirs(base.string(), 3600), 3);
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(fs::exists(base / e.name), !e.removed);
  }
  EXPECT_EQ(platform::RemoveLeftTempDirs((base / "missing").string()), 0);
  fs::remove_all(base);
}

// A run holds the lock of a file in its folder for its whole life, and the
// clean-up judges by that lock alone where there is one: a folder whose
// number no process here has (a run in another process namespace) stays
// while its lock is held, and one whose lock is free goes at once though its
// number runs and it changed just now (a clock stepped back).
TEST(PlatformOs, RunFoldersGoOnlyWhenTheirLockIsFree) {
  const std::string& own = platform::ProcessTempDir();
  const auto takeLock = [](const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    return fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? fd : (fd >= 0 ? ::close(fd), -1 : -1);
  };
  // This process holds its own: another open file cannot take the lock.
  ASSERT_TRUE(fs::exists(fs::path(own) / ".run.lock"));
  EXPECT_EQ(takeLock(fs::path(own) / ".run.lock"), -1);

  const fs::path base = fs::path(own) / "locked-sweep";
  fs::create_directories(base);
  const pid_t gone = GoneProcess();
  ASSERT_GT(gone, 0);
  const fs::path held = base / ("bq4-" + std::to_string(gone) + "-Held01");
  const fs::path freed = base / ("bq4-" + std::to_string(getppid()) + "-Free01");
  const fs::path unlocked = base / ("bq4-" + std::to_string(getppid()) + "-NoLck1");
  for (const fs::path& p : {held, freed, unlocked}) {
    fs::create_directories(p / "inner");
    std::ofstream(p / "inner" / "x.tmp") << "scratch";
  }
  const int holder = takeLock(held / ".run.lock");
  ASSERT_GE(holder, 0);
  std::ofstream(freed / ".run.lock").flush();
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::RemoveLeftTempDirs(base.string(), 3600), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fs::exists(held / "inner" / "x.tmp"));
  EXPECT_FALSE(fs::exists(freed));
  EXPECT_TRUE(fs::exists(unlocked / "inner" / "x.tmp"));  // no lock file: its number still runs
  EXPECT_NE(err.find(freed.string()), std::string::npos) << err;
  EXPECT_EQ(err.find(held.string()), std::string::npos) << err;
  // Its lock given up, the folder goes.
  ::close(holder);
  EXPECT_EQ(platform::RemoveLeftTempDirs(base.string(), 3600), 1);
  EXPECT_FALSE(fs::exists(held));
  fs::remove_all(base);
}

// Files named for the process that was writing them go once that process
// has gone, or, its number taken by another program, once left alone; a
// running program's fresh file, this process's and other names stay.
TEST(PlatformOs, FilesLeftByKilledWritersAreRemoved) {
  const fs::path base = fs::path(platform::ProcessTempDir()) / "left-files";
  fs::create_directories(base);
  const pid_t gone = GoneProcess();
  ASSERT_GT(gone, 0);
  const std::string dead = "." + std::to_string(gone);
  const std::string live = "." + std::to_string(getppid());
  const std::string own = "." + std::to_string(getpid());
  struct Entry {
    std::string name;
    bool old, removed;
  } entries[] = {
      {"din912-0123456789abcdef" + dead + ".ndx", false, true},  // its writer was killed
      {"din912-0123456789abcdef" + dead + ".ndx.bu$", false, true},  // so was its builder
      {"din912-0123456789abcdef" + live + ".ndx.bu$", false, false},
      {"din912-0123456789abcdef" + live + ".ndx", false, false},  // its writer runs
      {"din912-0123456789abcdef" + live + ".ndx2", true, false},  // another extension
      {"gewinde-0123456789abcdef" + live + ".ndx", true, true},   // a number in use again
      {"gewinde-0123456789abcdef" + own + ".ndx", true, false},   // this process's
      {"gewinde-0123456789abcdef.ndx", true, false},              // an entry in place
      {"gewinde" + dead + "x.ndx", true, false},
      {dead.substr(1) + ".ndx", true, false},
  };
  for (const Entry& e : entries) {
    const fs::path p = base / e.name;
    std::FILE* f = std::fopen(p.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    if (e.old) fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(2));
  }
  EXPECT_EQ(platform::RemoveLeftProcessFiles(base.string(), {".ndx", ".ndx.bu$"}, 3600), 3);
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(fs::exists(base / e.name), !e.removed);
  }
  EXPECT_EQ(platform::RemoveLeftProcessFiles((base / "missing").string(), {".ndx"}), 0);
  fs::remove_all(base);
}

// Only what lies inside this process's own temporary folder is its scratch:
// not the folder itself, nor a sibling whose name starts alike, nor a path
// that steps out of it.
TEST(PlatformOs, ScratchFilesAreThoseInsideTheOwnTemporaryFolder) {
  const std::string& own = platform::ProcessTempDir();
  EXPECT_TRUE(platform::InProcessTempDir(own + "/$DESIGN1.dx$"));
  EXPECT_TRUE(platform::InProcessTempDir(own + "/bench/x.txt"));
  for (const std::string& other : {own, own + "/", own + "x/y.txt", own + "/../x.txt", own + "/a/../../x.txt",
                                   own + "/..", std::string("/tmp/x.txt"), std::string("x.txt")})
    EXPECT_FALSE(platform::InProcessTempDir(other)) << other;
}
