// Node pages: the node cache, node reads and writes with damage checks, the anchor block.
#include "dbf/ndx_internal.h"

#include <algorithm>
#include <cstring>

bool IndexFlushSwitch = false;
std::size_t IndexCacheNodes = ndx::kIndexCacheBudget / ndx::kBlock;

namespace ndx {

AreaIndexes* Areas(TDbfWorkArea* wa, bool create) {
  if (!wa) return nullptr;
  if (!wa->indexData && create) wa->indexData = new AreaIndexes();
  return static_cast<AreaIndexes*>(wa->indexData);
}

AreaIndexes* SelectedAreas(bool create) { return Areas(SelectedWorkArea(), create); }

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
  ix.cache.Put(n, blk, IndexCacheNodes);
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
  if (ix.nocache) ix.cache.Clear();
  return ix.cache.Put(n, blk, IndexCacheNodes).b;
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

// The record count the anchor was stamped with; false when it cannot be read
// or its check word does not fit.
bool ReadTableStamp(Index& ix, std::uint32_t& count) {
  std::uint8_t stamp[8];
  std::size_t got = 0;
  if (platform::ReadAt(ix.file, 488, stamp, 8, got) != 0 || got != 8) return false;
  count = Get32(stamp + 4);
  return Get32(stamp) == ~count;
}

// The file keeps the anchor and node 1 only; nothing cached stays.
void DropNodesAfterFirst(Index& ix) {
  ix.cache.Clear();
  platform::TruncateFile(ix.file, 2 * kBlock);
}

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
    std::uint32_t count = 0;
    if (settled && !ix->writing && ReadTableStamp(*ix, count) && count == kNoTableStamp) {
      ix->damaged = true;
      Refused(*ix, "ReadAnchorNodes");
    }
  }
}

}  // namespace ndx
