#include "dbf/memo.h"

#include <algorithm>
#include <cstring>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/locks.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"

std::uint16_t MaxMemoLines = 1024;
bool MemoWidthOn = false;
std::uint8_t MemoWidth = 78;
std::string MemoLineBreak = "\r\n";
std::vector<std::string> MemoLines;
std::vector<std::uint8_t> MemoLineEnds;
std::uint16_t MemoLineCount = 1;
void (*MemoPackStepHook)(int step) = nullptr;

namespace {

constexpr std::size_t kChunk = 512;       // translation piece
constexpr int kLockAttempts = 10;
constexpr std::uint8_t kSoftReturn = 0x8D;
constexpr char kTerminator = 0x1A;

std::uint32_t GetLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint32_t GetBE32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
void PutLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutBE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[3 - i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool HasGroupHeaders(std::uint8_t kind) { return kind != kMemoDbase3; }
bool IsMemoKind(std::uint8_t v) {
  return v == kMemoDbase3 || v == kMemoDbase4 || v == kMemoLevel7 || v == kMemoFoxPro;
}

std::uint32_t CeilDiv(std::uint64_t a, std::uint32_t b) {
  return static_cast<std::uint32_t>((a + b - 1) / b);
}

TMemoState* StateOf(TDbfWorkArea* wa) { return wa ? static_cast<TMemoState*>(wa->memoData) : nullptr; }

bool Shared(const TDbfWorkArea& wa) { return NetworkMode && !wa.exclusive; }

// Bytes of the main header (block 0) that must be present.
std::uint64_t HeaderBytes(const TMemoState& m) {
  if (m.kind == kMemoFoxPro) return std::max<std::uint64_t>(512, m.blockSize);
  return m.blockSize;
}

// A group as stored: where its data starts and how long it is.
struct GroupInfo {
  bool header = false;      // dBASE IV / FoxPro group header present
  std::uint32_t type = 1;   // FoxPro group type
  std::int64_t dataStart = 0;
  std::int64_t length = -1; // -1: up to the first 0x1A
};

// Reads the group header at `block`; 1003 when the block is not in the file.
int ReadGroupInfo(const TMemoState& m, std::int32_t block, GroupInfo& g) {
  if (block < 0) block = -block;
  std::int64_t size = platform::FileSize(m.file);
  if (size < 0) return platform::kErrDiskRead;
  std::int64_t pos = static_cast<std::int64_t>(block) * m.blockSize;
  if (block == 0 || pos >= size - 1) return 1003;
  std::uint8_t h[8] = {};
  std::size_t got = 0;
  int rc = platform::ReadAt(m.file, static_cast<std::uint64_t>(pos), h, 8, got);
  if (rc != 0) return rc;
  g = GroupInfo{};
  g.dataStart = pos;
  if (m.kind == kMemoFoxPro) {
    if (got < 8) return 1003;
    g.header = true;
    g.type = GetBE32(h);
    g.length = GetBE32(h + 4);
    g.dataStart = pos + 8;
  } else if (got == 8 && h[0] == 0xFF && h[1] == 0xFF && h[2] == 8 && h[3] == 0) {
    g.header = true;
    std::uint32_t total = GetLE32(h + 4);
    g.length = total >= 8 ? total - 8 : 0;
    g.dataStart = pos + 8;
  }
  // A damaged length never reads past the file's end.
  if (g.length > size - g.dataStart) g.length = std::max<std::int64_t>(0, size - g.dataStart);
  return 0;
}

void Translate(TDbfTranslator tr, std::string& data) {
  if (!tr) return;
  for (std::size_t at = 0; at < data.size(); at += kChunk)
    tr(data.data() + at, std::min(kChunk, data.size() - at));
}

// Reads the data of the group at `block` of memo file `m`.
int ReadGroup(const TMemoState& m, TDbfTranslator readTranslator, std::int32_t block, std::string& data,
              GroupInfo& g) {
  data.clear();
  int rc = ReadGroupInfo(m, block, g);
  if (rc != 0) return rc;
  std::size_t got = 0;
  if (g.length >= 0) {
    data.resize(static_cast<std::size_t>(g.length));
    rc = platform::ReadAt(m.file, static_cast<std::uint64_t>(g.dataStart), data.data(), data.size(), got);
    if (rc != 0) return rc;
    data.resize(got);
  } else {
    // dBASE III: up to the first 0x1A or the end of the file, two blocks at a time.
    std::vector<char> buf(2u * m.blockSize);
    std::uint64_t at = static_cast<std::uint64_t>(g.dataStart);
    for (;;) {
      rc = platform::ReadAt(m.file, at, buf.data(), buf.size(), got);
      if (rc != 0) return rc;
      const char* end = static_cast<const char*>(std::memchr(buf.data(), kTerminator, got));
      if (end) {
        data.append(buf.data(), static_cast<std::size_t>(end - buf.data()));
        break;
      }
      data.append(buf.data(), got);
      if (got < buf.size()) break;
      at += got;
    }
    g.length = static_cast<std::int64_t>(data.size());
  }
  Translate(readTranslator, data);
  return 0;
}

std::string RecordText(const TDbfWorkArea* wa) {
  return " Record # " + std::to_string(wa ? wa->recordNumber : 0);
}

void ReportMemo(TMemoState* m, std::uint16_t code, const std::string& detail) {
  if (m) ReleaseMemoLock(*m, "");
  DederError(code, detail);
}

int WriteAll(platform::FileHandle f, std::int64_t pos, const std::string& data) {
  return platform::WriteAt(f, static_cast<std::uint64_t>(pos), data.data(), data.size());
}

// The group as it is written: header (when the layout has one), data and,
// for a dBASE III text, the terminator and zeros up to a whole block.
std::string GroupBytes(const TMemoState& m, const std::string& data, bool withHeader) {
  std::string out;
  if (withHeader) {
    std::uint8_t h[8];
    if (m.kind == kMemoFoxPro) {
      PutBE32(h, 1);
      PutBE32(h + 4, static_cast<std::uint32_t>(data.size()));
    } else {
      h[0] = h[1] = 0xFF;
      h[2] = 8;
      h[3] = 0;
      PutLE32(h + 4, static_cast<std::uint32_t>(data.size() + 8));
    }
    out.assign(reinterpret_cast<const char*>(h), 8);
    out += data;
  } else {
    out = data;
    out += kTerminator;
    std::size_t whole = (out.size() + 511) / 512 * 512;
    out.resize(whole, '\0');
  }
  return out;
}

// Where a new group goes: after the last block in use, never inside the
// main header. A new dBASE III file ends with a 0x1A after its header
// block; the first memo overwrites it.
std::int64_t EndPosition(const TMemoState& m, std::int64_t size) {
  std::int64_t first = static_cast<std::int64_t>(HeaderBytes(m) + m.blockSize - 1) / m.blockSize;
  std::int64_t blocks = (size + m.blockSize - 1) / m.blockSize;
  if (m.kind == kMemoDbase3 && size % 512 == 1 && size > 512) return size - 1;
  return std::max(first, blocks) * m.blockSize;
}

// Blocks that the group at `block` holds, from its dBASE IV header; 0 when
// it has none. A group ends at the last block its bytes reach.
std::uint32_t GroupBlocks(const TMemoState& m, std::int32_t block) {
  GroupInfo g;
  if (block <= 0 || ReadGroupInfo(m, block, g) != 0 || !g.header) return 0;
  return CeilDiv(static_cast<std::uint64_t>(g.length) + 8, m.blockSize);
}

// Takes `need` blocks from the free chain of a dBASE IV file; 0 when no
// free group fits (the caller then writes at the end of the file).
std::uint32_t TakeFromFreeChain(TMemoState& m, std::uint32_t need) {
  std::int64_t size = platform::FileSize(m.file);
  if (size <= 0) return 0;
  std::uint32_t fileBlocks = static_cast<std::uint32_t>(size / m.blockSize);
  std::uint8_t w[8];
  std::size_t got = 0;
  if (platform::ReadAt(m.file, 0, w, 4, got) != 0 || got < 4) return 0;
  std::uint32_t next = GetLE32(w);
  std::uint64_t linkAt = 0;  // where the pointer to `next` is stored
  for (int links = 0; links < 100 && next >= 1 && next < fileBlocks; ++links) {
    if (platform::ReadAt(m.file, static_cast<std::uint64_t>(next) * m.blockSize, w, 8, got) != 0 || got < 8)
      return 0;
    // A group that holds a memo is never free, whatever the chain says.
    if (w[0] == 0xFF && w[1] == 0xFF && w[2] == 8 && w[3] == 0) return 0;
    std::uint32_t after = GetLE32(w);
    std::uint32_t count = GetLE32(w + 4);
    // A free group must lie inside the file; a damaged chain is not used.
    if (count == 0 || static_cast<std::uint64_t>(next) + count > fileBlocks) return 0;
    if (count >= need) {
      std::uint32_t link = after;
      if (count > need) {
        std::uint8_t rest[8];
        PutLE32(rest, after);
        PutLE32(rest + 4, count - need);
        link = next + need;
        platform::WriteAt(m.file, static_cast<std::uint64_t>(link) * m.blockSize, rest, 8);
      }
      std::uint8_t p[4];
      PutLE32(p, link);
      platform::WriteAt(m.file, linkAt, p, 4);
      return next;
    }
    linkAt = static_cast<std::uint64_t>(next) * m.blockSize;
    next = after;
  }
  return 0;
}

// Writes `data` as a memo of the selected memo file and returns its block
// (0 on failure, reported). dBASE IV files reuse `oldBlock` when it fits.
std::int32_t StoreMemo(TMemoState& m, TDbfTranslator writeTranslator, const std::string& text,
                       std::int32_t oldBlock, bool forceHeader, const std::string& label) {
  std::string data = text;
  Translate(writeTranslator, data);
  bool header = forceHeader || HasGroupHeaders(m.kind);
  std::string bytes = GroupBytes(m, data, header);
  std::int32_t kbFree = DiskFreeKB(m.fileName.substr(0, m.fileName.find_last_of('/') + 1));
  if (kbFree <= static_cast<std::int32_t>(bytes.size() / 1024)) {
    DederError(1004, "Disk full " + m.fileName + " [" + label + "]");
    return 0;
  }
  std::int64_t pos = 0;
  int rc = PrepareMemoWrite(m, pos, label);
  if (rc != 0) return 0;
  std::uint32_t block = static_cast<std::uint32_t>(pos / m.blockSize);
  if (m.kind == kMemoDbase4 || m.kind == kMemoLevel7) {
    std::uint32_t need = CeilDiv(bytes.size(), m.blockSize);
    std::int32_t old = oldBlock < 0 ? -oldBlock : oldBlock;
    if (old > 0 && need <= GroupBlocks(m, old)) {
      block = static_cast<std::uint32_t>(old);
    } else if (std::uint32_t free = TakeFromFreeChain(m, need)) {
      block = free;
    }
  }
  rc = WriteAll(m.file, static_cast<std::int64_t>(block) * m.blockSize, bytes);
  if (rc != 0) {
    ReportMemo(&m, rc == platform::kErrDiskWrite ? 1005 : static_cast<std::uint16_t>(rc),
               m.fileName + " [" + label + "]");
    return 0;
  }
  if (FinishMemoWrite(m, label) != 0) return 0;
  return static_cast<std::int32_t>(block);
}

// The text of the line array as EditMemo writes it.
std::string LinesText(const std::string& tail) {
  std::string out;
  char lf = MemoLineBreak.size() > 1 ? MemoLineBreak[1] : '\n';
  for (std::uint16_t i = 0; i < MemoLineCount && i < MemoLines.size(); ++i) {
    if (i < MemoLineEnds.size()) MemoLineEnds[i] = 0x0D;
    out += MemoLines[i];
    out += '\r';
    out += lf;
  }
  out += tail;
  return out;
}

void ClearLines() {
  MemoLines.clear();
  MemoLineEnds.clear();
  MemoLineCount = 1;
}

void AddLine(std::string line, std::uint8_t end) {
  if (MemoLines.size() >= MaxMemoLines) return;  // lines beyond the array are dropped
  MemoLines.push_back(std::move(line));
  MemoLineEnds.push_back(end);
}

// Splits a memo's bytes into the line array.
void SplitLines(const std::string& data) {
  ClearLines();
  const std::size_t width = MemoWidthOn && MemoWidth > 0 ? MemoWidth : 253;
  std::string line;
  std::size_t i = 0;
  while (i < data.size()) {
    unsigned char c = static_cast<unsigned char>(data[i++]);
    if (c == '\r' || c == kSoftReturn || c == '\n') {
      if (c != '\n' && i < data.size() && data[i] == '\n') ++i;  // CR LF and soft CR LF
      AddLine(std::move(line), c == kSoftReturn ? kSoftReturn : 0x0D);
      line.clear();
      continue;
    }
    line += static_cast<char>(c);
    if (line.size() >= width) {
      std::size_t blank = line.find_last_of(' ');
      if (blank != std::string::npos && blank + 1 < line.size()) {
        // The characters after the blank go back to the input.
        i -= line.size() - blank - 1;
        line.resize(blank + 1);
      }
      AddLine(std::move(line), 0);
      line.clear();
    }
  }
  if (!line.empty() || MemoLines.empty()) AddLine(std::move(line), 0x0D);
  MemoLineCount = static_cast<std::uint16_t>(std::max<std::size_t>(1, MemoLines.size()));
}

std::string TempMemoName(const std::string& memoName) { return ForceExtension(memoName, "$$$"); }
std::string TempTableName(const std::string& tableName) { return tableName + ".mp$"; }

void PackStep(int step) {
  if (MemoPackStepHook) MemoPackStepHook(step);
}

// Writes every memo of the table in `wa` into the new memo file `out`
// and a copy of the table file whose memo fields hold the new blocks.
int WritePackedFiles(TDbfWorkArea& wa, TMemoState& m, TMemoState& out, const std::string& tempTable) {
  std::int64_t size = platform::FileSize(wa.file);
  if (size < 0) return platform::kErrDiskRead;
  std::vector<char> table(static_cast<std::size_t>(size));
  std::size_t got = 0;
  int rc = platform::ReadAt(wa.file, 0, table.data(), table.size(), got);
  if (rc != 0) return rc;
  table.resize(got);
  std::int32_t count = RecordCountFromSize(wa);
  for (std::int32_t n = count; n >= 1; --n) {
    std::uint64_t at = RecordOffset(wa, n);
    if (at + wa.recordLength > table.size()) continue;
    for (std::size_t fi = wa.fields.size(); fi-- > 0;) {
      const TDbfFieldEntry& f = wa.fields[fi];
      if (f.type != 'M') continue;
      char* field = table.data() + at + f.offset;
      std::int32_t block = StoredLong(AllTrim(std::string(field, f.length)));
      if (block == 0) continue;
      std::string data;
      GroupInfo g;
      rc = ReadGroup(m, nullptr, block, data, g);
      if (rc == 1003) {
        DederError(1003, m.fileName + " " + std::to_string(block) + " Record # " + std::to_string(n) +
                             " [PackMemo]");
        return 1003;
      }
      if (rc != 0) return rc;
      // A BLOB (negative block in a dBASE III file) keeps its group header.
      bool blob = block < 0 && g.header;
      std::string bytes = GroupBytes(out, data, blob || HasGroupHeaders(out.kind));
      std::int64_t pos = EndPosition(out, platform::FileSize(out.file));
      rc = WriteAll(out.file, pos, bytes);
      if (rc != 0) return rc;
      std::int32_t newBlock = static_cast<std::int32_t>(pos / out.blockSize);
      if (blob) newBlock = -newBlock;
      std::string digits = std::to_string(newBlock);
      if (digits.size() > f.length) return 1005;
      std::string text = std::string(f.length - digits.size(), ' ') + digits;
      std::memcpy(field, text.data(), f.length);
      PackStep(0);
    }
  }
  rc = FinishMemoWrite(out, "PackMemofile");
  if (rc == 0) rc = platform::FlushFile(out.file);
  if (rc != 0) return rc;
  PackStep(1);
  platform::FileHandle t = platform::kNoFile;
  rc = platform::CreateFile(tempTable, t);
  if (rc == 0) rc = platform::WriteAt(t, 0, table.data(), table.size());
  if (rc == 0) rc = platform::FlushFile(t);
  if (t != platform::kNoFile) {
    int crc = platform::CloseFile(t);
    if (rc == 0) rc = crc;
  }
  return rc;
}

// Re-reads the current record after the table file changed under it.
void ReloadCurrentRecord(TDbfWorkArea& wa) {
  DropRecordCache(wa.alias.str());
  if (wa.recordNumber >= 1 && wa.recordNumber <= wa.recordCount) {
    GetDbfRecord(wa, wa.recordNumber);
    if (TzLastError == 0) LoadTypedRecord(wa);
  }
}

// Replaces the table file of `wa` by `temp` and reopens its handle.
int ReplaceTableFile(TDbfWorkArea& wa, const std::string& temp) {
  int rc = platform::RenameFile(temp, wa.fileName);
  if (rc != 0) return rc;
  DropReadAhead(wa);
  if (wa.file != platform::kNoFile) platform::CloseFile(wa.file);
  return platform::OpenFile(wa.fileName, wa.openMode, wa.file);
}

// The open-mode of the memo file of the selected work area.
unsigned MemoOpenMode(const TDbfWorkArea& wa) {
  unsigned mode = 18;
  if ((Shared(wa)) || (wa.openMode & 0x70) == platform::kShareDenyNone) mode = 0x42;
  if (OpenModeOverride < 65535) mode = OpenModeOverride;
  return mode;
}

// Reads the block size from the main header.
int ReadBlockSize(TMemoState& m) {
  if (m.kind == kMemoDbase3) {
    m.blockSize = 512;
    return 0;
  }
  std::uint8_t h[24] = {};
  std::size_t got = 0;
  int rc = platform::ReadAt(m.file, 0, h, sizeof h, got);
  if (rc != 0) return rc;
  std::uint16_t size;
  if (m.kind == kMemoFoxPro) {
    if (got < 8) return 30;
    size = static_cast<std::uint16_t>((h[6] << 8) | h[7]);
  } else {
    if (got < 22) return 30;
    size = static_cast<std::uint16_t>(h[20] | (h[21] << 8));
  }
  m.blockSize = size != 0 ? size : MemoBlockSize;
  if (m.blockSize == 0) m.blockSize = 512;
  return 0;
}

// Memo hooks of the work-area layer.
bool HookAssignMemo(std::int32_t block, std::string& text) { return MemoAsText(block, text); }
std::int32_t HookCopyAppend(std::uint8_t area, std::int32_t block) { return CopyMemo(area, block, 4); }
std::int32_t HookCopyInPlace(std::uint8_t area, std::int32_t block) { return CopyMemo(area, block, 5); }
void HookOpen() {
  if (TDbfWorkArea* wa = SelectedWorkArea()) OpenMemofile(wa->fileName);
}
void HookRecreate() {
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = StateOf(wa);
  if (!m) {
    RequireMemoState("RecreateMemo");
    return;
  }
  std::string name = m->fileName;
  std::uint8_t kind = m->kind;
  std::uint16_t blockSize = m->blockSize;
  CloseMemofile();
  TzLastError = 0;
  CreateMemoFile(name, kind, blockSize, "CreateMemofile()");
  if (TzLastError == 0) OpenMemofile(wa->fileName);
}

}  // namespace

void InitMemo() {
  MaxMemoLines = 1024;
  MemoWidthOn = false;
  MemoWidth = 78;
  MemoLineBreak = "\r\n";
  ClearLines();
  MemoPackStepHook = nullptr;
  MemoHooks.AssignMemo = HookAssignMemo;
  MemoHooks.PackMemo = PackMemofile;
  MemoHooks.OpenMemo = HookOpen;
  MemoHooks.CloseMemo = CloseMemofile;
  MemoHooks.CopyMemoAppend = HookCopyAppend;
  MemoHooks.CopyMemoInPlace = HookCopyInPlace;
  MemoHooks.RecreateMemo = HookRecreate;
  MemoHooks.AddMemo = AddMemo;
}

TMemoState* SelectedMemoState() { return StateOf(SelectedWorkArea()); }

TMemoState* RequireMemoState(const std::string& label) {
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = StateOf(wa);
  if (!m) DederError(1019, " No Memo Field [" + (wa ? wa->alias.str() : label) + "]");
  return m;
}

std::string MemoRecordText() { return RecordText(SelectedWorkArea()); }

std::uint8_t GetMemoType() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->isVirtual || wa->file == platform::kNoFile) return CreateVersionByte;
  std::uint8_t v = 0;
  std::size_t got = 0;
  if (platform::ReadAt(wa->file, 0, &v, 1, got) != 0 || got < 1) v = wa->prolog[0];
  return IsMemoKind(v) ? v : CreateVersionByte;
}

void CreateMemofile(const std::string& name) {
  TzLastError = 0;
  CreateMemoFile(name, CreateVersionByte, MemoBlockSize, "CreateMemofile()");
}

void OpenMemofile(const std::string& tableFileName) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("OpenMemofile");
    return;
  }
  std::uint8_t kind = GetMemoType();
  std::string name = ForceExtension(tableFileName, MemoExtension(kind));
  if (wa->memoData) {
    DederError(1007, name);
    return;
  }
  RecoverInterruptedMemoPack(*wa, name);
  auto* m = new TMemoState;
  m->kind = kind;
  m->blockSize = MemoBlockSize ? MemoBlockSize : 512;
  m->fileName = FindFileAnyCase(name);
  int rc = platform::OpenFile(m->fileName, MemoOpenMode(*wa), m->file);
  if (rc == 0) rc = ReadBlockSize(*m);
  if (rc != 0) {
    if (m->file != platform::kNoFile) platform::CloseFile(m->file);
    delete m;
    DederError(static_cast<std::uint16_t>(rc), "Cannot open memo file " + name + " [OpenMemofile]");
    return;
  }
  wa->memoData = m;
}

void CloseMemofile() {
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = StateOf(wa);
  if (!m) return;
  ReleaseMemoLock(*m, "CloseMemofile");
  int rc = platform::CloseFile(m->file);
  std::string name = m->fileName;
  delete m;
  wa->memoData = nullptr;
  if (rc != 0) DederError(static_cast<std::uint16_t>(rc), name + " [CloseMemofile]");
}

bool ReadMemoData(std::int32_t block, std::string& data) {
  data.clear();
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = RequireMemoState("ReadMemo");
  if (!m) return false;
  if (block == 0) return true;  // no memo
  GroupInfo g;
  int rc = ReadGroup(*m, wa->readTranslator, block, data, g);
  if (rc == 1003) {
    DederError(1003, m->fileName + " " + std::to_string(block) + RecordText(wa) + " [GetMemo]");
    return false;
  }
  if (rc != 0) {
    DederError(rc == platform::kErrDiskRead ? 30 : static_cast<std::uint16_t>(rc),
               m->fileName + RecordText(wa) + " [GetMemo]");
    return false;
  }
  return true;
}

void GetMemo(std::int32_t block) {
  ClearLines();
  std::string data;
  if (ReadMemoData(block, data)) SplitLines(data);
  else SplitLines(std::string());
}

bool MemoAsText(std::int32_t block, std::string& text) {
  text.clear();
  TMemoTextFile f;
  std::int32_t b = block;
  if (!f.AssignMemo(&b) || f.Reset() != 0) return false;
  std::string line;
  while (f.ReadLine(line)) {
    text += line;
    text += "\r\n";
  }
  f.Close();
  return TzLastError == 0;
}

std::int32_t EditMemo(std::int32_t oldBlock) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = RequireMemoState("EditMemo/CloseMemo");
  if (!m) return 0;
  return StoreMemo(*m, wa->writeTranslator, LinesText(std::string()), oldBlock, false, "EditMemo/CloseMemo");
}

std::int32_t AddMemo(const std::string& text) {
  TzLastError = 0;
  std::string t = TzTrimRight(text);
  if (t.empty()) return 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = RequireMemoState("AddMemo");
  if (!m) return 0;
  return StoreMemo(*m, wa->writeTranslator, t, 0, false, "AddMemo");
}

std::int32_t CopyMemo(std::uint8_t sourceArea, std::int32_t block, int mode) {
  TzLastError = 0;
  if (block == 0) return 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* target = RequireMemoState("CopyMemo()");
  if (!target) return 0;
  TDbfWorkArea* src = sourceArea >= 1 && sourceArea <= kMaxWorkAreas ? WorkAreas[sourceArea].get() : nullptr;
  TMemoState* source = StateOf(src);
  if (!source) {
    DederError(1019, " No Memo Field [CopyMemo()]");
    return 0;
  }
  std::string data;
  GroupInfo g;
  int rc = ReadGroup(*source, src->readTranslator, block, data, g);
  if (rc != 0) {
    DederError(rc == 1003 ? 1003 : static_cast<std::uint16_t>(rc),
               source->fileName + " " + std::to_string(block) + RecordText(src) + " [CopyMemo()]");
    return 0;
  }
  bool blob = block < 0 && g.header;
  if (mode != 5) {
    std::int32_t b = StoreMemo(*target, wa->writeTranslator, data, 0, blob, "CopyMemo()");
    return blob ? -b : b;
  }
  std::string bytes = data;
  Translate(wa->writeTranslator, bytes);
  bytes = GroupBytes(*target, bytes, blob || HasGroupHeaders(target->kind));
  std::int64_t pos = 0;
  if (PrepareMemoWrite(*target, pos, "CopyMemo()") != 0) return 0;
  std::int32_t at = block < 0 ? -block : block;
  rc = WriteAll(target->file, static_cast<std::int64_t>(at) * target->blockSize, bytes);
  if (rc != 0) {
    ReportMemo(target, 1005, target->fileName + " [CopyMemo()]");
    return 0;
  }
  if (FinishMemoWrite(*target, "CopyMemo()") != 0) return 0;
  return block;
}

int PrepareMemoWrite(TMemoState& m, std::int64_t& position, const std::string& label) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (wa && Shared(*wa) && !m.locked) {
    bool ok = false;
    for (int i = 0; i < kLockAttempts && !ok; ++i) {
      ok = LockRegion(false, m.file, LockBase, 1) == 0;
      if (!ok) WaitTicks(LockWaitMs ? LockWaitMs : 10);
    }
    if (!ok) {
      DederError(1017, m.fileName + " [" + label + "]");
      return 1017;
    }
    m.locked = true;
  }
  std::int64_t size = platform::FileSize(m.file);
  if (size < 0) {
    ReportMemo(&m, 30, m.fileName + " [" + label + "]");
    return 30;
  }
  position = EndPosition(m, size);
  return 0;
}

int FinishMemoWrite(TMemoState& m, const std::string& label) {
  std::int64_t size = platform::FileSize(m.file);
  int rc = size < 0 ? 29 : 0;
  if (rc == 0) {
    std::uint32_t next = CeilDiv(static_cast<std::uint64_t>(size), m.blockSize);
    std::uint8_t w[4];
    if (m.kind == kMemoFoxPro) PutBE32(w, next);
    else PutLE32(w, next);
    rc = platform::WriteAt(m.file, 0, w, 4);
    if (rc != 0) rc = 29;
  }
  if (rc != 0) {
    ReportMemo(&m, static_cast<std::uint16_t>(rc), m.fileName + " [" + label + "]");
    return rc;
  }
  ReleaseMemoLock(m, label);
  return TzLastError;
}

int WriteGroupHeader(TMemoState& m, std::int64_t position, std::uint32_t dataLength) {
  std::string h = GroupBytes(m, std::string(), true).substr(0, 8);
  std::uint8_t* p = reinterpret_cast<std::uint8_t*>(h.data());
  if (m.kind == kMemoFoxPro) PutBE32(p + 4, dataLength);
  else PutLE32(p + 4, dataLength + 8);
  return WriteAll(m.file, position, h);
}

int MemoGroupData(const TMemoState& m, std::int32_t block, std::int64_t& dataStart, std::int64_t& length) {
  GroupInfo g;
  int rc = ReadGroupInfo(m, block, g);
  dataStart = g.dataStart;
  length = g.length;
  return rc;
}

void ReleaseMemoLock(TMemoState& m, const std::string& label) {
  if (!m.locked) return;
  m.locked = false;
  if (LockRegion(true, m.file, LockBase, 1) != 0 && !label.empty())
    DederError(1018, m.fileName + " [" + label + "]");
}

void PackMemofile() {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  TMemoState* m = RequireMemoState("PackMemofile");
  if (!m) return;
  if (Shared(*wa) && (wa->openMode & 0x70) != platform::kShareDenyAll) {
    DederError(225, wa->fileName + " [PackMemofile]");
    return;
  }
  std::int64_t size = platform::FileSize(m->file);
  std::string dir = m->fileName.substr(0, m->fileName.find_last_of('/') + 1);
  if (DiskFreeKB(dir) <= size / 1024) {
    DederError(1012, m->fileName + " [PackMemofile]");
    return;
  }
  UpdateHeader(*wa);
  const std::string tempMemo = TempMemoName(m->fileName);
  const std::string tempTable = TempTableName(wa->fileName);
  CreateMemoFile(tempMemo, m->kind, m->blockSize, "PackMemofile");
  if (TzLastError != 0) return;
  TMemoState out;
  out.kind = m->kind;
  out.blockSize = m->blockSize;
  out.fileName = tempMemo;
  int rc = platform::OpenFile(tempMemo, 18, out.file);
  if (rc == 0) {
    ErrorDispatchOff off;
    rc = WritePackedFiles(*wa, *m, out, tempTable);
  }
  if (out.file != platform::kNoFile) {
    int crc = platform::CloseFile(out.file);
    if (rc == 0) rc = crc;
  }
  auto failBeforeSwitch = [&](int code) {
    platform::RemoveFile(tempTable);
    platform::RemoveFile(tempMemo);
    DederError(static_cast<std::uint16_t>(code), "Error packing memo file " + m->fileName + " [PackMemofile]");
  };
  if (rc != 0) {
    failBeforeSwitch(rc);
    return;
  }
  PackStep(2);
  // The new memo file goes in place first; the table with the new block
  // numbers follows. Until that second rename is done, opening the table
  // finishes it (RecoverInterruptedMemoPack).
  platform::CloseFile(m->file);
  rc = platform::RenameFile(tempMemo, m->fileName);
  if (rc != 0) {
    platform::OpenFile(m->fileName, MemoOpenMode(*wa), m->file);
    failBeforeSwitch(rc);
    return;
  }
  PackStep(3);
  rc = ReplaceTableFile(*wa, tempTable);
  PackStep(4);
  int mrc = platform::OpenFile(m->fileName, MemoOpenMode(*wa), m->file);
  if (rc == 0) rc = mrc;
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Cannot reopen " + wa->fileName + " after packing memo file " +
                                                    m->fileName + " [PackMemofile]");
    return;
  }
  ReloadCurrentRecord(*wa);
}

void RecoverInterruptedMemoPack(TDbfWorkArea& wa, const std::string& memoName) {
  if (wa.isVirtual || wa.fileName.empty()) return;
  const std::string tempTable = TempTableName(wa.fileName);
  if (platform::FileExists(TempMemoName(memoName))) {
    // The pack stopped before the new memo file was put in place: the old
    // pair is whole, and the new files were never used.
    platform::RemoveFile(TempMemoName(memoName));
    platform::RemoveFile(tempTable);
    return;
  }
  if (!platform::FileExists(tempTable)) return;
  // The new memo file is in place; its table was complete before that.
  if (ReplaceTableFile(wa, tempTable) != 0) return;
  ReloadCurrentRecord(wa);
}

// ---- memo text file ---------------------------------------------------------

bool TMemoTextFile::AssignMemo(std::int32_t* blockVar) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!StateOf(wa)) {
    DederError(1019, "\nAssignMemo");
    return false;
  }
  assigned_ = true;
  area_ = SelectedArea;
  block_ = blockVar;
  mode_ = Mode::Closed;
  return true;
}

int TMemoTextFile::Reset() {
  if (!assigned_) return 102;
  std::uint8_t selected = SelectedArea;
  SelectedArea = area_;
  std::int32_t b = block_ ? *block_ : 0;
  if (b != 0) GetMemo(b);
  else ClearLines();
  SelectedArea = selected;
  // An empty memo reads as no lines at all.
  if (MemoLines.size() == 1 && MemoLines[0].empty()) ClearLines();
  mode_ = Mode::Reading;
  next_ = 0;
  return TzLastError;
}

int TMemoTextFile::Rewrite() {
  if (!assigned_) return 102;
  ClearLines();
  MemoLineCount = 0;
  pending_.clear();
  mode_ = Mode::Writing;
  return 0;
}

int TMemoTextFile::Append() {
  int rc = Reset();
  if (rc != 0) return rc;
  MemoLineCount = static_cast<std::uint16_t>(MemoLines.size());
  pending_.clear();
  mode_ = Mode::Writing;
  return 0;
}

bool TMemoTextFile::ReadLine(std::string& line) {
  line.clear();
  if (mode_ != Mode::Reading || Eof()) return false;
  // A wrapped line reads on into the next one.
  while (next_ < MemoLines.size()) {
    line += MemoLines[next_];
    std::uint8_t end = next_ < MemoLineEnds.size() ? MemoLineEnds[next_] : 0x0D;
    ++next_;
    if (end != 0) break;
  }
  return true;
}

bool TMemoTextFile::Eof() const { return mode_ != Mode::Reading || next_ >= MemoLines.size(); }

int TMemoTextFile::Write(const std::string& text) {
  if (mode_ != Mode::Writing) return 105;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      bool soft = !pending_.empty() && static_cast<unsigned char>(pending_.back()) == kSoftReturn;
      if (soft) pending_.pop_back();
      AddLine(pending_, soft ? kSoftReturn : 0x0D);
      pending_.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    if (c == kSoftReturn) {
      pending_ += static_cast<char>(c);  // kept until the line end decides
      continue;
    }
    pending_ += static_cast<char>(c);
    if (pending_.size() > 254) {
      AddLine(pending_.substr(0, 254), 0);
      pending_.erase(0, 254);
    }
  }
  MemoLineCount = static_cast<std::uint16_t>(MemoLines.size());
  return 0;
}

int TMemoTextFile::Close() {
  int rc = 0;
  if (mode_ == Mode::Writing) {
    std::uint8_t selected = SelectedArea;
    SelectedArea = area_;
    // Soft-return bytes left inside the unfinished line are not text.
    pending_.erase(std::remove(pending_.begin(), pending_.end(), static_cast<char>(kSoftReturn)), pending_.end());
    std::int32_t old = block_ ? *block_ : 0;
    bool any = !MemoLines.empty() || !pending_.empty();
    std::int32_t nb = 0;
    if (any) {
      TDbfWorkArea* wa = SelectedWorkArea();
      TMemoState* m = StateOf(wa);
      if (m) nb = StoreMemo(*m, wa->writeTranslator, LinesText(pending_), old, false, "EditMemo/CloseMemo");
      if (nb == 0) rc = 101;
    }
    if (block_) *block_ = nb;
    SelectedArea = selected;
  }
  ClearLines();
  pending_.clear();
  mode_ = Mode::Closed;
  next_ = 0;
  return rc;
}
