// Index files (".ndx"): B-trees of 512-byte blocks that order a table by a
// key. Build, attach, controlling order, search and moves in key order,
// key maintenance on append, replace and pack, and the semaphore files
// through which several programs share the indexes of one table.
// IndexInit fills the index hooks of the work-area layer; IndexExit closes
// every work area's indexes at the engine's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A user key maker: returns the key text of the current record.
using TKeyMaker = void (*)(std::uint32_t data, std::uint8_t openNumber, std::string& key);

extern bool IndexExact;            // exact switch: whole-key matches only
extern bool IndexFound;            // result of the last Find, FindNear or key move
extern bool IndexUniqueSwitch;     // every new index is UNIQUE
extern bool IndexFlushSwitch;      // flush index files after anchor writes
extern std::uint16_t SemaphoreTimeout;  // seconds a writer waits; 0 = no end
extern std::string SemaphoreDirectory;  // empty: beside the table
// Retries, 10 ms apart, of the lock on the semaphore record, and no longer
// than they take on an idle machine (1000: about 10 seconds).
extern std::uint16_t SemaphoreRegionRetries;
// The last program out leaves the semaphore file in place instead of
// deleting it, so that runs that open and close tables often (the batch
// modes) neither create nor delete a file per index attach. Programs that
// keep it and programs that delete it may share a table.
extern bool KeepSemaphoreFiles;
extern std::size_t IndexCacheNodes;     // nodes each index keeps in memory, least recently used out first

void IndexInit();
void IndexExit();

bool ExactOn();   // returns the previous setting
bool ExactOff();

// Bytes of keys a build sorts in memory; beyond them it sorts runs into a
// temporary file and merges them.
extern std::size_t IndexSortMemory;
// Progress of a build: `routine` runs `steps` times over the read and the
// write phase (none: nullptr).
using TIndexProgress = void (*)();
void SetIndexProgress(TIndexProgress routine, int steps);

void MakeIndex(const std::string& fileName, const std::string& expression, bool soundex,
               std::uint8_t openNumber, bool unique, bool descending, TKeyMaker maker,
               std::uint32_t makerData);
void MakeIndexOptions(const std::string& expression, const std::string& options);
void MakeIndexCB(const std::string& options, TKeyMaker maker, std::uint32_t makerData);

bool SetIndexTo(const std::string& nameAndOptions, int n, TKeyMaker maker = nullptr,
                std::uint32_t makerData = 0);
bool Set_Index_To(const std::string& name, int n);
// SetIndexTo and Set_Index_To of one file by its whole name, which may hold
// blanks and words that would read as options.
bool SetIndexFile(const std::string& fileName, int n);
bool Set_Index_To_LFN(const std::string& fileName, int n);
bool Set_Index_ToCB(const std::string& name, int n, TKeyMaker maker, std::uint32_t makerData);
void SetIndexList(const std::string& names);
void Set_Order_To(int n);
void Index_On(const std::string& expression, const std::string& nameAndOptions);
void Index_OnCB(const std::string& nameAndOptions, TKeyMaker maker, std::uint32_t makerData);
int CurrentOrder();

// Positions on the first record whose key equals `key` (a prefix match for
// character keys while the exact switch is off). Not found: after the end.
bool Find(const std::string& key);
// As Find, but stays on the next greater key when not found.
bool FindNear(const std::string& key);

struct TIndexInfo {
  std::string expression;
  std::uint8_t keyLength = 0;
  char type = ' ';
  std::uint8_t unique = 0;
  std::string tableName;
  std::int32_t recordCount = -1;
};
bool IndexInfo(const std::string& fileName, TIndexInfo& info);
std::int32_t IndexRecCount(const std::string& fileName);
// IndexRecCount of the selected table's controlling index, read from the
// file it has open; -1 without one.
std::int32_t ControllingIndexRecCount();

void CloseIndex(int slot);
void CloseIndexes();
void Reindex();
void AppendNewKey();
void CompareKeys();

// Semaphore actions.
enum TSemaphoreAction { kLogin = 0, kLogout, kIncRead, kDecRead, kLockSemaphore, kUnlockSemaphore };
void HandleSemafore(int action);
void SetReadSemaphoreProc(bool on);
void SetLockSemaphoreProc(bool on);
// The semaphore file name of a table.
std::string SemaphoreFileName(const std::string& tableName);
// The change counter of the selected table's shared indexes while no writer
// is at work: what was read from the table between two equal stamps is
// whole and stays current while the stamp stands. False when there is no
// stamp to go by (no shared indexes, or a writer at work).
bool IndexChangeStamp(std::uint16_t& stamp);
