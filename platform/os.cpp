#include "platform/os.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include <malloc.h>
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

struct TempDirHolder {
  std::string path;
  pid_t owner = ::getpid();
  TempDirHolder() {
    std::string base = GetEnvironment("TMPDIR");
    if (base.empty()) base = "/tmp";
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
