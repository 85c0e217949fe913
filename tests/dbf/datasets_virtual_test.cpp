#include "dbf/datasets_virtual.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "dataset_test_support.h"

using dbftest::DatasetTest;

namespace {

std::vector<std::string> Names(TTzVFile& v) {
  std::vector<std::string> names;
  v.First();
  while (!v.Eof()) {
    names.push_back(AllTrim(v.FieldByName("NAME").AsString()));
    v.Next();
  }
  return names;
}

}  // namespace

class VirtualDatasets : public DatasetTest {
 protected:
  void Fields(TTzVFile& v) { v.DbfFields = {"NAME,C,10,0", "QTY,N,5,0", "PRICE,N,8,2", "DAY,D,8,0", "OK,L,1,0"}; }
  // Opens v on table p, saved at close, appends `records` records and then
  // lets no file grow beyond 4 KB, as a full disk would (in a child process).
  bool FilledOnAFullDisk(TTzVFile& v, const std::string& p, int records) {
    Fields(v);
    v.SetDbfFileName(p);
    v.PopulateFromDisk = true;
    v.SaveToDisk = true;
    v.SetActive(true);
    for (int i = 0; i < records; ++i) {
      v.Append();
      v.FieldByName("NAME").SetAsString("N" + std::to_string(i));
      v.Post();
    }
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
};

TEST_F(VirtualDatasets, AscendingFileLoadsADbfInKeyOrder) {
  std::string p = SampleTable(4);  // R1..R4 with QTY 1..4
  TTzVFile v("v");
  Fields(v);
  v.SetDbfFileName(p);
  v.SetAppendMode(DESCENDING);
  v.KeyMaker = [&v] {
    char key[16];
    std::snprintf(key, sizeof key, "%05d", v.FieldByName("QTY").AsInteger());
    return std::string(key);
  };
  v.PopulateFromDisk = true;
  v.SetActive(true);
  EXPECT_EQ(v.RecordCount(), 4);
  EXPECT_EQ(Names(v), (std::vector<std::string>{"R4", "R3", "R2", "R1"}));
  EXPECT_FALSE(v.DataModified());
  EXPECT_EQ(v.FieldByName("DAY").AsString(), "05/17/24");
  v.First();
  EXPECT_EQ(v.FieldByName("OK").AsBoolean(), true);  // R4
}

TEST_F(VirtualDatasets, ChangesAreSavedOnlyWhenAsked) {
  std::string p = SampleTable(2);
  for (bool save : {false, true}) {
    {
      TTzVFile v(save ? "save" : "keep");
      Fields(v);
      v.SetDbfFileName(p);
      v.PopulateFromDisk = true;
      v.SaveToDisk = save;
      v.SetActive(true);
      v.Append();
      v.FieldByName("NAME").SetAsString("R3");
      v.FieldByName("DAY").SetAsString("01/02/24");
      v.Post();
      EXPECT_TRUE(v.DataModified());
      v.SetActive(false);  // without SaveToDisk the file keeps its two records
    }
    Use(p);
    ASSERT_EQ(RecCount(), save ? 3 : 2);
    if (!save) CloseDatabase();
  }
  Go(3);
  EXPECT_EQ(FieldAsString(1), "R3        ");
  EXPECT_EQ(GetFieldText(4), "01/02/24");
}

// Two open at once get their own aliases; appends at the end of an insertion file go to
// its tail; one without a field list fails.
TEST_F(VirtualDatasets, AliasesInsertionAtTheEndAndAMissingFieldList) {
  TTzVFile a("a"), b("b");
  Fields(a);
  Fields(b);
  b.SetAppendMode(INSERTION);
  a.SetActive(true);
  b.SetActive(true);
  EXPECT_NE(a.WorkArea(), b.WorkArea());
  Select(a.WorkArea());
  std::string aliasA = Alias();
  Select(b.WorkArea());
  EXPECT_NE(aliasA, Alias());
  for (const char* n : {"A", "B", "C"}) {
    b.Last();
    b.Append();
    b.FieldByName("NAME").SetAsString(n);
    b.Post();
  }
  EXPECT_EQ(Names(b), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(b.AppendMode(), INSERTION);
  TTzVFile v("empty");
  platform::DialogScript script;
  script.Ok().Expect("FieldList.Count is <= 0 trying to create a database");
  EXPECT_THROW(v.SetActive(true), platform::EDatabaseError);
  EXPECT_FALSE(v.Active());
  // A refused field line is named as written, as a table on disk names it.
  TTzVFile nameless("nameless");
  nameless.DbfFields = {"NAME,C,10,0", ",F,10,2"};
  script.Ok().Expect("Invalid field definition for nameless: ,F,10,2. The field has no name.");
  EXPECT_THROW(nameless.SetActive(true), platform::EDatabaseError);
  EXPECT_FALSE(nameless.Active());
  EXPECT_EQ(script.Shown().size(), 2u);
}

// A file that does not fit the field list is not loaded: the dataset stays
// closed, nothing is written back at close, and the engine's load reports
// its failure in its code.
TEST_F(VirtualDatasets, AFailedLoadLeavesTheDatasetClosedAndTheFileAsItWas) {
  std::string p = SampleTable(3);
  const auto before = dbftest::ReadBytes(p);
  {
    TTzVFile v("misfit");
    v.DbfFields = {"NAME,C,12,0", "QTY,N,5,0"};
    v.SetDbfFileName(p);
    v.PopulateFromDisk = true;
    v.SaveToDisk = true;
    EXPECT_NE(Raised<EDederError>([&] { v.SetActive(true); }).find("does not fit virtual file"), std::string::npos);
    EXPECT_FALSE(v.Active());
    CloseQuietly(v);
  }
  EXPECT_EQ(dbftest::ReadBytes(p), before);

  SetErrorDispatch(false);
  Select(1);
  std::uint8_t buffer[64] = {};
  Use("misfit VIRTUAL FILE", buffer, sizeof buffer);
  const TDbfFieldEntry name = dbftest::F("NAME", 'C', 12);
  AddStru(&name, 1);
  EXPECT_EQ(ReadVFileFromDisk(p, false), -1);
  EXPECT_EQ(TzLastError, 266);
  EXPECT_EQ(WorkAreas[2], nullptr);  // the disk file is closed again
}

// Saved on a full disk (here: a file size limit the temporary runs into),
// the close reports the write error once and nothing else; the temporary
// is removed and the table on disk stays as it was. In a child process,
// which the limit binds and which would end if a second error were raised
// from a destructor.
TEST_F(VirtualDatasets, ASaveOnAFullDiskReportsItOnceAndKeepsTheTable) {
  std::string p = SampleTable(3);
  const auto before = dbftest::ReadBytes(p);
  ForkHandshake shake;
  pid_t child = dbftest::Child(shake, [&] {
    int raised = 0;
    bool named = false;
    {
      TTzVFile v("full");
      if (!FilledOnAFullDisk(v, p, 300)) return false;
      const auto area = v.WorkArea();
      try {
        v.SetActive(false);
      } catch (const EDederError& e) {
        ++raised;
        named = std::string(e.what()).find("Error # 101") != std::string::npos;
      }
      if (v.Active() || WorkAreas[area]) return false;  // closed all the same
    }  // the destructor closes nothing again and raises nothing
    return raised == 1 && named && !std::filesystem::exists(p + ".v$$");
  });
  EXPECT_EQ(dbftest::ExitCode(child), 0);
  EXPECT_EQ(dbftest::ReadBytes(p), before);
  EXPECT_FALSE(std::filesystem::exists(p + ".v$$"));
}

namespace {

// A dataset closed only by its destructor on a full disk, where errors are
// neither raised nor dispatched, leaves the write error in TzLastError and
// shows it: the records that could not be saved are not lost unheard.
TEST_F(VirtualDatasets, ASaveThatFailsInTheDestructorIsTold) {
  std::string p = SampleTable(3);
  const auto before = dbftest::ReadBytes(p);
  ForkHandshake shake;
  pid_t child = dbftest::Child(shake, [&] {
    SetErrorDispatch(false);
    SetRaiseErrors(false);
    platform::DialogScript script;
    script.Ok().Expect("Error # 101");
    {
      TTzVFile v("full");
      if (!FilledOnAFullDisk(v, p, 3000)) return false;
      TzLastError = 0;
    }
    return TzLastError == 101 && script.Shown().size() == 1;
  });
  EXPECT_EQ(dbftest::ExitCode(child), 0);
  EXPECT_EQ(dbftest::ReadBytes(p), before);
}

// Two field lines of one name are refused by name; nothing is opened or
// created.
TEST_F(VirtualDatasets, FieldLinesOfOneNameAreRefused) {
  TTzVFile v("twice");
  v.DbfFields = {"A,C,5,0", "B,N,5,0", "a,N,5,0"};
  platform::DialogScript script;
  script.Ok().Expect("Invalid field definition for twice: a,N,5,0. An earlier field is named A already.");
  EXPECT_ANY_THROW(v.SetActive(true));
  EXPECT_FALSE(v.Active());
  TTzDbf table("table");
  table.DbfFields = {"NAME,C,5,0", "NAME,N,5,0"};
  table.SetDbfFileName(Path("twice.dbf"));
  script.Ok().Expect("Invalid field definition for table: NAME,N,5,0. An earlier field is named NAME already.");
  script.Ok().Expect("Could not create");
  EXPECT_ANY_THROW(table.SetActive(true));
  EXPECT_FALSE(std::filesystem::exists(Path("twice.dbf")));
  EXPECT_EQ(script.Shown().size(), 3u);
}

// A table holds at most 255 fields: more field lines (skipped lines do not
// count) are refused, naming the first one too many, and nothing is opened
// or created; 255 make a table of 255 fields.
TEST_F(VirtualDatasets, MoreFieldLinesThanATableHoldsAreRefused) {
  std::vector<std::string> lines{"GONE,X,1,0"};
  for (int i = 1; i <= 300; ++i) lines.push_back("F" + std::to_string(i) + ",N,5,0");
  const std::string refusal = "Invalid field definition for wide: F256,N,5,0. A table holds at most 255 fields.";
  platform::DialogScript script;
  TTzVFile v("wide");
  v.DbfFields = lines;
  script.Ok().Expect(refusal);
  EXPECT_ANY_THROW(v.SetActive(true));
  EXPECT_FALSE(v.Active());
  TTzDbf table("wide");
  table.DbfFields = lines;
  table.SetDbfFileName(Path("wide.dbf"));
  script.Ok().Expect(refusal);
  script.Ok().Expect("Could not create");
  EXPECT_ANY_THROW(table.SetActive(true));
  EXPECT_FALSE(std::filesystem::exists(Path("wide.dbf")));
  EXPECT_EQ(script.Shown().size(), 3u);
  lines.resize(256);
  v.DbfFields = table.DbfFields = lines;
  v.SetActive(true);
  table.SetActive(true);
  EXPECT_EQ(std::vector<int>({v.FieldCount(), table.FieldCount()}), std::vector<int>({255, 255}));
  EXPECT_EQ(dbftest::ReadBytes(Path("wide.dbf")).at(8 * 1024), 0x0D);  // the header's end: 32 + 255 * 32 bytes
  table.SetActive(false);
  if (!dbftest::PythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  const std::string reader = Path("read.py");
  std::ofstream(reader) << "import sys, dbfread\nt = dbfread.DBF(sys.argv[1])\nprint(len(t.fields), t.fields[-1].name)\n";
  EXPECT_EQ(dbftest::RunPython(reader, Path("wide.dbf"), Path("out.txt")), "255 F255\n");
}

}  // namespace
