// Shared-use locks of the work areas: record, file and append locks as
// byte ranges far beyond the data (platform/file_lock.h), the list of
// record locks, retries, and the checks the record operations make.
#pragma once

#include <cstdint>

#include "dbf/work_area.h"

extern std::int32_t LockBase;         // 0x40000000
extern std::int32_t FileLockLength;   // 0x3FFFFFFF
extern std::uint16_t RecordLockLimit; // 0 = no limit
extern std::uint8_t LockRetries;
extern std::uint8_t LockWaitMs;
extern bool (*LockRetryCallback)();

void InitDbfLocks();

int LockRegion(bool unlock, platform::FileHandle file, std::int64_t offset, std::int64_t length);
// Waits `ms` milliseconds on the monotonic tick counter. It does not run
// the event loop, so nothing can re-enter the engine meanwhile.
void WaitTicks(std::uint32_t ms);
bool LockWithRetry(platform::FileHandle file, std::int64_t offset, std::int64_t length);
bool FLock();
bool ALock();
bool RLock();
bool IsLocked(std::int32_t n);
bool UnlockRec(std::int32_t n);
void Unlock();
bool LockMarker();
void UnlockMarker();

// Whether the current record of `wa` may be written: exclusive use, a file
// lock, or the record in the lock list. `flagOnly` is for DeleteRec and
// RecallRec.
bool RecordWriteAllowed(const TDbfWorkArea& wa, bool flagOnly);
// Whether record n may be written in place (Poke).
bool RecordPokeAllowed(const TDbfWorkArea& wa, std::int32_t n);
