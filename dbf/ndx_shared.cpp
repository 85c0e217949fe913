// Shared use: the semaphore file, its read and write locks, refresh after other programs' changes.
#include "dbf/ndx_internal.h"

#include <atomic>
#include <cstring>

#include "platform/file_lock.h"

std::uint16_t SemaphoreTimeout = 100;
std::string SemaphoreDirectory;
std::uint16_t SemaphoreRegionRetries = 1000;
bool KeepSemaphoreFiles = false;

namespace ndx {

// ---- semaphore file -----------------------------------------------------------

const char* ActionName(int action) {
  static const char* const names[] = {"LOGIN", "LOGOUT", "INCREAD", "DECREAD", "LOCKSEMAPHORE", "UNLOCKSEMAPHORE"};
  return action >= 0 && action <= 5 ? names[action] : "?";
}

// Tries the lock on the record until it is had, SemaphoreRegionRetries
// times 10 ms apart, and for no longer than those attempts take on an idle
// machine (about 10 seconds), measured on the monotonic clock: on a busy
// one every sleep lasts longer. The result code of the last attempt.
template <typename Attempt>
int RetryRegion(Attempt attempt) {
  const std::uint32_t start = platform::TickCount();
  const std::uint32_t limit = 10u * SemaphoreRegionRetries;
  for (int tried = 0;; ++tried) {
    const int rc = attempt();
    if (rc == 0 || tried >= SemaphoreRegionRetries || platform::TickCount() - start >= limit) return rc;
    platform::SleepMs(10);
  }
}

void ReportRegionTimeout(const AreaIndexes& a, int action, int rc) {
  DederError(1202, "10 second timeout: Cannot lock index semaphore file: " + a.semName + " " + ActionName(action) +
                       "\r\nPossible cause: Network lock limit exceeded\r\n Lock result code: " + std::to_string(rc));
}

bool LockRegion(AreaIndexes& a, int action) {
  const int rc = RetryRegion([&] { return platform::LockRange(a.sem, 1, 4); });
  if (rc != 0) {
    ReportRegionTimeout(a, action, rc);
    return false;
  }
  a.regionLocked = true;
  return true;
}

void UnlockRegion(AreaIndexes& a, int action) {
  int rc = platform::UnlockRange(a.sem, 1, 4);
  a.regionLocked = false;
  if (rc != 0)
    DederError(static_cast<std::uint16_t>(rc), "Cannot unlock index semaphore file: " + a.semName + " " + ActionName(action));
}

// Gives up the exclusive region; a program still reading keeps it shared,
// without a moment in which another writer could come in.
void ReleaseRegion(AreaIndexes& a, int action) {
  if (a.readNesting > 0 && platform::LockRangeShared(a.sem, 1, 4) == 0) {
    a.reader = true;
    a.regionLocked = false;
    return;
  }
  a.reader = false;
  UnlockRegion(a, action);
}

// Reads the record. A file shorter than its record (just created, or left
// so by a program whose write was cut short) is the program's own and
// empty: its record is all zero.
bool ReadSem(AreaIndexes& a, int action) {
  std::size_t got = 0;
  int rc = platform::ReadAt(a.sem, 0, a.record, 4, got);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Cannot read: " + a.semName + " " + ActionName(action));
    return false;
  }
  if (got < 4) std::memset(a.record, 0, 4);
  return true;
}

bool WriteSem(AreaIndexes& a, int action) {
  int rc = platform::WriteAt(a.sem, 0, a.record, 4);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Cannot write to: " + a.semName + " " + ActionName(action));
    return false;
  }
  return true;
}

std::uint16_t SemCounter(const AreaIndexes& a) { return Get16(a.record + 2); }

// The record as it is now in the file.
bool ReadSemNow(const AreaIndexes& a, std::uint8_t rec[4]) {
  if (a.semMap) {
    for (int i = 0; i < 4; ++i) rec[i] = a.semMap[i];
    return true;
  }
  std::size_t got = 0;
  return platform::ReadAt(a.sem, 0, rec, 4, got) == 0 && got == 4;
}

// A search may run without the read lock while this program holds no lock
// of its own, no writer is at work (access count 0) and the change counter
// is the one the anchors were read at; `stamp` keeps it for the check after.
bool StartUnlockedRead(const AreaIndexes& a, std::uint16_t& stamp) {
  if (!a.loggedIn || !a.semMap || a.readNesting > 0 || a.writeNesting > 0 || a.regionLocked) return false;
  std::uint8_t rec[4];
  if (!ReadSemNow(a, rec) || rec[1] != 0 || Get16(rec + 2) != a.seenCounter) return false;
  stamp = a.seenCounter;
  std::atomic_thread_fence(std::memory_order_acquire);
  return true;
}

// Whether no writer began or ended while the unlocked search ran: what it
// read was whole.
bool UnlockedReadHeld(const AreaIndexes& a, std::uint16_t stamp) {
  std::atomic_thread_fence(std::memory_order_acquire);
  std::uint8_t rec[4];
  return ReadSemNow(a, rec) && rec[1] == 0 && Get16(rec + 2) == stamp;
}

// Re-reads the anchors when another program changed the indexes.
bool RefreshAnchors(AreaIndexes& a) {
  if (!a.loggedIn) return false;
  // Once per read: while we are counted as reader nobody else writes.
  if (a.reader && a.checkedAsReader) return false;
  a.checkedAsReader = a.reader;
  std::uint8_t rec[4];
  if (!ReadSemNow(a, rec)) return false;
  std::uint16_t counter = Get16(rec + 2);
  // While we read, a writer's access count is one that ended before its release.
  bool orphan = a.reader && !a.regionLocked && rec[1] != 0;
  if (counter == a.seenCounter && (!orphan || a.orphanSeen)) return false;
  ReadAnchorNodes(a, a.reader || a.regionLocked);
  a.seenCounter = counter;
  a.orphanSeen = orphan;
  a.countKnown = false;
  return true;
}

}  // namespace ndx

using namespace ndx;

std::string SemaphoreFileName(const std::string& tableName) {
  std::string name = ForceExtension(tableName, "@S@");
  if (!SemaphoreDirectory.empty()) {
    std::string dir, base, ext;
    SplitPath(name, dir, base, ext);
    std::string d = SemaphoreDirectory;
    if (d.back() != '/') d += '/';
    name = d + base + ext;
  }
  return name;
}

namespace {

void SemaphoreAction(TDbfWorkArea* wa, AreaIndexes* a, int action);

}  // namespace

void HandleSemafore(int action) {
  if (SelectedArea > 34) {
    DederError(254, "Work area [" + std::to_string(SelectedArea) + "] out of range. [HandleSemafore]");
    return;
  }
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->exclusive || !NetworkMode) return;
  AreaIndexes* a = Areas(wa, action == kLogin);
  if (!a || (!a->loggedIn && action != kLogin)) return;
  // The action's error is told once the action has given back what it took:
  // raised half-way, it would leave this program's lock on the record, which
  // the program's next attach of the table would wait on.
  const std::uint16_t before = TzLastError;
  TzLastError = 0;
  {
    ErrorDispatchOff stored;
    SemaphoreAction(wa, a, action);
  }
  if (TzLastError == 0) TzLastError = before;
  else if (TzErrorDispatchOn) DispatchTzError();
}

namespace {

void SemaphoreAction(TDbfWorkArea* wa, AreaIndexes* a, int action) {
  switch (action) {
    case kLogin: {
      if (a->loggedIn) return;
      a->semName = SemaphoreFileName(wa->fileName);
      // One file serves every program that shares the table. A file that the
      // last program removed between our open and our share lock (LOGOUT)
      // is opened, or created, again.
      for (int attempt = 0;; ++attempt) {
        int rc = platform::OpenOrCreateShared(a->semName, a->sem);
        if (rc == 0 && platform::NamesOpenFile(a->semName, a->sem)) break;
        if (rc == 0) platform::CloseFile(a->sem);
        if ((rc != 0 && rc != platform::kErrSharingViolation) || attempt == 1000) {
          DederError(static_cast<std::uint16_t>(rc ? rc : 1202), "Cannot open/create: " + a->semName + " LOGIN");
          return;
        }
        platform::SleepMs(1);
      }
      if (!LockRegion(*a, action)) {
        platform::CloseFile(a->sem);
        return;
      }
      bool counted = ReadSem(*a, action);
      if (counted) {
        a->record[0] = static_cast<std::uint8_t>(a->record[0] + 1);
        counted = WriteSem(*a, action);
      }
      UnlockRegion(*a, action);
      // Not counted in: not logged in, and nothing of the file kept open.
      if (!counted) {
        platform::CloseFile(a->sem);
        return;
      }
      a->semMap = platform::MapForReading(a->sem, 4);
      a->countKnown = false;
      a->seenCounter = SemCounter(*a);
      a->loggedIn = true;
      return;
    }
    case kLogout: {
      if (a->regionLocked || LockRegion(*a, action)) {
        if (ReadSem(*a, action)) {
          if (a->writeNesting > 0) a->record[1] = 0;
          if (a->record[0] > 0) a->record[0] = static_cast<std::uint8_t>(a->record[0] - 1);
          WriteSem(*a, action);
        }
        UnlockRegion(*a, action);
      }
      // The last program out removes the file: the deny-all lock proves that
      // no other program has it open, also when one that was killed left its
      // count behind, and keeps new ones out until it is gone. A file that
      // stays (KeepSemaphoreFiles) serves the next program as it is.
      if (!KeepSemaphoreFiles &&
          platform::TakeShareLock(a->sem, platform::kOpenReadWrite | platform::kShareDenyAll) == 0)
        platform::RemoveFile(a->semName);
      platform::Unmap(a->semMap, 4);
      a->semMap = nullptr;
      platform::CloseFile(a->sem);
      a->loggedIn = false;
      a->reader = false;
      a->readNesting = a->writeNesting = 0;
      return;
    }
    case kIncRead:
    case kDecRead: {
      bool inc = action == kIncRead;
      if (inc) {
        if (a->readNesting++ > 0) return;
      } else {
        if (a->readNesting == 0) {
          DederError(254, "Unbalanced IncRead/DecRead for semaphore file: " + a->semName + " " + ActionName(action));
          return;
        }
        if (--a->readNesting > 0) return;
      }
      a->checkedAsReader = false;
      if (a->writeNesting > 0 || a->reader == inc) return;
      // A reader holds the region shared: writers wait until no reader is
      // left, and the lock of a program that ends goes with it.
      if (!inc) {
        int rc = platform::UnlockRange(a->sem, 1, 4);
        a->reader = false;
        if (rc != 0)
          DederError(static_cast<std::uint16_t>(rc),
                     "Cannot unlock index semaphore file: " + a->semName + " " + ActionName(action));
        return;
      }
      const int rc = RetryRegion([&] { return platform::LockRangeShared(a->sem, 1, 4); });
      if (rc == 0) {
        a->reader = true;
        return;
      }
      a->readNesting = 0;  // not reading: the next read tries again
      ReportRegionTimeout(*a, action, rc);
      return;
    }
    case kLockSemaphore: {
      if (a->writeNesting++ > 0 || a->regionLocked) return;
      // The region exclusively: no reader nor writer of another program is
      // left (our own read lock becomes the write lock).
      std::uint32_t start = TickCount();
      while (platform::LockRange(a->sem, 1, 4) != 0) {
        if (SemaphoreTimeout != 0 && (TickCount() - start) / 1000 >= SemaphoreTimeout) {
          a->writeNesting = 0;
          DederError(1202, std::to_string(SemaphoreTimeout) + " second timeout, cannot read: " + a->semName +
                               "\r\nPossible cause: Other user's program has terminated abnormally.\r\n"
                               "Cure: Log all users of this application off the network,\r\nthen delete " +
                               a->semName);
          return;
        }
        platform::SleepMs(1);
      }
      a->regionLocked = true;
      if (!ReadSem(*a, action)) {
        ReleaseRegion(*a, action);
        a->writeNesting = 0;
        return;
      }
      // With the region ours, an access count left in the record is that of
      // a writer that ended before its release: it may have changed nodes.
      const bool orphan = a->record[1] != 0;
      a->record[1] = 1;
      if (!WriteSem(*a, action)) {
        ReleaseRegion(*a, action);
        a->writeNesting = 0;
        return;
      }
      // Another program changed the indexes since we last looked: every
      // change we now make starts from its anchors and nodes.
      if (SemCounter(*a) != a->seenCounter || orphan) {
        ReadAnchorNodes(*a, true);
        if (TzLastError != 0) {
          // Not held: the record back as it was, the region given back.
          KeepError keep;
          a->record[1] = orphan ? 1 : 0;
          WriteSem(*a, action);
          ReleaseRegion(*a, action);
          a->writeNesting = 0;
          return;
        }
        a->seenCounter = SemCounter(*a);
        a->countKnown = false;
      }
      a->orphanSeen = false;
      return;  // the region stays locked: the write lock is held
    }
    case kUnlockSemaphore: {
      if (a->writeNesting == 0) {
        DederError(254, "Unbalanced Lock/Unlock for semaphore file: " + a->semName + " " + ActionName(action));
        return;
      }
      if (--a->writeNesting > 0 || !a->regionLocked) return;
      if (ReadSem(*a, action)) {
        Put16(a->record + 2, static_cast<std::uint16_t>(SemCounter(*a) + 1));
        a->record[1] = 0;
        WriteSem(*a, action);
      }
      ReleaseRegion(*a, action);
      a->seenCounter = SemCounter(*a);
      return;
    }
    default: return;
  }
}

}  // namespace

namespace ndx {

void MarkWriting(AreaIndexes& a, bool writing) {
  for (int s = 1; s <= kSlots; ++s) {
    Index* ix = a.slot[s].get();
    if (!ix || ix->writing == writing) continue;
    ix->writing = writing;
    WriteAnchorNode(*ix);
  }
}

// Nested calls are counted; only the outermost pair reaches the semaphore file.
// An outermost call whose action fails (raised or reported in TzLastError)
// is not counted: its caller neither works under it nor gives it back, and
// the next call tries again.
void NestSemaphore(int& depth, bool on, int onAction, int offAction, const char* routine) {
  if (on) {
    if (depth > 0) {
      ++depth;
      return;
    }
    if (SucceedsAlone([&] { HandleSemafore(onAction); })) depth = 1;  // raised: not counted
  } else {
    if (--depth == 0) HandleSemafore(offAction);
    if (depth < 0) {
      depth = 0;
      DederError(254, std::string("Non-symmetrical Lock-Unlock [") + routine + "]");
    }
  }
}

}  // namespace ndx

void SetReadSemaphoreProc(bool on) {
  if (AreaIndexes* a = SelectedAreas()) NestSemaphore(a->readDepth, on, kIncRead, kDecRead, "SetReadSemaphoreProc");
}

void SetLockSemaphoreProc(bool on) {
  TDbfWorkArea* wa = SelectedWorkArea();
  AreaIndexes* a = Areas(wa);
  if (!a) return;
  // The stamps say "changing" from before the table is written until the
  // indexes are whole again: in a shared table until the write lock goes,
  // in an exclusive one until the index is closed.
  if (!on && a->lockDepth == 1 && !wa->exclusive && NetworkMode) MarkWriting(*a, false);
  // A write lock that timed out is not held: it is not counted, and the
  // caller, told by TzLastError, neither writes nor releases it.
  const int before = a->lockDepth;
  NestSemaphore(a->lockDepth, on, kLockSemaphore, kUnlockSemaphore, "SetLockSemaphoreProc");
  if (!on || before != 0 || a->lockDepth != 1) return;
  // Indexes that could not be marked are not written: the lock goes back
  // and the failure, raised or reported, stands as the lock's.
  const auto giveBack = [&] {
    KeepError keep;
    if (!wa->exclusive && NetworkMode) MarkWriting(*a, false);
    NestSemaphore(a->lockDepth, false, kLockSemaphore, kUnlockSemaphore, "SetLockSemaphoreProc");
  };
  try {
    if (!SucceedsAlone([&] { MarkWriting(*a, true); })) giveBack();
  } catch (...) {
    giveBack();
    throw;
  }
}

namespace ndx {

}  // namespace ndx

bool IndexChangeStamp(std::uint16_t& stamp) {
  AreaIndexes* a = Areas(SelectedWorkArea());
  std::uint8_t rec[4];
  if (!a || !a->loggedIn || !a->semMap || !ReadSemNow(*a, rec) || rec[1] != 0) return false;
  std::atomic_thread_fence(std::memory_order_acquire);
  stamp = Get16(rec + 2);
  return true;
}

namespace ndx {

// The table's size needs no new reading while no other program changed the
// indexes since it was last read: a key found is then of a record we know.
// Otherwise the caller reads it now.
bool CountStillCurrent() {
  TDbfWorkArea* wa = SelectedWorkArea();
  AreaIndexes* a = Areas(wa);
  if (!a) return false;
  std::uint8_t rec[4];
  if (!a->loggedIn || !a->semMap || wa->recordCount < 1 || !ReadSemNow(*a, rec)) {
    a->countKnown = false;
    return false;
  }
  std::uint16_t counter = Get16(rec + 2);
  if (a->countKnown && counter == a->countCounter) return true;
  a->countKnown = true;
  a->countCounter = counter;
  return false;
}

}  // namespace ndx
