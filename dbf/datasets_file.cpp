#include "dbf/datasets_file.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>

#include "dbf/blob_streams.h"
#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/import_export.h"
#include "dbf/locks.h"
#include "dbf/memo.h"
#include "dbf/message_windows.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "framework/message_box.h"

#include "dbf/ndx_index.h"

using platform::TDataSetState;
using platform::TField;

// ---- TTzCDataSet -----------------------------------------------------------------------

void TTzCDataSet::Align(const std::string& label) {
  UpdateCursorPos();
  SelectWorkArea(label);
}

void TTzCDataSet::AppendRec() {
  CheckBrowseMode();
  SelectWorkArea("AppendRec");
  ClearRecord();
  ::Append();
  StepOffRecord();
  AfterBulkChange();
  RefetchAfterEngineOp();
}

void TTzCDataSet::AppendFrom(const std::string& fileName) {
  CheckBrowseMode();
  Align("AppendFrom");
  std::int32_t remembered = ::RecNo();
  ::AppendFrom(FindFileAnyCase(fileName));
  std::uint16_t error = TzLastError;
  AfterBulkChange();
  {
    ErrorDispatchOff off;
    if (!GoChecked(remembered)) GoBottom();
    TzLastError = 0;
  }
  if (error != 0) return;
  RefetchAfterEngineOp();
}

bool TTzCDataSet::Pack() {
  CheckBrowseMode();
  SelectWorkArea("Pack");
  bool ok = ::Pack();
  AfterBulkChange();
  RefetchAfterEngineOp();
  return ok;
}

std::string TTzCDataSet::Field(int n) {
  SelectWorkArea("Field");
  if (n < 1 || n > ::FieldCount()) return std::string();
  return ::Field(n).substr(0, 10);
}

int TTzCDataSet::FieldCount() {
  SelectWorkArea("FieldCount");
  return ::FieldCount();
}

int TTzCDataSet::FieldLen(int n) {
  SelectWorkArea("FieldLen");
  if (n < 1 || n > ::FieldCount()) return 0;
  return ::FieldLen(n);
}

void TTzCDataSet::Go(std::int32_t n) {
  CheckBrowseMode();
  SelectWorkArea("Go");
  ::Go(n);
  RefetchAfterEngineOp();
}

void TTzCDataSet::Search(const std::string& text, bool& found, int fromTop) {
  CheckBrowseMode();
  Align("Search");
  std::uint8_t field = 0;
  ::Search(text, field, fromTop == 1);
  found = field != 0;
  if (!dEOF() && !dBOF()) RefetchAfterEngineOp();
}

namespace {

// The stored text of field n of the selected work area's record when it holds
// no value of the field's type ("*"s or a number beyond the typed value's
// range in a number field, "2024ab01" in a date field, "?" in a logical
// field); nothing when it holds one, and always for a virtual file, whose
// records hold values.
std::optional<std::string> TextWithoutValue(int n) {
  const TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->isVirtual || n < 1 || n > static_cast<int>(wa->fields.size())) return std::nullopt;
  const TDbfFieldEntry& f = wa->fields[static_cast<std::size_t>(n) - 1];
  if (wa->recordBuffer.size() < static_cast<std::size_t>(f.offset) + f.length) return std::nullopt;
  std::string text(wa->recordBuffer.data() + f.offset, f.length);
  if (AllTrim(text).empty()) return std::nullopt;
  switch (f.type) {
    case 'N':
    case 'F': return NumberFieldFault(n).empty() ? std::nullopt : std::optional(text);
    case 'L': return text[0] && std::strchr("TtFfYyNnJj", text[0]) ? std::nullopt : std::optional(text);
    case 'D': {
      // What the engine reads from it ("2024051 " as 1 May 2024) is a date.
      std::string read = FieldAsString(n);
      return ValidDate(read) ? std::nullopt : std::optional(text);
    }
    default: return std::nullopt;
  }
}

}  // namespace

std::string TTzCDataSet::SField(int n) {
  TDataSetState s = State();
  bool editing = s == TDataSetState::Edit || s == TDataSetState::Insert;
  if (s != TDataSetState::Insert) Align("SField");
  else SelectWorkArea("SField");
  if (n < 1 || n > ::FieldCount()) return std::string();
  // A pending edit is what the user sees: it goes into the work-area record.
  if (editing) NativeToRecord(ActiveBuffer().data());
  // A stored text that holds no value is shown as stored, not as 0, N or
  // the date its characters would make.
  else if (std::optional<std::string> stored = TextWithoutValue(n)) return *stored;
  return FieldAsString(n);
}

TField& TTzCDataSet::NamedField(const std::string& name) {
  return FieldByName(AllTrim(name).substr(0, 10));
}

std::int32_t TTzCDataSet::FieldAsInteger(const std::string& name) {
  TField& field = NamedField(name);
  const std::int32_t value = field.AsInteger();
  TDataSetState s = State();
  // An inserted record has no stored text yet; an edited field holds what
  // was given to it, unless it still holds the 0 its stored text reads as.
  if (s != TDataSetState::Insert && (s != TDataSetState::Edit || value == 0) && field.FieldNo() >= 1) {
    // A number field's text that holds no number ("*"s, "12ab"), which reads
    // as 0: named instead.
    Align("FieldAsInteger");
    const int n = ::FieldNo(field.FieldName());
    if (n >= 1 && (::FieldType(n) == 'N' || ::FieldType(n) == 'F'))
      if (std::optional<std::string> stored = TextWithoutValue(n))
        throw platform::EDatabaseError("Field " + field.FieldName() + " holds no number (\"" + AllTrim(*stored) + "\")");
  }
  return value;
}

void TTzCDataSet::EnsureEditing() {
  TDataSetState s = State();
  if (s != TDataSetState::Edit && s != TDataSetState::Insert && s != TDataSetState::SetKey) Edit();
}

void TTzCDataSet::SetFieldString(const std::string& name, const std::string& value) {
  TField& f = NamedField(name);
  EnsureEditing();
  f.SetAsString(value);
}

void TTzCDataSet::SetFieldBoolean(const std::string& name, bool value) {
  TField& f = NamedField(name);
  EnsureEditing();
  f.SetAsBoolean(value);
}

void TTzCDataSet::SetFieldInteger(const std::string& name, std::int32_t value) {
  TField& f = NamedField(name);
  EnsureEditing();
  f.SetAsInteger(value);
}

void TTzCDataSet::SetFieldFloat(const std::string& name, double value) {
  TField& f = NamedField(name);
  EnsureEditing();
  f.SetAsFloat(value);
}

// ---- TTzFileDataSet -----------------------------------------------------------------------

void TTzFileDataSet::SetExclusive(bool on) {
  if (on == exclusive_) return;
  bool wasActive = Active();
  if (wasActive) SetActive(false);
  exclusive_ = on;
  if (wasActive) SetActive(true);
}

bool TTzFileDataSet::OpenTable(const std::string& name) {
  if (CreateIfNotFound && !TzFileExists(FindFileAnyCase(name))) {
    if (!CreateTableFromFields() && TzWarningMode == 2) ShowMessageText("Could not create \"" + name + "\"");
  }
  const std::string alias = AllTrim(Name());
  unsigned savedMode = OpenModeOverride;
  if (ReadOnly) OpenModeOverride = exclusive_ ? 16 : 64;
  // The count from the file size, exclusive or shared alike.
  const bool savedFix = FixRecordCount;
  FixRecordCount = AutoFixRecCount;
  TzLastError = 0;
  {
    ErrorDispatchOff off;
    UseTable(FindFileAnyCase(name), alias, exclusive_);
  }
  OpenModeOverride = savedMode;
  FixRecordCount = savedFix;
  if (TzLastError != 0) return false;
  return OpenIndexes();
}

namespace {

// Whether the file exists and was last written today: indexes that one
// program rebuilt today are not rebuilt again by the next one that opens
// the table.
bool WrittenToday(const std::string& name) {
  platform::FileHandle h = platform::kNoFile;
  if (platform::OpenFile(FindFileAnyCase(name), platform::kOpenRead | platform::kShareDenyNone, h) != 0) return false;
  std::time_t t = static_cast<std::time_t>(platform::FileModifiedTime(h));
  platform::CloseFile(h);
  std::tm local{};
  if (t < 0 || !localtime_r(&t, &local)) return false;
  TzDate today = TzToday();
  return local.tm_year + 1900 == today.year && local.tm_mon + 1 == today.month && local.tm_mday == today.day;
}

// The progress window "Indexing <file>..." of one index build, stepped by
// the build and freed at the end.
class IndexProgressWindow {
 public:
  IndexProgressWindow(bool show, const std::string& file) {
    if (!show) return;
    window_ = ShowTzMsg(TzMsgKind::Progress, nullptr, "Indexing " + file + "...");
    current_ = window_.get();
    SetIndexProgress([] {
      if (current_) ShowTzProgress(*current_);
    }, 100);
  }
  ~IndexProgressWindow() {
    if (!window_) return;
    SetIndexProgress(nullptr, 0);
    current_ = nullptr;
  }
  IndexProgressWindow(const IndexProgressWindow&) = delete;
  IndexProgressWindow& operator=(const IndexProgressWindow&) = delete;

 private:
  static TTzMsg* current_;
  std::unique_ptr<TTzMsg> window_;
};
TTzMsg* IndexProgressWindow::current_ = nullptr;

}  // namespace

bool TTzFileDataSet::OpenIndexes() {
  if (IndexList.empty()) return true;
  ErrorDispatchOff off;
  struct Line {
    int number;
    std::string file, key;
    std::string text;  // the line as given: an error names it whole
  };
  std::vector<Line> lines;
  for (const std::string& text : IndexList) {
    std::size_t c1 = text.find(',');
    std::size_t c2 = c1 == std::string::npos ? std::string::npos : text.find(',', c1 + 1);
    if (c2 == std::string::npos) continue;
    lines.push_back({StoredLong(AllTrim(text.substr(0, c1))), AllTrim(text.substr(c1 + 1, c2 - c1 - 1)),
                     AllTrim(text.substr(c2 + 1)).substr(0, 100), text});
  }
  auto fail = [&](const std::string& text) {
    std::uint16_t code = TzLastError ? TzLastError : 2;
    SetErrorDispatch(true);
    DederError(code, text);
    return false;
  };
  TCreateIndexType mode = CreateIndex;
  if ((mode == TCreateIndexType::ciAlways || mode == TCreateIndexType::ciVerifyHeader) &&
      std::all_of(lines.begin(), lines.end(), [](const Line& l) { return WrittenToday(l.file); }))
    mode = TCreateIndexType::ciNotFound;
  for (const Line& l : lines) {
    bool rebuild = false;
    TzLastError = 0;
    switch (mode) {
      case TCreateIndexType::ciAlways: rebuild = true; break;
      case TCreateIndexType::ciVerifyHeader:
        rebuild = !TzFileExists(l.file) || IndexRecCount(l.file) != RecCount();
        break;
      case TCreateIndexType::ciNotFound: {
        TzLastError = 0;
        bool ok = SetIndexFile(l.file, l.number);
        std::uint16_t code = TzLastError;
        if (!ok && (code == 2 || code == 222 || code == 223)) rebuild = true;
        else if (!ok) return fail(l.text);
        break;
      }
      case TCreateIndexType::ciNever: break;
    }
    if (rebuild) {
      bool build = true;
      if (OnBeforeMakeIndex) OnBeforeMakeIndex(l.file, build);
      if (build) {
        TzLastError = 0;
        {
          IndexProgressWindow progress(ShowProgress, l.file);
          MakeIndex(l.file, l.key, false, static_cast<std::uint8_t>(l.number), false, false, nullptr, 0);
        }
        if (TzLastError != 0) return fail(l.text);
        if (OnAfterMakeIndex) OnAfterMakeIndex(l.file);
      }
    }
  }
  for (const Line& l : lines) {
    TzLastError = 0;
    if (!SetIndexFile(l.file, l.number)) return fail(l.text);
  }
  Set_Order_To(1);
  return TzLastError == 0;
}

bool TTzFileDataSet::ALock() {
  SelectWorkArea("ALock");
  return ::ALock();
}

void TTzFileDataSet::FLock() {
  SelectWorkArea("FLock");
  ::FLock();
}

void TTzFileDataSet::UnLock() {
  SelectWorkArea("UnLock");
  ::Unlock();
}

bool TTzFileDataSet::IndexActive() {
  if (WorkArea() == 0) return false;
  SelectWorkArea("IndexActive");
  return IndexHooks.IsActive && IndexHooks.IsActive();
}

bool TTzFileDataSet::FindWith(const std::string& key, const std::string& label, int how) {
  CheckBrowseMode();
  SelectWorkArea(label);
  std::string k = key.substr(0, std::min<std::size_t>(key.size(), 100));
  const std::uint16_t pending = TzPendingError;
  // The search and the refetch around it run first without the read lock;
  // when another program changed the indexes meanwhile, what they gave is
  // dropped unreported and they run again under the lock.
  for (bool unlocked : {true, false}) {
    IndexReadScope reading(unlocked);
    if (reading.Failed()) return false;  // the read lock's time-out, reported
    bool found = false, refetched = false;
    {
      std::optional<ErrorDispatchOff> quiet;
      if (reading.Unlocked()) quiet.emplace();
      found = FindSteps(k, how);
      refetched = RefetchBuffersAfterEngineOp();
    }
    if (reading.Unlocked() && (TzLastError != 0 || !reading.Held())) {
      TzLastError = 0;
      TzPendingError = pending;
      TzErrorDetail.clear();
      SelectWorkArea(label);
      continue;
    }
    if (refetched) AnnounceRefetch();
    return found;
  }
  return false;
}

// Find, exact or near as `how` says (0, 1, 2), then off the end onto the last record.
bool TTzFileDataSet::FindSteps(const std::string& k, int how) {
  bool found;
  if (how == 1) {
    bool was = ExactOn();
    found = ::Find(k);
    if (!was) ExactOff();
  } else if (how == 2) {
    found = ::FindNear(k);
  } else {
    found = ::Find(k);
  }
  found = found && IndexFound;
  if (dEOF()) {
    ErrorDispatchOff off;
    GoBottom();
    TzLastError = 0;
  }
  return found;
}

bool TTzFileDataSet::Find(const std::string& key) { return FindWith(key, "Find", 0); }
bool TTzFileDataSet::FindExact(const std::string& key) { return FindWith(key, "FindExact", 1); }
bool TTzFileDataSet::FindNear(const std::string& key) { return FindWith(key, "FindNear", 2); }

void TTzFileDataSet::IndexOn(const std::string& expression, const std::string& indexFile) {
  CheckBrowseMode();
  SelectWorkArea("IndexOn");
  Index_On(expression, indexFile);
  RefetchAfterEngineOp();
}

namespace {

// The datasets whose key makers the engine may call, by their number.
std::map<std::uint32_t, TTzFileDataSet*>& KeyMakerOwners() {
  static std::map<std::uint32_t, TTzFileDataSet*> owners;
  return owners;
}

}  // namespace

TTzFileDataSet::~TTzFileDataSet() {
  if (keyMakerId_ != 0) KeyMakerOwners().erase(keyMakerId_);
}

std::uint32_t TTzFileDataSet::KeyMakerId() {
  static std::uint32_t next = 0;
  if (keyMakerId_ == 0) {
    keyMakerId_ = ++next;
    KeyMakerOwners()[keyMakerId_] = this;
  }
  return keyMakerId_;
}

void TTzFileDataSet::KeyMakerCallback(std::uint32_t id, std::uint8_t number, std::string& key) {
  auto it = KeyMakerOwners().find(id);
  if (it == KeyMakerOwners().end()) return;
  TTzFileDataSet& ds = *it->second;
  if (number >= ds.keyMakers_.size() || !ds.keyMakers_[number]) return;
  // The engine's record goes through the active buffer, which comes back
  // afterwards.
  platform::RecordBuffer saved = ds.ActiveBuffer();
  ds.ActiveBuffer().resize(std::max(ds.ActiveBuffer().size(), ds.BufferSize()));
  ds.RecordToNative(ds.ActiveBuffer().data());
  ds.keyMakers_[number](ds, key);
  ds.ActiveBuffer() = std::move(saved);
}

void TTzFileDataSet::IndexOnCB(const std::string& indexFile, TTzKeyMakerEvent maker) {
  CheckBrowseMode();
  SelectWorkArea("IndexOnCB");
  if (keyMakers_.size() < 2) keyMakers_.resize(2);
  keyMakers_[1] = std::move(maker);
  Index_OnCB(indexFile, &KeyMakerCallback, KeyMakerId());
  RefetchAfterEngineOp();
}

void TTzFileDataSet::SetIndexToCB(const std::string& indexFile, int number, TTzKeyMakerEvent maker) {
  CheckBrowseMode();
  Align("SetIndexToCB");
  if (number < 1 || number > 255) return;
  if (keyMakers_.size() <= static_cast<std::size_t>(number)) keyMakers_.resize(static_cast<std::size_t>(number) + 1);
  keyMakers_[static_cast<std::size_t>(number)] = std::move(maker);
  Set_Index_ToCB(indexFile, number, &KeyMakerCallback, KeyMakerId());
  RefetchAfterEngineOp();
}

void TTzFileDataSet::SetIndexTo(const std::string& indexFiles) {
  CheckBrowseMode();
  Align("SetIndexTo");
  // No names: the table goes back to its natural order.
  if (AllTrim(indexFiles).empty()) CloseIndexes();
  else SetIndexList(indexFiles);
  RefetchAfterEngineOp();
}

void TTzFileDataSet::SetIndexToLFN(const std::string& indexFile, int number) {
  CheckBrowseMode();
  Align("SetIndexToLFN");
  Set_Index_To_LFN(indexFile, number);
  RefetchAfterEngineOp();
}

void TTzFileDataSet::SetIndexToFile(const std::string& indexFile) {
  CheckBrowseMode();
  Align("SetIndexTo");
  CloseIndexes();
  Set_Index_To_LFN(indexFile, 1);
  RefetchAfterEngineOp();
}

namespace {

// Stored bytes as a record read translates them (translator, then OEM).
void TranslateStored(char* bytes, std::size_t length) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || length == 0) return;
  if (wa->readTranslator) wa->readTranslator(bytes, length);
  if (wa->oem) OemToAnsiBuffer(bytes, length);
}

}  // namespace

// The engine hands over the stored bytes, from the file or its read-ahead
// cache; callers get them translated as a record read does.
std::string TTzFileDataSet::Peek(int field, std::int32_t recordNumber) {
  SelectWorkArea("Peek");
  std::string result;
  ::Peek(field, recordNumber, result);
  TranslateStored(result.data(), result.size());
  return result;
}

std::string TTzFileDataSet::PeekRecord(std::int32_t recordNumber) {
  SelectWorkArea("PeekRecord");
  std::string result;
  ::PeekRecord(recordNumber, result);
  // The delete flag is no text.
  if (result.size() > 1) TranslateStored(result.data() + 1, result.size() - 1);
  return result;
}

std::unique_ptr<IndexReadScope> TTzFileDataSet::HoldIndexesForReading() {
  SelectWorkArea("HoldIndexesForReading");
  return std::make_unique<IndexReadScope>();
}

std::int32_t TTzFileDataSet::ControllingIndexRecCount() {
  SelectWorkArea("ControllingIndexRecCount");
  return ::ControllingIndexRecCount();
}

bool TTzFileDataSet::ChangeStamp(std::uint16_t& stamp) {
  SelectWorkArea("ChangeStamp");
  return IndexChangeStamp(stamp);
}

std::int32_t TTzFileDataSet::AppendFromDelimited(const std::string& fileName) {
  CheckBrowseMode();
  SelectWorkArea("AppendFromDelimited");
  std::int32_t n = ::AppendFromDelimited(fileName, ShowProgress);
  AfterBulkChange();
  RefetchAfterEngineOp();
  return n;
}

std::int32_t TTzFileDataSet::CopyToDelimited(const std::string& fileName) {
  CheckBrowseMode();
  SelectWorkArea("CopyToDelimited");
  std::int32_t remembered = ::RecNo();
  std::int32_t n = ::CopyToDelimited(fileName);
  ErrorDispatchOff off;
  GoChecked(remembered);
  TzLastError = 0;
  return n;
}

bool TTzFileDataSet::Locate(const std::string& keyFields, const std::vector<std::string>& values,
                            TLocateOptions options) {
  SelectWorkArea("Locate");
  if (!IndexActive()) return TTzCDataSet::Locate(keyFields, values, options);
  std::string key;
  for (const std::string& v : values) key += v;
  key = key.substr(0, 255);
  return options.partialKey ? Find(key) : FindExact(key);
}

bool TTzFileDataSet::IsSequenced() {
  SelectWorkArea("IsSequenced");
  if (Filtered) return false;
  // The engine's filter hides records as well.
  const TDbfWorkArea* wa = SelectedWorkArea();
  if (wa && (wa->filterCallback || wa->filterExpression)) return false;
  return !IndexActive();
}

bool TTzFileDataSet::AppendWithLock() { return RunLockedWrite(LockedWrite::Append); }
bool TTzFileDataSet::DeleteWithLock() { return RunLockedWrite(LockedWrite::Delete); }
bool TTzFileDataSet::RestoreWithLock() { return RunLockedWrite(LockedWrite::Restore); }
bool TTzFileDataSet::ReplaceWithLock() { return RunLockedWrite(LockedWrite::Replace); }

bool TTzFileDataSet::RunLockedWrite(LockedWrite kind) {
  if (!CanModify()) return false;
  static const char* const kLabels[] = {"s_AppendWithLock", "s_DeleteWithLock", "s_RestoreWithLock",
                                        "s_ReplaceWithLock"};
  static const char* const kWords[] = {"Insert", "Delete", "Restore", "Post"};
  int k = static_cast<int>(kind);
  SelectWorkArea(kLabels[k]);
  bool retry;
  do {
    retry = false;
    bool locked = kind == LockedWrite::Append ? ::ALock() : ::RLock();
    if (locked) {
      try {
        switch (kind) {
          case LockedWrite::Append: ::Append(); break;
          case LockedWrite::Delete: DeleteRec(); break;
          case LockedWrite::Restore: RecallRec(); break;
          case LockedWrite::Replace: ::Replace(); break;
        }
      } catch (...) {
        ::Unlock();
        throw;
      }
      if (kind == LockedWrite::Restore || !StepOffRecord()) ::Unlock();
      return true;
    }
    const TTzLockFailedEvent* event = nullptr;
    switch (kind) {
      case LockedWrite::Append: event = &OnALockFailedOnInsert; break;
      case LockedWrite::Delete: event = &OnRLockFailedOnDelete; break;
      case LockedWrite::Restore: event = &OnRLockFailedOnRestore; break;
      case LockedWrite::Replace: event = &OnRLockFailedOnPost; break;
    }
    if (*event) {
      (*event)(*this, retry);
      SelectWorkArea(kLabels[k]);
    } else if (TzWarningMode == 2) {
      ShowMessageText(std::string("Lock failed [") + kWords[k] + "]");
    }
  } while (retry);
  return false;
}

std::string TTzFileDataSet::GetMemoText(const TField& field) const {
  std::int32_t block = 0;
  if (!Active() || !GetFieldData(field, &block) || block <= 0) return std::string();
  auto* self = const_cast<TTzFileDataSet*>(this);
  self->SelectWorkArea("GetMemoText");
  std::string text;
  ErrorDispatchOff off;
  if (!ReadMemoData(block, text)) {
    TzLastError = 0;
    return std::string();
  }
  return text;
}

void TTzFileDataSet::SetMemoText(TField& field, const std::string& text) {
  EnsureEditing();
  SelectWorkArea("SetMemoText");
  std::int32_t block = text.empty() ? 0 : ::AddMemo(text);
  if (!text.empty() && block == 0) throw platform::EDatabaseError("Memo could not be written [" + Name() + "]");
  field.SetData(&block);
}

// ---- TTzBlobStream ---------------------------------------------------------------------------

namespace {

TTzFileDataSet& FileDataSetOf(TField& field) {
  auto* ds = dynamic_cast<TTzFileDataSet*>(&field.DataSet());
  if (!ds) throw platform::EDatabaseError("Field '" + field.FieldName() + "' is not a field of a table");
  return *ds;
}

}  // namespace

TTzBlobStream::TTzBlobStream(TField& field, Mode mode) : dataSet_(FileDataSetOf(field)), field_(field), mode_(mode) {
  dataSet_.DirectOpenClose();
  if (field.DataType() != platform::TFieldType::Memo)
    throw platform::EDatabaseError("Field '" + field.FieldName() + "' is not a BLOB field");
  if (mode_ == Mode::Write) dataSet_.EnsureEditing();
  field_.GetData(&oldBlock_);
  dataSet_.SelectWorkArea("CreateBlobStream");
  if (mode_ == Mode::Read && oldBlock_ == 0) return;  // no memo: an empty stream
  newBlock_ = CreateBlobDescriptor(dataSet_.TableLanguage == TTzTableLanguage::tlOem, oldBlock_,
                                   static_cast<std::uint8_t>(mode_));
  open_ = newBlock_ != 0;
}

TTzBlobStream::~TTzBlobStream() {
  try {
    dataSet_.SelectWorkArea("DestroyBlobStream");
    if (open_) DestroyBlobDescriptor();
    if (mode_ != Mode::Write) return;
    if (!modified_) {
      if (oldBlock_ == 0) return;
      newBlock_ = 0;  // nothing written: the field holds no memo
      modified_ = true;
    }
    field_.SetData(&newBlock_);
  } catch (...) {
    // A destructor cannot report; the field keeps its old memo.
  }
}

std::int32_t TTzBlobStream::Read(void* buffer, std::int32_t count) {
  if (!open_ || mode_ != Mode::Read) return 0;
  dataSet_.SelectWorkArea("ReadBlobStream");
  return ReadBlobStream(buffer, count);
}

std::int32_t TTzBlobStream::Write(const void* buffer, std::int32_t count) {
  if (!open_ || mode_ != Mode::Write) return 0;
  dataSet_.SelectWorkArea("WriteBlobStream");
  std::int32_t n = WriteBlobStream(buffer, count);
  if (n >= 1) modified_ = true;
  return n;
}

std::int32_t TTzBlobStream::Seek(std::int32_t offset, int origin) {
  if (!open_) return 0;
  dataSet_.SelectWorkArea("SeekBlobStream");
  return SeekBlobStream(offset, origin);
}
