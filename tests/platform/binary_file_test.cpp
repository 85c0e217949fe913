#include "platform/binary_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "platform/os.h"

// A mapping of a file that another program cuts short: reading the lost pages
// is refused, where a plain copy would end the program with SIGBUS.
TEST(MappedFile, CopyFromAPartCutAwayIsRefusedNotACrash) {
  const std::string path = platform::ProcessTempDir() + "/mapped.bin";
  platform::FileHandle file;
  ASSERT_EQ(platform::OpenOrCreateShared(path, file), 0);
  const std::vector<char> bytes(3 * 4096, 'x');
  ASSERT_EQ(platform::WriteAt(file, 0, bytes.data(), bytes.size()), 0);
  const volatile std::uint8_t* map = platform::MapForReading(file, bytes.size());
  ASSERT_NE(map, nullptr);

  char out[16] = {};
  EXPECT_TRUE(platform::CopyFromMapping(out, map + 2 * 4096, sizeof out));
  EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, 'x'));

  ASSERT_EQ(platform::TruncateFile(file, 100), 0);
  EXPECT_FALSE(platform::CopyFromMapping(out, map + 2 * 4096, sizeof out));
  // The part that is left still reads, and a later fault is caught again.
  EXPECT_TRUE(platform::CopyFromMapping(out, map + 10, sizeof out));
  EXPECT_FALSE(platform::CopyFromMapping(out, map + 4096, sizeof out));
  platform::Unmap(map, bytes.size());
  platform::CloseFile(file);
}

namespace {

struct ScratchFolder {
  std::string path = platform::ProcessTempDir() + "/readers";
  ScratchFolder() { std::filesystem::create_directories(path); }
  ~ScratchFolder() { std::filesystem::remove_all(path); }
};

}  // namespace

// Whatever stands under a name the program reads, the open returns at once:
// a FIFO without a writer, a device or a folder is refused unread, a link is
// followed to what it leads to.
TEST(ReadOpen, OnlyARegularFileOpensAndNothingWaits) {
  ScratchFolder dir;
  const std::string fifo = dir.path + "/pipe.plt", file = dir.path + "/x.plt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.path + "/zero.plt");
  std::filesystem::create_symlink(fifo, dir.path + "/to-pipe.plt");
  std::FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fputs("PU;", out);
  std::fclose(out);
  std::filesystem::create_symlink(file, dir.path + "/to-x.plt");

  platform::FileHandle h = platform::kNoFile;
  for (const char* name : {"/pipe.plt", "/zero.plt", "/to-pipe.plt"}) {
    EXPECT_EQ(platform::OpenRegularFileForReading(dir.path + name, h), platform::kErrNotRegularFile) << name;
    EXPECT_EQ(h, platform::kNoFile);
  }
  EXPECT_EQ(platform::OpenRegularFileForReading(dir.path, h), platform::kErrNotRegularFile);
  EXPECT_EQ(platform::OpenRegularFileForReading(dir.path + "/none.plt", h), platform::kErrFileNotFound);
  // The tables' open refuses them as well, also for writing.
  EXPECT_EQ(platform::OpenFile(fifo, platform::kOpenRead | platform::kShareDenyNone, h), platform::kErrAccessDenied);
  EXPECT_EQ(platform::OpenFile(fifo, platform::kOpenReadWrite | platform::kShareDenyAll, h),
            platform::kErrAccessDenied);

  int code = 0;
  std::FILE* in = platform::OpenRegularStreamForReading(dir.path + "/to-x.plt", code);
  ASSERT_NE(in, nullptr);
  char text[8] = {};
  // Reads block as usual once opened: the whole file comes.
  EXPECT_EQ(std::fread(text, 1, sizeof text, in), 3u);
  EXPECT_EQ(std::string(text), "PU;");
  std::fclose(in);
  EXPECT_EQ(platform::OpenRegularStreamForReading(fifo, code), nullptr);
  EXPECT_EQ(code, platform::kErrNotRegularFile);
}

// A shared file that is missing is made under its own name, never through a
// link that leads nowhere (which would make a file wherever it points); a
// link to a file that is there is followed.
TEST(SharedFile, ADanglingLinkMakesNoFileWhereItPoints) {
  ScratchFolder dir;
  const std::string outside = dir.path + "/elsewhere/target.@S@";
  std::filesystem::create_directories(dir.path + "/elsewhere");
  std::filesystem::create_symlink(outside, dir.path + "/t.@S@");
  platform::FileHandle h = platform::kNoFile;
  EXPECT_EQ(platform::OpenOrCreateShared(dir.path + "/t.@S@", h), platform::kErrFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(outside));

  std::FILE* made = std::fopen(outside.c_str(), "wb");
  ASSERT_NE(made, nullptr);
  std::fclose(made);
  ASSERT_EQ(platform::OpenOrCreateShared(dir.path + "/t.@S@", h), 0);
  EXPECT_TRUE(platform::NamesOpenFile(outside, h));
  platform::CloseFile(h);
  ASSERT_EQ(platform::OpenOrCreateShared(dir.path + "/new.@S@", h), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.path + "/new.@S@"));
  platform::CloseFile(h);
}
