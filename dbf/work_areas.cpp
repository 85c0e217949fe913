#include "dbf/work_areas.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/locks.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"

std::array<std::unique_ptr<TDbfWorkArea>, kMaxWorkAreas + 1> WorkAreas;
std::uint8_t SelectedArea = 0;
bool NetworkMode = true;
unsigned ShareFileMode = 66;
unsigned OpenModeOverride = 65535;
bool AnsiTables = false;
std::int32_t (*SkipProcedure)(std::int32_t) = nullptr;
bool ConfirmPack = false;
bool IndexKeysOnReplace = true;
bool Packing = false;
char NoLetter = 'N';
char YesLetter = 'Y';
TIndexHooks IndexHooks;
bool IndexLinked = false;
TExprHooks ExprHooks;
bool ParserLinked = false;
TMemoHooks MemoHooks;
TVFileHooks VFileHook = nullptr;

namespace {

TDbfTranslator NextWriteTranslator = nullptr;
TDbfTranslator NextReadTranslator = nullptr;
const char kQuote = '"';

}  // namespace

void InitWorkAreas() {
  for (auto& slot : WorkAreas) {
    if (slot && slot->file != platform::kNoFile) platform::CloseFile(slot->file);
    slot.reset();
  }
  SelectedArea = 1;
  NetworkMode = true;
  ShareFileMode = 66;
  OpenModeOverride = 65535;
  AnsiTables = false;
  SkipProcedure = nullptr;
  ConfirmPack = false;
  IndexKeysOnReplace = true;
  Packing = false;
  NoLetter = 'N';
  YesLetter = 'Y';
  IndexHooks = TIndexHooks{};
  IndexLinked = false;
  ExprHooks = TExprHooks{};
  ParserLinked = false;
  MemoHooks = TMemoHooks{};
  VFileHook = nullptr;
  NextWriteTranslator = NextReadTranslator = nullptr;
}

// ---- helpers -------------------------------------------------------------

TDbfWorkArea* SelectedWorkArea() {
  if (SelectedArea < 1 || SelectedArea > kMaxWorkAreas) return nullptr;
  return WorkAreas[SelectedArea].get();
}

namespace {

bool IndexActive() { return IndexLinked && IndexHooks.IsActive && IndexHooks.IsActive(); }

void CallIndex(void (*hook)()) {
  if (hook) hook();
}

void ReadSemaphore(bool on) {
  if (IndexHooks.SetReadSemaphore) IndexHooks.SetReadSemaphore(on);
}

void LockSemaphore(bool on) {
  if (IndexHooks.SetLockSemaphore) IndexHooks.SetLockSemaphore(on);
}

std::string Quoted(const std::string& s) { return kQuote + s + kQuote; }

void CallVFile(TDbfWorkArea& wa, std::uint8_t op, std::int32_t n) {
  wa.virtualOperation = op;
  wa.virtualRecordNumber = n;
  if (VFileHook) VFileHook(wa);
  else DederError(1101, "[" + wa.alias.str() + "]");
}

// Reads record n into the buffer and the typed record.
void ReadRecord(TDbfWorkArea& wa, std::int32_t n) {
  if (wa.isVirtual) {
    wa.endFlag = wa.beginFlag = false;
    CallVFile(wa, kVfRead, n);
    if (TzLastError == 0) wa.recordNumber = n;
    return;
  }
  GetDbfRecord(wa, n);
  if (TzLastError == 0) LoadTypedRecord(wa);
}

void BlankRecord(TDbfWorkArea& wa) {
  // A virtual table has no text record: its typed record is blanked as zeros.
  if (wa.isVirtual) {
    if (wa.typedRecord && wa.typedRecordSize) std::memset(wa.typedRecord, 0, wa.typedRecordSize);
    return;
  }
  std::fill(wa.recordBuffer.begin(), wa.recordBuffer.end(), ' ');
  LoadTypedRecord(wa);
}

// Position after the last record.
void PlaceAfterEnd(TDbfWorkArea& wa) {
  wa.recordNumber = wa.recordCount + 1;
  wa.endFlag = true;
  BlankRecord(wa);
}

bool IsVisible(TDbfWorkArea& wa) {
  if (wa.ignoreDeleted) {
    char flag = wa.recordBuffer.empty() ? ' ' : wa.recordBuffer[0];
    if (wa.isVirtual) {
      if (wa.typedRecord && wa.typedRecord[0] != 0) return false;
    } else if (flag == '*') {
      return false;
    }
  }
  std::uint8_t selected = SelectedArea;
  bool show = true;
  if (wa.filterCallback) {
    show = wa.filterCallback();
  } else if (wa.filterExpression && ExprHooks.Evaluate) {
    show = ExprHooks.Evaluate(wa.filterExpression).logical;
  }
  SelectedArea = selected;
  return show;
}

bool WhileHolds(TDbfWorkArea& wa) {
  if (wa.whileExpression && ExprHooks.Evaluate) return ExprHooks.Evaluate(wa.whileExpression).logical;
  if (wa.whileCallback) return wa.whileCallback();
  return true;
}

void RunRelation(TDbfWorkArea& wa) {
  TRelationProc proc = wa.relationCallback;
  if (!proc) return;
  wa.relationCallback = nullptr;
  std::uint8_t selected = SelectedArea;
  bool* found = IndexHooks.FoundFlag ? IndexHooks.FoundFlag() : nullptr;
  bool savedFound = found ? *found : false;
  std::int32_t recno = wa.recordNumber;
  proc();
  SelectedArea = selected;
  if (found) *found = savedFound;
  wa.relationCallback = proc;
  if (TzLastError == 0 && wa.recordNumber != recno) TzLastError = 224;
  if (TzLastError != 0) DederError(TzLastError, wa.fileName);
}

}  // namespace

bool IsRecordVisible() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa && IsVisible(*wa);
}

namespace {

void DispatchIfError() {
  if (TzLastError != 0 && TzErrorDispatchOn) DispatchTzError();
}

// Parses the text of an N or F field; the decimal point is always ".".
double FieldNumber(const char* p, std::size_t n) {
  std::size_t i = 0;
  while (i < n && (p[i] == ' ' || p[i] == '+')) ++i;
  std::size_t end = n;
  while (end > i && p[end - 1] == ' ') --end;
  double v = 0;
  if (i < end) std::from_chars(p + i, p + end, v);
  return v;
}

std::size_t TypedSizeOf(const TDbfFieldEntry& f) {
  switch (f.type) {
    case 'C': return f.length + 1u;
    case 'D': return f.length + 3u;
    case 'N':
    case 'F': return f.decimals > 0 ? 6u : 4u;
    case 'L': return 1u;
    case 'M': return 4u;
    default: return f.length + 1u;
  }
}

void PutInt32(std::uint8_t* p, std::int32_t v) { std::memcpy(p, &v, 4); }
std::int32_t GetInt32(const std::uint8_t* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

std::int32_t ClampToInt32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

// Field value text written right-aligned with "." as decimal point; "*"
// fill when it does not fit.
void WriteNumberText(char* dst, int len, int dec, long double v) {
  char buf[400];
  if (!std::isfinite(v)) v = 0;
  int n = std::snprintf(buf, sizeof buf, "%*.*Lf", len, dec, v);
  if (n < 0 || n > len) std::memset(dst, '*', static_cast<std::size_t>(len));
  else std::memcpy(dst, buf, static_cast<std::size_t>(len));
}

TDbfWorkArea* CheckField(int n, const char* routine) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse(routine);
    return nullptr;
  }
  if (n < 1 || n > wa->fieldCount) {
    DederError(220, std::string("Invalid field number. [") + routine + "(" + std::to_string(n) + ")]");
    return nullptr;
  }
  return wa;
}

}  // namespace

long double Real48ToExtended(const std::uint8_t* p) {
  if (p[0] == 0) return 0;
  std::uint64_t mant = 0;
  for (int i = 5; i >= 1; --i) mant = (mant << 8) | p[i];
  bool negative = (mant >> 39) & 1;
  mant &= (1ULL << 39) - 1;
  // Every six-byte real is exactly a double: assemble its bits.
  std::uint64_t bits = (static_cast<std::uint64_t>(p[0]) - 129 + 1023) << 52 | mant << 13;
  if (negative) bits |= 1ULL << 63;
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

namespace {

// A double to a six-byte real by its bits, rounding the mantissa to 39 bits
// (half to even); false when the value lies outside the direct range.
bool DoubleToReal48(double d, std::uint8_t* p) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  int e = static_cast<int>((bits >> 52) & 0x7FF);
  if (e == 0 || e == 0x7FF) return false;
  std::uint64_t mant = bits & ((1ULL << 52) - 1);
  std::uint64_t frac = mant >> 13;
  std::uint64_t rest = mant & 0x1FFF;
  if (rest > 0x1000 || (rest == 0x1000 && (frac & 1))) ++frac;
  if (frac >> 39) {
    frac = 0;
    ++e;
  }
  int re = e - 1023 + 129;
  if (re < 1 || re > 255) return false;
  p[0] = static_cast<std::uint8_t>(re);
  std::uint64_t out = frac | ((bits >> 63) << 39);
  for (int i = 1; i <= 5; ++i) {
    p[i] = static_cast<std::uint8_t>(out & 0xFF);
    out >>= 8;
  }
  return true;
}

}  // namespace

void ExtendedToReal48(long double v, std::uint8_t* p) {
  std::memset(p, 0, 6);
  if (v == 0 || !std::isfinite(v)) return;
  if (static_cast<long double>(static_cast<double>(v)) == v && DoubleToReal48(static_cast<double>(v), p)) return;
  bool negative = v < 0;
  if (negative) v = -v;
  int exp = 0;
  long double m = std::frexp(v, &exp);  // v = m * 2^exp, 0.5 <= m < 1
  // Real48: value = 1.f * 2^(e - 129), so 1.f = 2m and e = exp - 1 + 129.
  std::uint64_t frac = static_cast<std::uint64_t>(std::nearbyint(std::ldexp(2 * m - 1, 39)));
  if (frac >> 39) {  // rounding carried into the hidden bit
    frac = 0;
    ++exp;
  }
  int e = exp + 128;
  if (e <= 0) return;  // underflow: zero
  if (e > 255) {       // overflow: the largest value
    e = 255;
    frac = (1ULL << 39) - 1;
  }
  p[0] = static_cast<std::uint8_t>(e);
  std::uint64_t bits = frac | (negative ? (1ULL << 39) : 0);
  for (int i = 1; i <= 5; ++i) {
    p[i] = static_cast<std::uint8_t>(bits & 0xFF);
    bits >>= 8;
  }
}

std::size_t TypedRecordSize(const TDbfWorkArea& wa) {
  std::size_t size = 1;
  for (const auto& f : wa.fields) size += TypedSizeOf(f);
  return size;
}

void ComputeTypedOffsets(TDbfWorkArea& wa) {
  wa.typedOffsets.clear();
  std::size_t at = 1;
  for (const auto& f : wa.fields) {
    wa.typedOffsets.push_back(at);
    at += TypedSizeOf(f);
  }
}

namespace {

// The national text of eight digits YYYYMMDD as STOD gives it, without
// building strings; 0 when the field is not eight digits.
std::size_t NationalDate(const char* s, char* out) {
  for (int i = 0; i < 8; ++i)
    if (s[i] < '0' || s[i] > '9') return 0;
  const char* year = TzCentury ? s : s + 2;
  std::size_t yl = TzCentury ? 4 : 2;
  char sep = TzDateFormat == 0 || TzDateFormat == 2 ? '/' : TzDateFormat == 3 ? '-' : '.';
  const char* first = s + 6;   // day
  const char* second = s + 4;  // month
  std::size_t n = 0;
  auto put = [&](const char* p, std::size_t len) {
    std::memcpy(out + n, p, len);
    n += len;
  };
  if (TzDateFormat == 0) std::swap(first, second);
  if (TzDateFormat == 1) {
    put(year, yl);
    out[n++] = sep;
    put(s + 4, 2);
    out[n++] = sep;
    put(s + 6, 2);
    return n;
  }
  put(first, 2);
  out[n++] = sep;
  put(second, 2);
  out[n++] = sep;
  put(year, yl);
  return n;
}

}  // namespace

void LoadTypedRecord(TDbfWorkArea& wa) {
  if (wa.isVirtual || !wa.typedRecord || wa.recordBuffer.empty()) return;
  std::uint8_t* t = wa.typedRecord;
  const char* r = wa.recordBuffer.data();
  t[0] = r[0] == '*' ? 1 : 0;
  for (std::size_t i = 0; i < wa.fields.size(); ++i) {
    const TDbfFieldEntry& f = wa.fields[i];
    std::uint8_t* dst = t + wa.typedOffsets[i];
    const char* src = r + f.offset;
    switch (f.type) {
      case 'D': {
        std::size_t cap = f.length + 2u;
        char fast[16];
        std::size_t n = f.length >= 8 ? NationalDate(src, fast) : 0;
        if (n > 0 && n <= cap) {
          dst[0] = static_cast<std::uint8_t>(n);
          std::memcpy(dst + 1, fast, n);
          break;
        }
        std::string text = STOD(std::string(src, f.length < 8 ? f.length : 8));
        if (text.size() > cap) text.resize(cap);
        dst[0] = static_cast<std::uint8_t>(text.size());
        std::memcpy(dst + 1, text.data(), text.size());
        break;
      }
      case 'N':
      case 'F': {
        double v = FieldNumber(src, f.length);
        if (f.decimals > 0) ExtendedToReal48(v, dst);
        else PutInt32(dst, ClampToInt32(std::trunc(v)));
        break;
      }
      case 'L': {
        char c = f.length ? src[0] : ' ';
        dst[0] = (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? 1 : 0;
        break;
      }
      case 'M': PutInt32(dst, ClampToInt32(FieldNumber(src, f.length))); break;
      default:
        dst[0] = f.length;
        std::memcpy(dst + 1, src, f.length);
        break;
    }
  }
}

void StoreTypedRecord(TDbfWorkArea& wa) {
  if (wa.isVirtual || !wa.typedRecord || wa.recordBuffer.empty()) return;
  const std::uint8_t* t = wa.typedRecord;
  char* r = wa.recordBuffer.data();
  r[0] = t[0] ? '*' : ' ';
  for (std::size_t i = 0; i < wa.fields.size(); ++i) {
    const TDbfFieldEntry& f = wa.fields[i];
    const std::uint8_t* src = t + wa.typedOffsets[i];
    char* dst = r + f.offset;
    switch (f.type) {
      case 'D': {
        std::size_t n = std::min<std::size_t>(src[0], f.length + 2u);
        // A date shown as it was read stays as stored: with two-digit years
        // its text would move a date outside the century window.
        char shown[16];
        if (f.length >= 8 && NationalDate(dst, shown) == n && std::memcmp(shown, src + 1, n) == 0) break;
        std::string text(reinterpret_cast<const char*>(src + 1), n);
        std::string out(8, ' ');
        if (!AllTrim(text).empty() && ValidDate(text)) {
          std::string s = DTOS(text);
          if (s.size() == 8) out = s;
        }
        std::memcpy(dst, out.data(), std::min<std::size_t>(8, f.length));
        if (f.length > 8) std::memset(dst + 8, ' ', f.length - 8u);
        break;
      }
      case 'N':
      case 'F': {
        long double v = f.decimals > 0 ? Real48ToExtended(src) : GetInt32(src);
        WriteNumberText(dst, f.length, f.decimals, v);
        break;
      }
      case 'L':
        if (f.length) dst[0] = src[0] ? 'T' : 'F';
        if (f.length > 1) std::memset(dst + 1, ' ', f.length - 1u);
        break;
      case 'M': {
        char buf[32];
        int n = std::snprintf(buf, sizeof buf, "%*d", static_cast<int>(f.length), GetInt32(src));
        if (n > f.length) std::memset(dst, '*', f.length);
        else std::memcpy(dst, buf, f.length);
        break;
      }
      default: {
        std::size_t n = std::min<std::size_t>(src[0], f.length);
        std::memcpy(dst, src + 1, n);
        std::memset(dst + n, ' ', f.length - n);
        break;
      }
    }
  }
}

void LoadTypedRecord() {
  if (TDbfWorkArea* wa = SelectedWorkArea()) LoadTypedRecord(*wa);
}

void StoreTypedRecord() {
  if (TDbfWorkArea* wa = SelectedWorkArea()) StoreTypedRecord(*wa);
}

void RefreshRecordCount(TDbfWorkArea& wa) {
  if (wa.exclusive || wa.isVirtual || wa.countHeld || wa.file == platform::kNoFile) return;
  wa.recordCount = RecordCountFromSize(wa);
}

IndexReadScope::IndexReadScope() : area_(SelectedArea) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->exclusive || wa->isVirtual || wa->countHeld || !IndexActive()) return;
  ReadSemaphore(true);
  if (!IndexHooks.CountCurrent || !IndexHooks.CountCurrent()) RefreshRecordCount(*wa);
  wa->countHeld = true;
  wa->heldRecord = 0;
  on_ = true;
}

IndexReadScope::~IndexReadScope() {
  if (!on_) return;
  ErrorDispatchOff off;
  const std::uint16_t code = TzLastError;
  const std::string detail = TzErrorDetail;
  const std::uint8_t selected = SelectedArea;
  SelectedArea = area_;
  if (TDbfWorkArea* wa = SelectedWorkArea()) {
    wa->countHeld = false;
    wa->heldRecord = 0;
    ReadSemaphore(false);
  }
  SelectedArea = selected;
  TzLastError = code;
  TzErrorDetail = detail;
}

bool ReadRecordOnly(std::int32_t n) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || n < 1 || n > wa->recordCount) return false;
  ReadRecord(*wa, n);
  return TzLastError == 0;
}

bool RecordVisible() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa && IsVisible(*wa);
}

void PlaceAfterEndOfTable() {
  if (TDbfWorkArea* wa = SelectedWorkArea()) PlaceAfterEnd(*wa);
}

void RunRelationCallback() {
  if (TDbfWorkArea* wa = SelectedWorkArea()) RunRelation(*wa);
}

// ---- selection and state ----------------------------------------------------

void Select(int n) {
  if (n >= 1 && n <= kUserWorkAreas) {
    SelectedArea = static_cast<std::uint8_t>(n);
    return;
  }
  if (n == 0) {
    for (int i = 1; i <= kUserWorkAreas; ++i) {
      if (!WorkAreas[i]) {
        SelectedArea = static_cast<std::uint8_t>(i);
        return;
      }
    }
    DederError(220, "No free workarea available [Select(0)]");
    return;
  }
  DederError(220, "Invalid workarea selected = [Select(" + std::to_string(n) + ")]");
}

// The engine's own slots 34 and 35.
void SelectEngineArea(int n) {
  if (n == 34 || n == 35) SelectedArea = static_cast<std::uint8_t>(n);
}

std::uint8_t CurrentWorkArea() { return SelectedArea; }

bool NoDatabaseInUse(const std::string& label) {
  if (SelectedWorkArea()) return false;
  DederError(215, "No database in use [" + label + "]  WorkArea = " + std::to_string(SelectedArea));
  return true;
}

std::int32_t RecCount() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return 0;
  RefreshRecordCount(*wa);
  return wa->recordCount;
}

std::int32_t RecNo() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->recordNumber : 0;
}

std::uint16_t RecSize() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->recordLength : 0;
}

bool dEOF() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return true;
  RefreshRecordCount(*wa);
  if (wa->recordNumber > wa->recordCount) wa->endFlag = true;
  if (IndexActive() && IndexHooks.AtEnd) return IndexHooks.AtEnd();
  return wa->endFlag;
}

bool dBOF() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return true;
  if (IndexActive() && IndexHooks.AtBeginning) return IndexHooks.AtBeginning();
  return wa->beginFlag;
}

std::string Alias() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->alias.str() : std::string();
}

std::string DbfFileName() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->fileName : std::string();
}

// ---- fields ---------------------------------------------------------------

char FieldType(int n) {
  TDbfWorkArea* wa = CheckField(n, "FieldType");
  return wa ? wa->fields[n - 1].type : ' ';
}

int FieldLen(int n) {
  TDbfWorkArea* wa = CheckField(n, "FieldLen");
  if (!wa) return 0;
  const TDbfFieldEntry& f = wa->fields[n - 1];
  if (f.type == 'D') return TzCentury ? 10 : 8;
  return f.length;
}

int FieldDec(int n) {
  TDbfWorkArea* wa = CheckField(n, "FieldDec");
  return wa ? wa->fields[n - 1].decimals : 0;
}

std::string Field(int n) {
  TDbfWorkArea* wa = CheckField(n, "Field");
  return wa ? wa->fields[n - 1].name.str() : std::string();
}

int FieldNo(const std::string& name) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return 0;
  std::string key = TzUpperCase(AllTrim(name));
  if (key.size() > 10) key.resize(10);
  for (std::size_t i = 0; i < wa->fields.size(); ++i)
    if (wa->fields[i].name.view() == key) return static_cast<int>(i) + 1;
  return 0;
}

int FieldCount() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->fieldCount : 0;
}

std::uint8_t* FieldAddress(int n) {
  if (n == 0) {
    TDbfWorkArea* wa = SelectedWorkArea();
    if (!wa) {
      NoDatabaseInUse("FieldAddress");
      return nullptr;
    }
    return wa->typedRecord;
  }
  TDbfWorkArea* wa = CheckField(n, "FieldAddress");
  if (!wa || !wa->typedRecord) return nullptr;
  return wa->typedRecord + wa->typedOffsets[n - 1];
}

std::string FieldAsString(int n) {
  TDbfWorkArea* wa = CheckField(n, "FieldAsString");
  if (!wa || !wa->typedRecord) return std::string();
  const TDbfFieldEntry& f = wa->fields[n - 1];
  const std::uint8_t* p = wa->typedRecord + wa->typedOffsets[n - 1];
  switch (f.type) {
    case 'N':
    case 'F': {
      std::string s;
      if (f.decimals > 0) FloatToStrDec(Real48ToExtended(p), f.length, f.decimals, s);
      else IntToStrWidth(GetInt32(p), f.length, s);
      return s;
    }
    case 'L': return std::string(1, p[0] ? YesLetter : NoLetter);
    case 'M': {
      std::int32_t b = GetInt32(p);
      return b == 0 ? "none" : b > 0 ? "MEMO" : "BLOB";
    }
    default: return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
  }
}

bool Deleted() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa && wa->typedRecord && wa->typedRecord[0] != 0;
}

void ClearRecord() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("ClearRecord");
    return;
  }
  BlankRecord(*wa);
}

std::string GetFieldText(int n) {
  TDbfWorkArea* wa = CheckField(n, "GetFieldText");
  if (!wa || !wa->typedRecord) return std::string();
  const TDbfFieldEntry& f = wa->fields[n - 1];
  const std::uint8_t* p = wa->typedRecord + wa->typedOffsets[n - 1];
  if (f.type != 'C' && f.type != 'D') return FieldAsString(n);
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

void SetFieldText(int n, const std::string& text) {
  TDbfWorkArea* wa = CheckField(n, "SetFieldText");
  if (!wa || !wa->typedRecord) return;
  const TDbfFieldEntry& f = wa->fields[n - 1];
  std::uint8_t* p = wa->typedRecord + wa->typedOffsets[n - 1];
  if (f.type == 'C' || f.type == 'D') {
    std::size_t cap = f.type == 'C' ? f.length : f.length + 2u;
    std::size_t len = std::min(text.size(), cap);
    p[0] = static_cast<std::uint8_t>(len);
    std::memcpy(p + 1, text.data(), len);
  } else if (f.type == 'L') {
    p[0] = !text.empty() && std::strchr("TtYyJj", text[0]) != nullptr;
  } else {
    SetFieldValue(n, static_cast<long double>(FieldNumber(text.data(), text.size())));
  }
}

long double GetFieldValue(int n) {
  TDbfWorkArea* wa = CheckField(n, "GetFieldValue");
  if (!wa || !wa->typedRecord) return 0;
  const TDbfFieldEntry& f = wa->fields[n - 1];
  const std::uint8_t* p = wa->typedRecord + wa->typedOffsets[n - 1];
  switch (f.type) {
    case 'N':
    case 'F': return f.decimals > 0 ? Real48ToExtended(p) : GetInt32(p);
    case 'M': return GetInt32(p);
    case 'L': return p[0] ? 1 : 0;
    default: {
      std::string s(reinterpret_cast<const char*>(p + 1), p[0]);
      return FieldNumber(s.data(), s.size());
    }
  }
}

void SetFieldValue(int n, long double value) {
  TDbfWorkArea* wa = CheckField(n, "SetFieldValue");
  if (!wa || !wa->typedRecord) return;
  const TDbfFieldEntry& f = wa->fields[n - 1];
  std::uint8_t* p = wa->typedRecord + wa->typedOffsets[n - 1];
  switch (f.type) {
    case 'N':
    case 'F':
      if (f.decimals > 0) ExtendedToReal48(value, p);
      else PutInt32(p, ClampToInt32(static_cast<double>(std::nearbyint(value))));
      break;
    case 'M': PutInt32(p, ClampToInt32(static_cast<double>(value))); break;
    case 'L': p[0] = value != 0; break;
    default: break;
  }
}

bool GetFieldLogical(int n) {
  TDbfWorkArea* wa = CheckField(n, "GetFieldLogical");
  if (!wa || !wa->typedRecord) return false;
  return wa->typedRecord[wa->typedOffsets[n - 1]] != 0;
}

void SetFieldLogical(int n, bool value) {
  TDbfWorkArea* wa = CheckField(n, "SetFieldLogical");
  if (!wa || !wa->typedRecord || wa->fields[n - 1].type != 'L') return;
  wa->typedRecord[wa->typedOffsets[n - 1]] = value ? 1 : 0;
}

// ---- opening and closing ----------------------------------------------------

namespace {

bool AliasInUse(const std::string& alias, const TDbfWorkArea* except) {
  std::string key = TzUpperCase(alias);
  for (int i = 1; i <= kMaxWorkAreas; ++i) {
    const TDbfWorkArea* w = WorkAreas[i].get();
    if (w && w != except && TzUpperCase(w->alias.view()) == key) return true;
  }
  return false;
}

// Takes the word after " ALIAS " and cuts the command before it.
std::string TakeAlias(std::string& cmd) {
  std::size_t p = cmd.find(" ALIAS ");
  if (p == std::string::npos) return std::string();
  std::string rest = AllTrim(cmd.substr(p + 7));
  std::size_t blank = rest.find(' ');
  std::string alias = rest.substr(0, blank);
  if (alias.size() > 64) alias.resize(64);
  cmd.resize(p);
  return alias;
}

void CloseArea(int slot) {
  TDbfWorkArea* wa = WorkAreas[slot].get();
  if (!wa) return;
  std::uint8_t selected = SelectedArea;
  SelectedArea = static_cast<std::uint8_t>(slot);
  if (IndexActive() || (IndexLinked && wa->indexData)) CallIndex(IndexHooks.CloseIndexes);
  RefreshRecordCount(*wa);
  Unlock();
  wa->swapBuffer.clear();
  if (wa->memo && MemoHooks.CloseMemo) MemoHooks.CloseMemo();
  DropRecordCache(wa->alias.str());
  if (ExprHooks.Free) {
    if (wa->filterExpression) ExprHooks.Free(wa->filterExpression);
    if (wa->whileExpression) ExprHooks.Free(wa->whileExpression);
  }
  if (wa->isVirtual) {
    CallVFile(*wa, kVfClose, 0);
  } else {
    CloseDbf(*wa);
  }
  WorkAreas[slot].reset();
  SelectedArea = selected;
}

}  // namespace

void CloseDatabase() {
  if (SelectedWorkArea()) CloseArea(SelectedArea);
}

void CloseAll() {
  for (int i = 1; i <= kUserWorkAreas; ++i) CloseArea(i);
  SelectedArea = 1;
}

void CloseAllAtExit() {
  CloseArea(34);
  CloseArea(35);
  CloseAll();
}

void UseWithTranslators(const std::string& command, void* buffer, std::uint16_t size,
                        TDbfTranslator writeTranslator, TDbfTranslator readTranslator) {
  NextWriteTranslator = writeTranslator;
  NextReadTranslator = readTranslator;
  Use(command, buffer, size);
  NextWriteTranslator = NextReadTranslator = nullptr;
}

void Use(const std::string& command, void* buffer, std::uint16_t size) {
  TzLastError = 0;
  if (SelectedArea < 1 || SelectedArea > kMaxWorkAreas) {
    DederError(220, "Invalid workarea selected = [Select(" + std::to_string(SelectedArea) + ")]");
    return;
  }
  CloseDatabase();
  if (AllTrim(command).empty()) return;
  std::string cmd = TzUpperCase(command) + " ";
  if (cmd.find("LINKED LIST") != std::string::npos || cmd.find("VIRTUAL FILE") != std::string::npos) {
    UseWithBuffer(command, buffer, size);
    return;
  }
  if ((buffer != nullptr) != (size != 0)) {
    DederError(220, "Buffer is NIL or size is zero, attempting to open " + command + " [USE]");
    return;
  }
  // Options are matched in an upper-case copy; the file name keeps its case.
  std::string original = command + " ";
  bool exclusive = false;
  std::size_t ex = cmd.find(" EXCLUSIVE");
  while (ex != std::string::npos) {
    std::size_t end = ex + 10;
    char next = end < cmd.size() ? cmd[end] : ' ';
    if (next == ' ') {
      exclusive = true;
      cmd.erase(ex, 10);
      original.erase(ex, 10);
      ex = cmd.find(" EXCLUSIVE", ex);
    } else {
      ex = cmd.find(" EXCLUSIVE", ex + 1);
    }
  }
  std::string alias = TakeAlias(cmd);
  original.resize(cmd.size());
  std::string file = FullPath(AllTrim(original));
  std::string dir, base, ext;
  SplitPath(file, dir, base, ext);
  if (alias.empty()) alias = TzUpperCase(base);
  if (ext.empty()) file = DefaultExtension(file, "dbf");

  unsigned mode = ShareFileMode;
  if (exclusive || ShareFileMode == 18) {
    mode = 18;
    exclusive = true;
  }
  if (!NetworkMode) {
    mode = 18;
    exclusive = true;
  }
  if (OpenModeOverride < 65535) mode = OpenModeOverride;

  auto wa = std::make_unique<TDbfWorkArea>();
  wa->fileName = file;
  wa->openMode = mode;
  wa->oem = !AnsiTables;
  OpenDbf(*wa);
  if (TzLastError != 0 || wa->fileState == 0) return;
  wa->alias = alias;
  wa->isVirtual = false;
  wa->exclusive = exclusive;
  ComputeTypedOffsets(*wa);
  wa->typedRecordSize = TypedRecordSize(*wa);
  if (buffer == nullptr) {
    wa->ownedTypedRecord.assign(wa->typedRecordSize, 0);
    wa->typedRecord = wa->ownedTypedRecord.data();
    wa->typedRecordOwned = true;
  } else if (size != wa->typedRecordSize) {
    std::size_t typed = wa->typedRecordSize;
    CloseDbf(*wa);
    DederError(266, "Database record/buffer size mismatch: " + command + " [USE()]\r\nRecord Size=" +
                        std::to_string(typed) + ", Buffer Size=" + std::to_string(size));
    return;
  } else {
    wa->typedRecord = static_cast<std::uint8_t*>(buffer);
  }
  if (AliasInUse(alias, nullptr)) {
    CloseDbf(*wa);
    DederError(220, "Alias name " + Quoted(alias) + " already in use. [USE]");
    return;
  }
  wa->writeTranslator = NextWriteTranslator;
  wa->readTranslator = NextReadTranslator;
  wa->swapBuffer.assign(wa->typedRecordSize, 0);
  WorkAreas[SelectedArea] = std::move(wa);
  TDbfWorkArea& area = *WorkAreas[SelectedArea];
  if (area.recordCount > 0) {
    GoTop();
  } else {
    BlankRecord(area);
    area.recordNumber = area.recordCount + 1;
    area.endFlag = area.beginFlag = true;
  }
  if (area.memo && MemoHooks.OpenMemo) {
    TzLastError = 0;
    MemoHooks.OpenMemo();
    if (TzLastError != 0) {
      std::uint16_t code = TzLastError;
      CloseArea(SelectedArea);
      DederError(code, "Problem opening memo file [USE(" + command + ",<@Buffer>," +
                           std::to_string(size) + ")]");
    }
  }
}

void UseWithBuffer(const std::string& command, void* buffer, std::uint16_t size) {
  if (!VFileHook) {
    DederError(1101, "[USE(" + command + ",<@Buffer>,<size>)]");
    return;
  }
  if (!buffer) {
    DederError(220, "NIL buffer pointer [USE(" + command + ",Nil,<size>)]");
    return;
  }
  std::string cmd = TzUpperCase(command);
  RemoveKeyword(" LINKED LIST", cmd);
  RemoveKeyword(" VIRTUAL FILE", cmd);
  cmd = " " + cmd + " ";
  std::string alias = TakeAlias(cmd);
  cmd = AllTrim(cmd);
  if (alias.empty()) {
    alias = cmd.substr(0, cmd.find(' '));
    alias = alias.substr(0, alias.find('.'));
  }
  if (AliasInUse(alias, nullptr)) {
    DederError(220, "Alias name " + Quoted(alias) + " already in use. [USE]");
    return;
  }
  auto wa = std::make_unique<TDbfWorkArea>();
  wa->isVirtual = true;
  wa->alias = alias;
  wa->recordLength = size;
  wa->endFlag = wa->beginFlag = true;
  wa->typedRecord = static_cast<std::uint8_t*>(buffer);
  wa->typedRecordSize = size;
  wa->virtualStorage = 1;
  cmd = " " + cmd + " ";
  struct Word {
    const char* word;
    int storage;
  };
  for (Word w : {Word{" TO EMS", 2}, Word{" TO EXT", 3}, Word{" TO XMS", 3}, Word{" TO HEAP", 1},
                 Word{" TO BIGGEST", 5}}) {
    if (RemoveKeyword(w.word, cmd)) wa->virtualStorage = static_cast<std::uint8_t>(w.storage);
    cmd = " " + cmd + " ";
  }
  int ordering = 0;
  for (Word w : {Word{" FIFO", 0}, Word{" LIFO", 1}, Word{" INSERTION", 2}, Word{" ASCENDING", 3},
                 Word{" DESCENDING", 4}}) {
    if (RemoveKeyword(w.word, cmd)) ordering = w.storage;
    cmd = " " + cmd + " ";
  }
  wa->virtualOrdering = static_cast<std::uint8_t>(ordering);
  wa->fileName = AllTrim(cmd);
  wa->exclusive = true;
  WorkAreas[SelectedArea] = std::move(wa);
  TzLastError = 0;
  CallVFile(*WorkAreas[SelectedArea], kVfOpen, 0);
  if (TzLastError != 0) WorkAreas[SelectedArea].reset();
}

// ---- moves ------------------------------------------------------------------

void Go(std::int32_t n) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("GO");
    return;
  }
  if (n > wa->recordCount) RefreshRecordCount(*wa);
  const std::string range = "Invalid record number = " + std::to_string(n) + " Database " +
                            Quoted(wa->fileName) + " [GO]";
  if (wa->recordCount < 1) {
    wa->endFlag = wa->beginFlag = true;
    BlankRecord(*wa);
    DederError(212, range);
    return;
  }
  if (n >= 1 && n <= wa->recordCount) {
    bool index = IndexActive();
    if (index) ReadSemaphore(true);
    ReadRecord(*wa, n);
    if (index) {
      CallIndex(IndexHooks.SyncToRecord);
      CallIndex(IndexHooks.RefreshKey);
      ReadSemaphore(false);
    }
    DispatchIfError();
    RunRelation(*wa);
    return;
  }
  PlaceAfterEnd(*wa);
  DederError(212, range);
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

namespace {

// Reads the first record of GoTop or GoBottom: `first` without index, else
// what the index hook gives. An empty index leaves the table after the end
// (false).
bool StartEndMove(TDbfWorkArea& wa, bool index, std::int32_t (*hook)(), std::int32_t first) {
  std::int32_t n = first;
  if (index) {
    ReadSemaphore(true);
    n = hook ? hook() : first;
    if (n > wa.recordCount || n < 1) {
      PlaceAfterEnd(wa);
      wa.beginFlag = true;
      ReadSemaphore(false);
      RunRelation(wa);
      return false;
    }
  }
  wa.endFlag = wa.beginFlag = false;
  ReadRecord(wa, n);
  return true;
}

}  // namespace

void GoTop() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("GoTop");
    return;
  }
  if (wa->recordCount < 1) return;
  bool index = IndexActive();
  if (!StartEndMove(*wa, index, IndexHooks.FirstRecord, 1)) return;
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
  if (index) {
    CallIndex(IndexHooks.RefreshKey);
    ReadSemaphore(false);
  }
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
  if (!StartEndMove(*wa, index, IndexHooks.LastRecord, wa->recordCount)) return;
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
  if (index) {
    CallIndex(IndexHooks.RefreshKey);
    ReadSemaphore(false);
  }
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
  wa->endFlag = wa->beginFlag = false;
  bool index = IndexActive();
  if (index) ReadSemaphore(true);

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
        if (index) ReadSemaphore(false);
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
      if (index) ReadSemaphore(false);
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
  if (index) {
    ReadSemaphore(false);
    CallIndex(IndexHooks.RefreshKey);
  }
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
  if (index) LockSemaphore(true);
  if (wa->isVirtual) {
    CallVFile(*wa, kVfWrite, wa->recordCount + 1);
  } else {
    AppendDbfRecord(*wa);
    if (TzLastError == 0) LoadTypedRecord(*wa);
  }
  if (index) {
    if (TzLastError == 0) CallIndex(IndexHooks.AppendNewKey);
    LockSemaphore(false);
  }
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
  if (index) {
    if (wa->swapBuffer.size() < wa->typedRecordSize) {
      DederError(254, wa->fileName + " Swap-buffer NIL. [REPLACE]");
      return;
    }
    LockSemaphore(true);
    std::memcpy(wa->swapBuffer.data(), wa->typedRecord, wa->typedRecordSize);
    ReadRecord(*wa, wa->recordNumber);
    CallIndex(IndexHooks.RememberKeys);
    std::memcpy(wa->typedRecord, wa->swapBuffer.data(), wa->typedRecordSize);
  }
  StoreTypedRecord(*wa);
  if (wa->isVirtual) {
    CallVFile(*wa, kVfWrite, wa->recordNumber);
  } else {
    PutDbfRecord(*wa, wa->recordNumber);
    if (TzLastError == 0) LoadTypedRecord(*wa);
    UpdateCache(*wa);
  }
  if (index) {
    if (TzLastError == 0) CallIndex(IndexHooks.UpdateChangedKeys);
    LockSemaphore(false);
  }
  DispatchIfError();
  RunRelation(*wa);
}

namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

bool Pack() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("Pack");
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
