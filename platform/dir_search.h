// Directory listings and file times for the table engine's file search, in
// place of the Windows find-first/find-next calls: each entry with the DOS
// attributes a Windows search would give it, and times in the packed DOS
// form (local time).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr std::uint8_t kAttrReadOnly = 0x01;
constexpr std::uint8_t kAttrHidden = 0x02;
constexpr std::uint8_t kAttrSystem = 0x04;
constexpr std::uint8_t kAttrVolume = 0x08;
constexpr std::uint8_t kAttrDirectory = 0x10;
constexpr std::uint8_t kAttrArchive = 0x20;

struct DirEntryInfo {
  std::string name;  // without its directory
  std::int64_t size = 0;
  std::int64_t modified = 0;  // seconds since the epoch
  std::uint8_t attributes = 0;
};

// The entries of `dir` ("." and ".." left out), in name order; a DOS-style
// code (kErrPathNotFound when the directory cannot be read), 0 on success.
// A name starting with "." is hidden; one without write permission is
// read-only; a regular file carries the archive attribute; a special file
// counts as a system file.
int ListDirectory(const std::string& dir, std::vector<DirEntryInfo>& entries);

// Seconds since the epoch as a packed DOS date and time in local time
// (years before 1980 give 1980-01-01 00:00).
std::uint32_t PackedDosTime(std::int64_t seconds);

}  // namespace platform
