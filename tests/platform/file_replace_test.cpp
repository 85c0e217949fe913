#include "platform/file_replace.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../fork_handshake.h"
#include "platform/folder_names.h"
#include "platform/os.h"

namespace {

namespace fs = std::filesystem;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

}  // namespace

// Synced or not, a replacement puts the whole new file in the place of the
// old one: through a link to its target, with the target's mode, no
// temporary left; a rename that fails leaves the target and no temporary.
TEST(FileReplace, BothKindsReplaceWholeKeepModeAndFollowLinks) {
  using platform::ReplaceSync;
  for (const ReplaceSync sync : {ReplaceSync::Durable, ReplaceSync::Derived}) {
    SCOPED_TRACE(sync == ReplaceSync::Durable ? "durable" : "derived");
    const fs::path dir = fs::path(platform::ProcessTempDir()) / "replace";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string target = (dir / "out.txt").string();
    Write(target, "old contents, longer than the new");
    ::chmod(target.c_str(), 0604);
    const std::string link = (dir / "link.txt").string();
    fs::create_symlink("out.txt", link);

    const std::string temporary = platform::CreateTemporaryBeside(link);
    ASSERT_FALSE(temporary.empty());
    EXPECT_EQ(fs::path(temporary).parent_path(), dir);
    Write(temporary, "new");
    ASSERT_TRUE(platform::CommitTemporary(temporary, link, sync));
    EXPECT_EQ(Contents(target), "new");
    EXPECT_TRUE(fs::is_symlink(link));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_FALSE(fs::exists(temporary));

    // A folder in the target's place: nothing replaced, nothing left behind.
    const std::string blocked = (dir / "blocked").string();
    fs::create_directories(fs::path(blocked) / "inside");
    const std::string refused = platform::CreateTemporaryBeside(blocked);
    ASSERT_FALSE(refused.empty());
    EXPECT_FALSE(platform::CommitTemporary(refused, blocked, sync));
    EXPECT_FALSE(fs::exists(refused));
    EXPECT_TRUE(fs::is_directory(fs::path(blocked) / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
  }
}

namespace {

// A reader that reads the temporaries of the folder over and over, as cat
// in a loop does, until it is killed.
pid_t StartReader(const fs::path& dir) {
  const pid_t reader = fork();
  if (reader != 0) return reader;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().string());
  for (;;) {
    for (const std::string& name : names) {
      const int fd = ::open(name.c_str(), O_RDONLY);
      char c[64];
      if (fd >= 0 && ::read(fd, c, sizeof c) >= 0) ::close(fd);
    }
  }
}

}  // namespace

// Six runs write the same output at once beside a hundred temporaries that
// killed runs left, while a reader reads them over and over:
// no run ends by a signal, and each temporary is either removed or kept (held
// by another program), named so on stderr once it is removed.
TEST(FileReplace, NoRunEndsByASignalWhileOtherProgramsOpenTheLeftTemporaries) {
  const fs::path dir = fs::path(platform::ProcessTempDir()) / "hot";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::vector<std::string> left;
  for (int i = 0; i < 100; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "hot.txt.~bq4Ld%04d", i);
    left.push_back((dir / name).string());
    Write(left.back(), "a report half written by a killed run");
  }
  const pid_t reader = StartReader(dir);
  ASSERT_GT(reader, 0);
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> runs;
  for (int r = 0; r < 6; ++r) {
    const pid_t run = fork();
    if (run == 0) {
      ::close(gate[1]);
      const std::string err = dir.parent_path() / ("hot-run" + std::to_string(r) + ".err");
      ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      char c;
      while (::read(gate[0], &c, 1) > 0) {
      }
      const std::string target = (dir / "hot.txt").string();
      const std::string temporary = platform::CreateTemporaryBeside(target);
      Write(temporary, "report of run " + std::to_string(r));
      _exit(!temporary.empty() && platform::CommitTemporary(temporary, target, platform::ReplaceSync::Derived) ? 0 : 3);
    }
    if (run > 0) runs.push_back(run);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  std::string err;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    int status = 0;
    ASSERT_EQ(waitpid(runs[r], &status, 0), runs[r]);
    EXPECT_FALSE(WIFSIGNALED(status)) << "run " << r << " ended by signal " << WTERMSIG(status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run " << r << ": " << status;
    err += Contents(dir.parent_path() / ("hot-run" + std::to_string(r) + ".err"));
  }
  ::kill(reader, SIGKILL);
  waitpid(reader, nullptr, 0);
  EXPECT_EQ(runs.size(), 6u);
  EXPECT_EQ(Contents((dir / "hot.txt").string()).rfind("report of run ", 0), 0u);
  int removed = 0;
  for (const std::string& file : left) {
    const std::string named = "bq4: removed " + file + ", a temporary file left by a run that has ended\n";
    const std::size_t at = err.find(named);
    if (fs::exists(file)) {
      EXPECT_NE(err.find("bq4: kept " + file + ", "), std::string::npos) << file;
    } else {
      ++removed;
      EXPECT_NE(at, std::string::npos) << file;
      EXPECT_EQ(err.find(named, at + 1), std::string::npos) << file;
    }
  }
  EXPECT_GT(removed, 0);
  fs::remove_all(dir);
}

// The temporaries of a folder that no running program holds go, each named;
// one being written stays without a word, whatever process numbers say;
// names that merely look alike are no temporaries.
TEST(FileReplace, LeftTemporariesOfAFolderGoThoseBeingWrittenStay) {
  const fs::path dir = fs::path(platform::ProcessTempDir()) / "left";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string writing = platform::CreateTemporaryBeside((dir / "a.ndx").string());
  ASSERT_FALSE(writing.empty());
  const std::string left = (dir / "b.ndx.~bq4Ab12Cd").string();
  const std::vector<std::string> others = {(dir / "b.ndx").string(), (dir / "c.ndx.~bq4Ab12").string(),
                                           (dir / "d.ndx.~bq4Ab-2Cd").string(), (dir / "e.ndx.~backup").string()};
  Write(left, "half an entry of a killed run");
  for (const std::string& other : others) Write(other, "a user's");
  testing::internal::CaptureStderr();
  platform::ClearLeftTemporaries(dir.string(), platform::FolderEntryNames(dir.string()), "a cache file");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "bq4: removed " + left + ", a cache file\n");
  EXPECT_FALSE(fs::exists(left));
  EXPECT_TRUE(fs::exists(writing));
  for (const std::string& other : others) EXPECT_TRUE(fs::exists(other)) << other;
  platform::DiscardTemporary(writing);
  fs::remove_all(dir);
}

// Whether an output can go to a name is told without a file being made,
// opened or removed: a dangling link leads to where the output would go,
// and a refusal names the link and the file it leads to.
TEST(FileReplace, OutputRefusalLooksWithoutTouchingAndFollowsLinks) {
  const fs::path dir = fs::path(platform::ProcessTempDir()) / "refusal";
  fs::remove_all(dir);
  fs::create_directories(dir / "out");
  const std::string d = dir.string();
  Write(d + "/old.pdf", "old");
  fs::create_symlink(d + "/out/missing.pdf", d + "/into-folder.pdf");
  fs::create_symlink(d + "/gone/missing.pdf", d + "/into-nowhere.pdf");
  fs::create_symlink(d + "/out", d + "/to-folder.pdf");
  ASSERT_EQ(::mkfifo((d + "/fifo.pdf").c_str(), 0644), 0);
  const auto listing = [&] {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) names.insert(e.path().string());
    return names;
  };
  const std::set<std::string> before = listing();

  EXPECT_EQ(platform::OutputRefusal(d + "/new.pdf"), "");
  EXPECT_EQ(platform::OutputRefusal(d + "/old.pdf"), "");
  EXPECT_EQ(platform::OutputRefusal(d + "/into-folder.pdf"), "");
  EXPECT_EQ(platform::OutputRefusal(d + "/into-nowhere.pdf"),
            d + "/into-nowhere.pdf leads to " + d + "/gone/missing.pdf, whose folder " + d + "/gone does not exist");
  EXPECT_EQ(platform::OutputRefusal(d + "/gone/x.pdf"), d + "/gone/x.pdf: its folder " + d + "/gone does not exist");
  EXPECT_EQ(platform::OutputRefusal(d + "/old.pdf/x.pdf"),
            d + "/old.pdf/x.pdf cannot be looked at: " + std::strerror(ENOTDIR));
  EXPECT_EQ(platform::OutputRefusal(d + "/fifo.pdf"), d + "/fifo.pdf is not a regular file (a FIFO, device or folder)");
  EXPECT_EQ(platform::OutputRefusal(d + "/to-folder.pdf"),
            d + "/to-folder.pdf leads to " + d + "/out, which is not a regular file (a FIFO, device or folder)");
  if (::geteuid() != 0) {  // the superuser writes anywhere
    ::chmod((d + "/old.pdf").c_str(), 0444);
    EXPECT_EQ(platform::OutputRefusal(d + "/old.pdf"), d + "/old.pdf is not writable");
    ::chmod((d + "/out").c_str(), 0555);
    EXPECT_EQ(platform::OutputRefusal(d + "/into-folder.pdf"),
              d + "/into-folder.pdf leads to " + d + "/out/missing.pdf, whose folder " + d + "/out takes no new files");
    ::chmod((d + "/out").c_str(), 0755);
  }
  EXPECT_EQ(listing(), before);
  EXPECT_EQ(Contents(d + "/old.pdf"), "old");
}
