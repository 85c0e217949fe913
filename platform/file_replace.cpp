#include "platform/file_replace.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Permission bits a new file gets from the umask. Read from /proc so that
// the umask is never changed, not even for a moment.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Umask:", 0) != 0) continue;
    try {
      return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    } catch (...) {
      break;
    }
  }
  return 0644;
}

bool SyncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
  ::close(fd);
  return ok;
}

}  // namespace

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

std::string CreateTemporaryBeside(const std::string& target) {
  const std::string resolved = ReplacementTarget(target);
  std::string name = resolved + ".~XXXXXX";
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return {};
  struct stat st {};
  const mode_t mode = ::stat(resolved.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  ::fchmod(fd, mode);
  ::close(fd);
  return name;
}

bool CommitTemporary(const std::string& temporary, const std::string& target, ReplaceSync sync) {
  const bool durable = sync == ReplaceSync::Durable;
  const std::string resolved = ReplacementTarget(target);
  const bool ok = (!durable || SyncPath(temporary, O_RDONLY)) && std::rename(temporary.c_str(), resolved.c_str()) == 0;
  if (!ok) {
    std::remove(temporary.c_str());
    return false;
  }
  return !durable || SyncPath(FolderOf(resolved), O_RDONLY | O_DIRECTORY);
}

}  // namespace platform
