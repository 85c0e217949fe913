// Navigation: Go, GoTop, GoBottom, Skip, WHILE ranges, relations and deleted-record filtering.
#include "dbf/work_areas_internal.h"

#include "dbf/errors.h"
#include "dbf/locks.h"
#include "dbf/runtime.h"

using namespace workareas;

// ---- moves ------------------------------------------------------------------

void Go(std::int32_t n) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("GO");
    return;
  }
  if (n > wa->recordCount) RefreshRecordCount(*wa);
  // A record number outside the table: a virtual file's own unit names it.
  const auto outside = [wa, n] {
    if (wa->isVirtual && VFileHook) {
      CallVFile(*wa, kVfRead, n);
      return;
    }
    DederError(212, "Invalid record number = " + std::to_string(n) + " Database " + Quoted(wa->fileName) + " [GO]");
  };
  if (wa->recordCount < 1) {
    wa->endFlag = wa->beginFlag = true;
    BlankRecord(*wa);
    outside();
    return;
  }
  if (n >= 1 && n <= wa->recordCount) {
    bool index = IndexActive();
    {
      IndexLock reading(IndexLock::kRead, index);
      if (reading.Failed()) return;
      ReadRecord(*wa, n);
      if (index) {
        CallIndex(IndexHooks.SyncToRecord);
        CallIndex(IndexHooks.RefreshKey);
      }
    }
    DispatchIfError();
    RunRelation(*wa);
    return;
  }
  PlaceAfterEnd(*wa);
  outside();
}

void Dbf4RawGo(std::int32_t n) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("Dbf4RawGo");
    return;
  }
  std::uint16_t code = 0;
  {
    ErrorDispatchOff off;
    if (n > wa->recordCount) {
      PlaceAfterEnd(*wa);
    } else if (n >= 1) {
      ReadRecord(*wa, n);
      code = TzLastError;
    } else {
      code = 212;
    }
  }
  if (code != 0) DederError(code, " [Dbf4RawGo]");
}

bool GoChecked(std::int32_t n) {
  if (n >= 1 && n <= RecCount()) {
    Go(n);
    return true;
  }
  return false;
}

namespace workareas {

// Reads the first record of GoTop or GoBottom: `first` without index, else
// what the index hook gives. An empty index leaves the table after the end
// (false), with the read lock given back.
bool StartEndMove(TDbfWorkArea& wa, bool index, IndexLock& reading, std::int32_t (*hook)(), std::int32_t first) {
  std::int32_t n = first;
  if (index) {
    n = hook ? hook() : first;
    if (n > wa.recordCount || n < 1) {
      PlaceAfterEnd(wa);
      wa.beginFlag = true;
      reading.Release();
      RunRelation(wa);
      return false;
    }
  }
  wa.endFlag = wa.beginFlag = false;
  ReadRecord(wa, n);
  return true;
}

}  // namespace workareas

void GoTop() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("GoTop");
    return;
  }
  if (wa->recordCount < 1) return;
  bool index = IndexActive();
  IndexLock reading(IndexLock::kRead, index);
  if (reading.Failed()) return;
  if (!StartEndMove(*wa, index, reading, IndexHooks.FirstRecord, 1)) return;
  while (TzLastError == 0 && !wa->endFlag && !IsVisible(*wa)) {
    IdleHook();
    std::int32_t next;
    if (index) {
      next = IndexHooks.NextRecord ? IndexHooks.NextRecord() : wa->recordNumber + 1;
      if (IndexHooks.AtEnd && IndexHooks.AtEnd()) next = wa->recordCount + 1;
    } else {
      next = wa->recordNumber + 1;
    }
    if (next > wa->recordCount || next < 1) {
      PlaceAfterEnd(*wa);
      wa->beginFlag = true;
      if (index) CallIndex(IndexHooks.SyncToRecord);
      break;
    }
    ReadRecord(*wa, next);
  }
  if (index) CallIndex(IndexHooks.RefreshKey);
  reading.Release();
  RunRelation(*wa);
}

void GoBottom() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("GoBottom");
    return;
  }
  RefreshRecordCount(*wa);
  if (wa->recordCount < 1) return;
  bool index = IndexActive();
  IndexLock reading(IndexLock::kRead, index);
  if (reading.Failed()) return;
  if (!StartEndMove(*wa, index, reading, IndexHooks.LastRecord, wa->recordCount)) return;
  while (TzLastError == 0 && !IsVisible(*wa)) {
    IdleHook();
    std::int32_t prior;
    bool atBeginning;
    if (index) {
      prior = IndexHooks.PriorRecord ? IndexHooks.PriorRecord() : wa->recordNumber - 1;
      atBeginning = (IndexHooks.AtBeginning && IndexHooks.AtBeginning()) || prior == wa->recordNumber;
    } else {
      prior = wa->recordNumber - 1;
      atBeginning = prior < 1;
    }
    if (atBeginning || prior < 1) {
      PlaceAfterEnd(*wa);
      wa->beginFlag = true;
      if (index) {
        CallIndex(IndexHooks.SyncToRecord);
        CallIndex(IndexHooks.SetAtBeginning);
        CallIndex(IndexHooks.SetAtEnd);
      }
      break;
    }
    ReadRecord(*wa, prior);
  }
  if (index) CallIndex(IndexHooks.RefreshKey);
  reading.Release();
  RunRelation(*wa);
}

void Skip(std::int32_t n) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("SKIP");
    return;
  }
  if (n == 0) {
    if (wa->recordCount > 0 && !wa->endFlag && wa->recordNumber >= 1 &&
        wa->recordNumber <= wa->recordCount) {
      ReadRecord(*wa, wa->recordNumber);
    } else {
      BlankRecord(*wa);
    }
    RunRelation(*wa);
    return;
  }
  if (n > 0) RefreshRecordCount(*wa);
  if (wa->recordCount < 1) {
    wa->endFlag = wa->beginFlag = true;
    DederError(212, "Database " + Quoted(wa->fileName) + " is empty. [SKIP]");
    return;
  }
  if (wa->endFlag && n > 0) {
    DederError(212, "Database " + Quoted(wa->fileName) + " is past EOF. [SKIP]");
    return;
  }
  if (wa->beginFlag && n < 0) return;
  bool forward = n > 0;
  bool index = IndexActive();
  IndexLock reading(IndexLock::kRead, index);
  if (reading.Failed()) return;
  wa->endFlag = wa->beginFlag = false;

  bool reachedEnd = false;
  bool whileFalse = false;
  std::int32_t lastGood = 0;
  if (!SkipProcedure) {
    std::int32_t steps = 0;
    std::int32_t wanted = forward ? n : -n;
    // A record number after the end (an empty-filter position) steps
    // backwards from the last record.
    std::int32_t current = wa->recordNumber;
    while (steps < wanted) {
      IdleHook();
      std::int32_t next;
      if (!forward) {
        if (current >= 1 && current <= wa->recordCount && IsVisible(*wa) && WhileHolds(*wa))
          lastGood = current;
        if (index) {
          next = IndexHooks.PriorRecord ? IndexHooks.PriorRecord() : current - 1;
          if (next == current || next < 1) {
            reachedEnd = true;
            break;
          }
        } else {
          if (current > wa->recordCount) current = wa->recordCount + 1;
          if (current <= 1) {
            reachedEnd = true;
            break;
          }
          next = current - 1;
        }
      } else {
        if (index) {
          next = IndexHooks.NextRecord ? IndexHooks.NextRecord() : current + 1;
          if (next == current || (IndexHooks.AtEnd && IndexHooks.AtEnd())) next = wa->recordCount + 1;
        } else {
          RefreshRecordCount(*wa);
          next = current + 1;
        }
        if (next > wa->recordCount || next < 1) {
          reachedEnd = true;
          break;
        }
      }
      ReadRecord(*wa, next);
      if (TzLastError != 0) {
        reading.Release();
        DispatchIfError();
        return;
      }
      current = next;
      if (IsVisible(*wa)) ++steps;
      if (!WhileHolds(*wa)) {
        whileFalse = true;
        break;
      }
    }
  } else {
    std::int32_t target = SkipProcedure(n);
    if (target >= 1 && target <= wa->recordCount) ReadRecord(*wa, target);
    else reachedEnd = true;
  }

  if (reachedEnd) {
    if (forward) {
      PlaceAfterEnd(*wa);
      if (index) CallIndex(IndexHooks.SyncToRecord);
    } else {
      reading.Release();
      index = false;
      GoTop();
      wa->beginFlag = true;
      CallIndex(IndexActive() ? IndexHooks.SetAtBeginning : nullptr);
      if (wa->endFlag) BlankRecord(*wa);
      return;
    }
  } else if (whileFalse) {
    if (forward) {
      wa->endFlag = true;
      if (index) CallIndex(IndexHooks.SetAtEnd);
    } else {
      if (lastGood > 0) {
        ReadRecord(*wa, lastGood);
      } else {
        wa->recordNumber = wa->recordCount + 1;
        BlankRecord(*wa);
      }
      wa->beginFlag = true;
      if (index) {
        CallIndex(IndexHooks.SyncToRecord);
        CallIndex(IndexHooks.SetAtBeginning);
      }
    }
  }
  reading.Release();
  if (index) CallIndex(IndexHooks.RefreshKey);
  RunRelation(*wa);
}

bool IsWhileOn() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa && (wa->whileCallback || wa->whileExpression);
}

void GoFirstWhile() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || RecCount() < 1) return;
  if (!IsWhileOn()) {
    GoTop();
    return;
  }
  TRelationProc relation = wa->relationCallback;
  wa->relationCallback = nullptr;
  while (!dBOF() && TzLastError == 0) Skip(-1);
  Skip(0);
  wa->relationCallback = relation;
}

void GoLastWhile() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || RecCount() < 1) return;
  if (!IsWhileOn()) {
    GoBottom();
    return;
  }
  TRelationProc relation = wa->relationCallback;
  wa->relationCallback = nullptr;
  while (!dEOF() && TzLastError == 0) Skip(1);
  Skip(-1);
  wa->relationCallback = relation;
}

bool StepOffRecord() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return false;
  if (wa->recordNumber >= 1 && wa->recordNumber <= wa->recordCount && IsVisible(*wa) &&
      WhileHolds(*wa))
    return false;
  Unlock();
  TRelationProc relation = wa->relationCallback;
  wa->relationCallback = nullptr;
  std::int32_t old = wa->recordNumber;
  Skip(1);
  if (wa->endFlag) {
    GoChecked(old);
    Skip(-1);
  }
  wa->relationCallback = relation;
  return true;
}

TRelationProc SetRelation(TRelationProc proc) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return nullptr;
  TRelationProc old = wa->relationCallback;
  wa->relationCallback = proc;
  if (proc) RunRelation(*wa);
  return old;
}

bool SetIgnoreDel(bool on) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("SetIgnoreDel");
    return false;
  }
  bool old = wa->ignoreDeleted;
  wa->ignoreDeleted = on;
  Skip(0);
  return old;
}
