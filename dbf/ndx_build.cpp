// Index build: names and options, key extraction, sorted runs and their merge, bulk load, progress.
#include "dbf/ndx_internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "dbf/dbf_file.h"
#include "dbf/index_keys.h"
#include "dbf/locks.h"

bool IndexUniqueSwitch = false;

namespace ndx {

// ---- names and options --------------------------------------------------------

// Takes the option words out of the text; the file name keeps its case.
IndexOptions ParseOptions(const std::string& text) {
  IndexOptions o;
  const std::string folder = FolderPart(text);
  std::string original = " " + text.substr(folder.size()) + " ";
  struct Word {
    const char* word;
    bool* flag;
  };
  for (Word w : {Word{" UNIQUE", &o.unique}, Word{" SOUNDEX", &o.soundex}, Word{" DESCENDING", &o.descending},
                 Word{" NOCACHE", &o.nocache}}) {
    for (;;) {
      std::string upper = TzUpperCase(original);
      std::size_t p = upper.find(w.word);
      std::size_t len = std::strlen(w.word);
      while (p != std::string::npos && p + len < upper.size() && upper[p + len] != ' ')
        p = upper.find(w.word, p + 1);
      if (p == std::string::npos) break;
      *w.flag = true;
      original.erase(p, len);
    }
  }
  o.name = AllTrim(folder + original.substr(1));
  return o;
}

// A name without directory lies beside the table; new names get ".ndx".
std::string ResolveIndexName(const std::string& name, const TDbfWorkArea& wa) {
  std::string full = name;
  if (full.find('/') == std::string::npos) {
    std::string dir, base, ext;
    SplitPath(wa.fileName, dir, base, ext);
    full = dir + full;
  }
  full = FullPath(full);
  std::string dir, base, ext;
  SplitPath(full, dir, base, ext);
  if (ext.empty()) {
    std::string existing = FindFileAnyCase(full + ".ndx");
    full = existing;
  } else {
    full = FindFileAnyCase(full);
  }
  return full;
}

bool AttachedAnywhere(const std::string& fullName) {
  for (int i = 1; i <= kMaxWorkAreas; ++i) {
    AreaIndexes* a = Areas(WorkAreas[i].get());
    if (!a) continue;
    for (int s = 1; s <= kSlots; ++s)
      if (a->slot[s] && a->slot[s]->fileName == fullName) return true;
  }
  return false;
}

}  // namespace ndx

namespace ndx {

// ---- build ----------------------------------------------------------------------

// Writes the tree bottom-up in one sequential pass. Each level holds back up
// to two nodes' worth of entries, so that at the end the last two nodes of a
// level share what is left: every node written holds at least one key.
struct TreeWriter {
  Index& ix;
  std::vector<std::uint8_t> out;
  std::uint64_t offset = kBlock;  // node 1
  std::uint32_t written = 0;
  std::vector<std::vector<std::uint8_t>> held;  // entries per level, entrySize bytes each
  std::vector<bool> emitted;                    // a level wrote a node already
  int rc = 0;

  explicit TreeWriter(Index& i) : ix(i) {}

  std::size_t Es() const { return static_cast<std::size_t>(ix.entrySize); }
  // Entries one node of the level takes: keys of a leaf, children of an inner node.
  std::size_t Capacity(std::size_t l) const { return static_cast<std::size_t>(ix.keysPerNode) + (l > 0 ? 1 : 0); }
  std::size_t Held(std::size_t l) const { return held[l].size() / Es(); }

  std::uint32_t WriteBlock(const Block& blk) {
    out.insert(out.end(), blk.b, blk.b + kBlock);
    if (out.size() >= 65536) Flush();
    return ++written;
  }
  void Flush() {
    if (rc == 0 && !out.empty()) rc = platform::WriteAt(ix.file, offset, out.data(), out.size());
    offset += out.size();
    out.clear();
  }
  void Level(std::size_t l) {
    if (held.size() <= l) {
      held.resize(l + 1);
      emitted.resize(l + 1, false);
    }
  }
  void Put(std::size_t l, std::uint32_t child, std::uint32_t recno, const char* key) {
    Level(l);
    std::vector<std::uint8_t>& h = held[l];
    std::size_t at = h.size();
    h.resize(at + Es());
    Put32(&h[at], child);
    Put32(&h[at + 4], recno);
    std::memcpy(&h[at + 8], key, static_cast<std::size_t>(ix.keyLength));
    if (Held(l) > 2 * Capacity(l)) Emit(l, Capacity(l));
  }
  // Writes the first `n` held entries of level `l` as one node. An inner
  // node's last child becomes its extra pointer, which takes only 4 bytes.
  std::uint32_t WriteHeld(std::size_t l, std::size_t n, std::string& lastKey) {
    Block blk{};
    std::vector<std::uint8_t>& h = held[l];
    std::size_t keys = l == 0 ? n : n - 1;
    Put16(blk.b, static_cast<std::uint32_t>(keys));
    if (keys > 0) std::memcpy(blk.b + 4, h.data(), keys * Es());
    if (l > 0) std::memcpy(blk.b + 4 + keys * Es(), &h[(n - 1) * Es()], 4);
    if (n > 0) lastKey.assign(reinterpret_cast<const char*>(&h[(n - 1) * Es() + 8]), ix.keyLength);
    h.erase(h.begin(), h.begin() + static_cast<std::ptrdiff_t>(n * Es()));
    emitted[l] = true;
    return WriteBlock(blk);
  }
  // Writes a node and hands its last key up as a separator.
  void Emit(std::size_t l, std::size_t n) {
    std::string last;
    std::uint32_t number = WriteHeld(l, n, last);
    Put(l + 1, number, 0, last.data());
  }
  void Add(const char* key, std::uint32_t recno) { Put(0, 0, recno, key); }
  // Writes what is held, level by level; returns the root.
  std::uint32_t Finish() {
    std::uint32_t root = 0;
    for (std::size_t l = 0;; ++l) {
      Level(l);
      std::size_t left = Held(l);
      if (!emitted[l] && left <= Capacity(l)) {
        std::string last;
        root = WriteHeld(l, left, last);
        break;
      }
      std::size_t first = (left + 1) / 2;
      Emit(l, first);
      Emit(l, left - first);
    }
    Flush();
    return root;
  }
};

bool KeyTypeOk(char t) { return t == 'C' || t == 'D' || t == 'N' || t == 'F'; }

void SetSizes(Index& ix, char type, int keyLength) {
  ix.type = type;
  ix.keyLength = keyLength;
  ix.keyClass = type == 'C' ? 0 : 1;
  ix.entrySize = RoundUp4(keyLength + 8);
  ix.keysPerNode = 504 / ix.entrySize;
}

// Key of a record for a build; the record is already in the buffer.
bool BuildKey(Index& ix, std::string& key) { return KeyOfRecord(ix, key); }

TIndexProgress ProgressProc = nullptr;
int ProgressSteps = 0;

// Calls the progress routine every (records div steps) * 2 records of the
// read and the write phase, and at the end as often as steps remain.
struct BuildProgress {
  std::int64_t every = 0, seen = 0;
  int calls = 0;
  explicit BuildProgress(std::int32_t records) {
    if (ProgressProc && ProgressSteps > 0) every = std::max<std::int64_t>(2, records / ProgressSteps * 2);
  }
  void Tick() {
    if (every > 0 && ++seen % every == 0 && calls < ProgressSteps) {
      ++calls;
      ProgressProc();
    }
  }
  void End() {
    if (every > 0)
      for (; calls < ProgressSteps; ++calls) ProgressProc();
  }
};

// Sort order of the build: key order, equal keys by record number.
int CompareSortRecords(const Index& ix, const char* a, std::uint32_t ra, const char* b, std::uint32_t rb) {
  int c = CompareKeys(ix, a, b);
  if (c != 0) return c;
  return ra < rb ? -1 : ra > rb ? 1 : 0;
}

// Keys of consecutive records in memory. Once they pass the memory budget
// they are sorted and written as a run (key bytes + u32 record number) to a
// temporary file; at the end the runs are merged.
class KeySorter {
 public:
  KeySorter(const Index& ix, std::int32_t records)
      : ix_(ix), kl_(static_cast<std::size_t>(ix.keyLength)), text_(ix.type == 'C') {
    // Per key: its bytes, a sort item and its share of the run buffer.
    std::size_t perKey = kl_ + sizeof(SortItem) + kl_ + 4;
    capacity_ = std::max<std::size_t>(1, IndexSortMemory / perKey);
    capacity_ = std::min<std::size_t>(capacity_, static_cast<std::size_t>(std::max(records, 1)));
    keys_.reserve(capacity_ * kl_);
  }
  ~KeySorter() {
    if (runFile_ != platform::kNoFile) platform::CloseFile(runFile_);
    if (!runName_.empty()) platform::RemoveFile(runName_);
  }
  // Adds the key of record `recno`; records come in ascending order. 0 or an I/O code.
  int Add(const char* key, std::uint32_t recno) {
    if (held_ == capacity_) {
      int rc = WriteRun();
      if (rc != 0) return rc;
    }
    if (held_ == 0) base_ = recno;
    keys_.resize(keys_.size() + kl_);
    std::memcpy(keys_.data() + held_ * kl_, key, kl_);
    ++held_;
    return 0;
  }
  // Hands every record in sort order to `take`; 0 or an I/O code.
  template <class Take>
  int Output(Take take) {
    if (runs_.empty()) {
      Sort();
      for (const SortItem& it : items_) take(keys_.data() + it.index * kl_, base_ + it.index);
      return 0;
    }
    int rc = held_ > 0 ? WriteRun() : 0;
    if (rc == 0) rc = Merge(take);
    return rc;
  }

 private:
  struct SortItem {
    std::uint64_t head;  // the first eight key bytes (or the number) in key order
    std::uint32_t index;
  };
  struct Run {
    std::uint64_t next, end;
    std::vector<char> buffer;
    std::size_t at = 0, filled = 0;
  };

  // Sorts the held keys. Most comparisons end at the item's head and never
  // touch the key buffer.
  void Sort() {
    items_.resize(held_);
    const char* kp = keys_.data();
    for (std::size_t i = 0; i < held_; ++i) {
      const char* k = kp + i * kl_;
      std::uint64_t head = 0;
      if (text_) {
        for (std::size_t b = 0; b < 8; ++b) head = (head << 8) | (b < kl_ ? static_cast<unsigned char>(k[b]) : 0u);
      } else {
        double v;
        std::memcpy(&v, k, 8);
        if (v == 0) v = 0;  // -0 sorts with 0
        std::memcpy(&head, &v, 8);
        head = (head >> 63) ? ~head : head | (1ULL << 63);
        if (std::isnan(v)) head = 0;  // before every number, as the tree orders it
      }
      items_[i] = {head, static_cast<std::uint32_t>(i)};
    }
    const std::size_t kl = kl_;
    const bool text = text_;
    std::sort(items_.begin(), items_.end(), [kp, kl, text](const SortItem& a, const SortItem& b) {
      if (a.head != b.head) return a.head < b.head;
      if (text && kl > 8) {
        int c = std::memcmp(kp + a.index * kl + 8, kp + b.index * kl + 8, kl - 8);
        if (c != 0) return c < 0;
      }
      return a.index < b.index;
    });
  }

  int WriteRun() {
    Sort();
    int rc = 0;
    if (runFile_ == platform::kNoFile) {
      runName_ = platform::TempFileName("ndx");
      rc = platform::CreateFile(runName_, runFile_);
      if (rc != 0) return rc;
    }
    const std::size_t rs = kl_ + 4;
    const std::size_t per = std::max<std::size_t>(1, 65536 / rs);
    std::vector<char> buf(per * rs);
    std::size_t used = 0;
    Run run;
    run.next = runEnd_;
    for (const SortItem& it : items_) {
      std::memcpy(buf.data() + used, keys_.data() + it.index * kl_, kl_);
      Put32(reinterpret_cast<std::uint8_t*>(buf.data() + used + kl_), base_ + it.index);
      used += rs;
      if (used == buf.size()) {
        if ((rc = platform::WriteAt(runFile_, runEnd_, buf.data(), used)) != 0) return rc;
        runEnd_ += used;
        used = 0;
      }
    }
    if (used > 0 && (rc = platform::WriteAt(runFile_, runEnd_, buf.data(), used)) != 0) return rc;
    runEnd_ += used;
    run.end = runEnd_;
    runs_.push_back(std::move(run));
    keys_.clear();
    items_.clear();
    held_ = 0;
    return 0;
  }

  // Makes the run's current record available; false when it is exhausted.
  bool Fill(Run& r, int& rc) {
    if (r.at < r.filled) return true;
    if (r.next >= r.end) return false;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(r.buffer.size(), r.end - r.next));
    std::size_t got = 0;
    rc = platform::ReadAt(runFile_, r.next, r.buffer.data(), want, got);
    if (rc == 0 && got < want) rc = 100;
    if (rc != 0) return false;
    r.next += want;
    r.at = 0;
    r.filled = want;
    return true;
  }

  template <class Take>
  int Merge(Take take) {
    keys_ = std::vector<char>();
    items_ = std::vector<SortItem>();
    const std::size_t rs = kl_ + 4;
    std::size_t perRun = std::max<std::size_t>(16, IndexSortMemory / runs_.size() / rs);
    perRun = std::min<std::size_t>(perRun, (std::size_t{1} << 20) / rs + 1);
    int rc = 0;
    auto key = [&](std::size_t i) { return runs_[i].buffer.data() + runs_[i].at; };
    auto recno = [&](std::size_t i) { return Get32(reinterpret_cast<const std::uint8_t*>(key(i) + kl_)); };
    auto greater = [&](std::size_t a, std::size_t b) {
      return CompareSortRecords(ix_, key(a), recno(a), key(b), recno(b)) > 0;
    };
    std::vector<std::size_t> heap;
    for (std::size_t i = 0; i < runs_.size(); ++i) {
      runs_[i].buffer.resize(perRun * rs);
      if (Fill(runs_[i], rc)) heap.push_back(i);
      if (rc != 0) return rc;
    }
    std::make_heap(heap.begin(), heap.end(), greater);
    while (!heap.empty()) {
      std::pop_heap(heap.begin(), heap.end(), greater);
      std::size_t i = heap.back();
      take(key(i), recno(i));
      runs_[i].at += rs;
      if (Fill(runs_[i], rc)) {
        std::push_heap(heap.begin(), heap.end(), greater);
      } else {
        if (rc != 0) return rc;
        heap.pop_back();
        runs_[i].buffer = std::vector<char>();
      }
    }
    return 0;
  }

  const Index& ix_;
  const std::size_t kl_;
  const bool text_;
  std::size_t capacity_ = 1;
  std::vector<char> keys_;
  std::vector<SortItem> items_;
  std::size_t held_ = 0;
  std::uint32_t base_ = 1;
  std::vector<Run> runs_;
  std::string runName_;
  platform::FileHandle runFile_ = platform::kNoFile;
  std::uint64_t runEnd_ = 0;
};

// Whether reading a table in OEM mode and turning a key back to OEM gives
// the stored bytes again for every character, and leaves ASCII alone.
bool OemRoundTrips() {
  static const bool same = [] {
    char all[256];
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    char back[256];
    std::memcpy(back, all, 256);
    OemToAnsiBuffer(back, 256);
    AnsiToOemBuffer(back, 256);
    if (std::memcmp(all, back, 256) != 0) return false;
    // Digits, signs, points and blanks read as they are stored.
    std::memcpy(back, all, 256);
    OemToAnsiBuffer(back, 128);
    return std::memcmp(all, back, 128) == 0;
  }();
  return same;
}

// The field whose stored text gives the key when the expression is one
// field and reading changes no byte of it: a character field's bytes are
// the key, a number's or date's text is converted as the expression would.
// 0 otherwise.
int DirectKeyField(const TDbfWorkArea& wa, const Index& ix) {
  if (ix.maker || wa.readTranslator || (wa.oem && !OemRoundTrips())) return 0;
  std::string name = AllTrim(ix.expression);
  if (name.empty() || name.size() > 10) return 0;
  int f = FieldNo(name);
  if (f <= 0) return 0;
  const TDbfFieldEntry& e = wa.fields[f - 1];
  bool fits = ix.type == 'C' ? e.type == 'C' && e.length == ix.keyLength
                             : (ix.type == 'N' && (e.type == 'N' || e.type == 'F')) || (ix.type == 'D' && e.type == 'D');
  return fits ? f : 0;
}

// Probes whether another open file holds `name` (a deny-all open fails).
bool FileInUse(const std::string& name) {
  platform::FileHandle h = platform::kNoFile;
  int rc = platform::OpenFile(name, platform::kOpenReadWrite | platform::kShareDenyAll, h);
  if (rc == 0) platform::CloseFile(h);
  return rc == platform::kErrSharingViolation;
}

// Reopens the table's file with `mode`; 0 on success.
int ReopenTable(TDbfWorkArea& wa, unsigned mode) {
  DropRecordMap(wa);
  if (wa.file != platform::kNoFile) platform::CloseFile(wa.file);
  int rc = platform::OpenFile(wa.fileName, mode, wa.file);
  if (rc == 0) wa.openMode = mode;
  return rc;
}

}  // namespace ndx

using namespace ndx;

std::size_t IndexSortMemory = std::size_t{64} << 20;

void SetIndexProgress(TIndexProgress routine, int steps) {
  ProgressProc = routine;
  ProgressSteps = routine ? std::max(steps, 0) : 0;
}

void MakeIndex(const std::string& fileName, const std::string& expression, bool soundex,
               std::uint8_t openNumber, bool unique, bool descending, TKeyMaker maker,
               std::uint32_t makerData) {
  TzLastError = 0;
  std::string label = " [MakeIndex(<...>," + fileName + ")]";
  if (AllTrim(fileName).empty()) {
    DederError(220, "index filename not specified [MakeIndex()]");
    return;
  }
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    DederError(215, "database not open attempting to index to" + fileName + "." + label);
    return;
  }
  std::string full = ResolveIndexName(fileName, *wa);
  std::string dir, base, ext;
  SplitPath(full, dir, base, ext);
  if (ext.empty()) full += ".ndx";
  if (expression.empty() && !maker) {
    DederError(254, "Neither Expression nor KeyMaker defined" + label);
    return;
  }
  if (!maker && !ParserLinked) {
    DederError(221, "RIVidore unit not linked in. [MakeIndex]");
    return;
  }
  if (!maker && expression.size() > 100) {
    DederError(300, "Expression length exceeds 100 bytes" + label);
    return;
  }
  if (AttachedAnywhere(full)) {
    DederError(214, full + label);
    return;
  }
  auto ix = std::make_unique<Index>();
  ix->fileName = full;
  ix->openNumber = openNumber;
  ix->unique = unique || IndexUniqueSwitch;
  ix->maker = maker;
  ix->makerData = makerData;
  ix->soundex = maker && soundex;
  ix->descending = maker && descending;
  char type = 'C';
  if (!maker) {
    ix->expression = expression;
    CanonicalExpression(ix->expression, false);
    ix->expr = ExprHooks.Compile(expression);
    if (!ix->expr) return;  // the compiler reported
    TExprValue probe = EvaluateKeyExpr(ix->expr);
    type = probe.type;
    if (!KeyTypeOk(type)) {
      DederError(254, "Wrong parser return type" + label);
      return;
    }
  }
  // The key length comes from the key of the current record.
  SetSizes(*ix, type, 100);
  std::string key;
  if (type == 'C') {
    std::string text;
    if (maker) {
      maker(makerData, openNumber, text);
      if (ix->soundex) text = Soundex(text);
      if (text.size() > 100) text.resize(100);
    } else {
      text = EvaluateKeyExpr(ix->expr).text;
    }
    if (text.empty() || text.size() > 100) {
      DederError(266, "Incorrect key length: Must be 1 to 100." + label);
      return;
    }
    SetSizes(*ix, 'C', static_cast<int>(text.size()));
  } else {
    SetSizes(*ix, type, 8);
  }
  RefreshRecordCount(*wa);
  const std::int32_t count = wa->recordCount;
  std::int64_t needed = static_cast<std::int64_t>(count) * (ix->keyLength + 4) / 1024 + 1;
  std::int32_t freeKb = DiskFreeKB(dir);
  if (freeKb < needed) {
    DederError(227, "Available disk space: " + std::to_string(freeKb) + " KBytes;needed: " +
                        std::to_string(needed) + " KBytes [MakeIndex]");
    return;
  }
  // An old index that another program holds open is never truncated under
  // it: a shared table is reopened exclusively for the build, which fails
  // while others use it. The new tree goes to a file of its own that
  // replaces the old one only when complete.
  const unsigned sharedMode = wa->openMode;
  bool reopened = false;
  if (!wa->exclusive && !wa->isVirtual && platform::FileExists(full) && FileInUse(full)) {
    Unlock();  // closing the handle drops its locks
    if (ReopenTable(*wa, platform::kOpenReadWrite | platform::kShareDenyAll) != 0) {
      int back = ReopenTable(*wa, sharedMode);
      DederError(225, wa->fileName + (back != 0 ? " (the table could not be reopened)" : "") +
                          " [MakeIndex(<...>," + fileName + ")]");
      return;
    }
    reopened = true;
  }
  const std::string building = full + ".bu$";
  int rc = platform::CreateFile(building, ix->file);
  if (rc != 0) {
    if (reopened) ReopenTable(*wa, sharedMode);
    DederError(static_cast<std::uint16_t>(rc), "File not open " + full + label);
    return;
  }
  BuildProgress progress(count);
  // Read phase: every record's key with its number.
  const std::int32_t savedRecno = wa->recordNumber;
  const bool savedEnd = wa->endFlag, savedBegin = wa->beginFlag;
  const std::size_t kl = static_cast<std::size_t>(ix->keyLength);
  KeySorter sorter(*ix, count);
  const int direct = DirectKeyField(*wa, *ix);
  const std::size_t directOffset = direct ? wa->fields[direct - 1].offset : 0;
  const std::size_t directLength = direct ? wa->fields[direct - 1].length : 0;
  const std::size_t rl = wa->recordLength;
  const std::size_t perBlock = std::max<std::size_t>(1, 65536 / rl);
  std::vector<char> block(perBlock * rl);
  for (std::int32_t first = 1; first <= count && rc == 0;) {
    std::size_t n = std::min<std::size_t>(perBlock, static_cast<std::size_t>(count - first + 1));
    std::size_t got = 0;
    rc = platform::ReadAt(wa->file, RecordOffset(*wa, first), block.data(), n * rl, got);
    if (rc == 0 && got < n * rl) rc = 213;
    if (direct) {
      for (std::size_t i = 0; rc == 0 && i < n; ++i) {
        const char* field = block.data() + i * rl + directOffset;
        const std::uint32_t recno = static_cast<std::uint32_t>(first) + static_cast<std::uint32_t>(i);
        if (ix->type == 'C') {
          rc = sorter.Add(field, recno);
        } else {
          std::string_view text(field, directLength);
          // A text that is no number keys as 0, where the index finds it;
          // reading its value names it.
          double v = 0;
          if (ix->type == 'D') v = JulianFromDbf(text);
          else if (ReadStoredNumber(text, v) != TStoredRead::Number) v = 0;
          rc = sorter.Add(DoubleKey(v).data(), recno);
        }
        progress.Tick();
      }
      first += static_cast<std::int32_t>(n);
      continue;
    }
    for (std::size_t i = 0; rc == 0 && i < n; ++i) {
      std::memcpy(wa->recordBuffer.data(), block.data() + i * rl, rl);
      TranslateRecord(TranslateDirection::AfterRead, wa->oem, wa->readTranslator, rl, rl, wa->recordBuffer.data());
      wa->recordNumber = first + static_cast<std::int32_t>(i);
      if (maker) LoadTypedRecord(*wa);
      if (!BuildKey(*ix, key)) rc = 254;
      else rc = sorter.Add(key.data(), static_cast<std::uint32_t>(wa->recordNumber));
      progress.Tick();
    }
    first += static_cast<std::int32_t>(n);
  }
  // Write phase: the sorted keys, the tree bottom-up in one pass.
  TreeWriter writer(*ix);
  if (rc == 0) {
    std::string lastTaken;
    const Index& cix = *ix;
    rc = sorter.Output([&](const char* k, std::uint32_t recno) {
      progress.Tick();
      if (cix.unique && !lastTaken.empty() && CompareKeys(cix, lastTaken.data(), k) == 0) return;
      writer.Add(k, recno);
      if (cix.unique) lastTaken.assign(k, kl);
    });
  }
  if (rc == 0) {
    ix->root = writer.Finish();
    ix->nextFree = ix->root + 1;
    rc = writer.rc;
  }
  if (rc == 0 && !WriteAnchorNode(*ix)) rc = TzLastError ? TzLastError : 101;
  if (rc == 0 && IndexFlushSwitch) rc = platform::FlushFile(ix->file);
  int crc = platform::CloseFile(ix->file);
  if (rc == 0) rc = crc;
  if (rc == 0) rc = platform::RenameFile(building, full);
  if (rc != 0) platform::RemoveFile(building);
  progress.End();
  int back = reopened ? ReopenTable(*wa, sharedMode) : 0;
  // The current record comes back.
  if (savedRecno >= 1 && savedRecno <= count) {
    ReadRecordOnly(savedRecno);
  } else {
    PlaceAfterEndOfTable();
    wa->recordNumber = savedRecno;
  }
  wa->endFlag = savedEnd;
  wa->beginFlag = savedBegin;
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), " [MakeIndex]");
  } else if (back != 0) {
    DederError(static_cast<std::uint16_t>(back), "Cannot re-open database sharable. " + wa->fileName + " [MakeIndex]");
  }
}

void MakeIndexOptions(const std::string& expression, const std::string& options) {
  IndexOptions o = ParseOptions(options);
  MakeIndex(o.name, expression, false, 1, o.unique, false, nullptr, 0);
}

void MakeIndexCB(const std::string& options, TKeyMaker maker, std::uint32_t makerData) {
  IndexOptions o = ParseOptions(options);
  MakeIndex(o.name, std::string(), o.soundex, 1, o.unique, o.descending, maker, makerData);
}
