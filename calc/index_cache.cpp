#include "calc/index_cache.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <fcntl.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include "framework/file_utils.h"
#include "platform/binary_file.h"
#include "platform/file_replace.h"
#include "platform/folder_names.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace index_cache {

namespace {

// A time of a stat in the file clock's count, as the index cache has always
// keyed the modification time.
fs::file_time_type FileClockTime(const struct timespec& t) {
  using namespace std::chrono;
  return file_clock::from_sys(sys_time<nanoseconds>(seconds(t.tv_sec) + nanoseconds(t.tv_nsec)));
}

// IdentityOfStat of a file by its name; empty when it cannot be examined.
std::string TableIdentity(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? IdentityOfStat(path, st) : std::string();
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
  // Opened without waiting, and only a regular file (a FIFO never stops the run).
  platform::FileHandle fd = platform::kNoFile;
  if (platform::OpenRegularFileForReading(file, fd) != 0) return false;
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

// The mark of an index built in the cache folder beside its entry:
// "<entry>.build-<random>.ndx", and its tree "<...>.ndx.bu$" while it is built.
constexpr std::string_view kBuildMark = ".build-";
constexpr std::size_t kBuildRandom = 12;

// Whether a name in the index folder is one CreateBuildFile made, or the
// tree of one being built.
bool IsBuildName(std::string_view name) {
  if (name.ends_with(".bu$")) name.remove_suffix(4);
  if (!name.ends_with(".ndx")) return false;
  name.remove_suffix(4);
  return name.size() > kBuildMark.size() + kBuildRandom &&
         name.substr(name.size() - kBuildRandom - kBuildMark.size(), kBuildMark.size()) == kBuildMark &&
         name.substr(name.size() - kBuildRandom).find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz") ==
             std::string_view::npos;
}

// Whether a name in the index folder is that of a cache entry in place:
// "<name>-<32 hexadecimal digits>.ndx".
bool IsEntryName(std::string_view name) {
  constexpr std::size_t kHash = 32;
  if (name.size() <= kHash + 5 || !name.ends_with(".ndx")) return false;
  const std::string_view hash = name.substr(name.size() - 4 - kHash, kHash);
  return name[name.size() - 5 - kHash] == '-' && hash.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

// The contents of a table file as the index cache knows them: its full path,
// size and modification time, from its stat, and the file itself (device,
// inode) with the time of its last change in nanoseconds, which no program
// sets back: a table replaced by another of the same size and modification
// time is another. Empty when it is no regular file. `time` gets the time
// of the last change.
std::string IdentityOfStat(const std::string& path, const struct stat& st, fs::file_time_type* time) {
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

namespace {

// The canonical path of a folder, resolved once a run and kept with the
// folder it led to: while the name and the kept path both still lead to
// that folder (its device and inode), it stands.
std::string CanonicalFolder(const std::string& folder) {
  struct Resolved {
    std::string canonical;
    dev_t device;
    ino_t inode;
  };
  static std::unordered_map<std::string, Resolved> resolved;
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return {};
  auto same = [&st](const Resolved& r) { return r.device == st.st_dev && r.inode == st.st_ino; };
  if (const auto known = resolved.find(folder); known != resolved.end() && same(known->second)) {
    struct stat at {};
    if (known->second.canonical == folder ||
        (::stat(known->second.canonical.c_str(), &at) == 0 && at.st_dev == st.st_dev && at.st_ino == st.st_ino))
      return known->second.canonical;
  }
  char* real = ::realpath(folder.c_str(), nullptr);
  if (!real) return {};
  const std::string canonical(real);
  std::free(real);
  resolved[folder] = {canonical, st.st_dev, st.st_ino};
  return canonical;
}

}  // namespace

// The identity of a table as the index cache keys it: by its canonical path
// (links, "." and ".." resolved), so that every spelling of its folder and
// every link to it share one set of entries. Empty when it cannot be
// examined. A table that is no link lies where its folder's canonical path
// says; its folder is resolved once a run.
std::string CacheIdentity(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (!S_ISLNK(st.st_mode) && !name.empty() && name != "." && name != "..") {
    const std::string folder = CanonicalFolder(slash == std::string::npos ? std::string(".")
                                               : slash == 0                 ? std::string("/")
                                                                            : path.substr(0, slash));
    if (folder.empty()) return {};
    return IdentityOfStat(AddBackslash(folder) + name, st);
  }
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return {};
  const std::string canonical(real);
  std::free(real);
  return TableIdentity(canonical);
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

namespace {

// Keeps the checksum of a built entry (`built`, not yet in place as
// `cached`) with the identity of its table; false when it cannot be kept.
// Written under a locked name of its own beside it and renamed into place,
// so that no other run, in whatever process namespace, takes it for a file
// left half written (ClearLeftCacheFiles).
bool KeepChecksum(const std::string& built, const std::string& cached, const std::string& identity) {
  const std::string sum = ContentsChecksum(built);
  const std::string path = ChecksumPath(cached);
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (sum.empty()) return false;
  const std::string temporary = platform::CreateTemporaryBeside(path);
  if (temporary.empty()) return false;
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  out << sum << identity << '\n';
  out.close();
  if (!out) {
    platform::DiscardTemporary(temporary);
    return false;
  }
  return platform::CommitTemporary(temporary, path, platform::ReplaceSync::Derived);
}

}  // namespace

bool PlaceEntry(const std::string& built, const std::string& cached, const std::string& identity) {
  std::error_code ec;
  fs::create_directories(fs::path(cached).parent_path(), ec);
  if (!platform::DirectoryWritable(fs::path(cached).parent_path().string()) || !KeepChecksum(built, cached, identity))
    return false;
  // Renamed where both lie on one file system; else copied through a locked
  // temporary beside the entry, which other runs pass over while it is
  // written.
  fs::rename(built, cached, ec);
  return !ec || CopyFileReplacing(built, cached, platform::ReplaceSync::Derived);
}

std::string CreateBuildFile(const std::string& cached) {
  // Random enough that names seldom meet; O_EXCL makes sure they never do.
  thread_local std::mt19937_64 random([] {
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != sizeof seed)
      seed = static_cast<std::uint64_t>(::getpid()) << 32 ^
             static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return seed;
  }());
  static constexpr char kLetters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  const std::string stem = fs::path(cached).replace_extension().string() + std::string(kBuildMark);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = stem;
    for (std::size_t i = 0; i < kBuildRandom; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    name += ".ndx";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

// Clears away, once a run, what runs killed while they built cache entries
// left there: entries and checksums half written under a temporary name
// that no running program locks any more (or, by earlier versions, under the
// number of their process, once that process has gone), and checksums of
// entries that never came into place. A file that another program may be
// about to rename goes only when it has been left alone for minutes: a build
// takes well under that.
void ClearLeftCacheFiles(const std::string& cached) {
  static bool cleared = false;
  if (cleared) return;
  cleared = true;
  const fs::path indexes = fs::path(cached).parent_path();
  const fs::path checksums = fs::path(ChecksumPath(cached)).parent_path();
  // The folders are listed once, so that a large cache costs no call per file.
  const std::vector<std::string>& names = CacheEntryNames(indexes.string());
  const std::vector<std::string> sums = platform::FolderEntryNames(checksums.string());
  constexpr const char* kHalfBuilt = "a cache file half built by a run that has ended";
  platform::ClearLeftTemporaries(indexes.string(), names, kHalfBuilt);
  platform::ClearLeftTemporaries(checksums.string(), sums, kHalfBuilt);
  // Earlier versions built under the number of their process.
  platform::RemoveLeftProcessFiles(indexes.string(), names, {".ndx", ".ndx.bu$"}, kHalfBuilt);
  platform::RemoveLeftProcessFiles(checksums.string(), sums, {".sum"}, kHalfBuilt);
  constexpr auto kLeftAlone = std::chrono::minutes(10);
  const auto now = fs::file_time_type::clock::now();
  // Indexes built beside their entry: a running build writes its file, and
  // puts it in place a moment after.
  for (const std::string& name : names) {
    if (!IsBuildName(name)) continue;
    const fs::path file = indexes / name;
    std::error_code timeError;
    const auto changed = fs::last_write_time(file, timeError);
    if (!timeError && now - changed > kLeftAlone) platform::RemoveUnheldFile(file.string(), kHalfBuilt);
  }
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

}  // namespace index_cache
