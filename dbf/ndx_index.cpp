// The index operations the system calls: attach, order, Find, close, rebuild and key upkeep.
#include "dbf/ndx_internal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

#include "dbf/index_keys.h"

using namespace ndx;

bool IndexExact = false;

namespace ndx {

// ---- attach ----------------------------------------------------------------------

void CloseOne(AreaIndexes& a, int s) {
  Index* ix = a.slot[s].get();
  if (!ix) return;
  if (ix->anchorDirty || ix->writing) {
    // Without the write lock the anchor stays as it is on disk: a stale
    // stamp then refuses the file until it is built again.
    const std::uint16_t before = TzLastError;
    TzLastError = 0;
    AnchorWriteScope writing;
    if (!writing.held) {
      DederError(TzLastError, "Could not lock index for writing anchor node " + Cut80(ix->fileName));
    } else {
      ix->writing = false;
      WriteAnchorNode(*ix);
      if (!writing.Release())
        DederError(TzLastError, "Could not unlock index after writing anchor node " + Cut80(ix->fileName));
    }
    if (TzLastError == 0) TzLastError = before;
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

// Positions index `ix` on the selected work area's current record. A
// UNIQUE index may hold the key under another record: it stands on that key.
// `soft`: the search after another program changed the index.
bool SyncIndex(Index& ix, bool controlling, bool soft) {
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
  std::uint32_t at = recno;
  if (!LocateOrEqualKey(ix, key, recno, at)) {
    if (TzLastError != 0) return false;
    std::string name = Cut80(ix.fileName);
    if (!HasKey(ix, key)) {
      if (TzLastError != 0) return false;
      DederError(212, "Key: \"" + key + "\" not in index: " + name + (soft ? ". [SoftSyncIndex]" : ". [SyncIndex-1]") +
                          " Record: " + std::to_string(recno));
    } else {
      DederError(212, "Record with key: \"" + key + "\" not in index: " + name +
                          (soft ? ". [SoftSyncIndex]" : ". [SyncIndex-2]"));
    }
    return false;
  }
  ix.currentKey = key;
  ix.currentRecno = at;
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
  std::uint32_t count = 0;
  if (ReadTableStamp(ix, count) && count > static_cast<std::uint32_t>(wa.recordCount)) return true;
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
    char t = ix->expr ? EvaluateKeyExpr(ix->expr).type : ' ';
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
    std::string text = EvaluateKeyExpr(ix->expr).text;
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
    AnchorWriteScope writing;
    if (writing.held) WriteAnchorNode(*a.slot[n]);
  }
  return true;
}

}  // namespace ndx

namespace {

// Attaches the file `o.name` as index n with the options `o`.
bool AttachIndexFile(const IndexOptions& o, int n, TKeyMaker maker, std::uint32_t makerData) {
  TzLastError = 0;
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
  // Another file is opened beside the index in slot n, which goes only once
  // the new one is attached (OpenIndex): a failed attach leaves the slot as
  // it was. The same file goes first, so that it can be opened again in its
  // place.
  if (a->slot[n] && a->slot[n]->fileName == full) CloseOne(*a, n);
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
  // A work area that could not log in would write without the write lock.
  if (TzLastError != 0) return false;
  bool ok = false;
  {
    // Under the read semaphore no other program is half-way through a
    // change: the record count, the current record and the index agree.
    ReadSemaphoreScope reading;
    if (!reading.held) return false;
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

}  // namespace

bool SetIndexTo(const std::string& nameAndOptions, int n, TKeyMaker maker, std::uint32_t makerData) {
  return AttachIndexFile(ParseOptions(nameAndOptions), n, maker, makerData);
}

bool Set_Index_To(const std::string& name, int n) {
  if (!SetIndexTo(name, n)) return false;
  Set_Order_To(1);
  return TzLastError == 0;
}

bool SetIndexFile(const std::string& fileName, int n) {
  IndexOptions o;
  o.name = fileName;
  return AttachIndexFile(o, n, nullptr, 0);
}

bool Set_Index_To_LFN(const std::string& fileName, int n) {
  if (!SetIndexFile(fileName, n)) return false;
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
  ReadSemaphoreScope reading;
  if (!reading.held) return;
  // When another program changed the indexes since we last looked, it may
  // have changed the current record's key: the key is taken from the record
  // as it stands now.
  if (RefreshAnchors(*a) && wa->recordNumber >= 1 && wa->recordNumber <= wa->recordCount)
    ReadRecordOnly(wa->recordNumber);
  SyncIndex(*a->slot[1], true);
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

namespace ndx {

// The search key of a Find text for `ix`; `compareLength` is how much of it
// must match.
std::string SearchKey(Index& ix, const std::string& text, std::size_t& compareLength) {
  TDbfWorkArea* wa = SelectedWorkArea();
  compareLength = static_cast<std::size_t>(ix.keyLength);
  if (ix.type == 'D') return DoubleKey(JulianFromText(text));
  if (ix.type == 'N' || ix.type == 'F') {
    // A key text the program wrote, with "." as its decimal point (or a ",",
    // so that the facade's second try with "," in the "."'s place reads as
    // the same number); a text that is no number is refused before.
    long double v = 0;
    if (ReadStoredNumber(text, v) != TStoredRead::Number) v = 0;
    return DoubleKey(static_cast<double>(v));
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

}  // namespace ndx

namespace ndx {

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
  long double number = 0;
  if (const TStoredRead read = ix.type == 'N' || ix.type == 'F' ? ReadStoredNumber(text, number) : TStoredRead::Number;
      read == TStoredRead::NoNumber || read == TStoredRead::OutOfRange) {
    // No key of a number index is such a text: a miss, named.
    ix.atEnd = true;
    PlaceAfterEndOfTable();
    DederError(106, "Key " + StoredNumberFault(text, read) + " [" + routine + "]");
    return false;
  }
  if (wa->recordCount < 1) {
    wa->endFlag = wa->beginFlag = true;
    ix.atEnd = ix.atBegin = true;
    PlaceAfterEndOfTable();
    wa->beginFlag = true;
    return false;
  }
  // The search's own settings come back on every path, also when an error is raised.
  struct Restore {
    TDbfWorkArea* wa;
    bool exact = IndexExact;
    TRelationProc relation = wa->relationCallback;
    ~Restore() {
      IndexExact = exact;
      wa->relationCallback = relation;
    }
  } restore{wa};
  if (near) IndexExact = false;
  wa->relationCallback = nullptr;
  // While no writer is at work and nothing changed since the anchors were
  // read, the search runs on what is cached without the read lock; when the
  // change counter moved meanwhile, it runs again under the lock.
  std::uint16_t stamp = 0;
  bool unlocked = StartUnlockedRead(*a, stamp);
  bool found = false;
  auto search = [&] {
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
    found = false;
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
  };
  for (;;) {
    if (!unlocked) {
      ReadSemaphoreScope reading;
      if (reading.held) search();
      break;
    }
    {
      ErrorDispatchOff quiet;  // what a writer's half-done change gives is not reported
      const bool mapped = wa->unlockedRead;
      wa->unlockedRead = true;  // records from the table's mapping, no system call
      search();
      wa->unlockedRead = mapped;
    }
    if (TzLastError == 0 && UnlockedReadHeld(*a, stamp)) break;
    TzLastError = 0;
    TzErrorDetail.clear();
    unlocked = false;
  }
  IndexExact = restore.exact;
  wa->relationCallback = restore.relation;
  if (restore.relation) RunRelationCallback();
  return found;
}

}  // namespace ndx

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
      IndexOptions o;
      o.name = sp.name;
      o.soundex = sp.soundex;
      o.descending = sp.descending;
      o.nocache = sp.nocache;
      AttachIndexFile(o, sp.number, sp.maker, sp.data);
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
    bool present = ok && ix->unique && HasKey(*ix, key);
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

std::int32_t ControllingIndexRecCount() {
  AreaIndexes* a = Areas(SelectedWorkArea());
  std::uint32_t count = 0;
  if (!a || !a->slot[1] || !ReadTableStamp(*a->slot[1], count)) return -1;
  return static_cast<std::int32_t>(count);
}

std::int32_t IndexRecCount(const std::string& fileName) {
  TIndexInfo info;
  ErrorDispatchOff off;
  if (!IndexInfo(fileName, info)) return -1;
  return info.recordCount;
}
