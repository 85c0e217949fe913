#include "dbf/vfiles.h"

#include <cstring>
#include <iterator>
#include <list>
#include <memory>
#include <vector>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/message_windows.h"
#include "dbf/runtime.h"
#include "dbf/work_areas.h"

namespace {

using Record = std::vector<std::uint8_t>;
using RecordList = std::list<Record>;

struct TVFileState {
  RecordList records;
  RecordList::iterator current;
  std::int32_t currentNumber = 0;
  TVFileKeyMaker keyMaker = nullptr;
  void* keyArgument = nullptr;
};

constexpr std::size_t kMaxKey = 100;

TVFileState* StateOf(TDbfWorkArea& wa) { return static_cast<TVFileState*>(wa.virtualData); }

std::int32_t Count(const TVFileState& st) { return static_cast<std::int32_t>(st.records.size()); }

// Publishes the list's state in the work area.
void Sync(TDbfWorkArea& wa, TVFileState& st) {
  wa.recordCount = Count(st);
  if (st.records.empty()) {
    st.current = st.records.end();
    st.currentNumber = 0;
    wa.beginFlag = wa.endFlag = true;
  }
}

// Node n (1..count), walking from the head, the tail or the current node,
// whichever is nearest; it becomes current.
RecordList::iterator NodeAt(TVFileState& st, std::int32_t n) {
  std::int32_t count = Count(st);
  std::int32_t fromHead = n - 1, fromTail = count - n;
  RecordList::iterator it;
  std::int32_t steps;
  bool haveCurrent = st.currentNumber >= 1 && st.currentNumber <= count && st.current != st.records.end();
  std::int32_t fromCurrent = haveCurrent ? std::abs(n - st.currentNumber) : count + 1;
  if (fromCurrent <= fromHead && fromCurrent <= fromTail) {
    it = st.current;
    steps = n - st.currentNumber;
  } else if (fromHead <= fromTail) {
    it = st.records.begin();
    steps = fromHead;
  } else {
    it = std::prev(st.records.end());
    steps = -fromTail;
  }
  std::advance(it, steps);
  st.current = it;
  st.currentNumber = n;
  return it;
}

void LoadBuffer(TDbfWorkArea& wa, const Record& r) {
  if (!wa.typedRecord) return;
  std::size_t n = std::min(r.size(), wa.typedRecordSize);
  std::memcpy(wa.typedRecord, r.data(), n);
  if (n < wa.typedRecordSize) std::memset(wa.typedRecord + n, 0, wa.typedRecordSize - n);
}

Record BufferRecord(const TDbfWorkArea& wa) {
  if (!wa.typedRecord) return Record(wa.typedRecordSize, 0);
  return Record(wa.typedRecord, wa.typedRecord + wa.typedRecordSize);
}

std::string KeyOfBuffer(const TVFileState& st) {
  std::string k = st.keyMaker(st.keyArgument);
  if (k.size() > kMaxKey) k.resize(kMaxKey);
  return k;
}

std::string KeyOf(TDbfWorkArea& wa, const TVFileState& st, const Record& r) {
  LoadBuffer(wa, r);
  return KeyOfBuffer(st);
}

bool CheckVirtual(const std::string& label) {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) {
    NoDatabaseInUse(label);
    return false;
  }
  if (!wa->isVirtual || !StateOf(*wa)) {
    DederError(1100, wa->alias.str() + " [" + label + "]");
    return false;
  }
  return true;
}

// Adds the record in the buffer as a new node by the insertion mode; it
// becomes current. False (reported) for a sorted file without key maker.
bool AddRecord(TDbfWorkArea& wa, TVFileState& st, std::uint8_t mode) {
  Record rec = BufferRecord(wa);
  std::int32_t count = Count(st);
  RecordList::iterator where;
  std::int32_t number;
  switch (mode) {
    case FIFO:
      where = st.records.end();
      number = count + 1;
      break;
    case LIFO:
      where = st.records.begin();
      number = 1;
      break;
    case INSERTION:
      if (st.currentNumber >= 1 && st.currentNumber <= count) {
        where = st.current;
        number = st.currentNumber;
      } else {
        where = st.records.end();
        number = count + 1;
      }
      break;
    case ASCENDING:
    case DESCENDING: {
      if (!st.keyMaker) {
        DederError(1100, wa.alias.str() + " is a \"Sorted\" virtual file with no keymaker function. "
                                          "[Append/InsertRec/PushRec]");
        return false;
      }
      const bool up = mode == ASCENDING;
      // before(a, b): a key that goes before b in this order.
      auto before = [up](const std::string& a, const std::string& b) { return up ? a < b : a > b; };
      std::string key = KeyOfBuffer(st);
      if (count == 0 || !before(KeyOf(wa, st, st.records.front()), key)) {
        where = st.records.begin();
        number = 1;
      } else if (!before(key, KeyOf(wa, st, st.records.back()))) {
        where = st.records.end();
        number = count + 1;
      } else {
        // The head's key goes before the new key, the tail's after it.
        std::int32_t lo = 1, hi = count;
        number = 0;
        while (hi - lo > 1) {
          std::int32_t mid = (lo + hi) / 2;
          std::string probe = KeyOf(wa, st, *NodeAt(st, mid));
          if (before(key, probe)) {
            hi = mid;
          } else if (before(probe, key)) {
            lo = mid;
          } else {
            number = mid + 1;  // after the equal record
            break;
          }
        }
        if (number == 0) number = hi;
        where = number > count ? st.records.end() : NodeAt(st, number);
      }
      LoadBuffer(wa, rec);
      break;
    }
    default:
      DederError(1100, "\"" + std::to_string(mode) + "\" is an invalid VFile mode set for " + wa.alias.str() +
                           "  [(AddLL) VFiles INTERNAL ERROR]");
      return false;
  }
  st.current = st.records.insert(where, std::move(rec));
  st.currentNumber = number;
  wa.recordNumber = number;
  wa.endFlag = false;
  return true;
}

void RemoveCurrent(TDbfWorkArea& wa, TVFileState& st) {
  if (st.current == st.records.end() || st.currentNumber < 1) return;
  st.current = st.records.erase(st.current);
  if (st.current == st.records.end()) st.currentNumber = Count(st) + 1;
  Sync(wa, st);
}

void ReadNode(TDbfWorkArea& wa, TVFileState& st, std::int32_t n) {
  std::int32_t count = Count(st);
  if (n < 1 || n > count) {
    DederError(212, "Record # " + std::to_string(n) + " of " + std::to_string(count) + " in " +
                        wa.alias.str() + " [VFiles]");
    return;
  }
  LoadBuffer(wa, *NodeAt(st, n));
}

void WriteNode(TDbfWorkArea& wa, TVFileState& st, std::int32_t n) {
  if (n > Count(st) || n < 1) {
    AddRecord(wa, st, wa.virtualOrdering);
    return;
  }
  RecordList::iterator it = NodeAt(st, n);
  if (wa.virtualOrdering == ASCENDING || wa.virtualOrdering == DESCENDING) {
    // The key may have changed: the record is placed again. The file never
    // stood empty for the caller: its flags stay as they were.
    Record rec = BufferRecord(wa);
    const bool begin = wa.beginFlag, end = wa.endFlag;
    RemoveCurrent(wa, st);
    LoadBuffer(wa, rec);
    AddRecord(wa, st, wa.virtualOrdering);
    wa.beginFlag = begin;
    wa.endFlag = end;
    return;
  }
  *it = BufferRecord(wa);
}

void SetDeleted(TDbfWorkArea& wa, TVFileState& st, bool deleted) {
  std::int32_t n = wa.recordNumber;
  if (n < 1 || n > Count(st)) return;
  Record& r = *NodeAt(st, n);
  if (!r.empty()) r[0] = deleted ? 1 : 0;
  if (wa.typedRecord) wa.typedRecord[0] = deleted ? 1 : 0;
}

void PackList(TDbfWorkArea& wa, TVFileState& st) {
  st.records.remove_if([](const Record& r) { return !r.empty() && r[0] != 0; });
  st.current = st.records.begin();
  st.currentNumber = st.records.empty() ? 0 : 1;
  Sync(wa, st);
  if (!st.records.empty()) {
    LoadBuffer(wa, st.records.front());
    wa.recordNumber = 1;
    wa.beginFlag = wa.endFlag = false;
  } else {
    wa.recordNumber = 0;
    if (wa.typedRecord) std::memset(wa.typedRecord, 0, wa.typedRecordSize);
  }
}

void Pop(TDbfWorkArea& wa, TVFileState& st) {
  if (st.records.empty()) {
    DederError(1100, "Virtual file empty - no more records to POP from " + wa.alias.str());
    return;
  }
  if (wa.virtualOrdering == INSERTION) {
    DederError(1100, "Cannot POP from an INSERTION mode virtual file " + wa.alias.str());
    return;
  }
  LoadBuffer(wa, *NodeAt(st, 1));
  RemoveCurrent(wa, st);
  wa.recordNumber = st.records.empty() ? 0 : 1;
}

void FreeList(TDbfWorkArea& wa, TVFileState& st) {
  st.records.clear();
  Sync(wa, st);
  wa.recordNumber = 0;
}

}  // namespace

void InitVFiles() {
  VFileHook = VFileOperation;
}

void VFileOperation(TDbfWorkArea& wa) {
  TzLastError = 0;
  if (wa.virtualOperation == kVfOpen) {
    delete StateOf(wa);
    auto* st = new TVFileState;
    st->current = st->records.end();
    wa.virtualData = st;
    Sync(wa, *st);
    wa.recordNumber = 0;
    return;
  }
  TVFileState* st = StateOf(wa);
  if (!st) {
    DederError(1102, wa.alias.str() + " [VFiles]");
    return;
  }
  switch (wa.virtualOperation) {
    case kVfClose:
      delete st;
      wa.virtualData = nullptr;
      wa.fields.clear();
      wa.fieldCount = 0;
      wa.typedOffsets.clear();
      return;
    case kVfDelete: SetDeleted(wa, *st, true); break;
    case kVfRead: ReadNode(wa, *st, wa.virtualRecordNumber); break;
    case kVfPack: PackList(wa, *st); break;
    case kVfPop: Pop(wa, *st); break;
    case kVfPush: AddRecord(wa, *st, wa.virtualOrdering); break;
    case kVfWrite: WriteNode(wa, *st, wa.virtualRecordNumber); break;
    case kVfRecall: SetDeleted(wa, *st, false); break;
    case kVfRemove: RemoveCurrent(wa, *st); break;
    case kVfFree: FreeList(wa, *st); break;
    default: DederError(1100, "Invalid virtual file operation " + std::to_string(wa.virtualOperation) + " [VFiles]");
  }
  Sync(wa, *st);
}

void AddStru(const TDbfFieldEntry* fields, int count) {
  TzLastError = 0;
  if (!CheckVirtual("AddStru")) return;
  TDbfWorkArea& wa = *SelectedWorkArea();
  const std::string alias = wa.alias.str();
  if (count < 1 || count > 255 || !fields) {
    DederError(211, "Invalid field count in VFile field list. Alias= " + alias + " [AddStru]");
    return;
  }
  std::vector<TDbfFieldEntry> list;
  for (int i = 0; i < count; ++i) {
    TDbfFieldEntry f = fields[i];
    std::string name = TzUpperCase(AllTrim(f.name.view()));
    if (name.size() > 10) name.resize(10);
    f.name = name;
    f.type = UpCaseChar(f.type);
    switch (f.type) {
      case 'C':
      case 'F':
      case 'N':
        if (f.length == 0) {
          DederError(211, name + " " + alias + " [AddStru]");
          return;
        }
        if (f.type == 'C') f.decimals = 0;
        break;
      case 'D': f.length = 8; f.decimals = 0; break;
      case 'L': f.length = 1; f.decimals = 0; break;
      case 'M': f.type = 'N'; f.length = 10; f.decimals = 0; break;  // memo block numbers
      default:
        DederError(211, std::string("Invalid type \"") + f.type + "\" in VFile field list. Alias= " + alias +
                            " [AddStru]");
        return;
    }
    list.push_back(f);
  }
  TDbfWorkArea probe;
  probe.fields = list;
  std::size_t need = TypedRecordSize(probe);
  if (need > wa.typedRecordSize) {
    DederError(266, "Virtual file record/buffer size mismatch: " + alias + " [AddStru]\r\nRecord Size=" +
                        std::to_string(need) + ", Buffer Size=" + std::to_string(wa.typedRecordSize));
    return;
  }
  std::uint16_t offset = 1;
  for (auto& f : list) {
    f.offset = offset;
    offset = static_cast<std::uint16_t>(offset + f.length);
  }
  wa.fields = std::move(list);
  wa.fieldCount = static_cast<std::uint8_t>(wa.fields.size());
  ComputeTypedOffsets(wa);
}

void PushRec() {
  TzLastError = 0;
  if (!CheckVirtual("PushRec")) return;
  TDbfWorkArea& wa = *SelectedWorkArea();
  wa.virtualOperation = kVfPush;
  VFileOperation(wa);
  if (TzLastError == 0) wa.beginFlag = wa.endFlag = false;
}

void PopRec() {
  TzLastError = 0;
  if (!CheckVirtual("PopRec")) return;
  TDbfWorkArea& wa = *SelectedWorkArea();
  wa.virtualOperation = kVfPop;
  VFileOperation(wa);
}

void SnipRec() {
  TzLastError = 0;
  if (!CheckVirtual("SnipRec")) return;
  TDbfWorkArea& wa = *SelectedWorkArea();
  TVFileState& st = *StateOf(wa);
  if (wa.recordNumber >= 1 && wa.recordNumber <= Count(st)) NodeAt(st, wa.recordNumber);
  else return;
  wa.virtualOperation = kVfRemove;
  VFileOperation(wa);
  // The next record becomes current.
  if (st.currentNumber >= 1 && st.currentNumber <= Count(st)) {
    LoadBuffer(wa, *st.current);
    wa.recordNumber = st.currentNumber;
  } else {
    wa.recordNumber = Count(st) + 1;
    wa.endFlag = true;
  }
}

void Set_VFileKey_To(TVFileKeyMaker keyMaker, void* argument) {
  TzLastError = 0;
  if (!CheckVirtual("Set_VFileKey_To")) return;
  TVFileState& st = *StateOf(*SelectedWorkArea());
  st.keyMaker = keyMaker;
  st.keyArgument = argument;
}

std::uint8_t Get_VFileMode() {
  TzLastError = 0;
  if (!CheckVirtual("Get_VFileMode")) return 0;
  return SelectedWorkArea()->virtualOrdering;
}

void Set_VFileMode_To(std::uint8_t mode) {
  TzLastError = 0;
  if (!CheckVirtual("Set_VFileMode_To")) return;
  TDbfWorkArea& wa = *SelectedWorkArea();
  if (mode > DESCENDING) {
    DederError(1100, "\"" + std::to_string(mode) + "\" is an invalid VFile mode set for " + wa.alias.str() +
                         " [Set_VFileMode_To]");
    return;
  }
  bool sorted = mode == ASCENDING || mode == DESCENDING;
  if (Count(*StateOf(wa)) >= 2 && sorted && wa.virtualOrdering != mode) {
    DederError(1100, "Cannot set a sort mode on a virtual file containing records. (" + wa.alias.str() +
                         ") [Set_VFileMode_To]");
    return;
  }
  wa.virtualOrdering = mode;
}

void SortVFile(std::uint8_t mode) {
  TzLastError = 0;
  if (!CheckVirtual("SortVFile")) return;
  TDbfWorkArea& wa = *SelectedWorkArea();
  TVFileState& st = *StateOf(wa);
  if (!st.keyMaker) {
    DederError(1100, wa.alias.str() + " has no KeyMaker.  Records cannot be sorted. [SortVFile]");
    return;
  }
  if (mode != ASCENDING && mode != DESCENDING) {
    DederError(220, "Sort mode not ASCENDING or DESCENDING for " + wa.alias.str());
    return;
  }
  // Repeated sorted insertion into a scratch list, which then takes over.
  Record saved = BufferRecord(wa);
  TVFileState scratch;
  scratch.current = scratch.records.end();
  scratch.keyMaker = st.keyMaker;
  scratch.keyArgument = st.keyArgument;
  while (!st.records.empty()) {
    LoadBuffer(wa, st.records.front());
    st.records.pop_front();
    AddRecord(wa, scratch, mode);
  }
  st.records = std::move(scratch.records);
  wa.virtualOrdering = mode;
  st.current = st.records.begin();
  st.currentNumber = st.records.empty() ? 0 : 1;
  Sync(wa, st);
  if (st.records.empty()) {
    LoadBuffer(wa, saved);
    wa.recordNumber = 0;
    return;
  }
  LoadBuffer(wa, st.records.front());
  wa.recordNumber = 1;
  wa.beginFlag = wa.endFlag = false;
}

namespace {

// Selects a free user work area; restores the old selection on destruction.
// A table still open in it then is closed without a word: its failure was
// reported, or is being reported, by the caller.
class FreeAreaScope {
 public:
  FreeAreaScope() : previous_(SelectedArea) {
    ErrorDispatchOff off;
    Select(0);
    ok_ = TzLastError == 0;
    area_ = SelectedArea;
    SelectedArea = previous_;
  }
  ~FreeAreaScope() {
    if (ok_ && WorkAreas[area_]) {
      const std::uint16_t code = TzLastError;
      ErrorDispatchOff off;
      SelectedArea = area_;
      try {
        CloseDatabase();
      } catch (...) {
      }
      TzLastError = code;
    }
    SelectedArea = previous_;
  }
  bool ok() const { return ok_; }
  std::uint8_t area() const { return area_; }

 private:
  std::uint8_t previous_;
  std::uint8_t area_ = 0;
  bool ok_ = false;
};

// A progress window of 100 steps over `count` records, when asked and
// worth it.
class RecordProgress {
 public:
  RecordProgress(bool show, std::int32_t count, const char* caption) {
    if (show && count >= 100) {
      window_ = ShowTzMsg(TzMsgKind::Progress, nullptr, caption);
      every_ = count / 100;
    }
  }
  void Step() {
    if (window_ && ++done_ % every_ == 0) ShowTzProgress(*window_);
  }

 private:
  std::unique_ptr<TTzMsg> window_;
  std::int32_t every_ = 1;
  std::int32_t done_ = 0;
};

// Whether records of a table with `file` fields can be copied as typed
// records into a virtual file with `vfile` fields (memo fields are block
// numbers there).
bool SameLayout(const std::vector<TDbfFieldEntry>& file, const std::vector<TDbfFieldEntry>& vfile) {
  if (file.size() != vfile.size()) return false;
  for (std::size_t i = 0; i < file.size(); ++i) {
    const TDbfFieldEntry& a = file[i];
    const TDbfFieldEntry& b = vfile[i];
    if (a.type == 'M') {
      if (b.type != 'N' || b.decimals != 0) return false;
      continue;
    }
    char ta = a.type == 'F' ? 'N' : a.type, tb = b.type == 'F' ? 'N' : b.type;
    if (ta != tb || a.length != b.length || (ta == 'N' && (a.decimals > 0) != (b.decimals > 0))) return false;
  }
  return true;
}

}  // namespace

std::int32_t WriteVFileToDisk(const std::string& fileName, bool skipDeleted, bool showProgress) {
  TzLastError = 0;
  if (!CheckVirtual("WriteVFileToDisk")) return -1;
  const std::uint8_t vArea = SelectedArea;
  TDbfWorkArea& vwa = *SelectedWorkArea();
  TVFileState& st = *StateOf(vwa);
  if (vwa.fields.empty()) {
    DederError(220, "Virtual file " + vwa.alias.str() + " has no structure [WriteVFileToDisk]");
    return -1;
  }
  const std::string target = FullPath(DefaultExtension(fileName, "dbf"));
  const std::string temp = target + ".v$$";
  {
    TDbfWorkArea created;
    created.oem = vwa.oem;
    std::string detail;
    {
      ErrorDispatchOff off;
      CreateDbf(created, temp, vwa.fieldCount, vwa.fields.data());
      detail = TzErrorDetail;
    }
    if (const std::uint16_t code = TzLastError; code != 0) {
      platform::RemoveFile(temp);
      DederError(code, detail);
      return -1;
    }
  }
  Record saved = BufferRecord(vwa);
  std::int32_t written = 0;
  std::uint16_t failure = 0;
  bool noArea = false;
  {
    // Every step keeps its error, so that the first is reported once, after
    // the temporary is closed and removed.
    ErrorDispatchOff off;
    FreeAreaScope scope;
    TDbfWorkArea* out = nullptr;
    if (!scope.ok()) {
      noArea = true;
      failure = 220;
    } else {
      SelectedArea = scope.area();
      UseTable(temp, "*VSAVE*", true);
      out = SelectedWorkArea();
      if (TzLastError != 0 || !out) failure = TzLastError ? TzLastError : 220;
    }
    RecordProgress progress(showProgress, Count(st), "Writing to disk...");
    for (auto it = st.records.begin(); failure == 0 && it != st.records.end(); ++it) {
      progress.Step();
      if (skipDeleted && !it->empty() && (*it)[0] != 0) continue;
      std::size_t n = std::min(it->size(), out->typedRecordSize);
      std::memcpy(WholeTypedRecord(*out), it->data(), n);
      Append();
      if (TzLastError != 0) failure = TzLastError;
      else ++written;
    }
    if (out) {
      CloseDatabase();
      if (failure == 0 && TzLastError != 0) failure = TzLastError;
    }
    SelectedArea = vArea;
  }
  LoadBuffer(vwa, saved);
  if (failure == 0) {
    int rc = platform::RenameFile(temp, target);
    if (rc != 0) failure = static_cast<std::uint16_t>(rc);
  }
  if (failure != 0) {
    platform::RemoveFile(temp);
    DederError(failure, noArea ? std::string("No free workarea available [WriteVFileToDisk]")
                               : "Cannot write " + target + " [WriteVFileToDisk]");
    return -1;
  }
  return written;
}

std::int32_t ReadVFileFromDisk(const std::string& fileName, bool skipDeleted, bool showProgress) {
  TzLastError = 0;
  if (!CheckVirtual("ReadVFileFromDisk")) return -1;
  const std::uint8_t vArea = SelectedArea;
  std::uint16_t failure = 0;
  std::string detail;
  std::int32_t read = 0;
  {
    FreeAreaScope scope;
    if (!scope.ok()) {
      DederError(220, "No free workarea available [ReadVFileFromDisk]");
      return -1;
    }
    SelectedArea = scope.area();
    UseTable(FullPath(DefaultExtension(fileName, "dbf")), "*VLOAD*");
    TDbfWorkArea* in = SelectedWorkArea();
    if (TzLastError != 0 || !in) {
      SelectedArea = vArea;
      return -1;
    }
    std::vector<TDbfFieldEntry> fields = in->fields;
    SelectedArea = vArea;
    TDbfWorkArea& vwa = *SelectedWorkArea();
    if (vwa.fields.empty()) {
      ErrorDispatchOff off;
      AddStru(fields.data(), static_cast<int>(fields.size()));
      failure = TzLastError;
      detail = TzErrorDetail;
    }
    SelectedArea = scope.area();
    if (failure == 0 && !SameLayout(in->fields, vwa.fields)) {
      failure = 266;
      detail = "Record of " + in->fileName + " does not fit virtual file " + vwa.alias.str() + " [ReadVFileFromDisk]";
    }
    TVFileState& st = *StateOf(vwa);
    const std::int32_t count = failure == 0 ? in->recordCount : 0;
    RecordProgress progress(showProgress, count, "Reading from disk...");
    for (std::int32_t n = 1; n <= count; ++n) {
      progress.Step();
      Go(n);
      if (TzLastError != 0) break;
      if (skipDeleted && in->typedRecord[0] != 0) continue;
      std::size_t size = std::min(in->typedRecordSize, vwa.typedRecordSize);
      std::memcpy(vwa.typedRecord, WholeTypedRecord(*in), size);
      // The key maker reads the selected work area: the virtual file.
      SelectedArea = vArea;
      bool added = AddRecord(vwa, st, vwa.virtualOrdering);
      SelectedArea = scope.area();
      if (!added) break;
      ++read;
    }
    if (failure == 0 && TzLastError != 0) {
      failure = TzLastError;
      detail = TzErrorDetail;
    }
    SelectedArea = vArea;
    Sync(vwa, st);
  }
  // Reported once the disk file is closed again, which clears the code.
  if (failure != 0) {
    DederError(failure, detail);
    return -1;
  }
  if (Count(*StateOf(*SelectedWorkArea())) > 0) GoTop();
  return read;
}
