#include "dbf/runtime.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "dbf/errors.h"
#include "framework/file_utils.h"
#include "platform/binary_file.h"
#include "platform/dir_search.h"
#include "platform/os.h"

namespace fs = std::filesystem;

// ---- files ---------------------------------------------------------------

void SplitPath(std::string_view path, std::string& dir, std::string& name, std::string& ext) {
  std::size_t slash = path.find_last_of('/');
  std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  dir = std::string(path.substr(0, start));
  std::string_view file = path.substr(start);
  std::size_t dot = file.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) {
    name = std::string(file.substr(0, 64));
    ext.clear();
  } else {
    name = std::string(file.substr(0, std::min<std::size_t>(dot, 64)));
    ext = std::string(file.substr(dot, 64));
  }
}

std::string StripExtension(std::string_view name) {
  std::string dir, base, ext;
  SplitPath(name, dir, base, ext);
  return dir + base;
}

// ".." goes up from where the path before it leads, through its links, as
// the kernel takes it; the other parts stay as written.
std::string FullPath(std::string_view name) {
  if (name.empty()) return std::string();
  std::error_code ec;
  const fs::path p = fs::absolute(fs::path(std::string(name)), ec);
  if (ec) return std::string(name);
  fs::path up;
  for (const fs::path& part : p) {
    if (part != "..") {
      up /= part;
      continue;
    }
    const fs::path real = fs::canonical(up, ec);
    up = (ec ? up.lexically_normal() : real).parent_path();
  }
  return up.lexically_normal().string();
}

std::string DefaultExtension(std::string_view name, std::string_view ext) {
  std::string dir, base, e;
  SplitPath(name, dir, base, e);
  if (!e.empty()) return std::string(name);
  return dir + TzTrimRight(base) + "." + std::string(ext.substr(0, 64));
}

std::string ForceExtension(std::string_view name, std::string_view ext) {
  return StripExtension(name) + "." + std::string(ext);
}

std::string ShortPathName(std::string_view name) { return FullPath(name); }

bool TzFileExists(std::string_view name) { return platform::FileExists(std::string(name)); }

bool FileDatedToday(std::string_view name) {
  platform::FileHandle h = platform::kNoFile;
  std::string n(name);
  int rc = platform::OpenFile(n, platform::kOpenReadWrite | platform::kShareDenyNone, h);
  if (rc == platform::kErrAccessDenied || rc == platform::kErrSharingViolation)
    rc = platform::OpenFile(n, platform::kOpenRead | platform::kShareDenyNone, h);
  if (rc != 0) return false;
  std::int64_t t = platform::FileModifiedTime(h);
  platform::CloseFile(h);
  if (t < 0) return false;
  std::time_t tt = static_cast<std::time_t>(t);
  const std::tm* tm = std::localtime(&tt);
  if (!tm) return false;
  TzDate today = TzToday();
  return tm->tm_year + 1900 == today.year && tm->tm_mon + 1 == today.month && tm->tm_mday == today.day;
}

int EraseFile(std::string_view name) {
  std::string n(name);
  platform::FileHandle h = platform::kNoFile;
  // Exclusive open first: a file in use by anyone is not erased.
  int rc = platform::OpenFile(n, platform::kOpenRead | platform::kShareDenyAll, h);
  if (rc != 0) return rc;
  platform::CloseFile(h);
  return platform::RemoveFile(n);
}

bool WildcardMatch(std::string_view mask, std::string_view name) {
  auto folded = [](std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpCaseChar(c);
    return out;
  };
  return WildcardMatchExact(folded(name), folded(mask));
}

// ---- directory search ----------------------------------------------------

namespace {

constexpr std::int32_t kNoMoreFiles = 18;

// Hands out the next match of a search, or ends it.
std::int32_t TakeNext(TzSearchRec& rec) {
  if (rec.rest.empty()) return TzDosError = kNoMoreFiles;
  TzSearchRec next = std::move(rec.rest.back());
  rec.rest.pop_back();
  rec.Name = std::move(next.Name);
  rec.Size = next.Size;
  rec.Time = next.Time;
  rec.Attr = next.Attr;
  return TzDosError = 0;
}

}  // namespace

std::int32_t TzFindFirst(std::string_view path, std::uint8_t attributes, TzSearchRec& rec) {
  rec = TzSearchRec();
  std::string dir, base, ext;
  SplitPath(path, dir, base, ext);
  std::vector<platform::DirEntryInfo> entries;
  int rc = platform::ListDirectory(dir, entries);
  if (rc != 0) return TzDosError = rc;
  // Hidden, system and directory entries only when asked for.
  const std::uint8_t special = platform::kAttrHidden | platform::kAttrSystem | platform::kAttrDirectory;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if ((it->attributes & special & ~attributes) != 0) continue;
    if (!WildcardMatch(base + ext, it->name)) continue;
    TzSearchRec found;
    found.Name = it->name;
    found.Size = it->size;
    found.Time = platform::PackedDosTime(it->modified);
    found.Attr = it->attributes;
    rec.rest.push_back(std::move(found));  // last name first: handed out from the back
  }
  if (rec.rest.empty()) return TzDosError = platform::kErrFileNotFound;
  return TakeNext(rec);
}

std::int32_t TzFindNext(TzSearchRec& rec) { return TakeNext(rec); }

void TzFindClose(TzSearchRec& rec) { rec = TzSearchRec(); }

void FileDateOfHandle(int handle, std::uint32_t& date) {
  std::int64_t t = platform::FileModifiedTime(handle);
  if (t < 0) {
    date = 0;
    TzDosError = platform::kErrInvalidHandle;
    return;
  }
  date = platform::PackedDosTime(t);
  TzDosError = 0;
}

void EraseFiles(std::string_view mask) {
  TzLastError = 0;
  UnerasableFiles.clear();
  std::string m(mask);
  if (m.find_first_of("*?") == std::string::npos) {
    int rc = EraseFile(m);
    if (rc != 0) DederError(static_cast<std::uint16_t>(rc), "Error erasing " + m);
    return;
  }
  std::string full = FullPath(m);
  std::string dir, base, ext;
  SplitPath(full, dir, base, ext);
  TzSearchRec rec;
  for (std::int32_t rc = TzFindFirst(full, platform::kAttrArchive, rec); rc == 0; rc = TzFindNext(rec)) {
    if ((rec.Attr & platform::kAttrDirectory) != 0) continue;
    if (EraseFile(dir + rec.Name) == 0) continue;
    TzSearchRec kept = rec;
    kept.rest.clear();
    UnerasableFiles.push_back(std::move(kept));
  }
  TzFindClose(rec);
  if (!UnerasableFiles.empty())
    DederError(5, "Could not erase " + std::to_string(UnerasableFiles.size()) + " files like " + m);
}

std::int32_t DiskFreeKB(std::string_view path) {
  std::int64_t b = platform::FreeDiskBytes(path.empty() ? std::string(".") : std::string(path));
  if (b < 0) return 2147483647;
  std::int64_t kb = b / 1024;
  return kb > 2147483647 ? 2147483647 : static_cast<std::int32_t>(kb);
}

std::int32_t DiskFreeOfDrive(int drive) {
  if (drive < 0) return 2147483647;
  return DiskFreeKB(drive == 0 ? std::string() : std::string("/"));
}

void UniqueFilename(std::string& name) {
  name = platform::TempFileName("TZP");
  platform::FileHandle h = platform::kNoFile;
  int rc = platform::CreateFile(name, h);
  if (rc != 0) {
    name.clear();
    DederError(static_cast<std::uint16_t>(rc), "Error requesting unique file name [UniqueFilename]");
    return;
  }
  platform::CloseFile(h);
}

std::string FindFileAnyCase(std::string_view name) {
  std::string n(name);
  if (n.empty() || platform::FileExists(n)) return n;
  std::string dir, base, ext;
  SplitPath(n, dir, base, ext);
  std::string want = TzUpperCase(base + ext);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir.empty() ? "." : dir, ec)) {
    std::string fname = entry.path().filename().string();
    if (TzUpperCase(fname) == want && entry.is_regular_file(ec)) return dir + fname;
  }
  return n;
}
