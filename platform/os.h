// Operating-system services in place of the Windows API: ticks, sleeps,
// environment, temporary names and the program's directories.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Milliseconds on a monotonic clock; wraps like a 32-bit tick count.
std::uint32_t TickCount();
void SleepMs(std::uint32_t ms);

// Value of an environment variable, empty when it is not set.
std::string GetEnvironment(const std::string& name);

// A directory of this process alone under $TMPDIR, "bq4-<pid>-XXXXXX" (made on
// first use, removed at exit), so that two running instances never share a
// temporary file. The process holds a lock inside it while it lives: it is
// made as "bq4-<pid>-new-XXXXXX" and gets its name once its lock is held, so
// that no run that clears killed runs' folders ever finds it unlocked.
const std::string& ProcessTempDir();

// True when path lies inside ProcessTempDir() (once it exists): a scratch
// file of this process alone, which no other program reads and which goes
// with the folder, so it is written in place, without the care an output
// of the user's needs.
bool InProcessTempDir(std::string_view path);

// A new unique file name inside ProcessTempDir() with the given prefix.
std::string TempFileName(const std::string& prefix);

// Removes from folder (default: $TMPDIR, else /tmp) the temporary directories
// that this user's programs left when they were killed: named as
// ProcessTempDir() names them, owned by this user, and held by no running
// program: a run holds the lock of a file inside its folder for its whole
// life, so this works across process namespaces and clock steps. A folder
// without that file (an earlier version's) goes when its process has ended
// (no process of that number runs, or the one that does started after the
// folder last changed); where the system cannot tell when a process
// started, once nothing in it changed for `quiet` seconds. A folder that a
// killed run was still making ("bq4-<pid>-new-XXXXXX") goes once its lock is
// free and nothing in it changed for a minute. Never this process's own.
// Each one removed is named on stderr; returns how many.
int RemoveLeftTempDirs(const std::string& folder = {}, long quiet = 3600);

// What became of a file that a run which has ended left behind.
enum class LeftFile {
  Removed,  // removed, and named on stderr
  Kept,     // another program holds it open or under its flock, or opened it
            // while it was examined: left in place, and named on stderr
  Skipped,  // gone, not this user's regular file, or locked by a program
            // writing it (a running program's, or one that another run is
            // clearing at this moment): left in place without a word
};

// Removes the file that a run which has ended left at path, and names it on
// stderr as `what`, when no other program holds it: no lock (OFD or
// classic) conflicts with a lock on the whole file, none holds its flock,
// and a write lease on it can be had and is still unbroken when the name
// goes, which the system grants only while no other descriptor of the file
// is open. Another program that opens it while it is examined (a backup, an
// indexer, another run clearing the same leftovers) waits for a moment and
// is never answered with a signal; a file still held after a few tries is
// kept. Where the file system gives no leases, a file that nobody locks
// counts as free once untouched for an hour.
LeftFile RemoveUnheldFile(const std::string& path, const char* what);

// The lock a running program holds on an output temporary it writes (OFD,
// for writing, from byte 0 over every byte but the last an offset names): a
// shape of its own, so that a run clearing leftovers passes over another
// run's temporary in silence, while a file another program locks is named.
inline constexpr std::int64_t kWriterTemporaryLockLength = INT64_MAX;

// Names on stderr a file or folder that this run removed though another
// program made it: "bq4: removed <path>, <what>".
void NameRemovedFile(const std::string& path, const char* what);

// Names on stderr a file that this run would have removed, left in place as
// another program holds it: "bq4: kept <path>, <what>, held by another program".
void NameKeptFile(const std::string& path, const char* what);

// Removes from folder the files that this user's programs were writing when
// they were killed: named "<name>.<pid><extension>" (as ".1234.ndx"), with
// one of the extensions given, the folder listed once; their
// process ended as for RemoveLeftTempDirs. Never this process's own, nor one
// that another program holds (RemoveUnheldFile). Each one removed or kept is
// named on stderr as `what`. Returns how many were removed.
int RemoveLeftProcessFiles(const std::string& folder, std::initializer_list<std::string_view> extensions,
                           const char* what, long quiet = 3600);
// The same among the names of the folder's entries as listed already.
int RemoveLeftProcessFiles(const std::string& folder, const std::vector<std::string>& names,
                           std::initializer_list<std::string_view> extensions, const char* what, long quiet = 3600);

// $BQ4_CONFIG_DIR, else $XDG_CONFIG_HOME/bq4, else ~/.config/bq4 (created on demand).
std::string ConfigDirectory();

// $BQ4_CACHE_DIR, else $XDG_CACHE_HOME/bq4, else ~/.cache/bq4 (created on
// demand): files that the program can always build again.
std::string CacheDirectory();

// $BQ4_USER_DATA_DIR, else $XDG_DATA_HOME/bq4, else ~/.local/share/bq4
// (created on demand): files of this user that the program keeps, such as
// an edited copy of a shipped data file.
std::string UserDataDirectory();

// The directory of the running executable.
std::string ExecutableDirectory();

// A write beyond the file-size limit (ulimit -f) fails like a full disk
// (EFBIG), reported as a write error, instead of killing the program
// (SIGXFSZ) with the temporary file left behind. Kept by the programs it
// starts.
void FailWritesBeyondFileSizeLimit();

// The data directory beside the executable (build tree) or share/bq4 when
// installed; $BQ4_DATA_DIR overrides both.
std::string DataDirectory();

std::string CurrentDirectory();

// Memory freed is kept for the next allocations instead of going back to
// the system at once: a run that handles many projects one after another
// would otherwise return and ask for the same pages for each.
void KeepFreedMemory();

// A file open for writing that takes every write and keeps nothing, with no
// file behind it; closed with fclose.
std::FILE* OpenDiscardingFile();

// True when new files can be made in the directory (empty: the current one):
// it exists and this process may write and search it; a read-only file system
// says no. Asks the system instead of creating a test file.
bool DirectoryWritable(const std::string& dir);

// True when no display is available (tests, CI, batch runs).
bool IsHeadless();

}  // namespace platform
