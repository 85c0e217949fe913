#include "platform/os.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <fcntl.h>

#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../fork_handshake.h"

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
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::RemoveLeftProcessFiles(base.string(), {".ndx", ".ndx.bu$"}, "a half-built file", 3600), 3);
  const std::string err = testing::internal::GetCapturedStderr();
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(fs::exists(base / e.name), !e.removed);
    EXPECT_EQ(err.find("bq4: removed " + (base / e.name).string() + ", a half-built file\n") != std::string::npos,
              e.removed)
        << err;
  }
  EXPECT_EQ(platform::RemoveLeftProcessFiles((base / "missing").string(), {".ndx"}, "a half-built file"), 0);
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

namespace {

// A process that holds the file as `how` says ("open", "flock", "lock": an
// OFD write lock, or "posix": a POSIX write lock, as programs writing it
// hold) until the test lets it go (on destruction).
class Holder {
 public:
  Holder(const fs::path& file, const std::string& how) {
    if (!shake_.Ok() || (pid_ = fork()) < 0) return;
    if (pid_ == 0) {
      shake_.InChild();
      const bool locks = how == "lock" || how == "posix" || how == "writer";
      const int fd = ::open(file.c_str(), locks ? O_RDWR : O_RDONLY);
      struct flock fl {};
      fl.l_type = F_WRLCK;
      if (how == "writer") fl.l_len = platform::kWriterTemporaryLockLength;  // as a running run's temporary
      const bool held = fd >= 0 && (how == "open"    ? true
                                    : how == "flock" ? ::flock(fd, LOCK_EX) == 0
                                                     : ::fcntl(fd, how == "posix" ? F_SETLK : F_OFD_SETLK, &fl) == 0);
      if (held) shake_.SignalParent();
      shake_.WaitForParent();
      _exit(0);
    }
    shake_.InParent();
    holding_ = shake_.WaitForChild();
  }
  ~Holder() {
    if (pid_ <= 0) return;
    shake_.SignalChild();
    waitpid(pid_, nullptr, 0);
  }
  bool Holding() const { return holding_; }

 private:
  ForkHandshake shake_;
  pid_t pid_ = -1;
  bool holding_ = false;
};

}  // namespace

// What a killed run left and another program holds stays, and is named as
// kept: held open, under a flock, or under an fcntl lock (OFD or POSIX). A
// file under the lock of a running writer's temporary is that run's own: it
// stays, and is not named.
TEST(PlatformOs, LeftFilesThatAnotherProgramHoldsAreKeptAndNamed) {
  const fs::path base = fs::path(platform::ProcessTempDir()) / "held-files";
  fs::remove_all(base);
  fs::create_directories(base);
  const pid_t gone = GoneProcess();
  ASSERT_GT(gone, 0);
  const auto name = [&](const char* what) { return base / (std::string(what) + "." + std::to_string(gone) + ".ndx"); };
  for (const char* what : {"opened", "flocked", "locked", "posix", "writer", "free"}) std::ofstream(name(what)) << what;
  const Holder opened(name("opened"), "open"), flocked(name("flocked"), "flock"), locked(name("locked"), "lock"),
      posix(name("posix"), "posix"), writer(name("writer"), "writer");
  ASSERT_TRUE(opened.Holding() && flocked.Holding() && locked.Holding() && posix.Holding() && writer.Holding());

  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::RemoveLeftProcessFiles(base.string(), {".ndx"}, "a left file", 3600), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(fs::exists(name("free")));
  for (const char* what : {"opened", "flocked", "locked", "posix", "writer"}) EXPECT_TRUE(fs::exists(name(what))) << what;
  EXPECT_NE(err.find("bq4: removed " + name("free").string() + ", a left file\n"), std::string::npos) << err;
  EXPECT_EQ(err.find(name("writer").string()), std::string::npos) << err;
  for (const char* what : {"opened", "flocked", "locked", "posix"})
    EXPECT_NE(err.find("bq4: kept " + name(what).string() + ", a left file, held by another program\n"),
              std::string::npos)
        << what << ": " << err;
  fs::remove_all(base);
}

// The folder of a killed run goes file by file as leftovers do: a file in
// it (or in a folder inside it) that another program holds open, under a
// flock or an fcntl lock (OFD or POSIX) stays with the folder and is named
// as kept; the rest goes. Once nothing is held the folder goes, named.
TEST(PlatformOs, AKilledRunsFolderStaysWhileAnotherProgramHoldsAFileInIt) {
  const fs::path base = fs::path(platform::ProcessTempDir()) / "held-folder";
  fs::remove_all(base);
  const pid_t gone = GoneProcess();
  ASSERT_GT(gone, 0);
  const fs::path left = base / ("bq4-" + std::to_string(gone) + "-Held02");
  const fs::path loose = base / ("bq4-" + std::to_string(gone) + "-Free02");
  for (const fs::path& p : {left, loose}) {
    fs::create_directories(p / "inner");
    std::ofstream(p / ".run.lock").flush();
    std::ofstream(p / "free.tmp") << "scratch";
    std::ofstream(p / "inner" / "free.tmp") << "scratch";
  }
  for (const char* how : {"open", "flock", "lock", "posix"}) std::ofstream(left / (std::string(how) + ".tmp")) << how;
  fs::create_symlink("/nowhere", left / "link");
  {
    const Holder opened(left / "open.tmp", "open"), flocked(left / "flock.tmp", "flock"),
        locked(left / "lock.tmp", "lock"), posix(left / "posix.tmp", "posix");
    ASSERT_TRUE(opened.Holding() && flocked.Holding() && locked.Holding() && posix.Holding());
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::RemoveLeftTempDirs(base.string(), 3600), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(loose));
    EXPECT_NE(err.find("bq4: removed " + loose.string() + ", the temporary folder of a run that has ended\n"),
              std::string::npos)
        << err;
    for (const char* how : {"open", "flock", "lock", "posix"}) {
      const fs::path held = left / (std::string(how) + ".tmp");
      EXPECT_TRUE(fs::exists(held)) << how;
      EXPECT_NE(err.find("bq4: kept " + held.string() + ", a file in the temporary folder of a run that has ended, "
                         "held by another program\n"),
                std::string::npos)
          << how << ": " << err;
    }
    EXPECT_EQ(err.find("removed " + left.string()), std::string::npos) << err;
    // What nobody holds went; the lock file stays for the next run.
    EXPECT_FALSE(fs::exists(left / "free.tmp"));
    EXPECT_FALSE(fs::exists(left / "inner"));
    EXPECT_FALSE(fs::is_symlink(left / "link"));
    EXPECT_TRUE(fs::exists(left / ".run.lock"));
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::RemoveLeftTempDirs(base.string(), 3600), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(fs::exists(left));
  EXPECT_EQ(err, "bq4: removed " + left.string() + ", the temporary folder of a run that has ended\n");
  fs::remove_all(base);
}

// A run's folder is seen under its name only with its lock held, so that a
// run that clears the folders of killed runs never takes a live run's folder
// for one: it is made under another name, locked, and renamed; at its end
// its lock file goes after all else in it.
TEST(PlatformOs, ARunsFolderAppearsUnderItsNameWithItsLockHeld) {
  const fs::path base = fs::path(platform::ProcessTempDir()) / "new-run";
  fs::remove_all(base);
  fs::create_directories(base);
  const int notices = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(notices, 0);
  ASSERT_GE(::inotify_add_watch(notices, base.c_str(), IN_CREATE | IN_MOVED_TO | IN_ONLYDIR), 0);
  int input[2];
  ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
  // Another run: this test program again, which makes its folder as it
  // starts and holds it until its input ends.
  const pid_t run = fork();
  ASSERT_GE(run, 0);
  if (run == 0) {
    ::dup2(input[0], 0);
    ::dup2(::open("/dev/null", O_WRONLY), 1);
    ::setenv("TMPDIR", base.c_str(), 1);
    ::setenv("BQ4_TEST_HOLD_FOLDER", "1", 1);
    ::execl("/proc/self/exe", "bq4_platform_tests", "--gtest_filter=PlatformOs.HelperRunThatHoldsItsFolder",
            static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(input[0]);
  const std::string prefix = "bq4-" + std::to_string(run) + "-";
  std::string seen;
  std::uint32_t how = 0;
  alignas(inotify_event) char buffer[4096];
  while (seen.empty()) {
    pollfd waiting{notices, POLLIN, 0};
    if (::poll(&waiting, 1, 60000) != 1) break;
    const ssize_t n = ::read(notices, buffer, sizeof buffer);
    for (ssize_t at = 0; at < n && seen.empty();) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string entry = e->len ? e->name : "";
      if (entry.rfind(prefix, 0) == 0 && entry.size() == prefix.size() + 6) {
        seen = entry;
        how = e->mask;
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
  }
  ASSERT_FALSE(seen.empty());
  // At the moment its name appeared, its lock was held already.
  struct flock probe {};
  probe.l_type = F_WRLCK;
  const int fd = ::open((base / seen / ".run.lock").c_str(), O_RDWR | O_CLOEXEC);
  const bool locked = fd >= 0 && ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  if (fd >= 0) ::close(fd);
  EXPECT_TRUE(how & IN_MOVED_TO) << seen << " appeared as made, not as renamed";
  EXPECT_TRUE(locked);
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::RemoveLeftTempDirs(base.string(), 3600), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  std::ofstream(base / seen / "scratch.tmp") << "scratch";
  ASSERT_GE(::inotify_add_watch(notices, (base / seen).c_str(), IN_DELETE), 0);
  ::close(input[1]);
  int status = 0;
  EXPECT_EQ(waitpid(run, &status, 0), run);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  std::vector<std::string> order;
  for (pollfd waiting{notices, POLLIN, 0}; ::poll(&waiting, 1, 0) == 1;) {
    const ssize_t n = ::read(notices, buffer, sizeof buffer);
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string entry = e->len ? e->name : "";
      if ((e->mask & IN_DELETE) && (entry == "scratch.tmp" || entry == ".run.lock")) order.push_back(entry);
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"scratch.tmp", ".run.lock"}));
  EXPECT_TRUE(fs::is_empty(base));
  ::close(notices);
  fs::remove_all(base);
}

// The other run of the test above; skipped when it is not started by it.
TEST(PlatformOs, HelperRunThatHoldsItsFolder) {
  if (platform::GetEnvironment("BQ4_TEST_HOLD_FOLDER").empty()) GTEST_SKIP() << "run by another test";
  char c = 0;
  while (::read(0, &c, 1) > 0) {
  }
}

// A folder that a killed run was still making, before its lock was held,
// goes once its lock is free and it has been left alone for a minute,
// whatever its number says (its maker may run in another process
// namespace); one just made, or whose lock is held, stays.
TEST(PlatformOs, FoldersThatKilledRunsWereMakingGoOnceLeftAlone) {
  const fs::path base = fs::path(platform::ProcessTempDir()) / "making-sweep";
  fs::remove_all(base);
  const pid_t gone = GoneProcess();
  ASSERT_GT(gone, 0);
  const std::string dead = "bq4-" + std::to_string(gone) + "-new-";
  const std::string live = "bq4-" + std::to_string(getpid()) + "-new-";
  struct Entry {
    std::string name;
    bool lockFile, old, removed;
  } entries[] = {
      {dead + "aB3xYz", false, true, true},   // killed before its lock file was made
      {dead + "Unlck1", true, true, true},    // killed before it locked it
      {live + "Unlck2", true, true, true},    // its number runs: a process of another namespace
      {dead + "fresh1", true, false, false},  // may be being made this moment
      {dead + "fresh2", false, false, false},
      {live + "Held01", true, true, false},   // its lock held
  };
  for (const Entry& e : entries) {
    fs::create_directories(base / e.name);
    if (e.lockFile) std::ofstream(base / e.name / ".run.lock").flush();
    if (e.old) fs::last_write_time(base / e.name, fs::file_time_type::clock::now() - std::chrono::minutes(2));
  }
  const Holder holder(base / (live + "Held01") / ".run.lock", "lock");
  ASSERT_TRUE(holder.Holding());
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::RemoveLeftTempDirs(base.string(), 3600), 3);
  const std::string err = testing::internal::GetCapturedStderr();
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(fs::exists(base / e.name), !e.removed);
    EXPECT_EQ(err.find((base / e.name).string()) != std::string::npos, e.removed) << err;
  }
  fs::remove_all(base);
}
