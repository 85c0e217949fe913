#include "platform/folder_names.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/os.h"

namespace {

namespace fs = std::filesystem;

// What a listing made now says: the first entry in the folder's order whose
// name equals name apart from ASCII case ("-" when none).
std::string Listed(const fs::path& dir, const std::string& name) {
  auto folded = [](std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  };
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (folded(it->path().filename().string()) == folded(name)) return it->path().filename().string();
  return "-";
}

std::string Found(const fs::path& dir, const std::string& name) {
  std::string entry;
  return platform::FindEntryIgnoringCase(dir.string(), name, entry) ? entry : "-";
}

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

// Runs a change in another process, as another program would make it.
void InAnotherProcess(const std::function<void()>& change) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    change();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

class FolderNames : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(platform::ProcessTempDir()) / ("folder-names-" + std::to_string(++count_));
    fs::remove_all(root_);
    dir_ = root_ / "out";
    fs::create_directories(dir_);
    platform::KeepFolderListings(true);
  }
  void TearDown() override {
    platform::KeepFolderListings(false);
    fs::remove_all(root_);
    fs::remove_all(root_.string() + "-away");
  }

  // Every name asked for is answered as a listing made now answers it.
  void ExpectAnswersOfAFreshListing(const std::vector<std::string>& names) {
    for (const auto& name : names) EXPECT_EQ(Found(dir_, name), Listed(dir_, name)) << name;
  }

  static inline int count_ = 0;
  fs::path root_, dir_;
};

// Kept listings answer as a listing made at the moment of the question,
// whichever program changed the folder since and however: made, renamed,
// linked, removed, a folder made, names that differ only in case, the
// folder itself or a folder above it replaced by another under the same path.
TEST_F(FolderNames, KeptListingsAnswerAsAFreshListingWhoeverChangesTheFolder) {
  const std::vector<std::string> names = {"report.txt", "REPORT.TXT", "Out.Txt", "out2.txt", "link.TXT",
                                          "sub",        "a.txt",      "new.txt", "missing"};
  const struct {
    const char* what;
    std::function<void(const fs::path&)> change;
    bool elsewhere;
  } steps[] = {
      {"nothing yet", [](const fs::path&) {}, false},
      {"this program makes a file", [](const fs::path& d) { Touch(d / "report.txt"); }, false},
      {"another program makes one", [](const fs::path& d) { Touch(d / "OUT.TXT"); }, true},
      {"another program renames it", [](const fs::path& d) { fs::rename(d / "OUT.TXT", d / "Out2.TXT"); }, true},
      {"a hard link is made", [](const fs::path& d) { fs::create_hard_link(d / "Out2.TXT", d / "LINK.txt"); }, true},
      {"a file is removed", [](const fs::path& d) { fs::remove(d / "report.txt"); }, false},
      {"a folder is made", [](const fs::path& d) { fs::create_directory(d / "Sub"); }, true},
      {"names that differ only in case",
       [](const fs::path& d) {
         Touch(d / "a.txt");
         Touch(d / "A.TXT");
       },
       true},
      {"one of them renamed over another name", [](const fs::path& d) { fs::rename(d / "a.txt", d / "LINK.txt"); }, false},
      {"the folder replaced under its path",
       [](const fs::path& d) {
         fs::rename(d, d.parent_path() / "old");
         fs::create_directory(d);
         Touch(d / "NEW.TXT");
       },
       true},
      {"a file made in the new folder", [](const fs::path& d) { Touch(d / "Report.txt"); }, false},
      {"a folder above replaced",
       [](const fs::path& d) {
         const fs::path above = d.parent_path();
         fs::rename(above, above.string() + "-away");
         fs::create_directories(d);
         Touch(d / "Missing");
       },
       true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.elsewhere)
      InAnotherProcess([&] { step.change(dir_); });
    else
      step.change(dir_);
    ExpectAnswersOfAFreshListing(names);
  }
}

// More changes than the kernel queues between two questions: the notices
// lost, the listing is made again rather than missing a file.
TEST_F(FolderNames, ChangesBeyondTheQueueAreNotMissed) {
  std::ifstream limitFile("/proc/sys/fs/inotify/max_queued_events");
  long limit = 0;
  if (!(limitFile >> limit) || limit > 20000) GTEST_SKIP() << "the queue holds more than this test makes";
  Touch(dir_ / "first.txt");
  EXPECT_EQ(Found(dir_, "FIRST.TXT"), "first.txt");
  for (long i = 0; i <= limit; ++i) {
    const std::string name = (dir_ / ("f" + std::to_string(i))).string();
    const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
  }
  Touch(dir_ / "LAST.TXT");
  EXPECT_EQ(Found(dir_, "last.txt"), "LAST.TXT");
  EXPECT_EQ(Found(dir_, "F17"), "f17");
}

// Off, nothing is kept: a listing per question; a folder that cannot be read
// finds nothing, kept or not.
TEST_F(FolderNames, UnreadableAndMissingFoldersFindNothing) {
  for (const bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "kept" : "not kept");
    platform::KeepFolderListings(keep);
    EXPECT_EQ(Found(root_ / "none", "x"), "-");
    Touch(root_ / "plain");
    EXPECT_EQ(Found(root_ / "plain", "x"), "-");
    Touch(dir_ / "Case.Txt");
    EXPECT_EQ(Found(dir_, "CASE.TXT"), "Case.Txt");
    EXPECT_EQ(Found(dir_, "case.txt2"), "-");
    fs::remove(dir_ / "Case.Txt");
    EXPECT_EQ(Found(dir_, "CASE.TXT"), "-");
  }
}

// The entry a name opens is the name itself where listed so, whatever other
// entries (links to it, other names of it) the folder lists before it.
TEST_F(FolderNames, TheEntryANameOpensIsTheNameItselfBeforeItsOtherNames) {
  Touch(dir_ / "p.txt");
  auto first = [&] {
    for (const std::string& entry : platform::FolderEntryNames(dir_.string())) return entry;
    return std::string();
  };
  // Names made until one is listed before the file, in this folder's order.
  for (int k = 0; k < 200 && (k < 2 || first() == "p.txt"); ++k) {
    const fs::path other = dir_ / ("n" + std::to_string(k));
    if (k % 2 == 0) fs::create_symlink("p.txt", other);
    else fs::create_hard_link(dir_ / "p.txt", other);
  }
  ASSERT_NE(first(), "p.txt");
  EXPECT_EQ(platform::EntryOpenedBy(dir_.string(), "p.txt"), "p.txt");
  // A name that is only a link, or only another name, is itself too.
  EXPECT_EQ(platform::EntryOpenedBy(dir_.string(), "n0"), "n0");
  EXPECT_EQ(platform::EntryOpenedBy(dir_.string(), "n1"), "n1");
  EXPECT_EQ(platform::EntryOpenedBy(dir_.string(), "none"), "");
}

}  // namespace
