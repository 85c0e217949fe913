#include "platform/dir_search.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/binary_file.h"

namespace platform {

int ListDirectory(const std::string& dir, std::vector<DirEntryInfo>& entries) {
  entries.clear();
  const std::string base = dir.empty() ? std::string(".") : dir;
  DIR* d = ::opendir(base.c_str());
  if (!d) return errno == ENOENT || errno == ENOTDIR ? kErrPathNotFound : ErrnoToDosCode(errno);
  const std::string prefix = base.back() == '/' ? base : base + "/";
  while (const dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (::stat((prefix + name).c_str(), &st) != 0) continue;  // gone meanwhile, or a dangling link
    DirEntryInfo info;
    info.name = name;
    info.size = static_cast<std::int64_t>(st.st_size);
    info.modified = static_cast<std::int64_t>(st.st_mtime);
    if (S_ISDIR(st.st_mode)) info.attributes = kAttrDirectory;
    else if (S_ISREG(st.st_mode)) info.attributes = kAttrArchive;
    else info.attributes = kAttrSystem;
    if (name[0] == '.') info.attributes |= kAttrHidden;
    if (::access((prefix + name).c_str(), W_OK) != 0) info.attributes |= kAttrReadOnly;
    entries.push_back(std::move(info));
  }
  ::closedir(d);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntryInfo& a, const DirEntryInfo& b) { return a.name < b.name; });
  return 0;
}

std::uint32_t PackedDosTime(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm {};
  if (!::localtime_r(&t, &tm) || tm.tm_year < 80) return (1u << 21) | (1u << 16);
  const std::uint32_t year = static_cast<std::uint32_t>(std::min(tm.tm_year - 80, 127));
  return (year << 25) | (static_cast<std::uint32_t>(tm.tm_mon + 1) << 21) |
         (static_cast<std::uint32_t>(tm.tm_mday) << 16) | (static_cast<std::uint32_t>(tm.tm_hour) << 11) |
         (static_cast<std::uint32_t>(tm.tm_min) << 5) | static_cast<std::uint32_t>(tm.tm_sec / 2);
}

}  // namespace platform
