#include "platform/file_replace.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folder_names.h"
#include "platform/os.h"

namespace platform {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Permission bits a new file gets from the umask. Read from /proc so that
// the umask is never changed, not even for a moment; once, as the program
// never changes it.
mode_t NewFileMode() {
  static const mode_t mode = [] {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("Umask:", 0) != 0) continue;
      try {
        return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
      } catch (...) {
        break;
      }
    }
    return static_cast<mode_t>(0644);
  }();
  return mode;
}

bool SyncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
  ::close(fd);
  return ok;
}

// Temporaries this process is writing, each with the descriptor that holds
// a write lock on it from its making until it is renamed into place or
// removed: a run that clears away stale temporaries leaves locked ones alone.
// The lock belongs to the open file (OFD), so closing another descriptor of
// the file keeps it, and it ends with the process, however that ends.
std::mutex& HeldMutex() {
  static std::mutex mutex;
  return mutex;
}
std::unordered_map<std::string, int>& Held() {
  static std::unordered_map<std::string, int> held;
  return held;
}

// The write lock of a temporary being written: the whole file, however long
// it grows, in the shape that tells other runs it is a writer's own.
bool LockWhole(int fd, short type, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_len = kWriterTemporaryLockLength;
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EINTR) return false;
  }
}

void Release(const std::string& temporary) {
  std::lock_guard<std::mutex> guard(HeldMutex());
  const auto it = Held().find(temporary);
  if (it == Held().end()) return;
  ::close(it->second);
  Held().erase(it);
}

// The tail of this program's temporaries: a mark of its own and mkstemp's six
// characters, so that a user's file that merely looks like a temporary
// ("x.txt.~backup") is never taken for one.
constexpr std::string_view kTemporaryMark = ".~bq4";
constexpr std::size_t kTemporaryTail = kTemporaryMark.size() + 6;

// The path of the temporaries of a target without their tail: its name cut
// (at a character boundary of UTF-8) so that the name with the tail fits
// the folder's file system. The target's own name is never cut.
std::string TemporaryStem(const std::string& resolved) {
  const std::string folder = FolderOf(resolved);
  const std::size_t nameStart = resolved.rfind('/') == std::string::npos ? 0 : resolved.rfind('/') + 1;
  const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  const std::size_t maxName = limit > static_cast<long>(kTemporaryTail) ? static_cast<std::size_t>(limit) : NAME_MAX;
  std::size_t end = resolved.size();
  if (end - nameStart + kTemporaryTail > maxName) {
    end = nameStart + maxName - kTemporaryTail;
    while (end > nameStart && (static_cast<unsigned char>(resolved[end]) & 0xC0) == 0x80) --end;
  }
  return resolved.substr(0, end);
}

bool IsTemporaryTail(std::string_view tail) {
  if (tail.size() != kTemporaryTail || tail.substr(0, kTemporaryMark.size()) != kTemporaryMark) return false;
  for (const char c : tail.substr(kTemporaryMark.size()))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

// Removes the temporaries of this stem that a run of this user which ended
// without finishing them (killed, say) left behind: those no program holds
// open or locked. Each one removed, or kept as another program holds it, is
// named on stderr.
void ClearStaleTemporaries(const std::string& stem) {
  const std::string folder = FolderOf(stem);
  const std::string prefix = stem.substr(stem.rfind('/') == std::string::npos ? 0 : stem.rfind('/') + 1);
  std::vector<std::string> found;
  for (std::string& name : FolderEntryNames(folder))
    if (name.size() == prefix.size() + kTemporaryTail && name.compare(0, prefix.size(), prefix) == 0)
      found.push_back(std::move(name));
  ClearLeftTemporaries(folder, found, "a temporary file left by a run that has ended");
}

// A new temporary "<stem>.~bq4XXXXXX", locked before its name is seen: made
// without a name and linked under one, so that no run clearing temporaries
// ever finds it unlocked. -1 where the file system cannot make a file
// without a name.
int CreateLockedTemporary(const std::string& stem, std::string& name) {
  const int fd = ::open(FolderOf(stem).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  // Names need only differ from those in the folder (a taken one is tried
  // again): one generator a thread, seeded by the process id and the clock.
  thread_local std::mt19937_64 random(
      static_cast<std::uint64_t>(::getpid()) << 32 ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  if (LockWhole(fd, F_WRLCK, false)) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      name = stem + std::string(kTemporaryMark);
      for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return fd;
      if (errno != EEXIST) break;
    }
  }
  ::close(fd);
  return -1;
}

}  // namespace

void ClearLeftTemporaries(const std::string& folder, const std::vector<std::string>& names, const char* what) {
  for (const std::string& name : names)
    if (name.size() > kTemporaryTail && IsTemporaryTail(std::string_view(name).substr(name.size() - kTemporaryTail)))
      RemoveUnheldFile(folder + "/" + name, what);
}

std::string ReplacementTarget(const std::string& path) {
  std::string current = path;
  // A loop of links is left to the rename, which then replaces the name given.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(current.c_str(), buf.data(), buf.size());
    if (n < 0 || static_cast<std::size_t>(n) >= buf.size()) return current;
    std::string link(buf.data(), static_cast<std::size_t>(n));
    current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
  }
  return path;
}

bool ReplaceableTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(ReplacementTarget(path).c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}

std::string OutputRefusal(const std::string& path) {
  const std::string target = ReplacementTarget(path);
  const bool linked = target != path;
  const std::string which = linked ? path + " leads to " + target + ", which" : path;
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return which + " is not a regular file (a FIFO, device or folder)";
    if (::access(target.c_str(), W_OK) != 0) return which + " is not writable";
  } else if (errno != ENOENT) {
    return which + " cannot be looked at: " + std::strerror(errno);
  }
  // The new file is written beside it and renamed into place.
  const std::string folder = FolderOf(target);
  const std::string whose = (linked ? path + " leads to " + target + ", whose" : path + ": its") + " folder " + folder;
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode)) return whose + " does not exist";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return whose + " takes no new files";
  return {};
}

std::string CreateTemporaryBeside(const std::string& target) {
  const std::string resolved = ReplacementTarget(target);
  const std::string stem = TemporaryStem(resolved);
  ClearStaleTemporaries(stem);
  std::string name;
  int fd = CreateLockedTemporary(stem, name);
  // Elsewhere made with its name and then locked: a file removed as stale
  // between its making and its lock is made afresh. On a file system without
  // locks it stays unlocked, and no run clears it.
  for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
    name = stem + std::string(kTemporaryMark) + "XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return {};
    struct stat made {};
    if (LockWhole(fd, F_WRLCK, true) && ::fstat(fd, &made) == 0 && made.st_nlink == 0) {
      ::close(fd);
      fd = -1;
    }
  }
  if (fd < 0) return {};
  struct stat st {};
  const mode_t mode = ::stat(resolved.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  ::fchmod(fd, mode);
  std::lock_guard<std::mutex> guard(HeldMutex());
  Held()[name] = fd;
  return name;
}

void DiscardTemporary(const std::string& temporary) {
  if (temporary.empty()) return;
  ::unlink(temporary.c_str());
  Release(temporary);
}

bool CommitTemporary(const std::string& temporary, const std::string& target, ReplaceSync sync) {
  const bool durable = sync == ReplaceSync::Durable;
  const std::string resolved = ReplacementTarget(target);
  const bool ok = (!durable || SyncPath(temporary, O_RDONLY)) && std::rename(temporary.c_str(), resolved.c_str()) == 0;
  if (!ok) {
    DiscardTemporary(temporary);
    return false;
  }
  Release(temporary);
  return !durable || SyncPath(FolderOf(resolved), O_RDONLY | O_DIRECTORY);
}

}  // namespace platform
