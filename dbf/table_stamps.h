// The stamps of the shipped tables: beside each table that the table build
// (bq4_mktables) wrote lies name.dbf.built, the fingerprints of what it wrote
// and of the source it came from. The build and the program both ask it
// whether a table is still as built or was changed since.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// FNV-1a with the length: tells a changed file from an unchanged one, nothing more.
std::string TableFingerprint(const std::string& bytes);

// The fingerprint of what a table holds: its header but for the date of the
// last update (bytes 1..3) and its records, without what follows them (the
// end-of-file byte). A file too short for its header is taken whole.
std::string TableContentPrint(const std::string& bytes);

// A table stamp as read from name.dbf.built.
struct TableStamp {
  std::string source;               // fingerprint of the source
  std::vector<std::string> tables;  // fingerprints of the tables the build put in place
  bool wholeFiles = false;          // an earlier build's stamp: fingerprints of the whole files
  std::int64_t writtenAt = -1;      // when the stamp was written, seconds since the epoch; -1 unknown

  // Whether `tableBytes` holds what the build wrote. A table stored unchanged
  // through the engine differs only in its header's date, which does not
  // count; for a stamp of whole files that date is the day the stamp was
  // written (or the day before or after).
  bool Built(const std::string& tableBytes) const;
};

extern const char kTableStampHeader[];

// Reads the stamp at `path`; false when there is none or it is damaged.
bool ReadTableStamp(const std::string& path, TableStamp& stamp);

// The bytes of a file; false when it cannot be read.
bool ReadTableBytes(const std::string& path, std::string& bytes);
