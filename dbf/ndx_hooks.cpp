// The index hooks of the work-area layer, and the engine's start.
#include "dbf/ndx_internal.h"

#include <cstdio>

#include "dbf/index_keys.h"

namespace ndx {

// ---- hooks ---------------------------------------------------------------------

bool HookActive() { return AnyIndex(SelectedAreas()); }

// The controlling index in key order, or nullptr in natural order.
Index* Ordered() {
  AreaIndexes* a = SelectedAreas();
  if (!a || a->natural) return nullptr;
  return a->slot[1].get();
}

void HookSync() {
  if (Index* ix = Ordered()) {
    bool changed = RefreshAnchors(*SelectedAreas());
    SyncIndex(*ix, true, changed);
  }
}

// Restores a lost path from the current key before a step.
bool EnsurePath(Index& ix) {
  if (ix.pathValid && !ix.path.empty()) return true;
  if (ix.currentRecno == 0) return false;
  std::uint32_t at = 0;
  bool ok = LocateOrEqualKey(ix, ix.currentKey, ix.currentRecno, at);
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

bool HookStartUnlockedRead(std::uint16_t& stamp) {
  AreaIndexes* a = SelectedAreas();
  return a && StartUnlockedRead(*a, stamp);
}

bool HookUnlockedReadHeld(std::uint16_t stamp) {
  AreaIndexes* a = SelectedAreas();
  return a && UnlockedReadHeld(*a, stamp);
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
  TExprValue v = EvaluateKeyExpr(ix.expr);
  if (ix.type == 'D') return DisplayFromJulian(DayNumber(v.number));
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

}  // namespace ndx

using namespace ndx;

void IndexInit() {
  // Another index engine filled the hooks since the work-area layer's start.
  if (IndexLinked) {
    DederError(254, "ERROR: BOTH ZADAZ4 and VAVUZ units linked in. [IndexInit]");
    return;
  }
  KeyTextSlot = 1;
  IndexExact = false;
  IndexFound = false;
  IndexUniqueSwitch = false;
  IndexFlushSwitch = false;
  SemaphoreTimeout = 100;
  SemaphoreRegionRetries = 1000;
  SemaphoreDirectory.clear();
  KeepSemaphoreFiles = false;
  IndexSortMemory = std::size_t{64} << 20;
  SetIndexProgress(nullptr, 0);
  IndexCacheNodes = kIndexCacheBudget / kBlock;
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
  IndexHooks.StartUnlockedRead = HookStartUnlockedRead;
  IndexHooks.UnlockedReadHeld = HookUnlockedReadHeld;
  IndexHooks.StampIndexes = HookStampIndexes;
  IndexLinked = true;
}

void IndexExit() {
  if (!IndexLinked) return;
  const std::uint8_t selected = SelectedArea;
  for (int n = 1; n <= 34; ++n) {
    SelectedArea = static_cast<std::uint8_t>(n);
    AreaIndexes* a = SelectedAreas();
    if (!a) continue;
    // An index left in the middle of a change keeps the stamp that refuses
    // it on disk: the change may not be whole.
    for (int s = 1; s <= kSlots; ++s) {
      Index* ix = a->slot[s].get();
      if (ix && ix->writing) ix->writing = ix->anchorDirty = false;
    }
    CloseIndexes();
  }
  SelectedArea = selected;
  IndexLinked = false;
}
