#include "dbf/dbf_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "dbf/byte_order.h"
#include "dbf/errors.h"
#include "dbf/runtime.h"

std::uint8_t ExtraVersionByte1 = 0;
std::uint8_t ExtraVersionByte2 = 0;
std::uint8_t CreateVersionByte = 0x8B;
std::uint16_t MemoBlockSize = 512;
bool FlushAfterWrite = false;
bool FixRecordCount = false;
unsigned DefaultFileMode = platform::kOpenReadWrite | platform::kShareDenyAll;

void InitDbfFile() {
  ExtraVersionByte1 = 0;
  ExtraVersionByte2 = 0;
  CreateVersionByte = 0x8B;
  MemoBlockSize = 512;
  FlushAfterWrite = false;
  FixRecordCount = false;
  DefaultFileMode = platform::kOpenReadWrite | platform::kShareDenyAll;
}

namespace {


bool Extras() { return ExtraVersionByte1 != 0 || ExtraVersionByte2 != 0; }

constexpr std::uint64_t kPage = 4096;
constexpr std::size_t kMaxPageBytes = 32u << 20;

// A shared table read without the read lock, and an exclusive table read
// out of order: records come from a mapping of the file, which sees every
// write as a read does, without a system call. Mapped anew when the table
// grew past it; the engine never shortens a table file in place (a pack
// writes a new one), and a file that another program cut short is read, not
// faulted on.
bool ReadFromMap(TDbfWorkArea& wa, std::uint64_t offset, char* out, std::size_t length) {
  const std::uint64_t end = offset + length;
  if (end > wa.recordMapLength) {
    const std::int64_t size = platform::FileSize(wa.file);
    if (size <= 0 || end > static_cast<std::uint64_t>(size)) return false;
    DropRecordMap(wa);
    wa.recordMap = platform::MapForReading(wa.file, static_cast<std::size_t>(size));
    if (!wa.recordMap) return false;
    wa.recordMapLength = static_cast<std::size_t>(size);
  }
  // A file cut short by another program falls back to a read, which reports it.
  return platform::CopyFromMapping(out, wa.recordMap + offset, length);
}

// Bytes [offset, offset + length) of an exclusive table's file from its
// pages, where the file cannot be mapped; false when they are not to be had
// that way (then read the file).
bool ReadFromPages(TDbfWorkArea& wa, std::uint64_t offset, char* out, std::size_t length) {
  const std::uint64_t page = offset / kPage;
  if ((offset + length - 1) / kPage != page) return false;
  auto it = wa.pages.find(page);
  if (it == wa.pages.end()) {
    if (wa.pageBytes >= kMaxPageBytes) {
      wa.pages.clear();
      wa.pageBytes = 0;
    }
    std::vector<char> bytes(kPage);
    std::size_t got = 0;
    if (platform::ReadAt(wa.file, page * kPage, bytes.data(), kPage, got) != 0) return false;
    bytes.resize(got);
    wa.pageBytes += kPage;
    it = wa.pages.emplace(page, std::move(bytes)).first;
  }
  const std::size_t at = static_cast<std::size_t>(offset - page * kPage);
  if (at + length > it->second.size()) return false;
  std::memcpy(out, it->second.data() + at, length);
  return true;
}

// After a write: the kept pages take the written bytes. A page that ended
// before them is dropped (the file grew under it).
void WriteThrough(TDbfWorkArea& wa, std::uint64_t offset, const void* data, std::size_t length) {
  if (wa.pages.empty() || length == 0) return;
  const char* bytes = static_cast<const char*>(data);
  for (std::uint64_t page = offset / kPage; page <= (offset + length - 1) / kPage; ++page) {
    auto it = wa.pages.find(page);
    if (it == wa.pages.end()) continue;
    const std::uint64_t from = std::max(offset, page * kPage), to = std::min(offset + length, (page + 1) * kPage);
    const std::size_t at = static_cast<std::size_t>(from - page * kPage);
    if (at + (to - from) > it->second.size()) {
      wa.pages.erase(it);
      continue;
    }
    std::memcpy(it->second.data() + at, bytes + (from - offset), static_cast<std::size_t>(to - from));
  }
}

int WriteKept(TDbfWorkArea& wa, std::uint64_t offset, const void* data, std::size_t length) {
  wa.heldRecord = 0;
  int rc = platform::WriteAt(wa.file, offset, data, length);
  if (rc == 0) WriteThrough(wa, offset, data, length);
  else DropReadAhead(wa);
  return rc;
}

void CloseAndFree(TDbfWorkArea& wa) {
  DropRecordMap(wa);
  wa.readAhead.clear();
  wa.readAheadFirst = wa.readAheadCount = 0;
  wa.pages.clear();
  wa.pageBytes = 0;
  if (wa.file != platform::kNoFile) platform::CloseFile(wa.file);
  wa.recordBuffer.clear();
  wa.recordBuffer.shrink_to_fit();
  wa.fields.clear();
  wa.fieldCount = 0;
  wa.fileState = 0;
}

std::string NotDbase(const TDbfWorkArea& wa, const char* reason) {
  return wa.fileName + " is not a dBASE database. (" + reason + ") [USE/OpenDbf]";
}

// Converts one descriptor; false for an invalid type letter (code 211 set).
bool ConvertFieldDescriptor(const TDbfWorkArea& wa, const std::uint8_t* d, int layout,
                            std::uint16_t& offset, TDbfFieldEntry& e) {
  char name[12] = {};
  for (int i = 0; i < 11 && d[i] != 0; ++i) name[i] = UpCaseChar(static_cast<char>(d[i]));
  e.name = name;
  std::uint8_t type, len, dec;
  if (layout == 48) {
    type = d[32]; len = d[33]; dec = d[34];
  } else if (layout == 16) {
    type = d[11]; len = d[12]; dec = d[15];
  } else {
    type = d[11]; len = d[16]; dec = d[17];
  }
  char t = static_cast<char>(type);
  if (t == 'B' || t == 'G' || t == 'P' || t == 'b' || t == 'g' || t == 'p') t = 'M';
  e.type = t;
  e.length = len;
  e.decimals = dec;
  e.offset = offset;
  offset = static_cast<std::uint16_t>(offset + len);
  if (std::strchr("CDFLMN", t) == nullptr || t == '\0') {
    TzLastError = 211;
    TzErrorDetail = "Field: " + e.name.str() + " [" + std::string(1, t) + "] in " + wa.fileName +
                    " is not a valid field type";
    return false;
  }
  return true;
}

void TodayParts(int& y, int& m, int& d) {
  TzDate t = TzToday();
  y = t.year;
  m = t.month;
  d = t.day;
}

std::string TodayText() {
  int y, m, d;
  TodayParts(y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y % 10000, m % 100, d % 100);
  return buf;
}

// Writes the header's date and record count; the reserved bytes 16-27 are
// re-read first so that what another program stored there survives.
int WriteHeaderBytes(TDbfWorkArea& wa) {
  int y, m, d;
  TodayParts(y, m, d);
  std::uint8_t v = wa.prolog[0];
  if (IsDbase2(v)) {
    std::uint8_t h[8];
    std::memcpy(h, wa.prolog, 8);
    Put16(h + 1, static_cast<std::uint32_t>(wa.recordCount));
    h[3] = static_cast<std::uint8_t>(m);
    h[4] = static_cast<std::uint8_t>(d);
    h[5] = static_cast<std::uint8_t>(y - 1900);
    return WriteKept(wa, 0, h, 8);
  }
  std::size_t got = 0;
  std::uint8_t reserved[12];
  if (platform::ReadAt(wa.file, 16, reserved, 12, got) == 0 && got == 12)
    std::memcpy(wa.prolog + 16, reserved, 12);
  wa.prolog[1] = static_cast<std::uint8_t>(y - 1900);
  wa.prolog[2] = static_cast<std::uint8_t>(m);
  wa.prolog[3] = static_cast<std::uint8_t>(d);
  Put32(wa.prolog + 4, static_cast<std::uint32_t>(wa.recordCount));
  return WriteKept(wa, 0, wa.prolog, 32);
}

int WriteEndMark(TDbfWorkArea& wa) {
  const char eof = 0x1A;
  return WriteKept(wa, RecordOffset(wa, wa.recordCount + 1), &eof, 1);
}

}  // namespace

std::uint32_t SwapLong(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00U) | ((v << 8) & 0xFF0000U) | (v << 24);
}
std::uint16_t SwapWord(std::uint16_t v) { return static_cast<std::uint16_t>((v >> 8) | (v << 8)); }
bool IsDbase2(std::uint8_t v) { return v == 2 && !Extras(); }
bool IsLevel7(std::uint8_t v) { return (v == 4 || v == 0x8C) && !Extras(); }

bool ValidVersionByte(std::uint8_t b) {
  switch (b) {
    case 2: case 3: case 4: case 0x83: case 0x8B: case 0x8C: case 0xF5: return true;
    default: return b != 0 && (b == ExtraVersionByte1 || b == ExtraVersionByte2);
  }
}

std::string MemoExtension(std::uint8_t v) {
  if (!ValidVersionByte(v)) v = CreateVersionByte;
  return v == 0xF5 || v == 0x30 ? "fpt" : "dbt";
}

std::int32_t RecordCountFromSize(const TDbfWorkArea& wa) {
  if (wa.recordLength == 0) return 0;
  std::int64_t size = platform::FileSize(wa.file);
  if (size <= wa.headerLength) return 0;
  std::int64_t n = (size - wa.headerLength) / wa.recordLength;
  // With one byte per record (fields that hold nothing) the end mark would
  // count as a record of its own; no record starts with it.
  if (wa.recordLength == 1 && n > 0) {
    std::uint8_t last = 0;
    std::size_t got = 0;
    if (platform::ReadAt(wa.file, static_cast<std::uint64_t>(size - 1), &last, 1, got) == 0 && got == 1 &&
        last == 0x1A)
      --n;
  }
  return n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(n);
}

bool FileHoldsCountedRecords(const TDbfWorkArea& wa, std::int64_t& counted, std::int64_t& held) {
  counted = held = 0;
  if (wa.isVirtual || wa.file == platform::kNoFile || wa.recordLength == 0) return true;
  counted = IsDbase2(wa.prolog[0]) ? Get16(wa.prolog + 1) : Get32(wa.prolog + 4);
  const std::int64_t size = platform::FileSize(wa.file);
  if (size < 0) return true;
  held = size <= wa.headerLength ? 0 : (size - wa.headerLength) / wa.recordLength;
  return held >= counted;
}

void TranslateRecord(TranslateDirection direction, bool oem, TDbfTranslator translator,
                     std::size_t total, std::size_t recordLength, char* buffer) {
  if (recordLength < 2) return;
  for (std::size_t r = 0; r + recordLength <= total; r += recordLength) {
    char* text = buffer + r + 1;
    std::size_t n = recordLength - 1;
    if (translator) translator(text, n);
    if (oem) {
      if (direction == TranslateDirection::AfterRead) OemToAnsiBuffer(text, n);
      else AnsiToOemBuffer(text, n);
    }
  }
}

void OpenDbf(TDbfWorkArea& wa) {
  TzLastError = 0;
  wa.fileName = FindFileAnyCase(DefaultExtension(wa.fileName, "dbf"));
  unsigned mode = wa.openMode ? wa.openMode : DefaultFileMode;
  wa.openMode = mode;
  int rc = platform::OpenFile(wa.fileName, mode, wa.file);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Failure to open " + wa.fileName + " [USE/OpenDbf]");
    return;
  }
  std::string dir, name, ext;
  SplitPath(wa.fileName, dir, name, ext);
  wa.shortName = name + ext;

  std::int64_t fileSize = platform::FileSize(wa.file);
  std::size_t got = 0;
  rc = platform::ReadAt(wa.file, 0, wa.prolog, 32, got);
  auto fail = [&](std::uint16_t code, const std::string& detail) {
    CloseAndFree(wa);
    DederError(code, detail);
  };
  if (rc != 0 || got < 32) {
    fail(210, NotDbase(wa, "Prolog is less than 32 bytes"));
    return;
  }
  std::uint8_t v = wa.prolog[0];
  if (!ValidVersionByte(v)) {
    fail(210, NotDbase(wa, "Invalid version byte"));
    return;
  }
  const std::string readError = "Error reading " + wa.fileName + " [Use/OpenDbf]";
  std::vector<TDbfFieldEntry> fields;
  std::uint16_t offset = 1;

  if (IsDbase2(v)) {
    wa.memo = false;
    wa.recordCount = Get16(wa.prolog + 1);
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", (wa.prolog[5] + 1900) % 10000,
                  wa.prolog[3] % 100, wa.prolog[4] % 100);
    wa.lastUpdate = date;
    wa.recordLength = Get16(wa.prolog + 6);
    wa.headerLength = 521;
    if (fileSize < 521) {
      fail(210, NotDbase(wa, "Header is less than 521 bytes"));
      return;
    }
    std::uint8_t desc[512];
    rc = platform::ReadAt(wa.file, 8, desc, 512, got);
    if (rc != 0 || got < 512) {
      fail(100, readError);
      return;
    }
    for (int i = 0; i < 32 && desc[i * 16] != 0x0D; ++i) {
      TDbfFieldEntry e;
      if (!ConvertFieldDescriptor(wa, desc + i * 16, 16, offset, e)) {
        fail(211, readError);
        return;
      }
      fields.push_back(e);
    }
    if (fields.empty()) {
      fail(210, wa.shortName.str() + " is not a dBASE database. (Number of fields is out of range) [Use/OpenDbf]");
      return;
    }
  } else {
    bool level7 = IsLevel7(v);
    wa.memo = ExtraVersionByte2 != 0 ? v == ExtraVersionByte2 : (v & 0x80) != 0;
    wa.headerLength = Get16(wa.prolog + 8);
    wa.recordLength = Get16(wa.prolog + 10);
    std::uint16_t count = level7 ? static_cast<std::uint16_t>((wa.headerLength - 32 - 36) / 48)
                                 : static_cast<std::uint16_t>((wa.headerLength - 32) / 32);
    if (wa.headerLength < (level7 ? 68 : 32) || count < 1 || count > 255) {
      fail(210, wa.shortName.str() + " is not a dBASE database. (Number of fields is out of range) [Use/OpenDbf]");
      return;
    }
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", (wa.prolog[1] + 1900) % 10000,
                  wa.prolog[2] % 100, wa.prolog[3] % 100);
    wa.lastUpdate = date;
    std::uint32_t storedCount = Get32(wa.prolog + 4);
    if (storedCount > 0x7FFFFFFFU) {
      fail(210, NotDbase(wa, "Record count is out of range"));
      return;
    }
    wa.recordCount = static_cast<std::int32_t>(storedCount);
    std::uint64_t pos = 32;
    if (level7) {
      rc = platform::ReadAt(wa.file, 32, wa.level7Block, 36, got);
      if (rc != 0 || got < 36) {
        fail(100, readError);
        return;
      }
      pos += 36;
    }
    std::size_t descSize = level7 ? 48 : 32;
    std::size_t bytes = wa.headerLength - pos;
    std::vector<std::uint8_t> desc(bytes + descSize);
    rc = platform::ReadAt(wa.file, pos, desc.data(), bytes, got);
    if (rc != 0 || got < bytes) {
      fail(100, readError);
      return;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
      const std::uint8_t* d = desc.data() + i * descSize;
      if (d[0] == 0x0D) {
        if (i == 0) {
          fail(222, readError);
          return;
        }
        break;
      }
      TDbfFieldEntry e;
      if (!ConvertFieldDescriptor(wa, d, static_cast<int>(descSize), offset, e)) {
        fail(211, readError);
        return;
      }
      fields.push_back(e);
    }
  }

  // Check the header against the fields before any record is touched: a
  // damaged table must never let a record read run past its buffer.
  const char* damage = nullptr;
  if (wa.recordLength == 0) damage = "Record length is zero";
  else if (offset > wa.recordLength) damage = "Record length is smaller than the fields";
  else if (fileSize >= 0 && static_cast<std::uint64_t>(fileSize) < wa.headerLength)
    damage = "Header length is past the end of the file";
  if (damage) {
    fail(210, NotDbase(wa, damage));
    return;
  }

  wa.fields = std::move(fields);
  wa.fieldCount = static_cast<std::uint8_t>(wa.fields.size());
  wa.recordBuffer.assign(wa.recordLength, ' ');
  wa.fileState = 1;
  if (FixRecordCount) {
    wa.recordCount = RecordCountFromSize(wa);
  } else if ((mode & 0x70) == platform::kShareDenyAll) {
    // Nobody else has the file open: more whole records than the header
    // counts were appended by a program that ended before it wrote the
    // header. They are kept, and the next append goes after them.
    std::int32_t inFile = RecordCountFromSize(wa);
    if (inFile > wa.recordCount) {
      std::fprintf(stderr, "%s: the header counts %d records, the file holds %d; all %d are kept\n",
                   wa.fileName.c_str(), static_cast<int>(wa.recordCount), static_cast<int>(inFile),
                   static_cast<int>(inFile));
      wa.recordCount = inFile;
      if ((mode & 0x0F) != platform::kOpenRead) wa.fileState = 3;
    }
  }
  if (wa.recordCount < 1) {
    wa.recordNumber = 0;
    wa.endFlag = wa.beginFlag = true;
  } else {
    wa.recordNumber = 1;
    wa.endFlag = wa.beginFlag = false;
  }
}

void GetDbfRecord(TDbfWorkArea& wa, std::int32_t n) {
  TzLastError = 0;
  if (n < 1 || n > wa.recordCount) {
    DederError(212, "Invalid record number = " + std::to_string(n) + " (" + wa.fileName +
                        ")  [GetDbfRecord]");
    return;
  }
  wa.endFlag = wa.beginFlag = false;
  if (wa.isVirtual) return;  // the work-area layer hands it to the virtual-file hook
  std::size_t got = 0;
  int rc = 0;
  const std::size_t rl = wa.recordLength;
  const bool sequential = n == wa.lastRead + 1;
  wa.lastRead = n;
  if (wa.exclusive && sequential && !(n >= wa.readAheadFirst && n < wa.readAheadFirst + wa.readAheadCount)) {
    // Nobody else writes an exclusive table: a sequential reader gets the
    // following records too.
    std::size_t records = std::max<std::size_t>(1, 65536 / rl);
    records = std::min<std::size_t>(records, static_cast<std::size_t>(wa.recordCount - n + 1));
    wa.readAhead.resize(records * rl);
    rc = platform::ReadAt(wa.file, RecordOffset(wa, n), wa.readAhead.data(), records * rl, got);
    wa.readAheadFirst = n;
    wa.readAheadCount = rc == 0 ? static_cast<std::int32_t>(got / rl) : 0;
    // One look at the whole block spares each of its records the conversion.
    wa.readAheadKept = OemToAnsiKeeps(wa.readAhead.data(), static_cast<std::size_t>(wa.readAheadCount) * rl);
  }
  if (wa.exclusive && n >= wa.readAheadFirst && n < wa.readAheadFirst + wa.readAheadCount) {
    std::memcpy(wa.recordBuffer.data(), wa.readAhead.data() + static_cast<std::size_t>(n - wa.readAheadFirst) * rl, rl);
    if (wa.readAheadKept && !wa.readTranslator) {
      wa.recordNumber = n;
      return;
    }
  } else if (wa.countHeld && n == wa.heldRecord && wa.heldBytes.size() == rl) {
    std::memcpy(wa.recordBuffer.data(), wa.heldBytes.data(), rl);
  } else if ((wa.unlockedRead || wa.exclusive) && ReadFromMap(wa, RecordOffset(wa, n), wa.recordBuffer.data(), rl)) {
  } else if (rc == 0 && !(wa.exclusive && ReadFromPages(wa, RecordOffset(wa, n), wa.recordBuffer.data(), rl))) {
    rc = platform::ReadAt(wa.file, RecordOffset(wa, n), wa.recordBuffer.data(), rl, got);
    if (rc == 0 && got < rl) rc = 213;
    if (rc == 0 && wa.countHeld) {
      wa.heldBytes.assign(wa.recordBuffer.begin(), wa.recordBuffer.end());
      wa.heldRecord = n;
    }
  }
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "File:  " + wa.fileName + "  [GetDbfRecord]");
    return;
  }
  wa.recordNumber = n;
  TranslateRecord(TranslateDirection::AfterRead, wa.oem, wa.readTranslator, wa.recordLength,
                  wa.recordLength, wa.recordBuffer.data());
}

namespace {

void MarkWritten(TDbfWorkArea& wa, bool appended) {
  if (appended) wa.fileState = 3;
  else if (wa.fileState != 3) wa.fileState = 2;
}

}  // namespace

void DropRecordMap(TDbfWorkArea& wa) {
  platform::Unmap(wa.recordMap, wa.recordMapLength);
  wa.recordMap = nullptr;
  wa.recordMapLength = 0;
}

void DropReadAhead(TDbfWorkArea& wa) {
  DropRecordMap(wa);
  wa.heldRecord = 0;
  wa.readAheadFirst = 0;
  wa.readAheadCount = 0;
  wa.pages.clear();
  wa.pageBytes = 0;
}

void PutDbfRecord(TDbfWorkArea& wa, std::int32_t n) {
  TzLastError = 0;
  wa.readAheadFirst = wa.readAheadCount = 0;
  bool append = n > wa.recordCount;
  if (append) n = wa.recordCount + 1;
  if (wa.isVirtual) return;
  if (n < 1) {
    DederError(212, "Invalid record number = " + std::to_string(n) + " (" + wa.fileName +
                        ")  [Replace/Append/PutDbfRecord]");
    return;
  }
  if (append) {
    wa.recordCount = n;
    wa.recordNumber = n;
  }
  char* buf = wa.recordBuffer.data();
  TranslateRecord(TranslateDirection::BeforeWrite, wa.oem, wa.writeTranslator, wa.recordLength,
                  wa.recordLength, buf);
  int rc = WriteKept(wa, RecordOffset(wa, n), buf, wa.recordLength);
  TranslateRecord(TranslateDirection::AfterRead, wa.oem, wa.readTranslator, wa.recordLength,
                  wa.recordLength, buf);
  MarkWritten(wa, append);
  if (rc == 0 && FlushAfterWrite) {
    if (append) UpdateHeader(wa);
    else platform::FlushFile(wa.file);
    rc = TzLastError;
  }
  if (rc != 0)
    DederError(static_cast<std::uint16_t>(rc), "File:  " + wa.fileName + " [Replace/Append/PutDbfRecord]");
}

void AppendDbfRecord(TDbfWorkArea& wa) { PutDbfRecord(wa, wa.recordCount + 1); }

void DeleteRecallFlag(TDbfWorkArea& wa, std::int32_t n) {
  TzLastError = 0;
  wa.readAheadFirst = wa.readAheadCount = 0;
  bool append = n > wa.recordCount;
  if (append) {
    n = wa.recordCount + 1;
    wa.recordCount = n;
  }
  if (n < 1) return;
  int rc = WriteKept(wa, RecordOffset(wa, n), wa.recordBuffer.data(), 1);
  if (rc == 0 && FlushAfterWrite) rc = platform::FlushFile(wa.file);
  MarkWritten(wa, append);
  if (rc != 0)
    DederError(static_cast<std::uint16_t>(rc), "File:  " + wa.fileName + " [DeleteRec/RecallRec]");
}

void UpdateHeader(TDbfWorkArea& wa) {
  TzLastError = 0;
  if (wa.fileState != 2 && wa.fileState != 3) return;
  int rc = WriteHeaderBytes(wa);
  if (rc == 0 && wa.fileState == 3) rc = WriteEndMark(wa);
  wa.fileState = 1;
  if (rc == 0) rc = platform::FlushFile(wa.file);
  TzLastError = static_cast<std::uint16_t>(rc);
  if (rc != 0 && TzErrorDispatchOn) {
    TzErrorDetail = "File:  " + wa.fileName + " [UpdateHeader]";
    DispatchTzError();
  }
}

void FlushDbfFile(TDbfWorkArea& wa) {
  if (wa.file != platform::kNoFile) platform::FlushFile(wa.file);
}

void CloseDbf(TDbfWorkArea& wa) {
  TzLastError = 0;
  if (wa.isVirtual) return;  // the work-area layer hands it to the virtual-file hook
  std::string name = wa.fileName;
  int rc = 0;
  if (wa.file != platform::kNoFile) {
    if (wa.fileState == 2 || wa.fileState == 3) rc = WriteHeaderBytes(wa);
    if (rc == 0 && wa.fileState == 3) rc = WriteEndMark(wa);
    int crc = platform::CloseFile(wa.file);
    if (rc == 0) rc = crc;
  }
  CloseAndFree(wa);
  if (rc != 0) DederError(static_cast<std::uint16_t>(rc), "File:  " + name + " [CloseDbf(" + name + ")]");
}

void CreateDbf(TDbfWorkArea& wa, const std::string& fileName, int n, const TDbfFieldEntry* entries) {
  TzLastError = 0;
  std::uint8_t requested = Extras() ? 0x8B : CreateVersionByte;
  bool extendedTypes = requested == 0x8B || requested == 0x8C;
  bool level7 = requested == 0x8C;
  std::size_t descSize = level7 ? 48 : 32;
  if (n < 1 || n > 255 || entries == nullptr) {
    DederError(211, "Invalid dBASE field definition [CreateDBF]");
    return;
  }
  // Clear the file part.
  wa.fields.clear();
  wa.recordBuffer.clear();
  wa.fileName = DefaultExtension(fileName, "dbf");
  wa.file = platform::kNoFile;
  wa.fieldCount = static_cast<std::uint8_t>(n);
  bool memo = false;
  std::size_t headerLength = n * descSize + 32 + 1 + (level7 ? 36 : 0);
  std::vector<std::uint8_t> header(headerLength, 0);
  std::uint32_t recordLength = 1;
  for (int i = 0; i < n; ++i) {
    TDbfFieldEntry e = entries[i];
    char t = UpCaseChar(e.type);
    if (t == 'B' || t == 'G' || t == 'M' || t == 'P') memo = true;
    if (t == 'F' && requested == 0x83) t = 'N';
    bool valid = std::strchr("CDFLMN", t) != nullptr || (extendedTypes && std::strchr("BGP", t) != nullptr);
    std::uint8_t len = e.length;
    std::uint8_t dec = 0;
    if (t == 'C' || t == 'F' || t == 'N') {
      if (len == 0) valid = false;
      if (t != 'C') dec = e.decimals;
    } else if (t == 'D') {
      len = 8;
    } else if (t == 'L') {
      len = 1;
    } else {
      len = 10;
    }
    if (!valid || t == '\0') {
      DederError(211, "Invalid dBASE field definition [CreateDBF]");
      return;
    }
    std::string name = TzUpperCase(AllTrim(e.name.view()));
    if (name.size() > 10) name.resize(10);
    std::uint8_t* d = header.data() + 32 + (level7 ? 36 : 0) + i * descSize;
    std::memcpy(d, name.data(), name.size());
    if (level7) {
      d[32] = static_cast<std::uint8_t>(t); d[33] = len; d[34] = dec;
    } else {
      d[11] = static_cast<std::uint8_t>(t); d[16] = len; d[17] = dec;
    }
    TDbfFieldEntry f;
    f.name = name;
    f.type = (t == 'B' || t == 'G' || t == 'P') ? 'M' : t;
    f.length = len;
    f.decimals = dec;
    f.offset = static_cast<std::uint16_t>(recordLength);
    wa.fields.push_back(f);
    recordLength += len;
  }
  if (recordLength > 0xFFFF) {
    DederError(211, "Invalid dBASE field definition [CreateDBF]");
    return;
  }
  header[headerLength - 1] = 0x0D;
  Put16(header.data() + 8, static_cast<std::uint32_t>(headerLength));
  Put16(header.data() + 10, recordLength);
  if (level7) std::memcpy(header.data() + 32, "DBWINWE0", 8);
  // The language driver names the code page of the table's texts (the OEM
  // flag), so that other programs decode them unasked: 0x01 DOS 437, 0x03
  // Windows 1252.
  header[29] = wa.oem ? 0x01 : 0x03;
  std::uint8_t version;
  if (!memo) version = level7 ? 4 : 3;
  else version = requested;
  if (ExtraVersionByte1 != 0 && !memo) version = ExtraVersionByte1;
  if (ExtraVersionByte2 != 0 && memo) version = ExtraVersionByte2;
  header[0] = version;
  std::memcpy(wa.prolog, header.data(), 32);
  if (level7) std::memcpy(wa.level7Block, header.data() + 32, 36);
  wa.memo = memo;
  wa.headerLength = static_cast<std::uint16_t>(headerLength);
  wa.recordLength = static_cast<std::uint16_t>(recordLength);

  int rc = platform::CreateFile(wa.fileName, wa.file);
  if (rc == 0) rc = platform::WriteAt(wa.file, 0, header.data(), header.size());
  if (rc != 0) {
    if (wa.file != platform::kNoFile) platform::CloseFile(wa.file);
    CloseAndFree(wa);
    DederError(static_cast<std::uint16_t>(rc), "Error writing " + wa.fileName + ". [CreateDbf]");
    return;
  }
  wa.fileState = 3;
  wa.recordCount = 0;
  wa.lastUpdate = TodayText();
  std::string name = wa.fileName;
  CloseDbf(wa);
  if (memo && TzLastError == 0)
    CreateMemoFile(ForceExtension(name, MemoExtension(CreateVersionByte)), CreateVersionByte,
                   MemoBlockSize, "CreateDbf()");
}

void CreateMemoFile(const std::string& fileName, std::uint8_t version, std::uint16_t blockSize,
                    const std::string& label) {
  std::string dir, base, ext;
  SplitPath(fileName, dir, base, ext);
  std::vector<std::uint8_t> bytes;
  if (blockSize == 0) blockSize = 512;
  if (version == 0x83) {
    bytes.assign(513, 0);
    bytes[0] = 1;
    bytes[512] = 0x1A;
  } else if (version == 0xF5) {
    bytes.assign(512, 0);
    std::uint32_t next = 511 / blockSize + 1;
    bytes[0] = static_cast<std::uint8_t>(next >> 24);
    bytes[1] = static_cast<std::uint8_t>(next >> 16);
    bytes[2] = static_cast<std::uint8_t>(next >> 8);
    bytes[3] = static_cast<std::uint8_t>(next);
    bytes[6] = static_cast<std::uint8_t>(blockSize >> 8);
    bytes[7] = static_cast<std::uint8_t>(blockSize);
  } else {
    bytes.assign(24, 0);
    Put32(bytes.data(), 1);
    std::string n = base.substr(0, 8);
    std::memcpy(bytes.data() + 8, n.data(), n.size());
    Put16(bytes.data() + 18, 0x0102);
    Put16(bytes.data() + 20, blockSize);
  }
  platform::FileHandle h = platform::kNoFile;
  int rc = platform::CreateFile(fileName, h);
  if (rc == 0) rc = platform::WriteAt(h, 0, bytes.data(), bytes.size());
  if (h != platform::kNoFile) platform::CloseFile(h);
  if (rc != 0)
    DederError(static_cast<std::uint16_t>(rc), "Cannot create memo file " + fileName + " [" + label + "]");
}

bool StoredNumber(std::string_view text, double& value) {
  return ReadStoredNumber(text, value) == TStoredRead::Number;
}
