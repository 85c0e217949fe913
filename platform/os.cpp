#include "platform/os.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/folder_names.h"

namespace fs = std::filesystem;

namespace platform {

std::uint32_t TickCount() {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(ms);
}

void SleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string GetEnvironment(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? std::string(v) : std::string();
}

namespace {

std::string TempBase() {
  std::string base = GetEnvironment("TMPDIR");
  return base.empty() ? std::string("/tmp") : base;
}

// The file inside a run's temporary folder whose lock the run holds for its
// whole life: a folder whose lock can be taken belongs to no running program,
// whatever its name, process number or clock say.
constexpr const char* kRunLockName = ".run.lock";

bool LockWholeFile(int fd, bool wait) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;  // l_start = l_len = 0: the whole file
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// This process's temporary folder, made on first use: a run that needs no
// scratch file makes none. The holder itself lives from the start, so that
// the folder goes after everything that the program closes at its end.
struct TempDirHolder {
  std::mutex mutex;
  std::string path;
  int lock = -1;
  pid_t owner = ::getpid();

  const std::string& Folder() {
    std::lock_guard<std::mutex> guard(mutex);
    if (path.empty()) Make();
    return path;
  }

  // The folder once made, else empty; never makes it.
  std::string Made() {
    std::lock_guard<std::mutex> guard(mutex);
    return path;
  }

  void Make() {
    const std::string base = TempBase();
    // A folder cleared away as left between its making and its lock (by a
    // run that took it for one a killed run left) is made afresh.
    for (int attempt = 0; attempt < 10; ++attempt) {
      std::string templ = base + "/bq4-" + std::to_string(::getpid()) + "-XXXXXX";
      if (!::mkdtemp(templ.data())) break;
      const int fd = ::open((templ + "/" + kRunLockName).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd < 0) {
        ::rmdir(templ.c_str());
        continue;
      }
      errno = 0;
      const bool locked = LockWholeFile(fd, true);
      // A file system without locks keeps the folder unlocked: no run can
      // take its lock either, so none clears it away.
      const bool noLocks = !locked && (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL);
      struct stat st {};
      if ((locked || noLocks) && ::fstat(fd, &st) == 0 && st.st_nlink > 0) {
        path = templ;
        lock = fd;
        return;
      }
      ::close(fd);
    }
    path = base;  // fall back to the shared directory rather than fail
  }

  ~TempDirHolder() {
    // A forked child that ends normally leaves its parent's directory alone.
    if (::getpid() == owner && lock >= 0) {
      std::error_code ec;
      fs::remove_all(path, ec);
      ::close(lock);
    }
  }
};

TempDirHolder& TempDir() {
  static TempDirHolder holder;
  return holder;
}

// Made before main(), so that it ends after everything that ends at exit.
[[maybe_unused]] const TempDirHolder& kStartedHolder = TempDir();

}  // namespace

const std::string& ProcessTempDir() { return TempDir().Folder(); }

bool InProcessTempDir(std::string_view path) {
  // Before the folder is made nothing lies in it.
  const std::string own = TempDir().Made();
  // The shared folder itself, when none of its own could be made, is no one's.
  if (own.find("/bq4-") == std::string::npos || path.size() <= own.size() + 1 ||
      path.compare(0, own.size(), own) != 0 || path[own.size()] != '/')
    return false;
  // No step out of it ("..").
  const std::string_view inside = path.substr(own.size());
  return inside.find("/../") == std::string_view::npos && !inside.ends_with("/..");
}

namespace {

// The process number of a name "bq4-<pid>-XXXXXX" as mkdtemp makes it; 0
// for any other name.
pid_t TempDirOwner(const char* name) {
  if (std::strncmp(name, "bq4-", 4) != 0) return 0;
  const char* p = name + 4;
  long pid = 0;
  const char* digits = p;
  while (*p >= '0' && *p <= '9' && pid < 1L << 30) pid = pid * 10 + (*p++ - '0');
  if (p == digits || *p != '-' || std::strlen(p + 1) != 6) return 0;
  return static_cast<pid_t>(pid);
}

// The time (seconds since the epoch) the process of that number started;
// -1 when the system does not tell (no /proc, the process gone).
long ProcessStartTime(pid_t pid) {
  static const long bootTime = [] {
    std::FILE* f = std::fopen("/proc/stat", "r");
    if (!f) return -1L;
    char line[256];
    long btime = -1;
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "btime %ld", &btime) == 1) break;
    std::fclose(f);
    return btime;
  }();
  const long ticks = ::sysconf(_SC_CLK_TCK);
  if (bootTime < 0 || ticks <= 0) return -1;
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  std::FILE* f = std::fopen(path, "r");
  if (!f) return -1;
  char text[1024];
  const std::size_t n = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  text[n] = '\0';
  // The name in parentheses may hold spaces: the fields count from its end.
  const char* p = std::strrchr(text, ')');
  if (!p) return -1;
  unsigned long long start = 0;
  if (std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
                  &start) != 1)
    return -1;
  return bootTime + static_cast<long>(start / static_cast<unsigned long long>(ticks));
}

// True when the process of that number that made something last changed at
// `changed` has ended: no process of that number runs (not merely another
// user's), or the one that runs started after that change, its number taken
// again. False while it may still run; `known` tells whether the system
// could say.
bool ProcessEnded(pid_t pid, time_t changed, bool& known) {
  known = true;
  if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
  const long started = ProcessStartTime(pid);
  known = started >= 0;
  // The boot time and the start are whole seconds apart from the clock.
  return known && started > static_cast<long>(changed) + 2;
}

// Whether a file or folder of this user's process `pid`, last changed at
// `changed`, was left by it: its process has ended, or (the system cannot
// tell) nothing has changed in it for `quiet` seconds.
bool LeftByEndedProcess(pid_t pid, time_t changed, long quiet) {
  bool known = false;
  if (ProcessEnded(pid, changed, known)) return true;
  return !known && ::time(nullptr) - changed >= quiet;
}

// The process number of a file name "<name>.<pid><extension>"; 0 for any
// other name.
pid_t LeftFileOwner(std::string_view name, std::string_view extension) {
  if (name.size() <= extension.size() || name.substr(name.size() - extension.size()) != extension) return 0;
  name.remove_suffix(extension.size());
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size() || name.size() - dot > 10) return 0;
  long pid = 0;
  for (const char c : name.substr(dot + 1)) {
    if (c < '0' || c > '9') return 0;
    pid = pid * 10 + (c - '0');
  }
  return static_cast<pid_t>(pid);
}

}  // namespace

int RemoveLeftProcessFiles(const std::string& folder, std::initializer_list<std::string_view> extensions,
                           long quiet) {
  return RemoveLeftProcessFiles(folder, FolderEntryNames(folder), extensions, quiet);
}

int RemoveLeftProcessFiles(const std::string& folder, const std::vector<std::string>& names,
                           std::initializer_list<std::string_view> extensions, long quiet) {
  int removed = 0;
  for (const std::string& name : names) {
    pid_t pid = 0;
    for (const std::string_view extension : extensions)
      if ((pid = LeftFileOwner(name, extension)) != 0) break;
    if (pid <= 0 || pid == ::getpid()) continue;
    const std::string path = folder + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
    if (!LeftByEndedProcess(pid, st.st_mtime, quiet)) continue;
    // Its number may be another process namespace's, whose program still
    // writes it: held, it stays.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    if (NobodyElseHolds(fd) && ::unlink(path.c_str()) == 0) ++removed;
    ::close(fd);
  }
  return removed;
}

namespace {

// Whether the folder of a run is one that no running program holds: the lock
// of its lock file could be taken, and is held by `held` while the folder
// goes. A folder without one (made by an earlier version of the program, or
// its run killed before it took its lock) is judged by its process, as those
// runs were; the lock file is made for it then, so that a run that is just
// making it waits for the lock and makes another.
bool TakeLeftFolder(const std::string& path, pid_t pid, time_t changed, long quiet, int& held) {
  const int dir = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir < 0) return false;
  int fd = ::openat(dir, kRunLockName, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT && LeftByEndedProcess(pid, changed, quiet))
    fd = ::openat(dir, kRunLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  ::close(dir);
  if (fd < 0) return false;
  struct stat st {};
  if (!LockWholeFile(fd, false) || ::fstat(fd, &st) != 0 || st.st_nlink == 0) {
    ::close(fd);
    return false;
  }
  held = fd;
  return true;
}

}  // namespace

int RemoveLeftTempDirs(const std::string& folder, long quiet) {
  const std::string base = folder.empty() ? TempBase() : folder;
  DIR* dir = ::opendir(base.c_str());
  if (!dir) return 0;
  const std::string own = TempDir().Made();
  int removed = 0;
  while (const dirent* e = ::readdir(dir)) {
    const pid_t pid = TempDirOwner(e->d_name);
    if (pid <= 0) continue;
    const std::string path = base + "/" + e->d_name;
    struct stat st {};
    int held = -1;
    // A directory of this user (not a link to one) that no run holds.
    if (path == own || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        !TakeLeftFolder(path, pid, st.st_mtime, quiet, held))
      continue;
    std::error_code ec;
    if (fs::remove_all(path, ec) > 0 && !ec) {
      ++removed;
      NameRemovedFile(path, "the temporary folder of a run that has ended");
    }
    ::close(held);
  }
  ::closedir(dir);
  return removed;
}

bool NobodyElseHolds(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  const int access = ::fcntl(fd, F_GETFL) & O_ACCMODE;
  struct flock fl {};
  fl.l_type = access == O_RDONLY ? F_RDLCK : F_WRLCK;
  fl.l_whence = SEEK_SET;  // the whole file
  if (::fcntl(fd, F_OFD_SETLK, &fl) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
  if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) return true;
  if (errno == EAGAIN || errno == EBUSY) return false;
  return ::time(nullptr) - st.st_mtime >= 3600;
}

void NameRemovedFile(const std::string& path, const char* what) {
  std::fprintf(stderr, "bq4: removed %s, %s\n", path.c_str(), what);
}

std::string TempFileName(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::string name = ProcessTempDir() + "/" + prefix + std::to_string(++counter) + ".tmp";
    std::error_code ec;
    if (!fs::exists(name, ec)) return name;
  }
}

namespace {

// $override, else $xdgVariable/bq4, else ~/homeFolder/bq4; created on demand.
std::string UserDirectory(const char* override, const char* xdgVariable, const char* homeFolder) {
  std::string dir = GetEnvironment(override);
  if (dir.empty()) {
    std::string xdg = GetEnvironment(xdgVariable);
    if (!xdg.empty()) {
      dir = xdg + "/bq4";
    } else {
      std::string home = GetEnvironment("HOME");
      dir = (home.empty() ? std::string(".") : home) + "/" + homeFolder + "/bq4";
    }
  }
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

}  // namespace

std::string ConfigDirectory() { return UserDirectory("BQ4_CONFIG_DIR", "XDG_CONFIG_HOME", ".config"); }

std::string CacheDirectory() { return UserDirectory("BQ4_CACHE_DIR", "XDG_CACHE_HOME", ".cache"); }

std::string UserDataDirectory() { return UserDirectory("BQ4_USER_DATA_DIR", "XDG_DATA_HOME", ".local/share"); }

namespace {

// The folder of the running program, which stays where it was started from:
// asked once; empty when the system does not tell.
const std::string& ProgramDirectory() {
  static const std::string dir = [] {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
  }();
  return dir;
}

std::string DataDirectoryBeside(const fs::path& exeDir) {
  std::error_code ec;
  // Build tree: data/ beside the executable (tests sit one level deeper).
  for (fs::path p : {exeDir / "data", exeDir.parent_path() / "data"}) {
    if (fs::is_directory(p, ec)) return p.string();
  }
  fs::path installed = exeDir.parent_path() / "share" / "bq4";
  if (fs::is_directory(installed, ec)) return installed.string();
  return (exeDir / "data").string();
}

}  // namespace

std::string ExecutableDirectory() {
  const std::string& dir = ProgramDirectory();
  return dir.empty() ? CurrentDirectory() : dir;
}

void FailWritesBeyondFileSizeLimit() { ::signal(SIGXFSZ, SIG_IGN); }

std::string DataDirectory() {
  std::string dir = GetEnvironment("BQ4_DATA_DIR");
  if (!dir.empty()) return dir;
  if (ProgramDirectory().empty()) return DataDirectoryBeside(CurrentDirectory());
  // Beside the program: looked for once (every project of a run asks).
  static const std::string beside = DataDirectoryBeside(ProgramDirectory());
  return beside;
}

std::string CurrentDirectory() {
  std::error_code ec;
  fs::path p = fs::current_path(ec);
  return ec ? std::string(".") : p.string();
}

void KeepFreedMemory() {
  ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
  ::mallopt(M_TOP_PAD, 1 << 20);
}

std::FILE* OpenDiscardingFile() {
  cookie_io_functions_t discard {};
  discard.write = [](void*, const char*, std::size_t size) -> ssize_t { return static_cast<ssize_t>(size); };
  return ::fopencookie(nullptr, "w", discard);
}

bool DirectoryWritable(const std::string& dir) {
  const std::string path = dir.empty() ? std::string(".") : dir;
  std::error_code ec;
  return fs::is_directory(path, ec) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

bool IsHeadless() {
  if (GetEnvironment("QT_QPA_PLATFORM") == "offscreen") return true;
  return GetEnvironment("DISPLAY").empty() && GetEnvironment("WAYLAND_DISPLAY").empty();
}

}  // namespace platform
