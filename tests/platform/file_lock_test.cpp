#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "../fork_handshake.h"
#include "platform/os.h"

namespace {

std::string MakeFile(const std::string& name) {
  std::string path = platform::ProcessTempDir() + "/" + name;
  std::ofstream(path) << "data";
  return path;
}

}  // namespace

TEST(FileLock, TwoHandlesInOneProcessConflict) {
  std::string path = MakeFile("lock1.bin");
  platform::FileHandle a, b;
  ASSERT_EQ(platform::OpenFile(path, platform::kOpenReadWrite | platform::kShareDenyNone, a), 0);
  ASSERT_EQ(platform::OpenFile(path, platform::kOpenReadWrite | platform::kShareDenyNone, b), 0);
  EXPECT_EQ(platform::LockRange(a, 0x40000010, 8), 0);
  EXPECT_EQ(platform::LockRange(b, 0x40000014, 8), platform::kErrLockViolation);
  EXPECT_TRUE(platform::RangeLockedByOther(b, 0x40000010, 1));
  EXPECT_EQ(platform::LockRange(b, 0x40000018, 8), 0);  // no overlap
  // Closing another handle of the file keeps the locks of the first.
  platform::FileHandle c;
  ASSERT_EQ(platform::OpenFile(path, platform::kOpenRead | platform::kShareDenyNone, c), 0);
  platform::CloseFile(c);
  EXPECT_EQ(platform::LockRange(b, 0x40000010, 1), platform::kErrLockViolation);
  EXPECT_EQ(platform::UnlockRange(a, 0x40000010, 8), 0);
  EXPECT_EQ(platform::LockRange(b, 0x40000010, 1), 0);
  platform::CloseFile(a);
  platform::CloseFile(b);
}

TEST(FileLock, ShareModes) {
  std::string path = MakeFile("share.bin");
  platform::FileHandle a, b;
  ASSERT_EQ(platform::OpenFile(path, platform::kOpenReadWrite | platform::kShareDenyNone, a), 0);
  EXPECT_EQ(platform::OpenFile(path, platform::kOpenReadWrite | platform::kShareDenyAll, b),
            platform::kErrSharingViolation);
  EXPECT_EQ(b, platform::kNoFile);  // a refused open leaves no handle
  platform::CloseFile(a);
  ASSERT_EQ(platform::OpenFile(path, platform::kOpenReadWrite | platform::kShareDenyAll, a), 0);
  EXPECT_EQ(platform::OpenFile(path, platform::kOpenRead | platform::kShareDenyNone, b),
            platform::kErrSharingViolation);
  platform::CloseFile(a);
  EXPECT_EQ(platform::OpenFile(platform::ProcessTempDir() + "/missing.bin", platform::kOpenRead, b),
            platform::kErrFileNotFound);
}

TEST(FileLock, LocksHoldAcrossProcesses) {
  std::string path = MakeFile("lock2.bin");
  ForkHandshake shake;
  ASSERT_TRUE(shake.Ok());
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    shake.InChild();
    platform::FileHandle h;
    if (platform::OpenFile(path, platform::kOpenReadWrite | platform::kShareDenyNone, h) != 0) _exit(2);
    if (platform::LockRange(h, 0x40000001, 100) != 0) _exit(3);
    shake.SignalParent();
    shake.WaitForParent();
    _exit(0);
  }
  shake.InParent();
  ASSERT_TRUE(shake.WaitForChild());
  platform::FileHandle h;
  ASSERT_EQ(platform::OpenFile(path, platform::kOpenReadWrite | platform::kShareDenyNone, h), 0);
  EXPECT_EQ(platform::LockRange(h, 0x40000050, 1), platform::kErrLockViolation);
  EXPECT_EQ(platform::LockRange(h, 0x40000200, 1), 0);
  shake.SignalChild();
  int status = 0;
  EXPECT_TRUE(waitpid(child, &status, 0) == child && WEXITSTATUS(status) == 0);
  EXPECT_EQ(platform::LockRange(h, 0x40000050, 1), 0);  // released with the process
  platform::CloseFile(h);
}
