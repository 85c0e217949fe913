#include "platform/process.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/os.h"

TEST(PlatformProcess, ProgramsAreFoundRecordedOrStartedWithoutAShell) {
  EXPECT_TRUE(platform::ProgramExists("/bin/sh"));
  EXPECT_TRUE(platform::ProgramExists("sh"));
  EXPECT_FALSE(platform::ProgramExists("/no/such/program"));
  const std::string plain = platform::ProcessTempDir() + "/not_a_program.txt";
  std::ofstream(plain) << "text";
  EXPECT_FALSE(platform::ProgramExists(plain));
  EXPECT_FALSE(platform::ProgramExists(""));
  // What is recorded is checked where documents are started.
  platform::RecordProgramStarts(true);
  EXPECT_TRUE(platform::StartProgram("/usr/bin/editor", {"a file.txt"}));
  EXPECT_EQ(platform::RecordedProgramStarts().size(), 1u);
  platform::RecordProgramStarts(false);
  EXPECT_TRUE(platform::RecordedProgramStarts().empty());
  // Started for real: with its arguments and no shell.
  // "$(...)" would run under a shell; as an argument it is only a file name.
  EXPECT_TRUE(platform::StartProgram("/bin/true", {"$(touch /tmp/never)"}));
  EXPECT_FALSE(platform::StartProgram("/no/such/program", {}));
}
