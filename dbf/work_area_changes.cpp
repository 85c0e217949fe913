// Record changes: Append, Replace, DeleteRec, RecallRec and Pack.
#include "dbf/work_areas_internal.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/locks.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"

using namespace workareas;

// ---- records ------------------------------------------------------------------

void Append() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("APPEND");
    return;
  }
  if (NetworkMode && !wa->exclusive && wa->lockState != 1 && wa->lockState != 2) {
    DederError(5, "File must be locked to append: " + wa->fileName + " [APPEND]");
    return;
  }
  RefreshRecordCount(*wa);
  StoreTypedRecord(*wa);
  bool index = IndexActive();
  IndexLock writing(IndexLock::kWrite, index);
  if (writing.Failed()) return;
  if (wa->isVirtual) {
    CallVFile(*wa, kVfWrite, wa->recordCount + 1);
  } else {
    AppendDbfRecord(*wa);
    if (TzLastError == 0) LoadTypedRecord(*wa);
  }
  if (index && TzLastError == 0) CallIndex(IndexHooks.AppendNewKey);
  writing.Release();
  wa->endFlag = wa->beginFlag = false;
  DispatchIfError();
  RunRelation(*wa);
}

void Replace() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("REPLACE");
    return;
  }
  if (wa->recordNumber < 1) {
    DederError(212, "Database " + Quoted(wa->fileName) + " is empty. [REPLACE]");
    return;
  }
  if (wa->recordNumber > wa->recordCount) {
    DederError(212, "Database " + Quoted(wa->fileName) + " is at EOF. [REPLACE]");
    return;
  }
  if (!RecordWriteAllowed(*wa, false)) {
    DederError(1200, "Record #" + std::to_string(wa->recordNumber) + " in " + wa->fileName + " [REPLACE]");
    return;
  }
  bool index = IndexKeysOnReplace && !wa->isVirtual && IndexActive();
  if (index && wa->swapBuffer.size() < wa->typedRecordSize) {
    DederError(254, wa->fileName + " Swap-buffer NIL. [REPLACE]");
    return;
  }
  IndexLock writing(IndexLock::kWrite, index);
  if (writing.Failed()) return;
  if (index) {
    std::memcpy(wa->swapBuffer.data(), WholeTypedRecord(*wa), wa->typedRecordSize);
    // The text goes with the values, and so do the marks of the fields set:
    // the fields not changed keep their text.
    const std::vector<char> text = wa->recordBuffer;
    const std::vector<std::uint32_t> setStamps = wa->typedSetStamps;
    const std::uint32_t generation = wa->typedGeneration;
    ReadRecord(*wa, wa->recordNumber);
    CallIndex(IndexHooks.RememberKeys);
    std::memcpy(WholeTypedRecord(*wa), wa->swapBuffer.data(), wa->typedRecordSize);
    wa->recordBuffer = text;
    for (std::size_t i = 0; i < setStamps.size(); ++i)
      if (setStamps[i] == generation) MarkFieldSet(*wa, i);
  }
  StoreTypedRecord(*wa);
  if (wa->isVirtual) {
    CallVFile(*wa, kVfWrite, wa->recordNumber);
  } else {
    PutDbfRecord(*wa, wa->recordNumber);
    if (TzLastError == 0) LoadTypedRecord(*wa);
    UpdateCache(*wa);
  }
  if (index && TzLastError == 0) CallIndex(IndexHooks.UpdateChangedKeys);
  writing.Release();
  DispatchIfError();
  RunRelation(*wa);
}

namespace workareas {

void SetDeleteFlag(bool deleted) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!RecordWriteAllowed(*wa, true)) {
    if (deleted) DederError(1200, wa->fileName + " Record not locked [DeleteRec]");
    else DederError(1200, "Record not locked [RecallRec]");
    return;
  }
  if (!deleted) RefreshRecordCount(*wa);
  if (wa->recordNumber < 1 || wa->recordNumber > wa->recordCount) {
    if (!deleted) DederError(1103, wa->fileName + " at EOF [RecallRec]");
    return;
  }
  if (wa->isVirtual) {
    CallVFile(*wa, deleted ? kVfDelete : kVfRecall, wa->recordNumber);
    return;
  }
  if (wa->typedRecord) wa->typedRecord[0] = deleted ? 1 : 0;
  wa->recordBuffer[0] = deleted ? '*' : ' ';
  DeleteRecallFlag(*wa, wa->recordNumber);
  UpdateCache(*wa);
}

}  // namespace workareas

void DeleteRec() {
  TzLastError = 0;
  if (NoDatabaseInUse("DeleteRec")) return;
  SetDeleteFlag(true);
}

void RecallRec() {
  TzLastError = 0;
  if (NoDatabaseInUse("RecallRec")) return;
  SetDeleteFlag(false);
}

namespace workareas {

// Reopens the table's file with another open mode; 0 on success.
int ReopenFile(TDbfWorkArea& wa, unsigned mode) {
  DropReadAhead(wa);
  if (wa.file != platform::kNoFile) platform::CloseFile(wa.file);
  int rc = platform::OpenFile(wa.fileName, mode, wa.file);
  if (rc == 0) wa.openMode = mode;
  return rc;
}

// Writes the live records into a new file beside the table and renames it
// into place, so that a failure part-way leaves the old table whole.
// Returns 0 or the failing code; `moved` tells whether any record moved.
int WritePackedTable(TDbfWorkArea& wa, std::int32_t& live, bool& moved) {
  live = 0;
  moved = false;
  std::string temp = wa.fileName + ".pk$";
  std::vector<std::uint8_t> header(wa.headerLength);
  std::size_t got = 0;
  int rc = platform::ReadAt(wa.file, 0, header.data(), header.size(), got);
  if (rc == 0 && got < header.size()) rc = 100;
  if (rc != 0) return rc;
  platform::FileHandle out = platform::kNoFile;
  rc = platform::CreateFile(temp, out);
  if (rc != 0) return rc;
  const std::size_t blockRecords = std::max<std::size_t>(1, 65536 / wa.recordLength);
  std::vector<char> block(blockRecords * wa.recordLength);
  std::uint64_t writeAt = wa.headerLength;
  bool hole = false;
  for (std::int32_t first = 1; rc == 0 && first <= wa.recordCount;) {
    std::size_t count = std::min<std::size_t>(blockRecords, static_cast<std::size_t>(wa.recordCount - first + 1));
    rc = platform::ReadAt(wa.file, RecordOffset(wa, first), block.data(), count * wa.recordLength, got);
    if (rc == 0 && got < count * wa.recordLength) rc = 213;
    for (std::size_t i = 0; rc == 0 && i < count; ++i) {
      const char* rec = block.data() + i * wa.recordLength;
      if (rec[0] == '*') {
        hole = true;
        continue;
      }
      if (hole) moved = true;
      rc = platform::WriteAt(out, writeAt, rec, wa.recordLength);
      writeAt += wa.recordLength;
      ++live;
    }
    first += static_cast<std::int32_t>(count);
  }
  if (rc == 0) {
    const char eof = 0x1A;
    rc = platform::WriteAt(out, writeAt, &eof, 1);
  }
  if (rc == 0) {
    TzDate today = TzToday();
    if (!IsDbase2(header[0])) {
      header[1] = static_cast<std::uint8_t>(today.year - 1900);
      header[2] = static_cast<std::uint8_t>(today.month);
      header[3] = static_cast<std::uint8_t>(today.day);
      for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(live) >> (8 * i));
    } else {
      header[1] = static_cast<std::uint8_t>(live);
      header[2] = static_cast<std::uint8_t>(live >> 8);
    }
    rc = platform::WriteAt(out, 0, header.data(), header.size());
  }
  if (rc == 0) rc = platform::FlushFile(out);
  int crc = platform::CloseFile(out);
  if (rc == 0) rc = crc;
  if (rc == 0) rc = platform::RenameFile(temp, wa.fileName);
  if (rc != 0) platform::RemoveFile(temp);
  return rc;
}

}  // namespace workareas

bool Pack() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("Pack");
    return false;
  }
  // A table opened for reading only is never written, nor reopened to be.
  if (!wa->isVirtual && (wa->openMode & 0x03) == platform::kOpenRead) {
    DederError(5, "Cannot pack " + wa->fileName + ": it is open for reading only [Pack]");
    return false;
  }
  RefreshRecordCount(*wa);
  if (wa->recordCount < 1) return true;
  unsigned sharedMode = wa->openMode;
  bool reopened = false;
  if (!wa->exclusive && !wa->isVirtual) {
    Unlock();  // closing the handle drops its locks
    if (ReopenFile(*wa, 18) != 0) {
      ReopenFile(*wa, sharedMode);
      return false;
    }
    reopened = true;
  }
  auto restoreShared = [&]() -> bool {
    if (!reopened) return true;
    int rc = ReopenFile(*wa, sharedMode);
    if (rc != 0) {
      DederError(static_cast<std::uint16_t>(rc), "Cannot re-open database sharable. " + wa->fileName + " [Pack]");
      return false;
    }
    return true;
  };
  if (ConfirmPack && TzMessageBox("PACK " + wa->fileName, "", kMbOkCancel) != kIdOk) {
    restoreShared();
    return false;
  }
  if (wa->isVirtual) {
    CallVFile(*wa, kVfPack, 0);
    return TzLastError == 0;
  }
  bool savedFlush = FlushAfterWrite;
  FlushAfterWrite = false;
  TRelationProc relation = wa->relationCallback;
  wa->relationCallback = nullptr;
  // Pending header changes go to disk first so that the copy carries them.
  UpdateHeader(*wa);
  const bool stamp = IndexActive() && IndexHooks.StampIndexes;
  if (stamp) IndexHooks.StampIndexes(true);
  std::int32_t live = 0;
  bool moved = false;
  int rc = WritePackedTable(*wa, live, moved);
  if (rc == 0) {
    // The old handle still refers to the replaced file.
    rc = ReopenFile(*wa, wa->openMode);
    if (rc == 0) {
      wa->recordCount = live;
      wa->fileState = 1;
    }
  }
  FlushAfterWrite = savedFlush;
  if (rc != 0) {
    wa->relationCallback = relation;
    if (stamp) IndexHooks.StampIndexes(false);
    DederError(static_cast<std::uint16_t>(rc), "Error packing " + wa->fileName);
    restoreShared();
    return false;
  }
  if (wa->recordCount > 0) {
    ReadRecord(*wa, 1);
    wa->endFlag = wa->beginFlag = false;
  } else {
    wa->recordNumber = 0;
    BlankRecord(*wa);
    wa->endFlag = wa->beginFlag = true;
  }
  if (moved) DropRecordCache(wa->alias.str());
  if (wa->memo && MemoHooks.PackMemo) MemoHooks.PackMemo();
  if (IndexActive() && IndexHooks.Reindex) {
    Packing = true;
    IndexHooks.Reindex();
    Packing = false;
  }
  bool ok = restoreShared();
  wa->relationCallback = relation;
  RunRelation(*wa);
  return ok && TzLastError == 0;
}
