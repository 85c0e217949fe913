// The table tool of the build, run as the build runs it: a table the user
// changed with the engine after the build wrote it survives the next build,
// also when a newer source comes; a table still as built is replaced.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "dbf_test_util.h"

namespace {

class MakeTables : public dbftest::DbfTest {
 protected:
  // Runs the tool as the build does; its output is kept in out_.
  int Build(const std::string& csv) {
    const std::string cmd = ShellQuoted(BQ4_BINARY_DIR "/data/bq4_mktables") + " " + ShellQuoted(Path(csv)) + " " +
                            ShellQuoted(Path(Dbf(csv))) + " > " + ShellQuoted(Path("out.txt")) + " 2>&1";
    const int rc = std::system(cmd.c_str());
    out_ = dbftest::ReadText(Path("out.txt"));
    return rc;
  }
  static std::string Dbf(const std::string& csv) { return csv.substr(0, csv.size() - 4) + ".dbf"; }
  void Source(const std::string& csv, const std::string& text) { std::ofstream(Path(csv), std::ios::binary) << text; }
  // The first column of a table, read through a copy (the engine opens .dbf names).
  std::string Names(const std::string& table) {
    std::filesystem::copy_file(Path(table), Path("read.dbf"), std::filesystem::copy_options::overwrite_existing);
    Use(Path("read.dbf"));
    std::string names = Column(1);
    CloseDatabase();
    return names;
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(Path(name)); }
  std::string out_;
};

TEST_F(MakeTables, KeepsTheUsersTableThroughRebuildsAndNewerSources) {
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "A,B,");
  // Unchanged since the build: a newer source replaces it, also after a
  // build cut short before it renamed the table it had stamped into place.
  const auto first = dbftest::ReadBytes(Path("washers.dbf"));
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\nC,3\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  dbftest::WriteBytes(Path("washers.dbf"), first);
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,");
  EXPECT_EQ(out_, "");

  // The user appends a washer with the engine, as the table window does.
  Use(Path("washers.dbf") + " EXCLUSIVE");
  AppendTexts({{"USER", "9"}});
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  CloseDatabase();
  ASSERT_EQ(Build("washers.csv"), 0) << out_;  // the tool rebuilt, same source
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,USER,");
  EXPECT_NE(out_.find("washers.dbf was changed after it was built: kept"), std::string::npos) << out_;
  EXPECT_FALSE(Exists("washers.dbf.new"));

  // A newer program with a newer source: the user's table stays, the new one lies beside it.
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\nC,3\nD,4\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,USER,");
  EXPECT_NE(out_.find("is washers.dbf.new"), std::string::npos) << out_;
  EXPECT_EQ(Names("washers.dbf.new"), "A,B,C,D,");

  // The user deletes the table: the build makes the new one and clears the rest.
  std::filesystem::remove(Path("washers.dbf"));
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,D,");
  EXPECT_FALSE(Exists("washers.dbf.new"));

  // A table of a build that kept no stamp: the same one is replaced quietly,
  // a different one is replaced and kept as .old.
  std::filesystem::remove(Path("washers.dbf.built"));
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(out_, "");
  EXPECT_FALSE(Exists("washers.dbf.old"));
  std::filesystem::remove(Path("washers.dbf.built"));
  Source("washers.csv", "NAME:C:10,H:N:5:1\nE,5\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "E,");
  EXPECT_EQ(Names("washers.dbf.old"), "A,B,C,D,");
  EXPECT_NE(out_.find("the previous table is washers.dbf.old"), std::string::npos) << out_;
}

// A table stored unchanged through the engine on another day differs from
// what the build wrote only in its header's date: it counts as built, and a
// newer source replaces it quietly. A stamp of the earlier kind (whole-file
// fingerprints) still keeps the user's table.
TEST_F(MakeTables, ATableStoredUnchangedOnAnotherDayCountsAsBuilt) {
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  const auto built = dbftest::ReadBytes(Path("washers.dbf"));
  Use(Path("washers.dbf") + " EXCLUSIVE");
  Go(2);
  Replace();  // stored as it was, on the fixture's day
  CloseDatabase();
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  const auto stored = dbftest::ReadBytes(Path("washers.dbf"));
  ASSERT_NE(stored, built);
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\nC,3\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,");
  EXPECT_EQ(out_, "");
  EXPECT_FALSE(Exists("washers.dbf.new"));

  // Stored unchanged, and packed with nothing to remove: counts as built too.
  Use(Path("washers.dbf") + " EXCLUSIVE");
  Go(1);
  Replace();
  EXPECT_TRUE(Pack());
  CloseDatabase();
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\nC,3\nD,4\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,D,");
  EXPECT_EQ(out_, "");

  // A stamp of the earlier kind that does not name the table in place.
  std::ofstream(Path("washers.dbf.built"), std::ios::trunc) << "bq4_mktables stamp 2\nsource\n0000000000000000-0\n";
  Source("washers.csv", "NAME:C:10,H:N:5:1\nE,5\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,D,");
  EXPECT_EQ(Names("washers.dbf.new"), "E,");
  EXPECT_FALSE(Exists("washers.dbf.old"));
}

}  // namespace

namespace {

// The whole-file fingerprint an earlier build wrote into its stamps (FNV-1a, then the size).
std::string WholeFilePrint(const std::vector<unsigned char>& bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%016llx-%zu", static_cast<unsigned long long>(h), bytes.size());
  return buf;
}

// A table as an earlier build left it on 2024-05-10, with its stamp of whole files written that day.
void AsBuiltEarlier(const std::string& table, const std::string& source) {
  auto bytes = dbftest::ReadBytes(table);
  bytes[1] = 124;
  bytes[2] = 5;
  bytes[3] = 10;
  dbftest::WriteBytes(table, bytes);
  std::ofstream(table + ".built", std::ios::trunc)
      << "bq4_mktables stamp 2\n" << WholeFilePrint(dbftest::ReadBytes(source)) << "\n" << WholeFilePrint(bytes) << "\n";
  std::tm day{};
  day.tm_year = 124;
  day.tm_mon = 4;
  day.tm_mday = 10;
  day.tm_hour = 12;
  day.tm_isdst = -1;
  const auto at = std::chrono::system_clock::from_time_t(std::mktime(&day));
  std::filesystem::last_write_time(table + ".built", std::chrono::file_clock::from_sys(at));
}

}  // namespace

// A table an earlier build stamped (whole files) and the engine stored
// unchanged on a later day still counts as built: a newer source replaces
// it. One the user changed stays, with the newer table beside it.
TEST_F(MakeTables, ATableOfAnEarlierBuildStoredUnchangedCountsAsBuilt) {
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  AsBuiltEarlier(Path("washers.dbf"), Path("washers.csv"));
  Use(Path("washers.dbf") + " EXCLUSIVE");
  Go(2);
  Replace();  // stored as it was, on the fixture's day
  CloseDatabase();
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  ASSERT_EQ(dbftest::ReadBytes(Path("washers.dbf"))[3], 17);
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\nC,3\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(out_, "");
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,");
  EXPECT_FALSE(Exists("washers.dbf.new"));

  // Changed by the user after an earlier build: kept, the newer one beside it.
  AsBuiltEarlier(Path("washers.dbf"), Path("washers.csv"));
  Use(Path("washers.dbf") + " EXCLUSIVE");
  AppendTexts({{"USER", "9"}});
  CloseDatabase();
  Source("washers.csv", "NAME:C:10,H:N:5:1\nA,1\nB,2\nC,3\nD,4\n");
  ASSERT_EQ(Build("washers.csv"), 0) << out_;
  EXPECT_EQ(Names("washers.dbf"), "A,B,C,USER,");
  EXPECT_EQ(Names("washers.dbf.new"), "A,B,C,D,");
  EXPECT_NE(out_.find("rename it to washers.dbf"), std::string::npos) << out_;
}
