// The primitive dataset over record buffers, and the field classes of dates and numbers.
#include "dbf/datasets.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dbf/datasets_internal.h"
#include "dbf/runtime.h"
#include "platform/c_numbers.h"

// ---- primitive dataset ------------------------------------------------------------------

std::string TTzPrimDataset::ErrorText(std::int32_t code) { return std::to_string(code); }

void TTzPrimDataset::CheckError(std::int32_t code) {
  if (code == 0) return;
  if (code == kTzOpenFailed || code == kTzAtBegin || code == kTzAtEnd)
    throw platform::EDatabaseError("Dataset error: " + std::to_string(code));
  if (code == kTzNoTableName) throw platform::EDatabaseError("Missing DbfFilename property");
  if (code == kTzLockFailed) throw platform::EAbort();
  throw platform::EDatabaseError("Dataset error: " + ErrorText(code));
}

void TTzPrimDataset::ComputeOffsets() const {
  std::size_t blobs = 0;
  for (const auto& d : fieldDefs_)
    if (d.type == TFieldType::Memo) ++blobs;
  std::size_t info = nativeSize_ + CalcFieldsSize();
  recInfoOffset_ = info + 4 * blobs;
  bookmarkOffset_ = recInfoOffset_ + 6;
  bufferSize_ = bookmarkOffset_ + bookmarkSize_;
}

std::size_t TTzPrimDataset::BufferSize() const {
  ComputeOffsets();
  return bufferSize_;
}

void TTzPrimDataset::InternalOpen() {
  CheckError(TziOpen());
  open_ = true;
  nativeSize_ = TziGetRecordSize();
  sequenced_ = TziGetCursorKind() == 2;
  bookmarkSize_ = TziGetBookmarkSize();
}

void TTzPrimDataset::InternalClose() {
  if (!open_) return;
  open_ = false;
  sequenced_ = false;
  TziClose();
}

std::int32_t TTzPrimDataset::RecordNumberOf(const RecordBuffer& buffer) const {
  ComputeOffsets();
  if (buffer.size() < bufferSize_) return 0;
  return GetI32(buffer.data() + recInfoOffset_);
}

TGetResult TTzPrimDataset::GetRecord(RecordBuffer& buffer, TGetMode mode, bool doCheck) {
  ComputeOffsets();
  if (buffer.size() < bufferSize_) buffer.assign(bufferSize_, 0);
  std::int32_t recNo = 0;
  std::int32_t code;
  switch (mode) {
    case TGetMode::Current: code = TziGetRecord(buffer.data(), recNo); break;
    case TGetMode::Next: code = TziGetNextRecord(buffer.data(), recNo); break;
    default: code = TziGetPriorRecord(buffer.data(), recNo); break;
  }
  if (code == 0) {
    buffer[recInfoOffset_ + 5] = 0;
    PutI32(buffer.data() + recInfoOffset_, recNo);
    TziSetToBookmark(buffer.data() + bookmarkOffset_);
    GetCalcFields(buffer);
    return TGetResult::Ok;
  }
  if (code == kTzAtBegin) return TGetResult::Bof;
  if (code == kTzAtEnd) return TGetResult::Eof;
  if (doCheck) CheckError(code);
  return TGetResult::Error;
}

void TTzPrimDataset::InternalFirst() { CheckError(TziSetToBegin()); }
void TTzPrimDataset::InternalLast() { CheckError(TziSetToEnd()); }

void TTzPrimDataset::InternalInitRecord(RecordBuffer& buffer) {
  std::fill(buffer.begin(), buffer.end(), 0);
  TziInitRecord(buffer.data());
}

void TTzPrimDataset::InternalAddRecord(RecordBuffer& buffer, bool append) {
  CheckError(append ? TziAppendRecord(buffer.data()) : TziInsertRecord(buffer.data()));
}

void TTzPrimDataset::InternalPost() {
  if (State() == TDataSetState::Insert) {
    // An appended record (not an inserted one) is added at the end.
    if (GetBookmarkFlag(ActiveBuffer()) == TBookmarkFlag::Eof) CheckError(TziSetToEnd());
    CheckError(TziAppendRecord(ActiveBuffer().data()));
  }
  else CheckError(TziUpdateRecord(ActiveBuffer().data()));
}

void TTzPrimDataset::InternalDelete() { CheckError(TziDeleteRecord()); }

void TTzPrimDataset::InternalGotoBookmark(const Bookmark& bm) {
  if (bm.size() < 4) return;
  CheckError(TziGotoBookmark(bm.data()));
}

void TTzPrimDataset::InternalSetToRecord(const RecordBuffer& buffer) {
  ComputeOffsets();
  if (buffer.size() < bufferSize_) return;
  CheckError(TziGotoBookmark(buffer.data() + bookmarkOffset_));
}

Bookmark TTzPrimDataset::GetBookmarkData(const RecordBuffer& buffer) const {
  ComputeOffsets();
  if (buffer.size() < bufferSize_) return {};
  return Bookmark(buffer.begin() + static_cast<std::ptrdiff_t>(bookmarkOffset_),
                  buffer.begin() + static_cast<std::ptrdiff_t>(bookmarkOffset_ + bookmarkSize_));
}

void TTzPrimDataset::SetBookmarkData(RecordBuffer& buffer, const Bookmark& bm) {
  ComputeOffsets();
  if (buffer.size() < bufferSize_) return;
  std::copy_n(bm.begin(), std::min<std::size_t>(bm.size(), bookmarkSize_),
              buffer.begin() + static_cast<std::ptrdiff_t>(bookmarkOffset_));
}

TBookmarkFlag TTzPrimDataset::GetBookmarkFlag(const RecordBuffer& buffer) const {
  ComputeOffsets();
  if (buffer.size() < bufferSize_) return TBookmarkFlag::Eof;
  return static_cast<TBookmarkFlag>(buffer[recInfoOffset_ + 5]);
}

void TTzPrimDataset::SetBookmarkFlag(RecordBuffer& buffer, TBookmarkFlag flag) {
  ComputeOffsets();
  if (buffer.size() < bufferSize_) return;
  buffer[recInfoOffset_ + 5] = static_cast<std::uint8_t>(flag);
}

// A calculated field's slot follows the native record: a has-value byte,
// then the value.
bool TTzPrimDataset::GetFieldDataFrom(const RecordBuffer& buffer, const TField& field, void* dest) const {
  if (field.Calculated()) {
    const std::size_t at = nativeSize_ + static_cast<std::size_t>(field.CalcOffset());
    const std::size_t size = static_cast<std::size_t>(field.DataSize());
    if (buffer.size() < at + 1 + size || buffer[at] == 0) return false;
    std::memcpy(dest, buffer.data() + at + 1, size);
    return true;
  }
  if (field.FieldNo() < 1 || buffer.size() < nativeSize_) return false;
  bool blank = false;
  auto* self = const_cast<TTzPrimDataset*>(this);
  self->CheckError(self->TziGetField(field, buffer.data(), blank, dest));
  return !blank;
}

void TTzPrimDataset::SetFieldDataIn(RecordBuffer& buffer, TField& field, const void* source) {
  if (field.Calculated()) {
    const std::size_t at = nativeSize_ + static_cast<std::size_t>(field.CalcOffset());
    const std::size_t size = static_cast<std::size_t>(field.DataSize());
    if (buffer.size() < at + 1 + size) return;
    buffer[at] = source ? 1 : 0;
    if (source) std::memcpy(buffer.data() + at + 1, source, size);
    else std::fill_n(buffer.begin() + static_cast<std::ptrdiff_t>(at + 1), size, 0);
    return;
  }
  if (field.FieldNo() < 1) return;
  CheckError(TziSetField(field, buffer.data(), source));
}

int TTzPrimDataset::GetRecNo() const {
  if (State() == TDataSetState::CalcFields && CalcBuffer()) return RecordNumberOf(*CalcBuffer());
  return RecordNumberOf(ActiveBuffer());
}

int TTzPrimDataset::RecNo() const {
  if (!Active()) return 0;
  return GetRecNo();
}

int TTzPrimDataset::GetRecordCountInternal() { return TziGetRecordCount(); }

int TTzPrimDataset::RecordCount() {
  CheckActive();
  return TziGetRecordCount();
}

std::int32_t TTzPrimDataset::SetRecNoCode(std::int32_t n) {
  CheckBrowseMode();
  if (n == RecNo()) return 0;
  std::int32_t code = TziGotoRecord(n);
  if (code == 0) {
    RefetchAround();
    FireScroll();
    DataEvent(platform::TDataEvent::DataSetScroll);
  }
  return code;
}

bool TTzPrimDataset::BookmarkValid(const Bookmark& bm) {
  if (!open_ || bm.size() < 4) return false;
  bool ok = TziGotoBookmark(bm.data()) == 0;
  if (ok) {
    std::int32_t recNo = 0;
    ok = TziGetRecord(nullptr, recNo) == 0;
  }
  UpdateCursorPos();
  return ok;
}

int TTzPrimDataset::CompareBookmarks(const Bookmark* a, const Bookmark* b) {
  const Bookmark* x = a && !a->empty() ? a : nullptr;
  const Bookmark* y = b && !b->empty() ? b : nullptr;
  if (!x || !y) return TDataSet::CompareBookmarks(x, y);
  if (!open_ || x->size() < 4 || y->size() < 4) return 0;
  int result = 0;
  TziCompareBookmarks(x->data(), y->data(), result);
  return result;
}

bool TTzPrimDataset::GetCurrentRecord(RecordBuffer& buffer) {
  if (IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != TBookmarkFlag::Current) return false;
  UpdateCursorPos();
  buffer.assign(BufferSize(), 0);
  std::int32_t recNo = 0;
  return TziGetRecord(buffer.data(), recNo) == 0;
}

bool TTzPrimDataset::Locate(const std::string& keyFields, const std::vector<std::string>& values,
                            TLocateOptions options) {
  CheckBrowseMode();
  if (!TziLocate(keyFields, values, options)) return false;
  RefetchAround();
  FireScroll();
  DataEvent(platform::TDataEvent::DataSetScroll);
  return true;
}

bool TTzPrimDataset::Lookup(const std::string& keyFields, const std::vector<std::string>& values,
                            const std::string& resultFields, std::vector<std::string>& results) {
  CheckActive();
  return TziLookup(keyFields, values, resultFields, results);
}

bool TTzPrimDataset::FindRecord(bool restart, bool forward) {
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  if (restart) CheckError(forward ? TziSetToBegin() : TziSetToEnd());
  else UpdateCursorPos();
  std::int32_t recNo = 0;
  std::int32_t code = forward ? TziGetNextRecord(nullptr, recNo) : TziGetPriorRecord(nullptr, recNo);
  if (code != 0) {
    UpdateCursorPos();
    return false;
  }
  RefetchAround();
  FireScroll();
  DataEvent(platform::TDataEvent::DataSetScroll);
  return true;
}

// ---- field classes ------------------------------------------------------------------------

std::string datasets::DayNumberToNational(double day) {
  if (day <= 0) return std::string();
  int y, m, d;
  platform::DayNumberToDate(static_cast<std::int32_t>(day), y, m, d);
  char s[16];
  std::snprintf(s, sizeof s, "%04d%02d%02d", y, m, d);
  return STOD(s);
}

namespace {

// 0 when the text is not a valid date.
double NationalToDayNumber(std::string text) {
  if (AllTrim(text).empty() || !ValidDate(text)) return 0;
  std::string s = DTOS(text);
  if (s.size() != 8) return 0;
  int y = std::atoi(s.substr(0, 4).c_str());
  int m = std::atoi(s.substr(4, 2).c_str());
  int d = std::atoi(s.substr(6, 2).c_str());
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31) return 0;
  return platform::DayNumber(y, m, d);
}

}  // namespace

std::string TTzDateField::AsString() const {
  double v = 0;
  if (!GetData(&v)) return std::string();
  return datasets::DayNumberToNational(v);
}

void TTzDateField::SetAsString(const std::string& text) {
  if (AllTrim(text).empty() || text == EmptyDate(TzDateFormat)) {
    Clear();
    return;
  }
  double v = NationalToDayNumber(text);
  if (v == 0) throw platform::EDatabaseError("'" + text + "' is not a valid date");
  SetData(&v);
}

std::string TTzFloatField::AsString() const {
  double v = 0;
  if (!GetData(&v)) return std::string();
  char text[64];
  // Shown with the table field's decimals.
  int decimals = -1;
  if (auto* ds = dynamic_cast<const TTzDataSet*>(&DataSet());
      ds && FieldNo() >= 1 && FieldNo() <= ds->FieldProps().Count())
    decimals = ds->FieldProps().Decimals(FieldNo());
  if (decimals >= 0 && decimals <= 18) return ShownNumberText(v, decimals);
  platform::FormatC(text, sizeof text, "%.15g", v);
  std::string s = text;
  if (TzDecimalSep != '.') std::replace(s.begin(), s.end(), '.', TzDecimalSep);
  return s;
}

std::string ShownNumberText(long double value, int decimals) {
  std::string s = RoundedNumberText(value, decimals);
  if (TzDecimalSep != '.') std::replace(s.begin(), s.end(), '.', TzDecimalSep);
  return s;
}

