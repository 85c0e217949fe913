#include "platform/file_lock.h"

#include <cerrno>

#include <fcntl.h>

namespace platform {

namespace {

// One OFD lock request; F_OFD_* needs l_pid = 0.
int OfdLock(FileHandle handle, short type, std::uint64_t offset, std::uint64_t length) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;
  for (;;) {
    if (::fcntl(handle, F_OFD_SETLK, &fl) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return kErrLockViolation;
    return ErrnoToDosCode(errno);
  }
}

}  // namespace

int LockRange(FileHandle handle, std::uint64_t offset, std::uint64_t length) {
  if (length == 0) return 0;
  return OfdLock(handle, F_WRLCK, offset, length);
}

int LockRangeShared(FileHandle handle, std::uint64_t offset, std::uint64_t length) {
  if (length == 0) return 0;
  return OfdLock(handle, F_RDLCK, offset, length);
}

int UnlockRange(FileHandle handle, std::uint64_t offset, std::uint64_t length) {
  if (length == 0) return 0;
  return OfdLock(handle, F_UNLCK, offset, length);
}

bool RangeLockedByOther(FileHandle handle, std::uint64_t offset, std::uint64_t length) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;
  if (::fcntl(handle, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

int TakeShareLock(FileHandle handle, unsigned mode) {
  unsigned share = mode & 0x70;
  bool exclusive = share == kShareDenyAll || share == kShareDenyWrite || share == kShareDenyRead;
  int rc = OfdLock(handle, exclusive ? F_WRLCK : F_RDLCK, kShareSentinelOffset, 1);
  if (rc == kErrInvalidHandle && exclusive) {
    // A handle that cannot write cannot hold the exclusive lock: a shared
    // one still keeps deny-all openers out.
    rc = OfdLock(handle, F_RDLCK, kShareSentinelOffset, 1);
  }
  return rc == kErrLockViolation ? kErrSharingViolation : rc;
}

}  // namespace platform
