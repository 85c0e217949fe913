// Record read and write: typed records, field conversions, six-byte reals, field access.
#include "dbf/work_areas_internal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/runtime.h"
#include "platform/c_numbers.h"

namespace workareas {

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

}  // namespace workareas

namespace workareas {

void DispatchIfError() {
  if (TzLastError != 0 && TzErrorDispatchOn) DispatchTzError();
}

// The usual field text, an optional "-", at most 15 digits and at most one
// ".", as its digits, the count of those after the point and its sign.
// False for any other text.
struct PlainNumber {
  std::uint64_t digits = 0;
  std::ptrdiff_t decimals = 0;
  bool negative = false;
};
inline bool PlainDigits(const char* p, const char* end, PlainNumber& n) {
  n.negative = p < end && *p == '-';
  if (n.negative) ++p;
  // Wider texts wrap the sum, but they are refused below.
  std::uint64_t digits = 0;
  const char* start = p;
  for (; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p) digits = digits * 10 + (*p - '0');
  std::ptrdiff_t count = p - start, decimals = 0;
  if (p < end && *p == '.') {
    const char* fraction = ++p;
    for (; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p) digits = digits * 10 + (*p - '0');
    decimals = p - fraction;
    count += decimals;
  }
  n.digits = digits;
  n.decimals = decimals;
  return p == end && count > 0 && count <= 15;
}

// Such a text as from_chars reads it: the digits and the power of ten are
// both exact doubles, so their quotient is the correctly rounded value.
inline bool PlainDecimal(const char* p, const char* end, double& v) {
  static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  PlainNumber n;
  if (!PlainDigits(p, end, n)) return false;
  v = static_cast<double>(n.digits);
  if (n.decimals > 0) v /= kTens[n.decimals];
  if (n.negative) v = -v;
  return true;
}

// The text of a number field without the blanks and a "+" around it, as
// [from, to) of its n bytes.
[[gnu::always_inline]] inline void NumberBounds(const char* p, std::size_t n, std::size_t& from, std::size_t& to) {
  from = 0;
  while (from < n && (p[from] == ' ' || p[from] == '+')) ++from;
  to = n;
  while (to > from && p[to - 1] == ' ') --to;
}

// The text of an N or F field that is not a plain decimal: as a stored
// number reads ("1,5" with its decimal comma); 0 for a text that is no number
// or beyond range, never the number it begins with ("12abc").
double OtherNumberText(const char* p, const char* end) {
  double v = 0;
  if (ReadStoredNumber(std::string_view(p, static_cast<std::size_t>(end - p)), v) != TStoredRead::Number) v = 0;
  return v;
}

// Parses the text of an N or F field; the decimal point is "." (a ","
// that another program wrote reads as one). Inline in this file's field reads.
[[gnu::always_inline]] inline double ParseNumber(const char* p, std::size_t n) {
  std::size_t i, end;
  NumberBounds(p, n, i, end);
  double v = 0;
  if (i < end && !PlainDecimal(p + i, p + end, v)) v = OtherNumberText(p + i, p + end);
  return v;
}

double FieldNumber(const char* p, std::size_t n) { return ParseNumber(p, n); }

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
  const std::string text = FixedNumberText(v, len, dec);
  if (text.size() > static_cast<std::size_t>(len)) std::memset(dst, '*', static_cast<std::size_t>(len));
  else std::memcpy(dst, text.data(), static_cast<std::size_t>(len));
}

// The message of CheckField, kept out of its inlined check.
[[gnu::noinline, gnu::cold]] TDbfWorkArea* FieldRefused(int n, const char* routine) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse(routine);
    return nullptr;
  }
  DederError(220, std::string("Invalid field number. [") + routine + "(" + std::to_string(n) + ")]");
  return nullptr;
}

inline TDbfWorkArea* CheckField(int n, const char* routine) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (wa && n >= 1 && n <= wa->fieldCount) [[likely]] return wa;
  return FieldRefused(n, routine);
}

}  // namespace workareas

using namespace workareas;

namespace workareas {

// The six bytes of a six-byte real, the first in the lowest bits, as the
// double they hold: every six-byte real is exactly a double.
double Real48BitsToDouble(std::uint64_t r) {
  const std::uint64_t e = r & 0xFF;
  if (e == 0) return 0;
  std::uint64_t bits = (e - 129 + 1023) << 52 | ((r >> 8) & ((1ULL << 39) - 1)) << 13 | (r >> 47 & 1) << 63;
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

std::uint64_t Real48Bits(const std::uint8_t* p) {
  std::uint64_t r = 0;
  for (int i = 5; i >= 0; --i) r = (r << 8) | p[i];
  return r;
}

void PutReal48Bits(std::uint8_t* p, std::uint64_t r) {
  for (int i = 0; i < 6; ++i, r >>= 8) p[i] = static_cast<std::uint8_t>(r);
}

// A double to the bits of a six-byte real, rounding the mantissa to 39 bits
// (half to even); false when the value lies outside the direct range.
bool DoubleToReal48Bits(double d, std::uint64_t& r) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  int e = static_cast<int>((bits >> 52) & 0x7FF);
  if (e == 0 || e == 0x7FF) return false;
  std::uint64_t mant = bits & ((1ULL << 52) - 1);
  std::uint64_t frac = mant >> 13;
  std::uint64_t rest = mant & 0x1FFF;
  // Without a branch: the bits below vary at random from value to value.
  frac += static_cast<std::uint64_t>(rest > 0x1000) | (static_cast<std::uint64_t>(rest == 0x1000) & frac);
  if (frac >> 39) {
    frac = 0;
    ++e;
  }
  int re = e - 1023 + 129;
  if (re < 1 || re > 255) return false;
  r = static_cast<std::uint64_t>(re) | (frac | (bits >> 63) << 39) << 8;
  return true;
}

bool DoubleToReal48(double d, std::uint8_t* p) {
  std::uint64_t r;
  if (!DoubleToReal48Bits(d, r)) return false;
  PutReal48Bits(p, r);
  return true;
}

}  // namespace workareas

long double Real48ToExtended(const std::uint8_t* p) { return Real48BitsToDouble(Real48Bits(p)); }

long double Real48Decimal(const std::uint8_t* p) {
  const long double v = Real48ToExtended(p);
  if (v == 0) return 0;
  char buf[64];
  for (int precision = 0; precision <= 12; ++precision) {  // 40 bits hold 12 digits
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision);
    long double back = 0;
    ReadLongDouble(buf, r.ptr, back);
    std::uint8_t again[6];
    ExtendedToReal48(back, again);
    if (std::memcmp(again, p, 6) == 0) return back;
  }
  return v;
}

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

namespace workareas {

// The national text of eight digits YYYYMMDD as STOD gives it, without
// building strings; 0 when the field is not eight digits.
std::size_t NationalDate(const char* s, char* out) {
  // All eight at once: a byte is a digit when its high half is 3 and its
  // low half plus 6 stays below 16.
  constexpr std::uint64_t kEach = 0x0101010101010101ULL;
  std::uint64_t w;
  std::memcpy(&w, s, 8);
  if ((((w & 0xF0 * kEach) ^ '0' * kEach) | (((w & 0x0F * kEach) + 0x06 * kEach) & 0xF0 * kEach)) != 0) return 0;
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

}  // namespace workareas

namespace workareas {

// The record text of field index when it has not been read since the record
// was loaded, else nullptr: cheap fields are read from it directly, without
// a round trip through the typed record.
const char* UnreadText(const TDbfWorkArea& wa, std::size_t index) {
  if (index >= wa.typedStamps.size() || wa.typedStamps[index] == wa.typedGeneration) return nullptr;
  const TDbfFieldEntry& f = wa.fields[index];
  if (wa.recordBuffer.size() < static_cast<std::size_t>(f.offset) + f.length) return nullptr;
  return wa.recordBuffer.data() + f.offset;
}

// A string of n bytes at p. Short ones are copied in two fixed-size,
// overlapping moves: a copy of variable size compiles to a string move
// instruction that costs more than the rest of a field read.
std::string TextOf(const char* p, std::size_t n) {
  std::string s(15, ' ');  // one object returned on every path: no copy on return
  if (n < 4 || n > 15) {
    s.assign(p, n);
    return s;
  }
  if (n >= 8) {
    std::memcpy(s.data(), p, 8);
    std::memcpy(s.data() + n - 8, p + n - 8, 8);
  } else {
    std::memcpy(s.data(), p, 4);
    std::memcpy(s.data() + n - 4, p + n - 4, 4);
  }
  s.resize(n);
  return s;
}

bool LogicalText(const char* src, std::size_t length) {
  char c = length ? src[0] : ' ';
  return TrueLetter(c);
}

// Converts an unread N or F field, parsing its text once, and gives its
// value as the typed record holds it.
long double ConvertNumber(TDbfWorkArea& wa, std::size_t index, const char* src) {
  const TDbfFieldEntry& f = wa.fields[index];
  std::uint8_t* dst = wa.typedRecord + wa.typedOffsets[index];
  wa.typedStamps[index] = wa.typedGeneration;
  if (f.decimals == 0) {
    // A whole number needs no double: the same value as through one.
    std::size_t from, to;
    NumberBounds(src, f.length, from, to);
    PlainNumber plain;
    std::int32_t i;
    if (from < to && PlainDigits(src + from, src + to, plain) && plain.decimals == 0) {
      if (plain.negative) i = plain.digits >= 2147483648u ? INT32_MIN : -static_cast<std::int32_t>(plain.digits);
      else i = plain.digits >= 2147483647u ? INT32_MAX : static_cast<std::int32_t>(plain.digits);
    } else {
      i = ClampToInt32(std::trunc(ParseNumber(src, f.length)));
    }
    PutInt32(dst, i);
    return i;
  }
  double v = ParseNumber(src, f.length);
  // Kept in a register: the value read back at once from bytes just
  // stored one by one would wait for the stores.
  std::uint64_t real;
  if (!DoubleToReal48Bits(v, real)) {  // zero and the far ranges
    ExtendedToReal48(v, dst);
    return Real48ToExtended(dst);
  }
  PutReal48Bits(dst, real);
  return Real48BitsToDouble(real);
}

}  // namespace workareas

namespace workareas {

// The text of field f at src as its typed value at dst.
void ConvertText(const TDbfFieldEntry& f, const char* src, std::uint8_t* dst) {
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
      if (f.decimals > 0) {
        if (!DoubleToReal48(v, dst)) ExtendedToReal48(v, dst);  // zero and the far ranges
      }
      else PutInt32(dst, ClampToInt32(std::trunc(v)));
      break;
    }
    case 'L': dst[0] = LogicalText(src, f.length) ? 1 : 0; break;
    case 'M': PutInt32(dst, ClampToInt32(FieldNumber(src, f.length))); break;
    default:
      dst[0] = f.length;
      std::memcpy(dst + 1, src, f.length);
      break;
  }
}

// Field i of the record text as its typed value at dst; false when the
// record is too short to hold the field.
bool ConvertFieldTo(const TDbfWorkArea& wa, std::size_t i, std::uint8_t* dst) {
  const TDbfFieldEntry& f = wa.fields[i];
  if (wa.recordBuffer.size() < static_cast<std::size_t>(f.offset) + f.length) return false;
  ConvertText(f, wa.recordBuffer.data() + f.offset, dst);
  return true;
}

// Field i of the record text into the typed record.
void ConvertField(TDbfWorkArea& wa, std::size_t i) { ConvertFieldTo(wa, i, wa.typedRecord + wa.typedOffsets[i]); }

// Converts every field not yet converted since the record was loaded.
void ConvertStaleFields(TDbfWorkArea& wa) {
  for (std::size_t i = 0; i < wa.typedStamps.size(); ++i)
    if (wa.typedStamps[i] != wa.typedGeneration) {
      ConvertField(wa, i);
      wa.typedStamps[i] = wa.typedGeneration;
    }
}

}  // namespace workareas

void LoadTypedRecord(TDbfWorkArea& wa) {
  if (wa.isVirtual || !wa.typedRecord || wa.recordBuffer.empty()) return;
  wa.typedRecord[0] = wa.recordBuffer[0] == '*' ? 1 : 0;
  if (wa.typedStamps.size() != wa.fields.size()) wa.typedStamps.assign(wa.fields.size(), 0);
  if (++wa.typedGeneration == 0) {  // wrapped: no stamp may match by chance
    std::fill(wa.typedStamps.begin(), wa.typedStamps.end(), 0);
    std::fill(wa.typedSetStamps.begin(), wa.typedSetStamps.end(), 0);
    wa.typedGeneration = 1;
  }
  // The caller's own buffer may be read without us: fill it now.
  if (!wa.typedRecordOwned) ConvertStaleFields(wa);
}

std::uint8_t* TypedField(TDbfWorkArea& wa, std::size_t index) {
  if (index < wa.typedStamps.size() && wa.typedStamps[index] != wa.typedGeneration) {
    ConvertField(wa, index);
    wa.typedStamps[index] = wa.typedGeneration;
  }
  return wa.typedRecord + wa.typedOffsets[index];
}

std::uint8_t* WholeTypedRecord(TDbfWorkArea& wa) {
  ConvertStaleFields(wa);
  return wa.typedRecord;
}

void ReloadTypedField(TDbfWorkArea& wa, std::size_t index) {
  if (index >= wa.fields.size() || !wa.typedRecord || !ConvertFieldTo(wa, index, wa.typedRecord + wa.typedOffsets[index]))
    return;
  if (index < wa.typedStamps.size()) wa.typedStamps[index] = wa.typedGeneration;
}

void MarkFieldSet(TDbfWorkArea& wa, std::size_t index) {
  if (index >= wa.fields.size()) return;
  if (wa.typedSetStamps.size() != wa.fields.size()) wa.typedSetStamps.assign(wa.fields.size(), 0);
  wa.typedSetStamps[index] = wa.typedGeneration;
}

bool FieldValueFits(TDbfWorkArea& wa, std::size_t index) {
  if (index >= wa.fields.size() || !wa.typedRecord) return true;
  const TDbfFieldEntry& f = wa.fields[index];
  if ((f.type != 'N' && f.type != 'F') || f.length == 0) return true;
  const std::uint8_t* p = TypedField(wa, index);
  std::vector<char> text(f.length);
  WriteNumberText(text.data(), f.length, f.decimals, f.decimals > 0 ? Real48Decimal(p) : GetInt32(p));
  return text[0] != '*';
}

namespace workareas {

// Whether the text of an N or F field is one number, whole, as a field is
// read: blanks and a "+" around it, a sign, a point, an exponent ("1.5E+0").
// "*"s (a value too wide for the field) and other characters hold none.
bool HoldsNumber(const TDbfFieldEntry& f, const char* text) {
  std::size_t from, to;
  NumberBounds(text, f.length, from, to);
  if (!std::any_of(text + from, text + to, [](char c) { return c >= '0' && c <= '9'; })) return false;
  long double v;
  const auto [end, ec] = ReadLongDouble(text + from, text + to, v);
  return ec == std::errc() && end == text + to;
}

// The eight characters a D field's typed value is stored as: YYYYMMDD, or
// blanks for an empty or invalid date.
std::string StoredDateText(const std::uint8_t* typed, const TDbfFieldEntry& f) {
  std::size_t n = std::min<std::size_t>(typed[0], f.length + 2u);
  std::string text(reinterpret_cast<const char*>(typed + 1), n);
  if (!AllTrim(text).empty() && ValidDate(text)) {
    std::string s = DTOS(text);
    if (s.size() == 8) return s;
  }
  return std::string(8, ' ');
}

// Whether field i still holds the value its stored text gives, so that the
// text stays as stored: a number wider than the typed record holds (a whole
// number beyond 32 bits, more digits than a six-byte real keeps), a date
// outside the two-digit century window. A field not read since the record
// was loaded holds its text by definition. A number or date the caller set
// keeps its text when the text gives that very value (a date text that is no
// date gives the empty date); a number text that is no number ("*"s) and a
// logical field the caller set ("?") are written from the value. A blank
// field is written from its value, as it always was ("0", "F").
bool KeepsStoredText(TDbfWorkArea& wa, std::size_t i) {
  const TDbfFieldEntry& f = wa.fields[i];
  if (wa.recordBuffer.size() < static_cast<std::size_t>(f.offset) + f.length) return false;
  const char* text = wa.recordBuffer.data() + f.offset;
  const bool blank = std::all_of(text, text + f.length, [](char c) { return c == ' '; });
  if (i >= wa.typedStamps.size() || wa.typedStamps[i] != wa.typedGeneration) {
    if (!blank) return true;
    ConvertField(wa, i);
    if (i < wa.typedStamps.size()) wa.typedStamps[i] = wa.typedGeneration;
    return false;
  }
  if (blank) return false;
  const bool set = i < wa.typedSetStamps.size() && wa.typedSetStamps[i] == wa.typedGeneration;
  if (set && f.type != 'D' && !((f.type == 'N' || f.type == 'F') && HoldsNumber(f, text))) return false;
  std::uint8_t stored[264];
  if (!ConvertFieldTo(wa, i, stored)) return false;
  const std::uint8_t* typed = wa.typedRecord + wa.typedOffsets[i];
  switch (f.type) {
    case 'N':
    case 'F': return std::memcmp(stored, typed, f.decimals > 0 ? 6 : 4) == 0;
    case 'M': return std::memcmp(stored, typed, 4) == 0;
    case 'L': return (stored[0] != 0) == (typed[0] != 0);
    case 'D': return StoredDateText(stored, f) == StoredDateText(typed, f);
    default: return stored[0] == typed[0] && std::memcmp(stored + 1, typed + 1, stored[0]) == 0;
  }
}

}  // namespace workareas

void StoreTypedRecord(TDbfWorkArea& wa) {
  if (wa.isVirtual || !wa.typedRecord || wa.recordBuffer.empty()) return;
  // Only the fields whose value changed are written: the others keep the
  // text they were read with.
  const std::uint8_t* t = wa.typedRecord;
  char* r = wa.recordBuffer.data();
  r[0] = t[0] ? '*' : ' ';
  for (std::size_t i = 0; i < wa.fields.size(); ++i) {
    if (KeepsStoredText(wa, i)) continue;
    const TDbfFieldEntry& f = wa.fields[i];
    const std::uint8_t* src = t + wa.typedOffsets[i];
    char* dst = r + f.offset;
    switch (f.type) {
      case 'D': {
        const std::string out = StoredDateText(src, f);
        std::memcpy(dst, out.data(), std::min<std::size_t>(8, f.length));
        if (f.length > 8) std::memset(dst + 8, ' ', f.length - 8u);
        break;
      }
      case 'N':
      case 'F': {
        long double v = f.decimals > 0 ? Real48Decimal(src) : GetInt32(src);
        WriteNumberText(dst, f.length, f.decimals, v);
        break;
      }
      case 'L':
        if (f.length) dst[0] = src[0] ? 'T' : 'F';
        if (f.length > 1) std::memset(dst + 1, ' ', f.length - 1u);
        break;
      case 'M': {
        // The block number right-aligned, however wide a damaged table made the field.
        const std::string digits = std::to_string(GetInt32(src));
        if (digits.size() > f.length) {
          std::memset(dst, '*', f.length);
        } else {
          std::memset(dst, ' ', f.length - digits.size());
          std::memcpy(dst + f.length - digits.size(), digits.data(), digits.size());
        }
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

IndexReadScope::IndexReadScope(bool unlocked) : area_(SelectedArea) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->exclusive || wa->isVirtual || wa->countHeld || !IndexActive()) return;
  unlocked_ = unlocked && IndexHooks.StartUnlockedRead && IndexHooks.UnlockedReadHeld &&
              IndexHooks.StartUnlockedRead(stamp_);
  if (!unlocked_) {
    lock_.emplace(IndexLock::kRead, true);
    if (lock_->Failed()) return;
  }
  if (!IndexHooks.CountCurrent || !IndexHooks.CountCurrent()) RefreshRecordCount(*wa);
  wa->countHeld = true;
  wa->unlockedRead = unlocked_;
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
    wa->unlockedRead = false;
    wa->heldRecord = 0;
  }
  SelectedArea = selected;
  TzLastError = code;
  TzErrorDetail = detail;
}

bool IndexReadScope::Held() const {
  if (!unlocked_) return true;
  const std::uint8_t selected = SelectedArea;
  SelectedArea = area_;
  const bool held = IndexHooks.UnlockedReadHeld(stamp_);
  SelectedArea = selected;
  return held;
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
    return wa->typedRecord ? WholeTypedRecord(*wa) : nullptr;
  }
  TDbfWorkArea* wa = CheckField(n, "FieldAddress");
  if (!wa || !wa->typedRecord) return nullptr;
  return TypedField(*wa, n - 1);
}

std::string FieldAsString(int n) {
  TDbfWorkArea* wa = CheckField(n, "FieldAsString");
  if (!wa || !wa->typedRecord) return std::string();
  const TDbfFieldEntry& f = wa->fields[n - 1];
  const std::uint8_t* p = TypedField(*wa, n - 1);
  switch (f.type) {
    case 'N':
    case 'F': {
      std::string s;
      // Rounded as the store writes it, so that what is shown is what is stored.
      if (f.decimals > 0) s = FixedNumberText(Real48Decimal(p), f.length, f.decimals);
      else IntToStrWidth(GetInt32(p), f.length, s);
      if (TzDecimalSep != '.') std::replace(s.begin(), s.end(), '.', TzDecimalSep);
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
  if (f.type != 'C' && f.type != 'D') return FieldAsString(n);
  if (const char* src = UnreadText(*wa, n - 1)) {
    if (f.type == 'C') return TextOf(src, f.length);
    char date[16];
    std::size_t len = f.length >= 8 ? NationalDate(src, date) : 0;
    if (len > 0 && len <= f.length + 2u) return TextOf(date, len);
  }
  const std::uint8_t* p = TypedField(*wa, n - 1);
  return TextOf(reinterpret_cast<const char*>(p + 1), p[0]);
}

void SetFieldText(int n, const std::string& text) {
  TDbfWorkArea* wa = CheckField(n, "SetFieldText");
  if (!wa || !wa->typedRecord) return;
  const TDbfFieldEntry& f = wa->fields[n - 1];
  std::uint8_t* p = TypedField(*wa, n - 1);
  if (f.type == 'C' || f.type == 'D') {
    std::size_t cap = f.type == 'C' ? f.length : f.length + 2u;
    std::size_t len = std::min(text.size(), cap);
    p[0] = static_cast<std::uint8_t>(len);
    std::memcpy(p + 1, text.data(), len);
  } else if (f.type == 'L') {
    p[0] = !text.empty() && TrueLetter(text[0]);
  } else {
    // A number text as the field shows it, with either decimal sign; one
    // that is no number leaves the field as it was.
    double value = 0;
    const TStoredRead read = ReadStoredNumber(text, value);
    if ((read == TStoredRead::NoNumber || read == TStoredRead::OutOfRange) && !OverflowStars(text)) {
      DederError(106, "Field " + std::string(f.name.view()) + ": " + StoredNumberFault(text, read) + " [SetFieldText]");
      return;
    }
    SetFieldValue(n, static_cast<long double>(value));
    return;
  }
  MarkFieldSet(*wa, n - 1);
}

namespace workareas {
// The value of a number text as a stored number reads; 0 for none.
long double NumberTextValue(const char* p, std::size_t length) {
  long double v = 0;
  return ReadStoredNumber(std::string_view(p, length), v) == TStoredRead::Number ? v : 0;
}

// What is wrong with the stored text of number field f for a read of its
// value: "Field QTY: \"12abc\" is no number", or beyond range (of a double,
// and with `typedRange` of the typed value: a six-byte real, a 32-bit whole
// number); empty when it holds such a number or blanks alone.
std::string NumberTextFault(const TDbfFieldEntry& f, const char* text, bool typedRange) {
  std::size_t from, to;
  NumberBounds(text, f.length, from, to);
  if (from == to) return std::string();
  PlainNumber plain;
  if (PlainDigits(text + from, text + to, plain) && (!typedRange || f.decimals > 0 || plain.digits < 2147483648u))
    return std::string();
  const std::string_view stored(text, f.length);
  long double v = 0;
  TStoredRead read = ReadStoredNumber(stored, v);
  if (read == TStoredRead::Number && typedRange) {
    std::uint64_t bits;
    // A value too small for a six-byte real is 0 there, not beyond range.
    const bool fits = f.decimals > 0 ? v == 0 || DoubleToReal48Bits(static_cast<double>(v), bits) ||
                                           std::fabs(v) < 1e-30L
                                     : std::trunc(v) >= INT32_MIN && std::trunc(v) <= INT32_MAX;
    if (!fits) read = TStoredRead::OutOfRange;
  }
  if (read == TStoredRead::Number || read == TStoredRead::Blank) return std::string();
  return "Field " + std::string(f.name.view()) + ": " + StoredNumberFault(stored, read);
}

// Names field i's stored text through the error routine when it holds no
// number the typed record holds, while the typed value is the one read from
// it (not a value the caller set since); true when it did.
bool NamedNumberFault(TDbfWorkArea& wa, std::size_t i, const char* routine) {
  const TDbfFieldEntry& f = wa.fields[i];
  if (wa.isVirtual || wa.recordBuffer.size() < static_cast<std::size_t>(f.offset) + f.length) return false;
  const char* text = wa.recordBuffer.data() + f.offset;
  const std::string fault = NumberTextFault(f, text, true);
  if (fault.empty()) return false;
  std::uint8_t stored[8];
  ConvertText(f, text, stored);
  if (std::memcmp(stored, wa.typedRecord + wa.typedOffsets[i], f.decimals > 0 ? 6 : 4) != 0) return false;
  DederError(106, fault + " [" + routine + "]");
  return true;
}

inline long double TypedNumber(const TDbfFieldEntry& f, const std::uint8_t* p) {
  return f.decimals > 0 ? Real48Decimal(p) : GetInt32(p);
}
}  // namespace workareas

long double GetFieldValue(int n) {
  TDbfWorkArea* wa = CheckField(n, "GetFieldValue");
  if (!wa || !wa->typedRecord) return 0;
  const TDbfFieldEntry& f = wa->fields[n - 1];
  if (f.type == 'N' || f.type == 'F') {
    // A text that holds no number the field's value can be is named, and reads as 0.
    const char* src = UnreadText(*wa, n - 1);
    const long double v = src ? ConvertNumber(*wa, n - 1, src) : TypedNumber(f, TypedField(*wa, n - 1));
    return NamedNumberFault(*wa, n - 1, "GetFieldValue") ? 0 : v;
  }
  const std::uint8_t* p = TypedField(*wa, n - 1);
  switch (f.type) {
    case 'M': return GetInt32(p);
    case 'L': return p[0] ? 1 : 0;
    default: {
      std::string s(reinterpret_cast<const char*>(p + 1), p[0]);
      return FieldNumber(s.data(), s.size());
    }
  }
}

namespace workareas {

// The value given to N or F field i also into the record text, where it
// keeps the digits that the typed record cannot hold (the store then keeps
// the text). When the text does not give the typed value (a number too wide
// for the field), the text is that of the typed value, as the store writes it.
void PutNumberText(TDbfWorkArea& wa, std::size_t i, long double value) {
  const TDbfFieldEntry& f = wa.fields[i];
  if (wa.isVirtual || wa.recordBuffer.size() < static_cast<std::size_t>(f.offset) + f.length) return;
  const std::uint8_t* typed = wa.typedRecord + wa.typedOffsets[i];
  const std::size_t size = f.decimals > 0 ? 6 : 4;
  char text[256];
  std::uint8_t back[8];
  WriteNumberText(text, f.length, f.decimals, value);
  ConvertText(f, text, back);
  if (std::memcmp(back, typed, size) != 0)
    WriteNumberText(text, f.length, f.decimals, f.decimals > 0 ? Real48Decimal(typed) : GetInt32(typed));
  // A stored text of that very value stays as it was written.
  char* stored = wa.recordBuffer.data() + f.offset;
  if (HoldsNumber(f, stored) && NumberTextValue(stored, f.length) == NumberTextValue(text, f.length)) return;
  std::memcpy(stored, text, f.length);
}

}  // namespace workareas

std::string NumberFieldFault(int n) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->isVirtual || n < 1 || n > wa->fieldCount) return std::string();
  const TDbfFieldEntry& f = wa->fields[n - 1];
  if ((f.type != 'N' && f.type != 'F') || wa->recordBuffer.size() < static_cast<std::size_t>(f.offset) + f.length)
    return std::string();
  return NumberTextFault(f, wa->recordBuffer.data() + f.offset, true);
}

bool ReadFieldTextValue(int n, long double& value, std::string& fault) {
  value = 0;
  fault.clear();
  TDbfWorkArea* wa = CheckField(n, "FieldTextValue");
  if (!wa) return false;
  const TDbfFieldEntry& f = wa->fields[n - 1];
  if (wa->isVirtual || (f.type != 'N' && f.type != 'F') ||
      wa->recordBuffer.size() < static_cast<std::size_t>(f.offset) + f.length) {
    value = GetFieldValue(n);  // a virtual table's typed value: no text to read
    return true;
  }
  const char* text = wa->recordBuffer.data() + f.offset;
  fault = NumberTextFault(f, text, false);
  if (fault.empty()) value = NumberTextValue(text, f.length);
  return fault.empty();
}

long double FieldTextValue(int n) {
  long double value = 0;
  std::string fault;
  if (!ReadFieldTextValue(n, value, fault) && !fault.empty()) DederError(106, fault + " [FieldTextValue]");
  return value;
}

void SetFieldValue(int n, long double value) {
  TDbfWorkArea* wa = CheckField(n, "SetFieldValue");
  if (!wa || !wa->typedRecord) return;
  const TDbfFieldEntry& f = wa->fields[n - 1];
  std::uint8_t* p = TypedField(*wa, n - 1);
  switch (f.type) {
    case 'N':
    case 'F':
      if (f.decimals > 0) ExtendedToReal48(value, p);
      else PutInt32(p, ClampToInt32(static_cast<double>(RoundedNumber(value, 0))));
      PutNumberText(*wa, n - 1, value);  // the text is the caller's value
      return;
    case 'M': PutInt32(p, ClampToInt32(static_cast<double>(value))); break;
    case 'L': p[0] = value != 0; break;
    default: return;
  }
  MarkFieldSet(*wa, n - 1);
}

bool GetFieldLogical(int n) {
  TDbfWorkArea* wa = CheckField(n, "GetFieldLogical");
  if (!wa || !wa->typedRecord) return false;
  if (wa->fields[n - 1].type == 'L')
    if (const char* src = UnreadText(*wa, n - 1)) return LogicalText(src, wa->fields[n - 1].length);
  return *TypedField(*wa, n - 1) != 0;
}

void SetFieldLogical(int n, bool value) {
  TDbfWorkArea* wa = CheckField(n, "SetFieldLogical");
  if (!wa || !wa->typedRecord || wa->fields[n - 1].type != 'L') return;
  *TypedField(*wa, n - 1) = value ? 1 : 0;
  MarkFieldSet(*wa, n - 1);
}
