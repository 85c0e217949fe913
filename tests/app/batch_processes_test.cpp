// Batch runs of the built wbq4 as real processes: runs of the same projects
// at once in one folder, and projects on a file system that folds case (an
// exFAT image mounted through FUSE, as Linux mounts most USB sticks).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../shell_quote.h"
#include "platform/os.h"

namespace {

namespace fs = std::filesystem;

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Sample(const std::string& name) { return std::string(BQ4_BINARY_DIR) + "/data/samples/" + name; }

class BatchProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = platform::ProcessTempDir() + "/" + info->test_suite_name() + "." + info->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_ + "/config");
    fs::create_directories(dir_ + "/tmp");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The shell's words that start wbq4 with settings and a temporary folder
  // of the test's own.
  std::string Wbq4() const {
    return "BQ4_CONFIG_DIR=" + ShellQuoted(dir_ + "/config") + " TMPDIR=" + ShellQuoted(dir_ + "/tmp") + " " +
           ShellQuoted(std::string(BQ4_BINARY_DIR) + "/wbq4");
  }
  // Runs wbq4 with the words given, its stderr kept in err_; the exit code.
  int Run(const std::string& words) {
    const int status = std::system(("cd " + ShellQuoted(dir_) + " && " + Wbq4() + " " + words + " > /dev/null 2> " +
                                    ShellQuoted(dir_ + "/err.txt"))
                                       .c_str());
    err_ = FileText(dir_ + "/err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir_, err_;
};

// Runs of the same projects at once in one folder (a user and a script):
// each output another run replaces, and the identity it had coming back as
// another file, leaves every run to write all its reports, and every report
// is whole.
TEST_F(BatchProcessesTest, RunsOfTheSameProjectsAtOnceInOneFolderWriteEveryReport) {
  constexpr int kProjects = 300;
  std::string forward, backward;
  for (int i = 1; i <= kProjects; ++i) {
    const std::string name = "p" + std::to_string(i) + ".bq4";
    fs::copy_file(Sample("null.bq4"), dir_ + "/" + name);
    forward += " " + name;
    backward = " " + name + backward;
  }
  ASSERT_EQ(Run("p1.bq4 /I"), 0) << err_;
  const std::vector<std::string> lone = Lines(FileText(dir_ + "/p1.txt"));
  ASSERT_GT(lone.size(), 100u);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    // Three runs, one of them the other way round, each its exit code and
    // stderr in files of its own.
    std::string script = "cd " + ShellQuoted(dir_) + "; ";
    for (int run = 0; run < 3; ++run) {
      const std::string n = std::to_string(run);
      script += "{ " + Wbq4() + (run == 2 ? backward : forward) + " /I > /dev/null 2> err" + n + ".txt; echo $? > rc" +
                n + ".txt; } & ";
    }
    ASSERT_EQ(std::system(("bash -c " + ShellQuoted(script + "wait")).c_str()), 0);
    for (int run = 0; run < 3; ++run) {
      const std::string n = std::to_string(run);
      EXPECT_EQ(FileText(dir_ + "/rc" + n + ".txt"), "0\n") << FileText(dir_ + "/err" + n + ".txt");
      EXPECT_EQ(FileText(dir_ + "/err" + n + ".txt"), "");
    }
    for (int i = 1; i <= kProjects; ++i) {
      const std::string name = "p" + std::to_string(i);
      const std::vector<std::string> lines = Lines(FileText(dir_ + "/" + name + ".txt"));
      ASSERT_EQ(lines.size(), lone.size()) << name;
      // Past the title line (its time), as the lone run wrote, but the name.
      for (std::size_t k = 1; k < lines.size(); ++k) {
        std::string line = lines[k];
        if (const auto at = line.find(name + ".bq4"); at != std::string::npos) line.replace(at, name.size(), "p1");
        ASSERT_EQ(line, lone[k]) << name << " line " << k + 1;
      }
    }
  }
}

// An exFAT image mounted through FUSE: each spelling of a name gets an
// identity of its own there, yet names one file.
class ExfatStick {
 public:
  explicit ExfatStick(const std::string& dir) : image_(dir + "/stick.img"), mount_(dir + "/stick") {
    fs::create_directories(mount_);
    if (::geteuid() != 0) {
      why_ = "mounting needs root";
      return;
    }
    for (const char* tool : {"mkfs.exfat", "mount.exfat-fuse", "losetup"})
      if (std::system(("command -v " + std::string(tool) + " > /dev/null 2>&1").c_str()) != 0) {
        why_ = std::string(tool) + " is not installed";
        return;
      }
    const std::string device = dir + "/device.txt";
    if (std::system(("truncate -s 32M " + ShellQuoted(image_) + " && mkfs.exfat " + ShellQuoted(image_) +
                     " > /dev/null 2>&1 && losetup -f --show " + ShellQuoted(image_) + " > " + ShellQuoted(device) +
                     " 2> /dev/null")
                        .c_str()) != 0) {
      why_ = "no loop device for the image";
      return;
    }
    loop_ = FileText(device);
    if (!loop_.empty() && loop_.back() == '\n') loop_.pop_back();
    if (std::system(("mount.exfat-fuse " + ShellQuoted(loop_) + " " + ShellQuoted(mount_) + " > /dev/null 2>&1").c_str()) != 0) {
      why_ = "the exFAT image cannot be mounted through FUSE";
      return;
    }
    mounted_ = true;
  }
  ~ExfatStick() {
    if (mounted_) std::system(("umount " + ShellQuoted(mount_) + " > /dev/null 2>&1").c_str());
    if (!loop_.empty()) std::system(("losetup -d " + ShellQuoted(loop_) + " > /dev/null 2>&1").c_str());
  }
  ExfatStick(const ExfatStick&) = delete;
  ExfatStick& operator=(const ExfatStick&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& WhyNot() const { return why_; }
  const std::string& Folder() const { return mount_; }

 private:
  std::string image_, mount_, loop_, why_;
  bool mounted_ = false;
};

// On a stick no output takes the place of its project or of an earlier
// output of the run however the names or folders were typed, and a name
// that differs only in case from a file that is not the run's own is
// written as everywhere.
TEST_F(BatchProcessesTest, OnAStickThatFoldsCaseNoOutputReplacesAProjectOrAnotherOutput) {
  ExfatStick stick(dir_);
  if (!stick.Mounted()) GTEST_SKIP() << "no exFAT stick: " << stick.WhyNot();
  const std::string s = stick.Folder();
  const std::string null = FileText(Sample("null.bq4"));

  fs::copy_file(Sample("null.bq4"), s + "/p.txt");
  EXPECT_EQ(Run(ShellQuoted(s + "/P.TXT") + " /I"), 1) << err_;
  EXPECT_NE(err_.find("would replace the project itself"), std::string::npos) << err_;
  EXPECT_EQ(FileText(s + "/p.txt"), null);

  fs::create_directories(s + "/Runs");
  fs::copy_file(Sample("null.bq4"), s + "/Runs/q.json");
  EXPECT_EQ(Run(ShellQuoted(s + "/RUNS/Q.JSON") + " /JSON"), 1) << err_;
  EXPECT_EQ(FileText(s + "/Runs/q.json"), null);

  fs::copy_file(Sample("null.bq4"), s + "/flange.bq4");
  fs::copy_file(Sample("hot.bq4"), s + "/flange.bak");
  EXPECT_EQ(Run(ShellQuoted(s + "/flange.bq4") + " " + ShellQuoted(s + "/FLANGE.bak") + " /I"), 1) << err_;
  EXPECT_NE(err_.find("would replace the output of the project " + s + "/flange.bq4 of this run"), std::string::npos)
      << err_;
  EXPECT_NE(FileText(s + "/flange.txt").find(s + "/flange.bq4\n"), std::string::npos);

  // The same project run again replaces its own report of an earlier run:
  // one report, read under the name the folder lists (the stick's cache
  // may keep another spelling's old pages).
  EXPECT_EQ(Run(ShellQuoted(s + "/FLANGE.BQ4") + " /I"), 0) << err_;
  std::vector<std::string> reports;
  for (const auto& entry : fs::directory_iterator(s))
    if (entry.path().extension() == ".txt" && entry.path().stem() != "p") reports.push_back(entry.path().string());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(FileText(reports[0]).find("FLANGE.BQ4\n"), std::string::npos);
}

// Every letter the stick folds names one file, not ASCII letters only: a
// project "ä.txt" run as "Ä.TXT" keeps its contents, and of "Ö.bq4" and
// "ö.bak" the second report would replace the first one's.
TEST_F(BatchProcessesTest, OnAStickEveryLetterItFoldsNamesOneFile) {
  ExfatStick stick(dir_);
  if (!stick.Mounted()) GTEST_SKIP() << "no exFAT stick: " << stick.WhyNot();
  const std::string s = stick.Folder();
  const std::string null = FileText(Sample("null.bq4"));

  fs::copy_file(Sample("null.bq4"), s + "/\xC3\xA4.txt");  // ä.txt
  EXPECT_EQ(Run(ShellQuoted(s + "/\xC3\x84.TXT") + " /I"), 1) << err_;  // Ä.TXT
  EXPECT_NE(err_.find("would replace the project itself"), std::string::npos) << err_;
  EXPECT_EQ(FileText(s + "/\xC3\xA4.txt"), null);

  // A few times over: the stick keeps the attributes of each spelling of a
  // name for a moment, which may be those of a file since replaced.
  fs::create_directories(s + "/\xC3\x9C");  // Ü
  const std::string first = s + "/\xC3\xBC/\xC3\x96.bq4";  // typed ü/Ö.bq4
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    fs::remove_all(s + "/\xC3\x9C");
    fs::create_directories(s + "/\xC3\x9C");
    fs::copy_file(Sample("null.bq4"), s + "/\xC3\x9C/\xC3\x96.bq4");  // Ü/Ö.bq4
    fs::copy_file(Sample("hot.bq4"), s + "/\xC3\x9C/\xC3\xB6.bak");   // Ü/ö.bak
    EXPECT_EQ(Run(ShellQuoted(first) + " " + ShellQuoted(s + "/\xC3\x9C/\xC3\xB6.bak") + " /I"), 1) << err_;
    EXPECT_NE(err_.find("would replace the output of the project " + first + " of this run"), std::string::npos)
        << err_;
    std::vector<std::string> reports;
    for (const auto& entry : fs::directory_iterator(s + "/\xC3\x9C"))
      if (entry.path().extension() == ".txt") reports.push_back(entry.path().string());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(FileText(reports[0]).find(first + "\n"), std::string::npos);
  }
}

}  // namespace
