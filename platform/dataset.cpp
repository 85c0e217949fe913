#include "platform/dataset.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "platform/c_numbers.h"

namespace platform {

// ---- dates ---------------------------------------------------------------------

std::int32_t DayNumber(int year, int month, int day) {
  // Days from the civil date (proleptic Gregorian), shifted so that
  // 0001-01-01 is 1721426.
  int y = year - (month <= 2 ? 1 : 0);
  int era = (y >= 0 ? y : y - 399) / 400;
  int yoe = y - era * 400;
  int mp = (month + 9) % 12;
  int doy = (153 * mp + 2) / 5 + day - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  std::int64_t days = static_cast<std::int64_t>(era) * 146097 + doe - 719468;  // from 1970-01-01
  return static_cast<std::int32_t>(days + 2440588);
}

void DayNumberToDate(std::int32_t dayNumber, int& year, int& month, int& day) {
  std::int64_t z = static_cast<std::int64_t>(dayNumber) - 2440588 + 719468;
  std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  std::int64_t doe = z - era * 146097;
  std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// ---- fields ----------------------------------------------------------------------

TField::TField(TDataSet& dataSet, const TFieldDef& def, int fieldNo)
    : dataSet_(dataSet), name_(def.name), type_(def.type), size_(def.size), fieldNo_(fieldNo) {}

int TField::DataSize() const { return FieldDataSize(type_, size_); }

int FieldDataSize(TFieldType type, int size) {
  switch (type) {
    case TFieldType::String: return size + 1;
    case TFieldType::Integer: return 4;
    case TFieldType::Float: return 8;
    case TFieldType::Date: return 8;
    case TFieldType::Boolean: return 2;
    case TFieldType::Memo: return 4;
  }
  return 0;
}

bool TField::GetData(void* dest) const { return dataSet_.GetFieldData(*this, dest); }

void TField::SetData(const void* source) { dataSet_.SetFieldData(*const_cast<TField*>(this), source); }

bool TField::IsNull() const {
  std::vector<std::uint8_t> b(static_cast<std::size_t>(DataSize()) + 1);
  return !GetData(b.data());
}

std::string TField::AsString() const {
  std::vector<std::uint8_t> b(static_cast<std::size_t>(DataSize()) + 1);
  if (!GetData(b.data())) return std::string();
  char text[64];
  switch (type_) {
    case TFieldType::String: {
      std::size_t n = std::min<std::size_t>(b[0], static_cast<std::size_t>(size_));
      return std::string(reinterpret_cast<const char*>(b.data() + 1), n);
    }
    case TFieldType::Integer:
    case TFieldType::Memo: {
      std::int32_t v;
      std::memcpy(&v, b.data(), 4);
      return std::to_string(v);
    }
    case TFieldType::Float: {
      double v;
      std::memcpy(&v, b.data(), 8);
      FormatC(text, sizeof text, "%.15g", v);
      return text;
    }
    case TFieldType::Date: {
      double v;
      std::memcpy(&v, b.data(), 8);
      if (v == 0) return std::string();
      int y, m, d;
      DayNumberToDate(static_cast<std::int32_t>(v), y, m, d);
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
      return text;
    }
    case TFieldType::Boolean: {
      bool on = b[0] != 0;
      std::string dv = DisplayValues;
      std::size_t semi = dv.find(';');
      if (semi != std::string::npos) return on ? dv.substr(0, semi) : dv.substr(semi + 1);
      return on ? "True" : "False";
    }
  }
  return std::string();
}

namespace {

std::string Trimmed(const std::string& s) {
  std::size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(a, e - a + 1);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

void TField::SetAsString(const std::string& text) {
  std::string t = Trimmed(text);
  switch (type_) {
    case TFieldType::String: {
      std::vector<std::uint8_t> b(static_cast<std::size_t>(size_) + 1, 0);
      std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size_));
      b[0] = static_cast<std::uint8_t>(n);
      std::memcpy(b.data() + 1, text.data(), n);
      SetData(b.data());
      return;
    }
    case TFieldType::Integer:
    case TFieldType::Memo: {
      if (t.empty()) {
        Clear();
        return;
      }
      char* end = nullptr;
      errno = 0;
      long v = std::strtol(t.c_str(), &end, 10);
      if (*end != '\0' || errno != 0 || v > INT32_MAX || v < INT32_MIN)
        throw EDatabaseError("'" + text + "' is not a valid integer value");
      SetAsInteger(static_cast<std::int32_t>(v));
      return;
    }
    case TFieldType::Float: {
      if (t.empty()) {
        Clear();
        return;
      }
      std::replace(t.begin(), t.end(), ',', '.');
      char* end = nullptr;
      double v = StrToDoubleC(t.c_str(), &end);
      if (*end != '\0' || !std::isfinite(v)) throw EDatabaseError("'" + text + "' is not a valid floating point value");
      SetAsFloat(v);
      return;
    }
    case TFieldType::Date: {
      if (t.empty()) {
        Clear();
        return;
      }
      int y = 0, m = 0, d = 0;
      if (std::sscanf(t.c_str(), "%d-%d-%d", &y, &m, &d) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
        throw EDatabaseError("'" + text + "' is not a valid date");
      double v = DayNumber(y, m, d);
      SetData(&v);
      return;
    }
    case TFieldType::Boolean: {
      std::string l = Lower(t);
      std::string dv = Lower(DisplayValues);
      std::size_t semi = dv.find(';');
      if (semi != std::string::npos) {
        if (l == dv.substr(0, semi)) return SetAsBoolean(true);
        if (l == dv.substr(semi + 1)) return SetAsBoolean(false);
      }
      if (l == "true" || l == "t" || l == "yes" || l == "y" || l == "1") return SetAsBoolean(true);
      if (l == "false" || l == "f" || l == "no" || l == "n" || l == "0" || l.empty()) return SetAsBoolean(false);
      throw EDatabaseError("'" + text + "' is not a valid boolean value");
    }
  }
}

std::int32_t TField::AsInteger() const {
  std::vector<std::uint8_t> b(static_cast<std::size_t>(DataSize()) + 1);
  if (!GetData(b.data())) return 0;
  switch (type_) {
    case TFieldType::Integer:
    case TFieldType::Memo: {
      std::int32_t v;
      std::memcpy(&v, b.data(), 4);
      return v;
    }
    case TFieldType::Float:
    case TFieldType::Date: {
      double v;
      std::memcpy(&v, b.data(), 8);
      if (!(v > INT32_MIN && v < INT32_MAX)) return 0;
      return static_cast<std::int32_t>(std::lround(v));
    }
    case TFieldType::Boolean: return b[0] ? 1 : 0;
    case TFieldType::String: {
      std::string s = Trimmed(AsString());
      char* end = nullptr;
      long v = std::strtol(s.c_str(), &end, 10);
      if (s.empty() || *end != '\0') throw EDatabaseError("'" + s + "' is not a valid integer value");
      return static_cast<std::int32_t>(std::clamp<long>(v, INT32_MIN, INT32_MAX));
    }
  }
  return 0;
}

void TField::SetAsInteger(std::int32_t v) {
  switch (type_) {
    case TFieldType::Integer:
    case TFieldType::Memo: SetData(&v); return;
    case TFieldType::Float:
    case TFieldType::Date: {
      double d = v;
      SetData(&d);
      return;
    }
    case TFieldType::Boolean: SetAsBoolean(v != 0); return;
    case TFieldType::String: SetAsString(std::to_string(v)); return;
  }
}

double TField::AsFloat() const {
  if (type_ == TFieldType::Float || type_ == TFieldType::Date) {
    double v = 0;
    if (!GetData(&v)) return 0;
    return v;
  }
  if (type_ == TFieldType::String) {
    std::string s = Trimmed(AsString());
    std::replace(s.begin(), s.end(), ',', '.');
    char* end = nullptr;
    double v = StrToDoubleC(s.c_str(), &end);
    if (s.empty() || *end != '\0') throw EDatabaseError("'" + s + "' is not a valid floating point value");
    return v;
  }
  return AsInteger();
}

void TField::SetAsFloat(double v) {
  switch (type_) {
    case TFieldType::Float:
    case TFieldType::Date: SetData(&v); return;
    case TFieldType::Integer:
    case TFieldType::Memo:
    case TFieldType::Boolean: {
      if (!(v > INT32_MIN && v < INT32_MAX)) throw ValueOutOfRange(name_);
      SetAsInteger(static_cast<std::int32_t>(std::lround(v)));
      return;
    }
    case TFieldType::String: {
      char text[64];
      FormatC(text, sizeof text, "%.15g", v);
      SetAsString(text);
      return;
    }
  }
}

bool TField::AsBoolean() const {
  if (type_ == TFieldType::Boolean) {
    std::uint8_t b[2] = {0, 0};
    if (!GetData(b)) return false;
    return b[0] != 0;
  }
  if (type_ == TFieldType::String) {
    std::string l = Lower(Trimmed(AsString()));
    return l == "true" || l == "t" || l == "yes" || l == "y" || l == "1";
  }
  return AsInteger() != 0;
}

void TField::SetAsBoolean(bool v) {
  if (type_ == TFieldType::Boolean) {
    std::uint8_t b[2] = {static_cast<std::uint8_t>(v ? 1 : 0), 0};
    SetData(b);
    return;
  }
  if (type_ == TFieldType::String) {
    SetAsString(v ? "T" : "F");
    return;
  }
  SetAsInteger(v ? 1 : 0);
}

std::string TMemoField::AsString() const { return dataSet_.GetMemoText(*this); }

void TMemoField::SetAsString(const std::string& text) { dataSet_.SetMemoText(*this, text); }

// ---- dataset ------------------------------------------------------------------------

TDataSet::TDataSet(std::string name) : name_(std::move(name)) {}

TDataSet::~TDataSet() {
  std::vector<TDataSource*> copy = sources_;
  for (TDataSource* s : copy) s->SetDataSet(nullptr);
}

void TDataSet::CheckActive() const {
  if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckBrowseState() const {
  CheckActive();
}

bool TDataSet::IsEmpty() const {
  return !Active() || (bof_ && eof_ && state_ != TDataSetState::Insert);
}

void TDataSet::SetState(TDataSetState s) {
  if (state_ == s) return;
  state_ = s;
  DataEvent(TDataEvent::UpdateState);
}

void TDataSet::SetActive(bool on) {
  if (on == Active()) return;
  if (on) {
    if (BeforeOpen) BeforeOpen(*this);
    try {
      OpenCursor();
    } catch (...) {
      try {
        CloseCursor();
      } catch (...) {
      }
      state_ = TDataSetState::Inactive;
      throw;
    }
    state_ = TDataSetState::Browse;
    RefetchFromStart();
    DoAfterOpen();
    DataEvent(TDataEvent::DataSetChange);
  } else {
    if (BeforeClose) BeforeClose(*this);
    DoBeforeClose();
    state_ = TDataSetState::Inactive;
    // A close that fails (a save on a full disk) still closes; its error
    // reaches the caller once everything is closed.
    std::exception_ptr failure;
    try {
      CloseCursor();
    } catch (...) {
      failure = std::current_exception();
    }
    bof_ = eof_ = true;
    savedValid_ = false;
    modified_ = false;
    if (AfterClose) AfterClose(*this);
    DataEvent(TDataEvent::DataSetChange);
    if (failure) std::rethrow_exception(failure);
  }
}

void TDataSet::DoAfterOpen() {
  if (AfterOpen) AfterOpen(*this);
}

void TDataSet::OpenCursor() {
  InternalOpen();
  fieldDefs_.clear();
  InternalInitFieldDefs();
  CreateFields();
  active_.assign(BufferSize(), 0);
  InternalFirst();
}

void TDataSet::CloseCursor() {
  std::exception_ptr failure;
  try {
    if (IsCursorOpen()) InternalClose();
  } catch (...) {
    failure = std::current_exception();
  }
  fields_.clear();
  active_.clear();
  saved_.clear();
  if (failure) std::rethrow_exception(failure);
}

void TDataSet::CreateFields() {
  fields_.clear();
  int no = 1;
  for (const TFieldDef& d : fieldDefs_) fields_.push_back(CreateField(d, no++));
  int offset = 0;
  for (const TFieldDef& d : calcFieldDefs_) {
    fields_.push_back(CreateField(d, -1));
    fields_.back()->SetCalcOffset(offset);
    offset += 1 + fields_.back()->DataSize();
  }
}

void TDataSet::AddCalcField(const std::string& name, TFieldType type, int size) {
  if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
  TFieldDef d;
  d.name = name;
  d.type = type;
  d.size = size;
  d.calculated = true;
  calcFieldDefs_.push_back(d);
}

std::size_t TDataSet::CalcFieldsSize() const {
  std::size_t size = 0;
  for (const TFieldDef& d : calcFieldDefs_) size += 1 + static_cast<std::size_t>(FieldDataSize(d.type, d.size));
  return size;
}

void TDataSet::GetCalcFields(RecordBuffer& buffer) {
  if (calcFieldDefs_.empty()) return;
  const TDataSetState saved = state_;
  RecordBuffer* savedBuffer = calcBuffer_;
  state_ = TDataSetState::CalcFields;
  calcBuffer_ = &buffer;
  struct Restore {
    TDataSet& ds;
    TDataSetState state;
    RecordBuffer* buffer;
    ~Restore() {
      ds.state_ = state;
      ds.calcBuffer_ = buffer;
    }
  } restore{*this, saved, savedBuffer};
  for (const auto& f : fields_)
    if (f->Calculated()) SetFieldDataIn(buffer, *f, nullptr);
  if (OnCalcFields) OnCalcFields(*this);
}

void TDataSet::CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent) {
  for (;;) {
    try {
      operation();
      return;
    } catch (EAbort&) {
      throw;
    } catch (EDatabaseError& e) {
      TDataAction action = TDataAction::daFail;
      if (errorEvent) errorEvent(*this, e, action);
      if (action == TDataAction::daFail) throw;
      if (action == TDataAction::daAbort) throw EAbort();
    }
  }
}

std::unique_ptr<TField> TDataSet::CreateField(const TFieldDef& def, int fieldNo) {
  switch (def.type) {
    case TFieldType::String: return std::make_unique<TStringField>(*this, def, fieldNo);
    case TFieldType::Integer: return std::make_unique<TIntegerField>(*this, def, fieldNo);
    case TFieldType::Float: return std::make_unique<TFloatField>(*this, def, fieldNo);
    case TFieldType::Date: return std::make_unique<TDateField>(*this, def, fieldNo);
    case TFieldType::Boolean: return std::make_unique<TBooleanField>(*this, def, fieldNo);
    case TFieldType::Memo: return std::make_unique<TMemoField>(*this, def, fieldNo);
  }
  return std::make_unique<TField>(*this, def, fieldNo);
}

void TDataSet::ClearActiveBuffer() { std::fill(active_.begin(), active_.end(), 0); }

bool TDataSet::ReadCurrent() { return GetRecord(active_, TGetMode::Current, false) == TGetResult::Ok; }

void TDataSet::RefetchFromStart() {
  if (active_.size() != BufferSize()) active_.assign(BufferSize(), 0);
  if (GetRecord(active_, TGetMode::Next, true) == TGetResult::Ok) {
    bof_ = true;
    eof_ = false;
  } else {
    ClearActiveBuffer();
    SetBookmarkFlag(active_, TBookmarkFlag::Eof);
    bof_ = eof_ = true;
  }
}

void TDataSet::RefetchAround() {
  if (active_.size() != BufferSize()) active_.assign(BufferSize(), 0);
  bof_ = eof_ = false;
  if (ReadCurrent()) return;
  if (GetRecord(active_, TGetMode::Next, true) == TGetResult::Ok) return;
  if (GetRecord(active_, TGetMode::Prior, true) == TGetResult::Ok) {
    eof_ = true;
    return;
  }
  ClearActiveBuffer();
  SetBookmarkFlag(active_, TBookmarkFlag::Eof);
  bof_ = eof_ = true;
}

void TDataSet::FireScroll() {
  if (AfterScroll) AfterScroll(*this);
}

void TDataSet::First() {
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  InternalFirst();
  RefetchFromStart();
  FireScroll();
  DataEvent(TDataEvent::DataSetScroll);
}

void TDataSet::Last() {
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  InternalLast();
  if (GetRecord(active_, TGetMode::Prior, true) == TGetResult::Ok) {
    eof_ = true;
    bof_ = false;
  } else {
    ClearActiveBuffer();
    bof_ = eof_ = true;
  }
  FireScroll();
  DataEvent(TDataEvent::DataSetScroll);
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  if (distance == 0 || IsEmpty()) return 0;
  if (BeforeScroll) BeforeScroll(*this);
  UpdateCursorPos();
  RecordBuffer temp(BufferSize(), 0);
  int moved = 0;
  TGetMode mode = distance > 0 ? TGetMode::Next : TGetMode::Prior;
  int want = distance > 0 ? distance : -distance;
  while (moved < want) {
    TGetResult r = GetRecord(temp, mode, true);
    if (r != TGetResult::Ok) {
      if (distance > 0) eof_ = true;
      else bof_ = true;
      break;
    }
    active_ = temp;
    bof_ = eof_ = false;
    ++moved;
  }
  FireScroll();
  DataEvent(TDataEvent::DataSetScroll);
  return distance > 0 ? moved : -moved;
}

void TDataSet::SetRecNo(int) {}

int TDataSet::RecordCount() {
  CheckActive();
  return GetRecordCountInternal();
}

void TDataSet::UpdateCursorPos() {
  if (!Active() || active_.empty()) return;
  if (GetBookmarkFlag(active_) != TBookmarkFlag::Current) return;
  if (bof_ && eof_) return;
  InternalSetToRecord(active_);
}

void TDataSet::Resync() {
  CheckActive();
  UpdateCursorPos();
  RefetchAround();
  DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  Resync();
}

void TDataSet::Edit() {
  if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) return;
  CheckActive();
  if (!CanModify()) throw EDatabaseError("Cannot modify a read-only dataset");
  if (IsEmpty()) {
    Append();
    return;
  }
  if (BeforeEdit) BeforeEdit(*this);
  CheckOperation([this] {
    UpdateCursorPos();
    ReadCurrent();
  }, OnEditError);
  saved_ = active_;
  savedValid_ = true;
  modified_ = false;
  SetState(TDataSetState::Edit);
  if (AfterEdit) AfterEdit(*this);
  DataEvent(TDataEvent::RecordChange);
}

void TDataSet::Insert() {
  CheckBrowseMode();
  CheckActive();
  if (!CanModify()) throw EDatabaseError("Cannot modify a read-only dataset");
  if (BeforeInsert) BeforeInsert(*this);
  saved_ = active_;
  savedValid_ = true;
  ClearActiveBuffer();
  InternalInitRecord(active_);
  SetBookmarkFlag(active_, TBookmarkFlag::Inserted);
  modified_ = false;
  SetState(TDataSetState::Insert);
  if (OnNewRecord) OnNewRecord(*this);
  if (AfterInsert) AfterInsert(*this);
  DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::Append() {
  Insert();
  SetBookmarkFlag(active_, TBookmarkFlag::Eof);
}

void TDataSet::Post() {
  if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert) return;
  if (BeforePost) BeforePost(*this);
  CheckOperation([this] {
    if (state_ == TDataSetState::Edit) UpdateCursorPos();
    InternalPost();  // an exception keeps the edit
  }, OnPostError);
  savedValid_ = false;
  modified_ = false;
  state_ = TDataSetState::Browse;
  RefetchAround();
  DataEvent(TDataEvent::UpdateState);
  if (AfterPost) AfterPost(*this);
  DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::Cancel() {
  if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert) return;
  if (BeforeCancel) BeforeCancel(*this);
  InternalCancel();
  bool wasInsert = state_ == TDataSetState::Insert;
  if (savedValid_) active_ = saved_;
  savedValid_ = false;
  modified_ = false;
  state_ = TDataSetState::Browse;
  if (wasInsert) {
    UpdateCursorPos();
    RefetchAround();
  }
  DataEvent(TDataEvent::UpdateState);
  if (AfterCancel) AfterCancel(*this);
  DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == TDataSetState::Insert) {
    Cancel();
    return;
  }
  if (IsEmpty()) throw EDatabaseError("Cannot perform this operation on an empty dataset");
  CheckBrowseMode();
  if (BeforeDelete) BeforeDelete(*this);
  CheckOperation([this] {
    UpdateCursorPos();
    InternalDelete();
  }, OnDeleteError);
  SetState(TDataSetState::Browse);
  RefetchAround();
  if (AfterDelete) AfterDelete(*this);
  DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) {
    if (modified_) Post();
    else Cancel();
  }
}

Bookmark TDataSet::GetBookmark() const {
  if (!Active() || IsEmpty() || GetBookmarkFlag(active_) != TBookmarkFlag::Current) return {};
  return GetBookmarkData(active_);
}

void TDataSet::GotoBookmark(const Bookmark& bm) {
  if (bm.empty()) return;
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  InternalGotoBookmark(bm);
  RefetchAround();
  FireScroll();
  DataEvent(TDataEvent::DataSetScroll);
}

bool TDataSet::BookmarkValid(const Bookmark& bm) { return !bm.empty(); }

int TDataSet::CompareBookmarks(const Bookmark* a, const Bookmark* b) {
  if (!a && !b) return 0;
  if (!a) return 1;
  if (!b) return -1;
  return 0;
}

void TDataSet::CollectBookmarks(std::vector<Bookmark>& bookmarks) {
  bookmarks.clear();
  if (!Active()) return;
  InternalFirst();
  RecordBuffer temp(BufferSize(), 0);
  while (GetRecord(temp, TGetMode::Next, false) == TGetResult::Ok) bookmarks.push_back(GetBookmarkData(temp));
  UpdateCursorPos();
}

bool TDataSet::ReadRecordAt(const Bookmark& bm, RecordBuffer& buffer) {
  if (!Active() || bm.empty()) return false;
  buffer.assign(BufferSize(), 0);
  InternalGotoBookmark(bm);
  bool ok = GetRecord(buffer, TGetMode::Current, false) == TGetResult::Ok;
  UpdateCursorPos();
  return ok;
}

bool TDataSet::GetFieldData(const TField& field, void* dest) const {
  if (!Active()) return false;
  const RecordBuffer* b = state_ == TDataSetState::CalcFields && calcBuffer_ ? calcBuffer_ : readBuffer_;
  if (!b) {
    if (IsEmpty()) return false;
    b = &active_;
  }
  return GetFieldDataFrom(*b, field, dest);
}

void TDataSet::SetFieldData(TField& field, const void* source) {
  switch (state_) {
    case TDataSetState::Edit:
    case TDataSetState::Insert:
    case TDataSetState::SetKey:
    case TDataSetState::CalcFields:
    case TDataSetState::Filter:
    case TDataSetState::NewValue: break;
    default: throw EDatabaseError("Dataset not in edit or insert mode");
  }
  if (field.ReadOnly && state_ != TDataSetState::SetKey && state_ != TDataSetState::Filter)
    throw EDatabaseError("Field '" + field.FieldName() + "' cannot be modified");
  if (state_ == TDataSetState::CalcFields && calcBuffer_) {
    SetFieldDataIn(*calcBuffer_, field, source);
    return;
  }
  SetFieldDataIn(active_, field, source);
  if (field.Calculated()) return;
  modified_ = true;
  // The calculated fields follow the edited record.
  if (AutoCalcFields && (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert)) GetCalcFields(active_);
  if (state_ != TDataSetState::Filter) DataEvent(TDataEvent::FieldChange, &field);
}

std::string TDataSet::GetMemoText(const TField&) const { return std::string(); }

void TDataSet::SetMemoText(TField& field, const std::string&) {
  throw EDatabaseError("Field '" + field.FieldName() + "' cannot be modified");
}

TField* TDataSet::FindField(const std::string& name) const {
  std::string want = Lower(Trimmed(name));
  for (const auto& f : fields_)
    if (Lower(f->FieldName()) == want) return f.get();
  return nullptr;
}

TField& TDataSet::FieldByName(const std::string& name) const {
  TField* f = FindField(name);
  if (!f) throw EDatabaseError(name_ + ": Field '" + name + "' not found");
  return *f;
}

void TDataSet::EnableControls() {
  if (disableCount_ > 0 && --disableCount_ == 0) DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::DataEvent(TDataEvent event, const TField*) {
  if (disableCount_ > 0) return;
  std::vector<TDataSource*> copy = sources_;
  for (TDataSource* s : copy) s->Notify(event);
}

void TDataSet::AddDataSource(TDataSource* source) {
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) sources_.push_back(source);
}

void TDataSet::RemoveDataSource(TDataSource* source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

// ---- a row as the active record ---------------------------------------------------------

TActiveRecordScope::TActiveRecordScope(TDataSet& dataSet, const RecordBuffer& buffer)
    : dataSet_(dataSet), kept_(buffer), keptRead_(dataSet.readBuffer_), bof_(dataSet.bof_), eof_(dataSet.eof_) {
  dataSet_.active_.swap(kept_);
  dataSet_.readBuffer_ = nullptr;
  dataSet_.bof_ = dataSet_.eof_ = false;
}

TActiveRecordScope::~TActiveRecordScope() {
  dataSet_.active_.swap(kept_);
  dataSet_.readBuffer_ = keptRead_;
  dataSet_.bof_ = bof_;
  dataSet_.eof_ = eof_;
}

// ---- data source -----------------------------------------------------------------------

TDataSource::~TDataSource() {
  if (dataSet_) dataSet_->RemoveDataSource(this);
}

void TDataSource::SetDataSet(TDataSet* ds) {
  if (dataSet_ == ds) return;
  if (dataSet_) dataSet_->RemoveDataSource(this);
  dataSet_ = ds;
  if (dataSet_) dataSet_->AddDataSource(this);
  Notify(TDataEvent::DataSetChange);
}

int TDataSource::Subscribe(std::function<void(TDataEvent)> listener) {
  listeners_.emplace_back(nextId_, std::move(listener));
  return nextId_++;
}

void TDataSource::Unsubscribe(int id) {
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                  [id](const auto& l) { return l.first == id; }),
                   listeners_.end());
}

void TDataSource::Notify(TDataEvent event) {
  auto copy = listeners_;
  for (auto& l : copy) l.second(event);
}

}  // namespace platform
