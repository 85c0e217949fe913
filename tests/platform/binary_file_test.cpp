#include "platform/binary_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
