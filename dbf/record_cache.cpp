#include "dbf/record_cache.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/locks.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"

std::uint16_t CacheSize = 0;
void (*SearchCallback)() = nullptr;
std::uint8_t SearchFoundField = 0;
bool SearchAccept = false;

namespace {

constexpr std::size_t kMaxBlock = 65520;

struct RecordCache {
  std::vector<char> block;
  std::string alias;
  std::int32_t first = 0;
  std::int32_t count = 0;
};

RecordCache Cache;

void FreeCache() {
  Cache.block.clear();
  Cache.block.shrink_to_fit();
  Cache.alias.clear();
  Cache.first = 0;
  Cache.count = 0;
}

bool Cached(const TDbfWorkArea& wa, std::int32_t n) {
  return !Cache.block.empty() && Cache.alias == wa.alias.view() && n >= Cache.first &&
         n < Cache.first + Cache.count;
}

// Offset and length of field f in the record (0: the delete flag).
bool FieldRange(const TDbfWorkArea& wa, int f, std::size_t& offset, std::size_t& length) {
  if (f < 0 || f > wa.fieldCount) return false;
  if (f == 0) {
    offset = 0;
    length = 1;
  } else {
    offset = wa.fields[f - 1].offset;
    length = wa.fields[f - 1].length;
  }
  return true;
}

}  // namespace

void InitRecordCache() {
  CacheSize = 0;
  SearchCallback = nullptr;
  SearchFoundField = 0;
  SearchAccept = false;
  FreeCache();
}

void DropRecordCache(const std::string& alias) {
  if (Cache.alias == alias) FreeCache();
  // The table file may have changed under the work area's read-ahead too.
  for (int i = 1; i <= kMaxWorkAreas; ++i)
    if (WorkAreas[i] && WorkAreas[i]->alias.view() == alias) DropReadAhead(*WorkAreas[i]);
}

void UpdateCache(const TDbfWorkArea& wa) {
  if (!Cached(wa, wa.recordNumber) || wa.recordBuffer.size() != wa.recordLength) return;
  // The cache holds the bytes as stored: translate a copy for writing.
  std::vector<char> rec(wa.recordBuffer);
  TranslateRecord(TranslateDirection::BeforeWrite, wa.oem, wa.writeTranslator, rec.size(),
                  rec.size(), rec.data());
  std::memcpy(Cache.block.data() + static_cast<std::size_t>(wa.recordNumber - Cache.first) * wa.recordLength,
              rec.data(), rec.size());
}

void Search(const std::string& text, std::uint8_t& field, bool fromTop) {
  TDbfWorkArea* wa = SelectedWorkArea();
  std::uint8_t restrict = field;
  field = 0;
  if (!wa) {
    NoDatabaseInUse("Search");
    return;
  }
  if (wa->isVirtual) {
    DederError(1100, "Operation cannot be used on virtual files. [Search]");
    return;
  }
  std::string key = AllTrim(text);
  if (key.empty()) return;
  // The key is translated for reading as the blocks are, so that a letter
  // compares with the letter it is in the records read.
  if (wa->readTranslator) wa->readTranslator(key.data(), key.size());
  if (wa->oem) OemToAnsiBuffer(key.data(), key.size());
  key = TzUpperCase(key);
  if (restrict > wa->fieldCount) restrict = 0;
  RefreshRecordCount(*wa);
  const std::int32_t count = wa->recordCount;
  const std::int32_t start = wa->recordNumber;
  const bool startedAtEnd = dEOF();
  std::int32_t first = fromTop ? 1 : start + 1;
  if (first < 1) first = 1;
  const std::size_t rl = wa->recordLength;
  std::size_t blockBytes = SearchCallback ? kMaxBlock / 2 : kMaxBlock;
  blockBytes = std::max(rl, blockBytes / rl * rl);
  std::vector<char> block(blockBytes);
  SearchAccept = false;
  for (std::int32_t rec = first; rec <= count;) {
    std::size_t records = std::min<std::size_t>(blockBytes / rl, static_cast<std::size_t>(count - rec + 1));
    std::size_t got = 0;
    int rc = platform::ReadAt(wa->file, RecordOffset(*wa, rec), block.data(), records * rl, got);
    if (rc != 0) {
      TzLastError = static_cast<std::uint16_t>(rc);
      break;
    }
    records = got / rl;
    if (records == 0) break;
    TranslateRecord(TranslateDirection::AfterRead, wa->oem, wa->readTranslator, records * rl, rl,
                    block.data());
    std::string upper = TzUpperCase(std::string_view(block.data(), records * rl));
    for (std::size_t at = upper.find(key); at != std::string::npos; at = upper.find(key, at + 1)) {
      std::int32_t hit = rec + static_cast<std::int32_t>(at / rl);
      std::size_t inRecord = at % rl;
      int f = 0;
      for (int i = 0; i < wa->fieldCount; ++i) {
        const TDbfFieldEntry& e = wa->fields[i];
        if (inRecord >= e.offset && inRecord < e.offset + static_cast<std::size_t>(e.length)) {
          f = i + 1;
          if (inRecord + key.size() > e.offset + static_cast<std::size_t>(e.length)) f = 0;
          if (e.type == 'M') f = 0;
          break;
        }
      }
      if (f == 0 || (restrict != 0 && f != restrict)) continue;
      if (hit > RecCount()) {
        rec = count + 1;
        break;
      }
      Go(hit);
      if (TzLastError != 0) return;
      if (!RecordVisible()) continue;  // deleted and hidden, or outside the filter
      if (SearchCallback) {
        SearchFoundField = static_cast<std::uint8_t>(f);
        SearchAccept = false;
        SearchCallback();
        if (!SearchAccept) continue;
      }
      field = static_cast<std::uint8_t>(f);
      return;
    }
    rec += static_cast<std::int32_t>(records);
  }
  // Nothing found: back where the search began, the end of the table too.
  if (startedAtEnd) {
    GoBottom();
    if (!dEOF()) Skip(1);
  } else if (start >= 1 && start <= wa->recordCount) {
    Go(start);
  }
}

namespace {

// The selected work area for a direct read, or none with its error.
TDbfWorkArea* DirectReadArea(const char* routine) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse(routine);
    return nullptr;
  }
  if (wa->isVirtual) {
    DederError(1100, std::string("Operation cannot be used on virtual files. [") + routine + "]");
    return nullptr;
  }
  return wa;
}

// The read named in an error: of field f, or of the whole record (f < 0).
std::string PeekCall(int f, std::int32_t n) {
  return f < 0 ? "PeekRecord(" + std::to_string(n) + ")" : "Peek(" + std::to_string(f) + "," + std::to_string(n) + ")";
}

// Bytes [offset, offset + length) of record n as stored, from the file or
// through the read-ahead cache, for field f (f < 0: the record).
void ReadStored(TDbfWorkArea& wa, std::int32_t n, std::size_t offset, std::size_t length, int f,
                std::string& result) {
  if (!Cache.block.empty() && Cache.alias != wa.alias.view()) FreeCache();
  const std::size_t rl = wa.recordLength;
  if (CacheSize == 0) {
    result.assign(length, ' ');
    std::size_t got = 0;
    int rc = platform::ReadAt(wa.file, RecordOffset(wa, n) + offset, result.data(), length, got);
    if (rc == 0 && got < length) rc = 100;
    if (rc != 0) {
      result.clear();
      DederError(static_cast<std::uint16_t>(rc), "DBF: " + wa.fileName + " [" + PeekCall(f, n) + "]");
    }
    return;
  }
  if (!Cached(wa, n)) {
    std::size_t size = std::min<std::size_t>(CacheSize, kMaxBlock);
    std::size_t records = std::min<std::size_t>(size / rl, static_cast<std::size_t>(wa.recordCount));
    if (records == 0) records = 1;
    Cache.block.assign(records * rl, ' ');
    std::size_t got = 0;
    int rc = platform::ReadAt(wa.file, RecordOffset(wa, n), Cache.block.data(), Cache.block.size(), got);
    if (got / rl == 0) {
      FreeCache();
      DederError(static_cast<std::uint16_t>(rc ? rc : 100), "DBF: " + wa.fileName + " [" + PeekCall(f, n) + "]");
      return;
    }
    Cache.alias = wa.alias.str();
    Cache.first = n;
    Cache.count = static_cast<std::int32_t>(got / rl);
  }
  const char* rec = Cache.block.data() + static_cast<std::size_t>(n - Cache.first) * rl;
  result.assign(rec + offset, length);
}

}  // namespace

void Peek(int f, std::int32_t n, std::string& result) {
  result.clear();
  TDbfWorkArea* wa = DirectReadArea("Peek");
  std::size_t offset = 0, length = 0;
  if (!wa || n < 1 || n > wa->recordCount || !FieldRange(*wa, f, offset, length)) return;
  ReadStored(*wa, n, offset, length, f, result);
}

void PeekRecord(std::int32_t n, std::string& result) {
  result.clear();
  TDbfWorkArea* wa = DirectReadArea("PeekRecord");
  if (!wa || n < 1 || n > wa->recordCount) return;
  ReadStored(*wa, n, 0, wa->recordLength, -1, result);
}

void Poke(const std::string& value, int f, std::int32_t n) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("Poke");
    return;
  }
  std::string detail = "[Poke(" + value + "," + std::to_string(f) + "," + std::to_string(n) + ")]";
  if (detail.size() > 100) detail.resize(100);
  if (wa->isVirtual) {
    DederError(1100, "Operation cannot be used on virtual files." + detail);
    return;
  }
  if (!RecordPokeAllowed(*wa, n)) {
    DederError(1200, "Record not locked " + detail);
    return;
  }
  std::size_t offset = 0, length = 0;
  if (n < 1 || n > wa->recordCount || !FieldRange(*wa, f, offset, length)) return;
  std::size_t len = f == 0 ? 1 : std::min(value.size(), length);
  if (len == 0) return;
  std::string bytes = f == 0 ? std::string(1, value.empty() ? ' ' : value[0]) : value.substr(0, len);
  DropReadAhead(*wa);
  int rc = platform::WriteAt(wa->file, RecordOffset(*wa, n) + offset, bytes.data(), len);
  if (rc != 0) {
    TzLastError = static_cast<std::uint16_t>(rc);
    return;
  }
  if (wa->fileState != 3) wa->fileState = 2;
  if (Cached(*wa, n))
    std::memcpy(Cache.block.data() + static_cast<std::size_t>(n - Cache.first) * wa->recordLength + offset,
                bytes.data(), len);
}
