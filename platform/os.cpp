#include "platform/os.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <thread>

#include <dirent.h>
#include <malloc.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

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

struct TempDirHolder {
  std::string path;
  pid_t owner = ::getpid();
  TempDirHolder() {
    std::string base = TempBase();
    std::string templ = base + "/bq4-" + std::to_string(::getpid()) + "-XXXXXX";
    if (char* made = ::mkdtemp(templ.data())) {
      path = made;
    } else {
      path = base;  // fall back to the shared directory rather than fail
    }
  }
  ~TempDirHolder() {
    // A forked child that ends normally leaves its parent's directory alone.
    if (::getpid() == owner && path.find("/bq4-") != std::string::npos) {
      std::error_code ec;
      fs::remove_all(path, ec);
    }
  }
};

}  // namespace

const std::string& ProcessTempDir() {
  static TempDirHolder holder;
  return holder.path;
}

bool InProcessTempDir(std::string_view path) {
  const std::string& own = ProcessTempDir();
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
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* e = ::readdir(dir)) {
    pid_t pid = 0;
    for (const std::string_view extension : extensions)
      if ((pid = LeftFileOwner(e->d_name, extension)) != 0) break;
    if (pid <= 0 || pid == ::getpid()) continue;
    const std::string path = folder + "/" + e->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
    if (!LeftByEndedProcess(pid, st.st_mtime, quiet)) continue;
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

int RemoveLeftTempDirs(const std::string& folder, long quiet) {
  const std::string base = folder.empty() ? TempBase() : folder;
  DIR* dir = ::opendir(base.c_str());
  if (!dir) return 0;
  const std::string& own = ProcessTempDir();
  int removed = 0;
  while (const dirent* e = ::readdir(dir)) {
    const pid_t pid = TempDirOwner(e->d_name);
    if (pid <= 0) continue;
    const std::string path = base + "/" + e->d_name;
    struct stat st {};
    // A directory of this user (not a link to one) whose process has ended.
    if (path == own || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        !LeftByEndedProcess(pid, st.st_mtime, quiet))
      continue;
    std::error_code ec;
    if (fs::remove_all(path, ec) > 0 && !ec) ++removed;
  }
  ::closedir(dir);
  return removed;
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
