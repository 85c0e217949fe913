// BLOB streams: one memo of the selected work area as a positioned byte
// stream, read or written in pieces. The descriptor lives in the work
// area's memo state; the dataset layer's BLOB stream class is built on it.
#pragma once

#include <cstdint>

// Starts reading (mode 1) or writing (mode 2) memo `block`. Returns the
// memo's block: for writing the new group at the end of the file, negated
// in dBASE III memo files (a BLOB stored with a group header). 0 on failure.
std::int32_t CreateBlobDescriptor(bool autoText, std::int32_t block, std::uint8_t mode);
// Finishes the stream: a written BLOB gets its group header.
void DestroyBlobDescriptor();
std::int32_t ReadBlobStream(void* buffer, std::int32_t count);
std::int32_t WriteBlobStream(const void* buffer, std::int32_t count);
// origin 0 from the start, 1 from the current position, 2 from the end.
std::int32_t SeekBlobStream(std::int32_t offset, int origin);
