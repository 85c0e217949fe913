#include "framework/file_utils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "framework/clock.h"
#include "framework/file_values.h"
#include "framework/globals.h"
#include "framework/init.h"
#include "framework/line_io.h"
#include "framework/report_window.h"
#include "output_test_support.h"
#include "platform/folder_names.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace {

class FileUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitFrameworkModules();
    dir_ = FreshTestDir("file_utils");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Make(const std::string& name, const std::string& content = "x") const {
    std::ofstream(Path(name), std::ios::binary) << content;
  }

  std::string dir_;
};

TEST_F(FileUtilsTest, PathHelpers) {
  const struct { const char* in; const char* out; } backslash[] = {
      {"/data", "/data/"}, {"/data/", "/data/"}, {"   ", ""}, {"", ""}, {" rel ", "rel/"},
      {".", "./"}, {"dir-", "dir-/"}};
  for (const auto& c : backslash) EXPECT_EQ(AddBackslash(c.in), c.out) << c.in;
  EXPECT_EQ(AddBackslashDrive("/x"), "/x/");
  EXPECT_EQ(RemoveTrailingBackslash("/data/"), "/data");
  EXPECT_EQ(RemoveTrailingBackslash("/"), "/");
  EXPECT_EQ(ExtractDirPart("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(ExtractDirPart("c.txt"), "");
  EXPECT_EQ(DrivePart("/a/b"), "");
  const struct { const char* in; const char* out; } strip[] = {
      {"/dir/FILE.EXT", "FILE"}, {"C:\\DIR\\FILE.EXT", "FILE"}, {"name", "name"},
      {"name.", "name."}, {"/d.x/file", "file"}, {"a.b.c", "a.b"}, {"/d/a..", "a.."},
      {"a.b.", "a.b."}};
  for (const auto& c : strip) EXPECT_EQ(StripPathAndExt(c.in), c.out) << c.in;
  EXPECT_EQ(ExtractNameOnly("/x/joint.bq4"), "joint");
  EXPECT_EQ(ExtensionAfterFirstDot("/d.x/a.tar.gz"), "tar.gz");
  EXPECT_EQ(ExtensionAfterFirstDot("noext"), "");
}

// A project's name may hold further dots ("joint.v2", "Flansch 1.5"): only
// the extension of a name's last component tells a file from a project
// name, and the current project keeps the extension of its own file.
TEST_F(FileUtilsTest, ProjectFilesLookOnlyAtTheExtensionOfTheLastComponent) {
  const struct { const char* in; const char* ext; } extensions[] = {
      {"joint.v2.bq4", "bq4"}, {"Flansch 1.5", "5"}, {"/a.b/joint", ""}, {"joint.", ""},
      {"d.d/Flansch 1.5.BQ4", "BQ4"}, {"x", ""}, {"", ""}};
  for (const auto& c : extensions) EXPECT_EQ(FileExtension(c.in), c.ext) << c.in;
  EXPECT_TRUE(HasFileExtension("d.d/Flansch 1.5.BQ4", "bq4"));
  EXPECT_FALSE(HasFileExtension("joint.v2", "bq4"));
  EXPECT_FALSE(HasFileExtension("a.bq4/joint", "bq4"));

  const std::string folder = "/p q/Projekte \u00e4/";
  CurrentDir = folder;
  CurrentFileName = "Flansch 1.5";
  EXPECT_EQ(CurrentProjectFile(), folder + "Flansch 1.5.bq4");
  EXPECT_EQ(ProjectFileOfName("Flansch 1.5"), folder + "Flansch 1.5.bq4");
  EXPECT_EQ(ProjectFileOfName("joint.v2"), folder + "joint.v2.bq4");
  EXPECT_EQ(StoredInputFileName("joint.v2"), folder + "joint.v2.bq4");
  EXPECT_EQ(ProjectFileOfName("/a.b/joint"), "/a.b/joint.bq4");
  EXPECT_EQ(ProjectFileOfName("/x/joint.v2.BQ4"), "/x/joint.v2.BQ4");
  EXPECT_EQ(ProjectFileOfName(""), "");
  // A project loaded from flange.bak is flange.bak, not flange.bq4.
  CurrentFileName = "flange";
  CurrentFileExt = "bak";
  EXPECT_EQ(CurrentProjectFile(), folder + "flange.bak");
  EXPECT_EQ(StoredInputFileName("flange"), folder + "flange.bak");
  EXPECT_EQ(ProjectFileOfName("other"), folder + "other.bq4");
  // A name that carries its folder (a window started on a file keeps it in
  // CurrentDir; a batch run in the name).
  FileNameWithPath = 1;
  CurrentFileName = "joint.v2";
  CurrentFileExt = "bq4";
  EXPECT_EQ(StoredInputFileName("joint.v2"), folder + "joint.v2.bq4");
  CurrentDir.clear();
  CurrentFileName = "runs.1/joint.v2";
  EXPECT_EQ(CurrentProjectFile(), "runs.1/joint.v2.bq4");
  EXPECT_EQ(CurrentProjectName(), "joint.v2");
  CurrentFileName.clear();
  EXPECT_EQ(CurrentProjectFile(), "");
}

// A file whose name ends in "." has no extension, and its project is that
// file: loaded, saved back and named under the whole name, where a name
// typed without any "." still lacks its extension.
TEST_F(FileUtilsTest, AProjectFileWhoseNameEndsInADotIsItsOwnFile) {
  for (const char* name : {"a.", "/d/a.", "d.v2/a.", "joint.v2", "Flansch 1.5"}) EXPECT_TRUE(NameHoldsDot(name)) << name;
  for (const char* name : {"a", "d.v2/a", "", "/x.y/"}) EXPECT_FALSE(NameHoldsDot(name)) << name;
  EXPECT_EQ(ProjectExtensionOf("/d/a."), kNoFileExtension);
  EXPECT_EQ(ProjectExtensionOf("/d/a.bak"), "bak");
  EXPECT_EQ(ProjectExtensionOf("/d.v2/a"), "");
  CurrentDir = "/p q/";
  CurrentFileName = "a.";
  CurrentFileExt = ProjectExtensionOf("/p q/a.");
  EXPECT_EQ(CurrentProjectFile(), "/p q/a.");
  EXPECT_EQ(ProjectFileOfName("a."), "/p q/a.");
  EXPECT_EQ(ProjectFileOfName("b"), "/p q/b.bq4");
  // A name typed for a new project still gets the extension.
  CurrentFileExt.clear();
  EXPECT_EQ(CurrentProjectFile(), "/p q/a..bq4");
}

// Two names that open one file resolve alike: links, "." and "..", a folder
// reached another way; names that differ (also only in case, on a file
// system that keeps them apart) stay apart, and a name not there yet keeps
// its spelling.
TEST_F(FileUtilsTest, NamesThatOpenOneFileResolveAlike) {
  fs::create_directories(Path("Runs/Sub"));
  Make("Runs/p.txt");
  Make("Runs/P.TXT");
  fs::create_directory_symlink(Path("Runs"), Path("link"));
  fs::create_symlink("p.txt", Path("Runs/alias.txt"));
  const std::string real = fs::canonical(dir_).string() + "/Runs/";
  for (const std::string& name :
       {Path("Runs/p.txt"), Path("link/p.txt"), Path("Runs/Sub/../p.txt"), dir_ + "//Runs/./p.txt", Path("Runs/alias.txt")})
    EXPECT_EQ(ResolvedFileName(name), real + "p.txt") << name;
  EXPECT_EQ(ResolvedFileName(Path("link/P.TXT")), real + "P.TXT");
  EXPECT_EQ(ResolvedFileName(Path("link/new.txt")), real + "new.txt");
  EXPECT_EQ(ResolvedFileName(Path("link/Sub/../New.TXT")), real + "New.TXT");
  EXPECT_EQ(ResolvedFileName(Path("none/x.txt")), Path("none/x.txt"));
}

TEST_F(FileUtilsTest, Wildcards) {
  const struct { const char* name; const char* mask; bool match; } cases[] = {
      {"a.dbf", "*.dbf", true},   {"A.DBF", "*.dbf", true},   {"a.dbf.bak", "*.dbf", false},
      {"noext", "*.*", true},     {"x.txt", "*.*", true},      {"$frame.dx$", "$*.dx$", true},
      {"abc", "a?c", true},       {"abbc", "a?c", false},      {"name", "name.*", true},
      {"name.x", "name.*", true}, {"other", "name.*", false},  {"ab", "*", true}};
  for (const auto& c : cases) EXPECT_EQ(MatchesWildcard(c.name, c.mask), c.match) << c.name << " " << c.mask;
  Make("b.dbf");
  Make("a.DBF");
  Make("c.ndx");
  EXPECT_EQ(MatchingFiles(dir_, "*.dbf"), (std::vector<std::string>{"a.DBF", "b.dbf"}));
  EXPECT_EQ(CountFiles(Path("*.*")), 3);
  DeleteFiles(AddBackslash(dir_), "*.dbf");
  EXPECT_EQ(CountFiles(Path("*.*")), 1);
}

TEST_F(FileUtilsTest, FilesAreFoundWhateverTheCase) {
  fs::create_directories(Path("Tables"));
  std::ofstream(Path("Tables/Thread.DBF")) << "t";
  EXPECT_EQ(FindExistingFile(Path("tables/thread.dbf")), Path("Tables/Thread.DBF"));
  // A file of the program's own whatever the case; a user's file only as named.
  EXPECT_TRUE(ProgramFileExists(Path("TABLES/THREAD.dbf")));
  EXPECT_FALSE(TextFileExists(Path("TABLES/THREAD.dbf")));
  EXPECT_TRUE(TextFileExists(Path("Tables/Thread.DBF")));
  EXPECT_FALSE(ProgramFileExists(Path("tables/missing.dbf")));
  EXPECT_FALSE(ProgramFileExists(Path("tables")));  // a directory is not a text file
  EXPECT_FALSE(TextFileExists(Path("Tables")));
  EXPECT_EQ(FindExistingFile(Path("missing/x")), Path("missing/x"));
  EXPECT_EQ(NewFileName(Path("OUT.TXT")), Path("OUT.txt"));
  EXPECT_EQ(NewFileName(Path("tables/THREAD.DBF")), Path("Tables/Thread.DBF"));
  DeleteTextFile(Path("tables/thread.dbf"));
  EXPECT_FALSE(fs::exists(Path("Tables/Thread.DBF")));
}

// A name whose folder exists as written is looked for in that folder alone;
// the path found reads as the component walk makes it, listings kept or not.
TEST_F(FileUtilsTest, NamesAreFoundInTheirFolderAsTheWalkWritesThem) {
  fs::create_directories(Path("Tables/Sub"));
  std::ofstream(Path("Tables/Thread.DBF")) << "t";
  const struct { std::string asked, found; } cases[] = {
      {Path("Tables/THREAD.dbf"), Path("Tables/Thread.DBF")},
      {dir_ + "//Tables//thread.dbf", Path("Tables/Thread.DBF")},
      {Path("Tables/./thread.dbf"), Path("Tables/./Thread.DBF")},
      {Path("Tables/Sub/../thread.dbf"), Path("Tables/Sub/../Thread.DBF")},
      {Path("TABLES/thread.dbf"), Path("Tables/Thread.DBF")},
      {Path("tables/sub/"), Path("Tables/Sub")},
      {Path("Tables/none.dbf"), Path("Tables/none.dbf")},
      {Path("Tables/Thread.DBF/x"), Path("Tables/Thread.DBF/x")}};
  for (const bool keep : {false, true}) {
    platform::KeepFolderListings(keep);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.asked + (keep ? " (kept)" : ""));
      EXPECT_EQ(FindExistingFile(c.asked), c.found);
    }
  }
  platform::KeepFolderListings(false);
}

TEST_F(FileUtilsTest, DirectoryTests) {
  EXPECT_TRUE(DirectoryAccessible(dir_ + "/"));
  EXPECT_TRUE(DirWritable(dir_));
  EXPECT_FALSE(DirHasEntries(dir_));  // the writability test leaves nothing behind
  Make("a");
  EXPECT_TRUE(DirHasEntries(dir_));
  EXPECT_FALSE(DirWritable(Path("a")));  // a file is no place for files
  EXPECT_FALSE(DirectoryAccessible(Path("none")));
  EXPECT_FALSE(DirWritable(Path("none")));
  EXPECT_FALSE(DirHasEntries(Path("none")));
}

TEST_F(FileUtilsTest, CopyingFiles) {
  Make("src.txt", std::string(20000, 'q'));
  fs::create_directories(Path("out"));
  EXPECT_TRUE(CopyFileTo(Path("src.txt"), Path("out")));
  EXPECT_EQ(ReadBytes(Path("out/src.txt")), std::string(20000, 'q'));
  EXPECT_TRUE(CopyFileBlocks(Path("src.txt"), Path("copy.txt")));
  EXPECT_EQ(ReadBytes(Path("copy.txt")), std::string(20000, 'q'));

  AbortFlag = 0;
  EXPECT_FALSE(CopyFileTo(Path("none.txt"), Path("out")));
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(LastFileErrorText(), "Cannot open file " + Path("none.txt"));
  AbortFlag = 0;
  EXPECT_FALSE(CopyFileTo(Path("src.txt"), Path("nodir/x.txt")));
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_NE(LastFileErrorText().find("Cannot create file"), std::string::npos);

  CopyFileBetweenDirs("*.txt", dir_, Path("out"));
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_TRUE(fs::exists(Path("out/copy.txt")));
  CopyFileBetweenDirs("*.none", dir_, Path("out"));
  EXPECT_EQ(AbortFlag, 1);
}

TEST_F(FileUtilsTest, ShortWriteIsReportedAndNeverPassesAsSuccess) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full device";
  Make("src.txt", std::string(10000, 'q'));
  static int reports = 0;
  reports = 0;
  SetFileErrorHandler([](const std::string&) { ++reports; });
  AbortFlag = 0;
  // /dev/full accepts the open and fails every write with "no space left".
  EXPECT_FALSE(CopyFileBlocks(Path("src.txt"), "/dev/full"));
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_NE(LastFileErrorText().find("Write error"), std::string::npos);
  EXPECT_TRUE(fs::is_character_file("/dev/full"));  // written directly, never replaced
  EXPECT_EQ(reports, 1);
  SetFileErrorHandler(nullptr);
}

// Every reader opens a file the same way: at once, whatever stands under the
// name, and only a regular file. A FIFO without a writer, a device and a
// folder are refused by name as no regular file, never read (a FIFO would
// wait for ever, /dev/zero never ends); whole files are read no further than
// their limit.
TEST_F(FileUtilsTest, ReadersOpenOnlyRegularFilesWithoutWaitingAndNameTheRest) {
  ASSERT_EQ(::mkfifo(Path("pipe.txt").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", Path("zero.txt"));
  fs::create_symlink(Path("gone.txt"), Path("dangling.txt"));
  fs::create_directories(Path("folder.txt"));
  Make("plain.txt", "one\r\ntwo\n");
  for (const char* name : {"pipe.txt", "zero.txt", "folder.txt"}) {
    EXPECT_FALSE(TextFileExists(Path(name))) << name;
    EXPECT_TRUE(NoRegularFileAt(Path(name))) << name;
    std::string error;
    EXPECT_EQ(OpenFileForReading(Path(name), error, name), nullptr) << name;
    EXPECT_EQ(error, "file " + std::string(name) + " is no regular file !");
    std::string data;
    EXPECT_FALSE(LoadTextBytes(Path(name), data, error));
    EXPECT_EQ(error, "file " + Path(name) + " is no regular file !");
    TTextFile f;
    f.Assign(Path(name));
    EXPECT_FALSE(f.Reset()) << name;
    EXPECT_EQ(f.ResetRefusal(), "file " + Path(name) + " is no regular file !");
  }
  for (const char* name : {"dangling.txt", "none.txt"}) {
    EXPECT_FALSE(TextFileExists(Path(name))) << name;
    EXPECT_FALSE(NoRegularFileAt(Path(name))) << name;
    EXPECT_EQ(ReadRefusalText(Path(name)), "file " + Path(name) + " not found or no access !");
  }
  // A regular file is read whole.
  EXPECT_TRUE(TextFileExists(Path("plain.txt")));
  EXPECT_FALSE(NoRegularFileAt(Path("plain.txt")));
  std::vector<std::string> lines;
  std::string error;
  ASSERT_TRUE(LoadTextLines(Path("plain.txt"), lines, error, 9));
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
  // One byte past the limit is too large, and nothing of it is kept.
  std::string data = "kept?";
  EXPECT_FALSE(LoadTextBytes(Path("plain.txt"), data, error, 8));
  EXPECT_EQ(error, "file " + Path("plain.txt") + " is too large (more than 8 bytes) !");
  EXPECT_TRUE(data.empty());
  // A copy from a FIFO fails at once instead of waiting for a writer.
  AbortFlag = 0;
  EXPECT_FALSE(CopyFileTo(Path("pipe.txt"), Path("copy.txt")));
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(fs::exists(Path("copy.txt")));
}

TEST_F(FileUtilsTest, DatesAndTimes) {
  PinClock(ClockReading{2009, 3, 7, 9, 5, 0, 0});
  const struct { Word code; const char* text; } dates[] = {
      {1, "07.03.2009"}, {2, "03/07/2009"}, {3, "2009/03/07"}, {4, "07/03/2009"}, {9, "2009/03/07"}};
  for (const auto& c : dates) {
    DateFormatCode = c.code;
    EXPECT_EQ(TodayText(), c.text) << c.code;
  }
  EXPECT_EQ(TimeText(), "9:05");
  int y, m, d, w;
  TodayYMD(y, m, d, w);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20090307);
  EXPECT_EQ(w, 0);
  std::tm tm{};
  tm.tm_year = 109;
  tm.tm_mon = 2;
  tm.tm_mday = 7;
  tm.tm_hour = 12;
  EXPECT_EQ(FileDateText(std::mktime(&tm)), "2009/03/07");
  EXPECT_EQ(FileModificationTime(Path("none")), 0);
  InitClock();
}

}  // namespace
