// Internal declarations of the index engine, shared by its files; the rest of the system uses ndx_index.h.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbf/byte_order.h"
#include "dbf/errors.h"
#include "dbf/runtime.h"
#include "dbf/ndx_index.h"
#include "dbf/work_areas.h"
#include "platform/os.h"

namespace ndx {

constexpr int kSlots = 16;
constexpr std::size_t kBlock = 512;
// Memory for the nodes each index keeps: the leaves of a million keys fit.
constexpr std::size_t kIndexCacheBudget = std::size_t{32} << 20;
constexpr int kMaxDepth = 64;
const char kKeyMakerMarker[] = "USERDEFINEDKEYMAKERWASUSEDTOBUILDTHISINDEX";
// A table stamp above every record count: the index fits no table.
constexpr std::uint32_t kNoTableStamp = 0xFFFFFFFFU;

struct Block {
  std::uint8_t b[kBlock];
};


// Nodes by number: a lookup is one index, no hashing. When `limit` nodes are
// held, the one used least recently makes room; a node handed out stays put
// until `limit` others have been used after it.
class NodeCache {
 public:
  Block* Find(std::uint32_t n) {
    if (n >= where_.size() || where_[n] == 0) return nullptr;
    std::uint32_t s = where_[n] - 1;
    ToFront(s);
    return &slots_[s]->block;
  }
  Block& Put(std::uint32_t n, const Block& b, std::size_t limit) {
    if (Block* held = Find(n)) {
      *held = b;
      return *held;
    }
    std::uint32_t s;
    if (count_ >= std::max<std::size_t>(limit, 1) && tail_ != kNone) {
      s = tail_;  // the least recently used
      Unlink(s);
      where_[slots_[s]->node] = 0;
      --count_;
    } else if (!free_.empty()) {
      s = free_.back();
      free_.pop_back();
    } else {
      s = static_cast<std::uint32_t>(slots_.size());
      slots_.push_back(std::make_unique<Slot>());
      links_.emplace_back();
    }
    Slot& slot = *slots_[s];
    slot.block = b;
    slot.node = n;
    if (n >= where_.size()) where_.resize(static_cast<std::size_t>(n) + 1, 0);
    where_[n] = s + 1;
    LinkFront(s);
    ++count_;
    return slot.block;
  }
  void Erase(std::uint32_t n) {
    if (n >= where_.size() || where_[n] == 0) return;
    std::uint32_t s = where_[n] - 1;
    Unlink(s);
    where_[n] = 0;
    free_.push_back(s);
    --count_;
  }
  // Forgets every node; the buffers stay for the nodes read next.
  void Clear() {
    for (std::uint32_t s = head_; s != kNone; s = links_[s].next) {
      where_[slots_[s]->node] = 0;
      free_.push_back(s);
    }
    head_ = tail_ = kNone;
    count_ = 0;
  }
  std::size_t Size() const { return count_; }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFU;
  struct Slot {
    Block block;
    std::uint32_t node = 0;
  };
  // The order of use lives apart from the blocks, in one small array: moving
  // a node to the front touches no other node's block.
  struct Links {
    std::uint32_t prev = kNone, next = kNone;
  };
  void Unlink(std::uint32_t s) {
    Links& x = links_[s];
    (x.prev == kNone ? head_ : links_[x.prev].next) = x.next;
    (x.next == kNone ? tail_ : links_[x.next].prev) = x.prev;
    x.prev = x.next = kNone;
  }
  void LinkFront(std::uint32_t s) {
    Links& x = links_[s];
    x.prev = kNone;
    x.next = head_;
    if (head_ != kNone) links_[head_].prev = s;
    head_ = s;
    if (tail_ == kNone) tail_ = s;
  }
  void ToFront(std::uint32_t s) {
    if (s == head_) return;
    Unlink(s);
    LinkFront(s);
  }
  std::vector<std::unique_ptr<Slot>> slots_;
  std::vector<Links> links_;  // of each slot
  std::vector<std::uint32_t> free_;
  std::vector<std::uint32_t> where_;  // node number -> slot + 1, 0 when not held
  std::uint32_t head_ = kNone, tail_ = kNone;
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
  // Leaves entered since the path last came down from the root or turned.
  std::uint32_t walkLeaves = 0;
  bool walkForward = true;
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
// One that could not be had (`held` false) leaves its error standing and is
// not given back.
struct ReadSemaphoreScope {
  const bool held;
  ReadSemaphoreScope() : held(SucceedsAlone([] { SetReadSemaphoreProc(true); })) {}
  ~ReadSemaphoreScope() {
    if (!held) return;
    KeepError keep;
    SetReadSemaphoreProc(false);
  }
  ReadSemaphoreScope(const ReadSemaphoreScope&) = delete;
  ReadSemaphoreScope& operator=(const ReadSemaphoreScope&) = delete;
};

// The semaphore's write lock for one anchor write, given back also when an
// error is raised. One that could not be had (`held` false) leaves its error
// standing and is not given back.
struct AnchorWriteScope {
  bool held;
  AnchorWriteScope() : held(SucceedsAlone([] { HandleSemafore(kLockSemaphore); })) {}
  // Gives the lock back now; false (with TzLastError) when that failed.
  bool Release() {
    if (!held) return true;
    held = false;
    return SucceedsAlone([] { HandleSemafore(kUnlockSemaphore); });
  }
  ~AnchorWriteScope() {
    if (!held) return;
    KeepError keep;
    HandleSemafore(kUnlockSemaphore);
  }
  AnchorWriteScope(const AnchorWriteScope&) = delete;
  AnchorWriteScope& operator=(const AnchorWriteScope&) = delete;
};

struct IndexOptions {
  std::string name;
  bool unique = false, soundex = false, descending = false, nocache = false;
};


// ---- node pages (ndx_pages.cpp) ----

AreaIndexes* Areas(TDbfWorkArea* wa, bool create = false);
AreaIndexes* SelectedAreas(bool create = false);
inline std::string Cut80(const std::string& s) { return s.size() > 80 ? s.substr(0, 80) : s; }
bool Corrupted(Index& ix, const char* where);
const std::uint8_t* ReadNode(Index& ix, std::uint32_t n);
inline int Count(const std::uint8_t* b) { return Get16(b); }
inline bool IsLeaf(const std::uint8_t* b) { return Get32(b + 4) == 0; }
inline const std::uint8_t* EntryAt(const Index& ix, const std::uint8_t* b, int i) { return b + 4 + i * ix.entrySize; }
inline std::uint32_t ChildAt(const Index& ix, const std::uint8_t* b, int i) { return Get32(EntryAt(ix, b, i)); }
inline std::uint32_t RecnoAt(const Index& ix, const std::uint8_t* b, int i) { return Get32(EntryAt(ix, b, i) + 4); }
inline const char* KeyAt(const Index& ix, const std::uint8_t* b, int i) {
  return reinterpret_cast<const char*>(EntryAt(ix, b, i) + 8);
}
Node Decode(const Index& ix, const std::uint8_t* b);
bool WriteNode(Index& ix, std::uint32_t number, const Node& n);
bool WriteAnchorNode(Index& ix);
inline int RoundUp4(int v) { return (v + 3) / 4 * 4; }
bool ReadAnchorHeader(Index& ix);
bool ReadTableStamp(Index& ix, std::uint32_t& count);
void DropNodesAfterFirst(Index& ix);
void ReadAnchorNodes(AreaIndexes& a, bool settled);

// ---- the tree (ndx_tree.cpp) ----

int CompareKeys(const Index& ix, const char* a, const char* b);
std::string DoubleKey(double v);
// The key expression's value for the current record, without naming a
// field text that is no number (its key is 0).
TExprValue EvaluateKeyExpr(TExprDescriptor* expr);
bool KeyOfRecord(Index& ix, std::string& key);
bool DescendTo(Index& ix, const std::string& key);
bool DescendEdge(Index& ix, std::uint32_t n, bool first);
bool StepNext(Index& ix);
bool StepPrior(Index& ix);
bool CurrentEntry(Index& ix, std::string& key, std::uint32_t& recno);
bool Locate(Index& ix, const std::string& key, std::uint32_t recno, bool scanAll = false);
bool HasKey(Index& ix, const std::string& key);
bool LocateOrEqualKey(Index& ix, const std::string& key, std::uint32_t recno, std::uint32_t& found);
void TakeCurrent(Index& ix);
bool AppendIndex(Index& ix, const std::string& key, std::uint32_t recno);
bool DeleteKey(Index& ix, const std::string& key, std::uint32_t recno);

// ---- shared use (ndx_shared.cpp) ----

bool RefreshAnchors(AreaIndexes& a);
bool StartUnlockedRead(const AreaIndexes& a, std::uint16_t& stamp);
bool UnlockedReadHeld(const AreaIndexes& a, std::uint16_t stamp);
bool CountStillCurrent();

// ---- attach (ndx_index.cpp) ----

IndexOptions ParseOptions(const std::string& text);
std::string ResolveIndexName(const std::string& name, const TDbfWorkArea& wa);
bool AttachedAnywhere(const std::string& fullName);
bool AnyIndex(const AreaIndexes* a);
bool SyncIndex(Index& ix, bool controlling, bool soft = false);

}  // namespace ndx
