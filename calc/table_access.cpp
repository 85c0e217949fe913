#include "calc/table_access.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

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
#include "platform/file_replace.h"
#include "platform/folder_names.h"
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

// A time of a stat in the file clock's count, as the index cache has always
// keyed the modification time.
fs::file_time_type FileClockTime(const struct timespec& t) {
  using namespace std::chrono;
  return file_clock::from_sys(sys_time<nanoseconds>(seconds(t.tv_sec) + nanoseconds(t.tv_nsec)));
}

// The contents of a table file as the index cache knows them: its full path,
// size and modification time, from its stat, and the file itself (device,
// inode) with the time of its last change in nanoseconds, which no program
// sets back: a table replaced by another of the same size and modification
// time is another. Empty when it is no regular file. `time` gets the time
// of the last change.
std::string IdentityOfStat(const std::string& path, const struct stat& st, fs::file_time_type* time = nullptr) {
  if (!S_ISREG(st.st_mode)) return {};
  std::error_code ec;
  const fs::path full = fs::absolute(path, ec);
  if (ec) return {};
  const fs::file_time_type changed = FileClockTime(st.st_ctim);
  if (time) *time = changed;
  return full.string() + '\n' + std::to_string(st.st_size) + '\n' +
         std::to_string(FileClockTime(st.st_mtim).time_since_epoch().count()) + '\n' + std::to_string(st.st_dev) + ':' +
         std::to_string(st.st_ino) + '\n' + std::to_string(changed.time_since_epoch().count());
}

// The same of a file by its name; empty when it cannot be examined.
std::string TableIdentity(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? IdentityOfStat(path, st) : std::string();
}

// The identity of a table as the index cache keys it: by its canonical path
// (links, "." and ".." resolved), so that every spelling of its folder and
// every link to it share one set of entries. Empty when it cannot be
// examined.
std::string CacheIdentity(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return {};
  const std::string canonical(real);
  std::free(real);
  return TableIdentity(canonical);
}

// The path of a table within its identity: all but its last four lines.
std::string_view PathOfIdentity(std::string_view identity) {
  std::size_t end = identity.size();
  for (int line = 0; line < 4 && end != std::string_view::npos && end > 0; ++line) end = identity.rfind('\n', end - 1);
  return end == std::string_view::npos || end == 0 ? std::string_view() : identity.substr(0, end);
}

// FNV-1a of the bytes, 64 bits, as 16 hexadecimal digits.
std::string Fnv1aHex(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

// Where the index of these contents on this key lives in the per-user cache:
// the index name, a hash of the table's path and key, which every entry of
// that table on that key shares, and a hash of identity and key.
std::string CachedIndexPath(const std::string& identity, const std::string& keyExpression,
                            std::string_view indexName) {
  std::string name;
  for (char c : indexName)
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') name.push_back(c);
  const std::string path = identity.substr(0, identity.find('\n'));
  return AddBackslash(platform::CacheDirectory()) + "indexes/" + name + "-" +
         Fnv1aHex(path + '\n' + keyExpression + "\nndx 1") + Fnv1aHex(identity + '\n' + keyExpression + "\nndx 1") +
         ".ndx";
}

// The checksum of a cache entry, taken when it was built, lives in a file of
// its own beside the index folder (the entry stays an index file as other
// programs read it): the entry's size and the hash of its bytes on its
// first line, then the identity of the table it was built of.
std::string ChecksumPath(const std::string& cached) {
  // <cache>/indexes/<name>.ndx gives <cache>/index-checksums/<name>.sum; by
  // plain text, as this is asked at every attach.
  const std::size_t slash = cached.rfind('/');
  const std::string_view file = slash == std::string::npos ? std::string_view(cached)
                                                           : std::string_view(cached).substr(slash + 1);
  const std::size_t dot = file.rfind('.');
  const std::string_view stem = dot == std::string_view::npos || dot == 0 ? file : file.substr(0, dot);
  std::string root;
  if (slash != std::string::npos && slash > 0) {
    const std::size_t up = cached.rfind('/', slash - 1);
    if (up != std::string::npos) root = cached.substr(0, up + 1);
  }
  return root + "index-checksums/" + std::string(stem) + ".sum";
}

// A file's bytes; false when it cannot be read. By its descriptor, as
// the first stream of a run would cost more than the reading.
// `opened` gets the stat of the file read.
bool ReadWhole(const std::string& file, std::string& bytes, struct stat* opened = nullptr) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (opened) *opened = st;
  bytes.clear();
  if (read) {
    // Up to the size it has when opened: cache files are put in place whole.
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    for (;;) {
      if (have == bytes.size()) bytes.resize(have + 16384);
      const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        read = n == 0;
        break;
      }
      have += static_cast<std::size_t>(n);
      if (have == static_cast<std::size_t>(st.st_size) && st.st_size > 0) break;
    }
    bytes.resize(have);
  }
  ::close(fd);
  return read;
}

// The checksum text of a file's bytes; empty when it cannot be read.
std::string ContentsChecksum(const std::string& file, struct stat* opened = nullptr) {
  std::string bytes;
  if (!ReadWhole(file, bytes, opened)) return {};
  return std::to_string(bytes.size()) + ' ' + Fnv1aHex(bytes) + '\n';
}

// True when the cache entry holds the bytes its checksum was taken of. An
// entry damaged inside may still look like an index and answer wrongly: it
// is built afresh, as is one without a checksum.
// An entry found whole is known by its file and its last change, and not
// read again while they stand: entries are replaced by a rename (another
// file), and a change in place moves the change time. One changed within the
// last second is read every time, as the clock may not have moved on for
// the change after it.
bool EntryIsWhole(const std::string& cached) {
  static std::unordered_map<std::string, std::string> foundWhole;
  auto stampOf = [](const struct stat& st) {
    return std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_size) + ':' +
           std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec) + ':' +
           std::to_string(st.st_ctim.tv_sec) + '.' + std::to_string(st.st_ctim.tv_nsec);
  };
  struct stat st {};
  const auto known = foundWhole.find(cached);
  if (known != foundWhole.end() && ::stat(cached.c_str(), &st) == 0 && known->second == stampOf(st)) return true;
  // The stamp is that of the very file read.
  const std::string sum = ContentsChecksum(cached, &st);
  std::string stored;
  if (sum.empty() || !ReadWhole(ChecksumPath(cached), stored) || stored.compare(0, sum.size(), sum) != 0) return false;
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  if (now.tv_sec > st.st_ctim.tv_sec + 1) foundWhole[cached] = stampOf(st);
  return true;
}

// Keeps the checksum of a built entry, with the identity of its table,
// before the entry is put in place, written whole (a temporary file
// renamed); false when it cannot be kept.
bool KeepChecksum(const std::string& built, const std::string& cached, const std::string& identity) {
  const std::string sum = ContentsChecksum(built);
  const std::string path = ChecksumPath(cached);
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (sum.empty()) return false;
  // Named for this process, as the entry is while it is built, so that what
  // a killed run leaves is known as such (ClearLeftCacheFiles).
  const std::string temporary = (fs::path(path).replace_extension(std::to_string(::getpid()) + ".sum")).string();
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  out << sum << identity << '\n';
  out.close();
  if (!out) {
    fs::remove(temporary, ec);
    return false;
  }
  return platform::CommitTemporary(temporary, path, platform::ReplaceSync::Derived);
}

// The names in the folder of the cache entries, listed once a run.
const std::vector<std::string>& CacheEntryNames(const std::string& folder) {
  static std::string listed;
  static std::vector<std::string> names;
  if (listed != folder) {
    names = platform::FolderEntryNames(folder);
    listed = folder;
  }
  return names;
}

// Clears away, once a run, what runs killed while they built cache entries
// left there: entries and checksums half written under the name of their
// process, once that process has gone (two programs building at once never
// lose a file they are writing), and checksums of entries that never came
// into place. A file that another program may be about to rename goes only
// when it has been left alone for minutes: a build takes well under that.
void ClearLeftCacheFiles(const std::string& cached) {
  static bool cleared = false;
  if (cleared) return;
  cleared = true;
  const fs::path indexes = fs::path(cached).parent_path();
  const fs::path checksums = fs::path(ChecksumPath(cached)).parent_path();
  // An entry is built as its tree (".ndx.bu$"), then put in place.
  // The folders are listed once, so that a large cache costs no call per file.
  const std::vector<std::string>& names = CacheEntryNames(indexes.string());
  const std::vector<std::string> sums = platform::FolderEntryNames(checksums.string());
  constexpr const char* kHalfBuilt = "a cache file half built by a run that has ended";
  platform::RemoveLeftProcessFiles(indexes.string(), names, {".ndx", ".ndx.bu$"}, kHalfBuilt);
  platform::RemoveLeftProcessFiles(checksums.string(), sums, {".sum"}, kHalfBuilt);
  constexpr auto kLeftAlone = std::chrono::minutes(10);
  const auto now = fs::file_time_type::clock::now();
  const std::unordered_set<std::string> entries(names.begin(), names.end());
  for (const std::string& name : sums) {
    // A checksum without its entry, or a temporary of an earlier version.
    const std::string_view n(name);
    const bool sum = n.size() > 4 && n.substr(n.size() - 4) == ".sum";
    const std::string_view stem = sum ? n.substr(0, n.size() - 4) : n;
    const bool orphan = sum && stem.find('.') == std::string_view::npos &&
                        !entries.count(std::string(stem) + ".ndx");
    const bool temporary = name.find(".sum.~") != std::string::npos;
    if (!orphan && !temporary) continue;
    const fs::path file = checksums / name;
    std::error_code timeError;
    const auto changed = fs::last_write_time(file, timeError);
    if (!timeError && now - changed > kLeftAlone && fs::remove(file, timeError))
      platform::NameRemovedFile(file.string(), orphan ? "an index cache checksum without its entry"
                                                      : "a temporary file left by a run that has ended");
  }
}

// An entry another run may hold open is left alone: its lock on the whole
// file is taken for the removal, which every open index's share lock holds
// off. The checksum goes first, so that a run finding the entry without it
// builds afresh. Each file removed is named on stderr, the entry as `what`.
void RemoveUnusedEntry(const std::string& entry, const char* what) {
  const int fd = ::open(entry.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
      ::fcntl(fd, F_OFD_SETLK, &whole) == 0) {
    std::error_code ec;
    const std::string checksum = ChecksumPath(entry);
    if (fs::remove(checksum, ec)) platform::NameRemovedFile(checksum, "the checksum of an index cache entry removed");
    if (::unlink(entry.c_str()) == 0) platform::NameRemovedFile(entry, what);
  }
  ::close(fd);
}

// Every chmod, link or rename of a table gives it another identity, and its
// indexes new entries: those of the same table and key that the entry in use
// superseded are removed, so that the cache holds one set per table. Looked
// for once a run in the run's listing of the cache, and after each build.
void RemoveSupersededEntries(const std::string& cached, bool built) {
  static std::unordered_set<std::string> swept;
  const std::size_t slash = cached.rfind('/');
  const std::string folder = cached.substr(0, slash);
  const std::string file = cached.substr(slash + 1);
  // "<name>-<table and key><identity>.ndx": the group is all but the identity.
  constexpr std::size_t kTail = 16 + 4;
  if (file.size() <= kTail + 17) return;
  if (!swept.insert(cached.substr(0, cached.size() - kTail)).second && !built) return;
  const std::string group = file.substr(0, file.size() - kTail);
  const std::vector<std::string> fresh = built ? platform::FolderEntryNames(folder) : std::vector<std::string>();
  for (const std::string& name : built ? fresh : CacheEntryNames(folder))
    if (name.size() == file.size() && name != file && name.compare(0, group.size(), group) == 0 &&
        name.compare(name.size() - 4, 4, ".ndx") == 0 &&
        name.find_first_not_of("0123456789abcdef", group.size()) == name.size() - 4)
      RemoveUnusedEntry(folder + "/" + name, "an index cache entry superseded by a change of its table");
}

// Whether a name in the index folder is that of a cache entry in place:
// "<name>-<32 hexadecimal digits>.ndx".
bool IsEntryName(std::string_view name) {
  constexpr std::size_t kHash = 32;
  if (name.size() <= kHash + 5 || !name.ends_with(".ndx")) return false;
  const std::string_view hash = name.substr(name.size() - 4 - kHash, kHash);
  return name[name.size() - 5 - kHash] == '-' && hash.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// Removes the entries whose table is no longer the file they were built of,
// as their checksum names it: the table changed, was replaced or removed,
// or moved with its folder. None of them can be used again, as an entry is
// found by the identity of its table. Entries whose checksum does not name
// their table (an earlier version's) are left to RemoveSupersededEntries.
// After each build, which may have superseded some: the cache holds entries
// of tables that are there.
void RemoveEntriesOfChangedTables(const std::string& folder) {
  std::string stored;
  for (const std::string& name : platform::FolderEntryNames(folder)) {
    if (!IsEntryName(name)) continue;
    const std::string entry = folder + "/" + name;
    if (!ReadWhole(ChecksumPath(entry), stored)) continue;
    const std::size_t line = stored.find('\n');
    if (line == std::string::npos || stored.size() < line + 2 || stored.back() != '\n') continue;
    const std::string identity = stored.substr(line + 1, stored.size() - line - 2);
    const std::string_view path = PathOfIdentity(identity);
    if (!path.empty() && TableIdentity(std::string(path)) != identity)
      RemoveUnusedEntry(entry, "an index cache entry of a table that has changed or is gone");
  }
}

// Where an index of this run alone lives: in the process's temporary directory.
std::string PrivateIndexPath() {
  return AddBackslash(platform::ProcessTempDir()) + Table.indexName + ".ndx";
}

// Attaches the index file (with ".ndx") as the table's active index; a cache
// entry read-only and shared, so that this run can never change it.
bool AttachIndex(const std::string& file, bool readOnly) {
  const unsigned saved = OpenModeOverride;
  if (readOnly) OpenModeOverride = platform::kOpenRead | platform::kShareDenyNone;
  Dialog().SetIndexTo(file.substr(0, file.size() - 4));
  OpenModeOverride = saved;
  return !AbortFlag;
}

// Runs a dataset operation without a message box: empty when it worked, else
// the engine's message, for a caller that has another way to go.
std::string RunQuietly(const std::function<void()>& op) {
  RaiseEngineErrors raise;
  try {
    op();
    return {};
  } catch (const std::exception& e) {
    return *e.what() ? e.what() : "table engine error";
  }
}

// Attaches a cache entry read-only and quietly; false (and not attached)
// when it is missing or damaged: its bytes are not those its checksum was
// taken of, it cannot be opened, or its header counts other records than the
// table holds.
bool AttachCachedIndex(const std::string& file) {
  if (!EntryIsWhole(file)) return false;
  const unsigned saved = OpenModeOverride;
  OpenModeOverride = platform::kOpenRead | platform::kShareDenyNone;
  std::string failure = RunQuietly([&] { Data().SetIndexTo(ShortPathName(file)); });
  OpenModeOverride = saved;
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
      for (const TDbfFieldEntry& f : wa->fields) Table.fieldRanges.emplace_back(f.offset, f.length);
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
  if (ec || !AttachIndex(Table.indexPath, false)) {
    AbortFlag = 0;
    Dialog().IndexOn(Table.indexKey, Table.indexPath);
    if (AbortFlag) return;
    AttachIndex(Table.indexPath, false);
  }
  if (recNo >= 1 && recNo <= Dialog().RecordCount()) Dialog().Go(recNo);
}

// Builds the index on the key: in the cache when the entry can be kept there,
// else (a full or unwritable cache folder) in the temporary directory; a
// failure there too is the table's failure. Built under a name of this
// process and renamed into place, so that another program never reads half
// a file.
bool BuildIndex(const std::string& expr, const std::string& identity, const std::string& cached) {
  std::error_code ec;
  if (!cached.empty()) {
    fs::create_directories(fs::path(cached).parent_path(), ec);
    if (platform::DirectoryWritable(fs::path(cached).parent_path().string())) {
      const std::string built = fs::path(cached).replace_extension(std::to_string(::getpid()) + ".ndx").string();
      const std::string failure = RunQuietly([&] { Data().IndexOn(expr, built); });
      // Kept only when the table did not change while it was indexed, with
      // its checksum kept first: an entry in place always has one.
      if (failure.empty() && CacheIdentity(Table.source) == identity && KeepChecksum(built, cached, identity)) {
        fs::rename(built, cached, ec);
        // Attached quietly: another run may replace the entry at this moment
        // with its own build of the same contents.
        if (!ec && AttachCachedIndex(cached)) {
          Table.indexPath = cached;
          Table.indexShared = true;
          return true;
        }
        AbortFlag = 0;
      }
      fs::remove(built, ec);
    }
  }
  Table.indexPath = PrivateIndexPath();
  const std::string failure = RunQuietly([&] { Data().IndexOn(expr, Table.indexPath); });
  if (!failure.empty()) {
    fs::remove(Table.indexPath, ec);
    Table.indexPath.clear();
    FailTable("Error  : " + Table.path + " cannot be indexed: " + failure);
    return false;
  }
  return AttachIndex(Table.indexPath, false);
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
  std::string identity = found ? IdentityOfStat(path, st, &time) : std::string();
  if (identity.empty() || time + std::chrono::seconds(1) >= fs::file_time_type::clock::now()) return {};
  return identity;
}

bool DbfTableExists(std::string_view tableName) {
  struct stat st {};
  bool found = false;
  const std::string path = StatTablePath(tableName, st, found);
  return found && S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK) == 0;
}

void OpenDbfTable(std::string_view tableName) {
  CloseQuietly();  // one table at a time, also when this one fails
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
  const std::string identity = Table.written ? std::string() : CacheIdentity(Table.source);
  const std::string cached = identity.empty() ? std::string() : CachedIndexPath(identity, expr, indexName);
  // None, or damaged: built afresh below and renamed over it. It is not
  // removed first: another run may have just put its own build there.
  if (!cached.empty()) {
    ClearLeftCacheFiles(cached);
    if (AttachCachedIndex(cached)) {
      Table.indexPath = cached;
      Table.indexShared = true;
    }
  }
  const bool built = !Table.indexShared;
  if (built && !BuildIndex(expr, identity, cached)) return;
  if (Table.indexShared) RemoveSupersededEntries(cached, built);
  if (Table.indexShared && built) RemoveEntriesOfChangedTables(fs::path(cached).parent_path().string());
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

void CheckDbfNumber(int n, Extended value, const TInputRange* range, bool whole) {
  if (AbortFlag || !IsOpen()) return;
  const std::string text = DbfFieldText(n);
  Extended parsed = 0;
  std::string what;
  if (!text.empty() && !TryTextToFloat(text, parsed)) what = "\"" + text + "\" is no number";
  else if (range && value != 0 && !InRange(*range, value)) what = text + " is out of range";
  else if (whole && !(std::fabs(value) <= kWholeFieldLimit)) what = text + " is out of range";
  if (what.empty()) return;
  FailTable("Error  : " + Table.source + ": row " + std::to_string(DbfRecNo()) + ", field " + DbfFieldName(n) + ": " +
            what);
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
