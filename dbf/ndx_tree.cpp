// The B-tree through the page layer: keys, descent, walks, insert, delete and rebalancing.
#include "dbf/ndx_internal.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "dbf/index_keys.h"

bool IndexFound = false;

namespace ndx {

// ---- keys -------------------------------------------------------------------

int CompareKeys(const Index& ix, const char* a, const char* b) {
  if (ix.type == 'C') return CompareBytes(a, b, static_cast<std::size_t>(ix.keyLength));
  double x, y;
  std::memcpy(&x, a, 8);
  std::memcpy(&y, b, 8);
  return CompareDoubles(x, y);
}

std::string DoubleKey(double v) {
  // Every NaN is stored as one, so that equal keys have equal bytes.
  if (std::isnan(v)) v = -std::numeric_limits<double>::quiet_NaN();
  std::string k(8, '\0');
  std::memcpy(k.data(), &v, 8);
  return k;
}

// The key of the selected work area's current record for `ix`.
TExprValue EvaluateKeyExpr(TExprDescriptor* expr) {
  // A key of a text that is no number is 0, its place in the order; the
  // text is named where its value is read, not by the index.
  const std::uint16_t code = TzLastError, pending = TzPendingError;
  TExprValue v = ExprHooks.Evaluate(expr);
  if (TzLastError == 106 && code != 106) {
    TzLastError = code;
    TzErrorDetail.clear();
    TzPendingError = pending;
  }
  return v;
}

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
    TExprValue v = EvaluateKeyExpr(ix.expr);
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

namespace {

// The first eight bytes of a text as a number that orders as the bytes do.
inline std::uint64_t LeadingBytes(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return __builtin_bswap64(v);
}

}  // namespace

// Search descent: the first entry whose key is not below `key` in each
// node. `key` has the key length.
bool DescendTo(Index& ix, const std::string& key) {
  ix.path.clear();
  ix.walkLeaves = 0;
  std::uint32_t n = ix.root;
  // Character keys of eight bytes or more: most comparisons are settled by
  // their first eight bytes, without a call.
  const bool leading = ix.type == 'C' && ix.keyLength >= 8 && key.size() >= 8;
  const std::uint64_t wanted = leading ? LeadingBytes(key.data()) : 0;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const std::uint8_t* b = ReadNode(ix, n);
    if (!b) return false;
    int lo = 0, hi = Count(b);
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      const char* k = KeyAt(ix, b, mid);
      int c;
      if (leading && LeadingBytes(k) != wanted) c = LeadingBytes(k) < wanted ? -1 : 1;
      else c = CompareKeys(ix, k, key.data());
      if (c < 0) lo = mid + 1;
      else hi = mid;
    }
    ix.path.push_back({n, lo});
    if (IsLeaf(b)) return true;
    n = ChildAt(ix, b, lo);
  }
  return Corrupted(ix, "Find");
}

// Descends from node n along the first (or last) children to a leaf.
// False at an empty leaf (only an empty index has one). The path above
// counts to the depth, so that a child pointing back up ends as damage.
bool DescendEdge(Index& ix, std::uint32_t n, bool first) {
  if (ix.path.empty()) ix.walkLeaves = 0;
  for (std::size_t depth = ix.path.size(); depth < kMaxDepth; ++depth) {
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

// One leaf more of a walk in one direction; false (damage reported) when
// the walk has entered more leaves than the file has nodes: nodes then
// share children, and the walk might not end.
bool NextLeaf(Index& ix, bool forward) {
  if (ix.walkForward != forward) {
    ix.walkForward = forward;
    ix.walkLeaves = 0;
  }
  return ++ix.walkLeaves <= ix.nextFree || Corrupted(ix, "Skip");
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
      if (!NextLeaf(ix, true)) return false;
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
      if (!NextLeaf(ix, false)) return false;
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
  ix.walkLeaves = 0;
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
bool Locate(Index& ix, const std::string& key, std::uint32_t recno, bool scanAll) {
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

// Whether the index holds `key` under any record; the path stands on its
// first entry.
bool HasKey(Index& ix, const std::string& key) {
  std::string k;
  std::uint32_t r = 0;
  return DescendTo(ix, key) && CurrentEntry(ix, k, r) && CompareKeys(ix, k.data(), key.data()) == 0;
}

// Locate for positioning: a UNIQUE index holds one entry per key, which may
// be another record's; the path then stands on that equal key.
bool LocateOrEqualKey(Index& ix, const std::string& key, std::uint32_t recno, std::uint32_t& found) {
  found = recno;
  if (Locate(ix, key, recno)) return true;
  if (TzLastError != 0) return false;
  if (!ix.unique) return Locate(ix, key, recno, true);
  std::string k;
  std::uint32_t r = 0;
  if (!CurrentEntry(ix, k, r) || CompareKeys(ix, k.data(), key.data()) != 0) return false;
  found = r;
  return true;
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

}  // namespace ndx

namespace ndx {

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
  if (!WriteNode(ix, 1, empty)) return false;
  DropNodesAfterFirst(ix);
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
    if (HasKey(ix, key)) return true;  // an equal key ends the insert without change
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

}  // namespace ndx
