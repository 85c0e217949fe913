#include "framework/message_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/help_texts.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "platform/dialogs.h"
#include "output_test_support.h"
#include "platform/os.h"
#include "../shown_path.h"

namespace fs = std::filesystem;

namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    dir = FreshTestDir("msg");
  }
  std::string dir;
};

TEST_F(MessageBoxTest, CaptionsFollowTheKindTextIsConvertedAndOnlyYesIsTrue) {
  platform::DialogScript script;
  script.Ok().Ok().Ok().Ok().Ok();
  ShowError("bad \x84");  // code 132: a umlaut
  ShowInfo("info");
  ShowMessageText("plain");
  ShowMessageKind("help", kMessageKindHelp);
  ShowMessageKind("silent kind", kMessageKindSilent);
  // A question is true only for Yes; Cancel aborts.
  script.Yes().No().Cancel();
  EXPECT_TRUE(AskYesNoCancel("q"));
  EXPECT_FALSE(AskYesNoCancel("q"));
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_FALSE(AskYesNoCancel("q"));
  EXPECT_EQ(AbortFlag, 1);
  std::vector<std::string> captions;
  for (const auto& shown : script.Shown()) captions.push_back(shown.caption);
  const std::string title = ProgTitle.str();
  EXPECT_EQ(captions,
            (std::vector<std::string>{"Error  : ", "Message:", "Message:", "Help", "Message:", title, title, title}));
  EXPECT_EQ(script.Shown().at(0).text, "bad \xE4");
}

TEST_F(MessageBoxTest, TraceMessagesHideWhileSwitchedOffAndCarryFileErrorsOnRequest) {
  platform::DialogScript script;
  TraceMessagesOn = 0;
  ShowTraceMessage("hidden");
  SilentMessage("never");
  EXPECT_EQ(NoMessage(), 0);
  TraceMessagesOn = 1;
  script.Ok().Expect("visible");
  ShowTraceMessage("visible");
  EXPECT_EQ(script.Shown().size(), 1u);
  // File errors become trace messages once switched on.
  ShowFileErrorsAsMessages();
  script.Ok().Expect("disk on fire");
  ReportFileError("disk on fire");
  EXPECT_EQ(AbortFlag, 1);
  SetFileErrorHandler(nullptr);
}

// The caption names the project's file: its name (which may hold further
// dots) with the extension of that file.
TEST_F(MessageBoxTest, MainCaptionNamesTheProjectFileWithItsExtension) {
  std::string caption;
  CurrentFileName = "";
  UpdateMainCaption(caption);
  EXPECT_EQ(caption, ProgTitle.str());
  CurrentFileName = "joint";
  UpdateMainCaption(caption);
  EXPECT_EQ(caption, ProgTitle.str() + "  -  joint." + InputFileExt.str());
  CurrentFileName = "joint.old";
  UpdateMainCaption(caption);
  EXPECT_EQ(caption, ProgTitle.str() + "  -  joint.old." + InputFileExt.str());
  CurrentFileExt = "bak";
  UpdateMainCaption(caption);
  EXPECT_EQ(caption, ProgTitle.str() + "  -  joint.old.bak");
}

TEST_F(MessageBoxTest, MissingFilesAndFailedWritesAreReportedAndTheOldFileKept) {
  std::ofstream(dir + "/there.txt") << "x";
  EXPECT_TRUE(OpenTextForRead(dir + "/there.txt"));
  EXPECT_EQ(AbortFlag, 0);
  platform::DialogScript script;
  script.Ok().Expect("file " + ShownPath(dir) + "/gone.txt not found or no access !");
  EXPECT_FALSE(OpenTextForRead(dir + "/gone.txt  "));
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;

  // Checked writes replace the old file; a failure is reported once.
  std::string name = dir + "/out.txt";
  std::ofstream(name) << "old";
  TTextFile f;
  f.Assign(name);
  ASSERT_TRUE(CheckWriteError(f));
  WriteTextChecked(f, "new");
  CheckCloseError(f);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(ReadBytes(name), "new");

  TTextFile bad;
  bad.Assign(dir + "/missing/dir/out.txt");
  script.Ok().Expect("file write error");
  EXPECT_FALSE(CheckWriteError(bad));
  EXPECT_EQ(AbortFlag, 1);
  WriteTextChecked(bad, "skipped while AbortFlag is set");  // no second message

  AbortFlag = 0;
  TTextFile full;
  full.Assign("/dev/full");
  ASSERT_TRUE(CheckWriteError(full));
  script.Ok().Expect("disk full /dev/full");  // more than any buffer holds: fails at once
  WriteTextChecked(full, std::string(70000, 'x'));
  CheckCloseError(full);
  EXPECT_EQ(AbortFlag, 1);
}

TEST_F(MessageBoxTest, ConfirmOverwriteAsksOnlyForAnOtherFileAndRefusesAnUnwritablePlace) {
  std::string name = dir + "/joint.bq4";
  std::ofstream(name) << "old contents";
  platform::DialogScript script;
  script.Yes().Expect(ShownPath(name) + " already exists.   overwrite ?");
  ConfirmOverwrite(name);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(HelpNumber, 3055);
  EXPECT_EQ(ReadBytes(name), "old contents");  // replaced only by the writer
  script.No();
  ConfirmOverwrite(name);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(ReadBytes(name), "old contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(script.Pending(), 0u);

  // No question for "actual" or while switched off.
  AbortFlag = 0;
  std::string actual = dir + "/actual.bq4";
  std::ofstream(actual) << "kept";
  ConfirmOverwrite(actual);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(ReadBytes(actual), "kept");
  std::string other = dir + "/other.bq4";
  std::ofstream(other) << "x";
  ConfirmOverwriteOn = 0;
  ConfirmOverwrite(other);
  EXPECT_EQ(AbortFlag, 0);
  ConfirmOverwrite(dir + "/new.bq4");  // a new file is not left behind
  EXPECT_FALSE(fs::exists(dir + "/new.bq4"));
  EXPECT_EQ(script.Shown().size(), 2u);

  // An unwritable place is refused.
  ConfirmOverwriteOn = 1;
  script.Ok().Expect("invalid file name \"" + ShownPath(dir) + "/no/such/dir/x.bq4\": " + ShownPath(dir) +
                     "/no/such/dir/x.bq4: its folder " + ShownPath(dir) + "/no/such/dir does not exist !");
  ConfirmOverwrite(dir + "/no/such/dir/x.bq4");
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  script.Ok().Expect("invalid file name");
  ConfirmOverwrite(dir);  // a folder is no file
  EXPECT_EQ(AbortFlag, 1);
  // A file this user may not write is refused with that reason (root writes any).
  if (::geteuid() != 0) {
    AbortFlag = 0;
    const std::string locked = dir + "/locked.bq4";
    std::ofstream(locked) << "x";
    ::chmod(locked.c_str(), 0444);
    ConfirmOverwriteOn = 0;
    script.Ok().Expect("invalid file name \"" + ShownPath(locked) + "\": " + ShownPath(locked) +
                       " is not writable !");
    ConfirmOverwrite(locked);
    EXPECT_EQ(AbortFlag, 1);
  }
  // A file to read that is a FIFO is named as no regular file, at once.
  AbortFlag = 0;
  TraceMessagesOn = 1;
  ASSERT_EQ(::mkfifo((dir + "/pipe.txt").c_str(), 0600), 0);
  script.Ok().Expect("file " + ShownPath(dir) + "/pipe.txt is no regular file !");
  EXPECT_FALSE(OpenTextForRead(dir + "/pipe.txt"));
  EXPECT_EQ(AbortFlag, 1);
}

// A FIFO, a device, or a link to either, chosen as an output is refused with
// a message at once, with the question switched off too: nothing opens it
// (a FIFO would block the program until a writer came) or writes to it.
TEST_F(MessageBoxTest, ConfirmOverwriteRefusesAFifoOrDeviceWithoutOpeningIt) {
  const std::string fifo = dir + "/out.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  fs::create_symlink(fifo, dir + "/link.txt");
  std::atomic<bool> done{false}, blocked{false};
  // Should the FIFO be opened, a writer and a reader come after a while, so
  // that the test fails instead of hanging.
  std::thread rescue([&] {
    for (int i = 0; i < 300 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    while (!done) {
      const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (writer >= 0) blocked = true, ::close(writer);
      if (reader >= 0) ::close(reader);
    }
  });
  platform::DialogScript script;
  for (const Byte on : {Byte{1}, Byte{0}}) {
    ConfirmOverwriteOn = on;
    for (const std::string& name : {fifo, dir + "/link.txt", std::string("/dev/null")}) {
      SCOPED_TRACE(name + (on ? ", asking" : ", not asking"));
      AbortFlag = 0;
      script.Ok().Expect("invalid file name \"" + ShownPath(name) + "\": not a regular file");
      ConfirmOverwrite(name);
      EXPECT_EQ(AbortFlag, 1);
    }
  }
  done = true;
  rescue.join();
  EXPECT_FALSE(blocked) << "the FIFO was opened";
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// The folder test writes a file of the program's own: a user's files named
// like the test files of old stay as they are, and a dangling link of such
// a name is not followed.
TEST_F(MessageBoxTest, ConfirmOverwriteTestsTheFolderWithoutTouchingAFileOfTheUsers) {
  const std::string target = dir + "/x.txt";
  std::ofstream(target) << "mine";
  std::ofstream(target + ".$wr$") << "user 0";
  for (int i = 0; i < 99; ++i) std::ofstream(target + ".$wr" + std::to_string(i) + "$") << "user";
  std::ofstream(target + ".$wr99$") << "user 99";
  fs::create_symlink(dir + "/elsewhere.txt", dir + "/y.txt.$wr$");
  ConfirmOverwriteOn = 0;
  AbortFlag = 0;
  ConfirmOverwrite(target);
  EXPECT_EQ(AbortFlag, 0);
  ConfirmOverwrite(dir + "/y.txt");
  EXPECT_EQ(AbortFlag, 0);
  auto text = [](const std::string& f) {
    std::ifstream in(f);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(text(target + ".$wr99$"), "user 99");
  EXPECT_EQ(text(target + ".$wr$"), "user 0");
  EXPECT_EQ(text(target), "mine");
  EXPECT_FALSE(fs::exists(dir + "/elsewhere.txt"));
  EXPECT_TRUE(fs::is_symlink(dir + "/y.txt.$wr$"));
  std::size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir)) files += e.path().string().find(".~bq4") == std::string::npos;
  EXPECT_EQ(files, 103u);  // x.txt, its 101 namesakes and the link: no test file left
}

TEST_F(MessageBoxTest, RewriteRetryGivesUpAfterItsAttempts) {
  platform::DialogScript script;
  for (int i = 0; i < kRewriteAttempts; ++i) script.Ok().Expect("remove write protect !");
  int calls = 0;
  EXPECT_FALSE(RewriteRetry([&] { ++calls; return 150; }));
  EXPECT_EQ(calls, kRewriteAttempts);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  TraceMessagesOn = 0;  // hidden messages still end the retries
  calls = 0;
  EXPECT_FALSE(RewriteRetry([&] { ++calls; return 101; }));
  EXPECT_EQ(calls, kRewriteAttempts);
  EXPECT_EQ(AbortFlag, 1);
  AbortFlag = 0;
  calls = 0;
  EXPECT_TRUE(RewriteRetry([&] { return ++calls < 2 ? 5 : 0; }));
  EXPECT_EQ(AbortFlag, 0);
}

}  // namespace
