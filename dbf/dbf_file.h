// The file layer of the table engine: the dBASE table file on disk.
// Opens a table and reads its header into a work area, reads and writes
// records by number, writes delete flags, keeps the header up to date,
// creates tables and their empty memo files, and translates record text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dbf/work_area.h"

extern std::uint8_t ExtraVersionByte1;
extern std::uint8_t ExtraVersionByte2;
extern std::uint8_t CreateVersionByte;  // for new tables with memo fields
extern std::uint16_t MemoBlockSize;
extern bool FlushAfterWrite;
extern bool FixRecordCount;             // record count from the file size
extern unsigned DefaultFileMode;        // the process-wide file-open mode

void InitDbfFile();

enum class TranslateDirection { AfterRead, BeforeWrite };

void OpenDbf(TDbfWorkArea& wa);
void GetDbfRecord(TDbfWorkArea& wa, std::int32_t n);
void PutDbfRecord(TDbfWorkArea& wa, std::int32_t n);
void AppendDbfRecord(TDbfWorkArea& wa);
void DeleteRecallFlag(TDbfWorkArea& wa, std::int32_t n);
void UpdateHeader(TDbfWorkArea& wa);
void CloseDbf(TDbfWorkArea& wa);
void FlushDbfFile(TDbfWorkArea& wa);
// `entries` give name, type, length and decimals of each field.
void CreateDbf(TDbfWorkArea& wa, const std::string& fileName, int fieldCount,
               const TDbfFieldEntry* entries);
bool ValidVersionByte(std::uint8_t b);
std::string MemoExtension(std::uint8_t versionByte);
void CreateMemoFile(const std::string& fileName, std::uint8_t versionByte, std::uint16_t blockSize,
                    const std::string& label);
void TranslateRecord(TranslateDirection direction, bool oem, TDbfTranslator translator,
                     std::size_t total, std::size_t recordLength, char* buffer);

std::uint32_t SwapLong(std::uint32_t v);
std::uint16_t SwapWord(std::uint16_t v);
bool IsDbase2(std::uint8_t versionByte);
bool IsLevel7(std::uint8_t versionByte);

// Forgets the read-ahead records (after any write to the table file).
void DropReadAhead(TDbfWorkArea& wa);
// Unmaps the table file mapped for reads without the read lock.
void DropRecordMap(TDbfWorkArea& wa);

// Offset of record n (from 1) in the file.
inline std::uint64_t RecordOffset(const TDbfWorkArea& wa, std::int32_t n) {
  return wa.headerLength + static_cast<std::uint64_t>(n - 1) * wa.recordLength;
}
// Records held by the file after the header, from its size.
std::int32_t RecordCountFromSize(const TDbfWorkArea& wa);
// False when the file does not hold whole every record that its header
// counted when the table was opened: the table was cut short. `counted` and
// `held` get both numbers. A file longer than its header says is not
// damaged: a program appending writes its records before it counts them.
bool FileHoldsCountedRecords(const TDbfWorkArea& wa, std::int64_t& counted, std::int64_t& held);

// A number field's stored text as the number it holds, as ReadStoredNumber
// reads it. False for "*"s, blanks alone and any other text.
bool StoredNumber(std::string_view text, double& value);
