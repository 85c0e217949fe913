// The work-area table and selection, the state of the selected table, helpers the record layers share.
#include "dbf/work_areas_internal.h"

#include <array>
#include <memory>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"

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

namespace workareas {

void CallIndex(void (*hook)()) {
  if (hook) hook();
}

std::string Quoted(const std::string& s) { return kQuote + s + kQuote; }

void CallVFile(TDbfWorkArea& wa, std::uint8_t op, std::int32_t n) {
  wa.virtualOperation = op;
  wa.virtualRecordNumber = n;
  if (VFileHook) VFileHook(wa);
  else DederError(1101, std::string("[").append(wa.alias.view()).append("]"));  // no "[" + ...: a false GCC 12 warning
}

bool FilterShows(TDbfWorkArea& wa) {
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

bool WhileEvaluates(TDbfWorkArea& wa) {
  if (wa.whileExpression && ExprHooks.Evaluate) return ExprHooks.Evaluate(wa.whileExpression).logical;
  if (wa.whileCallback) return wa.whileCallback();
  return true;
}

void CallRelation(TDbfWorkArea& wa) {
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

void RecordCountFromFile(TDbfWorkArea& wa) { wa.recordCount = RecordCountFromSize(wa); }

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
  // An empty table is at both ends, whatever an index attached to it holds.
  if (wa->recordCount < 1) return true;
  if (IndexActive() && IndexHooks.AtEnd) return IndexHooks.AtEnd();
  return wa->endFlag;
}

bool dBOF() {
  TDbfWorkArea* wa = SelectedWorkArea();
  if (!wa) return true;
  if (wa->recordCount < 1) return true;
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

// ---- index locks --------------------------------------------------------------

IndexLock::IndexLock(Kind kind, bool wanted) : area_(SelectedArea) {
  const TDbfWorkArea* wa = SelectedWorkArea();
  // Records read from the table's mapping, checked by the change counter
  // afterwards, need no read lock.
  if (!wanted || !wa || (kind == kRead && wa->unlockedRead)) return;
  hook_ = kind == kRead ? IndexHooks.SetReadSemaphore : IndexHooks.SetLockSemaphore;
  if (!hook_) return;
  held_ = SucceedsAlone([this] { hook_(true); });
  failed_ = !held_;
}

void IndexLock::Release() {
  if (!held_) return;
  held_ = false;
  struct Reselect {
    std::uint8_t selected = SelectedArea;
    ~Reselect() { SelectedArea = selected; }
  } reselect;
  SelectedArea = area_;
  SucceedsAlone([this] { hook_(false); });  // an error held before stands when the release succeeds
}

IndexLock::~IndexLock() {
  if (!held_) return;
  ErrorDispatchOff off;
  const std::uint16_t code = TzLastError;
  const std::string detail = TzErrorDetail;
  Release();
  TzLastError = code;
  TzErrorDetail = detail;
}
