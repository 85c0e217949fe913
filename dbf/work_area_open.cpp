// Opening and closing tables: USE with its options, aliases, and closing one area or all.
#include "dbf/work_areas_internal.h"

#include <memory>

#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "dbf/locks.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"

namespace workareas {

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
  // The count goes into the header a close writes; a table only read writes none.
  if (wa->fileState >= 2) RefreshRecordCount(*wa);
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

// Closes the selected work area for a new table; false when none is selected.
bool CloseForUse() {
  TzLastError = 0;
  if (SelectedArea < 1 || SelectedArea > kMaxWorkAreas) {
    DederError(220, "Invalid workarea selected = [Select(" + std::to_string(SelectedArea) + ")]");
    return false;
  }
  CloseDatabase();
  return true;
}

// Opens the table `name` into the selected (closed) work area; `command`
// only names the attempt in messages.
void OpenTableFile(const std::string& command, const std::string& name, std::string alias, bool exclusive,
                   void* buffer, std::uint16_t size) {
  if ((buffer != nullptr) != (size != 0)) {
    DederError(220, "Buffer is NIL or size is zero, attempting to open " + command + " [USE]");
    return;
  }
  std::string file = FullPath(name);
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

}  // namespace workareas

using namespace workareas;

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
  if (!CloseForUse() || AllTrim(command).empty()) return;
  const std::string folder = FolderPart(command);
  std::string cmd = TzUpperCase(command.substr(folder.size())) + " ";
  if (cmd.find("LINKED LIST") != std::string::npos || cmd.find("VIRTUAL FILE") != std::string::npos) {
    UseWithBuffer(command, buffer, size);
    return;
  }
  // Options are matched in an upper-case copy; the file name keeps its case.
  std::string original = command.substr(folder.size()) + " ";
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
  OpenTableFile(command, AllTrim(folder + original), alias, exclusive, buffer, size);
}

void UseTable(const std::string& file, const std::string& alias, bool exclusive, void* buffer,
              std::uint16_t size) {
  if (!CloseForUse() || file.empty()) return;
  std::string command = file + (exclusive ? " EXCLUSIVE" : "") + (alias.empty() ? "" : " ALIAS " + alias);
  OpenTableFile(command, file, alias.substr(0, 64), exclusive, buffer, size);
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
