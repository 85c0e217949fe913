#include "platform/folder_names.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <unordered_map>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {

namespace {

std::string Folded(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool IsDotEntry(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

bool ListAndFind(const std::string& folder, std::string_view name, std::string& entry) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  const std::string wanted = Folded(name);
  bool found = false;
  while (const dirent* e = ::readdir(dir)) {
    if (IsDotEntry(e->d_name) || std::strlen(e->d_name) != wanted.size() || Folded(e->d_name) != wanted) continue;
    entry = e->d_name;
    found = true;
    break;
  }
  ::closedir(dir);
  return found;
}

}  // namespace

namespace {

// A file's stat as the file system holds it now, past any cache of its
// attributes (a FUSE file system's, which keeps one per spelling of a name).
bool FreshStat(int dir, const char* name, int flags, struct statx& st) {
  return ::statx(dir, name, flags | AT_STATX_FORCE_SYNC, STATX_BASIC_STATS, &st) == 0;
}

bool SameStat(const struct statx& a, const struct statx& b) {
  return a.stx_mode == b.stx_mode && a.stx_size == b.stx_size && a.stx_nlink == b.stx_nlink && a.stx_uid == b.stx_uid &&
         a.stx_gid == b.stx_gid && a.stx_mtime.tv_sec == b.stx_mtime.tv_sec &&
         a.stx_mtime.tv_nsec == b.stx_mtime.tv_nsec && a.stx_ctime.tv_sec == b.stx_ctime.tv_sec &&
         a.stx_ctime.tv_nsec == b.stx_ctime.tv_nsec;
}

// A name's letters in upper case, as code points of UTF-8 (a byte that is
// no UTF-8 stands for itself, beyond the code points).
std::u32string UpperCodePoints(std::string_view name) {
  static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  std::u32string out;
  for (std::size_t at = 0; at < name.size();) {
    const unsigned char lead = static_cast<unsigned char>(name[at]);
    const std::size_t n = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    char32_t c = n == 1 ? lead : n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = n != 0 && at + n <= name.size();
    for (std::size_t k = 1; valid && k < n; ++k) {
      const unsigned char next = static_cast<unsigned char>(name[at + k]);
      valid = (next >> 6) == 2;
      c = c << 6 | (next & 0x3F);
    }
    if (!valid) {
      out.push_back(0x110000 + lead);
      ++at;
      continue;
    }
    out.push_back(utf8 ? static_cast<char32_t>(::towupper_l(static_cast<wint_t>(c), utf8)) : c);
    at += n;
  }
  return out;
}

}  // namespace

std::string EntryOpenedBy(const std::string& folder, const std::string& name, bool* undecided) {
  if (undecided) *undecided = false;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return {};
  struct stat named {};
  struct statx namedNow {};
  if (::fstatat(::dirfd(dir), name.c_str(), &named, 0) != 0 || !FreshStat(::dirfd(dir), name.c_str(), 0, namedNow)) {
    ::closedir(dir);
    return {};
  }
  // The name as listed wins; then the entry that is the file itself; then
  // a link to it (a folder may list the link before the file).
  std::vector<std::string> alike;
  std::string same, linked;
  bool listed = false;
  while (const dirent* e = ::readdir(dir)) {
    if (IsDotEntry(e->d_name)) continue;
    if (name == e->d_name) {
      listed = true;
      break;
    }
    struct stat st {};
    if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    const bool link = S_ISLNK(st.st_mode);
    if (link && ::fstatat(::dirfd(dir), e->d_name, &st, 0) != 0) continue;
    if (st.st_dev == named.st_dev && st.st_ino == named.st_ino) {
      std::string& slot = link ? linked : same;
      if (slot.empty()) slot = e->d_name;
    } else if (struct statx now {}; !link && (st.st_mode & S_IFMT) == (named.st_mode & S_IFMT) &&
                                       FreshStat(::dirfd(dir), e->d_name, AT_SYMLINK_NOFOLLOW, now) &&
                                       SameStat(now, namedNow)) {
      alike.emplace_back(e->d_name);
    }
  }
  ::closedir(dir);
  if (listed) return name;
  if (!same.empty()) return same;
  if (!linked.empty()) return linked;
  // Several files alike in every stat (rare: made together, equal sizes):
  // the one equal to the name apart from case.
  if (alike.size() > 1) {
    const std::u32string upper = UpperCodePoints(name);
    std::erase_if(alike, [&](const std::string& entry) { return UpperCodePoints(entry) != upper; });
  }
  if (alike.size() == 1) return alike.front();
  // It opens a file that no entry can be shown to be: one that changed
  // meanwhile, or one of several alike.
  if (undecided) *undecided = true;
  return {};
}

std::vector<std::string> FolderEntryNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* e = ::readdir(dir))
    if (!IsDotEntry(e->d_name)) names.emplace_back(e->d_name);
  ::closedir(dir);
  return names;
}

namespace {

// The entries of one folder by their folded names; several names when the
// folder holds names that differ only in case.
struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  int watch = -1;
  std::unordered_map<std::string, std::vector<std::string>> names;
};

struct Listings {
  bool on = false;
  int notices = -1;  // the inotify descriptor
  std::unordered_map<std::string, Listing> byFolder;
  std::vector<char> events;
};

Listings& State() {
  static Listings listings;
  return listings;
}

constexpr std::size_t kMaxFolders = 16;
constexpr std::uint32_t kNoticeMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

// File systems whose every change, by any program on this machine, comes
// with a notice. Network and stacked file systems change without one.
bool ChangesNoticed(int fd) {
  struct statfs fs {};
  if (::fstatfs(fd, &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53UL:      // ext2, ext3, ext4
    case 0x58465342UL:  // xfs
    case 0x9123683EUL:  // btrfs
    case 0x01021994UL:  // tmpfs
    case 0xF2F52010UL:  // f2fs
      return true;
    default: return false;
  }
}

void ForgetAll(Listings& s) {
  if (s.notices >= 0) ::close(s.notices);  // drops every watch
  s.notices = -1;
  s.byFolder.clear();
}

void ForgetWatch(Listings& s, int watch, bool removeWatch) {
  for (auto it = s.byFolder.begin(); it != s.byFolder.end();)
    it = it->second.watch == watch ? s.byFolder.erase(it) : std::next(it);
  if (removeWatch) ::inotify_rm_watch(s.notices, watch);
}

void ApplyNotice(Listings& s, int watch, std::uint32_t mask, const std::string& name) {
  if (mask & kFolderGone) {
    ForgetWatch(s, watch, (mask & IN_MOVE_SELF) != 0);
    return;
  }
  const std::string key = Folded(name);
  for (auto& [folder, listing] : s.byFolder) {
    if (listing.watch != watch) continue;
    std::vector<std::string>& names = listing.names[key];
    const auto at = std::find(names.begin(), names.end(), name);
    if ((mask & (IN_CREATE | IN_MOVED_TO)) && at == names.end()) names.push_back(name);
    if ((mask & (IN_DELETE | IN_MOVED_FROM)) && at != names.end()) names.erase(at);
    if (names.empty()) listing.names.erase(key);
  }
}

// Applies every change noticed so far. A lost notice (the queue ran over)
// or a failed read forgets every listing.
void ApplyNotices(Listings& s) {
  if (s.notices < 0) return;
  s.events.resize(64 * 1024);
  for (;;) {
    const ssize_t n = ::read(s.notices, s.events.data(), s.events.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return;
    if (n <= 0) {
      ForgetAll(s);
      return;
    }
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      inotify_event notice {};
      std::memcpy(&notice, s.events.data() + at, sizeof notice);
      if (notice.mask & IN_Q_OVERFLOW) {
        ForgetAll(s);
        return;
      }
      // The name follows the fixed part, padded with NULs to notice.len.
      const char* name = s.events.data() + at + sizeof notice;
      at += static_cast<ssize_t>(sizeof notice + notice.len);
      ApplyNotice(s, notice.wd, notice.mask, std::string(name, ::strnlen(name, notice.len)));
    }
  }
}

// The listing of the folder that dir names now (st), made when there is
// none: the folder is opened, its changes watched from then on through the
// opened folder itself, and only then listed, so that no change is missed.
Listing* KeptListing(Listings& s, const std::string& dir, const struct stat& st) {
  if (const auto it = s.byFolder.find(dir); it != s.byFolder.end()) {
    if (it->second.device == st.st_dev && it->second.inode == st.st_ino) return &it->second;
    ForgetWatch(s, it->second.watch, true);
  }
  DIR* folder = ::opendir(dir.c_str());
  if (!folder) return nullptr;
  struct stat opened {};
  Listing listing;
  bool ok = ::fstat(::dirfd(folder), &opened) == 0 && opened.st_dev == st.st_dev && opened.st_ino == st.st_ino &&
            ChangesNoticed(::dirfd(folder));
  if (ok && s.notices < 0) s.notices = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (ok && s.notices >= 0) {
    if (s.byFolder.size() >= kMaxFolders) ForgetWatch(s, s.byFolder.begin()->second.watch, true);
    const std::string self = "/proc/self/fd/" + std::to_string(::dirfd(folder));
    listing.watch = ::inotify_add_watch(s.notices, self.c_str(), kNoticeMask);
  }
  ok = ok && listing.watch >= 0;
  errno = 0;
  while (ok) {
    const dirent* e = ::readdir(folder);
    if (!e) {
      ok = errno == 0;
      break;
    }
    if (!IsDotEntry(e->d_name)) listing.names[Folded(e->d_name)].push_back(e->d_name);
  }
  ::closedir(folder);
  if (!ok) {
    // A watch another listing shares stays.
    bool shared = false;
    for (const auto& kept : s.byFolder) shared = shared || kept.second.watch == listing.watch;
    if (listing.watch >= 0 && !shared) ::inotify_rm_watch(s.notices, listing.watch);
    return nullptr;
  }
  listing.device = st.st_dev;
  listing.inode = st.st_ino;
  return &(s.byFolder[dir] = std::move(listing));
}

}  // namespace

bool FindEntryIgnoringCase(const std::string& folder, std::string_view name, std::string& entry) {
  const std::string dir = folder.empty() ? "." : folder;
  Listings& s = State();
  if (!s.on) return ListAndFind(dir, name, entry);
  ApplyNotices(s);
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ListAndFind(dir, name, entry);
  const Listing* listing = KeptListing(s, dir, st);
  if (!listing) return ListAndFind(dir, name, entry);
  const auto found = listing->names.find(Folded(name));
  if (found == listing->names.end()) return false;
  // Among names that differ only in case the folder's order decides.
  if (found->second.size() != 1) return ListAndFind(dir, name, entry);
  entry = found->second.front();
  return true;
}

void KeepFolderListings(bool on) {
  Listings& s = State();
  if (!on) ForgetAll(s);
  s.on = on;
}

}  // namespace platform
