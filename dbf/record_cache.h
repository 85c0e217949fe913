// Direct file operations on the selected work area that bypass the record
// buffer: text search over the whole table, Peek and Poke of one field of
// any record, and the read-ahead cache that serves Peek.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/work_area.h"

extern std::uint16_t CacheSize;            // wanted cache size in bytes; 0 = none
extern void (*SearchCallback)();
extern std::uint8_t SearchFoundField;
extern bool SearchAccept;

void InitRecordCache();

// Finds `text` (ignoring case) in the records; `field` restricts the search
// on entry (0: all fields) and holds the field of the hit on return (0: not
// found). The work area stands on the found record, or where it was.
void Search(const std::string& text, std::uint8_t& field, bool fromTop);
void Peek(int field, std::int32_t record, std::string& result);
// The whole of a record as stored (delete flag and every field), in one
// read; empty outside 1..count.
void PeekRecord(std::int32_t record, std::string& result);
void Poke(const std::string& value, int field, std::int32_t record);

// Copies the record buffer into the cache when the record is cached.
void UpdateCache(const TDbfWorkArea& wa);
// Drops the cache when it holds records of `alias`.
void DropRecordCache(const std::string& alias);
