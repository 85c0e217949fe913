#include "platform/binary_file.h"

#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/file_lock.h"

namespace platform {

int ErrnoToDosCode(int err) {
  switch (err) {
    case 0: return 0;
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return kErrPathNotFound;
    case EMFILE:
    case ENFILE: return kErrTooManyFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case EEXIST: return kErrAccessDenied;
    case EBADF: return kErrInvalidHandle;
    case ENOMEM: return 8;
    case EAGAIN: return kErrLockViolation;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return kErrDiskWrite;
    case EIO: return kErrDiskRead;
    default: return 31;  // general failure
  }
}

namespace {

int OpenFlags(unsigned access) {
  switch (access & 0x07) {
    case kOpenRead: return O_RDONLY;
    case kOpenWrite: return O_WRONLY;
    default: return O_RDWR;
  }
}

constexpr int kNotRegular = -2;

// open() that never waits (O_NONBLOCK) and keeps only a regular file: the
// descriptor, blocking from then on; -1 with errno, or kNotRegular.
int OpenWithoutWaiting(const std::string& name, int flags) {
  int fd = -1;
  do {
    fd = ::open(name.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  // A regular file under another program's lease refuses a non-blocking
  // open: it is opened waiting for the lease to be given up, as any open is.
  struct stat byName {};
  if (fd < 0 && errno == EWOULDBLOCK && ::stat(name.c_str(), &byName) == 0 && S_ISREG(byName.st_mode)) {
    do {
      fd = ::open(name.c_str(), flags | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
  }
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return st.st_mode != 0 && !S_ISREG(st.st_mode) ? kNotRegular : -1;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status != -1) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  return fd;
}

}  // namespace

int OpenRegularFileForReading(const std::string& name, FileHandle& handle) {
  handle = kNoFile;
  const int fd = OpenWithoutWaiting(name, O_RDONLY);
  if (fd == kNotRegular) return kErrNotRegularFile;
  if (fd < 0) return ErrnoToDosCode(errno);
  handle = fd;
  return 0;
}

std::FILE* OpenRegularStreamForReading(const std::string& name, int& code) {
  FileHandle handle = kNoFile;
  code = OpenRegularFileForReading(name, handle);
  if (code != 0) return nullptr;
  std::FILE* stream = ::fdopen(handle, "rb");
  if (!stream) {
    code = ErrnoToDosCode(errno);
    ::close(handle);
  }
  return stream;
}

int OpenFile(const std::string& name, unsigned mode, FileHandle& handle) {
  handle = kNoFile;
  int flags = OpenFlags(mode);
  unsigned share = mode & 0x70;
  // An exclusive share lock needs a handle open for writing; a read-only
  // exclusive open asks for write access and falls back when refused.
  bool wantExclusive = share == kShareDenyAll || share == kShareDenyWrite || share == kShareDenyRead;
  int fd = -1;
  if (wantExclusive && flags == O_RDONLY) fd = OpenWithoutWaiting(name, O_RDWR);
  if (fd < 0) fd = OpenWithoutWaiting(name, flags);
  if (fd < 0) return fd == kNotRegular ? kErrAccessDenied : ErrnoToDosCode(errno);
  int rc = TakeShareLock(fd, mode);
  if (rc != 0) {
    ::close(fd);
    return rc;
  }
  handle = fd;
  return 0;
}

int CreateFile(const std::string& name, FileHandle& handle) {
  handle = kNoFile;
  int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return ErrnoToDosCode(errno);
  TakeShareLock(fd, kOpenReadWrite | kShareDenyNone);
  handle = fd;
  return 0;
}

int CreateNewFile(const std::string& name, FileHandle& handle) {
  handle = kNoFile;
  int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return ErrnoToDosCode(errno);
  TakeShareLock(fd, kOpenReadWrite | kShareDenyNone);
  handle = fd;
  return 0;
}

int OpenOrCreateShared(const std::string& name, FileHandle& handle) {
  handle = kNoFile;
  // A missing file is made under its own name only: O_EXCL makes no file
  // through a link, so one that leads nowhere makes nothing where it points.
  int fd = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fd = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) break;
    fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) break;
    struct stat st {};
    if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::stat(name.c_str(), &st) != 0) {
      errno = ENOENT;  // a link that leads nowhere
      break;
    }
  }
  if (fd < 0) return ErrnoToDosCode(errno);
  int rc = TakeShareLock(fd, kOpenReadWrite | kShareDenyNone);
  if (rc != 0) {
    ::close(fd);
    return rc;
  }
  handle = fd;
  return 0;
}

bool NamesOpenFile(const std::string& name, FileHandle handle) {
  struct stat byName {}, byHandle {};
  return ::stat(name.c_str(), &byName) == 0 && ::fstat(handle, &byHandle) == 0 && byName.st_dev == byHandle.st_dev &&
         byName.st_ino == byHandle.st_ino;
}

const volatile std::uint8_t* MapForReading(FileHandle handle, std::size_t length) {
  void* m = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, handle, 0);
  return m == MAP_FAILED ? nullptr : static_cast<const volatile std::uint8_t*>(m);
}

void Unmap(const volatile std::uint8_t* map, std::size_t length) {
  if (map) ::munmap(const_cast<std::uint8_t*>(map), length);
}

namespace {

// The copy under way on this thread, where a SIGBUS returns to. Volatile, so
// that the store arming it is neither dropped nor merged with the one after.
thread_local sigjmp_buf* volatile g_mappedCopy = nullptr;
struct sigaction g_previousBusAction {};

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (g_mappedCopy) siglongjmp(*g_mappedCopy, 1);
  // Not ours: as the handler before ours would have it.
  if (g_previousBusAction.sa_flags & SA_SIGINFO) {
    if (g_previousBusAction.sa_sigaction) g_previousBusAction.sa_sigaction(signal, info, context);
    return;
  }
  if (g_previousBusAction.sa_handler != SIG_DFL && g_previousBusAction.sa_handler != SIG_IGN &&
      g_previousBusAction.sa_handler) {
    g_previousBusAction.sa_handler(signal);
    return;
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace

bool CopyFromMapping(void* out, const volatile std::uint8_t* from, std::size_t length) {
  static std::once_flag installed;
  std::call_once(installed, [] {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previousBusAction);
  });
  sigjmp_buf here;
  // No signal mask saved: a system call per copy would cost more than the copy.
  // The handler runs with SIGBUS unblocked (SA_NODEFER), so none is left blocked.
  if (sigsetjmp(here, 0) != 0) {
    g_mappedCopy = nullptr;
    return false;
  }
  g_mappedCopy = &here;
  // The fences keep the compiler from moving the copy's loads out of the
  // armed stretch; the handler runs on this thread, so no CPU fence is needed.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(out, const_cast<const std::uint8_t*>(from), length);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  g_mappedCopy = nullptr;
  return true;
}

int CloseFile(FileHandle& handle) {
  if (handle == kNoFile) return kErrInvalidHandle;
  int rc = ::close(handle) == 0 ? 0 : ErrnoToDosCode(errno);
  handle = kNoFile;
  return rc;
}

int ReadAt(FileHandle handle, std::uint64_t offset, void* buffer, std::size_t count,
           std::size_t& got) {
  got = 0;
  auto* p = static_cast<char*>(buffer);
  while (got < count) {
    ssize_t n = ::pread(handle, p + got, count - got, static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrnoToDosCode(errno);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return 0;
}

int WriteAt(FileHandle handle, std::uint64_t offset, const void* buffer, std::size_t count) {
  const auto* p = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::pwrite(handle, p + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrnoToDosCode(errno);
    }
    if (n == 0) return kErrDiskWrite;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

std::int64_t FileSize(FileHandle handle) {
  struct stat st {};
  if (::fstat(handle, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::int64_t FileModifiedTime(FileHandle handle) {
  struct stat st {};
  if (::fstat(handle, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_mtime);
}

int TruncateFile(FileHandle handle, std::uint64_t size) {
  return ::ftruncate(handle, static_cast<off_t>(size)) == 0 ? 0 : ErrnoToDosCode(errno);
}

int FlushFile(FileHandle handle) {
  return ::fsync(handle) == 0 ? 0 : ErrnoToDosCode(errno);
}

bool FileExists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int RemoveFile(const std::string& name) {
  return ::unlink(name.c_str()) == 0 ? 0 : ErrnoToDosCode(errno);
}

int RenameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : ErrnoToDosCode(errno);
}

std::int64_t FreeDiskBytes(const std::string& path) {
  struct statvfs vfs {};
  if (::statvfs(path.empty() ? "." : path.c_str(), &vfs) != 0) return -1;
  return static_cast<std::int64_t>(vfs.f_bavail) * static_cast<std::int64_t>(vfs.f_frsize);
}

}  // namespace platform
