// The per-user index cache: indexes built on a table are kept in the cache
// folder (platform::CacheDirectory), one entry per table contents and key,
// each with a checksum beside it, and read in place by later runs. Here: the
// identity of a table as the cache keys it, where its entries live, their
// checksums, and the clearing of entries that can no longer be used.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace index_cache {

// The contents of a table file as the cache knows them, from its stat: full
// path, size, modification time, the file (device, inode) and the time of its
// last change. Empty when it is no regular file. `time` gets the time of the
// last change.
std::string IdentityOfStat(const std::string& path, const struct stat& st,
                           std::filesystem::file_time_type* time = nullptr);
// The identity of a table by its canonical path, as the cache keys it, so
// that every spelling of its folder and every link to it share one set of
// entries. Empty when it cannot be examined.
std::string CacheIdentity(const std::string& path);
// The cache entry of the index of these contents (CacheIdentity) on this key.
std::string CachedIndexPath(const std::string& identity, const std::string& keyExpression,
                            std::string_view indexName);

// True when the cache entry holds the bytes its checksum was taken of; false
// for one damaged or without a checksum, which is then built afresh.
bool EntryIsWhole(const std::string& cached);
// Puts the index a run built in a folder of its own (`built`) in place as
// the entry `cached`, its checksum with the table's identity first: an
// entry in place always has one. False when the cache cannot keep it;
// `built` may then be gone (renamed, its checksum not kept).
bool PlaceEntry(const std::string& built, const std::string& cached, const std::string& identity);

// A new file beside the cache entry `cached`, for an index built there when
// the run's own folder cannot take it: made with O_EXCL under a random name
// ("<entry>.build-<random>.ndx"), which no other run holds, in whatever
// process namespace it runs. Empty when none can be made.
std::string CreateBuildFile(const std::string& cached);

// Clears away, once a run, the files that killed runs left half built in the
// cache folder of `cached`, and checksums without their entry.
void ClearLeftCacheFiles(const std::string& cached);
// Removes the entries of the same table and key that `cached`, the entry in
// use, superseded: once a run, and again after each build (`built`).
void RemoveSupersededEntries(const std::string& cached, bool built);
// Removes the entries in the folder whose table is no longer the file they
// were built of.
void RemoveEntriesOfChangedTables(const std::string& folder);

}  // namespace index_cache
