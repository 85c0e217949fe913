#include "dbf/blob_streams.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dbf/errors.h"
#include "dbf/memo.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"

namespace {

constexpr std::int32_t kWindow = 512;
constexpr std::int32_t kPiece = 32767;
constexpr std::int32_t kNoWindow = 0x7FFFFFFF - kWindow;

void Reset(TBlobDescriptor& d) { d = TBlobDescriptor{}; }

// Reports with the memo's block, file and record after the reset.
void Report(TMemoState& m, std::uint16_t code, const std::string& label) {
  std::string detail = std::to_string(m.blob.block) + " " + m.fileName + MemoRecordText() + " [" + label + "]";
  Reset(m.blob);
  ReleaseMemoLock(m, "");
  DederError(code, detail);
}

bool IsText(const std::uint8_t* p, std::int32_t n) {
  for (std::int32_t i = 0; i < n; ++i) {
    std::uint8_t c = p[i];
    if (c < 32 && c != 9 && c != 10 && c != 13 && c != 15 && c != 20 && c != 21) return false;
  }
  return true;
}

void DecideText(TBlobDescriptor& d, const void* p, std::int32_t n) {
  if (d.textMode == -1 && n > 0) d.textMode = IsText(static_cast<const std::uint8_t*>(p), n) ? 1 : 0;
}

// Reads `n` bytes at stream offset `at`, through the translation window
// when the work area has a read translator.
int ReadRaw(TMemoState& m, TDbfTranslator tr, std::int32_t at, std::uint8_t* out, std::int32_t n,
            std::int32_t& got) {
  TBlobDescriptor& d = m.blob;
  got = 0;
  if (!tr) {
    std::size_t g = 0;
    int rc = platform::ReadAt(m.file, static_cast<std::uint64_t>(d.dataStart + at), out, static_cast<std::size_t>(n), g);
    got = static_cast<std::int32_t>(g);
    return rc;
  }
  while (got < n) {
    std::int32_t pos = at + got;
    std::int32_t start = pos / kWindow * kWindow;
    if (d.windowStart != start) {
      std::size_t g = 0;
      d.buffer.assign(kWindow, 0);
      int rc = platform::ReadAt(m.file, static_cast<std::uint64_t>(d.dataStart + start), d.buffer.data(), kWindow, g);
      if (rc != 0) return rc;
      tr(reinterpret_cast<char*>(d.buffer.data()), g);
      d.buffer.resize(g);
      d.windowStart = start;
    }
    std::int32_t inWindow = pos - start;
    std::int32_t avail = static_cast<std::int32_t>(d.buffer.size()) - inWindow;
    if (avail <= 0) break;
    std::int32_t take = std::min(avail, n - got);
    std::memcpy(out + got, d.buffer.data() + inWindow, static_cast<std::size_t>(take));
    got += take;
  }
  return 0;
}

// Writes the translation window's pending bytes.
int FlushWindow(TMemoState& m, TDbfTranslator tr) {
  TBlobDescriptor& d = m.blob;
  if (d.pending == 0 || d.windowStart == kNoWindow) return 0;
  std::vector<std::uint8_t> out(d.buffer.begin(), d.buffer.begin() + d.pending);
  tr(reinterpret_cast<char*>(out.data()), out.size());
  d.pending = 0;
  return platform::WriteAt(m.file, static_cast<std::uint64_t>(d.dataStart + d.windowStart), out.data(), out.size());
}

int WriteRaw(TMemoState& m, TDbfTranslator tr, std::int32_t at, const std::uint8_t* in, std::int32_t n) {
  TBlobDescriptor& d = m.blob;
  if (!tr) return platform::WriteAt(m.file, static_cast<std::uint64_t>(d.dataStart + at), in, static_cast<std::size_t>(n));
  std::int32_t done = 0;
  while (done < n) {
    std::int32_t pos = at + done;
    std::int32_t start = pos / kWindow * kWindow;
    if (d.windowStart != start) {
      int rc = FlushWindow(m, tr);
      if (rc != 0) return rc;
      // The file holds translated bytes that cannot be read back, so a window
      // written before starts from the untranslated copy: its bytes are kept.
      d.buffer.assign(kWindow, 0);
      std::int32_t kept = std::clamp(static_cast<std::int32_t>(d.plain.size()) - start, 0, kWindow);
      if (kept > 0) std::memcpy(d.buffer.data(), d.plain.data() + start, static_cast<std::size_t>(kept));
      d.pending = static_cast<std::uint16_t>(kept);
      d.windowStart = start;
    }
    std::int32_t inWindow = pos - start;
    std::int32_t take = std::min(kWindow - inWindow, n - done);
    std::memcpy(d.buffer.data() + inWindow, in + done, static_cast<std::size_t>(take));
    if (d.plain.size() < static_cast<std::size_t>(pos + take)) d.plain.resize(static_cast<std::size_t>(pos + take));
    std::memcpy(d.plain.data() + pos, in + done, static_cast<std::size_t>(take));
    d.pending = static_cast<std::uint16_t>(std::max<std::int32_t>(d.pending, inWindow + take));
    done += take;
    if (d.pending == kWindow) {
      int rc = FlushWindow(m, tr);
      if (rc != 0) return rc;
      d.windowStart = kNoWindow;
    }
  }
  return 0;
}

}  // namespace

std::int32_t CreateBlobDescriptor(bool autoText, std::int32_t block, std::uint8_t mode) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = SelectedMemoState();
  if (!m) {
    DederError(1019, " No Memo Field [" + (wa ? wa->alias.str() : std::string("CreateBlobDescriptor")) + "]");
    return 0;
  }
  if (m->blob.active) DestroyBlobDescriptor();
  TBlobDescriptor& d = m->blob;
  Reset(d);
  d.textMode = autoText ? -1 : 0;
  if (block < 0) block = -block;
  d.block = block;
  if (mode == 1) {
    std::int64_t start = 0, length = -1;
    int rc = MemoGroupData(*m, block, start, length);
    if (rc != 0) {
      Report(*m, rc == 1003 ? 1003 : static_cast<std::uint16_t>(rc), "CreateBlobDescriptor");
      return 0;
    }
    d.dataStart = start;
    d.headerLength = static_cast<std::uint8_t>(start - static_cast<std::int64_t>(block) * m->blockSize);
    d.length = length < 0 ? -1 : static_cast<std::int32_t>(std::min<std::int64_t>(length, 0x7FFFFFFF));
  } else if (mode == 2) {
    std::int64_t pos = 0;
    if (PrepareMemoWrite(*m, pos, "CreateBlobDescriptor") != 0) {
      Reset(d);
      return 0;
    }
    d.block = static_cast<std::int32_t>(pos / m->blockSize);
    d.dataStart = pos + 8;
    d.headerLength = 8;
    d.length = -1;
  } else {
    DederError(220, "Invalid BLOB mode " + std::to_string(mode) + " [CreateBlobDescriptor]");
    return 0;
  }
  d.mode = mode;
  d.active = true;
  return m->kind == kMemoDbase3 && mode == 2 ? -d.block : d.block;
}

void DestroyBlobDescriptor() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = SelectedMemoState();
  if (!m) {
    DederError(1019, " No Memo Field [" + (wa ? wa->alias.str() : std::string("DestroyBlobDescriptor")) + "]");
    return;
  }
  TBlobDescriptor& d = m->blob;
  if (d.active && d.mode == 2) {
    int rc = wa->writeTranslator ? FlushWindow(*m, wa->writeTranslator) : 0;
    if (rc == 0 && d.written > 0)
      rc = WriteGroupHeader(*m, static_cast<std::int64_t>(d.block) * m->blockSize, static_cast<std::uint32_t>(d.written));
    if (rc != 0) {
      Report(*m, static_cast<std::uint16_t>(rc), "DestroyBlobDescriptor");
      return;
    }
    FinishMemoWrite(*m, "DestroyBlobDescriptor");
    platform::FlushFile(m->file);
  }
  ReleaseMemoLock(*m, "DestroyBlobDescriptor");
  Reset(d);
}

std::int32_t ReadBlobStream(void* buffer, std::int32_t count) {
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = SelectedMemoState();
  if (!m || !m->blob.active || m->blob.mode != 1 || count <= 0 || !buffer) return 0;
  TBlobDescriptor& d = m->blob;
  std::int64_t size = platform::FileSize(m->file);
  std::int64_t avail = size - (d.dataStart + d.position);
  if (d.length >= 0) avail = std::min<std::int64_t>(avail, d.length - d.position);
  std::int32_t want = static_cast<std::int32_t>(std::max<std::int64_t>(0, std::min<std::int64_t>(avail, count)));
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::int32_t total = 0;
  while (total < want) {
    std::int32_t piece = std::min(kPiece, want - total);
    std::int32_t got = 0;
    int rc = ReadRaw(*m, wa->readTranslator, d.position, out + total, piece, got);
    if (rc != 0) {
      Report(*m, rc == platform::kErrDiskRead ? 30 : static_cast<std::uint16_t>(rc), "ReadBlobStream");
      return total;
    }
    if (d.length < 0) {
      // A dBASE III text ends at its first 0x1A.
      auto* end = static_cast<std::uint8_t*>(std::memchr(out + total, 0x1A, static_cast<std::size_t>(got)));
      if (end) {
        got = static_cast<std::int32_t>(end - (out + total));
        d.length = d.position + got;
      }
    }
    DecideText(d, out + total, got);
    if (d.textMode == 1) OemToAnsiBuffer(reinterpret_cast<char*>(out + total), static_cast<std::size_t>(got));
    d.position += got;
    total += got;
    if (got < piece) break;
  }
  return total;
}

std::int32_t WriteBlobStream(const void* buffer, std::int32_t count) {
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = SelectedMemoState();
  if (!m || !m->blob.active || m->blob.mode != 2 || count <= 0 || !buffer) return 0;
  TBlobDescriptor& d = m->blob;
  if (d.length >= 0) count = std::min(count, d.length - d.position);
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::int32_t total = 0;
  while (total < count) {
    std::int32_t piece = std::min(kPiece, count - total);
    DecideText(d, in + total, piece);
    std::vector<std::uint8_t> text;
    const std::uint8_t* data = in + total;
    if (d.textMode == 1) {
      text.assign(data, data + piece);
      AnsiToOemBuffer(reinterpret_cast<char*>(text.data()), text.size());
      data = text.data();
    }
    int rc = WriteRaw(*m, wa->writeTranslator, d.position, data, piece);
    if (rc != 0) {
      Report(*m, rc == platform::kErrDiskWrite ? 1005 : static_cast<std::uint16_t>(rc), "WriteBlobStream");
      return total;
    }
    d.position += piece;
    d.written = std::max(d.written, d.position);
    total += piece;
  }
  return total;
}

std::int32_t SeekBlobStream(std::int32_t offset, int origin) {
  TMemoState* m = SelectedMemoState();
  if (!m) return 0;
  TBlobDescriptor& d = m->blob;
  if (!d.active || d.block == 0 || d.mode == 0) return 0;
  std::int64_t target = d.position;
  switch (origin) {
    case 0: target = offset; break;
    case 1: target = static_cast<std::int64_t>(d.position) + offset; break;
    case 2:
      if (d.mode == 1 && d.length < 0) {
        // Read through to find the end, then come back.
        TBlobDescriptor saved = d;
        std::vector<std::uint8_t> scratch(4096);
        while (ReadBlobStream(scratch.data(), static_cast<std::int32_t>(scratch.size())) > 0 && d.length < 0) {
        }
        std::int32_t length = d.length >= 0 ? d.length : d.position;
        d = saved;
        d.length = length;
      }
      if (d.mode == 2) return d.position;
      target = static_cast<std::int64_t>(d.length) + offset;
      break;
    default: return d.position;
  }
  if (target < 0) target = 0;
  d.position = static_cast<std::int32_t>(std::min<std::int64_t>(target, 0x7FFFFFFF));
  return d.position;
}
