#include "calc/table_access.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "dbf/dbf4.h"
#include "dbf/dbf_file.h"
#include "dbf/errors.h"
#include "framework/calc_messages.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "platform/os.h"

namespace fs = std::filesystem;

TableDialogFunction TableDialogHook;

namespace {

// The one open table and its key order.
struct OpenTable {
  TDbfWorkArea wa;
  bool open = false;
  std::string path;
  std::int32_t recNo = 0;   // current record, 0 when there is none
  bool eof = true;
  // Key order: record numbers sorted by key; empty without a key.
  bool keyed = false;
  bool numericKey = false;
  std::vector<int> keyFields;  // field numbers of the key expression
  std::vector<std::int32_t> order;
  std::vector<std::string> textKeys;    // by position in order
  std::vector<long double> numberKeys;  // by position in order
  std::size_t orderPos = 0;
  bool found = false;
  std::string indexPath;
};

OpenTable Table;
std::string Captions[3];

bool FileWritable(const std::string& path) {
  std::error_code ec;
  const fs::perms p = fs::status(path, ec).permissions();
  if (ec) return false;
  if ((p & fs::perms::owner_write) == fs::perms::none) return false;
  std::ofstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  return f.good();
}

// A writable copy of the table in this process's temporary directory, so that
// two running programs never work on one copy; empty when the copy failed.
std::string CopyToTemp(const std::string& path) {
  const std::string target = AddBackslash(platform::ProcessTempDir()) + fs::path(path).filename().string();
  if (!CopyFileTo(path, target)) return {};
  std::error_code ec;
  fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, ec);
  return target;
}

std::string UpperName(std::string_view name) {
  std::string s(name.substr(0, std::min<std::size_t>(name.size(), 10)));
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(s.begin());
  return s;
}

int FieldNumber(std::string_view name) {
  if (!Table.open) return 0;
  const std::string key = UpperName(name);
  for (std::size_t i = 0; i < Table.wa.fields.size(); ++i)
    if (Table.wa.fields[i].name.view() == key) return static_cast<int>(i) + 1;
  return 0;
}

// Raw text of field n in the record buffer, blanks kept.
std::string RawField(int n) {
  if (!Table.open || n < 1 || n > static_cast<int>(Table.wa.fields.size())) return {};
  const TDbfFieldEntry& f = Table.wa.fields[n - 1];
  if (f.offset + f.length > Table.wa.recordBuffer.size()) return {};
  return std::string(Table.wa.recordBuffer.data() + f.offset, f.length);
}

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

// Reads record n into the buffer; false on a failure of the file layer.
bool ReadRecord(std::int32_t n) {
  ErrorDispatchOff quiet;
  GetDbfRecord(Table.wa, n);
  if (TzLastError != 0) {
    ShowTraceMessage("Error  : Database #" + std::to_string(TzLastError) + " " + TakeErrorDetail());
    AbortFlag = 1;
    return false;
  }
  Table.recNo = n;
  Table.eof = false;
  return true;
}

void BlankBuffer() {
  std::fill(Table.wa.recordBuffer.begin(), Table.wa.recordBuffer.end(), ' ');
}

// Position in the key order of record n.
void SyncOrderPos() {
  if (!Table.keyed) return;
  auto it = std::find(Table.order.begin(), Table.order.end(), Table.recNo);
  Table.orderPos = static_cast<std::size_t>(it - Table.order.begin());
}

void GoOrderPos(std::size_t pos) {
  if (pos >= Table.order.size()) {
    // Past the last key: stay on the last record so that a reader still
    // gets a row of the table.
    if (Table.order.empty()) return;
    pos = Table.order.size() - 1;
  }
  Table.orderPos = pos;
  ReadRecord(Table.order[pos]);
}

std::string KeyOfCurrentRecord() {
  std::string key;
  for (int f : Table.keyFields) key += RawField(f);
  return key;
}

void BuildKeyOrder() {
  struct Entry {
    std::int32_t recNo;
    std::string text;
    long double number;
  };
  std::vector<Entry> entries;
  const std::int32_t count = Table.wa.recordCount;
  for (std::int32_t n = 1; n <= count; ++n) {
    if (!ReadRecord(n)) return;
    Entry e{n, KeyOfCurrentRecord(), 0};
    if (Table.numericKey) e.number = TextToFloat(Trimmed(e.text));
    entries.push_back(std::move(e));
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return Table.numericKey ? a.number < b.number : a.text < b.text;
  });
  Table.order.clear();
  Table.textKeys.clear();
  Table.numberKeys.clear();
  for (auto& e : entries) {
    Table.order.push_back(e.recNo);
    Table.textKeys.push_back(std::move(e.text));
    Table.numberKeys.push_back(e.number);
  }
}

// First position whose key is not less than the given key; sets found when
// that key equals it (a text key as a prefix).
std::size_t LowerBound(std::string_view key, bool& found) {
  found = false;
  const std::size_t n = Table.order.size();
  if (Table.numericKey) {
    Extended value = 0;
    if (!TryTextToFloat(Trimmed(std::string(key)), value)) return n;
    auto it = std::lower_bound(Table.numberKeys.begin(), Table.numberKeys.end(),
                               static_cast<long double>(value));
    const std::size_t pos = static_cast<std::size_t>(it - Table.numberKeys.begin());
    found = pos < n && Table.numberKeys[pos] == static_cast<long double>(value);
    return pos;
  }
  std::string k(key);
  while (!k.empty() && k.back() == ' ') k.pop_back();
  auto it = std::lower_bound(Table.textKeys.begin(), Table.textKeys.end(), k,
                             [](const std::string& a, const std::string& b) {
                               return a.compare(0, b.size(), b) < 0;
                             });
  const std::size_t pos = static_cast<std::size_t>(it - Table.textKeys.begin());
  found = pos < n && Table.textKeys[pos].compare(0, k.size(), k) == 0;
  return pos;
}

// Closes the file of the open table but keeps its name, key and position,
// so that the table dialog can open the file itself.
void ReleaseTableFile() {
  ErrorDispatchOff quiet;
  CloseDbf(Table.wa);
  TzLastError = 0;
}

// Opens the released file again and rebuilds the key order, so that changes
// made in the dialog are seen; the position is kept.
void ReopenTableFile() {
  ErrorDispatchOff quiet;
  Table.wa = TDbfWorkArea{};
  Table.wa.fileName = Table.path;
  OpenDbf(Table.wa);
  if (TzLastError != 0) {
    ShowTraceMessage("Error  : DBF Error " + std::to_string(TzLastError) + " " + TakeErrorDetail());
    TzLastError = 0;
    Table = OpenTable{};
    AbortFlag = 1;
    return;
  }
  const std::int32_t keep = std::min(Table.recNo, Table.wa.recordCount);
  Table.eof = keep < 1;
  if (Table.keyed) BuildKeyOrder();
  if (keep >= 1 && ReadRecord(keep)) SyncOrderPos();
}

void CloseQuietly() {
  if (Table.open) {
    ErrorDispatchOff quiet;
    CloseDbf(Table.wa);
  }
  Table = OpenTable{};
}

}  // namespace

// ---------------------------------------------------------------------------

namespace {

// The table dialog on the open table's file: it shows its own view of the
// file and closes it again. Headless runs answer it from the dialog script;
// batch runs answer Cancel.
bool PickInTableDialog(std::string_view closeWord, int mode, std::int32_t& recNo) {
  ReleaseTableFile();
  const bool accepted = PickFromTable(Table.path, Captions[1], Captions[2], std::string(closeWord), mode, recNo);
  const Byte dialogAbort = AbortFlag;
  AbortFlag = 0;
  ReopenTableFile();
  if (AbortFlag) return false;
  AbortFlag = dialogAbort;
  return accepted;
}

}  // namespace

void InitTableAccess() {
  CloseQuietly();
  Captions[1].clear();
  Captions[2].clear();
  TableDialogHook = PickInTableDialog;
}

namespace {

std::string TablePath(std::string_view tableName) {
  std::string name(tableName);
  if (name.find('.') == std::string::npos) name += ".dbf";
  return FindExistingFile(AddBackslash(DbfDir) + name);
}

}  // namespace

bool DbfTableExists(std::string_view tableName) { return TextFileExists(TablePath(tableName)); }

void OpenDbfTable(std::string_view tableName) {
  CloseQuietly();  // one table at a time, also when this one fails
  const std::string path = TablePath(tableName);
  OpenTextForRead(path);
  if (AbortFlag) return;
  std::string chosen = path;
  const std::string dir = DbfDir.empty() ? "." : DbfDir;
  if (!DirWritable(dir) || !FileWritable(path)) {
    chosen = CopyToTemp(path);
    if (chosen.empty()) chosen = path;  // opened as it is; writes will fail with a message
  }
  OpenDbfFile(chosen);
}

void OpenDbfFile(const std::string& path) {
  CloseQuietly();
  Table.wa.fileName = path;
  {
    ErrorDispatchOff quiet;
    OpenDbf(Table.wa);
    if (TzLastError != 0) {
      const std::uint16_t code = TzLastError;
      ShowTraceMessage("Error  : DBF Error " + std::to_string(code) + " " + TakeErrorDetail());
      TzLastError = 0;
      Table = OpenTable{};
      AbortFlag = 1;
      return;
    }
  }
  Table.open = true;
  Table.path = Table.wa.fileName;
  Table.eof = Table.wa.recordCount < 1;
  if (Table.wa.recordCount >= 1) ReadRecord(1);
}

void CloseDbfTable() { CloseQuietly(); }

bool DbfTableOpen() { return Table.open; }

std::string DbfTablePath() { return Table.path; }

void GotoDbfRecord(std::int32_t n) {
  if (!Table.open) return;
  const std::int32_t count = Table.wa.recordCount;
  if (n > count) {
    AddErrorMessage("DBF #" + std::to_string(n) + " not found.");
    n = count;
  }
  if (n < 1 || n > count) n = 1;
  if (count < 1) {
    Table.eof = true;
    return;
  }
  if (ReadRecord(n)) SyncOrderPos();
}

void DbfFirst() {
  if (!Table.open || Table.wa.recordCount < 1) return;
  if (Table.keyed) GoOrderPos(0);
  else ReadRecord(1);
}

void DbfNext() {
  if (!Table.open || Table.eof) return;
  if (Table.keyed) {
    if (Table.orderPos + 1 >= Table.order.size()) {
      Table.eof = true;
      return;
    }
    GoOrderPos(Table.orderPos + 1);
    return;
  }
  if (Table.recNo >= Table.wa.recordCount) {
    Table.eof = true;
    return;
  }
  ReadRecord(Table.recNo + 1);
}

bool DbfEof() { return !Table.open || Table.eof; }

std::int32_t DbfRecNo() { return Table.open ? Table.recNo : 0; }

std::int32_t DbfRecordCount() { return Table.open ? Table.wa.recordCount : 0; }

void AppendDbfBlank() {
  if (!Table.open) return;
  BlankBuffer();
  ErrorDispatchOff quiet;
  AppendDbfRecord(Table.wa);
  if (TzLastError != 0) {
    ShowTraceMessage("Error  : Database #" + std::to_string(TzLastError) + " " + TakeErrorDetail());
    AbortFlag = 1;
    return;
  }
  Table.recNo = Table.wa.recordCount;
  Table.eof = false;
  if (Table.keyed) {
    const std::int32_t keep = Table.recNo;
    BuildKeyOrder();
    ReadRecord(keep);
    SyncOrderPos();
  }
}

void IndexDbfOn(std::string_view keyExpression, std::string_view indexName) {
  if (!Table.open) return;
  Table.keyed = false;
  Table.keyFields.clear();
  std::string expr(keyExpression);
  std::size_t start = 0;
  while (start <= expr.size()) {
    std::size_t plus = expr.find('+', start);
    if (plus == std::string::npos) plus = expr.size();
    const int f = FieldNumber(expr.substr(start, plus - start));
    if (f == 0) {
      ShowTraceMessage("Error  : index key " + expr + " does not fit " + Table.path);
      AbortFlag = 1;
      Table.keyFields.clear();
      return;
    }
    Table.keyFields.push_back(f);
    start = plus + 1;
  }
  const char type = Table.wa.fields[Table.keyFields[0] - 1].type;
  Table.numericKey = Table.keyFields.size() == 1 && (type == 'N' || type == 'F');
  Table.indexPath = AddBackslash(platform::ProcessTempDir()) + std::string(indexName) + ".ndx";
  SetBusyCursor();
  BuildKeyOrder();
  SetNormalCursor();
  Table.keyed = true;
  // A new index places the table on its first key, as opening it does.
  if (!Table.order.empty()) GoOrderPos(0);
}

std::string DbfIndexPath() { return Table.indexPath; }

void FindDbfKey(std::string_view key) {
  if (!Table.open || !Table.keyed || Table.order.empty()) {
    Table.found = false;
    return;
  }
  bool found = false;
  std::size_t pos = LowerBound(key, found);
  if (!found) {
    std::string comma(key);
    std::replace(comma.begin(), comma.end(), '.', ',');
    if (comma != key) {
      bool again = false;
      const std::size_t p2 = LowerBound(comma, again);
      if (again) {
        pos = p2;
        found = true;
      }
    }
  }
  Table.found = found;
  GoOrderPos(pos);
}

void FindDbfNear(std::string_view key) {
  if (!Table.open || !Table.keyed || Table.order.empty()) return;
  bool found = false;
  const std::size_t pos = LowerBound(key, found);
  Table.found = found;
  GoOrderPos(pos);
}

bool DbfKeyFound() { return Table.found; }

int DbfFieldCount() { return Table.open ? static_cast<int>(Table.wa.fields.size()) : 0; }

std::string DbfFieldName(int n) {
  if (!Table.open || n < 1 || n > DbfFieldCount()) return {};
  return Table.wa.fields[n - 1].name.str();
}

std::string DbfFieldText(int n) {
  if (Table.eof && Table.recNo == 0) return {};
  return Trimmed(RawField(n));
}

char DbfFieldType(int n) {
  if (!Table.open || n < 1 || n > DbfFieldCount()) return 0;
  return Table.wa.fields[n - 1].type;
}

std::int32_t DbfFieldAsInteger(std::string_view name) {
  const int n = FieldNumber(name);
  return n ? TextToInt(DbfFieldText(n)) : 0;
}

namespace {

void StoreField(std::string_view name, const std::string& text, bool rightAligned) {
  if (!Table.open || Table.recNo < 1) return;
  const int n = FieldNumber(name);
  if (n == 0) {
    ShowTraceMessage("Error  : field " + std::string(name) + " not in " + Table.path);
    AbortFlag = 1;
    return;
  }
  const TDbfFieldEntry& f = Table.wa.fields[n - 1];
  std::string value = text;
  if (value.size() > f.length) {
    // A number that does not fit its field is stored as asterisks, never cut.
    value = rightAligned ? std::string(f.length, '*') : value.substr(0, f.length);
  }
  const std::size_t pad = f.length - value.size();
  value = rightAligned ? std::string(pad, ' ') + value : value + std::string(pad, ' ');
  std::copy(value.begin(), value.end(), Table.wa.recordBuffer.begin() + f.offset);
  ErrorDispatchOff quiet;
  PutDbfRecord(Table.wa, Table.recNo);
  if (TzLastError != 0) {
    ShowTraceMessage("Error  : Database #" + std::to_string(TzLastError) + " " + TakeErrorDetail());
    AbortFlag = 1;
    return;
  }
  if (Table.keyed && std::find(Table.keyFields.begin(), Table.keyFields.end(), n) != Table.keyFields.end()) {
    // The key changed: the record takes its new place in the key order.
    const std::int32_t keep = Table.recNo;
    BuildKeyOrder();
    ReadRecord(keep);
    SyncOrderPos();
  }
}

}  // namespace

void SetDbfFieldString(std::string_view name, std::string_view value) {
  StoreField(name, std::string(value), false);
}

void SetDbfFieldFloat(std::string_view name, long double value) {
  const int n = FieldNumber(name);
  const int decimals = n ? Table.wa.fields[n - 1].decimals : 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*Lf", decimals, value);
  StoreField(name, buf, true);
}

void SetDbfFieldInteger(std::string_view name, std::int64_t value) {
  StoreField(name, std::to_string(value), true);
}

void SetDbfFieldBoolean(std::string_view name, bool value) { StoreField(name, value ? "T" : "F", false); }

void SetDbfDialogCaptions(std::string_view first, std::string_view second) {
  Captions[1] = OemToAnsiText(first);
  Captions[2] = OemToAnsiText(second);
}

const std::string& DbfDialogCaption(int line) { return Captions[line == 1 ? 1 : 2]; }

void ShowDbfDialog(std::string_view closeWord, int mode) {
  if (!Table.open) {
    AbortFlag = 1;
    return;
  }
  std::int32_t chosen = Table.recNo;
  bool accepted = false;
  if (TableDialogHook) {
    accepted = TableDialogHook(closeWord, mode, chosen);
  } else {
    ShowError("The table dialog is not available: " + Table.path);
  }
  if (!Table.open || !accepted) {
    AbortFlag = 1;
    return;
  }
  if (chosen >= 1 && chosen <= Table.wa.recordCount && ReadRecord(chosen)) SyncOrderPos();
  SelectedRecordNo = Table.recNo;
  AbortFlag = 0;
}
