#include "dbf/locks.h"

#include <algorithm>

#include "dbf/errors.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "platform/file_lock.h"
#include "platform/os.h"

std::int32_t LockBase = 0x40000000;
std::int32_t FileLockLength = 0x3FFFFFFF;
std::uint16_t RecordLockLimit = 0;
std::uint8_t LockRetries = 0;
std::uint8_t LockWaitMs = 0;
bool (*LockRetryCallback)() = nullptr;

void InitDbfLocks() {
  LockBase = 0x40000000;
  FileLockLength = 0x3FFFFFFF;
  RecordLockLimit = 0;
  LockRetries = 0;
  LockWaitMs = 0;
  LockRetryCallback = nullptr;
}

namespace {

bool Shared(const TDbfWorkArea& wa) { return NetworkMode && !wa.exclusive; }

std::int64_t RecordLockOffset(const TDbfWorkArea& wa, std::int32_t n) {
  return static_cast<std::int64_t>(LockBase) + wa.headerLength +
         static_cast<std::int64_t>(n - 1) * wa.recordLength;
}

// The selected work area for a lock call, or nullptr after reporting.
TDbfWorkArea* LockArea(const char* label) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse(label);
    return nullptr;
  }
  if (wa->isVirtual) {
    DederError(1100, std::string(" [") + label + "]");
    return nullptr;
  }
  return wa;
}

// Unlocks one listed record; the code of a failure stays in TzLastError.
bool UnlockNode(TDbfWorkArea& wa, std::size_t index) {
  std::int32_t n = wa.lockList[index];
  bool ok = true;
  if (Shared(wa)) {
    int rc = LockRegion(true, wa.file, RecordLockOffset(wa, n), wa.recordLength);
    if (rc != 0) {
      TzLastError = static_cast<std::uint16_t>(rc);
      ok = false;
    }
  }
  wa.lockList.erase(wa.lockList.begin() + static_cast<std::ptrdiff_t>(index));
  if (wa.lockList.empty()) wa.lockState = 0;
  return ok;
}

}  // namespace

int LockRegion(bool unlock, platform::FileHandle file, std::int64_t offset, std::int64_t length) {
  if (!NetworkMode) return 0;
  if (offset < 0 || length <= 0) return 0;
  auto off = static_cast<std::uint64_t>(offset);
  auto len = static_cast<std::uint64_t>(length);
  return unlock ? platform::UnlockRange(file, off, len) : platform::LockRange(file, off, len);
}

void WaitTicks(std::uint32_t ms) {
  std::uint32_t start = TickCount();
  for (;;) {
    std::uint32_t now = TickCount();
    if (now < start) return;  // the counter wrapped
    std::uint32_t passed = now - start;
    if (passed >= ms) return;
    IdleHook();
    platform::SleepMs(std::min<std::uint32_t>(ms - passed, 10));
  }
}

bool LockWithRetry(platform::FileHandle file, std::int64_t offset, std::int64_t length) {
  unsigned attempts = 0;
  for (;;) {
    if (LockRegion(false, file, offset, length) == 0) return true;
    if (attempts < LockRetries) WaitTicks(LockWaitMs);
    ++attempts;
    if (attempts > LockRetries && LockRetryCallback && LockRetryCallback()) attempts = 0;
    if (attempts > LockRetries) return false;
  }
}

bool FLock() {
  TDbfWorkArea* wa = LockArea("FLock");
  if (!wa) return false;
  if (wa->lockState == 1) return true;
  if (wa->lockState != 0) return false;
  if (Shared(*wa) && !LockWithRetry(wa->file, static_cast<std::int64_t>(LockBase) + 1, FileLockLength))
    return false;
  wa->lockState = 1;
  return true;
}

bool ALock() {
  TDbfWorkArea* wa = LockArea("ALock");
  if (!wa) return false;
  if (wa->lockState == 2) return true;
  if (wa->lockState != 0) return false;
  if (Shared(*wa) && !LockWithRetry(wa->file, static_cast<std::int64_t>(LockBase) + 1, 1)) return false;
  wa->lockState = 2;
  return true;
}

bool RLock() {
  TDbfWorkArea* wa = LockArea("RLock");
  if (!wa) return false;
  std::int32_t n = wa->recordNumber;
  bool listed = std::find(wa->lockList.begin(), wa->lockList.end(), n) != wa->lockList.end();
  if (wa->lockState == 3 && listed) return true;
  if (RecordLockLimit != 0 && wa->LockCount() >= RecordLockLimit) {
    DederError(212, "Deder record lock limit exceeded [RLock]");
    return false;
  }
  if (wa->lockState == 1 || wa->lockState == 2) return false;
  if (n < 1 || n > wa->recordCount) return false;
  if (Shared(*wa) && !LockWithRetry(wa->file, RecordLockOffset(*wa, n), wa->recordLength)) return false;
  wa->lockList.push_back(n);
  wa->lockState = 3;
  return true;
}

bool IsLocked(std::int32_t n) {
  TDbfWorkArea* wa = LockArea("IsLocked");
  if (!wa) return false;
  if (wa->lockState == 1) return true;
  return std::find(wa->lockList.begin(), wa->lockList.end(), n) != wa->lockList.end();
}

bool UnlockRec(std::int32_t n) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("UnlockRec");
    return false;
  }
  std::string label = "(" + std::to_string(n) + ")]";
  if (n == -3) {
    bool ok = true;
    std::uint16_t code = 0;
    while (!wa->lockList.empty()) {
      if (!UnlockNode(*wa, wa->lockList.size() - 1)) {
        ok = false;
        code = TzLastError;
      }
    }
    if (!ok) TzLastError = code;
    return ok;
  }
  if (n == -1 || n == -2) {
    if (wa->lockList.empty()) return false;
    return UnlockNode(*wa, n == -1 ? 0 : wa->lockList.size() - 1);
  }
  if (n < 1) {
    TzLastError = 220;
    TzErrorDetail = "[UnlockRec" + label;
    return false;
  }
  auto it = std::find(wa->lockList.begin(), wa->lockList.end(), n);
  if (it == wa->lockList.end()) {
    TzLastError = 220;
    TzErrorDetail = "Record not locked. [UnlockRec" + label;
    return false;
  }
  return UnlockNode(*wa, static_cast<std::size_t>(it - wa->lockList.begin()));
}

void Unlock() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->isVirtual) return;
  switch (wa->lockState) {
    case 3: UnlockRec(-3); break;
    case 1:
      if (Shared(*wa)) LockRegion(true, wa->file, static_cast<std::int64_t>(LockBase) + 1, FileLockLength);
      break;
    case 2:
      if (Shared(*wa)) LockRegion(true, wa->file, static_cast<std::int64_t>(LockBase) + 1, 1);
      break;
    default: break;
  }
  wa->lockList.clear();
  wa->lockState = 0;
}

bool LockMarker() {
  if (!NetworkMode) return true;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return false;
  return LockWithRetry(wa->file, LockBase, 1);
}

void UnlockMarker() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || !NetworkMode) return;
  int rc = LockRegion(true, wa->file, LockBase, 1);
  if (rc != 0)
    DederError(static_cast<std::uint16_t>(rc), "Error attempting to UNLOCK file " + wa->fileName +
                                                   " in Workarea " + std::to_string(SelectedArea));
}

bool RecordWriteAllowed(const TDbfWorkArea& wa, bool flagOnly) {
  if (wa.exclusive) return true;
  if (wa.lockState == 1) return true;
  if (flagOnly && wa.lockState == 2) return false;
  return std::find(wa.lockList.begin(), wa.lockList.end(), wa.recordNumber) != wa.lockList.end();
}

bool RecordPokeAllowed(const TDbfWorkArea& wa, std::int32_t n) {
  if (!NetworkMode || wa.exclusive || wa.lockState == 1) return true;
  return std::find(wa.lockList.begin(), wa.lockList.end(), n) != wa.lockList.end();
}
