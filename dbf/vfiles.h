// Virtual files: work areas whose records live in memory, in a doubly
// linked list, opened with Use and the " VIRTUAL FILE" or " LINKED LIST"
// clause. The unit installs the work-area layer's virtual-file hook and
// adds stack and queue verbs, sorted insertion by a key function, a
// structure without a file, sorting, and writing to and reading from a
// DBF file.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/work_area.h"

// Insertion modes, in the work area's ordering byte.
enum LStatusType : std::uint8_t { FIFO = 0, LIFO = 1, INSERTION = 2, ASCENDING = 3, DESCENDING = 4 };

// Key of the record in the work area's record buffer; keys are compared
// byte by byte over at most 100 characters.
using TVFileKeyMaker = std::string (*)(void* argument);

// Operation codes beyond the work-area layer's TVFileOperation.
constexpr std::uint8_t kVfPop = 6;
constexpr std::uint8_t kVfPush = 7;
constexpr std::uint8_t kVfRemove = 10;
constexpr std::uint8_t kVfFree = 12;

// Start values; installs the virtual-file hook.
void InitVFiles();

// The hook itself: performs wa.virtualOperation on the list.
void VFileOperation(TDbfWorkArea& wa);

// Named operations on the selected work area, which must be a virtual file.
// Defines the fields: M becomes N(10,0), D gets length 8, L length 1.
void AddStru(const TDbfFieldEntry* fields, int count);
void PushRec();
void PopRec();
void SnipRec();
void Set_VFileKey_To(TVFileKeyMaker keyMaker, void* argument);
std::uint8_t Get_VFileMode();
void Set_VFileMode_To(std::uint8_t mode);
void SortVFile(std::uint8_t mode);

// Writes the records of the selected virtual file into the DBF file
// `fileName` (created from its fields; an existing file is replaced only
// when the new one is complete). Deleted records are left out when
// `skipDeleted`. With `showProgress` and 100 records or more a progress
// window "Writing to disk..." moves every hundredth. Returns the number of
// records written, -1 on failure.
std::int32_t WriteVFileToDisk(const std::string& fileName, bool skipDeleted, bool showProgress = false);
// Appends the records of the DBF file `fileName` to the selected virtual
// file; a virtual file without fields takes the file's. Returns the
// number of records read, -1 on failure. Progress: "Reading from disk...".
std::int32_t ReadVFileFromDisk(const std::string& fileName, bool skipDeleted, bool showProgress = false);
