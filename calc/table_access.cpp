#include "calc/table_access.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <functional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "calc/index_cache.h"
#include "dbf/dbf4.h"
#include "dbf/datasets.h"
#include "dbf/dbf_file.h"
#include "dbf/work_areas.h"
#include "dbf/errors.h"
#include "dbf/ndx_index.h"
#include "dbf/record_cache.h"
#include "dbf/runtime.h"
#include "framework/calc_messages.h"
#include "framework/charset.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/message_box.h"
#include "framework/number_format.h"
#include "platform/binary_file.h"
#include "platform/dialogs.h"
#include "platform/os.h"

namespace fs = std::filesystem;

TableDialogFunction TableDialogHook;

namespace {

// The one open table lives in the table dialog's dataset; this layer keeps
// its name and the state of the last search.
struct OpenTable {
  bool open = false;
  std::string path;
  std::string source;    // the table file whose contents `path` holds (a copy's original)
  bool written = false;  // a record was written since the table was opened
  std::string indexPath;
  // While the table is only read, the index is the cache entry itself, opened
  // read-only: its key expression and name for the private copy taken before
  // the first write.
  bool indexShared = false;
  std::string indexKey;
  std::string indexName;
  bool found = false;
  // The current record as last read whole, its fields served from here:
  // kept until the table moves or is written, and, on shared indexes, while
  // their change counter stands where it stood at the read.
  struct Row {
    bool read = false;
    std::int32_t recNo = 0;
    std::string bytes;
    bool stamped = false;
    std::uint16_t stamp = 0;
  } row;
  std::vector<std::pair<std::size_t, std::size_t>> fieldRanges;  // offset, length; from field 1
  std::string fieldTypes;                                         // the type letters, from field 1
  // The indexes' read lock, held while a run without dialogs reads the
  // table. Given up by hand (ReleaseTable), never with the program's static
  // objects, when the engine may be gone already.
  IndexReadScope* held = nullptr;
};

OpenTable Table;

void ForgetRow() { Table.row.read = false; }

// Gives up the read lock before the table is written, shown or closed.
void ReleaseTable() {
  delete Table.held;
  Table.held = nullptr;
}
std::string Captions[3];

// The table is open while the dialog's dataset still holds it: the dialog
// may have been freed at program end or given another table meanwhile.
bool IsOpen() {
  return Table.open && dbf4 && dbf4->tzdbf.Active() && dbf4->Label_filename == Table.path;
}

Tdbf4& Dialog() {
  CreateTableDialog();
  return *dbf4;
}

TTzDbf& Data() { return Dialog().tzdbf; }

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
  if (!IsOpen()) return 0;
  const std::string key = UpperName(name);
  const int n = Dialog().FieldCount();
  for (int i = 1; i <= n; ++i)
    if (UpperName(Dialog().FieldName(static_cast<Byte>(i))) == key) return i;
  return 0;
}

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

// Stores a pending field write, so that reads and searches see it.
void PostEdit() {
  ForgetRow();
  if (IsOpen()) RunReportingErrors([] { Data().CheckBrowseMode(); });
}

void FailTable(const std::string& text, bool shown = true);

// True when the file is a table the engine can open; else shows the
// engine's error code and sets AbortFlag.
bool CheckTableFile(const std::string& path) {
  TDbfWorkArea wa;
  wa.fileName = path;
  // Read-only and shared: another program may hold the table open.
  wa.openMode = platform::kOpenRead | platform::kShareDenyNone;
  ErrorDispatchOff quiet;
  OpenDbf(wa);
  if (TzLastError != 0) {
    const std::uint16_t code = TzLastError;
    TzLastError = 0;
    FailTable("Error  : DBF Error " + std::to_string(code) + " " + TakeErrorDetail());
    return false;
  }
  CloseDbf(wa);
  TzLastError = 0;
  return true;
}

void CloseQuietly() {
  ReleaseTable();
  if (IsOpen()) {
    const Byte abort = AbortFlag;
    dbf4->CloseTable();
    AbortFlag = abort;
  }
  Table = OpenTable{};
}

// The table dialog on the open table, starting on record recNo; headless runs
// answer it from the dialog script, batch runs answer Cancel.
bool PickInTableDialog(std::string_view closeWord, int mode, std::int32_t& recNo) {
  Tdbf4& d = Dialog();
  d.SetCaptions(Captions[1], Captions[2]);
  if (recNo >= 1 && recNo <= d.RecordCount()) d.Go(recNo);
  AbortFlag = 0;
  LastDialogKey = 0;
  d.ShowTable(std::string(closeWord), mode);
  const bool accepted = AbortFlag == 0 && LastDialogKey == 13;
  if (accepted) recNo = SelectedRecordNo;
  return accepted;
}

// Where an index of this run alone lives: in the process's temporary directory.
std::string PrivateIndexPath() {
  return AddBackslash(platform::ProcessTempDir()) + Table.indexName + ".ndx";
}

// Whether the last failure of RunQuietly was a lock on the table's index
// semaphore that another program held past the engine's wait (a run that
// is stopped, say): no other way round helps, as every index of the table
// needs that lock.
bool QuietFailureHeld = false;

// Runs a dataset operation without a message box: empty when it worked, else
// the engine's message, for a caller that has another way to go.
std::string RunQuietly(const std::function<void()>& op) {
  RaiseEngineErrors raise;
  QuietFailureHeld = false;
  try {
    op();
    return {};
  } catch (const std::exception& e) {
    QuietFailureHeld = TzLastError == 1202;
    return *e.what() ? e.what() : "table engine error";
  }
}

// Attaches an index file of this run (with ".ndx") as the table's active
// index, by its whole name; empty when it worked, else the engine's message.
std::string AttachOwnIndex(const std::string& file) {
  return RunQuietly([&] { Data().SetIndexToFile(file); });
}

// The table could not be indexed: the run must not go on without its index.
bool FailIndex(const std::string& failure) {
  Table.indexPath.clear();
  FailTable("Error  : " + Table.path + " cannot be indexed: " + failure);
  return false;
}

// Attaches a cache entry read-only and quietly; false (and not attached)
// when it is missing or damaged: its bytes are not those its checksum was
// taken of, it cannot be opened, or its header counts other records than the
// table holds. `held` (when given) gets the engine's message when the
// table's semaphore was held by another program throughout.
bool AttachCachedIndex(const std::string& file, std::string* held = nullptr) {
  if (!index_cache::EntryIsWhole(file)) return false;
  const unsigned saved = OpenModeOverride;
  OpenModeOverride = platform::kOpenRead | platform::kShareDenyNone;
  std::string failure = RunQuietly([&] { Data().SetIndexToFile(file); });
  OpenModeOverride = saved;
  if (!failure.empty() && held && QuietFailureHeld) *held = failure;
  if (!failure.empty()) return false;
  std::int32_t indexed = -1;
  failure = RunQuietly([&] { indexed = Data().ControllingIndexRecCount(); });
  if (failure.empty() && (indexed < 0 || indexed == Dialog().RecordCount())) return true;
  RunQuietly([&] { Data().SetIndexTo(""); });
  return false;
}

std::string TableFailureText;
std::uint32_t Notices = 0;

// The current record whole, read once: a record read between two equal
// change stamps is whole, and stays the stored one while the stamp stands
// (every writer of shared indexes moves it). Without a stamp it is kept
// until the table moves or is written.
const OpenTable::Row& CurrentRow() {
  OpenTable::Row& row = Table.row;
  const std::int32_t recNo = Data().RecNo();
  std::uint16_t now = 0;
  if (row.read && row.recNo == recNo && (!row.stamped || (Data().ChangeStamp(now) && now == row.stamp))) return row;
  row = OpenTable::Row{};
  row.recNo = recNo;
  bool whole = false;
  RunReportingErrors([&] {
    // A writer that finished meanwhile may have changed it: read again.
    for (int attempt = 0; attempt < 100 && !whole; ++attempt) {
      row.stamped = Data().ChangeStamp(row.stamp);
      row.bytes = Data().PeekRecord(recNo);
      whole = !row.stamped || (Data().ChangeStamp(now) && now == row.stamp);
    }
    const TDbfWorkArea* wa = SelectedWorkArea();
    if (Table.fieldRanges.empty() && wa) {
      for (const TDbfFieldEntry& f : wa->fields) {
        Table.fieldRanges.emplace_back(f.offset, f.length);
        Table.fieldTypes += f.type;
      }
    }
  });
  // A record that never stood still is served once, not kept.
  row.read = whole;
  return row;
}

// A table this run needs could not be opened, indexed or read: shown (unless
// the caller gives its own message), kept for the batch modes
// (TableFailure), AbortFlag set.
void FailTable(const std::string& text, bool shown) {
  // The engine's texts may break their lines: one line here.
  std::string line;
  for (const char c : text)
    if (c != '\r') line += c == '\n' ? ' ' : c;
  if (TableFailureText.empty()) TableFailureText = line;
  ++Notices;
  if (shown) ShowTraceMessage(line);
  AbortFlag = 1;
}

// Before the first write of the table: an index read from the cache is
// replaced by a private copy (built afresh when the entry has gone), so that
// this run's writes never reach the cache. The current record stays.
void BeforeWrite() {
  ForgetRow();
  ReleaseTable();
  Table.written = true;
  if (!Table.indexShared) return;
  Table.indexShared = false;
  const std::int32_t recNo = Dialog().RecNo();
  const std::string cached = Table.indexPath;
  Table.indexPath = PrivateIndexPath();
  std::error_code ec;
  fs::copy_file(cached, Table.indexPath, fs::copy_options::overwrite_existing, ec);
  if (ec || !AttachOwnIndex(Table.indexPath).empty()) {
    AbortFlag = 0;
    const std::string failure = RunQuietly([&] { Data().IndexOn(Table.indexKey, Table.indexPath); });
    if (!failure.empty()) {
      FailIndex(failure);
      return;
    }
  }
  if (recNo >= 1 && recNo <= Dialog().RecordCount()) Dialog().Go(recNo);
}

// Builds the index on the key in the run's own temporary folder, which no
// other run clears while this one lives (whatever process namespace either
// runs in), and puts it in the cache when the entry can be kept there; else
// (a full or unwritable cache folder) it is used where it was built. Where
// the run's folder cannot take it (a full temporary file system, say), it is
// built in the cache folder under a name of its own (CreateBuildFile). A
// failure of both is the table's failure.
bool BuildIndex(const std::string& expr, const std::string& identity, const std::string& cached) {
  std::error_code ec;
  const auto buildAt = [&](const std::string& path) { return RunQuietly([&] { Data().IndexOn(expr, path); }); };
  // Kept only when the table did not change while it was indexed. Attached
  // quietly: another run may replace the entry at this moment with its own
  // build of the same contents.
  const auto share = [&](const std::string& built) {
    if (cached.empty() || index_cache::CacheIdentity(Table.source) != identity ||
        !index_cache::PlaceEntry(built, cached, identity))
      return false;
    if (AttachCachedIndex(cached)) {
      fs::remove(built, ec);
      Table.indexPath = cached;
      Table.indexShared = true;
      return true;
    }
    AbortFlag = 0;
    return false;
  };
  const std::string own = PrivateIndexPath();
  std::string failure = buildAt(own);
  if (!failure.empty() && QuietFailureHeld) {
    fs::remove(own, ec);
    return FailIndex(failure);
  }
  if (failure.empty() && share(own)) return true;
  // Put in the cache but not to be attached there, it is built once more.
  if (failure.empty() && !fs::exists(own, ec)) failure = buildAt(own);
  if (failure.empty()) failure = AttachOwnIndex(own);
  if (failure.empty()) {
    Table.indexPath = own;
    return true;
  }
  fs::remove(own, ec);
  if (!cached.empty()) fs::create_directories(fs::path(cached).parent_path(), ec);
  if (!cached.empty() && platform::DirectoryWritable(fs::path(cached).parent_path().string())) {
    const std::string built = index_cache::CreateBuildFile(cached);
    if (!built.empty() && buildAt(built).empty() && share(built)) return true;
    if (!built.empty()) fs::remove(built, ec);
  }
  return FailIndex(failure);
}

// The file of a table of the table directory (a name without "." gets
// ".dbf"), whatever the case of its name, with its stat (`found` false when
// there is none): a name that exists as written takes that one stat.
std::string StatTablePath(std::string_view tableName, struct stat& st, bool& found) {
  std::string name(tableName);
  if (name.find('.') == std::string::npos) name += ".dbf";
  const std::string written = AddBackslash(DbfDir) + name;
  found = ::stat(written.c_str(), &st) == 0;
  if (found) return written;
  const std::string path = FindExistingFile(written);
  found = path != written && ::stat(path.c_str(), &st) == 0;
  return path;
}

// Opens the table file at the path as found (no search for its case);
// `source` is the table whose contents it holds (a copy's original).
void OpenFoundTable(const std::string& path, const std::string& source);

// How the header of an opened table disagrees with its records, empty when
// it does not: each field has a length and together they fill the record
// after its deletion flag; the field list's end mark (0x0D) stands where the
// header says, followed by nothing but zeros (padding, a back link); every
// record starts with its deletion flag. A header that is off by a byte
// would shift every field of every record.
std::string LayoutDamage(const TDbfWorkArea& wa) {
  if (wa.isVirtual || wa.file == platform::kNoFile) return {};
  std::size_t filled = 1;
  for (const TDbfFieldEntry& f : wa.fields) {
    if (f.length == 0) return "field " + f.name.str() + " has no length";
    filled += f.length;
  }
  if (filled != wa.recordLength)
    return "its fields fill " + std::to_string(filled) + " bytes of a record, its header says " +
           std::to_string(wa.recordLength);
  const std::uint8_t version = wa.prolog[0];
  const bool dbase3Layout = version != 2 && version != 4 && version != 0x8C;
  std::size_t got = 0;
  if (dbase3Layout) {
    const std::size_t end = 32 + 32 * wa.fields.size();
    std::string header(wa.headerLength, '\0');
    if (wa.headerLength <= end || platform::ReadAt(wa.file, 0, header.data(), header.size(), got) != 0 ||
        got != header.size() || header[end] != '\x0D' ||
        header.find_first_not_of('\0', end + 1) != std::string::npos)
      return "its header is " + std::to_string(wa.headerLength) + " bytes long, its field list ends at byte " +
             std::to_string(end + 1);
  }
  // The deletion flags, a block of records at a time.
  constexpr std::int64_t kBlock = 1 << 16;
  std::string block;
  for (std::int64_t first = 0; first < wa.recordCount; first += kBlock / wa.recordLength + 1) {
    const std::int64_t count = std::min<std::int64_t>(wa.recordCount - first, kBlock / wa.recordLength + 1);
    block.resize(static_cast<std::size_t>(count * wa.recordLength));
    if (platform::ReadAt(wa.file, static_cast<std::uint64_t>(wa.headerLength + first * wa.recordLength), block.data(),
                         block.size(), got) != 0 || got != block.size())
      return "its records cannot be read";
    for (std::int64_t r = 0; r < count; ++r) {
      const char flag = block[static_cast<std::size_t>(r * wa.recordLength)];
      if (flag != ' ' && flag != '*')
        return "record " + std::to_string(first + r + 1) + " does not start where its header says";
    }
  }
  return {};
}

}  // namespace

// ---------------------------------------------------------------------------

const std::string& TableFailure() { return TableFailureText; }

void ReportMissingRow(std::string_view text) {
  const Byte abort = AbortFlag;
  FailTable("Error  : " + Table.source + ": " + std::string(text), false);
  AbortFlag = abort;
  ShowTraceMessage(text);
}
std::uint32_t TableNotices() { return Notices; }
void ClearTableFailure() { TableFailureText.clear(); }

void InitTableAccess() {
  CloseQuietly();
  TableFailureText.clear();
  Captions[1].clear();
  Captions[2].clear();
  TableDialogHook = PickInTableDialog;
}

std::string DbfTableIdentity(std::string_view tableName) {
  struct stat st {};
  bool found = false;
  const std::string path = StatTablePath(tableName, st, found);
  fs::file_time_type time;
  std::string identity = found ? index_cache::IdentityOfStat(path, st, &time) : std::string();
  if (identity.empty() || time + std::chrono::seconds(1) >= fs::file_time_type::clock::now()) return {};
  return identity;
}

bool DbfTableExists(std::string_view tableName) {
  struct stat st {};
  bool found = false;
  const std::string path = StatTablePath(tableName, st, found);
  return found && S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK) == 0;
}

namespace {

// A run without dialogs whose project lacks a table already ends with that
// table named: no table after it is tried, each of which could keep it
// waiting as long again (its semaphore held by a stopped run, say).
bool TablesGivenUp() {
  if (!platform::BatchMode() || TableFailureText.empty()) return false;
  AbortFlag = 1;
  return true;
}

}  // namespace

void OpenDbfTable(std::string_view tableName) {
  CloseQuietly();  // one table at a time, also when this one fails
  if (TablesGivenUp()) return;
  struct stat st {};
  bool found = false;
  const std::string path = StatTablePath(tableName, st, found);
  // One check for reading and writing; the shown message of a file that
  // cannot be read. A readable one is opened once, by the engine.
  const bool readWrite = ::access(path.c_str(), R_OK | W_OK) == 0;
  if (!readWrite && ::access(path.c_str(), R_OK) != 0) {
    OpenTextForRead(path);
    if (AbortFlag || ::access(path.c_str(), R_OK) != 0) {
      AbortFlag = 1;
      if (TableFailureText.empty()) TableFailureText = "file " + path + " not found or no access !";
      return;
    }
  }
  std::string chosen = path;
  // The table's folder holds the file just found: a folder, so one check.
  const std::string dir = DbfDir.empty() ? "." : DbfDir;
  // The file's own write permission, which the superuser's access check
  // would pass by.
  const bool ownerMayWrite = found && (st.st_mode & S_IWUSR) != 0;
  if (!readWrite || !ownerMayWrite || ::access(dir.c_str(), W_OK | X_OK) != 0) {
    chosen = CopyToTemp(path);
    if (chosen.empty()) chosen = path;  // opened as it is; writes will fail with a message
  }
  // A copy holds the original's contents: the index cache knows it by the original.
  OpenFoundTable(chosen, path);
}

void OpenDbfFile(const std::string& path) {
  CloseQuietly();
  if (TablesGivenUp()) return;
  const std::string found = FindFileAnyCase(DefaultExtension(path, "dbf"));
  OpenFoundTable(found, found);
}

namespace {

void OpenFoundTable(const std::string& path, const std::string& source) {
  CloseQuietly();
  std::string failure;
  if (!Dialog().OpenTableQuietly(path, failure)) {
    // The engine's error code, as a check of the file alone words it.
    if (CheckTableFile(path)) FailTable("Error  : " + path + ": " + (failure.empty() ? "cannot be opened" : failure));
    AbortFlag = 1;
    return;
  }
  Table.open = true;
  Table.path = Dialog().Label_filename;
  Table.source = source;
  // A table cut short would serve its last rows, or none, for the rows it
  // lost, and one whose header disagrees with its records shifted fields:
  // refused, named as damaged, and closed.
  std::int64_t counted = 0, held = 0;
  const TDbfWorkArea* wa = WorkAreas[Data().WorkArea()].get();
  std::string damage = wa ? LayoutDamage(*wa) : std::string();
  if (damage.empty() && wa && !FileHoldsCountedRecords(*wa, counted, held))
    damage = "its header counts " + std::to_string(counted) + " records, the file holds " + std::to_string(held);
  if (!damage.empty()) {
    CloseQuietly();
    FailTable("Error  : " + source + " is damaged: " + damage);
  }
}

}  // namespace

void CloseDbfTable() { CloseQuietly(); }

bool DbfTableOpen() { return IsOpen(); }

std::string DbfTablePath() { return Table.path; }

void GotoDbfRecord(std::int32_t n) {
  ForgetRow();
  if (!IsOpen()) return;
  const std::int32_t count = Dialog().RecordCount();
  if (n > count) {
    // Never another row in its place: the table stays where it is, and the
    // row readers read nothing while AbortFlag is set.
    const std::string missing = "DBF #" + std::to_string(n) + " not found.";
    AddErrorMessage(missing);
    FailTable("Error  : " + Table.source + ": " + missing, false);
    return;
  }
  if (n < 1) n = 1;
  if (count < 1) return;
  Dialog().Go(n);
}

void DbfFirst() {
  ForgetRow();
  if (IsOpen()) Dialog().First();
}

void DbfNext() {
  ForgetRow();
  if (!IsOpen() || Dialog().Eof()) return;
  RunReportingErrors([] { Data().Next(); });
}

bool DbfEof() { return !IsOpen() || Dialog().Eof(); }

std::int32_t DbfRecNo() { return IsOpen() ? Dialog().RecNo() : 0; }

std::int32_t DbfRecordCount() { return IsOpen() ? Dialog().RecordCount() : 0; }

void AppendDbfBlank() {
  ForgetRow();
  if (!IsOpen()) return;
  BeforeWrite();
  Dialog().AppendBlank();
}

void IndexDbfOn(std::string_view keyExpression, std::string_view indexName) {
  ForgetRow();
  ReleaseTable();
  if (!IsOpen()) return;
  const std::string expr(keyExpression);
  for (std::size_t start = 0; start <= expr.size();) {
    std::size_t plus = expr.find('+', start);
    if (plus == std::string::npos) plus = expr.size();
    if (FieldNumber(expr.substr(start, plus - start)) == 0) {
      FailTable("Error  : index key " + expr + " does not fit " + Table.path);
      return;
    }
    start = plus + 1;
  }
  Table.indexShared = false;
  Table.indexKey = expr;
  Table.indexName = std::string(indexName);
  // An index built before on the same contents is read from the per-user
  // cache in place; the first write takes a private copy (BeforeWrite). A
  // table written since it was opened is indexed afresh in the temporary
  // directory.
  const std::string identity = Table.written ? std::string() : index_cache::CacheIdentity(Table.source);
  const std::string cached = identity.empty() ? std::string() : index_cache::CachedIndexPath(identity, expr, indexName);
  // None, or damaged: built afresh below and renamed over it. It is not
  // removed first: another run may have just put its own build there.
  if (!cached.empty()) {
    index_cache::ClearLeftCacheFiles(cached);
    std::string held;
    if (AttachCachedIndex(cached, &held)) {
      Table.indexPath = cached;
      Table.indexShared = true;
    } else if (!held.empty()) {
      FailIndex(held);
      return;
    }
  }
  const bool built = !Table.indexShared;
  if (built && !BuildIndex(expr, identity, cached)) return;
  if (Table.indexShared) index_cache::RemoveSupersededEntries(cached, built);
  if (Table.indexShared && built) index_cache::RemoveEntriesOfChangedTables(fs::path(cached).parent_path().string());
  if (platform::BatchMode()) RunReportingErrors([&] { Table.held = Data().HoldIndexesForReading().release(); });
  // A new index places the table on its first key, as opening it does.
  Dialog().First();
}

std::string DbfIndexPath() { return Table.indexPath; }

void FindDbfKey(std::string_view key) {
  ForgetRow();
  Table.found = false;
  if (!IsOpen() || Table.indexPath.empty()) return;
  Dialog().FindKey(std::string(key));
  Table.found = Dialog().KeyFound();
  // Not found: the search stops at the next greater key.
  if (!Table.found) Dialog().FindNear(std::string(key));
}

void FindDbfNear(std::string_view key) {
  ForgetRow();
  if (!IsOpen() || Table.indexPath.empty()) return;
  Dialog().FindNear(std::string(key));
  Table.found = Dialog().KeyFound();
}

bool DbfKeyFound() { return Table.found; }

int DbfFieldCount() { return IsOpen() ? Dialog().FieldCount() : 0; }

std::string DbfFieldName(int n) {
  if (!IsOpen() || n < 1 || n > DbfFieldCount()) return {};
  return Dialog().FieldName(static_cast<Byte>(n));
}

std::string DbfFieldText(int n) {
  if (!IsOpen() || n < 1) return {};
  const OpenTable::Row& row = CurrentRow();
  if (static_cast<std::size_t>(n) > Table.fieldRanges.size()) return {};
  const auto [offset, length] = Table.fieldRanges[static_cast<std::size_t>(n) - 1];
  if (offset + length > row.bytes.size()) return {};
  return Trimmed(row.bytes.substr(offset, length));
}

char DbfFieldType(int n) {
  if (!IsOpen() || n < 1 || n > DbfFieldCount()) return 0;
  char type = 0;
  RunReportingErrors([&] {
    Data().FieldLen(n);  // selects the table's work area
    type = FieldType(n);
  });
  return type;
}

namespace {

// Fails the table, naming it and field n, when the field is of a kind that
// holds no number (number) or no text: a memo field's record holds a block
// number, a date or logical field no number. The row is read first.
bool WrongFieldKind(int n, bool number) {
  if (n < 1 || static_cast<std::size_t>(n) > Table.fieldTypes.size()) return false;
  const char type = Table.fieldTypes[static_cast<std::size_t>(n) - 1];
  const char* kind = type == 'M' ? "a memo field" : type == 'D' ? "a date field" : type == 'L' ? "a logical field" : "";
  if (!*kind || (!number && type != 'M')) return false;
  FailTable("Error  : " + Table.source + ": field " + DbfFieldName(n) + " is " + kind + ", not a " +
            (number ? "number" : "text") + " field");
  return true;
}

}  // namespace

void CheckDbfText(int n) {
  if (AbortFlag || !IsOpen()) return;
  DbfFieldText(n);  // reads the row, and with it the fields' types
  WrongFieldKind(n, false);
}

void CheckDbfNumber(int n, Extended value, const TInputRange* range, bool whole) {
  if (AbortFlag || !IsOpen()) return;
  const std::string text = DbfFieldText(n);
  if (WrongFieldKind(n, true)) return;
  long double parsed = 0;
  const TStoredRead read = ReadStoredNumber(text, parsed);
  std::string what;
  // Read as the table engine reads a stored text ("18,00" is 18).
  if (read == TStoredRead::NoNumber || read == TStoredRead::OutOfRange) what = StoredNumberFault(text, read);
  else if (range && value != 0 && !InRange(*range, value)) what = text + " is out of range";
  else if (whole && !(std::fabs(value) <= kWholeFieldLimit)) what = text + " is out of range";
  if (what.empty()) return;
  FailTable("Error  : " + Table.source + ": row " + std::to_string(DbfRecNo()) + ", field " + DbfFieldName(n) + ": " +
            what);
}

void CheckRowNumbers() {
  for (int n = 1; n <= DbfFieldCount() && !AbortFlag && IsOpen(); ++n) {
    const char type = DbfFieldType(n);
    if (type != 'N' && type != 'F') continue;
    const std::string text = DbfFieldText(n);
    long double value = 0;
    const TStoredRead read = ReadStoredNumber(text, value);
    if (read == TStoredRead::Number || read == TStoredRead::Blank) continue;
    FailTable("Error  : " + Table.source + ": row " + std::to_string(DbfRecNo()) + ", field " + DbfFieldName(n) + ": " +
              StoredNumberFault(text, read));
  }
}

std::int32_t DbfFieldAsInteger(std::string_view name) {
  if (!IsOpen() || FieldNumber(name) == 0) return 0;
  return Dialog().FieldAsInteger(std::string(name));
}

namespace {

// The field or a message with AbortFlag; false when there is nothing to write.
bool WritableField(std::string_view name) {
  if (!IsOpen() || Dialog().RecordCount() < 1) return false;
  if (FieldNumber(name) != 0) {
    BeforeWrite();
    return !AbortFlag;
  }
  ShowTraceMessage("Error  : field " + std::string(name) + " not in " + Table.path);
  AbortFlag = 1;
  return false;
}

}  // namespace

void SetDbfFieldString(std::string_view name, std::string_view value) {
  if (!WritableField(name)) return;
  Dialog().SetFieldString(std::string(name), std::string(value));
  PostEdit();
}

void SetDbfFieldFloat(std::string_view name, long double value) {
  if (!WritableField(name)) return;
  Dialog().SetFieldFloat(std::string(name), value);
  PostEdit();
}

void SetDbfFieldInteger(std::string_view name, std::int64_t value) {
  if (!WritableField(name)) return;
  Dialog().SetFieldInteger(std::string(name), static_cast<std::int32_t>(value));
  PostEdit();
}

void SetDbfFieldBoolean(std::string_view name, bool value) {
  if (!WritableField(name)) return;
  Dialog().SetFieldBoolean(std::string(name), value);
  PostEdit();
}

void SetDbfDialogCaptions(std::string_view first, std::string_view second) {
  Captions[1] = OemToAnsiText(first);
  Captions[2] = OemToAnsiText(second);
}

const std::string& DbfDialogCaption(int line) { return Captions[line == 1 ? 1 : 2]; }

void ShowDbfDialog(std::string_view closeWord, int mode) {
  ForgetRow();
  ReleaseTable();
  if (!IsOpen()) {
    AbortFlag = 1;
    return;
  }
  std::int32_t chosen = DbfRecNo();
  bool accepted = false;
  // Only picking leaves the records as they are.
  if (mode != 1) BeforeWrite();
  if (TableDialogHook) {
    accepted = TableDialogHook(closeWord, mode, chosen);
  } else {
    ShowError("The table dialog is not available: " + Table.path);
  }
  if (!IsOpen() || !accepted) {
    AbortFlag = 1;
    return;
  }
  if (chosen >= 1 && chosen <= DbfRecordCount()) Dialog().Go(chosen);
  SelectedRecordNo = DbfRecNo();
  AbortFlag = 0;
}
