// One open table (TDbfWorkArea) and one of its fields (TDbfFieldEntry):
// the record that the file layer fills and the work-area layer drives.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/types.h"
#include "platform/binary_file.h"

struct TDbfFieldEntry {
  ShortString<10> name;    // upper case
  char type = 'C';         // C, D, F, L, M or N
  std::uint8_t length = 0;
  std::uint8_t decimals = 0;
  std::uint16_t offset = 0;  // in the record; the first field has offset 1
};

// User character translation of a record's text part, in place.
using TDbfTranslator = void (*)(char* text, std::size_t length);

struct TExprDescriptor;  // compiled expression, owned by the expression unit

// Work-area record. The part up to the typed record is the file part that
// the file layer fills (and CreateDbf clears).
struct TDbfWorkArea {
  // --- file part ---
  std::string fileName;              // full name, at most 255 characters
  ShortString<12> shortName;
  std::uint8_t prolog[32] = {};
  std::uint8_t level7Block[36] = {};
  bool memo = false;
  bool ignoreDeleted = false;
  std::uint16_t headerLength = 0;
  std::uint16_t recordLength = 0;
  std::uint8_t fieldCount = 0;
  std::vector<TDbfFieldEntry> fields;
  std::uint8_t fileState = 0;        // 0 closed, 1 open, 2 rewritten, 3 appended
  ShortString<8> lastUpdate;         // YYYYMMDD
  std::vector<char> recordBuffer;    // record-length bytes, text form
  // Read-ahead of consecutive raw records for tables in exclusive use.
  std::vector<char> readAhead;
  std::int32_t readAheadFirst = 0;
  std::int32_t readAheadCount = 0;
  // The read-ahead holds no byte that the code-page conversion changes.
  bool readAheadKept = false;
  std::int32_t lastRead = 0;
  // Pages of the file of a table in exclusive use that cannot be mapped,
  // kept as read and written: nobody else can change them.
  std::unordered_map<std::uint64_t, std::vector<char>> pages;
  std::size_t pageBytes = 0;
  std::int32_t recordCount = 0;
  // Inside one operation under the read semaphore the count cannot change
  // (writers wait): it is taken once, not before every move.
  bool countHeld = false;
  // Such an operation run without the read semaphore: its moves take none
  // either, and it is checked for other programs' changes at its end.
  bool unlockedRead = false;
  // The table file mapped for such reads: no system call per record.
  const volatile std::uint8_t* recordMap = nullptr;
  std::size_t recordMapLength = 0;
  // The last record read inside such an operation, as read: reading it
  // again in the same operation reads no file.
  std::int32_t heldRecord = 0;
  std::vector<char> heldBytes;
  std::int32_t recordNumber = 0;     // count + 1 after the end
  bool endFlag = false;
  bool beginFlag = false;
  unsigned openMode = 0;
  bool oem = true;                   // table text is in code page 437
  TDbfTranslator writeTranslator = nullptr;
  TDbfTranslator readTranslator = nullptr;
  platform::FileHandle file = platform::kNoFile;
  // --- virtual files ---
  std::uint8_t virtualOrdering = 0;  // 0 FIFO, 1 LIFO, 2 INSERTION, 3 ASCENDING, 4 DESCENDING
  std::int32_t virtualRecordNumber = 0;
  std::uint8_t virtualOperation = 0;
  std::uint8_t virtualStorage = 1;
  bool isVirtual = false;
  void* virtualData = nullptr;       // owned by the virtual-file unit
  // --- record part ---
  std::uint8_t* typedRecord = nullptr;
  std::size_t typedRecordSize = 0;
  std::vector<std::size_t> typedOffsets;  // of each field, index 0 = field 1
  bool typedRecordOwned = false;
  std::vector<std::uint8_t> ownedTypedRecord;
  // A field of the typed record is converted from the record text when it
  // is first read: its stamp equals typedGeneration once it is, and loading
  // a record moves the generation on. Read fields through TypedField.
  std::vector<std::uint32_t> typedStamps;
  std::uint32_t typedGeneration = 1;
  // A field the caller set since the record was loaded (MarkFieldSet): its
  // stamp equals typedGeneration, and the store writes it from its value.
  std::vector<std::uint32_t> typedSetStamps;
  std::function<bool()> filterCallback;
  TExprDescriptor* filterExpression = nullptr;
  void (*relationCallback)() = nullptr;
  ShortString<64> alias;
  std::function<bool()> whileCallback;
  TExprDescriptor* whileExpression = nullptr;
  // --- locks ---
  std::uint8_t lockState = 0;        // 0 none, 1 file, 2 append, 3 records
  std::vector<std::int32_t> lockList;  // record locks, oldest first
  std::vector<std::uint8_t> swapBuffer;
  bool exclusive = false;
  // --- optional units keep their per-table state here and free it when
  // their close hook runs ---
  void* indexData = nullptr;
  void* memoData = nullptr;

  std::uint16_t LockCount() const { return static_cast<std::uint16_t>(lockList.size()); }
};
