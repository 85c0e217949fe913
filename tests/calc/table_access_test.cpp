#include "calc/table_access.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "../framework/output_test_support.h"
#include "dbf/dbf4.h"
#include "dbf/locks.h"
#include "dbf/ndx_index.h"
#include "dbf/work_areas.h"
#include "platform/binary_file.h"
#include "platform/dialogs.h"
#include "platform/file_lock.h"
#include "table_test_support.h"

namespace fs = std::filesystem;
using namespace table_test;

namespace {

using TableAccessTest = TableTest;

TEST_F(TableAccessTest, NamesAnyCaseMissingDamagedAndReadOnlyTablesAndGoingBeyondTheLastRecord) {
  OpenDbfTable("gewinde");
  ASSERT_EQ(AbortFlag, 0);
  const std::string plain = DbfTablePath();
  OpenDbfTable("gewinde.dbf");
  EXPECT_EQ(DbfTablePath(), plain);
  EXPECT_EQ(DbfRecordCount(), 56);
  fs::rename(DbfDir + "/anzieh.dbf", DbfDir + "/ANZIEH.DBF");  // found whatever the case
  OpenDbfTable("anzieh");
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(DbfRecordCount(), 12);

  platform::DialogScript script;
  script.Ok().Expect("gewinde.xyz not found or no access !");
  OpenDbfTable("gewinde.xyz");
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(DbfTableOpen());

  // A damaged table is a message and an abort, never a crash.
  AbortFlag = 0;
  std::ofstream(DbfDir + "/damaged.dbf") << "this is no table";
  script.Ok().Expect("DBF Error");
  OpenDbfTable("damaged");
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_FALSE(DbfTableOpen());
  // Nothing is open: the other routines do nothing and read nothing.
  GotoDbfRecord(3);
  EXPECT_EQ(DbfFieldText(1), "");
  EXPECT_TRUE(DbfEof());

  // A read-only table is opened from a copy.
  AbortFlag = 0;
  fs::permissions(DbfDir + "/lschraub.dbf", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  OpenDbfTable("lschraub");
  ASSERT_EQ(AbortFlag, 0);
  const fs::path copy = DbfTablePath();
  EXPECT_EQ(copy.parent_path(), fs::path(platform::ProcessTempDir()));
  EXPECT_NE(fs::status(copy).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_FALSE(fs::exists(DbfDir + "/TEST.$$$"));
  EXPECT_FALSE(fs::exists(fs::path(platform::ProcessTempDir()) / "TEST.$$$"));

  // Going beyond the table is its failure, with the message; no other
  // record stands in for the one asked for.
  ClearTableFailure();
  OpenDbfTable("anzieh");
  GotoDbfRecord(0);
  EXPECT_EQ(DbfRecNo(), 1);
  EXPECT_EQ(CalcMessages.count, 0);
  EXPECT_TRUE(TableFailure().empty());
  GotoDbfRecord(3);
  GotoDbfRecord(17);
  EXPECT_EQ(DbfRecNo(), 3);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_TRUE(HasMessage("DBF #17 not found."));
  EXPECT_NE(TableFailure().find("ANZIEH.DBF: DBF #17 not found."), std::string::npos);
  AbortFlag = 0;
  ClearTableFailure();
  EXPECT_EQ(DbfFieldName(0), "");
  EXPECT_EQ(DbfFieldName(DbfFieldCount() + 1), "");
  EXPECT_EQ(DbfFieldName(1), "ALPHAA");
}

// A table whose file ends before the records its header counts (cut short)
// is named as damaged and not opened, so that no row of it is read; one
// longer than its header says (another program appending) is read whole.
TEST_F(TableAccessTest, ATableCutShortIsNamedAsDamagedAndOneBeingAppendedToIsRead) {
  platform::DialogScript script;
  for (const char* name : {"gewinde", "mat_p_e", "din934", "din912", "din931", "pressung", "mat_bolt"}) {
    SCOPED_TRACE(name);
    const std::string path = DbfDir + "/" + name + ".dbf";
    const std::string whole = ReadBytes(path);
    const std::size_t header = static_cast<unsigned char>(whole[8]) | static_cast<unsigned char>(whole[9]) << 8;
    const std::size_t record = static_cast<unsigned char>(whole[10]) | static_cast<unsigned char>(whole[11]) << 8;
    const std::uint32_t count = static_cast<unsigned char>(whole[4]) | static_cast<unsigned char>(whole[5]) << 8;
    for (const std::size_t length : {header + record, header + record + record / 2, whole.size() - 2}) {
      WriteBytes(path, whole.substr(0, length));
      AbortFlag = 0;
      ClearTableFailure();
      script.Ok().Expect(" is damaged: its header counts " + std::to_string(count) + " records");
      OpenDbfTable(name);
      EXPECT_EQ(AbortFlag, 1);
      EXPECT_FALSE(DbfTableOpen());
      EXPECT_NE(TableFailure().find(std::string(name) + ".dbf is damaged"), std::string::npos);
    }
    // One record more than counted, and a part of the next one.
    WriteBytes(path, whole.substr(0, header + count * record) + whole.substr(header, record + record / 2));
    AbortFlag = 0;
    ClearTableFailure();
    OpenDbfTable(name);
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_TRUE(TableFailure().empty());
    EXPECT_EQ(DbfRecordCount(), static_cast<std::int32_t>(count) + 1);
    CloseDbfTable();
    WriteBytes(path, whole);
  }
  EXPECT_EQ(script.Pending(), 0u);
}

// A prefix of a key, a key with a decimal point for the table's comma, the
// first of equal keys and the search beyond the last key are the engine's
// (tests/dbf); the next greater key after a miss is checked with the thread
// table's key search (calc_tables_test.cpp).
TEST_F(TableAccessTest, KeyOfTwoTextFieldsUnknownKeyFieldsAndFieldSetters) {
  WriteDbf(DbfDir + "/keys.dbf", {{"NAME", 'C', 10, 0}, {"KIND", 'C', 4, 0}, {"V", 'N', 5, 1}},
           {{"Zeta", "b", "1"}, {"1,5 mm", "a", "2"}, {"Alpha", "a", "3"}});
  OpenDbfTable("keys");
  IndexDbfOn("KIND+NAME", "keys");
  DbfFirst();
  EXPECT_EQ(DbfFieldText(1), "1,5 mm");
  DbfNext();
  EXPECT_EQ(DbfFieldText(1), "Alpha");
  FindDbfKey("a   Alpha");
  EXPECT_TRUE(DbfKeyFound());
  EXPECT_EQ(DbfRecNo(), 3);
  platform::DialogScript script;
  script.Ok().Expect("index key");
  IndexDbfOn("NOFIELD", "keys");
  EXPECT_EQ(AbortFlag, 1);

  // The field setters store the record.
  AbortFlag = 0;
  OpenDbfTable("anzieh");
  GotoDbfRecord(3);
  SetDbfFieldFloat("alphaa", 1.234L);
  SetDbfFieldString("TOOL", "my tool");
  SetDbfFieldInteger("KTAU", 2);
  AppendDbfBlank();
  EXPECT_EQ(DbfRecordCount(), 13);
  EXPECT_EQ(DbfRecNo(), 13);
  // The blank record's contents are the engine's (tests/dbf).
  CloseDbfTable();

  OpenDbfTable("anzieh");
  GotoDbfRecord(3);
  EXPECT_EQ(DbfFieldText(1), "1.23");
  EXPECT_EQ(DbfFieldText(4), "my tool");
  EXPECT_EQ(DbfFieldAsInteger("ktau"), 2);
  EXPECT_EQ(DbfRecordCount(), 13);
}

TEST_F(TableAccessTest, IndexComesFromTheUserCacheUntilTheTableIsWritten) {
  WriteDbf(DbfDir + "/thr.dbf", {{"NAME", 'C', 10, 0}, {"D", 'N', 6, 2}},
           {{"M8", "8"}, {"M10", "10"}, {"M12", "12"}});
  const fs::path cache = fs::path(platform::CacheDirectory()) / "indexes";
  auto cached = [&] {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(cache, ec))
      if (e.path().filename().string().rfind("thr-", 0) == 0) found.push_back(e.path());
    return found;
  };
  auto findTen = [] {
    OpenDbfTable("thr");
    IndexDbfOn("D", "thr");
    FindDbfKey(" 10.00");
    return DbfKeyFound() ? DbfFieldText(1) : std::string("not found");
  };
  // Built and kept, then read from the cache in place: the same answer, one
  // entry, no copy in the temporary directory.
  EXPECT_EQ(findTen(), "M10");
  CloseDbfTable();
  ASSERT_EQ(cached().size(), 1u);
  const std::string entry = ReadBytes(cached().front());
  EXPECT_EQ(findTen(), "M10");
  EXPECT_EQ(fs::path(DbfIndexPath()), cached().front());
  EXPECT_FALSE(fs::exists(fs::path(platform::ProcessTempDir()) / "thr.ndx"));

  // The first write moves to a private copy on the same record; the entry
  // stays as it was, and the copy follows the write.
  SetDbfFieldFloat("D", 9);
  EXPECT_EQ(fs::path(DbfIndexPath()), fs::path(platform::ProcessTempDir()) / "thr.ndx");
  EXPECT_EQ(DbfFieldText(1), "M10");
  FindDbfKey(" 9.00");
  EXPECT_TRUE(DbfKeyFound());
  EXPECT_EQ(DbfFieldText(1), "M10");
  SetDbfFieldFloat("D", 10);
  CloseDbfTable();
  ASSERT_EQ(cached().size(), 1u);
  EXPECT_EQ(ReadBytes(cached().front()), entry);
  fs::remove(cached().front());
  EXPECT_EQ(findTen(), "M10");
  CloseDbfTable();
  ASSERT_EQ(cached().size(), 1u);

  // A damaged entry is built afresh at once, without a message (the test's
  // dialog script would fail on one): the same answer, the entry whole again.
  const std::string whole = ReadBytes(cached().front());
  // Whole, but stamped for a table of two records (count and its complement).
  std::string otherCount = whole;
  otherCount.replace(488, 8, std::string("\xFD\xFF\xFF\xFF\x02\x00\x00\x00", 8));
  for (const auto& damage : std::vector<std::pair<const char*, std::string>>{{"text", "damaged"},
                                                                            {"cut", whole.substr(0, 600)},
                                                                            {"empty", ""},
                                                                            {"noise", std::string(1024, '\xA5')},
                                                                            {"other record count", otherCount}}) {
    SCOPED_TRACE(damage.first);
    std::ofstream(cached().front(), std::ios::binary | std::ios::trunc) << damage.second;
    EXPECT_EQ(findTen(), "M10");
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_TRUE(TableFailure().empty());
    CloseDbfTable();
    ASSERT_EQ(cached().size(), 1u);
    EXPECT_EQ(ReadBytes(cached().front()), whole);
  }
  EXPECT_EQ(findTen(), "M10");

  // A record written since the table was opened: indexed afresh, even when
  // the file's clock has not moved on.
  GotoDbfRecord(2);
  SetDbfFieldFloat("D", 11);
  IndexDbfOn("D", "thr");
  FindDbfKey(" 11.00");
  EXPECT_TRUE(DbfKeyFound());
  FindDbfKey(" 10.00");
  EXPECT_FALSE(DbfKeyFound());
}

// A cache folder whose name holds blanks, quotes, "$", a non-ASCII letter
// and an index option word serves its entries like any other: the second
// run reads the entry in place, and builds nothing.
TEST_F(TableAccessTest, ACacheFolderOfAnyNameServesItsEntries) {
  WriteDbf(DbfDir + "/odd.dbf", {{"NAME", 'C', 10, 0}, {"D", 'N', 6, 2}}, {{"M8", "8"}, {"M10", "10"}});
  const std::string saved = platform::CacheDirectory();
  const std::string folder = FreshDir("cache \xC3\xA4 $x \"q\" 'y' UNIQUE z");
  ::setenv("BQ4_CACHE_DIR", folder.c_str(), 1);
  auto findTen = [] {
    OpenDbfTable("odd");
    IndexDbfOn("D", "odd");
    FindDbfKey(" 10.00");
    return DbfKeyFound() ? DbfFieldText(1) : std::string("not found");
  };
  const fs::path own = fs::path(platform::ProcessTempDir()) / "odd.ndx";
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    EXPECT_EQ(findTen(), "M10");
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_EQ(fs::path(DbfIndexPath()).parent_path(), fs::path(folder) / "indexes");
    EXPECT_FALSE(fs::exists(own));
    CloseDbfTable();
  }
  ::setenv("BQ4_CACHE_DIR", saved.c_str(), 1);
}

// A table whose index cannot be built is the run's failure, named with the
// table: here the private index taken before the first write, whose place
// a folder holds.
TEST_F(TableAccessTest, AnIndexThatCannotBeBuiltFailsItsTableByName) {
  WriteDbf(DbfDir + "/nofit.dbf", {{"NAME", 'C', 10, 0}, {"D", 'N', 6, 2}}, {{"M8", "8"}, {"M10", "10"}});
  OpenDbfTable("nofit");
  IndexDbfOn("D", "nofit");
  ASSERT_EQ(AbortFlag, 0);
  const fs::path own = fs::path(platform::ProcessTempDir()) / "nofit.ndx";
  fs::create_directories(own);
  ClearTableFailure();
  platform::DialogScript script;
  script.Ok().Expect("nofit.dbf cannot be indexed");
  SetDbfFieldFloat("D", 9);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_NE(TableFailure().find("nofit.dbf cannot be indexed"), std::string::npos) << TableFailure();
  EXPECT_EQ(DbfIndexPath(), "");
  AbortFlag = 0;
  ClearTableFailure();
  CloseDbfTable();
  fs::remove_all(own);
}

// A table whose semaphore file cannot be written (a full disk) fails its
// index by name with the write error, from the cache as from a build, and
// never waits on a lock that this run's own failed attach left behind.
TEST_F(TableAccessTest, ASemaphoreFileThatCannotBeWrittenFailsTheTableWithItsWriteError) {
  WriteDbf(DbfDir + "/full.dbf", {{"NAME", 'C', 10, 0}, {"D", 'N', 6, 2}}, {{"M8", "8"}, {"M10", "10"}});
  OpenDbfTable("full");
  IndexDbfOn("D", "full");  // the cache entry
  ASSERT_EQ(AbortFlag, 0);
  CloseDbfTable();
  const std::string sem = DbfDir + "/full.@S@";
  fs::remove(sem);
  fs::create_symlink("/dev/full", sem);
  SemaphoreRegionRetries = 3;  // a lock of its own would end in 1202
  ClearTableFailure();
  platform::DialogScript script;
  script.Ok().Expect("full.dbf cannot be indexed");
  OpenDbfTable("full");
  IndexDbfOn("D", "full");
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_NE(TableFailure().find("Cannot write to: " + sem + " LOGIN"), std::string::npos) << TableFailure();
  AbortFlag = 0;
  ClearTableFailure();
  CloseDbfTable();
  fs::remove(sem);
}

// Every chmod or link of a table changes its identity and its indexes get
// new entries: those superseded for the same table are removed, so that the
// cache stays one set per table, unless another run holds one open (its
// share lock); those of another key on the table as it is stay.
TEST_F(TableAccessTest, EntriesSupersededForTheSameTableAreRemovedUnlessInUse) {
  WriteDbf(DbfDir + "/sup.dbf", {{"NAME", 'C', 10, 0}, {"D", 'N', 6, 2}}, {{"M8", "8"}, {"M10", "10"}});
  const fs::path cache = fs::path(platform::CacheDirectory());
  auto count = [&](const char* folder) {
    int n = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(cache / folder, ec)) n += e.path().filename().string().rfind("sup-", 0) == 0;
    return n;
  };
  auto findTen = [](const char* key) {
    OpenDbfTable("sup");
    IndexDbfOn(key, "sup");
    FindDbfKey(std::string(key) == "D" ? " 10.00" : "M10");
    const std::string found = DbfKeyFound() ? DbfFieldText(1) : std::string("not found");
    const std::string entry = DbfIndexPath();
    CloseDbfTable();
    EXPECT_EQ(found, "M10");
    return entry;
  };
  const fs::path table = DbfDir + "/sup.dbf";
  findTen("NAME");  // an entry of another key
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    fs::permissions(table, round % 2 ? fs::perms::group_write : fs::perms::group_read, fs::perm_options::add);
    if (round == 5) fs::create_hard_link(table, DbfDir + "/sup-link.dbf");
    findTen("D");
    findTen("NAME");
    EXPECT_EQ(count("indexes"), 2);
    EXPECT_EQ(count("index-checksums"), 2);
  }

  // An entry another run reads stays while it does; the next build removes it.
  const std::string used = findTen("D");
  const int reader = ::open(used.c_str(), O_RDONLY | O_CLOEXEC);
  struct flock share {};
  share.l_type = F_RDLCK;
  share.l_start = static_cast<off_t>(platform::kShareSentinelOffset);
  share.l_len = 1;
  ASSERT_EQ(::fcntl(reader, F_OFD_SETLK, &share), 0);
  fs::permissions(table, fs::perms::others_read, fs::perm_options::add);
  EXPECT_NE(findTen("D"), used);
  findTen("NAME");
  EXPECT_TRUE(fs::exists(used));
  EXPECT_EQ(count("indexes"), 3);
  ::close(reader);
  fs::permissions(table, fs::perms::others_read, fs::perm_options::remove);
  findTen("D");
  findTen("NAME");
  EXPECT_FALSE(fs::exists(used));
  EXPECT_EQ(count("indexes"), 2);
  EXPECT_EQ(count("index-checksums"), 2);
  findTen("NAME");
  EXPECT_EQ(count("indexes"), 2);
}

// Each file that the index cache loses is named on stderr: an entry
// superseded by a chmod of its table, with its checksum.
TEST_F(TableAccessTest, EntriesRemovedFromTheIndexCacheAreNamed) {
  WriteDbf(DbfDir + "/named.dbf", {{"NAME", 'C', 10, 0}, {"D", 'N', 6, 2}}, {{"M8", "8"}, {"M10", "10"}});
  auto entry = [] {
    OpenDbfTable("named");
    IndexDbfOn("D", "named");
    const std::string path = DbfIndexPath();
    CloseDbfTable();
    return path;
  };
  const std::string before = entry();
  const std::string checksum = (fs::path(before).parent_path().parent_path() / "index-checksums" /
                                fs::path(before).filename().replace_extension(".sum")).string();
  ASSERT_TRUE(fs::exists(checksum));
  fs::permissions(DbfDir + "/named.dbf", fs::perms::group_write, fs::perm_options::add);
  testing::internal::CaptureStderr();
  const std::string after = entry();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(after, before);
  EXPECT_FALSE(fs::exists(before));
  EXPECT_FALSE(fs::exists(checksum));
  EXPECT_NE(err.find("bq4: removed " + before + ", an index cache entry superseded by a change of its table\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("bq4: removed " + checksum + ", the checksum of an index cache entry removed\n"),
            std::string::npos)
      << err;
}

// The index cache knows a table by its canonical path: every spelling of
// its folder ("/./", "//", "..", a link to it) reads the one entry built of
// it. Once the folder has moved, the next build removes the entries of the
// tables no longer there, each named on stderr, so that the cache holds one
// set per table that is there.
TEST_F(TableAccessTest, OneCacheEntryPerTableWhateverItsFolderIsCalledAndNoneOfTablesGone) {
  const std::string folder = FreshDir("spelled");
  WriteDbf(folder + "/spell.dbf", {{"NAME", 'C', 10, 0}, {"D", 'N', 6, 2}}, {{"M8", "8"}, {"M10", "10"}});
  const fs::path cache = fs::path(platform::CacheDirectory());
  auto count = [&](const char* sub) {
    int n = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(cache / sub, ec))
      n += e.path().filename().string().rfind("spell-", 0) == 0;
    return n;
  };
  auto findTen = [](const std::string& dir) {
    DbfDir = dir;
    OpenDbfTable("spell");
    IndexDbfOn("D", "spell");
    FindDbfKey(" 10.00");
    const std::string found = DbfKeyFound() ? DbfFieldText(1) : std::string("not found");
    const std::string entry = DbfIndexPath();
    CloseDbfTable();
    EXPECT_EQ(found, "M10");
    return entry;
  };
  const std::string entry = findTen(folder);
  ASSERT_EQ(count("indexes"), 1);
  fs::create_directory_symlink(folder, folder + "-link");
  for (const std::string& spelling :
       {folder + "/.", folder + "/./", "/" + folder, folder + "/../spelled", folder + "-link", folder + "-link/"}) {
    SCOPED_TRACE(spelling);
    EXPECT_EQ(findTen(spelling), entry);
    EXPECT_EQ(count("indexes"), 1);
    EXPECT_EQ(count("index-checksums"), 1);
  }

  fs::rename(folder, folder + "-moved");
  testing::internal::CaptureStderr();
  const std::string moved = findTen(folder + "-moved");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(moved, entry);
  EXPECT_FALSE(fs::exists(entry));
  EXPECT_EQ(count("indexes"), 1);
  EXPECT_EQ(count("index-checksums"), 1);
  EXPECT_NE(err.find("bq4: removed " + entry + ", an index cache entry of a table that has changed or is gone\n"),
            std::string::npos)
      << err;
  fs::remove_all(folder + "-moved");
  fs::remove(folder + "-link");
}

// Entries of the index cache damaged inside, their header whole, may still
// read as indexes and answer wrongly: each is noticed by its checksum and
// built afresh, and every key of the thread table is found as before.
TEST_F(TableAccessTest, CacheEntriesDamagedInsideAreBuiltAfresh) {
  const fs::path cache = fs::path(platform::CacheDirectory()) / "indexes";
  auto rowsByKey = [] {
    std::vector<std::string> rows;
    OpenDbfTable("gewinde");
    IndexDbfOn(DbfFieldName(2), "gewinde");
    for (DbfFirst(); !DbfEof(); DbfNext()) rows.push_back(DbfFieldText(2));
    for (std::size_t i = 0; i < rows.size(); ++i) {
      FindDbfKey(rows[i]);
      rows[i] += DbfKeyFound() ? " " + DbfFieldText(1) : " not found";
    }
    CloseDbfTable();
    return rows;
  };
  auto entries = [&] {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(cache))
      if (e.path().extension() == ".ndx" && e.path().filename().string().rfind("gewinde-", 0) == 0)
        found.push_back(e.path());
    return found;
  };
  // Entries that earlier tests of this process left for their own folders.
  if (fs::exists(cache))
    for (const fs::path& e : entries()) fs::remove(e);
  const std::vector<std::string> good = rowsByKey();
  ASSERT_EQ(good.size(), 56u);
  ASSERT_EQ(entries().size(), 1u);
  const fs::path entry = entries().front();
  const std::string whole = ReadBytes(entry.string());
  ASSERT_GT(whole.size(), 1024u);
  std::mt19937 random(7);
  for (int seed = 0; seed < 40; ++seed) {
    SCOPED_TRACE(seed);
    std::string damaged = whole;
    for (int i = 0; i < 8; ++i) {
      const std::size_t at = 512 + random() % (whole.size() - 512);
      damaged[at] = static_cast<char>(damaged[at] ^ (1 + random() % 255));
    }
    WriteBytes(entry.string(), damaged);
    EXPECT_EQ(rowsByKey(), good);
    EXPECT_EQ(AbortFlag, 0);
    EXPECT_TRUE(TableFailure().empty());
    ASSERT_EQ(entries().size(), 1u);
    EXPECT_EQ(ReadBytes(entry.string()), whole);
  }
  // An entry without its checksum (an older run's, or one whose run was
  // killed before it kept one) is built afresh too.
  fs::remove_all(cache.parent_path() / "index-checksums");
  WriteBytes(entry.string(), std::string(whole).replace(600, 8, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"));
  EXPECT_EQ(rowsByKey(), good);
  EXPECT_EQ(ReadBytes(entry.string()), whole);
}

// The table dialog itself, answered from the dialog script as in a headless
// run. After the editing dialog the table is read again and can still be
// written; a changed key field moves the record in the key order.
TEST_F(TableAccessTest, TheTableDialogEditsPicksOrCancelsAndLeavesTheTablesAsTheyShouldBe) {
  OpenDbfTable("lschraub");
  IndexDbfOn("L", "lschraub");
  FindDbfKey("2.0");
  ASSERT_TRUE(DbfKeyFound());
  const std::int32_t rec = DbfRecNo();
  const std::int32_t count = DbfRecordCount();
  platform::DialogScript script;
  script.Ok();
  ShowDbfDialog("", 2);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(DbfRecNo(), rec);
  EXPECT_EQ(DbfRecordCount(), count);
  SetDbfFieldFloat("L", 1000);
  EXPECT_EQ(AbortFlag, 0);
  FindDbfKey("1000");
  EXPECT_TRUE(DbfKeyFound());
  EXPECT_EQ(DbfRecNo(), rec);
  DbfFirst();
  EXPECT_EQ(DbfFieldText(1), "2.5");

  // The dialog shown on another table takes the one dataset: this layer then
  // holds no table and reads nothing, never the other table's rows.
  OpenDbfTable("anzieh");
  ASSERT_TRUE(DbfTableOpen());
  std::int32_t picked = 1;
  script.Ok();
  EXPECT_TRUE(PickFromTable(DbfDir + "/lschraub.dbf", "", "Lengths", "", 1, picked));
  EXPECT_FALSE(DbfTableOpen());
  EXPECT_EQ(DbfFieldText(1), "");
  EXPECT_EQ(DbfRecordCount(), 0);
  CloseDbfTable();
  OpenDbfTable("anzieh");
  EXPECT_TRUE(DbfTableOpen());

  // A pick takes the row the dialog stands on, Cancel keeps it, and a pick
  // that takes another row moves there.
  OpenDbfTable("lschraub");
  GotoDbfRecord(4);
  SetDbfDialogCaptions("", "Friction in thread \xE6G");
  EXPECT_EQ(DbfDialogCaption(2), "Friction in thread \xB5G");  // display characters
  script.Ok();
  ShowDbfDialog("", 1);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(SelectedRecordNo, 4);
  EXPECT_EQ(DbfRecNo(), 4);
  script.Cancel();
  ShowDbfDialog("CLOSE", 1);
  EXPECT_EQ(AbortFlag, 1);
  EXPECT_EQ(DbfRecNo(), 4);
  EXPECT_TRUE(DbfTableOpen());
  TableDialogHook = [](std::string_view, int mode, std::int32_t& rec) {
    EXPECT_EQ(mode, 1);
    rec = 5;
    return true;
  };
  ShowDbfDialog("", 1);
  EXPECT_EQ(AbortFlag, 0);
  EXPECT_EQ(SelectedRecordNo, 5);
  EXPECT_EQ(DbfFieldText(1), "5.0");
}

// Two running programs look up the same table at the same time: the second
// open must not be refused while the first program holds the table.
TEST_F(TableAccessTest, TwoProcessesReadOneTableAtTheSameTime) {
  OpenDbfTable("gewinde");
  ASSERT_EQ(AbortFlag, 0);
  ASSERT_EQ(fs::path(DbfTablePath()).parent_path(), fs::path(DbfDir));  // in place, not a copy
  {
    // The table dialog hands the file back: it is held open again, still shared.
    platform::DialogScript script;
    script.Ok();
    ShowDbfDialog("", 1);
  }
  ASSERT_EQ(AbortFlag, 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    OpenDbfTable("gewinde");
    bool ok = AbortFlag == 0 && DbfRecordCount() == 56;
    GotoDbfRecord(12);
    ok = ok && DbfFieldText(1) == "M12";
    CloseDbfTable();
    _exit(ok ? 0 : 1);
  }
  GotoDbfRecord(12);
  EXPECT_EQ(DbfFieldText(1), "M12");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  // Still open and readable here after the other program closed its copy.
  GotoDbfRecord(1);
  EXPECT_EQ(DbfRecNo(), 1);
  EXPECT_EQ(AbortFlag, 0);
}

// The fields of the current record are read once for all of them; a change
// that another user makes to that record while it stays current is seen at
// the next field read, without moving.
TEST_F(TableAccessTest, AFieldReadSeesAnotherUsersChangeOfTheCurrentRecord) {
  OpenDbfTable("gewinde");
  IndexDbfOn(DbfFieldName(2), "gewinde");
  FindDbfKey(" 12.00");
  ASSERT_TRUE(DbfKeyFound());
  EXPECT_EQ(DbfFieldText(1), "M12");
  EXPECT_EQ(DbfFieldText(2), "12.000");

  // The other user: a work area of its own on the table, with its own index.
  const std::string other = DbfDir + "/other.ndx";
  fs::copy_file(DbfIndexPath(), other);
  Select(0);
  Use(DbfTablePath() + " ALIAS OTHER");
  ASSERT_EQ(TzLastError, 0);
  ASSERT_TRUE(Set_Index_To(other, 1));
  Go(12);
  while (!RLock()) sched_yield();
  Go(12);
  SetFieldText(1, "M12X");
  Replace();
  ASSERT_EQ(TzLastError, 0);
  Unlock();
  CloseDatabase();

  EXPECT_EQ(DbfRecNo(), 12);
  EXPECT_EQ(DbfFieldText(1), "M12X");
  EXPECT_EQ(DbfFieldText(2), "12.000");
}

// A table is held still (the indexes' read lock) from its index to its
// close only where no dialog can come up in between: another program's
// writer is kept out just then, and at once free to go again.
TEST_F(TableAccessTest, ATableHoldsTheReadLockOnlyInRunsWithoutDialogs) {
  platform::FileHandle semaphore = platform::kNoFile;
  auto writerMayLock = [&] {
    const bool locked = platform::LockRange(semaphore, 1, 4) == 0;
    if (locked) platform::UnlockRange(semaphore, 1, 4);
    return locked;
  };
  for (const bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "batch run" : "window");
    platform::SetBatchMode(batch);
    OpenDbfTable("gewinde");
    IndexDbfOn(DbfFieldName(2), "gewinde");
    if (semaphore == platform::kNoFile) {
      ASSERT_EQ(platform::OpenOrCreateShared(SemaphoreFileName(DbfTablePath()), semaphore), 0);
    }
    FindDbfKey(" 12.00");
    EXPECT_EQ(DbfFieldText(1), "M12");
    EXPECT_EQ(writerMayLock(), !batch);
    // Before a write of its own it lets go.
    SetDbfFieldString("NAME", "M12");
    EXPECT_TRUE(writerMayLock());
    // Indexed again (now privately), held again, and let go at the next write.
    IndexDbfOn(DbfFieldName(2), "gewinde");
    EXPECT_EQ(writerMayLock(), !batch);
    SetDbfFieldString("NAME", "M12");
    EXPECT_TRUE(writerMayLock());
    IndexDbfOn(DbfFieldName(2), "gewinde");
    CloseDbfTable();
    EXPECT_TRUE(writerMayLock());
  }
  platform::SetBatchMode(false);
  platform::CloseFile(semaphore);
}

}  // namespace
