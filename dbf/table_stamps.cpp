#include "dbf/table_stamps.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "framework/file_values.h"

const char kTableStampHeader[] = "bq4_mktables stamp 3";

namespace {

const char kWholeFileStampHeader[] = "bq4_mktables stamp 2";

// No table of dBASE's reaches 2 GB: a larger file is no table.
constexpr std::size_t kLargestTable = std::size_t{1} << 31;

std::string Content(const std::string& bytes) {
  if (bytes.size() < 32) return bytes;
  const auto u = [&](std::size_t at, int n) {
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
  };
  const std::uint64_t header = u(8, 2), end = header + u(4, 4) * u(10, 2);
  if (header < 32 || header > bytes.size()) return bytes;
  std::string content = bytes.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(end, bytes.size())));
  content[1] = content[2] = content[3] = 0;
  return content;
}

bool Listed(const std::vector<std::string>& prints, const std::string& print) {
  return std::find(prints.begin(), prints.end(), print) != prints.end();
}

}  // namespace

std::string TableFingerprint(const std::string& bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%016llx-%zu", static_cast<unsigned long long>(h), bytes.size());
  return buf;
}

std::string TableContentPrint(const std::string& bytes) { return TableFingerprint(Content(bytes)); }

bool TableStamp::Built(const std::string& tableBytes) const {
  if (!wholeFiles) return Listed(tables, TableContentPrint(tableBytes));
  if (Listed(tables, TableFingerprint(tableBytes))) return true;
  // The earlier build wrote its day into the header, and a store since wrote
  // the day of the store: the table as built had the stamp's day.
  if (tableBytes.size() < 32 || writtenAt < 0) return false;
  std::string asBuilt = tableBytes;
  for (int day = -1; day <= 1; ++day) {
    const std::time_t at = static_cast<std::time_t>(writtenAt + day * 86400LL);
    const std::tm* local = std::localtime(&at);
    if (!local) continue;
    asBuilt[1] = static_cast<char>(local->tm_year);
    asBuilt[2] = static_cast<char>(local->tm_mon + 1);
    asBuilt[3] = static_cast<char>(local->tm_mday);
    if (Listed(tables, TableFingerprint(asBuilt))) return true;
  }
  return false;
}

bool ReadTableStamp(const std::string& path, TableStamp& stamp) {
  std::vector<std::string> lines;
  std::string error;
  if (!LoadTextLines(path, lines, error, kLargestTextFile) || lines.size() < 2 ||
      (lines[0] != kTableStampHeader && lines[0] != kWholeFileStampHeader))
    return false;
  stamp.source = lines[1];
  stamp.wholeFiles = lines[0] == kWholeFileStampHeader;
  for (std::size_t i = 2; i < lines.size(); ++i)
    if (!lines[i].empty()) stamp.tables.push_back(lines[i]);
  std::error_code ec;
  const auto written = std::filesystem::last_write_time(path, ec);
  if (!ec)
    stamp.writtenAt = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::file_clock::to_sys(written).time_since_epoch())
                          .count();
  return !stamp.tables.empty();
}

bool ReadTableBytes(const std::string& path, std::string& bytes) {
  std::string error;
  return LoadTextBytes(path, bytes, error, kLargestTable);
}
