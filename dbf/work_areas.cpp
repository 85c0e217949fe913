// The work-area table and selection, opening and closing tables, the helpers the record layer shares.
#include "dbf/work_areas_internal.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/locks.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"

std::array<std::unique_ptr<TDbfWorkArea>, kMaxWorkAreas + 1> WorkAreas;
std::uint8_t SelectedArea = 0;
bool NetworkMode = true;
unsigned ShareFileMode = 66;
unsigned OpenModeOverride = 65535;
bool AnsiTables = false;
std::int32_t (*SkipProcedure)(std::int32_t) = nullptr;
bool ConfirmPack = false;
bool IndexKeysOnReplace = true;
bool Packing = false;
char NoLetter = 'N';
char YesLetter = 'Y';
TIndexHooks IndexHooks;
bool IndexLinked = false;
TExprHooks ExprHooks;
bool ParserLinked = false;
TMemoHooks MemoHooks;
TVFileHooks VFileHook = nullptr;

namespace workareas {

TDbfTranslator NextWriteTranslator = nullptr;
TDbfTranslator NextReadTranslator = nullptr;
const char kQuote = '"';

}  // namespace workareas

using namespace workareas;

void InitWorkAreas() {
  for (auto& slot : WorkAreas) {
    if (slot && slot->file != platform::kNoFile) platform::CloseFile(slot->file);
    slot.reset();
  }
  SelectedArea = 1;
  NetworkMode = true;
  ShareFileMode = 66;
  OpenModeOverride = 65535;
  AnsiTables = false;
  SkipProcedure = nullptr;
  ConfirmPack = false;
  IndexKeysOnReplace = true;
  Packing = false;
  NoLetter = 'N';
  YesLetter = 'Y';
  IndexHooks = TIndexHooks{};
  IndexLinked = false;
  ExprHooks = TExprHooks{};
  ParserLinked = false;
  MemoHooks = TMemoHooks{};
  VFileHook = nullptr;
  NextWriteTranslator = NextReadTranslator = nullptr;
}

// ---- helpers -------------------------------------------------------------

TDbfWorkArea* SelectedWorkArea() {
  if (SelectedArea < 1 || SelectedArea > kMaxWorkAreas) return nullptr;
  return WorkAreas[SelectedArea].get();
}

namespace workareas {

void CallIndex(void (*hook)()) {
  if (hook) hook();
}

void ReadSemaphore(bool on) {
  if (IndexHooks.SetReadSemaphore) IndexHooks.SetReadSemaphore(on);
}

void LockSemaphore(bool on) {
  if (IndexHooks.SetLockSemaphore) IndexHooks.SetLockSemaphore(on);
}

std::string Quoted(const std::string& s) { return kQuote + s + kQuote; }

void CallVFile(TDbfWorkArea& wa, std::uint8_t op, std::int32_t n) {
  wa.virtualOperation = op;
  wa.virtualRecordNumber = n;
  if (VFileHook) VFileHook(wa);
  else DederError(1101, "[" + wa.alias.str() + "]");
}

// Reads record n into the buffer and the typed record.
void ReadRecord(TDbfWorkArea& wa, std::int32_t n) {
  if (wa.isVirtual) {
    wa.endFlag = wa.beginFlag = false;
    CallVFile(wa, kVfRead, n);
    if (TzLastError == 0) wa.recordNumber = n;
    return;
  }
  GetDbfRecord(wa, n);
  if (TzLastError == 0) LoadTypedRecord(wa);
}

void BlankRecord(TDbfWorkArea& wa) {
  // A virtual table has no text record: its typed record is blanked as zeros.
  if (wa.isVirtual) {
    if (wa.typedRecord && wa.typedRecordSize) std::memset(wa.typedRecord, 0, wa.typedRecordSize);
    return;
  }
  std::fill(wa.recordBuffer.begin(), wa.recordBuffer.end(), ' ');
  LoadTypedRecord(wa);
}

// Position after the last record.
void PlaceAfterEnd(TDbfWorkArea& wa) {
  wa.recordNumber = wa.recordCount + 1;
  wa.endFlag = true;
  BlankRecord(wa);
}

bool IsVisible(TDbfWorkArea& wa) {
  if (wa.ignoreDeleted) {
    char flag = wa.recordBuffer.empty() ? ' ' : wa.recordBuffer[0];
    if (wa.isVirtual) {
      if (wa.typedRecord && wa.typedRecord[0] != 0) return false;
    } else if (flag == '*') {
      return false;
    }
  }
  std::uint8_t selected = SelectedArea;
  bool show = true;
  if (wa.filterCallback) {
    show = wa.filterCallback();
  } else if (wa.filterExpression && ExprHooks.Evaluate) {
    show = ExprHooks.Evaluate(wa.filterExpression).logical;
  }
  SelectedArea = selected;
  return show;
}

bool WhileHolds(TDbfWorkArea& wa) {
  if (wa.whileExpression && ExprHooks.Evaluate) return ExprHooks.Evaluate(wa.whileExpression).logical;
  if (wa.whileCallback) return wa.whileCallback();
  return true;
}

void RunRelation(TDbfWorkArea& wa) {
  TRelationProc proc = wa.relationCallback;
  if (!proc) return;
  wa.relationCallback = nullptr;
  std::uint8_t selected = SelectedArea;
  bool* found = IndexHooks.FoundFlag ? IndexHooks.FoundFlag() : nullptr;
  bool savedFound = found ? *found : false;
  std::int32_t recno = wa.recordNumber;
  proc();
  SelectedArea = selected;
  if (found) *found = savedFound;
  wa.relationCallback = proc;
  if (TzLastError == 0 && wa.recordNumber != recno) TzLastError = 224;
  if (TzLastError != 0) DederError(TzLastError, wa.fileName);
}

}  // namespace workareas

bool IsRecordVisible() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa && IsVisible(*wa);
}

// ---- selection and state ----------------------------------------------------

void Select(int n) {
  if (n >= 1 && n <= kUserWorkAreas) {
    SelectedArea = static_cast<std::uint8_t>(n);
    return;
  }
  if (n == 0) {
    for (int i = 1; i <= kUserWorkAreas; ++i) {
      if (!WorkAreas[i]) {
        SelectedArea = static_cast<std::uint8_t>(i);
        return;
      }
    }
    DederError(220, "No free workarea available [Select(0)]");
    return;
  }
  DederError(220, "Invalid workarea selected = [Select(" + std::to_string(n) + ")]");
}

// The engine's own slots 34 and 35.
void SelectEngineArea(int n) {
  if (n == 34 || n == 35) SelectedArea = static_cast<std::uint8_t>(n);
}

std::uint8_t CurrentWorkArea() { return SelectedArea; }

bool NoDatabaseInUse(const std::string& label) {
  if (SelectedWorkArea()) return false;
  DederError(215, "No database in use [" + label + "]  WorkArea = " + std::to_string(SelectedArea));
  return true;
}

std::int32_t RecCount() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return 0;
  RefreshRecordCount(*wa);
  return wa->recordCount;
}

std::int32_t RecNo() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->recordNumber : 0;
}

std::uint16_t RecSize() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->recordLength : 0;
}

bool dEOF() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return true;
  RefreshRecordCount(*wa);
  if (wa->recordNumber > wa->recordCount) wa->endFlag = true;
  if (IndexActive() && IndexHooks.AtEnd) return IndexHooks.AtEnd();
  return wa->endFlag;
}

bool dBOF() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return true;
  if (IndexActive() && IndexHooks.AtBeginning) return IndexHooks.AtBeginning();
  return wa->beginFlag;
}

std::string Alias() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->alias.str() : std::string();
}

std::string DbfFileName() {
  TDbfWorkArea* wa = SelectedWorkArea();
  return wa ? wa->fileName : std::string();
}

namespace workareas {

// ---- opening and closing ----------------------------------------------------

bool AliasInUse(const std::string& alias, const TDbfWorkArea* except) {
  std::string key = TzUpperCase(alias);
  for (int i = 1; i <= kMaxWorkAreas; ++i) {
    const TDbfWorkArea* w = WorkAreas[i].get();
    if (w && w != except && TzUpperCase(w->alias.view()) == key) return true;
  }
  return false;
}

// Takes the word after " ALIAS " and cuts the command before it.
std::string TakeAlias(std::string& cmd) {
  std::size_t p = cmd.find(" ALIAS ");
  if (p == std::string::npos) return std::string();
  std::string rest = AllTrim(cmd.substr(p + 7));
  std::size_t blank = rest.find(' ');
  std::string alias = rest.substr(0, blank);
  if (alias.size() > 64) alias.resize(64);
  cmd.resize(p);
  return alias;
}

void CloseArea(int slot) {
  TDbfWorkArea* wa = WorkAreas[slot].get();
  if (!wa) return;
  std::uint8_t selected = SelectedArea;
  SelectedArea = static_cast<std::uint8_t>(slot);
  if (IndexActive() || (IndexLinked && wa->indexData)) CallIndex(IndexHooks.CloseIndexes);
  RefreshRecordCount(*wa);
  Unlock();
  wa->swapBuffer.clear();
  if (wa->memo && MemoHooks.CloseMemo) MemoHooks.CloseMemo();
  DropRecordCache(wa->alias.str());
  if (ExprHooks.Free) {
    if (wa->filterExpression) ExprHooks.Free(wa->filterExpression);
    if (wa->whileExpression) ExprHooks.Free(wa->whileExpression);
  }
  if (wa->isVirtual) {
    CallVFile(*wa, kVfClose, 0);
  } else {
    CloseDbf(*wa);
  }
  WorkAreas[slot].reset();
  SelectedArea = selected;
}

}  // namespace workareas

void CloseDatabase() {
  if (SelectedWorkArea()) CloseArea(SelectedArea);
}

void CloseAll() {
  for (int i = 1; i <= kUserWorkAreas; ++i) CloseArea(i);
  SelectedArea = 1;
}

void CloseAllAtExit() {
  CloseArea(34);
  CloseArea(35);
  CloseAll();
}

void UseWithTranslators(const std::string& command, void* buffer, std::uint16_t size,
                        TDbfTranslator writeTranslator, TDbfTranslator readTranslator) {
  NextWriteTranslator = writeTranslator;
  NextReadTranslator = readTranslator;
  Use(command, buffer, size);
  NextWriteTranslator = NextReadTranslator = nullptr;
}

void Use(const std::string& command, void* buffer, std::uint16_t size) {
  TzLastError = 0;
  if (SelectedArea < 1 || SelectedArea > kMaxWorkAreas) {
    DederError(220, "Invalid workarea selected = [Select(" + std::to_string(SelectedArea) + ")]");
    return;
  }
  CloseDatabase();
  if (AllTrim(command).empty()) return;
  std::string cmd = TzUpperCase(command) + " ";
  if (cmd.find("LINKED LIST") != std::string::npos || cmd.find("VIRTUAL FILE") != std::string::npos) {
    UseWithBuffer(command, buffer, size);
    return;
  }
  if ((buffer != nullptr) != (size != 0)) {
    DederError(220, "Buffer is NIL or size is zero, attempting to open " + command + " [USE]");
    return;
  }
  // Options are matched in an upper-case copy; the file name keeps its case.
  std::string original = command + " ";
  bool exclusive = false;
  std::size_t ex = cmd.find(" EXCLUSIVE");
  while (ex != std::string::npos) {
    std::size_t end = ex + 10;
    char next = end < cmd.size() ? cmd[end] : ' ';
    if (next == ' ') {
      exclusive = true;
      cmd.erase(ex, 10);
      original.erase(ex, 10);
      ex = cmd.find(" EXCLUSIVE", ex);
    } else {
      ex = cmd.find(" EXCLUSIVE", ex + 1);
    }
  }
  std::string alias = TakeAlias(cmd);
  original.resize(cmd.size());
  std::string file = FullPath(AllTrim(original));
  std::string dir, base, ext;
  SplitPath(file, dir, base, ext);
  if (alias.empty()) alias = TzUpperCase(base);
  if (ext.empty()) file = DefaultExtension(file, "dbf");

  unsigned mode = ShareFileMode;
  if (exclusive || ShareFileMode == 18) {
    mode = 18;
    exclusive = true;
  }
  if (!NetworkMode) {
    mode = 18;
    exclusive = true;
  }
  if (OpenModeOverride < 65535) mode = OpenModeOverride;

  auto wa = std::make_unique<TDbfWorkArea>();
  wa->fileName = file;
  wa->openMode = mode;
  wa->oem = !AnsiTables;
  OpenDbf(*wa);
  if (TzLastError != 0 || wa->fileState == 0) return;
  wa->alias = alias;
  wa->isVirtual = false;
  wa->exclusive = exclusive;
  ComputeTypedOffsets(*wa);
  wa->typedRecordSize = TypedRecordSize(*wa);
  if (buffer == nullptr) {
    wa->ownedTypedRecord.assign(wa->typedRecordSize, 0);
    wa->typedRecord = wa->ownedTypedRecord.data();
    wa->typedRecordOwned = true;
  } else if (size != wa->typedRecordSize) {
    std::size_t typed = wa->typedRecordSize;
    CloseDbf(*wa);
    DederError(266, "Database record/buffer size mismatch: " + command + " [USE()]\r\nRecord Size=" +
                        std::to_string(typed) + ", Buffer Size=" + std::to_string(size));
    return;
  } else {
    wa->typedRecord = static_cast<std::uint8_t*>(buffer);
  }
  if (AliasInUse(alias, nullptr)) {
    CloseDbf(*wa);
    DederError(220, "Alias name " + Quoted(alias) + " already in use. [USE]");
    return;
  }
  wa->writeTranslator = NextWriteTranslator;
  wa->readTranslator = NextReadTranslator;
  wa->swapBuffer.assign(wa->typedRecordSize, 0);
  WorkAreas[SelectedArea] = std::move(wa);
  TDbfWorkArea& area = *WorkAreas[SelectedArea];
  if (area.recordCount > 0) {
    GoTop();
  } else {
    BlankRecord(area);
    area.recordNumber = area.recordCount + 1;
    area.endFlag = area.beginFlag = true;
  }
  if (area.memo && MemoHooks.OpenMemo) {
    TzLastError = 0;
    MemoHooks.OpenMemo();
    if (TzLastError != 0) {
      std::uint16_t code = TzLastError;
      CloseArea(SelectedArea);
      DederError(code, "Problem opening memo file [USE(" + command + ",<@Buffer>," +
                           std::to_string(size) + ")]");
    }
  }
}

void UseWithBuffer(const std::string& command, void* buffer, std::uint16_t size) {
  if (!VFileHook) {
    DederError(1101, "[USE(" + command + ",<@Buffer>,<size>)]");
    return;
  }
  if (!buffer) {
    DederError(220, "NIL buffer pointer [USE(" + command + ",Nil,<size>)]");
    return;
  }
  std::string cmd = TzUpperCase(command);
  RemoveKeyword(" LINKED LIST", cmd);
  RemoveKeyword(" VIRTUAL FILE", cmd);
  cmd = " " + cmd + " ";
  std::string alias = TakeAlias(cmd);
  cmd = AllTrim(cmd);
  if (alias.empty()) {
    alias = cmd.substr(0, cmd.find(' '));
    alias = alias.substr(0, alias.find('.'));
  }
  if (AliasInUse(alias, nullptr)) {
    DederError(220, "Alias name " + Quoted(alias) + " already in use. [USE]");
    return;
  }
  auto wa = std::make_unique<TDbfWorkArea>();
  wa->isVirtual = true;
  wa->alias = alias;
  wa->recordLength = size;
  wa->endFlag = wa->beginFlag = true;
  wa->typedRecord = static_cast<std::uint8_t*>(buffer);
  wa->typedRecordSize = size;
  wa->virtualStorage = 1;
  cmd = " " + cmd + " ";
  struct Word {
    const char* word;
    int storage;
  };
  for (Word w : {Word{" TO EMS", 2}, Word{" TO EXT", 3}, Word{" TO XMS", 3}, Word{" TO HEAP", 1},
                 Word{" TO BIGGEST", 5}}) {
    if (RemoveKeyword(w.word, cmd)) wa->virtualStorage = static_cast<std::uint8_t>(w.storage);
    cmd = " " + cmd + " ";
  }
  int ordering = 0;
  for (Word w : {Word{" FIFO", 0}, Word{" LIFO", 1}, Word{" INSERTION", 2}, Word{" ASCENDING", 3},
                 Word{" DESCENDING", 4}}) {
    if (RemoveKeyword(w.word, cmd)) ordering = w.storage;
    cmd = " " + cmd + " ";
  }
  wa->virtualOrdering = static_cast<std::uint8_t>(ordering);
  wa->fileName = AllTrim(cmd);
  wa->exclusive = true;
  WorkAreas[SelectedArea] = std::move(wa);
  TzLastError = 0;
  CallVFile(*WorkAreas[SelectedArea], kVfOpen, 0);
  if (TzLastError != 0) WorkAreas[SelectedArea].reset();
}
