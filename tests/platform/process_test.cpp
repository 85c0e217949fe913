#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../fake_programs.h"
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

// The opener's choice: the configured program alone; else the desktop's
// opener; else the first program of the list found on the PATH; a program
// that fails at once did not open the target.
TEST(PlatformProcess, OpenerTakesTheConfiguredProgramThenTheDesktopOpenerThenAProgramOnThePath) {
  const int wait = platform::SetOpenerWaitMs(5000);
  const std::string dir = platform::ProcessTempDir() + "/opener-choice";
  FakePrograms fakes(dir);
  const std::string book = dir + "/$$1.xlsx";
  const std::vector<platform::ProgramLine> calc = {{"localc", {}}, {"soffice", {"--calc"}}};
  const std::string tool = fakes.Add("tool", 0);
  fakes.Add("xdg-open", 0);
  fakes.Add("soffice", 0);

  // A configured program opens it, and nothing else is tried.
  EXPECT_TRUE(platform::OpenWithDefaultProgram(book, tool, calc));
  EXPECT_EQ(fakes.Arguments("tool"), std::vector<std::string>{book});
  EXPECT_FALSE(fakes.Ran("xdg-open"));
  // One that fails is not replaced by another.
  fakes.Add("tool", 1);
  EXPECT_FALSE(platform::OpenWithDefaultProgram(book, tool, calc));
  EXPECT_FALSE(fakes.Ran("xdg-open"));

  // No program configured: the desktop's opener, given the file as it is.
  EXPECT_TRUE(platform::OpenWithDefaultProgram(book, "", calc));
  EXPECT_EQ(fakes.Arguments("xdg-open"), std::vector<std::string>{book});
  EXPECT_FALSE(fakes.Ran("soffice"));

  // The opener has nothing for it (exit 3): the first program on the PATH
  // ("localc" is missing), with its arguments before the file.
  fakes.Add("xdg-open", 3);
  EXPECT_TRUE(platform::OpenWithDefaultProgram(book, "", calc));
  EXPECT_TRUE(fakes.Ran("xdg-open"));
  EXPECT_EQ(fakes.Arguments("soffice"), (std::vector<std::string>{"--calc", book}));

  // Nothing opens it: the program on the PATH fails too, or there is none.
  fakes.Add("soffice", 1);
  EXPECT_FALSE(platform::OpenWithDefaultProgram(book, "", calc));
  EXPECT_FALSE(platform::OpenWithDefaultProgram(book));
  std::filesystem::remove(dir + "/xdg-open");
  EXPECT_FALSE(platform::OpenWithDefaultProgram(book));

  // Addresses go out as they are, never as a file name; a file named like an
  // option is no option.
  fakes.Add("xdg-open", 0);
  const std::string mail = "mailto:support@bq4.example?subject=BQ4%2017.0%20A%26B";
  EXPECT_TRUE(platform::OpenWithDefaultProgram("https://www.bq4.example"));
  EXPECT_TRUE(platform::OpenWithDefaultProgram(mail));
  EXPECT_TRUE(platform::OpenWithDefaultProgram("-x.xlsx"));
  EXPECT_EQ(fakes.Arguments("xdg-open"), (std::vector<std::string>{"https://www.bq4.example", mail, "./-x.xlsx"}));

  // An opener still running when the wait ends has opened it (it runs the
  // program in its foreground).
  platform::SetOpenerWaitMs(300);
  fakes.Add("xdg-open", 3, 3);
  fakes.Add("soffice", 0);
  EXPECT_TRUE(platform::OpenWithDefaultProgram(book, "", calc));
  EXPECT_FALSE(fakes.Ran("soffice"));
  platform::SetOpenerWaitMs(wait);
}
