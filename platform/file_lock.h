// Byte-range locks on open files, in place of LockFile/UnlockFile.
// They are POSIX open-file-description locks: they belong to the open
// file, so two handles of one file in the same process conflict exactly as
// two processes do, and closing another handle of the file keeps them.
// Locks are advisory: they hold off only programs that follow the scheme.
#pragma once

#include <cstdint>

#include "platform/binary_file.h"

namespace platform {

// Exclusive lock of [offset, offset + length) without waiting.
// 0 on success, kErrLockViolation when another open file holds any part.
int LockRange(FileHandle handle, std::uint64_t offset, std::uint64_t length);
// Shared lock of the range without waiting: it holds off exclusive locks
// of other open files only. 0 or kErrLockViolation.
int LockRangeShared(FileHandle handle, std::uint64_t offset, std::uint64_t length);
// Releases a lock taken through this handle; 0 on success.
int UnlockRange(FileHandle handle, std::uint64_t offset, std::uint64_t length);
// True when another open file holds a lock that overlaps the range.
bool RangeLockedByOther(FileHandle handle, std::uint64_t offset, std::uint64_t length);

// Share modes are a lock on one sentinel byte far beyond every data and
// lock range: deny-all holds it exclusively, every other mode shared.
constexpr std::uint64_t kShareSentinelOffset = 0x7FFFFFFFFFFFFFF0ULL;

// Takes the share lock for a DOS-style open mode (binary_file.h) on an open
// handle; 0 or kErrSharingViolation.
int TakeShareLock(FileHandle handle, unsigned mode);

}  // namespace platform
