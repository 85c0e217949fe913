// The dataset of a DBF table on the work areas, and the datasets' switches and error routines.
#include "dbf/datasets.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

#include "dbf/datasets_internal.h"
#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/locate.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "framework/charset.h"
#include "framework/clock.h"
#include "framework/globals.h"
#include "framework/message_box.h"

std::string TzYesText, TzNoText, TzTrueText, TzFalseText;
std::uint8_t TzWarningMode = 2;

RaiseEngineErrors::RaiseEngineErrors() : previous_(SetRaiseErrors(true)) {}
RaiseEngineErrors::~RaiseEngineErrors() { SetRaiseErrors(previous_); }

void CloseQuietly(platform::TDataSet& ds) {
  RaiseEngineErrors raise;
  const std::uint16_t before = TzLastError;
  TzLastError = 0;
  // No caller hears of a close that failed (changes not saved on a full
  // disk): its error stays in TzLastError and is shown, raised or not.
  try {
    ds.SetActive(false);
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  } catch (...) {
    return;
  }
  if (TzLastError != 0) ShowError(TzErrorText(TzLastError) + "\r\n" + TzErrorDetail);
  else TzLastError = before;
}

bool RunReportingErrors(const std::function<void()>& op) {
  RaiseEngineErrors raise;
  try {
    op();
    return true;
  } catch (const platform::EAbort&) {
    AbortFlag = 1;
  } catch (const std::exception& e) {
    ShowError(e.what());
    AbortFlag = 1;
  }
  return false;
}

void InitDatasets() {
  TzYesText = OemToAnsiStr("yes");
  TzNoText = OemToAnsiStr("no");
  TzTrueText = "True";
  TzFalseText = "False";
  TzWarningMode = 2;
  ApplyShortDateFormat(SystemShortDateFormat());
}

void ApplyShortDateFormat(const std::string& format) {
  if (format.empty()) return;
  std::string f = TzUpperCase(format);
  int code = 0;
  if (f[0] == 'Y') {
    code = 1;
  } else if (f[0] == 'D') {
    std::size_t at = f.find_first_not_of("DMY");
    char sep = at == std::string::npos ? '/' : f[at];
    code = sep == '-' ? 3 : sep == '.' ? 5 : 2;
  }
  TzCentury = f.find("YYYY") != std::string::npos;
  SetDateFormat(code);  // after the flag: the picture's year follows it
}

// ---- field props --------------------------------------------------------------------------

void TDbfFieldProps::Build() {
  fields_.clear();
  record_.clear();
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return;
  record_ = wa->recordBuffer;
  for (const auto& f : wa->fields) {
    TDTField d;
    d.name = f.name.str();
    d.type = f.type;
    d.length = f.length;
    d.decimals = f.decimals;
    d.offset = f.offset;
    fields_.push_back(d);
  }
}

// ---- DBF dataset ---------------------------------------------------------------------------

TTzDataSet::TTzDataSet(std::string name) : TTzPrimDataset(std::move(name)) {}

TTzDataSet::~TTzDataSet() { CloseQuietly(*this); }

void datasets::RaiseEngineError(int code, const std::string& detail) {
  DederError(code, detail);
  throw EDederError(TzErrorText(code) + "\r\n" + detail);
}

void TTzDataSet::SelectWorkArea(const std::string& label) {
  if (workArea_ == 0) RaiseEngineError(1103, "Database is not open [" + Name() + "." + label + "]");
  if (CurrentWorkArea() != workArea_) Select(workArea_);
  AnsiTables = TableLanguage == TTzTableLanguage::tlAnsi;
}

void TTzDataSet::DoBeforeRestore() {
  if (BeforeRestore) BeforeRestore(*this);
}

void TTzDataSet::DoAfterRestore() {
  if (AfterRestore) AfterRestore(*this);
}

void TTzDataSet::WritePendingRecord() {
  if (State() != TDataSetState::Insert) {
    UpdateCursorPos();
  } else {
    SelectWorkArea("WritePendingRecord");
    NativeToRecord(ActiveBuffer().data());
  }
}

std::size_t TTzDataSet::NativeFieldSize(const TDTField& f) {
  if (f.name.empty()) return 0;
  switch (f.type) {
    case 'C': return f.length + 1u;
    case 'D': return 8;
    case 'F':
    case 'N': return f.decimals > 0 ? 8 : 4;
    case 'L': return 2;
    case 'M': return 4;
    default: return f.length + 1u;
  }
}

// A field without a name (a damaged descriptor) has no room in the
// dataset's record: it is neither read nor written there.
bool TTzDataSet::HasNativeField(std::size_t index) const {
  return static_cast<int>(index) < fieldProps_.Count() &&
         NativeFieldSize(fieldProps_.Item(static_cast<int>(index) + 1)) > 0;
}

std::uint16_t TTzDataSet::TziGetRecordSize() {
  if (cachedNativeSize_ == 0) {
    std::size_t size = 1;
    for (int i = 1; i <= fieldProps_.Count(); ++i) size += NativeFieldSize(fieldProps_.Item(i));
    cachedNativeSize_ = static_cast<std::uint16_t>(std::min<std::size_t>(size, 65535));
  }
  return cachedNativeSize_;
}

void TTzDataSet::InternalInitFieldDefs() {
  if (fieldProps_.Count() == 0) throw platform::EDatabaseError(Name() + ".DbfFields undefined. Set Active to TRUE");
  fieldDefs_.clear();
  fieldOffsets_.clear();
  std::size_t at = 1;
  for (int i = 1; i <= fieldProps_.Count(); ++i) {
    const TDTField& f = fieldProps_.Item(i);
    fieldOffsets_.push_back(at);
    at += NativeFieldSize(f);
    platform::TFieldDef d;
    d.name = f.name;
    switch (f.type) {
      case 'D': d.type = TFieldType::Date; break;
      case 'F':
      case 'N':
        d.type = f.decimals > 0 ? TFieldType::Float : TFieldType::Integer;
        d.size = f.decimals > 0 ? f.length : 0;
        break;
      case 'L': d.type = TFieldType::Boolean; break;
      case 'M': d.type = MemoAsBlockNumber() ? TFieldType::Integer : TFieldType::Memo; break;
      default:
        d.type = TFieldType::String;
        d.size = f.length;
        break;
    }
    fieldDefs_.push_back(d);
  }
}

std::unique_ptr<TField> TTzDataSet::CreateField(const platform::TFieldDef& def, int fieldNo) {
  switch (def.type) {
    case TFieldType::Date: return std::make_unique<TTzDateField>(*this, def, fieldNo);
    case TFieldType::Float: return std::make_unique<TTzFloatField>(*this, def, fieldNo);
    case TFieldType::Integer: return std::make_unique<TTzIntegerField>(*this, def, fieldNo);
    default: return TTzPrimDataset::CreateField(def, fieldNo);
  }
}

void TTzDataSet::ClearActiveBuffer() { std::fill(ActiveBuffer().begin(), ActiveBuffer().end(), 0); }

namespace {

// The day number of date field i as the dataset shows it (0: none). The
// file's YYYYMMDD text is exact whatever the national layout; a virtual file
// holds only the typed (national) text.
double StoredDay(const TDbfWorkArea& wa, std::size_t i, const std::uint8_t* typed) {
  const TDbfFieldEntry& f = wa.fields[i];
  std::string s;
  if (wa.recordBuffer.size() >= static_cast<std::size_t>(f.offset) + f.length)
    s.assign(wa.recordBuffer.data() + f.offset, std::min<std::size_t>(8, f.length));
  else
    s = DTOS(std::string(reinterpret_cast<const char*>(typed + 1), typed[0]));
  if (s.size() != 8 || AllTrim(s).size() != 8) return 0;
  int y = std::atoi(s.substr(0, 4).c_str()), m = std::atoi(s.substr(4, 2).c_str()), d = std::atoi(s.substr(6, 2).c_str());
  return y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= 31 ? platform::DayNumber(y, m, d) : 0;
}

}  // namespace

void TTzDataSet::RecordToNative(std::uint8_t* native) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!native || !wa || !wa->typedRecord) return;
  native[0] = wa->typedRecord[0];
  for (std::size_t i = 0; i < wa->fields.size() && i < fieldOffsets_.size(); ++i) {
    if (!HasNativeField(i)) continue;
    const TDbfFieldEntry& f = wa->fields[i];
    std::uint8_t* dst = native + fieldOffsets_[i];
    const std::uint8_t* src = TypedField(*wa, i);
    switch (f.type) {
      case 'D': PutF64(dst, StoredDay(*wa, i, src)); break;
      case 'N':
      case 'F':
        if (f.decimals > 0) PutF64(dst, static_cast<double>(Real48ToExtended(src)));
        else PutI32(dst, GetI32(src));
        break;
      case 'L':
        dst[0] = src[0];
        dst[1] = 0;
        break;
      case 'M': PutI32(dst, GetI32(src)); break;
      default: {
        std::size_t n = std::min<std::size_t>(src[0], f.length);
        dst[0] = static_cast<std::uint8_t>(n);
        std::memcpy(dst + 1, src + 1, n);
        break;
      }
    }
  }
}

void TTzDataSet::NativeToRecord(const std::uint8_t* native, int field) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!native || !wa || !wa->typedRecord) return;
  if (field == 0) wa->typedRecord[0] = native[0] ? 1 : 0;
  for (std::size_t i = 0; i < wa->fields.size() && i < fieldOffsets_.size(); ++i) {
    if ((field != 0 && static_cast<int>(i) + 1 != field) || !HasNativeField(i)) continue;
    const TDbfFieldEntry& f = wa->fields[i];
    const std::uint8_t* src = native + fieldOffsets_[i];
    std::uint8_t* dst = TypedField(*wa, i);
    switch (f.type) {
      case 'D': {
        double day = GetF64(src);
        // The date the dataset showed: the field takes what the engine reads
        // from its text, which a text of another form ("2024051 ") holds too.
        if (day == StoredDay(*wa, i, dst)) {
          ReloadTypedField(*wa, i);
          break;
        }
        std::string text = EmptyDate(TzDateFormat);
        if (day > 0 && std::isfinite(day)) {
          text = datasets::DayNumberToNational(day);
          std::string check = text;
          if (!ValidDate(check)) {
            ShowMessageText("        Invalid date       ");
            text = EmptyDate(TzDateFormat);
          }
        }
        std::size_t cap = f.length + 2u;
        if (text.size() > cap) text.resize(cap);
        dst[0] = static_cast<std::uint8_t>(text.size());
        std::memcpy(dst + 1, text.data(), text.size());
        break;
      }
      case 'N':
      case 'F':
        if (f.decimals > 0) {
          double v = GetF64(src);
          ExtendedToReal48(std::isfinite(v) ? v : 0, dst);
        } else {
          PutI32(dst, GetI32(src));
        }
        break;
      case 'L': dst[0] = src[0] ? 1 : 0; break;
      case 'M': PutI32(dst, GetI32(src)); break;
      default: {
        // Padded with blanks, as the file holds it.
        std::size_t n = std::min<std::size_t>(src[0], f.length);
        dst[0] = f.length;
        std::memcpy(dst + 1, src + 1, n);
        std::memset(dst + 1 + n, ' ', f.length - n);
        break;
      }
    }
  }
}

std::int32_t TTzDataSet::TziSetToBegin() {
  SelectWorkArea("TziSetToBegin");
  GoTop();
  atBegin_ = true;
  atEnd_ = false;
  return 0;
}

std::int32_t TTzDataSet::TziSetToEnd() {
  SelectWorkArea("TziSetToEnd");
  GoBottom();
  atEnd_ = true;
  atBegin_ = false;
  return 0;
}

bool TTzDataSet::OpenWithFileName() {
  fieldProps_.Clear();
  cachedNativeSize_ = 0;
  std::uint8_t previous = CurrentWorkArea();
  TzLastError = 0;
  {
    ErrorDispatchOff off;
    Select(workArea_);
  }
  if (TzLastError != 0) {
    Select(previous);
    return false;
  }
  AnsiTables = TableLanguage == TTzTableLanguage::tlAnsi;
  if (!OpenTable(dbfFileName_)) return false;
  if (TzLastError != 0 || !SelectedWorkArea()) return false;
  SelectedWorkArea()->ignoreDeleted = hideDeleted_;
  workArea_ = CurrentWorkArea();
  fieldProps_.Build();
  return true;
}

std::int32_t TTzDataSet::TziOpen() {
  if (NeedsFileName() && Trim(dbfFileName_).empty()) return kTzNoTableName;
  TzLastError = 0;
  if (OpenWithFileName()) {
    atBegin_ = true;
    atEnd_ = false;
    return 0;
  }
  return TzLastError != 0 ? TzLastError : kTzOpenFailed;
}

void TTzDataSet::CloseTable() { CloseDatabase(); }

std::int32_t TTzDataSet::TziClose() {
  if (workArea_ == 0) return 0;
  Select(workArea_);
  // A save that fails on closing (a full disk) is reported once the table is
  // closed, so that the dataset is closed whatever happens.
  std::exception_ptr failure;
  TzLastError = 0;
  try {
    ResetPositionState();
  } catch (...) {
    failure = std::current_exception();
  }
  // The save's error, raised or (where errors are neither raised nor
  // dispatched) only set, outlives the close's clearing of it.
  const std::uint16_t code = TzLastError;
  const std::string detail = TzErrorDetail;
  try {
    CloseTable();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  workArea_ = 0;
  fieldProps_.Clear();
  fieldsSet_.clear();
  cachedNativeSize_ = 0;
  if (code != 0) {
    TzLastError = code;
    TzErrorDetail = detail;
  }
  if (failure) std::rethrow_exception(failure);
  return 0;
}

std::int32_t TTzDataSet::TziGetRecordCount() {
  if (!IsLive()) return 1;
  SelectWorkArea("TziGetRecordCount");
  return RecCount();
}

std::int32_t TTzDataSet::TziForceReread() {
  SelectWorkArea("TziForceReread");
  Skip(0);
  return 0;
}

std::int32_t TTzDataSet::TziAppendRecord(std::uint8_t* native) {
  SelectWorkArea("TziAppendRecord");
  native[0] = 0;
  // A new record starts blank, also in fields the dataset does not hold.
  ClearRecord();
  NativeToRecord(native);
  fieldsSet_.clear();
  bool ok = AppendWithLock();
  atBegin_ = atEnd_ = false;
  return ok ? 0 : kTzLockFailed;
}

std::int32_t TTzDataSet::TziInsertRecord(std::uint8_t* native) { return TziAppendRecord(native); }

std::int32_t TTzDataSet::TziDeleteRecord() {
  SelectWorkArea("TziDeleteRecord");
  if (!DeleteWithLock()) return kTzLockFailed;
  // With deleted records hidden the last visible one may be gone: the
  // buffers then hold nothing.
  if (s_IsEmptyDbf()) {
    ClearActiveBuffer();
    atBegin_ = atEnd_ = true;
    RefetchFromStart();
  }
  return 0;
}

std::int32_t TTzDataSet::TziInitRecord(std::uint8_t*) {
  SelectWorkArea("TziInitRecord");
  ClearRecord();
  return 0;
}

std::int32_t TTzDataSet::TziUpdateRecord(std::uint8_t* native) {
  SelectWorkArea("TziUpdateRecord");
  if (atBegin_) return kTzAtBegin;
  if (atEnd_) return kTzAtEnd;
  NativeToRecord(native);
  if (TDbfWorkArea* wa = SelectedWorkArea())
    for (std::size_t i = 0; i < fieldsSet_.size(); ++i)
      if (fieldsSet_[i]) MarkFieldSet(*wa, i);
  if (!ReplaceWithLock()) return kTzLockFailed;
  fieldsSet_.clear();
  return 0;
}

void TTzDataSet::InternalCancel() { fieldsSet_.clear(); }

std::int32_t TTzDataSet::TziGetRecord(std::uint8_t* native, std::int32_t& recNo) {
  SelectWorkArea("TziGetRecord");
  if (atBegin_) return kTzAtBegin;
  if (atEnd_) return kTzAtEnd;
  if (native) {
    Skip(0);
    RecordToNative(native);
  }
  recNo = ::RecNo();
  return 0;
}

std::int32_t TTzDataSet::TziGetNextRecord(std::uint8_t* native, std::int32_t& recNo) {
  SelectWorkArea("TziGetNextRecord");
  if (atEnd_) return kTzAtEnd;
  if (atBegin_) {
    Skip(0);
    atBegin_ = false;
  } else if (!dEOF()) {
    Skip(1);
  }
  if (dEOF()) {
    if (!dBOF()) Skip(-1);
    atEnd_ = true;
    return kTzAtEnd;
  }
  RecordToNative(native);
  recNo = ::RecNo();
  return 0;
}

std::int32_t TTzDataSet::TziGetPriorRecord(std::uint8_t* native, std::int32_t& recNo) {
  SelectWorkArea("TziGetPriorRecord");
  if (atBegin_) return kTzAtBegin;
  if (atEnd_) {
    Skip(0);
    atEnd_ = false;
  } else if (!dBOF()) {
    Skip(-1);
  }
  if (dBOF()) {
    atBegin_ = true;
    return kTzAtBegin;
  }
  RecordToNative(native);
  recNo = ::RecNo();
  return 0;
}

std::int32_t TTzDataSet::TziGetField(const TField& field, const std::uint8_t* native, bool& isBlank, void* dest) {
  std::size_t i = static_cast<std::size_t>(field.FieldNo() - 1);
  if (i >= fieldOffsets_.size()) {
    isBlank = true;
    return 0;
  }
  const std::uint8_t* src = native + fieldOffsets_[i];
  std::size_t size = NativeFieldSize(fieldProps_.Item(field.FieldNo()));
  isBlank = std::all_of(src, src + size, [](std::uint8_t b) { return b == 0; });
  if (dest) {
    if (field.DataType() == TFieldType::String) {
      std::size_t cap = static_cast<std::size_t>(field.Size());
      std::size_t n = std::min<std::size_t>(src[0], cap);
      auto* d = static_cast<std::uint8_t*>(dest);
      d[0] = static_cast<std::uint8_t>(n);
      std::memcpy(d + 1, src + 1, n);
    } else {
      std::memcpy(dest, src, std::min<std::size_t>(size, static_cast<std::size_t>(field.DataSize())));
    }
  }
  return 0;
}

std::int32_t TTzDataSet::TziSetField(const TField& field, std::uint8_t* native, const void* source) {
  std::size_t i = static_cast<std::size_t>(field.FieldNo() - 1);
  if (i >= fieldOffsets_.size()) return 0;
  std::uint8_t* dst = native + fieldOffsets_[i];
  const TDTField& f = fieldProps_.Item(field.FieldNo());
  std::size_t size = NativeFieldSize(f);
  if (!source) {
    std::memset(dst, 0, size);
  } else if (field.DataType() == TFieldType::String) {
    const auto* s = static_cast<const std::uint8_t*>(source);
    std::size_t n = std::min<std::size_t>(s[0], f.length);
    dst[0] = static_cast<std::uint8_t>(n);
    std::memcpy(dst + 1, s + 1, n);
  } else {
    std::memcpy(dst, source, std::min<std::size_t>(size, static_cast<std::size_t>(field.DataSize())));
  }
  if (workArea_ != 0) {
    SelectWorkArea("TziSetField");
    NativeToRecord(native, field.FieldNo());
    if (fieldsSet_.size() <= i) fieldsSet_.resize(i + 1);
    fieldsSet_[i] = true;
    // The value stays set and is stored as "*"s, but not in silence.
    if (TDbfWorkArea* wa = SelectedWorkArea(); wa && !FieldValueFits(*wa, i))
      throw platform::ValueOutOfRange(field.FieldName());
  }
  return 0;
}

void TTzDataSet::DirectOpenClose() {
  if (!Active()) RaiseEngineError(1103, "DataSet must be active. " + Name());
}

void TTzDataSet::SafeGo(std::int32_t n) {
  SelectWorkArea("SafeGo");
  bool ok;
  {
    ErrorDispatchOff off;
    ok = GoChecked(n) && TzLastError == 0;
  }
  if (!ok) {
    TzLastError = 0;
    TziSetToEnd();
    return;
  }
  atBegin_ = atEnd_ = false;
}

std::int32_t TTzDataSet::TziGotoRecord(std::int32_t n) {
  SafeGo(n);
  return 0;
}

bool TTzDataSet::TziLocate(const std::string& keyFields, const std::vector<std::string>& values,
                           TLocateOptions options) {
  SelectWorkArea("TziLocate");
  bool found = LocateFields(keyFields, LocateValues(values), options.caseInsensitive, true, !options.partialKey);
  if (found) atBegin_ = atEnd_ = false;
  return found;
}

bool TTzDataSet::TziLookup(const std::string& keyFields, const std::vector<std::string>& values,
                           const std::string& resultFields, std::vector<std::string>& results) {
  results.clear();
  SelectWorkArea("TziLookup");
  std::int32_t remembered = ::RecNo();
  bool found = LocateFields(keyFields, LocateValues(values), false, true, true);
  if (found) {
    RecordBuffer buffer(BufferSize(), 0);
    RecordToNative(buffer.data());
    SetReadBuffer(&buffer);
    std::string rest = resultFields;
    while (!rest.empty()) {
      std::size_t semi = rest.find(';');
      std::string name = Trim(rest.substr(0, semi));
      rest = semi == std::string::npos ? std::string() : rest.substr(semi + 1);
      TField* f = FindField(name);
      results.push_back(f ? f->AsString() : std::string());
    }
    SetReadBuffer(nullptr);
  }
  SafeGo(remembered);
  return found;
}

std::int32_t TTzDataSet::TziGotoBookmark(const std::uint8_t* bookmark) {
  SafeGo(GetI32(bookmark));
  return 0;
}

std::int32_t TTzDataSet::TziSetToBookmark(std::uint8_t* bookmark) {
  std::int32_t n = 1;
  if (IsLive()) {
    SelectWorkArea("TziSetToBookmark");
    n = ::RecNo();
  }
  PutI32(bookmark, n);
  return 0;
}

std::int32_t TTzDataSet::TziCompareBookmarks(const std::uint8_t* a, const std::uint8_t* b, int& result) {
  std::int32_t x = GetI32(a), y = GetI32(b);
  result = x < y ? -1 : (x == y ? 0 : 1);
  return 0;
}

std::string TTzDataSet::ErrorText(std::int32_t) {
  std::string text = TzErrorText(TzLastError);
  if (!TzErrorDetail.empty()) text += "\r\n" + TzErrorDetail;
  return text;
}

bool TTzDataSet::s_IsEmptyDbf() {
  SelectWorkArea("s_IsEmptyDbf");
  return dBOF() && dEOF();
}

bool TTzDataSet::IsDeleted() const {
  const RecordBuffer& b = ActiveBuffer();
  return Active() && !b.empty() && !IsEmpty() && b[0] != 0;
}

void TTzDataSet::SetDeleted(bool on) {
  if (!Active() || on == IsDeleted()) return;
  if (on) {
    if (!IsEmpty()) Delete();
    return;
  }
  if (State() == TDataSetState::Insert || State() == TDataSetState::SetKey) return;
  DataEvent(platform::TDataEvent::RecordChange);
  DoBeforeRestore();
  UpdateCursorPos();
  SelectWorkArea("SetDeleted");
  bool restored = RestoreWithLock();
  TziForceReread();
  RefetchAround();
  DataEvent(platform::TDataEvent::DataSetChange);
  if (restored) DoAfterRestore();
}

void TTzDataSet::Post() {
  TDataSetState s = State();
  if (s != TDataSetState::Edit && s != TDataSetState::Insert && s != TDataSetState::SetKey) return;
  TTzPrimDataset::Post();
  if (workArea_ != 0 && s_IsEmptyDbf()) RefetchFromStart();
}

void TTzDataSet::RefetchAfterEngineOp() {
  if (RefetchBuffersAfterEngineOp()) AnnounceRefetch();
}

bool TTzDataSet::RefetchBuffersAfterEngineOp() {
  if (TzPendingError != 0 && TzLastError != 0) return false;
  if (State() == TDataSetState::Edit || State() == TDataSetState::Insert) {
    // The engine has written the record already: leave the edit without posting.
    Cancel();
  }
  SelectWorkArea("Refetch");
  if (RecCount() == 0 || (dBOF() && dEOF())) {
    ClearActiveBuffer();
    atBegin_ = atEnd_ = true;
    RefetchFromStart();
  } else {
    atBegin_ = atEnd_ = false;
    RefetchAround();
  }
  return true;
}

void TTzDataSet::AnnounceRefetch() {
  FireScroll();
  DataEvent(platform::TDataEvent::DataSetChange);
}

void TTzDataSet::SetHideDeletedRecs(bool on) {
  hideDeleted_ = on;
  if (!Active()) return;
  CheckBrowseMode();
  UpdateCursorPos();
  SelectWorkArea("SetHideDeletedRecs");
  if (TDbfWorkArea* wa = SelectedWorkArea()) wa->ignoreDeleted = on;
  if (on) StepOffRecord();
  atBegin_ = atEnd_ = false;
  if (dEOF() && dBOF()) atBegin_ = atEnd_ = true;
  RefetchAround();
  DataEvent(platform::TDataEvent::DataSetChange);
}

void TTzDataSet::SetDbfFileName(const std::string& name) {
  bool wasActive = Active();
  if (wasActive) SetActive(false);
  std::string n = Trim(name);
  if (!n.empty() && n.back() != '.') n = DefaultExtension(n, "DBF");
  dbfFileName_ = n;
  if (wasActive) SetActive(true);
}

namespace {

// A length or decimals item: a whole number, however large as written (past
// the range of int it stands at its limit, which the corrections cut); an
// empty item is 0. False for any other text.
bool WholeNumberItem(const std::string& item, int& value) {
  value = 0;
  if (item.empty()) return true;
  const char* from = item.data();
  const char* end = item.data() + item.size();
  if (*from == '+') ++from;
  long long v = 0;
  const auto [stop, ec] = std::from_chars(from, end, v);
  if (stop != end || from == end || (ec != std::errc() && ec != std::errc::result_out_of_range)) return false;
  if (ec == std::errc::result_out_of_range) v = *from == '-' ? INT_MIN : INT_MAX;
  value = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
  return true;
}

}  // namespace

bool TTzDataSet::ParseFieldLine(const std::string& line, bool memoAsNumber, FieldLine& out) {
  out = FieldLine{};
  out.written = Trim(line);
  if (std::count(line.begin(), line.end(), ',') != 3) {
    out.refusal = "A field is given as name, type, length and decimals, with three commas.";
    return false;
  }
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    std::size_t comma = line.find(',', start);
    parts.push_back(Trim(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    start = comma == std::string::npos ? line.size() : comma + 1;
  }
  out.name = TzUpperCase(parts[0]).substr(0, 10);
  out.givenType = TzUpperCase(parts[1]);
  if (out.name.empty()) {
    out.refusal = "The field has no name.";
    return false;
  }
  if (!WholeNumberItem(parts[2], out.givenLength) || !WholeNumberItem(parts[3], out.givenDecimals)) {
    out.refusal = "Its length and decimals must be whole numbers.";
    return false;
  }
  char type = out.givenType.empty() ? 'C' : out.givenType[0];
  int length = out.givenLength;
  int decimals = out.givenDecimals;
  if (type == 'X') {
    out.skip = true;
    return true;
  }
  if (type == 'B' || type == 'G' || type == 'P') type = 'M';
  if (std::string("CDFLMN").find(type) == std::string::npos) type = 'C';
  if (type == 'M' && memoAsNumber) {
    type = 'N';
    length = 10;
    decimals = 0;
  }
  if ((type == 'C' || type == 'N' || type == 'F') && length < 1) {
    out.refusal = "Its length must be at least 1.";
    return false;
  }
  if (type == 'N' || type == 'F') {  // a float field is a number field in another name
    length = std::min(length, 20);
    decimals = std::min(decimals, 18);
    if (decimals > 0 && length - decimals < 2) decimals = std::max(0, length - 2);
  } else {
    decimals = 0;  // only numbers have decimals
  }
  if (type == 'C' && length > 254) length = 254;
  if (type == 'D') length = 8;
  if (type == 'L') length = 1;
  if (type == 'M') length = 10;
  if (decimals < 0) decimals = 0;
  out.type = type;
  out.length = length;
  out.decimals = decimals;
  out.corrected = std::string(1, type) != out.givenType || length != out.givenLength ||
                  decimals != out.givenDecimals;
  // Fixed-length types do not count as corrected for their implied lengths.
  if ((type == 'D' || type == 'L' || type == 'M') && std::string(1, type) == out.givenType &&
      out.givenDecimals == 0)
    out.corrected = false;
  return true;
}

void TTzDataSet::ReportRefusedFieldLine(const FieldLine& line) {
  if (TzWarningMode == 2)
    ShowMessageText("Invalid field definition for " + Name() + ": " + line.written + ". " + line.refusal);
}

bool TTzDataSet::FieldsFromLines(bool memoAsNumber, bool nameCorrections, std::vector<TDbfFieldEntry>& entries) {
  entries.clear();
  for (const std::string& line : DbfFields) {
    FieldLine fl;
    // The line is quoted as written: the numbers read from it may not be.
    if (!ParseFieldLine(line, memoAsNumber, fl)) {
      ReportRefusedFieldLine(fl);
      return false;
    }
    if (fl.skip) continue;
    if (entries.size() == 255) {
      fl.refusal = "A table holds at most 255 fields.";
      ReportRefusedFieldLine(fl);
      return false;
    }
    // Two fields of one name: the second could never be read by its name.
    if (std::any_of(entries.begin(), entries.end(), [&](const TDbfFieldEntry& e) { return e.name.view() == fl.name; })) {
      fl.refusal = "An earlier field is named " + fl.name + " already.";
      ReportRefusedFieldLine(fl);
      return false;
    }
    if (fl.corrected && nameCorrections && TzWarningMode == 2)
      ShowMessageText("Invalid field definition for " + Name() + ": " + fl.written +
                      ". Will use corrected definition: " + fl.name + "," + fl.type + "," + std::to_string(fl.length) +
                      "," + std::to_string(fl.decimals));
    TDbfFieldEntry e;
    e.name = fl.name;
    e.type = fl.type;
    e.length = static_cast<std::uint8_t>(fl.length);
    e.decimals = static_cast<std::uint8_t>(fl.decimals);
    entries.push_back(e);
  }
  return true;
}

bool TTzDataSet::CreateTableFromFields() {
  if (DbfFields.empty()) {
    ShowMessageText("FieldList.Count is <= 0 trying to create a database");
    return false;
  }
  std::vector<TDbfFieldEntry> entries;
  if (!FieldsFromLines(MemoAsBlockNumber(), true, entries)) return false;
  if (entries.empty()) {
    ShowMessageText("FieldList.Count is <= 0 trying to create a database");
    return false;
  }
  ErrorDispatchOff off;
  TzLastError = 0;
  TDbfWorkArea wa;
  wa.oem = TableLanguage != TTzTableLanguage::tlAnsi;  // the code page the table is opened in
  CreateDbf(wa, dbfFileName_, static_cast<int>(entries.size()), entries.data());
  bool ok = TzLastError == 0;
  TzLastError = 0;
  return ok;
}
