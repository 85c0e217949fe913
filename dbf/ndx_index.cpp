#include "dbf/ndx_index.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "dbf/dbf_file.h"
#include "dbf/byte_order.h"
#include "dbf/errors.h"
#include "dbf/index_keys.h"
#include "dbf/locks.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"
#include "platform/file_lock.h"
#include "platform/os.h"

bool IndexExact = false;
bool IndexFound = false;
bool IndexUniqueSwitch = false;
bool IndexFlushSwitch = false;
std::uint16_t SemaphoreTimeout = 100;
std::string SemaphoreDirectory;
std::size_t IndexCacheNodes = 16384;

namespace {

constexpr int kSlots = 16;
constexpr std::size_t kBlock = 512;
constexpr int kMaxDepth = 64;
const char kKeyMakerMarker[] = "USERDEFINEDKEYMAKERWASUSEDTOBUILDTHISINDEX";
// A table stamp above every record count: the index fits no table.
constexpr std::uint32_t kNoTableStamp = 0xFFFFFFFFU;

struct Block {
  std::uint8_t b[kBlock];
};


// Nodes by number: a lookup is one index, no hashing.
class NodeCache {
 public:
  Block* Find(std::uint32_t n) const { return n < nodes_.size() ? nodes_[n].get() : nullptr; }
  Block& Put(std::uint32_t n, const Block& b) {
    if (n >= nodes_.size()) nodes_.resize(static_cast<std::size_t>(n) + 1);
    if (!nodes_[n]) {
      nodes_[n] = std::make_unique<Block>(b);
      ++count_;
    } else {
      *nodes_[n] = b;
    }
    return *nodes_[n];
  }
  void Erase(std::uint32_t n) {
    if (n < nodes_.size() && nodes_[n]) {
      nodes_[n].reset();
      --count_;
    }
  }
  void Clear() {
    nodes_.clear();
    count_ = 0;
  }
  std::size_t Size() const { return count_; }

 private:
  std::vector<std::unique_ptr<Block>> nodes_;
  std::size_t count_ = 0;
};

struct PathStep {
  std::uint32_t node;
  int index;
};

// One entry of a decoded node.
struct Entry {
  std::uint32_t child = 0;
  std::uint32_t recno = 0;
  std::string key;
};

struct Node {
  bool leaf = true;
  std::vector<Entry> entries;
  std::uint32_t extra = 0;  // inner nodes: the child after the last key
};

// One open index (control record).
struct Index {
  std::string fileName;
  platform::FileHandle file = platform::kNoFile;
  std::uint8_t openNumber = 1;
  std::uint32_t root = 1;
  std::uint32_t nextFree = 2;
  char type = 'C';
  int keyLength = 1;
  int keysPerNode = 1;
  int keyClass = 0;
  int entrySize = 12;
  bool unique = false;
  std::string expression;
  TExprDescriptor* expr = nullptr;
  bool soundex = false;
  bool descending = false;
  TKeyMaker maker = nullptr;
  std::uint32_t makerData = 0;
  bool anchorDirty = false;
  // Changes are under way: the stamp fits no table until they are done, so
  // that a program killed part-way leaves an index that is refused.
  bool writing = false;
  // Another program ended part-way through a change of this file: it is
  // refused, and left as that program left it, until it is built again.
  bool damaged = false;
  bool atBegin = false;
  bool atEnd = false;
  std::string currentKey;
  std::uint32_t currentRecno = 0;
  std::vector<PathStep> path;
  bool pathValid = false;
  // Nodes as read or written, until another program changes the index; a
  // NOCACHE index keeps only the node in use.
  NodeCache cache;
  bool nocache = false;
  std::string oldKey;

  // A control record that goes, for whatever reason, takes its file and
  // with it the file's share lock.
  ~Index() {
    if (file != platform::kNoFile) platform::CloseFile(file);
    if (expr && ExprHooks.Free) ExprHooks.Free(expr);
  }
};

struct AreaIndexes {
  std::array<std::unique_ptr<Index>, kSlots + 1> slot;
  bool natural = false;
  // Semaphore file state.
  bool loggedIn = false;
  platform::FileHandle sem = platform::kNoFile;
  const volatile std::uint8_t* semMap = nullptr;  // the record, read without a system call
  bool countKnown = false;  // the table's size was read at change counter `countCounter`
  std::uint16_t countCounter = 0;
  std::string semName;
  std::uint8_t record[4] = {};
  std::uint16_t seenCounter = 0;
  bool regionLocked = false;
  bool reader = false;
  bool checkedAsReader = false;  // the anchors were checked in this read
  bool orphanSeen = false;  // a dead writer's access count was seen at `seenCounter`
  int readNesting = 0;
  int writeNesting = 0;
  int readDepth = 0;   // SetReadSemaphoreProc
  int lockDepth = 0;   // SetLockSemaphoreProc
};

AreaIndexes* Areas(TDbfWorkArea* wa, bool create = false) {
  if (!wa) return nullptr;
  if (!wa->indexData && create) wa->indexData = new AreaIndexes();
  return static_cast<AreaIndexes*>(wa->indexData);
}

AreaIndexes* SelectedAreas(bool create = false) { return Areas(SelectedWorkArea(), create); }


std::string Cut80(const std::string& s) { return s.size() > 80 ? s.substr(0, 80) : s; }

// ---- node I/O ---------------------------------------------------------------

// An index that another program left half-changed: reported once per call.
bool Refused(Index& ix, const char* where) {
  if (TzLastError == 0)
    DederError(222, "Index file " + Cut80(ix.fileName) + " was left half-changed by a program that ended; build it again [" +
                        where + "]");
  return false;
}


bool SeekAndRead(Index& ix, std::uint32_t n, Block& out) {
  std::size_t got = 0;
  int rc = platform::ReadAt(ix.file, static_cast<std::uint64_t>(n) * kBlock, out.b, kBlock, got);
  if (rc == 0 && got < kBlock) rc = 100;
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Error reading index file: " + Cut80(ix.fileName) + " [SeekAndRead]");
    return false;
  }
  out.b[2] = out.b[3] = 0;
  return true;
}

bool SeekAndWrite(Index& ix, std::uint32_t n, Block& blk) {
  if (ix.damaged) return Refused(ix, "SeekAndWrite");
  blk.b[2] = blk.b[3] = 0;
  int rc = platform::WriteAt(ix.file, static_cast<std::uint64_t>(n) * kBlock, blk.b, kBlock);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Error writing index file: " + Cut80(ix.fileName) + " [SeekAndWrite]");
    return false;
  }
  if (ix.nocache) {
    ix.cache.Erase(n);
    return true;
  }
  if (ix.cache.Size() >= IndexCacheNodes && !ix.cache.Find(n)) ix.cache.Clear();
  ix.cache.Put(n, blk);
  return true;
}

// A node whose contents contradict the anchor marks the file as damaged.
bool Corrupted(Index& ix, const char* where) {
  DederError(222, "Corrupted index file " + Cut80(ix.fileName) + " [" + where + "]");
  return false;
}

bool ValidNode(const Index& ix, const std::uint8_t* b) {
  int count = Get16(b);
  if (count > ix.keysPerNode) return false;
  bool leaf = Get32(b + 4) == 0;
  if (leaf) {
    for (int i = 0; i < count; ++i) {
      const std::uint8_t* e = b + 4 + i * ix.entrySize;
      if (Get32(e) != 0 || Get32(e + 4) == 0) return false;
    }
    return true;
  }
  for (int i = 0; i <= count; ++i) {
    std::uint32_t child = Get32(b + 4 + i * ix.entrySize);
    if (child == 0 || child >= ix.nextFree) return false;
  }
  return true;
}

// The validated node n, from the cache or the file; nullptr after an error.
const std::uint8_t* ReadNode(Index& ix, std::uint32_t n) {
  if (n == 0) {
    DederError(254, "Invalid Node Number (0) in DBF Area " + std::to_string(SelectedArea) + ", Order 1 " +
                        Cut80(ix.fileName) + " [GetNode]");
    return nullptr;
  }
  if (ix.damaged) {
    Refused(ix, "GetNode");
    return nullptr;
  }
  if (n >= ix.nextFree) {
    Corrupted(ix, "GetNode");
    return nullptr;
  }
  if (const Block* hit = ix.cache.Find(n)) return hit->b;
  Block blk;
  if (!SeekAndRead(ix, n, blk)) return nullptr;
  if (!ValidNode(ix, blk.b)) {
    Corrupted(ix, "GetNode");
    return nullptr;
  }
  if (ix.nocache || ix.cache.Size() >= IndexCacheNodes) ix.cache.Clear();
  return ix.cache.Put(n, blk).b;
}

int Count(const std::uint8_t* b) { return Get16(b); }
bool IsLeaf(const std::uint8_t* b) { return Get32(b + 4) == 0; }
const std::uint8_t* EntryAt(const Index& ix, const std::uint8_t* b, int i) { return b + 4 + i * ix.entrySize; }
std::uint32_t ChildAt(const Index& ix, const std::uint8_t* b, int i) { return Get32(EntryAt(ix, b, i)); }
std::uint32_t RecnoAt(const Index& ix, const std::uint8_t* b, int i) { return Get32(EntryAt(ix, b, i) + 4); }
const char* KeyAt(const Index& ix, const std::uint8_t* b, int i) {
  return reinterpret_cast<const char*>(EntryAt(ix, b, i) + 8);
}

Node Decode(const Index& ix, const std::uint8_t* b) {
  Node n;
  int count = Count(b);
  n.leaf = IsLeaf(b);
  n.entries.resize(count);
  for (int i = 0; i < count; ++i) {
    n.entries[i].child = ChildAt(ix, b, i);
    n.entries[i].recno = RecnoAt(ix, b, i);
    n.entries[i].key.assign(KeyAt(ix, b, i), ix.keyLength);
  }
  n.extra = n.leaf ? 0 : ChildAt(ix, b, count);
  return n;
}

// Encodes a node; an inner node's extra child takes only its 4 bytes, so
// a full node never reaches past the 512-byte block.
Block Encode(const Index& ix, const Node& n) {
  Block blk{};
  Put16(blk.b, static_cast<std::uint32_t>(n.entries.size()));
  for (std::size_t i = 0; i < n.entries.size(); ++i) {
    std::uint8_t* e = blk.b + 4 + i * ix.entrySize;
    Put32(e, n.leaf ? 0 : n.entries[i].child);
    Put32(e + 4, n.entries[i].recno);
    std::memcpy(e + 8, n.entries[i].key.data(), std::min<std::size_t>(n.entries[i].key.size(), ix.keyLength));
  }
  if (!n.leaf) Put32(blk.b + 4 + n.entries.size() * ix.entrySize, n.extra);
  return blk;
}

bool WriteNode(Index& ix, std::uint32_t number, const Node& n) {
  Block blk = Encode(ix, n);
  return SeekAndWrite(ix, number, blk);
}

// ---- anchor -------------------------------------------------------------------

std::string TableShortName(const TDbfWorkArea& wa) { return wa.shortName.str(); }

bool WriteAnchorNode(Index& ix) {
  if (ix.damaged) return true;  // its stamp on disk already refuses it
  TDbfWorkArea* wa = SelectedWorkArea();
  std::uint8_t b[kBlock] = {};
  Put32(b, ix.root);
  Put32(b + 4, ix.nextFree);
  b[9] = static_cast<std::uint8_t>(ix.type);
  Put16(b + 12, static_cast<std::uint32_t>(ix.keyLength));
  Put16(b + 14, static_cast<std::uint32_t>(ix.keysPerNode));
  Put16(b + 16, static_cast<std::uint32_t>(ix.keyClass));
  Put16(b + 18, static_cast<std::uint32_t>(ix.entrySize));
  b[23] = ix.unique ? 1 : 0;
  std::string expr = ix.maker ? std::string(kKeyMakerMarker) : ix.expression;
  if (wa && wa->oem) expr = TzAnsiToOem(expr);
  std::memcpy(b + 24, expr.data(), std::min<std::size_t>(expr.size(), 100));
  std::uint32_t count = ix.writing ? kNoTableStamp : wa ? static_cast<std::uint32_t>(wa->recordCount) : 0;
  Put32(b + 488, ~count);
  Put32(b + 492, count);
  if (wa) {
    std::string name = TableShortName(*wa);
    if (wa->oem) name = TzAnsiToOem(name);
    std::memcpy(b + 496, name.data(), std::min<std::size_t>(name.size(), 12));
  }
  int rc = platform::WriteAt(ix.file, 0, b, kBlock);
  if (rc == 0 && IndexFlushSwitch) rc = platform::FlushFile(ix.file);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Error writing index file:  " + Cut80(ix.fileName) + " [WriteAnchorNode]");
    return false;
  }
  ix.anchorDirty = false;
  return true;
}

int RoundUp4(int v) { return (v + 3) / 4 * 4; }

// Reads and checks anchor bytes 0..23; false (code 222) for a damaged one.
bool ReadAnchorHeader(Index& ix) {
  std::uint8_t b[24];
  std::size_t got = 0;
  int rc = platform::ReadAt(ix.file, 0, b, 24, got);
  if (rc != 0 || got < 24) {
    DederError(static_cast<std::uint16_t>(rc ? rc : 222), "Error reading index file:  " + Cut80(ix.fileName) + " [ReadAnchorNodes]");
    return false;
  }
  std::uint32_t root = Get32(b), nextFree = Get32(b + 4);
  char type = static_cast<char>(b[9]);
  int keyLength = static_cast<std::int16_t>(Get16(b + 12));
  int perNode = static_cast<std::int16_t>(Get16(b + 14));
  int keyClass = static_cast<std::int16_t>(Get16(b + 16));
  int entrySize = static_cast<std::int16_t>(Get16(b + 18));
  bool ok = (type == 'C' || type == 'D' || type == 'N' || type == 'F') && keyLength >= 1 &&
            keyLength <= 100 && entrySize == RoundUp4(keyLength + 8) && perNode == 504 / entrySize &&
            keyClass == (type == 'C' ? 0 : 1) && (type == 'C' || keyLength == 8) && nextFree >= 2 &&
            root >= 1 && root < nextFree;
  if (!ok) return Corrupted(ix, "OpenIndex");
  ix.root = root;
  ix.nextFree = nextFree;
  ix.type = type;
  ix.keyLength = keyLength;
  ix.keysPerNode = perNode;
  ix.keyClass = keyClass;
  ix.entrySize = entrySize;
  ix.unique = b[23] != 0;
  return true;
}

// Reads every anchor again and drops what was cached. With the semaphore
// region held (`settled`) no other program is writing: an anchor still
// stamped as changing was left so by a program that ended part-way.
void ReadAnchorNodes(AreaIndexes& a, bool settled) {
  for (int s = 1; s <= kSlots; ++s) {
    Index* ix = a.slot[s].get();
    if (!ix || ix->damaged) continue;
    ix->cache.Clear();
    ix->pathValid = false;
    if (!ReadAnchorHeader(*ix)) {
      ix->damaged = true;
      continue;
    }
    std::uint8_t stamp[8];
    std::size_t got = 0;
    if (settled && !ix->writing && platform::ReadAt(ix->file, 488, stamp, 8, got) == 0 && got == 8 &&
        Get32(stamp + 4) == kNoTableStamp) {
      ix->damaged = true;
      Refused(*ix, "ReadAnchorNodes");
    }
  }
}

// ---- keys -------------------------------------------------------------------

int CompareKeys(const Index& ix, const char* a, const char* b) {
  if (ix.type == 'C') return CompareBytes(a, b, static_cast<std::size_t>(ix.keyLength));
  double x, y;
  std::memcpy(&x, a, 8);
  std::memcpy(&y, b, 8);
  return CompareDoubles(x, y);
}

std::string DoubleKey(double v) {
  std::string k(8, '\0');
  std::memcpy(k.data(), &v, 8);
  return k;
}

// The key of the selected work area's current record for `ix`.
bool KeyOfRecord(Index& ix, std::string& key) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (ix.maker) {
    std::string text;
    ix.maker(ix.makerData, ix.openNumber, text);
    if (wa && wa->oem) text = TzAnsiToOem(text);
    if (ix.soundex) text = Soundex(text);
    if (ix.descending) text = ::Descend(text);
    if (text.size() > 100) text.resize(100);
    key = text;
  } else {
    if (!ix.expr || !ExprHooks.Evaluate) return false;
    TExprValue v = ExprHooks.Evaluate(ix.expr);
    if (ix.type == 'C') {
      key = v.text;
      if (wa && wa->oem) key = TzAnsiToOem(key);
    } else {
      key = DoubleKey(v.number);
      return true;
    }
  }
  key.resize(static_cast<std::size_t>(ix.keyLength), ' ');
  return true;
}

// ---- tree walks ---------------------------------------------------------------

// Search descent: the first entry whose key is not below `key` in each
// node. `key` has the key length.
bool DescendTo(Index& ix, const std::string& key) {
  ix.path.clear();
  std::uint32_t n = ix.root;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const std::uint8_t* b = ReadNode(ix, n);
    if (!b) return false;
    int lo = 0, hi = Count(b);
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (CompareKeys(ix, KeyAt(ix, b, mid), key.data()) < 0) lo = mid + 1;
      else hi = mid;
    }
    ix.path.push_back({n, lo});
    if (IsLeaf(b)) return true;
    n = ChildAt(ix, b, lo);
  }
  return Corrupted(ix, "Find");
}

// Descends from node n along the first (or last) children to a leaf.
// False at an empty leaf (only an empty index has one).
bool DescendEdge(Index& ix, std::uint32_t n, bool first) {
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const std::uint8_t* b = ReadNode(ix, n);
    if (!b) return false;
    int count = Count(b);
    if (IsLeaf(b)) {
      if (count == 0) return false;
      ix.path.push_back({n, first ? 0 : count - 1});
      return true;
    }
    int i = first ? 0 : count;
    ix.path.push_back({n, i});
    n = ChildAt(ix, b, i);
  }
  return Corrupted(ix, "GetNode");
}

bool StepNext(Index& ix) {
  if (ix.path.empty()) return false;
  const std::uint8_t* b = ReadNode(ix, ix.path.back().node);
  if (!b) return false;
  if (ix.path.back().index + 1 < Count(b)) {
    ix.path.back().index++;
    return true;
  }
  ix.path.pop_back();
  while (!ix.path.empty()) {
    PathStep& top = ix.path.back();
    const std::uint8_t* p = ReadNode(ix, top.node);
    if (!p) return false;
    if (top.index < Count(p)) {
      top.index++;
      std::size_t depth = ix.path.size();
      if (DescendEdge(ix, ChildAt(ix, p, top.index), true)) return true;
      if (TzLastError != 0) return false;
      ix.path.resize(depth);
      continue;
    }
    ix.path.pop_back();
  }
  return false;
}

bool StepPrior(Index& ix) {
  if (ix.path.empty()) return false;
  if (ix.path.back().index > 0) {
    ix.path.back().index--;
    return true;
  }
  ix.path.pop_back();
  while (!ix.path.empty()) {
    PathStep& top = ix.path.back();
    const std::uint8_t* p = ReadNode(ix, top.node);
    if (!p) return false;
    if (top.index > 0) {
      top.index--;
      std::size_t depth = ix.path.size();
      if (DescendEdge(ix, ChildAt(ix, p, top.index), false)) return true;
      if (TzLastError != 0) return false;
      ix.path.resize(depth);
      continue;
    }
    ix.path.pop_back();
  }
  return false;
}

// The entry under the path; false when the path stands after a leaf's end.
bool CurrentEntry(Index& ix, std::string& key, std::uint32_t& recno) {
  if (ix.path.empty()) return false;
  const std::uint8_t* b = ReadNode(ix, ix.path.back().node);
  if (!b || ix.path.back().index >= Count(b)) return false;
  key.assign(KeyAt(ix, b, ix.path.back().index), ix.keyLength);
  recno = RecnoAt(ix, b, ix.path.back().index);
  return true;
}

// Stands after the last entry of the last leaf.
void PlaceAfterLast(Index& ix) {
  ix.path.clear();
  std::uint32_t n = ix.root;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const std::uint8_t* b = ReadNode(ix, n);
    if (!b) return;
    ix.path.push_back({n, Count(b)});
    if (IsLeaf(b)) return;
    n = ChildAt(ix, b, Count(b));
  }
}

// Moves the path to the entry (key, recno), or to the first entry after it
// in (key, record number) order. Returns whether the entry itself is there.
// With `scanAll` every entry of an equal key is looked at, whatever the
// order of their record numbers.
bool Locate(Index& ix, const std::string& key, std::uint32_t recno, bool scanAll = false) {
  if (!DescendTo(ix, key)) return false;
  std::string k;
  std::uint32_t r = 0;
  for (;;) {
    if (!CurrentEntry(ix, k, r)) {
      // After the leaf's last entry: the next leaf may hold equal keys.
      const std::uint8_t* b = ReadNode(ix, ix.path.back().node);
      if (!b) return false;
      if (Count(b) == 0) return false;
      if (!StepNext(ix)) {
        PlaceAfterLast(ix);
        return false;
      }
      continue;
    }
    int c = CompareKeys(ix, k.data(), key.data());
    if (c > 0) return false;
    if (c == 0 && r == recno) return true;
    if (c == 0 && (ix.unique || (r > recno && !scanAll))) return false;
    if (!StepNext(ix)) {
      PlaceAfterLast(ix);
      return false;
    }
  }
}

void TakeCurrent(Index& ix) {
  std::string k;
  std::uint32_t r = 0;
  if (CurrentEntry(ix, k, r)) {
    ix.currentKey = k;
    ix.currentRecno = r;
    ix.pathValid = true;
    IndexFound = true;
  }
}

// ---- semaphore file -----------------------------------------------------------

const char* ActionName(int action) {
  static const char* const names[] = {"LOGIN", "LOGOUT", "INCREAD", "DECREAD", "LOCKSEMAPHORE", "UNLOCKSEMAPHORE"};
  return action >= 0 && action <= 5 ? names[action] : "?";
}

bool LockRegion(AreaIndexes& a, int action) {
  for (int attempt = 0; attempt <= 1000; ++attempt) {
    int rc = platform::LockRange(a.sem, 1, 4);
    if (rc == 0) {
      a.regionLocked = true;
      return true;
    }
    if (attempt == 1000) {
      DederError(1202, "10 second timeout: Cannot lock index semaphore file: " + a.semName + " " +
                           ActionName(action) + "\r\nPossible cause: Network lock limit exceeded\r\n Lock result code: " +
                           std::to_string(rc));
      return false;
    }
    platform::SleepMs(10);
  }
  return false;
}

void UnlockRegion(AreaIndexes& a, int action) {
  int rc = platform::UnlockRange(a.sem, 1, 4);
  a.regionLocked = false;
  if (rc != 0)
    DederError(static_cast<std::uint16_t>(rc), "Cannot unlock index semaphore file: " + a.semName + " " + ActionName(action));
}

// Gives up the exclusive region; a program still reading keeps it shared,
// without a moment in which another writer could come in.
void ReleaseRegion(AreaIndexes& a, int action) {
  if (a.readNesting > 0 && platform::LockRangeShared(a.sem, 1, 4) == 0) {
    a.reader = true;
    a.regionLocked = false;
    return;
  }
  a.reader = false;
  UnlockRegion(a, action);
}

bool ReadSem(AreaIndexes& a, int action) {
  std::size_t got = 0;
  int rc = platform::ReadAt(a.sem, 0, a.record, 4, got);
  if (rc != 0 || got < 4) {
    DederError(static_cast<std::uint16_t>(rc ? rc : 100), "Cannot read: " + a.semName + " " + ActionName(action));
    return false;
  }
  return true;
}

bool WriteSem(AreaIndexes& a, int action) {
  int rc = platform::WriteAt(a.sem, 0, a.record, 4);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Cannot write to: " + a.semName + " " + ActionName(action));
    return false;
  }
  return true;
}

std::uint16_t SemCounter(const AreaIndexes& a) { return Get16(a.record + 2); }

// The record as it is now in the file.
bool ReadSemNow(const AreaIndexes& a, std::uint8_t rec[4]) {
  if (a.semMap) {
    for (int i = 0; i < 4; ++i) rec[i] = a.semMap[i];
    return true;
  }
  std::size_t got = 0;
  return platform::ReadAt(a.sem, 0, rec, 4, got) == 0 && got == 4;
}

// Re-reads the anchors when another program changed the indexes.
bool RefreshAnchors(AreaIndexes& a) {
  if (!a.loggedIn) return false;
  // Once per read: while we are counted as reader nobody else writes.
  if (a.reader && a.checkedAsReader) return false;
  a.checkedAsReader = a.reader;
  std::uint8_t rec[4];
  if (!ReadSemNow(a, rec)) return false;
  std::uint16_t counter = Get16(rec + 2);
  // While we read, a writer's access count is one that ended before its release.
  bool orphan = a.reader && !a.regionLocked && rec[1] != 0;
  if (counter == a.seenCounter && (!orphan || a.orphanSeen)) return false;
  ReadAnchorNodes(a, a.reader || a.regionLocked);
  a.seenCounter = counter;
  a.orphanSeen = orphan;
  a.countKnown = false;
  return true;
}

}  // namespace

std::string SemaphoreFileName(const std::string& tableName) {
  std::string name = ForceExtension(tableName, "@S@");
  if (!SemaphoreDirectory.empty()) {
    std::string dir, base, ext;
    SplitPath(name, dir, base, ext);
    std::string d = SemaphoreDirectory;
    if (d.back() != '/') d += '/';
    name = d + base + ext;
  }
  return name;
}

void HandleSemafore(int action) {
  if (SelectedArea > 34) {
    DederError(254, "Work area [" + std::to_string(SelectedArea) + "] out of range. [HandleSemafore]");
    return;
  }
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa || wa->exclusive || !NetworkMode) return;
  AreaIndexes* a = Areas(wa, action == kLogin);
  if (!a || (!a->loggedIn && action != kLogin)) return;
  switch (action) {
    case kLogin: {
      if (a->loggedIn) return;
      a->semName = SemaphoreFileName(wa->fileName);
      // One file serves every program that shares the table. A file that the
      // last program removed between our open and our share lock (LOGOUT)
      // is opened, or created, again.
      for (int attempt = 0;; ++attempt) {
        int rc = platform::OpenOrCreateShared(a->semName, a->sem);
        if (rc == 0 && platform::NamesOpenFile(a->semName, a->sem)) break;
        if (rc == 0) platform::CloseFile(a->sem);
        if ((rc != 0 && rc != platform::kErrSharingViolation) || attempt == 1000) {
          DederError(static_cast<std::uint16_t>(rc ? rc : 1202), "Cannot open/create: " + a->semName + " LOGIN");
          return;
        }
        platform::SleepMs(1);
      }
      if (!LockRegion(*a, action)) {
        platform::CloseFile(a->sem);
        return;
      }
      // A file just created is still empty: its record is all zero.
      std::size_t got = 0;
      int rc = platform::ReadAt(a->sem, 0, a->record, 4, got);
      if (rc == 0 && got == 0) std::memset(a->record, 0, 4);
      if (rc != 0 || (got != 0 && got < 4)) {
        DederError(static_cast<std::uint16_t>(rc ? rc : 100), "Cannot read: " + a->semName + " LOGIN");
      } else {
        a->record[0] = static_cast<std::uint8_t>(a->record[0] + 1);
        WriteSem(*a, action);
      }
      UnlockRegion(*a, action);
      a->semMap = platform::MapForReading(a->sem, 4);
      a->countKnown = false;
      a->seenCounter = SemCounter(*a);
      a->loggedIn = true;
      return;
    }
    case kLogout: {
      if (a->regionLocked || LockRegion(*a, action)) {
        if (ReadSem(*a, action)) {
          if (a->writeNesting > 0) a->record[1] = 0;
          if (a->record[0] > 0) a->record[0] = static_cast<std::uint8_t>(a->record[0] - 1);
          WriteSem(*a, action);
        }
        UnlockRegion(*a, action);
      }
      // The last program out removes the file: the deny-all lock proves that
      // no other program has it open, also when one that was killed left its
      // count behind, and keeps new ones out until it is gone.
      if (platform::TakeShareLock(a->sem, platform::kOpenReadWrite | platform::kShareDenyAll) == 0)
        platform::RemoveFile(a->semName);
      platform::Unmap(a->semMap, 4);
      a->semMap = nullptr;
      platform::CloseFile(a->sem);
      a->loggedIn = false;
      a->reader = false;
      a->readNesting = a->writeNesting = 0;
      return;
    }
    case kIncRead:
    case kDecRead: {
      bool inc = action == kIncRead;
      if (inc) {
        if (a->readNesting++ > 0) return;
      } else {
        if (a->readNesting == 0) {
          DederError(254, "Unbalanced IncRead/DecRead for semaphore file: " + a->semName + " " + ActionName(action));
          return;
        }
        if (--a->readNesting > 0) return;
      }
      a->checkedAsReader = false;
      if (a->writeNesting > 0 || a->reader == inc) return;
      // A reader holds the region shared: writers wait until no reader is
      // left, and the lock of a program that ends goes with it.
      if (!inc) {
        int rc = platform::UnlockRange(a->sem, 1, 4);
        a->reader = false;
        if (rc != 0)
          DederError(static_cast<std::uint16_t>(rc),
                     "Cannot unlock index semaphore file: " + a->semName + " " + ActionName(action));
        return;
      }
      int rc = 0;
      for (int attempt = 0; attempt <= 1000; ++attempt) {
        if ((rc = platform::LockRangeShared(a->sem, 1, 4)) == 0) {
          a->reader = true;
          return;
        }
        platform::SleepMs(10);
      }
      DederError(1202, "10 second timeout: Cannot lock index semaphore file: " + a->semName + " " +
                           ActionName(action) + "\r\nPossible cause: Network lock limit exceeded\r\n Lock result code: " +
                           std::to_string(rc));
      return;
    }
    case kLockSemaphore: {
      if (a->writeNesting++ > 0 || a->regionLocked) return;
      // The region exclusively: no reader nor writer of another program is
      // left (our own read lock becomes the write lock).
      std::uint32_t start = TickCount();
      while (platform::LockRange(a->sem, 1, 4) != 0) {
        if (SemaphoreTimeout != 0 && (TickCount() - start) / 1000 >= SemaphoreTimeout) {
          a->writeNesting = 0;
          DederError(1202, std::to_string(SemaphoreTimeout) + " second timeout, cannot read: " + a->semName +
                               "\r\nPossible cause: Other user's program has terminated abnormally.\r\n"
                               "Cure: Log all users of this application off the network,\r\nthen delete " +
                               a->semName);
          return;
        }
        platform::SleepMs(1);
      }
      a->regionLocked = true;
      if (!ReadSem(*a, action)) {
        ReleaseRegion(*a, action);
        a->writeNesting = 0;
        return;
      }
      // With the region ours, an access count left in the record is that of
      // a writer that ended before its release: it may have changed nodes.
      const bool orphan = a->record[1] != 0;
      a->record[1] = 1;
      if (!WriteSem(*a, action)) {
        ReleaseRegion(*a, action);
        a->writeNesting = 0;
        return;
      }
      // Another program changed the indexes since we last looked: every
      // change we now make starts from its anchors and nodes.
      if (SemCounter(*a) != a->seenCounter || orphan) {
        ReadAnchorNodes(*a, true);
        a->seenCounter = SemCounter(*a);
        a->countKnown = false;
      }
      a->orphanSeen = false;
      return;  // the region stays locked: the write lock is held
    }
    case kUnlockSemaphore: {
      if (a->writeNesting == 0) {
        DederError(254, "Unbalanced Lock/Unlock for semaphore file: " + a->semName + " " + ActionName(action));
        return;
      }
      if (--a->writeNesting > 0 || !a->regionLocked) return;
      if (ReadSem(*a, action)) {
        Put16(a->record + 2, static_cast<std::uint16_t>(SemCounter(*a) + 1));
        a->record[1] = 0;
        WriteSem(*a, action);
      }
      ReleaseRegion(*a, action);
      a->seenCounter = SemCounter(*a);
      return;
    }
    default: return;
  }
}

namespace {

void MarkWriting(AreaIndexes& a, bool writing) {
  for (int s = 1; s <= kSlots; ++s) {
    Index* ix = a.slot[s].get();
    if (!ix || ix->writing == writing) continue;
    ix->writing = writing;
    WriteAnchorNode(*ix);
  }
}

// Nested calls are counted; only the outermost pair reaches the semaphore file.
void NestSemaphore(int& depth, bool on, int onAction, int offAction, const char* routine) {
  if (on) {
    if (depth++ == 0) HandleSemafore(onAction);
  } else {
    if (--depth == 0) HandleSemafore(offAction);
    if (depth < 0) {
      depth = 0;
      DederError(254, std::string("Non-symmetrical Lock-Unlock [") + routine + "]");
    }
  }
}

}  // namespace

void SetReadSemaphoreProc(bool on) {
  if (AreaIndexes* a = SelectedAreas()) NestSemaphore(a->readDepth, on, kIncRead, kDecRead, "SetReadSemaphoreProc");
}

void SetLockSemaphoreProc(bool on) {
  TDbfWorkArea* wa = SelectedWorkArea();
  AreaIndexes* a = Areas(wa);
  if (!a) return;
  // The stamps say "changing" from before the table is written until the
  // indexes are whole again: in a shared table until the write lock goes,
  // in an exclusive one until the index is closed.
  if (!on && a->lockDepth == 1 && !wa->exclusive && NetworkMode) MarkWriting(*a, false);
  NestSemaphore(a->lockDepth, on, kLockSemaphore, kUnlockSemaphore, "SetLockSemaphoreProc");
  if (on && a->lockDepth == 1 && TzLastError == 0) MarkWriting(*a, true);
}

namespace {

// Keeps the error state of the moment across clean-up work that must not
// report or raise.
struct KeepError {
  ErrorDispatchOff off;
  std::uint16_t code = TzLastError;
  std::string detail = TzErrorDetail;
  ~KeepError() {
    TzLastError = code;
    TzErrorDetail = detail;
  }
};

// The read semaphore for a scope, given back also when an error is raised.
struct ReadSemaphoreScope {
  ReadSemaphoreScope() { SetReadSemaphoreProc(true); }
  ~ReadSemaphoreScope() {
    KeepError keep;
    SetReadSemaphoreProc(false);
  }
  ReadSemaphoreScope(const ReadSemaphoreScope&) = delete;
  ReadSemaphoreScope& operator=(const ReadSemaphoreScope&) = delete;
};

}  // namespace

namespace {

// ---- maintenance ----------------------------------------------------------------

// The key at the end of a subtree changed: the separator that stands for it
// in the nearest ancestor where it is not the extra child takes it.
bool PropagateLastKey(Index& ix, std::size_t level, const std::string& key) {
  while (level > 0) {
    --level;
    const std::uint8_t* b = ReadNode(ix, ix.path[level].node);
    if (!b) return false;
    Node n = Decode(ix, b);
    int ci = ix.path[level].index;
    if (ci < static_cast<int>(n.entries.size())) {
      n.entries[ci].key = key;
      return WriteNode(ix, ix.path[level].node, n);
    }
  }
  return true;
}

// Inserts `e` at the path position of `level`; `rightChild` (inner levels)
// becomes the child pointer just after it.
bool InsertAt(Index& ix, std::size_t level, Entry e, std::uint32_t rightChild) {
  std::uint32_t number = ix.path[level].node;
  const std::uint8_t* b = ReadNode(ix, number);
  if (!b) return false;
  Node n = Decode(ix, b);
  int pos = std::clamp(ix.path[level].index, 0, static_cast<int>(n.entries.size()));
  int oldCount = static_cast<int>(n.entries.size());
  // A new last key of a leaf first becomes the separator above it.
  if (n.leaf && pos == oldCount && !PropagateLastKey(ix, level, e.key)) return false;
  if (oldCount < ix.keysPerNode) {
    n.entries.insert(n.entries.begin() + pos, e);
    if (!n.leaf) {
      if (pos + 1 < static_cast<int>(n.entries.size())) n.entries[pos + 1].child = rightChild;
      else n.extra = rightChild;
    }
    return WriteNode(ix, number, n);
  }
  // Split: the old node keeps the lower k - k/2 entries, a new node takes
  // the rest; the new entry goes into the half where it belongs.
  int lowerCount = oldCount - oldCount / 2;
  Node lower, upper;
  lower.leaf = upper.leaf = n.leaf;
  lower.entries.assign(n.entries.begin(), n.entries.begin() + lowerCount);
  upper.entries.assign(n.entries.begin() + lowerCount, n.entries.end());
  upper.extra = n.extra;
  Node* half = pos < lowerCount || (pos == lowerCount && !n.leaf) ? &lower : &upper;
  int at = half == &lower ? pos : pos - lowerCount;
  half->entries.insert(half->entries.begin() + at, e);
  if (!n.leaf) {
    if (at + 1 < static_cast<int>(half->entries.size())) half->entries[at + 1].child = rightChild;
    else if (half == &upper) upper.extra = rightChild;
    else upper.entries.front().child = rightChild;
  }
  std::string separator;
  if (n.leaf) {
    separator = lower.entries.back().key;
  } else {
    // The lower node's last entry gives its key to the parent and its
    // child becomes the lower node's extra pointer.
    separator = lower.entries.back().key;
    lower.extra = lower.entries.back().child;
    lower.entries.pop_back();
  }
  std::uint32_t newNumber = ix.nextFree++;
  ix.anchorDirty = true;
  if (!WriteNode(ix, number, lower) || !WriteNode(ix, newNumber, upper)) return false;
  Entry up;
  up.child = number;
  up.recno = 0;
  up.key = separator;
  if (level == 0) {
    Node root;
    root.leaf = false;
    root.entries.push_back(up);
    root.extra = newNumber;
    std::uint32_t rootNumber = ix.nextFree++;
    if (!WriteNode(ix, rootNumber, root)) return false;
    ix.root = rootNumber;
    return WriteAnchorNode(ix);
  }
  return InsertAt(ix, level - 1, up, newNumber);
}

// Removes the child at the path position of inner `level` (its node was
// emptied).
bool RemoveChild(Index& ix, std::size_t level);

bool RemoveEntryAt(Index& ix, std::size_t level) {
  std::uint32_t number = ix.path[level].node;
  const std::uint8_t* b = ReadNode(ix, number);
  if (!b) return false;
  Node n = Decode(ix, b);
  int pos = ix.path[level].index;
  if (pos < 0 || pos >= static_cast<int>(n.entries.size())) return false;
  bool wasLast = pos + 1 == static_cast<int>(n.entries.size());
  n.entries.erase(n.entries.begin() + pos);
  if (n.entries.empty()) {
    if (!WriteNode(ix, number, n)) return false;
    if (level == 0) return true;
    return RemoveChild(ix, level - 1);
  }
  if (!WriteNode(ix, number, n)) return false;
  if (wasLast) return PropagateLastKey(ix, level, n.entries.back().key);
  return true;
}

// The inner node at `level` (not the root) lost its last key and keeps only
// its extra child. Other readers skip such a node, so it takes a child from
// a neighbour, or merges into it; the parent then loses a key in turn.
bool Rebalance(Index& ix, std::size_t level) {
  std::uint32_t number = ix.path[level].node;
  const std::uint8_t* b = ReadNode(ix, number);
  if (!b) return false;
  Node n = Decode(ix, b);
  std::uint32_t parentNumber = ix.path[level - 1].node;
  b = ReadNode(ix, parentNumber);
  if (!b) return false;
  Node p = Decode(ix, b);
  int ci = ix.path[level - 1].index;
  int count = static_cast<int>(p.entries.size());
  if (count == 0 || ci > count) return true;  // no neighbour: a node of an older file
  auto childAt = [&](int i) { return i < count ? p.entries[i].child : p.extra; };
  if (ci > 0) {
    // The left neighbour ends with the key that stands before this node.
    std::uint32_t leftNumber = childAt(ci - 1);
    b = ReadNode(ix, leftNumber);
    if (!b) return false;
    Node left = Decode(ix, b);
    if (left.leaf) return true;
    Entry joint{left.extra, 0, p.entries[ci - 1].key};
    if (static_cast<int>(left.entries.size()) < ix.keysPerNode) {
      left.entries.push_back(joint);
      left.extra = n.extra;
      if (!WriteNode(ix, leftNumber, left)) return false;
      p.entries.erase(p.entries.begin() + (ci - 1));
      if (ci - 1 < static_cast<int>(p.entries.size())) p.entries[ci - 1].child = leftNumber;
      else p.extra = leftNumber;
    } else {
      n.entries.push_back(joint);
      left.extra = left.entries.back().child;
      p.entries[ci - 1].key = left.entries.back().key;
      left.entries.pop_back();
      if (!WriteNode(ix, leftNumber, left) || !WriteNode(ix, number, n)) return false;
    }
  } else {
    // The right neighbour takes this node's only child at its front.
    std::uint32_t rightNumber = childAt(1);
    b = ReadNode(ix, rightNumber);
    if (!b) return false;
    Node right = Decode(ix, b);
    if (right.leaf) return true;
    Entry joint{n.extra, 0, p.entries[0].key};
    if (static_cast<int>(right.entries.size()) < ix.keysPerNode) {
      right.entries.insert(right.entries.begin(), joint);
      if (!WriteNode(ix, rightNumber, right)) return false;
      p.entries.erase(p.entries.begin());
    } else {
      n.entries.push_back(joint);
      n.extra = right.entries.front().child;
      p.entries[0].key = right.entries.front().key;
      right.entries.erase(right.entries.begin());
      if (!WriteNode(ix, rightNumber, right) || !WriteNode(ix, number, n)) return false;
    }
  }
  if (!WriteNode(ix, parentNumber, p)) return false;
  if (!p.entries.empty()) return true;
  if (level - 1 > 0) return Rebalance(ix, level - 1);
  ix.root = p.extra;  // the root kept one child: the tree loses a level
  return WriteAnchorNode(ix);
}

// An inner node after its key count fell: the root with no key gives way to
// its only child, another node with no key is rebalanced.
bool AfterShrink(Index& ix, std::size_t level, const Node& n) {
  if (!n.entries.empty()) return true;
  if (level > 0) return Rebalance(ix, level);
  ix.root = n.extra;
  return WriteAnchorNode(ix);
}

bool RemoveChild(Index& ix, std::size_t level) {
  std::uint32_t number = ix.path[level].node;
  const std::uint8_t* b = ReadNode(ix, number);
  if (!b) return false;
  Node n = Decode(ix, b);
  int ci = ix.path[level].index;
  int count = static_cast<int>(n.entries.size());
  if (count == 0) {
    // The only child is gone: this node is empty as well.
    n.leaf = true;
    n.extra = 0;
    if (!WriteNode(ix, number, n)) return false;
    if (level == 0) return true;
    return RemoveChild(ix, level - 1);
  }
  if (ci < count) {
    n.entries.erase(n.entries.begin() + ci);
    if (!WriteNode(ix, number, n)) return false;
    return AfterShrink(ix, level, n);
  }
  // The extra child went: the last entry's child takes its place, and
  // the subtree now ends with that entry's key.
  std::string last = n.entries.back().key;
  n.extra = n.entries.back().child;
  n.entries.pop_back();
  if (!WriteNode(ix, number, n)) return false;
  if (level > 0 && !PropagateLastKey(ix, level, last)) return false;
  return AfterShrink(ix, level, n);
}

// The whole index lost its last key: node 1 an empty leaf, as after a
// build over an empty table.
bool ResetEmpty(Index& ix) {
  Node empty;
  ix.root = 1;
  ix.nextFree = 2;
  ix.cache.Clear();
  if (!WriteNode(ix, 1, empty)) return false;
  platform::TruncateFile(ix.file, 2 * kBlock);
  return WriteAnchorNode(ix);
}

bool IndexEmpty(Index& ix) {
  const std::uint8_t* b = ReadNode(ix, ix.root);
  return b && IsLeaf(b) && Count(b) == 0;
}

// Inserts (key, recno); a UNIQUE index that holds the key stays unchanged.
bool AppendIndex(Index& ix, const std::string& key, std::uint32_t recno) {
  ix.pathValid = false;
  if (Locate(ix, key, recno)) return true;
  if (TzLastError == 222 || ix.path.empty()) return false;
  if (ix.unique) {
    std::string k;
    std::uint32_t r;
    if (DescendTo(ix, key) && CurrentEntry(ix, k, r) && CompareKeys(ix, k.data(), key.data()) == 0) return true;
    Locate(ix, key, recno);
  }
  Entry e;
  e.recno = recno;
  e.key = key;
  bool ok = InsertAt(ix, ix.path.size() - 1, e, 0);
  if (ok && ix.anchorDirty) ok = WriteAnchorNode(ix);
  return ok;
}

bool DeleteKey(Index& ix, const std::string& key, std::uint32_t recno) {
  ix.pathValid = false;
  if (!Locate(ix, key, recno) && !Locate(ix, key, recno, true)) return false;
  bool ok = RemoveEntryAt(ix, ix.path.size() - 1);
  if (ok && IndexEmpty(ix) && (ix.root != 1 || ix.nextFree != 2)) ok = ResetEmpty(ix);
  if (ok && ix.anchorDirty) ok = WriteAnchorNode(ix);
  return ok;
}

}  // namespace

namespace {

// ---- names and options --------------------------------------------------------

struct IndexOptions {
  std::string name;
  bool unique = false, soundex = false, descending = false, nocache = false;
};

// Takes the option words out of the text; the file name keeps its case.
IndexOptions ParseOptions(const std::string& text) {
  IndexOptions o;
  std::string original = " " + text + " ";
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
  o.name = AllTrim(original);
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
  if (wa.file != platform::kNoFile) platform::CloseFile(wa.file);
  int rc = platform::OpenFile(wa.fileName, mode, wa.file);
  if (rc == 0) wa.openMode = mode;
  return rc;
}

}  // namespace

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
    TExprValue probe = ExprHooks.Evaluate(ix->expr);
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
      text = ExprHooks.Evaluate(ix->expr).text;
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
    DederError(static_cast<std::uint16_t>(rc), "File not open" + full + label);
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
          double v = ix->type == 'D' ? JulianFromDbf(text) : NumberFromFieldText(text);
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

namespace {

// ---- attach ----------------------------------------------------------------------

void CloseOne(AreaIndexes& a, int s) {
  Index* ix = a.slot[s].get();
  if (!ix) return;
  if (ix->anchorDirty || ix->writing) {
    ix->writing = false;
    HandleSemafore(kLockSemaphore);
    WriteAnchorNode(*ix);
    HandleSemafore(kUnlockSemaphore);
  }
  if (ix->file != platform::kNoFile) {
    int rc = platform::CloseFile(ix->file);  // leaves the handle empty
    if (rc != 0) DederError(static_cast<std::uint16_t>(rc), "Error closing index file:  " + Cut80(ix->fileName));
  }
  a.slot[s].reset();
}

bool AnyIndex(const AreaIndexes* a) {
  if (!a) return false;
  for (int s = 1; s <= kSlots; ++s)
    if (a->slot[s]) return true;
  return false;
}

// Positions index `ix` on the selected work area's current record.
bool SyncIndex(Index& ix, bool controlling) {
  TDbfWorkArea* wa = SelectedWorkArea();
  ix.atBegin = ix.atEnd = false;
  if (!wa || wa->recordNumber < 1 || wa->recordNumber > wa->recordCount) {
    if (controlling) {
      ix.atEnd = true;
      ix.path.clear();
      ix.pathValid = false;
    } else {
      ix.path.clear();
      DescendEdge(ix, ix.root, false);
      TakeCurrent(ix);
    }
    return true;
  }
  std::string key;
  if (!KeyOfRecord(ix, key)) return false;
  std::uint32_t recno = static_cast<std::uint32_t>(wa->recordNumber);
  if (!Locate(ix, key, recno) && !Locate(ix, key, recno, true)) {
    if (TzLastError != 0) return false;
    DederError(212, "Key: \"" + key + "\" not in index: " + Cut80(ix.fileName) + ". [SyncIndex-1] Record: " +
                        std::to_string(recno));
    return false;
  }
  ix.currentKey = key;
  ix.currentRecno = recno;
  ix.pathValid = true;
  return true;
}

void SyncAll(AreaIndexes& a) {
  for (int s = 1; s <= kSlots; ++s)
    if (a.slot[s]) SyncIndex(*a.slot[s], s == 1);
}

// Whether the index no longer fits its table: its stamp counts more records
// than the table holds (the table was packed, or a pack is under way), or
// the table's last record, which every append writes before its keys, has
// no key in it (a program ended between the two, or appended without it).
bool StaleIndex(Index& ix, TDbfWorkArea& wa) {
  std::uint8_t stamp[8];
  std::size_t got = 0;
  if (platform::ReadAt(ix.file, 488, stamp, 8, got) == 0 && got == 8) {
    std::uint32_t count = Get32(stamp + 4);
    if (Get32(stamp) == ~count && count > static_cast<std::uint32_t>(wa.recordCount)) return true;
  }
  if (wa.recordCount < 1 || ix.unique) return false;
  const std::int32_t saved = wa.recordNumber;
  const bool savedEnd = wa.endFlag, savedBegin = wa.beginFlag;
  bool stale = false;
  std::string key;
  if (ReadRecordOnly(wa.recordCount) && KeyOfRecord(ix, key)) {
    auto last = static_cast<std::uint32_t>(wa.recordCount);
    stale = !Locate(ix, key, last) && !Locate(ix, key, last, true);
  }
  // A damaged file found on the way is refused with its own error.
  std::uint16_t code = TzLastError;
  std::string detail = TzErrorDetail;
  ix.path.clear();
  if (saved >= 1 && saved <= wa.recordCount) {
    ReadRecordOnly(saved);
  } else {
    PlaceAfterEndOfTable();
    wa.recordNumber = saved;
  }
  wa.endFlag = savedEnd;
  wa.beginFlag = savedBegin;
  if (code != 0) {
    TzLastError = code;
    TzErrorDetail = detail;
  }
  return stale || code != 0;
}

bool OpenIndex(TDbfWorkArea& wa, AreaIndexes& a, const std::string& full, int n, const IndexOptions& o,
               TKeyMaker maker, std::uint32_t makerData) {
  auto ix = std::make_unique<Index>();
  ix->fileName = full;
  ix->openNumber = static_cast<std::uint8_t>(n);
  unsigned mode = (NetworkMode && !wa.exclusive) ? (platform::kOpenReadWrite | platform::kShareDenyNone)
                                                : (platform::kOpenReadWrite | platform::kShareDenyAll);
  if (OpenModeOverride < 65535) mode = OpenModeOverride;
  int rc = platform::OpenFile(full, mode, ix->file);
  if (rc != 0) {
    DederError(static_cast<std::uint16_t>(rc), "Attempt to open " + full + " [SetIndexTo(<>," + full + "," +
                                                   std::to_string(n) + ")]");
    return false;
  }
  std::int64_t size = platform::FileSize(ix->file);
  if (size < 1024) return Corrupted(*ix, "OpenIndex");
  if (!ReadAnchorHeader(*ix)) return false;
  char stored[102] = {};
  std::size_t got = 0;
  if (platform::ReadAt(ix->file, 24, stored, 101, got) != 0 || got < 101) return Corrupted(*ix, "OpenIndex");
  std::string expr(stored);
  if (wa.oem) expr = TzOemToAnsi(expr);
  CanonicalExpression(expr, false);
  bool marker = expr == kKeyMakerMarker;
  if (maker) {
    if (!marker) {
      DederError(254, "Attempted use of Key Maker function with index file created with a dBASE key expression "
                      "[OpenIndex/Set_Index_ToCB(" + full + ")]");
      return false;
    }
    ix->maker = maker;
    ix->makerData = makerData;
    ix->soundex = o.soundex;
    ix->descending = o.descending;
  } else {
    if (marker) {
      DederError(254, "\"" + full + "\" was created using KeyMaker function.");
      return false;
    }
    if (!ParserLinked) {
      DederError(221, "RIVidore unit not linked in. [Set_Index_To]");
      return false;
    }
    ix->expression = expr;
    {
      ErrorDispatchOff off;
      ix->expr = ExprHooks.Compile(expr);
    }
    char t = ix->expr ? ExprHooks.Evaluate(ix->expr).type : ' ';
    if (!ix->expr || t != (ix->type == 'F' ? 'N' : ix->type)) {
      if (!(ix->expr && ix->type == 'F' && t == 'N')) {
        DederError(222, "Invalid dBASE key expression or corrupted index file " + full);
        return false;
      }
    }
  }
  ix->nocache = o.nocache;
  // The block count of the file wins over a stored next-free number.
  std::uint32_t blocks = static_cast<std::uint32_t>((size - 512) / 512 + 1);
  if (blocks != ix->nextFree) {
    if (ix->root >= blocks) return Corrupted(*ix, "OpenIndex");
    ix->nextFree = blocks;
    ix->anchorDirty = true;
  }
  // The stored key length must fit the key of the current record.
  if (ix->type == 'C' && wa.recordNumber >= 1 && wa.recordNumber <= wa.recordCount && ix->expr) {
    std::string text = ExprHooks.Evaluate(ix->expr).text;
    if (static_cast<int>(text.size()) != ix->keyLength) {
      DederError(266, "Incorrect key length: Must be 1 to 100.\r\nExpected Length= " +
                          std::to_string(ix->keyLength) + "\r\nKey found= " + text);
      return false;
    }
  }
  if (StaleIndex(*ix, wa)) {
    if (TzLastError == 0)
      DederError(222, "Index file " + full + " does not fit its table " + wa.fileName +
                          " any more; build it again [SetIndexTo]");
    return false;
  }
  CloseOne(a, n);
  a.slot[n] = std::move(ix);
  if (a.slot[n]->anchorDirty) {
    HandleSemafore(kLockSemaphore);
    WriteAnchorNode(*a.slot[n]);
    HandleSemafore(kUnlockSemaphore);
  }
  return true;
}

}  // namespace

bool SetIndexTo(const std::string& nameAndOptions, int n, TKeyMaker maker, std::uint32_t makerData) {
  TzLastError = 0;
  IndexOptions o = ParseOptions(nameAndOptions);
  std::string detail = " [SetIndexTo(<>," + o.name + "," + std::to_string(n) + ")]";
  if (n < 1 || n > kSlots) {
    DederError(220, "Index Order parameter out of range" + detail);
    return false;
  }
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    DederError(215, "Attempt to open " + o.name + " index file with no DBF file open." + detail);
    return false;
  }
  std::string full = ResolveIndexName(o.name, *wa);
  if (!TzFileExists(full)) {
    DederError(2, "Attempt to open " + o.name + detail);
    return false;
  }
  AreaIndexes* a = Areas(wa, true);
  for (int s = 1; s <= kSlots; ++s) {
    if (s != n && a->slot[s] && a->slot[s]->fileName == full) {
      DederError(220, "Attempting to set index of same name for " + wa->fileName + "\r\n" + full +
                          ". [OpenIndex/Set_Index_To]");
      return false;
    }
  }
  if (AttachedAnywhere(full) && !(a->slot[n] && a->slot[n]->fileName == full)) {
    DederError(220, "Attempting to set index of same name for " + wa->fileName + "\r\n" + full +
                        ". [OpenIndex/Set_Index_To]");
    return false;
  }
  HandleSemafore(kLogin);
  // Also when an error is raised: a failed open leaves nothing behind, no
  // handle, no read count and no login.
  struct Cleanup {
    TDbfWorkArea* wa;
    bool ok = false;
    ~Cleanup() {
      if (ok || AnyIndex(Areas(wa))) return;
      KeepError keep;
      CloseIndexes();
    }
  } cleanup{wa};
  bool ok = false;
  {
    // Under the read semaphore no other program is half-way through a
    // change: the record count, the current record and the index agree.
    ReadSemaphoreScope reading;
    RefreshRecordCount(*wa);
    if (wa->recordNumber >= 1 && wa->recordNumber <= wa->recordCount) ReadRecordOnly(wa->recordNumber);
    ok = OpenIndex(*wa, *a, full, n, o, maker, makerData);
    if (ok) {
      RefreshAnchors(*a);
      SyncAll(*a);
    }
  }
  cleanup.ok = ok;
  return ok && TzLastError == 0;
}

bool Set_Index_To(const std::string& name, int n) {
  if (!SetIndexTo(name, n)) return false;
  Set_Order_To(1);
  return TzLastError == 0;
}

bool Set_Index_ToCB(const std::string& name, int n, TKeyMaker maker, std::uint32_t makerData) {
  if (!SetIndexTo(name, n, maker, makerData)) return false;
  Set_Order_To(1);
  return TzLastError == 0;
}

void SetIndexList(const std::string& names) {
  CloseIndexes();
  if (!ParserLinked) {
    DederError(221, "RIVidore unit not linked in. [Set_Index_To]");
    return;
  }
  std::string list = AllTrim(names);
  int n = 0;
  std::size_t at = 0;
  while (at < list.size()) {
    std::size_t end = list.find(' ', at);
    std::string name = list.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? list.size() : end + 1;
    if (name.empty()) continue;
    if (++n > kSlots || !SetIndexTo(name, n)) {
      if (TzLastError) DederError(TzLastError, " [SetIndexTo]");
      return;
    }
  }
  Set_Order_To(1);
}

void Set_Order_To(int n) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse("Set_Order_To");
    return;
  }
  if (n < 0 || n > kSlots) {
    DederError(220, "Invalid Index Order Specified: SET_ORDER_TO. [Set_Order_To(" + std::to_string(n) +
                        ")] (DBF=" + wa->fileName + ")");
    return;
  }
  AreaIndexes* a = Areas(wa);
  if (n == 0) {
    if (a) a->natural = true;
    return;
  }
  // Every index to the slot of its open number, then n to slot 1.
  std::array<std::unique_ptr<Index>, kSlots + 1> bySlot;
  if (a) {
    for (int s = 1; s <= kSlots; ++s)
      if (a->slot[s]) {
        int on = a->slot[s]->openNumber;
        bySlot[on] = std::move(a->slot[s]);
      }
  }
  if (!a || !bySlot[n]) {
    if (a) a->slot = std::move(bySlot);
    DederError(221, "Index not open.. (DBF=" + wa->fileName + ") [Set_Order_To(" + std::to_string(n) + ")]");
    return;
  }
  std::swap(bySlot[1], bySlot[n]);
  a->slot = std::move(bySlot);
  a->natural = false;
  for (int s = 1; s <= kSlots; ++s)
    if (a->slot[s]) a->slot[s]->pathValid = false;
  SetReadSemaphoreProc(true);
  RefreshAnchors(*a);
  SyncIndex(*a->slot[1], true);
  SetReadSemaphoreProc(false);
}

int CurrentOrder() {
  AreaIndexes* a = SelectedAreas();
  if (!a || a->natural || !a->slot[1]) return 0;
  return a->slot[1]->openNumber;
}

void Index_On(const std::string& expression, const std::string& nameAndOptions) {
  CloseIndexes();
  AreaIndexes* a = SelectedAreas();
  if (a && a->slot[1]) {
    DederError(254, "Internal error: IND pointer already allocated [Index_On]");
    return;
  }
  if (!ParserLinked) {
    DederError(221, "RIVidore unit not linked in. [Index_On]");
    return;
  }
  IndexOptions o = ParseOptions(nameAndOptions);
  MakeIndex(o.name, expression, false, 1, o.unique, false, nullptr, 0);
  if (TzLastError == 0) Set_Index_To(nameAndOptions, 1);
}

void Index_OnCB(const std::string& nameAndOptions, TKeyMaker maker, std::uint32_t makerData) {
  CloseIndexes();
  IndexOptions o = ParseOptions(nameAndOptions);
  MakeIndex(o.name, std::string(), o.soundex, 1, o.unique, o.descending, maker, makerData);
  if (TzLastError == 0) Set_Index_ToCB(nameAndOptions, 1, maker, makerData);
}

bool ExactOn() {
  bool old = IndexExact;
  IndexExact = true;
  return old;
}

bool ExactOff() {
  bool old = IndexExact;
  IndexExact = false;
  return old;
}

namespace {

// The search key of a Find text for `ix`; `compareLength` is how much of it
// must match.
std::string SearchKey(Index& ix, const std::string& text, std::size_t& compareLength) {
  TDbfWorkArea* wa = SelectedWorkArea();
  compareLength = static_cast<std::size_t>(ix.keyLength);
  if (ix.type == 'D') return DoubleKey(JulianFromText(text));
  if (ix.type == 'N' || ix.type == 'F') {
    std::string s = text;
    CleanNumber(s);
    double v = 0;
    if (!s.empty()) std::from_chars(s.data(), s.data() + s.size(), v);
    return DoubleKey(v);
  }
  std::string key = text.substr(0, 100);
  if (ix.maker) {
    if (IndexExact) key.resize(static_cast<std::size_t>(ix.keyLength), ' ');
    if (wa && wa->oem) key = TzAnsiToOem(key);
    if (ix.soundex) key = Soundex(key);
    if (ix.descending) key = ::Descend(key);
  } else {
    if (IndexExact) key.resize(static_cast<std::size_t>(ix.keyLength), ' ');
    if (wa && wa->oem) key = TzAnsiToOem(key);
  }
  if (!IndexExact && key.size() < compareLength) compareLength = key.size();
  key.resize(static_cast<std::size_t>(ix.keyLength), '\0');
  return key;
}

// The table's size needs no new reading while no other program changed the
// indexes since it was last read: a key found is then of a record we know.
// Otherwise the caller reads it now.
bool CountStillCurrent() {
  TDbfWorkArea* wa = SelectedWorkArea();
  AreaIndexes* a = Areas(wa);
  if (!a) return false;
  std::uint8_t rec[4];
  if (!a->loggedIn || !a->semMap || wa->recordCount < 1 || !ReadSemNow(*a, rec)) {
    a->countKnown = false;
    return false;
  }
  std::uint16_t counter = Get16(rec + 2);
  if (a->countKnown && counter == a->countCounter) return true;
  a->countKnown = true;
  a->countCounter = counter;
  return false;
}

bool FindImpl(const std::string& text, bool near) {
  TzLastError = 0;
  TDbfWorkArea* wa = SelectedWorkArea();
  const char* routine = near ? "FindNear" : "Find";
  if (!wa) {
    NoDatabaseInUse(routine);
    return false;
  }
  AreaIndexes* a = Areas(wa);
  if (!a || !a->slot[1]) {
    DederError(221, "Index not open. (DBF=" + wa->fileName + ") [" + routine + "]");
    return false;
  }
  if (a->natural) {
    DederError(254, "Cannot use Find() with index order 0 (natural order) [Find]");
    return false;
  }
  if (text.empty()) return false;
  Index& ix = *a->slot[1];
  if (!CountStillCurrent()) RefreshRecordCount(*wa);
  IndexFound = false;
  if (wa->recordCount < 1) {
    wa->endFlag = wa->beginFlag = true;
    ix.atEnd = ix.atBegin = true;
    PlaceAfterEndOfTable();
    wa->beginFlag = true;
    return false;
  }
  bool savedExact = IndexExact;
  if (near) IndexExact = false;
  TRelationProc relation = wa->relationCallback;
  wa->relationCallback = nullptr;
  SetReadSemaphoreProc(true);
  if (RefreshAnchors(*a)) {
    RefreshRecordCount(*wa);
    a->countKnown = false;
  }
  std::size_t compareLength = 0;
  std::string key = SearchKey(ix, text, compareLength);
  bool ok = DescendTo(ix, key);
  std::string k;
  std::uint32_t recno = 0;
  bool end = false;
  if (ok && !CurrentEntry(ix, k, recno)) end = !StepNext(ix) || !CurrentEntry(ix, k, recno);
  while (ok && !end) {
    if (!ReadRecordOnly(static_cast<std::int32_t>(recno))) {
      ok = false;
      break;
    }
    if (RecordVisible()) break;
    end = !StepNext(ix) || !CurrentEntry(ix, k, recno);
  }
  bool found = false;
  if (ok && !end) {
    ix.currentKey = k;
    ix.currentRecno = recno;
    ix.pathValid = true;
    ix.atBegin = ix.atEnd = false;
    int c = ix.type == 'C' ? CompareBytes(k.data(), key.data(), compareLength) : CompareKeys(ix, k.data(), key.data());
    found = c == 0;
  }
  IndexFound = found;
  if (!found) {
    if (!near || end || !ok) {
      if (near && ok) {
        // Above every key: the record of the last key, end flag set.
        ix.path.clear();
        if (DescendEdge(ix, ix.root, false)) {
          TakeCurrent(ix);
          ReadRecordOnly(static_cast<std::int32_t>(ix.currentRecno));
        }
        IndexFound = false;
        ix.atEnd = true;
        wa->endFlag = true;
      } else {
        RefreshRecordCount(*wa);
        PlaceAfterEndOfTable();
        ix.atEnd = true;
      }
    }
  }
  SetReadSemaphoreProc(false);
  IndexExact = savedExact;
  wa->relationCallback = relation;
  if (relation) RunRelationCallback();
  return found;
}

}  // namespace

bool Find(const std::string& key) { return FindImpl(key, false); }
bool FindNear(const std::string& key) { return FindImpl(key, true); }

void CloseIndex(int slot) {
  AreaIndexes* a = SelectedAreas();
  if (a && slot >= 1 && slot <= kSlots) CloseOne(*a, slot);
}

void CloseIndexes() {
  TDbfWorkArea* wa = SelectedWorkArea();
  AreaIndexes* a = Areas(wa);
  if (!a) return;
  ErrorDispatchOff off;
  for (int s = 1; s <= kSlots; ++s) CloseOne(*a, s);
  HandleSemafore(kLogout);
  delete a;
  wa->indexData = nullptr;
}

void Reindex() {
  TDbfWorkArea* wa = SelectedWorkArea();
  AreaIndexes* a = Areas(wa);
  if (!a) return;
  int order = CurrentOrder();
  struct Spec {
    std::string name, expression;
    int number;
    bool unique, soundex, descending, nocache;
    TKeyMaker maker;
    std::uint32_t data;
  };
  std::vector<Spec> specs;
  for (int s = 1; s <= kSlots; ++s) {
    if (!a->slot[s]) continue;
    Index& ix = *a->slot[s];
    specs.push_back({ix.fileName, ix.expression, ix.openNumber, ix.unique, ix.soundex, ix.descending, ix.nocache,
                     ix.maker, ix.makerData});
    // Until it is built again the file fits no table, also when the build
    // does not end; closing it must not give it its stamp back.
    ix.writing = true;
    WriteAnchorNode(ix);
    ix.writing = false;
    ix.anchorDirty = false;
  }
  CloseIndexes();
  for (const Spec& sp : specs) {
    MakeIndex(sp.name, sp.expression, sp.soundex, static_cast<std::uint8_t>(sp.number), sp.unique, sp.descending,
              sp.maker, sp.data);
    if (TzLastError == 0) {
      std::string opts = sp.name + (sp.soundex ? " SOUNDEX" : "") + (sp.descending ? " DESCENDING" : "") +
                         (sp.nocache ? " NOCACHE" : "");
      SetIndexTo(opts, sp.number, sp.maker, sp.data);
    }
    if (TzLastError != 0) {
      DederError(TzLastError, "Error reading index file:  [Reindex]");
      return;
    }
  }
  Set_Order_To(order);
}

void AppendNewKey() {
  TDbfWorkArea* wa = SelectedWorkArea();
  AreaIndexes* a = Areas(wa);
  if (!a) return;
  std::uint32_t recno = static_cast<std::uint32_t>(wa->recordNumber);
  std::vector<std::pair<int, std::string>> done;
  for (int s = 1; s <= kSlots; ++s) {
    Index* ix = a->slot[s].get();
    if (!ix) continue;
    std::string key;
    bool ok = KeyOfRecord(*ix, key);
    bool present = false;
    if (ok && ix->unique) {
      std::string k;
      std::uint32_t r;
      present = DescendTo(*ix, key) && CurrentEntry(*ix, k, r) && CompareKeys(*ix, k.data(), key.data()) == 0;
    }
    if (ok) ok = AppendIndex(*ix, key, recno);
    if (!ok) {
      // All or nothing: take the keys out of the lower slots again.
      std::uint16_t code = TzLastError ? TzLastError : 254;
      for (auto it = done.rbegin(); it != done.rend(); ++it) {
        Index& lower = *a->slot[it->first];
        if (!DeleteKey(lower, it->second, recno))
          DederError(254, "Index file corrupted. " + Cut80(lower.fileName) + " [AppendNewKey]");
      }
      TzLastError = code;
      return;
    }
    if (!present) done.emplace_back(s, key);
  }
  if (a->slot[1]) SyncIndex(*a->slot[1], true);
}

void CompareKeys() {
  TDbfWorkArea* wa = SelectedWorkArea();
  AreaIndexes* a = Areas(wa);
  if (!a) return;
  std::uint32_t recno = static_cast<std::uint32_t>(wa->recordNumber);
  for (int s = 1; s <= kSlots; ++s) {
    Index* ix = a->slot[s].get();
    if (!ix) continue;
    std::string key;
    if (!KeyOfRecord(*ix, key)) continue;
    if (key == ix->oldKey) continue;
    if (!DeleteKey(*ix, ix->oldKey, recno) && !ix->unique) {
      if (TzLastError != 0) return;  // a refused or damaged file says so itself
      DederError(254, "Record number " + std::to_string(recno) + " not found in index. " + Cut80(ix->fileName) +
                          " [CompareKeys]");
      return;
    }
    if (!AppendIndex(*ix, key, recno)) return;
  }
  for (int s = 1; s <= kSlots; ++s)
    if (a->slot[s]) SyncIndex(*a->slot[s], s == 1);
}

bool IndexInfo(const std::string& fileName, TIndexInfo& info) {
  info = TIndexInfo();
  if (AllTrim(fileName).empty()) {
    DederError(220, "[IndexInfo(<>,)]");
    return false;
  }
  std::string name = FindFileAnyCase(fileName);
  platform::FileHandle h = platform::kNoFile;
  int rc = platform::OpenFile(name, platform::kOpenReadWrite | platform::kShareDenyNone, h);
  if (rc == 5 || rc == 32) rc = platform::OpenFile(name, platform::kOpenRead | platform::kShareDenyNone, h);
  std::uint8_t b[kBlock] = {};
  std::size_t got = 0;
  if (rc == 0) rc = platform::ReadAt(h, 0, b, kBlock, got);
  if (h != platform::kNoFile) platform::CloseFile(h);
  if (rc != 0 || got < kBlock) {
    DederError(static_cast<std::uint16_t>(rc ? rc : 100), "Error reading index file: \n\r[IndexInfo(<>," + fileName + ")]");
    return false;
  }
  char expr[102] = {};
  std::memcpy(expr, b + 24, 101);
  info.expression = expr;
  info.keyLength = static_cast<std::uint8_t>(Get16(b + 12));
  info.type = static_cast<char>(b[9]);
  info.unique = b[23];
  std::uint32_t count = Get32(b + 492);
  if (Get32(b + 488) == ~count) {
    char table[13] = {};
    std::memcpy(table, b + 496, 12);
    info.tableName = table;
    info.recordCount = static_cast<std::int32_t>(count);
  }
  return true;
}

std::int32_t IndexRecCount(const std::string& fileName) {
  TIndexInfo info;
  ErrorDispatchOff off;
  if (!IndexInfo(fileName, info)) return -1;
  return info.recordCount;
}

// ---- hooks ---------------------------------------------------------------------

namespace {

bool HookActive() { return AnyIndex(SelectedAreas()); }

// The controlling index in key order, or nullptr in natural order.
Index* Ordered() {
  AreaIndexes* a = SelectedAreas();
  if (!a || a->natural) return nullptr;
  return a->slot[1].get();
}

void HookSync() {
  if (Index* ix = Ordered()) {
    RefreshAnchors(*SelectedAreas());
    SyncIndex(*ix, true);
  }
}

// Restores a lost path from the current key before a step.
bool EnsurePath(Index& ix) {
  if (ix.pathValid && !ix.path.empty()) return true;
  if (ix.currentRecno == 0) return false;
  bool ok = Locate(ix, ix.currentKey, ix.currentRecno);
  ix.pathValid = ok;
  return ok;
}

// First (or last) record in key order; record count + 1 for an empty index.
std::int32_t EdgeRecord(bool first) {
  TDbfWorkArea* wa = SelectedWorkArea();
  Index* ix = Ordered();
  if (!ix) return first ? 1 : wa->recordCount;
  RefreshAnchors(*SelectedAreas());
  ix->path.clear();
  if (!DescendEdge(*ix, ix->root, first)) {
    ix->atBegin = ix->atEnd = true;
    return wa->recordCount + 1;
  }
  ix->atBegin = ix->atEnd = false;
  TakeCurrent(*ix);
  return static_cast<std::int32_t>(ix->currentRecno);
}

std::int32_t HookFirst() { return EdgeRecord(true); }
std::int32_t HookLast() { return EdgeRecord(false); }

std::int32_t HookNext() {
  TDbfWorkArea* wa = SelectedWorkArea();
  Index* ix = Ordered();
  if (!ix) {
    if (wa->recordNumber >= wa->recordCount) wa->endFlag = true;
    return wa->recordNumber + 1;
  }
  if (ix->atEnd) return wa->recordNumber;
  if (RefreshAnchors(*SelectedAreas())) ix->pathValid = false;
  if (!EnsurePath(*ix)) {
    if (TzLastError == 0) DederError(254, " [_FindNextRec]");
    return wa->recordNumber;
  }
  if (!StepNext(*ix)) {
    ix->atEnd = true;
    ix->pathValid = false;
    return wa->recordNumber;
  }
  TakeCurrent(*ix);
  ix->atBegin = false;
  return static_cast<std::int32_t>(ix->currentRecno);
}

std::int32_t HookPrior() {
  TDbfWorkArea* wa = SelectedWorkArea();
  Index* ix = Ordered();
  if (!ix) {
    if (wa->recordNumber < 2) wa->beginFlag = true;
    return wa->recordNumber - 1;
  }
  if (RefreshAnchors(*SelectedAreas())) ix->pathValid = false;
  if (ix->atEnd || wa->recordNumber > wa->recordCount) {
    // From the end pseudo-position to the last key.
    ix->path.clear();
    if (!DescendEdge(*ix, ix->root, false)) return wa->recordNumber;
    ix->atEnd = false;
    TakeCurrent(*ix);
    return static_cast<std::int32_t>(ix->currentRecno);
  }
  if (!EnsurePath(*ix)) {
    if (TzLastError == 0) DederError(254, " [_FindPriorRec]");
    return wa->recordNumber;
  }
  if (!StepPrior(*ix)) {
    ix->atBegin = true;
    ix->pathValid = false;
    return wa->recordNumber;
  }
  TakeCurrent(*ix);
  return static_cast<std::int32_t>(ix->currentRecno);
}

bool HookAtEnd() {
  TDbfWorkArea* wa = SelectedWorkArea();
  Index* ix = Ordered();
  return ix ? ix->atEnd : wa->endFlag;
}

bool HookAtBeginning() {
  TDbfWorkArea* wa = SelectedWorkArea();
  Index* ix = Ordered();
  return ix ? ix->atBegin : wa->beginFlag;
}

void HookRefreshKey() {
  Index* ix = Ordered();
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!ix || !wa) return;
  if (wa->recordNumber < 1 || wa->recordNumber > wa->recordCount) {
    ix->currentKey.assign(static_cast<std::size_t>(ix->keyLength), ix->type == 'C' ? ' ' : '\0');
    ix->currentRecno = 0;
    return;
  }
  std::string key;
  if (KeyOfRecord(*ix, key)) {
    if (key != ix->currentKey || ix->currentRecno != static_cast<std::uint32_t>(wa->recordNumber))
      ix->pathValid = false;
    ix->currentKey = key;
    ix->currentRecno = static_cast<std::uint32_t>(wa->recordNumber);
  }
}

void HookRememberKeys() {
  AreaIndexes* a = SelectedAreas();
  if (!a) return;
  for (int s = 1; s <= kSlots; ++s) {
    Index* ix = a->slot[s].get();
    if (ix && !KeyOfRecord(*ix, ix->oldKey)) ix->oldKey.clear();
  }
}

void HookSetAtBeginning() {
  if (Index* ix = Ordered()) ix->atBegin = true;
}

void HookSetAtEnd() {
  if (Index* ix = Ordered()) ix->atEnd = true;
}

bool* HookFoundFlag() { return &IndexFound; }

// A stamp that fits no table: its count is above every record count.
void HookStampIndexes(bool stale) {
  AreaIndexes* a = SelectedAreas();
  if (!a) return;
  for (int s = 1; s <= kSlots; ++s) {
    Index* ix = a->slot[s].get();
    if (!ix) continue;
    ix->writing = stale;
    WriteAnchorNode(*ix);
  }
}

std::string HookIndexFileName(int slot) {
  AreaIndexes* a = SelectedAreas();
  if (!a || slot < 1 || slot > kSlots || !a->slot[slot]) return std::string();
  return Cut80(a->slot[slot]->fileName);
}

bool HookAscending(int slot) {
  AreaIndexes* a = SelectedAreas();
  return a && slot >= 1 && slot <= kSlots && a->slot[slot] && !a->slot[slot]->descending;
}

bool HookSoundex(int slot) {
  AreaIndexes* a = SelectedAreas();
  return a && slot >= 1 && slot <= kSlots && a->slot[slot] && a->slot[slot]->soundex;
}

int KeyTextSlot = 1;

std::string KeyTextOfCurrentSlot() {
  AreaIndexes* a = SelectedAreas();
  if (!a || !a->slot[KeyTextSlot]) return std::string();
  Index& ix = *a->slot[KeyTextSlot];
  if (ix.maker) {
    std::string text;
    ix.maker(ix.makerData, ix.openNumber, text);
    return text;
  }
  if (!ix.expr) return std::string();
  TExprValue v = ExprHooks.Evaluate(ix.expr);
  if (ix.type == 'D') return DisplayFromJulian(static_cast<std::int32_t>(v.number));
  if (ix.type == 'C') return v.text.substr(0, 100);
  std::string s;
  FloatToStrDec(v.number, v.width, v.decimals, s);
  return s;
}

std::string NaturalKeyText() {
  char buf[32];
  std::snprintf(buf, sizeof buf, "Rec:%10d", RecNo());
  return buf;
}

std::string (*HookKeyTextOfSlot(int slot))() {
  AreaIndexes* a = SelectedAreas();
  if (!a || slot < 1 || slot > kSlots || !a->slot[slot]) return nullptr;
  KeyTextSlot = slot;
  return KeyTextOfCurrentSlot;
}

std::string (*HookKeyTextOfOrder())() {
  AreaIndexes* a = SelectedAreas();
  if (!AnyIndex(a)) return nullptr;
  if (a->natural) return NaturalKeyText;
  return HookKeyTextOfSlot(1);
}

}  // namespace

void InitNdxIndex() {
  IndexExact = false;
  IndexFound = false;
  IndexUniqueSwitch = false;
  IndexFlushSwitch = false;
  SemaphoreTimeout = 100;
  SemaphoreDirectory.clear();
  IndexSortMemory = std::size_t{64} << 20;
  SetIndexProgress(nullptr, 0);
  IndexCacheNodes = 16384;
  IndexHooks.IsActive = HookActive;
  IndexHooks.SyncToRecord = HookSync;
  IndexHooks.NextRecord = HookNext;
  IndexHooks.PriorRecord = HookPrior;
  IndexHooks.FirstRecord = HookFirst;
  IndexHooks.LastRecord = HookLast;
  IndexHooks.AtEnd = HookAtEnd;
  IndexHooks.AtBeginning = HookAtBeginning;
  IndexHooks.AppendNewKey = AppendNewKey;
  IndexHooks.RefreshKey = HookRefreshKey;
  IndexHooks.RememberKeys = HookRememberKeys;
  IndexHooks.UpdateChangedKeys = CompareKeys;
  IndexHooks.SetAtBeginning = HookSetAtBeginning;
  IndexHooks.SetAtEnd = HookSetAtEnd;
  IndexHooks.FoundFlag = HookFoundFlag;
  IndexHooks.Reindex = Reindex;
  IndexHooks.CloseIndexes = CloseIndexes;
  IndexHooks.IndexFileName = HookIndexFileName;
  IndexHooks.KeyTextOfSlot = HookKeyTextOfSlot;
  IndexHooks.KeyTextOfOrder = HookKeyTextOfOrder;
  IndexHooks.Ascending = HookAscending;
  IndexHooks.Soundex = HookSoundex;
  IndexHooks.SetReadSemaphore = SetReadSemaphoreProc;
  IndexHooks.SetLockSemaphore = SetLockSemaphoreProc;
  IndexHooks.CountCurrent = CountStillCurrent;
  IndexHooks.StampIndexes = HookStampIndexes;
  IndexLinked = true;
}
