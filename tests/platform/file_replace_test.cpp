#include "platform/file_replace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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
