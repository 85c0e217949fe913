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

// The mark of a run's folder while it is made, before its lock is held:
// "bq4-<pid>-new-XXXXXX". One that a killed run left goes once its lock is
// free and it has been left alone for kMakingQuiet seconds; its maker needs
// a moment.
constexpr std::string_view kMakingMark = "new-";
constexpr long kMakingQuiet = 60;

// Renames from to to unless to exists (a folder would be replaced when
// empty). Where the file system cannot tell, to is looked for first.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat st {};
  return ::lstat(to.c_str(), &st) != 0 && errno == ENOENT && std::rename(from.c_str(), to.c_str()) == 0;
}

bool LockWholeFile(int fd, bool wait, short type = F_WRLCK) {
  struct flock fl {};
  fl.l_type = type;
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
    const std::string named = base + "/bq4-" + std::to_string(::getpid()) + "-";
    // Made under a name of its own while it is made, and given its name
    // once its lock is held: a run that clears killed runs' folders never
    // finds it unlocked. One cleared away meanwhile, or whose name another
    // folder has, is made afresh.
    for (int attempt = 0; attempt < 10; ++attempt) {
      std::string making = named + std::string(kMakingMark) + "XXXXXX";
      if (!::mkdtemp(making.data())) break;
      const std::string lockName = making + "/" + kRunLockName;
      const int fd = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd < 0) {
        ::rmdir(making.c_str());
        continue;
      }
      errno = 0;
      const bool locked = LockWholeFile(fd, true);
      // A file system without locks keeps the folder unlocked: no run can
      // take its lock either, so none clears it away.
      const bool noLocks = !locked && (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL);
      struct stat st {};
      const bool held = (locked || noLocks) && ::fstat(fd, &st) == 0 && st.st_nlink > 0;
      const std::string folder = named + making.substr(making.size() - 6);
      if (held && RenameNoReplace(making, folder)) {
        path = folder;
        lock = fd;
        return;
      }
      if (held) {
        ::unlink(lockName.c_str());
        ::rmdir(making.c_str());
      }
      ::close(fd);
    }
    path = base;  // fall back to the shared directory rather than fail
  }

  ~TempDirHolder() {
    // A forked child that ends normally leaves its parent's directory alone.
    if (::getpid() == owner && lock >= 0) {
      // Emptied with its lock held; the lock file goes last, so that a run
      // clearing the folders of ended runs finds this one locked until it is
      // empty (and gone a moment later, TakeLeftFolder).
      const std::string& folder = path;
      std::error_code ec;
      for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename() != kRunLockName) fs::remove_all(it->path(), ec);
      ::unlink((folder + "/" + kRunLockName).c_str());
      ::rmdir(folder.c_str());
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

// The process number of a name "bq4-<pid>-XXXXXX" as mkdtemp makes it, or
// of "bq4-<pid>-new-XXXXXX" of a folder being made (`making`); 0 for any
// other name.
pid_t TempDirOwner(const char* name, bool& making) {
  if (std::strncmp(name, "bq4-", 4) != 0) return 0;
  const char* p = name + 4;
  long pid = 0;
  const char* digits = p;
  while (*p >= '0' && *p <= '9' && pid < 1L << 30) pid = pid * 10 + (*p++ - '0');
  if (p == digits || *p != '-') return 0;
  ++p;
  making = std::string_view(p).starts_with(kMakingMark);
  if (making) p += kMakingMark.size();
  return std::strlen(p) == 6 ? static_cast<pid_t>(pid) : 0;
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
                           const char* what, long quiet) {
  return RemoveLeftProcessFiles(folder, FolderEntryNames(folder), extensions, what, quiet);
}

int RemoveLeftProcessFiles(const std::string& folder, const std::vector<std::string>& names,
                           std::initializer_list<std::string_view> extensions, const char* what, long quiet) {
  int removed = 0;
  for (const std::string& name : names) {
    pid_t pid = 0;
    for (const std::string_view extension : extensions)
      if ((pid = LeftFileOwner(name, extension)) != 0) break;
    if (pid <= 0 || pid == ::getpid()) continue;
    const std::string path = folder + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
    // Its number may be another process namespace's, whose program still
    // writes it: held, it stays.
    if (LeftByEndedProcess(pid, st.st_mtime, quiet) && RemoveUnheldFile(path, what) == LeftFile::Removed) ++removed;
  }
  return removed;
}

namespace {

// Whether the folder of a run is one that no running program holds: the lock
// of its lock file could be taken, and is held by `held` while the folder
// goes. A folder without one (made by an earlier version of the program, or
// its run killed before it took its lock) is judged by its process, as those
// runs were; the lock file is made for it then, so that a run that is just
// making it waits for the lock and makes another. A folder still being made
// (`making`) is its maker's until it has been left alone for a while,
// whatever its process number says: the maker may run in another process
// namespace.
bool TakeLeftFolder(const std::string& path, pid_t pid, time_t changed, long quiet, bool making, int& held) {
  if (making && ::time(nullptr) - changed < kMakingQuiet) return false;
  const int dir = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir < 0) return false;
  int fd = ::openat(dir, kRunLockName, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT && (making || LeftByEndedProcess(pid, changed, quiet))) {
    // A run that ends removes its lock file last and its empty folder just
    // after: such a folder is gone a moment later.
    SleepMs(10);
    struct stat st {};
    if (::fstat(dir, &st) == 0 && st.st_nlink > 0)
      fd = ::openat(dir, kRunLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  }
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

bool EmptyLeftFolder(const std::string& folder, bool top);

}  // namespace

int RemoveLeftTempDirs(const std::string& folder, long quiet) {
  const std::string base = folder.empty() ? TempBase() : folder;
  DIR* dir = ::opendir(base.c_str());
  if (!dir) return 0;
  const std::string own = TempDir().Made();
  int removed = 0;
  while (const dirent* e = ::readdir(dir)) {
    bool making = false;
    const pid_t pid = TempDirOwner(e->d_name, making);
    if (pid <= 0) continue;
    const std::string path = base + "/" + e->d_name;
    struct stat st {};
    int held = -1;
    // A directory of this user (not a link to one) that no run holds.
    if (path == own || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        !TakeLeftFolder(path, pid, st.st_mtime, quiet, making, held))
      continue;
    // A file in it that another program holds keeps the folder, lock file
    // and all, for a later run to look at again.
    if (EmptyLeftFolder(path, true) && ::unlink((path + "/" + kRunLockName).c_str()) == 0 &&
        ::rmdir(path.c_str()) == 0) {
      ++removed;
      NameRemovedFile(path, "the temporary folder of a run that has ended");
    }
    ::close(held);
  }
  ::closedir(dir);
  return removed;
}

namespace {

// Removes the file that fd (with its whole-file lock) stands for while no
// other descriptor of it is open: Kept when one is, or one was opened
// meanwhile. The break of the lease is told by SIGURG, whose default is to
// be ignored and which this program never handles, and by no signal at all
// once the lease is had: its default, SIGIO, would end the program. The
// other program's open waits until fd is closed, a moment later.
LeftFile RemoveUnopened(int fd, const std::string& path, const struct stat& opened) {
  auto stillNamed = [&] {
    struct stat named {};
    return ::lstat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
  };
  if (::fcntl(fd, F_SETSIG, SIGURG) != 0 || ::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
    if (errno == EAGAIN || errno == EBUSY) return LeftFile::Kept;
    // No leases on this file system.
    return ::time(nullptr) - opened.st_mtime >= 3600 && stillNamed() && ::unlink(path.c_str()) == 0
               ? LeftFile::Removed
               : LeftFile::Skipped;
  }
  ::fcntl(fd, F_SETOWN, 0);
  if (!stillNamed()) return LeftFile::Skipped;
  // A break under way: another program opened it since.
  if (::fcntl(fd, F_GETLEASE) != F_WRLCK) return LeftFile::Kept;
  return ::unlink(path.c_str()) == 0 ? LeftFile::Removed : LeftFile::Skipped;
}

// Whether the lock that stands in the way is the one a running program holds
// on the temporary it writes (kWriterTemporaryLockLength).
bool HeldByRunningWriter(int fd) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type == F_WRLCK && fl.l_pid == -1 && fl.l_start == 0 &&
         static_cast<std::int64_t>(fl.l_len) == kWriterTemporaryLockLength;
}

// One try of RemoveUnheldFile, which names nothing.
LeftFile TryRemoveUnheld(const std::string& path) {
  // Never opened unless it is this user's regular file: a device or a FIFO
  // would answer the open.
  struct stat named {};
  if (::lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode) || named.st_uid != ::geteuid())
    return LeftFile::Skipped;
  // Opened without waiting: a file under a lease is being examined by
  // another run at this moment, which decides.
  int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EROFS))
    fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return LeftFile::Skipped;
  // Locked for writing where it may be written, so that of two runs
  // clearing it at once one goes on; a running writer's lock keeps it.
  const short type = (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
  struct stat st {};
  LeftFile result = LeftFile::Skipped;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
    // A lock of another program's (fcntl, POSIX or OFD, or flock) keeps it;
    // a running writer's own temporary is passed over in silence.
    if (!LockWholeFile(fd, false, type))
      result = (errno == EAGAIN || errno == EACCES) && !HeldByRunningWriter(fd) ? LeftFile::Kept : LeftFile::Skipped;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) result = errno == EWOULDBLOCK ? LeftFile::Kept : LeftFile::Skipped;
    else result = RemoveUnopened(fd, path, st);
  }
  ::close(fd);
  return result;
}

// RemoveUnheldFile, which names nothing. A program that holds it for a
// moment (another run that looks at it) is waited for; one that holds it
// longer keeps it. Runs that try at once wait for different times.
LeftFile RemoveUnheldQuietly(const std::string& path) {
  LeftFile result = TryRemoveUnheld(path);
  for (std::uint32_t wait = 1; result == LeftFile::Kept && wait <= 8; wait *= 2) {
    SleepMs(wait + static_cast<std::uint32_t>(::getpid()) % 3);
    result = TryRemoveUnheld(path);
  }
  return result;
}

constexpr const char* kLeftFolderFile = "a file in the temporary folder of a run that has ended";

// Empties the folder of a run that has ended (held by this run), its lock
// file (`top`) aside: true when nothing else is left. Its files go as
// leftovers do (RemoveUnheldFile): one that another program holds open or
// locked stays, named; another user's file, a link, a FIFO go at once, as
// nobody holds them through their name here.
bool EmptyLeftFolder(const std::string& folder, bool top) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  bool empty = true;
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(dir))
    if (!(e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0))) &&
        !(top && std::strcmp(e->d_name, kRunLockName) == 0))
      names.emplace_back(e->d_name);
  ::closedir(dir);
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      empty = EmptyLeftFolder(path, false) && ::rmdir(path.c_str()) == 0 && empty;
      continue;
    }
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
      empty = (::unlink(path.c_str()) == 0 || errno == ENOENT) && empty;
      continue;
    }
    const LeftFile result = RemoveUnheldQuietly(path);
    if (result == LeftFile::Kept) NameKeptFile(path, kLeftFolderFile);
    empty = (result == LeftFile::Removed || (::lstat(path.c_str(), &st) != 0 && errno == ENOENT)) && empty;
  }
  return empty;
}

}  // namespace

LeftFile RemoveUnheldFile(const std::string& path, const char* what) {
  const LeftFile result = RemoveUnheldQuietly(path);
  if (result == LeftFile::Removed) NameRemovedFile(path, what);
  if (result == LeftFile::Kept) NameKeptFile(path, what);
  return result;
}

void NameRemovedFile(const std::string& path, const char* what) {
  std::fprintf(stderr, "bq4: removed %s, %s\n", path.c_str(), what);
}

void NameKeptFile(const std::string& path, const char* what) {
  std::fprintf(stderr, "bq4: kept %s, %s, held by another program\n", path.c_str(), what);
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
