#include "dbf/datasets_virtual.h"

#include "dbf/datasets_internal.h"
#include "dbf/errors.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "framework/message_box.h"

namespace {

std::string KeyTrampoline(void* dataSet) { return static_cast<TTzLLDataSet*>(dataSet)->KeyOfCurrentRecord(); }

// A tick count that no open virtual dataset has used yet.
std::uint32_t FreshTick() {
  static std::uint32_t last = 0;
  std::uint32_t t = TickCount() & 0x7FFFFFFFu;
  while (t == last) {
    IdleHook();
    t = TickCount() & 0x7FFFFFFFu;
  }
  last = t;
  return t;
}

}  // namespace

TTzLLDataSet::~TTzLLDataSet() { CloseQuietly(*this); }

bool TTzLLDataSet::OpenTable(const std::string&) {
  if (DbfFields.empty()) {
    if (TzWarningMode == 2) ShowMessageText("FieldList.Count is <= 0 trying to create a database");
    return false;
  }
  std::vector<TDbfFieldEntry> entries;
  if (!FieldsFromLines(true, false, entries)) return false;
  if (entries.empty()) return false;
  TDbfWorkArea probe;
  probe.fields = entries;
  buffer_.assign(TypedRecordSize(probe), 0);
  std::string command = "*" + std::to_string(FreshTick()) + "* VIRTUAL FILE";
  if (appendMode_ == ASCENDING) command += " ASCENDING";
  if (appendMode_ == DESCENDING) command += " DESCENDING";
  ErrorDispatchOff off;
  TzLastError = 0;
  Use(command, buffer_.data(), static_cast<std::uint16_t>(buffer_.size()));
  if (TzLastError != 0) return false;
  AddStru(entries.data(), static_cast<int>(entries.size()));
  if (TzLastError != 0) {
    CloseDatabase();
    return false;
  }
  return true;
}

void TTzLLDataSet::ApplySortMode() {
  if (appendMode_ != ASCENDING && appendMode_ != DESCENDING) return;
  Set_VFileKey_To(&KeyTrampoline, this);
  SortVFile(appendMode_);
}

void TTzLLDataSet::DoAfterOpen() {
  TTzCDataSet::DoAfterOpen();
  SelectWorkArea("AfterOpen");
  if (appendMode_ == ASCENDING || appendMode_ == DESCENDING) {
    Set_VFileKey_To(&KeyTrampoline, this);
    Set_VFileMode_To(appendMode_);
  }
  if (PopulateFromDisk) {
    // A load that fails closes the dataset unsaved: the disk file stays as
    // it is, and no empty or partial list is taken for its contents.
    bool loaded = false;
    try {
      loaded = ReadFromDisk();
    } catch (...) {
      CloseUnsaved();
      throw;
    }
    if (!loaded) {
      const std::uint16_t code = TzLastError ? TzLastError : 266;
      const std::string detail = TzErrorDetail;
      CloseUnsaved();
      datasets::RaiseEngineError(code, detail);
    }
  }
  if (appendMode_ == LIFO || appendMode_ == INSERTION) Set_VFileMode_To(appendMode_);
  RefetchAfterEngineOp();
}

void TTzLLDataSet::SetAppendMode(LStatusType mode) {
  appendMode_ = mode;
  if (!Active()) return;
  CheckBrowseMode();
  SelectWorkArea("SetAppendMode");
  if (mode == ASCENDING || mode == DESCENDING) ApplySortMode();
  else Set_VFileMode_To(mode);
  RefetchAfterEngineOp();
}

std::string TTzLLDataSet::KeyOfCurrentRecord() {
  if (!KeyMaker) return FieldAsString(1);
  // The record in the work area becomes the active one for the key maker.
  platform::RecordBuffer saved = ActiveBuffer();
  RecordToNative(ActiveBuffer().data());
  std::string key;
  try {
    key = KeyMaker();
  } catch (...) {
    ActiveBuffer() = saved;
    throw;
  }
  ActiveBuffer() = saved;
  return key;
}

bool TTzLLDataSet::ReadFromDisk() {
  if (!TzFileExists(FindFileAnyCase(DbfFileName()))) return true;
  SelectWorkArea("ReadFromDisk");
  if (ReadVFileFromDisk(FindFileAnyCase(DbfFileName()), HideDeletedRecs(), ShowProgress) < 0) return false;
  SelectWorkArea("ReadFromDisk");
  GoTop();
  modified_ = false;
  return true;
}

void TTzLLDataSet::CloseUnsaved() {
  modified_ = false;
  SetActive(false);
}

void TTzLLDataSet::WriteToDisk() {
  if (AllTrim(DbfFileName()).empty()) return;
  SelectWorkArea("WriteToDisk");
  std::int32_t n = WriteVFileToDisk(DbfFileName(), HideDeletedRecs(), ShowProgress);
  if (n >= 0) modified_ = false;
}

void TTzLLDataSet::ResetPositionState() {
  if (SaveToDisk && modified_) WriteToDisk();
}

bool TTzLLDataSet::AppendWithLock() {
  SelectWorkArea("s_AppendWithLock");
  std::uint8_t mode = Get_VFileMode();
  // Appending at the end of an insertion-mode file goes to its tail.
  bool atEnd = atEnd_ || dEOF();
  if (atEnd && mode == INSERTION) Set_VFileMode_To(FIFO);
  ::Append();
  StepOffRecord();
  if (atEnd && mode == INSERTION) Set_VFileMode_To(mode);
  modified_ = true;
  return true;
}

bool TTzLLDataSet::DeleteWithLock() {
  SelectWorkArea("s_DeleteWithLock");
  DeleteRec();
  modified_ = true;
  return true;
}

bool TTzLLDataSet::RestoreWithLock() {
  SelectWorkArea("s_RestoreWithLock");
  RecallRec();
  modified_ = true;
  return true;
}

bool TTzLLDataSet::ReplaceWithLock() {
  SelectWorkArea("s_ReplaceWithLock");
  ::Replace();
  modified_ = true;
  return true;
}
